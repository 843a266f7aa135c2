// The practice's calendar: the days it is open (Monday to Saturday, closed on Quebec's
// statutory holidays, between Christmas and New Year and for the two weeks of the
// construction holiday in July). Days are handled as indexes from the first day.
#pragma once

#include <vector>

namespace demo {

class Rng;

class Calendar {
  public:
    // Covers every day from first to last (YYYYMMDD).
    Calendar(long first, long last);

    int size() const { return static_cast<int>(dates_.size()); }
    long Date(int index) const;
    // Index of a date within the calendar (negative before it, size() or more after it).
    int Index(long date) const;
    bool Open(int index) const;
    // 0 = Monday ... 6 = Sunday.
    int Weekday(int index) const { return (first_weekday_ + index) % 7; }
    // The first open day at or after index (size() when there is none).
    int NextOpen(int index) const;
    // The last open day at or before index (-1 when there is none).
    int PrevOpen(int index) const;
    // The open day n open days after index (index itself when it is open and n is 0).
    int AddOpenDays(int index, int n) const;
    // An open day on or after index for a visit or an errand: moved past a Saturday more often
    // than not (Saturdays are about half as busy), and spread over the days after a closure
    // rather than all on the first.
    int VisitDay(int index, Rng& rng) const;
    // The last day of the month of index.
    int MonthEnd(int index) const;

  private:
    std::vector<long> dates_;
    std::vector<char> open_;
    long first_ = 0;
    int first_weekday_ = 0;
};

// 0 = Monday ... 6 = Sunday.
int WeekdayOf(long date);

}  // namespace demo
