// The host's receivable calculators.
//
// ArCalc ages one account or one patient as of a date and exposes the result per producer:
// entries 1..LastIndex() for the producers of the practice (a stable list, so that a report
// can keep its own table by entry number), entry 0 for all producers together, each with
// three groups (patient, insurance, total) of six amounts in the order current, 31-60,
// 61-90, over 90, total, future. The aging rules are those of host/calc/aging.h.
//
// DrArCalc recomputes an account's balances for the receivable integrity check and the
// month-end closing: the patient and insurance balances (future amounts included, as the
// account stores them), the account's receivable by producer and by billing doctor, and
// the writing of the recomputed balances onto the account.
//
// Both read the practice tables by SQL when the calculation mode is 1, else through the
// record classes; both give the same figures.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/calc/aging.h"
#include "host/calc/ledger.h"

struct account_struct;
class DLnkList;
class MsgInfo;
class TEmgBase;

// One producer's (or billing doctor's) receivable.
struct dr_ar_bucket {
    char prod_code[4] = "";
    host::calc::AgedGroups ar;
};

// The receivable an account owes a producer: its total with the future amounts.
inline int64_t BucketBalance(const dr_ar_bucket& b) {
    return b.ar.tot.v[host::calc::kTotal] + b.ar.tot.v[host::calc::kFuture];
}

class ArCalc {
  public:
    // mode: the calculation mode; -1 takes the application's (m_CalAR), or 1 without one.
    ArCalc(DLnkList* list, MsgInfo* msg, int mode = -1);
    ~ArCalc();
    ArCalc(const ArCalc&) = delete;
    ArCalc& operator=(const ArCalc&) = delete;

    // Prepares a run as of as_of:
    //   trace              writes each computation's totals to the debug log
    //   separate_insurance keeps the insurance group apart (false folds it into the patient's)
    //   lock_tables        holds the ledger tables shared until the calculator is deleted
    //   by_producer        entries by producer (false: by billing doctor, "D" + its code)
    //   keep_deleted       counts deleted charges as if they were not
    //   include_future     the first value of the future switch (SetIncludeFuture)
    // Loads the producer list; false with err set when the database fails.
    bool SetupAR(long as_of, bool trace, bool separate_insurance, bool lock_tables,
                 bool by_producer, bool keep_deleted, bool include_future, TEmgBase* err);
    // Ages account `number` (is_account) or patient `number`. accumulate adds to the
    // entries instead of starting from zero; producer (null or empty: all) limits the
    // computation to one producer's entry. False with err set when the database fails.
    bool CalcAR(long number, bool is_account, bool accumulate, const char* producer, TEmgBase* err);

    // Where the calculator reads its ledgers (an account walk hands them over there).
    host::calc::LedgerSource& Source() { return source_; }

    // The switch that includes future amounts (the "À venir" column).
    void SetIncludeFuture(bool on) { include_future_ = on; }
    bool IncludeFuture() const { return include_future_; }
    // True when the last computation met amounts dated after the as-of date.
    bool bHasFutureARStatus() const { return has_future_; }

    int LastIndex() const { return static_cast<int>(entries_.size()) - 1; }
    const dr_ar_bucket& Entry(int i) const { return entries_.at(static_cast<size_t>(i)); }
    const std::vector<dr_ar_bucket>& Entries() const { return entries_; }
    long AsOf() const { return as_of_; }
    bool ByProducer() const { return by_producer_; }

  private:
    int EntryOf(const std::string& code);
    DLnkList* list_;
    MsgInfo* msg_;
    host::calc::LedgerSource source_;
    std::vector<dr_ar_bucket> entries_;
    std::vector<std::string> locked_;
    long as_of_ = 0;
    // The last account read, kept for the computations of its patients one by one.
    long last_account_ = 0;
    host::calc::Ledger last_ledger_;
    bool trace_ = false, separate_insurance_ = true, by_producer_ = true;
    bool keep_deleted_ = false, include_future_ = false, has_future_ = false;
};

class DrArCalc {
  public:
    DrArCalc(DLnkList* list, MsgInfo* msg, int mode = -1);
    ~DrArCalc();
    DrArCalc(const DrArCalc&) = delete;
    DrArCalc& operator=(const DrArCalc&) = delete;

    // Prepares a run as of as_of (trace, separate_insurance and lock_tables as for ArCalc).
    bool SetupAR(long as_of, bool trace, bool separate_insurance, bool lock_tables, TEmgBase* err);
    // Recomputes account `account` (is_account false: the account of patient `account`).
    // recheck compares the account's stored balances with those read at the previous
    // computation of the same account and sets Changed() when another workstation wrote
    // them meanwhile; lock_account holds the account's table excluded while computing.
    bool CalcAR(long account, bool is_account, bool recheck, TEmgBase* err, bool lock_account);
    // Recomputes an account whose record the caller has just read (an account walk): its
    // stored figures are taken from `stored` instead of being read again.
    bool CalcAR(const account_struct& stored, TEmgBase* err);
    // Two rows of six amounts: row 0 the patient group, row 1 the insurance group; column 4
    // is the balance (total and future amounts, as stored on the account), column 5 the
    // future amounts.
    bool GetOneAR(int64_t rows[2][6]) const;
    // The account's receivable by producer and by billing doctor: entries 1..*count (entry
    // 0: all together). By producer, an auxiliary's amounts (producer beginning with 'A')
    // are its billing doctor's, as the producer analysis counts them; ArCalc keeps the
    // auxiliaries on their own entries.
    const dr_ar_bucket* GetAllProdDrAR(int* count) const;
    const dr_ar_bucket* GetAllBillDrAR(int* count) const;
    // Writes the last computed balances and aged amounts onto the account (balances_only:
    // the two balances alone), in one transaction. False when the last computation was of
    // another account, when a figure does not fit the account's 32-bit columns (nothing is
    // written) or the write fails. An account that held the figures when it was computed,
    // or holds them now, is not rewritten.
    bool WriteActBal(long account, TEmgBase* err, bool balances_only);
    // After a recheck: the stored balances had changed.
    bool Changed() const { return changed_; }
    // As ArCalc::Source.
    host::calc::LedgerSource& Source() { return source_; }
    // The account's stored balances as read at the last computation.
    int64_t StoredPatBal() const { return stored_pat_; }
    int64_t StoredInsBal() const { return stored_ins_; }

  private:
    bool Ready(TEmgBase* err) const;
    // Ages account acc from its ledger, its stored record being `stored` (null: none).
    bool Compute(long acc, const account_struct* stored, bool recheck, TEmgBase* err);
    DLnkList* list_;
    MsgInfo* msg_;
    host::calc::LedgerSource source_;
    std::vector<std::string> locked_;
    long as_of_ = 0;
    bool trace_ = false, separate_insurance_ = true;
    long account_ = 0;
    host::calc::StoredBalances computed_{};
    std::vector<dr_ar_bucket> by_prod_, by_bill_;
    int64_t stored_pat_ = 0, stored_ins_ = 0;
    // Every figure the account stored when it was last computed.
    host::calc::StoredBalances stored_all_{};
    bool stored_known_ = false;
    bool changed_ = false;
};
