#include "tests/support/harness.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <thread>

#include "host/base/env.h"
#include "tests/support/process.h"

extern char** environ;

namespace testing_support {

namespace {

using Clock = std::chrono::steady_clock;

double Since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

uint64_t Fnv(std::string_view s, uint64_t h = 1469598103934665603ULL) {
    for (unsigned char c : s) {
        h ^= c;
        h *= 1099511628211ULL;
    }
    return h;
}

// A second, independent spread of a row's hash, so that two sums must agree.
uint64_t Mix(uint64_t h) {
    h ^= h >> 33;
    h *= 0xff51afd7ed558ccdULL;
    h ^= h >> 33;
    h *= 0xc4ceb9fe1a85ec53ULL;
    return h ^ (h >> 33);
}

std::string Excerpt(const std::string& output) {
    std::string s = output.size() > 600 ? "..." + output.substr(output.size() - 600) : output;
    while (!s.empty() && (s.back() == '\n' || s.back() == ' '))
        s.pop_back();
    return s.empty() ? "(nothing printed)" : s;
}

// A child process started by Spawn, with its output going to a file.
struct Child {
    pid_t pid = -1;
    std::string output_path;
    Clock::time_point start;
};

// Starts command; with gate >= 0 the child waits until the gate pipe's writing end is
// closed by every holder (the test), so that several children start at the same moment.
Child Spawn(const Command& c, int gate_read = -1, int gate_write = -1) {
    Child child;
    std::string path = (std::filesystem::temp_directory_path() / "rapports-child-XXXXXX").string();
    const int out = mkstemp(path.data());
    if (out < 0) return child;
    child.output_path = path;

    // Everything the child needs is made before fork: after it, only exec.
    std::vector<std::string> args = c.argv;
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        const std::string name = entry.substr(0, entry.find('='));
        const bool replaced = std::any_of(c.env.begin(), c.env.end(),
                                          [&](const auto& kv) { return kv.first == name; });
        if (!replaced) env.push_back(entry);
    }
    for (const auto& [name, value] : c.env)
        env.push_back(name + "=" + value);
    std::vector<char*> argv, envp;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    for (std::string& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);

    child.start = Clock::now();
    child.pid = fork();
    if (child.pid == 0) {
        if (gate_write >= 0) close(gate_write);
        if (gate_read >= 0) {
            char b;
            while (read(gate_read, &b, 1) < 0 && errno == EINTR) {
            }
            close(gate_read);
        }
        dup2(out, 1);
        dup2(out, 2);
        close(out);
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    close(out);
    return child;
}

ProcessResult Collect(Child& child, int status) {
    ProcessResult r;
    r.seconds = Since(child.start);
    if (WIFEXITED(status)) r.exit_code = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) r.signal = WTERMSIG(status);
    std::ifstream in(child.output_path, std::ios::binary);
    r.output.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    std::error_code ec;
    std::filesystem::remove(child.output_path, ec);
    return r;
}

ProcessResult Wait(Child& child) {
    if (child.pid <= 0) {
        ProcessResult r;
        r.output = "the process could not be started";
        return r;
    }
    int status = 0;
    while (waitpid(child.pid, &status, 0) < 0 && errno == EINTR) {
    }
    return Collect(child, status);
}

// Waits at most `seconds` after the child's start, then kills it with SIGKILL; *killed
// tells whether it was still running.
ProcessResult KillAfter(Child& child, double seconds, bool* killed) {
    *killed = false;
    int status = 0;
    while (Since(child.start) < seconds) {
        const pid_t done = waitpid(child.pid, &status, WNOHANG);
        if (done == child.pid) return Collect(child, status);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    *killed = kill(child.pid, SIGKILL) == 0;
    return Wait(child);
}

// The last line a command printed (its message when it failed).
std::string LastLine(const std::string& output) {
    std::string s = output;
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r' || s.back() == ' '))
        s.pop_back();
    const size_t nl = s.rfind('\n');
    return nl == std::string::npos ? s : s.substr(nl + 1);
}

// What makes two commands the same: their arguments and environment.
std::string Key(const Command& c) {
    std::string key;
    for (const std::string& a : c.argv)
        key += a + '\x1f';
    for (const auto& [name, value] : c.env)
        key += name + '=' + value + '\x1f';
    return key;
}

std::string CheckFinal(const std::function<std::string(GenDB&)>& check, const std::string& dsn) {
    if (!check) return {};
    std::string error;
    std::unique_ptr<GenDB> db = GenDB::Open(dsn, &error);
    if (!db) return "cannot open " + dsn + ": " + error;
    return check(*db);
}

}  // namespace

// --- Digests ---

Digest DigestTables(const std::string& dsn, const std::vector<std::string>& tables) {
    Digest d;
    std::unique_ptr<GenDB> db = GenDB::Open(dsn, &d.error);
    if (!db) return d;
    constexpr int kCursor = 900;
    for (const std::string& table : tables) {
        TableDigest& t = d.tables[table];
        if (db->dbOpen("SELECT * FROM " + std::string(db->dbTablePrefix()) + table, kCursor) != 0)
            continue;  // no such table
        t.exists = true;
        host::DbCursor* cur = db->Cursor(kCursor);
        int rc = db->dbFetch(0, kCursor);
        for (; rc == 0; rc = db->dbFetch(1, kCursor)) {
            uint64_t h = Fnv(table);
            for (int c = 1; c <= cur->Columns(); ++c) {
                h = Fnv(cur->IsNull(c) ? std::string_view("\x1e") : cur->Text(c), h);
                h = Fnv("\x1f", h);
            }
            ++t.rows;
            t.sum += h;
            t.mix += Mix(h);
        }
        if (rc < 0) d.error = table + ": " + (db->dbLastError() ? db->dbLastError() : "read");
        db->dbClose(kCursor);
    }
    return d;
}

std::string Digest::Difference(const Digest& other) const {
    if (!error.empty()) return "unreadable: " + error;
    if (!other.error.empty()) return "unreadable: " + other.error;
    std::string out;
    for (const auto& [table, t] : tables) {
        auto it = other.tables.find(table);
        const TableDigest o = it == other.tables.end() ? TableDigest{} : it->second;
        if (t == o) continue;
        if (!out.empty()) out += ", ";
        out += table + ": ";
        auto describe = [](const TableDigest& x) {
            return x.exists ? std::to_string(x.rows) + " rows" : std::string("absent");
        };
        out += describe(t) + " / " + describe(o);
        if (t.exists && o.exists && t.rows == o.rows) out += " (other values)";
    }
    return out.empty() ? "no difference" : out;
}

long Digest::Rows() const {
    long n = 0;
    for (const auto& [table, t] : tables)
        n += t.rows;
    return n;
}

// --- Processes ---

std::string Command::Text() const {
    std::string out;
    for (size_t i = 0; i < argv.size(); ++i) {
        std::string a = i == 0 ? std::filesystem::path(argv[i]).filename().string() : argv[i];
        if (!out.empty()) out += ' ';
        out += a;
    }
    return out;
}

Command Executable(const char* name, std::vector<std::string> args) {
    Command c;
    c.argv.push_back(Sibling(name));
    for (std::string& a : args)
        c.argv.push_back(std::move(a));
    c.env = {{"RAPPORTS_STATION_DIR", host::Env().station_dir},
             {"RAPPORTS_DATA_DIR", host::Env().data_dir}};
    return c;
}

ProcessResult RunToEnd(const Command& command) {
    Child child = Spawn(command);
    return Wait(child);
}

int EnvCount(const char* name, int def) {
    const char* v = std::getenv(name);
    if (!v || !*v) return def;
    char* end = nullptr;
    const long n = std::strtol(v, &end, 10);
    return end && *end == '\0' && n >= 0 ? static_cast<int>(n) : def;
}

// --- Crash trials ---

std::string CrashReport::Summary() const {
    std::ostringstream out;
    out << trials << " kills (one run takes " << command_seconds
        << " s; RAPPORTS_CRASH_SEED=" << seed << "): " << left_before
        << " left the practice as before, " << left_after << " as after, ";
    if (left_partial) out << left_partial << " between two whole steps, ";
    out << finished << " came after the end";
    for (const std::string& f : failures)
        out << "\n  " << f;
    return out.str();
}

CrashReport RunCrashTrials(const CrashCase& c) {
    CrashReport r;
    r.seed = static_cast<unsigned>(EnvCount("RAPPORTS_CRASH_SEED", -1));
    if (r.seed == static_cast<unsigned>(-1)) r.seed = std::random_device{}() % 1000000;
    std::mt19937 rng(r.seed);
    auto fail = [&](int trial, const std::string& what) {
        r.failures.push_back((trial ? "kill " + std::to_string(trial) + ": " : "") + what);
    };
    const std::string name = c.command.Text();
    auto succeeded = [&](const ProcessResult& p) {
        return std::find(c.success_codes.begin(), c.success_codes.end(), p.exit_code) !=
               c.success_codes.end();
    };

    c.prepare();
    const Digest before = DigestTables(c.dsn, c.tables);
    if (!before.error.empty()) {
        fail(0, "the practice cannot be read: " + before.error);
        return r;
    }
    const ProcessResult first = RunToEnd(c.command);
    r.command_seconds = first.seconds;
    if (!succeeded(first)) {
        fail(0, name + " fails uninterrupted: " + Excerpt(first.output));
        return r;
    }
    const Digest after = DigestTables(c.dsn, c.tables);
    if (after == before) {
        fail(0, name + " changes none of the tables it is checked on");
        return r;
    }
    if (std::string why = CheckFinal(c.check, c.dsn); !why.empty()) {
        fail(0, "after an uninterrupted run: " + why);
        return r;
    }

    std::uniform_real_distribution<double> moment(0, first.seconds * 1.1);
    const int trials = c.moments.empty() ? c.trials : static_cast<int>(c.moments.size());
    for (int t = 1; t <= trials; ++t) {
        ++r.trials;
        c.prepare();
        const Digest prepared = DigestTables(c.dsn, c.tables);
        if (!(prepared == before)) {
            fail(t, "prepare does not give the same practice: " + prepared.Difference(before));
            continue;
        }
        const double at = c.moments.empty() ? moment(rng) : c.moments[t - 1] * first.seconds;
        Child child = Spawn(c.command);
        bool killed = false;
        const ProcessResult pr = KillAfter(child, at, &killed);
        const Digest now = DigestTables(c.dsn, c.tables);
        char when[32];
        std::snprintf(when, sizeof when, "at %.3f s", at);
        if (!killed) {
            ++r.finished;
            if (!succeeded(pr))
                fail(t, name + " failed on its own: " + Excerpt(pr.output));
            else if (!(now == after))
                fail(t,
                     "ended by itself but not as an uninterrupted run: " + now.Difference(after));
        } else if (now == before) {
            ++r.left_before;
        } else if (now == after) {
            ++r.left_after;
        } else if (c.partial && now.error.empty() && CheckFinal(c.partial, c.dsn).empty()) {
            ++r.left_partial;
        } else if (c.partial && now.error.empty()) {
            fail(t, std::string("killed ") + when +
                        ", a step is half done: " + CheckFinal(c.partial, c.dsn));
        } else {
            fail(t, std::string("killed ") + when + ", the practice is neither as before (" +
                        now.Difference(before) + ") nor as after (" + now.Difference(after) + ")");
        }
        // Whatever the kill left, running the command again completes the work.
        const ProcessResult again = RunToEnd(c.command);
        if (!succeeded(again)) {
            fail(t, std::string("after the kill ") + when +
                        ", running it again fails: " + Excerpt(again.output));
            continue;
        }
        const Digest done = DigestTables(c.dsn, c.tables);
        if (!(done == after))
            fail(t, std::string("after the kill ") + when +
                        ", running it again does not give the practice of an uninterrupted run: " +
                        done.Difference(after));
        else if (std::string why = CheckFinal(c.check, c.dsn); !why.empty())
            fail(t, "after running it again: " + why);
    }
    return r;
}

CrashReport RunCrashTrials(const Command& command, const std::string& dsn,
                           const std::vector<std::string>& tables, std::function<void()> prepare,
                           std::function<std::string(GenDB&)> check) {
    CrashCase c;
    c.command = command;
    c.dsn = dsn;
    c.tables = tables;
    c.prepare = std::move(prepare);
    c.check = std::move(check);
    return RunCrashTrials(c);
}

// --- Races ---

std::string RaceReport::Summary() const {
    std::ostringstream out;
    out << rounds << " rounds: " << serial << " ended as one after the other, " << busy
        << " with one workstation told that the other was at it, " << replaced
        << " with the later save replacing the earlier whole";
    for (const std::string& f : failures)
        out << "\n  " << f;
    return out.str();
}

RaceReport RunRace(const RaceCase& c) {
    RaceReport r;
    const size_t n = c.commands.size();
    struct Outcome {
        std::string name;
        std::vector<int> codes;             // per command; -2 for one that did not run
        std::vector<std::string> messages;  // per command: the last line of one that failed
        Digest digest;
    };
    auto describe = [&](const std::vector<int>& codes) {
        std::string s = "exit codes";
        for (int code : codes)
            s += " " + (code == -2 ? std::string("-") : std::to_string(code));
        return s;
    };

    // Every order one after the other, and each command alone. Orders that run the same
    // command lines in the same sequence end the same way: each is run once.
    struct Sequence {
        std::vector<int> codes;  // by position in the sequence
        std::vector<std::string> messages;
        Digest digest;
    };
    std::map<std::vector<std::string>, Sequence> runs;
    auto run = [&](const std::vector<size_t>& sequence) -> const Sequence& {
        std::vector<std::string> key;
        for (size_t i : sequence)
            key.push_back(Key(c.commands[i]));
        auto it = runs.find(key);
        if (it != runs.end()) return it->second;
        Sequence seq;
        c.prepare();
        for (size_t i : sequence) {
            const ProcessResult pr = RunToEnd(c.commands[i]);
            seq.codes.push_back(pr.exit_code);
            seq.messages.push_back(pr.exit_code == 0 ? std::string() : LastLine(pr.output));
        }
        seq.digest = DigestTables(c.dsn, c.tables);
        return runs.emplace(key, std::move(seq)).first->second;
    };
    auto outcome = [&](const std::vector<size_t>& sequence, std::string name) {
        const Sequence& seq = run(sequence);
        Outcome o{std::move(name), std::vector<int>(n, -2), std::vector<std::string>(n),
                  seq.digest};
        for (size_t p = 0; p < sequence.size(); ++p) {
            o.codes[sequence[p]] = seq.codes[p];
            o.messages[sequence[p]] = seq.messages[p];
        }
        return o;
    };
    std::vector<Outcome> serial, alone;
    std::vector<size_t> order(n);
    for (size_t i = 0; i < n; ++i)
        order[i] = i;
    do {
        std::string name;
        for (size_t i : order)
            name += (name.empty() ? "" : " then ") + std::to_string(i + 1);
        serial.push_back(outcome(order, name));
    } while (std::next_permutation(order.begin(), order.end()));
    for (size_t i = 0; i < n; ++i)
        alone.push_back(outcome({i}, std::to_string(i + 1) + " alone"));

    for (int round = 1; round <= c.rounds; ++round) {
        ++r.rounds;
        c.prepare();
        int gate[2];
        if (pipe2(gate, O_CLOEXEC) != 0) {
            r.failures.push_back("no pipe");
            return r;
        }
        std::vector<Child> children;
        for (const Command& command : c.commands)
            children.push_back(Spawn(command, gate[0], gate[1]));
        close(gate[0]);
        close(gate[1]);  // every child starts now
        std::vector<ProcessResult> results;
        std::vector<int> codes;
        for (Child& child : children) {
            results.push_back(Wait(child));
            codes.push_back(results.back().exit_code);
        }
        const Digest now = DigestTables(c.dsn, c.tables);

        // As one after the other: the same exit codes, a failing command with the same
        // message (never an engine's error in its place), the same practice.
        bool matched = false;
        for (const Outcome& o : serial) {
            bool same = o.codes == codes && o.digest == now;
            for (size_t i = 0; same && i < n; ++i)
                same = codes[i] == 0 || LastLine(results[i].output) == o.messages[i];
            if (same) {
                ++r.serial;
                matched = true;
                break;
            }
        }
        // Two workstations: one answered that the other was at it, and the practice is
        // what the other one alone makes of it.
        if (!matched && n == 2) {
            for (size_t loser = 0; loser < 2 && !matched; ++loser) {
                const size_t winner = 1 - loser;
                if (codes[loser] != 0 && c.busy && c.busy(results[loser].output) &&
                    codes[winner] == alone[winner].codes[winner] && alone[winner].digest == now) {
                    ++r.busy;
                    matched = true;
                }
            }
        }
        if (!matched && c.later_replaces &&
            std::all_of(codes.begin(), codes.end(), [](int code) { return code == 0; })) {
            for (const Outcome& o : alone)
                if (o.digest == now) {
                    ++r.replaced;
                    matched = true;
                    break;
                }
        }
        if (!matched) {
            std::string what = "round " + std::to_string(round) + ": " + describe(codes) +
                               " with the practice: an outcome that no order gives";
            for (const std::vector<Outcome>* outcomes : {&serial, &alone})
                for (const Outcome& o : *outcomes)
                    what += "\n    against " + o.name + " (" + describe(o.codes) +
                            "): " + now.Difference(o.digest);
            for (size_t i = 0; i < n; ++i)
                what += "\n    workstation " + std::to_string(i + 1) +
                        " printed: " + Excerpt(results[i].output);
            r.failures.push_back(what);
        }
    }
    return r;
}

}  // namespace testing_support
