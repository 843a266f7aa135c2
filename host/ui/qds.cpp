#include "host/ui/qds.h"

#include "host/base/strings.h"
#include "host/ui/backend.h"

namespace host::ui {

namespace {
TWindow* g_main_window = nullptr;
}

TWindow* MainWindow() {
    return g_main_window;
}

void SetMainWindow(TWindow* window) {
    g_main_window = window;
}

}  // namespace host::ui

bool QDSDllHandler::HandleCommand(UINT id) {
    auto it = commands_.find(id);
    if (it == commands_.end()) return false;
    auto handler = it->second;
    handler();
    return true;
}

QDSDialog::QDSDialog(TWindow* parent, TResId res_id, TModule* module, LauncherInfo* launcher)
    : TOrvoDlg(parent, res_id, module), launcher_(launcher) {
    if (!launcher_) {
        own_launcher_ = std::make_unique<LauncherInfo>(QDSApplication::Instance());
        launcher_ = own_launcher_.get();
    }
}

QDSDialog::QDSDialog(TWindow* parent, std::shared_ptr<const host::ui::DialogTemplate> tmpl,
                     TModule* module, LauncherInfo* launcher)
    : TOrvoDlg(parent, std::move(tmpl), module), launcher_(launcher) {
    if (!launcher_) {
        own_launcher_ = std::make_unique<LauncherInfo>(QDSApplication::Instance());
        launcher_ = own_launcher_.get();
    }
}

int QDSTabCtrl::AddPage(int caption_id, TWindow* page, int image, TColor color, int flags) {
    return AddPage(host::LoadText(caption_id), page, image, color, flags);
}

int QDSTabCtrl::AddPage(const std::string& caption, TWindow* page, int image, TColor color, int) {
    return Add(caption, page, image, color);
}

QDSListWindow::QDSListWindow(TWindow* parent, int id, int x, int y, int w, int h, int bitmap,
                             TModule* module)
    : TListView(parent, id, module), bitmap_(bitmap) {
    SetRect({x, y, w, h});
    SetImageLists(bitmap, bitmap);
}

int QDSListWindow::Load(int first_string, int last_string, bool images) {
    SetShowImages(images);
    int added = 0;
    for (int id = first_string; id <= last_string; ++id, ++added)
        AddItem(host::LoadText(id), images ? added : -1);
    return added;
}

OVMDIChild::OVMDIChild(int child_id, TMDIClient& parent, const std::string& title, TWindow* client,
                       bool shrink_to_client, TModule* module, int style, int)
    : TMDIChild(parent, title, client, shrink_to_client, module), style_(style) {
    SetId(child_id);
}

void OVMDIChild::RestoreMDIFocus() {
    Activate();
}

int OVMDIChild::GetActiveChildState() const {
    TMDIClient* client = GetMDIClient();
    TMDIChild* active = client ? client->GetActiveMDIChild() : nullptr;
    return active ? active->GetShowState() : SW_SHOWNORMAL;
}
