// Dates: calendar rules, stepping, formats and the settable clock.
#include <gtest/gtest.h>

#include "host/base/dates.h"

namespace {

TEST(Dates, CalendarValidity) {
    // Leap years: 2024, and 2000 (a 400th year); not 2023, nor 2100 (a century).
    for (long valid : {20240229L, 20000229L, 20240430L})
        EXPECT_TRUE(host::IsValidDate(valid)) << valid;
    for (long invalid :
         {20230229L, 21000229L, 20240231L, 20240431L, 20241301L, 20240100L, 0L, -20240101L})
        EXPECT_FALSE(host::IsValidDate(invalid)) << invalid;
    EXPECT_EQ(DMYtoDate(31, 2, 2024), 0);
    EXPECT_EQ(DMYtoDate(29, 2, 2024), 20240229);
    int y, m, d;
    sepldat(20241115, &y, &m, &d);
    EXPECT_EQ(y * 10000 + m * 100 + d, 20241115);
    DateToDMY(20240229, &d, &m, &y);
    EXPECT_EQ(d, 29);
    EXPECT_EQ(m, 2);
    EXPECT_EQ(y, 2024);
}

TEST(Dates, SteppingAcrossMonthsYearsAndLeapDays) {
    EXPECT_EQ(incr_date(20240228, 1), 20240229);
    EXPECT_EQ(incr_date(20240229, 1), 20240301);
    EXPECT_EQ(incr_date(20230228, 1), 20230301);
    EXPECT_EQ(incr_date(20241231, 1), 20250101);
    EXPECT_EQ(incr_date(20250101, -1), 20241231);
    EXPECT_EQ(incr_date(20240301, -366), 20230301);
    EXPECT_EQ(incr_date(20240101, 365), 20241231);  // 2024 has 366 days
    EXPECT_EQ(incr_date(20240231, 1), 0);           // an impossible date stays refused
    EXPECT_EQ(daysdiff_betweendates(20240101, 20250101), 366);
    EXPECT_EQ(daysdiff_betweendates(20250101, 20240101), -366);
    EXPECT_EQ(daysdiff_betweendates(20241015, 20241114), 30);
    EXPECT_EQ(daysdiff_betweendates(20240131, 20240301), 30);
    EXPECT_EQ(daysdiff_betweendates(0, 20240101), 0);
    EXPECT_EQ(host::MonthEnd(20240210), 20240229);
    EXPECT_EQ(host::MonthEnd(20231115), 20231130);
    EXPECT_EQ(host::AddMonths(20240131, 1), 20240229);  // clamped to the month's end
    EXPECT_EQ(host::AddMonths(20230331, -1), 20230228);
    EXPECT_EQ(host::AddMonths(20240115, -13), 20221215);
}

TEST(Dates, FrenchFormats) {
    char buf[40];
    EXPECT_STREQ(ldate_to_str1(buf, 20261206, DATE_FMT_DMY), "06/12/2026");
    EXPECT_STREQ(ldate_to_str1(buf, 20261206, DATE_FMT_LONG), "6 décembre 2026");
    EXPECT_STREQ(ldate_to_str1(buf, 20261206, DATE_FMT_ISO), "2026-12-06");
    EXPECT_STREQ(ldate_to_str1(buf, 20261206, DATE_FMT_DMY2), "06/12/26");
    EXPECT_STREQ(ldate_to_str1(buf, 20260201, DATE_FMT_ABBREV), "01 févr. 2026");
    EXPECT_STREQ(ldate_to_str1(buf, 20260815, DATE_FMT_LONG), "15 août 2026");
    EXPECT_STREQ(ldate_to_str1(buf, 0, DATE_FMT_DMY), "");
    EXPECT_STREQ(ldate_to_str1(buf, 20240231, DATE_FMT_DMY), "");
}

TEST(Dates, ParsingRefusesWhatDoesNotExist) {
    long d = 0;
    EXPECT_TRUE(host::ParseDate("20240229", &d));
    EXPECT_EQ(d, 20240229);
    EXPECT_TRUE(host::ParseDate("2024-03-01", &d));
    EXPECT_EQ(d, 20240301);
    EXPECT_TRUE(host::ParseDate("15/11/2024", &d));
    EXPECT_EQ(d, 20241115);
    d = 7;
    for (const char* bad : {"20240231", "20231301", "2024021", "abc", "", "2024-02-30",
                            "31/04/2024", "202402290", "-20240101"}) {
        EXPECT_FALSE(host::ParseDate(bad, &d)) << bad;
    }
    EXPECT_EQ(d, 7);  // untouched on refusal
}

TEST(Dates, TheClockCanBeFixedAndReleased) {
    const long saved = ldate_today();
    host::SetFixedToday(20200101);
    EXPECT_EQ(ldate_today(), 20200101);
    host::SetFixedToday(20230229);  // refused: back to the system clock
    EXPECT_TRUE(host::IsValidDate(ldate_today()));
    EXPECT_NE(ldate_today(), 20230229);
    host::SetFixedTime(8, 5, 9);
    EXPECT_EQ(host::TimeText(), "08:05:09");
    host::SetFixedToday(saved);
    host::SetFixedTime(17, 30, 0);
}

}  // namespace
