// The fixture of the report tests that run over a practice of their own on every engine:
// the database (on the engine the parameter names: the parameter itself, or the first
// element of a tuple), an application over it (the application's instance while the test
// runs), a launcher, and the recording dialog backend.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <tuple>

#include "host/records/context.h"
#include "tests/output/helpers.h"
#include "tests/support/testdb.h"

namespace testing_support {

template <class Param = std::string>
class PracticeTest : public output_test::WithBackend, public testing::WithParamInterface<Param> {
  protected:
    void SetUp() override {
        WithBackend::SetUp();
        t_ = std::make_unique<TestDb>(EngineOf(this->GetParam()), Schema());
        Build(t_->db());
        if (testing::Test::HasFatalFailure()) return;
        app_ = std::make_unique<QDSApplication>(&t_->db());
        QDSApplication::SetInstance(app_.get());
        launcher_ = std::make_unique<LauncherInfo>(app_.get());
    }
    void TearDown() override {
        launcher_.reset();
        QDSApplication::SetInstance(nullptr);
        app_.reset();
        WithBackend::TearDown();
    }
    // Whether the database starts with the practice's tables (a demo writes its own).
    virtual bool Schema() const { return true; }
    // Fills the practice before the application opens it.
    virtual void Build(GenDB&) {}

    GenDB& db() { return t_->db(); }

    std::unique_ptr<TestDb> t_;
    std::unique_ptr<QDSApplication> app_;
    std::unique_ptr<LauncherInfo> launcher_;

  private:
    static const std::string& EngineOf(const std::string& engine) { return engine; }
    template <class... T>
    static const std::string& EngineOf(const std::tuple<std::string, T...>& p) {
        return std::get<0>(p);
    }
};

// The fixture over the small demo practice (seed 1, today 2024-11-15).
class SmallDemoTest : public PracticeTest<> {
  protected:
    bool Schema() const override { return false; }
    void Build(GenDB& db) override {
        std::string error;
        ASSERT_TRUE(WriteSmallDemo(db, &error)) << error;
    }
};

}  // namespace testing_support
