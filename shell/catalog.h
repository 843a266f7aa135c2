// The report catalog of the Reports Manager: its ten tabs (with the access right each
// needs) and every entry with what it launches. A catalog command is the entry's page id
// plus its index in the page. The plain tables here are also read by the executables
// (through RapportsCatalog) to list the catalog and the dialogs' fields.
#pragma once

#include <cstddef>
#include <string>

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

// What launching an entry gets: the Reports Manager (parent of the dialogs), the launcher
// information and the module handler.
struct LaunchContext {
    QDSReportsMainDialog* main = nullptr;
    LauncherInfo* launcher = nullptr;
    TModule* module = nullptr;
};

// Tabs in the order they are added; entries in command order.
const CatalogTab* Tabs(size_t* count);
const CatalogEntry* Entries(size_t* count);
const CatalogEntry* FindEntry(int command);
const CatalogTab* FindTab(int page);
// Whether the entry of command can run: a template, a host report, or a report of the
// module's registry (common/registry.h).
bool IsAvailable(int command);
// Why an entry is shown but not offered: its report is not part of the module yet, or it
// belongs to the practice-management program. "" for an entry that runs here.
std::string UnavailableReason(int command);
// Runs an entry: its dialog modally, the host's dialog, or the template print. An entry
// whose report is not yet part of the module says so in a message box.
void LaunchEntry(LaunchContext& context, const CatalogEntry& entry);
// The unattended overnight run (message 4005).
void RunOvernight(LaunchContext& context);

// A report of the module's registry as the executables see it.
struct ReportInfo {
    const char* key;  // its name on the command line ("ar", "arquick")
    int command;      // its catalog command, 0 when the host opens it itself
    int resource;     // its criteria dialog
    const char* dialog_class;
    const char* caption;
    bool writes;  // a run changes the practice (a closing): the database is opened to write
};

// The tables as the executables read them from the loaded module.
struct CatalogData {
    const CatalogTab* tabs;
    size_t tab_count;
    const CatalogEntry* entries;
    size_t entry_count;
    // Whether the entry of command can run (a report of the module, a host report or a
    // template).
    bool (*available)(int command);
    // The module's reports, in catalog order, then those the host opens itself.
    size_t (*report_count)();
    bool (*report_at)(size_t index, ReportInfo* out);
    // Opens the criteria dialog of the report named key, modally, under parent (mode 0
    // interactive, 2 unattended); false when there is no such report.
    bool (*open_report)(const char* key, TWindow* parent, LauncherInfo* launcher, int mode);
};

}  // namespace reports

extern "C" const reports::CatalogData* RapportsCatalog();
