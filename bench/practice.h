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
#include "host/base/dates.h"
#include "host/db/gendb.h"

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

}  // namespace bench
