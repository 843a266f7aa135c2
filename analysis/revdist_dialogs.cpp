#include "analysis/revdist_dialogs.h"

#include "analysis/revdist_run.h"
#include "common/registry.h"
#include "common/report_run.h"
#include "host/base/dates.h"
#include "host/base/text.h"
#include "host/records/context.h"
#include "host/records/practice.h"
#include "host/ui/controls.h"

namespace {

constexpr int kBadDate = 12411;
constexpr int kUnknownDoctor = 12570;

}  // namespace

TRevDistDlg::TRevDistDlg(TWindow* parent, TResId res_id, LauncherInfo* launcher, TModule* module,
                         int mode)
    : TReportBaseDlg(parent, res_id, launcher, module, mode) {
    date_field_ = new TDateField(this, 101, module);
    BindDate(101, &date_);
    BindText(102, &doctor_);
}

void TRevDistDlg::SetupWindow() {
    TReportBaseDlg::SetupWindow();
    date_ = ldate_today();
    date_field_->SetDate(date_);
}

bool TRevDistDlg::ValidateDlgFields() {
    if (!TReportBaseDlg::ValidateDlgFields()) return false;
    if (!host::IsValidDate(date_)) {
        ReportFieldError(kBadDate);
        return false;
    }
    doctor_ = host::Trim(doctor_);
    LauncherInfo* launcher = GetLauncherInfo();
    if (!doctor_.empty() && !IsBillingDr(GetProdCode(doctor_.c_str()).c_str(),
                                         launcher ? launcher->GetDb() : nullptr)) {
        ReportFieldError(kUnknownDoctor);
        return false;
    }
    return true;
}

bool TRevDistDlg::DisplayReport() {
    RevDistReportRun run(date_);
    // The rules name billing doctors by their two-letter code ("01" for D01).
    std::string code = host::Trim(doctor_);
    if (code.size() == 3 && (code[0] == 'D' || code[0] == 'd')) code = code.substr(1);
    run.SetSummByDoc(!code.empty(), code);
    const bool ok = reports::RunReport(*this, *reports::FindReport("revdist"), run);
    if (IsUnattended()) CloseWindow(IDOK);
    return ok;
}

namespace {

REPORTS_REGISTER({
    .key = "revdist",
    .command = 0,
    .resource = 7995,
    .dialog_class = "TRevDistDlg",
    .caption = "Distribution de Revenu",
    .log_name = "Revenue Distribution",
    .text_file = "revdist.prt",
    .template_name = "",
    .make_dialog = [](const reports::DialogArgs& a) -> std::unique_ptr<TReportBaseDlg> {
        return std::make_unique<TRevDistDlg>(a.parent, 7995, a.launcher, a.module, a.mode);
    },
});

}  // namespace
