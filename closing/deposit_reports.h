// The daily deposit on pages (DayTrialRptObj), as data tables ("\XML\dtrilsum.xml" and
// "\XML\cashBreakDown.xml"), and one run of the report.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "closing/deposit_collect.h"
#include "closing/deposit_lines.h"
#include "common/report_run.h"
#include "host/output/report_table.h"
#include "host/output/template_printer.h"

// Each bank on pages of its own: its sections with their subtotals and totals, the service
// charges, the cash worksheet, then its recapitulation on a new page; the footer last.
class DayTrialRptObj : public deposit::DepositLinesObj {
  public:
    DayTrialRptObj(LauncherInfo* launcher, TWindow* parent, const deposit::DayTrialData& data,
                   bool show_meter, FILE* out);

    bool OpenReport() override;
    int PrintTitle(int line) override;
    std::string GetMeterTitle() override;

    // Column starts of the body.
    static constexpr int kName = 10, kCode = 35, kDesc = 45, kAmount = 57, kTotal = 68;

  private:
    std::vector<deposit::Line> Compose() const;
    const deposit::DayTrialData& data_;
    std::vector<bool> recap_parts_;  // parts (by index) that are a bank's recapitulation
};

namespace deposit {
// One row per payment or adjustment (its bank, section, payer, code, amount), then one row
// per service charge (type "F") and one per bank's recapitulation (type "R").
host::output::ReportTable DepositTable(const DayTrialData& data);
// The worksheet's denominations, with blanks to fill in.
host::output::ReportTable CashBreakdownTable();
// The three template formulas of the run.
ST_FORMULAINFO Formulas(const DayTrialData& data);
}  // namespace deposit

class DayTrialReportRun : public reports::ReportRun {
  public:
    DayTrialReportRun(const deposit::Criteria& criteria, int calc_mode);

    std::string MeterTitle() const override;
    // An empty day is a cancelled run that says so (Empty()).
    bool Collect(reports::RunContext& ctx) override;
    bool Print(reports::RunContext& ctx) override;
    std::vector<reports::DataFile> DataFiles() const override;
    const ST_FORMULAINFO* Formulas() const override { return &formulas_; }

    const deposit::DayTrialData& Data() const { return data_; }
    bool Empty() const { return empty_; }

  private:
    deposit::Criteria criteria_;
    int calc_mode_;
    deposit::DayTrialData data_;
    host::output::ReportTable table_;
    host::output::ReportTable cash_;
    ST_FORMULAINFO formulas_;
    bool empty_ = false;
};
