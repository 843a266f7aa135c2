// One run of the unresolved insurance report: the collector, the pages, the data file.
#pragma once

#include <string>

#include "common/report_run.h"
#include "insurance/insun_rows.h"

class InsUnResolvedRun : public reports::ReportRun {
  public:
    // mode: calculation mode, -1 the application's.
    explicit InsUnResolvedRun(const insun::Criteria& criteria, int mode = -1);

    std::string MeterTitle() const override;
    bool Collect(reports::RunContext& ctx) override;
    bool Print(reports::RunContext& ctx) override;
    std::vector<reports::DataFile> DataFiles() const override;

    const insun::InsUnData& Data() const { return data_; }

  private:
    insun::Criteria criteria_;
    int mode_;
    insun::InsUnData data_;
    host::output::ReportTable table_;
};
