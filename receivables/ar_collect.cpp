#include "receivables/ar_collect.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <numeric>

#include "host/base/dates.h"
#include "host/base/strings.h"
#include "host/base/text.h"
#include "host/calc/arcalc.h"
#include "host/calc/walk.h"
#include "host/db/gendb.h"
#include "host/output/progress.h"
#include "host/records/context.h"
#include "host/records/practice.h"
#include "host/records/records.h"

namespace ar {

using host::calc::Aged;
using host::calc::kCurrent;
using host::calc::kFuture;
using host::calc::kTotal;

namespace {

constexpr int kDoctorMissing = 6566;  // "** Le docteur ne figure pas dans le dossier **"
constexpr int kMarkDeleted = 6573;    // "(D)"
constexpr int kMarkPlan = 6574;       // "(T)"
constexpr int kMarkInsurance = 6575;  // "(A)"
constexpr int kCurPlans = 31101;
constexpr int kCurNotes = 31102;

std::string Trimmed(const char* s) {
    return host::Trim(s ? s : "");
}

AgedGroups FromStored(const account_struct& a) {
    AgedGroups g;
    const int32_t pat[4] = {a.pat_cur, a.pat_30, a.pat_60, a.pat_90};
    const int32_t ins[4] = {a.ins_cur, a.ins_30, a.ins_60, a.ins_90};
    for (int i = 0; i < 4; ++i) {
        g.pat.v[i] = pat[i];
        g.ins.v[i] = ins[i];
        g.pat.v[kTotal] += pat[i];
        g.ins.v[kTotal] += ins[i];
    }
    g.pat.v[kFuture] = a.pat_fut;
    g.ins.v[kFuture] = a.ins_fut;
    g.tot = g.pat;
    g.tot += g.ins;
    return g;
}

std::string AccountName(const account_struct& a) {
    return host::TrimRight(host::U8Format("%s, %s %s%s", a.lname.c_str(), a.pname.c_str(),
                                          a.mname.c_str(), a.suffix.c_str()));
}

std::string PhoneText(const account_struct& a) {
    const std::string& phone = a.phone_kind == 'W' ? a.work_ph : a.home_ph;
    if (phone.empty()) return {};
    char buf[40];
    mk_phone_no(phone.c_str(), buf, true);
    const char kind = a.phone_kind && std::strchr("HWOE", a.phone_kind) ? a.phone_kind : 'H';
    return std::string(buf) + host::U8Format(" (%c)", kind);
}

struct PlanInfo {
    bool any = false;  // the account has an active plan
    int64_t balance = 0;
    std::map<std::string, std::pair<long, int64_t>> by_doctor;  // plans, balance
};

class Collector {
  public:
    Collector(const CollectRequest& request, ARData* out)
        : req_(request),
          c_(request.criteria),
          out_(out),
          list_(request.launcher->GetListPtr()),
          msg_(request.launcher->GetMsgPtr()),
          db_(request.launcher->GetDb()),
          calc_(list_, msg_) {}

    Outcome Run(std::string* error);

  private:
    bool OneProducer() const { return c_.grouping == 1 && producer_ != "*"; }
    bool Setup(std::string* error);
    // Opens the streams of the payment plans and the receivable notes.
    bool OpenExtras(std::string* error);
    // Reads the current account's plans and notes from their streams.
    bool ReadExtras(long acc_id, std::string* error);
    bool Account(const account_struct& a, std::string* error);
    // The account's receivable by producer (all-producer entry 0 included) as the calculator
    // gives it, for the account or summed over its patients.
    bool AgeAccount(const account_struct& a, std::vector<dr_ar_bucket>* entries,
                    std::vector<PatientRow>* patients, std::string* error);
    std::string Identification(const std::string& code) const;
    std::string Fail(const std::string& what) const;

    const CollectRequest& req_;
    const arrpt_info& c_;
    ARData* out_;
    DLnkList* list_;
    MsgInfo* msg_;
    GenDB* db_;
    ArCalc calc_;
    std::string producer_;  // "*" or one producer code
    std::unique_ptr<host::calc::AccountWalk> walk_;
    std::unique_ptr<host::calc::AccountRows> plan_rows_, note_rows_;
    PlanInfo plan_;               // the current account's
    std::vector<NoteRow> notes_;  // the current account's
    std::vector<long> ranks_;     // of the kept accounts, their places in name order
    std::map<std::string, prodcd_struct> producer_records_;
    std::map<std::string, AgedGroups> summary_;
    std::map<std::string, std::pair<long, int64_t>> plan_totals_;
};

std::string Collector::Fail(const std::string& what) const {
    return FailureText(*msg_, db_, what);
}

bool Collector::Setup(std::string* error) {
    producer_ = Trimmed(c_.producer);
    if (producer_.empty()) producer_ = "*";
    if (!host::IsValidDate(c_.as_of)) {
        *error = "Date du rapport invalide : " + std::to_string(c_.as_of);
        return false;
    }
    ProdInfo producers(list_, msg_);
    if (producers.GetAll())
        for (const prodcd_struct& p : producers.Items())
            producer_records_.emplace(p.code, p);
    if (producers.DbFailed()) {
        *error = Fail("Lecture des producteurs");
        return false;
    }
    if (req_.quick) return true;
    TEmgBase* err = &msg_->errors();
    if (!calc_.SetupAR(c_.as_of, false, true, false, c_.grouping == 1, false, c_.future == 'Y',
                       err)) {
        *error = Fail("Calcul des comptes à recevoir");
        return false;
    }
    // The summary lists every producer the calculator knows, owing or not.
    for (int i = 1; i <= calc_.LastIndex(); ++i) {
        const std::string code = calc_.Entry(i).prod_code;
        if (!OneProducer() || code == producer_) summary_[code];
    }
    return true;
}

bool Collector::OpenExtras(std::string* error) {
    const std::string p = db_->dbTablePrefix();
    plan_rows_ = std::make_unique<host::calc::AccountRows>(*db_, kCurPlans);
    if (!plan_rows_->Open("SELECT PPLN_ACCID, PPLN_DOCTOR, PPLN_BALANCE FROM " + p +
                          "PATPPLAN WHERE PPLN_STATUS = 'A' ORDER BY PPLN_ACCID, PPLN_ID")) {
        *error = Fail("Lecture des plans de paiement");
        return false;
    }
    if (!c_.notes) return true;
    note_rows_ = std::make_unique<host::calc::AccountRows>(*db_, kCurNotes);
    if (!note_rows_->Open("SELECT PAT_ACCID, PNOT_COMMENT, PNOT_DATE, PAT_PNAME FROM " + p +
                          "PATNOTE, " + p +
                          "PATIENT WHERE PNOT_PATID = PAT_ID AND PNOT_TYPE = 'A/R'"
                          " ORDER BY PAT_ACCID, PNOT_DATE DESC, PNOT_ID DESC")) {
        *error = Fail("Lecture des notes C/R");
        return false;
    }
    return true;
}

bool Collector::ReadExtras(long acc_id, std::string* error) {
    plan_ = PlanInfo();
    notes_.clear();
    const bool plans_ok = plan_rows_->Take(acc_id, [&](const host::DbCursor& c) {
        plan_.any = true;
        plan_.balance += c.Int(3);
        auto& d = plan_.by_doctor[GetProdCode(std::string(c.Text(2)).c_str(), false)];
        d.first += 1;
        d.second += c.Int(3);
        return true;
    });
    if (!plans_ok) {
        *error = Fail("Lecture des plans de paiement");
        return false;
    }
    if (!note_rows_) return true;
    const bool notes_ok = note_rows_->Take(acc_id, [&](const host::DbCursor& c) {
        NoteRow n;
        n.comment = host::Trim(std::string(c.Text(2)));
        n.date = static_cast<long>(c.Int(3));
        n.first_name = std::string(c.Text(4));
        notes_.push_back(std::move(n));
        return true;
    });
    if (!notes_ok) {
        *error = Fail("Lecture des notes C/R");
        return false;
    }
    return true;
}

bool Collector::AgeAccount(const account_struct& a, std::vector<dr_ar_bucket>* entries,
                           std::vector<PatientRow>* patients, std::string* error) {
    TEmgBase* err = &msg_->errors();
    calc_.SetIncludeFuture(c_.future == 'Y');
    if (c_.kind != 1) {
        if (!calc_.CalcAR(a.acc_id, true, false, nullptr, err)) {
            *error = Fail("Calcul du compte " + std::to_string(a.acc_id));
            return false;
        }
        *entries = calc_.Entries();
        return true;
    }
    entries->clear();
    for (const patient_struct& p : walk_->Patients()) {
        if (!calc_.CalcAR(p.pat_id, false, false, nullptr, err)) {
            *error = Fail("Calcul du patient " + std::to_string(p.pat_id));
            return false;
        }
        const std::vector<dr_ar_bucket>& e = calc_.Entries();
        if (entries->size() < e.size()) entries->resize(e.size());
        PatientRow row;
        row.pat_id = p.pat_id;
        row.name = host::Trim(p.pname + " " + p.lname);
        row.file_ref = p.chart_no.empty() ? "" : "(" + p.chart_no + ")";
        for (size_t i = 0; i < e.size(); ++i) {
            dr_ar_bucket& t = (*entries)[i];
            std::memcpy(t.prod_code, e[i].prod_code, sizeof t.prod_code);
            t.ar += e[i].ar;
            if (i > 0 && (!OneProducer() || producer_ == e[i].prod_code)) row.ar += e[i].ar;
        }
        patients->push_back(std::move(row));
    }
    return true;
}

bool Collector::Account(const account_struct& a, std::string* error) {
    const auto& pats = walk_->Patients();
    if (pats.empty()) return true;  // an account without patients owes through none
    if (!host::calc::AccountCounts(a.status, a.delete_date, a.sys_inactive, c_.as_of)) return true;
    const patient_struct* main = &pats.front();
    for (const patient_struct& p : pats)
        if (p.responsible == 'Y') {
            main = &p;
            break;
        }
    const std::string doctor = main->doctor.empty() ? "" : GetProdCode(main->doctor.c_str());
    // Billing-doctor reports (and the quick list, whose stored balances are not split by
    // producer) take a chosen producer as the families' doctor.
    if (producer_ != "*" && (req_.quick || c_.grouping != 1) && doctor != producer_) return true;

    AccountRow row;
    std::vector<dr_ar_bucket> entries;
    if (req_.quick) {
        row.ar = FromStored(a);
    } else {
        if (!AgeAccount(a, &entries, &row.patient_rows, error)) return false;
        for (size_t i = 1; i < entries.size(); ++i)
            if (!OneProducer() || producer_ == entries[i].prod_code) row.ar += entries[i].ar;
        if (OneProducer() && row.ar.pat.v[kTotal] == 0 && row.ar.ins.v[kTotal] == 0)
            return true;  // nothing this producer is owed now
    }
    if (req_.quick || !OneProducer()) {
        row.additional = a.add_amt;
        host::calc::AddAccountAmount(&row.ar, a.add_amt);
    }
    if (!host::calc::ListedUnderOverdue(row.ar, a.pplan_bal, c_.overdue_num, c_.min_balance))
        return true;

    // Kept: the account's rows and its share of every total.
    row.acc_id = a.acc_id;
    row.name = AccountName(a);
    row.phone = PhoneText(a);
    row.last_payment = a.pmt_date;
    row.last_payment_dr = a.pmt_dr;
    row.family_doctor = doctor;
    row.statement_date = a.statement_date;
    row.statement_amt = a.statement_amt;
    row.claim_date = a.claim_date;
    row.claim_amt = a.claim_amt;
    row.patients = static_cast<int>(pats.size());
    if (req_.quick) {
        row.plan_balance = a.pplan_bal;
    } else if (plan_.any) {
        row.has_plan = true;
        row.plan_balance = plan_.balance;
        for (const auto& [code, d] : plan_.by_doctor) {
            if (OneProducer() && code != producer_) continue;
            plan_totals_[code].first += d.first;
            plan_totals_[code].second += d.second;
        }
    }
    if (a.status == 'D') row.markers += host::LoadText(kMarkDeleted);
    if (row.has_plan || a.pplan_bal != 0) row.markers += host::LoadText(kMarkPlan);
    if (a.ins_billing == 'Y' && row.ar.ins.v[kTotal] != 0)
        row.markers += host::LoadText(kMarkInsurance);
    row.notes = std::move(notes_);
    // The by-patient report prints the patients who owe something (at least one line).
    auto& prs = row.patient_rows;
    prs.erase(std::remove_if(prs.begin(), prs.end(),
                             [](const PatientRow& p) {
                                 return p.ar.tot.IsZero() && p.ar.pat.IsZero() && p.ar.ins.IsZero();
                             }),
              prs.end());
    for (size_t i = 1; i < entries.size(); ++i) {
        const std::string code = entries[i].prod_code;
        if (OneProducer() && code != producer_) continue;
        summary_[code] += entries[i].ar;
    }
    // The summary only prints totals: the account is counted and summed, and held only when
    // the notes file lists its notes.
    if (!req_.quick && c_.kind == 2) {
        if (!c_.notes || row.notes.empty()) {
            UnlistedTotals& u = out_->unlisted;
            ++u.accounts;
            if (row.ar.tot.v[kTotal] < 0) ++u.in_credit;
            u.ar += row.ar;
            u.additional += row.additional;
            u.plan_balance += row.plan_balance;
            return true;
        }
        row.patient_rows = {};
    }
    out_->accounts.push_back(std::move(row));
    ranks_.push_back(walk_->NameRank());
    return true;
}

std::string Collector::Identification(const std::string& code) const {
    auto it = producer_records_.find(code);
    if (it == producer_records_.end())
        return host::U8Format("%s %s", code.c_str(), host::LoadText(kDoctorMissing).c_str());
    const prodcd_struct& p = it->second;
    return host::U8Format("%-4.4s%s %s%c %s", code.c_str(), p.first_name.c_str(),
                          p.last_name.c_str(), p.title.empty() ? ' ' : ',', p.title.c_str());
}

Outcome Collector::Run(std::string* error) {
    *out_ = ARData();
    out_->criteria = c_;
    out_->quick = req_.quick;
    if (!db_) {
        *error = "Aucune base de données ouverte";
        return Outcome::Failed;
    }
    if (!Setup(error)) return Outcome::Failed;
    // The accounts in id order, each with its patients, ledger, plans and notes read from
    // streams in the same order; the kept rows are put in name order at the end.
    walk_ = std::make_unique<host::calc::AccountWalk>(list_, msg_,
                                                      req_.quick ? nullptr : &calc_.Source());
    error->clear();
    if (!walk_->Start(error)) return Outcome::Failed;
    if (!req_.quick && !OpenExtras(error)) return Outcome::Failed;
    if (req_.meter) req_.meter->SetMax(walk_->Count());
    while (walk_->Next(error)) {
        if (!req_.quick && !ReadExtras(walk_->Account().acc_id, error)) return Outcome::Failed;
        if (!Account(walk_->Account(), error)) return Outcome::Failed;
        if (req_.meter) {
            req_.meter->Advance();
            if (req_.meter->Cancel()) return Outcome::Cancelled;
        }
    }
    if (!error->empty()) return Outcome::Failed;
    plan_rows_.reset();
    note_rows_.reset();
    walk_.reset();
    std::vector<size_t> order(ranks_.size());
    std::iota(order.begin(), order.end(), size_t{0});
    std::sort(order.begin(), order.end(),
              [&](size_t x, size_t y) { return ranks_[x] < ranks_[y]; });
    std::vector<AccountRow> sorted;
    sorted.reserve(order.size());
    for (size_t i : order)
        sorted.push_back(std::move(out_->accounts[i]));
    out_->accounts = std::move(sorted);
    // The summary in its printing order (auxiliaries' codes after the others).
    for (const auto& [code, groups] : summary_)
        out_->producers.push_back({code, Identification(code), groups});
    std::stable_sort(out_->producers.begin(), out_->producers.end(),
                     [](const ProducerRow& a, const ProducerRow& b) {
                         return ProducerCodeBefore(a.code, b.code);
                     });
    for (const auto& [code, d] : plan_totals_) {
        auto it = producer_records_.find(code);
        const std::string name =
            it == producer_records_.end()
                ? code + " " + host::LoadText(kDoctorMissing)
                : code + " " + it->second.first_name + " " + it->second.last_name;
        out_->plans.push_back({code, name, d.first, d.second});
    }
    return Outcome::Done;
}

}  // namespace

Outcome Collect(const CollectRequest& request, ARData* out, std::string* error) {
    if (!request.launcher) {
        *error = "Aucune base de données ouverte";
        return Outcome::Failed;
    }
    Collector collector(request, out);
    return collector.Run(error);
}

bool ProducerCodeBefore(const std::string& a, const std::string& b) {
    if (!a.empty() && !b.empty() && a[0] != b[0]) {
        const bool aux_a = a[0] == 'A', aux_b = b[0] == 'A';
        if (aux_a != aux_b) return aux_b;
    }
    return a < b;
}

long KeptAccounts(const ARData& data) {
    return static_cast<long>(data.accounts.size()) + data.unlisted.accounts;
}

AgedGroups SumAccounts(const ARData& data) {
    AgedGroups g = data.unlisted.ar;
    for (const AccountRow& a : data.accounts)
        g += a.ar;
    return g;
}

long AccountsInCredit(const ARData& data) {
    return data.unlisted.in_credit +
           static_cast<long>(
               std::count_if(data.accounts.begin(), data.accounts.end(),
                             [](const AccountRow& a) { return a.ar.tot.v[kTotal] < 0; }));
}

int64_t PlanBalances(const ARData& data) {
    int64_t sum = data.unlisted.plan_balance;
    for (const AccountRow& a : data.accounts)
        sum += a.plan_balance;
    return sum;
}

int64_t SumAdditional(const ARData& data) {
    int64_t sum = data.unlisted.additional;
    for (const AccountRow& a : data.accounts)
        sum += a.additional;
    return sum;
}

AgedGroups SumProducers(const ARData& data) {
    AgedGroups g;
    for (const ProducerRow& p : data.producers)
        g += p.ar;
    return g;
}

AgedGroups SummaryTotal(const ARData& data) {
    AgedGroups g = SumProducers(data);
    host::calc::AddAccountAmount(&g, SumAdditional(data));
    return g;
}

}  // namespace ar
