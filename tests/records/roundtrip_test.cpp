// Every record class against its table: each column bound once, every value written
// and read back in the right member, texts with quotes and accents, texts cut by
// character to their column, new numbers for new records.
#include <set>

#include "host/base/text.h"
#include "tests/records/fixture.h"

namespace records_test {
namespace {

using host::ColType;
using host::SqlValue;
using host::TableDesc;

// A value for column i of a record, different for each seed: texts carry a quote and an
// accent and are cut to the column's width, so that PostgreSQL would refuse them if the
// cut were missing or made by byte.
void Fill(const TableDesc& d, void* rec, int seed, bool keep_key) {
    char* base = static_cast<char*>(rec);
    for (size_t i = keep_key ? 1 : 0; i < d.columns.size(); ++i) {
        const auto& c = d.columns[i];
        char* m = base + c.offset;
        const long n = seed * 1000L + static_cast<long>(i);
        switch (c.type) {
            case ColType::Long:
                *reinterpret_cast<long*>(m) = i == 0 ? 0 : 20000000L + n;
                break;
            case ColType::Int:
                *reinterpret_cast<int32_t*>(m) = static_cast<int32_t>(i == 0 ? 0 : -n);
                break;
            case ColType::Short:
                *reinterpret_cast<short*>(m) = static_cast<short>(i == 0 ? 0 : n % 30000);
                break;
            case ColType::Char:
                *m = static_cast<char>('A' + (seed + i) % 26);
                break;
            case ColType::Text:
                *reinterpret_cast<std::string*>(m) =
                    host::U8Left("é'" + std::to_string(n) + "-Ôtez l'accent, s'il vous plaît " +
                                     std::string(100, 'x'),
                                 static_cast<size_t>(c.width));
                break;
        }
    }
}

void ExpectSame(const TableDesc& d, const void* got, const void* want) {
    for (const auto& c : d.columns) {
        const char* g = static_cast<const char*>(got) + c.offset;
        const char* w = static_cast<const char*>(want) + c.offset;
        switch (c.type) {
            case ColType::Long:
                EXPECT_EQ(*reinterpret_cast<const long*>(g), *reinterpret_cast<const long*>(w))
                    << c.name;
                break;
            case ColType::Int:
                EXPECT_EQ(*reinterpret_cast<const int32_t*>(g),
                          *reinterpret_cast<const int32_t*>(w))
                    << c.name;
                break;
            case ColType::Short:
                EXPECT_EQ(*reinterpret_cast<const short*>(g), *reinterpret_cast<const short*>(w))
                    << c.name;
                break;
            case ColType::Char:
                EXPECT_EQ(*g, *w) << c.name;
                break;
            case ColType::Text:
                EXPECT_EQ(*reinterpret_cast<const std::string*>(g),
                          *reinterpret_cast<const std::string*>(w))
                    << c.name;
                break;
        }
    }
}

class RoundTrip : public RecordsTest {
  protected:
    template <class C>
    void Check() {
        using R = typename C::Record;
        C a(list(), msg());
        const TableDesc& d = a.Desc();
        SCOPED_TRACE(d.table);

        // Each bound column once, each to a member of its own. A table may hold more
        // columns than its class binds (columns no code reads keep their defaults); that
        // every member of the record is bound is the build's schema check.
        ASSERT_EQ(db().dbOpen("SELECT * FROM " + d.table, 7), 0) << db().dbLastError();
        EXPECT_GE(static_cast<size_t>(db().Cursor(7)->Columns()), d.columns.size());
        db().dbClose(7);
        std::set<std::string> names;
        for (const auto& c : d.columns)
            EXPECT_TRUE(names.insert(c.name).second) << c.name << " bound twice";
        std::set<size_t> offsets;
        for (const auto& c : d.columns) {
            EXPECT_LT(c.offset, sizeof(R)) << c.name;
            EXPECT_TRUE(offsets.insert(c.offset).second) << c.name << " shares a member";
        }

        // Add with a new number (numeric keys) or the given code, then read back.
        Fill(d, a.GetItem(), 1, false);
        char* key = reinterpret_cast<char*>(a.GetItem()) + d.columns[0].offset;
        if (d.columns[0].type == ColType::Text) *reinterpret_cast<std::string*>(key) = "K1";
        ASSERT_TRUE(a.AddRec()) << msg()->errors().Text();
        const SqlValue id = d.columns[0].type == ColType::Text ? SqlValue("K1")
                            : d.columns[0].type == ColType::Char
                                ? SqlValue(*key)
                                : SqlValue(*reinterpret_cast<long*>(key));
        if (d.NumericKey()) {
            EXPECT_EQ(id.i, 1);
        }
        C b(list(), msg());
        ASSERT_TRUE(b.DBFindRecById(id));
        ExpectSame(d, b.GetItem(), a.GetItem());

        // Change every column but the key, write, read again.
        Fill(d, b.GetItem(), 2, true);
        ASSERT_TRUE(b.WriteRec()) << msg()->errors().Text();
        C c(list(), msg());
        ASSERT_TRUE(c.DBFindRecById(id));
        ExpectSame(d, c.GetItem(), b.GetItem());

        // A second new record takes the next number; deleting leaves the first alone.
        if (d.NumericKey()) {
            C e(list(), msg());
            Fill(d, e.GetItem(), 3, false);
            ASSERT_TRUE(e.AddRec());
            EXPECT_EQ(*reinterpret_cast<long*>(e.GetItem()), 2);
            ASSERT_TRUE(e.DeleteRec());
            EXPECT_FALSE(e.DBFindRecById(2L));
            EXPECT_FALSE(e.DbFailed());
        }
        EXPECT_EQ(c.GetRecCount(), 1);
    }
};

TEST_P(RoundTrip, EveryClassWritesAndRereadsEveryColumn) {
    Check<PracInfo>();
    Check<AccountInfo>();
    Check<PersInfo>();
    Check<PatClmInfo>();
    Check<ClmTrtInfo>();
    Check<PatOffChgInfo>();
    Check<AccPmtInfo>();
    Check<PmtAppInfo>();
    Check<PmtsInfo>();
    Check<AdjustInfo>();
    Check<BankInfo>();
    Check<InsCoInfo>();
    Check<ProdInfo>();
    Check<UseridInfo>();
    Check<DayShtInfo>();
    Check<DayEndInfo>();
    Check<DayDetInfo>();
    Check<PPSetInfo>();
    Check<PatPPlanInfo>();
    Check<PatNoteInfo>();
    Check<ProcInfo>();
    Check<ProcCatInfo>();
    Check<OffChgInfo>();
    Check<StatusInfo>();
    Check<RDistInfo>();
    Check<EmpPolInfo>();
    Check<DependentInfo>();
    Check<RecScanInfo>();
}

TEST_P(RoundTrip, NamesWithQuotesAndAccentsAreFoundAgain) {
    PersInfo p(list(), msg());
    p.GetItem()->lname = "O'Brien-Gagné";
    p.GetItem()->pname = "Éloïse";
    p.GetItem()->acc_id = 4;
    ASSERT_TRUE(p.AddRec());
    p.ClearRec();
    p.GetItem()->lname = "Côté";
    p.GetItem()->acc_id = 4;
    ASSERT_TRUE(p.AddRec());

    PersInfo q(list(), msg());
    ASSERT_TRUE(q.DBFindFirst(PersInfo::KEY_NAME, {"O'Brien-Gagné", "Éloïse"}));
    EXPECT_EQ(q.Rec().pat_id, 1);
    EXPECT_FALSE(q.DBFindNext());
    EXPECT_EQ(Text("SELECT PAT_LNAME FROM PATIENT WHERE PAT_ID = 1"), "O'Brien-Gagné");
    EXPECT_FALSE(q.DBFindFirst(PersInfo::KEY_NAME, {"O'Brien"}));
    EXPECT_FALSE(q.DbFailed());
}

TEST_P(RoundTrip, LongTextsAreCutByCharacterToTheirColumn) {
    AccountInfo a(list(), msg());
    // 30 characters, 36 bytes: ACC_LNAME holds 25 characters.
    a.GetItem()->lname = "Étienne-Séraphin Bélanger-Côté";
    a.GetItem()->city = std::string(
        "Montr\xe9"
        "al");  // Latin-1 byte: stored as UTF-8
    ASSERT_TRUE(a.AddRec()) << msg()->errors().Text();
    const std::string stored = Text("SELECT ACC_LNAME FROM ACCOUNT WHERE ACC_ID = 1");
    EXPECT_EQ(stored, "Étienne-Séraphin Bélanger");
    EXPECT_EQ(host::U8Length(stored), 25u);
    EXPECT_EQ(Text("SELECT ACC_CITY FROM ACCOUNT WHERE ACC_ID = 1"), "Montréal");
    // The record keeps what the caller gave; the cut applies to what is stored.
    EXPECT_EQ(a.Rec().lname, "Étienne-Séraphin Bélanger-Côté");
}

TEST_P(RoundTrip, ColumnsLandInTheirOwnPlaces) {
    AccountInfo a(list(), msg());
    account_struct& r = *a.GetItem();
    r.acc_id = 77;
    r.pat_bal = 12345;
    r.ins_bal = -678;
    r.pat_90 = 4200;
    r.add_amt = 99;
    r.sys_inactive = 'Y';
    r.aged_date = 20241115;
    ASSERT_TRUE(a.AddRec());
    EXPECT_EQ(Int("SELECT ACC_PAT_BAL FROM ACCOUNT WHERE ACC_ID = 77"), 12345);
    EXPECT_EQ(Int("SELECT ACC_INS_BAL FROM ACCOUNT WHERE ACC_ID = 77"), -678);
    EXPECT_EQ(Int("SELECT ACC_PAT_90 FROM ACCOUNT WHERE ACC_ID = 77"), 4200);
    EXPECT_EQ(Int("SELECT ACC_ADD_AMT FROM ACCOUNT WHERE ACC_ID = 77"), 99);
    EXPECT_EQ(Int("SELECT ACC_AGED_DATE FROM ACCOUNT WHERE ACC_ID = 77"), 20241115);
    EXPECT_EQ(Text("SELECT ACC_SYS_INACTIVE FROM ACCOUNT WHERE ACC_ID = 77"), "Y");
    // Defaults of a new record are the schema's.
    EXPECT_EQ(Text("SELECT ACC_STATUS FROM ACCOUNT WHERE ACC_ID = 77"), "A");

    Exec("UPDATE PRODCD SET PROD_YTD_NET = 0");
    ProdInfo p(list(), msg());
    p.GetItem()->code = "D01";
    p.GetItem()->ytd_net = 5000000000L;  // beyond 32 bits: producer totals are 64-bit
    ASSERT_TRUE(p.AddRec());
    ProdInfo q(list(), msg());
    ASSERT_TRUE(q.FindByCode("D01"));
    EXPECT_EQ(q.Rec().ytd_net, 5000000000L);
}

TEST_P(RoundTrip, RefusedAddsLeaveTheRecordAsItWas) {
    AccountInfo a(list(), msg());
    a.GetItem()->acc_id = 5;
    ASSERT_TRUE(a.AddRec());
    AccountInfo b(list(), msg());
    b.GetItem()->acc_id = 5;  // taken
    TEmgBase err;
    EXPECT_FALSE(b.AddRec(&err));
    EXPECT_TRUE(b.DbFailed());
    EXPECT_NE(err.Text().find("ACCOUNT"), std::string::npos) << err.Text();
    EXPECT_FALSE(msg()->errors().HasError());  // the given error object, not the holder's

    PmtsInfo code(list(), msg());  // a code table needs its code
    EXPECT_FALSE(code.AddRec());
    EXPECT_TRUE(msg()->errors().HasError());
    EXPECT_EQ(code.GetRecCount(), 0);

    AccountInfo c(list(), msg());
    ASSERT_TRUE(c.AddRec());
    EXPECT_EQ(c.Rec().acc_id, 6);
}

INSTANTIATE_TEST_SUITE_P(Engines, RoundTrip, testing::ValuesIn(testing_support::Engines()),
                         EngineName);

}  // namespace
}  // namespace records_test
