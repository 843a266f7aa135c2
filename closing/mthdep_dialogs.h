// The monthly deposit report's criteria dialog (7046, catalog 121); its defaults are kept
// in the section "MONTHDEP REPORT" of the workstation INI file.
#pragma once

#include <string>

#include "closing/mthdep_collect.h"
#include "host/ui/reportdlg.h"

class TProdCBox;

class MonthlyDepositReportDlg : public TReportBaseDlg {
  public:
    MonthlyDepositReportDlg(TWindow* parent, TResId res_id, LauncherInfo* launcher = nullptr,
                            TModule* module = nullptr, int mode = 0);

    // The month to date, then the saved defaults.
    void SetupWindow() override;
    // Valid dates (12411), in order (6643), at most 35 days (12816), known codes.
    bool ValidateDlgFields() override;
    // The run; an empty period says 7149.
    bool DisplayReport() override;
    bool ActionOnSaveAsDefault() override;

    const mthdep::Criteria& GetCriteria() const { return c_; }
    // "C, CH,DB" -> {"C", "CH", "DB"}.
    static std::vector<std::string> SplitCodes(const std::string& text);

  private:
    mthdep::Criteria c_;
    bool by_bank_ = false;
    bool by_doctor_ = false;
    bool practice_total_ = true;
    int report_by_ = 1;  // 0 producer, 1 billing doctor
    std::string codes_;
    TProdCBox* prod_ = nullptr;
};
