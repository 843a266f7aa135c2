// The revenue distribution's rows: what the collector (revdist_collect.h) reads from the
// practice and every renderer (RevDistObj, the data table of revdist_tables.h) lays out.
// Each rule is one row with its seven amounts; a group's totals are the sum of its rows,
// computed once by GroupTotal.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace revdist {

// The seven amounts of a rule, and of a group's totals (cents).
struct Amounts {
    int64_t payments = 0;     // regular payments of the report date
    int64_t pmt_adjust = 0;   // adjustments that count as payments, of the report date
    int64_t lab = 0;          // payments of laboratory lines, of the report date
    int64_t day_total = 0;    // the three above
    int64_t month_total = 0;  // from the month's first day to the report date
    int64_t day_share = 0;    // the rule's share of the day total
    int64_t month_share = 0;  // the rule's share of the month total

    Amounts& operator+=(const Amounts& o);
    bool operator==(const Amounts&) const = default;
};

// One distribution rule: the payments of one billing doctor's patients treated by one
// producer, shared to the group's practitioner at a percentage.
struct RuleRow {
    long rule_id = 0;
    std::string group;          // producer code of the group's practitioner
    std::string billdr;         // billing doctor code ("01")
    std::string producer;       // producer code ("H01")
    int32_t percent = 0;        // hundredths of a percent (10000 = 100.00 %)
    bool remainder = false;     // absorbs the rounding remainder of its billing doctor and producer
    std::string billdr_name;    // "Tremblay, Marie", or the code when no record names it
    std::string producer_name;  // likewise
    Amounts amounts;
    int64_t day_remainder = 0;    // part of day_share
    int64_t month_remainder = 0;  // part of month_share
};

// The rules of one group as the report prints them: consecutive rules (in file order)
// with the same group code.
struct GroupRow {
    std::string code;
    std::string practitioner;  // "Dre Marie Tremblay (D01)"
    std::vector<RuleRow> rules;
};

struct RevDistData {
    long report_date = 0;
    bool by_doctor = false;  // restricted to one billing doctor's rules
    std::string doctor;      // that billing doctor's code
    std::vector<GroupRow> groups;
};

// The share of total at percent (hundredths of a percent), rounded half up:
// truncation of (total x percent / 10000 + 0.5), exact in integers.
int64_t Share(int64_t total, int32_t percent);

// A group's totals: the sum of its rules' amounts.
Amounts GroupTotal(const GroupRow& group);

}  // namespace revdist
