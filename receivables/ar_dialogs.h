// The receivable criteria dialogs: TARReportDlg (the full receivable report, dialog 7006)
// and TARQukRptDlg (the quick receivable list, dialog 7005). Both fill an arrpt_info,
// keep it as the practice's default through RptOptWDIniObj and run the receivable report
// (receivables/ar_run.h) through the module's run sequence.
#pragma once

#include "common/arrpt_info.h"
#include "common/reportby.h"
#include "common/rptoptini.h"
#include "host/ui/hostctl.h"
#include "host/ui/reportdlg.h"

class TARReportDlg : public TReportBaseDlg {
  public:
    // mode 0 interactive, 1 opened by another report (no Print button), 2 the unattended
    // run (prints at once through message 4005 and closes).
    TARReportDlg(TWindow* parent, TResId res_id, LauncherInfo* launcher = nullptr,
                 TModule* module = nullptr, int mode = 0);

    void SetupWindow() override;
    // A valid as-of date (else 12411), copies 1 to 5 (else 6564).
    bool ValidateDlgFields() override;
    // The criteria as the report takes them, then the run sequence (common/report_run.h).
    bool DisplayReport() override;
    // Runs the report as a preview; the dialog stays open.
    bool ActionOnPreview() override;
    // Asks 6286; on Yes keeps the criteria as the practice's default (update_ar).
    bool ActionOnSaveAsDefault() override;

    // Enabling rules: the minimum balance follows the overdue choice (not 1 or 2), the
    // report-by list and the grouping follow the producer and the report-by choice.
    void EnAdjmntMinBalFld();
    void EnDoctorFld();
    void EnRepByFld();

    const arrpt_info& GetInfo() const { return info_; }
    RptOptWDIniObj& Options() { return opts_; }

  private:
    RptOptWDIniObj opts_;
    arrpt_info info_;
    short extra_;
    TProdCBox* producer_;
    TReportByCBox* report_by_;
    TDateField* as_of_;
    TOverdueCBox* overdue_;
    TSpinField* copies_;
};

class TARQukRptDlg : public TReportBaseDlg {
  public:
    TARQukRptDlg(TWindow* parent, TResId res_id, LauncherInfo* launcher = nullptr,
                 TModule* module = nullptr);

    // The as-of date is the last day-end's (today when there is none); the overdue list
    // leaves out "7 - Plus de 365 jours", which the stored balances cannot tell.
    void SetupWindow() override;
    // A valid as-of date.
    bool ValidateDlgFields() override;
    bool DisplayReport() override;
    // Asks 6286; on Yes keeps the criteria as the practice's default (update_arquicklst).
    bool ActionOnSaveAsDefault() override;

    void EnAdjmntMinBalFld();
    void EnDoctorFld();
    void EnRepByFld();

    const arrpt_info& GetInfo() const { return info_; }
    bool GetFlag() const { return flag_ != 0; }
    RptOptWDIniObj& Options() { return opts_; }

  private:
    RptOptWDIniObj opts_;
    arrpt_info info_;
    int flag_;  // passed to the quick list: show its progress window
    TProdCBox* producer_;
    TReportByCBox* report_by_;
    TDateField* as_of_;
    TOverdueCBox* overdue_;
};
