// The receivable integrity check (ArChk): recomputes the receivable of every active account
// from its ledger and compares it with the patient and insurance balances the account
// stores; then compares, producer by producer, the receivable the calculator accumulated
// over the accounts with the receivable the producer analysis engine keeps from the day
// sheets (brought-forward balances plus the transactions). Every divergence is a line of
// "dayarchk.txt" (pages of 50 lines in the output folder); when there is any, the file is
// printed (a PDF in the output folder) and appended to "dayarchk.log" in the station folder.
// In repair mode a divergent account's balances are rewritten with the computed ones, each
// account in a transaction of its own (DrArCalc::WriteActBal).
//
// The accounts come from SQL (calculation mode 1, CALC_FROM_DATABASE) or from the account
// records (any other mode, CALC_FROM_INFO). By SQL the statement's accounts are computed in
// account number order, as the account walk reads their records and, one stream per ledger
// table, their ledgers; the divergent ones are listed in the statement's (name) order. The account,
// patient, claim and ledger tables are locked for the whole walk, so that a second workstation's
// check waits or answers 6310; the day sheet's record count taken before and after the run is a
// second guard: when it moved (a transaction was posted meanwhile) the file is discarded rather
// than printed.
//
// ArChk is the collector of this check and the only part that reads the practice; what it
// found stays available as rows after the run (Accounts(), Producers()).
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "host/records/recbase.h"

struct account_struct;
class AccountInfo;
class DayShtInfo;
class DLnkList;
class DrArCalc;
class LauncherInfo;
class MsgInfo;
class TEmgBase;
class TMeter;
class TProducerAnalysisObj;
class TWindow;

// An account whose stored balances differ from the computed ones (or that could not be
// computed).
struct ArChkAccountRow {
    long account = 0;
    std::string name;  // "last name, first name"
    bool calc_error = false;
    int64_t computed_ins = 0, computed_pat = 0;
    int64_t stored_ins = 0, stored_pat = 0;
    bool repaired = false;  // the computed balances were written
};

// A producer whose receivable differs from the producer analysis.
struct ArChkProducerRow {
    std::string code;
    int64_t prod_ar = 0;        // accumulated by the calculator, by producer
    int64_t prod_analysis = 0;  // the analysis, by producer
    int64_t bill_ar = 0;        // accumulated by the calculator, as billing doctor
    int64_t bill_analysis = 0;  // the analysis, by billing doctor
};

class ArChk {
  public:
    // list and msg: the caller's database context; the check works on copies of them.
    ArChk(DLnkList* list, MsgInfo* msg);
    ~ArChk();
    ArChk(const ArChk&) = delete;
    ArChk& operator=(const ArChk&) = delete;

    // Runs the check. Returns -1 when it could not run (locks, calculator set-up, producer
    // analysis); otherwise the number of divergences when the accounts came from SQL, and -1
    // at the end of the walk of the account records (their walk ends on "not found"): use
    // Ran() and Divergences() to tell. window is the caller's window handle, kept with the
    // messages.
    int CheckAR(bool repair, TWindow* parent, LauncherInfo* launcher, const void* window,
                TEmgBase* errors, bool showMeter);

    // True when any of the first four aged amounts stored on the current account (patient,
    // then insurance) or computed in rows 0 and 1 is not zero.
    bool WriteAgedTotals(const int64_t (*rows)[6]) const;

    // --- What the last run found ---
    bool Ran() const { return ran_; }
    long Divergences() const { return divergences_; }
    long AccountsChecked() const { return checked_; }
    long Repaired() const { return repaired_; }
    // Transactions were posted during the run: "dayarchk.txt" was deleted.
    bool Discarded() const { return discarded_; }
    // The PDF printed from "dayarchk.txt" ("" when nothing was printed).
    const std::string& PrintedPdf() const { return pdf_; }
    const std::vector<ArChkAccountRow>& Accounts() const { return accounts_; }
    const std::vector<ArChkProducerRow>& Producers() const { return producers_; }
    // Why the run stopped, when it could not run (French).
    const std::string& Error() const { return error_; }
    long CountBefore() const { return count_before_; }
    long CountAfter() const { return count_after_; }

    // Called once the producer analysis is built, before the tables are locked (tests post
    // a transaction there, as another workstation would).
    void SetAfterAnalysisHook(std::function<void()> hook) { after_analysis_ = std::move(hook); }

  private:
    // Writes one account line of "dayarchk.txt".
    bool ReportAct(const ArChkAccountRow& row);
    bool ReportProd(const char* producer, int64_t prod_ar, int64_t prod_acc, int64_t bill_ar,
                    int64_t bill_acc);
    bool OvPrintFile(LauncherInfo* launcher, const void* window, const char* file_name, char mode);
    void SetLockPkts();

    // One account of the walk (steps of the comparison and the repair); rank is its place in
    // the printed order.
    void CheckAccount(const account_struct& acc, long rank, bool repair, TEmgBase* errors);
    // Keeps a divergent account (rows null: it could not be computed) for the listing.
    void Found(long rank, const int64_t (*rows)[6]);
    // The walks: accounts by SQL, or through the account records. False when it failed.
    bool WalkSql(bool repair, TMeter& meter, TEmgBase* errors);
    bool WalkRecords(bool repair, TMeter& meter, TEmgBase* errors);
    void PageHeader(bool producer_section);
    void Write(const std::string& text);
    std::string RunDateTime() const;
    long DaySheetCount();
    bool FromDatabase() const;
    void Fail(TEmgBase* errors, int message, const std::string& detail);

    std::unique_ptr<DLnkList> list_;
    std::unique_ptr<MsgInfo> msg_;
    std::unique_ptr<AccountInfo> account_info_;
    std::unique_ptr<DrArCalc> calc_;
    std::unique_ptr<DayShtInfo> day_sheet_;

    // The receivable accumulated over the accounts, by producer and by billing doctor, in
    // code order. 64-bit: a practice's total does not fit 32 bits.
    std::map<std::string, int64_t> prod_ar_, bill_ar_;

    const account_struct* current_ = nullptr;

    FILE* out_ = nullptr;
    int lines_left_ = 0;
    int page_ = 0;
    bool first_page_ = true;
    bool producer_header_ = false;
    std::string practice_line_;

    std::vector<lock_pkt> locks_;
    std::vector<keep_pkt> keeps_;

    int calc_mode_ = 1;
    bool ran_ = false, discarded_ = false;
    long divergences_ = 0, checked_ = 0, repaired_ = 0;
    long count_before_ = 0, count_after_ = 0;
    std::string pdf_, error_;
    std::vector<ArChkAccountRow> accounts_;
    // The divergent accounts as the walk meets them, with their place in the printed order
    // (the walk goes by account number, the listing by name).
    std::vector<std::pair<long, ArChkAccountRow>> found_;
    std::vector<ArChkProducerRow> producers_;
    std::function<void()> after_analysis_;
};

// What the command line shows of a run.
struct ArChkSummary {
    int result = -1;  // CheckAR's value
    bool ran = false, discarded = false;
    long divergences = 0, accounts = 0, repaired = 0;
    std::string pdf, text_file, error;
};

// The check as the command line runs it, through the module's export: the application's
// calculation mode, repair as asked, no meter, messages through the installed back end.
extern "C" bool RapportsCheckAR(LauncherInfo* launcher, bool repair, ArChkSummary* out);
