// The medium demo practice (seed 1, today 2024-11-15), generated once per engine for the
// reconciliation suites: reports that print the same money must agree on it.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>

#include "app/demo/demo.h"
#include "host/base/dates.h"
#include "host/records/context.h"
#include "tests/support/testdb.h"

namespace reconcile {

inline constexpr long kToday = 20241115;

class MediumPractice : public testing::TestWithParam<std::string> {
  protected:
    void SetUp() override {
        auto& slot = Dbs()[GetParam()];
        if (!slot) {
            slot = std::make_unique<testing_support::TestDb>(GetParam(), false);
            demo::DemoOptions o;
            o.size = demo::Size::Medium;
            o.seed = 1;
            o.today = kToday;
            std::string error;
            demo::DemoStats stats;
            ASSERT_TRUE(demo::GenerateDemo(slot->db(), o, &stats, &error)) << error;
        }
        db_ = &slot->db();
        app_ = std::make_unique<QDSApplication>(db_);
        QDSApplication::SetInstance(app_.get());
        launcher_ = std::make_unique<LauncherInfo>(app_.get());
    }
    void TearDown() override {
        launcher_.reset();
        QDSApplication::SetInstance(nullptr);
        app_.reset();
    }
    GenDB& db() { return *db_; }
    QDSApplication& app() { return *app_; }
    LauncherInfo* launcher() { return launcher_.get(); }

  private:
    static std::map<std::string, std::unique_ptr<testing_support::TestDb>>& Dbs() {
        static std::map<std::string, std::unique_ptr<testing_support::TestDb>> dbs;
        return dbs;
    }
    GenDB* db_ = nullptr;
    std::unique_ptr<QDSApplication> app_;
    std::unique_ptr<LauncherInfo> launcher_;
};

}  // namespace reconcile
