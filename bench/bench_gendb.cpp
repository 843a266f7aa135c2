// GenDB itself: key lookups through dbOpen/dbFetch/dbClose (the reports' many small
// queries), with and without the reuse of compiled statement shapes, and a full scan of
// the treatment lines.
#include <benchmark/benchmark.h>

#include <vector>

#include "bench/practice.h"

namespace {

std::vector<long> AccountIds(GenDB& db) {
    std::vector<long> ids;
    const std::string q = "SELECT ACC_ID FROM " + std::string(db.dbTablePrefix()) + "ACCOUNT";
    if (db.dbOpen(q, 1) == 0)
        for (int r = db.dbFetch(0, 1); r == 0; r = db.dbFetch(1, 1)) {
            long id = 0;
            db.dbGetLong(1, &id, 1);
            ids.push_back(id);
        }
    db.dbClose(1);
    return ids;
}

// 100,000 lookups of an account by its key, as a report looks up one record per row.
void KeyLookups(benchmark::State& state, bool reuse) {
    GenDB* db = bench::PracticeOrSkip(state);
    if (!db) return;
    const std::vector<long> ids = AccountIds(*db);
    const std::string head = "SELECT ACC_LNAME, ACC_PNAME, ACC_PAT_BAL FROM " +
                             std::string(db->dbTablePrefix()) + "ACCOUNT WHERE ACC_ID = ";
    db->SetLiteralLifting(reuse);
    constexpr int kLookups = 100000;
    long found = 0;
    for (auto _ : state) {
        found = 0;
        for (int i = 0; i < kLookups; ++i) {
            const long id = ids[static_cast<size_t>(i * 7919) % ids.size()];
            db->dbOpen(head + std::to_string(id), 105);
            if (db->dbFetch(0, 105) == 0) {
                char name[26];
                long bal = 0;
                db->dbGetString(1, name, sizeof name, 105);
                db->dbGetLong(3, &bal, 105);
                ++found;
            }
            db->dbClose(105);
        }
    }
    db->SetLiteralLifting(true);
    state.counters["lookups"] = kLookups;
    state.counters["found"] = static_cast<double>(found);
    // Time per lookup: the iteration time divided by the lookups.
}

void BM_KeyLookups(benchmark::State& state) {
    KeyLookups(state, true);
}
void BM_KeyLookupsCompiledEachTime(benchmark::State& state) {
    KeyLookups(state, false);
}

// Every treatment line, reading six columns of each row.
void BM_FullScanTreatments(benchmark::State& state) {
    GenDB* db = bench::PracticeOrSkip(state);
    if (!db) return;
    const std::string q =
        "SELECT CTRT_ID, CTRT_PCLMID, CTRT_DATE, CTRT_PRODUCER, CTRT_TOTAL, CTRT_INS_TOTAL FROM " +
        std::string(db->dbTablePrefix()) + "CLMTRT";
    long rows = 0;
    for (auto _ : state) {
        rows = 0;
        int64_t sum = 0;
        db->dbOpen(q, 44);
        for (int r = db->dbFetch(0, 44); r == 0; r = db->dbFetch(1, 44)) {
            long id, claim, date, total, ins;
            char producer[4];
            db->dbGetLong(1, &id, 44);
            db->dbGetLong(2, &claim, 44);
            db->dbGetLong(3, &date, 44);
            db->dbGetString(4, producer, sizeof producer, 44);
            db->dbGetLong(5, &total, 44);
            db->dbGetLong(6, &ins, 44);
            sum += total;
            ++rows;
        }
        db->dbClose(44);
        benchmark::DoNotOptimize(sum);
    }
    state.counters["rows"] = static_cast<double>(rows);
    state.counters["rows_per_s"] = benchmark::Counter(
        static_cast<double>(rows), benchmark::Counter::kIsIterationInvariantRate);
}

}  // namespace

BENCHMARK(BM_KeyLookups)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseRealTime();
BENCHMARK(BM_KeyLookupsCompiledEachTime)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();
BENCHMARK(BM_FullScanTreatments)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseRealTime();
BENCHMARK_MAIN();
