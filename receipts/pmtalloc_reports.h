// The payment allocations on pages (PmtAllocationRptObj), as a data table
// ("\XML\pmtalloc.xml", template pmtalloc.rpt), and one run of the report.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "common/report_run.h"
#include "host/output/ovreport.h"
#include "host/output/report_table.h"
#include "receipts/pmtalloc_collect.h"

class PmtAllocationRptObj : public OvReportObj {
  public:
    PmtAllocationRptObj(LauncherInfo* launcher, TWindow* parent, const pmtalloc::PmtAllocData& data,
                        bool show_meter, FILE* out);

    void SetColumns() override;
    bool InitialCriteria() override;
    bool ContinueCriteria() override;
    // A row of another group closes the group printed so far (its totals).
    bool MatchCriteria() override;
    int GetLineReq() override;
    int PrintDetail(int line) override;
    int PrintSubTitle(int line) override;
    std::string GetTitleStr(int i) override;
    bool EndReport(int line) override;
    long GetMaxMeterCount() override;
    std::string GetMeterTitle() override;
    int GetTitleLNum() override { return 2; }

    // Widths of the date and description columns of a detail line.
    static constexpr int kDateWidth = 10;
    static constexpr int kDescWidth = 32;

  private:
    int PrintTotal(int line, const std::string& who, int64_t amount);
    bool StartsGroup() const { return row_ == 0 && !data_.groups[group_].heading.empty(); }

    const pmtalloc::PmtAllocData& data_;
    size_t group_ = 0;
    size_t row_ = 0;
    size_t printed_group_ = 0;
};

namespace pmtalloc {
// One row per application; after each group its total (type "T"), and the grand total
// (type "G").
host::output::ReportTable AllocationsTable(const PmtAllocData& data);
// A detail line as the text report prints it.
std::string DetailLine(const Row& row);
}  // namespace pmtalloc

class PmtAllocReportRun
    : public reports::TableReportRun<pmtalloc::CollectRequest, pmtalloc::PmtAllocData> {
  public:
    explicit PmtAllocReportRun(const pmtalloc::Criteria& criteria);

    std::string MeterTitle() const override;
    bool Print(reports::RunContext& ctx) override;
};
