// The receivable reports over the demo practice, each next to two floors, set-based SQL
// statements that compute every account's aged patient and insurance totals as of the same
// date (no report, no per-account work): the plain one (charges less applications) and one
// with the report's rules per charge, by producer.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <memory>

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
    auto bucket = [&](const std::string& d) { return bench::BucketSql(d, as_of); };
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
    bench::RunFloor(state, [](GenDB& db) { return FloorQuery(db, bench::kToday); });
}

void BM_FullFloor(benchmark::State& state) {
    bench::RunFloor(state, [](GenDB& db) { return bench::ReceivableFullFloor(db, bench::kToday); });
}

// A receivable report run: kind (0 accounts, 2 summary only, -1 the quick list) and grouping
// (0 by billing doctor, 1 by producer), as the unattended run (`rapports run 102
// --output-kind 3`) or as the preview.
void RunReport(benchmark::State& state, int kind, int grouping,
               int output_kind = bench::kUnattended) {
    bench::RunReport(
        state, "arrpt", "accounts",
        [&] {
            arrpt_info info;
            info.as_of = bench::kToday;
            info.kind = kind < 0 ? 0 : kind;
            info.grouping = grouping;
            info.overdue_num = 2;
            std::snprintf(info.overdue_text, sizeof info.overdue_text, "2 - Comptes avec solde");
            info.future = 'Y';
            return std::make_unique<ARReportRun>(info, kind < 0, 1);
        },
        [](ARReportRun& run) { return static_cast<long>(run.Data().accounts.size()); },
        output_kind);
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
void BM_AccountReportPreview(benchmark::State& s) {
    RunReport(s, 0, 1, bench::kPreview);
}

}  // namespace

BENCHMARK(BM_Floor)->Apply(bench::OncePerEngine);
BENCHMARK(BM_FullFloor)->Apply(bench::OncePerEngine);
BENCHMARK(BM_AccountReportByProducer)->Apply(bench::OncePerEngine);
BENCHMARK(BM_AccountReportByBillingDoctor)->Apply(bench::OncePerEngine);
BENCHMARK(BM_SummaryOnlyByProducer)->Apply(bench::OncePerEngine);
BENCHMARK(BM_SummaryOnlyByBillingDoctor)->Apply(bench::OncePerEngine);
BENCHMARK(BM_QuickList)->Apply(bench::OncePerEngine);
BENCHMARK(BM_AccountReportPreview)->Apply(bench::OncePerEngine);
BENCHMARK_MAIN();
