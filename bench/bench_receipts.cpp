// Payment allocations and cash receipts over the large demo practice, from the first of the
// month to the practice's last day (2024-11-01 to 2024-11-15), each next to its floor: one
// set-based statement over the report's own selection that sums what the report prints
// (by producer for the allocations; by payment and what it paid for the cash receipts).
// Each report runs three ways: its collector alone (Read), to its text file as an
// unattended run prints it (output kind 3), and as a preview, which also draws its pages'
// PDF (kind 1).
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

void Allocations(benchmark::State& s, int output_kind) {
    bench::RunReport(
        s, "pmtalloc", "lines", [] { return std::make_unique<PmtAllocReportRun>(AllocCriteria()); },
        [](const PmtAllocReportRun& r) { return static_cast<long>(r.Data().Count()); },
        output_kind);
}
void Receipts(benchmark::State& s, int output_kind) {
    bench::RunReport(
        s, "cashrcpt", "lines",
        [] { return std::make_unique<CashReceiptsReportRun>(ReceiptCriteria()); },
        [](const CashReceiptsReportRun& r) { return static_cast<long>(r.Data().Count()); },
        output_kind);
}

void BM_AllocationsFloor(benchmark::State& s) {
    bench::RunFloor(s, AllocFloor);
}
void BM_AllocationsRead(benchmark::State& s) {
    Allocations(s, bench::kReadOnly);
}
void BM_Allocations(benchmark::State& s) {
    Allocations(s, 3);
}
void BM_AllocationsPreview(benchmark::State& s) {
    Allocations(s, 1);
}
void BM_ReceiptsFloor(benchmark::State& s) {
    bench::RunFloor(s, ReceiptFloor);
}
void BM_ReceiptsRead(benchmark::State& s) {
    Receipts(s, bench::kReadOnly);
}
void BM_Receipts(benchmark::State& s) {
    Receipts(s, 3);
}
void BM_ReceiptsPreview(benchmark::State& s) {
    Receipts(s, 1);
}

}  // namespace

#define RECEIPTS_BENCH(f) \
    BENCHMARK(f)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime()
RECEIPTS_BENCH(BM_AllocationsFloor);
RECEIPTS_BENCH(BM_AllocationsRead);
RECEIPTS_BENCH(BM_Allocations);
RECEIPTS_BENCH(BM_AllocationsPreview);
RECEIPTS_BENCH(BM_ReceiptsFloor);
RECEIPTS_BENCH(BM_ReceiptsRead);
RECEIPTS_BENCH(BM_Receipts);
RECEIPTS_BENCH(BM_ReceiptsPreview);
BENCHMARK_MAIN();
