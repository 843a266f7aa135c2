// rapports close-month: the month-end closing alone, without its report (hidden: the
// month-end dialog performs it after printing; the tests and the harnesses run it here).
// The closing lives in the module; it is reached through its export RapportsCloseMonth.
#include <cstdio>
#include <memory>
#include <string>

#include "app/cli/command.h"
#include "closing/mthend_state.h"
#include "host/base/dates.h"
#include "host/base/env.h"
#include "host/records/context.h"
#include "host/ui/backend.h"
#include "host/ui/moduleload.h"
#include "host/ui/recording.h"

namespace {

struct CloseArgs {
    std::string dsn;
    std::string month;  // YYYYMM
    std::string today;
    bool year_end = false;
    int calc_ar = -1;
};

// Exit codes.
constexpr int kClosed = 0;
constexpr int kRefused = 1;  // unprinted days, a period that does not follow, bad month
constexpr int kUsage = 2;
constexpr int kNotDone = 3;  // already closed, lock held, database refused

int RunClose(const CloseArgs& a) {
    if (!cli::ApplyToday(a.today)) return kUsage;
    // The month's bounds (the module is not linked here: the host's date helpers).
    const long first =
        a.month.size() == 6 && a.month.find_first_not_of("0123456789") == std::string::npos
            ? DMYtoDate(1, std::stoi(a.month.substr(4)), std::stoi(a.month.substr(0, 4)))
            : 0;
    if (first == 0) {
        cli::PrintError("--month : mois AAAAMM attendu (« " + a.month + " »)");
        return kUsage;
    }
    auto db = cli::OpenPractice(a.dsn.empty() ? cli::DefaultDsn() : a.dsn, host::DbAccess::Write);
    if (!db) return kNotDone;
    QDSApplication app(db.get());
    app.LoadPracticeSettings();
    if (a.calc_ar >= 0) app.m_CalAR = a.calc_ar;
    QDSApplication::SetInstance(&app);
    host::ui::UnattendedBackend backend;
    host::ui::SetBackend(&backend);

    int rc = kNotDone;
    {
        std::string error;
        auto library = host::ui::ModuleLibrary::Load(host::ui::DefaultModulePath(), &error);
        auto close = library ? reinterpret_cast<decltype(&RapportsCloseMonth)>(
                                   library->Symbol("RapportsCloseMonth"))
                             : nullptr;
        if (!close) {
            cli::PrintError("module : " + (error.empty() ? "RapportsCloseMonth absent" : error));
        } else {
            LauncherInfo launcher(&app);
            mthend::CloseRequest req;
            req.period = {first, host::MonthEnd(first)};
            req.year_end = a.year_end;
            req.today = ldate_today();
            req.log_folder = host::Env().station_dir;
            MthendSummary s;
            close(&launcher, &req, &s);
            using mthend::CloseResult;
            switch (s.result) {
                case CloseResult::Closed:
                    std::printf("fin de mois effectuée : %ld au %ld%s\n", req.period.first,
                                req.period.last, a.year_end ? " (fin d'année)" : "");
                    rc = kClosed;
                    break;
                case CloseResult::Unprinted:
                case CloseResult::Refused:
                    cli::PrintError(s.error);
                    rc = kRefused;
                    break;
                case CloseResult::AlreadyClosed:
                case CloseResult::Failed:
                    cli::PrintError(s.error);
                    rc = kNotDone;
                    break;
            }
        }
    }
    host::ui::SetBackend(nullptr);
    QDSApplication::SetInstance(nullptr);
    return rc;
}

}  // namespace

RAPPORTS_COMMAND(
    "close-month", "Effectue la fin de mois d'un mois (sans son rapport)", 41,
    [](CLI::App& sub) -> std::function<int()> {
        auto a = std::make_shared<CloseArgs>();
        sub.group("");  // hidden: the month-end dialog is the way in
        sub.add_option("--db", a->dsn, "Base du cabinet (sqlite:FICHIER ou postgresql://...)");
        sub.add_option("--month", a->month, "Mois à fermer, AAAAMM")->required();
        sub.add_flag("--year-end", a->year_end, "Effectue aussi la fin d'année");
        sub.add_option("--today", a->today, "Date du jour AAAAMMJJ (exécutions reproductibles)");
        sub.add_option("--calc-ar", a->calc_ar, "1 par SQL (CALC_FROM_DATABASE), 0 par le journal")
            ->check(CLI::Range(0, 1));
        sub.footer(
            "\nCodes de sortie : 0 fin de mois effectuée, 1 refusée (journées non "
            "imprimées, période qui ne suit pas la dernière fin de mois), 2 option "
            "invalide, 3 non faite (déjà effectuée, verrou tenu, base "
            "inaccessible).\n");
        return [a] { return RunClose(*a); };
    });
