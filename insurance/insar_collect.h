// The insurance receivable report's collector: reads the practice as of the criteria's
// date and turns it into the rows of insar_rows.h. It is the only code of this report that
// reads the database or the record classes.
//
// Accounts are walked in name order a batch at a time. Each account's ledger comes from
// the receivable calculators' source (SQL or the record classes, by the calculation mode)
// and is aged by host/calc/aging.h; the claims' numbers, submission dates and insurers come
// from one statement per batch.
#pragma once

#include <string>

#include "common/report_run.h"
#include "insurance/insar_rows.h"

class LauncherInfo;
class TMeter;

namespace insar {

struct CollectRequest {
    insarrpt_info criteria;  // as the report takes them (overdue number set)
    int mode = -1;           // calculation mode; -1 takes the application's
    LauncherInfo* launcher = nullptr;
    TMeter* meter = nullptr;  // advanced per account; its Cancel stops the walk (may be null)
};

using reports::Outcome;

// Reads the rows; on Failed, *error says why (in French).
Outcome Collect(const CollectRequest& request, InsARData* out, std::string* error);

}  // namespace insar
