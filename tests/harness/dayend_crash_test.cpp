// The closing of a day killed at random moments and run by two workstations at once, on
// every engine, over the small demo practice (its last closed day is 2024-11-14; closing
// 2024-11-15 with the purge deletes the appointments cancelled up to that day).
//
// Everything the closing changes (the last closed day, the day's record closed and printed,
// the purge) is one transaction: a kill leaves the day open and untouched, or closed with
// all its effects; running it again closes it, or answers that it is closed. Of two
// workstations, one closes and the other gets the system's message.
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

constexpr long kDay = 20241115;
// The tables a closing writes; each is restored from a copy before every run.
const std::vector<std::string> kTables = {"DAYEND", "DAYDET", "PATAPT"};
// The message of a workstation that comes second.
constexpr const char* kAlreadyClosed = "Fin de journée déjà effectuée";

class DayEndHarness : public testing::TestWithParam<std::string> {
  protected:
    void SetUp() override {
        if (!fs::exists(testing_support::Sibling("rapports")))
            GTEST_SKIP() << "rapports n'est pas construit";
        t_ = std::make_unique<testing_support::TestDb>(GetParam(), false);
        dsn_ = t_->dsn();
        const auto demo = RunToEnd(Executable("rapports", {"demo", "--db", dsn_, "--size", "small",
                                                           "--today", "20241115", "--quiet"}));
        ASSERT_EQ(demo.exit_code, 0) << demo.output;
        for (const std::string& t : kTables)
            testing_support::Exec(db(), "CREATE TABLE " + t + "_KEEP AS SELECT * FROM " + t);
        ASSERT_GT(Cancelled(), 0) << "the demo has no cancelled appointment to purge";
    }
    void TearDown() override { t_.reset(); }

    GenDB& db() { return t_->db(); }
    // The practice as the demo left it: the day open, its cancelled appointments kept.
    void Prepare() {
        ASSERT_TRUE(db().Begin());
        for (const std::string& t : kTables) {
            testing_support::Exec(db(), "DELETE FROM " + t);
            testing_support::Exec(db(), "INSERT INTO " + t + " SELECT * FROM " + t + "_KEEP");
        }
        ASSERT_TRUE(db().Commit());
    }
    int64_t Cancelled() {
        return db().QueryInt(
            "SELECT COUNT(*) FROM PATAPT WHERE PAPT_DELDATE > 0 AND PAPT_DELDATE "
            "<= " +
            std::to_string(kDay));
    }
    Command Close(const std::string& out) {
        return Executable("rapports",
                          {"run", "101", "--db", dsn_, "--today", "20241115", "--output-kind", "3",
                           "--out", (fs::path(host::Env().output_dir) / out).string(), "--set",
                           "date=20241115", "--set", "close=yes", "--set", "purge=yes"});
    }
    // "" when the day is closed with all its effects.
    static std::string Closed(GenDB& db) {
        const std::string day = std::to_string(kDay);
        if (db.QueryInt("SELECT DEND_LASTDAY FROM DAYEND") != kDay) return "last day not moved";
        if (db.QueryInt("SELECT COUNT(*) FROM DAYDET WHERE DDET_DATE = " + day +
                        " AND DDET_CLOSED = 'Y' AND DDET_PRINTED = 'Y'") != 1)
            return "the day's record is not closed and printed";
        if (db.QueryInt("SELECT COUNT(*) FROM PATAPT WHERE PAPT_DELDATE > 0 AND PAPT_DELDATE <= " +
                        day) != 0)
            return "cancelled appointments not purged";
        return {};
    }

    std::unique_ptr<testing_support::TestDb> t_;
    std::string dsn_;
};

TEST_P(DayEndHarness, ClosingKilledLeavesTheDayOpenOrClosedWhole) {
    testing_support::CrashCase c;
    c.command = Close("kill");
    c.dsn = dsn_;
    c.tables = kTables;
    c.prepare = [&] { Prepare(); };
    // Run again after a kill that came once the closing had committed, the day is closed
    // already: the run prints its report and says so (exit 3), changing nothing.
    c.success_codes = {0, 3};
    c.check = [](GenDB& db) { return Closed(db); };
    const testing_support::CrashReport r = RunCrashTrials(c);
    EXPECT_TRUE(r.ok()) << r.Summary();
    std::printf("day-end closing on %s: %s\n", GetParam().c_str(), r.Summary().c_str());
}

TEST_P(DayEndHarness, TwoWorkstationsClosingTheSameDay) {
    testing_support::RaceCase c;
    c.commands = {Close("race1"), Close("race2")};
    c.dsn = dsn_;
    c.tables = kTables;
    c.prepare = [&] { Prepare(); };
    c.busy = [](const std::string& output) {
        return output.find(kAlreadyClosed) != std::string::npos;
    };
    const testing_support::RaceReport r = RunRace(c);
    EXPECT_TRUE(r.ok()) << r.Summary();
    std::printf("two day-end closings at once on %s: %s\n", GetParam().c_str(),
                r.Summary().c_str());
    EXPECT_EQ(Closed(db()), "");
}

INSTANTIATE_TEST_SUITE_P(Engines, DayEndHarness, testing::ValuesIn(testing_support::Engines()),
                         testing_support::EngineName);

}  // namespace
