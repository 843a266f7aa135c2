// The day-end of the large demo practice's busiest day (2020-08-31, about 1,900 day-sheet
// lines), both collection paths, next to its floors: one statement per kind that reads the
// day's rows the report lists, joined to what each line prints, and the full floor that adds
// the producer analysis' sums.
#include <benchmark/benchmark.h>

#include "bench/practice.h"
#include "closing/dayend_reports.h"
#include "common/report_run.h"
#include "host/records/context.h"

namespace {

constexpr long kBusiest = 20200831;

dayend::Criteria Day(bool quick) {
    dayend::Criteria c;
    c.date = kBusiest;
    c.quick = quick;
    return c;
}

// The day's treatments with their patients, office charges, account entries with their
// accounts, applications with their payments: what the full report lists.
std::string Floor(GenDB& db) {
    const std::string p = db.dbTablePrefix();
    const std::string d = std::to_string(kBusiest);
    return "SELECT 'F', CTRT_ID, CTRT_TOTAL, PAT_LNAME FROM " + p + "CLMTRT, " + p + "PATCLM, " +
           p + "PATIENT WHERE (CTRT_SYSTEM_DATE = " + d + " OR CTRT_DEL_DATE = " + d +
           ") AND PCLM_ID = CTRT_PCLMID AND PAT_ID = PCLM_PATID UNION ALL SELECT 'H', POCH_ID, "
           "POCH_TOTAL, PAT_LNAME FROM " +
           p + "PATOCH, " + p + "PATIENT WHERE POCH_SYSDATE = " + d +
           " AND PAT_ID = POCH_PATID UNION ALL SELECT 'K', APMT_ID, APMT_TOTAL, ACC_LNAME FROM " +
           p + "ACCPMT, " + p + "ACCOUNT WHERE (APMT_DATE = " + d + " OR APMT_SYSDATE = " + d +
           ") AND ACC_ID = APMT_ACCID UNION ALL SELECT 'L', PAPP_ID, PAPP_AMOUNT, APMT_CODE FROM " +
           p + "PMTAPP, " + p + "ACCPMT WHERE (PAPP_DATE = " + d + " OR PAPP_SYSDATE = " + d +
           ") AND APMT_ID = PAPP_APMTID";
}

void BM_DayEndFloor(benchmark::State& s) {
    bench::RunFloor(s, Floor);
}

// What the report computes in all: the day's rows, and the producer analysis' sums (the month
// to date and the receivable at the end of the day, from the last month-end).
void BM_DayEndFullFloor(benchmark::State& s) {
    bench::RunFloor(s, [](GenDB& db) {
        return std::vector<std::string>{Floor(db), bench::ProducerAnalysisFloor(db, kBusiest)};
    });
}

// The day-end as the unattended run writes it; Preview also draws the PDF of its pages.
template <int mode, bool quick, bool summaries, int output_kind = bench::kUnattended>
void BM_DayEnd(benchmark::State& s) {
    bench::RunReport(
        s, "dayend", "lines",
        [] {
            // The run reads the calculation mode of the application of the run.
            if (QDSApplication* app = QDSApplication::Instance()) app->m_CalAR = mode;
            dayend::Criteria c = Day(quick);
            return std::make_unique<DayEndReportRun>(c, summaries);
        },
        [](const DayEndReportRun& r) {
            return static_cast<long>(r.Report().elems.size() + r.Summaries().elems.size());
        },
        output_kind);
}

}  // namespace

#define DAYEND_BENCH(...)               \
    BENCHMARK(__VA_ARGS__)              \
        ->Arg(0)                        \
        ->Arg(1)                        \
        ->Unit(benchmark::kMillisecond) \
        ->Iterations(3)                 \
        ->UseRealTime()
DAYEND_BENCH(BM_DayEndFloor);
DAYEND_BENCH(BM_DayEndFullFloor);
DAYEND_BENCH(BM_DayEnd<1, false, false>)->Name("BM_DayEnd/sql");
DAYEND_BENCH(BM_DayEnd<0, false, false>)->Name("BM_DayEnd/daysheet");
DAYEND_BENCH(BM_DayEnd<1, true, false>)->Name("BM_DayEndQuick/sql");
DAYEND_BENCH(BM_DayEnd<1, false, true>)->Name("BM_DayEndWithSummaries/sql");
DAYEND_BENCH(BM_DayEnd<1, false, false, bench::kPreview>)->Name("BM_DayEndPreview/sql");
BENCHMARK_MAIN();
