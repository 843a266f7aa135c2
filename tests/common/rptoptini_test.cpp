// The report option object over the settings rows 5 to 8: each update writes its own
// fields and nothing else, the quick list no longer overlaps the receivable report and the
// deposit, missing rows, copies, and the practice-analysis fields written at closing.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <tuple>

#include "common/rptoptini.h"
#include "host/base/text.h"
#include "host/records/recstructs.h"
#include "tests/common/support.h"

namespace {

// Distinct values in every member, from seed.
void Fill(RptOptWDIniObj& o, int seed) {
    auto fill = [&](short* a, int n, int base) {
        for (int i = 0; i < n; ++i)
            a[i] = static_cast<short>(seed * 100 + base + i);
    };
    fill(o.dayend_opt, 14, 0);
    fill(o.mthend_opt, 10, 20);
    fill(o.deposit_opt, 8, 40);
    fill(o.overnite_opt, 4, 60);
    fill(o.prca_opt, 3, 70);
    o.prca_code = static_cast<char>('A' + seed);
    const char flags[] = {'Y', 'N', 'P', 'D'};
    for (int i = 0; i < 4; ++i)
        o.dayend_flag[i] = flags[(i + seed) % 4];

    arrpt_info& a = o.ar_info;
    host::CopyText(a.producer, sizeof a.producer, seed % 2 ? "D01" : "A07");
    a.as_of = 20241100 + seed;
    a.min_balance = 1000 * seed + 7;
    a.overdue_num = static_cast<short>(3 + seed % 4);
    host::CopyText(a.overdue_text, sizeof a.overdue_text, std::to_string(a.overdue_num));
    a.kind = seed % 3;
    a.grouping = 1;
    a.option111 = 1;
    a.notes = 1;
    a.copies = static_cast<short>(1 + seed % 5);
    a.report_by_producer = true;
    a.future = 'Y';

    arrpt_info& q = o.ar_quick_info;
    host::CopyText(q.producer, sizeof q.producer, "H02");
    q.as_of = 20241031;
    q.min_balance = 2500 + seed;
    host::CopyText(q.overdue_text, sizeof q.overdue_text, "4 - 30 jou");
    q.grouping = 1;
    q.report_by_producer = true;
    o.ar_quick_extra = 1;

    insarrpt_info& i = o.ins_ar_info;
    host::CopyText(i.doctor, sizeof i.doctor, "D01");
    host::CopyText(i.carrier, sizeof i.carrier, "SUN");
    i.as_of = 20241115;
    i.min_balance = 990 + seed;
    host::CopyText(i.overdue_text, sizeof i.overdue_text, "2 - Comptes avec solde");
    i.kind = 2;
    i.grouping = 1;
    i.copies = 3;
}

// The members that are stored (the overdue numbers of the quick list and of the insurance
// report are set when a report starts and are not kept).
auto Stored(const RptOptWDIniObj& o) {
    const arrpt_info& a = o.ar_info;
    const arrpt_info& q = o.ar_quick_info;
    const insarrpt_info& i = o.ins_ar_info;
    return std::make_tuple(
        std::vector<short>(o.dayend_opt, o.dayend_opt + 14), std::string(o.dayend_flag, 4),
        std::vector<short>(o.mthend_opt, o.mthend_opt + 10),
        std::vector<short>(o.deposit_opt, o.deposit_opt + 8),
        std::vector<short>(o.overnite_opt, o.overnite_opt + 4),
        std::vector<short>(o.prca_opt, o.prca_opt + 3), o.prca_code,
        std::make_tuple(std::string(a.producer), a.as_of, a.min_balance, a.overdue_num,
                        std::string(a.overdue_text), a.kind, a.grouping, a.option111, a.notes,
                        a.copies, a.report_by_producer, a.future),
        std::make_tuple(std::string(q.producer), q.as_of, q.min_balance,
                        std::string(q.overdue_text), q.grouping, q.report_by_producer,
                        o.ar_quick_extra),
        std::make_tuple(std::string(i.doctor), std::string(i.carrier), i.as_of, i.min_balance,
                        std::string(i.overdue_text), i.kind, i.grouping, i.copies));
}

using Update = bool (RptOptWDIniObj::*)();

}  // namespace

TEST(ReportOptionFields, NoTwoOptionsShareAField) {
    std::set<std::tuple<int, int, int>> seen;
    for (const auto& f : RptOptWDIniObj::Fields()) {
        EXPECT_TRUE(seen.insert({f.row, static_cast<int>(f.family), f.k}).second)
            << "row " << f.row << " field " << f.k << " " << f.what;
        EXPECT_GE(f.row, 5);
        EXPECT_LE(f.row, 8);
        EXPECT_NE(f.writers, 0u) << f.what;
    }
}

class ReportOptions : public common_test::DbTest {};

TEST_P(ReportOptions, EveryUpdateWritesItsOwnFieldsOnly) {
    SettingsRows();
    const std::vector<std::pair<unsigned, Update>> updates = {
        {RptOptWDIniObj::kAR, &RptOptWDIniObj::update_ar},
        {RptOptWDIniObj::kARQuick, &RptOptWDIniObj::update_arquicklst},
        {RptOptWDIniObj::kDayEnd, &RptOptWDIniObj::update_dayend},
        {RptOptWDIniObj::kDeposit, &RptOptWDIniObj::update_deposit},
        {RptOptWDIniObj::kPracAnal, &RptOptWDIniObj::update_inisect},
        {RptOptWDIniObj::kInsAR, &RptOptWDIniObj::update_ins_ar},
        {RptOptWDIniObj::kMthEnd, &RptOptWDIniObj::update_mthend},
        {RptOptWDIniObj::kOvernite, &RptOptWDIniObj::update_overnite},
    };
    // Everything saved once with seed 1, then each routine alone with seed 2: after
    // each, the stored options are seed 2 for what that routine and the earlier ones
    // wrote, and still seed 1 for the rest.
    {
        RptOptWDIniObj o(launcher());
        Fill(o, 1);
        for (const auto& u : updates)
            ASSERT_TRUE((o.*u.second)()) << o.LastError();
    }
    RptOptWDIniObj expected(launcher());
    Fill(expected, 1);
    ASSERT_EQ(Stored(RptOptWDIniObj(launcher())), Stored(expected));
    RptOptWDIniObj seed2(launcher());
    Fill(seed2, 2);
    for (const auto& u : updates) {
        RptOptWDIniObj o(launcher());
        Fill(o, 2);
        ASSERT_TRUE((o.*u.second)()) << o.LastError();
        // Move into `expected` the members this routine writes, through the field map.
        for (int row = 5; row <= 8; ++row) {
            ppset_struct r;
            r.ppst_id = row;
            for (const auto& f : RptOptWDIniObj::Fields())
                if (f.row == row && (f.writers & u.first)) {
                    f.write(seed2, r);
                    f.read(expected, r);
                }
        }
        EXPECT_EQ(Stored(RptOptWDIniObj(launcher())), Stored(expected)) << "writer " << u.first;
        // Closing writes the practice-analysis fields this object changed: put back what
        // is stored so that only the routine under test has written.
        std::memcpy(o.prca_opt, expected.prca_opt, sizeof o.prca_opt);
        o.prca_code = expected.prca_code;
    }
}

TEST_P(ReportOptions, TheProducerColumnKeepsTheDayEndFlagsAndTheProducer) {
    SettingsRows();
    RptOptWDIniObj o(launcher());
    host::CopyText(o.ar_info.producer, sizeof o.ar_info.producer, "D01");
    const char flags[] = {'Y', 'N', 'Y', 'Y'};
    std::memcpy(o.dayend_flag, flags, 4);
    ASSERT_TRUE(o.update_dayend());
    EXPECT_EQ(Text("SELECT PPST_A11_FIELD01 FROM PPSET WHERE PPST_ID = 5"), "D01 YNYY");
    // The receivable report saving another producer keeps all four day-end flags.
    RptOptWDIniObj ar(launcher());
    host::CopyText(ar.ar_info.producer, sizeof ar.ar_info.producer, "*");
    ASSERT_TRUE(ar.update_ar());
    EXPECT_EQ(Text("SELECT PPST_A11_FIELD01 FROM PPSET WHERE PPST_ID = 5"), "*   YNYY");
    // A flag that was never set stays unset through a round trip.
    RptOptWDIniObj d(launcher());
    d.dayend_flag[1] = '\0';
    ASSERT_TRUE(d.update_dayend());
    RptOptWDIniObj back(launcher());
    EXPECT_STREQ(back.ar_info.producer, "*");
    EXPECT_EQ(back.dayend_flag[0], 'Y');
    EXPECT_EQ(back.dayend_flag[1], '\0');
    EXPECT_EQ(back.dayend_flag[3], 'Y');
    // Texts and numbers as the table lays them out.
    EXPECT_EQ(Text("SELECT PPST_A11_FIELD02 FROM PPSET WHERE PPST_ID = 5"), "0");
}

TEST_P(ReportOptions, MissingRowsReadClearedAndAreAddedBySaving) {
    SettingsRows(4);
    RptOptWDIniObj o(launcher());
    EXPECT_EQ(o.LastError(), "");
    EXPECT_STREQ(o.ar_info.producer, "*");  // the record's own default
    EXPECT_EQ(o.deposit_opt[7], 0);
    o.ar_info.min_balance = 12345;
    o.deposit_opt[7] = 9;
    ASSERT_TRUE(o.update_ar());
    ASSERT_TRUE(o.update_deposit());
    EXPECT_EQ(Int("SELECT COUNT(*) FROM PPSET"), 7);  // rows 5, 7 and 8 added
    EXPECT_EQ(Text("SELECT PPST_A11_FIELD03 FROM PPSET WHERE PPST_ID = 5"), "12345");
    EXPECT_EQ(Int("SELECT PPST_INT_FIELD13 FROM PPSET WHERE PPST_ID = 8"), 9);
    // The object built without arguments reads the application's database; a copy
    // works on its own once the original is gone.
    auto original = std::make_unique<RptOptWDIniObj>();
    EXPECT_EQ(original->ar_info.min_balance, 12345);
    RptOptWDIniObj copy(*original);
    original.reset();
    copy.ar_info.min_balance = 4242;
    ASSERT_TRUE(copy.update_ar()) << copy.LastError();
    EXPECT_EQ(Text("SELECT PPST_A11_FIELD03 FROM PPSET WHERE PPST_ID = 5"), "4242");
    // A gap in the rows does not shift the walk: row 6 absent, row 7 read as row 7.
    Exec("UPDATE PPSET SET PPST_INT_FIELD09 = 4 WHERE PPST_ID = 7");
    RptOptWDIniObj back(launcher());
    EXPECT_EQ(back.overnite_opt[0], 4);
    EXPECT_EQ(back.mthend_opt[0], 0);
}

TEST_P(ReportOptions, ClosingWritesThePracticeAnalysisFieldsOnlyWhenChanged) {
    SettingsRows();
    Exec(
        "UPDATE PPSET SET PPST_INT_FIELD06 = 1, PPST_INT_FIELD07 = 2, PPST_INT_FIELD08 = 3, "
        "PPST_A2_FIELD01 = 'M' WHERE PPST_ID = 5");
    auto dialog_options = std::make_unique<RptOptWDIniObj>(launcher());
    {
        // The practice-analysis dialog saves meanwhile.
        RptOptWDIniObj prca(launcher());
        prca.prca_opt[0] = 7;
        prca.prca_code = 'Q';
    }
    EXPECT_EQ(Int("SELECT PPST_INT_FIELD06 FROM PPSET WHERE PPST_ID = 5"), 7);
    // Closing the receivable dialog leaves those values alone.
    dialog_options.reset();
    EXPECT_EQ(Int("SELECT PPST_INT_FIELD06 * 100 + PPST_INT_FIELD07 * 10 + PPST_INT_FIELD08 FROM "
                  "PPSET WHERE PPST_ID = 5"),
              723);
    EXPECT_EQ(Text("SELECT PPST_A2_FIELD01 FROM PPSET WHERE PPST_ID = 5"), "Q");
}

TEST_P(ReportOptions, WithoutADatabaseNothingIsReadOrWrittenAndNothingBreaks) {
    DLnkList none(nullptr);
    RptOptWDIniObj o(&none);
    EXPECT_FALSE(o.LastError().empty());
    o.prca_opt[0] = 5;  // the destructor tries and fails quietly
    EXPECT_FALSE(o.update_ar());
    RptOptWDIniObj d(launcher());
    Exec("DROP TABLE PPSET");
    EXPECT_FALSE(d.read_inisect());
    EXPECT_FALSE(d.update_inisect());
    EXPECT_FALSE(d.LastError().empty());
}

INSTANTIATE_TEST_SUITE_P(Engines, ReportOptions, testing::ValuesIn(testing_support::Engines()),
                         testing_support::EngineName);
