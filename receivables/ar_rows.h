// The receivable reports' rows: what the collector (ar_collect.h) reads from the practice
// and every renderer (the page objects of ar_reports.h, the data tables of ar_tables.h)
// lays out. Every total here is the sum of the rows it closes, computed once by Sum*.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/arrpt_info.h"
#include "host/calc/aging.h"

namespace ar {

using host::calc::AgedGroups;

struct NoteRow {
    long date = 0;
    std::string first_name;  // the patient's first name
    std::string comment;
};

struct PatientRow {
    long pat_id = 0;
    std::string name;      // "first last"
    std::string file_ref;  // "(chart number)", or ""
    AgedGroups ar;
};

struct AccountRow {
    long acc_id = 0;
    std::string name;             // "Last, First Middle Suffix"
    std::string phone;            // "514 555-1234 (H)", or ""
    long last_payment = 0;        // date of the last payment, 0 for none
    std::string last_payment_dr;  // its doctor
    std::string markers;          // "(D)(T)(A)"
    std::string family_doctor;    // producer code of the main patient's doctor
    long statement_date = 0;
    int64_t statement_amt = 0;
    long claim_date = 0;
    int64_t claim_amt = 0;
    int patients = 0;  // the account's patients
    // The account's receivable as listed: its producers' amounts (or the one producer's)
    // and, in a report of every producer, the account's additional amount.
    AgedGroups ar;
    int64_t additional = 0;  // the additional amount included in ar (patient current)
    bool has_plan = false;
    int64_t plan_balance = 0;
    std::vector<PatientRow> patient_rows;  // the by-patient report's patients who owe
    std::vector<NoteRow> notes;            // A/R notes, newest first (notes option)
};

// One producer's (or billing doctor's) line of the summary.
struct ProducerRow {
    std::string code;
    std::string identification;  // "D01 Marie Tremblay, Dre" or the missing-doctor text
    AgedGroups ar;
};

// One doctor's line of the payment-plan totals.
struct PlanRow {
    std::string code;  // producer code of the plan's doctor ("D02")
    std::string name;  // "D02 Paul Gagnon", or the missing-doctor text
    long plans = 0;
    int64_t balance = 0;
};

// The kept accounts that are not held as rows: the summary-only report (kind 2) counts and
// sums its accounts without keeping them, so that its memory does not grow with the practice.
struct UnlistedTotals {
    long accounts = 0;
    long in_credit = 0;
    AgedGroups ar;
    int64_t additional = 0;
    int64_t plan_balance = 0;
};

struct ARData {
    arrpt_info criteria;
    bool quick = false;  // the quick list: stored balances, one line per account
    // The accounts the criteria keep, held as rows: every one for the report kinds 0 and 1
    // and the quick list, which print them; for kind 2, which prints only their totals, those
    // whose notes the notes file lists.
    std::vector<AccountRow> accounts;
    // The other kept accounts (kind 2).
    UnlistedTotals unlisted;
    // The summary by producer or billing doctor, in its printing order.
    std::vector<ProducerRow> producers;
    std::vector<PlanRow> plans;
};

// The order in which the summary lists producer codes: byte order, except that when the
// first characters differ, a code beginning with 'A' (an auxiliary) comes after.
bool ProducerCodeBefore(const std::string& a, const std::string& b);

// The kept accounts, held as rows or not.
long KeptAccounts(const ARData& data);
// Totals of the kept accounts (their listed groups).
AgedGroups SumAccounts(const ARData& data);
long AccountsInCredit(const ARData& data);
int64_t PlanBalances(const ARData& data);
// The additional amounts of the kept accounts (part of SumAccounts, none of a producer).
int64_t SumAdditional(const ARData& data);
// The summary's producer lines together.
AgedGroups SumProducers(const ARData& data);
// The summary's total: its producer lines and the additional amounts.
AgedGroups SummaryTotal(const ARData& data);

}  // namespace ar
