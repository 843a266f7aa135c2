// The harness every command that closes or repairs a practice goes through, over the small
// demo practice (today 2024-11-15) written by `rapports demo` into a database of the test's
// own: the tables the command writes are kept aside once, so that every trial starts from the
// same practice; killed at random moments, the command leaves the practice before or after,
// whole, and running it again finishes; two workstations at once, one does the work and the
// other gets the system's message.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host/base/env.h"
#include "tests/support/harness.h"
#include "tests/support/process.h"
#include "tests/support/rows.h"
#include "tests/support/testdb.h"

namespace testing_support {

class ClosingHarness : public testing::TestWithParam<std::string> {
  protected:
    using Check = std::function<std::string(GenDB&)>;

    // tables: every table the command writes; each is restored before every run.
    explicit ClosingHarness(std::vector<std::string> tables) : tables_(std::move(tables)) {}

    void SetUp() override {
        if (!std::filesystem::exists(Sibling("rapports")))
            GTEST_SKIP() << "rapports n'est pas construit";
        t_ = std::make_unique<TestDb>(GetParam(), false);
        const auto demo = RunToEnd(Executable("rapports", {"demo", "--db", dsn(), "--size", "small",
                                                           "--today", "20241115", "--quiet"}));
        ASSERT_EQ(demo.exit_code, 0) << demo.output;
        ASSERT_NO_FATAL_FAILURE(BeforeKeep());
        for (const std::string& t : tables_)
            Exec(db(), "CREATE TABLE " + t + "_KEEP AS SELECT * FROM " + t);
    }
    void TearDown() override { t_.reset(); }

    // What every trial starts from besides the demo (rows added, dates moved).
    virtual void BeforeKeep() {}

    GenDB& db() { return t_->db(); }
    const std::string& dsn() const { return t_->dsn(); }
    const std::vector<std::string>& tables() const { return tables_; }
    // A folder of its own under the output folder, for a run's files.
    static std::string OutDir(const std::string& name) {
        return (std::filesystem::path(host::Env().output_dir) / name).string();
    }
    // The practice as every trial starts it.
    void Prepare() {
        ASSERT_TRUE(db().Begin());
        for (const std::string& t : tables_) {
            Exec(db(), "DELETE FROM " + t);
            Exec(db(), "INSERT INTO " + t + " SELECT * FROM " + t + "_KEEP");
        }
        ASSERT_TRUE(db().Commit());
    }
    CrashCase Kills(const Command& command, Check check) {
        CrashCase c;
        c.command = command;
        c.dsn = dsn();
        c.tables = tables_;
        c.prepare = [this] { Prepare(); };
        c.check = std::move(check);
        return c;
    }
    RaceCase Race(const Command& a, const Command& b, const std::string& busy_text) {
        RaceCase c;
        c.commands = {a, b};
        c.dsn = dsn();
        c.tables = tables_;
        c.prepare = [this] { Prepare(); };
        c.busy = [busy_text](const std::string& output) {
            return output.find(busy_text) != std::string::npos;
        };
        return c;
    }
    // A closing killed at random moments: whole or not at all, then finished by running it
    // again; a run after a kill that came once the closing had committed answers that it is
    // closed already (exit 3) and changes nothing.
    void ExpectClosingWhole(const Command& close, Check closed, const char* what) {
        CrashCase c = Kills(close, std::move(closed));
        c.success_codes = {0, 3};
        const CrashReport r = RunCrashTrials(c);
        EXPECT_TRUE(r.ok()) << r.Summary();
        std::printf("%s on %s: %s\n", what, GetParam().c_str(), r.Summary().c_str());
    }
    // Two workstations closing at once: one closes, the other answers busy_text.
    void ExpectOneCloses(const Command& a, const Command& b, const std::string& busy_text,
                         const Check& closed, const char* what) {
        const RaceReport r = RunRace(Race(a, b, busy_text));
        EXPECT_TRUE(r.ok()) << r.Summary();
        std::printf("%s on %s: %s\n", what, GetParam().c_str(), r.Summary().c_str());
        EXPECT_EQ(closed(db()), "");
    }

  private:
    std::vector<std::string> tables_;
    std::unique_ptr<TestDb> t_;
};

}  // namespace testing_support
