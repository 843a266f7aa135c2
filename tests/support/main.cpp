// Test start-up: a private station folder, a fixed clock and the source tree's resources,
// so that every suite runs the same way on any machine.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "host/base/dates.h"
#include "host/base/debuglog.h"
#include "host/base/env.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    namespace fs = std::filesystem;
    char tmpl[] = "/tmp/rapports-test-XXXXXX";
    const char* dir = mkdtemp(tmpl);
    if (!dir) return 2;
    host::Env().station_dir = std::string(dir) + "/station";
    host::Env().data_dir = std::string(dir) + "/data";
    host::Env().output_dir = std::string(dir) + "/out";
    host::Env().station_name = "POSTE-TEST";
    host::Env().user = "testeur";
    for (const auto& d : {host::Env().station_dir, host::Env().data_dir, host::Env().output_dir})
        host::EnsureDir(d);
    host::SetFixedToday(20241115);
    host::SetFixedTime(17, 30, 0);
    const int rc = RUN_ALL_TESTS();
    if (!std::getenv("RAPPORTS_KEEP_TEST_DIR")) {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    return rc;
}
