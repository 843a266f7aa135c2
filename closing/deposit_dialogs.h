// The daily deposit's criteria dialog (7001, catalog 100). Its defaults are kept in the
// section "DEPOSIT REPORT" of the workstation INI file.
#pragma once

#include <string>

#include "closing/deposit_collect.h"
#include "host/ui/reportdlg.h"

class TProdCBox;

class TDayTrialReportDlg : public TReportBaseDlg {
  public:
    TDayTrialReportDlg(TWindow* parent, TResId res_id, LauncherInfo* launcher = nullptr,
                       TModule* module = nullptr, int mode = 0);

    // Today, then the saved defaults.
    void SetupWindow() override;
    // A date (6063), valid (12411), not after today (6062); a doctor when grouping (12805).
    bool ValidateDlgFields() override;
    // The run; an empty day says 6061 under 6060.
    bool DisplayReport() override;
    bool ActionOnSaveAsDefault() override;

    const deposit::Criteria& GetCriteria() const { return c_; }

  private:
    // "Grouper par Dentiste" enables the doctor list.
    void EnableProdFlds();
    void LoadDefaults();

    deposit::Criteria c_;
    bool by_doctor_ = false;
    bool adj_subtotals_ = false;
    bool worksheet_ = true;
    TProdCBox* doctor_ = nullptr;
};
