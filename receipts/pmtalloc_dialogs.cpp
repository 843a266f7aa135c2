#include "receipts/pmtalloc_dialogs.h"

#include <cctype>

#include "common/daterng.h"
#include "common/registry.h"
#include "common/report_run.h"
#include "host/base/dates.h"
#include "host/base/text.h"
#include "host/ui/controls.h"
#include "receipts/pmtalloc_reports.h"

namespace {}  // namespace

PaymentAllocationsRptDlg::PaymentAllocationsRptDlg(TWindow* parent, TResId res_id,
                                                   LauncherInfo* launcher, TModule* module,
                                                   int mode)
    : TReportBaseDlg(parent, res_id, launcher, module, mode) {
    new TDateField(this, 101, module);
    new TDateField(this, 102, module);
    BindDate(101, &c_.from);
    BindDate(102, &c_.to);
    BindText(103, &order_by_);
    BindText(104, &c_.practitioner);
    BindCheck(105, &c_.group);
    BindCheck(106, &c_.patient);
    BindCheck(107, &c_.insurance);
    BindCheck(108, &c_.adjustments);
    BindText(109, &c_.payor);
}

void PaymentAllocationsRptDlg::SetupWindow() {
    c_ = pmtalloc::DefaultCriteria(ldate_today());
    order_by_ = std::string(1, c_.order_by);
    TReportBaseDlg::SetupWindow();
}

bool PaymentAllocationsRptDlg::ValidateDlgFields() {
    if (!TReportBaseDlg::ValidateDlgFields()) return false;
    if (!CheckPeriod(*this, c_.from, c_.to)) return false;
    // Any order other than by producer is by billing doctor.
    const std::string o = host::Trim(order_by_);
    c_.order_by = !o.empty() && std::toupper(static_cast<unsigned char>(o[0])) == 'P' ? 'P' : 'D';
    c_.practitioner = host::Trim(c_.practitioner);
    c_.payor = host::Trim(c_.payor);
    return true;
}

bool PaymentAllocationsRptDlg::DisplayReport() {
    PmtAllocReportRun run(c_);
    const bool ok = reports::RunReport(*this, *reports::FindReport(114), run);
    if (IsUnattended()) CloseWindow(IDOK);
    return ok;
}

namespace {

REPORTS_REGISTER({
    .key = "pmtalloc",
    .command = 114,
    .resource = 7028,
    .dialog_class = "PaymentAllocationsRptDlg",
    .caption = "Allocations de Paiements",
    .log_name = "Payment Allocations",
    .text_file = "pmtallocrpt.prt",
    .template_name = "pmtalloc.rpt",
    .make_dialog = [](const reports::DialogArgs& a) -> std::unique_ptr<TReportBaseDlg> {
        return std::make_unique<PaymentAllocationsRptDlg>(a.parent, 7028, a.launcher, a.module,
                                                          a.mode);
    },
});

}  // namespace
