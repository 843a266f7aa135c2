#include "followup/noins_collect.h"

#include <algorithm>

#include "host/base/dates.h"
#include "host/base/text.h"
#include "host/db/gendb.h"
#include "host/output/progress.h"
#include "host/records/context.h"

namespace noins {

float Percent(const NoInsData& data) {
    if (data.counted <= 0) return 0.0f;
    return static_cast<float>(data.printed.size()) / static_cast<float>(data.counted) * 100.0f;
}

namespace {

constexpr int kCursor = 31640;

Outcome Fail(GenDB* db, std::string* error) {
    *error = std::string("Lecture des patients : ") + (db->dbLastError() ? db->dbLastError() : "");
    db->dbClose(kCursor);
    return Outcome::Failed;
}

}  // namespace

Outcome Collect(const CollectRequest& req, NoInsData* out, std::string* error) {
    out->criteria = req.criteria;
    out->today = ldate_today();
    out->printed.clear();
    out->counted = 0;
    if (!req.launcher || !req.launcher->GetDb()) {
        *error = "Aucune base de données ouverte";
        return Outcome::Failed;
    }
    GenDB* db = req.launcher->GetDb();
    const std::string p = db->dbTablePrefix();
    const Criteria& c = req.criteria;
    const std::string kept = "PAT_DELETE_DATE = 0";

    // Counted: every patient not deleted, whatever else the criteria choose.
    if (db->dbOpen("SELECT COUNT(*) FROM " + p + "PATIENT WHERE " + kept, kCursor) != 0)
        return Fail(db, error);
    if (db->dbFetch(0, kCursor) == 0) db->dbGetLong(1, &out->counted, kCursor);
    db->dbClose(kCursor);

    // Printed: those of them the criteria keep that no policy membership covers (no active
    // one, with the check of active policies), in name order.
    std::string sql =
        "SELECT PAT_ID, PAT_LNAME, PAT_PNAME, PAT_BIRTHDATE, PAT_CHART_NO, PAT_DOCTOR, "
        "PAT_STUDENT, PAT_HOME_PH, PAT_WORK_PH, PAT_LAST_CLAIM_DATE, PAT_STATUS FROM " +
        p + "PATIENT WHERE " + kept;
    if (c.students_only) sql += " AND PAT_STUDENT = 'Y'";
    if (c.status != '*' && c.status != ' ' && c.status != 0)
        sql += " AND PAT_STATUS = '" + host::SqlText(std::string(1, c.status)) + "'";
    sql += " AND NOT EXISTS (SELECT 1 FROM " + p + "PATDEP WHERE PDEP_PATID = PAT_ID";
    if (c.check_active) sql += " AND PDEP_ACTIVE = 'Y'";
    sql += ") ORDER BY PAT_LNAME, PAT_PNAME, PAT_ID";
    if (db->dbOpen(sql, kCursor) != 0) return Fail(db, error);
    long rows = 0;
    if (db->dbRowCount(&rows, kCursor) != 0) rows = 0;
    if (req.meter) req.meter->SetMax(std::max(1L, rows));
    int r;
    for (r = db->dbFetch(0, kCursor); r == 0; r = db->dbFetch(1, kCursor)) {
        if (req.meter) {
            req.meter->Advance();
            if (req.meter->Cancel()) {
                db->dbClose(kCursor);
                return Outcome::Cancelled;
            }
        }
        PatientRow row;
        db->dbGetLong(1, &row.id, kCursor);
        db->dbGetField(2, &row.last_name, kCursor);
        db->dbGetField(3, &row.first_name, kCursor);
        db->dbGetLong(4, &row.birthdate, kCursor);
        db->dbGetField(5, &row.chart, kCursor);
        db->dbGetField(6, &row.doctor, kCursor);
        db->dbGetChar(7, &row.student, kCursor);
        db->dbGetField(8, &row.home_phone, kCursor);
        db->dbGetField(9, &row.work_phone, kCursor);
        db->dbGetLong(10, &row.last_claim, kCursor);
        db->dbGetChar(11, &row.status, kCursor);
        out->printed.push_back(std::move(row));
    }
    if (r < 0) return Fail(db, error);
    db->dbClose(kCursor);
    return Outcome::Done;
}

}  // namespace noins
