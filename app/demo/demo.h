// The demo practice: a deterministic generator of a French-Canadian dental practice whose
// day sheet, stored account balances and producer totals agree with its transactions, and
// a summary of the practice a database holds.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "host/calc/aging.h"
#include "host/db/gendb.h"

namespace demo {

enum class Size {
    Small,   // a few dozen accounts over two years, with every edge case (the tests' practice)
    Medium,  // a few thousand accounts over two years (the demo)
    Large,   // a large practice over fifteen years (benchmarks)
    Group    // a group of practices, eleven times the large one (PostgreSQL benchmarks)
};

// "small", "medium", "large" or "group"; false for anything else.
bool ParseSize(const std::string& text, Size* size);
const char* SizeName(Size size);

struct DemoOptions {
    Size size = Size::Medium;
    uint64_t seed = 1;
    long today = 0;        // YYYYMMDD; 0 = the host clock's today
    bool force = false;    // replace a practice already in the database
    bool dry_run = false;  // generate and count, write nothing
    // Accounts generated between two loads: the temporary files hold that many accounts'
    // rows at most.
    int chunk_accounts = 5000;
    // Progress lines (the phase and what was done), or null for none.
    std::function<void(const std::string&)> progress;
};

struct DemoStats {
    long today = 0;
    std::vector<std::pair<std::string, long>> rows;  // per table, in creation order
    long total_rows = 0;
    long busiest_day = 0;  // date of the day with the most day-sheet lines
    long busiest_day_lines = 0;
    uint64_t checksum = 0;  // of every generated row: equal for equal seeds
    double generate_seconds = 0, load_seconds = 0, index_seconds = 0, total_seconds = 0;
    long Rows(const std::string& table) const;
};

// Writes the demo practice into db: refuses (false, *error set) when the practice tables
// already hold data unless options.force, in which case they are dropped and made again,
// and refuses the group size on SQLite. The whole load is one transaction: on failure the
// database is left as it was. Rows are loaded every few thousand accounts as they are
// generated, so that neither memory nor the temporary files grow with the practice.
bool GenerateDemo(GenDB& db, const DemoOptions& options, DemoStats* stats, std::string* error);

// True when one of the practice tables exists and holds a row.
bool PracticeHasData(GenDB& db);

// What a practice database holds, for the summary.
struct PracticeSummary {
    std::string practice_name;
    std::vector<std::pair<std::string, long>> rows;  // per table
    long accounts = 0, active_accounts = 0, inactive_accounts = 0, deleted_accounts = 0;
    long accounts_without_patients = 0;
    long patients = 0, deleted_patients = 0;
    long last_day_end = 0, last_month_end = 0;
    long first_activity = 0, last_activity = 0;
    long as_of = 0;
    int64_t stored_pat_balance = 0, stored_ins_balance = 0;
    // The accounts' additional amounts (ACC_ADD_AMT): owed by patients outside the ledger,
    // in no producer's receivable.
    int64_t additional_amount = 0;
    // Receivable by producer as of as_of, recomputed from the transactions.
    std::vector<std::pair<std::string, host::calc::AgedGroups>> receivables;
};

// Reads the summary as of a date (0 = today); false with *error set when the database holds
// no practice.
bool SummarizePractice(GenDB& db, long as_of, PracticeSummary* summary, std::string* error);
// The summary as printable French text.
std::string FormatSummary(const PracticeSummary& summary);
// The rows written, with the times, as printable French text.
std::string FormatStats(const DemoStats& stats);

// Calls visit for each account that has charges or applications, in account order, with the
// account's ledger read from the tables (treatments of invoiced or closed claims, office
// charges, and every application of the account's payments, adjustments and transfers).
bool ForEachAccountLedger(
    GenDB& db,
    const std::function<void(long account, const std::vector<host::calc::LedgerCharge>&,
                             const std::vector<host::calc::LedgerApplication>&)>& visit,
    std::string* error);

}  // namespace demo
