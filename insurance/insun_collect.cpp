#include <map>
#include <unordered_map>

#include "host/base/dates.h"
#include "host/base/debuglog.h"
#include "host/base/strings.h"
#include "host/base/text.h"
#include "host/db/gendb.h"
#include "host/output/progress.h"
#include "host/records/context.h"
#include "insurance/insun_rows.h"

namespace insun {

namespace {

constexpr int kNoOption = 6400;
constexpr int kCurPatients = 31311;
constexpr int kCurLines = 31312;
constexpr int kCurOffice = 31313;

struct Sums {
    ClaimLine line;
    bool any_line = false;
};

}  // namespace

Outcome Collect(const Criteria& c, LauncherInfo* launcher, TMeter* meter, InsUnData* out,
                std::string* error) {
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
    auto fail = [&](const char* what) {
        *error = std::string(what) + " : " + (db->dbLastError() ? db->dbLastError() : "");
        return Outcome::Failed;
    };
    WriteDebugLogFile("%s", "*** START: CALC_FROM_DATABASE");
    const std::string p = db->dbTablePrefix();
    // The patients not deleted, in name order.
    struct Patient {
        long id;
        std::string name, chart;
    };
    std::vector<Patient> patients;
    const std::string pats = "SELECT PAT_ID, PAT_LNAME, PAT_PNAME, PAT_CHART_NO FROM " + p +
                             "PATIENT WHERE PAT_DELETE_DATE = 0 ORDER BY PAT_LNAME, PAT_PNAME, "
                             "PAT_ID";
    if (db->dbOpen(pats, kCurPatients) != 0) return fail("Lecture des patients");
    int r;
    for (r = db->dbFetch(0, kCurPatients); r == 0; r = db->dbFetch(1, kCurPatients)) {
        Patient pt;
        std::string last, first;
        db->dbGetLong(1, &pt.id, kCurPatients);
        db->dbGetField(2, &last, kCurPatients);
        db->dbGetField(3, &first, kCurPatients);
        db->dbGetField(4, &pt.chart, kCurPatients);
        pt.name = host::Trim(last) + ", " + host::Trim(first);
        pt.chart = host::Trim(pt.chart);
        patients.push_back(std::move(pt));
    }
    db->dbClose(kCurPatients);
    if (r < 0) return fail("Lecture des patients");

    // Every completed, undeleted claim line with its insurance money, in one statement.
    std::map<long, Sums> claims;  // by claim id
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
    if (db->dbOpen(lines, kCurLines) != 0) return fail("Lecture des réclamations");
    for (r = db->dbFetch(0, kCurLines); r == 0; r = db->dbFetch(1, kCurLines)) {
        long id = 0, submitted = 0, pat = 0, total = 0, est = 0, paid = 0, last = 0;
        std::string number, status, doctor, insco, co1, a1, a2, a3;
        db->dbGetLong(1, &id, kCurLines);
        db->dbGetLong(2, &pat, kCurLines);
        db->dbGetField(3, &number, kCurLines);
        db->dbGetLong(4, &submitted, kCurLines);
        db->dbGetField(5, &status, kCurLines);
        db->dbGetField(6, &doctor, kCurLines);
        db->dbGetField(7, &insco, kCurLines);
        db->dbGetField(8, &co1, kCurLines);
        db->dbGetLong(9, &total, kCurLines);
        db->dbGetLong(10, &est, kCurLines);
        db->dbGetField(11, &a1, kCurLines);
        db->dbGetField(12, &a2, kCurLines);
        db->dbGetField(13, &a3, kCurLines);
        db->dbGetLong(14, &paid, kCurLines);
        db->dbGetLong(15, &last, kCurLines);
        Sums& s = claims[id];
        ClaimLine& l = s.line;
        if (!s.any_line) {
            s.any_line = true;
            l.claim_id = id;
            l.pat_id = pat;
            l.claim_no = host::Trim(number);
            l.submitted = submitted;
            l.status = status.empty() ? ' ' : status[0];
            l.doctor = host::Trim(doctor);
            l.carrier = host::Trim(insco).empty() ? host::Trim(co1) : host::Trim(insco);
        }
        if (a1 == "Y" || a2 == "Y" || a3 == "Y") l.assigned = 'A';
        l.claimed += total;
        l.estimate += est;
        l.paid += paid;
        if (last > l.last_paid) l.last_paid = last;
    }
    db->dbClose(kCurLines);
    if (r < 0) return fail("Lecture des réclamations");

    // Office charges an insurer has begun to pay: their total is what the insurer was asked
    // for; the partial option takes those it has not finished paying.
    std::vector<ClaimLine> office;
    if (c.partial) {
        const std::string ins = " FROM " + p + "PMTAPP, " + p +
                                "ACCPMT WHERE PAPP_POCHID = POCH_ID AND PAPP_RECTYPE = 'O' AND "
                                "PAPP_TYPE LIKE '%I%' AND APMT_ID = PAPP_APMTID";
        const std::string charges =
            "SELECT POCH_ID, POCH_PATID, POCH_SERVNO, POCH_BILLDR, POCH_TOTAL, (SELECT "
            "COALESCE(SUM(PAPP_AMOUNT), 0)" +
            ins + "), (SELECT COALESCE(MAX(PAPP_DATE), 0)" + ins + "), (SELECT MAX(APMT_PAYOR)" +
            ins + ") FROM " + p + "PATOCH WHERE POCH_DELDATE = 0 AND EXISTS (SELECT 1" + ins +
            ") ORDER BY POCH_ID";
        if (db->dbOpen(charges, kCurOffice) != 0) return fail("Lecture des frais de cabinet");
        for (r = db->dbFetch(0, kCurOffice); r == 0; r = db->dbFetch(1, kCurOffice)) {
            ClaimLine l;
            long total = 0, paid = 0;
            std::string servno, billdr, payor;
            db->dbGetLong(2, &l.pat_id, kCurOffice);
            db->dbGetField(3, &servno, kCurOffice);
            db->dbGetField(4, &billdr, kCurOffice);
            db->dbGetLong(5, &total, kCurOffice);
            db->dbGetLong(6, &paid, kCurOffice);
            db->dbGetLong(7, &l.last_paid, kCurOffice);
            db->dbGetField(8, &payor, kCurOffice);
            l.claim_no = host::Trim(servno);
            l.doctor = host::Trim(billdr);
            l.carrier = host::Trim(payor);
            l.claimed = l.estimate = total;
            l.paid = paid;
            l.reason = Reason::Partial;
            if (paid != 0 && paid < total && l.last_paid < c.not_paid_since)
                office.push_back(std::move(l));
        }
        db->dbClose(kCurOffice);
        if (r < 0) return fail("Lecture des frais de cabinet");
    }

    std::unordered_map<long, std::vector<ClaimLine*>> by_patient;
    for (auto& [id, s] : claims) {
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
    for (ClaimLine& l : office)
        by_patient[l.pat_id].push_back(&l);
    if (meter) meter->SetMax(static_cast<long>(patients.size()));
    for (const Patient& pt : patients) {
        if (auto it = by_patient.find(pt.id); it != by_patient.end())
            for (ClaimLine* l : it->second) {
                l->patient = pt.name;
                l->chart = pt.chart;
                out->claims.push_back(*l);
            }
        if (meter) {
            meter->Advance();
            if (meter->Cancel()) return Outcome::Cancelled;
        }
    }
    return Outcome::Done;
}

}  // namespace insun
