#include "receipts/cashrcpt_collect.h"

#include <algorithm>
#include <map>
#include <tuple>

#include "host/base/text.h"
#include "host/db/gendb.h"
#include "host/output/progress.h"
#include "host/records/context.h"

namespace cashrcpt {

namespace {

constexpr int kCursor = 31652;
constexpr int kNameCursor = 31653;
constexpr size_t kBatch = 200;  // ids per name query

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

std::string Condition(const Criteria& c, const std::string& p) {
    std::string s = "FROM " + p + "PMTAPP," + p + "ACCPMT" + " WHERE " + "PAPP_APMTID = APMT_ID" +
                    " AND " + "APMT_DATE >= " + std::to_string(c.from) + " AND " +
                    "APMT_DATE <= " + std::to_string(c.to);
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
        const std::string cond = Condition(c_, p_);
        long count = 0;
        if (db_->dbOpen("SELECT COUNT(0) " + cond, kCursor) != 0) return Fail(error);
        if (db_->dbFetch(0, kCursor) == 0) db_->dbGetLong(1, &count, kCursor);
        db_->dbClose(kCursor);
        if (req_.meter) req_.meter->SetMax(count);
        if (count == 0) return Outcome::Done;

        std::vector<CashReceiptsElem> lines;
        const std::string sql =
            "SELECT PAPP_ID, PAPP_APMTID, PAPP_AMOUNT, PAPP_BILLDR, PAPP_RECTYPE, PAPP_PATID, "
            "PAPP_POCHID, PAPP_CTRTID,  APMT_DATE, APMT_TRXNO, APMT_TYPE, APMT_RECTYPE, "
            "APMT_CODE  " +
            cond + " ORDER BY  PAPP_BILLDR, PAPP_APMTID, APMT_DATE, APMT_TRXNO , PAPP_ID";
        if (db_->dbOpen(sql, kCursor) != 0) return Fail(error);
        int r;
        for (r = db_->dbFetch(0, kCursor); r == 0; r = db_->dbFetch(1, kCursor)) {
            CashReceiptsElem e;
            long papp = 0, amount = 0;
            std::string owner, type, rectype;
            db_->dbGetLong(1, &papp, kCursor);
            db_->dbGetLong(2, &e.payment_id, kCursor);
            db_->dbGetLong(3, &amount, kCursor);
            db_->dbGetField(4, &e.billdr, kCursor);
            db_->dbGetField(5, &owner, kCursor);
            db_->dbGetLong(6, &e.patient_id, kCursor);
            db_->dbGetLong(7, &e.office_charge_id, kCursor);
            db_->dbGetLong(8, &e.treatment_id, kCursor);
            db_->dbGetLong(9, &e.date, kCursor);
            db_->dbGetField(10, &e.trxno, kCursor);
            db_->dbGetField(11, &type, kCursor);
            db_->dbGetField(12, &rectype, kCursor);
            db_->dbGetField(13, &e.code, kCursor);
            e.amount = amount;
            e.billdr = host::Trim(e.billdr);
            e.trxno = host::Trim(e.trxno);
            e.code = host::Trim(e.code);
            e.type = type.empty() ? ' ' : type[0];
            e.rectype = rectype.empty() ? ' ' : rectype[0];
            // The application's owner: a treatment, an office charge, or the patient.
            const char o = owner.empty() ? 'T' : owner[0];
            e.owner = o == 'O' ? kOfficeCharge : o == 'P' ? kPatient : kTreatment;
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
        if (r < 0 || !ReadNames(lines)) return Fail(error);

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
        std::stable_sort(merged.begin(), merged.end(),
                         [&](const CashReceiptsElem& a, const CashReceiptsElem& b) {
                             return SortKey(a, c_.sort, grouped) < SortKey(b, c_.sort, grouped);
                         });
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

    // The patients' names and the claim or service numbers of the lines, read by batches of
    // ids (each treatment, office charge or patient once); a line whose owner cannot be
    // found keeps them empty.
    bool ReadNames(std::vector<CashReceiptsElem>& lines) {
        std::vector<long> ids[3];
        for (const CashReceiptsElem& e : lines)
            ids[e.owner == kTreatment ? 0 : e.owner == kPatient ? 1 : 2].push_back(Owner(e));
        for (std::vector<long>& v : ids) {
            std::sort(v.begin(), v.end());
            v.erase(std::unique(v.begin(), v.end()), v.end());
        }
        std::map<std::pair<short, long>, CashReceiptsElem> names;
        // Reads "id, [number,] last, first, medical number[, patient]" rows for one owner kind.
        auto read = [&](short owner, const std::vector<long>& v, const std::string& head,
                        bool numbered) {
            return host::SelectByIds(*db_, v, head, kNameCursor, kBatch, [&] {
                long id = 0;
                CashReceiptsElem n;
                int at = 1;
                db_->dbGetLong(1, &id, kNameCursor);
                if (numbered) db_->dbGetField(++at, &n.claim, kNameCursor);
                db_->dbGetField(++at, &n.last_name, kNameCursor);
                db_->dbGetField(++at, &n.first_name, kNameCursor);
                db_->dbGetField(++at, &n.med_no, kNameCursor);
                n.patient_id = id;
                if (numbered) db_->dbGetLong(++at, &n.patient_id, kNameCursor);
                n.claim = host::Trim(n.claim);
                n.last_name = host::Trim(n.last_name);
                n.first_name = host::Trim(n.first_name);
                n.med_no = host::Trim(n.med_no);
                names[{owner, id}] = std::move(n);
            });
        };
        const bool ok =
            read(kTreatment, ids[0],
                 "SELECT CTRT_ID, CTRT_CLAIM_NO, PAT_LNAME, PAT_PNAME, PAT_MED_NO1, PAT_ID FROM " +
                     p_ + "CLMTRT, " + p_ + "PATCLM, " + p_ +
                     "PATIENT WHERE PCLM_ID = CTRT_PCLMID AND PAT_ID = PCLM_PATID AND CTRT_ID IN (",
                 true) &&
            read(kPatient, ids[1],
                 "SELECT PAT_ID, PAT_LNAME, PAT_PNAME, PAT_MED_NO1 FROM " + p_ +
                     "PATIENT WHERE PAT_ID IN (",
                 false) &&
            read(kOfficeCharge, ids[2],
                 "SELECT POCH_ID, POCH_SERVNO, PAT_LNAME, PAT_PNAME, PAT_MED_NO1, PAT_ID FROM " +
                     p_ + "PATOCH, " + p_ + "PATIENT WHERE POCH_PATID = PAT_ID AND POCH_ID IN (",
                 true);
        if (!ok) return false;
        for (CashReceiptsElem& e : lines) {
            auto it = names.find({e.owner, Owner(e)});
            if (it == names.end()) continue;
            const CashReceiptsElem& n = it->second;
            e.claim = n.claim;
            e.patient_id = n.patient_id;
            e.last_name = n.last_name;
            e.first_name = n.first_name;
            e.med_no = n.med_no;
        }
        return true;
    }

    static long Owner(const CashReceiptsElem& e) {
        return e.owner == kTreatment ? e.treatment_id
               : e.owner == kPatient ? e.patient_id
                                     : e.office_charge_id;
    }

    // "01 - Tremblay, Marie"; the code alone when no producer has it.
    std::string Heading(const std::string& billdr) {
        std::string heading = billdr;
        const std::string sql = "SELECT PROD_FIRST_NAME, PROD_LAST_NAME FROM " + p_ +
                                "PRODCD WHERE PROD_CODE = 'D" + host::SqlText(billdr) + "'";
        if (db_->dbOpen(sql, kNameCursor) == 0) {
            if (db_->dbFetch(0, kNameCursor) == 0) {
                std::string first, last;
                db_->dbGetField(1, &first, kNameCursor);
                db_->dbGetField(2, &last, kNameCursor);
                heading += " - " + host::Trim(last) + ", " + host::Trim(first);
            }
            db_->dbClose(kNameCursor);
        }
        return heading;
    }

    const CollectRequest& req_;
    const Criteria& c_;
    CashReceiptsData* out_;
    GenDB* db_;
    std::string p_;
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
