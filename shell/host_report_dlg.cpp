#include "shell/host_report_dlg.h"

#include <cstdio>

#include "host/base/strings.h"

THostReportDlg::THostReportDlg(TWindow* parent, const std::string& class_name, int resource,
                               const std::string& entry_text, LauncherInfo* launcher,
                               TModule* module)
    : QDSDialog(parent, kHostReportDialogId, module, launcher),
      class_name_(class_name),
      resource_(resource),
      entry_text_(entry_text) {}

std::string THostReportDlg::NoticeText() const {
    char text[1024];
    std::snprintf(text, sizeof text, host::LoadText(12419).c_str(), entry_text_.c_str());
    return text;
}

void THostReportDlg::SetupWindow() {
    QDSDialog::SetupWindow();
    if (TControl* notice = GetControl(101)) notice->SetText(NoticeText());
    if (!entry_text_.empty()) SetCaption(entry_text_);
}
