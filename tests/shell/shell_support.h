// The host side of the shell suites: an application with chosen rights, the host's MDI
// frame, a scripted back end, and the module's handler (the module is linked in).
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

#include "host/base/env.h"
#include "host/base/ini.h"
#include "host/records/context.h"
#include "host/ui/qds.h"
#include "host/ui/recording.h"
#include "shell/module.h"
#include "shell/reports_app.h"
#include "shell/reports_dialog.h"

namespace shell_test {

class ShellTest : public testing::Test {
  protected:
    void SetUp() override {
        host::ui::SetBackend(&backend);
        QDSApplication::SetInstance(&app);
        frame = std::make_unique<TMDIFrame>("Cabinet");
        frame->Create();
        host::ui::SetMainWindow(frame.get());
        SysWDIniObj().write_strini("SpecialVersionName", nullptr);
    }
    void TearDown() override {
        if (QDSReportsApp* h = Handler(); h && h->ReportsWindow) h->ReportsWindow->CloseWindow();
        host::ui::SetMainWindow(nullptr);
        frame.reset();
        host::ui::DeliverPostedMessages();
        QDSApplication::SetInstance(nullptr);
        host::ui::SetBackend(nullptr);
    }

    static QDSReportsApp* Handler() { return dynamic_cast<QDSReportsApp*>(GetDllHandler()); }
    // Command 20115, as the host's menu sends it; the Reports Manager's dialog.
    QDSReportsMainDialog* Open() {
        EXPECT_TRUE(Handler()->HandleCommand(20115));
        CReportsMDI* window = Handler()->ReportsWindow;
        return window ? window->MainDialog : nullptr;
    }
    int CountEvents(const std::string& prefix) const {
        return static_cast<int>(
            std::count_if(backend.Events().begin(), backend.Events().end(),
                          [&](const std::string& e) { return e.rfind(prefix, 0) == 0; }));
    }

    host::ui::ScriptedBackend backend;
    QDSApplication app{nullptr};
    std::unique_ptr<TMDIFrame> frame;
};

}  // namespace shell_test
