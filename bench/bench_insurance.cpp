// The insurance receivable report over the large demo practice, both calculation modes,
// next to its floor: one set-based query that computes what the insurers still owe on every
// counted treatment line (estimate less their applications as of the date), summed by
// carrier and age bucket.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>

#include "bench/practice.h"
#include "common/report_run.h"
#include "host/base/dates.h"
#include "host/base/env.h"
#include "host/calc/aging.h"
#include "host/records/context.h"
#include "insurance/insar_run.h"

namespace {

// The first service date of each bucket (current, 31-60, 61-90), as the aging dates them.
long FirstDateOf(host::calc::AgedIndex bucket, long today) {
    long d = today;
    while (host::calc::AgeBucket(incr_date(d, -1), today) <= bucket)
        d = incr_date(d, -1);
    return d;
}

std::string FloorQuery(GenDB& db, long today) {
    const std::string p = db.dbTablePrefix();
    const std::string t = std::to_string(today);
    const std::string d30 = std::to_string(FirstDateOf(host::calc::kCurrent, today));
    const std::string d60 = std::to_string(FirstDateOf(host::calc::k30, today));
    const std::string d90 = std::to_string(FirstDateOf(host::calc::k60, today));
    return "SELECT PCLM_INSCO, CASE WHEN CTRT_DATE >= " + d30 + " THEN 0 WHEN CTRT_DATE >= " + d60 +
           " THEN 1 WHEN CTRT_DATE >= " + d90 +
           " THEN 2 ELSE 3 END AS bucket, SUM(CTRT_INS_TOTAL - COALESCE(paid, 0)) FROM " + p +
           "CLMTRT JOIN " + p +
           "PATCLM ON PCLM_ID = CTRT_PCLMID LEFT JOIN (SELECT PAPP_CTRTID AS c, SUM(PAPP_AMOUNT) "
           "AS paid FROM " +
           p + "PMTAPP WHERE PAPP_TYPE = 'I' AND PAPP_RECTYPE = 'T' AND PAPP_DATE <= " + t +
           " GROUP BY PAPP_CTRTID) i ON i.c = CTRT_ID WHERE (PCLM_STATUS = 'I' OR PCLM_STATUS "
           "= 'C') AND (CTRT_DEL_DATE = 0 OR CTRT_DEL_DATE > " +
           t + ") AND CTRT_DATE <= " + t +
           " GROUP BY PCLM_INSCO, bucket ORDER BY PCLM_INSCO, bucket";
}

void BM_Floor(benchmark::State& state) {
    GenDB* db = bench::Practice(static_cast<int>(state.range(0)));
    if (!db) {
        state.SkipWithError("engine unavailable");
        return;
    }
    const std::string q = FloorQuery(*db, bench::kToday);
    long rows = 0;
    for (auto _ : state) {
        rows = 0;
        int64_t total = 0;
        if (db->dbOpen(q, 7) != 0) {
            state.SkipWithError(db->dbLastError());
            return;
        }
        for (int r = db->dbFetch(0, 7); r == 0; r = db->dbFetch(1, 7)) {
            long amount = 0;
            db->dbGetLong(3, &amount, 7);
            total += amount;
            ++rows;
        }
        db->dbClose(7);
        benchmark::DoNotOptimize(total);
    }
    state.counters["rows"] = static_cast<double>(rows);
}

// The report for every doctor and carrier: arg 0 the engine, arg 1 the calculation mode.
void BM_InsAR(benchmark::State& state) {
    GenDB* db = bench::Practice(static_cast<int>(state.range(0)));
    if (!db) {
        state.SkipWithError("engine unavailable");
        return;
    }
    QDSApplication app(db);
    QDSApplication::SetInstance(&app);
    LauncherInfo launcher(&app);
    const std::string out = bench::Env("RAPPORTS_BENCH_DIR", "/tmp/rapports-bench") + "/out";
    std::filesystem::create_directories(out);
    host::Env().output_dir = out;
    insarrpt_info c;
    std::snprintf(c.doctor, sizeof c.doctor, "*");
    std::snprintf(c.carrier, sizeof c.carrier, "*");
    c.as_of = bench::kToday;
    c.overdue_num = 1;
    c.kind = 1;
    c.copies = 1;
    long claims = 0;
    for (auto _ : state) {
        FILE* prt = std::fopen((out + "/insarrpt.prt").c_str(), "w");
        InsARReportRun run(c, static_cast<int>(state.range(1)));
        std::string error;
        if (!reports::RunHeadless(run, &launcher, prt, 1, "insarrpt", &error))
            state.SkipWithError(error.c_str());
        claims = static_cast<long>(run.Data().claims.size());
        std::fclose(prt);
    }
    state.counters["claims"] = static_cast<double>(claims);
    QDSApplication::SetInstance(nullptr);
}

}  // namespace

BENCHMARK(BM_Floor)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_InsAR)
    ->Args({0, 1})
    ->Args({0, 0})
    ->Args({1, 1})
    ->Args({1, 0})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();
BENCHMARK_MAIN();
