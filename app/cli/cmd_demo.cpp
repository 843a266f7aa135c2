// rapports demo: creates the demo practice, or prints a summary of the practice a database
// holds.
#include <cstdio>
#include <memory>

#include "app/cli/command.h"
#include "app/demo/demo.h"
#include "host/base/dates.h"

namespace {

struct DemoArgs {
    std::string dsn;
    std::string size = "medium";
    uint64_t seed = 1;
    std::string today;
    bool summary = false;
    bool force = false;
    bool quiet = false;
    bool dry_run = false;
};

int RunDemo(const DemoArgs& a) {
    demo::Size size{};
    if (!demo::ParseSize(a.size, &size)) {
        cli::PrintError("taille inconnue : " + a.size + " (small, medium, large ou group)");
        return 2;
    }
    if (!cli::ApplyToday(a.today)) return 2;
    const std::string dsn = a.dsn.empty() ? cli::DefaultDsn() : a.dsn;
    // The summary only reads: it never makes a database where there was none.
    std::unique_ptr<GenDB> db =
        cli::OpenDatabase(dsn, a.summary ? host::DbAccess::ReadOnly : host::DbAccess::Create);
    if (!db) return 1;
    std::string error;
    if (a.summary) {
        demo::PracticeSummary s;
        if (!demo::SummarizePractice(*db, ldate_today(), &s, &error)) {
            cli::PrintError(error);
            return 1;
        }
        std::fputs(demo::FormatSummary(s).c_str(), stdout);
        return 0;
    }
    demo::DemoOptions o;
    o.size = size;
    o.seed = a.seed;
    o.today = ldate_today();
    o.force = a.force;
    o.dry_run = a.dry_run;
    if (!a.quiet)
        o.progress = [](const std::string& line) { std::fprintf(stderr, "%s\n", line.c_str()); };
    demo::DemoStats stats;
    if (!demo::GenerateDemo(*db, o, &stats, &error)) {
        cli::PrintError(error);
        return 1;
    }
    std::printf("Base : %s (taille %s, graine %llu)\n", db->dsn().c_str(), demo::SizeName(size),
                static_cast<unsigned long long>(a.seed));
    std::fputs(demo::FormatStats(stats).c_str(), stdout);
    return 0;
}

RAPPORTS_COMMAND(
    "demo", "Crée le cabinet de démonstration, ou en imprime le sommaire (--summary)", 10,
    [](CLI::App& sub) -> std::function<int()> {
        auto a = std::make_shared<DemoArgs>();
        sub.add_option("--db", a->dsn,
                       "Base : sqlite:CHEMIN, un chemin, ou postgresql://... "
                       "(défaut : demo.db du dossier des données)");
        sub.add_option("--size", a->size,
                       "Taille : small, medium, large ou group (group : PostgreSQL seulement)")
            ->default_str("medium");
        sub.add_option("--seed", a->seed, "Graine du générateur (même graine, même cabinet)")
            ->default_str("1");
        sub.add_option("--today", a->today, "Date du jour AAAAMMJJ (défaut : l'horloge)");
        sub.add_flag("--summary", a->summary,
                     "Imprime le sommaire du cabinet de la base, sans rien générer");
        sub.add_flag("--force", a->force, "Remplace le cabinet que la base contient déjà");
        sub.add_flag("--quiet", a->quiet, "N'imprime pas l'avancement");
        sub.add_flag("--dry-run", a->dry_run, "Génère et compte les lignes sans rien écrire");
        return [a]() { return RunDemo(*a); };
    });

}  // namespace
