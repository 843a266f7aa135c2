// The receivable reports over the large demo practice, each next to its floor: one
// set-based SQL query that computes every account's aged patient and insurance totals as
// of the same date (no report, no per-account work).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>

#include "bench/practice.h"
#include "common/report_run.h"
#include "host/base/env.h"
#include "host/records/context.h"
#include "receivables/ar_run.h"

namespace {

// Every account's aged totals in one statement: the charges and, negated, their
// applications, each in the bucket of its charge's service date (compared with the dates
// 30, 60 and 90 days before the as-of date, as the aging does), summed by account and
// bucket. Unapplied credits are left out of the floor.
std::string FloorQuery(GenDB& db, long as_of) {
    const std::string p = db.dbTablePrefix();
    const std::string a = std::to_string(as_of);
    auto bucket = [&](const std::string& d) {
        return "CASE WHEN " + d + " > " + a + " THEN 4 WHEN " + d +
               " >= " + std::to_string(incr_date(as_of, -30)) + " THEN 0 WHEN " + d +
               " >= " + std::to_string(incr_date(as_of, -60)) + " THEN 1 WHEN " + d +
               " >= " + std::to_string(incr_date(as_of, -90)) + " THEN 2 ELSE 3 END";
    };
    const std::string treatment = p + "CLMTRT, " + p + "PATCLM, " + p +
                                  "PATIENT WHERE CTRT_PCLMID = PCLM_ID AND PCLM_PATID = PAT_ID"
                                  " AND PCLM_STATUS IN ('I', 'C') AND (CTRT_DEL_DATE = 0 OR "
                                  "CTRT_DEL_DATE > " +
                                  a + ")";
    const std::string office = p + "PATOCH, " + p +
                               "PATIENT WHERE POCH_PATID = PAT_ID AND (POCH_DELDATE = 0 OR "
                               "POCH_DELDATE > " +
                               a + ")";
    const std::string ins_part = "CASE WHEN PAPP_TYPE = 'I' THEN PAPP_AMOUNT ELSE 0 END";
    const std::string pat_part = "CASE WHEN PAPP_TYPE = 'I' THEN 0 ELSE PAPP_AMOUNT END";
    return "SELECT acc, b, SUM(ins) AS ins_due, SUM(pat) AS pat_due FROM ("
           " SELECT PAT_ACCID AS acc, " +
           bucket("CTRT_DATE") +
           " AS b, CTRT_INS_TOTAL AS ins,"
           " CTRT_TOTAL - CTRT_INS_TOTAL AS pat FROM " +
           treatment + " UNION ALL SELECT PAT_ACCID, " + bucket("POCH_DATE") +
           ", 0, POCH_TOTAL FROM " + office + " UNION ALL SELECT PAT_ACCID, " +
           bucket("CTRT_DATE") + ", -" + ins_part + ", -" + pat_part + " FROM " + p + "PMTAPP, " +
           treatment +
           " AND PAPP_RECTYPE = 'T' AND CTRT_ID = PAPP_CTRTID"
           " AND PAPP_DATE <= " +
           a + " UNION ALL SELECT PAT_ACCID, " + bucket("POCH_DATE") + ", -" + ins_part + ", -" +
           pat_part + " FROM " + p + "PMTAPP, " + office +
           " AND PAPP_RECTYPE = 'O' AND POCH_ID = PAPP_POCHID"
           " AND PAPP_DATE <= " +
           a + ") ledger GROUP BY acc, b ORDER BY acc";
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
            long ins = 0, pat = 0;
            db->dbGetLong(3, &ins, 7);
            db->dbGetLong(4, &pat, 7);
            total += ins + pat;
            ++rows;
        }
        db->dbClose(7);
        benchmark::DoNotOptimize(total);
    }
    state.counters["rows"] = static_cast<double>(rows);
}

// A receivable report run: kind (0 accounts, 2 summary only, -1 the quick list) and grouping
// (0 by billing doctor, 1 by producer).
void RunReport(benchmark::State& state, int kind, int grouping) {
    GenDB* db = bench::PracticeOrSkip(state);
    if (!db) return;
    QDSApplication app(db);
    QDSApplication::SetInstance(&app);
    LauncherInfo launcher(&app);
    const std::string out = bench::Env("RAPPORTS_BENCH_DIR", "/tmp/rapports-bench") + "/out";
    std::filesystem::create_directories(out);
    host::Env().output_dir = out;
    long printed = 0;
    for (auto _ : state) {
        arrpt_info info;
        info.as_of = bench::kToday;
        info.kind = kind < 0 ? 0 : kind;
        info.grouping = grouping;
        info.overdue_num = 2;
        std::snprintf(info.overdue_text, sizeof info.overdue_text, "2 - Comptes avec solde");
        info.future = 'Y';
        FILE* prt = std::fopen((out + "/arrpt.prt").c_str(), "w");
        ARReportRun run(info, kind < 0, 1);
        std::string error;
        if (!reports::RunHeadless(run, &launcher, prt, 1, "arrpt", &error))
            state.SkipWithError(error.c_str());
        printed = static_cast<long>(run.Data().accounts.size());
        std::fclose(prt);
    }
    state.counters["accounts"] = static_cast<double>(printed);
    QDSApplication::SetInstance(nullptr);
}

void BM_AccountReportByProducer(benchmark::State& s) {
    RunReport(s, 0, 1);
}
void BM_AccountReportByBillingDoctor(benchmark::State& s) {
    RunReport(s, 0, 0);
}
void BM_SummaryOnlyByProducer(benchmark::State& s) {
    RunReport(s, 2, 1);
}
void BM_SummaryOnlyByBillingDoctor(benchmark::State& s) {
    RunReport(s, 2, 0);
}
void BM_QuickList(benchmark::State& s) {
    RunReport(s, -1, 1);
}

}  // namespace

BENCHMARK(BM_Floor)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_AccountReportByProducer)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();
BENCHMARK(BM_AccountReportByBillingDoctor)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();
BENCHMARK(BM_SummaryOnlyByProducer)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();
BENCHMARK(BM_SummaryOnlyByBillingDoctor)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();
BENCHMARK(BM_QuickList)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();
BENCHMARK_MAIN();
