#include "followup/apptlist_dialogs.h"

#include "common/daterng.h"
#include "common/registry.h"
#include "common/report_run.h"
#include "followup/apptlist_reports.h"
#include "host/base/dates.h"
#include "host/base/text.h"
#include "host/ui/controls.h"
#include "host/ui/picker.h"

TApptListReportDlg::TApptListReportDlg(TWindow* parent, TResId res_id, LauncherInfo* launcher,
                                       TModule* module, int mode)
    : TReportBaseDlg(parent, res_id, launcher, module, mode) {
    new TDateField(this, 101, module);
    new TDateField(this, 102, module);
    BindDate(101, &c_.from);
    BindDate(102, &c_.to);
    BindText(103, &c_.producer);
    BindText(105, &c_.chair);
    BindCheck(106, &c_.missed);
    OnCommand(104, [this] {
        host::ui::PickInto(*this, 103, host::ui::Codes::Producers, GetLauncherInfo());
    });
}

void TApptListReportDlg::SetupWindow() {
    c_ = apptlist::DefaultCriteria(ldate_today());
    TReportBaseDlg::SetupWindow();
}

bool TApptListReportDlg::ValidateDlgFields() {
    if (!TReportBaseDlg::ValidateDlgFields()) return false;
    if (!CheckPeriod(*this, c_.from, c_.to)) return false;
    c_.producer = host::Trim(c_.producer);
    c_.chair = host::Trim(c_.chair);
    return true;
}

bool TApptListReportDlg::DisplayReport() {
    ApptListReportRun run(c_);
    const bool ok = reports::RunReport(*this, *reports::FindReport(702), run);
    if (IsUnattended()) CloseWindow(IDOK);
    return ok;
}

namespace {

REPORTS_REGISTER({
    .key = "apptlist",
    .command = 702,
    .resource = 2043,
    .dialog_class = "TApptListReportDlg",
    .caption = "Liste des Rendez-Vous",
    .log_name = "Appointment List",
    .text_file = "apptlist.prt",
    .template_name = "apptlist.rpt",
    .make_dialog = [](const reports::DialogArgs& a) -> std::unique_ptr<TReportBaseDlg> {
        return std::make_unique<TApptListReportDlg>(a.parent, 2043, a.launcher, a.module, a.mode);
    },
});

}  // namespace
