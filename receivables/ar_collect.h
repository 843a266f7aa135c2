// The receivable reports' collector: reads the practice as of the criteria's date and
// turns the criteria into the rows of ar_rows.h. It is the only code of these reports that
// reads the database, the record classes or the receivable calculator.
//
// Accounts are walked in name order a batch at a time: the patients, ledgers, payment
// plans and notes of a batch come from one statement per table. Each account is decided
// first (the selection rules of host/calc/aging.h) and only then added: every total of
// the report is the sum of the accounts it keeps.
#pragma once

#include <string>

#include "common/report_run.h"
#include "receivables/ar_rows.h"

class LauncherInfo;
class TMeter;

namespace ar {

struct CollectRequest {
    arrpt_info criteria;  // as the report takes them (overdue number set, producer code)
    bool quick = false;   // the quick list: the balances the accounts store
    LauncherInfo* launcher = nullptr;
    TMeter* meter = nullptr;  // advanced per account; its Cancel stops the walk (may be null)
};

using reports::Outcome;

// Reads the rows; on Failed, *error says why (in French).
Outcome Collect(const CollectRequest& request, ARData* out, std::string* error);

}  // namespace ar
