// rapports upgrade: brings a practice made by an earlier version of the program to this
// version's schema (the indexes added since). Run once after installing a new version; the
// reports read an older practice as well, only slower.
#include <cstdio>
#include <memory>
#include <string>

#include "app/cli/command.h"
#include "host/db/gendb.h"

namespace {

// Exit codes.
constexpr int kDone = 0;
constexpr int kNotDone = 3;  // not a practice, a later version, refused by the database

int RunUpgrade(const std::string& dsn) {
    auto db = cli::OpenPractice(dsn.empty() ? cli::DefaultDsn() : dsn, host::DbAccess::Write);
    if (!db) return kNotDone;
    host::SchemaUpgrade done;
    std::string error;
    if (!host::UpgradeSchema(*db, &done, &error)) {
        cli::PrintError("schéma non mis à jour : " + error);
        return kNotDone;
    }
    if (done.from == done.to)
        std::printf("schéma du cabinet à jour (version %d)\n", done.to);
    else
        std::printf("schéma du cabinet mis à jour : version %d → %d\n", done.from, done.to);
    return kDone;
}

}  // namespace

RAPPORTS_COMMAND("upgrade", "Met le schéma d'un cabinet à la version de ce programme", 45,
                 [](CLI::App& sub) -> std::function<int()> {
                     auto dsn = std::make_shared<std::string>();
                     sub.add_option("--db", *dsn,
                                    "Base du cabinet (sqlite:FICHIER ou postgresql://...); "
                                    "défaut : la pratique de démonstration du poste");
                     sub.footer(
                         "\nAjoute les index des versions suivantes et écrit la version, en une "
                         "transaction. Un cabinet déjà à jour n'est pas modifié.\n\nCodes de "
                         "sortie : 0 à jour, 3 non fait (pas un cabinet, version plus récente, "
                         "base inaccessible).\n");
                     return [dsn] { return RunUpgrade(*dsn); };
                 });
