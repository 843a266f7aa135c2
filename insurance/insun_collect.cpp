#include <algorithm>
#include <map>
#include <unordered_map>

#include "host/base/dates.h"
#include "host/base/debuglog.h"
#include "host/base/strings.h"
#include "host/base/text.h"
#include "host/db/gendb.h"
#include "host/output/progress.h"
#include "host/records/context.h"
#include "host/records/records.h"
#include "insurance/insun_rows.h"

namespace insun {

namespace {

constexpr int kNoOption = 6400;
constexpr int kCurPatients = 31311;
constexpr int kCurLines = 31312;
constexpr int kCurOffice = 31313;

struct Patient {
    long id = 0;
    std::string name, chart;
};

// One completed, undeleted claim line with its claim's fields and its insurance money.
struct LineRead {
    long claim_id = 0, pat_id = 0, submitted = 0;
    std::string number, status, doctor, insco, co1;
    bool assigned = false;
    int64_t total = 0, estimate = 0, paid = 0;
    long last_paid = 0;
};

struct Sums {
    ClaimLine line;
    bool any_line = false;
};

// What both paths gather before the options choose.
struct Gathered {
    std::vector<Patient> patients;  // not deleted, in name order
    std::map<long, Sums> claims;    // by claim id
    std::vector<ClaimLine> office;  // office charges an insurer has paid part of, by id
};

// Adds a line to its claim; the claim's fields come from its first line.
void AddLine(const LineRead& r, std::map<long, Sums>* claims) {
    Sums& s = (*claims)[r.claim_id];
    ClaimLine& l = s.line;
    if (!s.any_line) {
        s.any_line = true;
        l.claim_id = r.claim_id;
        l.pat_id = r.pat_id;
        l.claim_no = host::Trim(r.number);
        l.submitted = r.submitted;
        l.status = r.status.empty() ? ' ' : r.status[0];
        l.doctor = host::Trim(r.doctor);
        l.carrier = host::Trim(r.insco).empty() ? host::Trim(r.co1) : host::Trim(r.insco);
    }
    if (r.assigned) l.assigned = 'A';
    l.claimed += r.total;
    l.estimate += r.estimate;
    l.paid += r.paid;
    if (r.last_paid > l.last_paid) l.last_paid = r.last_paid;
}

// Keeps an office charge an insurer has begun to pay (its total is what the insurer was
// asked for) and has not finished paying since the date.
void AddOffice(const Criteria& c, long pat_id, const std::string& servno, const std::string& billdr,
               const std::string& payor, int64_t total, int64_t paid, long last_paid,
               std::vector<ClaimLine>* office) {
    if (paid == 0 || paid >= total || last_paid >= c.not_paid_since) return;
    ClaimLine l;
    l.pat_id = pat_id;
    l.claim_no = host::Trim(servno);
    l.doctor = host::Trim(billdr);
    l.carrier = host::Trim(payor);
    l.claimed = l.estimate = total;
    l.paid = paid;
    l.last_paid = last_paid;
    l.reason = Reason::Partial;
    office->push_back(std::move(l));
}

// The SQL path: the patients, then every claim line and the office charges, one statement
// each.
bool BySql(GenDB& db, const Criteria& c, Gathered* g, std::string* error) {
    auto fail = [&](const char* what) {
        *error = std::string(what) + " : " + (db.dbLastError() ? db.dbLastError() : "");
        return false;
    };
    const std::string p = db.dbTablePrefix();
    const std::string pats = "SELECT PAT_ID, PAT_LNAME, PAT_PNAME, PAT_CHART_NO FROM " + p +
                             "PATIENT WHERE PAT_DELETE_DATE = 0 ORDER BY PAT_LNAME, PAT_PNAME, "
                             "PAT_ID";
    if (db.dbOpen(pats, kCurPatients) != 0) return fail("Lecture des patients");
    int r;
    for (r = db.dbFetch(0, kCurPatients); r == 0; r = db.dbFetch(1, kCurPatients)) {
        Patient pt;
        std::string last, first;
        db.dbGetLong(1, &pt.id, kCurPatients);
        db.dbGetField(2, &last, kCurPatients);
        db.dbGetField(3, &first, kCurPatients);
        db.dbGetField(4, &pt.chart, kCurPatients);
        pt.name = host::Trim(last) + ", " + host::Trim(first);
        pt.chart = host::Trim(pt.chart);
        g->patients.push_back(std::move(pt));
    }
    db.dbClose(kCurPatients);
    if (r < 0) return fail("Lecture des patients");

    // Every completed, undeleted claim line with its insurance money, in one statement.
    const std::string lines =
        "SELECT PCLM_ID, PCLM_PATID, PCLM_NUMBER, PCLM_SUBMIT_DATE, PCLM_STATUS, PCLM_DOCTOR, "
        "PCLM_INSCO, CTRT_INS_CO1, CTRT_TOTAL, CTRT_INS_TOTAL, CTRT_INS_ASSIGN1, "
        "CTRT_INS_ASSIGN2, CTRT_INS_ASSIGN3, (SELECT COALESCE(SUM(PAPP_AMOUNT), 0) FROM " +
        p +
        "PMTAPP WHERE PAPP_CTRTID = CTRT_ID AND PAPP_RECTYPE = 'T' AND PAPP_TYPE LIKE "
        "'%I%'), (SELECT COALESCE(MAX(PAPP_DATE), 0) FROM " +
        p +
        "PMTAPP WHERE PAPP_CTRTID = CTRT_ID AND PAPP_RECTYPE = 'T' AND PAPP_TYPE LIKE "
        "'%I%') FROM " +
        p + "PATCLM, " + p +
        "CLMTRT WHERE CTRT_PCLMID = PCLM_ID AND CTRT_DEL_DATE = 0 AND CTRT_STATUS LIKE '%C%' "
        "AND PCLM_STATUS <> 'E' ORDER BY PCLM_ID, CTRT_ID";
    if (db.dbOpen(lines, kCurLines) != 0) return fail("Lecture des réclamations");
    for (r = db.dbFetch(0, kCurLines); r == 0; r = db.dbFetch(1, kCurLines)) {
        LineRead l;
        long total = 0, est = 0, paid = 0;
        std::string a1, a2, a3;
        db.dbGetLong(1, &l.claim_id, kCurLines);
        db.dbGetLong(2, &l.pat_id, kCurLines);
        db.dbGetField(3, &l.number, kCurLines);
        db.dbGetLong(4, &l.submitted, kCurLines);
        db.dbGetField(5, &l.status, kCurLines);
        db.dbGetField(6, &l.doctor, kCurLines);
        db.dbGetField(7, &l.insco, kCurLines);
        db.dbGetField(8, &l.co1, kCurLines);
        db.dbGetLong(9, &total, kCurLines);
        db.dbGetLong(10, &est, kCurLines);
        db.dbGetField(11, &a1, kCurLines);
        db.dbGetField(12, &a2, kCurLines);
        db.dbGetField(13, &a3, kCurLines);
        db.dbGetLong(14, &paid, kCurLines);
        db.dbGetLong(15, &l.last_paid, kCurLines);
        l.assigned = a1 == "Y" || a2 == "Y" || a3 == "Y";
        l.total = total;
        l.estimate = est;
        l.paid = paid;
        AddLine(l, &g->claims);
    }
    db.dbClose(kCurLines);
    if (r < 0) return fail("Lecture des réclamations");
    if (!c.partial) return true;

    const std::string ins = " FROM " + p + "PMTAPP, " + p +
                            "ACCPMT WHERE PAPP_POCHID = POCH_ID AND PAPP_RECTYPE = 'O' AND "
                            "PAPP_TYPE LIKE '%I%' AND APMT_ID = PAPP_APMTID";
    const std::string charges =
        "SELECT POCH_ID, POCH_PATID, POCH_SERVNO, POCH_BILLDR, POCH_TOTAL, (SELECT "
        "COALESCE(SUM(PAPP_AMOUNT), 0)" +
        ins + "), (SELECT COALESCE(MAX(PAPP_DATE), 0)" + ins + "), (SELECT MAX(APMT_PAYOR)" + ins +
        ") FROM " + p + "PATOCH WHERE POCH_DELDATE = 0 AND EXISTS (SELECT 1" + ins +
        ") ORDER BY POCH_ID";
    if (db.dbOpen(charges, kCurOffice) != 0) return fail("Lecture des frais de cabinet");
    for (r = db.dbFetch(0, kCurOffice); r == 0; r = db.dbFetch(1, kCurOffice)) {
        long pat = 0, total = 0, paid = 0, last = 0;
        std::string servno, billdr, payor;
        db.dbGetLong(2, &pat, kCurOffice);
        db.dbGetField(3, &servno, kCurOffice);
        db.dbGetField(4, &billdr, kCurOffice);
        db.dbGetLong(5, &total, kCurOffice);
        db.dbGetLong(6, &paid, kCurOffice);
        db.dbGetLong(7, &last, kCurOffice);
        db.dbGetField(8, &payor, kCurOffice);
        AddOffice(c, pat, servno, billdr, payor, total, paid, last, &g->office);
    }
    db.dbClose(kCurOffice);
    if (r < 0) return fail("Lecture des frais de cabinet");
    return true;
}

// The record-class path: the patients by name, then each patient's claims, their lines
// and the lines' applications, and the patient's office charges with theirs.
class ByRecords {
  public:
    ByRecords(LauncherInfo* launcher, const Criteria& c, Gathered* g)
        : c_(c),
          g_(g),
          msg_(launcher->GetMsgPtr()),
          persons_(launcher->GetListPtr(), msg_),
          claims_(launcher->GetListPtr(), msg_),
          lines_(launcher->GetListPtr(), msg_),
          office_(launcher->GetListPtr(), msg_),
          apps_(launcher->GetListPtr(), msg_),
          payments_(launcher->GetListPtr(), msg_) {}

    bool Patients(std::string* error) {
        TEmgBase* e = &msg_->errors();
        persons_.SetKey(PersInfo::KEY_NAME);
        for (bool ok = persons_.DBGetFirst(e); ok; ok = persons_.DBGetNext(e)) {
            const patient_struct& p = *persons_.GetRecPtr();
            if (p.delete_date != 0) continue;
            g_->patients.push_back({p.pat_id, host::Trim(p.lname) + ", " + host::Trim(p.pname),
                                    host::Trim(p.chart_no)});
        }
        return !persons_.DbFailed() || Fail("Lecture des patients", error);
    }

    bool Patient(long pat_id, std::string* error) {
        TEmgBase* e = &msg_->errors();
        for (bool ok = claims_.DBFindFirst(PatClmInfo::KEY_PATIENT, {pat_id}, e); ok;
             ok = claims_.DBFindNext(e)) {
            const patclm_struct claim = *claims_.GetRecPtr();
            if (claim.status == 'E') continue;
            for (bool l = lines_.DBFindFirst(ClmTrtInfo::KEY_CLAIM, {claim.pclm_id}, e); l;
                 l = lines_.DBFindNext(e)) {
                const clmtrt_struct& t = *lines_.GetRecPtr();
                if (t.del_date != 0 || t.status.find('C') == std::string::npos) continue;
                LineRead r;
                r.claim_id = claim.pclm_id;
                r.pat_id = claim.pat_id;
                r.number = claim.number;
                r.submitted = claim.submit_date;
                r.status = std::string(1, claim.status);
                r.doctor = claim.doctor;
                r.insco = claim.insco;
                r.co1 = t.ins_co1;
                r.assigned = t.ins_assign1 == 'Y' || t.ins_assign2 == 'Y' || t.ins_assign3 == 'Y';
                r.total = t.total;
                r.estimate = t.ins_total;
                for (bool a = apps_.DBFindFirst(PmtAppInfo::KEY_TREATMENT, {t.ctrt_id}, e); a;
                     a = apps_.DBFindNext(e)) {
                    const pmtapp_struct& app = *apps_.GetRecPtr();
                    if (app.rectype != 'T' || app.type != 'I') continue;
                    r.paid += app.amount;
                    r.last_paid = std::max(r.last_paid, app.date);
                }
                if (apps_.DbFailed()) return Fail("Lecture des paiements", error);
                AddLine(r, &g_->claims);
            }
            if (lines_.DbFailed()) return Fail("Lecture des traitements", error);
        }
        if (claims_.DbFailed()) return Fail("Lecture des réclamations", error);
        return !c_.partial || Office(pat_id, error);
    }

  private:
    bool Office(long pat_id, std::string* error) {
        TEmgBase* e = &msg_->errors();
        for (bool ok = office_.DBFindFirst(PatOffChgInfo::KEY_PATIENT, {pat_id}, e); ok;
             ok = office_.DBFindNext(e)) {
            const patoch_struct och = *office_.GetRecPtr();
            if (och.deldate != 0) continue;
            bool any = false;
            int64_t paid = 0;
            long last = 0;
            std::string payor;
            for (bool a = apps_.DBFindFirst(PmtAppInfo::KEY_CHARGE, {och.poch_id}, e); a;
                 a = apps_.DBFindNext(e)) {
                const pmtapp_struct& app = *apps_.GetRecPtr();
                if (app.rectype != 'O' || app.type != 'I') continue;
                // Money of a payment that no longer exists pays nothing.
                if (!payments_.DBFindFirst(AccPmtInfo::KEY_ID, {app.apmt_id}, e)) {
                    if (payments_.DbFailed()) return Fail("Lecture des paiements", error);
                    continue;
                }
                if (!any || payments_.GetRecPtr()->payor > payor)
                    payor = payments_.GetRecPtr()->payor;
                any = true;
                paid += app.amount;
                last = std::max(last, app.date);
            }
            if (apps_.DbFailed()) return Fail("Lecture des paiements", error);
            if (any)
                AddOffice(c_, och.pat_id, och.servno, och.billdr, payor, och.total, paid, last,
                          &g_->office);
        }
        return !office_.DbFailed() || Fail("Lecture des frais de cabinet", error);
    }

    bool Fail(const char* what, std::string* error) {
        *error = FailureText(*msg_, nullptr, what);
        return false;
    }

    const Criteria& c_;
    Gathered* g_;
    MsgInfo* msg_;
    PersInfo persons_;
    PatClmInfo claims_;
    ClmTrtInfo lines_;
    PatOffChgInfo office_;
    PmtAppInfo apps_;
    AccPmtInfo payments_;
};

}  // namespace

Outcome Collect(const Criteria& c, LauncherInfo* launcher, TMeter* meter, InsUnData* out,
                std::string* error, int mode) {
    *out = InsUnData();
    out->criteria = c;
    if (!c.unpaid && !c.partial && !c.unbilled) {
        *error = host::LoadText(kNoOption);
        return Outcome::Failed;
    }
    GenDB* db = launcher ? launcher->GetDb() : nullptr;
    if (!db) {
        *error = "Aucune base de données ouverte";
        return Outcome::Failed;
    }
    if ((c.unpaid && !host::IsValidDate(c.billed_before)) ||
        (c.partial && !host::IsValidDate(c.not_paid_since))) {
        *error = "Date invalide";
        return Outcome::Failed;
    }
    if (mode < 0) mode = launcher->App() ? launcher->App()->m_CalAR : 1;
    Gathered g;
    if (mode == 1) {
        WriteDebugLogFile("%s", "*** START: CALC_FROM_DATABASE");
        if (!BySql(*db, c, &g, error)) return Outcome::Failed;
        if (meter) meter->SetMax(static_cast<long>(g.patients.size()));
    } else {
        WriteDebugLogFile("%s", "START: CALC_FROM_DAYSHEET");
        ByRecords records(launcher, c, &g);
        if (!records.Patients(error)) return Outcome::Failed;
        if (meter) meter->SetMax(static_cast<long>(g.patients.size()));
        for (const Patient& pt : g.patients) {
            if (!records.Patient(pt.id, error)) return Outcome::Failed;
            if (meter) {
                meter->Advance();
                if (meter->Cancel()) return Outcome::Cancelled;
            }
        }
    }

    std::unordered_map<long, std::vector<ClaimLine*>> by_patient;
    for (auto& [id, s] : g.claims) {
        ClaimLine& l = s.line;
        if (l.estimate <= 0) continue;
        if (c.unpaid && l.submitted != 0 && l.submitted < c.billed_before && l.paid == 0)
            l.reason = Reason::Unpaid;
        else if (c.partial && l.paid != 0 && l.paid < l.estimate && l.last_paid < c.not_paid_since)
            l.reason = Reason::Partial;
        else if (c.unbilled && l.submitted == 0)
            l.reason = Reason::Unbilled;
        else
            continue;
        by_patient[l.pat_id].push_back(&l);
    }
    for (ClaimLine& l : g.office)
        by_patient[l.pat_id].push_back(&l);
    for (const Patient& pt : g.patients) {
        if (auto it = by_patient.find(pt.id); it != by_patient.end())
            for (ClaimLine* l : it->second) {
                l->patient = pt.name;
                l->chart = pt.chart;
                out->claims.push_back(*l);
            }
        if (meter && mode == 1) {
            meter->Advance();
            if (meter->Cancel()) return Outcome::Cancelled;
        }
    }
    return Outcome::Done;
}

}  // namespace insun
