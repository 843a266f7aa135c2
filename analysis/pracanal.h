// The practice analysis: the production report (PracAnalysisObj) and the payment report
// (PracAnalPmtObj) over the producer analysis engine's producer list, their data tables,
// and the driver PracPrnObj that builds the engine and runs one or both reports (from the
// Reports Manager, the day-end or the month-end).
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "analysis/prodanal.h"
#include "host/db/gendb.h"
#include "host/output/ovreport.h"
#include "host/output/report_table.h"

// Which producers a practice analysis prints: all of them (selection off), one code, or
// with the code '*' every producer or only the billing doctors.
struct PracSelection {
    bool on = false;
    std::string code;       // as given: a billing-doctor code ("01") or a producer code
    std::string prod_code;  // the producer code it selects ("D01"), or "*"
    bool billdr_only = false;
    GenDB* db = nullptr;  // where the billing doctors are read
    // A two-character code is a billing doctor's (its producer code from GetProdCode); a
    // longer one a producer code.
    void Set(bool on_, const char* code_, bool billdr_only_);
    bool Matches(const prodanal_info& p) const;
    // The totals are printed unless one producer alone is selected.
    bool PrintsTotals() const { return !on || prod_code == "*"; }
};

// What the two reports share: the walk of the producer list, the selection, the periods
// shown, the skipping of empty 'Y' producers, the page breaks and the totals by column.
class PracAnalBase : public OvReportObj {
  public:
    PracAnalBase(LauncherInfo* launcher, TWindow* parent, TProducerAnalysisObj* engine,
                 short show_ytd, long report_date, FILE* out);

    void SetSummByDoc(bool on, const char* code, bool billdr_only) {
        sel_.Set(on, code, billdr_only);
    }
    // Reported by billing doctor (the sub-title says so).
    void SetByBillDr(bool on) { by_billdr_ = on; }

    bool InitialCriteria() override;
    bool ContinueCriteria() override;
    bool MatchCriteria() override;
    int PrintDetail(int line) override;
    int GetLineReq() override { return Periods() + 1; }
    long GetMaxMeterCount() override;
    int GetStartPageNo() override { return start_page_; }
    void SetStartPageNo(int page) { start_page_ = page < 1 ? 1 : page; }
    TProducerAnalysisObj* Engine() const { return engine_; }

    // Prints the current producer's lines from line; returns the next line.
    virtual int PrintOneProducer(prodanal_info* p, int line) = 0;
    // The columns (figures) of a producer's period line, in printing order.
    virtual std::vector<int64_t> Figures(const prodanal_info& p, int period) const = 0;

    int Periods() const { return show_ytd_ ? 3 : 2; }
    // True when the producer is printed: selected, and not a 'Y' producer whose shown
    // figures are all zero.
    bool Shown(const prodanal_info& p) const;
    const PracSelection& Selection() const { return sel_; }
    // The report totals: [column][period].
    const std::vector<std::vector<int64_t>>& Totals() const { return totals_; }
    static const char* PeriodLabel(int period);

  protected:
    std::string SubTitle() const;
    std::string DateText() const;
    void Add(int column, int period, int64_t value) { totals_[column][period] += value; }

    TProducerAnalysisObj* engine_;
    short show_ytd_;
    long report_date_;
    PracSelection sel_;
    bool by_billdr_ = false;
    size_t current_ = 0;
    int start_page_ = 1;
    std::vector<std::vector<int64_t>> totals_;
};

class PracAnalysisObj : public PracAnalBase {
  public:
    PracAnalysisObj(LauncherInfo* launcher, TWindow* parent, TProducerAnalysisObj* engine,
                    short show_ytd, long report_date, bool last_report, FILE* out);

    void SetColumns() override;
    int PrintSubTitle(int line) override;
    std::string GetTitleStr(int i) override;
    bool EndReport(int line) override;
    std::string GetMeterTitle() override;
    int PrintOneProducer(prodanal_info* p, int line) override;
    std::vector<int64_t> Figures(const prodanal_info& p, int period) const override;
    // The payment report printed after this one in the same document (not the last report).
    void SetNext(PracAnalBase* next) { next_ = next; }

  private:
    bool last_report_;
    PracAnalBase* next_ = nullptr;
};

class PracAnalPmtObj : public PracAnalBase {
  public:
    PracAnalPmtObj(LauncherInfo* launcher, TWindow* parent, TProducerAnalysisObj* engine,
                   short show_ytd, long report_date, FILE* out);

    void SetColumns() override;
    int PrintSubTitle(int line) override;
    std::string GetTitleStr(int i) override;
    bool EndReport(int line) override;
    std::string GetMeterTitle() override;
    int PrintOneProducer(prodanal_info* p, int line) override;
    std::vector<int64_t> Figures(const prodanal_info& p, int period) const override;
};

// The printed lines as data tables: one row per printed producer and period, then the
// total rows ("T") when the report prints them.
host::output::ReportTable PracAnalysisTable(const PracAnalysisObj& report);
host::output::ReportTable PracAnalPmtTable(const PracAnalPmtObj& report);
host::output::ReportTable EmptyPracAnalysisTable();
host::output::ReportTable EmptyPracAnalPmtTable();

// The driver: builds the engine, collects once, and runs the production report and, when
// asked, the payment report over it.
class PracPrnObj {
  public:
    // caller: 0 the Reports Manager, 1 the day-end, 2 the month-end. Reads the switches
    // (print, show YTD, print payments, closing choice) from the practice's options.
    PracPrnObj(LauncherInfo* launcher, TWindow* parent, int caller, long report_date, FILE* out);
    ~PracPrnObj();
    PracPrnObj(const PracPrnObj&) = delete;
    PracPrnObj& operator=(const PracPrnObj&) = delete;

    void SetFlags(short show_ytd, short print_pmts, char closing);
    void SetSummByDoc(bool on, const char* code, bool by_billdr);
    void SetPrint(short print) { print_ = print; }
    // The text file and the parent window of the reports' pages.
    void SetOutput(FILE* out, TWindow* parent) {
        out_ = out;
        parent_ = parent;
    }
    // The whole run for the closings: collect, both reports, their XML data files.
    bool PrintReport(int output_mode);

    // The run in steps (the Reports Manager's run sequence): false when the switches say
    // nothing is to be printed or the practice cannot be read (Error()).
    bool Runs() const;
    bool Collect();
    // Prints the reports into out (as one document); cancelled tells a stopped run.
    bool Print(int output_mode, const std::string& document, bool* cancelled);
    const host::output::ReportTable& ProductionTable() const { return production_; }
    const host::output::ReportTable& PaymentTable() const { return payments_; }
    TProducerAnalysisObj* Engine() { return engine_.get(); }
    const std::string& Error() const { return error_; }
    short ShowYtd() const { return show_ytd_; }
    short PrintPayments() const { return print_pmts_; }
    char Closing() const { return closing_; }

  private:
    LauncherInfo* launcher_;
    TWindow* parent_;
    short print_ = 0, show_ytd_ = 0, print_pmts_ = 0;
    char closing_ = '\0';
    int caller_;
    long report_date_;
    std::unique_ptr<TProducerAnalysisObj> engine_;
    FILE* out_;
    bool sel_on_ = false;
    std::string sel_code_;
    bool by_billdr_ = false;
    std::string error_;
    host::output::ReportTable production_, payments_;
};
