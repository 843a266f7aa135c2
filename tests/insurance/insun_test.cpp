// The unresolved insurance report over the hand-built practice
// (tests/insurance/insar_practice.h) on every engine and in both calculation modes (SQL and
// record classes): which claims each option lists, the printed lines and totals, the data
// file, and the refusal without an option. Then both modes against each other over the
// small demo practice.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <tuple>

#include "host/base/strings.h"
#include "host/output/paths.h"
#include "host/output/textprint.h"
#include "host/records/context.h"
#include "insurance/insun_run.h"
#include "tests/insurance/insar_practice.h"
#include "tests/output/helpers.h"
#include "tests/support/practice_test.h"
#include "tests/support/rows.h"
#include "tests/support/testdb.h"

namespace {

using testing_support::TestDb;

// (engine, calculation mode)
using EngineMode = std::tuple<std::string, int>;

class InsUnTest : public testing_support::PracticeTest<EngineMode> {
  protected:
    void Build(GenDB& db) override { insar_test::BuildPractice(db); }
    // Runs the report; the claims' numbers in order ("-" for a claim without number) and
    // the printed lines.
    bool Run(const insun::Criteria& c, std::vector<std::string>* claims,
             std::vector<std::string>* lines, std::string* error,
             std::unique_ptr<InsUnResolvedRun>* kept = nullptr) {
        auto run = std::make_unique<InsUnResolvedRun>(c, std::get<1>(GetParam()));
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

// Office charges an insurer has begun to pay come under the partial option:
//   S-77  O'Brien, 50.00, MAN paid 20.00 on 10-20         -> listed, balance 30.00
//   S-78  Tremblay Luc, 30.00, SUN paid it all on 10-20    -> paid
//   S-79  Tremblay Luc, 40.00, paid by the patient         -> no insurer asked
//   S-80  O'Brien, 60.00, MAN paid 10.00 on 11-12          -> paid since the date
TEST_P(InsUnTest, OfficeChargesAnInsurerHasNotFinishedPayingArePartial) {
    auto ins = testing_support::Inserter(t_->db());
    const std::string och =
        "POCH_ID, POCH_PATID, POCH_DATE, POCH_SYSDATE, POCH_TOTAL, POCH_SERVNO, POCH_BILLDR";
    ins("PATOCH", och, "1, 21, 20241015, 20241015, 5000, 'S-77', '02'");
    ins("PATOCH", och, "2, 11, 20241015, 20241015, 3000, 'S-78', '01'");
    ins("PATOCH", och, "3, 11, 20241015, 20241015, 4000, 'S-79', '01'");
    ins("PATOCH", och, "4, 21, 20241015, 20241015, 6000, 'S-80', '02'");
    const std::string pmt =
        "APMT_ID, APMT_ACCID, APMT_RECTYPE, APMT_TYPE, APMT_DATE, APMT_SYSDATE, APMT_TOTAL, "
        "APMT_PAYOR";
    ins("ACCPMT", pmt, "10, 2, 'P', 'I', 20241020, 20241020, 2000, 'MAN'");
    ins("ACCPMT", pmt, "11, 1, 'P', 'I', 20241020, 20241020, 3000, 'SUN'");
    ins("ACCPMT", pmt, "12, 1, 'P', 'P', 20241020, 20241020, 1500, ''");
    ins("ACCPMT", pmt, "13, 2, 'P', 'I', 20241112, 20241112, 1000, 'MAN'");
    const std::string app =
        "PAPP_ID, PAPP_APMTID, PAPP_RECTYPE, PAPP_POCHID, PAPP_PATID, PAPP_TYPE, PAPP_DATE, "
        "PAPP_SYSDATE, PAPP_AMOUNT, PAPP_PRODUCER, PAPP_BILLDR";
    ins("PMTAPP", app, "10, 10, 'O', 1, 21, 'I', 20241020, 20241020, 2000, 'D02', '02'");
    ins("PMTAPP", app, "11, 11, 'O', 2, 11, 'I', 20241020, 20241020, 3000, 'D01', '01'");
    ins("PMTAPP", app, "12, 12, 'O', 3, 11, 'P', 20241020, 20241020, 1500, 'D01', '01'");
    ins("PMTAPP", app, "13, 13, 'O', 4, 21, 'I', 20241112, 20241112, 1000, 'D02', '02'");
    std::vector<std::string> claims, lines;
    std::string error;
    std::unique_ptr<InsUnResolvedRun> run;
    ASSERT_TRUE(Run({false, 0, true, 20241105, false}, &claims, &lines, &error, &run)) << error;
    EXPECT_EQ(claims, (std::vector<std::string>{"B301", "S-77"}));
    const std::string* s77 = LineWith(lines, "S-77");
    ASSERT_NE(s77, nullptr);
    EXPECT_NE(s77->find("MAN"), std::string::npos) << *s77;
    EXPECT_NE(s77->find("50.00        50.00        30.00"), std::string::npos) << *s77;
    EXPECT_EQ(run->DataFiles()[0].table->Sum("Solde"), 15000 + 3000);
    // Not asked for: the other options leave office charges alone.
    claims.clear();
    ASSERT_TRUE(Run({true, 20241001, false, 0, true}, &claims, &lines, &error)) << error;
    EXPECT_EQ(std::count(claims.begin(), claims.end(), "S-77"), 0);
}

TEST_P(InsUnTest, NoOptionIsRefused) {
    std::vector<std::string> claims, lines;
    std::string error;
    EXPECT_FALSE(Run({}, &claims, &lines, &error));
    EXPECT_EQ(error, host::LoadText(6400));
}

INSTANTIATE_TEST_SUITE_P(Engines, InsUnTest,
                         testing::Combine(testing::ValuesIn(testing_support::Engines()),
                                          testing::Values(1, 0)),
                         [](const testing::TestParamInfo<EngineMode>& info) {
                             return std::get<0>(info.param) +
                                    (std::get<1>(info.param) == 1 ? "_sql" : "_records");
                         });

// Every field of every listed claim, in order, for comparing the two modes.
std::vector<std::string> Listed(const insun::InsUnData& d) {
    std::vector<std::string> out;
    for (const insun::ClaimLine& l : d.claims)
        out.push_back(std::to_string(l.pat_id) + "|" + l.patient + "|" + l.chart + "|" +
                      l.assigned + l.status + "|" + l.doctor + "|" + std::to_string(l.claim_id) +
                      "|" + l.claim_no + "|" + std::to_string(l.submitted) + "|" + l.carrier + "|" +
                      std::to_string(l.claimed) + "|" + std::to_string(l.estimate) + "|" +
                      std::to_string(l.paid) + "|" + std::to_string(l.last_paid) + "|" +
                      std::to_string(static_cast<int>(l.reason)));
    return out;
}

using InsUnDemoTest = testing_support::SmallDemoTest;

// The record classes and SQL give the same list over the small demo practice.
TEST_P(InsUnDemoTest, BothModesListTheSameClaims) {
    std::string error;
    // The small demo has claims of each kind but unbilled ones with an insured estimate.
    const insun::Criteria cases[] = {{true, 20241201, false, 0, false},
                                     {false, 0, true, 20241101, false},
                                     {true, 20241201, true, 20241101, true}};
    for (const insun::Criteria& c : cases) {
        insun::InsUnData sql, records;
        ASSERT_EQ(insun::Collect(c, launcher_.get(), nullptr, &sql, &error, 1),
                  reports::Outcome::Done)
            << error;
        ASSERT_EQ(insun::Collect(c, launcher_.get(), nullptr, &records, &error, 0),
                  reports::Outcome::Done)
            << error;
        EXPECT_FALSE(sql.claims.empty());
        EXPECT_EQ(Listed(sql), Listed(records));
    }
}

INSTANTIATE_TEST_SUITE_P(Engines, InsUnDemoTest, testing::ValuesIn(testing_support::Engines()),
                         testing_support::EngineName);

}  // namespace
