// The report catalog of the Reports Manager: its ten tabs (with the access right each
// needs) and every entry with what it launches. A catalog command is the entry's page id
// plus its index in the page. The plain tables here are also read by the executables
// (through RapportsCatalog) to list the catalog and the dialogs' fields.
#pragma once

#include <cstddef>
#include <functional>

class LauncherInfo;
class TModule;
class TWindow;
class QDSReportsMainDialog;

namespace reports {

// The module's identifier in the host's rights system.
inline constexpr int kModuleRightsId = 20115;
// The command that opens the Reports Manager.
inline constexpr unsigned kCmReports = 20115;
// The special-version code that shows the custom tab.
inline constexpr int kSpecialVersion = 10;

struct CatalogTab {
    int right;         // access right; 0 for the custom tab (special version)
    int page;          // page id: first command of the tab
    int caption_id;    // string of the caption
    int image;         // tab image
    int bitmap;        // item bitmap of the list
    int first_string;  // entry texts
    int last_string;
};

enum class EntryKind {
    ModuleDialog,  // a criteria dialog of this module
    HostDialog,    // a report dialog that the host application provides
    Template,      // a report template printed directly over the practice tables
};

struct CatalogEntry {
    int command;
    EntryKind kind;
    const char* class_name;  // the dialog class (null for a template)
    int resource;            // the dialog resource (0 for a template)
    const char* target;      // the dialog's caption, or the template file name
};

// What a launcher gets: the Reports Manager (parent of the dialogs), the launcher
// information and the module handler.
struct LaunchContext {
    QDSReportsMainDialog* main = nullptr;
    LauncherInfo* launcher = nullptr;
    TModule* module = nullptr;
};
using Launcher = std::function<void(LaunchContext& context, const CatalogEntry& entry)>;

// Tabs in the order they are added; entries in command order.
const CatalogTab* Tabs(size_t* count);
const CatalogEntry* Entries(size_t* count);
const CatalogEntry* FindEntry(int command);
const CatalogTab* FindTab(int page);
// The launcher of a module dialog, or null while the dialog is not yet part of the module.
const Launcher* FindLauncher(int command);
// Runs an entry: its dialog modally, the host's dialog, or the template print. An entry
// whose dialog is not yet available says so in a message box.
void LaunchEntry(LaunchContext& context, const CatalogEntry& entry);
// The unattended overnight run (message 4005).
void RunOvernight(LaunchContext& context);

// The tables as the executables read them from the loaded module.
struct CatalogData {
    const CatalogTab* tabs;
    size_t tab_count;
    const CatalogEntry* entries;
    size_t entry_count;
    // Whether the entry of command can run (its dialog exists, or it is a template).
    bool (*available)(int command);
};

}  // namespace reports

extern "C" const reports::CatalogData* RapportsCatalog();
