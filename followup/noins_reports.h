// The patients without insurance on pages (NoInsObj), as a data table
// ("\XML\noinsrpt.xml", template noinsrpt.rpt), and one run of the report.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "common/report_run.h"
#include "followup/noins_collect.h"
#include "host/output/ovreport.h"
#include "host/output/report_table.h"

class NoInsObj : public OvReportObj {
  public:
    NoInsObj(LauncherInfo* launcher, TWindow* parent, const noins::NoInsData& data,
             const std::string& title, bool show_meter, FILE* out);

    void SetColumns() override;
    bool InitialCriteria() override;
    bool ContinueCriteria() override;
    int PrintDetail(int line) override;
    int PrintSubTitle(int line) override;
    std::string GetTitleStr(int i) override;
    // The three totals lines.
    bool EndReport(int line) override;
    long GetMaxMeterCount() override;
    std::string GetMeterTitle() override;
    int GetTitleLNum() override { return 1; }

    static constexpr int kCols[9] = {0, 31, 36, 47, 52, 62, 81, 104, 119};

  private:
    const noins::NoInsData& data_;
    std::string title_;
    size_t i_ = 0;
};

namespace noins {
host::output::ReportTable NoInsTable(const NoInsData& data);
}

class NoInsReportRun : public reports::TableReportRun<noins::CollectRequest, noins::NoInsData> {
  public:
    explicit NoInsReportRun(const noins::Criteria& criteria);

    std::string MeterTitle() const override;
    bool Print(reports::RunContext& ctx) override;
};
