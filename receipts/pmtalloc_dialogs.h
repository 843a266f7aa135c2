// The payment allocations' criteria dialog (7028): the date range, producers or billing
// doctors, one practitioner or all, the kinds of payment and one insurer or all.
#pragma once

#include <string>

#include "host/ui/reportdlg.h"
#include "receipts/pmtalloc_collect.h"

class PaymentAllocationsRptDlg : public TReportBaseDlg {
  public:
    PaymentAllocationsRptDlg(TWindow* parent, TResId res_id, LauncherInfo* launcher = nullptr,
                             TModule* module = nullptr, int mode = 0);

    // The dates run from the first of the month to today.
    void SetupWindow() override;
    // Valid dates (12411), in order (6643).
    bool ValidateDlgFields() override;
    bool DisplayReport() override;

    const pmtalloc::Criteria& GetCriteria() const { return c_; }

  private:
    pmtalloc::Criteria c_;
    std::string order_by_;
};
