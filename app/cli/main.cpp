// rapports: the reporting module's command line, for unattended runs, support and tests.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <iostream>

#include "app/cli/command.h"
#include "host/base/dates.h"
#include "host/base/env.h"
#include "host/records/context.h"
#include "host/ui/backend.h"
#include "host/ui/moduleload.h"
#include "host/ui/recording.h"

namespace cli {

namespace {
std::vector<Command>& Registry() {
    static std::vector<Command> commands;
    return commands;
}
}  // namespace

bool Register(Command command) {
    Registry().push_back(std::move(command));
    return true;
}

const std::vector<Command>& Commands() {
    return Registry();
}

std::string DefaultDsn() {
    return "sqlite:" + host::Env().data_dir + "/demo.db";
}

std::unique_ptr<GenDB> OpenDatabase(const std::string& dsn, host::DbAccess access) {
    if (access == host::DbAccess::Create && dsn.rfind("postgres", 0) != 0) {
        std::string path = dsn.rfind("sqlite:", 0) == 0 ? dsn.substr(7) : dsn;
        path = path.substr(0, path.find('?'));
        const auto parent = std::filesystem::path(path).parent_path();
        if (!parent.empty() && path != ":memory:") host::EnsureDir(parent.string());
    }
    std::string error;
    auto db = GenDB::Open(dsn, access, &error);
    if (!db) PrintError("impossible d'ouvrir la base " + host::MaskDsn(dsn) + " : " + error);
    return db;
}

std::unique_ptr<GenDB> OpenPractice(const std::string& dsn, host::DbAccess access) {
    auto db = OpenDatabase(dsn, access);
    if (db && !host::SchemaExists(*db)) {
        PrintError("la base " + host::MaskDsn(dsn) +
                   " ne contient aucun cabinet (tables absentes) : créez-le avec « rapports demo » "
                   "ou choisissez une autre base");
        db.reset();
    }
    return db;
}

bool ApplyToday(const std::string& today) {
    if (today.empty()) return true;
    long date = 0;
    if (!host::ParseDate(today, &date)) {
        PrintError("date invalide pour --today : " + today + " (attendu AAAAMMJJ)");
        return false;
    }
    host::SetFixedToday(date);
    return true;
}

bool ApplyOutputDir(const std::string& dir) {
    if (dir.empty()) return true;
    if (!host::EnsureDir(dir)) {
        PrintError("dossier de sortie impossible à créer : " + dir);
        return false;
    }
    std::error_code ec;
    host::Env().output_dir = std::filesystem::absolute(dir, ec).string();
    return true;
}

void PrintError(const std::string& message) {
    std::fprintf(stderr, "rapports: %s\n", message.c_str());
}

int RunModuleExport(const std::string& dsn, int calc_ar, const char* symbol, int not_run,
                    const std::function<int(void* fn, LauncherInfo& launcher)>& run) {
    auto db = OpenPractice(dsn.empty() ? DefaultDsn() : dsn, host::DbAccess::Write);
    if (!db) return not_run;
    QDSApplication app(db.get());
    app.LoadPracticeSettings();
    if (calc_ar >= 0) app.m_CalAR = calc_ar;
    QDSApplication::SetInstance(&app);
    host::ui::UnattendedBackend backend;
    host::ui::SetBackend(&backend);
    int rc = not_run;
    {
        std::string error;
        auto library = host::ui::ModuleLibrary::Load(host::ui::DefaultModulePath(), &error);
        void* fn = library ? library->Symbol(symbol) : nullptr;
        if (!fn) {
            PrintError("module : " + (error.empty() ? std::string(symbol) + " absent" : error));
        } else {
            LauncherInfo launcher(&app);
            rc = run(fn, launcher);
        }
    }
    host::ui::SetBackend(nullptr);
    QDSApplication::SetInstance(nullptr);
    return rc;
}

}  // namespace cli

int main(int argc, char** argv) {
    CLI::App app{"rapports : module de rapports du cabinet dentaire (ligne de commande)"};
    app.require_subcommand(1);
    // The help in French: the help flag (inherited by every command) and the formatter's
    // own words, which all commands share.
    app.set_help_flag("-h,--help", "Affiche cette aide et quitte");
    const auto formatter = app.get_formatter();
    for (const auto& [key, text] :
         std::initializer_list<std::pair<const char*, const char*>>{{"Usage", "Utilisation"},
                                                                    {"OPTIONS", "OPTIONS"},
                                                                    {"Positionals", "Arguments"},
                                                                    {"REQUIRED", "OBLIGATOIRE"},
                                                                    {"SUBCOMMAND", "COMMANDE"},
                                                                    {"SUBCOMMANDS", "COMMANDES"},
                                                                    {"TEXT", "TEXTE"},
                                                                    {"INT", "ENTIER"},
                                                                    {"UINT", "ENTIER"},
                                                                    {"FLOAT", "NOMBRE"},
                                                                    {"Env", "Environnement"},
                                                                    {"Needs", "Exige"},
                                                                    {"Excludes", "Exclut"}})
        formatter->label(key, text);
    app.failure_message([](const CLI::App*, const CLI::Error& e) {
        return std::string("rapports: ") + e.what() + "\nVoir « --help » pour l'aide.\n";
    });
    std::string station;
    app.add_option("--station", station,
                   "Dossier du poste (paramètres rapports.ini, journaux); "
                   "défaut $RAPPORTS_STATION_DIR ou ~/.config/rapports");
    std::vector<cli::Command> commands = cli::Commands();
    std::sort(commands.begin(), commands.end(),
              [](const cli::Command& a, const cli::Command& b) { return a.order < b.order; });
    std::vector<std::pair<CLI::App*, std::function<int()>>> runners;
    for (const cli::Command& c : commands) {
        CLI::App* sub = app.add_subcommand(c.name, c.description);
        sub->group("Commandes");
        runners.emplace_back(sub, c.setup(*sub));
    }
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e);
    }
    if (!station.empty()) {
        host::Env().station_dir = station;
        if (!std::getenv("RAPPORTS_DATA_DIR")) host::Env().data_dir = station;
    }
    for (auto& [sub, run] : runners)
        if (sub->parsed()) return run();
    return 1;
}
