// The receivable reports' pages: the quick receivable list (ARQuickRptObj), the full
// receivable report by account (ARAccRptObj) or by patient (ARPatRptObj), and the aged
// summary by producer or billing doctor (ARSumRptObj) that closes the full report. They
// lay out the rows the collector read (ar_rows.h) over the paged report base; none of them
// reads the practice.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "host/output/ovreport.h"
#include "receivables/ar_rows.h"

// Amounts printed under a heading's column words: fields of a fixed width, each holding
// the heading word above it and at least one blank apart; an amount wider than its field
// is moved right rather than touch its neighbour.
class AmountColumns {
  public:
    // The last n words of heading (words are separated by two blanks or more); amounts
    // start at first_free or after.
    AmountColumns(const std::string& heading, size_t n, int width, int first_free);
    void Print(OvReportObj& report, int line, const std::vector<std::string>& texts) const;
    // The column where field i ends.
    int End(size_t i) const { return ends_.at(i); }

  private:
    std::vector<int> ends_;
};

// The quick receivable list: one line per account, from the balances the accounts store.
// Also the base of the full receivable report.
class ARQuickRptObj : public OvReportObj {
  public:
    ARQuickRptObj(LauncherInfo* launcher, TWindow* parent, const ar::ARData& data, FILE* out,
                  bool show_meter, short copies);

    const arrpt_info& GetARRptInfo() const { return data_.criteria; }

    // --- Base operations ---
    void SetColumns() override;
    bool InitialCriteria() override;
    bool ContinueCriteria() override;
    int PrintDetail(int line) override;
    int PrintSubTitle(int line) override;
    bool EndReport(int line) override;
    int GetLineReq() override;
    int GetColsNum() override;
    long GetMaxMeterCount() override;
    std::string GetTitleStr(int i) override;
    std::string GetMeterTitle() override;

    // --- Operations of the receivable reports ---
    // Prints the account's A/R notes from line; returns the lines used.
    virtual int PrintFamilyComments(int line);
    // Prints the report's account totals from line; returns the next free line.
    virtual int PrintTotalAcc(int line);
    virtual std::string GetReportTitle();
    virtual std::string GetSubTitle();
    virtual std::string GetAccTotalTitle();
    virtual std::string GetAccTotalFormatStr();
    virtual int GetAmntStrLen() { return 13; }
    virtual int GetTotalAmntStrLen() { return 13; }

  protected:
    const ar::AccountRow& Row() const { return data_.accounts[current_]; }
    // The lines of the current account's notes.
    std::vector<std::string> NoteLines() const;
    // Where the account totals go after the last detail line: on a page of their own when
    // fewer than nine lines are left.
    int TotalsStart(int line);

    const ar::ARData& data_;
    short copies_;
    size_t current_ = 0;
};

// The aged summary by producer or billing doctor.
class ARSumRptObj : public OvReportObj {
  public:
    ARSumRptObj(LauncherInfo* launcher, TWindow* parent, const ar::ARData& data, FILE* out,
                short copies);

    void SetColumns() override;
    bool InitialCriteria() override;
    bool ContinueCriteria() override;
    int PrintDetail(int line) override;
    int PrintSubTitle(int line) override;
    bool EndReport(int line) override;
    int GetTitleLNum() override { return 4; }
    // The summary continues the page numbers of the report it closes.
    int GetStartPageNo() override { return start_page_; }
    void SetStartPage(int page) { start_page_ = page < 1 ? 1 : page; }
    long GetMaxMeterCount() override { return static_cast<long>(data_.producers.size()); }
    std::string GetTitleStr(int i) override;
    std::string GetMeterTitle() override;

    // Prints the payment plans per doctor from line; returns the next free line.
    virtual int PrintPlanTotal(int line);
    // Prints the summary's totals and the share of each aged column; returns the next line.
    virtual int PrintTotalSumAcc(int line);

    // The order in which the summary lists producer codes: byte order, except that when
    // the first characters differ, a code beginning with 'A' (an auxiliary) comes after.
    static bool CodeBefore(const std::string& a, const std::string& b);

  private:
    const ar::ARData& data_;
    short copies_;
    size_t current_ = 0;
    int start_page_ = 1;
};

// The full receivable report, one block per account; it ends with the account totals and
// the aged summary, in the same document.
class ARAccRptObj : public ARQuickRptObj {
  public:
    ARAccRptObj(LauncherInfo* launcher, TWindow* parent, const ar::ARData& data, FILE* out,
                bool show_meter, short copies);

    bool InitialCriteria() override;
    bool EndReport(int line) override;
    std::string GetMeterTitle() override;
    std::string GetReportTitle() override;
    std::string GetSubTitle() override;
    std::string GetAccTotalTitle() override;
    std::string GetAccTotalFormatStr() override;
    int GetAmntStrLen() override { return 11; }
    int GetColsNum() override { return 6; }
    int PrintDetail(int line) override;
    int GetLineReq() override;

  protected:
    // Prints the three group lines (patient, insurance, total) of g from line.
    int PrintGroups(int line, const ar::AgedGroups& g, const std::string& lead);
    // The name line of the current account.
    void PrintNameLine(int line);
    // The plan balance line and the notes, from line; returns the next free line.
    int PrintPlanAndNotes(int line);
};

// The full receivable report, one block per patient of each account.
class ARPatRptObj : public ARAccRptObj {
  public:
    ARPatRptObj(LauncherInfo* launcher, TWindow* parent, const ar::ARData& data, FILE* out,
                bool show_meter, short copies);

    int PrintDetail(int line) override;
    int GetLineReq() override;
};
