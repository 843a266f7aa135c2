// The module's handler (QDSReportsApp) and its Reports Manager window (CReportsMDI), an
// MDI child of the host's frame whose client is the Reports Manager dialog.
#pragma once

#include <string>

#include "host/ui/qds.h"

class QDSReportsMainDialog;
class CReportsMDI;

// The handler the host drives: command 20115 opens the Reports Manager or brings the open
// one forward.
class QDSReportsApp : public QDSDllHandler {
  public:
    explicit QDSReportsApp(const std::string& name = "");
    // Closes a Reports Manager still open.
    ~QDSReportsApp() override;
    void CmReports();

    // The open Reports Manager, null when none is open.
    CReportsMDI* ReportsWindow = nullptr;
};

// The Reports Manager's MDI child: its menu switches the lists' view ("Miniatures",
// "Liste") and it forwards message 4005 to its dialog.
class CReportsMDI : public OVMDIChild {
  public:
    CReportsMDI(int child_id, TMDIClient& parent, const std::string& title,
                QDSReportsMainDialog* client, bool shrink_to_client, TModule* module, int style,
                int flags);
    // Tells the handler that no Reports Manager is open any more.
    ~CReportsMDI() override;
    // Commands 10121 (mode 0) and 10122 (mode 2): saves the mode as the user's
    // "RepListView", then empties and reloads every list.
    void ChangeView(int mode);

    QDSReportsMainDialog* MainDialog;
};

// The menu of the Reports Manager and its commands.
inline constexpr int kViewMenuId = 10120;
inline constexpr UINT kCmViewIcons = 10121;
inline constexpr UINT kCmViewList = 10122;
// The window's icon.
inline constexpr int kReportsIconId = 5014;
// The window's title: "Gestionnaire de Rapports", the caption of its dialog.
inline constexpr int kReportsTitleId = 12417;
