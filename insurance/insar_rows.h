// The insurance receivable report's rows: what the collector (insar_collect.h) reads from
// the practice and every renderer (the page objects of insar_reports.h, the data tables of
// insar_tables.h) lays out. Every total is the sum of the items it closes (Sum*).
//
// An item is what one charge still owes on the insurance side as of the date (its
// insured estimate less the insurers' applications, host/calc/aging.h), in the bucket of
// its service date. What insurers paid beyond a charge's total stays negative on the
// insurance side. Insurer money the aging puts to no charge (credits, payments to deleted
// lines or to lines of claims not yet invoiced) is one unassigned item ("U/A") per account
// and doctor, so that the report's totals are the insurance side of the receivable report.
//
// A held payment (money received and applied to nothing yet as of the date) is an item of
// its own under its payor, in the held column only: it is owed to nobody, so it is in no
// bucket and in none of the receivable totals; "Total des Pmts En Suspens" adds them up.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/insarrpt_info.h"
#include "host/calc/aging.h"

namespace insar {

using host::calc::Aged;

// The carrier code of unassigned items.
inline constexpr const char* kUnassigned = "U/A";

struct ItemRow {
    long acc_id = 0;
    long pat_id = 0;
    long charge_id = 0;   // CTRT_ID, POCH_ID, 0 for an unassigned item
    bool office = false;  // an office charge
    std::string doctor;   // producer code (or billing doctor's, by grouping)
    std::string carrier;  // insurance company code, kUnassigned for none
    std::string patient;  // "Last, First"
    long claim_id = 0;
    std::string claim_no;   // the claim's number ("" for none)
    long submitted = 0;     // the claim's submission date, 0: never billed
    bool multiple = false;  // the claim line has more than one insurer
    std::string others;     // the other insurers' codes ("SUN GOV")
    long date = 0;          // service date
    std::string code, description;
    int64_t charge = 0;    // the charge's amount
    int64_t estimate = 0;  // insured estimate
    int64_t ins_paid = 0;  // the insurers' applications counted
    int64_t pat_due = 0;   // the patient portion
    Aged due;              // the insurance portion in its bucket (total set)
    long payment_id = 0;   // APMT_ID of a held payment's item
    int64_t held = 0;      // a held payment's unapplied money
};

// One claim of one carrier: its items in date order.
struct ClaimRow {
    std::string doctor, carrier, patient, claim_no, others;
    long claim_id = 0;
    long submitted = 0;
    bool multiple = false;
    Aged due;          // sum of the items
    int64_t held = 0;  // sum of the items' held money
    std::vector<ItemRow> items;
};

// A totals line (one carrier, one doctor, or the practice).
struct TotalRow {
    std::string code;
    std::string name;
    Aged single;       // claims of one insurer
    Aged multiple;     // claims of several
    Aged unbilled;     // claims never submitted (part of the two above)
    Aged office;       // office charges (part of single)
    int64_t held = 0;  // held payments (in no bucket)
    Aged All() const {
        Aged a = single;
        a += multiple;
        return a;
    }
};

struct InsARData {
    insarrpt_info criteria;  // doctor and carrier trimmed, "*" for all
    // The claims kept, by doctor, carrier, patient name, claim (the sorted list's order).
    std::vector<ClaimRow> claims;
    std::vector<TotalRow> carriers;  // by carrier code
    std::vector<TotalRow> doctors;   // by doctor code
    TotalRow practice;
};

// Adds amount to the bucket of the service date and to the total.
void AddAged(Aged* a, long date, long as_of, int64_t amount);

// The totals of the claims, by carrier, by doctor and for the practice (names left empty).
void SumClaims(InsARData* data);

}  // namespace insar
