// The patients not seen recently: the criteria (kept in row 4 of the options table), the
// rows and the collector. A patient is listed when the criteria's patient condition holds
// (not deleted, status, no claim since the cutoff, doctor range) and, when an activity
// range is given, when a completed or in-progress treatment of theirs is dated in it; the
// list then shows, for each, what is still planned for them.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "common/report_run.h"

class LauncherInfo;
class TMeter;

namespace noact {

struct Criteria {
    char from_dr[5] = "";  // doctor codes (PAT_DOCTOR), inclusive
    char to_dr[5] = "";
    char pending = 'Y';       // list pending treatments
    char plan = 'Y';          // list treatment-plan items
    char recalls = 'Y';       // list recalls
    char appointments = 'Y';  // list appointments
    char sort = 'P';          // 'P' by name, 'D' by doctor then name
    int copies = 1;
    long cutoff = 0;        // last claim strictly before this date (0: any)
    long planned_from = 0;  // recalls and appointments dated from this date (0: all)
    long active_from = 0;   // treated in this range (both 0: no activity test)
    long active_to = 0;
    char status = '*';  // patient status, '*' for all
    char last = 'N';    // kept as stored
};

// The built-in defaults on today: cutoff January 1 of this year, planned items from
// today, activity over the previous calendar year, one copy.
Criteria DefaultCriteria(long today);

// One planned item: a pending treatment, a plan item, a recall or an appointment.
struct Item {
    long date = 0;
    std::string code;  // system code, recall code or appointment code
    std::string description;
    std::string tooth;
    std::string surface;
    std::string producer;
    int64_t total = 0;  // cents (treatments and plan items)
    std::string flag;   // recall booked ('Y'/'N') or appointment status
};

struct PatientRow {
    long id = 0;
    std::string last_name;
    std::string first_name;
    std::string med_no;
    std::string doctor;
    long last_claim = 0;
    std::string chart;
    std::string status;
    long birthdate = 0;
    std::string key;  // sort key
    std::vector<Item> pending, plan, recalls, appointments;
};

struct NoActData {
    Criteria criteria;
    long today = 0;
    std::vector<PatientRow> patients;            // in the chosen order
    std::map<std::string, std::string> doctors;  // code -> "01 - Tremblay, Marie"
};

struct CollectRequest {
    Criteria criteria;
    LauncherInfo* launcher = nullptr;
    TMeter* meter = nullptr;
};

using reports::Outcome;

Outcome Collect(const CollectRequest& request, NoActData* out, std::string* error);

// The patient condition: " FROM <p>PATIENT  WHERE PAT_DELETE_DATE = 0 " with the status,
// cutoff and doctor range (values escaped).
std::string Condition(const Criteria& c, const std::string& prefix);

}  // namespace noact
