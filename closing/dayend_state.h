// The practice's day-end state (DAYEND, one row) and the records of each day (DAYDET):
// which day was last closed, which days' reports were printed. Closing a day is one act:
// the last closed day, the day's record (closed, printed) and the closing tasks' rows are
// written in one transaction under the practice's closing lock, so that a run killed at
// any moment leaves the day either closed with all its effects or not closed at all, and
// two workstations closing the same day cannot both do it.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace host {
class GenDB;
}
using host::GenDB;
class LauncherInfo;

namespace dayend {

struct DayEndState {
    bool found = false;  // the practice's day-end record exists
    long last_day = 0;   // the last closed day
    long month_end = 0;  // the last month-end
    char printed = 'N';  // the last closed day's report was printed
};

// Reads the day-end record; false with *error when the database cannot be read (a missing
// record is found == false, not an error).
bool ReadState(GenDB& db, DayEndState* state, std::string* error);

// Days before `date` whose day record exists and whose report was never printed, in record
// order.
bool UnprintedDays(GenDB& db, long date, std::vector<long>* days, std::string* error);

// Runs body in one transaction under the practice's closing lock (shared by the day-end and
// the month-end): committed when body returns true, rolled back otherwise. False with
// *error when the lock cannot be had, the transaction refuses, or body fails.
bool UnderClosingLock(GenDB& db, std::string* error, const std::function<bool()>& body);

enum class CloseResult { Closed, AlreadyClosed, Failed };

// Closes `date`: the last closed day becomes date (never goes back), the day's record is
// marked closed (and printed when `printed`), and `tasks` (the closing tasks' own writes)
// run inside the same transaction. AlreadyClosed, with nothing changed, when the day (or a
// later one) is already closed: another workstation closed it first. Failed with *error
// when the lock or the database refuses; nothing is then changed.
CloseResult CloseDay(GenDB& db, long date, bool printed,
                     const std::function<bool(GenDB&, std::string*)>& tasks, std::string* error);

// Marks the report of `date` printed (its day record, created when missing), in one
// transaction.
bool MarkPrinted(GenDB& db, long date, std::string* error);

// Moves the last closed day forward to `date` without closing it (the earlier days left
// open are accepted as done).
bool UpdateLastDay(GenDB& db, long date, std::string* error);

}  // namespace dayend
