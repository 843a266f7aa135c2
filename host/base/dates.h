// Dates of the host: long integers year * 10000 + month * 100 + day (YYYYMMDD), 0 for none.
// "Today" comes from one settable clock so that tests and unattended runs are reproducible.
#pragma once

#include <string>

// Date formats of ldate_to_str1 (French renderings):
//   530  "06/12/2026"       day/month/year, the printed date of the reports
//   569  "6 décembre 2026"  long form, for titles and letters
//   582  "2026-12-06"       ISO form, for file contents and sorting
//   598  "06/12/26"         short form, for narrow columns
//   611  "06 déc. 2026"     abbreviated month, for lists and run stamps
inline constexpr int DATE_FMT_DMY = 530;
inline constexpr int DATE_FMT_LONG = 569;
inline constexpr int DATE_FMT_ISO = 582;
inline constexpr int DATE_FMT_DMY2 = 598;
inline constexpr int DATE_FMT_ABBREV = 611;

// Today's date from the host clock.
long ldate_today();
// Splits a date into its parts (each may be null). 0 gives 0, 0, 0.
void sepldat(long date, int* year, int* month, int* day);
// Builds a date; 0 when the parts do not form a real calendar date.
long DMYtoDate(int day, int month, int year);
// Splits a date into day, month and year (each may be null).
void DateToDMY(long date, int* day, int* month, int* year);
// The date `days` days after `date` (negative steps back); 0 for an invalid date.
long incr_date(long date, long days);
// Days from a to b (b - a); 0 when either date is invalid.
long daysdiff_betweendates(long a, long b);
// Formats date with one of the formats above into buf (at least 32 bytes); empty for 0 or
// an invalid date. Returns buf.
char* ldate_to_str1(char* buf, long date, int format);

// The month of a date: its first and last day bound the month to date of the analyses.
// A date that is not a real date has no month: both bounds are 0 and no date lies in it.
class TDatePeriodObj {
  public:
    explicit TDatePeriodObj(long date);
    long GetFirstDay() const { return first_; }
    long GetLastDay() const { return last_; }
    // True when date lies between the first and the last day (0 never does).
    bool InPeriod(long date) const { return first_ != 0 && date >= first_ && date <= last_; }

  private:
    long first_ = 0, last_ = 0;
};

namespace host {

// True for a real calendar date (20240229 yes, 20230229 and 20240231 no).
bool IsValidDate(long date);
int DaysInMonth(int year, int month);
// The last day of the date's month.
long MonthEnd(long date);
// The same day `months` months later (negative steps back), clamped to the month's end.
long AddMonths(long date, int months);
std::string FormatDate(long date, int format);
// The date as the reports print it, "dd/mm/yyyy"; empty for no date (0).
std::string Dmy(long date);
// Reads "YYYYMMDD", "YYYY-MM-DD" or "DD/MM/YYYY"; false for anything else or a date that
// does not exist.
bool ParseDate(const std::string& text, long* out);
// French month name, 1 = "janvier".
const char* MonthName(int month);

// The host clock. A fixed date or time makes runs reproducible; 0 (or -1 for the time)
// returns to the system clock.
void SetFixedToday(long date);
void SetFixedTime(int hour, int minute, int second);
void Now(int* hour, int* minute, int* second);
// "HH:MM:SS" of Now().
std::string TimeText();

}  // namespace host
