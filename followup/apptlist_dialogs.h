// The appointment list's criteria dialog (2043): the period, one producer or all, one chair
// or all, and whether the missed appointments are listed.
#pragma once

#include "followup/apptlist_collect.h"
#include "host/ui/reportdlg.h"

class TApptListReportDlg : public TReportBaseDlg {
  public:
    TApptListReportDlg(TWindow* parent, TResId res_id, LauncherInfo* launcher = nullptr,
                       TModule* module = nullptr, int mode = 0);

    // Today, everybody, the missed appointments listed.
    void SetupWindow() override;
    // Valid dates (12411), in order (6643).
    bool ValidateDlgFields() override;
    bool DisplayReport() override;

    const apptlist::Criteria& GetCriteria() const { return c_; }

  private:
    apptlist::Criteria c_;
};
