// Receivable aging: the host's rules, in one place. The receivable calculators, the stored
// account balances, the receivable reports and the demo practice all age through these
// functions.
//
// What counts, as of a date:
//   - a charge: a treatment line of an invoiced or closed claim, or an office charge, that
//     is not deleted on that date (no deletion date, CTRT_DEL_DATE or POCH_DELDATE, or one
//     after it). A line of an estimate (E) or pending (P) claim is not a charge.
//     A treatment's amount is CTRT_TOTAL, plus CTRT_ADJ_AMT when CTRT_ADJ_FLAG is 'S',
//     minus it when 'D' (the production analysis counts the same amount); the insured
//     estimate does not change, so the patient portion takes the adjustment. An office
//     charge's amount is POCH_TOTAL.
//   - an application (a payment, adjustment or transfer applied to a charge or to the
//     patient's credit) dated on or before that date, of a payment not undone on that date.
//     A positive amount reduces what is owed.
// Undone payments: a deleted payment is undone as of its deletion date (APMT_DELDATE), a
// reversed one (APMT_REVERSED 'Y') as of its reversal date, kept in the same column; a
// reversed payment without a date never counts. From that date none of its applications
// counts. The practice records the undoing as applications of the same payment, each the
// opposite of one of its applications, dated that day: the closings, which list
// applications by date whatever became of their payment, then count the payment until that
// day and nothing after, as the aging does.
// Per charge:
//   insurance portion = insured estimate - the charge's insurance applications
//   patient portion   = charge - insured estimate - the charge's other applications
//   Insurance money beyond the estimate pays the patient portion, but only up to the
//   patient's share of the charge (charge - estimate, when positive): what the insurers paid
//   beyond the whole charge stays on the insurance side, negative (owed back to the
//   insurer), instead of becoming the patient's credit.
// Both portions go to the bucket of the charge's service date: 0-30 days before the as-of
// date is current, 31-60, 61-90, then over 90; a date after the as-of date is future.
// Without future amounts, a future charge and every application made to it are left out.
// Credits: applications to no charge (the patient's credit), to a charge that does not count
// (deleted, or a line of a claim not yet invoiced) or to a charge unknown to the ledger. Their
// sum reduces the same side (patient or insurance) of their own producer, oldest bucket first
// (over 90, 61-90, 31-60, current), never taking a bucket below zero; what is left stays
// negative in current. A negative sum (more taken back from the credit than put in) is owed
// in current.
// Producers: a charge is credited to its producer (an office charge to "D" + its billing
// doctor), or, when grouping by billing doctor, to "D" + its billing doctor (a line without
// billing doctor keeps its producer). An application counts under its charge's producer; a
// credit under its own producer (PAPP_PRODUCER), or, when grouping by billing doctor, under
// "D" + its billing doctor (PAPP_BILLDR) when it has one, else its producer.
// Totals: total = current + 31-60 + 61-90 + over 90 (future apart); the total group is the
// patient group plus the insurance group, column by column.
// The account's additional amount (ACC_ADD_AMT) is owed by the patient outside the ledger:
// no producer's receivable holds it and the stored balances leave it out. AddAccountAmount
// puts it where a report shows it (patient and total groups, current and total); a report
// that adds it prints it on a line of its own beside its producers, so that every total
// stays the sum of its lines.
// Stored account balances (always with future amounts, by producer, as of ACC_AGED_DATE):
//   ACC_PAT_BAL = patient total + patient future, ACC_INS_BAL = insurance total + future,
//   ACC_PAT_CUR/30/60/90 and ACC_INS_CUR/30/60/90 the aged buckets, ACC_PAT_FUT, ACC_INS_FUT.
// Amounts: the tables hold 32-bit amounts, and the ledger readers refuse a row beyond that
// range. Given more through this interface, AgeLedger and AddAccountAmount take each amount
// at the nearest bound of that range, ChargePortions each of its sums within +-2^61, and
// AddAccountAmount stops a column at the 64-bit bound: nothing overflows.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace host::calc {

// Columns of an aged amount: current (0-30 days), 31-60, 61-90, over 90, total of the four,
// future.
enum AgedIndex { kCurrent = 0, k30 = 1, k60 = 2, k90 = 3, kTotal = 4, kFuture = 5 };

struct Aged {
    int64_t v[6] = {};
    // The part of the over-90 column owed on charges served more than 365 days before the
    // as-of date (credits take it first, being the oldest).
    int64_t over_year = 0;
    Aged& operator+=(const Aged& o) {
        for (int i = 0; i < 6; ++i)
            v[i] += o.v[i];
        over_year += o.over_year;
        return *this;
    }
    bool operator==(const Aged& o) const = default;
    bool IsZero() const { return *this == Aged{}; }
};

// One producer's receivable: patient, insurance and total groups.
struct AgedGroups {
    Aged pat, ins, tot;
    AgedGroups& operator+=(const AgedGroups& o) {
        pat += o.pat;
        ins += o.ins;
        tot += o.tot;
        return *this;
    }
    bool operator==(const AgedGroups& o) const = default;
};

// A charge of the ledger.
struct LedgerCharge {
    long id = 0;          // CTRT_ID, or POCH_ID for an office charge
    bool office = false;  // an office charge (applications of record type 'O')
    long patient = 0;
    long date = 0;             // service date: CTRT_DATE or POCH_DATE
    long deleted = 0;          // CTRT_DEL_DATE or POCH_DELDATE, 0 for none
    std::string producer;      // CTRT_PRODUCER; for an office charge "D" + POCH_BILLDR
    std::string billdr;        // CTRT_BILL_DOC or POCH_BILLDR
    int64_t total = 0;         // CTRT_TOTAL or POCH_TOTAL
    char adj_flag = '\0';      // CTRT_ADJ_FLAG: 'S' adds adj_amount, 'D' takes it off
    int64_t adj_amount = 0;    // CTRT_ADJ_AMT
    int64_t ins_estimate = 0;  // CTRT_INS_TOTAL; 0 for an office charge
};

// An application of a payment, adjustment or transfer.
struct LedgerApplication {
    long date = 0;                  // PAPP_DATE
    char type = 'P';                // PAPP_TYPE: 'I' insurer, anything else patient
    char rectype = 'T';             // PAPP_RECTYPE: 'T' treatment, 'O' office charge, 'P' credit
    long charge_id = 0;             // PAPP_CTRTID or PAPP_POCHID
    int64_t amount = 0;             // PAPP_AMOUNT
    std::string producer, billdr;   // PAPP_PRODUCER, PAPP_BILLDR (used for credits)
    long patient = 0;               // PAPP_PATID
    long payment_undone = 0;        // its payment's APMT_DELDATE, 0 for none
    bool payment_reversed = false;  // its payment's APMT_REVERSED is 'Y'
    long payment = 0;               // PAPP_APMTID
};

struct AgingOptions {
    long as_of = 0;
    bool by_billing_doctor = false;
    bool include_future = true;
};

// The bucket of a service date as of a date: kCurrent..k90, or kFuture after it. A date that
// is not a real date is current.
AgedIndex AgeBucket(long date, long as_of);

// A charge's amount: its total with its adjustment (CTRT_ADJ_FLAG 'S': CTRT_ADJ_AMT added,
// 'D': taken off, anything else: none).
int64_t ChargeAmount(int64_t total, char adj_flag, int64_t adj_amount);

// What one charge still owes on each side, given what was applied to it (rules above).
struct Portions {
    int64_t pat = 0, ins = 0;
};
Portions ChargePortions(int64_t charge, int64_t ins_estimate, int64_t pat_applied,
                        int64_t ins_applied);

// True when an application counts as of a date: dated on or before it, and its payment not
// undone then.
bool ApplicationCounts(const LedgerApplication& application, long as_of);

// The receivable of a ledger (an account's or a patient's charges and applications), by
// producer code (or billing doctor's producer code). Producers whose every amount is zero
// are left out.
std::map<std::string, AgedGroups> AgeLedger(const std::vector<LedgerCharge>& charges,
                                            const std::vector<LedgerApplication>& applications,
                                            const AgingOptions& options);

// Sum of every producer's groups.
AgedGroups SumGroups(const std::map<std::string, AgedGroups>& by_producer);

// Adds an account's additional amount (ACC_ADD_AMT) to its groups: the patient group's and
// the total group's current and total columns.
void AddAccountAmount(AgedGroups* groups, int64_t additional_amount);

// The balances an account stores (ACCOUNT columns of the same names).
struct StoredBalances {
    long aged_date = 0;
    int64_t pat_bal = 0, ins_bal = 0;
    int64_t pat[4] = {}, ins[4] = {};  // current, 31-60, 61-90, over 90
    int64_t pat_fut = 0, ins_fut = 0;
    bool operator==(const StoredBalances& o) const = default;
};

// The stored balances of an account's ledger as of a date (future amounts included,
// grouped by producer).
StoredBalances ComputeStoredBalances(const std::vector<LedgerCharge>& charges,
                                     const std::vector<LedgerApplication>& applications,
                                     long as_of);
// The same from groups already summed over the producers.
StoredBalances StoredBalancesOf(const AgedGroups& all, long as_of);

// ---------------------------------------------------------------------------------------
// Which accounts the receivable reports list.
//
// An account counts as of a date unless it was deleted on or before that date (status 'D'
// with a deletion date not after it) or is inactive ('Y').
// A zero-balance account owes nothing and is owed nothing, now or in the future, on either
// side, and has no payment-plan balance; only overdue choice 1 lists it.
// Overdue choices, tested on the amounts the report lists for the account (one producer's,
// or every producer's with the account's additional amount):
//   1 every account;
//   2 every account that is not a zero-balance account;
//   3 to 6 an account that owes more than the minimum balance from bucket k - 3 (current,
//     31-60, 61-90, over 90) and older, on the patient side, the insurance side or both
//     together;
//   7 the same for the amounts older than a year (charges served more than 365 days before
//     the as-of date);
//   8 no age criterion: an account whose patient, insurance or combined total is greater
//     than the minimum balance.
// Any other choice lists nothing.
bool AccountCounts(char status, long delete_date, char inactive, long as_of);
bool ZeroBalance(const AgedGroups& listed, int64_t plan_balance);
bool ListedUnderOverdue(const AgedGroups& listed, int64_t plan_balance, int overdue,
                        int64_t min_balance);

}  // namespace host::calc
