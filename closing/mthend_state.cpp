#include "closing/mthend_state.h"

#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <memory>

#include "analysis/prodanal.h"
#include "closing/dayend_state.h"
#include "common/ppsetstore.h"
#include "host/base/dates.h"
#include "host/base/strings.h"
#include "host/base/text.h"
#include "host/db/gendb.h"
#include "host/records/context.h"

namespace mthend {

namespace {

constexpr int kCursor = 31726;
constexpr int kInvalidPeriod = 6208;   // "Mois/Période non valide"
constexpr int kFutureMonth = 6150;     // "Le rapport ne peut pas avoir un mois dans le futur!"
constexpr int kUnprinted = 6481;       // the day-end reports to print first, dates after it
constexpr int kAlreadyClosed = 12900;  // another workstation (or an earlier run) closed it
constexpr int kNotNext = 12901;        // the period does not follow the last month-end
constexpr int kNoRecord = 12902;       // a producer without a record holds money
constexpr int kNoDayEnd = 12903;       // the practice has no day-end record

std::string Table(GenDB& db, const char* name) {
    return std::string(db.dbTablePrefix()) + name;
}

bool Fail(GenDB& db, const std::string& what, std::string* error) {
    *error = what;
    if (db.dbLastError()) *error += std::string(" : ") + db.dbLastError();
    return false;
}

// The year-to-date columns of a producer record, with the engine's accumulator each one
// preloads: the procedure count, then the ten amounts.
struct YtdColumn {
    const char* column;
    int field;
};
constexpr YtdColumn kYtd[] = {
    {"PROD_YTD_PROCS", PA_PROCS},     {"PROD_YTD_DENTAL", PA_DENTAL},
    {"PROD_YTD_LAB", PA_LAB},         {"PROD_YTD_OFFCHG", PA_OFFCHG},
    {"PROD_YTD_FEEADJ", PA_FEEADJ},   {"PROD_YTD_FEES", PA_FEES},
    {"PROD_YTD_FEESAUX", PA_FEESAUX}, {"PROD_YTD_PMTS", PA_PMT_TOT},
    {"PROD_YTD_TRANSF", PA_TRF_TOT},  {"PROD_YTD_PMTADJ", PA_PADJ_TOT},
    {"PROD_YTD_NET", PA_NET_TOT},
};

// What one producer record becomes.
struct ProducerChange {
    long id = 0;
    std::string code;
    int64_t old_prod = 0, old_billdr = 0, new_prod = 0, new_billdr = 0;
    int64_t ytd[std::size(kYtd)] = {};
};

// The producer analysis run to the period's last day, from the day after the last
// month-end: its code list holds each producer's receivable brought forward plus what the
// engine counts up to that day (the receivable as of the day), its producer list the year
// to date preloaded plus the same lines. Written back into the producer records, the engine
// counting from the next day gives the same figures as before the closing.
bool Analyse(GenDB& db, const CloseRequest& req, std::vector<ProducerChange>* out, bool* refused,
             std::string* error) {
    // The application of this process when it works on this database (its calculation
    // mode), else one reading the practice's settings.
    QDSApplication* app = QDSApplication::Instance();
    std::unique_ptr<QDSApplication> own;
    if (!app || app->GetDb() != &db) {
        own = std::make_unique<QDSApplication>(&db);
        own->LoadPracticeSettings();
        app = own.get();
    }
    LauncherInfo launcher(app);
    TProducerAnalysisObj engine(&launcher, 0, req.period.last, nullptr, true);
    if (!engine.Collect(false, false)) {
        *error = engine.Error();
        return false;
    }

    out->clear();
    if (db.dbOpen("SELECT PROD_ID, PROD_CODE, PROD_AR_PROD, PROD_AR_BILLDR FROM " +
                      Table(db, "PRODCD") + " ORDER BY PROD_ID",
                  kCursor) != 0)
        return Fail(db, "Lecture des producteurs", error);
    int r;
    for (r = db.dbFetch(0, kCursor); r == 0; r = db.dbFetch(1, kCursor)) {
        ProducerChange c;
        std::string code, v;
        db.dbGetLong(1, &c.id, kCursor);
        db.dbGetField(2, &code, kCursor);
        c.code = host::Trim(code);
        db.dbGetField(3, &v, kCursor);
        c.old_prod = std::atoll(v.c_str());
        db.dbGetField(4, &v, kCursor);
        c.old_billdr = std::atoll(v.c_str());
        out->push_back(std::move(c));
    }
    db.dbClose(kCursor);
    if (r < 0) return Fail(db, "Lecture des producteurs", error);

    for (ProducerChange& c : *out) {
        c.new_prod = c.old_prod;
        c.new_billdr = c.old_billdr;
        if (const drbalfwd_info* bal = engine.FindCode(c.code)) {
            c.new_prod = bal->bal_prod;
            c.new_billdr = bal->bal_billdr;
        }
        if (const prodanal_info* p = engine.FindProducer(c.code); p && !req.year_end)
            for (size_t i = 0; i < std::size(kYtd); ++i)
                c.ytd[i] = p->acc[kYtd[i].field][PA_YTD];
    }

    // A code met only in the transactions has no record to carry its figures past the
    // month: closing would lose them, so the closing is refused, naming it.
    auto recorded = [&](const std::string& code) {
        for (const ProducerChange& c : *out)
            if (c.code == code) return true;
        return false;
    };
    for (TDElem* e : engine.GetCodeList()) {
        const auto* b = static_cast<const drbalfwd_info*>(e);
        if (!recorded(b->code) && (b->bal_prod != 0 || b->bal_billdr != 0)) {
            *error = host::U8Format(host::LoadText(kNoRecord).c_str(), b->code.c_str());
            *refused = true;
            return false;
        }
    }
    for (TDElem* e : engine.GetProducerList()) {
        const auto* p = static_cast<const prodanal_info*>(e);
        if (recorded(p->code)) continue;
        for (const YtdColumn& y : kYtd)
            if (p->acc[y.field][PA_YTD] != 0) {
                *error = host::U8Format(host::LoadText(kNoRecord).c_str(), p->code.c_str());
                *refused = true;
                return false;
            }
    }
    return true;
}

bool WriteProducers(GenDB& db, const std::vector<ProducerChange>& changes, std::string* error) {
    std::string sql = "UPDATE " + Table(db, "PRODCD") + " SET PROD_AR_PROD = ?, PROD_AR_BILLDR = ?";
    for (const YtdColumn& y : kYtd)
        sql += std::string(", ") + y.column + " = ?";
    sql += " WHERE PROD_ID = ?";
    for (const ProducerChange& c : changes) {
        std::vector<host::SqlValue> v = {static_cast<long long>(c.new_prod),
                                         static_cast<long long>(c.new_billdr)};
        for (int64_t y : c.ytd)
            v.emplace_back(static_cast<long long>(y));
        v.emplace_back(c.id);
        if (db.dbExecuteParams(sql.c_str(), v) != 0)
            return Fail(db, "Mise à jour du producteur " + c.code, error);
    }
    return true;
}

// The insurance memberships whose reset date has come (on or before `day`) start a new
// policy year: the remaining limit and deductible take the policy's patient limit and
// deductible again, and the reset date moves on by whole years until it is after `day`.
// A membership whose policy is gone keeps its amounts; only its date moves on.
bool ResetLimits(GenDB& db, long day, std::string* error) {
    std::vector<long> due;
    if (db.dbOpenParams(("SELECT DISTINCT PDEP_RESET_DATE FROM " + Table(db, "PATDEP") +
                         " WHERE PDEP_RESET_DATE > 0 AND PDEP_RESET_DATE <= ?")
                            .c_str(),
                        {day}, kCursor) != 0)
        return Fail(db, "Lecture des limites d'assurance", error);
    int r;
    for (r = db.dbFetch(0, kCursor); r == 0; r = db.dbFetch(1, kCursor)) {
        long d = 0;
        db.dbGetLong(1, &d, kCursor);
        due.push_back(d);
    }
    db.dbClose(kCursor);
    if (r < 0) return Fail(db, "Lecture des limites d'assurance", error);

    const std::string pol = Table(db, "EMPPOL");
    const std::string sql =
        "UPDATE " + Table(db, "PATDEP") +
        " SET PDEP_LIMIT = COALESCE((SELECT EPOL_PAT_LIMIT FROM " + pol +
        " WHERE EPOL_ID = PDEP_EPOLID), PDEP_LIMIT), PDEP_DEDUCT = COALESCE((SELECT " +
        "EPOL_PAT_DEDUCT FROM " + pol +
        " WHERE EPOL_ID = PDEP_EPOLID), PDEP_DEDUCT), PDEP_RESET_DATE = ? WHERE "
        "PDEP_RESET_DATE = ?";
    for (long d : due) {
        long next = d;
        for (int years = 1; next <= day && next != 0; ++years)
            next = host::AddMonths(d, 12 * years);
        // A date that is no real date cannot be stepped: it is left for the practice to fix.
        if (next == 0) continue;
        if (db.dbExecuteParams(sql.c_str(), {next, d}) != 0)
            return Fail(db, "Remise à zéro des limites d'assurance", error);
    }
    return true;
}

// The year-end's own changes beyond the producers' year to date: an account the patient
// owes nothing on starts the new year without a payment to date.
bool YearEndAccounts(GenDB& db, std::string* error) {
    return db.dbExecute("UPDATE " + Table(db, "ACCOUNT") +
                        " SET ACC_PMT_AMT = 0 WHERE ACC_PAT_BAL = 0 AND ACC_PMT_AMT <> 0") == 0 ||
           Fail(db, "Mise à jour des paiements des comptes", error);
}

bool StoreMonthEndDate(GenDB& db, long date, std::string* error) {
    ppset::PPSetStore store(ppset::Owner::MonthEndClosing);
    long value = date;
    store.Bind("PPST_A51_FIELD08", {ppset::Slot::Number(&value)});
    std::string why;
    if (!store.Save(&db, &why)) {
        *error = "Enregistrement de la date de fin de mois : " + why;
        return false;
    }
    return true;
}

bool DeletePeriodRows(GenDB& db, const Period& p, std::string* error) {
    const char* prefix = db.dbTablePrefix();
    char sql[200];
    std::snprintf(sql, sizeof sql,
                  "DELETE FROM %sDAYSHT WHERE dsht_date >= %ld AND dsht_date <= %ld", prefix,
                  p.first, p.last);
    if (db.dbExecute(sql) != 0) return Fail(db, "Suppression du journal du mois", error);
    std::snprintf(sql, sizeof sql,
                  "DELETE FROM %sDAYDET WHERE ddet_date >= %ld AND ddet_date <= %ld", prefix,
                  p.first, p.last);
    if (db.dbExecute(sql) != 0) return Fail(db, "Suppression des journées du mois", error);
    return true;
}

// "monthend.log": one line per change, each stamped with the run's date and the time.
void WriteLog(const CloseRequest& req, const std::vector<ProducerChange>& changes) {
    if (req.log_folder.empty()) return;
    FILE* f = std::fopen((req.log_folder + "/monthend.log").c_str(), "a+");
    if (!f) return;
    const std::string date = host::Dmy(req.today ? req.today : ldate_today());
    auto line = [&](const std::string& text) {
        int h = 0, m = 0, s = 0;
        host::Now(&h, &m, &s);
        std::fprintf(f, "%s [%02d:%02d:%02d] %s\n", date.c_str(), h, m, s, text.c_str());
    };
    char text[256];
    std::snprintf(text, sizeof text, "Performing MonthEnd: beg date=%ld rep date=%ld Today=%ld\n",
                  req.period.first, req.period.last, req.today);
    line(text);
    for (const ProducerChange& c : changes) {
        std::snprintf(text, sizeof text,
                      "PROD:%s prod_ar_prod OLD:%ld NEW:%ld prod_ar_billdr OLD:%ld NEW:%ld",
                      c.code.c_str(), static_cast<long>(c.old_prod), static_cast<long>(c.new_prod),
                      static_cast<long>(c.old_billdr), static_cast<long>(c.new_billdr));
        line(text);
    }
    std::fclose(f);
}

}  // namespace

Period MonthPeriod(int year, int month) {
    const long first = DMYtoDate(1, month, year);
    if (first == 0) return {};
    return {first, host::MonthEnd(first)};
}

bool UnprintedDays(GenDB& db, const Period& p, std::vector<long>* days, std::string* error) {
    return dayend::UnprintedDaysBetween(db, p.first, p.last, true, days, error);
}

CloseResult PerformMthend(GenDB& db, const CloseRequest& req, std::vector<long>* unprinted,
                          std::string* error) {
    std::vector<long> none;
    if (!unprinted) unprinted = &none;
    unprinted->clear();
    error->clear();
    const Period& p = req.period;
    if (!host::IsValidDate(p.first) || !host::IsValidDate(p.last) || p.first > p.last) {
        *error = host::LoadText(kInvalidPeriod);
        return CloseResult::Refused;
    }
    if (req.today > 0 && p.first > req.today) {
        *error = host::LoadText(kFutureMonth);
        return CloseResult::Refused;
    }

    CloseResult result = CloseResult::Failed;
    std::vector<ProducerChange> changes;
    // Everything below is read and written under the lock: a workstation that closed the
    // month first is seen here, and no transaction is posted between the analysis and the
    // records written from it.
    const bool ok = dayend::UnderClosingLock(db, error, [&] {
        dayend::DayEndState s;
        if (!dayend::ReadState(db, &s, error)) return false;
        if (!s.found) {
            *error = host::LoadText(kNoDayEnd);
            return false;
        }
        if (s.month_end >= p.last) {
            *error = host::U8Format(host::LoadText(kAlreadyClosed).c_str(),
                                    host::Dmy(s.month_end).c_str());
            result = CloseResult::AlreadyClosed;
            return false;
        }
        // After a month-end, the next one starts the day after it: no day is left out of
        // the brought-forward figures or counted in two months.
        if (s.month_end > 0 && p.first != incr_date(s.month_end, 1)) {
            *error =
                host::U8Format(host::LoadText(kNotNext).c_str(), host::Dmy(s.month_end).c_str(),
                               host::Dmy(incr_date(s.month_end, 1)).c_str());
            result = CloseResult::Refused;
            return false;
        }
        if (!UnprintedDays(db, p, unprinted, error)) return false;
        if (!unprinted->empty()) {
            std::string list = host::LoadText(kUnprinted);
            for (long d : *unprinted)
                list += host::U8Format("%8ld", d) + "\n";
            *error = list;
            result = CloseResult::Unprinted;
            return false;
        }
        bool refused = false;
        if (!Analyse(db, req, &changes, &refused, error)) {
            if (refused) result = CloseResult::Refused;
            return false;
        }
        if (!WriteProducers(db, changes, error) || !DeletePeriodRows(db, p, error)) return false;
        std::string sql = "UPDATE " + Table(db, "DAYEND") + " SET DEND_MENDDATE = ?";
        std::vector<host::SqlValue> v = {p.last};
        if (req.year_end) {
            sql += ", DEND_YENDDATE = ?";
            v.emplace_back(p.last);
        }
        if (db.dbExecuteParams((sql + " WHERE DEND_ID = 1").c_str(), v) != 0)
            return Fail(db, "Enregistrement de la fin de mois", error);
        if (!StoreMonthEndDate(db, p.last, error)) return false;
        if (!ResetLimits(db, req.today > 0 ? req.today : p.last, error)) return false;
        if (req.year_end && !YearEndAccounts(db, error)) return false;
        result = CloseResult::Closed;
        return true;
    });
    if (!ok) return result == CloseResult::Closed ? CloseResult::Failed : result;
    // The log is written once the closing is committed: a line never describes a closing
    // that was rolled back (a kill between the two loses the lines, not the closing).
    WriteLog(req, changes);
    return CloseResult::Closed;
}

}  // namespace mthend

extern "C" bool RapportsCloseMonth(LauncherInfo* launcher, const mthend::CloseRequest* request,
                                   MthendSummary* out) {
    if (!launcher || !request || !out) return false;
    *out = MthendSummary{};
    GenDB* db = launcher->GetDb();
    if (!db) {
        out->error = "Fin de mois : aucune base de données ouverte";
        return false;
    }
    out->result = mthend::PerformMthend(*db, *request, &out->unprinted, &out->error);
    return out->result == mthend::CloseResult::Closed;
}
