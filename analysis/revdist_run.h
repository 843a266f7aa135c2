// One run of the revenue distribution: the collector, then the pages and the data file.
#pragma once

#include <string>

#include "analysis/revdist_rows.h"
#include "common/report_run.h"

class RevDistReportRun : public reports::ReportRun {
  public:
    RevDistReportRun(long report_date, int mode = -1);

    // Restricts the report to the rules of one billing doctor (on, and a code given).
    void SetSummByDoc(bool on, const std::string& billing_doctor);

    std::string MeterTitle() const override;
    bool Collect(reports::RunContext& ctx) override;
    bool Print(reports::RunContext& ctx) override;
    std::vector<reports::DataFile> DataFiles() const override;

    const revdist::RevDistData& Data() const { return data_; }

  private:
    long report_date_;
    int mode_;
    bool by_doctor_ = false;
    std::string doctor_;
    revdist::RevDistData data_;
    host::output::ReportTable table_;
};
