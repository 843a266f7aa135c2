// The reprint of a real month-end: the month-end report over the day-end suites' practice
// is printed, kept as the month-end keeps it, and reprinted; the reprint has the same
// pages with the same lines.
#include <gtest/gtest.h>

#include "closing/mthend_reports.h"
#include "closing/reprint_me.h"
#include "host/base/text.h"
#include "host/output/paths.h"
#include "host/output/textprint.h"
#include "tests/closing/dayend_practice.h"

namespace {

class MonthEndReprint : public dayend_test::DayTest {};

std::vector<host::output::TextPage> Pages(const std::string& path) {
    std::vector<host::output::TextPage> pages;
    std::string error;
    EXPECT_TRUE(host::output::ReadTextPages(path, &pages, &error)) << error;
    return pages;
}

TEST_P(MonthEndReprint, PrintsTheMonthEndsPagesAgain) {
    mthend::Criteria c;
    c.first = 20241101;
    c.last = 20241130;
    MonthEndReportRun run(c, true, true);
    followup_test::RunToText(run, launcher_.get(), "mthend");
    const std::string prt = host::output::OutputPath("mthend.prt");
    const std::string kept = host::output::OutputPath(mthend::ReprintName(c.last));
    std::string error;
    ASSERT_TRUE(mthend::CreateReprintFile(prt, kept, &error)) << error;

    const std::string again = host::output::OutputPath("reprint-mthend.prt");
    std::FILE* out = std::fopen(again.c_str(), "w");
    ReprintMEObj obj(nullptr, launcher_.get(), kept, out);
    ASSERT_TRUE(obj.PrintReport());
    std::fclose(out);

    const auto before = Pages(prt), after = Pages(again);
    ASSERT_GT(before.size(), 1u);
    ASSERT_EQ(after.size(), before.size());
    for (size_t p = 0; p < before.size(); ++p) {
        SCOPED_TRACE(p + 1);
        // Every line of the month-end's page is on the reprinted page, in its order; the
        // page's title comes back under the reprint's own page number.
        auto plain = [](const std::string& line) {
            return host::Trim(line.substr(0, line.find("Page :")));
        };
        size_t at = 0;
        for (const std::string& line : before[p]) {
            const std::string want = plain(line);
            if (want.empty()) continue;
            while (at < after[p].size() && plain(after[p][at]) != want)
                ++at;
            ASSERT_LT(at, after[p].size()) << "missing: " << line;
        }
        EXPECT_NE(after[p][0].find(host::U8Format("Page : %4zu", p + 1)), std::string::npos)
            << after[p][0];
    }
}

INSTANTIATE_TEST_SUITE_P(Engines, MonthEndReprint, testing::ValuesIn(testing_support::Engines()),
                         testing_support::EngineName);

}  // namespace
