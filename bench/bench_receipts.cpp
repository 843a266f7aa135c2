// Payment allocations and cash receipts over the large demo practice, from the first of the
// month to the practice's last day (2024-11-01 to 2024-11-15), each next to its floor: one
// set-based statement over the report's own selection that sums what the report prints
// (by producer for the allocations; by payment and what it paid for the cash receipts).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>

#include "bench/practice.h"
#include "common/report_run.h"
#include "host/base/env.h"
#include "host/records/context.h"
#include "receipts/cashrcpt_reports.h"
#include "receipts/pmtalloc_reports.h"

namespace {

constexpr long kFrom = 20241101;

pmtalloc::Criteria AllocCriteria() {
    pmtalloc::Criteria c = pmtalloc::DefaultCriteria(bench::kToday);
    c.from = kFrom;
    c.to = bench::kToday;
    return c;
}

cashrcpt::Criteria ReceiptCriteria() {
    cashrcpt::Criteria c = cashrcpt::DefaultCriteria(bench::kToday);
    c.from = kFrom;
    c.to = bench::kToday;
    return c;
}

void Floor(benchmark::State& state, std::string (*query)(GenDB&)) {
    GenDB* db = bench::PracticeOrSkip(state);
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

std::string AllocFloor(GenDB& db) {
    return "SELECT PAPP_PRODUCER, SUM(PAPP_AMOUNT), COUNT(*) " +
           pmtalloc::Condition(AllocCriteria(), db.dbTablePrefix()) +
           " GROUP BY PAPP_PRODUCER ORDER BY PAPP_PRODUCER";
}

// A cash receipts line is a payment's applications by one billing doctor to one claim,
// office charge or patient.
std::string ReceiptFloor(GenDB& db) {
    const std::string p = db.dbTablePrefix();
    return "SELECT A, B, COALESCE(CTRT_PCLMID, 0), O, Q, SUM(M) FROM (SELECT PAPP_APMTID AS A, "
           "PAPP_BILLDR AS B, PAPP_CTRTID AS T, PAPP_POCHID AS O, CASE WHEN PAPP_CTRTID = 0 AND "
           "PAPP_POCHID = 0 THEN PAPP_PATID ELSE 0 END AS Q, PAPP_AMOUNT AS M " +
           cashrcpt::Condition(ReceiptCriteria(), p) + ") X LEFT JOIN " + p +
           "CLMTRT ON CTRT_ID = T GROUP BY A, B, COALESCE(CTRT_PCLMID, 0), O, Q";
}

// Runs the report made by make once per iteration to its text file; count gives its lines.
template <class Make, class Count>
void Report(benchmark::State& state, const char* document, Make make, Count count) {
    GenDB* db = bench::PracticeOrSkip(state);
    if (!db) return;
    QDSApplication app(db);
    QDSApplication::SetInstance(&app);
    LauncherInfo launcher(&app);
    const std::string out = bench::Env("RAPPORTS_BENCH_DIR", "/tmp/rapports-bench") + "/out";
    std::filesystem::create_directories(out);
    host::Env().output_dir = out;
    long lines = 0;
    for (auto _ : state) {
        FILE* prt = std::fopen((out + "/" + document + ".prt").c_str(), "w");
        auto run = make();
        std::string error;
        if (!reports::RunHeadless(*run, &launcher, prt, 1, document, &error))
            state.SkipWithError(error.c_str());
        lines = count(*run);
        std::fclose(prt);
    }
    state.counters["lines"] = static_cast<double>(lines);
    QDSApplication::SetInstance(nullptr);
}

void BM_AllocationsFloor(benchmark::State& s) {
    Floor(s, AllocFloor);
}
void BM_Allocations(benchmark::State& s) {
    Report(
        s, "pmtalloc", [] { return std::make_unique<PmtAllocReportRun>(AllocCriteria()); },
        [](const PmtAllocReportRun& r) { return static_cast<long>(r.Data().Count()); });
}
void BM_ReceiptsFloor(benchmark::State& s) {
    Floor(s, ReceiptFloor);
}
void BM_Receipts(benchmark::State& s) {
    Report(
        s, "cashrcpt", [] { return std::make_unique<CashReceiptsReportRun>(ReceiptCriteria()); },
        [](const CashReceiptsReportRun& r) { return static_cast<long>(r.Data().Count()); });
}

}  // namespace

#define RECEIPTS_BENCH(f) \
    BENCHMARK(f)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime()
RECEIPTS_BENCH(BM_AllocationsFloor);
RECEIPTS_BENCH(BM_Allocations);
RECEIPTS_BENCH(BM_ReceiptsFloor);
RECEIPTS_BENCH(BM_Receipts);
BENCHMARK_MAIN();
