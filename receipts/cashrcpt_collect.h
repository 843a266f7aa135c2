// The cash receipts: the criteria (defaults kept in row 4 of the options table), the lines
// and the collector (the only code of this report that reads the database). Every applied
// part of a payment of the date range that is not reversed is one line per payment and per
// claim, office charge or patient it paid; lines are sorted by name, medical number or
// payment code, and grouped by billing doctor on demand.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/report_run.h"

class LauncherInfo;
class TMeter;

namespace cashrcpt {

struct Criteria {
    long from = 0;
    long to = 0;
    short copies = 1;
    char from_dr[5] = "";  // billing doctor codes (PAPP_BILLDR), inclusive
    char to_dr[5] = "";
    char sort = 'P';   // 'P' patient name, 'M' medical number, 'A' payment code
    char group = 'N';  // 'Y' groups and totals by billing doctor
};

// The first of the month to today, one copy, by name, not grouped.
Criteria DefaultCriteria(long today);

// Who an application paid.
enum OwnerKind : short { kTreatment = 17, kPatient = 2, kOfficeCharge = 46 };

// One line (CashReceiptsElem): a payment's applications to one claim, office charge or
// patient, summed.
struct CashReceiptsElem {
    long payment_id = 0;
    std::string billdr;
    short owner = kTreatment;
    long patient_id = 0;
    long office_charge_id = 0;
    long treatment_id = 0;
    long date = 0;
    std::string trxno;
    char type = ' ';
    char rectype = ' ';
    std::string code;
    std::string claim;  // claim number, or the office charge's service number
    std::string last_name;
    std::string first_name;
    std::string med_no;
    int64_t amount = 0;  // cents
};

struct Group {
    std::string billdr;   // empty without grouping
    std::string heading;  // "01 - Tremblay, Marie"
    std::vector<CashReceiptsElem> lines;
    int64_t total = 0;
};

struct CashReceiptsData {
    Criteria criteria;
    std::vector<Group> groups;
    int64_t total = 0;
    size_t Count() const;
};

// The text key a line sorts by under the criteria's order (the billing doctor blank
// without grouping).
std::string SortKey(const CashReceiptsElem& e, char sort, bool grouped);

// "FROM <p>PMTAPP INNER JOIN <p>ACCPMT ... WHERE ...": the report's applications with
// their payments, treatments, claims, office charges and patients, for these criteria
// (values escaped).
std::string Condition(const Criteria& c, const std::string& prefix);

struct CollectRequest {
    Criteria criteria;
    LauncherInfo* launcher = nullptr;
    TMeter* meter = nullptr;
};

using reports::Outcome;

Outcome Collect(const CollectRequest& request, CashReceiptsData* out, std::string* error);

}  // namespace cashrcpt
