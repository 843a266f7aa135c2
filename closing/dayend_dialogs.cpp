#include "closing/dayend_dialogs.h"

#include <cstring>

#include "analysis/pracanal.h"
#include "analysis/revdist_run.h"
#include "closing/dayend_reports.h"
#include "closing/dayend_state.h"
#include "closing/schedule_copies.h"
#include "common/ppsetstore.h"
#include "common/registry.h"
#include "common/report_run.h"
#include "followup/apptlist_reports.h"
#include "followup/memo_reports.h"
#include "host/base/dates.h"
#include "host/base/debuglog.h"
#include "host/base/env.h"
#include "host/base/errors.h"
#include "host/base/ini.h"
#include "host/base/strings.h"
#include "host/base/text.h"
#include "host/db/gendb.h"
#include "host/records/context.h"
#include "host/ui/controls.h"
#include "host/ui/hostctl.h"
#include "receivables/archk.h"

namespace {

constexpr int kBadDate = 12411;
constexpr int kTitle = 6109;
constexpr int kNoTransaction = 6061;
constexpr int kNoRecord = 6110;
constexpr int kOneDayOpen = 6111;
constexpr int kDaysOpen = 6112;
constexpr int kBeforeMonthEnd = 7015;
constexpr int kCheckOut = 7119;
constexpr int kPrintAppointments = 7126;
constexpr int kAlreadyClosed = 12723;
constexpr int kNotSaved = 12724;
constexpr int kMaxCopies = 5;
constexpr int kCheckDialog = 7993;
constexpr int kCheckList = 5111;

bool Yes(char c) {
    return c == 'Y';
}

}  // namespace

void TDayEndReportDlg::FromOptions(const RptOptWDIniObj& o, dayend_info* i) {
    auto yn = [](short v) { return v ? 'Y' : 'N'; };
    const short* d = o.dayend_opt;
    // Kept inverted, so that a practice without saved options creates the report.
    i->create = d[0] ? 'N' : 'Y';
    i->quick = yn(d[1]);
    i->separate = yn(d[2]);
    i->separate_by = d[3] == 1 ? 1 : 0;
    i->descriptions = yn(d[4]);
    i->no_deleted = yn(d[5]);
    i->summaries = yn(d[6]);
    i->analysis = yn(d[7]);
    i->year_totals = yn(d[8]);
    i->pmt_analysis = yn(d[9]);
    i->revdist = yn(d[10]);
    i->memos = yn(d[11]);
    // A practice that closes its day with the report also checks its receivables.
    i->close = i->ar_check = yn(d[12]);
    i->purge = yn(d[13]);
    const char* f = o.dayend_flag;
    i->balances = f[0] == 'Y' ? 'Y' : 'N';
    i->tooth = f[1] == 'N' ? 'N' : 'Y';
    i->chrono = f[2] == 'Y' ? 'Y' : 'N';
    i->selected_only = f[3] == 'Y' ? 'Y' : 'N';
}

void TDayEndReportDlg::ToOptions(const dayend_info& i, RptOptWDIniObj* o) {
    auto on = [](char c) -> short { return c == 'Y' ? 1 : 0; };
    short* d = o->dayend_opt;
    d[0] = static_cast<short>(i.create == 'Y' ? 0 : 1);
    d[1] = on(i.quick);
    d[2] = on(i.separate);
    d[3] = static_cast<short>(i.separate_by == 1 ? 1 : 0);
    d[4] = on(i.descriptions);
    d[5] = on(i.no_deleted);
    d[6] = on(i.summaries);
    d[7] = on(i.analysis);
    d[8] = on(i.year_totals);
    d[9] = on(i.pmt_analysis);
    d[10] = on(i.revdist);
    d[11] = on(i.memos);
    d[12] = on(i.close);
    d[13] = on(i.purge);
    o->dayend_flag[0] = i.balances;
    o->dayend_flag[1] = i.tooth;
    o->dayend_flag[2] = i.chrono;
    o->dayend_flag[3] = i.selected_only;
}

TDayEndReportDlg::TDayEndReportDlg(TWindow* parent, TResId res_id, LauncherInfo* launcher,
                                   TModule* module, int mode)
    : TReportBaseDlg(parent, res_id, launcher, module, mode), opts_(GetLauncherInfo()) {
    FromOptions(opts_, &info_);
    new TDateField(this, 101, module);
    producer_ = new TProdCBox(this, 103, GetLauncherInfo(), 4, module);
    new TSpinField(this, 115, 1, kMaxCopies, module);
    BindDate(101, &info_.date);
    BindCheck(102, &info_.create);
    BindCustom(103, [this](TTransferDirection d) {
        if (d == tdSetData)
            producer_->SelectCode(info_.producer);
        else
            host::CopyText(info_.producer, sizeof info_.producer, producer_->GetCode());
    });
    BindCheck(104, &info_.quick);
    BindCheck(105, &info_.summaries);
    BindCheck(106, &info_.separate);
    BindRadios({107, 108}, &info_.separate_by);
    BindCheck(109, &info_.descriptions);
    BindCheck(110, &info_.no_deleted);
    BindCheck(111, &info_.memos);
    BindCheck(112, &info_.close);
    BindCheck(113, &info_.purge);
    BindCheck(114, &info_.ar_check);
    BindSpin(115, &info_.copies);
    BindCheck(117, &info_.analysis);
    BindCheck(118, &info_.year_totals);
    BindCheck(119, &info_.pmt_analysis);
    BindCheck(120, &info_.revdist);
    BindCheck(121, &info_.sap);
    BindCheck(122, &info_.balances);
    BindCheck(123, &info_.selected_only);
    BindCheck(124, &info_.tooth);
    BindCheck(125, &info_.chrono);
    BindCheck(126, &info_.appointments);
    BindCheck(127, &info_.digital);
    for (int id : {102, 105, 106, 112, 117, 126})
        OnCommandNotify(id, BN_CLICKED, [this] { Enable(); });
    OnCommandNotify(103, CBN_SELCHANGE, [this] { Enable(); });
    OnCommand(128, [this] { DigitalHistoryListDlg(this).Execute(); });
}

void TDayEndReportDlg::SetupWindow() {
    info_.date = ldate_today();
    TReportBaseDlg::SetupWindow();
    // The accounting export is offered only to practices integrated with it.
    bool sap = false;
    {
        SysWDIniObj sys;
        sap = host::Trim(sys.read_strini("SapIntegration", "N")) == "Y";
    }
    if (!sap) {
        info_.sap = 'N';
        if (TWindow* w = ChildWithId(121)) w->ShowWindow(SW_HIDE);
    }
    TransferData(tdSetData);
    Enable();
}

// The options of the report need the report; those of the separation need it checked;
// the analysis' flags need the analysis; the integrity check and the purge go with the
// closing; the digital copy with the appointment list.
void TDayEndReportDlg::Enable() {
    auto on = [this](int id) {
        auto* box = dynamic_cast<TCheckBox*>(ChildWithId(id));
        return box && box->IsChecked();
    };
    auto enable = [this](int id, bool yes) {
        if (TWindow* w = ChildWithId(id)) w->EnableWindow(yes);
    };
    const bool create = on(102);
    for (int id : {103, 104, 106, 109, 110, 122, 124, 125, 105})
        enable(id, create);
    enable(107, create && on(106));
    enable(108, create && on(106));
    const bool one = producer_ && producer_->GetCode() != "*";
    enable(123, create && one);
    enable(118, on(117));
    enable(119, on(117));
    const bool close = on(112);
    enable(113, close);
    enable(114, close);
    enable(126, close);
    enable(127, close && on(126));
    enable(128, close && on(126));
}

bool TDayEndReportDlg::ValidateDlgFields() {
    if (!TReportBaseDlg::ValidateDlgFields()) return false;
    if (!host::IsValidDate(info_.date)) {
        ReportFieldError(kBadDate);
        return false;
    }
    if (info_.copies < 1 || info_.copies > kMaxCopies) info_.copies = 1;
    return true;
}

bool TDayEndReportDlg::ActionOnSaveAsDefault() {
    if (!ppset::ConfirmSaveAsDefault(*this)) return false;
    TransferData(tdGetData);
    ToOptions(info_, &opts_);
    if (opts_.update_dayend()) return true;
    Message(opts_.LastError(), MB_OK | MB_ICONERROR);
    return false;
}

bool TDayEndReportDlg::Ask(int text, unsigned flags) {
    return MessageBox(host::LoadText(text), host::LoadText(kTitle), flags) == IDYES;
}

void TDayEndReportDlg::Message(const std::string& text, unsigned flags) {
    MessageBox(text, host::LoadText(kTitle), flags);
}

bool TDayEndReportDlg::AnyCheckOutRecordsRemaining() {
    GenDB* db = GetLauncherInfo()->GetDb();
    const std::string p = db->dbTablePrefix();
    return db->QueryInt("SELECT COUNT(*) FROM " + p + "CTRTLINK, " + p +
                        "PATIENT WHERE CTLK_EXTRA1 = -1 and CTLK_CHART = PAT_CHART_NO AND "
                        "PAT_DELETE_DATE = 0") > 0;
}

TDayEndCheckDlg::TDayEndCheckDlg(TWindow* parent, LauncherInfo* launcher, long date)
    : TDialog(parent, kCheckDialog), launcher_(launcher), date_(date) {}

void TDayEndCheckDlg::SetupWindow() {
    TDialog::SetupWindow();
    GenDB* db = launcher_ ? launcher_->GetDb() : nullptr;
    days_.clear();
    if (!db || !dayend::UnprintedDays(*db, date_, &days_, &error_)) days_.clear();
    auto* list = ChildAs<TListBoxBase>(kCheckList);
    if (!list) return;
    list->ClearList();
    for (long day : days_)
        list->AddString(host::Dmy(day), std::to_string(day));
    list->SetSelIndex(days_.empty() ? -1 : 0);
}

bool TDayEndReportDlg::CheckOutstandingDays(long date) {
    TDayEndCheckDlg check(this, GetLauncherInfo(), date);
    return check.Execute() == IDOK;
}

bool TDayEndReportDlg::ProcessOutStandingReports(const std::vector<long>& days) {
    GenDB* db = GetLauncherInfo()->GetDb();
    for (long day : days) {
        // A day without transactions still has its (empty) report.
        if (!RunDetailSummationReports(day) && !last_empty_) return false;
        std::string error;
        if (!dayend::MarkPrinted(*db, day, &error)) {
            Message(host::U8Format(host::LoadText(kNotSaved).c_str(), host::Dmy(day).c_str(),
                                   error.c_str()),
                    MB_OK | MB_ICONERROR);
            return false;
        }
    }
    return true;
}

bool TDayEndReportDlg::RunDetailSummationReports(long date) {
    LauncherInfo* launcher = GetLauncherInfo();
    bool printed = true;
    last_empty_ = false;
    if (Yes(info_.create)) {
        dayend::Criteria c;
        c.date = date;
        c.quick = Yes(info_.quick);
        c.copies = info_.copies;
        c.skip_deleted = Yes(info_.no_deleted);
        c.descriptions = Yes(info_.descriptions);
        c.tooth = Yes(info_.tooth);
        c.chrono = Yes(info_.chrono);
        const std::string code = info_.producer;
        if (Yes(info_.separate) && code != "*" && !code.empty()) {
            c.selector = info_.separate_by == 1 ? 2 : 1;
            c.range = code;
        }
        DayEndReportRun run(c, Yes(info_.summaries));
        printed = reports::RunReport(*this, *reports::FindReport(101), run);
        if (printed && run.Report().Empty()) {
            last_empty_ = true;
            if (!IsUnattended()) Message(host::LoadText(kNoTransaction));
            printed = false;
        }
    }
    // The companion reports of the day, each to its own document.
    if (Yes(info_.analysis)) {
        PracPrnObj pa(launcher, this, 1, date, nullptr);
        pa.SetFlags(Yes(info_.year_totals) ? 1 : 0, Yes(info_.pmt_analysis) ? 1 : 0, 'N');
        if (Yes(info_.selected_only)) pa.SetSummByDoc(true, info_.producer, false);
        if (!pa.PrintReport(GetOutputChoice()))
            WriteDebugLogFile("dayend: analyse des producteurs : %s", pa.Error().c_str());
    }
    std::string error;
    if (Yes(info_.revdist)) {
        RevDistReportRun rd(date);
        if (Yes(info_.selected_only) && std::strcmp(info_.producer, "*") != 0)
            rd.SetSummByDoc(true, info_.producer);
        if (!reports::RunHeadless(rd, launcher, nullptr, 0, "revdist", &error))
            WriteDebugLogFile("dayend: distribution des revenus : %s", error.c_str());
    }
    if (Yes(info_.memos)) {
        const long next = incr_date(date, 1);
        MemoReportRun memos(next, next);
        if (!reports::RunHeadless(memos, launcher, nullptr, 0, "memos", &error))
            WriteDebugLogFile("dayend: mémos : %s", error.c_str());
    }
    return printed;
}

void TDayEndReportDlg::CloseDown() {
    if (Yes(info_.appointments)) {
        // Today's appointment list; with the digital copy it is also kept under
        // "Dayend/<day>" in the database folder. A folder that cannot be made leaves the
        // list printed without its copy.
        const long today = ldate_today();
        std::string folder;
        if (Yes(info_.digital)) {
            folder = dayend::ScheduleFolder(today);
            if (!host::EnsureDir(folder)) {
                WriteDebugLogFile("dayend: dossier %s non créé", folder.c_str());
                folder.clear();
            }
        }
        std::string error;
        if (!apptlist::PrintDayList(GetLauncherInfo(), today, folder, &error))
            WriteDebugLogFile("dayend: liste des rendez-vous : %s", error.c_str());
    }
    ProcessARCheckOnly();
}

void TDayEndReportDlg::ProcessARCheckOnly() {
    // The receivable integrity check, always repairing; its divergences are printed and
    // logged by the check itself.
    LauncherInfo* launcher = GetLauncherInfo();
    TEmgBase errors;
    ArChk check(launcher->GetListPtr(), launcher->GetMsgPtr());
    const bool interactive = !IsUnattended();
    check.CheckAR(true, this, launcher, nullptr, &errors, interactive);
    if (!check.Ran()) {
        WriteDebugLogFile("dayend: vérification du C / R : %s", errors.Text().c_str());
        if (interactive && errors.HasError()) Message(errors.Text(), MB_OK | MB_ICONERROR);
    }
}

bool TDayEndReportDlg::DisplayReport() {
    LauncherInfo* launcher = GetLauncherInfo();
    GenDB* db = launcher ? launcher->GetDb() : nullptr;
    if (!db) return false;
    const long date = info_.date;
    const bool close = Yes(info_.close);
    const bool interactive = !IsUnattended();
    WriteDebugLogFile("START DayEnd Report: date = %ld", date);

    if (interactive && close) {
        if (AnyCheckOutRecordsRemaining() && !Ask(kCheckOut)) return false;
        if (Yes(info_.purge) && !Yes(info_.appointments) && Ask(kPrintAppointments))
            info_.appointments = 'Y';
    }
    std::string error;
    dayend::DayEndState state;
    if (!dayend::ReadState(*db, &state, &error) || !state.found) {
        if (interactive) Message(host::LoadText(kNoRecord), MB_OK | MB_ICONERROR);
        return false;
    }
    if (state.month_end && date <= state.month_end) {
        Message(host::U8Format(host::LoadText(kBeforeMonthEnd).c_str(),
                               host::Dmy(state.month_end).c_str()));
        return false;
    }
    // Earlier days still open, when this run does not close the day: accepted as done on
    // the user's word.
    const long previous = incr_date(date, -1);
    if (!close && state.last_day && state.last_day < previous) {
        const bool one = incr_date(state.last_day, 1) == previous;
        if (!Ask(one ? kOneDayOpen : kDaysOpen)) return false;
        if (!dayend::UpdateLastDay(*db, previous, &error)) {
            Message(error, MB_OK | MB_ICONERROR);
            return false;
        }
    }
    std::vector<long> missed;
    if (!dayend::UnprintedDays(*db, date, &missed, &error)) {
        Message(error, MB_OK | MB_ICONERROR);
        return false;
    }
    if (!missed.empty()) {
        if (interactive && !CheckOutstandingDays(date)) return false;
        if (!ProcessOutStandingReports(missed)) return false;
    }

    bool printed = false;
    if (Yes(info_.create)) {
        printed = RunDetailSummationReports(date);
        // A closing marks the day printed itself, in the one transaction of the closing.
        if (printed && !close && !dayend::MarkPrinted(*db, date, &error))
            Message(host::U8Format(host::LoadText(kNotSaved).c_str(), host::Dmy(date).c_str(),
                                   error.c_str()),
                    MB_OK | MB_ICONERROR);
    } else {
        RunDetailSummationReports(date);
    }

    bool ok = !Yes(info_.create) || printed;
    if (close) {
        // The closing's own writes go in the same transaction as the day's state.
        const bool purge = Yes(info_.purge);
        auto tasks = [purge, date](GenDB& tx, std::string* why) {
            if (!purge) return true;
            const std::string sql =
                "DELETE FROM " + std::string(tx.dbTablePrefix()) +
                "PATAPT WHERE PAPT_DELDATE > 0 AND PAPT_DELDATE <= " + std::to_string(date);
            if (tx.dbExecute(sql) == 0) return true;
            *why = tx.dbLastError() ? tx.dbLastError() : "purge";
            return false;
        };
        switch (dayend::CloseDay(*db, date, printed, tasks, &error)) {
            case dayend::CloseResult::Closed:
                CloseDown();
                break;
            case dayend::CloseResult::AlreadyClosed:
                Message(host::U8Format(host::LoadText(kAlreadyClosed).c_str(),
                                       host::Dmy(date).c_str()));
                ok = false;
                break;
            case dayend::CloseResult::Failed:
                Message(host::U8Format(host::LoadText(kNotSaved).c_str(), host::Dmy(date).c_str(),
                                       error.c_str()),
                        MB_OK | MB_ICONERROR);
                ok = false;
                break;
        }
    }
    WriteDebugLogFile("END DayEnd Report: date = %ld", date);
    if (IsUnattended()) CloseWindow(IDOK);
    return ok;
}

namespace {

REPORTS_REGISTER({
    .key = "dayend",
    .command = 101,
    .resource = 7003,
    .dialog_class = "TDayEndReportDlg",
    .caption = "Rapport de Fin de Journée",
    .log_name = "DayEnd Report",
    .text_file = "dayend.prt",
    .template_name = "dayendreport.rpt",
    .writes = true,
    .make_dialog = [](const reports::DialogArgs& a) -> std::unique_ptr<TReportBaseDlg> {
        return std::make_unique<TDayEndReportDlg>(a.parent, 7003, a.launcher, a.module, a.mode);
    },
});

}  // namespace
