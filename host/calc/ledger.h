// Gathering an account's ledger (its charges and the applications of its payments) for the
// receivable calculators, by SQL over the practice tables or through the record classes,
// as the application's calculation mode says. Both give the same rows.
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

#include "host/calc/aging.h"

class DLnkList;
class MsgInfo;
class TEmgBase;

namespace host::calc {

struct Ledger {
    std::vector<LedgerCharge> charges;
    std::vector<LedgerApplication> applications;
};

class LedgerSource {
  public:
    // mode: the calculation mode (1: SQL; anything else: record classes).
    LedgerSource(DLnkList* list, MsgInfo* msg, int mode);
    ~LedgerSource();
    LedgerSource(const LedgerSource&) = delete;
    LedgerSource& operator=(const LedgerSource&) = delete;

    // The charges of the account's patients (treatments of invoiced or closed claims,
    // office charges) and the applications of the account's payments that are not deleted
    // as of as_of. False with err set when the database fails.
    bool Account(long acc_id, long as_of, Ledger* out, TEmgBase* err);
    // The account of a patient (0 when the patient does not exist).
    long AccountOfPatient(long pat_id, TEmgBase* err);
    int mode() const { return mode_; }

    // Reads the ledgers of several accounts at once (SQL mode; three queries in all), so
    // that the next Account calls for them need no query. Each prefetched ledger is handed
    // out once. Without effect in the record-class mode.
    bool Prefetch(const std::vector<long>& acc_ids, long as_of, TEmgBase* err);

  private:
    // Reads the ledgers of the given accounts into out, by account. The accounts are bound
    // parameters of a statement whose shape depends only on their number, so that a run of
    // equal batches compiles each of its three statements once.
    bool ReadSql(const std::vector<long>& acc_ids, long as_of,
                 std::unordered_map<long, Ledger>* out, TEmgBase* err);
    bool ByRecords(long acc_id, long as_of, Ledger* out, TEmgBase* err);
    DLnkList* list_;
    MsgInfo* msg_;
    int mode_;
    long prefetch_as_of_ = 0;
    std::unordered_map<long, Ledger> prefetched_;
};

// Keeps a patient's part of an account's ledger: that patient's charges, the applications
// made to them, and the credits that name the patient.
Ledger PatientPart(const Ledger& account, long pat_id);

}  // namespace host::calc
