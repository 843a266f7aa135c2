// The command line's sub-commands. Each command file registers itself with
// RAPPORTS_COMMAND; main() builds the parser from the registry.
#pragma once

#include <CLI/CLI.hpp>

#include <functional>
#include <memory>
#include <string>

#include "host/db/gendb.h"

class LauncherInfo;

namespace cli {

// Adds the command's options to `sub` and returns the function that runs it (its exit code).
using Setup = std::function<std::function<int()>(CLI::App& sub)>;

struct Command {
    std::string name;
    std::string description;
    int order;  // place in --help
    Setup setup;
};

bool Register(Command command);
const std::vector<Command>& Commands();

// --- Helpers shared by the commands ---

// The demo practice of this workstation: sqlite:<data folder>/demo.db.
std::string DefaultDsn();
// Opens the database of dsn; prints the error (the DSN's password masked) and returns null
// when it cannot. Only DbAccess::Create makes a missing SQLite file (and its folder): a
// command that reads opens ReadOnly and says "base introuvable" for a missing file.
std::unique_ptr<GenDB> OpenDatabase(const std::string& dsn,
                                    host::DbAccess access = host::DbAccess::ReadOnly);
// Opens the database of dsn and checks that it holds a practice; prints the reason and
// returns null otherwise. Reports only read: ReadOnly unless the command writes.
std::unique_ptr<GenDB> OpenPractice(const std::string& dsn,
                                    host::DbAccess access = host::DbAccess::ReadOnly);
// Applies --today (YYYYMMDD); false with a message for a date that does not exist.
bool ApplyToday(const std::string& today);
// Makes dir the reports' output folder (created when missing); false with a message.
bool ApplyOutputDir(const std::string& dir);
// Prints an error message on standard error, prefixed with "rapports: ".
void PrintError(const std::string& message);
// Runs one of the module's exports on the practice of dsn (the workstation's demo when
// empty), opened to write: its application installed (the practice's calculation mode, or
// calc_ar when >= 0) with the unattended back end; run gets the export's address and a
// launcher. Returns run's exit code, or not_run (the reason printed) when the practice,
// the module or the export cannot be had.
int RunModuleExport(const std::string& dsn, int calc_ar, const char* symbol, int not_run,
                    const std::function<int(void* fn, LauncherInfo& launcher)>& run);

}  // namespace cli

#define RAPPORTS_CONCAT2(a, b) a##b
#define RAPPORTS_CONCAT(a, b) RAPPORTS_CONCAT2(a, b)
#define RAPPORTS_COMMAND(...)                                          \
    static const bool RAPPORTS_CONCAT(registered_command_, __LINE__) = \
        ::cli::Register({__VA_ARGS__})
