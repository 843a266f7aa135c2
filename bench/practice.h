// The demo practice the benchmarks run over, made once per engine and kept:
//   SQLite      $RAPPORTS_BENCH_DIR/<size>.db (default /tmp/rapports-bench)
//   PostgreSQL  $RAPPORTS_BENCH_PG (else $RAPPORTS_TEST_PG), when set
// <size> is $RAPPORTS_BENCH_SIZE: medium, large (the default) or group.
// Each benchmark takes the engine as its first argument (0 SQLite, 1 PostgreSQL) and runs on
// a connection of its own, so that no measure pays for what an earlier one left on the
// connection (a plan compiled by PostgreSQL's JIT, whose cost every later parallel query of
// the session then shares; statements kept prepared). Each reports the process's peak
// memory (peak_MB): run one benchmark per process to read it as that benchmark's
// (bench/table.sh does).
#pragma once

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "app/demo/demo.h"
#include "common/report_run.h"
#include "host/base/dates.h"
#include "host/base/env.h"
#include "host/db/gendb.h"
#include "host/records/context.h"

namespace bench {

inline constexpr long kToday = 20241115;

inline std::string Env(const char* name, const char* def = "") {
    const char* v = std::getenv(name);
    return v && *v ? v : def;
}

inline std::string SizeName() {
    return Env("RAPPORTS_BENCH_SIZE", "large");
}

inline std::string EngineDsn(int engine) {
    if (engine == 0) {
        const std::string dir = Env("RAPPORTS_BENCH_DIR", "/tmp/rapports-bench");
        std::filesystem::create_directories(dir);
        return "sqlite:" + dir + "/" + SizeName() + ".db";
    }
    std::string pg = Env("RAPPORTS_BENCH_PG");
    return pg.empty() ? Env("RAPPORTS_TEST_PG") : pg;
}

inline const char* EngineName(int engine) {
    return engine == 0 ? "sqlite" : "postgresql";
}

// The connection to the large practice of an engine (generated on first use); null when the
// engine is not available.
inline GenDB* Practice(int engine) {
    static std::map<int, std::unique_ptr<GenDB>> open;
    auto it = open.find(engine);
    if (it != open.end()) return it->second.get();
    const std::string dsn = EngineDsn(engine);
    std::unique_ptr<GenDB> db;
    if (!dsn.empty()) {
        std::string error;
        db = GenDB::Open(dsn, &error);
        if (db && !demo::PracticeHasData(*db)) {
            std::fprintf(stderr, "bench: generating the %s practice on %s...\n", SizeName().c_str(),
                         EngineName(engine));
            demo::DemoOptions options;
            if (!demo::ParseSize(SizeName(), &options.size)) options.size = demo::Size::Large;
            options.seed = 1;
            options.today = kToday;
            demo::DemoStats stats;
            if (!demo::GenerateDemo(*db, options, &stats, &error)) db.reset();
        }
        if (!db)
            std::fprintf(stderr, "bench: %s unavailable: %s\n", EngineName(engine), error.c_str());
    }
    host::SetFixedToday(kToday);
    return (open[engine] = std::move(db)).get();
}

// Skips the benchmark (with a message) when its engine is not available.
inline GenDB* PracticeOrSkip(benchmark::State& state) {
    GenDB* db = Practice(static_cast<int>(state.range(0)));
    if (!db) state.SkipWithError("engine not available");
    return db;
}

// A new connection to the benchmark's practice (made first if needed); null, the
// benchmark skipped, when the engine is not available.
inline std::unique_ptr<GenDB> OwnConnection(benchmark::State& state) {
    GenDB* shared = PracticeOrSkip(state);
    if (!shared) return nullptr;
    std::string error;
    std::unique_ptr<GenDB> db = GenDB::Open(EngineDsn(static_cast<int>(state.range(0))), &error);
    if (!db) state.SkipWithError(error.c_str());
    return db;
}

// The process's peak resident memory so far, in MB.
inline double PeakMB() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_maxrss) / 1024.0;
}

// Rows of the three ledger tables (treatment lines, office charges, applications).
inline long LedgerRows(GenDB& db) {
    const std::string p = db.dbTablePrefix();
    return static_cast<long>(db.QueryInt("SELECT COUNT(*) FROM " + p + "CLMTRT") +
                             db.QueryInt("SELECT COUNT(*) FROM " + p + "PATOCH") +
                             db.QueryInt("SELECT COUNT(*) FROM " + p + "PMTAPP"));
}

// The counters every benchmark reports besides its own.
inline void CommonCounters(benchmark::State& state, GenDB& db) {
    state.counters["peak_MB"] = PeakMB();
    state.counters["ledger_rows"] = static_cast<double>(LedgerRows(db));
}

// The producer analysis' floor: every line the engine counts, with its producer, its period
// (0 the day, 1 the month, 2 before) and its class, summed. The engine's mapping rules
// (auxiliaries' payments on their doctor, office charges on the billing doctor) are left to
// the reading side. The analysis starts the day after the practice's last month-end (its
// producers hold what came before), so the floor does too.
inline std::string ProducerAnalysisFloor(GenDB& db, long day) {
    const std::string p = db.dbTablePrefix();
    const std::string d = std::to_string(day);
    const long month_end = static_cast<long>(
        db.QueryInt("SELECT DEND_MENDDATE FROM " + p + "DAYEND WHERE DEND_ID = 1", 0));
    const std::string from = std::to_string(month_end > 0 ? incr_date(month_end, 1) : 1);
    const std::string first = std::to_string(day / 100 * 100 + 1);
    auto period = [&](const std::string& col) {
        return "CASE WHEN " + col + " = " + d + " THEN 0 WHEN " + col + " >= " + first +
               " THEN 1 ELSE 2 END";
    };
    auto range = [&](const std::string& col) {
        return col + " >= " + from + " AND " + col + " <= " + d;
    };
    const std::string charge =
        "CTRT_TOTAL + CASE CTRT_ADJ_FLAG WHEN 'S' THEN CTRT_ADJ_AMT WHEN 'D' THEN -CTRT_ADJ_AMT "
        "ELSE 0 END";
    const std::string claims = " FROM " + p + "CLMTRT, " + p +
                               "PATCLM WHERE PCLM_ID = CTRT_PCLMID AND PCLM_STATUS IN ('I', "
                               "'C') AND ";
    // A payment entered after its date counts on its entry date. Over the whole history one
    // scan dates each application; from a month-end two parts, each by the index of its own
    // date, read only the period.
    const std::string late = "APMT_RECTYPE = 'P' AND PAPP_DATE < PAPP_SYSDATE";
    auto part = [&](const std::string& col, const std::string& which) {
        return "SELECT PAPP_PRODUCER, " + period(col) + ", APMT_RECTYPE, -PAPP_AMOUNT FROM " + p +
               "PMTAPP, " + p + "ACCPMT WHERE APMT_ID = PAPP_APMTID AND " + range(col) + which;
    };
    const std::string applications =
        month_end > 0 ? part("PAPP_DATE", " AND NOT (" + late + ")") + " UNION ALL " +
                            part("PAPP_SYSDATE", " AND " + late)
                      : part("CASE WHEN " + late + " THEN PAPP_SYSDATE ELSE PAPP_DATE END", "");
    return "SELECT prod, per, cls, SUM(amt) AS total, COUNT(*) AS n FROM ("
           " SELECT CTRT_PRODUCER AS prod, " +
           period("CTRT_SYSTEM_DATE") + " AS per, CTRT_TYPE AS cls, " + charge + " AS amt" +
           claims + range("CTRT_SYSTEM_DATE") + " UNION ALL SELECT CTRT_PRODUCER, " +
           period("CTRT_DEL_DATE") + ", 'G', -(" + charge + ")" + claims + range("CTRT_DEL_DATE") +
           " UNION ALL SELECT 'D' || POCH_BILLDR, " + period("POCH_SYSDATE") +
           ", 'H', POCH_TOTAL FROM " + p + "PATOCH WHERE " + range("POCH_SYSDATE") +
           " UNION ALL SELECT 'D' || POCH_BILLDR, " + period("POCH_DELDATE") +
           ", 'I', -POCH_TOTAL FROM " + p + "PATOCH WHERE " + range("POCH_DELDATE") +
           " UNION ALL " + applications + ") lines GROUP BY prod, per, cls";
}

// Runs a floor once per iteration and counts its rows: query gives its statement, or its
// statements in turn (a vector of them).
template <class Query>
void RunFloor(benchmark::State& state, Query query) {
    std::unique_ptr<GenDB> own = OwnConnection(state);
    GenDB* db = own.get();
    if (!db) return;
    std::vector<std::string> statements;
    if constexpr (std::is_convertible_v<decltype(query(*db)), std::string>)
        statements.push_back(query(*db));
    else
        statements = query(*db);
    long rows = 0;
    for (auto _ : state) {
        rows = 0;
        for (const std::string& q : statements) {
            if (db->dbOpen(q, 7) != 0) {
                state.SkipWithError(db->dbLastError());
                return;
            }
            for (int r = db->dbFetch(0, 7); r == 0; r = db->dbFetch(1, 7))
                ++rows;
            db->dbClose(7);
        }
    }
    state.counters["rows"] = static_cast<double>(rows);
    CommonCounters(state, *db);
}

// Runs the report that make builds once per iteration, without a dialog: output kind 1 (the
// default) is the preview, its text file and the PDF of its pages; 3 the text file alone;
// kReadOnly the collector alone. count gives the rows it printed, reported under counter.
inline constexpr int kReadOnly = -1;
template <class Make, class Count>
void RunReport(benchmark::State& state, const char* document, const char* counter, Make make,
               Count count, int output_kind = 1) {
    std::unique_ptr<GenDB> own = OwnConnection(state);
    GenDB* db = own.get();
    if (!db) return;
    QDSApplication app(db);
    QDSApplication::SetInstance(&app);
    LauncherInfo launcher(&app);
    const std::string out = Env("RAPPORTS_BENCH_DIR", "/tmp/rapports-bench") + "/out";
    std::filesystem::create_directories(out);
    host::Env().output_dir = out;
    long rows = 0;
    for (auto _ : state) {
        auto run = make();
        if (output_kind == kReadOnly) {
            reports::RunContext ctx;
            ctx.launcher = &launcher;
            ctx.interactive = false;
            if (!run->Collect(ctx)) state.SkipWithError(ctx.error.c_str());
        } else {
            FILE* prt = std::fopen((out + "/" + document + ".prt").c_str(), "w");
            std::string error;
            if (!reports::RunHeadless(*run, &launcher, prt, output_kind, document, &error))
                state.SkipWithError(error.c_str());
            std::fclose(prt);
        }
        rows = count(*run);
    }
    state.counters[counter] = static_cast<double>(rows);
    CommonCounters(state, *db);
    QDSApplication::SetInstance(nullptr);
}

// Registers a measure once on each engine, one run each, in wall-clock milliseconds:
// BENCHMARK(BM_X)->Apply(bench::OncePerEngine).
inline void OncePerEngine(benchmark::internal::Benchmark* b) {
    b->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
}

// The age bucket of a date column as the aging dates it (0 current to 3 over 90 days, 4 the
// future), against the dates 30, 60 and 90 days before as_of.
inline std::string BucketSql(const std::string& date, long as_of) {
    const std::string a = std::to_string(as_of);
    return "CASE WHEN " + date + " > " + a + " THEN 4 WHEN " + date +
           " >= " + std::to_string(incr_date(as_of, -30)) + " THEN 0 WHEN " + date +
           " >= " + std::to_string(incr_date(as_of, -60)) + " THEN 1 WHEN " + date +
           " >= " + std::to_string(incr_date(as_of, -90)) + " THEN 2 ELSE 3 END";
}

// The receivable rules per charge as common table expressions, for the full-semantics
// floors: apps (the applications that count as of the date, summed per charge, patient and
// insurer apart), charges (the counted treatment lines of invoiced claims and the office
// charges: account, key, age bucket with 4 for the future, amount, estimate) and portions
// (each charge's insurance and patient portions before insurer money beyond the estimate is
// moved, and the patient's share). line_key and office_key are what a floor groups by (a
// producer, a carrier); the floor's own SELECT follows, with kPatDue and kInsDue.
inline std::string ChargePortionsSql(GenDB& db, long as_of, const std::string& line_key,
                                     const std::string& office_key) {
    const std::string p = db.dbTablePrefix();
    const std::string a = std::to_string(as_of);
    auto bucket = [&](const std::string& d) { return BucketSql(d, as_of); };
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
           ") GROUP BY 1, 2), charges AS (SELECT PAT_ACCID AS acc, " + line_key + " AS k, " +
           bucket("CTRT_DATE") +
           " AS b, CTRT_TOTAL + CASE CTRT_ADJ_FLAG WHEN 'S' THEN CTRT_ADJ_AMT WHEN 'D' THEN "
           "-CTRT_ADJ_AMT ELSE 0 END AS amt, CTRT_INS_TOTAL AS est, 'T' AS rt, CTRT_ID AS cid "
           "FROM " +
           p + "CLMTRT, " + p + "PATCLM, " + p +
           "PATIENT WHERE CTRT_PCLMID = PCLM_ID AND PCLM_PATID = PAT_ID AND PCLM_STATUS IN ('I', "
           "'C') AND (CTRT_DEL_DATE = 0 OR CTRT_DEL_DATE > " +
           a + ") UNION ALL SELECT PAT_ACCID, " + office_key + ", " + bucket("POCH_DATE") +
           ", POCH_TOTAL, 0, 'O', POCH_ID FROM " + p + "PATOCH, " + p +
           "PATIENT WHERE POCH_PATID = PAT_ID AND (POCH_DELDATE = 0 OR POCH_DELDATE > " + a +
           ")), portions AS (SELECT acc, k, b, est - COALESCE(apps.ins, 0) AS ins0,"
           " amt - est - COALESCE(apps.pat, 0) AS pat0,"
           " CASE WHEN amt > est THEN amt - est ELSE 0 END AS share FROM charges LEFT JOIN apps"
           " ON apps.rt = charges.rt AND apps.cid = charges.cid)";
}
inline constexpr const char* kPatDue =
    "CASE WHEN ins0 >= 0 THEN pat0 WHEN -ins0 < share THEN pat0 + ins0 ELSE pat0 - share END";
inline constexpr const char* kInsDue =
    "CASE WHEN ins0 >= 0 THEN ins0 WHEN -ins0 < share THEN 0 ELSE ins0 + share END";

// The receivable report's full-semantics floor: every account's aged totals with the
// report's rules per charge, by producer: applications summed per charge (those that count
// as of the date: dated on or before it, their payment not undone then), each charge's
// insurance and patient portions with insurance money beyond the estimate moved to the
// patient's share, the office charges under their billing doctor, summed by account,
// producer and bucket. Only the credits (applications to no charge) and their spreading
// over the buckets are left to the report.
inline std::string ReceivableFullFloor(GenDB& db, long as_of) {
    return ChargePortionsSql(db, as_of, "CTRT_PRODUCER", "'D' || POCH_BILLDR") +
           " SELECT acc, k, b, SUM(" + kPatDue + ") AS pat_due, SUM(" + kInsDue +
           ") AS ins_due FROM portions GROUP BY acc, k, b ORDER BY acc";
}

}  // namespace bench
