// The revenue distribution over the large demo practice on its last day, in both
// calculation modes, next to its floor: one set-based query that computes every billing
// doctor and producer's day and month sums (payments, adjustments counted as payments,
// laboratory payments) the rules share.
#include <benchmark/benchmark.h>

#include "analysis/revdist_run.h"
#include "bench/practice.h"
#include "host/records/context.h"

namespace {

// The applications the report counts, each dated as it counts (on its date, or on its entry
// date when entered after it), with its adjustment and laboratory marks, summed by billing
// doctor and producer.
std::string FloorQuery(GenDB& db, long date) {
    const std::string p = db.dbTablePrefix();
    const std::string from = std::to_string(date / 100 * 100 + 1);
    const std::string to = std::to_string(date);
    const std::string kinds =
        " AND (APMT_RECTYPE = 'P' OR (APMT_RECTYPE = 'A' AND APMT_PMT = 'Y'))";
    auto part = [&](const std::string& day, const std::string& where) {
        return "SELECT PAPP_BILLDR AS b, PAPP_PRODUCER AS pr, PAPP_AMOUNT AS amt, " + day +
               " AS d, APMT_RECTYPE AS k, CASE WHEN PAPP_RECTYPE = 'T' THEN PAPP_CTRTID ELSE 0 "
               "END AS t FROM " +
               p + "PMTAPP, " + p + "ACCPMT WHERE APMT_ID = PAPP_APMTID AND " + where + kinds;
    };
    return "SELECT b, pr, SUM(CASE WHEN d = " + to +
           " AND k = 'A' THEN amt ELSE 0 END), SUM(CASE WHEN d = " + to +
           " AND k = 'P' AND PROC_IS_LAB = 'Y' THEN amt ELSE 0 END), SUM(CASE WHEN d = " + to +
           " THEN amt ELSE 0 END), SUM(amt) FROM (" +
           part("PAPP_DATE", "PAPP_DATE >= " + from + " AND PAPP_DATE <= " + to +
                                 " AND APMT_DATE >= APMT_SYSDATE") +
           " UNION ALL " +
           part("PAPP_SYSDATE", "PAPP_SYSDATE >= " + from + " AND PAPP_SYSDATE <= " + to +
                                    " AND PAPP_DATE < PAPP_SYSDATE") +
           ") x LEFT JOIN " + p + "CLMTRT ON CTRT_ID = t LEFT JOIN " + p +
           "PROCCD ON PROC_SYS_CODE = CTRT_SYSTEM_CODE GROUP BY b, pr ORDER BY b, pr";
}

void BM_Floor(benchmark::State& state) {
    GenDB* db = bench::PracticeOrSkip(state);
    if (!db) return;
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
            long month = 0;
            db->dbGetLong(6, &month, 7);
            total += month;
            ++rows;
        }
        db->dbClose(7);
        benchmark::DoNotOptimize(total);
    }
    state.counters["pairs"] = static_cast<double>(rows);
}

// The report on the practice's last day: mode 1 (SQL) or 0 (day sheet).
void RunReport(benchmark::State& state, int mode) {
    bench::RunReport(
        state, "revdist", "rules",
        [mode] { return std::make_unique<RevDistReportRun>(bench::kToday, mode); },
        [](const RevDistReportRun& r) {
            long rules = 0;
            for (const auto& g : r.Data().groups)
                rules += static_cast<long>(g.rules.size());
            return rules;
        });
}

void BM_RevDistSql(benchmark::State& s) {
    RunReport(s, 1);
}
void BM_RevDistDaySheet(benchmark::State& s) {
    RunReport(s, 0);
}

}  // namespace

BENCHMARK(BM_Floor)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_RevDistSql)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseRealTime();
BENCHMARK(BM_RevDistDaySheet)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseRealTime();
BENCHMARK_MAIN();
