// Where the receivable dialogs hand over to the receivable report objects: the dialogs
// prepare the criteria, the text file and the XML files, and call the runner installed
// here to construct and run the report objects and write their XML data. The report
// objects' code installs it (SetARReportRunner); tests install their own.
#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

class LauncherInfo;
class TWindow;
struct arrpt_info;

// The files of the receivable report, as report file names.
inline constexpr const char* kARTextFile = "arrpt.prt";
inline constexpr const char* kARXmlFile = "\\XML\\agedrc.xml";
inline constexpr const char* kARNotesXmlFile = "\\XML\\arnotes.xml";
inline constexpr const char* kARTemplate = "agedrc.rpt";
inline constexpr const char* kARTemplateData = "agedrc.xml";

// The report object a run builds.
enum class ARReportObject {
    Account,  // ARAccRptObj: account balances (kind 0) and summary totals only (kind 2)
    Patient,  // ARPatRptObj: patient balances (kind 1)
    Quick,    // ARQuickRptObj: the quick list
};
// The object for a report kind (the quick list's dialog always asks for Quick).
ARReportObject ReportObjectFor(int kind, bool quick);

struct ARRunRequest {
    LauncherInfo* launcher = nullptr;
    TWindow* parent = nullptr;  // the dialog
    arrpt_info* info = nullptr;
    FILE* prt = nullptr;      // "arrpt.prt" open for writing, or null
    bool interactive = true;  // false in the unattended run
    int output_choice = 0;
    short copies = 1;
    bool quick = false;       // the quick list (ARQuickRptObj) rather than the full report
    bool quick_flag = false;  // the quick list dialog's flag
    ARReportObject object = ARReportObject::Account;
};

struct ARRunResult {
    bool ran = false;                // the report objects were built and run
    bool cancelled = false;          // the user cancelled the run
    std::vector<std::string> files;  // files written (XML data)
};

using ARReportRunner = std::function<ARRunResult(const ARRunRequest&)>;

// Installs the runner (an empty function removes it).
void SetARReportRunner(ARReportRunner runner);
// The runner installed; empty when none is.
const ARReportRunner& GetARReportRunner();
