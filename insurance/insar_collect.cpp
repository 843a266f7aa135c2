#include "insurance/insar_collect.h"

#include <algorithm>
#include <functional>
#include <map>
#include <set>
#include <unordered_map>
#include <utility>

#include "host/base/dates.h"
#include "host/base/strings.h"
#include "host/base/text.h"
#include "host/calc/ledger.h"
#include "host/calc/walk.h"
#include "host/db/gendb.h"
#include "host/output/progress.h"
#include "host/records/context.h"
#include "host/records/practice.h"
#include "host/records/records.h"
#include "insurance/insar_sortlist.h"

namespace insar {

using host::calc::AgedGroups;
using host::calc::kFuture;
using host::calc::kTotal;
using host::calc::Ledger;
using host::calc::LedgerApplication;
using host::calc::LedgerCharge;

namespace {

constexpr int kCurClaims = 31301;
constexpr int kCurOffice = 31302;
constexpr int kCurHeld = 31303;
constexpr size_t kBatch = 100;
constexpr int kUnknown = 6432;  // "Inconnu"

// A payment that may hold money: what the held column needs of it.
struct Payment {
    long id = 0;
    long date = 0;
    std::string payor;
    int64_t total = 0;
};

// The payments that may be held: never deleted, payments proper, insurers' entries and
// reversals, received by the date, of the chosen carrier.
bool MayHold(const accpmt_struct& p, long as_of, const std::string& carrier) {
    return p.deldate == 0 && (p.rectype == 'P' || p.type == 'I' || p.reversed == 'Y') &&
           p.date <= as_of && (carrier == "*" || host::Trim(p.payor) == carrier);
}

// What the claim tables say of a treatment line.
struct LineInfo {
    long claim_id = 0;
    std::string claim_no;
    long submitted = 0;
    std::string carrier;  // the claim's insurer, else the line's first
    std::string others;   // the line's other insurers
    bool multiple = false;
    std::string code, description;
};

class Collector {
  public:
    Collector(const CollectRequest& request, InsARData* out)
        : req_(request),
          c_(out->criteria),
          out_(out),
          list_(request.launcher->GetListPtr()),
          msg_(request.launcher->GetMsgPtr()),
          db_(request.launcher->GetDb()) {}

    Outcome Run(std::string* error);

  private:
    bool Setup(std::string* error);
    bool Account(const account_struct& a, std::string* error);
    bool Keeps(const ItemRow& item) const;
    // The account's payments that may hold money (from the stream in the SQL mode, else
    // through the payment records).
    bool Payments(long acc_id, std::vector<Payment>* out, std::string* error);
    // One item per held payment of the account, on the doctor of its responsible patient.
    bool Held(const account_struct& a, const Ledger& ledger, std::vector<ItemRow>* items,
              std::string* error);
    // Reads the claim (number, submission, insurers, code) of every treatment item and the
    // type of every office item, a hundred at a time, and drops the other carriers' items.
    bool Details(std::string* error);
    // The names of the totals' carriers and doctors ("Inconnu" for a code no record has).
    bool Names(std::string* error);
    std::string Fail(const std::string& what) const;

    const CollectRequest& req_;
    insarrpt_info& c_;
    InsARData* out_;
    DLnkList* list_;
    MsgInfo* msg_;
    GenDB* db_;
    std::unique_ptr<host::calc::LedgerSource> source_;
    std::string doctor_;  // "*" or a producer code
    std::string carrier_;
    std::unique_ptr<host::calc::AccountWalk> walk_;
    std::unique_ptr<host::calc::AccountRows> payments_;  // SQL mode: payments by account
    std::unordered_map<long, long>
        ranks_;  // of the accounts with items, their places in name order
    std::unordered_map<long, LineInfo> lines_;
    std::unordered_map<long, std::string> office_types_;
    std::vector<ItemRow> items_;
};

std::string Collector::Fail(const std::string& what) const {
    return FailureText(*msg_, db_, what);
}

bool Collector::Setup(std::string* error) {
    doctor_ = host::Trim(c_.doctor);
    carrier_ = host::Trim(c_.carrier);
    if (doctor_.empty()) doctor_ = "*";
    if (carrier_.empty()) carrier_ = "*";
    host::CopyText(c_.doctor, sizeof c_.doctor, doctor_);
    host::CopyText(c_.carrier, sizeof c_.carrier, carrier_);
    if (doctor_ != "*") doctor_ = GetProdCode(doctor_.c_str());
    if (!host::IsValidDate(c_.as_of)) {
        *error = "Date du rapport invalide : " + std::to_string(c_.as_of);
        return false;
    }
    int mode = req_.mode;
    if (mode < 0) {
        const QDSApplication* app = req_.launcher->App();
        mode = app ? app->m_CalAR : 1;
    }
    source_ = std::make_unique<host::calc::LedgerSource>(list_, msg_, mode);
    return true;
}

bool Collector::Keeps(const ItemRow& item) const {
    return (doctor_ == "*" || item.doctor == doctor_) &&
           (carrier_ == "*" || item.carrier == carrier_);
}

bool Collector::Account(const account_struct& a, std::string* error) {
    const auto& pats = walk_->Patients();
    if (pats.empty()) return true;  // an account without patients owes through none
    if (!host::calc::AccountCounts(a.status, a.delete_date, a.sys_inactive, c_.as_of)) return true;
    Ledger ledger;
    if (!source_->Account(a.acc_id, &ledger, &msg_->errors())) {
        *error = Fail("Lecture du compte " + std::to_string(a.acc_id));
        return false;
    }
    const long as_of = c_.as_of;
    const bool by_billdr = c_.grouping == 1;
    host::calc::AgingOptions options;
    options.as_of = as_of;
    options.by_billing_doctor = by_billdr;
    options.include_future = false;
    const std::map<std::string, AgedGroups> aged =
        host::calc::AgeLedger(ledger.charges, ledger.applications, options);

    // What was applied to each charge as of the date: patient side, insurance side.
    std::map<std::pair<bool, long>, std::pair<int64_t, int64_t>> applied;
    for (const LedgerApplication& app : ledger.applications) {
        if (!host::calc::ApplicationCounts(app, as_of)) continue;
        if (app.rectype != 'T' && app.rectype != 'O') continue;
        auto& sums = applied[{app.rectype == 'O', app.charge_id}];
        (app.type == 'I' ? sums.second : sums.first) += app.amount;
    }
    std::map<long, std::string> names;
    for (const patient_struct& p : pats)
        names[p.pat_id] = host::Trim(p.lname) + ", " + host::Trim(p.pname);
    const std::string account_name = host::Trim(a.lname) + ", " + host::Trim(a.pname);

    std::map<std::string, Aged> listed;  // by doctor: the items' insurance portions
    std::vector<ItemRow> items;
    for (const LedgerCharge& ch : ledger.charges) {
        if (ch.deleted != 0 && ch.deleted <= as_of) continue;
        if (host::calc::AgeBucket(ch.date, as_of) == kFuture) continue;
        const auto sums = applied[{ch.office, ch.id}];
        const int64_t amount = host::calc::ChargeAmount(ch.total, ch.adj_flag, ch.adj_amount);
        const host::calc::Portions p =
            host::calc::ChargePortions(amount, ch.ins_estimate, sums.first, sums.second);
        if (p.ins == 0) continue;
        ItemRow it;
        it.acc_id = a.acc_id;
        it.pat_id = ch.patient;
        it.charge_id = ch.id;
        it.office = ch.office;
        it.doctor = !ch.office && by_billdr && !ch.billdr.empty() ? "D" + ch.billdr : ch.producer;
        auto name = names.find(ch.patient);
        it.patient = name == names.end() ? account_name : name->second;
        it.date = ch.date;
        it.charge = amount;
        it.estimate = ch.ins_estimate;
        it.ins_paid = sums.second;
        it.pat_due = p.pat;
        AddAged(&it.due, ch.date, as_of, p.ins);
        listed[it.doctor] += it.due;
        items.push_back(std::move(it));
    }
    // Insurer money the aging puts to no charge: one unassigned item per doctor.
    std::set<std::string> doctors;
    for (const auto& [code, g] : aged)
        doctors.insert(code);
    for (const auto& [code, due] : listed)
        doctors.insert(code);
    for (const std::string& code : doctors) {
        auto g = aged.find(code);
        Aged rest = g == aged.end() ? Aged{} : g->second.ins;
        rest.v[kFuture] = 0;
        rest.over_year = 0;
        const Aged& mine = listed[code];
        for (int i = 0; i <= kTotal; ++i)
            rest.v[i] -= mine.v[i];
        if (rest.IsZero()) continue;
        ItemRow it;
        it.acc_id = a.acc_id;
        it.pat_id = pats.front().pat_id;
        it.doctor = code;
        it.carrier = kUnassigned;
        it.patient = account_name;
        it.due = rest;
        items.push_back(std::move(it));
    }
    if (!Held(a, ledger, &items, error)) return false;
    // The carrier and the claim are read afterwards, for the items kept only.
    for (ItemRow& it : items)
        if (doctor_ == "*" || it.doctor == doctor_) {
            ranks_[a.acc_id] = walk_->NameRank();
            items_.push_back(std::move(it));
        }
    return true;
}

bool Collector::Payments(long acc_id, std::vector<Payment>* out, std::string* error) {
    if (payments_) {
        const bool ok = payments_->Take(acc_id, [&](const host::DbCursor& c) {
            out->push_back({static_cast<long>(c.Int(2)), static_cast<long>(c.Int(3)),
                            host::Trim(std::string(c.Text(4))), c.Int(5)});
            return true;
        });
        if (!ok) *error = Fail("Lecture des paiements");
        return ok;
    }
    AccPmtInfo payments(list_, msg_);
    TEmgBase* e = &msg_->errors();
    for (bool ok = payments.DBFindFirst(AccPmtInfo::KEY_ACCOUNT, {acc_id}, e); ok;
         ok = payments.DBFindNext(e)) {
        const accpmt_struct& p = *payments.GetRecPtr();
        if (MayHold(p, c_.as_of, carrier_))
            out->push_back({p.apmt_id, p.date, host::Trim(p.payor), p.total});
    }
    if (payments.DbFailed()) {
        *error = Fail("Lecture des paiements");
        return false;
    }
    return true;
}

bool Collector::Held(const account_struct& a, const Ledger& ledger, std::vector<ItemRow>* items,
                     std::string* error) {
    std::vector<Payment> payments;
    if (!Payments(a.acc_id, &payments, error)) return false;
    if (payments.empty()) return true;
    std::unordered_map<long, int64_t> applied;
    for (const LedgerApplication& app : ledger.applications)
        if (app.date <= c_.as_of) applied[app.payment] += app.amount;
    const auto& pats = walk_->Patients();
    const patient_struct* main = &pats.front();
    for (const patient_struct& p : pats)
        if (p.responsible == 'Y') {
            main = &p;
            break;
        }
    const std::string doctor = host::Trim(main->doctor);
    for (const Payment& p : payments) {
        const int64_t held = AccPmtInfo::HeldAmount(p.total, applied[p.id], 0, c_.as_of);
        if (held == 0) continue;
        ItemRow it;
        it.acc_id = a.acc_id;
        it.pat_id = main->pat_id;
        it.payment_id = p.id;
        it.doctor = doctor.empty() ? std::string() : "D" + doctor;
        it.carrier = p.payor.empty() ? kUnassigned : p.payor;
        it.patient = host::Trim(a.lname) + ", " + host::Trim(a.pname);
        it.date = p.date;
        it.held = held;
        items->push_back(std::move(it));
    }
    return true;
}

bool Collector::Details(std::string* error) {
    std::vector<long> lines, office;
    for (const ItemRow& it : items_)
        if (it.charge_id != 0) (it.office ? office : lines).push_back(it.charge_id);
    const std::string p = db_->dbTablePrefix();
    auto batches = [&](const std::vector<long>& ids, const std::string& head, int cursor,
                       const char* what, const std::function<void()>& row) {
        if (host::SelectByIds(*db_, ids, head, cursor, kBatch, row)) return true;
        *error = Fail(what);
        return false;
    };
    const bool ok =
        batches(lines,
                "SELECT CTRT_ID, PCLM_ID, PCLM_NUMBER, PCLM_SUBMIT_DATE, PCLM_INSCO, "
                "CTRT_INS_CO1, CTRT_INS_CO2, CTRT_INS_CO3, CTRT_CODE, CTRT_CODE_FC_DESC FROM " +
                    p + "CLMTRT, " + p + "PATCLM WHERE CTRT_PCLMID = PCLM_ID AND CTRT_ID IN (",
                kCurClaims, "Lecture des réclamations",
                [&] {
                    long ctrt = 0;
                    LineInfo l;
                    std::string claim_co, co[3];
                    db_->dbGetLong(1, &ctrt, kCurClaims);
                    db_->dbGetLong(2, &l.claim_id, kCurClaims);
                    db_->dbGetField(3, &l.claim_no, kCurClaims);
                    db_->dbGetLong(4, &l.submitted, kCurClaims);
                    db_->dbGetField(5, &claim_co, kCurClaims);
                    for (int i = 0; i < 3; ++i) {
                        db_->dbGetField(6 + i, &co[i], kCurClaims);
                        co[i] = host::Trim(co[i]);
                    }
                    db_->dbGetField(9, &l.code, kCurClaims);
                    db_->dbGetField(10, &l.description, kCurClaims);
                    l.claim_no = host::Trim(l.claim_no);
                    l.code = host::Trim(l.code);
                    l.description = host::Trim(l.description);
                    l.carrier = host::Trim(claim_co);
                    if (l.carrier.empty()) l.carrier = co[0];
                    if (l.carrier.empty()) l.carrier = kUnassigned;
                    for (const std::string& other : co)
                        if (!other.empty() && other != l.carrier)
                            l.others += (l.others.empty() ? "" : " ") + other;
                    l.multiple = !l.others.empty();
                    lines_[ctrt] = std::move(l);
                }) &&
        batches(office, "SELECT POCH_ID, POCH_TYPE FROM " + p + "PATOCH WHERE POCH_ID IN (",
                kCurOffice, "Lecture des frais de cabinet", [&] {
                    long id = 0;
                    std::string type;
                    db_->dbGetLong(1, &id, kCurOffice);
                    db_->dbGetField(2, &type, kCurOffice);
                    office_types_[id] = host::Trim(type);
                });
    if (!ok) return false;
    for (ItemRow& it : items_) {
        if (it.charge_id == 0) continue;
        if (it.office) {
            it.carrier = kUnassigned;
            it.code = office_types_[it.charge_id];
        } else if (auto l = lines_.find(it.charge_id); l != lines_.end()) {
            it.carrier = l->second.carrier;
            it.claim_id = l->second.claim_id;
            it.claim_no = l->second.claim_no;
            it.submitted = l->second.submitted;
            it.multiple = l->second.multiple;
            it.others = l->second.others;
            it.code = l->second.code;
            it.description = l->second.description;
        } else {
            it.carrier = kUnassigned;
        }
    }
    items_.erase(std::remove_if(items_.begin(), items_.end(),
                                [this](const ItemRow& it) { return !Keeps(it); }),
                 items_.end());
    return true;
}

bool Collector::Names(std::string* error) {
    std::map<std::string, std::string> carriers, doctors;
    InsCoInfo insco(list_, msg_);
    if (insco.GetAll())
        for (const insco_struct& i : insco.Items())
            carriers[host::Trim(i.ins_code)] = host::Trim(i.name);
    if (insco.DbFailed()) {
        *error = Fail("Lecture des compagnies d'assurance");
        return false;
    }
    ProdInfo producers(list_, msg_);
    if (producers.GetAll())
        for (const prodcd_struct& p : producers.Items())
            doctors[p.code] = host::Trim(host::Trim(p.first_name) + " " + host::Trim(p.last_name));
    if (producers.DbFailed()) {
        *error = Fail("Lecture des producteurs");
        return false;
    }
    const std::string& unknown = host::LoadText(kUnknown);
    for (TotalRow& t : out_->carriers) {
        auto it = carriers.find(t.code);
        t.name = t.code == kUnassigned ? "" : it == carriers.end() ? unknown : it->second;
    }
    for (TotalRow& t : out_->doctors) {
        auto it = doctors.find(t.code);
        t.name = it == doctors.end() ? unknown : it->second;
    }
    return true;
}

Outcome Collector::Run(std::string* error) {
    if (!db_) {
        *error = "Aucune base de données ouverte";
        return Outcome::Failed;
    }
    if (!Setup(error)) return Outcome::Failed;
    // The accounts in id order, with their patients and ledgers from streams in the same
    // order; the items are then put in the accounts' name order.
    walk_ = std::make_unique<host::calc::AccountWalk>(list_, msg_, source_.get());
    error->clear();
    if (!walk_->Start(error)) return Outcome::Failed;
    if (source_->mode() == 1) {
        payments_ = std::make_unique<host::calc::AccountRows>(*db_, kCurHeld);
        const std::string p = db_->dbTablePrefix();
        std::vector<host::SqlValue> params = {c_.as_of};
        std::string sql =
            "SELECT APMT_ACCID, APMT_ID, APMT_DATE, APMT_PAYOR, APMT_TOTAL FROM " + p +
            "ACCPMT WHERE APMT_DELDATE = 0 AND (APMT_RECTYPE = 'P' OR APMT_TYPE = 'I' OR "
            "APMT_REVERSED = 'Y') AND APMT_DATE <= ?";
        if (carrier_ != "*") {
            sql += " AND APMT_PAYOR = ?";
            params.emplace_back(carrier_);
        }
        if (!payments_->Open(sql + " ORDER BY APMT_ACCID, APMT_ID", params)) {
            *error = Fail("Lecture des paiements");
            return Outcome::Failed;
        }
    }
    if (req_.meter) req_.meter->SetMax(walk_->Count());
    while (walk_->Next(error)) {
        if (!Account(walk_->Account(), error)) return Outcome::Failed;
        if (req_.meter) {
            req_.meter->Advance();
            if (req_.meter->Cancel()) return Outcome::Cancelled;
        }
    }
    if (!error->empty()) return Outcome::Failed;
    walk_.reset();
    payments_.reset();
    std::stable_sort(items_.begin(), items_.end(), [&](const ItemRow& x, const ItemRow& y) {
        return ranks_.at(x.acc_id) < ranks_.at(y.acc_id);
    });
    if (!Details(error)) return Outcome::Failed;
    // The items in the sorted list's order, then grouped into claims.
    InsARSortList sorted(0);
    for (size_t i = 0; i < items_.size(); ++i) {
        const ItemRow& it = items_[i];
        insarlst_info rec;
        rec.doctor = it.doctor;
        rec.carrier = it.carrier;
        rec.patient = it.patient;
        rec.number = it.claim_id ? it.claim_id : it.acc_id;
        rec.code = it.code;
        rec.date = it.date;
        rec.amount1 = it.due.v[kTotal];
        rec.item = i;
        sorted.AddToList(std::move(rec));
    }
    for (const insarlst_info* r = sorted.GetFirst(); r; r = sorted.GetNext()) {
        ItemRow& it = items_[r->item];
        ClaimRow* c = out_->claims.empty() ? nullptr : &out_->claims.back();
        if (!c || c->doctor != it.doctor || c->carrier != it.carrier ||
            c->claim_id != it.claim_id || c->items.front().acc_id != it.acc_id ||
            c->items.front().pat_id != it.pat_id) {
            ClaimRow n;
            n.doctor = it.doctor;
            n.carrier = it.carrier;
            n.patient = it.patient;
            n.claim_id = it.claim_id;
            n.claim_no = it.claim_no;
            n.submitted = it.submitted;
            n.multiple = it.multiple;
            n.others = it.others;
            out_->claims.push_back(std::move(n));
            c = &out_->claims.back();
        }
        c->due += it.due;
        c->held += it.held;
        c->items.push_back(std::move(it));
    }
    // The overdue choice and the minimum balance keep claims (host/calc/aging.h's rules
    // on the claim's insurance amounts).
    auto& claims = out_->claims;
    claims.erase(std::remove_if(claims.begin(), claims.end(),
                                [this](const ClaimRow& c) {
                                    if (c.held != 0) return false;  // money held is shown
                                    AgedGroups g;
                                    g.ins = c.due;
                                    g.tot = c.due;
                                    return !host::calc::ListedUnderOverdue(
                                        g, 0, c_.overdue_num,
                                        c_.overdue_num == 1 ? 0 : c_.min_balance);
                                }),
                 claims.end());
    SumClaims(out_);
    return Names(error) ? Outcome::Done : Outcome::Failed;
}

}  // namespace

Outcome Collect(const CollectRequest& request, InsARData* out, std::string* error) {
    if (!request.launcher) {
        *error = "Aucune base de données ouverte";
        return Outcome::Failed;
    }
    *out = InsARData();
    out->criteria = request.criteria;
    Collector collector(request, out);
    return collector.Run(error);
}

}  // namespace insar
