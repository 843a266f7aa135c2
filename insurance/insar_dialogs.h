// The insurance receivable report's criteria dialog (7008, catalog 103). It fills an
// insarrpt_info, keeps it as the practice's default through RptOptWDIniObj (row 8) and
// runs the report (insurance/insar_run.h) through the module's run sequence.
#pragma once

#include "common/insarrpt_info.h"
#include "common/rptoptini.h"
#include "host/ui/hostctl.h"
#include "host/ui/reportdlg.h"

class TInsARRptDlg : public TReportBaseDlg {
  public:
    TInsARRptDlg(TWindow* parent, TResId res_id, LauncherInfo* launcher = nullptr,
                 TModule* module = nullptr, int mode = 0);

    // The saved criteria, the as-of date today, then the enabling rules.
    void SetupWindow() override;
    // A valid date (12411), a carrier "*" or known (911 blank, 912 unknown), copies 1 to 5
    // (6564).
    bool ValidateDlgFields() override;
    bool DisplayReport() override;
    // Asks 6286; on Yes keeps the criteria as the practice's default (update_ins_ar).
    bool ActionOnSaveAsDefault() override;

    // The minimum balance is disabled on the overdue list's first entry.
    void EnAdjmntMinBalFld();
    // A doctor other than "*" forces the grouping by producer (110) and disables 111.
    void EnAdjmntRptByBillingDrChkBx();
    void EvBillingDrLoseFocus() { EnAdjmntRptByBillingDrChkBx(); }
    // The "..." button beside the carrier: the practice's insurance companies to pick from.
    void CmInsHelp();

    const insarrpt_info& GetInfo() const { return info_; }

  private:
    RptOptWDIniObj opts_;
    insarrpt_info info_;
    TProdCBox* doctor_;
    TDateField* as_of_;
    TOverdueCBox* overdue_;
};
