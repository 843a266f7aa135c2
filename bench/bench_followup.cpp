// The follow-up lists over the large demo practice, each next to its floor: one set-based
// statement that finds the same memos or patients.
//   memos      the memos due in November 2024, both reading paths
//   noact      patients not seen recently, built-in criteria on 2024-11-15
//   noins      patients without insurance, without and with the check of active policies
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>

#include "bench/practice.h"
#include "common/report_run.h"
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
    return "SELECT PAT_ID FROM " + p +
           "PATIENT WHERE PAT_DELETE_DATE = 0 AND NOT EXISTS (SELECT 1 FROM " + p +
           "PATDEP WHERE PDEP_PATID = PAT_ID) ORDER BY PAT_LNAME, PAT_PNAME";
}

void Floor(benchmark::State& state, std::string (*query)(const std::string&)) {
    GenDB* db = bench::PracticeOrSkip(state);
    if (!db) return;
    const std::string q = query(db->dbTablePrefix());
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

// Runs the report made by make once per iteration to its text file; count gives its rows.
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
    long rows = 0;
    for (auto _ : state) {
        FILE* prt = std::fopen((out + "/" + document + ".prt").c_str(), "w");
        auto run = make();
        std::string error;
        if (!reports::RunHeadless(*run, &launcher, prt, 1, document, &error))
            state.SkipWithError(error.c_str());
        rows = count(*run);
        std::fclose(prt);
    }
    state.counters["rows"] = static_cast<double>(rows);
    QDSApplication::SetInstance(nullptr);
}

void BM_MemoFloor(benchmark::State& s) {
    Floor(s, MemoFloor);
}
void BM_MemoReport(benchmark::State& s, int mode) {
    Report(
        s, "tickrpt", [&] { return std::make_unique<MemoReportRun>(20241101, 20241130, mode); },
        [](const MemoReportRun& r) { return static_cast<long>(r.Data().lines.size()); });
}
void BM_MemoSql(benchmark::State& s) {
    BM_MemoReport(s, 1);
}
void BM_MemoRecords(benchmark::State& s) {
    BM_MemoReport(s, 0);
}
void BM_NoActFloor(benchmark::State& s) {
    Floor(s, NoActFloor);
}
void BM_NoAct(benchmark::State& s) {
    Report(
        s, "PatNoActivity",
        [] { return std::make_unique<NoActReportRun>(noact::DefaultCriteria(bench::kToday)); },
        [](const NoActReportRun& r) { return static_cast<long>(r.Data().patients.size()); });
}
void BM_NoInsFloor(benchmark::State& s) {
    Floor(s, NoInsFloor);
}
void BM_NoIns(benchmark::State& s) {
    Report(
        s, "noinsrpt",
        [] {
            return std::make_unique<NoInsReportRun>(noins::Criteria{false, 0, '*'});
        },
        [](const NoInsReportRun& r) { return static_cast<long>(r.Data().printed.size()); });
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
BENCHMARK_MAIN();
