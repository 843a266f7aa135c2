#include "followup/apptlist_collect.h"

#include "host/base/text.h"
#include "host/db/gendb.h"
#include "host/output/progress.h"
#include "host/records/context.h"

namespace apptlist {

namespace {

constexpr int kCursor = 31660;

bool Every(const std::string& code) {
    const std::string c = host::Trim(code);
    return c.empty() || c == "*";
}

std::string Text(GenDB& db, int column) {
    std::string s;
    db.dbGetField(column, &s, kCursor);
    return host::Trim(s);
}

long Long(GenDB& db, int column) {
    long v = 0;
    db.dbGetLong(column, &v, kCursor);
    return v;
}

char Flag(GenDB& db, int column, char def) {
    const std::string s = Text(db, column);
    return s.empty() ? def : s[0];
}

}  // namespace

Criteria DefaultCriteria(long day) {
    Criteria c;
    c.from = c.to = day;
    return c;
}

int64_t ProducerGroup::Units() const {
    int64_t n = 0;
    for (const ApptRow& r : rows)
        n += r.units;
    return n;
}

size_t DayGroup::Count() const {
    size_t n = 0;
    for (const ProducerGroup& p : producers)
        n += p.rows.size();
    return n;
}

int64_t DayGroup::Units() const {
    int64_t n = 0;
    for (const ProducerGroup& p : producers)
        n += p.Units();
    return n;
}

size_t ApptData::Count() const {
    size_t n = 0;
    for (const DayGroup& d : days)
        n += d.Count();
    return n;
}

int64_t ApptData::Units() const {
    int64_t n = 0;
    for (const DayGroup& d : days)
        n += d.Units();
    return n;
}

Outcome Collect(const CollectRequest& req, ApptData* out, std::string* error) {
    out->criteria = req.criteria;
    out->days.clear();
    GenDB* db = req.launcher ? req.launcher->GetDb() : nullptr;
    if (!db) {
        *error = "Aucune base de données ouverte";
        return Outcome::Failed;
    }
    const Criteria& c = req.criteria;
    const std::string p = db->dbTablePrefix();
    // One statement, the patient's and producer's names joined (an appointment whose patient
    // or producer record is missing is still listed), in the order the list prints.
    std::string sql =
        "SELECT PAPT_ID, PAPT_DATE, PAPT_TIME, PAPT_UNITS, PAPT_CHAIR, PAPT_PRODUCER, "
        "PAPT_STATUS, PAPT_CONFIRMED, PAPT_TYPE, PAPT_PROCEDURE, PAT_ID, PAT_ACCID, PAT_LNAME, "
        "PAT_PNAME, PAT_HOME_PH, PAT_WORK_PH, PROD_FIRST_NAME, PROD_LAST_NAME FROM " +
        p + "PATAPT LEFT JOIN " + p + "PATIENT ON PAT_ID = PAPT_PATID LEFT JOIN " + p +
        "PRODCD ON PROD_CODE = PAPT_PRODUCER WHERE PAPT_DATE >= ? AND PAPT_DATE <= ? AND "
        "PAPT_DELDATE = 0";
    std::vector<host::SqlValue> params = {host::SqlValue(c.from), host::SqlValue(c.to)};
    if (!Every(c.producer)) {
        sql += " AND PAPT_PRODUCER = ?";
        params.emplace_back(host::Trim(c.producer));
    }
    if (!Every(c.chair)) {
        sql += " AND PAPT_CHAIR = ?";
        params.emplace_back(host::Trim(c.chair));
    }
    if (!c.missed) sql += " AND PAPT_STATUS <> 'B'";
    sql += " ORDER BY PAPT_DATE, PAPT_PRODUCER, PAPT_TIME, PAPT_CHAIR, PAPT_ID";
    if (db->dbOpenParams(sql.c_str(), params, kCursor) != 0) {
        *error = std::string("Lecture des rendez-vous : ") +
                 (db->dbLastError() ? db->dbLastError() : "");
        return Outcome::Failed;
    }
    int r;
    for (r = db->dbFetch(0, kCursor); r == 0; r = db->dbFetch(1, kCursor)) {
        if (req.meter) {
            req.meter->Advance();
            if (req.meter->Cancel()) {
                db->dbClose(kCursor);
                return Outcome::Cancelled;
            }
        }
        ApptRow a;
        a.id = Long(*db, 1);
        a.date = Long(*db, 2);
        a.time = static_cast<int>(Long(*db, 3));
        a.units = static_cast<int>(Long(*db, 4));
        a.chair = Text(*db, 5);
        a.producer = Text(*db, 6);
        a.status = Flag(*db, 7, 'S');
        a.confirmed = Flag(*db, 8, 'N');
        a.type = Text(*db, 9);
        a.procedure = Text(*db, 10);
        a.patient = Long(*db, 11);
        a.account = Long(*db, 12);
        a.last_name = Text(*db, 13);
        a.first_name = Text(*db, 14);
        a.home_phone = Text(*db, 15);
        a.work_phone = Text(*db, 16);
        if (out->days.empty() || out->days.back().date != a.date) out->days.push_back({a.date, {}});
        DayGroup& day = out->days.back();
        if (day.producers.empty() || day.producers.back().producer != a.producer)
            day.producers.push_back(
                {a.producer, host::Trim(Text(*db, 17) + " " + Text(*db, 18)), {}});
        day.producers.back().rows.push_back(std::move(a));
    }
    db->dbClose(kCursor);
    if (r < 0) {
        *error = std::string("Lecture des rendez-vous : ") +
                 (db->dbLastError() ? db->dbLastError() : "");
        return Outcome::Failed;
    }
    return Outcome::Done;
}

}  // namespace apptlist
