// The generator's building blocks: the practice calendar, the random stream every seed
// depends on, the row spools that carry any text to either engine, and the day sheet
// gathered across accounts.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "app/demo/calendar.h"
#include "app/demo/model.h"
#include "app/demo/rng.h"
#include "app/demo/spool.h"
#include "tests/support/testdb.h"

namespace {

TEST(DemoCalendar, QuebecHolidaysAndClosures) {
    demo::Calendar cal(20171225, 20251231);
    auto open = [&](long date) { return cal.Open(cal.Index(date)); };
    // 2024: New Year and the day after, Good Friday and Easter Monday (Easter on March 31),
    // Patriotes (Monday before May 25), June 24, July 1, Labour Day, Thanksgiving, and
    // Christmas to New Year.
    for (long closed : {20240101L, 20240102L, 20240329L, 20240401L, 20240520L, 20240624L, 20240701L,
                        20240902L, 20241014L, 20241224L, 20241231L})
        EXPECT_FALSE(open(closed)) << closed;
    for (long opened :
         {20240103L, 20240328L, 20240402L, 20240521L, 20240625L, 20240903L, 20241015L, 20241223L})
        EXPECT_TRUE(open(opened)) << opened;
    // Construction holiday 2024: July 20 is a Saturday, so from Monday July 15 for two weeks.
    EXPECT_TRUE(open(20240713));
    EXPECT_FALSE(open(20240715));
    EXPECT_FALSE(open(20240726));
    EXPECT_TRUE(open(20240729));
    // Easter 2025 is April 20; 2018's July 1 is a Sunday, so Monday July 2 is off.
    EXPECT_FALSE(open(20250418));
    EXPECT_FALSE(open(20250421));
    EXPECT_FALSE(open(20180702));
    // Sundays are closed, Saturdays open.
    EXPECT_FALSE(open(20241117));
    EXPECT_TRUE(open(20241116));
    EXPECT_EQ(demo::WeekdayOf(20241115), 4);
    EXPECT_EQ(demo::WeekdayOf(20240229), 3);
    EXPECT_EQ(demo::WeekdayOf(20000101), 5);

    // Stepping over closures.
    EXPECT_EQ(cal.Date(cal.NextOpen(cal.Index(20241224))), 20250103);
    EXPECT_EQ(cal.Date(cal.PrevOpen(cal.Index(20250102))), 20241223);
    EXPECT_EQ(cal.Date(cal.AddOpenDays(cal.Index(20241122), 2)), 20241125);  // Fri, Sat, Mon
    EXPECT_EQ(cal.Date(cal.MonthEnd(cal.Index(20240210))), 20240229);

    // Visits aimed at a closure land on open days after it, spread rather than piled up.
    demo::Rng rng(3);
    int first_day_back = 0;
    for (int i = 0; i < 300; ++i) {
        const int day = cal.VisitDay(cal.Index(20240717), rng);
        ASSERT_TRUE(cal.Open(day));
        ASSERT_GE(cal.Date(day), 20240729);
        first_day_back += cal.Date(day) == 20240729;
    }
    EXPECT_LT(first_day_back, 60);
}

// The practice of a seed must not depend on the compiler or library: the stream is fixed.
TEST(DemoRng, FixedStreamForASeed) {
    demo::Rng r(1);
    EXPECT_EQ(r.Next(), 12966619160104079557ULL);
    EXPECT_EQ(r.Next(), 9600361134598540522ULL);
    EXPECT_EQ(r.Next(), 10590380919521690900ULL);
    demo::Rng dice(42);
    std::vector<int64_t> rolls;
    for (int i = 0; i < 5; ++i)
        rolls.push_back(dice.Range(1, 6));
    EXPECT_EQ(rolls, (std::vector<int64_t>{1, 3, 5, 6, 6}));
    EXPECT_EQ(demo::Mix(1, 2), 17911839290282890590ULL);

    // Ranges stay inside their bounds and reach both ends; weights are honoured.
    demo::Rng r2(9);
    int lo = 0, hi = 0, heavy = 0;
    for (int i = 0; i < 20000; ++i) {
        const int64_t v = r2.Range(-3, 3);
        ASSERT_GE(v, -3);
        ASSERT_LE(v, 3);
        lo += v == -3;
        hi += v == 3;
        heavy += r2.Weighted({1, 0, 9}) == 2;
        ASSERT_NE(r2.Weighted({1, 0, 9}), 1u);
    }
    EXPECT_GT(lo, 2000);
    EXPECT_GT(hi, 2000);
    EXPECT_NEAR(heavy / 20000.0, 0.9, 0.02);
    EXPECT_EQ(r2.Range(5, 5), 5);
    EXPECT_EQ(r2.Range(5, 4), 5);
}

class DemoSpool : public testing::TestWithParam<std::string> {};

TEST_P(DemoSpool, EveryTextReachesTheTableIntact) {
    testing_support::TestDb t(GetParam(), false);
    ASSERT_EQ(t->dbExecute("CREATE TABLE SPOOLT (N BIGINT, S VARCHAR(40))"), 0);
    const demo::TableDef def{"SPOOLT", {"N", "S"}};
    const std::vector<std::string> texts = {
        "O'Brien", "tab\there", "ligne\nsuivante", "back\\slash \\N", "Hygiéniste à Sainte-Thérèse",
        ""};
    demo::Spool spool(&def);
    // Enough rows to pass through the temporary file more than once.
    for (int copy = 0; copy < 3000; ++copy)
        for (size_t i = 0; i < texts.size(); ++i) {
            spool.Int(copy * 10 + static_cast<int64_t>(i)).Text(texts[i]);
            spool.End();
        }
    for (int64_t big : {4000000000LL, -4000000000LL}) {
        spool.Int(big).Text(std::to_string(big));
        spool.End();
    }
    auto loader = t->Bulk("SPOOLT", def.columns);
    ASSERT_TRUE(loader);
    std::string error;
    ASSERT_TRUE(spool.LoadInto(*loader, &error)) << error;
    EXPECT_EQ(t->QueryInt("SELECT COUNT(*) FROM SPOOLT"), 18002);
    for (size_t i = 0; i < texts.size(); ++i)
        EXPECT_EQ(t->QueryText("SELECT S FROM SPOOLT WHERE N = " + std::to_string(29990 + i)),
                  texts[i]);
    EXPECT_EQ(t->QueryText("SELECT S FROM SPOOLT WHERE N = -4000000000"), "-4000000000");
    EXPECT_EQ(t->QueryInt("SELECT MAX(N) FROM SPOOLT"), 4000000000LL);

    // A loaded spool forgets its rows: the next load sends only the rows written since, and
    // the spool still counts and hashes everything it was given.
    EXPECT_EQ(spool.pending(), 0);
    spool.Int(-1).Text("après");
    spool.End();
    auto again = t->Bulk("SPOOLT", def.columns);
    ASSERT_TRUE(again);
    ASSERT_TRUE(spool.LoadInto(*again, &error)) << error;
    EXPECT_EQ(t->QueryInt("SELECT COUNT(*) FROM SPOOLT"), 18003);
    EXPECT_EQ(t->QueryText("SELECT S FROM SPOOLT WHERE N = -1"), "après");
    EXPECT_EQ(spool.rows(), 18003);

    // The same rows give the same hash; one value more gives another.
    demo::Spool a(&def), b(&def);
    for (demo::Spool* sp : {&a, &b}) {
        sp->Int(1).Text("un");
        sp->End();
    }
    b.Int(2).Text("deux");
    b.End();
    a.Flush();
    b.Flush();
    EXPECT_NE(a.hash(), b.hash());
    demo::Spool c(&def);
    c.Int(1).Text("un");
    c.End();
    c.Flush();
    EXPECT_EQ(a.hash(), c.hash());

    // A row with a value missing is a generator fault: reported, nothing loaded.
    demo::Spool bad(&def);
    bad.Int(1);
    bad.End();
    EXPECT_FALSE(bad.ok());
    auto loader2 = t->Bulk("SPOOLT", def.columns);
    ASSERT_TRUE(loader2);
    EXPECT_FALSE(bad.LoadInto(*loader2, &error));
    EXPECT_NE(error.find("SPOOLT"), std::string::npos) << error;
}

// The group practice is the large one at least eleven times over: same history and turnover,
// so that its figures scale with the large practice's.
TEST(DemoProfile, GroupIsElevenLargePracticesOverTheSameYears) {
    const demo::Profile large = demo::ProfileOf(demo::Size::Large);
    const demo::Profile group = demo::ProfileOf(demo::Size::Group);
    EXPECT_GE(group.accounts, 200000);
    EXPECT_GE(group.accounts, 11 * large.accounts);
    EXPECT_EQ(group.years, large.years);
    EXPECT_EQ(group.leave_share, large.leave_share);
    EXPECT_EQ(group.tenure_days, large.tenure_days);
    EXPECT_FALSE(group.edge_cases);
    // The day sheet codes producers in one byte (with the billing doctors and the blank).
    EXPECT_LT(2 * (group.dentists + group.hygienists + group.auxiliaries), 255);
}

// The day sheet leaves in date order, then kind, then record, whatever the order the accounts
// gave it and however many of a month's lines went to its temporary file.
TEST(DemoDaySheet, LinesLeaveInDateOrderAcrossMonthsAndFiles) {
    demo::DaySheet sheet(5);  // tiny month buffer: most lines pass through the files
    std::vector<demo::DayLine> given;
    demo::Rng rng(42);
    const long dates[] = {20241231, 20250101, 20241201, 20250131, 20250201, 20241215};
    for (int i = 0; i < 600; ++i) {
        demo::DayLine l{};
        l.date = static_cast<int32_t>(dates[rng.Index(6)]);
        l.recid = rng.Int(1, 50);
        l.patid = i;
        l.sortid = "ABC"[rng.Index(3)];
        l.rectype = 'T';
        given.push_back(l);
        sheet.Add(l);
    }
    EXPECT_EQ(sheet.size(), 600);
    std::vector<demo::DayLine> out;
    std::string error;
    ASSERT_TRUE(sheet.Drain([&](const demo::DayLine& l) { out.push_back(l); }, &error)) << error;
    ASSERT_EQ(out.size(), given.size());
    auto key = [](const demo::DayLine& l) { return std::tuple(l.date, l.sortid, l.recid); };
    for (size_t i = 1; i < out.size(); ++i)
        ASSERT_LE(key(out[i - 1]), key(out[i])) << i;
    // Every line given comes out once (patid numbers them).
    std::vector<int32_t> ids;
    for (const demo::DayLine& l : out)
        ids.push_back(l.patid);
    std::sort(ids.begin(), ids.end());
    for (size_t i = 0; i < ids.size(); ++i)
        ASSERT_EQ(ids[i], static_cast<int32_t>(i));
    // Drained means empty.
    EXPECT_EQ(sheet.size(), 0);
    long more = 0;
    ASSERT_TRUE(sheet.Drain([&](const demo::DayLine&) { ++more; }, &error));
    EXPECT_EQ(more, 0);
}

INSTANTIATE_TEST_SUITE_P(Engines, DemoSpool, testing::ValuesIn(testing_support::Engines()),
                         testing_support::EngineName);

}  // namespace
