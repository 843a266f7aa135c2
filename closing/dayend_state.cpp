#include "closing/dayend_state.h"

#include "host/db/gendb.h"

namespace dayend {

namespace {

constexpr int kCursor = 31725;
// The practice's closing lock: the day-end record's table, taken to update.
constexpr const char* kLock = "DAYEND";

std::string Table(GenDB& db, const char* name) {
    return std::string(db.dbTablePrefix()) + name;
}

bool Fail(GenDB& db, const std::string& what, std::string* error) {
    *error = what;
    if (db.dbLastError()) *error += std::string(" : ") + db.dbLastError();
    return false;
}

// The day record of date: created when missing, then its flags set.
bool SetDay(GenDB& db, long date, bool closed, bool printed, std::string* error) {
    const std::string t = Table(db, "DAYDET");
    long n = 0;
    if (db.dbOpenParams(("SELECT COUNT(*) FROM " + t + " WHERE DDET_DATE = ?").c_str(), {date},
                        kCursor) != 0)
        return Fail(db, "Lecture des journées", error);
    if (db.dbFetch(0, kCursor) == 0) db.dbGetLong(1, &n, kCursor);
    db.dbClose(kCursor);
    if (n == 0 && db.dbExecuteParams(("INSERT INTO " + t +
                                      " (DDET_ID, DDET_DATE, DDET_PRINTED, DDET_CLOSED) SELECT "
                                      "COALESCE(MAX(DDET_ID), 0) + 1, ?, 'N', 'N' FROM " +
                                      t)
                                         .c_str(),
                                     {date}) != 0)
        return Fail(db, "Création de la journée", error);
    if (closed &&
        db.dbExecuteParams(("UPDATE " + t + " SET DDET_CLOSED = 'Y' WHERE DDET_DATE = ?").c_str(),
                           {date}) != 0)
        return Fail(db, "Fermeture de la journée", error);
    if (printed &&
        db.dbExecuteParams(("UPDATE " + t + " SET DDET_PRINTED = 'Y' WHERE DDET_DATE = ?").c_str(),
                           {date}) != 0)
        return Fail(db, "Marque d'impression de la journée", error);
    return true;
}

}  // namespace

bool UnderClosingLock(GenDB& db, std::string* error, const std::function<bool()>& body) {
    if (!db.Lock(kLock, 3))
        return Fail(db, "La fin de journée est verrouillée par un autre poste", error);
    bool ok = false;
    {
        host::DbTransaction tx(db);
        if (!tx.ok())
            Fail(db, "Début de la transaction", error);
        else if (body())
            ok = tx.Commit() || Fail(db, "Enregistrement de la fin de journée", error);
    }
    db.Unlock(kLock, 3);
    return ok;
}

bool ReadState(GenDB& db, DayEndState* state, std::string* error) {
    *state = DayEndState{};
    if (db.dbOpen("SELECT DEND_LASTDAY, DEND_MENDDATE, DEND_PRINTED FROM " + Table(db, "DAYEND") +
                      " WHERE DEND_ID = 1",
                  kCursor) != 0)
        return Fail(db, "Lecture de la fin de journée", error);
    const int r = db.dbFetch(0, kCursor);
    if (r == 0) {
        state->found = true;
        db.dbGetLong(1, &state->last_day, kCursor);
        db.dbGetLong(2, &state->month_end, kCursor);
        std::string p;
        db.dbGetField(3, &p, kCursor);
        state->printed = p.empty() ? 'N' : p[0];
    }
    db.dbClose(kCursor);
    return r >= 0 || Fail(db, "Lecture de la fin de journée", error);
}

bool UnprintedDays(GenDB& db, long date, std::vector<long>* days, std::string* error) {
    days->clear();
    if (db.dbOpenParams(("SELECT DDET_DATE FROM " + Table(db, "DAYDET") +
                         " WHERE DDET_DATE < ? AND DDET_DATE > 0 AND (DDET_PRINTED IS NULL OR "
                         "DDET_PRINTED <> 'Y') ORDER BY DDET_ID")
                            .c_str(),
                        {date}, kCursor) != 0)
        return Fail(db, "Lecture des journées", error);
    int r;
    for (r = db.dbFetch(0, kCursor); r == 0; r = db.dbFetch(1, kCursor)) {
        long d = 0;
        db.dbGetLong(1, &d, kCursor);
        days->push_back(d);
    }
    db.dbClose(kCursor);
    return r >= 0 || Fail(db, "Lecture des journées", error);
}

CloseResult CloseDay(GenDB& db, long date, bool printed,
                     const std::function<bool(GenDB&, std::string*)>& tasks, std::string* error) {
    bool already = false;
    const bool ok = UnderClosingLock(db, error, [&] {
        // Read under the lock: a workstation that closed the day first is seen here.
        DayEndState s;
        if (!ReadState(db, &s, error)) return false;
        if (!s.found) {
            *error = "Aucun enregistrement de fin de journée";
            return false;
        }
        if (s.last_day >= date) {
            already = true;
            return false;
        }
        if (db.dbExecuteParams(("UPDATE " + Table(db, "DAYEND") +
                                " SET DEND_LASTDAY = ?, DEND_PRINTED = ? WHERE DEND_ID = 1")
                                   .c_str(),
                               {date, std::string(printed ? "Y" : "N")}) != 0)
            return Fail(db, "Enregistrement de la fin de journée", error);
        if (!SetDay(db, date, true, printed, error)) return false;
        return !tasks || tasks(db, error);
    });
    if (already) return CloseResult::AlreadyClosed;
    return ok ? CloseResult::Closed : CloseResult::Failed;
}

bool MarkPrinted(GenDB& db, long date, std::string* error) {
    return UnderClosingLock(db, error, [&] {
        if (db.dbExecuteParams(("UPDATE " + Table(db, "DAYEND") +
                                " SET DEND_PRINTED = 'Y' WHERE DEND_ID = 1 AND DEND_LASTDAY = ?")
                                   .c_str(),
                               {date}) != 0)
            return Fail(db, "Marque d'impression", error);
        return SetDay(db, date, false, true, error);
    });
}

bool UpdateLastDay(GenDB& db, long date, std::string* error) {
    return UnderClosingLock(db, error, [&] {
        return db.dbExecuteParams(("UPDATE " + Table(db, "DAYEND") +
                                   " SET DEND_LASTDAY = ? WHERE DEND_ID = 1 AND DEND_LASTDAY < ?")
                                      .c_str(),
                                  {date, date}) == 0 ||
               Fail(db, "Enregistrement de la fin de journée", error);
    });
}

}  // namespace dayend
