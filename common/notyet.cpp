#include "common/notyet.h"

#include <cstdio>

#include "host/base/strings.h"
#include "host/ui/reportdlg.h"

namespace {
constexpr int kNotYetAvailable = 12449;
}

bool ReportNotYetAvailable(TReportBaseDlg& dlg) {
    char text[512];
    std::snprintf(text, sizeof text, host::LoadText(kNotYetAvailable).c_str(),
                  dlg.GetCaption().c_str());
    dlg.MessageBox(text, dlg.GetCaption(), MB_OK | MB_ICONINFORMATION);
    return false;
}
