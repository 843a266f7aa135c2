#include "followup/noins_collect.h"

#include "host/base/dates.h"
#include "host/output/progress.h"
#include "host/records/context.h"
#include "host/records/records.h"

namespace noins {

float Percent(const NoInsData& data) {
    if (data.counted <= 0) return 0.0f;
    return static_cast<float>(data.printed.size()) / static_cast<float>(data.counted) * 100.0f;
}

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
    DependentInfo members(list, msg);
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
        const int n = members.GetMembers(p.pat_id);
        if (n < 0) break;
        bool insured = n > 0;
        if (insured && c.check_active) {
            insured = false;
            for (const patdep_struct& m : members.Items())
                insured = insured || m.active == 'Y';
        }
        if (insured) continue;
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
    if (patients.DbFailed() || members.DbFailed()) {
        TEmgBase& err = msg->errors();
        *error = "Lecture des patients" + (err.HasError() ? " : " + err.Text() : std::string());
        err.ClearErrMsgInfo();
        return Outcome::Failed;
    }
    return Outcome::Done;
}

}  // namespace noins
