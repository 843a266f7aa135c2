// The Reports Manager: tabs by rights and special version, launching by double click and
// Enter, one window at a time, views, and the catalog's tables against the string table.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <fstream>
#include <map>
#include <set>

#include "host/base/debuglog.h"
#include "host/base/strings.h"
#include "shell/catalog.h"
#include "shell/host_report_dlg.h"
#include "tests/shell/shell_support.h"

using shell_test::ShellTest;

namespace {

std::vector<std::string> Captions(QDSReportsMainDialog* dlg) {
    std::vector<std::string> out;
    for (const auto& tab : dlg->TabCtrl->Tabs())
        out.push_back(tab.caption);
    return out;
}

QDSListWindow* Page(QDSReportsMainDialog* dlg, int page) {
    return dlg->TabCtrl->ChildAs<QDSListWindow>(page);
}

}  // namespace

TEST_F(ShellTest, RightsThreeAndEightShowPatientThenAppointments) {
    app.SetRights({3, 8});
    QDSReportsMainDialog* dlg = Open();
    ASSERT_NE(dlg, nullptr);
    EXPECT_EQ(Captions(dlg), (std::vector<std::string>{" Patient ", " Rendez-Vous "}));
    ASSERT_NE(Page(dlg, 200), nullptr);
    ASSERT_NE(Page(dlg, 700), nullptr);
    EXPECT_EQ(Page(dlg, 100), nullptr);
    EXPECT_EQ(Page(dlg, 200)->GetItemCount(), 11);
    EXPECT_EQ(Page(dlg, 700)->GetItemCount(), 7);
    EXPECT_EQ(Page(dlg, 700)->GetItemText(2), host::LoadText(11077));
    EXPECT_EQ(dlg->TabCtrl->GetSel(), 0);

    // Every right, in the order of the tab strip; the custom tab needs the special version.
    app.SetRights({2, 3, 4, 5, 6, 7, 8, 9, 10});
    Handler()->ReportsWindow->CloseWindow();
    dlg = Open();
    EXPECT_EQ(Captions(dlg),
              (std::vector<std::string>{" Facturation ", " Patient ", " Système ", " Assurance ",
                                        " Configuration ", " Cabinet ", " Rendez-Vous ",
                                        " Clinique ", " Référence "}));
    // A right unknown to the module shows nothing more; no right at all, no tab.
    app.SetRights({1, 11});
    Handler()->ReportsWindow->CloseWindow();
    dlg = Open();
    EXPECT_EQ(dlg->TabCtrl->GetCount(), 0);
}

TEST_F(ShellTest, EnterLaunchesWhatADoubleClickLaunches) {
    app.SetRights({3, 8});
    QDSReportsMainDialog* dlg = Open();
    ASSERT_NE(dlg, nullptr);
    std::vector<std::pair<std::string, int>> launched;
    backend.SetDefaultDriver([&](TDialog& d) {
        if (auto* host = dynamic_cast<THostReportDlg*>(&d))
            launched.emplace_back(host->HostClassName(), host->HostResource());
        d.SendCommand(IDOK);
    });

    // Nothing selected: Enter does nothing, but is consumed.
    dlg->TabCtrl->UserSelect(1);
    MSG enter{dlg, WM_KEYDOWN, VK_RETURN, 0};
    EXPECT_TRUE(dlg->PreProcessMsg(enter));
    EXPECT_TRUE(launched.empty());
    MSG other{dlg, WM_KEYDOWN, VK_ESCAPE, 0};
    EXPECT_FALSE(dlg->PreProcessMsg(other));

    // Entry 1 of " Rendez-Vous ": command 701.
    Page(dlg, 700)->UserSelect(1);
    EXPECT_TRUE(dlg->PreProcessMsg(enter));
    Page(dlg, 700)->UserDoubleClick(1);
    // A double click on empty space selects nothing and launches nothing (command 699).
    Page(dlg, 700)->UserDoubleClick(-1);
    EXPECT_EQ(launched, (std::vector<std::pair<std::string, int>>{{"TAptDayshtDlg", 2045},
                                                                  {"TAptDayshtDlg", 2045}}));
    // Entry 2, the appointment list (702), is a host report this host provides: its own
    // dialog opens, not the notice.
    Page(dlg, 700)->UserDoubleClick(2);
    ASSERT_EQ(launched.size(), 2u);
    EXPECT_EQ(CountEvents("modal TApptListReportDlg 2043"), 1);
    // The OK command (1) is the same launch.
    Page(dlg, 700)->UserSelect(6);
    dlg->SendCommand(IDOK);
    ASSERT_EQ(launched.size(), 3u);
    EXPECT_EQ(launched.back(), (std::pair<std::string, int>{"ApptVerifyDlg", 2076}));
    // Enter acts on the page shown: on " Patient " with entry 0 selected, command 200.
    dlg->TabCtrl->UserSelect(0);
    Page(dlg, 200)->UserSelect(0);
    dlg->PreProcessMsg(enter);
    EXPECT_EQ(launched.back(), (std::pair<std::string, int>{"TPatListReportDlg", 2036}));
    EXPECT_EQ(CountEvents("modal THostReportDlg 7990"), 4);
}

TEST_F(ShellTest, OneReportsManagerAtATime) {
    QDSReportsMainDialog* first = Open();
    ASSERT_NE(first, nullptr);
    CReportsMDI* window = Handler()->ReportsWindow;
    // A second command 20115 creates nothing and brings the window forward.
    EXPECT_EQ(Open(), first);
    EXPECT_EQ(Handler()->ReportsWindow, window);
    EXPECT_EQ(frame->GetMDIClient()->MDIChildren().size(), 1u);
    EXPECT_EQ(CountEvents("window CReportsMDI «Gestionnaire de Rapports»"), 1);
    EXPECT_EQ(backend.Events().back(), "activate CReportsMDI «Gestionnaire de Rapports»");

    // Closed, then opened again: a fresh window.
    window->CloseWindow();
    EXPECT_EQ(Handler()->ReportsWindow, nullptr);
    EXPECT_TRUE(frame->GetMDIClient()->MDIChildren().empty());
    EXPECT_NE(Open(), nullptr);
    EXPECT_EQ(CountEvents("window CReportsMDI"), 2);
    EXPECT_EQ(frame->GetMDIClient()->MDIChildren().size(), 1u);
}

TEST_F(ShellTest, OpensMaximisedOverAMaximisedWindow) {
    auto* other = new TMDIChild(*frame->GetMDIClient(), "Dossier patient");
    other->Create();
    other->SendMessage(WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    ASSERT_EQ(frame->GetMDIClient()->GetActiveMDIChild(), other);
    Open();
    EXPECT_EQ(Handler()->ReportsWindow->GetShowState(), SW_SHOWMAXIMIZED);
    EXPECT_EQ(frame->GetMDIClient()->GetActiveMDIChild(), Handler()->ReportsWindow);
    Handler()->ReportsWindow->CloseWindow();

    other->SendMessage(WM_SYSCOMMAND, SC_RESTORE, 0);
    Open();
    EXPECT_EQ(Handler()->ReportsWindow->GetShowState(), SW_SHOWNORMAL);
}

TEST_F(ShellTest, TheCustomTabBearsTheVersionName) {
    app.SetRights({});
    app.special_version = 10;
    QDSReportsMainDialog* dlg = Open();
    EXPECT_EQ(Captions(dlg), (std::vector<std::string>{"Sur Mesure"}));
    ASSERT_NE(Page(dlg, 1000), nullptr);
    EXPECT_EQ(Page(dlg, 1000)->GetItemCount(), 5);
    Handler()->ReportsWindow->CloseWindow();

    // The name set for the version, at most 63 characters, accented ones counting one each.
    auto repeat = [](const std::string& s, int n) {
        std::string out;
        for (int i = 0; i < n; ++i)
            out += s;
        return out;
    };
    const std::pair<std::string, std::string> names[] = {
        {"Édition Laval-Ouest", "Édition Laval-Ouest"},
        {repeat("x", 70), repeat("x", 63)},
        {repeat("x", 30) + repeat("é", 40), repeat("x", 30) + repeat("é", 33)},
    };
    for (const auto& [name, caption] : names) {
        SysWDIniObj().write_strini("SpecialVersionName", name.c_str());
        dlg = Open();
        EXPECT_EQ(Captions(dlg), (std::vector<std::string>{caption}));
        Handler()->ReportsWindow->CloseWindow();
    }

    // Another version code: no custom tab, whatever the name.
    app.special_version = 9;
    dlg = Open();
    EXPECT_EQ(dlg->TabCtrl->GetCount(), 0);
}

TEST_F(ShellTest, SwitchingViewsRefillsEveryListOnceAndTheChecksFollow) {
    app.special_version = 10;
    QDSReportsMainDialog* dlg = Open();
    CReportsMDI* window = Handler()->ReportsWindow;
    size_t tab_count = 0;
    const reports::CatalogTab* tabs = reports::Tabs(&tab_count);
    auto check = [&](int view, bool images) {
        for (size_t i = 0; i < tab_count; ++i) {
            QDSListWindow* list = Page(dlg, tabs[i].page);
            ASSERT_NE(list, nullptr) << tabs[i].page;
            EXPECT_EQ(list->GetItemCount(), tabs[i].last_string - tabs[i].first_string + 1)
                << tabs[i].page;
            EXPECT_EQ(list->GetView(), view) << tabs[i].page;
            EXPECT_EQ(list->ShowsImages(), images);
            EXPECT_EQ(list->GetItemText(0), host::LoadText(tabs[i].first_string));
            EXPECT_EQ(list->GetItemImage(1), images ? 1 : -1);
        }
    };
    auto checks = [&] {
        window->InitMenuPopup();
        return std::make_pair(window->GetMenuDescr()->IsChecked(10121),
                              window->GetMenuDescr()->IsChecked(10122));
    };
    EXPECT_EQ(dlg->ViewMode, 0);
    check(LV_VIEW_ICON, true);
    EXPECT_EQ(checks(), std::make_pair(true, false));

    window->SendCommand(10122);
    EXPECT_EQ(dlg->ViewMode, 2);
    check(LV_VIEW_LIST, false);
    EXPECT_EQ(Page(dlg, 600)->GetColumnWidth(0), 460);
    EXPECT_EQ(checks(), std::make_pair(false, true));
    EXPECT_EQ(TUserInfo().ReadInt("RepListView", -1), 2);
    window->SendCommand(10122);
    check(LV_VIEW_LIST, false);

    window->SendCommand(10121);
    check(LV_VIEW_ICON, true);
    EXPECT_EQ(checks(), std::make_pair(true, false));
    EXPECT_EQ(TUserInfo().ReadInt("RepListView", -1), 0);

    // The stored mode is only written: a new window opens with icons.
    window->SendCommand(10122);
    window->CloseWindow();
    dlg = Open();
    EXPECT_EQ(dlg->ViewMode, 0);
    EXPECT_EQ(Page(dlg, 100)->GetView(), LV_VIEW_ICON);
}

TEST_F(ShellTest, EntriesWithoutTheirDialogSaySoAndHostEntriesNameTheirDialog) {
    QDSReportsMainDialog* dlg = Open();
    std::string notice;
    backend.QueueDialog([&](TDialog& d) {
        notice = d.GetControl(101)->GetText();
        EXPECT_EQ(d.GetCaption(), host::LoadText(11000));
        d.SendCommand(IDOK);
    });
    dlg->SendCommand(200);
    // The user reads what the entry is, not the names of the program's inner parts.
    EXPECT_EQ(notice.find("TPatListReportDlg"), std::string::npos) << notice;
    EXPECT_EQ(notice.find("2036"), std::string::npos) << notice;
    EXPECT_NE(notice.find("« Liste des patients »"), std::string::npos) << notice;
    EXPECT_TRUE(backend.Messages().empty());

    // An entry whose report is not part of the module yet says so, by the entry's name,
    // without a class name, and opens no dialog.
    ASSERT_FALSE(reports::IsAvailable(105));
    backend.ClearRecords();
    const size_t drivers = backend.PendingDrivers();
    dlg->SendCommand(105);
    EXPECT_EQ(backend.PendingDrivers(), drivers);
    ASSERT_EQ(backend.Messages().size(), 1u);
    const std::string& text = backend.Messages()[0].text;
    EXPECT_NE(text.find("« " + host::LoadText(11030) + " »"), std::string::npos) << text;
    EXPECT_NE(text.find("n'est pas encore disponible"), std::string::npos) << text;
    EXPECT_EQ(text.find("TTrtStsReportDlg"), std::string::npos) << text;
    EXPECT_EQ(backend.Messages()[0].flags & MB_ICONMASK, MB_ICONINFORMATION);
    // A command that is no entry (a double click below the first entry) does nothing.
    EXPECT_EQ(dlg->SendCommand(99), 0);
}

TEST_F(ShellTest, OvernightMessageGoesThroughTheWindowToItsDialog) {
    Open();
    const std::string log = host::Env().station_dir + "/overnight-test.log";
    host::SetDebugLogPath(log);
    EXPECT_EQ(Handler()->ReportsWindow->SendMessage(WM_START_OVERNITES, 0, 0), 1);
    host::SetDebugLogPath("");
    if (!reports::IsAvailable(301)) {
        std::ifstream in(log);
        std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        EXPECT_NE(all.find(host::LoadText(12418)), std::string::npos);
    }
}

TEST(Catalog, TablesAgreeWithTheStringTableAndTheResponseTable) {
    size_t tab_count = 0, entry_count = 0;
    const reports::CatalogTab* tabs = reports::Tabs(&tab_count);
    const reports::CatalogEntry* entries = reports::Entries(&entry_count);
    ASSERT_EQ(tab_count, 10u);
    std::map<int, int> per_page;
    std::set<int> resources;
    for (size_t i = 0; i < entry_count; ++i) {
        const reports::CatalogEntry& e = entries[i];
        ++per_page[e.command / 100 * 100];
        const reports::CatalogTab* tab = reports::FindTab(e.command / 100 * 100);
        ASSERT_NE(tab, nullptr) << e.command;
        EXPECT_FALSE(host::LoadText(tab->first_string + e.command - tab->page).empty())
            << e.command;
        switch (e.kind) {
            case reports::EntryKind::Template:
                EXPECT_NE(std::string(e.target).find(".rpt"), std::string::npos) << e.command;
                break;
            case reports::EntryKind::ModuleDialog:
                EXPECT_TRUE(resources.insert(e.resource).second) << e.command;
                EXPECT_GE(e.resource, 7000);
                break;
            case reports::EntryKind::HostDialog:
                EXPECT_GE(e.resource, 2031);
                EXPECT_LE(e.resource, 2076);
                break;
        }
    }
    int total = 0;
    for (size_t t = 0; t < tab_count; ++t) {
        const int strings = tabs[t].last_string - tabs[t].first_string + 1;
        EXPECT_EQ(per_page[tabs[t].page], strings) << tabs[t].page;
        total += strings;
        // Commands run from the page id without a gap.
        for (int k = 0; k < strings; ++k)
            EXPECT_NE(reports::FindEntry(tabs[t].page + k), nullptr) << tabs[t].page + k;
    }
    EXPECT_EQ(total, static_cast<int>(entry_count));
    EXPECT_EQ(entry_count, 77u);

    // The exported tables are the same ones.
    const reports::CatalogData* data = RapportsCatalog();
    EXPECT_EQ(data->entries, entries);
    EXPECT_EQ(data->entry_count, entry_count);
    EXPECT_TRUE(data->available(600));
    EXPECT_FALSE(data->available(12345));
}

TEST(Module, AttachesAreCountedAndTheLastDetachDeletesTheHandler) {
    // The loader attached the module once when the suite started.
    ASSERT_EQ(RapportsModuleAttachCount(), 1);
    QDSDllHandler* handler = GetDllHandler();
    ASSERT_NE(handler, nullptr);

    // Loading the library again gives the same module and the same handler.
    Dl_info info{};
    ASSERT_NE(dladdr(reinterpret_cast<void*>(&GetDllHandler), &info), 0);
    void* again = dlopen(info.dli_fname, RTLD_NOW);
    ASSERT_NE(again, nullptr) << dlerror();
    auto get = reinterpret_cast<QDSDllHandler* (*)()>(dlsym(again, "GetDllHandler"));
    ASSERT_NE(get, nullptr);
    EXPECT_EQ(get(), handler);
    dlclose(again);
    EXPECT_EQ(GetDllHandler(), handler);

    // A second attach keeps the handler; detaches bring the count back and the last one
    // deletes it; the next attach makes a fresh handler.
    EXPECT_TRUE(RapportsModuleAttach());
    EXPECT_EQ(RapportsModuleAttachCount(), 2);
    EXPECT_EQ(GetDllHandler(), handler);
    RapportsModuleDetach();
    EXPECT_EQ(RapportsModuleAttachCount(), 1);
    EXPECT_EQ(GetDllHandler(), handler);
    RapportsModuleDetach();
    EXPECT_EQ(RapportsModuleAttachCount(), 0);
    EXPECT_EQ(GetDllHandler(), nullptr);
    RapportsModuleDetach();  // one detach too many is harmless
    EXPECT_EQ(RapportsModuleAttachCount(), 0);
    EXPECT_TRUE(RapportsModuleAttach());
    EXPECT_EQ(RapportsModuleAttachCount(), 1);
    ASSERT_NE(GetDllHandler(), nullptr);
    EXPECT_TRUE(GetDllHandler()->HandlesCommand(20115));
}
