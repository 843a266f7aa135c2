#include "shell/reports_app.h"

#include <cstdio>

#include "host/base/ini.h"
#include "host/base/strings.h"
#include "shell/catalog.h"
#include "shell/module.h"
#include "shell/reports_dialog.h"

QDSReportsApp::QDSReportsApp(const std::string& name) : QDSDllHandler(name) {
    OnCommand(reports::kCmReports, [this] { CmReports(); });
}

QDSReportsApp::~QDSReportsApp() {
    if (CReportsMDI* window = ReportsWindow) {
        window->Destroy();
        delete window;
    }
}

void QDSReportsApp::CmReports() {
    if (ReportsWindow) {
        ReportsWindow->RestoreMDIFocus();
        return;
    }
    TWindow* main = GetMainWindow();
    auto* frame = dynamic_cast<TFrameWindow*>(main);
    auto* client = frame ? dynamic_cast<TMDIClient*>(frame->GetClientWindow()) : nullptr;
    if (!client) return;  // no host frame to open the window in
    auto* dialog = new QDSReportsMainDialog(main, 7000, this);
    const std::string title = host::LoadText(kReportsTitleId);
    ReportsWindow = new CReportsMDI(20115, *client, title, dialog, true, this, 112, 0);
    ReportsWindow->SetIcon(this, kReportsIconId);
    ReportsWindow->SetIconSm(this, kReportsIconId);
    const int state = ReportsWindow->GetActiveChildState();
    ReportsWindow->Create();
    if (state == SW_SHOWMAXIMIZED) ReportsWindow->SendMessage(WM_SYSCOMMAND, SC_MAXIMIZE, 0);
}

CReportsMDI::CReportsMDI(int child_id, TMDIClient& parent, const std::string& title,
                         QDSReportsMainDialog* client, bool shrink_to_client, TModule* module,
                         int style, int flags)
    : OVMDIChild(child_id, parent, title, client, shrink_to_client, module, style, flags),
      MainDialog(client) {
    TMenuDescr menu(kViewMenuId, host::LoadText(12416));
    menu.Add(kCmViewIcons, host::LoadText(10121));
    menu.Add(kCmViewList, host::LoadText(10122));
    SetMenuDescr(menu);
    OnCommand(kCmViewIcons, [this] { ChangeView(0); });
    OnCommand(kCmViewList, [this] { ChangeView(2); });
    OnMessage(WM_INITMENUPOPUP, [this](WPARAM, LPARAM) -> LRESULT {
        if (MainDialog && GetMenuDescr()) {
            const bool icons = MainDialog->ViewMode == 0;
            GetMenuDescr()->CheckMenuItem(kCmViewIcons, icons ? MF_CHECKED : MF_UNCHECKED);
            GetMenuDescr()->CheckMenuItem(kCmViewList, icons ? MF_UNCHECKED : MF_CHECKED);
        }
        return 0;
    });
    OnMessage(WM_START_OVERNITES, [this](WPARAM wp, LPARAM lp) -> LRESULT {
        if (MainDialog) MainDialog->WM_Start_OverNites(wp, lp);
        return 1;
    });
}

CReportsMDI::~CReportsMDI() {
    if (auto* app = dynamic_cast<QDSReportsApp*>(GetDllHandler());
        app && app->ReportsWindow == this)
        app->ReportsWindow = nullptr;
}

void CReportsMDI::ChangeView(int mode) {
    if (!MainDialog) return;
    TUserInfo user;
    user.WriteInt("RepListView", mode);
    MainDialog->ViewMode = mode;
    MainDialog->EmptyLists();
    MainDialog->LoadLists();
}
