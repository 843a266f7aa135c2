// The month's deposits on pages: the summary day by day for each bank (MonthlyDepositPrt,
// printed by the month-end with its own report or alone) and the monthly deposit report by
// payment code (MonthDepReport); their data tables and runs.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "closing/deposit_lines.h"
#include "closing/mthdep_collect.h"
#include "common/report_run.h"
#include "host/output/report_table.h"

// One table per bank: a line per day that has amounts, then the period's totals.
class MonthlyDepositPrt : public deposit::DepositLinesObj {
  public:
    MonthlyDepositPrt(LauncherInfo* launcher, TWindow* parent, const TDatePeriodObj& period,
                      FILE* out, int flags = 0, int copies = 1);
    MonthlyDepositPrt(LauncherInfo* launcher, TWindow* parent, long first, long last, FILE* out,
                      int flags = 0, int copies = 1);

    // Takes the banks of a loaded summary.
    void LoadDepInfo(const mthdep::MonthlyDepositObj& info);
    void SetBanks(std::vector<mthdep::MthDepInfo> banks);
    bool InitialCriteria() override;
    std::string GetMeterTitle() override;
    std::string GetTitleStr(int i) override;
    int GetTitleLNum() override { return 3; }
    // One bank's table, from `line`; returns the next free line (for a caller that lays the
    // summary out on pages of its own).
    int PrintOneBank(const mthdep::MthDepInfo& bank, int line);

    static constexpr int kWidth = 15;  // each column, the date's included

  private:
    void ComposeBank(deposit::LineBuilder& b, size_t part, const mthdep::MthDepInfo& bank) const;
    long first_, last_;
    std::vector<mthdep::MthDepInfo> banks_;
};

class MonthDepReport : public deposit::DepositLinesObj {
  public:
    MonthDepReport(LauncherInfo* launcher, TWindow* parent, const mthdep::MonthDepData& data,
                   bool show_meter, FILE* out);

    bool InitialCriteria() override;
    std::string GetMeterTitle() override;
    std::string GetTitleStr(int i) override;
    int GetTitleLNum() override { return 2; }

    // The spacing between the code columns for n codes.
    static int Spacing(size_t n);

  private:
    const mthdep::MonthDepData& data_;
};

namespace mthdep {
// One row per bank and day with amounts (the seven columns), then per bank its totals
// (type "T").
host::output::ReportTable SummaryTable(const std::vector<MthDepInfo>& banks);
// One row per part, deposit day and code, the amounts summed.
host::output::ReportTable MonthDepTable(const MonthDepData& data);

// The summary of a period printed without a dialog (the month-end's): to `out` (a ".prt"
// file) or, when null, to the PDF printer as `document`. False with *error when it could
// not be read or printed; a period without deposits prints nothing and is true.
bool PrintMonthlyDepositSummary(LauncherInfo* launcher, TWindow* parent, long first, long last,
                                FILE* out, int output_choice, const std::string& document,
                                int calc_mode, std::string* error);
}  // namespace mthdep

// The summary as a run of its own (tests, benchmarks, a month-end's companion).
class MonthlyDepositSummaryRun : public reports::ReportRun {
  public:
    MonthlyDepositSummaryRun(long first, long last, int calc_mode);
    std::string MeterTitle() const override;
    bool Collect(reports::RunContext& ctx) override;
    bool Print(reports::RunContext& ctx) override;
    std::vector<reports::DataFile> DataFiles() const override;
    const std::vector<mthdep::MthDepInfo>& Banks() const { return banks_; }

  private:
    long first_, last_;
    int calc_mode_;
    std::vector<mthdep::MthDepInfo> banks_;
    host::output::ReportTable table_;
};

class MonthDepReportRun : public reports::ReportRun {
  public:
    explicit MonthDepReportRun(const mthdep::Criteria& criteria);
    std::string MeterTitle() const override;
    // A period without payments is a cancelled run that says so (Empty()).
    bool Collect(reports::RunContext& ctx) override;
    bool Print(reports::RunContext& ctx) override;
    std::vector<reports::DataFile> DataFiles() const override;
    const mthdep::MonthDepData& Data() const { return data_; }
    bool Empty() const { return empty_; }

  private:
    mthdep::Criteria criteria_;
    mthdep::MonthDepData data_;
    host::output::ReportTable table_;
    bool empty_ = false;
};
