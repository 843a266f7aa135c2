// The revenue distribution's collector: reads the distribution rules and the payments of
// the report date's month and turns them into the rows of revdist_rows.h. It is the only
// code of this report that reads the database or the record classes.
//
// Two paths give the same rows: calculation mode 1 finds each rule's payment applications
// by SQL, any other mode walks the month's day sheet once. Rules that share a billing
// doctor and a producer share the same payments, so those are read once per pair.
#pragma once

#include <string>

#include "analysis/revdist_rows.h"
#include "common/report_run.h"

class LauncherInfo;
class TMeter;

namespace revdist {

struct CollectRequest {
    long report_date = 0;
    bool by_doctor = false;  // only the rules of this billing doctor
    std::string doctor;
    int mode = -1;  // calculation mode; -1 takes the application's (1 without one)
    LauncherInfo* launcher = nullptr;
    TMeter* meter = nullptr;  // advanced per rule; its Cancel stops the walk (may be null)
};

using reports::Outcome;

// Reads the rows; on Failed, *error says why (in French).
Outcome Collect(const CollectRequest& request, RevDistData* out, std::string* error);

}  // namespace revdist
