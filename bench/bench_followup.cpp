// The follow-up lists over the large demo practice, each next to its floor: one set-based
// statement that finds the same memos or patients. Each list runs as the unattended run
// writes it (output kind 3: its text file and data file); the appointment list also read
// alone and as a preview that draws its PDF.
//   memos      the memos due in November 2024, both reading paths
//   noact      patients not seen recently, built-in criteria on 2024-11-15
//   noins      patients without insurance, without and with the check of active policies
//   apptlist   the appointment list of November 2024, every producer and chair
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>

#include "bench/practice.h"
#include "common/report_run.h"
#include "followup/apptlist_reports.h"
#include "followup/memo_reports.h"
#include "followup/noact_reports.h"
#include "followup/noins_reports.h"
#include "host/base/env.h"
#include "host/records/context.h"

namespace {

std::string MemoFloor(const std::string& p) {
    return "SELECT PNOT_ID, PNOT_DUEDATE, PNOT_COMMENT FROM " + p +
           "PATNOTE WHERE PNOT_DUEDATE >= 20241101 AND PNOT_DUEDATE <= 20241130 ORDER BY "
           "PNOT_DUEDATE, PNOT_ID";
}

std::string NoActFloor(const std::string& p) {
    return "SELECT PAT_ID FROM " + p +
           "PATIENT WHERE PAT_DELETE_DATE = 0 AND PAT_LAST_CLAIM_DATE < 20240101 AND EXISTS "
           "(SELECT 1 FROM " +
           p + "CLMTRT JOIN " + p +
           "PATCLM ON PCLM_ID = CTRT_PCLMID WHERE PCLM_PATID = PAT_ID AND CTRT_DATE BETWEEN "
           "20230101 AND 20231231 AND CTRT_DEL_DATE = 0 AND SUBSTR(CTRT_STATUS, 1, 1) IN ('C', "
           "'I')) ORDER BY PAT_LNAME, PAT_PNAME";
}

std::string NoInsFloor(const std::string& p) {
    return "SELECT PAT_ID, PAT_LNAME, PAT_PNAME, PAT_BIRTHDATE, PAT_CHART_NO, PAT_DOCTOR, "
           "PAT_STUDENT, PAT_HOME_PH, PAT_WORK_PH, PAT_LAST_CLAIM_DATE, PAT_STATUS FROM " +
           p + "PATIENT WHERE PAT_DELETE_DATE = 0 AND NOT EXISTS (SELECT 1 FROM " + p +
           "PATDEP WHERE PDEP_PATID = PAT_ID) ORDER BY PAT_LNAME, PAT_PNAME";
}

void BM_MemoFloor(benchmark::State& s) {
    bench::RunFloor(s, [](GenDB& db) { return MemoFloor(db.dbTablePrefix()); });
}
void BM_MemoReport(benchmark::State& s, int mode) {
    bench::RunReport(
        s, "tickrpt", "rows",
        [&] { return std::make_unique<MemoReportRun>(20241101, 20241130, mode); },
        [](const MemoReportRun& r) { return static_cast<long>(r.Data().lines.size()); });
}
void BM_MemoSql(benchmark::State& s) {
    BM_MemoReport(s, 1);
}
void BM_MemoRecords(benchmark::State& s) {
    BM_MemoReport(s, 0);
}
void BM_NoActFloor(benchmark::State& s) {
    bench::RunFloor(s, [](GenDB& db) { return NoActFloor(db.dbTablePrefix()); });
}
void BM_NoAct(benchmark::State& s) {
    bench::RunReport(
        s, "PatNoActivity", "rows",
        [] { return std::make_unique<NoActReportRun>(noact::DefaultCriteria(bench::kToday)); },
        [](const NoActReportRun& r) { return static_cast<long>(r.Data().patients.size()); });
}
void BM_NoInsFloor(benchmark::State& s) {
    bench::RunFloor(s, [](GenDB& db) { return NoInsFloor(db.dbTablePrefix()); });
}
void BM_NoIns(benchmark::State& s) {
    bench::RunReport(
        s, "noinsrpt", "rows",
        [] {
            return std::make_unique<NoInsReportRun>(noins::Criteria{false, 0, '*'});
        },
        [](const NoInsReportRun& r) { return static_cast<long>(r.Data().printed.size()); });
}

std::string ApptFloor(const std::string& p) {
    return "SELECT PAPT_ID, PAPT_TIME, PAT_LNAME, PROD_LAST_NAME FROM " + p + "PATAPT LEFT JOIN " +
           p + "PATIENT ON PAT_ID = PAPT_PATID LEFT JOIN " + p +
           "PRODCD ON PROD_CODE = PAPT_PRODUCER WHERE PAPT_DATE BETWEEN 20241101 AND 20241130 "
           "AND PAPT_DELDATE = 0 ORDER BY PAPT_DATE, PAPT_PRODUCER, PAPT_TIME, PAPT_CHAIR, "
           "PAPT_ID";
}
void BM_ApptFloor(benchmark::State& s) {
    bench::RunFloor(s, [](GenDB& db) { return ApptFloor(db.dbTablePrefix()); });
}
// The list read only, as the unattended run writes it, and as a preview drawing its PDF.
void Appt(benchmark::State& s, int output_kind) {
    bench::RunReport(
        s, "apptlist", "rows",
        [] {
            apptlist::Criteria c;
            c.from = 20241101;
            c.to = 20241130;
            return std::make_unique<ApptListReportRun>(c);
        },
        [](const ApptListReportRun& r) { return static_cast<long>(r.Data().Count()); },
        output_kind);
}
void BM_ApptRead(benchmark::State& s) {
    Appt(s, bench::kReadOnly);
}
void BM_ApptText(benchmark::State& s) {
    Appt(s, bench::kUnattended);
}
void BM_ApptPreview(benchmark::State& s) {
    Appt(s, bench::kPreview);
}

}  // namespace

#define FOLLOWUP_BENCH(f) \
    BENCHMARK(f)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime()
FOLLOWUP_BENCH(BM_MemoFloor);
FOLLOWUP_BENCH(BM_MemoSql);
FOLLOWUP_BENCH(BM_MemoRecords);
FOLLOWUP_BENCH(BM_NoActFloor);
FOLLOWUP_BENCH(BM_NoAct);
FOLLOWUP_BENCH(BM_NoInsFloor);
FOLLOWUP_BENCH(BM_NoIns);
FOLLOWUP_BENCH(BM_ApptFloor);
FOLLOWUP_BENCH(BM_ApptRead);
FOLLOWUP_BENCH(BM_ApptText);
FOLLOWUP_BENCH(BM_ApptPreview);
BENCHMARK_MAIN();
