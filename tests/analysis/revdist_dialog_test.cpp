// The revenue distribution's dialog (7995) driven as a user would: today as the report
// date, a billing doctor by either code, and the values it refuses.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

#include "analysis/revdist_dialogs.h"
#include "host/base/dates.h"
#include "host/base/env.h"
#include "host/base/strings.h"
#include "host/output/paths.h"
#include "tests/analysis/revdist_practice.h"
#include "tests/common/support.h"

namespace {

namespace fs = std::filesystem;

class RevDistDialog : public common_test::DbTest {
  protected:
    void SetUp() override {
        DbTest::SetUp();
        revdist_test::BuildPractice(db());
        host::SetFixedToday(revdist_test::kDate);
        fs::remove(host::ReportFilePath("revdist.prt"));
    }
    // Opens the dialog, sets its fields and prints to the text file; true when it printed.
    bool Print(const std::function<void(TDialog&)>& fill) {
        TRevDistDlg dlg(nullptr, 7995, launcher());
        return DbTest::Print(dlg, fill);
    }
    static std::string Text() {
        std::ifstream in(host::ReportFilePath("revdist.prt"));
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }
};

TEST_P(RevDistDialog, TodayIsTheReportDateAndADoctorNarrowsTheRules) {
    ASSERT_TRUE(Print([](TDialog&) {}));
    EXPECT_NE(Text().find("Rapport pour la date de: 15/11/2024"), std::string::npos);
    EXPECT_NE(Text().find("Gagnon, Paul"), std::string::npos);
    for (const char* code : {"02", "D02"}) {
        ASSERT_TRUE(Print([&](TDialog& d) {
            Set(d, "billing_doctor", code);
            Set(d, "date", "20241112");
        }));
        const std::string text = Text();
        EXPECT_NE(text.find("Rapport pour la date de: 12/11/2024"), std::string::npos);
        EXPECT_NE(text.find("POUR Dr Paul Gagnon (D02), Dr Facturant 02"), std::string::npos);
        EXPECT_EQ(text.find("Tremblay, Marie"), std::string::npos) << text;
    }
}

TEST_P(RevDistDialog, AnUnknownDoctorOrAnEmptyDateIsRefused) {
    EXPECT_FALSE(Print([](TDialog& d) { Set(d, "billing_doctor", "H01"); }));
    ASSERT_FALSE(backend.Messages().empty());
    EXPECT_EQ(backend.Messages().back().text, host::LoadText(12570));
    EXPECT_FALSE(Print([](TDialog& d) { d.ChildAs<TEdit>(101)->UserType(""); }));
    EXPECT_EQ(backend.Messages().back().text, host::LoadText(12411));
    EXPECT_FALSE(fs::exists(host::ReportFilePath("revdist.prt")));
}

INSTANTIATE_TEST_SUITE_P(Engines, RevDistDialog, testing::ValuesIn(testing_support::Engines()),
                         testing_support::EngineName);

}  // namespace
