#include "closing/deposit_dialogs.h"

#include "closing/deposit_reports.h"
#include "common/ppsetstore.h"
#include "common/registry.h"
#include "common/report_run.h"
#include "host/base/dates.h"
#include "host/base/ini.h"
#include "host/base/strings.h"
#include "host/base/text.h"
#include "host/records/context.h"
#include "host/ui/controls.h"
#include "host/ui/hostctl.h"

namespace {

constexpr int kNoTransaction = 6061;
constexpr int kWindowTitle = 6060;
constexpr int kFutureDate = 6062;
constexpr int kNoDate = 6063;
constexpr int kBadDate = 12411;
constexpr int kNoDoctor = 12805;
constexpr const char* kSection = "DEPOSIT REPORT";

// "D01" (the producer list's code of a dentist) -> "01"; "" for any other producer.
std::string BillingDoctor(const std::string& code) {
    return code.size() == 3 && code[0] == 'D' ? code.substr(1) : std::string();
}

}  // namespace

TDayTrialReportDlg::TDayTrialReportDlg(TWindow* parent, TResId res_id, LauncherInfo* launcher,
                                       TModule* module, int mode)
    : TReportBaseDlg(parent, res_id, launcher, module, mode) {
    new TDateField(this, 101, module);
    doctor_ = new TProdCBox(this, 104, GetLauncherInfo(), 4, module);
    BindDate(101, &c_.date);
    BindCheck(102, &by_doctor_);
    BindCustom(104, [this](TTransferDirection d) {
        if (d == tdSetData)
            doctor_->SelectCode(c_.doctor.empty() ? "*" : "D" + c_.doctor);
        else
            c_.doctor = BillingDoctor(doctor_->GetCode());
    });
    BindCheck(105, &adj_subtotals_);
    BindCheck(106, &worksheet_);
    BindCheck(107, &c_.adjustments_sheet);
    BindCheck(111, &c_.cash_subtotals);
    BindCheck(110, &c_.break_direct);
    BindSpin(108, &c_.copies);
    OnCommand(102, [this] { EnableProdFlds(); });
}

void TDayTrialReportDlg::LoadDefaults() {
    WDIniObj ini;
    by_doctor_ = ini.read_secini(kSection, "ByDoctor", 0) != 0;
    c_.doctor = host::Trim(ini.read_secini(kSection, "Doctor", ""));
    adj_subtotals_ = ini.read_secini(kSection, "AdjSubTotals", 0) != 0;
    worksheet_ = ini.read_secini(kSection, "Worksheet", 1) != 0;
    c_.adjustments_sheet = ini.read_secini(kSection, "AdjSheet", 0) != 0;
    c_.cash_subtotals = ini.read_secini(kSection, "CashSubTotals", 0) != 0;
    c_.break_direct = ini.read_secini(kSection, "BreakDirect", 0) != 0;
    const int copies = ini.read_secini(kSection, "NumCopies", 1);
    c_.copies = static_cast<short>(copies < 1 || copies > 5 ? 1 : copies);
}

void TDayTrialReportDlg::SetupWindow() {
    c_ = deposit::Criteria{};
    c_.date = ldate_today();
    LoadDefaults();
    TReportBaseDlg::SetupWindow();
    EnableProdFlds();
}

void TDayTrialReportDlg::EnableProdFlds() {
    bool on = by_doctor_;
    if (auto* c = ChildAs<TCheckBox>(102)) on = c->GetCheck() == BF_CHECKED;
    if (TWindow* w = ChildWithId(104)) w->EnableWindow(on);
}

bool TDayTrialReportDlg::ValidateDlgFields() {
    if (!TReportBaseDlg::ValidateDlgFields()) return false;
    if (c_.date == 0) {
        ReportFieldError(kNoDate);
        return false;
    }
    if (!host::IsValidDate(c_.date)) {
        ReportFieldError(kBadDate);
        return false;
    }
    if (c_.date > ldate_today()) {
        ReportFieldError(kFutureDate);
        return false;
    }
    c_.by_doctor = by_doctor_;
    if (c_.by_doctor && c_.doctor.empty()) {
        ReportFieldError(kNoDoctor);
        return false;
    }
    if (!c_.by_doctor) c_.doctor.clear();
    c_.adj_subtotals = adj_subtotals_ ? 1 : 0;
    c_.worksheet = worksheet_ ? 1 : 0;
    if (c_.copies < 1) c_.copies = 1;
    return true;
}

bool TDayTrialReportDlg::ActionOnSaveAsDefault() {
    if (!ppset::ConfirmSaveAsDefault(*this)) return false;
    WDIniObj ini;
    bool ok = ini.write_secini(kSection, "ByDoctor", by_doctor_ ? 1 : 0);
    ok = ok && ini.write_secini(kSection, "Doctor", c_.doctor.c_str());
    ok = ok && ini.write_secini(kSection, "AdjSubTotals", adj_subtotals_ ? 1 : 0);
    ok = ok && ini.write_secini(kSection, "Worksheet", worksheet_ ? 1 : 0);
    ok = ok && ini.write_secini(kSection, "AdjSheet", c_.adjustments_sheet ? 1 : 0);
    ok = ok && ini.write_secini(kSection, "CashSubTotals", c_.cash_subtotals ? 1 : 0);
    ok = ok && ini.write_secini(kSection, "BreakDirect", c_.break_direct ? 1 : 0);
    ok = ok && ini.write_secini(kSection, "NumCopies", c_.copies);
    return ok;
}

bool TDayTrialReportDlg::DisplayReport() {
    const QDSApplication* app = GetApp();
    DayTrialReportRun run(c_, app ? app->m_CalAR : 1);
    const bool ok = reports::RunReport(*this, *reports::FindReport(100), run);
    if (run.Empty() && !IsUnattended())
        MessageBox(host::LoadText(kNoTransaction), host::LoadText(kWindowTitle),
                   MB_OK | MB_ICONEXCLAMATION);
    if (IsUnattended()) CloseWindow(IDOK);
    return ok;
}

namespace {

REPORTS_REGISTER({
    .key = "deposit",
    .command = 100,
    .resource = 7001,
    .dialog_class = "TDayTrialReportDlg",
    .caption = "Dépôts Bancaires Journaliers",
    .log_name = "Daily Deposit",
    .text_file = "deposit.prt",
    .template_name = "deposit.rpt",
    .make_dialog = [](const reports::DialogArgs& a) -> std::unique_ptr<TReportBaseDlg> {
        return std::make_unique<TDayTrialReportDlg>(a.parent, 7001, a.launcher, a.module, a.mode);
    },
});

}  // namespace
