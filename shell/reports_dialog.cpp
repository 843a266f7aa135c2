#include "shell/reports_dialog.h"

#include <cstdlib>

#include "host/base/ini.h"
#include "host/base/text.h"
#include "shell/catalog.h"

namespace {
// Pages in the order their lists are loaded; the custom page comes last.
constexpr int kLoadOrder[] = {500, 600, 200, 100, 400, 700, 800, 900, 300};
constexpr int kSpecialPage = 1000;
constexpr const char* kLastTabKey = "RepLastTab";
}  // namespace

QDSReportsTabCtrl::QDSReportsTabCtrl(TWindow* parent, int id, TModule* module)
    : QDSTabCtrl(parent, id, module) {
    SetImageList(1536, 14, 16, 16);
}

LRESULT QDSReportsTabCtrl::EvNotify(UINT, NMHDR& info) {
    if (info.code != NM_DBLCLK) return 0;
    auto* list = ChildAs<QDSListWindow>(static_cast<int>(info.idFrom));
    if (!list) return 0;
    const int entry = list->GetNextItem(-1, LVNI_SELECTED);
    if (TWindow* dialog = GetParent())
        dialog->SendCommand(static_cast<UINT>(static_cast<int>(info.idFrom) + entry), this);
    return 0;
}

QDSReportsMainDialog::QDSReportsMainDialog(TWindow* parent, TResId res_id, TModule* module)
    : QDSDialog(parent, res_id, module) {
    TabCtrl = new QDSReportsTabCtrl(this, 101, module);
    BuildTabs();
    size_t count = 0;
    const reports::CatalogEntry* entries = reports::Entries(&count);
    for (size_t i = 0; i < count; ++i) {
        const int command = entries[i].command;
        OnCommand(static_cast<UINT>(command), [this, command] { Launch(command); });
    }
    OnMessage(WM_START_OVERNITES,
              [this](WPARAM wp, LPARAM lp) { return WM_Start_OverNites(wp, lp); });
}

QDSReportsMainDialog::~QDSReportsMainDialog() {
    delete TabCtrl;
}

bool QDSReportsMainDialog::HasRight(int right) const {
    if (!App) return false;
    if (right == 0) return App->special_version == reports::kSpecialVersion;
    return App->UserHasAccess(reports::kModuleRightsId, right, this, false);
}

void QDSReportsMainDialog::BuildTabs() {
    if (!TabCtrl) return;
    App = QDSApplication::Instance();
    size_t count = 0;
    const reports::CatalogTab* tabs = reports::Tabs(&count);
    for (size_t i = 0; i < count; ++i) {
        const reports::CatalogTab& tab = tabs[i];
        if (!HasRight(tab.right)) continue;
        auto* list = new QDSListWindow(nullptr, tab.page, 0, 0, 0, 0, tab.bitmap, GetModule());
        if (tab.right != 0) {
            TabCtrl->AddPage(tab.caption_id, list, tab.image, TColorLtGray, 0);
            continue;
        }
        // The custom tab bears the name the practice gave its version, when it has one.
        // At most 63 characters of the name (French names have accents: characters, not
        // bytes).
        std::string name;
        {
            SysWDIniObj sys;
            name = host::U8Left(sys.read_strini("SpecialVersionName", ""), 63);
        }
        if (!name.empty())
            TabCtrl->AddPage(name, list, tab.image, TColorLtGray, 0);
        else
            TabCtrl->AddPage(tab.caption_id, list, tab.image, TColorLtGray, 0);
    }
}

std::vector<QDSListWindow*> QDSReportsMainDialog::ListsInLoadOrder() const {
    std::vector<QDSListWindow*> lists;
    if (!TabCtrl) return lists;
    auto add = [&](int page) {
        const reports::CatalogTab* tab = reports::FindTab(page);
        if (!tab || !HasRight(tab->right)) return;
        if (auto* list = TabCtrl->ChildAs<QDSListWindow>(page)) lists.push_back(list);
    };
    for (int page : kLoadOrder)
        add(page);
    add(kSpecialPage);
    return lists;
}

void QDSReportsMainDialog::SetupWindow() {
    QDSDialog::SetupWindow();
    LoadLists();
    // The tab the user last chose, when it is still offered.
    const int page = TUserInfo().ReadInt(kLastTabKey, 0);
    if (TabCtrl && page != 0)
        for (int i = 0; i < TabCtrl->GetCount(); ++i)
            if (TWindow* shown = TabCtrl->Tabs()[static_cast<size_t>(i)].page;
                shown && shown->GetId() == page)
                TabCtrl->SetSel(i);
}

LRESULT QDSReportsMainDialog::EvNotify(UINT id, NMHDR& info) {
    if (TabCtrl && id == static_cast<UINT>(TabCtrl->GetId()) && info.code == TCN_SELCHANGE)
        if (TWindow* page = TabCtrl->GetSelectedPage())
            TUserInfo().WriteInt(kLastTabKey, page->GetId());
    return QDSDialog::EvNotify(id, info);
}

void QDSReportsMainDialog::LoadLists() {
    for (QDSListWindow* list : ListsInLoadOrder()) {
        switch (ViewMode) {
            case 0:
                list->SendMessage(LVM_SETVIEW, LV_VIEW_ICON, 0);
                break;
            case 1:
                list->SendMessage(LVM_SETVIEW, LV_VIEW_SMALLICON, 0);
                break;
            case 2:
                list->SendMessage(LVM_SETVIEW, LV_VIEW_LIST, 0);
                list->SendMessage(LVM_SETCOLUMNWIDTH, 0, std::abs(TabCtrl->GetRect().w));
                break;
            default:
                break;
        }
        const reports::CatalogTab* tab = reports::FindTab(list->GetId());
        const int count = list->Load(tab->first_string, tab->last_string, ViewMode != 2);
        // Entries that do not run here stay in their place, dimmed, with the reason.
        for (int i = 0; i < count; ++i) {
            const std::string why = reports::UnavailableReason(tab->page + i);
            if (!why.empty()) list->SetItemDimmed(i, true, why);
        }
    }
}

void QDSReportsMainDialog::EmptyLists() {
    for (QDSListWindow* list : ListsInLoadOrder())
        list->SendMessage(LVM_DELETEALLITEMS, 0, 0);
}

void QDSReportsMainDialog::CmOk() {
    if (!TabCtrl) return;
    auto* list = dynamic_cast<QDSListWindow*>(TabCtrl->GetSelectedPage());
    if (!list) return;
    const int entry = list->GetNextItem(-1, LVNI_SELECTED);
    if (entry < 0) return;
    SendCommand(static_cast<UINT>(list->GetId() + entry), TabCtrl);
}

bool QDSReportsMainDialog::PreProcessMsg(MSG& msg) {
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_RETURN) {
        CmOk();
        return true;
    }
    return QDSDialog::PreProcessMsg(msg);
}

void QDSReportsMainDialog::Launch(int command) {
    const reports::CatalogEntry* entry = reports::FindEntry(command);
    if (!entry) return;
    reports::LaunchContext context{this, GetLauncherInfo(), GetModule()};
    reports::LaunchEntry(context, *entry);
}

LRESULT QDSReportsMainDialog::WM_Start_OverNites(WPARAM, LPARAM) {
    reports::LaunchContext context{this, GetLauncherInfo(), GetModule()};
    reports::RunOvernight(context);
    return 1;
}
