// The patients without insurance: rows and collector. The patients are walked by name; a
// deleted patient is not counted; a patient passed over by the student or status choice
// counts as insured; a patient is printed when they have no policy membership or, with
// the check of active policies, no active one.
#pragma once

#include <string>
#include <vector>

#include "common/report_run.h"

class LauncherInfo;
class TMeter;

namespace noins {

struct Criteria {
    bool check_active = false;  // a patient whose memberships are all inactive is printed
    short students_only = 0;    // non-zero: only students can be printed
    char status = '*';          // '*' or blank: every status
};

struct PatientRow {
    long id = 0;
    std::string last_name;
    std::string first_name;
    long birthdate = 0;
    std::string chart;
    std::string doctor;
    char student = 'N';
    std::string home_phone;
    std::string work_phone;
    long last_claim = 0;
    char status = 'A';
};

struct NoInsData {
    Criteria criteria;
    long today = 0;
    std::vector<PatientRow> printed;
    long counted = 0;  // printed plus passed over; deleted patients are not counted
};

// The share printed of counted, in percent, computed in single precision as the report
// prints it; 0 when nobody was counted.
float Percent(const NoInsData& data);

struct CollectRequest {
    Criteria criteria;
    LauncherInfo* launcher = nullptr;
    TMeter* meter = nullptr;
};

using reports::Outcome;

Outcome Collect(const CollectRequest& request, NoInsData* out, std::string* error);

}  // namespace noins
