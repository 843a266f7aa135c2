// rapports run: runs one catalog entry as the Reports Manager would, without a display.
// The entry's dialog is built by the module; the --set values are applied to its
// controls as a user would type them (the dialog's enabling rules run), the dialog
// validates them and prints; the files written in the output folder are listed.
#include <cstdio>
#include <filesystem>
#include <map>
#include <sstream>

#include "app/cli/command.h"
#include "host/base/env.h"
#include "host/records/context.h"
#include "host/ui/dialog.h"
#include "host/ui/dlgtemplate.h"
#include "host/ui/moduleload.h"
#include "host/ui/qds.h"
#include "host/ui/recording.h"
#include "host/ui/reportdlg.h"
#include "shell/catalog.h"

namespace cli {

bool ApplyRights(const std::string& text, QDSApplication* app);

namespace {

namespace fs = std::filesystem;

struct RunOptions {
    int command = 0;
    std::string dsn;
    std::string out;
    std::string today;
    int output_kind = -1;
    std::vector<std::string> sets;
    std::string answer = "yes";
    std::string rights;
    int special_version = 0;
};

// Exit codes.
constexpr int kUsage = 2;    // unknown entry or field, bad value
constexpr int kRefused = 3;  // the report did not run (validation, not available, ...)

using FileStamp = std::pair<fs::file_time_type, uintmax_t>;

std::map<std::string, FileStamp> Snapshot(const std::string& dir) {
    std::map<std::string, FileStamp> files;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(dir, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec))
        if (it->is_regular_file(ec))
            files[it->path().string()] = {it->last_write_time(ec), it->file_size(ec)};
    return files;
}

const reports::CatalogData* Catalog(host::ui::ModuleLibrary& library) {
    auto fn =
        reinterpret_cast<const reports::CatalogData* (*)()>(library.Symbol("RapportsCatalog"));
    return fn ? fn() : nullptr;
}

const reports::CatalogEntry* FindEntry(const reports::CatalogData* catalog, int command) {
    for (size_t i = 0; catalog && i < catalog->entry_count; ++i)
        if (catalog->entries[i].command == command) return &catalog->entries[i];
    return nullptr;
}

// Whether the Reports Manager shows the entry: its tab is there (the user's rights) and
// the entry is in its list.
bool VisibleToUser(TDialog& manager, int command) {
    auto* tabs = manager.ChildAs<QDSTabCtrl>(101);
    auto* list = tabs ? tabs->ChildAs<QDSListWindow>(command / 100 * 100) : nullptr;
    return list && command % 100 < list->GetItemCount();
}

// The fields of every dialog of the catalog, for --help.
std::string FieldsHelp() {
    std::string error;
    auto library = host::ui::ModuleLibrary::Load(host::ui::DefaultModulePath(), &error);
    if (!library) return "\n(module introuvable : " + error + ")\n";
    const reports::CatalogData* catalog = Catalog(*library);
    if (!catalog) return {};
    std::ostringstream out;
    out << "\nChamps des dialogues (--set NOM=VALEUR ; le numéro du contrôle vaut aussi pour "
           "nom) :\n";
    for (size_t i = 0; i < catalog->entry_count; ++i) {
        const reports::CatalogEntry& e = catalog->entries[i];
        if (e.kind != reports::EntryKind::ModuleDialog) continue;
        out << "  " << e.command << "  " << e.class_name << " (dialogue " << e.resource << ")";
        if (!catalog->available(e.command)) out << " - pas encore disponible";
        auto t = host::ui::LoadDialogTemplate(e.resource);
        const auto fields =
            t ? host::ui::DescribeFields(*t) : decltype(host::ui::DescribeFields(*t)){};
        if (!t) out << " - modèle à venir";
        out << "\n";
        for (const auto& f : fields)
            out << "        " << f.name << " (" << f.id << ") : " << f.help << "\n";
    }
    out << "\nTypes de sortie (--output-kind) : 0 imprimante (PDF dans le dossier de sortie), "
           "1 aperçu, 2 exportation vers un fichier, 3 fichier texte.\n"
           "Codes de sortie : 0 rapport imprimé, 2 entrée, champ ou valeur inconnus, "
           "3 rapport non imprimé (validation refusée, rapport non disponible, ...).\n";
    return out.str();
}

int Run(const RunOptions& o) {
    if (!ApplyToday(o.today) || !ApplyOutputDir(o.out)) return kUsage;
    std::vector<std::pair<std::string, std::string>> sets;
    for (const std::string& s : o.sets) {
        const size_t eq = s.find('=');
        if (eq == std::string::npos || eq == 0) {
            PrintError("--set attend NOM=VALEUR : " + s);
            return kUsage;
        }
        sets.emplace_back(s.substr(0, eq), s.substr(eq + 1));
    }
    if (o.answer != "yes" && o.answer != "no") {
        PrintError("--answer attend yes ou no : " + o.answer);
        return kUsage;
    }
    auto db = OpenPractice(o.dsn.empty() ? DefaultDsn() : o.dsn, host::DbAccess::ReadOnly);
    if (!db) return 1;
    QDSApplication app(db.get());
    app.special_version = o.special_version;
    if (!ApplyRights(o.rights, &app)) return kUsage;
    QDSApplication::SetInstance(&app);

    // Yes to every question (unattended), or no to every question (scripted).
    host::ui::UnattendedBackend unattended;
    host::ui::ScriptedBackend scripted;
    scripted.SetDefaultAnswer(IDNO);
    host::ui::RecordingBackend& backend =
        o.answer == "yes" ? static_cast<host::ui::RecordingBackend&>(unattended) : scripted;
    host::ui::SetBackend(&backend);

    int rc = 0;
    std::string failure;  // why the entry did not print
    int dialogs = 0;
    bool printed = false;
    bool field_error = false;
    backend.SetDefaultDriver([&](TDialog& dlg) {
        if (++dialogs > 1) {
            // A dialog opened by the report itself: accept it as it is.
            dlg.SendCommand(IDOK);
            return;
        }
        for (const auto& [name, value] : sets) {
            std::string error;
            if (!dlg.SetField(name, value, &error)) {
                failure = error;
                field_error = true;
                dlg.EndModal(IDCANCEL);
                return;
            }
        }
        if (auto* report = dynamic_cast<TReportBaseDlg*>(&dlg)) {
            if (o.output_kind >= 0) report->SetOutputChoice(o.output_kind);
            printed = report->ActionOnPrint();
            if (!printed && backend.Messages().empty()) failure = "le rapport n'a pas été imprimé";
        } else {
            // Not a report dialog (a host report's notice): what it says is the answer.
            if (TControl* notice = dlg.GetControl(101)) failure = notice->GetText();
            dlg.SendCommand(IDOK);
        }
    });

    {
        std::string error;
        auto session = host::ui::ReportsSession::Open(host::ui::DefaultModulePath(), &error);
        if (!session) {
            PrintError("module : " + error);
            rc = 1;
        } else {
            const reports::CatalogData* catalog = Catalog(session->Library());
            const reports::CatalogEntry* entry = FindEntry(catalog, o.command);
            TDialog* manager = session->Manager();
            if (!entry || !manager->HandlesCommand(static_cast<UINT>(o.command))) {
                PrintError("entrée inconnue : " + std::to_string(o.command) +
                           " (voir « rapports catalog »)");
                rc = kUsage;
            } else if (!VisibleToUser(*manager, o.command)) {
                PrintError("l'entrée " + std::to_string(o.command) +
                           " n'est pas offerte à cet utilisateur (voir --rights)");
                rc = kUsage;
            } else if (entry->kind == reports::EntryKind::Template && !sets.empty()) {
                PrintError("l'entrée " + std::to_string(o.command) + " imprime le modèle " +
                           entry->target + " sans dialogue : --set ne s'applique pas");
                rc = kUsage;
            } else {
                const auto before = Snapshot(host::Env().output_dir);
                const size_t messages_before = backend.Messages().size();
                manager->SendCommand(static_cast<UINT>(o.command));
                std::vector<std::string> written;
                for (const auto& [path, stamp] : Snapshot(host::Env().output_dir)) {
                    auto it = before.find(path);
                    if (it == before.end() || it->second != stamp) written.push_back(path);
                }
                for (const std::string& path : written)
                    std::printf("%s\n", path.c_str());
                const bool ran_dialog = dialogs > 0;
                if (field_error) {
                    PrintError(failure);
                    rc = kUsage;
                } else if (ran_dialog && !printed) {
                    if (failure.empty() && backend.Messages().size() > messages_before)
                        failure = backend.Messages().back().text;
                    PrintError(failure.empty() ? "le rapport n'a pas été imprimé" : failure);
                    rc = kRefused;
                } else if (!ran_dialog && written.empty()) {
                    if (backend.Messages().size() > messages_before)
                        PrintError(backend.Messages().back().text);
                    else
                        PrintError("aucun fichier écrit");
                    rc = kRefused;
                } else {
                    // Printed: the messages the report showed on the way, for the record.
                    for (size_t m = messages_before; m < backend.Messages().size(); ++m)
                        std::fprintf(stderr, "message : %s\n", backend.Messages()[m].text.c_str());
                }
            }
        }
    }
    host::ui::SetBackend(nullptr);
    QDSApplication::SetInstance(nullptr);
    return rc;
}

}  // namespace

RAPPORTS_COMMAND(
    "run", "Exécute une entrée du catalogue sans affichage (critères par --set)", 30,
    [](CLI::App& sub) -> std::function<int()> {
        auto o = std::make_shared<RunOptions>();
        sub.add_option("COMMAND", o->command, "Numéro de l'entrée (voir « rapports catalog »)")
            ->required();
        sub.add_option("--db", o->dsn,
                       "Base du cabinet (sqlite:FICHIER ou postgresql://...); "
                       "défaut : la pratique de démonstration du poste");
        sub.add_option("--out", o->out, "Dossier de sortie des rapports");
        sub.add_option("--today", o->today, "Date du jour AAAAMMJJ (exécutions reproductibles)");
        sub.add_option("--output-kind", o->output_kind,
                       "Type de sortie du dialogue : 0 imprimante, 1 aperçu, 2 fichier, 3 texte")
            ->check(CLI::Range(0, 9));
        sub.add_option("--set", o->sets, "Critère NOM=VALEUR (nom du champ ou numéro du contrôle)");
        sub.add_option("--answer", o->answer,
                       "Réponse aux questions : yes (défaut, comme la nuit) ou no");
        sub.add_option("--rights", o->rights, "Droits de l'utilisateur (ex. 3,8); défaut : tous");
        sub.add_option("--special-version", o->special_version, "Code de version spéciale");
        sub.footer([] { return FieldsHelp(); });
        return [o] { return Run(*o); };
    });

}  // namespace cli
