// The daily and monthly deposits over the large demo practice, each next to its floor: one
// set-based statement over the report's own selection that sums what the report prints.
//   daily deposit of the practice's last day (2024-11-15), everything counted as a payment
//   (107), from the payment table and from the day sheet;
//   the monthly summary of October 2024 (by bank and deposit day), both ways;
//   the monthly deposit report of October 2024 by payment code.
#include <benchmark/benchmark.h>

#include <memory>

#include "bench/practice.h"
#include "closing/deposit_reports.h"
#include "closing/mthdep_reports.h"

namespace {

constexpr long kMonthFirst = 20241001;
constexpr long kMonthLast = 20241031;

deposit::Criteria DayCriteria() {
    deposit::Criteria c;
    c.date = bench::kToday;
    c.adjustments_sheet = true;
    return c;
}

mthdep::Criteria MonthCriteria() {
    mthdep::Criteria c;
    c.from = kMonthFirst;
    c.to = kMonthLast;
    return c;
}

std::string DayFloor(GenDB& db) {
    return "SELECT apmt_bank, apmt_dep, apmt_rectype, apmt_code, SUM(apmt_total), COUNT(*) FROM " +
           std::string(db.dbTablePrefix()) + "ACCPMT WHERE " +
           deposit::DayCondition(DayCriteria()) +
           " GROUP BY apmt_bank, apmt_dep, apmt_rectype, apmt_code";
}

std::string SummaryFloor(GenDB& db) {
    const std::string f = std::to_string(kMonthFirst), l = std::to_string(kMonthLast);
    return "SELECT APMT_BANK, APMT_RECTYPE, APMT_CODE, CASE WHEN APMT_DATE > APMT_SYSDATE THEN "
           "APMT_DATE ELSE APMT_SYSDATE END AS D, SUM(APMT_TOTAL) FROM " +
           std::string(db.dbTablePrefix()) + "ACCPMT WHERE ((APMT_DATE >= " + f +
           " AND APMT_DATE <= " + l + " AND APMT_DATE >= APMT_SYSDATE) OR (APMT_SYSDATE >= " + f +
           " AND APMT_SYSDATE <= " + l +
           " AND APMT_DATE < APMT_SYSDATE)) AND APMT_RECTYPE IN ('P', 'A') GROUP BY APMT_BANK, "
           "APMT_RECTYPE, APMT_CODE, CASE WHEN APMT_DATE > APMT_SYSDATE THEN APMT_DATE ELSE "
           "APMT_SYSDATE END";
}

std::string ReportFloor(GenDB& db) {
    return "SELECT APMT_CODE, SUM(APMT_TOTAL), COUNT(*) " +
           mthdep::FromWhere(MonthCriteria(), db.dbTablePrefix()) + " GROUP BY APMT_CODE";
}

void BM_DayFloor(benchmark::State& s) {
    bench::RunFloor(s, DayFloor);
}
template <int Mode>
void BM_Day(benchmark::State& s) {
    bench::RunReport(
        s, "deposit", "rows",
        [] { return std::make_unique<DayTrialReportRun>(DayCriteria(), Mode); },
        [](const DayTrialReportRun& r) { return static_cast<long>(r.Data().Count()); });
}
void BM_SummaryFloor(benchmark::State& s) {
    bench::RunFloor(s, SummaryFloor);
}
template <int Mode>
void BM_Summary(benchmark::State& s) {
    bench::RunReport(
        s, "mthdepsum", "banks",
        [] { return std::make_unique<MonthlyDepositSummaryRun>(kMonthFirst, kMonthLast, Mode); },
        [](const MonthlyDepositSummaryRun& r) { return static_cast<long>(r.Banks().size()); });
}
void BM_ReportFloor(benchmark::State& s) {
    bench::RunFloor(s, ReportFloor);
}
void BM_Report(benchmark::State& s) {
    bench::RunReport(
        s, "monthlydep", "rows",
        [] { return std::make_unique<MonthDepReportRun>(MonthCriteria()); },
        [](const MonthDepReportRun& r) { return static_cast<long>(r.Data().Count()); });
}

}  // namespace

#define DEPOSIT_BENCH(f) \
    BENCHMARK(f)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime()
DEPOSIT_BENCH(BM_DayFloor);
DEPOSIT_BENCH(BM_Day<1>);
DEPOSIT_BENCH(BM_Day<0>);
DEPOSIT_BENCH(BM_SummaryFloor);
DEPOSIT_BENCH(BM_Summary<1>);
DEPOSIT_BENCH(BM_Summary<0>);
DEPOSIT_BENCH(BM_ReportFloor);
DEPOSIT_BENCH(BM_Report);
BENCHMARK_MAIN();
