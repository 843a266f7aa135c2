// Databases for the suites that run on every engine: SQLite in memory always, and the
// PostgreSQL database named by RAPPORTS_TEST_PG when the test command has started one.
// Each PostgreSQL test works in a schema of its own, dropped afterwards.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "host/db/gendb.h"

namespace testing_support {

// "sqlite" and, when available, "postgresql".
std::vector<std::string> Engines();
// Readable test-name suffix for an engine parameter.
std::string EngineName(const testing::TestParamInfo<std::string>& info);

// A fresh, empty database on engine; with_schema creates the practice tables.
class TestDb {
  public:
    TestDb(const std::string& engine, bool with_schema, const std::string& prefix = "");
    ~TestDb();
    GenDB& db() { return *db_; }
    GenDB* operator->() { return db_.get(); }
    // A second connection to the same database (another workstation).
    std::unique_ptr<GenDB> OpenAnother();
    const std::string& dsn() const { return dsn_; }

  private:
    std::unique_ptr<GenDB> db_;
    std::string dsn_;
    std::string schema_;
    std::string file_;
    std::string prefix_;
};

// Writes the small demo practice (seed 1, today 2024-11-15) into an empty database; false
// with *error set when the generator fails.
bool WriteSmallDemo(GenDB& db, std::string* error);

}  // namespace testing_support
