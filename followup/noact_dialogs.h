// The criteria dialog of the patients not seen recently (7034); its defaults are kept in
// row 4 of the options table (PPST_A51_FIELD03).
#pragma once

#include <string>

#include "common/ppsetstore.h"
#include "followup/noact_collect.h"
#include "host/ui/reportdlg.h"

class PatNoActivityDlg : public TReportBaseDlg {
  public:
    PatNoActivityDlg(TWindow* parent, TResId res_id, LauncherInfo* launcher = nullptr,
                     TModule* module = nullptr, int mode = 0);

    // The built-in defaults, then the saved ones.
    void SetupWindow() override;
    // Valid dates (12411); an activity range in order (6643).
    bool ValidateDlgFields() override;
    bool DisplayReport() override;
    bool ActionOnSaveAsDefault() override;

    const noact::Criteria& GetCriteria() const { return c_; }
    // The store of the saved defaults, bound to the criteria.
    static void BindStore(ppset::PPSetStore& store, noact::Criteria& c);

  private:
    noact::Criteria c_;
    std::string sort_;
    std::string status_;
    ppset::PPSetStore store_;
};
