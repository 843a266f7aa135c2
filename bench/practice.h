// The large demo practice the benchmarks run over, made once per engine and kept:
//   SQLite      $RAPPORTS_BENCH_DIR/large.db (default /tmp/rapports-bench)
//   PostgreSQL  $RAPPORTS_BENCH_PG (else $RAPPORTS_TEST_PG), when set
// Each benchmark takes the engine as its first argument (0 SQLite, 1 PostgreSQL).
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "app/demo/demo.h"
#include "common/report_run.h"
#include "host/base/dates.h"
#include "host/base/env.h"
#include "host/db/gendb.h"
#include "host/records/context.h"

namespace bench {

inline constexpr long kToday = 20241115;

inline std::string Env(const char* name, const char* def = "") {
    const char* v = std::getenv(name);
    return v && *v ? v : def;
}

inline std::string EngineDsn(int engine) {
    if (engine == 0) {
        const std::string dir = Env("RAPPORTS_BENCH_DIR", "/tmp/rapports-bench");
        std::filesystem::create_directories(dir);
        return "sqlite:" + dir + "/large.db";
    }
    std::string pg = Env("RAPPORTS_BENCH_PG");
    return pg.empty() ? Env("RAPPORTS_TEST_PG") : pg;
}

inline const char* EngineName(int engine) {
    return engine == 0 ? "sqlite" : "postgresql";
}

// The connection to the large practice of an engine (generated on first use); null when the
// engine is not available.
inline GenDB* Practice(int engine) {
    static std::map<int, std::unique_ptr<GenDB>> open;
    auto it = open.find(engine);
    if (it != open.end()) return it->second.get();
    const std::string dsn = EngineDsn(engine);
    std::unique_ptr<GenDB> db;
    if (!dsn.empty()) {
        std::string error;
        db = GenDB::Open(dsn, &error);
        if (db && !demo::PracticeHasData(*db)) {
            std::fprintf(stderr, "bench: generating the large practice on %s...\n",
                         EngineName(engine));
            demo::DemoOptions options;
            options.size = demo::Size::Large;
            options.seed = 1;
            options.today = kToday;
            demo::DemoStats stats;
            if (!demo::GenerateDemo(*db, options, &stats, &error)) db.reset();
        }
        if (!db)
            std::fprintf(stderr, "bench: %s unavailable: %s\n", EngineName(engine), error.c_str());
    }
    host::SetFixedToday(kToday);
    return (open[engine] = std::move(db)).get();
}

// Skips the benchmark (with a message) when its engine is not available.
inline GenDB* PracticeOrSkip(benchmark::State& state) {
    GenDB* db = Practice(static_cast<int>(state.range(0)));
    if (!db) state.SkipWithError("engine not available");
    return db;
}

// Runs a floor statement once per iteration and counts its rows.
template <class Query>
void RunFloor(benchmark::State& state, Query query) {
    GenDB* db = PracticeOrSkip(state);
    if (!db) return;
    const std::string q = query(*db);
    long rows = 0;
    for (auto _ : state) {
        rows = 0;
        if (db->dbOpen(q, 7) != 0) {
            state.SkipWithError(db->dbLastError());
            return;
        }
        for (int r = db->dbFetch(0, 7); r == 0; r = db->dbFetch(1, 7))
            ++rows;
        db->dbClose(7);
    }
    state.counters["rows"] = static_cast<double>(rows);
}

// Runs the report that make builds once per iteration to its text file, without a dialog;
// count gives the rows it printed, reported under counter.
template <class Make, class Count>
void RunReport(benchmark::State& state, const char* document, const char* counter, Make make,
               Count count) {
    GenDB* db = PracticeOrSkip(state);
    if (!db) return;
    QDSApplication app(db);
    QDSApplication::SetInstance(&app);
    LauncherInfo launcher(&app);
    const std::string out = Env("RAPPORTS_BENCH_DIR", "/tmp/rapports-bench") + "/out";
    std::filesystem::create_directories(out);
    host::Env().output_dir = out;
    long rows = 0;
    for (auto _ : state) {
        FILE* prt = std::fopen((out + "/" + document + ".prt").c_str(), "w");
        auto run = make();
        std::string error;
        if (!reports::RunHeadless(*run, &launcher, prt, 1, document, &error))
            state.SkipWithError(error.c_str());
        rows = count(*run);
        std::fclose(prt);
    }
    state.counters[counter] = static_cast<double>(rows);
    QDSApplication::SetInstance(nullptr);
}

}  // namespace bench
