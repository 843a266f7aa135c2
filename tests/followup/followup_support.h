// What the follow-up suites share: a database on each engine with a launcher over it, a
// helper that inserts rows, and a run of a report to its text pages.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/report_run.h"
#include "host/db/gendb.h"
#include "host/output/paths.h"
#include "host/output/textprint.h"
#include "host/records/context.h"
#include "tests/output/helpers.h"
#include "tests/support/practice_test.h"
#include "tests/support/rows.h"
#include "tests/support/testdb.h"

namespace followup_test {

// A practice of the test's own on each engine, filled row by row.
class EngineTest : public testing_support::PracticeTest<> {
  protected:
    void Insert(const std::string& table, const std::string& cols, const std::string& vals) {
        testing_support::Insert(db(), table, cols, vals);
    }
};

// Runs the report to "<document>.prt" and returns its pages' lines joined by "\n".
inline std::string RunToText(reports::ReportRun& run, LauncherInfo* launcher,
                             const std::string& document) {
    const std::string path = host::output::OutputPath(document + ".prt");
    FILE* prt = std::fopen(path.c_str(), "w");
    EXPECT_NE(prt, nullptr) << path;
    std::string error;
    EXPECT_TRUE(reports::RunHeadless(run, launcher, prt, 1, document, &error)) << error;
    if (prt) std::fclose(prt);
    std::vector<host::output::TextPage> pages;
    EXPECT_TRUE(host::output::ReadTextPages(path, &pages, &error)) << error;
    std::string text;
    for (const auto& p : pages)
        for (const auto& l : p)
            text += l + "\n";
    return text;
}

// The position of needle in text, failing the test when it is missing.
inline size_t At(const std::string& text, const std::string& needle) {
    const size_t at = text.find(needle);
    EXPECT_NE(at, std::string::npos) << "missing: " << needle << "\n" << text;
    return at;
}

}  // namespace followup_test
