// Gathering an account's ledger (its charges and the applications of its payments) for the
// receivable calculators, by SQL over the practice tables or through the record classes,
// as the application's calculation mode says. Both give the same rows.
#pragma once

#include <string>
#include <vector>

#include "host/calc/aging.h"

class DLnkList;
class MsgInfo;
class TEmgBase;
namespace host {
class DbCursor;
}

namespace host::calc {

struct Ledger {
    std::vector<LedgerCharge> charges;
    std::vector<LedgerApplication> applications;
};

// The columns of the ledger's rows, and how a row of them becomes a ledger item: every SQL
// reader of ledgers selects them (after columns of its own) and decodes them here.
//   treatments:    CLMTRT joined to its PATCLM (invoiced or closed claims only)
//   office charges: PATOCH
//   applications:  PMTAPP joined to its ACCPMT
extern const char* const kTreatmentColumns;
extern const char* const kOfficeChargeColumns;
extern const char* const kApplicationColumns;
// Decode the columns from column `first` of the cursor's row on; false, with *error set to
// the refusal, when an amount lies beyond the stored 32-bit range.
bool ReadTreatment(const host::DbCursor& c, int first, LedgerCharge* out, std::string* error);
bool ReadOfficeCharge(const host::DbCursor& c, int first, LedgerCharge* out, std::string* error);
bool ReadApplication(const host::DbCursor& c, int first, LedgerApplication* out,
                     std::string* error);

class LedgerSource {
  public:
    // mode: the calculation mode (1: SQL; anything else: record classes).
    LedgerSource(DLnkList* list, MsgInfo* msg, int mode);
    ~LedgerSource();
    LedgerSource(const LedgerSource&) = delete;
    LedgerSource& operator=(const LedgerSource&) = delete;

    // The charges of the account's patients (treatments of invoiced or closed claims,
    // office charges) and every application of the account's payments (the aging decides
    // what counts as of a date). False with err set when the database fails or a row holds
    // an amount beyond the stored range.
    bool Account(long acc_id, Ledger* out, TEmgBase* err);
    // The account of a patient (0 when the patient does not exist).
    long AccountOfPatient(long pat_id, TEmgBase* err);
    int mode() const { return mode_; }

    // Hands over an account's ledger read elsewhere (a walk's streams), so that the next
    // Account call for it needs no query (once; a later call reads it again).
    void Provide(long acc_id, Ledger ledger) {
        provided_id_ = acc_id;
        provided_ = std::move(ledger);
    }

  private:
    // Reads the account's ledger: three statements with the account a bound parameter.
    bool ReadSql(long acc_id, Ledger* out, TEmgBase* err);
    bool ByRecords(long acc_id, Ledger* out, TEmgBase* err);
    DLnkList* list_;
    MsgInfo* msg_;
    int mode_;
    long provided_id_ = 0;
    Ledger provided_;
};

// Keeps a patient's part of an account's ledger: that patient's charges, the applications
// made to them, and the applications to no charge of the account (credits, lines of claims
// not yet invoiced) that name the patient.
Ledger PatientPart(const Ledger& account, long pat_id);

}  // namespace host::calc
