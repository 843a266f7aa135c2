// InsUnresolvedObj, the unresolved insurance report's pages: the criteria, then one line
// per claim, patient by patient, closed by the totals. It takes the rows of insun_rows.h.
#pragma once

#include <cstdio>
#include <string>

#include "host/output/ovreport.h"
#include "host/output/report_table.h"
#include "insurance/insun_rows.h"

class InsUnresolvedObj : public OvReportObj {
  public:
    InsUnresolvedObj(LauncherInfo* launcher, TWindow* parent, const insun::InsUnData& data,
                     bool show_meter, FILE* out);

    void SetColumns() override;
    bool InitialCriteria() override;
    bool ContinueCriteria() override;
    int PrintDetail(int line) override;
    int PrintSubTitle(int line) override;
    std::string GetTitleStr(int i) override;
    int GetTitleLNum() override;
    bool EndReport(int line) override;
    long GetMaxMeterCount() override;
    std::string GetMeterTitle() override;

    static constexpr int kCols[11] = {0, 26, 30, 34, 38, 48, 60, 72, 80, 93, 106};

  private:
    const insun::InsUnData& data_;
    size_t row_ = 0;
};

namespace insun {

// The claims as a data table (the XML data file insun.xml and the spreadsheet).
host::output::ReportTable ClaimsTable(const InsUnData& data);

}  // namespace insun
