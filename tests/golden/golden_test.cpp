// Golden text reports: each case of cases.txt runs `rapports run` over the small demo
// practice with a fixed date and time, and the file it writes must be exactly the checked-in
// text, on every engine. RAPPORTS_UPDATE_GOLDEN=1 (scripts/golden.sh) rewrites the texts from
// SQLite instead, for review in the diff.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "host/base/env.h"
#include "host/base/text.h"
#include "tests/support/process.h"
#include "tests/support/testdb.h"

namespace {

namespace fs = std::filesystem;
using testing_support::Quote;

struct Case {
    std::string name, file, args;
};

std::vector<Case> Cases() {
    std::vector<Case> cases;
    std::ifstream in(std::string(RAPPORTS_TESTS_DIR) + "/golden/cases.txt");
    for (std::string line; std::getline(in, line);) {
        if (host::Trim(line).empty() || line[0] == '#') continue;
        std::vector<std::string> parts;
        std::stringstream ss(line);
        for (std::string part; std::getline(ss, part, '|');)
            parts.push_back(host::Trim(part));
        if (parts.size() == 3) cases.push_back({parts[0], parts[1], parts[2]});
    }
    return cases;
}

std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

bool Updating() {
    const char* v = std::getenv("RAPPORTS_UPDATE_GOLDEN");
    return v && *v && std::string(v) != "0";
}

struct Param {
    std::string engine;
    Case c;
};

void PrintTo(const Param& p, std::ostream* os) {
    *os << p.engine << " " << p.c.name;
}

class Golden : public testing::TestWithParam<Param> {
  protected:
    // The small demo practice of an engine, made once per run of the suite.
    static std::string Practice(const std::string& engine) {
        static std::map<std::string, std::string> made;
        if (auto it = made.find(engine); it != made.end()) return it->second;
        std::string dsn;
        if (engine == "sqlite") {
            dsn = "sqlite:" + host::Env().data_dir + "/golden.db";
        } else {
            // A schema of this process's own: ctest runs the cases side by side, and one
            // case's demo must not be rewritten under another's report.
            if (!std::getenv("RAPPORTS_TEST_PG")) return made[engine] = "";
            static std::unique_ptr<testing_support::TestDb> pg;
            pg = std::make_unique<testing_support::TestDb>("postgresql", false);
            dsn = pg->dsn();
        }
        const auto r = Rapports("demo --db " + Quote(dsn) +
                                " --size small --seed 1 --today 20241115 --force --quiet");
        return made[engine] = r.code == 0 ? dsn : "";
    }
    static testing_support::CommandResult Rapports(const std::string& args) {
        const std::string station = host::Env().station_dir + "/golden";
        fs::create_directories(station);
        return testing_support::RunShell(
            "env -u RAPPORTS_DATA_DIR TZ=America/Montreal LC_ALL=C.UTF-8 RAPPORTS_STATION_DIR=" +
            Quote(station) + " " + Quote(testing_support::Sibling("rapports")) + " " + args +
            " 2>&1");
    }
};

TEST_P(Golden, ReportMatchesItsText) {
    const Param& p = GetParam();
    if (Updating() && p.engine != "sqlite") GTEST_SKIP() << "texts are written from SQLite";
    const std::string dsn = Practice(p.engine);
    if (dsn.empty()) GTEST_SKIP() << "no practice on " << p.engine;
    const std::string out = host::Env().output_dir + "/golden-" + p.engine + "-" + p.c.name;
    fs::remove_all(out);
    const auto r = Rapports("run " + p.c.args + " --db " + Quote(dsn) + " --out " + Quote(out) +
                            " --today 20241115 --time 12:00:00");
    ASSERT_EQ(r.code, 0) << r.out;
    const std::string written = out + "/" + p.c.file;
    ASSERT_TRUE(fs::exists(written)) << r.out;
    std::string text;
    if (fs::path(written).extension() == ".pdf")
        text = testing_support::RunShell("pdftotext -layout " + Quote(written) + " -").out;
    else
        text = Read(written);
    const std::string expected_path =
        std::string(RAPPORTS_TESTS_DIR) + "/golden/" + p.c.name + ".txt";
    if (Updating()) {
        std::ofstream(expected_path, std::ios::binary) << text;
        return;
    }
    ASSERT_TRUE(fs::exists(expected_path))
        << "no golden text for " << p.c.name << " (scripts/golden.sh writes it)";
    const std::string expected = Read(expected_path);
    if (text == expected) return;
    // The first line that differs, to read in the failure.
    std::istringstream a(expected), b(text);
    std::string la, lb;
    int line = 1;
    while (std::getline(a, la) && std::getline(b, lb) && la == lb)
        ++line;
    FAIL() << p.c.name << " differs from its golden text at line " << line << ":\n  attendu : «"
           << la << "»\n  obtenu  : «" << lb << "»\n(" << written << ")";
}

std::vector<Param> Params() {
    std::vector<Param> params;
    for (const std::string& engine : {std::string("sqlite"), std::string("postgresql")})
        for (const Case& c : Cases())
            params.push_back({engine, c});
    return params;
}

INSTANTIATE_TEST_SUITE_P(Cases, Golden, testing::ValuesIn(Params()),
                         [](const testing::TestParamInfo<Param>& info) {
                             std::string name = info.param.engine + "_" + info.param.c.name;
                             for (char& c : name)
                                 if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                             return name;
                         });

}  // namespace
