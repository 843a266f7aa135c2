// The practice analysis criteria dialog (TPracAnalysisDlg, dialog 7018, catalog 111) and the
// run of the practice analysis through the module's run sequence.
#pragma once

#include <string>

#include "analysis/pracanal.h"
#include "common/report_run.h"
#include "common/rptoptini.h"
#include "host/ui/hostctl.h"
#include "host/ui/reportdlg.h"

// One run from the Reports Manager: the engine, the production report and (when asked) the
// payment report in one text document, and both XML data files.
class PracAnalysisRun : public reports::ReportRun {
  public:
    // code: a producer or billing-doctor code, or "*"; by_billdr: reported by billing
    // doctor (and, with "*", only the billing doctors).
    PracAnalysisRun(LauncherInfo* launcher, long report_date, const std::string& code,
                    bool by_billdr, short show_ytd, short print_payments);

    std::string MeterTitle() const override;
    bool Collect(reports::RunContext& ctx) override;
    bool Print(reports::RunContext& ctx) override;
    std::vector<reports::DataFile> DataFiles() const override;

    PracPrnObj& Driver() { return driver_; }

  private:
    PracPrnObj driver_;
};

class TPracAnalysisDlg : public TReportBaseDlg {
  public:
    TPracAnalysisDlg(TWindow* parent, TResId res_id, LauncherInfo* launcher = nullptr,
                     TModule* module = nullptr, int mode = 0);

    void SetupWindow() override;
    // Keeps the show-YTD and print-payments choices (update_inisect), then runs the report
    // for today.
    bool DisplayReport() override;

  private:
    RptOptWDIniObj opts_;
    TProdCBox* producer_;
    std::string code_;
    std::string report_by_ = "P";  // 'D': by billing doctor
    int show_ytd_ = 0, print_payments_ = 0;
};
