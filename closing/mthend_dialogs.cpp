#include "closing/mthend_dialogs.h"

#include <cstdio>
#include <cstring>
#include <filesystem>

#include "analysis/pracanal.h"
#include "closing/dayend_state.h"
#include "closing/mthdep_reports.h"
#include "closing/mthend_reports.h"
#include "closing/mthend_state.h"
#include "common/ppsetstore.h"
#include "common/registry.h"
#include "common/report_run.h"
#include "host/base/dates.h"
#include "host/base/debuglog.h"
#include "host/base/ini.h"
#include "host/base/strings.h"
#include "host/base/text.h"
#include "host/db/gendb.h"
#include "host/output/paths.h"
#include "host/records/context.h"
#include "host/ui/controls.h"
#include "host/ui/dlgtemplate.h"
#include "host/ui/hostctl.h"

namespace {

constexpr int kTitle = 6162;
constexpr int kNoReport = 6155;
constexpr int kBadMonth = 6208;
constexpr int kFuture = 6150;
constexpr int kFromDate = 6180;
constexpr int kSelectCreate = 6151;
constexpr int kNoTransaction = 6153;
constexpr int kOneDoctor = 7132;
constexpr int kCurrentMonth = 6183;
constexpr int kNoYearEnd = 6209;
constexpr int kYearEndOnly = 6211;
constexpr int kBeforeMonthEnd = 6154;
constexpr int kUnprinted = 6481;
constexpr int kWithoutReport = 6185;
constexpr int kPrinted = 6207;
constexpr int kAlreadyClosed = 12920;
constexpr int kNotClosed = 12921;
constexpr int kNoReprint = 12922;
constexpr int kYearEndTitle = 12923;
constexpr const char* kSection = "REPORTS";

bool Yes(char c) {
    return c == 'Y';
}

long LastMonthEnd(GenDB* db, const char* column) {
    return static_cast<long>(db->QueryInt(std::string("SELECT ") + column + " FROM " +
                                          db->dbTablePrefix() + "DAYEND WHERE DEND_ID = 1"));
}

}  // namespace

void TMonthEndBaseDlg::FromOptions(const RptOptWDIniObj& o, mthend_info* i) {
    auto yn = [](short v) { return v ? 'Y' : 'N'; };
    const short* m = o.mthend_opt;
    i->grouping = m[0] >= 0 && m[0] <= 2 ? m[0] : 0;
    i->hyg_subtotals = yn(m[1]);
    i->aux_pages = yn(m[2]);
    i->order = m[3] == 1 ? 1 : 0;
    // Kept inverted, so that a practice without saved options prints the report and the
    // practice totals.
    i->create = m[4] ? 'N' : 'Y';
    i->daily = yn(m[5]);
    i->deposits = yn(m[6]);
    i->practice_totals = m[7] ? 'N' : 'Y';
    i->analysis = yn(m[8]);
    i->year_totals = yn(m[9] & 1);
    i->pmt_analysis = yn(m[9] & 2);
    i->by_doctor = i->grouping == 1 ? 'N' : 'Y';
}

void TMonthEndBaseDlg::ToOptions(const mthend_info& i, RptOptWDIniObj* o) {
    auto on = [](char c) -> short { return c == 'Y' ? 1 : 0; };
    short* m = o->mthend_opt;
    m[0] = static_cast<short>(i.grouping);
    m[1] = on(i.hyg_subtotals);
    m[2] = on(i.aux_pages);
    m[3] = static_cast<short>(i.order);
    m[4] = static_cast<short>(i.create == 'Y' ? 0 : 1);
    m[5] = on(i.daily);
    m[6] = on(i.deposits);
    m[7] = static_cast<short>(i.practice_totals == 'Y' ? 0 : 1);
    m[8] = on(i.analysis);
    m[9] = static_cast<short>(on(i.year_totals) | on(i.pmt_analysis) << 1);
}

std::string TMonthEndBaseDlg::UnprintedList(const std::vector<long>& days) {
    std::string list;
    for (long d : days)
        list += host::U8Format("%8ld\n", d);
    return list;
}

TMonthEndBaseDlg::TMonthEndBaseDlg(TWindow* parent, TResId res_id, LauncherInfo* launcher,
                                   TModule* module, int mode, int command)
    : TReportBaseDlg(parent, res_id, launcher, module, mode),
      opts_(GetLauncherInfo()),
      command_(command) {
    FromOptions(opts_, &info_);
    new TSpinField(this, 101, 1, 12, module);
    new TSpinField(this, 119, 1900, 2100, module);
    new TSpinField(this, 117, 1, 5, module);
    BindSpin(101, &info_.month);
    BindSpin(119, &info_.year);
    BindCheck(111, &info_.create);
    BindCheck(112, &info_.daily);
    BindCheck(113, &info_.deposits);
    BindCheck(115, &info_.month_end);
    BindCheck(116, &info_.year_end);
    BindSpin(117, &info_.copies);
}

void TMonthEndBaseDlg::SetupWindow() {
    // The month just ended, or the unattended run's saved month.
    const long today = ldate_today();
    long prev = host::AddMonths(today / 100 * 100 + 1, -1);
    WDIniObj ini;
    const int saved_month = ini.read_secini(kSection, "MEndOverNiteMonth", 0);
    const int saved_year = ini.read_secini(kSection, "MEndOverNiteYear", 0);
    if (IsUnattended() && saved_month >= 1 && saved_month <= 12 && saved_year > 1900)
        prev = saved_year * 10000L + saved_month * 100L + 1;
    info_.month = static_cast<short>(prev / 100 % 100);
    info_.year = static_cast<short>(prev / 10000);
    if (auto* year = dynamic_cast<TSpinField*>(ChildWithId(119)))
        year->SetRange(static_cast<int>(today / 10000) - 10, static_cast<int>(today / 10000) + 1);
    TReportBaseDlg::SetupWindow();
    ShowDates();
}

void TMonthEndBaseDlg::ShowDates() {
    GenDB* db = GetLauncherInfo() ? GetLauncherInfo()->GetDb() : nullptr;
    if (!db) return;
    if (auto* s = dynamic_cast<TStatic*>(ChildWithId(132)))
        s->SetText(host::Dmy(LastMonthEnd(db, "DEND_MENDDATE")));
    if (auto* s = dynamic_cast<TStatic*>(ChildWithId(133)))
        s->SetText(host::Dmy(LastMonthEnd(db, "DEND_YENDDATE")));
}

bool TMonthEndBaseDlg::Ask(int text, const std::string& arg1, const std::string& arg2) {
    if (IsUnattended()) return true;
    const std::string t = host::U8Format(host::LoadText(text).c_str(), arg1.c_str(), arg2.c_str());
    return MessageBox(t, host::LoadText(kTitle), MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void TMonthEndBaseDlg::Message(const std::string& text, unsigned flags) {
    if (IsUnattended()) {
        WriteDebugLogFile("monthend: %s", text.c_str());
        return;
    }
    MessageBox(text, host::LoadText(kTitle), flags);
}

bool TMonthEndBaseDlg::ValidateDlgFields() {
    if (!TReportBaseDlg::ValidateDlgFields()) return false;
    if (info_.copies < 1 || info_.copies > 5) info_.copies = 1;
    const mthend::Period p = mthend::MonthPeriod(info_.year, info_.month);
    if (p.first == 0) {
        ReportFieldError(kBadMonth);
        return false;
    }
    first_ = p.first;
    last_ = p.last;
    const bool close = Yes(info_.month_end) || Yes(info_.year_end);
    const bool any_report = Yes(info_.create) || Yes(info_.daily) || Yes(info_.deposits) ||
                            (command_ == 108 && Yes(info_.analysis));
    if (!any_report && !close) {
        ReportFieldError(kNoReport);
        return false;
    }
    const long today = ldate_today();
    if (first_ > today) {
        ReportFieldError(kFuture);
        return false;
    }
    if (!close) return true;
    // Closing the month.
    if (OneDoctor()) {
        ReportFieldError(kOneDoctor);
        return false;
    }
    GenDB* db = GetLauncherInfo()->GetDb();
    const long mend = LastMonthEnd(db, "DEND_MENDDATE");
    if (mend && last_ <= mend) {
        ReportFieldError(
            host::U8Format(host::LoadText(kBeforeMonthEnd).c_str(), host::Dmy(mend).c_str()));
        return false;
    }
    // Months skipped since the last month-end: the closing starts the day after it.
    if (mend && first_ > incr_date(mend, 1)) {
        const long from = incr_date(mend, 1);
        if (!Ask(kFromDate, host::Dmy(from))) return false;
        first_ = from;
    }
    if (!Yes(info_.month_end) && Yes(info_.year_end) && !Ask(kYearEndOnly)) return false;
    if (Yes(info_.month_end) && !Yes(info_.year_end)) {
        SysWDIniObj sys;
        if (sys.read_intini("YEMonth", 0) == info_.month && !Ask(kNoYearEnd)) return false;
    }
    if (today >= first_ && today <= last_ && !Ask(kCurrentMonth)) return false;
    if (!Yes(info_.create) && Ask(kSelectCreate)) {
        info_.create = 'Y';
        TransferData(tdSetData);
    }
    return true;
}

bool TMonthEndBaseDlg::ActionOnSaveAsDefault() {
    if (!ppset::ConfirmSaveAsDefault(*this)) return false;
    TransferData(tdGetData);
    ToOptions(info_, &opts_);
    WDIniObj ini;
    const bool ini_ok = ini.write_secini(kSection, "MEndOverNiteMonth", info_.month) &&
                        ini.write_secini(kSection, "MEndOverNiteYear", info_.year);
    if (opts_.update_mthend() && ini_ok) return true;
    Message(ini_ok ? opts_.LastError() : "rapports.ini", MB_OK | MB_ICONERROR);
    return false;
}

bool TMonthEndBaseDlg::DisplayReport() {
    LauncherInfo* launcher = GetLauncherInfo();
    GenDB* db = launcher ? launcher->GetDb() : nullptr;
    if (!db) return false;
    const bool close = Yes(info_.month_end) || Yes(info_.year_end);
    WriteDebugLogFile("START MonthEnd Report: %ld - %ld", first_, last_);
    if (close && !Yes(info_.create) && !Ask(kWithoutReport)) return false;
    const mthend::Period period{first_, last_};
    std::vector<long> unprinted;
    std::string error;
    if (close) {
        if (!mthend::UnprintedDays(*db, period, &unprinted, &error)) {
            Message(error, MB_OK | MB_ICONERROR);
            return false;
        }
        if (!unprinted.empty()) {
            Message(host::LoadText(kUnprinted) + UnprintedList(unprinted));
            return false;
        }
    }

    // The data files of the previous run: those this run does not write would be stale.
    for (const char* name :
         {"\\XML\\monthend.xml", "\\XML\\monthenddet.xml", "\\XML\\mthdepsum.xml",
          "\\XML\\PracAnalysis.xml", "\\XML\\PracAnalysisPmt.xml"})
        std::remove(host::output::OutputPath(name, false).c_str());

    bool ok = true;
    bool printed = false;
    if (Yes(info_.create) || Yes(info_.daily)) {
        MonthEndReportRun run(MakeCriteria(), Yes(info_.create), Yes(info_.daily));
        ok = reports::RunReport(*this, *reports::FindReport(command_), run);
        printed = ok && Yes(info_.create);
        if (ok && run.Data().Empty()) Message(host::LoadText(kNoTransaction));
    }
    if (Yes(info_.deposits)) {
        // Its pages as a document of their own, and its data file.
        const int calc_mode = launcher->App() ? launcher->App()->m_CalAR : 1;
        MonthlyDepositSummaryRun deposits(first_, last_, calc_mode);
        bool done = reports::RunHeadless(deposits, launcher, nullptr, GetOutputChoice(),
                                         "mthdepsum", &error);
        for (const reports::DataFile& f : deposits.DataFiles())
            done = done && f.table->SaveXml(f.xml_file, &error);
        if (!done) WriteDebugLogFile("monthend: dépôts mensuels : %s", error.c_str());
    }
    Companions();

    // The reprint file: the text of an all-doctors report printed with output kind 1 on a
    // month that is being closed.
    if (close && printed && GetOutputChoice() == 1 && !OneDoctor()) {
        const std::string folder = mthend::ReprintFolder();
        std::error_code ec;
        std::filesystem::create_directories(folder, ec);
        const std::string target = folder + mthend::ReprintName(last_);
        if (!mthend::CreateReprintFile(host::output::OutputPath("mthend.prt"), target, &error))
            Message(host::U8Format(host::LoadText(kNoReprint).c_str(), error.c_str()));
    }

    if (close && ok) {
        const std::string desc = mthend::MonthTitle(first_);
        if (Ask(kPrinted, desc, host::Dmy(last_))) {
            mthend::CloseRequest req;
            req.period = period;
            req.year_end = Yes(info_.year_end);
            req.today = ldate_today();
            const std::string log = host::output::OutputPath("monthend.log");
            req.log_folder = log.substr(0, log.find_last_of('/'));
            switch (mthend::PerformMthend(*db, req, &unprinted, &error)) {
                case mthend::CloseResult::Closed:
                    ShowDates();
                    break;
                case mthend::CloseResult::AlreadyClosed:
                    Message(host::U8Format(host::LoadText(kAlreadyClosed).c_str(), desc.c_str()));
                    ok = false;
                    break;
                case mthend::CloseResult::Unprinted:
                    Message(host::LoadText(kUnprinted) + UnprintedList(unprinted));
                    ok = false;
                    break;
                case mthend::CloseResult::Refused:
                case mthend::CloseResult::Failed:
                    Message(host::U8Format(host::LoadText(kNotClosed).c_str(), error.c_str()),
                            MB_OK | MB_ICONERROR);
                    ok = false;
                    break;
            }
        }
    }
    WriteDebugLogFile("END MonthEnd Report: %ld - %ld", first_, last_);
    if (IsUnattended()) CloseWindow(IDOK);
    return ok;
}

// --- 108 ---

TMonthEndReportDlg::TMonthEndReportDlg(TWindow* parent, TResId res_id, LauncherInfo* launcher,
                                       TModule* module, int mode)
    : TMonthEndBaseDlg(parent, res_id, launcher, module, mode, 108) {
    producer_ = new TProdCBox(this, 108, GetLauncherInfo(), 4, module);
    BindRadios({103, 104, 106}, &info_.grouping);
    BindCheck(105, &info_.hyg_subtotals);
    BindCheck(107, &info_.aux_pages);
    BindCustom(108, [this](TTransferDirection d) {
        if (d == tdSetData)
            producer_->SelectCode(info_.producer);
        else
            host::CopyText(info_.producer, sizeof info_.producer, producer_->GetCode());
    });
    BindRadios({109, 110}, &info_.order);
    BindCheck(114, &info_.practice_totals);
    BindCheck(124, &info_.analysis);
    BindCheck(125, &info_.year_totals);
    BindCheck(126, &info_.pmt_analysis);
    BindCheck(127, &info_.selected_only);
    OnCommand(129, [this] { CmYearEnd(); });
    for (int id : {103, 104, 106, 124})
        OnCommandNotify(id, BN_CLICKED, [this] { Enable(); });
    OnCommandNotify(108, CBN_SELCHANGE, [this] { Enable(); });
}

void TMonthEndReportDlg::SetupWindow() {
    TMonthEndBaseDlg::SetupWindow();
    SysWDIniObj sys;
    SetYearEndText(sys.read_intini("YEMonth", 0));
    Enable();
}

// The hygienists' subtotals go with the billing doctors' pages; "selected only" with one
// doctor; the analysis' flags with the analysis.
void TMonthEndReportDlg::Enable() {
    auto checked = [this](int id) {
        auto* box = dynamic_cast<TCheckBox*>(ChildWithId(id));
        return box && box->IsChecked();
    };
    auto enable = [this](int id, bool yes) {
        if (TWindow* w = ChildWithId(id)) w->EnableWindow(yes);
    };
    enable(105, checked(103));
    enable(127, producer_ && producer_->GetCode() != "*");
    enable(125, checked(124));
    enable(126, checked(124));
}

void TMonthEndReportDlg::SetYearEndText(int month) {
    if (auto* s = dynamic_cast<TStatic*>(ChildWithId(128)))
        s->SetText(month >= 1 && month <= 12 ? host::LoadText(6162 + month) : std::string());
}

void TMonthEndReportDlg::CmYearEnd() {
    SysWDIniObj sys;
    YearEndDlg dlg(this, sys.read_intini("YEMonth", 0));
    if (dlg.Execute() != IDOK) return;
    const int month = dlg.GetMonth();
    if (month < 1 || month > 12) return;
    sys.write_intini("YEMonth", month);
    SetYearEndText(month);
}

mthend::Criteria TMonthEndReportDlg::MakeCriteria() const {
    mthend::Criteria c;
    c.first = first_;
    c.last = last_;
    c.grouping = static_cast<mthend::Grouping>(info_.grouping);
    c.hyg_subtotals = Yes(info_.hyg_subtotals);
    c.aux_pages = Yes(info_.aux_pages);
    c.by_receivable = info_.order == 1;
    c.practice_totals = Yes(info_.practice_totals);
    c.range = info_.producer;
    // A billing doctor's code names its doctor's lines whatever their producer.
    c.range_billdr =
        info_.grouping != 1 && std::strlen(info_.producer) == 3 && info_.producer[0] == 'D';
    c.selected_only = Yes(info_.selected_only);
    c.copies = info_.copies;
    return c;
}

bool TMonthEndReportDlg::OneDoctor() const {
    return std::strcmp(info_.producer, "*") != 0 && info_.producer[0] != '\0';
}

void TMonthEndReportDlg::Companions() {
    if (!Yes(info_.analysis)) return;
    PracPrnObj pa(GetLauncherInfo(), this, 2, last_, nullptr);
    // The dialog's choice prints it, whatever the practice's own switch says.
    pa.SetFlags(Yes(info_.year_totals) ? 1 : 0, Yes(info_.pmt_analysis) ? 1 : 0, 'M');
    pa.SetPrint(1);
    if (!pa.PrintReport(GetOutputChoice()))
        WriteDebugLogFile("monthend: analyse des producteurs : %s", pa.Error().c_str());
}

// --- 1003 ---

TMonthEndReportDlgEx::TMonthEndReportDlgEx(TWindow* parent, TResId res_id, LauncherInfo* launcher,
                                           TModule* module, int mode)
    : TMonthEndBaseDlg(parent, res_id, launcher, module, mode, 1003) {
    from_ = new TProdCBox(this, 123, GetLauncherInfo(), 4, module);
    to_ = new TProdCBox(this, 124, GetLauncherInfo(), 4, module);
    BindCustom(123, [this](TTransferDirection d) {
        if (d == tdSetData)
            from_->SelectCode(info_.from_dr);
        else
            host::CopyText(info_.from_dr, sizeof info_.from_dr, from_->GetCode());
    });
    BindCustom(124, [this](TTransferDirection d) {
        if (d == tdSetData)
            to_->SelectCode(info_.to_dr);
        else
            host::CopyText(info_.to_dr, sizeof info_.to_dr, to_->GetCode());
    });
    BindCheck(125, &info_.by_doctor);
}

mthend::Criteria TMonthEndReportDlgEx::MakeCriteria() const {
    auto bound = [](const char* code) {
        return std::strcmp(code, "*") == 0 ? std::string() : std::string(code);
    };
    mthend::Criteria c = mthend::TMonthEndRepSummationEx::MakeCriteria(
        first_, last_, bound(info_.from_dr), bound(info_.to_dr), Yes(info_.by_doctor), 1);
    c.copies = info_.copies;
    return c;
}

bool TMonthEndReportDlgEx::OneDoctor() const {
    return std::strcmp(info_.from_dr, "*") != 0 || std::strcmp(info_.to_dr, "*") != 0;
}

// --- YearEndDlg ---

namespace {

std::shared_ptr<const host::ui::DialogTemplate> YearEndTemplate() {
    static const std::shared_ptr<const host::ui::DialogTemplate> tmpl = [] {
        auto t = std::make_shared<host::ui::DialogTemplate>();
        std::string error;
        host::ui::ParseDialogTemplate("dialog 0 \"" + host::LoadText(kYearEndTitle) +
                                          "\" 150 60\n"
                                          "static -1 10 12 40 8 \"Mois :\"\n"
                                          "spin 101 55 10 30 12 range=1..12 name=month\n"
                                          "button 1 20 36 50 14 \"OK\" default\n"
                                          "button 2 80 36 50 14 \"&Annuler\"\n",
                                      "yearend.dlg", t.get(), &error);
        return t;
    }();
    return tmpl;
}

}  // namespace

YearEndDlg::YearEndDlg(TWindow* parent, int month)
    : TDialog(parent, YearEndTemplate()), month_(month >= 1 && month <= 12 ? month : 12) {
    new TSpinField(this, 101, 1, 12);
    BindSpin(101, &month_);
}

void YearEndDlg::CmOk() {
    TransferData(tdGetData);
    if (month_ < 1 || month_ > 12) {
        ReportFieldError(kBadMonth);
        return;
    }
    TDialog::CmOk();
}

namespace {

REPORTS_REGISTER({
    .key = "mthend",
    .command = 108,
    .resource = 7002,
    .dialog_class = "TMonthEndReportDlg",
    .caption = "Traitement du Rapport de Fin de Mois",
    .log_name = "MonthEnd Report",
    .text_file = "mthend.prt",
    .template_name = "mthend.rpt",
    .writes = true,
    .make_dialog = [](const reports::DialogArgs& a) -> std::unique_ptr<TReportBaseDlg> {
        return std::make_unique<TMonthEndReportDlg>(a.parent, 7002, a.launcher, a.module, a.mode);
    },
});

REPORTS_REGISTER({
    .key = "mthendex",
    .command = 1003,
    .resource = 7036,
    .dialog_class = "TMonthEndReportDlgEx",
    .caption = "Rapport de Fin de Mois",
    .log_name = "MonthEnd Report",
    .text_file = "mthend.prt",
    .template_name = "mthend.rpt",
    .writes = true,
    .make_dialog = [](const reports::DialogArgs& a) -> std::unique_ptr<TReportBaseDlg> {
        return std::make_unique<TMonthEndReportDlgEx>(a.parent, 7036, a.launcher, a.module, a.mode);
    },
});

}  // namespace
