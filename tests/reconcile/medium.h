// The medium demo practice (seed 1, today 2024-11-15), generated once per engine for the
// reconciliation suites: reports that print the same money must agree on it. A suite that
// runs the producer analysis day after day may ask for the practice with its months closed
// through a month (ClosedThrough): its first month-end carries the history before into the
// producers' records, as in an office that closes its months, and the analysis starts
// after it. The tests' dialogs and messages go to a scripted back end.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>

#include "app/demo/demo.h"
#include "closing/mthend_state.h"
#include "host/base/dates.h"
#include "host/records/context.h"
#include "host/ui/recording.h"
#include "tests/support/testdb.h"

namespace reconcile {

inline constexpr long kToday = 20241115;

class MediumPractice : public testing::TestWithParam<std::string> {
  protected:
    // YYYYMM of the last month closed; 0: none, the practice as generated.
    virtual long ClosedThrough() const { return 0; }

    void SetUp() override {
        const long closed = ClosedThrough();
        auto& slot = Dbs()[GetParam() + "/" + std::to_string(closed)];
        if (!slot) {
            slot = std::make_unique<testing_support::TestDb>(GetParam(), false);
            demo::DemoOptions o;
            o.size = demo::Size::Medium;
            o.seed = 1;
            o.today = kToday;
            std::string error;
            demo::DemoStats stats;
            ASSERT_TRUE(demo::GenerateDemo(slot->db(), o, &stats, &error)) << error;
            if (closed) {
                mthend::CloseRequest r;
                r.period = mthend::MonthPeriod(static_cast<int>(closed / 100),
                                               static_cast<int>(closed % 100));
                r.today = kToday;
                std::vector<long> unprinted;
                ASSERT_EQ(mthend::PerformMthend(slot->db(), r, &unprinted, &error),
                          mthend::CloseResult::Closed)
                    << error;
            }
        }
        db_ = &slot->db();
        app_ = std::make_unique<QDSApplication>(db_);
        QDSApplication::SetInstance(app_.get());
        launcher_ = std::make_unique<LauncherInfo>(app_.get());
        host::ui::SetBackend(&backend_);
    }
    void TearDown() override {
        host::ui::SetBackend(nullptr);
        launcher_.reset();
        QDSApplication::SetInstance(nullptr);
        app_.reset();
    }
    GenDB& db() { return *db_; }
    QDSApplication& app() { return *app_; }
    LauncherInfo* launcher() { return launcher_.get(); }

    host::ui::ScriptedBackend backend_;

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
