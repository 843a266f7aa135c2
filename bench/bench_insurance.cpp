// The insurance receivable report over the large demo practice, both calculation modes,
// next to two floors: one set-based query that computes what the insurers still owe on every
// counted treatment line (estimate less their applications as of the date), summed by
// carrier and age bucket; and one with the report's rules (the full-semantics floor).
#include <benchmark/benchmark.h>

#include <cstdio>

#include "bench/practice.h"
#include "host/base/dates.h"
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

// The figures the report prints with its rules: each counted charge's insurance portion
// (the insurers' applications that count as of the date, money beyond the estimate moved to
// the patient's share, whose portion the report prints beside it), by carrier and bucket,
// future charges left out; and the money held by each payment that may hold some (its total
// less its applications dated up to the date), by payor. Only the insurer money applied to
// no counted charge (the report's unassigned items) is left to the report.
std::string FullFloorQuery(GenDB& db, long today) {
    const std::string p = db.dbTablePrefix();
    const std::string t = std::to_string(today);
    return bench::ChargePortionsSql(db, today,
                                    "COALESCE(NULLIF(TRIM(PCLM_INSCO), ''), "
                                    "NULLIF(TRIM(CTRT_INS_CO1), ''), 'U/A')",
                                    "'U/A'") +
           " SELECT k, b, SUM(" + bench::kInsDue + "), SUM(" + bench::kPatDue +
           ") FROM portions WHERE b < 4 GROUP BY k, b UNION ALL SELECT APMT_PAYOR, 5, "
           "SUM(APMT_TOTAL - COALESCE(h.applied, 0)), 0 FROM " +
           p + "ACCPMT LEFT JOIN (SELECT PAPP_APMTID AS pid, SUM(PAPP_AMOUNT) AS applied FROM " +
           p + "PMTAPP WHERE PAPP_DATE <= " + t +
           " GROUP BY PAPP_APMTID) h ON h.pid = APMT_ID WHERE APMT_DELDATE = 0 AND "
           "(APMT_RECTYPE = 'P' OR APMT_TYPE = 'I' OR APMT_REVERSED = 'Y') AND APMT_DATE <= " +
           t + " GROUP BY APMT_PAYOR";
}

void BM_Floor(benchmark::State& state) {
    bench::RunFloor(state, [](GenDB& db) { return FloorQuery(db, bench::kToday); });
}

void BM_FullFloor(benchmark::State& state) {
    bench::RunFloor(state, [](GenDB& db) { return FullFloorQuery(db, bench::kToday); });
}

// The report for every doctor and carrier: arg 0 the engine, arg 1 the calculation mode.
void BM_InsAR(benchmark::State& state) {
    insarrpt_info c;
    std::snprintf(c.doctor, sizeof c.doctor, "*");
    std::snprintf(c.carrier, sizeof c.carrier, "*");
    c.as_of = bench::kToday;
    c.overdue_num = 1;
    c.kind = 1;
    c.copies = 1;
    const int mode = static_cast<int>(state.range(1));
    bench::RunReport(
        state, "insarrpt", "claims", [&] { return std::make_unique<InsARReportRun>(c, mode); },
        [](const InsARReportRun& r) { return static_cast<long>(r.Data().claims.size()); });
}

}  // namespace

BENCHMARK(BM_Floor)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_FullFloor)->Apply(bench::OncePerEngine);
BENCHMARK(BM_InsAR)
    ->Args({0, 1})
    ->Args({0, 0})
    ->Args({1, 1})
    ->Args({1, 0})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();
BENCHMARK_MAIN();
