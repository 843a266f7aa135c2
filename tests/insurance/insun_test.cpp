// The unresolved insurance report over the hand-built practice
// (tests/insurance/insar_practice.h) on every engine: which claims each option lists, the
// printed lines and totals, the data file, and the refusal without an option.
#include <gtest/gtest.h>

#include <cstdio>

#include "host/base/strings.h"
#include "host/output/paths.h"
#include "host/output/textprint.h"
#include "host/records/context.h"
#include "insurance/insun_run.h"
#include "tests/insurance/insar_practice.h"
#include "tests/output/helpers.h"
#include "tests/support/testdb.h"

namespace {

using testing_support::TestDb;

class InsUnTest : public output_test::WithBackend, public testing::WithParamInterface<std::string> {
  protected:
    void SetUp() override {
        WithBackend::SetUp();
        t_ = std::make_unique<TestDb>(GetParam(), true);
        insar_test::BuildPractice(t_->db());
        app_ = std::make_unique<QDSApplication>(&t_->db());
        QDSApplication::SetInstance(app_.get());
        launcher_ = std::make_unique<LauncherInfo>(app_.get());
    }
    void TearDown() override {
        launcher_.reset();
        QDSApplication::SetInstance(nullptr);
        WithBackend::TearDown();
    }
    // Runs the report; the claims' numbers in order ("-" for a claim without number) and
    // the printed lines.
    bool Run(const insun::Criteria& c, std::vector<std::string>* claims,
             std::vector<std::string>* lines, std::string* error,
             std::unique_ptr<InsUnResolvedRun>* kept = nullptr) {
        auto run = std::make_unique<InsUnResolvedRun>(c);
        const std::string path = host::output::OutputPath("insunrpt.prt");
        FILE* prt = std::fopen(path.c_str(), "w");
        const bool ok = reports::RunHeadless(*run, launcher_.get(), prt, 1, "insunrpt", error);
        if (prt) std::fclose(prt);
        if (!ok) return false;
        for (const insun::ClaimLine& l : run->Data().claims)
            claims->push_back(l.claim_no.empty() ? "-" : l.claim_no);
        std::vector<host::output::TextPage> pages;
        EXPECT_TRUE(host::output::ReadTextPages(path, &pages, error)) << *error;
        for (const auto& p : pages)
            lines->insert(lines->end(), p.begin(), p.end());
        if (kept) *kept = std::move(run);
        return true;
    }
    std::unique_ptr<TestDb> t_;
    std::unique_ptr<QDSApplication> app_;
    std::unique_ptr<LauncherInfo> launcher_;
};

const std::string* LineWith(const std::vector<std::string>& lines, const std::string& text) {
    for (const std::string& l : lines)
        if (l.find(text) != std::string::npos) return &l;
    return nullptr;
}

TEST_P(InsUnTest, EachOptionListsItsClaimsPatientByPatient) {
    insun::Criteria all{true, 20241001, true, 20241105, true};
    std::vector<std::string> claims, lines;
    std::string error;
    std::unique_ptr<InsUnResolvedRun> run;
    ASSERT_TRUE(Run(all, &claims, &lines, &error, &run)) << error;
    // O'Brien: B301 partly paid (last 11-01), 206 never sent; Roy (an undeleted patient of
    // a deleted account): C100 sent in March, never paid; Tremblay Léa: A200 never paid,
    // A300 pending, never sent. Not listed: A100 (paid 11-10), B300 (paid beyond its
    // estimate); B301's deleted line adds nothing.
    EXPECT_EQ(claims, (std::vector<std::string>{"B301", "-", "C100", "A200", "A300"}));
    const std::string* b301 = LineWith(lines, "B301");
    ASSERT_NE(b301, nullptr);
    EXPECT_NE(b301->find("O'Brien, Seán"), std::string::npos);
    EXPECT_NE(b301->find("05/10/2024  SUN           300.00       200.00       150.00"),
              std::string::npos)
        << *b301;
    const std::string* totals = LineWith(lines, "Totaux :");
    ASSERT_NE(totals, nullptr);
    EXPECT_NE(totals->find("690.00       495.00       445.00"), std::string::npos) << *totals;
    EXPECT_NE(LineWith(lines, "Facturé avant 01/10/2024"), nullptr);
    EXPECT_NE(LineWith(lines, "Non payé depuis 05/11/2024"), nullptr);
    const auto files = run->DataFiles();
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].xml_file, "\\XML\\insun.xml");
    EXPECT_EQ(files[0].table->Sum("Solde"), 44500);
    EXPECT_EQ(files[0].table->Sum("Paye"), 5000);
}

TEST_P(InsUnTest, TheDatesDecideWhatIsOverdue) {
    std::vector<std::string> claims, lines;
    std::string error;
    // Sent on 07-10: not before 07-10.
    ASSERT_TRUE(Run({true, 20240710, false, 0, false}, &claims, &lines, &error)) << error;
    EXPECT_EQ(claims, (std::vector<std::string>{"C100"}));
    EXPECT_EQ(LineWith(lines, "non facturées"), nullptr);
    claims.clear();
    // Paid on 11-01 and 11-10: both before 11-11.
    ASSERT_TRUE(Run({false, 0, true, 20241111, false}, &claims, &lines, &error)) << error;
    EXPECT_EQ(claims, (std::vector<std::string>{"B301", "A100"}));
    claims.clear();
    ASSERT_TRUE(Run({false, 0, false, 0, true}, &claims, &lines, &error)) << error;
    EXPECT_EQ(claims, (std::vector<std::string>{"-", "A300"}));
}

TEST_P(InsUnTest, NoOptionIsRefused) {
    std::vector<std::string> claims, lines;
    std::string error;
    EXPECT_FALSE(Run({}, &claims, &lines, &error));
    EXPECT_EQ(error, host::LoadText(6400));
}

INSTANTIATE_TEST_SUITE_P(Engines, InsUnTest, testing::ValuesIn(testing_support::Engines()),
                         testing_support::EngineName);

}  // namespace
