// A practice database per engine with the application, a launcher over it and a scripted
// back end, for the suites of the report options and of the criteria dialogs.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "host/records/context.h"
#include "host/ui/recording.h"
#include "host/ui/reportdlg.h"
#include "host/ui/window.h"
#include "tests/support/testdb.h"

namespace common_test {

class DbTest : public testing::TestWithParam<std::string> {
  protected:
    void SetUp() override {
        t_ = std::make_unique<testing_support::TestDb>(GetParam(), true);
        app_ = std::make_unique<QDSApplication>(&t_->db());
        QDSApplication::SetInstance(app_.get());
        launcher_ = std::make_unique<LauncherInfo>(app_.get());
        host::ui::SetBackend(&backend);
    }
    void TearDown() override {
        host::ui::DeliverPostedMessages();
        host::ui::SetBackend(nullptr);
        launcher_.reset();
        QDSApplication::SetInstance(nullptr);
        app_.reset();
        t_.reset();
    }
    GenDB& db() { return t_->db(); }
    QDSApplication& app() { return *app_; }
    LauncherInfo* launcher() { return launcher_.get(); }
    void Exec(const std::string& sql) { ASSERT_EQ(db().dbExecute(sql), 0) << db().dbLastError(); }
    int64_t Int(const std::string& sql) { return db().QueryInt(sql, -999); }
    std::string Text(const std::string& sql) { return db().QueryText(sql, "<none>"); }
    // The settings rows 1 to `last`, empty, as a new practice has them.
    void SettingsRows(int last = 9) {
        for (int id = 1; id <= last; ++id)
            Exec("INSERT INTO PPSET (PPST_ID) VALUES (" + std::to_string(id) + ")");
    }

    // Opens dlg, lets fill set its fields and prints to the output kind (3: the text file);
    // true when it printed.
    bool Print(TReportBaseDlg& dlg, const std::function<void(TDialog&)>& fill, int kind = 3) {
        bool printed = false;
        backend.QueueDialog([&](TDialog& d) {
            fill(d);
            auto& r = static_cast<TReportBaseDlg&>(d);
            r.SetOutputChoice(kind);
            d.SendCommand(IDOK);
            printed = r.LastPrintSucceeded();
            if (r.IsRunning()) d.EndModal(IDCANCEL);
        });
        dlg.Execute();
        return printed;
    }
    static void Set(TDialog& d, const std::string& name, const std::string& value) {
        std::string error;
        EXPECT_TRUE(d.SetField(name, value, &error)) << name << "=" << value << ": " << error;
    }

    host::ui::ScriptedBackend backend;
    std::unique_ptr<testing_support::TestDb> t_;
    std::unique_ptr<QDSApplication> app_;
    std::unique_ptr<LauncherInfo> launcher_;
};

}  // namespace common_test
