// The demo command's engine: builds the practice account by account into spools, then loads
// the tables in one transaction (indexes made after the rows are in).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>

#include "app/demo/demo.h"
#include "app/demo/model.h"
#include "host/base/dates.h"
#include "host/base/numfmt.h"
#include "host/base/text.h"

namespace demo {

using namespace tables;

bool ParseSize(const std::string& text, Size* size) {
    if (text == "small")
        *size = Size::Small;
    else if (text == "medium")
        *size = Size::Medium;
    else if (text == "large")
        *size = Size::Large;
    else if (text == "group")
        *size = Size::Group;
    else
        return false;
    return true;
}

const char* SizeName(Size size) {
    switch (size) {
        case Size::Small:
            return "small";
        case Size::Medium:
            return "medium";
        case Size::Large:
            return "large";
        case Size::Group:
            return "group";
    }
    return "";
}

long DemoStats::Rows(const std::string& table) const {
    for (const auto& [name, n] : rows)
        if (name == table) return n;
    return 0;
}

bool FinishPractice(const Practice& p, Output& out, DemoStats* stats, std::string* error) {
    // The day sheet in date order, as the practice wrote it day after day; within a day by
    // kind and record.
    long id = 0, busiest = 0, busiest_lines = 0, run = 0;
    int32_t run_date = 0;
    std::vector<long> days;
    Spool& daysht = out[kDaysht];
    const bool drained = out.day_sheet().Drain(
        [&](const DayLine& l) {
            daysht.Int(++id)
                .Int(l.date)
                .Int(l.recid)
                .Text(out.CodeText(l.billdr))
                .Text(out.CodeText(l.producer))
                .Char(l.sortid)
                .Char(l.rectype)
                .Int(l.patid);
            daysht.End();
            if (l.date != run_date) {
                run_date = l.date;
                run = 0;
                if (l.date < p.today) days.push_back(l.date);
            }
            if (++run > busiest_lines) {
                busiest_lines = run;
                busiest = l.date;
            }
        },
        error);
    if (!drained) return false;
    if (stats) {
        stats->busiest_day = busiest;
        stats->busiest_day_lines = busiest_lines;
    }
    // Every earlier day with activity was closed and its report printed; today is open.
    for (long d : days) {
        out[kDaydet].Int(out.NextId("DAYDET")).Int(d).Char('Y').Char('Y');
        out[kDaydet].End();
    }
    out[kDayend]
        .Int(1)
        .Int(incr_date(p.today, -1))
        .Int(0)
        .Int(0)
        .Int(days.empty() ? 0 : days.back())
        .Char('Y');
    out[kDayend].End();

    // Referral statistics of the sources, this year and last year by month.
    int year = 0;
    sepldat(p.today, &year, nullptr, nullptr);
    for (const auto& [code, rc] : out.referrals) {
        long ytd = 0;
        long months[2][12] = {};
        for (const auto& [ym, n] : rc.by_month) {
            const int y = static_cast<int>(ym / 100), m = static_cast<int>(ym % 100);
            if (y == year) {
                months[0][m - 1] += n;
                ytd += n;
            } else if (y == year - 1) {
                months[1][m - 1] += n;
            }
        }
        Spool& s = out[kRefstat];
        s.Text(code).Int(rc.total).Int(ytd).Int(rc.last_date);
        for (int k = 0; k < 2; ++k)
            for (int m = 0; m < 12; ++m)
                s.Int(months[k][m]);
        s.End();
    }
    return true;
}

bool PracticeHasData(GenDB& db) {
    constexpr int kCursor = 32011;
    const std::string prefix = db.dbTablePrefix();
    for (const std::string& t : host::SchemaTables()) {
        if (t == "SCHEMAVER") continue;
        // A table that does not exist yet fails its probe; inside the writer's transaction
        // that failure must stay in a savepoint of its own (PostgreSQL would abort the rest).
        host::DbTransaction probe(db);
        const bool row = db.dbOpen("SELECT 1 FROM " + prefix + t + " LIMIT 1", kCursor) == 0 &&
                         db.dbFetch(0, kCursor) == 0;
        db.dbClose(kCursor);
        if (row) return true;
    }
    return false;
}

namespace {

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

bool Fail(std::string* error, const std::string& what) {
    if (error) *error = what;
    return false;
}

// Sends what every spool holds to the database, table by table (or, for a dry run, drops it),
// so that the temporary files hold a chunk of accounts, never the practice.
bool LoadPending(GenDB& db, Output& out, bool dry_run, std::string* error) {
    for (const std::string& t : host::SchemaTables()) {
        Spool* spool = out.spools().Find(t);
        if (!spool || spool->pending() == 0) continue;
        if (dry_run) {
            spool->Drop();
            continue;
        }
        // The tables were made in the load's transaction.
        auto loader = db.Bulk(t, spool->def().columns, true);
        if (!loader)
            return Fail(error, t + " : " + (db.dbLastError() ? db.dbLastError() : "chargement"));
        if (!spool->LoadInto(*loader, error)) return false;
    }
    return true;
}

}  // namespace

bool GenerateDemo(GenDB& db, const DemoOptions& options, DemoStats* stats, std::string* error) {
    const auto start = std::chrono::steady_clock::now();
    DemoStats local;
    DemoStats& st = stats ? *stats : local;
    st = DemoStats{};
    auto progress = [&](const std::string& line) {
        if (options.progress) options.progress(line);
    };

    const long today = options.today ? options.today : ldate_today();
    if (!host::IsValidDate(today))
        return Fail(error, "date du jour invalide : " + std::to_string(today) +
                               " (une date réelle AAAAMMJJ est attendue)");
    // The group practice would make a SQLite file of about 9 GB and take many minutes to
    // index on a workstation: it is meant for the PostgreSQL benchmarks.
    if (options.size == Size::Group && !options.dry_run && db.engine() == GenDB::Engine::SQLite)
        return Fail(error,
                    "la taille group n'est offerte que sur PostgreSQL (sur SQLite, un fichier "
                    "d'environ 9 Go) ; rien n'a été écrit");
    if (!options.force && !options.dry_run && PracticeHasData(db))
        return Fail(error,
                    "la base contient déjà un cabinet ; rien n'a été écrit (--force le remplace)");

    // One writer at a time: a second workstation waits for the first one's practice, then
    // finds it (and, without --force, leaves it as it is).
    constexpr const char* kWriterLock = "DEMO";
    struct Unlock {
        GenDB* db = nullptr;
        ~Unlock() {
            if (db) db->Unlock(kWriterLock, 3);
        }
    } unlock;
    // One transaction: the old practice goes, the new one comes, or nothing changes.
    std::unique_ptr<host::DbTransaction> tx;
    if (!options.dry_run) {
        if (!db.Lock(kWriterLock, 3))
            return Fail(error,
                        "un autre poste écrit un cabinet dans cette base ; rien n'a été écrit");
        unlock.db = &db;
        tx = std::make_unique<host::DbTransaction>(db);
        if (!tx->ok())
            return Fail(error, db.dbLastError() ? db.dbLastError() : "transaction refusée");
        if (!options.force && PracticeHasData(db))
            return Fail(error,
                        "la base contient déjà un cabinet ; rien n'a été écrit (--force "
                        "le remplace)");
        const std::string prefix = db.dbTablePrefix();
        const std::vector<std::string>& tables = host::SchemaTables();
        for (auto it = tables.rbegin(); it != tables.rend(); ++it) {
            if (db.dbExecute("DROP TABLE IF EXISTS " + prefix + *it) != 0)
                return Fail(error, db.dbLastError() ? db.dbLastError() : "suppression refusée");
        }
        std::string e;
        if (!host::CreateSchemaTables(db, &e)) return Fail(error, e);
    }

    // The practice, then its accounts a chunk at a time into spools, each chunk loaded (COPY
    // on PostgreSQL) before the next is generated.
    Practice p;
    p.profile = ProfileOf(options.size);
    p.today = today;
    p.first_day = incr_date(today, -365L * p.profile.years);
    p.cal = std::make_unique<Calendar>(p.first_day, incr_date(today, 400));
    p.today_index = p.cal->Index(today);
    Output out;
    Rng rng(Mix(options.seed, 7));
    BuildPractice(p, out, rng);
    const int chunk = std::max(1, options.chunk_accounts);
    double load_seconds = 0;
    auto load = [&]() {
        const auto t = std::chrono::steady_clock::now();
        const bool ok = LoadPending(db, out, options.dry_run, error);
        load_seconds += Seconds(t);
        return ok;
    };
    const int accounts = p.profile.accounts;
    for (int i = 0; i < accounts; ++i) {
        GenerateAccount(p, out, i, options.seed);
        if (accounts >= 1000 && (i + 1) % (accounts / 10) == 0)
            progress("génération : " + std::to_string(i + 1) + " comptes sur " +
                     std::to_string(accounts));
        if ((i + 1) % chunk == 0 && !load()) return false;
    }
    if (!FinishPractice(p, out, &st, error)) return false;
    if (out.anomalies() > 0)
        return Fail(error, "génération incohérente (" + std::to_string(out.anomalies()) +
                               " anomalies), par exemple : " + out.first_anomaly());
    if (!load()) return false;
    st.checksum = out.spools().Seal();
    st.today = today;
    for (const std::string& t : host::SchemaTables()) {
        Spool* spool = out.spools().Find(t);
        const long rows = spool ? spool->rows() : t == "SCHEMAVER" ? 1 : 0;
        st.rows.emplace_back(t, rows);
        st.total_rows += rows;
        if (rows >= 100000 && !options.dry_run)
            progress("chargé : " + t + " (" + std::to_string(rows) + " lignes)");
    }
    st.load_seconds = load_seconds;
    st.generate_seconds = Seconds(start) - load_seconds;
    if (options.dry_run) {
        st.total_seconds = Seconds(start);
        return true;
    }

    const auto index_start = std::chrono::steady_clock::now();
    std::string e;
    if (!host::CreateSchemaIndexes(db, &e)) return Fail(error, e);
    if (!tx->Commit())
        return Fail(error, db.dbLastError() ? db.dbLastError() : "validation refusée");
    // Statistics for the query planners. (The rows were loaded frozen: on PostgreSQL their
    // pages are already marked all-visible, which a VACUUM here could fail to do while any
    // other transaction's snapshot predates the load's commit.)
    db.dbExecute("ANALYZE");
    st.index_seconds = Seconds(index_start);
    st.total_seconds = Seconds(start);
    return true;
}

std::string FormatStats(const DemoStats& s) {
    std::string out;
    char date[32];
    out += "Cabinet de démonstration au " + std::string(ldate_to_str1(date, s.today, 530)) + "\n";
    out += "Lignes écrites par table :\n";
    for (const auto& [table, rows] : s.rows) {
        if (rows == 0) continue;
        out += host::U8Format("  %-10s %10ld\n", table.c_str(), rows);
    }
    out += host::U8Format("  %-10s %10ld\n", "Total", s.total_rows);
    out += "Journée la plus chargée : " + std::string(ldate_to_str1(date, s.busiest_day, 530)) +
           " (" + std::to_string(s.busiest_day_lines) + " lignes au journal)\n";
    out += host::U8Format("Durée : %.1f s (génération %.1f s, chargement %.1f s, index %.1f s)\n",
                          s.total_seconds, s.generate_seconds, s.load_seconds, s.index_seconds);
    char sum[32];
    std::snprintf(sum, sizeof sum, "%016llx", static_cast<unsigned long long>(s.checksum));
    out += std::string("Empreinte du contenu : ") + sum + "\n";
    return out;
}

}  // namespace demo
