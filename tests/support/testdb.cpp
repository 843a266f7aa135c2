#include "tests/support/testdb.h"

#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>

#include "app/demo/demo.h"
#include "host/base/env.h"

namespace testing_support {
namespace {
std::atomic<int> g_counter{0};

std::string PgBase() {
    const char* v = std::getenv("RAPPORTS_TEST_PG");
    return v && *v ? std::string(v) : std::string();
}
}  // namespace

std::vector<std::string> Engines() {
    std::vector<std::string> e{"sqlite"};
    if (!PgBase().empty()) e.push_back("postgresql");
    return e;
}

std::string EngineName(const testing::TestParamInfo<std::string>& info) {
    return info.param;
}

TestDb::TestDb(const std::string& engine, bool with_schema, const std::string& prefix)
    : prefix_(prefix) {
    const int n = ++g_counter;
    std::string error;
    if (engine == "postgresql") {
        schema_ = "t" + std::to_string(getpid()) + "_" + std::to_string(n);
        std::string base = PgBase();
        std::unique_ptr<GenDB> admin = GenDB::Open(base, &error);
        if (!admin) throw std::runtime_error("PostgreSQL: " + error);
        admin->dbExecute("DROP SCHEMA IF EXISTS " + schema_ + " CASCADE");
        if (admin->dbExecute("CREATE SCHEMA " + schema_) != 0)
            throw std::runtime_error(admin->dbLastError());
        dsn_ = base + (base.find('?') == std::string::npos ? "?" : "&") +
               "options=-csearch_path%3D" + schema_;
    } else {
        // A file, so that a second connection can share it.
        file_ = host::Env().data_dir + "/test" + std::to_string(n) + ".db";
        std::filesystem::remove(file_);
        dsn_ = "sqlite:" + file_;
    }
    if (!prefix_.empty())
        dsn_ += (dsn_.find('?') == std::string::npos ? "?" : "&") + ("prefix=" + prefix_);
    db_ = GenDB::Open(dsn_, &error);
    if (!db_) throw std::runtime_error("open " + dsn_ + ": " + error);
    if (with_schema && !host::CreateSchema(*db_, &error)) throw std::runtime_error(error);
}

std::unique_ptr<GenDB> TestDb::OpenAnother() {
    std::string error;
    return GenDB::Open(dsn_, &error);
}

TestDb::~TestDb() {
    db_.reset();
    if (!schema_.empty()) {
        std::string error;
        if (auto admin = GenDB::Open(PgBase(), &error))
            admin->dbExecute("DROP SCHEMA IF EXISTS " + schema_ + " CASCADE");
    }
    if (!file_.empty()) {
        std::error_code ec;
        for (const char* ext : {"", "-wal", "-shm"})
            std::filesystem::remove(file_ + ext, ec);
    }
}

bool WriteSmallDemo(GenDB& db, std::string* error) {
    demo::DemoOptions o;
    o.size = demo::Size::Small;
    o.seed = 1;
    o.today = 20241115;
    demo::DemoStats stats;
    return demo::GenerateDemo(db, o, &stats, error);
}

}  // namespace testing_support
