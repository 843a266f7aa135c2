// rapports run: runs one catalog entry as the Reports Manager would, without a display.
// The entry's dialog is built by the module; the --set values are applied to its
// controls as a user would type them (the dialog's enabling rules run), the dialog
// validates them and prints; the files written in the output folder are listed.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>

#include "app/cli/command.h"
#include "host/base/dates.h"
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
    std::string target;  // a catalog command, or a report's name
    std::string dsn;
    std::string out;
    std::string today;
    std::string time;
    bool save_defaults = false;
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

// The module's report named key, or false.
bool FindReport(const reports::CatalogData* catalog, const std::string& key,
                reports::ReportInfo* out) {
    for (size_t i = 0; catalog && i < catalog->report_count(); ++i)
        if (catalog->report_at(i, out) && key == out->key) return true;
    return false;
}

// Whether the report of target (a catalog number or a report's name) changes the practice.
bool Writes(const std::string& target) {
    std::string error;
    auto library = host::ui::ModuleLibrary::Load(host::ui::DefaultModulePath(), &error);
    const reports::CatalogData* catalog = library ? Catalog(*library) : nullptr;
    reports::ReportInfo r{};
    for (size_t i = 0; catalog && i < catalog->report_count(); ++i)
        if (catalog->report_at(i, &r) && (target == r.key || target == std::to_string(r.command)))
            return r.writes;
    return false;
}

// "HH:MM:SS" or "HH:MM" for --time.
bool ApplyTime(const std::string& text) {
    if (text.empty()) return true;
    int h = -1, m = -1, sec = 0;
    char extra = 0;
    const int n = std::sscanf(text.c_str(), "%d:%d:%d%c", &h, &m, &sec, &extra);
    if ((n != 2 && n != 3) || h < 0 || h > 23 || m < 0 || m > 59 || sec < 0 || sec > 59) {
        PrintError("heure invalide pour --time : " + text + " (attendu HH:MM:SS)");
        return false;
    }
    host::SetFixedTime(h, m, sec);
    return true;
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
    reports::ReportInfo r;
    for (size_t i = 0; i < catalog->report_count(); ++i) {
        if (!catalog->report_at(i, &r) || r.command != 0) continue;
        out << "  " << r.key << "  " << r.dialog_class << " (dialogue " << r.resource << ", "
            << r.caption << ")\n";
        if (auto t = host::ui::LoadDialogTemplate(r.resource))
            for (const auto& f : host::ui::DescribeFields(*t))
                out << "        " << f.name << " (" << f.id << ") : " << f.help << "\n";
    }
    out << "\nTypes de sortie (--output-kind) : 0 imprimante (PDF dans le dossier de sortie), "
           "1 aperçu, 2 exportation vers un fichier, 3 fichier texte.\n"
           "Codes de sortie : 0 rapport imprimé (ou options enregistrées), 2 entrée, champ ou "
           "valeur inconnus, 3 rapport non imprimé ou fichier attendu non écrit (validation "
           "refusée, rapport non disponible, dossier de sortie non accessible, ...).\n";
    return out.str();
}

int Run(const RunOptions& o) {
    if (!ApplyToday(o.today) || !ApplyTime(o.time)) return kUsage;
    if (!ApplyOutputDir(o.out)) return kRefused;  // nothing could be written there
    int command = 0;
    if (!o.target.empty() && o.target.find_first_not_of("0123456789") == std::string::npos &&
        o.target.size() < 9)
        command = std::atoi(o.target.c_str());
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
    // Printing only reads the practice; saving the defaults writes its settings rows, and
    // a closing its day-end state.
    const bool writes = o.save_defaults || Writes(o.target);
    auto db = OpenPractice(o.dsn.empty() ? DefaultDsn() : o.dsn,
                           writes ? host::DbAccess::Write : host::DbAccess::ReadOnly);
    if (!db) return 1;
    QDSApplication app(db.get());
    app.LoadPracticeSettings();
    if (o.special_version) app.special_version = o.special_version;
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
            if (o.save_defaults) {
                // The dialog's "save as default" button: its question answered by --answer.
                report->TransferData(tdGetData);
                printed = report->ActionOnSaveAsDefault();
                if (!printed) failure = "options non enregistrées";
                dlg.EndModal(IDCANCEL);
                return;
            }
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
            // A report's name stands for its catalog entry when it has one.
            reports::ReportInfo named{};
            const bool is_named = command == 0 && FindReport(catalog, o.target, &named);
            if (is_named && named.command != 0) command = named.command;
            const reports::CatalogEntry* entry = FindEntry(catalog, command);
            TDialog* manager = session->Manager();
            const std::string what = command ? std::to_string(command) : o.target;
            const bool host_opens = is_named && named.command == 0;
            if (!host_opens && (!entry || !manager->HandlesCommand(static_cast<UINT>(command)))) {
                PrintError("entrée inconnue : " + what +
                           " (voir « rapports catalog » et « rapports run --help »)");
                rc = kUsage;
            } else if (!host_opens && !VisibleToUser(*manager, command)) {
                PrintError("l'entrée " + what +
                           " n'est pas offerte à cet utilisateur (voir --rights)");
                rc = kUsage;
            } else if (entry && entry->kind == reports::EntryKind::Template &&
                       (!sets.empty() || o.save_defaults)) {
                PrintError("l'entrée " + what + " imprime le modèle " + entry->target +
                           " sans dialogue : --set et --save-defaults ne s'appliquent pas");
                rc = kUsage;
            } else {
                const auto before = Snapshot(host::Env().output_dir);
                const size_t messages_before = backend.Messages().size();
                if (host_opens) {
                    auto* qds = dynamic_cast<QDSDialog*>(manager);
                    catalog->open_report(named.key, manager, qds ? qds->GetLauncherInfo() : nullptr,
                                         0);
                } else {
                    manager->SendCommand(static_cast<UINT>(command));
                }
                std::vector<std::string> written;
                for (const auto& [path, stamp] : Snapshot(host::Env().output_dir)) {
                    auto it = before.find(path);
                    if (it == before.end() || it->second != stamp) written.push_back(path);
                }
                for (const std::string& path : written)
                    if (!o.save_defaults) std::printf("%s\n", path.c_str());
                const bool ran_dialog = dialogs > 0;
                if (field_error) {
                    PrintError(failure);
                    rc = kUsage;
                } else if (ran_dialog && !printed) {
                    if (failure.empty() && backend.Messages().size() > messages_before)
                        failure = backend.Messages().back().text;
                    PrintError(failure.empty() ? "le rapport n'a pas été imprimé" : failure);
                    rc = kRefused;
                } else if (o.save_defaults && !ran_dialog) {
                    PrintError("l'entrée " + what + " n'a pas de dialogue de critères");
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
        sub.add_option("COMMAND", o->target,
                       "Numéro de l'entrée (voir « rapports catalog ») ou nom du rapport (ar, "
                       "arquick, ...)")
            ->required();
        sub.add_option("--db", o->dsn,
                       "Base du cabinet (sqlite:FICHIER ou postgresql://...); "
                       "défaut : la pratique de démonstration du poste");
        sub.add_option("--out", o->out, "Dossier de sortie des rapports");
        sub.add_option("--today", o->today, "Date du jour AAAAMMJJ (exécutions reproductibles)");
        sub.add_option("--time", o->time, "Heure imprimée HH:MM:SS (exécutions reproductibles)");
        sub.add_flag("--save-defaults", o->save_defaults,
                     "Enregistre les critères comme options par défaut du cabinet (bouton du "
                     "dialogue; la question est répondue par --answer) au lieu d'imprimer");
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
