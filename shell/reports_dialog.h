// The Reports Manager's dialog: a tab control whose pages list the catalog's entries, one
// page per tab the user has the right to see. A double click or Enter on an entry sends
// the dialog the entry's command (page id + entry index), which launches the report.
#pragma once

#include "host/ui/qds.h"

class QDSReportsTabCtrl : public QDSTabCtrl {
  public:
    QDSReportsTabCtrl(TWindow* parent, int id, TModule* module);
    // NM_DBLCLK from a list page: WM_COMMAND (page id + first selected entry) to the
    // dialog. Other notifications are ignored.
    LRESULT EvNotify(UINT id, NMHDR& info) override;
};

class QDSReportsMainDialog : public QDSDialog {
  public:
    // Builds the tabs the user may see (resource 7000).
    QDSReportsMainDialog(TWindow* parent, TResId res_id, TModule* module);
    ~QDSReportsMainDialog() override;

    // Launches the selected entry of the page shown (OK and the Enter key).
    void CmOk() override;
    // Loads the lists in the current view mode.
    void SetupWindow() override;
    // Enter calls CmOk and is consumed.
    bool PreProcessMsg(MSG& msg) override;
    // A tab chosen by the user is remembered for the next opening (user setting
    // "RepLastTab", the tab's page id).
    LRESULT EvNotify(UINT id, NMHDR& info) override;

    // View mode: 0 large icons, 1 small icons, 2 list.
    int GetViewMode() const { return ViewMode; }
    void SetViewMode(int mode) { ViewMode = mode; }
    // Empties every list page, in loading order.
    void EmptyLists();
    // Applies the view mode to every list page and loads its entries.
    void LoadLists();
    // Message 4005: the overnight run.
    LRESULT WM_Start_OverNites(WPARAM wp, LPARAM lp);

    QDSReportsTabCtrl* TabCtrl = nullptr;
    QDSApplication* App = nullptr;
    int ViewMode = 0;

  private:
    void BuildTabs();
    void Launch(int command);
    // The list pages in loading order (pages the user may see and that exist).
    std::vector<QDSListWindow*> ListsInLoadOrder() const;
    bool HasRight(int right) const;
};
