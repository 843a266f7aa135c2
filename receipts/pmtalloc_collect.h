// The payment allocations: the criteria, the rows and the collector (the only code of this
// report that reads the database). Each payment application of the date range whose
// payment passes the choices (patient and insurance payments, adjustments, one insurer,
// one practitioner) is one row; with grouping, the rows are grouped by producer or by
// billing doctor, each group under its practitioner's heading.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/report_run.h"

class LauncherInfo;
class TMeter;

namespace pmtalloc {

struct Criteria {
    long from = 0;
    long to = 0;
    char order_by = 'P';       // 'P' producer, otherwise billing doctor
    std::string practitioner;  // billing doctor code; empty or "*" for all
    char group = 'Y';          // 'Y' groups the rows by practitioner
    char patient = 'Y';        // patient payments
    char insurance = 'Y';      // insurance payments
    char adjustments = 'N';    // 'N': payments only
    std::string payor;         // insurer code; empty or "*" for all
};

// Defaults on today: the first of the month to today, every kind of payment, grouped by
// producer.
Criteria DefaultCriteria(long today);

struct Row {
    long papp_id = 0;
    long apmt_id = 0;
    int64_t amount = 0;  // cents
    std::string producer;
    std::string billdr;
    std::string trxno;
    std::string code;
    char type = ' ';     // 'P' patient, 'I' insurance
    char rectype = ' ';  // 'P' payment, 'A' adjustment
    std::string description;
    std::string account;  // "Last, First"
    long date = 0;
    std::string payor;
};

struct Group {
    std::string code;     // producer or billing doctor code; empty without grouping
    std::string heading;  // "D01 - Tremblay, Marie"
    std::vector<Row> rows;
    int64_t total = 0;
};

struct PmtAllocData {
    Criteria criteria;
    std::vector<Group> groups;
    int64_t total = 0;
    size_t Count() const;
};

// " FROM <p>PMTAPP,<p>ACCPMT,<p>ACCOUNT WHERE ..." for these criteria (values escaped).
std::string Condition(const Criteria& c, const std::string& prefix);

struct CollectRequest {
    Criteria criteria;
    LauncherInfo* launcher = nullptr;
    TMeter* meter = nullptr;
};

using reports::Outcome;

Outcome Collect(const CollectRequest& request, PmtAllocData* out, std::string* error);

}  // namespace pmtalloc
