// rapports template NAME: runs a report template over the practice database or an XML
// data file, so that a practice can try a template and its formulas before installing it.
#include <cstdio>
#include <filesystem>

#include "app/cli/command.h"
#include "host/output/template_def.h"
#include "host/output/template_printer.h"

namespace {

struct Options {
    std::string name;
    std::string dsn;
    std::string out;
    std::string xml;
    std::string selection;
    std::vector<std::string> formulas;
    int kind = 0;
    std::string today;
};

int Run(const Options& o) {
    if (!cli::ApplyToday(o.today) || !cli::ApplyOutputDir(o.out)) return 1;
    const std::string path = host::output::FindTemplate(o.name);
    if (path.empty()) {
        cli::PrintError("modèle introuvable : " + o.name);
        return 1;
    }
    host::output::TemplateDef def;
    std::string error;
    if (!host::output::LoadTemplate(path, &def, &error)) {
        cli::PrintError(error);
        return 1;
    }
    ST_FORMULAINFO formulas;
    InitFormulaInfo(&formulas);
    CreateFormula(&formulas, 0, "", o.selection.c_str());
    for (const std::string& f : o.formulas) {
        const size_t eq = f.find('=');
        if (eq == std::string::npos || eq == 0) {
            cli::PrintError("--formula attend NOM=TEXTE : " + f);
            return 1;
        }
        CreateFormula(&formulas, 2, f.substr(0, eq).c_str(), f.substr(eq + 1).c_str());
    }
    std::unique_ptr<GenDB> db;
    if (def.sql_source) {
        db = cli::OpenPractice(o.dsn.empty() ? cli::DefaultDsn() : o.dsn, host::DbAccess::ReadOnly);
        if (!db) return 1;
    }
    host::output::TemplateRequest request;
    request.template_name = path;
    if (!o.xml.empty()) {
        std::error_code ec;
        request.xml_file = std::filesystem::absolute(o.xml, ec).string();
    }
    request.output_choice = o.kind;
    request.formulas = &formulas;
    request.db = db.get();
    host::output::TemplateResult result;
    if (host::output::RunTemplate(request, &result, &error) !=
        host::output::TemplateStatus::Printed) {
        cli::PrintError(error);
        return 1;
    }
    std::printf("%s : %ld enregistrement%s", result.output_path.c_str(), result.records,
                result.records > 1 ? "s" : "");
    if (result.pages > 0) std::printf(", %d page%s", result.pages, result.pages > 1 ? "s" : "");
    std::printf("\n");
    return 0;
}

std::function<int()> Setup(CLI::App& sub) {
    auto o = std::make_shared<Options>();
    sub.add_option("name", o->name, "Modèle (nom de resources/templates ou chemin)")->required();
    sub.add_option("--db", o->dsn, "Base de données (sqlite:CHEMIN ou postgresql://...)");
    sub.add_option("--out", o->out, "Dossier de sortie");
    sub.add_option("--xml", o->xml, "Fichier de données XML (modèles sur XML)");
    sub.add_option("--selection", o->selection, "Formule de sélection des enregistrements");
    sub.add_option("--formula", o->formulas, "Formule nommée NOM=TEXTE (répétable)");
    sub.add_option("--kind", o->kind,
                   "Sortie : 0 PDF (défaut), 1 aperçu, 2 exportation en classeur")
        ->check(CLI::Range(0, 9));
    sub.add_option("--today", o->today, "Date du jour AAAAMMJJ (exécutions reproductibles)");
    return [o] { return Run(*o); };
}

RAPPORTS_COMMAND("template", "Imprime un modèle de rapport sur la base ou un fichier XML", 61,
                 Setup);

}  // namespace
