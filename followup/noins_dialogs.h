// The criteria dialog of the patients without insurance (7026): the check of active
// policies, students only and a patient status.
#pragma once

#include <string>

#include "followup/noins_collect.h"
#include "host/ui/reportdlg.h"

class NoInsDlg : public TReportBaseDlg {
  public:
    NoInsDlg(TWindow* parent, TResId res_id, LauncherInfo* launcher = nullptr,
             TModule* module = nullptr, int mode = 0);

    bool ValidateDlgFields() override;
    bool DisplayReport() override;

    const noins::Criteria& GetCriteria() const { return c_; }

  private:
    noins::Criteria c_;
    bool students_ = false;
    std::string status_ = "*";
};
