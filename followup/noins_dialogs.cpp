#include "followup/noins_dialogs.h"

#include "common/registry.h"
#include "common/report_run.h"
#include "followup/noins_reports.h"
#include "host/base/text.h"

NoInsDlg::NoInsDlg(TWindow* parent, TResId res_id, LauncherInfo* launcher, TModule* module,
                   int mode)
    : TReportBaseDlg(parent, res_id, launcher, module, mode) {
    BindCheck(101, &c_.check_active);
    BindCheck(102, &students_);
    BindText(103, &status_);
}

bool NoInsDlg::ValidateDlgFields() {
    if (!TReportBaseDlg::ValidateDlgFields()) return false;
    c_.students_only = students_ ? 1 : 0;
    // An empty status takes every patient, as '*' does.
    const std::string status = host::Trim(status_);
    c_.status = status.empty() ? '*' : status[0];
    return true;
}

bool NoInsDlg::DisplayReport() {
    NoInsReportRun run(c_);
    const bool ok = reports::RunReport(*this, *reports::FindReport(209), run);
    if (IsUnattended()) CloseWindow(IDOK);
    return ok;
}

namespace {

REPORTS_REGISTER({
    .key = "noins",
    .command = 209,
    .resource = 7026,
    .dialog_class = "NoInsDlg",
    .caption = "Patients Sans Assurance",
    .log_name = "Patients Without Insurance",
    .text_file = "noinsrpt.prt",
    .template_name = "noinsrpt.rpt",
    .make_dialog = [](const reports::DialogArgs& a) -> std::unique_ptr<TReportBaseDlg> {
        return std::make_unique<NoInsDlg>(a.parent, 7026, a.launcher, a.module, a.mode);
    },
});

}  // namespace
