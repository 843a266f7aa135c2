// The receivable integrity check over the large demo practice (every account, nothing
// divergent), next to its floor: one set-based statement that computes every account's
// patient and insurance balances from the ledger (charges less applications, by account).
// The full floor adds the producer analysis' floor (the check builds the analysis of the whole
// history). Arguments: engine (0 SQLite, 1 PostgreSQL), then for the check the account source
// (1 by SQL, 0 through the account records).
#include <benchmark/benchmark.h>

#include <filesystem>

#include "bench/practice.h"
#include "host/base/env.h"
#include "host/records/context.h"
#include "receivables/archk.h"

namespace {

std::string FloorQuery(GenDB& db) {
    const std::string p = db.dbTablePrefix();
    const std::string a = std::to_string(bench::kToday);
    const std::string ins = "CASE WHEN PAPP_TYPE = 'I' THEN PAPP_AMOUNT ELSE 0 END";
    const std::string pat = "CASE WHEN PAPP_TYPE = 'I' THEN 0 ELSE PAPP_AMOUNT END";
    return "SELECT acc, SUM(ins), SUM(pat) FROM ("
           " SELECT PAT_ACCID AS acc, CTRT_INS_TOTAL AS ins, CTRT_TOTAL - CTRT_INS_TOTAL AS pat"
           " FROM " +
           p + "CLMTRT, " + p + "PATCLM, " + p +
           "PATIENT WHERE CTRT_PCLMID = PCLM_ID AND PCLM_PATID = PAT_ID AND PCLM_STATUS IN "
           "('I', 'C') AND (CTRT_DEL_DATE = 0 OR CTRT_DEL_DATE > " +
           a + ") UNION ALL SELECT PAT_ACCID, 0, POCH_TOTAL FROM " + p + "PATOCH, " + p +
           "PATIENT WHERE POCH_PATID = PAT_ID AND (POCH_DELDATE = 0 OR POCH_DELDATE > " + a +
           ") UNION ALL SELECT APMT_ACCID, -" + ins + ", -" + pat + " FROM " + p + "PMTAPP, " + p +
           "ACCPMT WHERE APMT_ID = PAPP_APMTID AND PAPP_DATE <= " + a +
           ") ledger GROUP BY acc ORDER BY acc";
}

void BM_Floor(benchmark::State& state) {
    bench::RunFloor(state, FloorQuery);
}

// What the check computes in all: every account's receivable with the per-charge rules (the
// receivable report's full floor, by producer), and the producer analysis of the whole
// history that it compares the producers' receivable with.
void BM_FullFloor(benchmark::State& state) {
    bench::RunFloor(state, [](GenDB& db) {
        return std::vector<std::string>{bench::ReceivableFullFloor(db, bench::kToday),
                                        bench::ProducerAnalysisFloor(db, bench::kToday)};
    });
}

void BM_Check(benchmark::State& state) {
    GenDB* db = bench::PracticeOrSkip(state);
    if (!db) return;
    QDSApplication app(db);
    app.m_CalAR = static_cast<int>(state.range(1));
    QDSApplication::SetInstance(&app);
    LauncherInfo launcher(&app);
    const std::string dir = bench::Env("RAPPORTS_BENCH_DIR", "/tmp/rapports-bench") + "/archk";
    std::filesystem::create_directories(dir);
    host::Env().output_dir = dir;
    host::Env().station_dir = dir;
    long accounts = 0, divergences = 0;
    for (auto _ : state) {
        ArChk check(launcher.GetListPtr(), launcher.GetMsgPtr());
        TEmgBase errors;
        check.CheckAR(false, nullptr, &launcher, nullptr, &errors, false);
        if (!check.Ran() || !check.Error().empty()) {
            state.SkipWithError(check.Error().c_str());
            break;
        }
        accounts = check.AccountsChecked();
        divergences = check.Divergences();
    }
    state.counters["accounts"] = static_cast<double>(accounts);
    state.counters["divergences"] = static_cast<double>(divergences);
    QDSApplication::SetInstance(nullptr);
}

}  // namespace

BENCHMARK(BM_Floor)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_FullFloor)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseRealTime();
BENCHMARK(BM_Check)
    ->Args({0, 1})
    ->Args({1, 1})
    ->Args({0, 0})
    ->Args({1, 0})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();
BENCHMARK_MAIN();
