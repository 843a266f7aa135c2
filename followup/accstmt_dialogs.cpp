#include "followup/accstmt_dialogs.h"

#include "common/registry.h"
#include "host/base/dates.h"
#include "host/base/strings.h"
#include "host/base/text.h"
#include "host/output/paths.h"
#include "host/output/progress.h"
#include "host/ui/controls.h"

namespace {

constexpr int kAlignQuestion = 6020;
constexpr int kAlignTitle = 6021;
constexpr int kToBeforeFrom = 6643;
constexpr int kBadDate = 12972;
constexpr int kNamesReversed = 12973;

}  // namespace

AccStatementDlg::AccStatementDlg(TWindow* parent, TResId res_id, LauncherInfo* launcher,
                                 TModule* module, int mode)
    : TReportBaseDlg(parent, res_id, launcher, module, mode) {
    new TDateField(this, 101, module);
    new TDateField(this, 102, module);
    new TDateField(this, 103, module);
    BindDate(101, &info_.stmt_date);
    BindDate(102, &info_.period_from);
    BindDate(103, &info_.period_to);
    BindText(104, &info_.from_name);
    BindText(105, &info_.to_name);
    BindCheck(106, &stacked_);
}

void AccStatementDlg::SetupWindow() {
    info_ = MSFormInfo{};
    info_.stmt_date = ldate_today();
    info_.period_to = info_.stmt_date;
    info_.period_from = host::AddMonths(info_.period_to, -1);
    TReportBaseDlg::SetupWindow();
}

bool AccStatementDlg::ValidateDlgFields() {
    if (!TReportBaseDlg::ValidateDlgFields()) return false;
    if (!host::IsValidDate(info_.stmt_date) || !host::IsValidDate(info_.period_from) ||
        !host::IsValidDate(info_.period_to)) {
        ReportFieldError(kBadDate);
        return false;
    }
    if (info_.period_to < info_.period_from) {
        ReportFieldError(kToBeforeFrom);
        return false;
    }
    info_.from_name = host::Trim(info_.from_name);
    info_.to_name = host::Trim(info_.to_name);
    if (!info_.from_name.empty() && !info_.to_name.empty() &&
        !MEndStmntForm::NameInRange(info_.from_name, info_.from_name, info_.to_name)) {
        ReportFieldError(kNamesReversed);
        return false;
    }
    info_.stacked = stacked_;
    return true;
}

bool AccStatementDlg::ConfirmOnAlign() {
    return MessageBox(host::LoadText(kAlignQuestion), host::LoadText(kAlignTitle),
                      MB_YESNO | MB_ICONQUESTION) == IDYES;
}

bool AccStatementDlg::DisplayReport() {
    std::vector<std::string> files;
    host::output::GetReportViews().RunStarted(this, GetOutputChoice());
    bool ok = true;
    aligned_ = false;
    if (ConfirmOnAlign()) {
        MSFormInfo align = info_;
        align.pdf_file = kAlignPdf;
        AlgnMEndStmntForm form(GetLauncherInfo(), this, align, nullptr, this);
        ok = form.PrintForm();
        if (ok) {
            files.push_back(form.PdfPath());
            aligned_ = true;
        } else if (ShowsMessages()) {
            MessageBox(form.Error(), GetCaption(), MB_OK | MB_ICONEXCLAMATION);
        }
    }
    if (ok) {
        MSFormInfo run = info_;
        run.pdf_file = kPdf;
        MEndStmntForm form(GetLauncherInfo(), this, run, nullptr, this);
        ok = form.PrintForm();
        run_file_ = form.RunFilePath();
        info_.count = form.Info().count;
        info_.total = form.Info().total;
        if (ok)
            files.push_back(form.PdfPath());
        else if (!form.Error().empty())
            MessageBox(form.Error(), GetCaption(), MB_OK | MB_ICONEXCLAMATION);
        if (!run_file_.empty()) files.push_back(run_file_);
    }
    host::output::GetReportViews().RunFinished(this, GetOutputChoice(), ok, files);
    if (IsUnattended()) CloseWindow(IDOK);
    return ok;
}

namespace {

REPORTS_REGISTER({
    .key = "etats",
    .command = 107,
    .resource = 7013,
    .dialog_class = "AccStatementDlg",
    .caption = "États de Compte",
    .log_name = "MEndStmntForm",
    .text_file = "etats.prt",
    .template_name = "",
    .make_dialog = [](const reports::DialogArgs& a) -> std::unique_ptr<TReportBaseDlg> {
        return std::make_unique<AccStatementDlg>(a.parent, 7013, a.launcher, a.module, a.mode);
    },
});

}  // namespace
