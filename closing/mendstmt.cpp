#include "closing/mendstmt.h"

#include <cinttypes>
#include <filesystem>
#include <map>

#include "host/base/dates.h"
#include "host/base/debuglog.h"
#include "host/base/env.h"
#include "host/base/errors.h"
#include "host/base/strings.h"
#include "host/base/text.h"
#include "host/calc/arcalc.h"
#include "host/db/gendb.h"
#include "host/output/progress.h"
#include "host/records/context.h"
#include "host/records/practice.h"

namespace {

namespace fs = std::filesystem;
using host::calc::ApplicationCounts;
using host::calc::ChargeAmount;

constexpr int kProgress = 6019;
constexpr int kCreditText = 12967;
constexpr int kOfficeText = 12968;
constexpr int kTreatmentText = 12969;
constexpr int kNoFolder = 12970;
constexpr int kNotWritten = 12971;
constexpr int kCurSelect = 31950;
constexpr int kCurPatients = 31951;
constexpr int kCurCodes = 31952;

int CalcMode(LauncherInfo* launcher) {
    QDSApplication* app = launcher ? launcher->App() : nullptr;
    return app ? app->m_CalAR : 1;
}

std::string Fmt(int id, const std::string& arg) {
    return host::U8Format(host::LoadText(id).c_str(), arg.c_str());
}

std::string Upper(const std::string& s) {
    return host::ToUpper(host::Trim(s));
}

std::string Field(GenDB& db, int col, int cursor) {
    std::string s;
    db.dbGetField(col, &s, cursor);
    return host::Trim(s);
}

long Long(GenDB& db, int col, int cursor) {
    long v = 0;
    db.dbGetLong(col, &v, cursor);
    return v;
}

char Flag(GenDB& db, int col, int cursor, char def) {
    const std::string s = Field(db, col, cursor);
    return s.empty() ? def : s[0];
}

}  // namespace

MEndStmntForm::MEndStmntForm(LauncherInfo* launcher, TWindow* parent, const MSFormInfo& info,
                             void* printer_dc, void* window)
    : StatementForm(parent, printer_dc, info), launcher_(launcher), window_(window) {}

MEndStmntForm::~MEndStmntForm() {
    if (summary_) std::fclose(summary_);
}

void MEndStmntForm::PageBreak() {
    ++form_count_;
    ++forms_;
    if (!info_.stacked) {
        row_offset_ = 0;
        NewSheet();
        return;
    }
    const int slot = (form_count_ - 1) % 3;
    row_offset_ = slot * kFormLines;
    if (slot == 0) NewSheet();
}

int MEndStmntForm::StartRowOfHeader() {
    return info_.stacked ? row_offset_ + 2 : 7;
}

std::string MEndStmntForm::SelectionSql(const std::string& prefix, const std::string& from,
                                        const std::string& to) {
    std::string sql =
        "SELECT acc_id, acc_emailstmt, acc_statement_date, acc_status, acc_statements, "
        "acc_lname, acc_pname, acc_addr1, acc_addr2, acc_city, acc_prov, acc_postal, "
        "acc_home_ph FROM " +
        prefix + "ACCOUNT where acc_delete_date = 0 and acc_statements = 'Y'";
    if (!host::Trim(from).empty())
        sql += " AND UPPER(acc_lname) >= '" + host::SqlText(Upper(from)) + "'";
    if (!host::Trim(to).empty())
        sql += " AND UPPER(acc_lname) <= '" + host::SqlText(Upper(to)) + "Z'";
    return sql + " ORDER BY ACC_LNAME, ACC_PNAME, ACC_ID";
}

bool MEndStmntForm::NameInRange(const std::string& lname, const std::string& from,
                                const std::string& to) {
    const std::string name = Upper(lname), lo = Upper(from), hi = Upper(to);
    if (!lo.empty() && name < lo) return false;
    if (!hi.empty() && name.substr(0, hi.size()) > hi) return false;
    return true;
}

std::string MEndStmntForm::StatementDir() {
    fs::path dir = TGetStatInfo().GetSetting("StmtDir", "etats");
    if (dir.is_relative()) dir = fs::path(host::Env().data_dir) / dir;
    return dir.string();
}

bool MEndStmntForm::LockFiles() {
    if (!launcher_) return false;
    calc_ = std::make_unique<ArCalc>(launcher_->GetListPtr(), launcher_->GetMsgPtr(),
                                     CalcMode(launcher_));
    TEmgBase err;
    if (!calc_->SetupAR(info_.stmt_date, false, true, lock_files_, true, false, true, &err)) {
        error_ = err.Text();
        calc_.reset();
        return false;
    }
    return true;
}

void MEndStmntForm::UnLockFiles() {
    calc_.reset();
}

void MEndStmntForm::AddtoMEInfoList(long acc_id, long stmt_date, int64_t balance, bool flag) {
    me_list_.push_back(MendInfoElem{acc_id, stmt_date, balance, flag});
}

bool MEndStmntForm::MatchCriteria(const MendAccountRow& row) {
    if (row.status == 'D' || row.statements == 'N') return false;
    if (!NameInRange(row.account.lname, info_.from_name, info_.to_name)) return false;
    return MatchCriteriaByDatabase(info_.stmt_date, row);
}

bool MEndStmntForm::MatchCriteriaByDatabase(long date, const MendAccountRow& row) {
    GenDB* db = launcher_ ? launcher_->GetDb() : nullptr;
    if (!db || !calc_) return false;
    const std::string p = db->dbTablePrefix();
    const long acc = row.acc_id;
    account_ = row.account;
    account_.trx.clear();

    // The account's ledger: once for the detail lines, handed on to the calculator.
    TEmgBase err;
    host::calc::Ledger ledger;
    if (!calc_->Source().Account(acc, &ledger, &err)) {
        error_ = err.Text();
        return false;
    }
    std::map<long, std::string> patients;
    std::map<std::pair<char, long>, std::pair<std::string, std::string>> codes;
    const std::string id = std::to_string(acc);
    if (db->dbOpen("SELECT PAT_ID, PAT_PNAME FROM " + p + "PATIENT WHERE PAT_ACCID = " + id,
                   kCurPatients) != 0) {
        error_ = db->dbLastError() ? db->dbLastError() : "";
        return false;
    }
    for (int r = db->dbFetch(0, kCurPatients); r == 0; r = db->dbFetch(1, kCurPatients))
        patients[Long(*db, 1, kCurPatients)] = Field(*db, 2, kCurPatients);
    db->dbClose(kCurPatients);
    const std::string codes_sql =
        "SELECT 'T', T.CTRT_ID, T.CTRT_CODE, T.CTRT_CODE_FC_DESC FROM " + p + "CLMTRT T, " + p +
        "PATCLM C, " + p + "PATIENT P WHERE T.CTRT_PCLMID = C.PCLM_ID AND C.PCLM_PATID = P.PAT_ID" +
        " AND P.PAT_ACCID = " + id + " UNION ALL SELECT 'O', O.POCH_ID, O.POCH_CODE, " +
        "O.POCH_DESCRIPT FROM " + p + "PATOCH O, " + p +
        "PATIENT Q WHERE O.POCH_PATID = Q.PAT_ID AND Q.PAT_ACCID = " + id;
    if (db->dbOpen(codes_sql, kCurCodes) != 0) {
        error_ = db->dbLastError() ? db->dbLastError() : "";
        return false;
    }
    for (int r = db->dbFetch(0, kCurCodes); r == 0; r = db->dbFetch(1, kCurCodes))
        codes[{Flag(*db, 1, kCurCodes, 'T'), Long(*db, 2, kCurCodes)}] = {Field(*db, 3, kCurCodes),
                                                                          Field(*db, 4, kCurCodes)};
    db->dbClose(kCurCodes);

    // A charge that counts on the date owes its amount less what was applied to it; every
    // other counted application is money on the account (a credit line). Their sum is the
    // receivable the calculator ages.
    std::vector<bool> used(ledger.applications.size(), false);
    for (const host::calc::LedgerCharge& c : ledger.charges) {
        if (c.deleted != 0 && c.deleted <= date) continue;
        StmtTrx t;
        t.kind = 'C';
        t.date = c.date;
        t.patient = patients[c.patient];
        t.charge = ChargeAmount(c.total, c.adj_flag, c.adj_amount);
        for (size_t i = 0; i < ledger.applications.size(); ++i) {
            const host::calc::LedgerApplication& a = ledger.applications[i];
            if (a.charge_id != c.id || (a.rectype == 'O') != c.office || a.rectype == 'P') continue;
            used[i] = true;
            if (ApplicationCounts(a, date)) t.paid += a.amount;
        }
        t.owed = t.charge - t.paid;
        const auto code = codes.find({c.office ? 'O' : 'T', c.id});
        if (code != codes.end()) {
            t.code = code->second.first;
            t.description = code->second.second;
        }
        if (t.description.empty())
            t.description = host::LoadText(c.office ? kOfficeText : kTreatmentText);
        account_.trx.push_back(t);
    }
    for (size_t i = 0; i < ledger.applications.size(); ++i) {
        const host::calc::LedgerApplication& a = ledger.applications[i];
        if (used[i] || !ApplicationCounts(a, date)) continue;
        StmtTrx t;
        t.kind = 'R';
        t.date = a.date;
        t.patient = patients[a.patient];
        t.description = host::LoadText(kCreditText);
        t.paid = a.amount;
        t.owed = -a.amount;
        account_.trx.push_back(t);
    }

    calc_->Source().Provide(acc, std::move(ledger));
    if (!calc_->CalcAR(acc, true, false, nullptr, &err)) {
        error_ = err.Text();
        return false;
    }
    const host::calc::Aged& tot = calc_->Entry(0).ar.tot;
    for (int k = 0; k < 6; ++k)
        account_.aged[k] = tot.v[k];
    account_.balance = tot.v[host::calc::kTotal] + tot.v[host::calc::kFuture];
    return true;
}

bool MEndStmntForm::PrintFormByDatabase() {
    GenDB* db = launcher_ ? launcher_->GetDb() : nullptr;
    if (!db) return false;
    std::vector<MendAccountRow> rows;
    const std::string sql = SelectionSql(db->dbTablePrefix(), info_.from_name, info_.to_name);
    if (db->dbOpen(sql, kCurSelect) != 0) {
        error_ = db->dbLastError() ? db->dbLastError() : sql;
        return false;
    }
    for (int r = db->dbFetch(0, kCurSelect); r == 0; r = db->dbFetch(1, kCurSelect)) {
        MendAccountRow row;
        row.acc_id = Long(*db, 1, kCurSelect);
        row.emailstmt = Flag(*db, 2, kCurSelect, 'N');
        row.statement_date = Long(*db, 3, kCurSelect);
        row.status = Flag(*db, 4, kCurSelect, 'A');
        row.statements = Flag(*db, 5, kCurSelect, 'Y');
        StmtAccount& a = row.account;
        a.acc_id = row.acc_id;
        a.lname = Field(*db, 6, kCurSelect);
        a.pname = Field(*db, 7, kCurSelect);
        a.addr1 = Field(*db, 8, kCurSelect);
        a.addr2 = Field(*db, 9, kCurSelect);
        a.city = Field(*db, 10, kCurSelect);
        a.prov = Field(*db, 11, kCurSelect);
        a.postal = Field(*db, 12, kCurSelect);
        a.phone = Field(*db, 13, kCurSelect);
        rows.push_back(std::move(row));
    }
    db->dbClose(kCurSelect);

    TPracAddIni prac(db);
    const pracadd_struct& pr = prac.GetRec();
    StmtPractice sp;
    sp.name = pr.name;
    sp.addr1 = pr.addr1;
    sp.city_line = host::Trim(pr.city + (pr.prov.empty() ? "" : ", " + pr.prov) + "  " + pr.postal);
    sp.phone = pr.phone;
    SetPractice(sp);

    if (!LockFiles()) return false;
    TMeter meter(parent_, host::LoadText(kProgress), static_cast<long>(rows.size()));
    bool ok = true;
    for (const MendAccountRow& row : rows) {
        meter.Advance();
        if (meter.Cancel()) {
            ok = false;
            break;
        }
        if (!MatchCriteria(row)) {
            if (!error_.empty()) {
                ok = false;
                break;
            }
            continue;
        }
        StatementForm::PrintForm();
        AddtoMEInfoList(row.acc_id, info_.stmt_date, account_.balance, row.emailstmt == 'Y');
        ++info_.count;
        info_.total += account_.balance;
    }
    UnLockFiles();
    return ok;
}

bool MEndStmntForm::OpenRunFile() {
    const std::string dir = StatementDir();
    if (!host::EnsureDir(dir)) {
        error_ = Fmt(kNoFolder, dir);
        return false;
    }
    int h = 0, m = 0, s = 0;
    host::Now(&h, &m, &s);
    char name[64];
    std::snprintf(name, sizeof name, "%08ld-%02d%02d.stm", ldate_today(), h, m);
    run_path_ = (fs::path(dir) / name).string();
    summary_ = std::fopen(run_path_.c_str(), "w+");
    if (!summary_) {
        error_ = Fmt(kNotWritten, run_path_);
        return false;
    }
    return true;
}

bool MEndStmntForm::WriteRunFile() {
    if (!summary_) return false;
    std::fprintf(summary_, "%08ld%05ld%012" PRId64 "%08ld%08ld\n", info_.stmt_date, info_.count,
                 info_.total, info_.period_from, info_.period_to);
    for (const MendInfoElem& e : me_list_)
        std::fprintf(summary_, "%012ld%08ld%012" PRId64 "%c\n", e.acc_id, e.stmt_date, e.balance,
                     e.flag ? 'Y' : 'N');
    const bool ok = std::fflush(summary_) == 0 && !std::ferror(summary_);
    std::fclose(summary_);
    summary_ = nullptr;
    if (!ok) error_ = Fmt(kNotWritten, run_path_);
    return ok;
}

bool MEndStmntForm::PrintForm() {
    const int mode = CalcMode(launcher_);
    error_.clear();
    WriteDebugLogFile("START MEndStmntForm::PrintForm: m_CalAR = %d", mode);
    if (!OpenRunFile()) return false;
    if (!OpenForm(info_.pdf_file, kColumns, SheetLines())) {
        error_ = Fmt(kNotWritten, PdfPath()) + " " + LastError();
        std::fclose(summary_);
        summary_ = nullptr;
        return false;
    }
    bool ok = PrintFormByDatabase();
    WriteDebugLogFile("END MEndStmntForm::PrintForm: m_CalAR = %d", mode);
    if (ok) {
        ok = CloseForm();
        if (!ok) error_ = Fmt(kNotWritten, PdfPath()) + " " + LastError();
    } else {
        AbortForm();
    }
    return WriteRunFile() && ok;
}

// --- Alignment forms ---

namespace {
std::string Xs(size_t n) {
    return std::string(n, 'X');
}
}  // namespace

bool AlgnMEndStmntForm::PrintForm() {
    error_.clear();
    if (!OpenForm(info_.pdf_file, kColumns, SheetLines())) {
        error_ = Fmt(kNotWritten, PdfPath()) + " " + LastError();
        return false;
    }
    account_ = StmtAccount{};
    for (int i = 0; i < 3; ++i) {
        StmtTrx t;
        t.kind = 'A';
        t.code = "XXXXX";
        t.description = "XXXXX";
        account_.trx.push_back(t);
    }
    const int forms = info_.single_form ? 1 : 3;
    for (int n = 0; n < forms; ++n) {
        PageBreak();
        LoadTrxInfo(true, false);
        PrintHeader();
        PrintMiddleSection();
        PrintDetailLines(0);
        PrintFooter(true);
    }
    if (!CloseForm()) {
        error_ = Fmt(kNotWritten, PdfPath()) + " " + LastError();
        return false;
    }
    return true;
}

void AlgnMEndStmntForm::PrintHeader() {
    const int r = StartRowOfHeader(), c = StartColOfHeader();
    Put(c, r, Xs(40));
    Put(c, r + 1, Xs(40));
    Put(c, r + 2, Xs(40));
    Put(c, r + 3, "X (XXX) XXX-XXXX");
    Put(52, r, host::LoadText(12950));
    Put(52, r + 1, host::LoadText(12951));
    Put(69, r + 1, "XXXXXXXX");
    Put(52, r + 2, host::LoadText(12952));
    Put(69, r + 2, Xs(8));
}

void AlgnMEndStmntForm::PrintMiddleSection() {
    const int r = StartRowOfMiddle(), c = StartColOfMiddle();
    Put(c, r, "X.X. " + Xs(35));
    Put(c, r + 1, Xs(40));
    Put(c, r + 2, Xs(40));
    Put(c, r + 3, Xs(25) + ", XXX  XXX XXX");
    Put(c, r + 4, "X (XXX) XXX-XXXX");
}

void AlgnMEndStmntForm::PrintFooter(bool) {
    const int r = StartRowOfFooter(), c = StartColOfFooter();
    for (int k = 0; k < 5; ++k) {
        Put(c + 13 * k, r, host::U8Fit(host::LoadText(12960 + k), 12, false));
        Put(c + 13 * k, r + 1, "        0.00");
    }
    Put(52, r + 3, host::LoadText(12965));
    Put(67, r + 3, "        0.00");
}

void AlgnMEndStmntForm::MakeDetailLineCol1(size_t, std::string* text) {
    *text = "XXXXXXXX";
}
void AlgnMEndStmntForm::MakeDetailLineCol2(size_t, std::string* text) {
    *text = Xs(10);
}
void AlgnMEndStmntForm::MakeDetailLineCol3(size_t line, std::string* text) {
    *text = lines_.at(line).code;
}
void AlgnMEndStmntForm::MakeDetailLineCol4(size_t, std::string* text) {
    *text = "XXXXXXXXXXXXXXXXType";
}
void AlgnMEndStmntForm::MakeDetailLineCol5(size_t, std::string* text) {
    *text = "      0.00";
}
