// The appointment list: the appointments of a period (deleted ones left out), by day, then
// producer, then time and chair; one producer or chair, or all of them. The day-end's
// closing prints it for the day with the default criteria and may keep a copy of it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/report_run.h"

class LauncherInfo;
class TMeter;

namespace apptlist {

struct Criteria {
    long from = 0;
    long to = 0;
    std::string producer = "*";  // "*" or blank: every producer
    std::string chair = "*";     // "*" or blank: every chair
    bool missed = true;          // list the missed appointments (status 'B') too
};

// The criteria of the closing's list: the day, everybody, missed appointments included.
Criteria DefaultCriteria(long day);

struct ApptRow {
    long id = 0;
    long date = 0;
    int time = 0;   // HHMM
    int units = 0;  // length in the appointment book's units
    std::string chair;
    std::string producer;
    char status = 'S';     // S scheduled, C came, B missed
    char confirmed = 'N';  // Y: the patient confirmed
    std::string type;
    std::string procedure;
    long patient = 0;  // 0 when the patient record is missing
    long account = 0;
    std::string last_name;
    std::string first_name;
    std::string home_phone;
    std::string work_phone;
};

// The appointments of one producer on one day, in time order.
struct ProducerGroup {
    std::string producer;
    std::string name;  // first and last name; empty when the code is not a producer's
    std::vector<ApptRow> rows;
    int64_t Units() const;
};

struct DayGroup {
    long date = 0;
    std::vector<ProducerGroup> producers;
    size_t Count() const;
    int64_t Units() const;
};

struct ApptData {
    Criteria criteria;
    std::vector<DayGroup> days;
    size_t Count() const;
    int64_t Units() const;
};

struct CollectRequest {
    Criteria criteria;
    LauncherInfo* launcher = nullptr;
    TMeter* meter = nullptr;
};

using reports::Outcome;

Outcome Collect(const CollectRequest& request, ApptData* out, std::string* error);

}  // namespace apptlist
