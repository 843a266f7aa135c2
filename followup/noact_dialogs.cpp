#include "followup/noact_dialogs.h"

#include <cctype>

#include "common/daterng.h"
#include "common/registry.h"
#include "common/report_run.h"
#include "followup/noact_reports.h"
#include "host/base/dates.h"
#include "host/base/text.h"
#include "host/records/context.h"
#include "host/ui/controls.h"

namespace {

constexpr int kBadDate = 12411;
constexpr int kStoreCursor = 31632;

}  // namespace

void PatNoActivityDlg::BindStore(ppset::PPSetStore& store, noact::Criteria& c) {
    using ppset::Slot;
    // A stored date of 0 keeps the built-in date: a saved value always names a date.
    store.Bind(
        "PPST_A51_FIELD03",
        {Slot::Text(c.from_dr, sizeof c.from_dr, ppset::kClip),
         Slot::Text(c.to_dr, sizeof c.to_dr, ppset::kClip), Slot::Char(&c.pending, ppset::kIfYesNo),
         Slot::Char(&c.plan, ppset::kIfYesNo), Slot::Char(&c.recalls, ppset::kIfYesNo),
         Slot::Char(&c.appointments, ppset::kIfYesNo), Slot::Char(&c.sort, ppset::kIfNotEmpty),
         Slot::Number(&c.copies, ppset::kIfPositive), Slot::Number(&c.cutoff, ppset::kIfPositive),
         Slot::Number(&c.planned_from, ppset::kIfPositive),
         Slot::Number(&c.active_from, ppset::kIfPositive),
         Slot::Number(&c.active_to, ppset::kIfPositive), Slot::Char(&c.status, ppset::kIfNotEmpty),
         Slot::Char(&c.last, ppset::kIfYesNo)});
}

PatNoActivityDlg::PatNoActivityDlg(TWindow* parent, TResId res_id, LauncherInfo* launcher,
                                   TModule* module, int mode)
    : TReportBaseDlg(parent, res_id, launcher, module, mode), store_(ppset::Owner::PatNoActivity) {
    for (int id : {109, 110, 111, 112})
        new TDateField(this, id, module);
    BindText(101, c_.from_dr, sizeof c_.from_dr);
    BindText(102, c_.to_dr, sizeof c_.to_dr);
    BindCheck(103, &c_.pending);
    BindCheck(104, &c_.plan);
    BindCheck(105, &c_.recalls);
    BindCheck(106, &c_.appointments);
    BindText(107, &sort_);
    BindDate(109, &c_.cutoff);
    BindDate(110, &c_.planned_from);
    BindDate(111, &c_.active_from);
    BindDate(112, &c_.active_to);
    BindText(113, &status_);
    BindSpin(114, &c_.copies);
    BindStore(store_, c_);
}

void PatNoActivityDlg::SetupWindow() {
    c_ = noact::DefaultCriteria(ldate_today());
    LauncherInfo* launcher = GetLauncherInfo();
    if (launcher && launcher->GetDb()) store_.Load(launcher->GetDb(), kStoreCursor);
    sort_ = std::string(1, c_.sort);
    status_ = std::string(1, c_.status);
    TReportBaseDlg::SetupWindow();
}

bool PatNoActivityDlg::ValidateDlgFields() {
    if (!TReportBaseDlg::ValidateDlgFields()) return false;
    for (long d : {c_.cutoff, c_.planned_from}) {
        if (d != 0 && !host::IsValidDate(d)) {
            ReportFieldError(kBadDate);
            return false;
        }
    }
    if (!CheckPeriod(*this, c_.active_from, c_.active_to, true)) return false;
    // Any order other than by doctor is by name; an empty status takes every patient.
    const std::string sort = host::Trim(sort_);
    c_.sort = !sort.empty() && std::toupper(static_cast<unsigned char>(sort[0])) == 'D' ? 'D' : 'P';
    const std::string status = host::Trim(status_);
    c_.status = status.empty() ? '*' : status[0];
    return true;
}

bool PatNoActivityDlg::ActionOnSaveAsDefault() {
    return ppset::SaveAsDefault(*this, store_);
}

bool PatNoActivityDlg::DisplayReport() {
    NoActReportRun run(c_);
    const bool ok = reports::RunReport(*this, *reports::FindReport(210), run);
    if (IsUnattended()) CloseWindow(IDOK);
    return ok;
}

namespace {

REPORTS_REGISTER({
    .key = "patnoactivity",
    .command = 210,
    .resource = 7034,
    .dialog_class = "PatNoActivityDlg",
    .caption = "Patients Non Vus Récemment",
    .log_name = "Patients Not Seen Recently",
    .text_file = "PatNoActivity.prt",
    .template_name = "PatNoActivity.rpt",
    .make_dialog = [](const reports::DialogArgs& a) -> std::unique_ptr<TReportBaseDlg> {
        return std::make_unique<PatNoActivityDlg>(a.parent, 7034, a.launcher, a.module, a.mode);
    },
});

}  // namespace
