#include "receipts/cashrcpt_collect.h"

#include <algorithm>
#include <map>
#include <tuple>

#include "host/base/text.h"
#include "host/db/gendb.h"
#include "host/output/progress.h"
#include "host/records/context.h"
#include "host/records/practice.h"

namespace cashrcpt {

namespace {

constexpr int kCursor = 31652;

// The field cut or padded to width characters, as "%-*.*s" does by character.
std::string Pad(const std::string& s, size_t width) {
    return host::U8Fit(s, width);
}

// Names order as a French reader orders them, accents set aside.
std::string Name(const std::string& s, size_t width) {
    return host::U8Fit(host::SortKey(s), width);
}

std::string Id(long id) {
    return host::U8Format("%09ld", id);
}

}  // namespace

Criteria DefaultCriteria(long today) {
    Criteria c;
    c.from = today / 100 * 100 + 1;
    c.to = today;
    return c;
}

size_t CashReceiptsData::Count() const {
    size_t n = 0;
    for (const Group& g : groups)
        n += g.lines.size();
    return n;
}

std::string SortKey(const CashReceiptsElem& e, char sort, bool grouped) {
    const std::string dr = Pad(grouped ? e.billdr : "", 2);
    switch (sort) {
        case 'M':
            return dr + Pad(e.med_no, 15) + Name(e.last_name, 25) + Id(e.payment_id) +
                   Pad(e.claim, 6);
        case 'A':
            return dr + Pad(e.code, 6) + Id(e.payment_id) + Pad(e.claim, 6) + Name(e.last_name, 25);
        default:
            return dr + Name(e.last_name, 25) + Name(e.first_name, 15) + Id(e.patient_id) +
                   Id(e.payment_id) + Pad(e.claim, 6);
    }
}

namespace {

// The criteria's choice of payments and applications, for a statement that joins each
// application to its payment.
std::string Filters(const Criteria& c) {
    std::string s =
        "APMT_DATE >= " + std::to_string(c.from) + " AND " + "APMT_DATE <= " + std::to_string(c.to);
    const std::string from = host::Trim(c.from_dr);
    const std::string to = host::Trim(c.to_dr);
    if (!from.empty() || !to.empty()) {
        s += " AND (";
        if (!from.empty())
            s += std::string(" PAPP_BILLDR") + (to.empty() ? " = '" : " >= '") +
                 host::SqlText(from) + "'";
        if (!to.empty())
            s += std::string(" ") + (from.empty() ? "" : " AND ") + "PAPP_BILLDR <= '" +
                 host::SqlText(to) + "'";
        s += " ) ";
    }
    s += " AND (APMT_RECTYPE = 'P' AND (APMT_REVERSED = 'N' OR APMT_REVERSED is NULL OR "
         "APMT_REVERSED = '')) ";
    return s;
}

}  // namespace

// Each application with its payment and what it paid, found through LEFT JOINs (a
// treatment's claim number and patient, an office charge's service number and patient, or
// the patient), so that an owner that cannot be found still lists its application, without
// names.
std::string Condition(const Criteria& c, const std::string& p) {
    const std::string owner = "SUBSTR(PAPP_RECTYPE, 1, 1)";
    return "FROM " + p + "PMTAPP INNER JOIN " + p + "ACCPMT ON PAPP_APMTID = APMT_ID LEFT JOIN " +
           p + "CLMTRT ON CTRT_ID = PAPP_CTRTID LEFT JOIN " + p +
           "PATCLM ON PCLM_ID = CTRT_PCLMID LEFT JOIN " + p +
           "PATOCH ON POCH_ID = PAPP_POCHID LEFT JOIN " + p + "PATIENT ON PAT_ID = CASE " + owner +
           " WHEN 'O' THEN POCH_PATID WHEN 'P' THEN PAPP_PATID ELSE PCLM_PATID END WHERE " +
           Filters(c);
}

namespace {

class Collector {
  public:
    Collector(const CollectRequest& req, CashReceiptsData* out)
        : req_(req),
          c_(req.criteria),
          out_(out),
          db_(req.launcher->GetDb()),
          p_(db_->dbTablePrefix()) {}

    Outcome Run(std::string* error) {
        out_->criteria = c_;
        const std::string sql =
            "SELECT PAPP_APMTID, PAPP_AMOUNT, PAPP_BILLDR, PAPP_RECTYPE, PAPP_PATID, "
            "PAPP_POCHID, PAPP_CTRTID, APMT_DATE, APMT_TRXNO, APMT_TYPE, APMT_RECTYPE, "
            "APMT_CODE, CTRT_CLAIM_NO, POCH_SERVNO, CASE WHEN PAT_ID IS NULL THEN 0 ELSE 1 END, "
            "PAT_ID, PAT_LNAME, PAT_PNAME, PAT_MED_NO1 " +
            Condition(c_, p_) +
            " ORDER BY  PAPP_BILLDR, PAPP_APMTID, APMT_DATE, APMT_TRXNO , PAPP_ID";
        if (db_->dbOpen(sql, kCursor) != 0) return Fail(error);
        long count = 0;
        if (db_->dbRowCount(&count, kCursor) != 0) count = 0;
        if (req_.meter) req_.meter->SetMax(count);

        std::vector<CashReceiptsElem> lines;
        lines.reserve(static_cast<size_t>(std::max(count, 0L)));
        int r;
        for (r = db_->dbFetch(0, kCursor); r == 0; r = db_->dbFetch(1, kCursor)) {
            CashReceiptsElem e;
            long amount = 0, found = 0;
            std::string owner_kind, type, rectype;
            db_->dbGetLong(1, &e.payment_id, kCursor);
            db_->dbGetLong(2, &amount, kCursor);
            db_->dbGetField(3, &e.billdr, kCursor);
            db_->dbGetField(4, &owner_kind, kCursor);
            db_->dbGetLong(5, &e.patient_id, kCursor);
            db_->dbGetLong(6, &e.office_charge_id, kCursor);
            db_->dbGetLong(7, &e.treatment_id, kCursor);
            db_->dbGetLong(8, &e.date, kCursor);
            db_->dbGetField(9, &e.trxno, kCursor);
            db_->dbGetField(10, &type, kCursor);
            db_->dbGetField(11, &rectype, kCursor);
            db_->dbGetField(12, &e.code, kCursor);
            e.amount = amount;
            e.billdr = host::Trim(e.billdr);
            e.trxno = host::Trim(e.trxno);
            e.code = host::Trim(e.code);
            e.type = type.empty() ? ' ' : type[0];
            e.rectype = rectype.empty() ? ' ' : rectype[0];
            // The application's owner: a treatment, an office charge, or the patient.
            const char o = owner_kind.empty() ? 'T' : owner_kind[0];
            e.owner = o == 'O' ? kOfficeCharge : o == 'P' ? kPatient : kTreatment;
            db_->dbGetLong(15, &found, kCursor);
            if (found) {
                if (e.owner == kTreatment) db_->dbGetField(13, &e.claim, kCursor);
                if (e.owner == kOfficeCharge) db_->dbGetField(14, &e.claim, kCursor);
                db_->dbGetLong(16, &e.patient_id, kCursor);
                db_->dbGetField(17, &e.last_name, kCursor);
                db_->dbGetField(18, &e.first_name, kCursor);
                db_->dbGetField(19, &e.med_no, kCursor);
                e.claim = host::Trim(e.claim);
                e.last_name = host::Trim(e.last_name);
                e.first_name = host::Trim(e.first_name);
                e.med_no = host::Trim(e.med_no);
            }
            lines.push_back(std::move(e));
            if (req_.meter) {
                req_.meter->Advance();
                if (req_.meter->Cancel()) {
                    db_->dbClose(kCursor);
                    return Outcome::Cancelled;
                }
            }
        }
        db_->dbClose(kCursor);
        if (r < 0) return Fail(error);
        if (lines.empty()) return Outcome::Done;

        // Applications of one payment by one billing doctor to one claim, office charge or
        // patient make one line.
        std::vector<CashReceiptsElem> merged;
        std::map<std::tuple<long, std::string, short, std::string, long>, size_t> index;
        for (CashReceiptsElem& e : lines) {
            const long who = e.owner == kPatient        ? e.patient_id
                             : e.owner == kOfficeCharge ? e.office_charge_id
                                                        : 0;
            const auto key = std::make_tuple(e.payment_id, e.billdr, e.owner,
                                             e.owner == kTreatment ? e.claim : "", who);
            auto [it, added] = index.emplace(key, merged.size());
            if (added)
                merged.push_back(std::move(e));
            else
                merged[it->second].amount += e.amount;
        }
        const bool grouped = c_.group == 'Y';
        // Each line's key is made once: it folds accents and pads by character, too dear to
        // remake at every comparison.
        std::vector<std::pair<std::string, size_t>> order;
        order.reserve(merged.size());
        for (size_t i = 0; i < merged.size(); ++i)
            order.emplace_back(SortKey(merged[i], c_.sort, grouped), i);
        std::stable_sort(order.begin(), order.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        std::vector<CashReceiptsElem> sorted;
        sorted.reserve(merged.size());
        for (const auto& [key, i] : order)
            sorted.push_back(std::move(merged[i]));
        merged = std::move(sorted);
        for (CashReceiptsElem& e : merged) {
            const std::string key = grouped ? e.billdr : "";
            if (out_->groups.empty() || out_->groups.back().billdr != key)
                out_->groups.push_back({key, grouped ? Heading(key) : "", {}, 0});
            out_->groups.back().total += e.amount;
            out_->total += e.amount;
            out_->groups.back().lines.push_back(std::move(e));
        }
        return Outcome::Done;
    }

  private:
    Outcome Fail(std::string* error) {
        *error =
            std::string("Lecture des reçus : ") + (db_->dbLastError() ? db_->dbLastError() : "");
        return Outcome::Failed;
    }

    // "01 - Tremblay, Marie"; the code alone when no producer has it (or the names cannot
    // be read). The producers' names are read once, at the first heading.
    std::string Heading(const std::string& billdr) {
        if (!names_read_) {
            ReadProducerNames(&names_, db_);
            names_read_ = true;
        }
        auto it = names_.find("D" + billdr);
        return it == names_.end() ? billdr : billdr + " - " + it->second.LastCommaFirst();
    }

    const CollectRequest& req_;
    const Criteria& c_;
    CashReceiptsData* out_;
    GenDB* db_;
    std::string p_;
    std::map<std::string, ProducerName> names_;
    bool names_read_ = false;
};

}  // namespace

Outcome Collect(const CollectRequest& request, CashReceiptsData* out, std::string* error) {
    *out = CashReceiptsData{};
    if (!request.launcher || !request.launcher->GetDb()) {
        *error = "Aucune base de données";
        return Outcome::Failed;
    }
    return Collector(request, out).Run(error);
}

}  // namespace cashrcpt
