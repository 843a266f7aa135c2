// The receivable report objects' side of the receivable dialogs: builds the report object
// the criteria ask for, runs it through its paging loop and writes its XML data.
#include <memory>

#include "host/base/env.h"
#include "receivables/ar_reports.h"
#include "receivables/ar_runner.h"

namespace {

constexpr const char* kSummaryXmlFile = "\\XML\\aracc.xml";

bool Save(IXmlExportWrapper* xml, const char* name, std::vector<std::string>* files) {
    const std::string path = host::ReportFilePath(name);
    if (!xml->Save(path.c_str())) return false;
    files->push_back(path);
    return true;
}

ARRunResult RunARReport(const ARRunRequest& request) {
    ARRunResult result;
    if (!request.launcher || !request.info) return result;
    std::unique_ptr<ARQuickRptObj> report;
    ARAccRptObj* full = nullptr;
    switch (request.object) {
        case ARReportObject::Quick:
            report = std::make_unique<ARQuickRptObj>(request.launcher, request.parent, request.info,
                                                     request.prt, request.quick_flag, 1);
            break;
        case ARReportObject::Patient:
            full = new ARPatRptObj(request.launcher, request.parent, request.info, request.prt,
                                   request.interactive, request.copies);
            report.reset(full);
            break;
        case ARReportObject::Account:
            full = new ARAccRptObj(request.launcher, request.parent, request.info, request.prt,
                                   request.interactive, request.copies);
            report.reset(full);
            break;
    }
    // Export to a file (2) sends the lines to spreadsheet columns as well.
    report->SetAutomation(request.output_choice, request.output_choice == 2);
    report->PrintReport();
    result.ran = true;
    result.cancelled = report->ReportCanceled();
    if (result.cancelled) return result;
    Save(report->Xml(), kARXmlFile, &result.files);
    if (request.info->notes) Save(report->NotesXml(), kARNotesXmlFile, &result.files);
    if (full) Save(full->SummaryXml(), kSummaryXmlFile, &result.files);
    return result;
}

// Installed when the module is loaded.
const bool kInstalled = [] {
    SetARReportRunner(RunARReport);
    return true;
}();

}  // namespace
