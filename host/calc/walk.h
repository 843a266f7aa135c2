// The walk of a practice's accounts that the receivable reports share: every account once,
// in account id order, with its patients and, in the SQL calculation mode, its ledger.
//
// Each table is read once, as a stream ordered by account (the accounts and patients by
// the record classes' chunked walks, the ledger by one streamed statement per ledger
// table), and the rows of one account are gathered as the walk reaches it. Memory holds a
// chunk of each stream and the current account, whatever the size of the practice, plus
// one number per account: its place in name order, which a report uses to print what it
// kept in the order of the accounts' names.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "host/calc/ledger.h"
#include "host/db/gendb.h"
#include "host/records/records.h"

class DLnkList;
class MsgInfo;

namespace host::calc {

// A streamed query whose rows come in increasing order of their first column (an account
// id). Take hands the rows of one account to a function, passing over the rows of accounts
// before it; accounts are asked for in increasing order.
class AccountRows {
  public:
    AccountRows(GenDB& db, int cursor) : db_(db), cursor_(cursor) {}
    ~AccountRows() { Close(); }
    AccountRows(const AccountRows&) = delete;
    AccountRows& operator=(const AccountRows&) = delete;

    // False when the database refuses the statement.
    bool Open(const std::string& sql, const std::vector<SqlValue>& params = {});
    void Close();
    // Calls row(cursor) for every row of account acc_id; false when the database fails or
    // row returns false.
    template <class F>
    bool Take(long acc_id, F&& row) {
        while (state_ == 0 && c_->Int(1) < acc_id)
            state_ = c_->Fetch(false);
        while (state_ == 0 && c_->Int(1) == acc_id) {
            if (!row(*c_)) return false;
            state_ = c_->Fetch(false);
        }
        return state_ >= 0;
    }

  private:
    GenDB& db_;
    int cursor_;
    DbCursor* c_ = nullptr;
    int state_ = 1;  // 0 on a row not yet taken, 1 at the end, -1 failed
};

class AccountWalk {
  public:
    // source: the calculator's ledger source that receives each account's ledger (null, or a
    // source in the record-class mode: no ledger is read). with_patients false: the patients
    // are not read (Patients() stays empty).
    AccountWalk(DLnkList* list, MsgInfo* msg, LedgerSource* source, bool with_patients = true);
    ~AccountWalk();
    AccountWalk(const AccountWalk&) = delete;
    AccountWalk& operator=(const AccountWalk&) = delete;

    // Reads the name order and opens the streams; false with *error set (in French).
    bool Start(std::string* error);
    // Moves to the next account: true on one, false at the end or on a failure (then
    // *error is set).
    bool Next(std::string* error);

    long Count() const { return static_cast<long>(by_id_.size()); }
    const account_struct& Account() { return *accounts_.GetRecPtr(); }
    // The account's patients in id order (none without with_patients).
    const std::vector<patient_struct>& Patients() const { return patients_; }
    // The account's place in name order (last name, first name, id), from 0.
    long NameRank() const { return rank_; }
    GenDB& Db() const { return *db_; }

  private:
    MsgInfo* msg_;
    GenDB* db_;
    LedgerSource* source_;
    AccountInfo accounts_;
    PersInfo patient_walk_;
    bool with_patients_ = true;
    bool started_ = false, patient_ahead_ = false, patients_done_ = false;
    std::vector<patient_struct> patients_;
    // (account id, place in name order), in id order; next_ the entry of the next account.
    std::vector<std::pair<long, long>> by_id_;
    size_t next_ = 0;
    long rank_ = 0;
    std::unique_ptr<AccountRows> treatments_, office_, applications_;
};

}  // namespace host::calc
