// The month-end closing: the practice's books for a month are closed in one act. The
// producers' brought-forward receivables and year-to-date figures absorb the month, the
// month's day-sheet and day records are removed, the last month-end date is stored and the
// insurance limits due are reset, all in one transaction under the practice's closing lock,
// so that a run killed at any moment leaves the month either closed with all its effects or
// not closed at all, and two workstations closing the same month cannot both do it.
#pragma once

#include <string>
#include <vector>

namespace host {
class GenDB;
}
using host::GenDB;

namespace mthend {

struct Period {
    long first = 0;  // inclusive days (YYYYMMDD)
    long last = 0;
};

// The bounds of a calendar month; {0, 0} when year or month is out of range.
Period MonthPeriod(int year, int month);

struct CloseRequest {
    Period period;
    bool year_end = false;   // also perform the year-end
    long today = 0;          // the run's date (log lines, limit resets)
    std::string log_folder;  // where "monthend.log" is appended ("" = none)
};

enum class CloseResult { Closed, AlreadyClosed, Unprinted, Refused, Failed };

// Days of the period whose day record exists and whose day-end report was never printed,
// in date order.
bool UnprintedDays(GenDB& db, const Period& p, std::vector<long>* days, std::string* error);

// The whole closing, one transaction under the practice's closing lock. Unprinted (with
// *unprinted) when a day of the period lacks its printed day-end report; AlreadyClosed when
// the last month-end is already at or after period.last; Refused (with *error) for a period
// that does not follow the last month-end; Failed (with *error) when the database refuses.
// Nothing is changed unless the result is Closed.
CloseResult PerformMthend(GenDB& db, const CloseRequest& req, std::vector<long>* unprinted,
                          std::string* error);

}  // namespace mthend

class LauncherInfo;

// What the command line shows of a closing.
struct MthendSummary {
    mthend::CloseResult result = mthend::CloseResult::Failed;
    std::vector<long> unprinted;
    std::string error;
};

// The closing as the command line runs it, through the module's export, on the launcher's
// database with its application's calculation mode. False unless the month was closed.
extern "C" bool RapportsCloseMonth(LauncherInfo* launcher, const mthend::CloseRequest* request,
                                   MthendSummary* out);
