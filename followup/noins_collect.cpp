#include "followup/noins_collect.h"

#include <unordered_map>

#include "host/base/dates.h"
#include "host/db/gendb.h"
#include "host/output/progress.h"
#include "host/records/context.h"
#include "host/records/records.h"

namespace noins {

float Percent(const NoInsData& data) {
    if (data.counted <= 0) return 0.0f;
    return static_cast<float>(data.printed.size()) / static_cast<float>(data.counted) * 100.0f;
}

namespace {

constexpr int kCursor = 31640;

struct Coverage {
    bool any = false;     // a policy membership
    bool active = false;  // an active one ('Y')
};

// Every patient's policy memberships in one statement, rather than one read per patient.
bool ReadCoverage(GenDB* db, std::unordered_map<long, Coverage>* out, std::string* error) {
    const std::string sql =
        "SELECT PDEP_PATID, PDEP_ACTIVE FROM " + std::string(db->dbTablePrefix()) + "PATDEP";
    if (db->dbOpen(sql, kCursor) != 0) {
        *error = std::string("Lecture des polices des patients : ") + db->dbLastError();
        return false;
    }
    int r;
    for (r = db->dbFetch(0, kCursor); r == 0; r = db->dbFetch(1, kCursor)) {
        long pat = 0;
        char active = 0;
        db->dbGetLong(1, &pat, kCursor);
        db->dbGetChar(2, &active, kCursor);
        Coverage& c = (*out)[pat];
        c.any = true;
        c.active = c.active || active == 'Y';
    }
    db->dbClose(kCursor);
    if (r < 0) {
        *error = std::string("Lecture des polices des patients : ") + db->dbLastError();
        return false;
    }
    return true;
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
    DLnkList* list = req.launcher->GetListPtr();
    MsgInfo* msg = req.launcher->GetMsgPtr();
    PersInfo patients(list, msg);
    std::unordered_map<long, Coverage> coverage;
    if (!ReadCoverage(req.launcher->GetDb(), &coverage, error)) return Outcome::Failed;
    const Criteria& c = req.criteria;
    const bool by_status = c.status != '*' && c.status != ' ' && c.status != 0;
    if (req.meter) req.meter->SetMax(std::max(1L, patients.GetRecCount()));
    patients.SetKey(PersInfo::KEY_NAME);
    for (bool more = patients.DBGetFirst(); more; more = patients.DBGetNext()) {
        if (req.meter) {
            req.meter->Advance();
            if (req.meter->Cancel()) return Outcome::Cancelled;
        }
        const patient_struct& p = patients.Rec();
        if (p.delete_date != 0) continue;
        ++out->counted;
        if (c.students_only && p.student != 'Y') continue;
        if (by_status && p.status != c.status) continue;
        // Insured: a membership, or with the check of active policies an active one.
        const auto cov = coverage.find(p.pat_id);
        if (cov != coverage.end() && (c.check_active ? cov->second.active : cov->second.any))
            continue;
        PatientRow r;
        r.id = p.pat_id;
        r.last_name = p.lname;
        r.first_name = p.pname;
        r.birthdate = p.birthdate;
        r.chart = p.chart_no;
        r.doctor = p.doctor;
        r.student = p.student;
        r.home_phone = p.home_ph;
        r.work_phone = p.work_ph;
        r.last_claim = p.last_claim_date;
        r.status = p.status;
        out->printed.push_back(std::move(r));
    }
    if (patients.DbFailed()) {
        TEmgBase& err = msg->errors();
        *error = "Lecture des patients" + (err.HasError() ? " : " + err.Text() : std::string());
        err.ClearErrMsgInfo();
        return Outcome::Failed;
    }
    return Outcome::Done;
}

}  // namespace noins
