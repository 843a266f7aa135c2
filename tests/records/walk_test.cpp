// Walks in key order across chunk boundaries, finds and locates that stop where the key
// changes, in-memory lists, several objects walking at once, empty tables, bad requests.
#include <algorithm>
#include <numeric>
#include <set>
#include <tuple>

#include "tests/records/fixture.h"

namespace records_test {
namespace {

using Line = std::tuple<long, char, long>;  // date, sort id, id

class Walk : public RecordsTest {
  protected:
    // Day-sheet lines given as (date, sort id, id), loaded in the given order.
    void AddLines(const std::vector<Line>& lines) {
        auto bulk =
            db().Bulk("DAYSHT", {"DSHT_ID", "DSHT_DATE", "DSHT_SORTID", "DSHT_RECID", "DSHT_BILLDR",
                                 "DSHT_PRODUCER", "DSHT_RECTYPE", "DSHT_PATID"});
        ASSERT_TRUE(bulk);
        for (const auto& [date, sort, id] : lines) {
            bulk->Int(id).Int(date).Text(std::string(1, sort)).Int(id * 10);
            bulk->Text("01").Text("D01").Text("T").Int(id % 7);
            ASSERT_TRUE(bulk->EndRow()) << bulk->Error();
        }
        ASSERT_TRUE(bulk->Finish()) << bulk->Error();
    }
    static Line Of(const DayShtInfo& d) { return {d.Rec().date, d.Rec().sort_id, d.Rec().dsht_id}; }
};

TEST_P(Walk, DaySheetWalksInDateKindIdOrderAcrossChunks) {
    // 3000 lines over 4 days and 5 kinds, ids scrambled: each (date, kind) group holds
    // about 150 lines, so chunks of every size end inside groups of equal keys.
    std::vector<Line> lines;
    const char kinds[] = "FGHLN";
    for (long i = 0; i < 3000; ++i) {
        const long id = (i * 7919) % 3001 + 1;  // a permutation of 1..3001 without one
        lines.emplace_back(20241111 + (i * 31 % 4), kinds[(i * 13) % 5], id);
    }
    AddLines(lines);
    std::sort(lines.begin(), lines.end());

    DayShtInfo d(list(), msg());
    ASSERT_TRUE(d.SetKey(DayShtInfo::KEY_DATE));
    std::vector<Line> seen;
    for (bool ok = d.DBGetFirst(); ok; ok = d.DBGetNext())
        seen.push_back(Of(d));
    EXPECT_FALSE(d.DbFailed());
    EXPECT_EQ(seen, lines);

    // File order is id order.
    d.SetKey(0);
    long previous = 0, count = 0;
    for (bool ok = d.DBGetFirst(); ok; ok = d.DBGetNext(), ++count) {
        EXPECT_GT(d.Rec().dsht_id, previous);
        previous = d.Rec().dsht_id;
    }
    EXPECT_EQ(count, 3000);
}

TEST_P(Walk, LocateAndFindNextStopWhereTheKeyChanges) {
    AddLines({{20241115, 'G', 5},
              {20241115, 'F', 9},
              {20241114, 'L', 1},
              {20241115, 'F', 2},
              {20241115, 'H', 3},
              {20241115, 'G', 4},
              {20241116, 'A', 6},
              {20241115, 'F', 7}});
    DayShtInfo d(list(), msg());

    // The day's 'G' lines, then nothing: the record stays on the last one, and the walk
    // goes on from there.
    ASSERT_TRUE(d.DBLocateFirst(DayShtInfo::KEY_DATE, {20241115L, 'G'}));
    EXPECT_EQ(Of(d), Line(20241115, 'G', 4));
    ASSERT_TRUE(d.DBFindNext());
    EXPECT_EQ(Of(d), Line(20241115, 'G', 5));
    EXPECT_FALSE(d.DBFindNext());
    EXPECT_FALSE(d.DbFailed());
    EXPECT_EQ(Of(d), Line(20241115, 'G', 5));
    ASSERT_TRUE(d.DBGetNext());
    EXPECT_EQ(Of(d), Line(20241115, 'H', 3));

    // A kind with no line on that day: the next line at or after it, which the caller
    // sees belongs to another kind.
    ASSERT_TRUE(d.DBLocateFirst(DayShtInfo::KEY_DATE, {20241115L, 'B'}));
    EXPECT_EQ(Of(d), Line(20241115, 'F', 2));
    EXPECT_FALSE(d.DBFindNext());

    // By date alone: the whole day in kind and id order, then the next day stops it.
    ASSERT_TRUE(d.DBFindFirst(DayShtInfo::KEY_DATE, {20241115L}));
    std::vector<long> ids{d.Rec().dsht_id};
    while (d.DBFindNext())
        ids.push_back(d.Rec().dsht_id);
    EXPECT_EQ(ids, (std::vector<long>{2, 7, 9, 4, 5, 3}));

    // An exact find with no match, and a locate past the last line.
    EXPECT_FALSE(d.DBFindFirst(DayShtInfo::KEY_DATE, {20241115L, 'Q'}));
    EXPECT_FALSE(d.DBLocateFirst(DayShtInfo::KEY_DATE, {20241117L}));
    EXPECT_FALSE(d.DbFailed());
    EXPECT_FALSE(d.DBFindNext());
    EXPECT_FALSE(msg()->errors().HasError());
}

TEST_P(Walk, FindsLongerThanOneChunkDeliverEveryMatch) {
    std::vector<Line> lines;
    for (long id = 1; id <= 100; ++id)
        lines.emplace_back(20241115, id % 2 ? 'F' : 'G', id);
    AddLines(lines);
    DayShtInfo d(list(), msg());
    ASSERT_TRUE(d.DBFindFirst(DayShtInfo::KEY_DATE, {20241115L, 'F'}));
    long n = 1, last = d.Rec().dsht_id;
    while (d.DBFindNext()) {
        ++n;
        EXPECT_EQ(d.Rec().sort_id, 'F');
        EXPECT_EQ(d.Rec().dsht_id, last + 2);
        last = d.Rec().dsht_id;
    }
    EXPECT_EQ(n, 50);
    // A plain step goes on past the matches.
    ASSERT_TRUE(d.DBGetNext());
    EXPECT_EQ(Of(d), Line(20241115, 'G', 2));
}

TEST_P(Walk, ObjectsWalkAtOnceAndByIdReadsContinueInKeyOrder) {
    Exec(
        "INSERT INTO ACCOUNT (ACC_ID, ACC_LNAME, ACC_PNAME) VALUES (1, 'Tremblay', 'Luc'), "
        "(2, 'Gagnon', 'Marie'), (3, 'Roy', 'Ana')");
    Exec(
        "INSERT INTO PATIENT (PAT_ID, PAT_ACCID, PAT_PNAME, PAT_RESPONSIBLE) VALUES "
        "(10, 1, 'Luc', 'N'), (11, 1, 'Léa', 'Y'), (20, 2, 'Marie', 'N'), (12, 1, 'Zoé', 'Y')");
    AccountInfo a(list(), msg());
    PersInfo p(list(), msg());
    a.SetKey(AccountInfo::KEY_NAME);
    std::string seen;
    for (bool ok = a.DBGetFirst(); ok; ok = a.DBGetNext()) {
        seen += a.Rec().lname + ":";
        for (bool q = p.DBFindFirst(PersInfo::KEY_ACCOUNT, {a.Rec().acc_id}); q; q = p.DBFindNext())
            seen += p.Rec().pname + ",";
        seen += ";";
    }
    EXPECT_EQ(seen, "Gagnon:Marie,;Roy:;Tremblay:Luc,Léa,Zoé,;");

    // The main patient is the first responsible one, else the first.
    ASSERT_TRUE(p.FindMainPatient(1));
    EXPECT_EQ(p.Rec().pat_id, 11);
    ASSERT_TRUE(p.FindMainPatient(2));
    EXPECT_EQ(p.Rec().pat_id, 20);
    EXPECT_FALSE(p.FindMainPatient(3));

    ASSERT_TRUE(a.DBFindRecById(3L));  // Roy, then Tremblay by name
    ASSERT_TRUE(a.DBGetNext());
    EXPECT_EQ(a.Rec().acc_id, 1);
    EXPECT_FALSE(a.DBGetNext());
}

TEST_P(Walk, ListsFromConditionsAndWritesThroughThem) {
    Exec(
        "INSERT INTO ACCPMT (APMT_ID, APMT_ACCID, APMT_DATE, APMT_TOTAL, APMT_PAYOR) VALUES "
        "(1, 5, 20241110, 1000, 'SUN'), (2, 6, 20241101, 2000, 'SUN'), "
        "(3, 5, 20241105, 3000, 'RAMQ'), (4, 5, 20241112, 4000, 'SUN')");
    AccPmtInfo p(list(), msg());
    p.SetKey(AccPmtInfo::KEY_DATE);
    ASSERT_TRUE(p.FindRecs("APMT_ACCID = ? AND APMT_PAYOR = ?", {5L, "SUN"}));
    ASSERT_EQ(p.LLCount(), 2);
    EXPECT_EQ(p.GetItem()->apmt_id, 1);  // dated the 10th, before the 12th
    ASSERT_TRUE(p.LLGoTo(1));
    EXPECT_EQ(p.GetItem()->apmt_id, 4);
    EXPECT_FALSE(p.LLGoTo(2));
    EXPECT_FALSE(p.LLGoTo(-1));

    p.GetItem()->total = 4500;
    ASSERT_TRUE(p.WriteRec());
    EXPECT_EQ(Int("SELECT APMT_TOTAL FROM ACCPMT WHERE APMT_ID = 4"), 4500);
    ASSERT_TRUE(p.LLGoTo(0));
    ASSERT_TRUE(p.LLGoTo(1));
    EXPECT_EQ(p.GetItem()->total, 4500);  // the list keeps what was written

    ASSERT_TRUE(p.GetAll());
    std::vector<long> ids;
    for (const auto& r : p.Items())
        ids.push_back(r.apmt_id);
    EXPECT_EQ(ids, (std::vector<long>{2, 3, 1, 4}));
    EXPECT_FALSE(p.FindRecs("APMT_ACCID = ?", {99L}));
    EXPECT_FALSE(p.DbFailed());
    EXPECT_FALSE(p.FindRecs("NO_SUCH_COLUMN = ?", {1L}));
    EXPECT_TRUE(p.DbFailed());
    EXPECT_NE(msg()->errors().Text().find("ACCPMT"), std::string::npos);
}

TEST_P(Walk, RewritingDuringAWalkVisitsEachRecordOnce) {
    for (int i = 1; i <= 600; ++i)
        Exec("INSERT INTO ACCOUNT (ACC_ID, ACC_LNAME, ACC_PAT_BAL) VALUES (" + std::to_string(i) +
             ", 'N" + std::to_string(1000 - i) + "', " + std::to_string(i) + ")");
    AccountInfo a(list(), msg());
    a.SetKey(AccountInfo::KEY_NAME);
    ASSERT_TRUE(a.LockIt());
    int visits = 0;
    for (bool ok = a.DBGetFirst(); ok; ok = a.DBGetNext(), ++visits) {
        a.GetItem()->pat_bal += 1;
        ASSERT_TRUE(a.WriteRec()) << msg()->errors().Text();
    }
    a.UnLockIt();
    EXPECT_EQ(visits, 600);
    EXPECT_EQ(Int("SELECT SUM(ACC_PAT_BAL) FROM ACCOUNT"), 600 * 601 / 2 + 600);
}

TEST_P(Walk, EmptyTablesEndEveryWalkQuietly) {
    AccountInfo a(list(), msg());
    DayShtInfo d(list(), msg());
    PPSetInfo s(list(), msg());
    for (DBLLInfo* o : std::initializer_list<DBLLInfo*>{&a, &d, &s}) {
        SCOPED_TRACE(o->TableName());
        EXPECT_FALSE(o->DBGetNext());  // before any start
        EXPECT_FALSE(o->DBFindNext());
        EXPECT_FALSE(o->DBGetFirst());
        EXPECT_FALSE(o->DBGetNext());
        EXPECT_FALSE(o->DBFindRecById(1L));
        EXPECT_FALSE(o->DBLocateFirst(0, {0L}));
        EXPECT_EQ(o->GetRecCount(), 0);
        EXPECT_FALSE(o->DbFailed());
    }
    EXPECT_FALSE(d.DBFindFirst(DayShtInfo::KEY_DATE, {20241115L, 'F'}));
    EXPECT_FALSE(a.GetAll());
    EXPECT_EQ(a.LLCount(), 0);
    EXPECT_FALSE(a.LLGoTo(0));
    EXPECT_FALSE(msg()->errors().HasError());
}

TEST_P(Walk, BadRequestsFailWithAMessage) {
    DayShtInfo d(list(), msg());
    EXPECT_FALSE(d.SetKey(7));
    EXPECT_EQ(d.GetKey(), 0);
    TEmgBase err;
    EXPECT_FALSE(d.DBFindFirst(7, {1L}, &err));
    EXPECT_TRUE(err.HasError());
    err.ClearErrMsgInfo();
    EXPECT_FALSE(d.DBFindFirst(DayShtInfo::KEY_DATE, {1L, 'F', 3L}, &err));  // 2 columns
    EXPECT_TRUE(err.HasError());
    err.ClearErrMsgInfo();
    EXPECT_FALSE(d.DBLocateFirst(DayShtInfo::KEY_DATE, {}, &err));
    EXPECT_TRUE(err.HasError());

    // No database at all.
    DLnkList none;
    MsgInfo m(1, &none);
    AccountInfo a(&none, &m);
    EXPECT_FALSE(a.DBGetFirst());
    EXPECT_FALSE(a.WriteRec());
    EXPECT_FALSE(a.LockIt());
    EXPECT_EQ(a.GetRecCount(), -1);
    EXPECT_TRUE(m.errors().HasError());
}

TEST_P(Walk, TablePrefixIsHonoured) {
    testing_support::TestDb t(GetParam(), true, "XX_");
    DLnkList l(&t.db());
    MsgInfo m(1, &l);
    AccountInfo a(&l, &m);
    a.GetItem()->lname = "Préfixé";
    ASSERT_TRUE(a.AddRec()) << m.errors().Text();
    EXPECT_EQ(t->QueryInt("SELECT COUNT(*) FROM XX_ACCOUNT"), 1);
    AccountInfo b(&l, &m);
    ASSERT_TRUE(b.DBGetFirst());
    EXPECT_EQ(b.Rec().lname, "Préfixé");
}

INSTANTIATE_TEST_SUITE_P(Engines, Walk, testing::ValuesIn(testing_support::Engines()), EngineName);

}  // namespace
}  // namespace records_test
