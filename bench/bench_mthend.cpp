// The month-end report of the large demo practice's busiest month (August 2020), summary
// and daily detail, both collection paths, next to its floors: one statement per table that
// reads the month's rows the report counts, and the full floor that adds the producer
// analysis' sums (the report's receivable on the last day comes from the analysis).
#include <benchmark/benchmark.h>

#include "bench/practice.h"
#include "closing/mthend_reports.h"
#include "common/report_run.h"
#include "host/records/context.h"

namespace {

constexpr long kFirst = 20200801, kLast = 20200831;

// The month's treatments of claims sent or closed, office charges and applications with their
// payments, entered or deleted in the month, with the billing doctor and producer each line is
// credited to.
std::string Floor(GenDB& db) {
    const std::string p = db.dbTablePrefix();
    const std::string f = std::to_string(kFirst), l = std::to_string(kLast);
    auto in = [&](const char* col) {
        return std::string(col) + " >= " + f + " AND " + col + " <= " + l;
    };
    // The treatments by each date in a part of its own: PostgreSQL joins an OR of the two to
    // every claim by hash (twice the time of the two parts).
    auto treatments = [&](const char* col) {
        return "SELECT 'F', CTRT_ID, CTRT_BILL_DOC, CTRT_PRODUCER, CTRT_TOTAL FROM " + p +
               "CLMTRT, " + p + "PATCLM WHERE " + in(col) +
               " AND PCLM_ID = CTRT_PCLMID AND PCLM_STATUS IN ('I', 'C')";
    };
    return treatments("CTRT_SYSTEM_DATE") + " UNION ALL " + treatments("CTRT_DEL_DATE") +
           " UNION ALL SELECT 'H', POCH_ID, POCH_BILLDR, '', POCH_TOTAL FROM " + p +
           "PATOCH WHERE (" + in("POCH_SYSDATE") + ") OR (" + in("POCH_DELDATE") +
           ") UNION ALL SELECT 'L', PAPP_ID, PAPP_BILLDR, PAPP_PRODUCER, PAPP_AMOUNT FROM " + p +
           "PMTAPP, " + p + "ACCPMT WHERE ((" + in("PAPP_DATE") + ") OR (" + in("PAPP_SYSDATE") +
           ")) AND APMT_ID = PAPP_APMTID";
}

void BM_MonthEndFloor(benchmark::State& s) {
    bench::RunFloor(s, Floor);
}

// What the report computes in all: the month's rows, and the producer analysis' sums that
// give the receivable on the last day (from the last month-end).
void BM_MonthEndFullFloor(benchmark::State& s) {
    bench::RunFloor(s, [](GenDB& db) {
        return std::vector<std::string>{Floor(db), bench::ProducerAnalysisFloor(db, kLast)};
    });
}

// The month-end as the unattended run writes it; Preview also draws the PDF of its pages.
template <int mode, int output_kind = bench::kUnattended>
void BM_MonthEnd(benchmark::State& s) {
    bench::RunReport(
        s, "mthend", "lines",
        [] {
            if (QDSApplication* app = QDSApplication::Instance()) app->m_CalAR = mode;
            mthend::Criteria c;
            c.first = kFirst;
            c.last = kLast;
            return std::make_unique<MonthEndReportRun>(c, true, true);
        },
        [](const MonthEndReportRun& r) { return static_cast<long>(r.Data().lines.size()); },
        output_kind);
}

}  // namespace

#define MTHEND_BENCH(...)               \
    BENCHMARK(__VA_ARGS__)              \
        ->Arg(0)                        \
        ->Arg(1)                        \
        ->Unit(benchmark::kMillisecond) \
        ->Iterations(3)                 \
        ->UseRealTime()
MTHEND_BENCH(BM_MonthEndFloor);
MTHEND_BENCH(BM_MonthEndFullFloor);
MTHEND_BENCH(BM_MonthEnd<1>)->Name("BM_MonthEnd/sql");
MTHEND_BENCH(BM_MonthEnd<0>)->Name("BM_MonthEnd/daysheet");
MTHEND_BENCH(BM_MonthEnd<1, bench::kPreview>)->Name("BM_MonthEndPreview/sql");
BENCHMARK_MAIN();
