// rapports check-ar: the receivable integrity check, as the day-end runs it, without a
// display. The check lives in the module; it is reached through its export RapportsCheckAR.
#include <cstdio>
#include <memory>
#include <string>

#include "app/cli/command.h"
#include "host/base/env.h"
#include "receivables/archk.h"

namespace {

struct CheckArgs {
    std::string dsn;
    std::string out;
    std::string today;
    bool repair = false;
    int calc_ar = -1;
};

// Exit codes.
constexpr int kClean = 0;
constexpr int kDivergent = 1;
constexpr int kUsage = 2;
constexpr int kNotRun = 3;

int RunCheck(const CheckArgs& a) {
    if (!cli::ApplyToday(a.today)) return kUsage;
    if (!cli::ApplyOutputDir(a.out)) return kNotRun;
    // The check writes: the aged amounts of every account, and in repair mode the balances.
    return cli::RunModuleExport(
        a.dsn, a.calc_ar, "RapportsCheckAR", kNotRun, [&](void* fn, LauncherInfo& launcher) {
            auto check = reinterpret_cast<decltype(&RapportsCheckAR)>(fn);
            ArChkSummary s;
            check(&launcher, a.repair, &s);
            if (!s.ran || !s.error.empty()) {
                cli::PrintError("vérification du C / R non faite : " +
                                (s.error.empty() ? std::string("raison inconnue") : s.error));
                return kNotRun;
            }
            std::printf("comptes vérifiés : %ld\ndivergences : %ld\n", s.accounts, s.divergences);
            if (a.repair) std::printf("comptes réparés : %ld\n", s.repaired);
            if (s.discarded && s.divergences > 0) {
                cli::PrintError(
                    "des transactions ont été ajoutées pendant la vérification : son "
                    "résultat est écarté, refaites-la");
                return kNotRun;
            }
            if (s.divergences > 0) std::printf("%s\n", s.text_file.c_str());
            if (!s.pdf.empty()) std::printf("%s\n", s.pdf.c_str());
            return s.divergences > 0 ? kDivergent : kClean;
        });
}

}  // namespace

RAPPORTS_COMMAND(
    "check-ar", "Vérifie les soldes des comptes à recevoir (et les répare avec --repair)", 40,
    [](CLI::App& sub) -> std::function<int()> {
        auto a = std::make_shared<CheckArgs>();
        sub.add_option("--db", a->dsn,
                       "Base du cabinet (sqlite:FICHIER ou postgresql://...); "
                       "défaut : la pratique de démonstration du poste");
        sub.add_flag("--repair", a->repair,
                     "Réécrit les soldes divergents avec les soldes recalculés (un compte par "
                     "transaction)");
        sub.add_option("--out", a->out,
                       "Dossier de sortie (dayarchk.txt, prodanalchk.txt, dayarchk.pdf)");
        sub.add_option("--today", a->today, "Date du jour AAAAMMJJ (exécutions reproductibles)");
        sub.add_option("--calc-ar", a->calc_ar,
                       "Source des comptes : 1 par SQL (CALC_FROM_DATABASE), 0 par les "
                       "enregistrements (CALC_FROM_INFO); défaut : le réglage du cabinet")
            ->check(CLI::Range(0, 1));
        sub.footer(
            "\nChaque compte actif est recalculé d'après ses transactions et comparé à ses "
            "soldes enregistrés (assurance, patient); puis le C / R de chaque producteur est "
            "comparé à l'analyse des producteurs. Les divergences sont écrites dans "
            "dayarchk.txt, imprimées (dayarchk.pdf) et ajoutées au journal dayarchk.log du "
            "dossier du poste.\n\nCodes de sortie : 0 aucune divergence, 1 divergences "
            "trouvées et listées, 2 option invalide, 3 vérification non faite (verrou tenu par "
            "un autre poste, base inaccessible, transactions ajoutées pendant la "
            "vérification).\n");
        return [a] { return RunCheck(*a); };
    });
