// The day-end report on pages and as data files: the full report (a section per kind of
// transaction), the quick form (one line per transaction, then the control totals) and the
// producer summaries (a page per producer, the idle producers' receivables, the practice
// totals).
//
// Each form is first laid out as blocks of text lines (Layout*), which DayEndRptObj puts
// on pages; a block never splits across pages, and a block that asks for it starts a page
// of its own under its own heading.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "closing/dayend_collect.h"
#include "common/report_run.h"
#include "host/output/ovreport.h"
#include "host/output/report_table.h"

namespace dayend {

struct Cell {
    int col = 0;
    std::string text;
};
struct PrintLine {
    std::vector<Cell> cells;
    bool bold = false;
    int rule_from = -1, rule_to = -1;  // a rule instead of text when rule_from >= 0
};
struct Block {
    std::vector<PrintLine> lines;
    bool new_page = false;
    std::string heading;  // the second title line of the pages this block starts
};

// A rule from column `from` to column `to`; an empty line.
PrintLine Rule(int from, int to);
PrintLine Blank();

std::vector<Block> LayoutFull(const DayEndData& data);
std::vector<Block> LayoutQuick(const DayEndData& data);
std::vector<Block> LayoutSummaries(const DayEndData& data);

// The data files: "\XML\dayendsum.xml" (full), "\XML\dayendquick.xml" (quick, with the
// control totals), "\XML\dayendprodsum.xml", "\XML\nonworkprodar.xml", "\XML\practotals.xml".
host::output::ReportTable FullTable(const DayEndData& data);
host::output::ReportTable QuickTable(const DayEndData& data);
host::output::ReportTable SummaryTable(const std::vector<ProducerSummary>& list);
host::output::ReportTable IdleTable(const DayEndData& data);

}  // namespace dayend

// The pages of one form.
class DayEndRptObj : public OvReportObj {
  public:
    DayEndRptObj(LauncherInfo* launcher, TWindow* parent, std::vector<dayend::Block> blocks,
                 std::string title, bool show_meter, FILE* out, int copies);

    bool InitialCriteria() override;
    bool ContinueCriteria() override;
    bool MatchCriteria() override;
    int GetLineReq() override;
    int PrintDetail(int line) override;
    std::string GetTitleStr(int i) override;
    int GetTitleLNum() override { return 2; }
    long GetMaxMeterCount() override { return static_cast<long>(blocks_.size()); }
    std::string GetMeterTitle() override;

  private:
    std::vector<dayend::Block> blocks_;
    std::string title_;
    std::string heading_;
    size_t at_ = 0;
};

// One run of the day-end report for a date: the report pass (full or quick form), then
// with summaries the producer-summary pass, all on one ".prt" file.
class DayEndReportRun : public reports::ReportRun {
  public:
    DayEndReportRun(const dayend::Criteria& criteria, bool summaries);

    std::string MeterTitle() const override;
    bool Collect(reports::RunContext& ctx) override;
    bool Print(reports::RunContext& ctx) override;
    std::vector<reports::DataFile> DataFiles() const override;
    std::string TemplateName() const override;

    const dayend::DayEndData& Report() const { return report_; }
    const dayend::DayEndData& Summaries() const { return summary_; }

  private:
    dayend::Criteria criteria_;
    bool summaries_;
    dayend::DayEndData report_, summary_;
    host::output::ReportTable main_, prodsum_, idle_, totals_;
};
