// The unresolved insurance report's criteria dialog (7007, catalog 104): three options,
// each date field enabled with its option.
#pragma once

#include "host/ui/controls.h"
#include "host/ui/reportdlg.h"
#include "insurance/insun_rows.h"

class TInsUnresolvedDlg : public TReportBaseDlg {
  public:
    TInsUnresolvedDlg(TWindow* parent, TResId res_id, LauncherInfo* launcher = nullptr,
                      TModule* module = nullptr, int mode = 0);

    // Every option off, the dates empty (and disabled).
    void SetupWindow() override;
    // A checked option needs a valid date (12411).
    bool ValidateDlgFields() override;
    bool DisplayReport() override;

    // The unpaid box enables the date 102 and its label 107; clearing it clears the date.
    void UnpaidClmChk();
    // The partially paid box enables the date 104 and its label 106; likewise.
    void PartialPaidClmChk();

    insun::Criteria GetCriteria() const;

  private:
    int unpaid_ = 0, partial_ = 0, unbilled_ = 0;
    long billed_before_ = 0, not_paid_since_ = 0;
    TDateField* billed_before_field_;
    TDateField* not_paid_since_field_;
};
