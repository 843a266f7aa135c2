#include "insurance/insun_dialogs.h"

#include "common/registry.h"
#include "common/report_run.h"
#include "host/base/dates.h"
#include "insurance/insun_run.h"

namespace {

constexpr int kBadDate = 12411;

void Enable(TDialog& dlg, int id, bool enable) {
    if (TWindow* w = dlg.ChildWithId(id)) w->EnableWindow(enable);
}

bool Checked(TDialog& dlg, int id) {
    auto* c = dlg.ChildAs<TCheckBox>(id);
    return c && c->GetCheck() == BF_CHECKED;
}

}  // namespace

TInsUnresolvedDlg::TInsUnresolvedDlg(TWindow* parent, TResId res_id, LauncherInfo* launcher,
                                     TModule* module, int mode)
    : TReportBaseDlg(parent, res_id, launcher, module, mode) {
    billed_before_field_ = new TDateField(this, 102, module);
    not_paid_since_field_ = new TDateField(this, 104, module);
    BindCheck(101, &unpaid_);
    BindDate(102, &billed_before_);
    BindCheck(103, &partial_);
    BindDate(104, &not_paid_since_);
    BindCheck(105, &unbilled_);
    OnCommand(101, [this] { UnpaidClmChk(); });
    OnCommand(103, [this] { PartialPaidClmChk(); });
}

void TInsUnresolvedDlg::SetupWindow() {
    TReportBaseDlg::SetupWindow();
    unpaid_ = partial_ = unbilled_ = 0;
    billed_before_ = not_paid_since_ = 0;
    TransferData(tdSetData);
    UnpaidClmChk();
    PartialPaidClmChk();
}

void TInsUnresolvedDlg::UnpaidClmChk() {
    const bool on = Checked(*this, 101);
    if (!on) billed_before_field_->SetDate(0);
    Enable(*this, 102, on);
    Enable(*this, 107, on);
}

void TInsUnresolvedDlg::PartialPaidClmChk() {
    const bool on = Checked(*this, 103);
    if (!on) not_paid_since_field_->SetDate(0);
    Enable(*this, 104, on);
    Enable(*this, 106, on);
}

bool TInsUnresolvedDlg::ValidateDlgFields() {
    if (!TReportBaseDlg::ValidateDlgFields()) return false;
    if ((unpaid_ && !host::IsValidDate(billed_before_)) ||
        (partial_ && !host::IsValidDate(not_paid_since_))) {
        ReportFieldError(kBadDate);
        return false;
    }
    return true;
}

insun::Criteria TInsUnresolvedDlg::GetCriteria() const {
    insun::Criteria c;
    c.unpaid = unpaid_ != 0;
    c.billed_before = unpaid_ ? billed_before_ : 0;
    c.partial = partial_ != 0;
    c.not_paid_since = partial_ ? not_paid_since_ : 0;
    c.unbilled = unbilled_ != 0;
    return c;
}

bool TInsUnresolvedDlg::DisplayReport() {
    InsUnResolvedRun run(GetCriteria());
    const bool ok = reports::RunReport(*this, *reports::FindReport("insun"), run);
    if (IsUnattended()) CloseWindow(IDOK);
    return ok;
}

namespace {

REPORTS_REGISTER({
    .key = "insun",
    .command = 104,
    .resource = 7007,
    .dialog_class = "TInsUnresolvedDlg",
    .caption = "Assurance En Suspens",
    .log_name = "Unresolved Insurance Report",
    .text_file = "insunrpt.prt",
    .template_name = "insun.rpt",
    .make_dialog = [](const reports::DialogArgs& a) -> std::unique_ptr<TReportBaseDlg> {
        return std::make_unique<TInsUnresolvedDlg>(a.parent, 7007, a.launcher, a.module, a.mode);
    },
});

}  // namespace
