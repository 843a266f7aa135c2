// One run of the insurance receivable report: the collector, then the pages of the chosen
// form and its data files.
#pragma once

#include <string>

#include "common/report_run.h"
#include "insurance/insar_rows.h"

class InsARReportRun : public reports::ReportRun {
  public:
    // criteria as the dialog prepared them (overdue number set); mode: calculation mode,
    // -1 the application's.
    explicit InsARReportRun(const insarrpt_info& criteria, int mode = -1);

    std::string MeterTitle() const override;
    bool Collect(reports::RunContext& ctx) override;
    bool Print(reports::RunContext& ctx) override;
    std::vector<reports::DataFile> DataFiles() const override;
    std::string TemplateName() const override;

    const insar::InsARData& Data() const { return data_; }

  private:
    insarrpt_info criteria_;
    int mode_;
    insar::InsARData data_;
    host::output::ReportTable claims_, totals_;
};
