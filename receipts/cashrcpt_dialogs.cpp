#include "receipts/cashrcpt_dialogs.h"

#include <utility>

#include "common/registry.h"
#include "common/report_run.h"
#include "host/base/dates.h"
#include "host/records/context.h"
#include "host/ui/controls.h"
#include "host/ui/picker.h"
#include "receipts/cashrcpt_reports.h"

namespace {

constexpr int kBadDate = 12411;
constexpr int kToBeforeFrom = 6643;
constexpr int kStoreCursor = 31654;
constexpr char kSorts[] = {'P', 'M', 'A'};

}  // namespace

void CashReceiptsDlg::BindStore(ppset::PPSetStore& store, cashrcpt::Criteria& c) {
    using ppset::Slot;
    // A blank or NUL sort or grouping keeps the built-in one.
    store.Bind("PPST_A11_FIELD05",
               {Slot::Text(c.from_dr, sizeof c.from_dr, ppset::kClip),
                Slot::Text(c.to_dr, sizeof c.to_dr, ppset::kClip),
                Slot::Char(&c.sort, ppset::kIfNotEmpty), Slot::Char(&c.group, ppset::kIfNotEmpty)});
}

CashReceiptsDlg::CashReceiptsDlg(TWindow* parent, TResId res_id, LauncherInfo* launcher,
                                 TModule* module, int mode)
    : TReportBaseDlg(parent, res_id, launcher, module, mode), store_(ppset::Owner::CashReceipts) {
    new TDateField(this, 101, module);
    new TDateField(this, 102, module);
    BindDate(101, &c_.from);
    BindDate(102, &c_.to);
    BindText(103, c_.from_dr, sizeof c_.from_dr);
    BindText(104, c_.to_dr, sizeof c_.to_dr);
    for (const auto& [button, field] : {std::pair{111, 103}, std::pair{112, 104}})
        OnCommand(static_cast<UINT>(button), [this, f = field] {
            host::ui::PickInto(*this, f, host::ui::Codes::BillingDoctors, GetLauncherInfo());
        });
    BindSpin(105, &c_.copies);
    BindRadios({106, 107, 108}, &sort_);
    BindRadios({109, 110}, &group_);
    BindStore(store_, c_);
}

void CashReceiptsDlg::SetupWindow() {
    c_ = cashrcpt::DefaultCriteria(ldate_today());
    LauncherInfo* launcher = GetLauncherInfo();
    if (launcher && launcher->GetDb()) store_.Load(launcher->GetDb(), kStoreCursor);
    sort_ = c_.sort == 'M' ? 1 : c_.sort == 'A' ? 2 : 0;
    group_ = c_.group == 'Y' ? 1 : 0;
    TReportBaseDlg::SetupWindow();
}

bool CashReceiptsDlg::ValidateDlgFields() {
    if (!TReportBaseDlg::ValidateDlgFields()) return false;
    if (!host::IsValidDate(c_.from) || !host::IsValidDate(c_.to)) {
        ReportFieldError(kBadDate);
        return false;
    }
    if (c_.to < c_.from) {
        ReportFieldError(kToBeforeFrom);
        return false;
    }
    c_.sort = kSorts[sort_ >= 0 && sort_ < 3 ? sort_ : 0];
    c_.group = group_ == 1 ? 'Y' : 'N';
    if (c_.copies < 1) c_.copies = 1;
    return true;
}

bool CashReceiptsDlg::ActionOnSaveAsDefault() {
    return ppset::SaveAsDefault(*this, store_);
}

bool CashReceiptsDlg::DisplayReport() {
    CashReceiptsReportRun run(c_);
    const bool ok = reports::RunReport(*this, *reports::FindReport(1002), run);
    if (IsUnattended()) CloseWindow(IDOK);
    return ok;
}

namespace {

REPORTS_REGISTER({
    .key = "cashreceipts",
    .command = 1002,
    .resource = 7032,
    .dialog_class = "CashReceiptsDlg",
    .caption = "Reçus en Argent",
    .log_name = "Cash Receipts",
    .text_file = "CashReceipts.prt",
    .template_name = "cashrcpt.rpt",
    .make_dialog = [](const reports::DialogArgs& a) -> std::unique_ptr<TReportBaseDlg> {
        return std::make_unique<CashReceiptsDlg>(a.parent, 7032, a.launcher, a.module, a.mode);
    },
});

}  // namespace
