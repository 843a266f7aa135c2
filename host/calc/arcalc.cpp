#include "host/calc/arcalc.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "host/base/dates.h"
#include "host/base/debuglog.h"
#include "host/base/errors.h"
#include "host/base/numfmt.h"
#include "host/base/text.h"
#include "host/records/context.h"
#include "host/records/records.h"

using host::calc::AgedGroups;
using host::calc::AgingOptions;
using host::calc::Ledger;

namespace {

// The tables an account's ledger is read from.
const char* const kLedgerTables[] = {"PATIENT", "PATCLM", "CLMTRT", "PATOCH", "ACCPMT", "PMTAPP"};

int ResolveMode(int mode) {
    if (mode != -1) return mode;
    const QDSApplication* app = QDSApplication::Instance();
    return app ? app->m_CalAR : 1;
}

bool CheckDate(long* as_of, TEmgBase* err) {
    if (*as_of == 0) *as_of = ldate_today();
    if (host::IsValidDate(*as_of)) return true;
    if (err) err->SetErrText("Date des comptes à recevoir invalide : " + std::to_string(*as_of));
    return false;
}

bool LockLedger(DLnkList* list, std::vector<std::string>* locked, TEmgBase* err) {
    GenDB* db = list ? list->db() : nullptr;
    if (!db) return false;
    for (const char* t : kLedgerTables) {
        if (!db->Lock(t, 2)) {
            if (err) err->SetErrText(db->dbLastError() ? db->dbLastError() : "verrou refusé");
            for (const std::string& name : *locked)
                db->Unlock(name, 2);
            locked->clear();
            return false;
        }
        locked->push_back(t);
    }
    return true;
}

void UnlockLedger(DLnkList* list, std::vector<std::string>* locked) {
    if (GenDB* db = list ? list->db() : nullptr)
        for (const std::string& name : *locked)
            db->Unlock(name, 2);
    locked->clear();
}

void FoldInsurance(AgedGroups* g) {
    g->pat += g->ins;
    g->ins = {};
}

// True when a counted charge is dated after the as-of date.
bool HasFuture(const Ledger& ledger, long as_of, bool keep_deleted) {
    for (const host::calc::LedgerCharge& c : ledger.charges) {
        const bool counted = keep_deleted || c.deleted == 0 || c.deleted > as_of;
        if (counted && c.date > as_of) return true;
    }
    return false;
}

// Credits the auxiliaries' charges and credits (producer beginning with 'A') to their
// billing doctor ("D" + code); true when there was any.
bool FoldAuxiliaries(Ledger* ledger) {
    bool any = false;
    auto fold = [&](std::string& producer, const std::string& billdr) {
        if (!producer.empty() && producer[0] == 'A' && !billdr.empty()) {
            producer = "D" + billdr;
            any = true;
        }
    };
    for (auto& c : ledger->charges)
        fold(c.producer, c.billdr);
    for (auto& a : ledger->applications)
        fold(a.producer, a.billdr);
    return any;
}

dr_ar_bucket MakeBucket(const std::string& code, const AgedGroups& g) {
    dr_ar_bucket b;
    host::CopyText(b.prod_code, sizeof b.prod_code, code);
    b.ar = g;
    return b;
}

}  // namespace

// ---------------------------------------------------------------- ArCalc

ArCalc::ArCalc(DLnkList* list, MsgInfo* msg, int mode)
    : list_(list), msg_(msg), source_(list, msg, ResolveMode(mode)) {}

ArCalc::~ArCalc() {
    UnlockLedger(list_, &locked_);
}

bool ArCalc::SetupAR(long as_of, bool trace, bool separate_insurance, bool lock_tables,
                     bool by_producer, bool keep_deleted, bool include_future, TEmgBase* err) {
    if (!CheckDate(&as_of, err)) return false;
    as_of_ = as_of;
    trace_ = trace;
    separate_insurance_ = separate_insurance;
    by_producer_ = by_producer;
    keep_deleted_ = keep_deleted;
    include_future_ = include_future;
    has_future_ = false;
    last_account_ = 0;
    UnlockLedger(list_, &locked_);
    if (lock_tables && !LockLedger(list_, &locked_, err)) return false;

    // The practice's producers (or billing doctors) in code order: a stable numbering.
    entries_.assign(1, dr_ar_bucket{});
    ProdInfo producers(list_, msg_);
    producers.SetKey(ProdInfo::KEY_CODE);
    TEmgBase local;
    for (bool ok = producers.DBGetFirst(err ? err : &local); ok;
         ok = producers.DBGetNext(err ? err : &local)) {
        const prodcd_struct& p = *producers.GetRecPtr();
        if (by_producer)
            EntryOf(p.code);
        else if (p.type == 'D' && !p.billdr.empty())
            EntryOf("D" + p.billdr);
    }
    return !producers.DbFailed();
}

int ArCalc::EntryOf(const std::string& code) {
    for (size_t i = 1; i < entries_.size(); ++i)
        if (code.compare(0, 3, entries_[i].prod_code) == 0 &&
            std::strlen(entries_[i].prod_code) == std::min<size_t>(code.size(), 3))
            return static_cast<int>(i);
    entries_.push_back(MakeBucket(code, {}));
    return static_cast<int>(entries_.size()) - 1;
}

bool ArCalc::CalcAR(long number, bool is_account, bool accumulate, const char* producer,
                    TEmgBase* err) {
    if (entries_.empty()) {
        if (err) err->SetErrText("Calcul des comptes à recevoir non préparé");
        return false;
    }
    if (!accumulate)
        for (dr_ar_bucket& e : entries_)
            e.ar = {};
    has_future_ = false;
    const long acc = is_account ? number : source_.AccountOfPatient(number, err);
    if (acc == 0) return true;  // an unknown patient owes nothing
    if (acc != last_account_) {
        last_account_ = 0;
        if (!source_.Account(acc, &last_ledger_, err)) return false;
        last_account_ = acc;
    }
    Ledger ledger = is_account ? last_ledger_ : host::calc::PatientPart(last_ledger_, number);
    if (keep_deleted_)
        for (host::calc::LedgerCharge& c : ledger.charges)
            c.deleted = 0;
    has_future_ = HasFuture(ledger, as_of_, keep_deleted_);

    AgingOptions opt;
    opt.as_of = as_of_;
    opt.by_billing_doctor = !by_producer_;
    opt.include_future = include_future_;
    const std::string only = producer ? producer : "";
    for (auto& [code, groups] : host::calc::AgeLedger(ledger.charges, ledger.applications, opt)) {
        if (!only.empty() && code != only) continue;
        AgedGroups g = groups;
        if (!separate_insurance_) FoldInsurance(&g);
        entries_[static_cast<size_t>(EntryOf(code))].ar += g;
        entries_[0].ar += g;
    }
    if (trace_) {
        const AgedGroups& all = entries_[0].ar;
        WriteDebugLogFile("ArCalc %s %ld au %ld: patient=%lld assurance=%lld a venir=%lld",
                          is_account ? "compte" : "patient", number, as_of_,
                          static_cast<long long>(all.pat.v[host::calc::kTotal]),
                          static_cast<long long>(all.ins.v[host::calc::kTotal]),
                          static_cast<long long>(all.tot.v[host::calc::kFuture]));
    }
    return true;
}

// ---------------------------------------------------------------- DrArCalc

DrArCalc::DrArCalc(DLnkList* list, MsgInfo* msg, int mode)
    : list_(list), msg_(msg), source_(list, msg, ResolveMode(mode)) {}

DrArCalc::~DrArCalc() {
    UnlockLedger(list_, &locked_);
}

bool DrArCalc::SetupAR(long as_of, bool trace, bool separate_insurance, bool lock_tables,
                       TEmgBase* err) {
    if (!CheckDate(&as_of, err)) return false;
    as_of_ = as_of;
    trace_ = trace;
    separate_insurance_ = separate_insurance;
    account_ = 0;
    UnlockLedger(list_, &locked_);
    return !lock_tables || LockLedger(list_, &locked_, err);
}

bool DrArCalc::Ready(TEmgBase* err) const {
    if (as_of_ == 0) {
        if (err) err->SetErrText("Calcul des comptes à recevoir non préparé");
        return false;
    }
    if (!list_ || !list_->db()) {
        if (err) err->SetErrText("Calcul des comptes à recevoir : aucune base de données ouverte");
        return false;
    }
    return true;
}

bool DrArCalc::CalcAR(long account, bool is_account, bool recheck, TEmgBase* err,
                      bool lock_account) {
    if (!Ready(err)) return false;
    GenDB* db = list_->db();
    const long acc = is_account ? account : source_.AccountOfPatient(account, err);
    if (lock_account && !db->Lock("ACCOUNT", 3)) {
        if (err) err->SetErrText(db->dbLastError() ? db->dbLastError() : "verrou refusé");
        return false;
    }
    struct Unlock {
        GenDB* db;
        bool on;
        ~Unlock() {
            if (on) db->Unlock("ACCOUNT", 3);
        }
    } unlock{db, lock_account};

    AccountInfo accounts(list_, msg_);
    TEmgBase local;
    const bool found = accounts.DBFindRecById(acc, err ? err : &local);
    if (!found && accounts.DbFailed()) return false;
    return Compute(acc, found ? accounts.GetRecPtr() : nullptr, recheck, err);
}

bool DrArCalc::CalcAR(const account_struct& stored, TEmgBase* err) {
    return Ready(err) && Compute(stored.acc_id, &stored, false, err);
}

bool DrArCalc::Compute(long acc, const account_struct* stored, bool recheck, TEmgBase* err) {
    int64_t pat = 0, ins = 0;
    stored_all_ = {};
    stored_known_ = stored != nullptr;
    if (stored) {
        const account_struct& a = *stored;
        pat = a.pat_bal;
        ins = a.ins_bal;
        stored_all_ = {a.aged_date,
                       a.pat_bal,
                       a.ins_bal,
                       {a.pat_cur, a.pat_30, a.pat_60, a.pat_90},
                       {a.ins_cur, a.ins_30, a.ins_60, a.ins_90},
                       a.pat_fut,
                       a.ins_fut};
    }
    changed_ = recheck && acc == account_ && (pat != stored_pat_ || ins != stored_ins_);
    stored_pat_ = pat;
    stored_ins_ = ins;

    Ledger ledger;
    if (!source_.Account(acc, &ledger, err)) return false;
    AgingOptions opt;
    opt.as_of = as_of_;
    opt.include_future = true;
    auto prod = host::calc::AgeLedger(ledger.charges, ledger.applications, opt);
    opt.by_billing_doctor = true;
    auto bill = host::calc::AgeLedger(ledger.charges, ledger.applications, opt);
    if (!separate_insurance_) {
        for (auto& [code, g] : prod)
            FoldInsurance(&g);
        for (auto& [code, g] : bill)
            FoldInsurance(&g);
    }
    const AgedGroups all = host::calc::SumGroups(prod);
    computed_ = host::calc::StoredBalancesOf(all, as_of_);
    // The receivable by producer handed to the closings puts an auxiliary's amounts on its
    // billing doctor, as the producer analysis does; the stored balances above keep the
    // aging by producer.
    auto folded = prod;
    if (FoldAuxiliaries(&ledger)) {
        opt.by_billing_doctor = false;
        folded = host::calc::AgeLedger(ledger.charges, ledger.applications, opt);
        if (!separate_insurance_)
            for (auto& [code, g] : folded)
                FoldInsurance(&g);
    }
    by_prod_.assign(1, MakeBucket("", host::calc::SumGroups(folded)));
    for (const auto& [code, g] : folded)
        by_prod_.push_back(MakeBucket(code, g));
    by_bill_.assign(1, MakeBucket("", host::calc::SumGroups(bill)));
    for (const auto& [code, g] : bill)
        by_bill_.push_back(MakeBucket(code, g));
    account_ = acc;
    if (trace_)
        WriteDebugLogFile(
            "DrArCalc compte %ld: patient=%lld (enregistré %lld) assurance=%lld "
            "(enregistré %lld)",
            acc, static_cast<long long>(computed_.pat_bal), static_cast<long long>(pat),
            static_cast<long long>(computed_.ins_bal), static_cast<long long>(ins));
    return true;
}

bool DrArCalc::GetOneAR(int64_t rows[2][6]) const {
    if (account_ == 0) return false;
    for (int i = 0; i < 4; ++i) {
        rows[0][i] = computed_.pat[i];
        rows[1][i] = computed_.ins[i];
    }
    rows[0][4] = computed_.pat_bal;
    rows[1][4] = computed_.ins_bal;
    rows[0][5] = computed_.pat_fut;
    rows[1][5] = computed_.ins_fut;
    return true;
}

const dr_ar_bucket* DrArCalc::GetAllProdDrAR(int* count) const {
    if (count) *count = by_prod_.empty() ? 0 : static_cast<int>(by_prod_.size()) - 1;
    return by_prod_.empty() ? nullptr : by_prod_.data();
}

const dr_ar_bucket* DrArCalc::GetAllBillDrAR(int* count) const {
    if (count) *count = by_bill_.empty() ? 0 : static_cast<int>(by_bill_.size()) - 1;
    return by_bill_.empty() ? nullptr : by_bill_.data();
}

bool DrArCalc::WriteActBal(long account, TEmgBase* err, bool balances_only) {
    if (account == 0 || account != account_) {
        if (err) err->SetErrText("Solde du compte " + std::to_string(account) + " non calculé");
        return false;
    }
    const int64_t figures[] = {computed_.pat_bal, computed_.ins_bal, computed_.pat[0],
                               computed_.pat[1],  computed_.pat[2],  computed_.pat[3],
                               computed_.ins[0],  computed_.ins[1],  computed_.ins[2],
                               computed_.ins[3],  computed_.pat_fut, computed_.ins_fut};
    for (size_t i = 0; i < (balances_only ? 2 : std::size(figures)); ++i) {
        const int64_t v = figures[i];
        if (!host::FitsStoredInt(v)) {
            if (err)
                err->SetErrText("Solde du compte " + std::to_string(account) + " hors limites (" +
                                std::to_string(v) +
                                ") : un solde enregistré tient sur 32 bits ; rien n'est écrit");
            return false;
        }
    }
    // An account that held these very figures when it was computed is not written again
    // (the integrity check passes every account through here).
    if (stored_known_ && stored_all_ == computed_) return true;
    AccountInfo accounts(list_, msg_);
    TEmgBase local;
    TEmgBase* e = err ? err : &local;
    if (!list_ || !list_->db()) return false;
    host::DbTransaction tx(*list_->db());
    if (!accounts.DBFindRecById(account, e)) {
        if (!accounts.DbFailed())
            e->SetErrText("Compte " + std::to_string(account) + " introuvable");
        return false;
    }
    account_struct& a = *accounts.GetRecPtr();
    const account_struct was = a;
    a.pat_bal = static_cast<int32_t>(computed_.pat_bal);
    a.ins_bal = static_cast<int32_t>(computed_.ins_bal);
    if (!balances_only) {
        a.aged_date = computed_.aged_date;
        int32_t* pat[] = {&a.pat_cur, &a.pat_30, &a.pat_60, &a.pat_90};
        int32_t* ins[] = {&a.ins_cur, &a.ins_30, &a.ins_60, &a.ins_90};
        for (int i = 0; i < 4; ++i) {
            *pat[i] = static_cast<int32_t>(computed_.pat[i]);
            *ins[i] = static_cast<int32_t>(computed_.ins[i]);
        }
        a.pat_fut = static_cast<int32_t>(computed_.pat_fut);
        a.ins_fut = static_cast<int32_t>(computed_.ins_fut);
    }
    // Nor is one that holds them now.
    const bool same = a.pat_bal == was.pat_bal && a.ins_bal == was.ins_bal &&
                      a.aged_date == was.aged_date && a.pat_cur == was.pat_cur &&
                      a.pat_30 == was.pat_30 && a.pat_60 == was.pat_60 && a.pat_90 == was.pat_90 &&
                      a.ins_cur == was.ins_cur && a.ins_30 == was.ins_30 &&
                      a.ins_60 == was.ins_60 && a.ins_90 == was.ins_90 &&
                      a.pat_fut == was.pat_fut && a.ins_fut == was.ins_fut;
    if (!same && !accounts.WriteRec(e)) return false;
    if (!tx.Commit()) {
        e->SetErrText(list_->db()->dbLastError() ? list_->db()->dbLastError()
                                                 : "validation refusée");
        return false;
    }
    stored_pat_ = computed_.pat_bal;
    stored_ins_ = computed_.ins_bal;
    stored_all_ = computed_;
    stored_known_ = true;
    return true;
}
