// Payment allocations and cash receipts over the large demo practice, from the first of the
// month to the practice's last day (2024-11-01 to 2024-11-15), each next to its floor: one
// set-based statement over the report's own selection that computes the lines the report
// prints (the allocations' applications with their producer's sum; the cash receipts' sums
// by payment and what it paid).
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

// The printed lines: each application with its payment and account, in the report's order
// (by producer, then account name), with its producer's sum beside it.
std::string AllocFloor(GenDB& db) {
    return "SELECT PAPP_ID, PAPP_APMTID, PAPP_AMOUNT, PAPP_PRODUCER, PAPP_BILLDR, APMT_TRXNO, "
           "APMT_CODE, APMT_TYPE, APMT_RECTYPE, APMT_DESCRIP, ACC_LNAME, ACC_PNAME, APMT_DATE, "
           "APMT_PAYOR, SUM(PAPP_AMOUNT) OVER (PARTITION BY PAPP_PRODUCER) " +
           pmtalloc::Condition(AllocCriteria(), db.dbTablePrefix()) +
           " ORDER BY PAPP_PRODUCER, ACC_LNAME, ACC_PNAME, PAPP_APMTID, PAPP_ID";
}

// A cash receipts line is a payment's applications by one billing doctor to one claim,
// office charge or patient, printed with the claim or service number and the patient.
std::string ReceiptFloor(GenDB& db) {
    return "SELECT PAPP_APMTID, PAPP_BILLDR, COALESCE(CTRT_PCLMID, 0) AS CLAIM, PAPP_POCHID, "
           "CASE WHEN PAPP_CTRTID = 0 AND PAPP_POCHID = 0 THEN PAPP_PATID ELSE 0 END AS OWNER, "
           "SUM(PAPP_AMOUNT), MIN(APMT_DATE), MIN(CTRT_CLAIM_NO), MIN(POCH_SERVNO), MIN(PAT_ID), "
           "MIN(PAT_LNAME), MIN(PAT_PNAME), MIN(PAT_MED_NO1) " +
           cashrcpt::Condition(ReceiptCriteria(), db.dbTablePrefix()) +
           " GROUP BY PAPP_BILLDR, PAPP_APMTID, CLAIM, PAPP_POCHID, OWNER ORDER BY PAPP_BILLDR, "
           "PAPP_APMTID";
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
    Allocations(s, bench::kUnattended);
}
void BM_AllocationsPreview(benchmark::State& s) {
    Allocations(s, bench::kPreview);
}
void BM_ReceiptsFloor(benchmark::State& s) {
    bench::RunFloor(s, ReceiptFloor);
}
void BM_ReceiptsRead(benchmark::State& s) {
    Receipts(s, bench::kReadOnly);
}
void BM_Receipts(benchmark::State& s) {
    Receipts(s, bench::kUnattended);
}
void BM_ReceiptsPreview(benchmark::State& s) {
    Receipts(s, bench::kPreview);
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
