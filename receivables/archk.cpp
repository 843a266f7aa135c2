#include "receivables/archk.h"

#include <algorithm>
#include <cstring>
#include <fstream>

#include "analysis/prodanal.h"
#include "host/base/dates.h"
#include "host/base/debuglog.h"
#include "host/base/env.h"
#include "host/base/errors.h"
#include "host/base/strings.h"
#include "host/base/text.h"
#include "host/calc/arcalc.h"
#include "host/calc/walk.h"
#include "host/db/gendb.h"
#include "host/output/paths.h"
#include "host/output/printobj.h"
#include "host/output/progress.h"
#include "host/records/context.h"
#include "host/records/practice.h"
#include "host/records/records.h"

#ifndef RAPPORTS_VERSION
#define RAPPORTS_VERSION "0"
#endif

namespace {

constexpr int kCannotLock = 6310;   // "Impossible d'ouvrir le fichier d'entrée"
constexpr int kMeterTitle = 6311;   // "Vérification du Compte à Recevoir"
constexpr int kCalcSetup = 6312;    // "Erreur d'exécution du calcul C / R"
constexpr int kCalcError = 6313;    // "Erreur de calcul pour ce compte"
constexpr int kAccHeader = 6314;    // "Date d'exécution : %-24.24s ... Page : %3.3s \n"
constexpr int kAccColumns1 = 6316;  // "----- CALCULÉ -----" / "------- COMPTE ------"
constexpr int kAccColumns2 = 6317;
constexpr int kAccRule = 6318;
constexpr int kProdHeader = 6319;  // "Date d'exécution : %-24.24sDivergences C / R (Dr)\n"
constexpr int kProdColumns1 = 6321;
constexpr int kProdColumns2 = 6322;
constexpr int kProdRule = 6323;
constexpr int kAnalysisFailed = 12700;  // the producer analysis could not be built
constexpr int kFileFailed = 12701;      // "dayarchk.txt" could not be written

constexpr int kCurAccounts = 44;
constexpr int kPageLines = 50;
constexpr int kHeaderLines = 6;
constexpr int kPrintPageLines = 60;
constexpr const char* kPageBreak = "@OV.Page.Break@";
constexpr const char* kCheckFile = "dayarchk.txt";
constexpr const char* kTraceFile = "prodanalchk.txt";
constexpr const char* kLogFile = "dayarchk.log";

double Money(int64_t cents) {
    return static_cast<double>(cents) / 100.0;
}

std::string AccountName(const account_struct& a) {
    return host::Trim(a.lname) + ", " + host::Trim(a.pname);
}

// "CALC_FROM_DATABASE" or "CALC_FROM_INFO".
const char* SourceName(bool from_db) {
    return from_db ? "CALC_FROM_DATABASE" : "CALC_FROM_INFO";
}

}  // namespace

ArChk::ArChk(DLnkList* list, MsgInfo* msg)
    : list_(std::make_unique<DLnkList>(list ? *list : DLnkList())),
      msg_(std::make_unique<MsgInfo>(msg ? msg->number() : 0, list_.get())),
      account_info_(std::make_unique<AccountInfo>(list_.get(), msg_.get())),
      calc_(std::make_unique<DrArCalc>(list_.get(), msg_.get())),
      day_sheet_(std::make_unique<DayShtInfo>(list_.get(), msg_.get())) {
    if (msg) msg_->SetWindow(msg->window());
    // The practice identification line of the page headers.
    TPracAddIni practice(list_->db());
    const pracadd_struct& p = practice.GetRec();
    practice_line_ = host::Trim(p.name);
    if (!host::Trim(p.name2).empty()) practice_line_ += " - " + host::Trim(p.name2);
    if (!host::Trim(p.city).empty()) practice_line_ += ", " + host::Trim(p.city);
}

ArChk::~ArChk() {
    if (out_) std::fclose(out_);
}

// The tables the check reads, in the host's numbering: the accounts, claims and treatment
// lines excluded (their balances are rewritten from them), the patients, users, payments,
// applications and office charges shared.
void ArChk::SetLockPkts() {
    locks_ = {{TBL_ACCOUNT, 1, 3},  {TBL_PATIENT, 1, 2}, {TBL_PATCLM, 1, 3}, {TBL_CLMTRT, 1, 3},
              {TBL_USERIDCD, 1, 2}, {TBL_ACCPMT, 1, 2},  {TBL_PMTAPP, 1, 2}, {TBL_PATOCH, 1, 2}};
    keeps_ = {{TBL_PATIENT, 'S', 0}, {TBL_PATCLM, 'S', 12}, {TBL_CLMTRT, 'S', 13},
              {TBL_PMTAPP, 'S', 23}, {TBL_PATOCH, 'S', 20}, {TBL_PMTAPP, 'S', 22},
              {TBL_PMTAPP, 'S', 21}, {TBL_ACCOUNT, 'K', 0}, {TBL_ACCPMT, 'S', 18}};
}

bool ArChk::FromDatabase() const {
    return calc_mode_ == 1;
}

long ArChk::DaySheetCount() {
    return day_sheet_->GetRecCount();
}

void ArChk::Fail(TEmgBase* errors, int message, const std::string& detail) {
    error_ = host::LoadText(message);
    if (!detail.empty()) error_ += " (" + detail + ")";
    WriteDebugLogFile("ArChk::CheckAR: %s", error_.c_str());
    errors->SetErrMsgInfo(nullptr, message, msg_->window());
    errors->ReportError();
}

std::string ArChk::RunDateTime() const {
    char date[40];
    ldate_to_str1(date, ldate_today(), 611);
    int h = 0, m = 0, s = 0;
    host::Now(&h, &m, &s);
    return std::string(date) + host::U8Format(" - %02d:%02d:%02d", h, m, s);
}

void ArChk::Write(const std::string& text) {
    if (out_) std::fputs(text.c_str(), out_);
}

void ArChk::PageHeader(bool producer_section) {
    if (!first_page_) Write(std::string(kPageBreak) + "\n");
    first_page_ = false;
    ++page_;
    lines_left_ = kPageLines;
    const std::string page = host::U8Format("%d", page_);
    const std::string when = RunDateTime();
    if (producer_section) {
        Write(host::U8Format(host::LoadText(kProdHeader).c_str(), when.c_str()));
        Write(host::U8Format("%s\n", practice_line_.c_str()));
        for (int id : {kProdColumns1, kProdColumns2, kProdRule})
            Write(host::LoadText(id) + "\n");
    } else {
        Write(host::U8Format(host::LoadText(kAccHeader).c_str(), when.c_str(), page.c_str()));
        Write(host::U8Format("%s\n", practice_line_.c_str()));
        for (int id : {kAccColumns1, kAccColumns2, kAccRule})
            Write(host::LoadText(id) + "\n");
    }
    lines_left_ -= kHeaderLines;
}

void ArChk::Found(long rank, const int64_t (*rows)[6]) {
    ArChkAccountRow row;
    row.account = current_->acc_id;
    row.name = AccountName(*current_);
    row.stored_ins = current_->ins_bal;
    row.stored_pat = current_->pat_bal;
    row.calc_error = rows == nullptr;
    if (rows) {
        row.computed_ins = rows[1][4];
        row.computed_pat = rows[0][4];
    }
    found_.emplace_back(rank, std::move(row));
    ++divergences_;
}

bool ArChk::ReportAct(const ArChkAccountRow& row) {
    if (lines_left_ <= 0) PageHeader(false);
    if (row.calc_error)
        Write(host::U8Format("%-40.40s %7.7lu    %s\n", row.name.c_str(),
                             static_cast<unsigned long>(row.account),
                             host::LoadText(kCalcError).c_str()));
    else
        Write(host::U8Format("%-40.40s %7.7lu    %10.2f   %10.2f     %10.2f   %10.2f\n",
                             row.name.c_str(), static_cast<unsigned long>(row.account),
                             Money(row.computed_ins), Money(row.computed_pat),
                             Money(row.stored_ins), Money(row.stored_pat)));
    --lines_left_;
    accounts_.push_back(row);
    return out_ != nullptr;
}

bool ArChk::ReportProd(const char* producer, int64_t prod_ar, int64_t prod_acc, int64_t bill_ar,
                       int64_t bill_acc) {
    if (!producer_header_) {
        producer_header_ = true;
        if (page_ > 0) {
            // Account lines precede: a gap, then the section's header where the page still
            // has room for it and a line, else on a new page.
            Write("  \n\n\n");
            lines_left_ = std::max(0, lines_left_ - 3);
        }
        if (lines_left_ > kHeaderLines) {
            const std::string when = RunDateTime();
            Write(host::U8Format(host::LoadText(kProdHeader).c_str(), when.c_str()));
            Write(host::U8Format("%s\n", practice_line_.c_str()));
            for (int id : {kProdColumns1, kProdColumns2, kProdRule})
                Write(host::LoadText(id) + "\n");
            lines_left_ -= kHeaderLines;
        } else {
            PageHeader(true);
        }
    } else if (lines_left_ <= 0) {
        PageHeader(true);
    }
    Write(host::U8Format("%-30.30s %14.2f     %14.2f     %14.2f     %14.2f\n", producer,
                         Money(prod_ar), Money(prod_acc), Money(bill_ar), Money(bill_acc)));
    --lines_left_;
    producers_.push_back({producer, prod_ar, prod_acc, bill_ar, bill_acc});
    return out_ != nullptr;
}

bool ArChk::WriteAgedTotals(const int64_t (*rows)[6]) const {
    if (current_) {
        const int32_t stored[8] = {current_->pat_cur, current_->pat_30,  current_->pat_60,
                                   current_->pat_90,  current_->ins_cur, current_->ins_30,
                                   current_->ins_60,  current_->ins_90};
        for (int32_t v : stored)
            if (v != 0) return true;
    }
    if (rows)
        for (int r = 0; r < 2; ++r)
            for (int c = 0; c < 4; ++c)
                if (rows[r][c] != 0) return true;
    return false;
}

void ArChk::CheckAccount(const account_struct& acc, long rank, bool repair, TEmgBase* errors) {
    current_ = &acc;
    ++checked_;
    // The account's stored figures are those just read with it: the tables are locked.
    if (!calc_->CalcAR(acc, errors)) {
        Found(rank, nullptr);
        errors->ClearErrMsgInfo();
        return;
    }
    int64_t rows[2][6] = {};
    calc_->GetOneAR(rows);
    if (rows[1][4] == acc.ins_bal && rows[0][4] == acc.pat_bal) {
        // The balances agree: the aged amounts are brought up to date.
        if (!calc_->WriteActBal(acc.acc_id, errors, false)) errors->ClearErrMsgInfo();
    } else {
        // Computed again with the account excluded and read afresh: a workstation that
        // changed the balances meanwhile posted a transaction, and the account is not
        // reported.
        if (!calc_->CalcAR(acc.acc_id, true, true, errors, true)) {
            Found(rank, nullptr);
            errors->ClearErrMsgInfo();
            return;
        }
        if (!calc_->Changed()) {
            calc_->GetOneAR(rows);
            Found(rank, rows);
            if (repair) {
                if (calc_->WriteActBal(acc.acc_id, errors, false)) {
                    found_.back().second.repaired = true;
                    ++repaired_;
                } else {
                    WriteDebugLogFile("ArChk: compte %ld non réparé : %s", acc.acc_id,
                                      errors->Text().c_str());
                    errors->ClearErrMsgInfo();
                }
            }
        }
    }
    int n = 0;
    const dr_ar_bucket* prod = calc_->GetAllProdDrAR(&n);
    for (int i = 1; prod && i <= n; ++i)
        prod_ar_[prod[i].prod_code] += BucketBalance(prod[i]);
    const dr_ar_bucket* bill = calc_->GetAllBillDrAR(&n);
    for (int i = 1; bill && i <= n; ++i)
        bill_ar_[bill[i].prod_code] += BucketBalance(bill[i]);
}

// The accounts the statement lists (in its order, the order of the listing) are computed in
// account number order, as the account walk reads them with their ledgers: each ledger table
// is read once, as a stream, and each account's stored figures come with its record.
bool ArChk::WalkSql(bool repair, TMeter& meter, TEmgBase* errors) {
    GenDB* db = list_->db();
    auto failed = [&](const std::string& why) {
        error_ = !why.empty()                   ? why
                 : db->dbLastError() != nullptr ? db->dbLastError()
                                                : "lecture des comptes impossible";
        return false;
    };
    const std::string sql =
        std::string("SELECT ACC_ID,ACC_INS_BAL,ACC_PAT_BAL,ACC_PNAME,ACC_LNAME FROM ") +
        db->dbTablePrefix() +
        "ACCOUNT WHERE ACC_DELETE_DATE = 0 AND (acc_sys_inactive = 'N' OR acc_sys_inactive "
        "is NULL)  ORDER BY ACC_LNAME, ACC_PNAME";
    if (db->dbOpen(sql, kCurAccounts) != 0) return failed("");
    long total = 0;
    if (db->dbRowCount(&total, kCurAccounts) == 0) meter.SetMax(total);
    // (account, place in the statement's order), then in account order.
    std::vector<std::pair<long, long>> wanted;
    int r = db->dbFetch(0, kCurAccounts);
    for (; r == 0; r = db->dbFetch(1, kCurAccounts)) {
        long id = 0;
        db->dbGetLong(1, &id, kCurAccounts);
        wanted.emplace_back(id, static_cast<long>(wanted.size()));
    }
    if (r < 0) {
        failed("");
        db->dbClose(kCurAccounts);
        return false;
    }
    db->dbClose(kCurAccounts);
    std::sort(wanted.begin(), wanted.end());

    host::calc::AccountWalk walk(list_.get(), msg_.get(), &calc_->Source(), false);
    std::string why;
    if (!walk.Start(&why)) return failed(why);
    size_t next = 0;
    while (walk.Next(&why)) {
        const account_struct& a = walk.Account();
        while (next < wanted.size() && wanted[next].first < a.acc_id)
            ++next;
        if (next == wanted.size() || wanted[next].first != a.acc_id) continue;
        meter.Advance();
        CheckAccount(a, wanted[next].second, repair, errors);
    }
    return why.empty() || failed(why);
}

bool ArChk::WalkRecords(bool repair, TMeter& meter, TEmgBase* errors) {
    meter.SetMax(account_info_->GetRecCount());
    account_info_->SetKey(AccountInfo::KEY_NAME);
    long rank = 0;
    for (bool ok = account_info_->DBGetFirst(errors); ok; ok = account_info_->DBGetNext(errors)) {
        const account_struct a = *account_info_->GetRecPtr();
        if (a.sys_inactive == 'Y') continue;
        meter.Advance();
        CheckAccount(a, rank++, repair, errors);
    }
    if (account_info_->DbFailed()) {
        error_ = errors->Text();
        errors->ClearErrMsgInfo();
    }
    return true;
}

int ArChk::CheckAR(bool repair, TWindow* parent, LauncherInfo* launcher, const void* window,
                   TEmgBase* errors, bool showMeter) {
    TEmgBase local;
    if (!errors) errors = &local;
    if (window) msg_->SetWindow(window);
    ran_ = discarded_ = false;
    divergences_ = checked_ = repaired_ = 0;
    count_after_ = 0;
    pdf_.clear();
    error_.clear();
    accounts_.clear();
    found_.clear();
    producers_.clear();
    prod_ar_.clear();
    bill_ar_.clear();
    lines_left_ = page_ = 0;
    first_page_ = true;
    producer_header_ = false;
    current_ = nullptr;
    const QDSApplication* app =
        launcher && launcher->App() ? launcher->App() : QDSApplication::Instance();
    calc_mode_ = app ? app->m_CalAR : 1;
    calc_ = std::make_unique<DrArCalc>(list_.get(), msg_.get(), calc_mode_);
    const long today = ldate_today();
    GenDB* db = list_->db();
    if (!db || !launcher) {
        error_ = "Vérification du C / R : aucune base de données ouverte";
        return -1;
    }

    count_before_ = DaySheetCount();
    WriteDebugLogFile("START ArChk::CheckAR, CountBefore=%ld", count_before_);

    // The producer analysis of the whole history to today, its trace in "prodanalchk.txt".
    const std::string trace_path = host::output::OutputPath(kTraceFile);
    std::remove(trace_path.c_str());
    FILE* trace = std::fopen(trace_path.c_str(), "w");
    auto analysis = std::make_unique<TProducerAnalysisObj>(launcher, 0, today, parent, true);
    analysis->SetTraceFile(trace);
    const bool analysed = analysis->Collect(false, false);
    analysis->SetTraceFile(nullptr);
    if (trace) std::fclose(trace);
    if (!analysed) {
        Fail(errors, kAnalysisFailed, analysis->Error());
        return -1;
    }
    if (after_analysis_) after_analysis_();

    SetLockPkts();
    GenInfo tables(list_.get(), msg_.get());
    if (!tables.LockAll(locks_, errors)) {
        const std::string why = errors->Text();
        Fail(errors, kCannotLock, why);
        return -1;
    }
    const std::string out_path = host::output::OutputPath(kCheckFile);
    out_ = std::fopen(out_path.c_str(), "wt");
    if (!out_) {
        tables.FreeAll(locks_);
        Fail(errors, kFileFailed, out_path);
        return -1;
    }
    if (!calc_->SetupAR(today, false, true, false, errors)) {
        const std::string why = errors->Text();
        tables.FreeAll(locks_);
        std::fclose(out_);
        out_ = nullptr;
        Fail(errors, kCalcSetup, why);
        return -1;
    }
    ran_ = true;

    const bool from_db = FromDatabase();
    const bool kept = tables.KeepAll(keeps_, errors);
    TMeter meter(parent, host::LoadText(kMeterTitle), 0, showMeter);
    WriteDebugLogFile("CHECKAR START - %s", SourceName(from_db));

    const bool walk_ok =
        from_db ? WalkSql(repair, meter, errors) : WalkRecords(repair, meter, errors);
    current_ = nullptr;
    if (kept) tables.UnKeepAll(keeps_);
    tables.FreeAll(locks_);
    meter.Close();
    WriteDebugLogFile("CHECKAR STOP - %s", SourceName(from_db));

    count_after_ = divergences_ == 0 ? DaySheetCount() : -1;

    // The divergent accounts in the order of their names.
    std::stable_sort(found_.begin(), found_.end(),
                     [](const auto& x, const auto& y) { return x.first < y.first; });
    for (const auto& [rank, row] : found_)
        ReportAct(row);
    found_.clear();

    // Each producer's receivable against the analysis: by producer, and as billing doctor
    // where the calculator has the code as one.
    for (const auto& [code, ar] : prod_ar_) {
        const drbalfwd_info* c = analysis->FindCode(code);
        const int64_t by_prod = c ? c->bal_prod : 0;
        const int64_t by_bill = c ? c->bal_billdr : 0;
        const auto b = bill_ar_.find(code);
        if (ar == by_prod && (b == bill_ar_.end() || b->second == by_bill)) continue;
        ReportProd(code.c_str(), ar, by_prod, b == bill_ar_.end() ? 0 : b->second, by_bill);
        ++divergences_;
    }

    std::fclose(out_);
    out_ = nullptr;
    analysis.reset();
    if (count_after_ == count_before_ || count_after_ == -1) {
        OvPrintFile(launcher, msg_->window(), kCheckFile, 'C');
    } else {
        std::remove(out_path.c_str());
        discarded_ = true;
    }
    WriteDebugLogFile("END ArChk::CheckAR, CountAfter=%ld", count_after_);
    if (!walk_ok) return -1;
    return from_db ? static_cast<int>(divergences_) : -1;
}

bool ArChk::OvPrintFile(LauncherInfo* launcher, const void* window, const char* file_name,
                        char mode) {
    std::ifstream in(host::output::OutputPath(file_name, false));
    if (!in) return false;
    const std::string name = file_name;
    const std::string stem = name.substr(0, name.find('.'));
    TOrvoPrintObj printer(nullptr, launcher ? launcher->GetPrinterDC() : nullptr, mode, 'Y');
    printer.SetPdfFile(host::output::WithExtension(file_name, ".pdf"));
    printer.OVOpenReport(stem.c_str());

    TGetStatInfo station;
    host::EnsureDir(station.GetStatDirectory());
    const std::string log_path = station.GetStatDirectory() + "/" + kLogFile;
    // The log is opened at the first line printed: a clean run leaves no trace in it.
    FILE* log = nullptr;
    int line_no = 1;
    int printed = 0;
    auto print = [&](const std::string& text) {
        if (printed == 0) log = std::fopen(log_path.c_str(), "a+");
        if (printed == 0 && log) {
            char date[40];
            ldate_to_str1(date, ldate_today(), 530);
            int h = 0, m = 0, s = 0;
            host::Now(&h, &m, &s);
            std::fprintf(log, "\n**** LOGGED AT: %s TIME: [%02d:%02d:%02d] FROM %s ****\n", date, h,
                         m, s, station.GetStationName().c_str());
        }
        printer.OVTextPrint(0, line_no++, text);
        ++printed;
        if (log) std::fprintf(log, "%s\n", text.c_str());
    };
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind(kPageBreak, 0) == 0) {
            printer.OVPageBreak();
            line_no = 1;
            continue;
        }
        while (!line.empty() && (line.back() == '\r' || line.back() == '\n'))
            line.pop_back();
        print(line);
    }
    if (printed == 0) {
        printer.OVAbortReport();
        if (log) std::fclose(log);
        return true;
    }
    // The producer analysis behind the comparison, for support.
    std::ifstream trace(host::output::OutputPath(kTraceFile, false));
    while (trace && std::getline(trace, line)) {
        if (line_no > kPrintPageLines) {
            printer.OVPageBreak();
            line_no = 1;
        }
        print(line);
    }
    if (line_no > kPrintPageLines - 1) {
        printer.OVPageBreak();
        line_no = 1;
    }
    print(
        "*** PLEASE NOTIFY SUPPORT *** PLEASE NOTIFY SUPPORT *** PLEASE NOTIFY SUPPORT *** "
        "PLEASE NOTIFY SUPPORT ***");
    print(host::U8Format("*** FC %s, Calc Method =  %s", RAPPORTS_VERSION,
                         SourceName(FromDatabase())));
    const bool ok = printer.OVCloseReport();
    if (ok) pdf_ = printer.PdfPath();
    if (log) std::fclose(log);
    return ok;
}

extern "C" bool RapportsCheckAR(LauncherInfo* launcher, bool repair, ArChkSummary* out) {
    if (!launcher || !out) return false;
    ArChk check(launcher->GetListPtr(), launcher->GetMsgPtr());
    TEmgBase errors;
    out->result = check.CheckAR(repair, nullptr, launcher, nullptr, &errors, false);
    out->ran = check.Ran();
    out->discarded = check.Discarded();
    out->divergences = check.Divergences();
    out->accounts = check.AccountsChecked();
    out->repaired = check.Repaired();
    out->pdf = check.PrintedPdf();
    out->text_file = host::output::OutputPath(kCheckFile, false);
    out->error = check.Error();
    return check.Ran();
}
