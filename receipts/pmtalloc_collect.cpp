#include "receipts/pmtalloc_collect.h"

#include <map>

#include "host/base/text.h"
#include "host/db/gendb.h"
#include "host/output/progress.h"
#include "host/records/context.h"
#include "host/records/practice.h"

namespace pmtalloc {

namespace {

constexpr int kCursor = 31650;

bool Chosen(const std::string& code) {
    const std::string c = host::Trim(code);
    return !c.empty() && c != "*";
}

}  // namespace

Criteria DefaultCriteria(long today) {
    Criteria c;
    c.from = today / 100 * 100 + 1;
    c.to = today;
    return c;
}

size_t PmtAllocData::Count() const {
    size_t n = 0;
    for (const Group& g : groups)
        n += g.rows.size();
    return n;
}

std::string Condition(const Criteria& c, const std::string& p) {
    std::string s = "FROM " + p + "PMTAPP," + p + "ACCPMT," + p + "ACCOUNT" + " WHERE " +
                    "PAPP_APMTID = APMT_ID" + " AND " + "APMT_ACCID = ACC_ID" + " AND " +
                    "APMT_DATE >= " + std::to_string(c.from) + " AND " +
                    "APMT_DATE <= " + std::to_string(c.to);
    const bool pat = c.patient == 'Y';
    const bool ins = c.insurance == 'Y';
    if (Chosen(c.payor) && ins) {
        s += " AND ( APMT_PAYOR = '" + host::SqlText(host::Trim(c.payor)) + "'";
        if (pat) s += "OR APMT_TYPE = 'P'";
        s += ")";
    }
    if (Chosen(c.practitioner))
        s += " AND  PAPP_BILLDR = '" + host::SqlText(host::Trim(c.practitioner)) + "'";
    if (pat || ins) {
        s += " AND ( ";
        if (pat) s += "APMT_TYPE = 'P'";
        if (pat && ins) s += " OR ";
        if (ins) s += "APMT_TYPE = 'I'";
        s += " ) ";
    }
    if (c.adjustments == 'N') {
        s += " AND (APMT_RECTYPE = 'P' AND (APMT_REVERSED = 'N' OR APMT_REVERSED is NULL OR "
             "APMT_REVERSED = '')) ";
    } else if (!pat && !ins) {
        s += " AND (APMT_RECTYPE = 'A') ";
    }
    s += " AND (APMT_PMT = 'Y' OR APMT_PMT is NULL OR APMT_PMT = '')";
    return s;
}

namespace {

class Collector {
  public:
    Collector(const CollectRequest& req, PmtAllocData* out)
        : req_(req), c_(req.criteria), out_(out), db_(req.launcher->GetDb()) {}

    Outcome Run(std::string* error) {
        out_->criteria = c_;
        const std::string cond = Condition(c_, db_->dbTablePrefix());
        const bool grouped = c_.group == 'Y';
        const bool by_producer = c_.order_by == 'P';
        std::string sql =
            "SELECT PAPP_ID, PAPP_APMTID, PAPP_AMOUNT, PAPP_PRODUCER, PAPP_BILLDR,APMT_TRXNO, "
            "APMT_CODE, APMT_TYPE, APMT_RECTYPE, APMT_DESCRIP, ACC_LNAME, ACC_PNAME, APMT_DATE, "
            "APMT_PAYOR " +
            cond + " ORDER BY ";
        if (grouped) sql += by_producer ? " PAPP_PRODUCER, " : " PAPP_BILLDR, ";
        // The application id last: one order on every engine for equal names.
        sql += " ACC_LNAME, ACC_PNAME, PAPP_APMTID, PAPP_ID";
        if (db_->dbOpen(sql, kCursor) != 0) return Fail(error);
        // The meter's length from the open statement, rather than a COUNT pass of its own.
        long count = 0;
        if (db_->dbRowCount(&count, kCursor) != 0) count = 0;
        if (req_.meter) req_.meter->SetMax(count);
        int r;
        for (r = db_->dbFetch(0, kCursor); r == 0; r = db_->dbFetch(1, kCursor)) {
            Row row;
            long amount = 0;
            std::string type, rectype, last, first;
            db_->dbGetLong(1, &row.papp_id, kCursor);
            db_->dbGetLong(2, &row.apmt_id, kCursor);
            db_->dbGetLong(3, &amount, kCursor);
            db_->dbGetField(4, &row.producer, kCursor);
            db_->dbGetField(5, &row.billdr, kCursor);
            db_->dbGetField(6, &row.trxno, kCursor);
            db_->dbGetField(7, &row.code, kCursor);
            db_->dbGetField(8, &type, kCursor);
            db_->dbGetField(9, &rectype, kCursor);
            db_->dbGetField(10, &row.description, kCursor);
            db_->dbGetField(11, &last, kCursor);
            db_->dbGetField(12, &first, kCursor);
            db_->dbGetLong(13, &row.date, kCursor);
            db_->dbGetField(14, &row.payor, kCursor);
            row.amount = amount;
            row.type = type.empty() ? ' ' : type[0];
            row.rectype = rectype.empty() ? ' ' : rectype[0];
            row.producer = host::Trim(row.producer);
            row.billdr = host::Trim(row.billdr);
            last = host::Trim(last);
            first = host::Trim(first);
            row.account = first.empty() ? last : last + ", " + first;
            const std::string key = grouped ? (by_producer ? row.producer : row.billdr) : "";
            if (out_->groups.empty() || out_->groups.back().code != key)
                out_->groups.push_back({key, grouped ? Heading(key, by_producer) : "", {}, 0});
            out_->groups.back().total += row.amount;
            out_->total += row.amount;
            out_->groups.back().rows.push_back(std::move(row));
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
        return Outcome::Done;
    }

  private:
    Outcome Fail(std::string* error) {
        *error = std::string("Lecture des allocations de paiement : ") +
                 (db_->dbLastError() ? db_->dbLastError() : "");
        return Outcome::Failed;
    }

    // "code - Last, First"; the code alone when no producer has it (or the names cannot be
    // read). The producers' names are read once, at the first heading.
    std::string Heading(const std::string& key, bool by_producer) {
        if (!names_read_) {
            ReadProducerNames(&names_, db_);
            names_read_ = true;
        }
        auto it = names_.find(by_producer ? key : GetProdCode(key.c_str()));
        return it == names_.end() ? key : key + " - " + it->second.LastFirst();
    }

    const CollectRequest& req_;
    const Criteria& c_;
    PmtAllocData* out_;
    GenDB* db_;
    std::map<std::string, ProducerName> names_;
    bool names_read_ = false;
};

}  // namespace

Outcome Collect(const CollectRequest& request, PmtAllocData* out, std::string* error) {
    *out = PmtAllocData{};
    if (!request.launcher || !request.launcher->GetDb()) {
        *error = "Aucune base de données";
        return Outcome::Failed;
    }
    return Collector(request, out).Run(error);
}

}  // namespace pmtalloc
