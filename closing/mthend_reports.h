// The month-end report on pages and as data files: the summary (a page per billing doctor
// or producer, then "TOTAUX - CABINET") and the daily detail (a line per day, then the
// adjustments by code), both in "mthend.prt"; data files "\XML\monthend.xml" and
// "\XML\monthenddet.xml". The pages reuse the day-end's block printer.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "closing/dayend_reports.h"
#include "closing/mthend_collect.h"
#include "common/report_run.h"
#include "host/output/report_table.h"

namespace mthend {

// "Novembre 2024".
std::string MonthTitle(long first);
std::vector<dayend::Block> LayoutSummary(const MonthEndData& data);
std::vector<dayend::Block> LayoutDetail(const MonthEndData& data);
host::output::ReportTable SummaryTable(const MonthEndData& data);
host::output::ReportTable DetailTable(const MonthEndData& data);

// The reprint file's name: "%4.4s%02d%02d.ME" of the year, the month and the last day.
std::string ReprintName(long last);
// Where the month-end keeps its reprint files and the reprint dialog (109) finds them: the
// report folder (setting "ReportDir"), with a trailing separator.
std::string ReprintFolder();
// Copies the text report into the reprint file, with the page marker "\n+++" and ten line
// feeds before the first line and before every line beginning with "==========". False
// (nothing written) when the source is missing or empty, or the file cannot be written.
bool CreateReprintFile(const std::string& source, const std::string& target, std::string* error);

}  // namespace mthend

class MonthEndRptObj : public DayEndRptObj {
  public:
    using DayEndRptObj::DayEndRptObj;
    std::string GetMeterTitle() override;
};

// One run of the month-end report: the summary and, when asked, the daily detail.
class MonthEndReportRun : public reports::ReportRun {
  public:
    MonthEndReportRun(const mthend::Criteria& criteria, bool summary, bool detail);

    std::string MeterTitle() const override;
    bool Collect(reports::RunContext& ctx) override;
    bool Print(reports::RunContext& ctx) override;
    std::vector<reports::DataFile> DataFiles() const override;
    const mthend::MonthEndData& Data() const { return data_; }

  protected:
    // The collector (the extended dialog's is the same class with its own criteria).
    virtual mthend::Outcome Gather(reports::RunContext& ctx, std::string* error);
    mthend::Criteria criteria_;
    mthend::MonthEndData data_;

  private:
    bool summary_, detail_;
    host::output::ReportTable summary_table_, detail_table_;
};
