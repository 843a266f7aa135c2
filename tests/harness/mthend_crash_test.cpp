// The month-end closing killed at random moments and run by two workstations at once, on
// every engine, over the small demo practice (today 2024-11-15, no month-end yet; closing
// October 2024 carries the producers' receivables and year to date, removes October's day
// sheet and day records, stores the date and resets the limits due).
//
// Everything the closing changes is one transaction: a kill leaves the month open and
// untouched, or closed with all its effects; running it again closes it, or answers that
// it is closed. Of two workstations, one closes and the other gets the system's message.
// RAPPORTS_CRASH_TRIALS and RAPPORTS_RACE_ROUNDS set the kills and rounds.
#include <gtest/gtest.h>

#include <filesystem>

#include "host/base/env.h"
#include "tests/support/harness.h"
#include "tests/support/process.h"
#include "tests/support/rows.h"
#include "tests/support/testdb.h"

namespace {

namespace fs = std::filesystem;
using testing_support::Command;
using testing_support::Executable;
using testing_support::RunToEnd;

// The tables a closing writes; each is restored from a copy before every run.
const std::vector<std::string> kTables = {"PRODCD", "DAYSHT", "DAYDET",
                                          "DAYEND", "PPSET",  "PATDEP"};
// The message of a workstation that comes second.
constexpr const char* kAlreadyClosed = "Fin de mois déjà effectuée";

class MonthEndHarness : public testing::TestWithParam<std::string> {
  protected:
    void SetUp() override {
        if (!fs::exists(testing_support::Sibling("rapports")))
            GTEST_SKIP() << "rapports n'est pas construit";
        t_ = std::make_unique<testing_support::TestDb>(GetParam(), false);
        dsn_ = t_->dsn();
        const auto demo = RunToEnd(Executable("rapports", {"demo", "--db", dsn_, "--size", "small",
                                                           "--today", "20241115", "--quiet"}));
        ASSERT_EQ(demo.exit_code, 0) << demo.output;
        // Make limits due in October so that the reset is part of what must be whole.
        testing_support::Exec(db(),
                              "UPDATE PATDEP SET PDEP_RESET_DATE = 20241101 WHERE "
                              "PDEP_ID % 2 = 0");
        for (const std::string& t : kTables)
            testing_support::Exec(db(), "CREATE TABLE " + t + "_KEEP AS SELECT * FROM " + t);
        ASSERT_GT(OctoberLines(), 0);
    }
    void TearDown() override { t_.reset(); }

    GenDB& db() { return t_->db(); }
    void Prepare() {
        ASSERT_TRUE(db().Begin());
        for (const std::string& t : kTables) {
            testing_support::Exec(db(), "DELETE FROM " + t);
            testing_support::Exec(db(), "INSERT INTO " + t + " SELECT * FROM " + t + "_KEEP");
        }
        ASSERT_TRUE(db().Commit());
    }
    int64_t OctoberLines() {
        return db().QueryInt(
            "SELECT COUNT(*) FROM DAYSHT WHERE DSHT_DATE BETWEEN 20241001 AND 20241031");
    }
    Command Close() {
        return Executable(
            "rapports", {"close-month", "--db", dsn_, "--month", "202410", "--today", "20241115"});
    }
    // "" when October is closed with all its effects.
    static std::string Closed(GenDB& db) {
        if (db.QueryInt("SELECT DEND_MENDDATE FROM DAYEND") != 20241031) return "date not stored";
        if (db.QueryText("SELECT PPST_A51_FIELD08 FROM PPSET WHERE PPST_ID = 4") != "20241031")
            return "date not in the settings";
        if (db.QueryInt("SELECT COUNT(*) FROM DAYSHT WHERE DSHT_DATE BETWEEN 20241001 AND "
                        "20241031") != 0)
            return "October's day sheet kept";
        if (db.QueryInt("SELECT COUNT(*) FROM PRODCD WHERE PROD_AR_PROD <> 0") == 0)
            return "no receivable carried";
        if (db.QueryInt("SELECT COUNT(*) FROM PATDEP WHERE PDEP_RESET_DATE = 20241101") != 0)
            return "limits not reset";
        return {};
    }

    std::unique_ptr<testing_support::TestDb> t_;
    std::string dsn_;
};

TEST_P(MonthEndHarness, ClosingKilledLeavesTheMonthOpenOrClosedWhole) {
    testing_support::CrashCase c;
    c.command = Close();
    c.dsn = dsn_;
    c.tables = kTables;
    c.prepare = [&] { Prepare(); };
    // Run again after a kill that came once the closing had committed, the month is closed
    // already: the run says so (exit 3), changing nothing.
    c.success_codes = {0, 3};
    c.check = [](GenDB& db) { return Closed(db); };
    const testing_support::CrashReport r = RunCrashTrials(c);
    EXPECT_TRUE(r.ok()) << r.Summary();
    std::printf("month-end closing on %s: %s\n", GetParam().c_str(), r.Summary().c_str());
}

TEST_P(MonthEndHarness, TwoWorkstationsClosingTheSameMonth) {
    testing_support::RaceCase c;
    c.commands = {Close(), Close()};
    c.dsn = dsn_;
    c.tables = kTables;
    c.prepare = [&] { Prepare(); };
    c.busy = [](const std::string& output) {
        return output.find(kAlreadyClosed) != std::string::npos;
    };
    const testing_support::RaceReport r = RunRace(c);
    EXPECT_TRUE(r.ok()) << r.Summary();
    std::printf("two month-end closings at once on %s: %s\n", GetParam().c_str(),
                r.Summary().c_str());
    EXPECT_EQ(Closed(db()), "");
}

INSTANTIATE_TEST_SUITE_P(Engines, MonthEndHarness, testing::ValuesIn(testing_support::Engines()),
                         testing_support::EngineName);

}  // namespace
