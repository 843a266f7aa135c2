// The dialog of the catalog's host reports: those reports belong to the host application,
// which provides their criteria dialogs; this one says which host report the entry is.
#pragma once

#include <string>

#include "host/ui/qds.h"

// Dialog resource of the host-report notice.
inline constexpr int kHostReportDialogId = 7990;

class THostReportDlg : public QDSDialog {
  public:
    // class_name and resource: the host's dialog; entry_text: the catalog entry.
    THostReportDlg(TWindow* parent, const std::string& class_name, int resource,
                   const std::string& entry_text, LauncherInfo* launcher, TModule* module);
    void SetupWindow() override;
    const std::string& HostClassName() const { return class_name_; }
    int HostResource() const { return resource_; }
    // The notice shown in the dialog.
    std::string NoticeText() const;

  private:
    std::string class_name_;
    int resource_;
    std::string entry_text_;
};
