// The report registry. Each report of the module is described once, by its own source
// file (REPORTS_REGISTER), with what the rest of the program needs to offer it: its
// catalog command, its criteria dialog, its files and template. The Reports Manager's
// catalog, `rapports run`, `rapports catalog` and the overnight run all read it, so a new
// report edits none of them.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host/base/wintypes.h"

class LauncherInfo;
class TModule;
class TReportBaseDlg;

namespace reports {

// What a criteria dialog is built with.
struct DialogArgs {
    TWindow* parent = nullptr;
    LauncherInfo* launcher = nullptr;
    TModule* module = nullptr;
    int mode = 0;  // 0 interactive, 1 opened by another report, 2 unattended
};

struct ReportDescriptor {
    // The report's stable name on the command line ("ar", "arquick").
    std::string key;
    // Its catalog command (page id + entry index), or 0 for a report the host application
    // opens itself (the quick receivable list).
    int command = 0;
    int resource = 0;          // the criteria dialog's resource
    std::string dialog_class;  // "TARReportDlg"
    std::string caption;       // the dialog's caption, for messages and menus
    // The debug log's name of a run: "START <log_name>: m_CalAR = n".
    std::string log_name;
    std::string text_file;      // the ".prt" file ("arrpt.prt"); its stem names the exports
    std::string template_name;  // the template printed over the first data file, or ""
    // A run changes the practice (a closing), so the command line opens it to write.
    bool writes = false;
    // The criteria dialog of one run.
    std::function<std::unique_ptr<TReportBaseDlg>(const DialogArgs&)> make_dialog;
};

// Adds a report; false (and nothing added) when its key or command is already taken.
bool Register(ReportDescriptor descriptor);
const ReportDescriptor* FindReport(int command);
const ReportDescriptor* FindReport(const std::string& key);
// Every report, in registration order of the catalog commands, then the others by key.
std::vector<const ReportDescriptor*> AllReports();

// Builds the report's dialog and runs it modally; false when the report has no dialog.
bool OpenReportDialog(const ReportDescriptor& report, const DialogArgs& args);

}  // namespace reports

#define REPORTS_CONCAT2(a, b) a##b
#define REPORTS_CONCAT(a, b) REPORTS_CONCAT2(a, b)
// Registers a report when the module is loaded: REPORTS_REGISTER({...descriptor...});
#define REPORTS_REGISTER(...)                                                         \
    [[maybe_unused]] static const bool REPORTS_CONCAT(report_registered_, __LINE__) = \
        ::reports::Register(__VA_ARGS__)
