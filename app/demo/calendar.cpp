#include "app/demo/calendar.h"

#include <algorithm>

#include "app/demo/rng.h"
#include "host/base/dates.h"

namespace demo {
namespace {

// Easter Sunday of a year (anonymous Gregorian algorithm).
long EasterSunday(int y) {
    const int a = y % 19, b = y / 100, c = y % 100, d = b / 4, e = b % 4;
    const int f = (b + 8) / 25, g = (b - f + 1) / 3, h = (19 * a + b - d - g + 15) % 30;
    const int i = c / 4, k = c % 4, l = (32 + 2 * e + 2 * i - h - k) % 7;
    const int m = (a + 11 * h + 22 * l) / 451;
    const int month = (h + l - 7 * m + 114) / 31, day = (h + l - 7 * m + 114) % 31 + 1;
    return DMYtoDate(day, month, y);
}

// The n-th given weekday (0 = Monday) of a month.
long NthWeekday(int year, int month, int weekday, int n) {
    long d = DMYtoDate(1, month, year);
    while (WeekdayOf(d) != weekday)
        d = incr_date(d, 1);
    return incr_date(d, 7L * (n - 1));
}

bool Holiday(long date) {
    int y = 0, m = 0, d = 0;
    sepldat(date, &y, &m, &d);
    const int md = m * 100 + d;
    if (md == 101 || md == 102 || md == 624 || md >= 1224) return true;
    if (md == 701 || (md == 702 && WeekdayOf(date) == 0)) return true;
    const long easter = EasterSunday(y);
    if (date == incr_date(easter, -2) || date == incr_date(easter, 1)) return true;
    // Journée nationale des patriotes: the Monday before May 25.
    long patriotes = DMYtoDate(24, 5, y);
    while (WeekdayOf(patriotes) != 0)
        patriotes = incr_date(patriotes, -1);
    if (date == patriotes) return true;
    if (date == NthWeekday(y, 9, 0, 1) || date == NthWeekday(y, 10, 0, 2)) return true;
    // Construction holiday: the two weeks from the Monday of the week holding July 20.
    long start = DMYtoDate(20, 7, y);
    while (WeekdayOf(start) != 0)
        start = incr_date(start, -1);
    const long gap = daysdiff_betweendates(start, date);
    return gap >= 0 && gap < 14;
}

}  // namespace

int WeekdayOf(long date) {
    // Sakamoto's method gives 0 = Sunday; shift to 0 = Monday.
    static const int t[] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
    int y = 0, m = 0, d = 0;
    sepldat(date, &y, &m, &d);
    if (m < 3) y -= 1;
    const int sunday_based = (y + y / 4 - y / 100 + y / 400 + t[m - 1] + d) % 7;
    return (sunday_based + 6) % 7;
}

Calendar::Calendar(long first, long last) : first_(first) {
    first_weekday_ = WeekdayOf(first);
    for (long d = first; d != 0 && d <= last; d = incr_date(d, 1)) {
        dates_.push_back(d);
        const int wd = WeekdayOf(d);
        open_.push_back(wd != 6 && !Holiday(d) ? 1 : 0);
    }
}

long Calendar::Date(int index) const {
    if (index >= 0 && index < size()) return dates_[static_cast<size_t>(index)];
    return incr_date(first_, index);
}

int Calendar::Index(long date) const {
    return static_cast<int>(daysdiff_betweendates(first_, date));
}

bool Calendar::Open(int index) const {
    return index >= 0 && index < size() && open_[static_cast<size_t>(index)];
}

int Calendar::NextOpen(int index) const {
    if (index < 0) index = 0;
    while (index < size() && !open_[static_cast<size_t>(index)])
        ++index;
    return index;
}

int Calendar::PrevOpen(int index) const {
    if (index >= size()) index = size() - 1;
    while (index >= 0 && !open_[static_cast<size_t>(index)])
        --index;
    return index;
}

int Calendar::AddOpenDays(int index, int n) const {
    index = NextOpen(index);
    for (int i = 0; i < n && index < size(); ++i)
        index = NextOpen(index + 1);
    return index;
}

int Calendar::VisitDay(int index, Rng& rng) const {
    int day = NextOpen(index);
    if (day < size() && Weekday(day) == 5 && rng.Percent(55)) day = NextOpen(day + 1);
    // What a closure pushes back is spread over the open days after it (three times as many
    // as it lasted), so that the first day back is not swamped.
    const int pushed = day - std::max(index, 0);
    if (pushed > 0) day = AddOpenDays(day, rng.Int(0, 3 * pushed));
    return day;
}

int Calendar::MonthEnd(int index) const {
    const long d = Date(index);
    return Index(host::MonthEnd(d));
}

}  // namespace demo
