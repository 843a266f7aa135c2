// rapports catalog: the tabs and entries of the Reports Manager that a user sees, read
// from the window the module opens (rights and special version applied by the module).
#include <cstdio>
#include <set>
#include <sstream>

#include "app/cli/command.h"
#include "host/base/text.h"
#include "host/records/context.h"
#include "host/ui/moduleload.h"
#include "host/ui/qds.h"
#include "host/ui/recording.h"
#include "shell/catalog.h"

namespace cli {

namespace {

// "3,8" or "2-10" -> {3, 8} / {2..10}; false on anything else.
bool ParseRights(const std::string& text, std::set<int>* rights) {
    rights->clear();
    std::stringstream in(text);
    std::string part;
    while (std::getline(in, part, ',')) {
        part = host::Trim(part);
        if (part.empty()) continue;
        int a = 0, b = 0;
        char dash = 0, extra = 0;
        const int n = std::sscanf(part.c_str(), "%d%c%d%c", &a, &dash, &b, &extra);
        if (n == 1) {
            rights->insert(a);
        } else if (n == 3 && dash == '-' && a <= b) {
            for (int r = a; r <= b; ++r)
                rights->insert(r);
        } else {
            return false;
        }
    }
    return true;
}

std::string Describe(const reports::CatalogEntry& e, bool available) {
    char buf[256];
    switch (e.kind) {
        case reports::EntryKind::Template:
            std::snprintf(buf, sizeof buf, "modèle %s", e.target);
            break;
        case reports::EntryKind::HostDialog:
            std::snprintf(buf, sizeof buf, "hôte : %s (dialogue %d)", e.class_name, e.resource);
            break;
        case reports::EntryKind::ModuleDialog:
            std::snprintf(buf, sizeof buf, "%s (dialogue %d)%s", e.class_name, e.resource,
                          available ? "" : " - pas encore disponible");
            break;
    }
    return buf;
}

}  // namespace

// Shared with the run command: the rights option and the application it sets up.
bool ApplyRights(const std::string& text, QDSApplication* app) {
    if (text.empty()) return true;
    std::set<int> rights;
    if (!ParseRights(text, &rights)) {
        PrintError("liste de droits invalide : " + text + " (exemple : 3,8 ou 2-10)");
        return false;
    }
    app->SetRights(rights);
    return true;
}

namespace {

int RunCatalog(const std::string& rights, int special_version) {
    QDSApplication app(nullptr);
    app.special_version = special_version;
    if (!ApplyRights(rights, &app)) return 2;
    QDSApplication::SetInstance(&app);
    host::ui::UnattendedBackend backend;
    host::ui::SetBackend(&backend);
    int rc = 0;
    {
        std::string error;
        auto session = host::ui::ReportsSession::Open(host::ui::DefaultModulePath(), &error);
        if (!session) {
            PrintError("module : " + error);
            rc = 1;
        } else {
            auto catalog_fn = reinterpret_cast<const reports::CatalogData* (*)()>(
                session->Library().Symbol("RapportsCatalog"));
            const reports::CatalogData* catalog = catalog_fn ? catalog_fn() : nullptr;
            auto* tabs = session->Manager()->ChildAs<QDSTabCtrl>(101);
            const int count = tabs ? tabs->GetCount() : 0;
            if (count == 0) std::printf("Aucun onglet pour ces droits.\n");
            for (int t = 0; t < count; ++t) {
                auto* list = dynamic_cast<QDSListWindow*>(tabs->GetPage(t));
                if (!list) continue;
                std::printf("%s[%s]\n", t ? "\n" : "",
                            tabs->Tabs()[static_cast<size_t>(t)].caption.c_str());
                for (int i = 0; i < list->GetItemCount(); ++i) {
                    const int command = list->GetId() + i;
                    std::string what;
                    for (size_t k = 0; catalog && k < catalog->entry_count; ++k)
                        if (catalog->entries[k].command == command)
                            what = Describe(catalog->entries[k], catalog->available(command));
                    std::printf("  %4d  %s  %s\n", command,
                                host::U8Fit(list->GetItemText(i), 38).c_str(), what.c_str());
                }
            }
            // Reports the host application opens itself (rapports run NAME).
            reports::ReportInfo r;
            bool header = false;
            for (size_t i = 0; catalog && i < catalog->report_count(); ++i) {
                if (!catalog->report_at(i, &r) || r.command != 0) continue;
                if (!header) std::printf("\n[Rapports ouverts par l'application hôte]\n");
                header = true;
                std::printf("  %-8s %s  %s (dialogue %d)\n", r.key,
                            host::U8Fit(r.caption, 38).c_str(), r.dialog_class, r.resource);
            }
        }
    }
    host::ui::SetBackend(nullptr);
    QDSApplication::SetInstance(nullptr);
    return rc;
}

}  // namespace

RAPPORTS_COMMAND("catalog", "Liste les onglets et les entrées du Gestionnaire de Rapports", 20,
                 [](CLI::App& sub) -> std::function<int()> {
                     auto rights = std::make_shared<std::string>();
                     auto special = std::make_shared<int>(0);
                     sub.add_option("--rights", *rights,
                                    "Droits de l'utilisateur dans le module (20115), par exemple "
                                    "3,8 ou 2-10; défaut : tous");
                     sub.add_option("--special-version", *special,
                                    "Code de version spéciale de l'application (10 : onglet sur "
                                    "mesure, nommé par SpecialVersionName du poste)");
                     return [rights, special] { return RunCatalog(*rights, *special); };
                 });

}  // namespace cli
