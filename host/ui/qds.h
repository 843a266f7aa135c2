// The host's window classes that the module builds on: the module handler
// (QDSDllHandler), the dialog bases (TOrvoDlg, QDSDialog, TGenDlg), the tab control and
// list pages of the Reports Manager (QDSTabCtrl, QDSListWindow) and the MDI child frame
// (OVMDIChild).
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "host/records/context.h"
#include "host/ui/controls.h"
#include "host/ui/dialog.h"
#include "host/ui/window.h"

namespace host::ui {
// The host application's main window (the MDI frame); set by the executable.
TWindow* MainWindow();
void SetMainWindow(TWindow* window);
}  // namespace host::ui

// The handler object a module gives the host: the host sends it commands by id.
class QDSDllHandler : public TModule {
  public:
    explicit QDSDllHandler(const std::string& name = "") : TModule(name) {}
    // The host's main window.
    TWindow* GetMainWindow() const { return host::ui::MainWindow(); }
    // Runs command id through the response table; false when the handler has no entry.
    virtual bool HandleCommand(UINT id);
    bool HandlesCommand(UINT id) const { return commands_.count(id) != 0; }

  protected:
    void OnCommand(UINT id, std::function<void()> handler) { commands_[id] = std::move(handler); }

  private:
    std::map<UINT, std::function<void()>> commands_;
};

class TOrvoDlg : public TDialog {
  public:
    using TDialog::TDialog;
};

// The host's dialog: a TDialog with the LauncherInfo of the application.
class QDSDialog : public TOrvoDlg {
  public:
    // launcher null: the dialog makes one over the application of this process.
    QDSDialog(TWindow* parent, TResId res_id, TModule* module = nullptr,
              LauncherInfo* launcher = nullptr);
    QDSDialog(TWindow* parent, std::shared_ptr<const host::ui::DialogTemplate> tmpl,
              TModule* module = nullptr, LauncherInfo* launcher = nullptr);
    LauncherInfo* GetLauncherInfo() const { return launcher_; }
    QDSApplication* GetApp() const { return launcher_ ? launcher_->App() : nullptr; }

  private:
    std::unique_ptr<LauncherInfo> own_launcher_;
    LauncherInfo* launcher_;
};

// The host's general dialog: adds the dialog's current patient.
class TGenDlg : public QDSDialog {
  public:
    using QDSDialog::QDSDialog;
    long GetCurrentPatient() const { return current_patient_; }
    void SetCurrentPatient(long patient_id) { current_patient_ = patient_id; }

  private:
    long current_patient_ = 0;
};

// The host's tab control: pages added with a caption from the string table (or a text),
// a tab image and a background colour.
class QDSTabCtrl : public TTabControl {
  public:
    QDSTabCtrl(TWindow* parent, int id, TModule* module = nullptr)
        : TTabControl(parent, id, module) {}
    int AddPage(int caption_id, TWindow* page, int image, TColor color, int flags = 0);
    int AddPage(const std::string& caption, TWindow* page, int image, TColor color, int flags = 0);
    // The page of the selected tab, or null.
    TWindow* GetSelectedPage() const { return GetPage(GetSel()); }
};

// The host's list page: a list view whose entries come from a range of strings; the item
// images are taken from one bitmap (a strip of images, one per entry).
class QDSListWindow : public TListView {
  public:
    QDSListWindow(TWindow* parent, int id, int x, int y, int w, int h, int bitmap,
                  TModule* module = nullptr);
    int GetBitmapId() const { return bitmap_; }
    // One entry per string first..last, in order; entry i shows image i when images is
    // true. Returns the number of entries added.
    int Load(int first_string, int last_string, bool images);

  private:
    int bitmap_;
};

// The host's MDI child frame.
class OVMDIChild : public TMDIChild {
  public:
    OVMDIChild(int child_id, TMDIClient& parent, const std::string& title, TWindow* client,
               bool shrink_to_client, TModule* module, int style = 0, int flags = 0);
    // Restores the window when it is minimised and gives it the MDI focus.
    void RestoreMDIFocus();
    // The show state of the active MDI child of this child's client (SW_SHOWNORMAL when
    // there is none).
    int GetActiveChildState() const;
    int GetStyleArg() const { return style_; }

  private:
    int style_;
};
