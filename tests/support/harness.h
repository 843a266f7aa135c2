// Harnesses for the commands that change a practice, run as child processes of the test so
// that a kill is a real SIGKILL and two workstations are two processes:
//
// - RunCrashTrials kills the command at a random moment, N times (RAPPORTS_CRASH_TRIALS,
//   else the case's default), and checks each time that the practice is exactly as before
//   or exactly as after (a digest of every table the command may touch), then that running
//   the command again completes it.
// - RunRace starts two commands at the same moment on the same practice (RAPPORTS_RACE_ROUNDS
//   rounds) and checks that the outcome is one that running them one after the other gives,
//   exit codes included, or that one did the work while the other answered with the
//   system's message: nothing lost, nothing done twice.
//
//   const testing_support::CrashReport r = testing_support::RunCrashTrials(
//       testing_support::Executable("rapports", {"demo", "--db", dsn, "--force"}), dsn,
//       host::SchemaTables(),                              // every table it may touch
//       [&] { /* the practice as it is before the command */ },
//       [](GenDB& db) { return std::string(); });          // "" when the final state is right
//   EXPECT_TRUE(r.ok()) << r.Summary();
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "host/db/gendb.h"

namespace testing_support {

// --- Digests ---

struct TableDigest {
    bool exists = false;
    long rows = 0;
    uint64_t sum = 0, mix = 0;  // over the rows' hashes: the same rows in any order match
    bool operator==(const TableDigest&) const = default;
};

// Every given table (names without prefix) of a database, read through a connection of
// its own that is closed afterwards.
struct Digest {
    std::map<std::string, TableDigest> tables;
    std::string error;  // the database could not be read
    bool operator==(const Digest& o) const { return error.empty() && tables == o.tables; }
    // What differs from other, table by table ("ACCOUNT: 12 lignes / 13 lignes").
    std::string Difference(const Digest& other) const;
    long Rows() const;
};
Digest DigestTables(const std::string& dsn, const std::vector<std::string>& tables);

// --- Child processes ---

struct Command {
    std::vector<std::string> argv;                         // argv[0]: the executable's path
    std::vector<std::pair<std::string, std::string>> env;  // added to the test's environment
    std::string Text() const;                              // for messages
};

struct ProcessResult {
    int exit_code = -1;  // -1 when it did not exit by itself
    int signal = 0;      // the signal that ended it
    std::string output;  // standard output and error
    double seconds = 0;
};

// An executable built beside the running test (build/bin/NAME) with its arguments, run with
// the test's station and data folders.
Command Executable(const char* name, std::vector<std::string> args);

// Runs command to its end.
ProcessResult RunToEnd(const Command& command);

// A number from an environment variable, else def.
int EnvCount(const char* name, int def);

// Kills and races per case when the environment does not say: a few, and one under the
// sanitizers, whose children run several times slower.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr int kDefaultTrials = 1;
#else
inline constexpr int kDefaultTrials = 3;
#endif

// --- Crash trials ---

struct CrashCase {
    Command command;
    std::string dsn;                           // the practice the command changes
    std::vector<std::string> tables;           // every table it may touch
    std::function<void()> prepare;             // puts the practice in its state before the command
    std::function<std::string(GenDB&)> check;  // optional: "" when the final state is right
    int trials = EnvCount("RAPPORTS_CRASH_TRIALS", kDefaultTrials);
    // Kill moments as fractions of an uninterrupted run, one trial each (replaces trials);
    // empty: random moments over the whole run.
    std::vector<double> moments;
    // For a command whose work is steps that each commit whole (a repair account by
    // account): "" when a practice that is neither as before nor as after is made of whole
    // steps. Without it only before and after are accepted.
    std::function<std::string(GenDB&)> partial;
    // The exit codes of a run that did its work.
    std::vector<int> success_codes = {0};
};

struct CrashReport {
    int trials = 0;
    int left_before = 0;   // killed, the practice as before
    int left_after = 0;    // killed after its work was done
    int left_partial = 0;  // killed between two whole steps (CrashCase::partial)
    int finished = 0;      // ended before the kill came
    double command_seconds = 0;
    unsigned seed = 0;  // RAPPORTS_CRASH_SEED replays the same kill moments
    std::vector<std::string> failures;
    bool ok() const { return failures.empty(); }
    std::string Summary() const;
};

CrashReport RunCrashTrials(const CrashCase& c);
// The same in one call, with the default number of trials.
CrashReport RunCrashTrials(const Command& command, const std::string& dsn,
                           const std::vector<std::string>& tables, std::function<void()> prepare,
                           std::function<std::string(GenDB&)> check = {});

// --- Races ---

struct RaceCase {
    std::vector<Command> commands;  // two workstations, started at the same moment
    std::string dsn;
    std::vector<std::string> tables;
    std::function<void()> prepare;  // the practice before the commands (each round)
    // Whether output is the system's answer to a workstation that came second (a lock held
    // by another workstation); such a process may leave the work to the other.
    std::function<bool(const std::string& output)> busy;
    // Each command reads the practice before it writes (a dialog shows the saved options
    // first), so that the later of two saves may replace the earlier whole, as read before
    // it: each command's state when run alone is then an outcome too, with every exit 0.
    bool later_replaces = false;
    int rounds = EnvCount("RAPPORTS_RACE_ROUNDS", kDefaultTrials);
};

struct RaceReport {
    int rounds = 0;
    int serial = 0;    // ended as one after the other
    int busy = 0;      // one answered that the other was at it
    int replaced = 0;  // both saved, the later replaced the earlier whole
    std::vector<std::string> failures;
    bool ok() const { return failures.empty(); }
    std::string Summary() const;
};

RaceReport RunRace(const RaceCase& c);

}  // namespace testing_support
