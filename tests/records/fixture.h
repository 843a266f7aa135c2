// A practice database per engine with the record classes' context (record list and
// message holder), and small helpers to put rows in and read them back by SQL.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "host/records/records.h"
#include "tests/support/testdb.h"

namespace records_test {

class RecordsTest : public testing::TestWithParam<std::string> {
  protected:
    void SetUp() override {
        t_ = std::make_unique<testing_support::TestDb>(GetParam(), true);
        list_ = std::make_unique<DLnkList>(&t_->db());
        msg_ = std::make_unique<MsgInfo>(3300, list_.get());
    }
    void TearDown() override {
        msg_.reset();
        list_.reset();
        t_.reset();
    }
    GenDB& db() { return t_->db(); }
    DLnkList* list() { return list_.get(); }
    MsgInfo* msg() { return msg_.get(); }
    void Exec(const std::string& sql) { ASSERT_EQ(db().dbExecute(sql), 0) << db().dbLastError(); }
    int64_t Int(const std::string& sql) { return db().QueryInt(sql, -999); }
    std::string Text(const std::string& sql) { return db().QueryText(sql, "<none>"); }

    std::unique_ptr<testing_support::TestDb> t_;
    std::unique_ptr<DLnkList> list_;
    std::unique_ptr<MsgInfo> msg_;
};

using testing_support::EngineName;

}  // namespace records_test
