// The schema upgrade of a practice made by an earlier version: the indexes added since are
// made once and those widened since made again, with the version row, the practice's rows
// untouched; a second run, or a second workstation at the same moment, finds nothing left to
// do; what is not a practice of an earlier or this version is refused as it is.
#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#include "host/db/gendb.h"
#include "tests/support/testdb.h"

namespace {

using testing_support::TestDb;

// The receivable walk's indexes as versions 1 to 3 made them: the parent and the key alone.
const std::vector<std::pair<const char*, const char*>> kNarrowWalk = {
    {"IX_PCLM_PAT", "PATCLM (PCLM_PATID, PCLM_ID)"},
    {"IX_CTRT_CLM", "CLMTRT (CTRT_PCLMID, CTRT_ID)"},
    {"IX_APMT_ACC", "ACCPMT (APMT_ACCID, APMT_ID)"},
    {"IX_PAPP_APMT", "PMTAPP (PAPP_APMTID, PAPP_ID)"}};

// The practice as an earlier version made it: version 3 with the narrow walk indexes; version
// 2 also without the late applications' index; version 1 also without the deleted office
// charges' index, nor (in its first practices) the applications' index by producer, billing
// doctor and date.
void MakeVersion(GenDB& db, int version) {
    const std::string p = db.dbTablePrefix();
    for (const auto& [index, on] : kNarrowWalk) {
        ASSERT_EQ(db.dbExecute("DROP INDEX " + p + index), 0) << db.dbLastError();
        ASSERT_EQ(db.dbExecute("CREATE INDEX " + p + index + " ON " + p + on), 0)
            << db.dbLastError();
    }
    std::vector<const char*> dropped;
    if (version <= 2) dropped.push_back("IX_PAPP_LATE");
    if (version == 1) dropped.insert(dropped.end(), {"IX_POCH_DELDATE", "IX_PAPP_PAIR_DATE"});
    for (const char* index : dropped)
        ASSERT_EQ(db.dbExecute("DROP INDEX " + p + index), 0) << db.dbLastError();
    ASSERT_EQ(
        db.dbExecute("UPDATE " + p + "SCHEMAVER SET SCHV_VERSION = " + std::to_string(version)), 0);
}

bool HasIndex(GenDB& db, const std::string& name, bool pg) {
    const std::string q =
        pg ? "SELECT COUNT(*) FROM pg_indexes WHERE schemaname = current_schema() AND indexname = "
             "lower('" +
                 name + "')"
           : "SELECT COUNT(*) FROM sqlite_master WHERE type = 'index' AND name = '" + name + "'";
    return db.QueryInt(q, -1) == 1;
}

// The index's definition as the engine keeps it, in capitals.
std::string IndexDefinition(GenDB& db, const std::string& name, bool pg) {
    const std::string q =
        pg ? "SELECT indexdef FROM pg_indexes WHERE schemaname = current_schema() AND indexname "
             "= lower('" +
                 name + "')"
           : "SELECT sql FROM sqlite_master WHERE type = 'index' AND name = '" + name + "'";
    std::string def = db.QueryText(q);
    for (char& c : def)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return def;
}

// Each walk index carries the last column the walk reads of its table.
void ExpectWideWalk(GenDB& db, bool pg) {
    const std::string p = db.dbTablePrefix();
    const std::vector<std::pair<const char*, const char*>> last = {{"IX_PCLM_PAT", "PCLM_STATUS"},
                                                                   {"IX_CTRT_CLM", "CTRT_ADJ_AMT"},
                                                                   {"IX_APMT_ACC", "APMT_REVERSED"},
                                                                   {"IX_PAPP_APMT", "PAPP_PATID"}};
    for (const auto& [index, column] : last)
        EXPECT_NE(IndexDefinition(db, p + index, pg).find(column), std::string::npos)
            << index << ": " << IndexDefinition(db, p + index, pg);
}

class Upgrade : public testing::TestWithParam<std::tuple<std::string, std::string>> {
  protected:
    const std::string& Engine() const { return std::get<0>(GetParam()); }
    const std::string& Prefix() const { return std::get<1>(GetParam()); }
    bool Pg() const { return Engine() == "postgresql"; }
    int64_t Version(GenDB& db) {
        return db.QueryInt("SELECT SCHV_VERSION FROM " + Prefix() + "SCHEMAVER", -1);
    }
};

TEST_P(Upgrade, AnOlderPracticeGetsItsNewIndexOnceAndKeepsItsRows) {
    TestDb t(Engine(), true, Prefix());
    GenDB& db = t.db();
    const std::string p = Prefix();
    ASSERT_EQ(db.dbExecute("INSERT INTO " + p +
                           "PATOCH (POCH_ID, POCH_PATID, POCH_DELDATE, POCH_TOTAL) VALUES "
                           "(1, 11, 20241031, 2500), (2, 11, 0, 4000)"),
              0)
        << db.dbLastError();
    MakeVersion(db, 1);
    ASSERT_FALSE(HasIndex(db, p + "IX_POCH_DELDATE", Pg()));
    ASSERT_TRUE(HasIndex(db, p + "IX_PAPP_PAIR_SYSDATE", Pg()));

    host::SchemaUpgrade done;
    std::string error;
    ASSERT_TRUE(host::UpgradeSchema(db, &done, &error)) << error;
    EXPECT_EQ(done.from, 1);
    EXPECT_EQ(done.to, host::SchemaVersion());
    EXPECT_EQ(Version(db), host::SchemaVersion());
    for (const char* index :
         {"IX_POCH_DELDATE", "IX_PAPP_PAIR_DATE", "IX_PAPP_PAIR_SYSDATE", "IX_PAPP_LATE"})
        EXPECT_TRUE(HasIndex(db, p + index, Pg())) << index;
    ExpectWideWalk(db, Pg());
    EXPECT_EQ(db.QueryInt("SELECT SUM(POCH_TOTAL) FROM " + p + "PATOCH WHERE POCH_DELDATE > 0"),
              2500);

    // Current already: nothing to do, nothing refused.
    ASSERT_TRUE(host::UpgradeSchema(db, &done, &error)) << error;
    EXPECT_EQ(done.from, done.to);
}

TEST_P(Upgrade, APracticeOfVersionTwoGetsOnlyTheLaterIndex) {
    TestDb t(Engine(), true, Prefix());
    GenDB& db = t.db();
    const std::string p = Prefix();
    MakeVersion(db, 2);
    // An index version 2 brought, dropped by hand: not version 3's to make again.
    ASSERT_EQ(db.dbExecute("DROP INDEX " + p + "IX_POCH_DELDATE"), 0) << db.dbLastError();
    host::SchemaUpgrade done;
    std::string error;
    ASSERT_TRUE(host::UpgradeSchema(db, &done, &error)) << error;
    EXPECT_EQ(done.from, 2);
    EXPECT_EQ(Version(db), host::SchemaVersion());
    EXPECT_TRUE(HasIndex(db, p + "IX_PAPP_LATE", Pg()));
    EXPECT_FALSE(HasIndex(db, p + "IX_POCH_DELDATE", Pg()));
    ExpectWideWalk(db, Pg());
}

TEST_P(Upgrade, APracticeOfVersionThreeGetsItsWalkIndexesWidenedAndKeepsItsRows) {
    TestDb t(Engine(), true, Prefix());
    GenDB& db = t.db();
    const std::string p = Prefix();
    ASSERT_EQ(db.dbExecute("INSERT INTO " + p +
                           "PMTAPP (PAPP_ID, PAPP_APMTID, PAPP_AMOUNT) VALUES (1, 7, 1250), "
                           "(2, 7, -300)"),
              0)
        << db.dbLastError();
    MakeVersion(db, 3);
    ASSERT_EQ(IndexDefinition(db, p + "IX_PAPP_APMT", Pg()).find("PAPP_PATID"), std::string::npos);
    host::SchemaUpgrade done;
    std::string error;
    ASSERT_TRUE(host::UpgradeSchema(db, &done, &error)) << error;
    EXPECT_EQ(done.from, 3);
    EXPECT_EQ(Version(db), host::SchemaVersion());
    ExpectWideWalk(db, Pg());
    EXPECT_EQ(db.QueryInt("SELECT SUM(PAPP_AMOUNT) FROM " + p + "PMTAPP WHERE PAPP_APMTID = 7"),
              950);
}

TEST_P(Upgrade, AnUpgradeThatFailsLeavesThePracticeAsItWas) {
    TestDb t(Engine(), true, Prefix());
    GenDB& db = t.db();
    const std::string p = Prefix();
    MakeVersion(db, 1);
    // A table holding the name of an index to make: its creation fails after the
    // applications' index was made in the same transaction.
    ASSERT_EQ(db.dbExecute("CREATE TABLE " + p + "IX_POCH_DELDATE (X INTEGER)"), 0)
        << db.dbLastError();
    std::string error;
    EXPECT_FALSE(host::UpgradeSchema(db, nullptr, &error));
    EXPECT_NE(error.find(p + "IX_POCH_DELDATE"), std::string::npos) << error;
    EXPECT_EQ(Version(db), 1);
    EXPECT_FALSE(HasIndex(db, p + "IX_PAPP_PAIR_DATE", Pg()));
}

TEST_P(Upgrade, TwoWorkstationsAtOnceOneUpgradesTheOtherFindsItDone) {
    TestDb t(Engine(), true, Prefix());
    MakeVersion(t.db(), 1);
    auto a = t.OpenAnother();
    auto b = t.OpenAnother();
    host::SchemaUpgrade done_a, done_b;
    std::string error_a, error_b;
    bool ok_a = false, ok_b = false;
    std::thread first([&] { ok_a = host::UpgradeSchema(*a, &done_a, &error_a); });
    std::thread second([&] { ok_b = host::UpgradeSchema(*b, &done_b, &error_b); });
    first.join();
    second.join();
    ASSERT_TRUE(ok_a) << error_a;
    ASSERT_TRUE(ok_b) << error_b;
    // Exactly one of them found version 1.
    EXPECT_EQ((done_a.from == 1) + (done_b.from == 1), 1);
    EXPECT_EQ(Version(t.db()), host::SchemaVersion());
}

TEST_P(Upgrade, WhatIsNotAnOlderPracticeIsRefusedAsItIs) {
    {
        TestDb empty(Engine(), false, Prefix());
        std::string error;
        EXPECT_FALSE(host::UpgradeSchema(empty.db(), nullptr, &error));
        EXPECT_NE(error.find("aucun cabinet"), std::string::npos) << error;
    }
    TestDb t(Engine(), true, Prefix());
    const int later = host::SchemaVersion() + 1;
    ASSERT_EQ(t.db().dbExecute("UPDATE " + Prefix() +
                               "SCHEMAVER SET SCHV_VERSION = " + std::to_string(later)),
              0);
    std::string error;
    EXPECT_FALSE(host::UpgradeSchema(t.db(), nullptr, &error));
    EXPECT_NE(error.find("plus récente"), std::string::npos) << error;
    EXPECT_EQ(Version(t.db()), later);
}

std::vector<std::tuple<std::string, std::string>> Params() {
    std::vector<std::tuple<std::string, std::string>> out;
    for (const std::string& e : testing_support::Engines())
        for (const char* prefix : {"", "CAB_"})
            out.emplace_back(e, prefix);
    return out;
}

INSTANTIATE_TEST_SUITE_P(
    Engines, Upgrade, testing::ValuesIn(Params()),
    [](const testing::TestParamInfo<std::tuple<std::string, std::string>>& info) {
        return std::get<0>(info.param) + (std::get<1>(info.param).empty() ? "" : "_prefixed");
    });

}  // namespace
