#include "followup/noact_collect.h"

#include <algorithm>
#include <map>
#include <unordered_map>
#include <unordered_set>

#include "host/base/dates.h"
#include "host/base/text.h"
#include "host/db/gendb.h"
#include "host/output/progress.h"
#include "host/records/context.h"
#include "host/records/practice.h"

namespace noact {

namespace {

constexpr int kCursor = 31630;
constexpr int kDetailCursor = 31631;
// Patients whose items one statement reads: every listed patient of a usual run, since
// PostgreSQL may answer each statement with a scan of the pending treatment lines.
constexpr size_t kDetailBatch = 5000;

std::string Num(long v) {
    return std::to_string(v);
}

// " AND (" the doctor range on column ") ": equal to the from code alone, or between the
// two codes; empty without codes.
std::string DoctorRange(const char* column, const std::string& from, const std::string& to) {
    if (from.empty() && to.empty()) return {};
    std::string s = " AND (";
    if (!from.empty())
        s +=
            std::string(" ") + column + (to.empty() ? " = '" : " >= '") + host::SqlText(from) + "'";
    if (!to.empty())
        s += std::string(" ") + (from.empty() ? "" : " AND ") + column + " <= '" +
             host::SqlText(to) + "'";
    return s + " ) ";
}

using ItemsByPatient = std::unordered_map<long, std::vector<Item>>;

class Collector {
  public:
    Collector(const CollectRequest& req, NoActData* out)
        : req_(req),
          c_(req.criteria),
          out_(out),
          db_(req.launcher->GetDb()),
          p_(db_->dbTablePrefix()) {}

    Outcome Run(std::string* error);

  private:
    bool Fail(const std::string& what, std::string* error) {
        *error = what + " : " + (db_->dbLastError() ? db_->dbLastError() : "");
        return false;
    }
    bool Count(const std::string& sql, long* n, std::string* error);
    // The patients with a completed or in-progress treatment in the activity range.
    bool ReadTreated(std::string* error);
    // Reads one kind of item for the patients the statement names, by patient id.
    bool Items(const std::string& sql, bool treatments, ItemsByPatient* out, std::string* error);
    // The four kinds the criteria ask for, for these patients, one statement each.
    bool ReadDetails(const std::vector<long>& ids, std::string* error);
    void Details(PatientRow* row);
    bool DoctorName(const std::string& code, std::string* error);

    const CollectRequest& req_;
    const Criteria& c_;
    NoActData* out_;
    GenDB* db_;
    std::string p_;
    std::unordered_set<long> treated_;
    ItemsByPatient pending_, plan_, recalls_, appointments_;
    std::map<std::string, ProducerName> names_;  // every producer's, read at the first doctor
    bool names_read_ = false;
};

bool Collector::Count(const std::string& sql, long* n, std::string* error) {
    *n = 0;
    if (db_->dbOpen(sql, kDetailCursor) != 0) return Fail("Lecture des patients", error);
    if (db_->dbFetch(0, kDetailCursor) == 0) db_->dbGetLong(1, n, kDetailCursor);
    db_->dbClose(kDetailCursor);
    return true;
}

bool Collector::ReadTreated(std::string* error) {
    // One statement for every patient rather than a count per patient.
    std::string sql = "SELECT DISTINCT PCLM_PATID FROM " + p_ + "CLMTRT, " + p_ +
                      "PATCLM WHERE CTRT_PCLMID = PCLM_ID";
    if (c_.active_from) sql += " AND CTRT_DATE >= " + Num(c_.active_from);
    if (c_.active_to) sql += " AND CTRT_DATE <= " + Num(c_.active_to);
    sql += " AND (CTRT_STATUS LIKE 'C%' OR CTRT_STATUS LIKE 'I%') AND CTRT_DEL_DATE = 0 ";
    if (db_->dbOpen(sql, kDetailCursor) != 0) return Fail("Lecture des traitements", error);
    int r;
    for (r = db_->dbFetch(0, kDetailCursor); r == 0; r = db_->dbFetch(1, kDetailCursor)) {
        long id = 0;
        db_->dbGetLong(1, &id, kDetailCursor);
        treated_.insert(id);
    }
    db_->dbClose(kDetailCursor);
    if (r < 0) return Fail("Lecture des traitements", error);
    return true;
}

bool Collector::Items(const std::string& sql, bool treatments, ItemsByPatient* out,
                      std::string* error) {
    if (db_->dbOpen(sql, kDetailCursor) != 0) return Fail("Lecture des items prévus", error);
    int r;
    for (r = db_->dbFetch(0, kDetailCursor); r == 0; r = db_->dbFetch(1, kDetailCursor)) {
        long patient = 0;
        Item it;
        db_->dbGetLong(1, &patient, kDetailCursor);
        db_->dbGetLong(2, &it.date, kDetailCursor);
        db_->dbGetField(3, &it.code, kDetailCursor);
        db_->dbGetField(4, &it.description, kDetailCursor);
        if (treatments) {
            long total = 0;
            db_->dbGetField(5, &it.tooth, kDetailCursor);
            db_->dbGetField(6, &it.surface, kDetailCursor);
            db_->dbGetField(7, &it.producer, kDetailCursor);
            db_->dbGetLong(8, &total, kDetailCursor);
            it.total = total;
        } else {
            db_->dbGetField(5, &it.producer, kDetailCursor);
            db_->dbGetField(6, &it.flag, kDetailCursor);
        }
        (*out)[patient].push_back(std::move(it));
    }
    db_->dbClose(kDetailCursor);
    if (r < 0) return Fail("Lecture des items prévus", error);
    // One order on every engine: by date, then code (then as read: by the item's id).
    for (auto& [patient, items] : *out)
        std::stable_sort(items.begin(), items.end(), [](const Item& a, const Item& b) {
            return a.date != b.date ? a.date < b.date : a.code < b.code;
        });
    return true;
}

bool Collector::ReadDetails(const std::vector<long>& ids, std::string* error) {
    // The patients' ids written in. The claims and the treatment plans, found by patient,
    // lead their joins (CROSS JOIN keeps SQLite from starting with the treatment lines'
    // deletion date, whose statistics hide that nearly every line has none).
    std::string chosen;
    for (long id : ids)
        chosen += (chosen.empty() ? "IN (" : ", ") + Num(id);
    chosen += ")";
    // Recalls and appointments from the planned-from date; pending treatments and plan
    // items whatever their date, since they are still to be done.
    const std::string since_apt =
        c_.planned_from ? " AND PAPT_DATE >= " + Num(c_.planned_from) : "";
    const std::string since_rcl =
        c_.planned_from ? " AND PRCL_DATE >= " + Num(c_.planned_from) : "";
    return (c_.pending != 'Y' ||
            Items("SELECT PCLM_PATID, CTRT_DATE, CTRT_SYSTEM_CODE, CTRT_CODE_FC_DESC, "
                  "CTRT_TOOTH, CTRT_SURFACE, CTRT_PRODUCER, CTRT_TOTAL FROM " +
                      p_ + "PATCLM CROSS JOIN " + p_ +
                      "CLMTRT WHERE CTRT_PCLMID = PCLM_ID AND PCLM_PATID " + chosen +
                      " AND CTRT_STATUS LIKE 'P%' AND CTRT_DEL_DATE = 0 ORDER BY PCLM_PATID, "
                      "CTRT_ID",
                  true, &pending_, error)) &&
           (c_.plan != 'Y' ||
            Items("SELECT PTXP_PATID, TTRT_DATE, TTRT_SYSTEM_CODE, TTRT_CODE_FC_DESC, "
                  "TTRT_TOOTH, TTRT_SURFACE, TTRT_PRODUCER, TTRT_TOTAL FROM " +
                      p_ + "PATTXP CROSS JOIN " + p_ +
                      "TXPTRT WHERE TTRT_TXPID = PTXP_ID AND PTXP_PATID " + chosen +
                      " AND TTRT_STATUS <> 'A' AND TTRT_STATUS <> 'R' ORDER BY PTXP_PATID, "
                      "TTRT_ID",
                  true, &plan_, error)) &&
           (c_.recalls != 'Y' ||
            Items("SELECT PRCL_PATID, PRCL_DATE, PRCL_CODE, PRCL_DESCRIPTION, PRCL_PRODUCER, "
                  "PRCL_BOOKED FROM " +
                      p_ + "PATRCL WHERE PRCL_PATID " + chosen + since_rcl +
                      " ORDER BY PRCL_PATID, PRCL_ID",
                  false, &recalls_, error)) &&
           (c_.appointments != 'Y' ||
            Items("SELECT PAPT_PATID, PAPT_DATE, PAPT_MCBCODE, PAPT_PROCEDURE, PAPT_PRODUCER, "
                  "PAPT_STATUS FROM " +
                      p_ + "PATAPT WHERE PAPT_PATID " + chosen + since_apt +
                      " AND PAPT_DELDATE = 0  AND PAPT_STATUS != 'B' ORDER BY PAPT_PATID, "
                      "PAPT_ID",
                  false, &appointments_, error));
}

void Collector::Details(PatientRow* row) {
    auto take = [&](ItemsByPatient& from, std::vector<Item>* to) {
        auto it = from.find(row->id);
        if (it != from.end()) *to = std::move(it->second);
    };
    take(pending_, &row->pending);
    take(plan_, &row->plan);
    take(recalls_, &row->recalls);
    take(appointments_, &row->appointments);
}

bool Collector::DoctorName(const std::string& code, std::string* error) {
    if (out_->doctors.count(code)) return true;
    if (!names_read_) {
        if (!ReadProducerNames(&names_, db_)) return Fail("Lecture des docteurs", error);
        names_read_ = true;
    }
    auto it = names_.find(GetProdCode(code.c_str()));
    out_->doctors[code] = it == names_.end() ? code : code + " - " + it->second.LastCommaFirst();
    return true;
}

Outcome Collector::Run(std::string* error) {
    const std::string cond = Condition(c_, p_);
    long total = 0;
    if (!Count("SELECT COUNT(0) " + cond, &total, error)) return Outcome::Failed;
    if (req_.meter) req_.meter->SetMax(std::max(1L, total));
    const std::string sql =
        "SELECT PAT_ID, PAT_LNAME, PAT_PNAME, PAT_MED_NO1, PAT_DOCTOR, PAT_LAST_CLAIM_DATE, "
        "PAT_CHART_NO, PAT_STATUS, PAT_BIRTHDATE  " +
        cond;
    // The patients first (one cursor), then their activity and details.
    std::vector<PatientRow> rows;
    if (db_->dbOpen(sql, kCursor) != 0) {
        Fail("Lecture des patients", error);
        return Outcome::Failed;
    }
    int r;
    for (r = db_->dbFetch(0, kCursor); r == 0; r = db_->dbFetch(1, kCursor)) {
        PatientRow p;
        db_->dbGetLong(1, &p.id, kCursor);
        db_->dbGetField(2, &p.last_name, kCursor);
        db_->dbGetField(3, &p.first_name, kCursor);
        db_->dbGetField(4, &p.med_no, kCursor);
        db_->dbGetField(5, &p.doctor, kCursor);
        db_->dbGetLong(6, &p.last_claim, kCursor);
        db_->dbGetField(7, &p.chart, kCursor);
        db_->dbGetField(8, &p.status, kCursor);
        db_->dbGetLong(9, &p.birthdate, kCursor);
        rows.push_back(std::move(p));
    }
    db_->dbClose(kCursor);
    if (r < 0) {
        Fail("Lecture des patients", error);
        return Outcome::Failed;
    }
    const bool activity = c_.active_from != 0 || c_.active_to != 0;
    if (activity && !ReadTreated(error)) return Outcome::Failed;
    // The listed patients, then their items a batch of patients at a time.
    std::vector<PatientRow*> listed;
    for (PatientRow& p : rows) {
        if (req_.meter) {
            req_.meter->Advance();
            if (req_.meter->Cancel()) return Outcome::Cancelled;
        }
        if (!activity || treated_.count(p.id)) listed.push_back(&p);
    }
    for (size_t first = 0; first < listed.size(); first += kDetailBatch) {
        const size_t end = std::min(listed.size(), first + kDetailBatch);
        std::vector<long> ids;
        for (size_t i = first; i < end; ++i)
            ids.push_back(listed[i]->id);
        pending_.clear();
        plan_.clear();
        recalls_.clear();
        appointments_.clear();
        if (!ReadDetails(ids, error)) return Outcome::Failed;
        for (size_t i = first; i < end; ++i) {
            PatientRow& p = *listed[i];
            Details(&p);
            if (c_.sort == 'D' && !DoctorName(p.doctor, error)) return Outcome::Failed;
            const std::string names = host::U8Fit(host::SortKey(p.last_name), 25) +
                                      host::U8Fit(host::SortKey(p.first_name), 15);
            p.key = c_.sort == 'D' ? host::U8Fit(p.doctor, 4) + names + host::U8Fit(p.chart, 10)
                                   : names + host::U8Fit(p.chart, 10);
            out_->patients.push_back(std::move(p));
        }
    }
    std::stable_sort(out_->patients.begin(), out_->patients.end(),
                     [](const PatientRow& a, const PatientRow& b) {
                         return a.key != b.key ? a.key < b.key : a.id < b.id;
                     });
    return Outcome::Done;
}

}  // namespace

Criteria DefaultCriteria(long today) {
    Criteria c;
    const long year = today / 10000;
    c.cutoff = year * 10000 + 101;
    c.planned_from = today;
    c.active_from = (year - 1) * 10000 + 101;
    c.active_to = (year - 1) * 10000 + 1231;
    return c;
}

std::string Condition(const Criteria& c, const std::string& prefix) {
    std::string s = " FROM " + prefix + "PATIENT  WHERE PAT_DELETE_DATE = 0 ";
    if (c.status != '*' && c.status != ' ' && c.status != 0)
        s += " AND PAT_STATUS = '" + host::SqlText(std::string(1, c.status)) + "' ";
    if (c.cutoff) s += " AND PAT_LAST_CLAIM_DATE < " + Num(c.cutoff);
    s += DoctorRange("PAT_DOCTOR", host::Trim(c.from_dr), host::Trim(c.to_dr));
    return s;
}

Outcome Collect(const CollectRequest& req, NoActData* out, std::string* error) {
    out->criteria = req.criteria;
    out->today = ldate_today();
    out->patients.clear();
    out->doctors.clear();
    if (!req.launcher || !req.launcher->GetDb()) {
        *error = "Aucune base de données ouverte";
        return Outcome::Failed;
    }
    const Criteria& c = req.criteria;
    for (long d : {c.cutoff, c.planned_from, c.active_from, c.active_to}) {
        if (d != 0 && !host::IsValidDate(d)) {
            *error = "Date invalide : " + Num(d);
            return Outcome::Failed;
        }
    }
    if (c.active_from && c.active_to && c.active_to < c.active_from) {
        *error = "Période d'activité invalide : " + Num(c.active_from) + " à " + Num(c.active_to);
        return Outcome::Failed;
    }
    return Collector(req, out).Run(error);
}

}  // namespace noact
