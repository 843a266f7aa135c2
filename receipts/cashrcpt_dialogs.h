// The cash receipts' criteria dialog (7032, on the custom tab of the special version); its
// defaults are kept in row 4 of the options table (PPST_A11_FIELD05).
#pragma once

#include "common/ppsetstore.h"
#include "host/ui/reportdlg.h"
#include "receipts/cashrcpt_collect.h"

class CashReceiptsDlg : public TReportBaseDlg {
  public:
    CashReceiptsDlg(TWindow* parent, TResId res_id, LauncherInfo* launcher = nullptr,
                    TModule* module = nullptr, int mode = 0);

    // The built-in defaults, then the saved ones.
    void SetupWindow() override;
    // Valid dates (12411), in order (6643).
    bool ValidateDlgFields() override;
    bool DisplayReport() override;
    bool ActionOnSaveAsDefault() override;

    const cashrcpt::Criteria& GetCriteria() const { return c_; }
    // The store of the saved defaults, bound to the criteria.
    static void BindStore(ppset::PPSetStore& store, cashrcpt::Criteria& c);

  private:
    cashrcpt::Criteria c_;
    int sort_ = 0;   // radio index: name, medical number, payment code
    int group_ = 0;  // radio index: not grouped, grouped
    ppset::PPSetStore store_;
};
