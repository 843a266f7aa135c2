// The patients not seen recently on pages (PatNoActivityObj), as a data table
// ("\XML\PatNoActivity.xml", template PatNoActivity.rpt), and one run of the report.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "common/report_run.h"
#include "followup/noact_collect.h"
#include "host/output/ovreport.h"
#include "host/output/report_table.h"

class PatNoActivityObj : public OvReportObj {
  public:
    PatNoActivityObj(LauncherInfo* launcher, TWindow* parent, const noact::NoActData& data,
                     const std::string& title, bool show_meter, FILE* out);

    void SetColumns() override;
    bool InitialCriteria() override;
    bool ContinueCriteria() override;
    int GetLineReq() override;
    int PrintDetail(int line) override;
    int PrintSubTitle(int line) override;
    std::string GetTitleStr(int i) override;
    bool EndReport(int line) override;
    long GetMaxMeterCount() override;
    std::string GetMeterTitle() override;
    int GetTitleLNum() override { return 1; }

    static constexpr int kCols[6] = {0, 32, 37, 48, 53, 69};

    // The lines a patient takes: its own, then each listed section's heading and items.
    static std::vector<std::string> ItemLines(const noact::PatientRow& p, const noact::Criteria& c);

  private:
    const noact::NoActData& data_;
    std::string title_;
    size_t i_ = 0;
    std::string printed_doctor_;
    bool first_ = true;
    std::vector<std::string> items_;
};

namespace noact {
host::output::ReportTable NoActTable(const NoActData& data);
}

class NoActReportRun : public reports::TableReportRun<noact::CollectRequest, noact::NoActData> {
  public:
    explicit NoActReportRun(const noact::Criteria& criteria);

    std::string MeterTitle() const override;
    bool Print(reports::RunContext& ctx) override;
};
