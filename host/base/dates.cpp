#include "host/base/dates.h"

#include <cstdio>
#include <ctime>
#include <mutex>

namespace {

long g_fixed_today = 0;
int g_fixed_h = -1, g_fixed_m = 0, g_fixed_s = 0;
std::mutex g_clock_mutex;

// Days since 1970-01-01 of a civil date (proleptic Gregorian).
long DaysFromCivil(int y, int m, int d) {
    y -= m <= 2;
    const long era = (y >= 0 ? y : y - 399) / 400;
    const long yoe = y - era * 400;
    const long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(long z, int* y, int* m, int* d) {
    z += 719468;
    const long era = (z >= 0 ? z : z - 146096) / 146097;
    const long doe = z - era * 146097;
    const long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long mp = (5 * doy + 2) / 153;
    *d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    *m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    *y = static_cast<int>(yoe + era * 400 + (*m <= 2));
}

const char* const kMonths[] = {"janvier",   "février", "mars",     "avril",
                               "mai",       "juin",    "juillet",  "août",
                               "septembre", "octobre", "novembre", "décembre"};
const char* const kMonthAbbrev[] = {"janv.", "févr.", "mars",  "avr.", "mai",  "juin",
                                    "juil.", "août",  "sept.", "oct.", "nov.", "déc."};

}  // namespace

namespace host {

int DaysInMonth(int year, int month) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    if (month == 2) {
        const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
        return leap ? 29 : 28;
    }
    return kDays[month - 1];
}

bool IsValidDate(long date) {
    if (date <= 0) return false;
    const int y = static_cast<int>(date / 10000), m = static_cast<int>(date / 100 % 100),
              d = static_cast<int>(date % 100);
    return y >= 1 && y <= 9999 && m >= 1 && m <= 12 && d >= 1 && d <= DaysInMonth(y, m);
}

long MonthEnd(long date) {
    if (!IsValidDate(date)) return 0;
    const int y = static_cast<int>(date / 10000), m = static_cast<int>(date / 100 % 100);
    return date / 100 * 100 + DaysInMonth(y, m);
}

long AddMonths(long date, int months) {
    if (!IsValidDate(date)) return 0;
    int y = static_cast<int>(date / 10000), m = static_cast<int>(date / 100 % 100);
    int d = static_cast<int>(date % 100);
    long total = static_cast<long>(y) * 12 + (m - 1) + months;
    if (total < 12) return 0;
    y = static_cast<int>(total / 12);
    m = static_cast<int>(total % 12) + 1;
    if (d > DaysInMonth(y, m)) d = DaysInMonth(y, m);
    return DMYtoDate(d, m, y);
}

std::string FormatDate(long date, int format) {
    char buf[40];
    return ldate_to_str1(buf, date, format);
}

std::string Dmy(long date) {
    return date ? FormatDate(date, DATE_FMT_DMY) : std::string();
}

bool ParseDate(const std::string& text, long* out) {
    int a = 0, b = 0, c = 0;
    char tail = 0;
    long date = 0;
    if (text.size() == 8 && text.find_first_not_of("0123456789") == std::string::npos) {
        date = std::stol(text);
    } else if (std::sscanf(text.c_str(), "%4d-%2d-%2d%c", &a, &b, &c, &tail) == 3 &&
               text.size() == 10) {
        date = DMYtoDate(c, b, a);
    } else if (std::sscanf(text.c_str(), "%2d/%2d/%4d%c", &a, &b, &c, &tail) == 3 &&
               text.size() == 10) {
        date = DMYtoDate(a, b, c);
    } else {
        return false;
    }
    if (!IsValidDate(date)) return false;
    *out = date;
    return true;
}

const char* MonthName(int month) {
    return month >= 1 && month <= 12 ? kMonths[month - 1] : "";
}

void SetFixedToday(long date) {
    std::lock_guard lock(g_clock_mutex);
    g_fixed_today = IsValidDate(date) ? date : 0;
}

void SetFixedTime(int hour, int minute, int second) {
    std::lock_guard lock(g_clock_mutex);
    g_fixed_h = hour;
    g_fixed_m = minute;
    g_fixed_s = second;
}

void Now(int* hour, int* minute, int* second) {
    {
        std::lock_guard lock(g_clock_mutex);
        if (g_fixed_h >= 0) {
            if (hour) *hour = g_fixed_h;
            if (minute) *minute = g_fixed_m;
            if (second) *second = g_fixed_s;
            return;
        }
    }
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    if (hour) *hour = tm.tm_hour;
    if (minute) *minute = tm.tm_min;
    if (second) *second = tm.tm_sec;
}

std::string TimeText() {
    int h, m, s;
    Now(&h, &m, &s);
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", h, m, s);
    return buf;
}

}  // namespace host

long ldate_today() {
    {
        std::lock_guard lock(g_clock_mutex);
        if (g_fixed_today) return g_fixed_today;
    }
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    return (tm.tm_year + 1900) * 10000L + (tm.tm_mon + 1) * 100L + tm.tm_mday;
}

void sepldat(long date, int* year, int* month, int* day) {
    if (date < 0) date = 0;
    if (year) *year = static_cast<int>(date / 10000);
    if (month) *month = static_cast<int>(date / 100 % 100);
    if (day) *day = static_cast<int>(date % 100);
}

long DMYtoDate(int day, int month, int year) {
    const long date = year * 10000L + month * 100L + day;
    if (day < 1 || month < 1 || month > 12 || year < 1 || year > 9999) return 0;
    return host::IsValidDate(date) ? date : 0;
}

void DateToDMY(long date, int* day, int* month, int* year) {
    sepldat(date, year, month, day);
}

long incr_date(long date, long days) {
    if (!host::IsValidDate(date)) return 0;
    int y, m, d;
    sepldat(date, &y, &m, &d);
    CivilFromDays(DaysFromCivil(y, m, d) + days, &y, &m, &d);
    if (y < 1 || y > 9999) return 0;
    return y * 10000L + m * 100L + d;
}

long daysdiff_betweendates(long a, long b) {
    if (!host::IsValidDate(a) || !host::IsValidDate(b)) return 0;
    int ya, ma, da, yb, mb, db;
    sepldat(a, &ya, &ma, &da);
    sepldat(b, &yb, &mb, &db);
    return DaysFromCivil(yb, mb, db) - DaysFromCivil(ya, ma, da);
}

char* ldate_to_str1(char* buf, long date, int format) {
    buf[0] = '\0';
    if (!host::IsValidDate(date)) return buf;
    int y, m, d;
    sepldat(date, &y, &m, &d);
    switch (format) {
        case DATE_FMT_LONG:
            std::snprintf(buf, 32, "%d %s %04d", d, kMonths[m - 1], y);
            break;
        case DATE_FMT_ISO:
            std::snprintf(buf, 32, "%04d-%02d-%02d", y, m, d);
            break;
        case DATE_FMT_DMY2:
            std::snprintf(buf, 32, "%02d/%02d/%02d", d, m, y % 100);
            break;
        case DATE_FMT_ABBREV:
            std::snprintf(buf, 32, "%02d %s %04d", d, kMonthAbbrev[m - 1], y);
            break;
        case DATE_FMT_DMY:
        default:
            std::snprintf(buf, 32, "%02d/%02d/%04d", d, m, y);
            break;
    }
    return buf;
}

TDatePeriodObj::TDatePeriodObj(long date) {
    if (!host::IsValidDate(date)) return;
    first_ = date / 100 * 100 + 1;
    last_ = host::MonthEnd(date);
}
