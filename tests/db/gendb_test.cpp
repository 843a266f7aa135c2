// GenDB on every engine: cursors, NULLs, row counts, quoting, transactions, locks, prefix.
#include <gtest/gtest.h>

#include <fstream>

#include "host/base/env.h"
#include "host/db/gendb.h"
#include "tests/support/testdb.h"

using testing_support::TestDb;

namespace {

class GenDbTest : public testing::TestWithParam<std::string> {
  protected:
    void SetUp() override { t_ = std::make_unique<TestDb>(GetParam(), true); }
    GenDB& db() { return t_->db(); }
    void Exec(const std::string& sql) { ASSERT_EQ(db().dbExecute(sql), 0) << db().dbLastError(); }
    void AddAccount(long id, const std::string& last, const std::string& first) {
        Exec("INSERT INTO ACCOUNT (ACC_ID, ACC_LNAME, ACC_PNAME) VALUES (" + std::to_string(id) +
             ", " + host::SqlQuote(last) + ", " + host::SqlQuote(first) + ")");
    }
    void AddPatient(long id, long acc, const std::string& first) {
        Exec("INSERT INTO PATIENT (PAT_ID, PAT_ACCID, PAT_PNAME) VALUES (" + std::to_string(id) +
             ", " + std::to_string(acc) + ", " + host::SqlQuote(first) + ")");
    }
    std::unique_ptr<TestDb> t_;
};

TEST_P(GenDbTest, NestedCursorsWalkIndependently) {
    AddAccount(1, "Tremblay", "Luc");
    AddAccount(2, "Gagnon", "Marie");
    AddPatient(10, 1, "Luc");
    AddPatient(11, 1, "Léa");
    AddPatient(20, 2, "Marie");

    std::string seen;
    ASSERT_EQ(db().dbOpen("SELECT ACC_ID, ACC_LNAME FROM ACCOUNT ORDER BY ACC_ID", 44), 0);
    for (int r = db().dbFetch(0, 44); r == 0; r = db().dbFetch(1, 44)) {
        long acc = 0;
        char name[26];
        db().dbGetLong(1, &acc, 44);
        db().dbGetString(2, name, sizeof name, 44);
        seen += name;
        seen += ":";
        ASSERT_EQ(db().dbOpen("SELECT PAT_PNAME FROM PATIENT WHERE PAT_ACCID = " +
                                  std::to_string(acc) + " ORDER BY PAT_ID",
                              105),
                  0);
        for (int p = db().dbFetch(0, 105); p == 0; p = db().dbFetch(1, 105)) {
            std::string first;
            db().dbGetField(1, &first, 105);
            seen += first + ",";
        }
        db().dbClose(105);
        seen += ";";
    }
    EXPECT_EQ(db().dbFetch(1, 44), 100);  // stays at the end
    db().dbClose(44);
    EXPECT_EQ(seen, "Tremblay:Luc,Léa,;Gagnon:Marie,;");
}

TEST_P(GenDbTest, NullsReadAsEmptyAndZero) {
    Exec("INSERT INTO ACCOUNT (ACC_ID, ACC_LNAME, ACC_SYS_INACTIVE) VALUES (7, NULL, NULL)");
    ASSERT_EQ(db().dbOpen("SELECT MAX(ACC_LNAME), MAX(ACC_SYS_INACTIVE), SUM(ACC_PAT_BAL), "
                          "MAX(ACC_ID) FROM ACCOUNT WHERE ACC_ID = 99",
                          1),
              0);
    ASSERT_EQ(db().dbFetch(0, 1), 0);  // an aggregate over no rows gives one row of NULLs
    char text[10] = "garbage";
    long n = 42;
    char c = 'x';
    short s = 5;
    EXPECT_EQ(db().dbGetString(1, text, sizeof text, 1), 0);
    EXPECT_STREQ(text, "");
    EXPECT_EQ(db().dbGetChar(2, &c, 1), 0);
    EXPECT_EQ(c, '\0');
    EXPECT_EQ(db().dbGetLong(3, &n, 1), 0);
    EXPECT_EQ(n, 0);
    EXPECT_EQ(db().dbGetShort(4, &s, 1), 0);
    EXPECT_EQ(s, 0);
    // Out-of-range columns fail without touching memory beyond the buffers.
    EXPECT_NE(db().dbGetLong(5, &n, 1), 0);
    EXPECT_NE(db().dbGetString(0, text, sizeof text, 1), 0);
    db().dbClose(1);

    // The reports' condition on an inactive flag that may be NULL.
    EXPECT_EQ(db().QueryInt("SELECT COUNT(0) FROM ACCOUNT WHERE ACC_DELETE_DATE = 0 AND "
                            "(ACC_SYS_INACTIVE = 'N' OR ACC_SYS_INACTIVE IS NULL)"),
              1);
}

TEST_P(GenDbTest, RowCountKeepsThePosition) {
    for (int i = 1; i <= 5; ++i)
        AddAccount(i, "Nom" + std::to_string(i), "P");
    ASSERT_EQ(db().dbOpen("SELECT ACC_ID FROM ACCOUNT ORDER BY ACC_ID", 3), 0);
    long count = -1;
    ASSERT_EQ(db().dbRowCount(&count, 3), 0);
    EXPECT_EQ(count, 5);
    ASSERT_EQ(db().dbFetch(0, 3), 0);
    ASSERT_EQ(db().dbFetch(1, 3), 0);
    ASSERT_EQ(db().dbRowCount(&count, 3), 0);  // asked again in the middle of the walk
    EXPECT_EQ(count, 5);
    long id = 0;
    db().dbGetLong(1, &id, 3);
    EXPECT_EQ(id, 2);
    ASSERT_EQ(db().dbFetch(1, 3), 0);
    db().dbGetLong(1, &id, 3);
    EXPECT_EQ(id, 3);
    ASSERT_EQ(db().dbFetch(0, 3), 0);  // back to the first row
    db().dbGetLong(1, &id, 3);
    EXPECT_EQ(id, 1);
    db().dbClose(3);
    EXPECT_EQ(db().dbFetch(0, 3), -1);  // closed
}

TEST_P(GenDbTest, QuotedTextIsDataNeverSql) {
    AddAccount(1, "O'Brien", "Seán");
    AddAccount(2, "'); DROP TABLE ACCOUNT--", "Éloïse");
    EXPECT_EQ(db().QueryInt("SELECT COUNT(*) FROM ACCOUNT"), 2);
    EXPECT_EQ(db().QueryText("SELECT ACC_PNAME FROM ACCOUNT WHERE ACC_LNAME = " +
                             host::SqlQuote("O'Brien")),
              "Seán");
    // The module's own pattern: the text between quotes it writes itself.
    EXPECT_EQ(db().QueryInt("SELECT ACC_ID FROM ACCOUNT WHERE ACC_LNAME = '" +
                            host::SqlText("'); DROP TABLE ACCOUNT--") + "'"),
              2);
    // Invalid UTF-8 and NUL bytes are repaired rather than refused.
    AddAccount(3, std::string("Caf\xE9\0x", 6), "A");
    EXPECT_EQ(db().QueryText("SELECT ACC_LNAME FROM ACCOUNT WHERE ACC_ID = 3"),
              "Café"
              "x");
}

TEST_P(GenDbTest, StringsAreCutWithoutSplittingCharacters) {
    AddAccount(1, "Hébert-Éthier", "É");
    char buf[4];
    ASSERT_EQ(db().dbOpen("SELECT ACC_LNAME FROM ACCOUNT", 1), 0);
    ASSERT_EQ(db().dbFetch(0, 1), 0);
    db().dbGetString(1, buf, sizeof buf, 1);
    EXPECT_STREQ(buf, "Hé");  // "Héb" would need 4 bytes and the terminator
    db().dbClose(1);
}

TEST_P(GenDbTest, NegationAndQueriesAsTheReportsWriteThem) {
    Exec(
        "INSERT INTO ACCOUNT (ACC_ID, ACC_LNAME, ACC_STATUS, ACC_SYS_INACTIVE) VALUES "
        "(1, 'A', 'D', 'Y')");
    Exec(
        "INSERT INTO ACCOUNT (ACC_ID, ACC_LNAME, ACC_STATUS, ACC_SYS_INACTIVE) VALUES "
        "(2, 'B', 'D', 'N')");
    Exec(
        "INSERT INTO ACCOUNT (ACC_ID, ACC_LNAME, ACC_STATUS, ACC_SYS_INACTIVE) VALUES "
        "(3, 'C', 'A', 'N')");
    ASSERT_EQ(db().dbOpen("select acc_id from Account where (!(acc_status = 'D' and "
                          "acc_sys_inactive = 'Y')) order by ACC_LNAME, ACC_PNAME",
                          9),
              0)
        << db().dbLastError();
    std::string ids;
    for (int r = db().dbFetch(0, 9); r == 0; r = db().dbFetch(1, 9)) {
        long id;
        db().dbGetLong(1, &id, 9);
        ids += std::to_string(id);
    }
    db().dbClose(9);
    EXPECT_EQ(ids, "23");
    // LIKE compares case as both engines do here.
    Exec("INSERT INTO PATCLM (PCLM_ID, PCLM_STATUS) VALUES (1, 'C')");
    Exec("INSERT INTO CLMTRT (CTRT_ID, CTRT_PCLMID, CTRT_STATUS) VALUES (1, 1, 'C')");
    Exec("INSERT INTO CLMTRT (CTRT_ID, CTRT_PCLMID, CTRT_STATUS) VALUES (2, 1, 'c')");
    EXPECT_EQ(db().QueryInt("SELECT COUNT(0) FROM CLMTRT WHERE CTRT_STATUS LIKE 'C%'"), 1);
}

TEST_P(GenDbTest, StatementShapesAreCompiledOnce) {
    for (int i = 1; i <= 20; ++i)
        AddAccount(i, "N" + std::to_string(i), "P");
    const auto before = db().cache_stats();
    for (int i = 1; i <= 20; ++i) {
        EXPECT_EQ(
            db().QueryText("SELECT ACC_LNAME FROM ACCOUNT WHERE ACC_ID = " + std::to_string(i)),
            "N" + std::to_string(i));
    }
    const auto after = db().cache_stats();
    EXPECT_LE(after.prepared - before.prepared, 1);
    EXPECT_GE(after.reused - before.reused, 19);
}

TEST_P(GenDbTest, FailedWorkIsRolledBackWhole) {
    AddAccount(1, "Avant", "A");
    {
        host::DbTransaction tx(db());
        ASSERT_TRUE(tx.ok());
        Exec("UPDATE ACCOUNT SET ACC_PAT_BAL = 500 WHERE ACC_ID = 1");
        AddAccount(2, "Pendant", "B");
        // A duplicate key fails; the transaction is abandoned, not committed.
        EXPECT_NE(db().dbExecute("INSERT INTO ACCOUNT (ACC_ID) VALUES (1)"), 0);
        EXPECT_NE(db().dbLastError(), nullptr);
    }
    EXPECT_EQ(db().TransactionDepth(), 0);
    EXPECT_EQ(db().QueryInt("SELECT COUNT(*) FROM ACCOUNT"), 1);
    EXPECT_EQ(db().QueryInt("SELECT ACC_PAT_BAL FROM ACCOUNT WHERE ACC_ID = 1"), 0);

    // A nested scope rolls back alone; the outer one commits.
    {
        host::DbTransaction outer(db());
        AddAccount(3, "Externe", "C");
        {
            host::DbTransaction inner(db());
            AddAccount(4, "Interne", "D");
        }
        EXPECT_TRUE(outer.Commit());
    }
    EXPECT_EQ(db().QueryInt("SELECT COUNT(*) FROM ACCOUNT WHERE ACC_ID = 3"), 1);
    EXPECT_EQ(db().QueryInt("SELECT COUNT(*) FROM ACCOUNT WHERE ACC_ID = 4"), 0);
}

TEST_P(GenDbTest, ErrorsAreReportedAndCleared) {
    EXPECT_NE(db().dbOpen("SELECT NO_SUCH_COLUMN FROM ACCOUNT", 1), 0);
    ASSERT_NE(db().dbLastError(), nullptr);
    EXPECT_FALSE(std::string(db().dbLastError()).empty());
    EXPECT_EQ(db().dbOpen("SELECT ACC_ID FROM ACCOUNT", 1), 0);
    EXPECT_EQ(db().dbLastError(), nullptr);
    EXPECT_EQ(db().dbFetch(0, 1), 100);  // empty table
    EXPECT_EQ(db().dbFetch(0, 77), -1);  // never opened
    EXPECT_NE(db().dbExecute(static_cast<const char*>(nullptr)), 0);
}

TEST_P(GenDbTest, ExcludingLockKeepsOtherWorkstationsOut) {
    auto other = t_->OpenAnother();
    ASSERT_TRUE(other);
    other->SetLockWaitSeconds(0);
    ASSERT_TRUE(db().Lock("DAYEND", 3));
    ASSERT_TRUE(db().Lock("DAYEND", 3));  // counted
    EXPECT_FALSE(other->Lock("DAYEND", 3));
    EXPECT_TRUE(db().Unlock("DAYEND", 3));
    EXPECT_FALSE(other->Lock("DAYEND", 3));  // still held once
    EXPECT_TRUE(db().Unlock("DAYEND", 3));
    EXPECT_TRUE(other->Lock("DAYEND", 3));
    EXPECT_TRUE(other->Unlock("DAYEND", 3));
    EXPECT_FALSE(db().Unlock("DAYEND", 3));  // nothing left to release
}

TEST_P(GenDbTest, WritesUnderALockAreKept) {
    ASSERT_TRUE(db().Lock("ACCOUNT", 3));
    AddAccount(1, "Verrou", "V");
    ASSERT_TRUE(db().Unlock("ACCOUNT", 3));
    auto other = t_->OpenAnother();
    EXPECT_EQ(other->QueryInt("SELECT COUNT(*) FROM ACCOUNT"), 1);
}

TEST_P(GenDbTest, BulkLoadsRowsAndRefusesShortRows) {
    {
        auto bulk = db().Bulk("DAYSHT", {"DSHT_ID", "DSHT_DATE", "DSHT_SORTID", "DSHT_PRODUCER"});
        ASSERT_TRUE(bulk);
        for (int i = 1; i <= 2000; ++i) {
            bulk->Int(i).Int(20240100 + i % 28 + 1).Text(i % 2 ? "F" : "L").Text("D\t\\");
            ASSERT_TRUE(bulk->EndRow()) << bulk->Error();
        }
        ASSERT_TRUE(bulk->Finish()) << bulk->Error();
    }
    EXPECT_EQ(db().QueryInt("SELECT COUNT(*) FROM DAYSHT"), 2000);
    EXPECT_EQ(db().QueryText("SELECT DSHT_PRODUCER FROM DAYSHT WHERE DSHT_ID = 5"), "D\t\\");
    auto bad = db().Bulk("DAYSHT", {"DSHT_ID", "DSHT_DATE"});
    ASSERT_TRUE(bad);
    bad->Int(99999);
    EXPECT_FALSE(bad->EndRow());
    EXPECT_FALSE(bad->Error().empty());
}

TEST_P(GenDbTest, TablePrefixNamesEveryTable) {
    TestDb prefixed(GetParam(), true, "ND_");
    EXPECT_STREQ(prefixed->dbTablePrefix(), "ND_");
    ASSERT_EQ(prefixed->dbExecute("INSERT INTO ND_ACCOUNT (ACC_ID, ACC_LNAME) VALUES (1, 'X')"), 0);
    EXPECT_EQ(prefixed->QueryInt(std::string("SELECT COUNT(*) FROM ") + prefixed->dbTablePrefix() +
                                 "ACCOUNT"),
              1);
    EXPECT_TRUE(host::SchemaExists(prefixed.db()));
    EXPECT_NE(prefixed->dbOpen("SELECT COUNT(*) FROM ACCOUNT", 1), 0);  // unprefixed: absent
}

INSTANTIATE_TEST_SUITE_P(Engines, GenDbTest, testing::ValuesIn(testing_support::Engines()),
                         testing_support::EngineName);

TEST(GenDbOpen, BadConnectionsAreRefusedWithAReason) {
    std::string error;
    EXPECT_EQ(GenDB::Open("sqlite:/no/such/folder/p.db", &error), nullptr);
    EXPECT_NE(error.find("/no/such/folder"), std::string::npos);

    const std::string junk = host::Env().data_dir + "/not-a-db.db";
    std::ofstream(junk) << "this is not a database file, just text that is long enough";
    error.clear();
    EXPECT_EQ(GenDB::Open(junk, &error), nullptr);
    EXPECT_FALSE(error.empty());

    error.clear();
    EXPECT_EQ(GenDB::Open("postgresql://nobody@127.0.0.1:1/none?connect_timeout=2", &error),
              nullptr);
    EXPECT_FALSE(error.empty());

    error.clear();
    EXPECT_EQ(GenDB::Open("sqlite::memory:?prefix=bad-prefix", &error), nullptr);
    EXPECT_FALSE(error.empty());
}

}  // namespace
