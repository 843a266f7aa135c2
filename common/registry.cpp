#include "common/registry.h"

#include <algorithm>
#include <deque>

#include "host/ui/reportdlg.h"

namespace reports {

namespace {

// Descriptors keep their address once registered (the catalog hands out pointers).
std::deque<ReportDescriptor>& Store() {
    static std::deque<ReportDescriptor> store;
    return store;
}

}  // namespace

bool Register(ReportDescriptor descriptor) {
    if (descriptor.key.empty() || FindReport(descriptor.key)) return false;
    if (descriptor.command != 0 && FindReport(descriptor.command)) return false;
    Store().push_back(std::move(descriptor));
    return true;
}

const ReportDescriptor* FindReport(int command) {
    if (command == 0) return nullptr;
    for (const ReportDescriptor& d : Store())
        if (d.command == command) return &d;
    return nullptr;
}

const ReportDescriptor* FindReport(const std::string& key) {
    for (const ReportDescriptor& d : Store())
        if (d.key == key) return &d;
    return nullptr;
}

std::vector<const ReportDescriptor*> AllReports() {
    std::vector<const ReportDescriptor*> all;
    for (const ReportDescriptor& d : Store())
        all.push_back(&d);
    std::stable_sort(all.begin(), all.end(), [](const auto* a, const auto* b) {
        const int ca = a->command ? a->command : 1 << 30;
        const int cb = b->command ? b->command : 1 << 30;
        return ca != cb ? ca < cb : a->key < b->key;
    });
    return all;
}

bool OpenReportDialog(const ReportDescriptor& report, const DialogArgs& args) {
    if (!report.make_dialog) return false;
    std::unique_ptr<TReportBaseDlg> dlg = report.make_dialog(args);
    if (!dlg) return false;
    dlg->Execute();
    return true;
}

}  // namespace reports
