// One run of the revenue distribution: the collector, then the pages and the data file.
#pragma once

#include <string>

#include "analysis/revdist_collect.h"
#include "analysis/revdist_rows.h"
#include "common/report_run.h"

class RevDistReportRun
    : public reports::TableReportRun<revdist::CollectRequest, revdist::RevDistData> {
  public:
    RevDistReportRun(long report_date, int mode = -1);

    // Restricts the report to the rules of one billing doctor (on, and a code given).
    void SetSummByDoc(bool on, const std::string& billing_doctor);

    std::string MeterTitle() const override;
    bool Print(reports::RunContext& ctx) override;
};
