// The unresolved insurance report's rows and collector. The collector is the only code of
// this report that reads the database.
//
// A claim is listed, once, under the first option that takes it:
//   unpaid: sent before the billed-before date, with an insured estimate and no insurance
//     money on its completed lines;
//   partially paid: some insurance money, less than the estimate, the last of it dated
//     before the not-paid-since date;
//   unbilled: never sent (no submission date), with an insured estimate; estimates
//     (status E) are not treatments and are left out.
// An office charge an insurer has begun to pay, and has not finished paying since the
// not-paid-since date, is listed by the partial option under its service number (its
// total is what the insurer was asked for; claim id 0).
// Only completed lines (status containing C) that are not deleted count. A claim's
// insurer is the claim's, else its first line's.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/report_run.h"

class LauncherInfo;
class TMeter;

namespace insun {

struct Criteria {
    bool unpaid = false;
    long billed_before = 0;
    bool partial = false;
    long not_paid_since = 0;
    bool unbilled = false;
};

enum class Reason { Unpaid, Partial, Unbilled };

struct ClaimLine {
    long pat_id = 0;
    std::string patient;  // "Last, First"
    std::string chart;    // the patient's chart number
    char assigned = ' ';  // 'A' when an insurer of the claim is assigned
    char status = ' ';    // the claim's status letter
    std::string doctor;   // the claim's doctor
    long claim_id = 0;
    std::string claim_no;
    long submitted = 0;
    std::string carrier;
    int64_t claimed = 0;   // the completed lines' totals
    int64_t estimate = 0;  // their insured estimates
    int64_t paid = 0;      // the insurance money applied to them
    long last_paid = 0;    // date of the last of it, 0 for none
    Reason reason = Reason::Unpaid;
    int64_t Balance() const { return estimate - paid; }
};

struct InsUnData {
    Criteria criteria;
    std::vector<ClaimLine> claims;  // by patient name, then claim
};

using reports::Outcome;

// Reads the rows; on Failed, *error says why (in French; no option chosen gives 6400).
// mode: the calculation mode (1 by SQL, else through the record classes; -1 the
// application's). Both read the same rows.
Outcome Collect(const Criteria& criteria, LauncherInfo* launcher, TMeter* meter, InsUnData* out,
                std::string* error, int mode = -1);

}  // namespace insun
