// Helpers of the user-interface suites: a scripted back end installed for each test and
// dialogs built from template text.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "host/ui/dlgtemplate.h"
#include "host/ui/recording.h"

namespace ui_test {

// Installs a fresh scripted back end for the test and removes it afterwards.
class ScriptedTest : public testing::Test {
  protected:
    void SetUp() override { host::ui::SetBackend(&backend); }
    void TearDown() override {
        host::ui::DeliverPostedMessages();
        host::ui::SetBackend(nullptr);
    }
    host::ui::ScriptedBackend backend;
};

inline std::shared_ptr<const host::ui::DialogTemplate> Template(const std::string& text) {
    auto t = std::make_shared<host::ui::DialogTemplate>();
    std::string error;
    EXPECT_TRUE(host::ui::ParseDialogTemplate(text, "test.dlg", t.get(), &error)) << error;
    return t;
}

}  // namespace ui_test
