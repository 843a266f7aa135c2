// The practice analysis over the large demo practice for its last day (the year to date is
// the whole history: the demo has no month-end), next to its floor: one set-based query
// that computes the same per-producer, per-period, per-class sums.
#include <benchmark/benchmark.h>

#include "analysis/pracanal_dialogs.h"
#include "analysis/prodanal.h"
#include "bench/practice.h"
#include "host/records/context.h"

namespace {

void BM_Floor(benchmark::State& state) {
    GenDB* db = bench::PracticeOrSkip(state);
    if (!db) return;
    const std::string q = bench::ProducerAnalysisFloor(*db, bench::kToday);
    long rows = 0, lines = 0;
    for (auto _ : state) {
        rows = lines = 0;
        int64_t total = 0;
        if (db->dbOpen(q, 7) != 0) {
            state.SkipWithError(db->dbLastError());
            return;
        }
        for (int r = db->dbFetch(0, 7); r == 0; r = db->dbFetch(1, 7)) {
            long amount = 0, n = 0;
            db->dbGetLong(4, &amount, 7);
            db->dbGetLong(5, &n, 7);
            total += amount;
            lines += n;
            ++rows;
        }
        db->dbClose(7);
        benchmark::DoNotOptimize(total);
    }
    state.counters["groups"] = static_cast<double>(rows);
    state.counters["lines"] = static_cast<double>(lines);
}

// The engine alone, on one path (sql: calculation mode 1, else the day sheet).
void Engine(benchmark::State& state, bool sql) {
    std::unique_ptr<GenDB> own = bench::OwnConnection(state);
    GenDB* db = own.get();
    if (!db) return;
    QDSApplication app(db);
    QDSApplication::SetInstance(&app);
    LauncherInfo launcher(&app);
    size_t producers = 0;
    for (auto _ : state) {
        TProducerAnalysisObj e(&launcher, 0, bench::kToday, nullptr, true);
        if (!(sql ? e.CollectSql(false, false) : e.CollectDaySheet(false, false)))
            state.SkipWithError(e.Error().c_str());
        producers = e.GetProducerList().Count();
    }
    state.counters["producers"] = static_cast<double>(producers);
    QDSApplication::SetInstance(nullptr);
}

void BM_EngineSql(benchmark::State& s) {
    Engine(s, true);
}
void BM_EngineDaySheet(benchmark::State& s) {
    Engine(s, false);
}

// The whole report as catalog 111 runs it (SQL path): both analyses with the year to date,
// their pages and tables.
void BM_Report(benchmark::State& state) {
    bench::RunReport(
        state, "pranyrpt", "rows",
        [](LauncherInfo* launcher) {
            return std::make_unique<PracAnalysisRun>(launcher, bench::kToday, "*", false, 1, 1);
        },
        [](PracAnalysisRun& r) {
            return static_cast<long>(r.Driver().ProductionTable().RowCount());
        });
}

}  // namespace

BENCHMARK(BM_Floor)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();
BENCHMARK(BM_EngineSql)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2)
    ->UseRealTime();
BENCHMARK(BM_EngineDaySheet)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();
BENCHMARK(BM_Report)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

BENCHMARK_MAIN();
