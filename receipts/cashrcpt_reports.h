// The cash receipts on pages (CashReceiptsObj), as a data table ("\XML\cashrcpt.xml"),
// and one run of the report.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "common/report_run.h"
#include "host/output/ovreport.h"
#include "host/output/report_table.h"
#include "receipts/cashrcpt_collect.h"

class CashReceiptsObj : public OvReportObj {
  public:
    CashReceiptsObj(LauncherInfo* launcher, TWindow* parent, const cashrcpt::CashReceiptsData& data,
                    bool show_meter, FILE* out);

    void SetColumns() override;
    // The first line of the sorted list.
    bool InitialCriteria() override;
    bool ContinueCriteria() override;
    // A line of another billing doctor closes the group printed so far (its totals).
    bool MatchCriteria() override;
    int GetLineReq() override;
    int PrintDetail(int line) override;
    int PrintSubTitle(int line) override;
    std::string GetTitleStr(int i) override;
    bool EndReport(int line) override;
    long GetMaxMeterCount() override;
    std::string GetMeterTitle() override;
    int GetTitleLNum() override { return 3; }

    static constexpr int kCols[7] = {0, 25, 41, 52, 63, 74, 88};

  private:
    int PrintTotals(int line, const std::string& label, int64_t amount);
    bool StartsGroup() const { return line_ == 0 && !data_.groups[group_].heading.empty(); }

    const cashrcpt::CashReceiptsData& data_;
    size_t group_ = 0;
    size_t line_ = 0;
    size_t printed_group_ = 0;
};

namespace cashrcpt {
// One row per line; after each group its total (type "T"), and the grand total ("G").
host::output::ReportTable ReceiptsTable(const CashReceiptsData& data);
}  // namespace cashrcpt

class CashReceiptsReportRun
    : public reports::TableReportRun<cashrcpt::CollectRequest, cashrcpt::CashReceiptsData> {
  public:
    explicit CashReceiptsReportRun(const cashrcpt::Criteria& criteria);

    std::string MeterTitle() const override;
    bool Print(reports::RunContext& ctx) override;
};
