// The daily deposit (day trial): the criteria, the deposit rows of one day and the
// collector, the only code of the report that reads the database.
//
// A row is one payment ('K') or adjustment ('M') of the account payments, listed on the day
// it is deposited: its date, or its entry date when it was entered after its date. Rows
// marked for today's deposit (flag 'Y') go to group 'A'; the others, and every payment whose
// code is a direct deposit, to group 'B'. Rows are gathered bank by bank, then by group,
// kind and payment code.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/report_run.h"

class LauncherInfo;
class TMeter;

namespace deposit {

struct Criteria {
    long date = 0;                   // the deposit day
    bool by_doctor = false;          // only the part of each payment applied to `doctor`
    std::string doctor;              // billing doctor code, with by_doctor
    short adj_subtotals = 0;         // adjustments subtotalled by code, like payments
    short worksheet = 1;             // the cash breakdown worksheet after each bank
    bool adjustments_sheet = false;  // also rows not marked for deposit
    bool cash_subtotals = false;     // template formula "InclCashSubTotals"
    bool break_direct = false;       // template formula "BreakonDirectDep"
    short copies = 1;
};

// One payment or adjustment of the day.
struct stDayTrialElem {
    char group = 'A';  // 'A' today's deposit, 'B' direct deposit or other
    char kind = 'K';   // 'K' payment, 'M' adjustment
    std::string bank;
    std::string payer;      // "Last, First" of the account, or the insurer's name
    char payer_type = 'P';  // 'P' account holder, 'I' insurer
    std::string code;       // payment or adjustment code
    std::string code_desc;  // the payment code's description
    std::string descrip;    // the row's own description
    std::string trxno;
    long id = 0;
    long account = 0;
    long date = 0;
    long sysdate = 0;
    int64_t amount = 0;  // cents
};

// The service charge of one payment code of a section: the bank's rate on each payment,
// truncated toward zero payment by payment, summed.
struct stSChgElem {
    std::string code;
    std::string desc;
    int rate = 0;        // hundredths of a per cent (250 = 2.5 %)
    int64_t charge = 0;  // cents
};

struct Section {
    char group = 'A';
    char kind = 'K';
    std::vector<stDayTrialElem> lines;
    std::vector<stSChgElem> charges;  // payments only, codes with a rate
    int64_t total = 0;
    int64_t ChargeTotal() const;
};

struct BankDeposit {
    std::string code;
    std::string name;
    std::string addr1;
    std::string city;
    std::string prov;
    std::string postal;
    std::vector<Section> sections;  // A/K, A/M, B/K, B/M, those that have rows

    int64_t Total(char group, char kind) const;
    int64_t Charges(char group) const;
    // The bank slip: today's payments and the adjustments made to them.
    int64_t Slip() const { return Total('A', 'K') + Total('A', 'M'); }
    // The direct deposits and their adjustments.
    int64_t Direct() const { return Total('B', 'K') + Total('B', 'M'); }
    // Everything recorded for the bank today.
    int64_t Recorded() const { return Slip() + Direct(); }
};

struct DayTrialData {
    Criteria criteria;
    std::string cash_code;  // the cash payment code of the worksheet
    std::string cash_desc;
    std::string doctor_line;  // "Dre Marie Tremblay (01)" with a doctor, else ""
    std::string practice;     // the practice's name, for the footer
    std::vector<BankDeposit> banks;

    size_t Count() const;
    // Every bank's payments (both groups), and adjustments.
    int64_t Payments() const;
    int64_t Adjustments() const;
    bool HasOtherAdjustments() const;  // some bank has a B/M section
};

// A payment's service charge at a code's rate (hundredths of a per cent), computed in
// floating point and truncated toward zero: 10000 cents at 250 is 250 cents.
int64_t ServiceCharge(int64_t amount, int rate);

// The row filter of the day (values escaped), after "FROM <p>ACCPMT WHERE ".
std::string DayCondition(const Criteria& c);

struct CollectRequest {
    Criteria criteria;
    LauncherInfo* launcher = nullptr;
    TMeter* meter = nullptr;
    int calc_mode = 1;  // 1 from the payment table, else from the day sheet
};

using reports::Outcome;

Outcome Collect(const CollectRequest& request, DayTrialData* out, std::string* error);

}  // namespace deposit
