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

// The same figures with the report's rules per charge, by producer: applications summed
// per charge (those that count as of the date: dated on or before it, their payment not
// undone then), each charge's insurance and patient portions with insurance money beyond
// the estimate moved to the patient's share, the office charges under their billing doctor,
// summed by account, producer and bucket. Only the credits (applications to no charge)
// and their spreading over the buckets are left to the report.
std::string FullFloorQuery(GenDB& db, long as_of) {
    const std::string p = db.dbTablePrefix();
    const std::string a = std::to_string(as_of);
    auto bucket = [&](const std::string& d) {
        return "CASE WHEN " + d + " > " + a + " THEN 4 WHEN " + d +
               " >= " + std::to_string(incr_date(as_of, -30)) + " THEN 0 WHEN " + d +
               " >= " + std::to_string(incr_date(as_of, -60)) + " THEN 1 WHEN " + d +
               " >= " + std::to_string(incr_date(as_of, -90)) + " THEN 2 ELSE 3 END";
    };
    // SQLite: the applications' sums made once, then found per charge through an index it
    // builds on (rt, cid), which it does only for an integer cid; inlined, it walks them
    // again for each charge.
    const char* made = db.engine() == GenDB::Engine::SQLite ? " AS MATERIALIZED" : " AS";
    return std::string("WITH apps") + made +
           " (SELECT PAPP_RECTYPE AS rt, CAST(CASE WHEN PAPP_RECTYPE = 'O' THEN "
           "PAPP_POCHID ELSE PAPP_CTRTID END AS INTEGER) AS cid,"
           " SUM(CASE WHEN PAPP_TYPE = 'I' THEN 0 ELSE PAPP_AMOUNT END) AS pat,"
           " SUM(CASE WHEN PAPP_TYPE = 'I' THEN PAPP_AMOUNT ELSE 0 END) AS ins FROM " +
           p + "PMTAPP, " + p +
           "ACCPMT WHERE PAPP_APMTID = APMT_ID AND PAPP_RECTYPE IN ('T', 'O') AND PAPP_DATE <= " +
           a + " AND ((APMT_DELDATE = 0 AND APMT_REVERSED <> 'Y') OR APMT_DELDATE > " + a +
           ") GROUP BY 1, 2),"
           " charges AS (SELECT PAT_ACCID AS acc, CTRT_PRODUCER AS prod, " +
           bucket("CTRT_DATE") +
           " AS b, CTRT_TOTAL + CASE CTRT_ADJ_FLAG WHEN 'S' THEN CTRT_ADJ_AMT WHEN 'D' THEN "
           "-CTRT_ADJ_AMT ELSE 0 END AS amt, CTRT_INS_TOTAL AS est, 'T' AS rt, CTRT_ID AS cid "
           "FROM " +
           p + "CLMTRT, " + p + "PATCLM, " + p +
           "PATIENT WHERE CTRT_PCLMID = PCLM_ID AND PCLM_PATID = PAT_ID AND PCLM_STATUS IN ('I', "
           "'C') AND (CTRT_DEL_DATE = 0 OR CTRT_DEL_DATE > " +
           a + ") UNION ALL SELECT PAT_ACCID, 'D' || POCH_BILLDR, " + bucket("POCH_DATE") +
           ", POCH_TOTAL, 0, 'O', POCH_ID FROM " + p + "PATOCH, " + p +
           "PATIENT WHERE POCH_PATID = PAT_ID AND (POCH_DELDATE = 0 OR POCH_DELDATE > " + a +
           ")),"
           " portions AS (SELECT acc, prod, b, est - COALESCE(apps.ins, 0) AS ins0,"
           " amt - est - COALESCE(apps.pat, 0) AS pat0,"
           " CASE WHEN amt > est THEN amt - est ELSE 0 END AS share FROM charges LEFT JOIN apps"
           " ON apps.rt = charges.rt AND apps.cid = charges.cid)"
           " SELECT acc, prod, b,"
           " SUM(CASE WHEN ins0 >= 0 THEN pat0 WHEN -ins0 < share THEN pat0 + ins0"
           " ELSE pat0 - share END) AS pat_due,"
           " SUM(CASE WHEN ins0 >= 0 THEN ins0 WHEN -ins0 < share THEN 0"
           " ELSE ins0 + share END) AS ins_due"
           " FROM portions GROUP BY acc, prod, b ORDER BY acc";
}

// Runs a floor statement on a connection of its own, its two amounts summed.
void RunFloorSums(benchmark::State& state, std::string (*query)(GenDB&, long)) {
    std::unique_ptr<GenDB> own = bench::OwnConnection(state);
    GenDB* db = own.get();
    if (!db) return;
    const std::string q = query(*db, bench::kToday);
    long rows = 0;
    for (auto _ : state) {
        rows = 0;
        int64_t total = 0;
        if (db->dbOpen(q, 7) != 0) {
            state.SkipWithError(db->dbLastError());
            return;
        }
        host::DbCursor* c = db->Cursor(7);
        for (int r = c->Fetch(true); r == 0; r = c->Fetch(false)) {
            total += c->Int(c->Columns() - 1) + c->Int(c->Columns());
            ++rows;
        }
        db->dbClose(7);
        benchmark::DoNotOptimize(total);
    }
    state.counters["rows"] = static_cast<double>(rows);
    bench::CommonCounters(state, *db);
}

void BM_Floor(benchmark::State& state) {
    RunFloorSums(state, &FloorQuery);
}

void BM_FullFloor(benchmark::State& state) {
    RunFloorSums(state, &FullFloorQuery);
}

// A receivable report run: kind (0 accounts, 2 summary only, -1 the quick list) and grouping
// (0 by billing doctor, 1 by producer).
void RunReport(benchmark::State& state, int kind, int grouping) {
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
        [](ARReportRun& run) { return static_cast<long>(run.Data().accounts.size()); });
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

BENCHMARK(BM_Floor)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_FullFloor)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();
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
