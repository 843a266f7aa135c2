// One run of a receivable report: the collector, then the pages and the data files.
#pragma once

#include "common/report_run.h"
#include "receivables/ar_rows.h"

class ARReportRun : public reports::ReportRun {
  public:
    // quick: the quick receivable list (stored balances, one line per account).
    ARReportRun(const arrpt_info& criteria, bool quick, short copies);

    std::string MeterTitle() const override;
    bool Collect(reports::RunContext& ctx) override;
    bool Print(reports::RunContext& ctx) override;
    std::vector<reports::DataFile> DataFiles() const override;
    // The summary-only form prints the summary's template.
    std::string TemplateName() const override;

    const ar::ARData& Data() const { return data_; }

  private:
    void BuildTables();
    arrpt_info criteria_;
    bool quick_;
    short copies_;
    ar::ARData data_;
    host::output::ReportTable accounts_, summary_, notes_;
};
