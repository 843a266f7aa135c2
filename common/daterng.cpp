#include "common/daterng.h"

#include "common/notyet.h"
#include "host/base/dates.h"

namespace {

constexpr int kBadDate = 12411;
constexpr int kFromAfterToday = 6642;
constexpr int kToBeforeFrom = 6643;

TDateRngDlg::PeriodReport period_report = nullptr;

}  // namespace

bool CheckPeriod(TDialog& dlg, long from, long to, bool optional) {
    for (long d : {from, to})
        if (!(optional && d == 0) && !host::IsValidDate(d)) {
            dlg.ReportFieldError(kBadDate);
            return false;
        }
    if (from != 0 && to != 0 && to < from) {
        dlg.ReportFieldError(kToBeforeFrom);
        return false;
    }
    return true;
}

TDateRngDlg::TDateRngDlg(TWindow* parent, TResId res_id, LauncherInfo* launcher, TModule* module,
                         int mode)
    : TReportBaseDlg(parent, res_id, launcher, module, mode),
      from_(ldate_today()),
      to_(ldate_today()) {
    new TDateField(this, 102, module);
    new TDateField(this, 103, module);
    BindDate(102, &from_);
    BindDate(103, &to_);
}

bool TDateRngDlg::ValidateDlgFields() {
    if (!TReportBaseDlg::ValidateDlgFields()) return false;
    if (to_ == 0 && from_ > ldate_today()) {
        ReportFieldError(kFromAfterToday);
        return false;
    }
    return CheckPeriod(*this, from_, to_, true);
}

bool TDateRngDlg::DisplayReport() {
    if (!period_report) return ReportNotYetAvailable(*this);
    // Without a to date the period ends today (the check above keeps the from date before).
    const bool ok = period_report(*this, from_, to_ != 0 ? to_ : ldate_today());
    if (IsUnattended()) CloseWindow(IDOK);
    return ok;
}

bool TDateRngDlg::SetPeriodReport(PeriodReport report) {
    period_report = report;
    return true;
}
