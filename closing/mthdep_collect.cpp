#include "closing/mthdep_collect.h"

#include <algorithm>
#include <map>
#include <tuple>

#include "closing/deposit_collect.h"
#include "host/base/debuglog.h"
#include "host/base/strings.h"
#include "host/base/text.h"
#include "host/db/gendb.h"
#include "host/output/progress.h"
#include "host/records/context.h"

namespace mthdep {

namespace {

constexpr int kCursor = 31710;
constexpr int kLookupCursor = 31711;
constexpr int kUnknownBank = 6376;

char FirstChar(const std::string& s) {
    const std::string t = host::Trim(s);
    return t.empty() ? ' ' : t[0];
}

std::string Fail(GenDB* db) {
    return std::string("Lecture des dépôts mensuels : ") +
           (db->dbLastError() ? db->dbLastError() : "erreur inconnue");
}

}  // namespace

bool MthDepInfo::HasAmounts(int slot) const {
    for (int a = 0; a < kArrays; ++a)
        if (amt[a][slot] != 0) return true;
    return false;
}

MonthlyDepositObj::MonthlyDepositObj(LauncherInfo* launcher, long first, long last, TMeter* meter,
                                     int calc_mode)
    : launcher_(launcher), first_(first), last_(last), meter_(meter), calc_mode_(calc_mode) {}

MonthlyDepositObj::MonthlyDepositObj(LauncherInfo* launcher, const TDatePeriodObj& period,
                                     TMeter* meter, int calc_mode)
    : MonthlyDepositObj(launcher, period.GetFirstDay(), period.GetLastDay(), meter, calc_mode) {}

bool MonthlyDepositObj::LoadMthDepInfo() {
    banks_.clear();
    error_.clear();
    cancelled_ = false;
    GenDB* db = launcher_ ? launcher_->GetDb() : nullptr;
    if (!db) {
        error_ = "Aucune base de données";
        return false;
    }
    if (!host::IsValidDate(first_) || !host::IsValidDate(last_) || last_ < first_ ||
        daysdiff_betweendates(first_, last_) >= kSlots - 1) {
        error_ = "Période invalide";
        return false;
    }
    const std::string p = db->dbTablePrefix();
    // The payment codes and the practice's banks, each bank with the period's days.
    if (db->dbOpen("SELECT PAYMENT_CODE, PAYMENT_DPSTS, PAYMENT_RATE FROM " + p + "PMTSCD",
                   kLookupCursor) != 0) {
        error_ = Fail(db);
        return false;
    }
    for (int r = db->dbFetch(0, kLookupCursor); r == 0; r = db->dbFetch(1, kLookupCursor)) {
        Code c;
        std::string flag;
        long rate = 0;
        db->dbGetField(1, &c.code, kLookupCursor);
        db->dbGetField(2, &flag, kLookupCursor);
        db->dbGetLong(3, &rate, kLookupCursor);
        c.code = host::Trim(c.code);
        c.direct = host::Trim(flag) == "Y";
        c.rate = static_cast<int>(rate);
        codes_.push_back(c);
    }
    db->dbClose(kLookupCursor);
    if (db->dbOpen("SELECT BNK_CODE, BNK_NAME FROM " + p + "BANKCD ORDER BY BNK_CODE",
                   kLookupCursor) != 0) {
        error_ = Fail(db);
        return false;
    }
    for (int r = db->dbFetch(0, kLookupCursor); r == 0; r = db->dbFetch(1, kLookupCursor)) {
        MthDepInfo b;
        db->dbGetField(1, &b.code, kLookupCursor);
        db->dbGetField(2, &b.name, kLookupCursor);
        b.code = host::Trim(b.code);
        b.name = host::Trim(b.name);
        banks_.push_back(std::move(b));
    }
    db->dbClose(kLookupCursor);
    for (MthDepInfo& b : banks_)
        for (int s = 1; s < kSlots; ++s)
            b.dates[s] = s == 1                                     ? first_
                         : b.dates[s - 1] && b.dates[s - 1] < last_ ? incr_date(b.dates[s - 1], 1)
                                                                    : 0;

    const bool ok = calc_mode_ == 1 ? LoadMthDepInfoByDatabase() : LoadMthDepInfoByDaysheet();
    // Banks without any amount are not printed.
    banks_.erase(std::remove_if(banks_.begin(), banks_.end(),
                                [](const MthDepInfo& b) { return !b.HasAmounts(0); }),
                 banks_.end());
    std::stable_sort(banks_.begin(), banks_.end(),
                     [](const MthDepInfo& a, const MthDepInfo& b) { return a.code < b.code; });
    return ok && !banks_.empty();
}

namespace {

std::string PeriodCondition(long first, long last) {
    const std::string f = std::to_string(first), l = std::to_string(last);
    return "( (APMT_DATE >= " + f + " AND APMT_DATE <= " + l +
           " AND apmt_date >= apmt_sysdate) OR (apmt_sysdate >= " + f +
           " AND apmt_sysdate <= " + l +
           " AND apmt_date < apmt_sysdate))  AND (APMT_RECTYPE = 'P' OR APMT_RECTYPE = 'A' ) ";
}

constexpr const char* kColumns =
    "SELECT APMT_ID, APMT_RECTYPE, APMT_DATE, APMT_SYSDATE, APMT_BANK, APMT_CODE, APMT_PMT, "
    "APMT_DEP, APMT_TOTAL, APMT_DELDATE FROM ";

}  // namespace

bool MonthlyDepositObj::LoadMthDepInfoByDatabase() {
    GenDB* db = launcher_->GetDb();
    db->QueryInt("SELECT DEND_MENDDATE FROM " + std::string(db->dbTablePrefix()) +
                 "DAYEND WHERE DEND_ID = 1");
    return Load(kColumns + std::string(db->dbTablePrefix()) + "ACCPMT WHERE " +
                PeriodCondition(first_, last_));
}

bool MonthlyDepositObj::LoadMthDepInfoByDaysheet() {
    // The rows of the period that the day sheet names: each is on the sheet of its date
    // (one entered later is deposited on its entry date), after the last month-end.
    GenDB* db = launcher_->GetDb();
    const std::string p = db->dbTablePrefix();
    const long mend = db->QueryInt("SELECT DEND_MENDDATE FROM " + p + "DAYEND WHERE DEND_ID = 1");
    return Load(kColumns + p + "ACCPMT WHERE " + PeriodCondition(first_, last_) +
                " AND APMT_DATE > " + std::to_string(mend) + " AND EXISTS (SELECT 1 FROM " + p +
                "DAYSHT WHERE DSHT_DATE = APMT_DATE AND DSHT_SORTID IN ('K', 'M') AND "
                "DSHT_RECTYPE = 'K' AND DSHT_RECID = APMT_ID)");
}

bool MonthlyDepositObj::Load(const std::string& sql) {
    GenDB* db = launcher_->GetDb();
    if (db->dbOpen(sql, kCursor) != 0) {
        error_ = Fail(db);
        return false;
    }
    int r;
    for (r = db->dbFetch(0, kCursor); r == 0; r = db->dbFetch(1, kCursor)) {
        long id = 0, date = 0, sysdate = 0, total = 0, deleted = 0;
        std::string rectype, bank, code, pmt, dep;
        db->dbGetLong(1, &id, kCursor);
        db->dbGetField(2, &rectype, kCursor);
        db->dbGetLong(3, &date, kCursor);
        db->dbGetLong(4, &sysdate, kCursor);
        db->dbGetField(5, &bank, kCursor);
        db->dbGetField(6, &code, kCursor);
        db->dbGetField(7, &pmt, kCursor);
        db->dbGetField(8, &dep, kCursor);
        db->dbGetLong(9, &total, kCursor);
        db->dbGetLong(10, &deleted, kCursor);
        // Deleted on or before its deposit day: never deposited.
        if (deleted == 0 || deleted > std::max(date, sysdate))
            Place(FirstChar(rectype), date, sysdate, host::Trim(bank), host::Trim(code),
                  FirstChar(pmt), FirstChar(dep), total);
        if (meter_) {
            meter_->Advance();
            if (meter_->Cancel()) {
                cancelled_ = true;
                break;
            }
        }
    }
    db->dbClose(kCursor);
    if (r < 0) {
        error_ = Fail(db);
        return false;
    }
    return !cancelled_;
}

MthDepInfo* MonthlyDepositObj::GetDepDayInfo(const std::string& bank, long when, int* slot) {
    auto it = std::find_if(banks_.begin(), banks_.end(),
                           [&](const MthDepInfo& b) { return b.code == bank; });
    if (it == banks_.end()) {
        MthDepInfo b;
        b.code = bank;
        b.name = host::LoadText(kUnknownBank);
        for (int s = 1; s < kSlots; ++s)
            b.dates[s] = s == 1                                     ? first_
                         : b.dates[s - 1] && b.dates[s - 1] < last_ ? incr_date(b.dates[s - 1], 1)
                                                                    : 0;
        banks_.push_back(std::move(b));
        it = banks_.end() - 1;
    }
    *slot = 0;
    for (int s = 1; s < kSlots; ++s)
        if (it->dates[s] == when) *slot = s;
    return &*it;
}

void MonthlyDepositObj::Place(char rectype, long date, long sysdate, const std::string& bank,
                              const std::string& code, char pmt, char dep, int64_t total) {
    if (rectype == 'A' && pmt == 'N') return;
    int slot = 0;
    MthDepInfo* b = GetDepDayInfo(bank, std::max(date, sysdate), &slot);
    if (slot == 0) return;  // deposited outside the period
    const auto add = [&](int array, int64_t v) {
        b->amt[array][slot] += v;
        b->amt[array][0] += v;
    };
    if (rectype == 'P') {
        const auto it = std::find_if(codes_.begin(), codes_.end(),
                                     [&](const Code& c) { return c.code == code; });
        if (it == codes_.end()) {
            add(kPayments, total);
            return;
        }
        add(it->direct ? kDirect : kPayments, total);
        if (it->rate != 0) add(kCharges, deposit::ServiceCharge(total, it->rate));
        return;
    }
    WriteDebugLogFile("apmt_date=%ld apmt_code=%s apmt_pmt=%c apmt_dep=%c apmt_total=%ld", date,
                      code.c_str(), pmt, dep, static_cast<long>(total));
    add(dep == 'Y' ? kDepositAdj : kOtherAdj, total);
}

// --- The monthly deposit report ---

size_t MonthDepData::Count() const {
    size_t n = 0;
    for (const Part& p : parts)
        n += p.rows.size();
    return n;
}

int64_t MonthDepData::Total() const {
    int64_t sum = 0;
    for (const Part& p : parts)
        for (const MonthDepElem& e : p.rows)
            sum += e.amount;
    return sum;
}

bool JoinsApplications(const Criteria& c) {
    return c.by_doctor || !host::Trim(c.prod).empty();
}

std::string FromWhere(const Criteria& c, const std::string& p) {
    const bool join = JoinsApplications(c);
    const std::string f = std::to_string(c.from), l = std::to_string(c.to);
    std::string s = " FROM " + p + "ACCPMT ";
    if (join) s += ", " + p + "PMTAPP ";
    s += " WHERE ";
    if (join) s += " PAPP_APMTID = APMT_ID AND ";
    s += "( ( APMT_SYSDATE >= " + f + " AND APMT_SYSDATE <= " + l +
         " and apmt_date < apmt_sysdate ) OR  ( APMT_DATE >= " + f + " AND APMT_DATE <= " + l +
         " and apmt_date >= apmt_sysdate ) ) ";
    // A blank reversed flag is a payment that was never reversed.
    s += " AND (APMT_RECTYPE = 'P' AND (APMT_REVERSED IS NULL OR APMT_REVERSED <> 'Y')) ";
    // Deleted on or before its deposit day: never deposited.
    s += " AND (APMT_DELDATE = 0 OR (APMT_DELDATE > APMT_DATE AND APMT_DELDATE > APMT_SYSDATE)) ";
    if (!c.codes.empty()) {
        s += " AND APMT_CODE IN (";
        for (size_t i = 0; i < c.codes.size(); ++i)
            s += (i ? "," : "") + std::string("'") + host::SqlText(c.codes[i]) + "'";
        s += ")";
    }
    const std::string who = host::Trim(c.prod);
    if (!who.empty())
        s += (c.report_by == 'P' ? " AND PAPP_PRODUCER = '" : " AND PAPP_BILLDR = '") +
             host::SqlText(who) + "'";
    if (join) s += " and papp_sysdate = apmt_sysdate ";
    return s;
}

Outcome CollectMonthDep(const Criteria& c, LauncherInfo* launcher, TMeter* meter, MonthDepData* out,
                        std::string* error) {
    *out = MonthDepData{};
    out->criteria = c;
    GenDB* db = launcher ? launcher->GetDb() : nullptr;
    if (!db) {
        *error = "Aucune base de données";
        return Outcome::Failed;
    }
    const std::string p = db->dbTablePrefix();
    const std::string fw = FromWhere(c, p);
    const bool join = JoinsApplications(c);
    long count = 0;
    if (db->dbOpen("SELECT COUNT(0) " + fw, kCursor) != 0) {
        *error = Fail(db);
        return Outcome::Failed;
    }
    if (db->dbFetch(0, kCursor) == 0) db->dbGetLong(1, &count, kCursor);
    db->dbClose(kCursor);
    if (count == 0) return Outcome::Done;
    if (meter) meter->SetMax(count);

    std::string sql = "SELECT APMT_CODE, APMT_SYSDATE, APMT_DATE,  APMT_TOTAL, APMT_BANK, APMT_ID ";
    if (join) sql += ", PAPP_AMOUNT, PAPP_PRODUCER, PAPP_BILLDR  ";
    if (db->dbOpen(sql + fw, kCursor) != 0) {
        *error = Fail(db);
        return Outcome::Failed;
    }
    std::vector<MonthDepElem> rows;
    int r;
    for (r = db->dbFetch(0, kCursor); r == 0; r = db->dbFetch(1, kCursor)) {
        MonthDepElem e;
        long total = 0, applied = 0;
        db->dbGetField(1, &e.code, kCursor);
        db->dbGetLong(2, &e.deposit, kCursor);
        db->dbGetLong(3, &e.date, kCursor);
        db->dbGetLong(4, &total, kCursor);
        db->dbGetField(5, &e.bank, kCursor);
        db->dbGetLong(6, &e.id, kCursor);
        if (join) {
            db->dbGetLong(7, &applied, kCursor);
            db->dbGetField(8, &e.producer, kCursor);
            db->dbGetField(9, &e.billdr, kCursor);
        }
        e.code = host::Trim(e.code);
        e.bank = host::Trim(e.bank);
        e.producer = host::Trim(e.producer);
        e.billdr = host::Trim(e.billdr);
        if (e.date > e.deposit) e.deposit = e.date;
        e.amount = join ? applied : total;
        rows.push_back(std::move(e));
        if (meter) {
            meter->Advance();
            if (meter->Cancel()) {
                db->dbClose(kCursor);
                *out = MonthDepData{};
                return Outcome::Cancelled;
            }
        }
    }
    db->dbClose(kCursor);
    if (r < 0) {
        *error = Fail(db);
        return Outcome::Failed;
    }

    std::map<std::string, std::string> bank_names;
    if (c.by_bank) {
        if (db->dbOpen("SELECT BNK_CODE, BNK_NAME FROM " + p + "BANKCD", kLookupCursor) == 0) {
            for (int k = db->dbFetch(0, kLookupCursor); k == 0; k = db->dbFetch(1, kLookupCursor)) {
                std::string code, name;
                db->dbGetField(1, &code, kLookupCursor);
                db->dbGetField(2, &name, kLookupCursor);
                bank_names[host::Trim(code)] = host::Trim(name);
            }
            db->dbClose(kLookupCursor);
        }
    }
    // By payment code alone for the practice's totals, else by producer or billing doctor;
    // then bank, deposit day and code.
    const bool by_code_only = c.practice_total && !c.by_doctor && !c.by_bank;
    const auto who = [&](const MonthDepElem& e) -> const std::string& {
        static const std::string none;
        if (!c.by_doctor) return none;
        return c.report_by == 'P' ? e.producer : e.billdr;
    };
    const auto bank = [&](const MonthDepElem& e) -> const std::string& {
        static const std::string none;
        return c.by_bank ? e.bank : none;
    };
    std::stable_sort(rows.begin(), rows.end(), [&](const MonthDepElem& a, const MonthDepElem& b) {
        if (by_code_only)
            return std::tie(a.code, a.deposit, a.id) < std::tie(b.code, b.deposit, b.id);
        return std::tie(who(a), bank(a), a.deposit, a.code, a.id) <
               std::tie(who(b), bank(b), b.deposit, b.code, b.id);
    });
    for (MonthDepElem& e : rows) {
        if (std::find(out->codes.begin(), out->codes.end(), e.code) == out->codes.end())
            out->codes.push_back(e.code);
        if (out->parts.empty() || out->parts.back().who != who(e) ||
            out->parts.back().bank != bank(e)) {
            Part part;
            part.who = who(e);
            part.bank = bank(e);
            if (c.by_bank) {
                auto it = bank_names.find(e.bank);
                part.bank_name = it == bank_names.end() ? host::LoadText(kUnknownBank) : it->second;
            }
            out->parts.push_back(std::move(part));
        }
        out->parts.back().rows.push_back(std::move(e));
    }
    std::sort(out->codes.begin(), out->codes.end());
    return Outcome::Done;
}

}  // namespace mthdep
