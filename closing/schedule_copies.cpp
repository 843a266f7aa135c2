#include "closing/schedule_copies.h"

#include <algorithm>
#include <filesystem>

#include "host/base/dates.h"
#include "host/base/env.h"
#include "host/output/progress.h"
#include "host/ui/controls.h"

namespace fs = std::filesystem;

namespace dayend {

namespace {

constexpr const char* kFolder = "Dayend";
constexpr const char* kFile = "Schedule.pdf";

}  // namespace

std::string ScheduleFolder(long day) {
    return (fs::path(TGetStatInfo().GetDbDirectory()) / kFolder / std::to_string(day)).string();
}

std::string SchedulePath(long day) {
    return (fs::path(ScheduleFolder(day)) / kFile).string();
}

std::vector<long> ScheduleDays() {
    std::vector<long> days;
    std::error_code ec;
    const fs::path root = fs::path(TGetStatInfo().GetDbDirectory()) / kFolder;
    for (fs::directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        // Only folders named by a real day hold a kept list.
        if (name.size() != 8 ||
            !std::all_of(name.begin(), name.end(), [](char c) { return c >= '0' && c <= '9'; }))
            continue;
        const long day = std::stol(name);
        std::error_code fe;
        if (host::IsValidDate(day) && fs::is_regular_file(it->path() / kFile, fe))
            days.push_back(day);
    }
    std::sort(days.rbegin(), days.rend());
    return days;
}

}  // namespace dayend

namespace {

constexpr int kDialog = 7992;
constexpr int kList = 101;
constexpr int kDetails = 102;

}  // namespace

DigitalHistoryListDlg::DigitalHistoryListDlg(TWindow* parent) : TDialog(parent, kDialog) {
    OnCommand(kDetails, [this] { CmDetails(); });
}

void DigitalHistoryListDlg::SetupWindow() {
    TDialog::SetupWindow();
    days_ = dayend::ScheduleDays();
    auto* list = ChildAs<TListBoxBase>(kList);
    if (!list) return;
    list->ClearList();
    for (long day : days_)
        list->AddString(host::FormatDate(day, DATE_FMT_DMY), std::to_string(day));
    list->SetSelIndex(days_.empty() ? -1 : 0);
}

void DigitalHistoryListDlg::CmDetails() {
    auto* list = ChildAs<TListBoxBase>(kList);
    if (!list || list->GetSelIndex() < 0) return;
    const long day = std::stol(list->GetSelValue());
    host::output::GetReportViews().ShowPdf(this, dayend::SchedulePath(day));
}
