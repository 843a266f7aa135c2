// The practice analysis reports over the hand-built practice (pa_practice.h): the printed
// text and the data tables against the figures computed by hand there, on every engine and
// in both calculation modes; the selection, the skipping and the drivers' switches.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "analysis/pracanal.h"
#include "analysis/pracanal_dialogs.h"
#include "common/report_run.h"
#include "host/output/paths.h"
#include "host/output/textprint.h"
#include "host/records/context.h"
#include "tests/analysis/pa_practice.h"
#include "tests/output/helpers.h"
#include "tests/support/practice_test.h"
#include "tests/support/testdb.h"

namespace {

using testing_support::TestDb;
using Words = std::vector<std::string>;

// The words of a line from column 20 on (period label and figures); columns count
// characters, not bytes.
Words Figures(const std::string& line) {
    size_t at = 0;
    for (int col = 0; col < 20 && at < line.size(); ++col)
        for (++at; at < line.size() && (static_cast<unsigned char>(line[at]) & 0xC0) == 0x80;)
            ++at;
    Words out;
    std::istringstream in(line.substr(at));
    for (std::string w; in >> w;)
        out.push_back(w);
    return out;
}

struct Printed {
    std::vector<std::string> lines;
    // Per report (0 production, 1 payments), the producers' lines by code, in order.
    std::vector<std::pair<std::string, std::vector<Words>>> blocks[2];
    std::string text;
    host::output::ReportTable production = EmptyPracAnalysisTable();
    host::output::ReportTable payments = EmptyPracAnalPmtTable();
};

class PracAnalTest : public testing_support::PracticeTest<> {
  protected:
    void Build(GenDB& db) override { pa_test::BuildPractice(db); }
    Printed Run(const std::string& code, bool by_billdr, short ytd, short pmts, int mode = 1) {
        app_->m_CalAR = mode;
        PracAnalysisRun run(launcher_.get(), pa_test::kReportDate, code, by_billdr, ytd, pmts);
        const std::string path = host::output::OutputPath("pranyrpt.prt");
        FILE* prt = std::fopen(path.c_str(), "w");
        std::string error;
        EXPECT_TRUE(reports::RunHeadless(run, launcher_.get(), prt, 1, "pranyrpt", &error))
            << error;
        std::fclose(prt);
        std::vector<host::output::TextPage> pages;
        EXPECT_TRUE(host::output::ReadTextPages(path, &pages, &error)) << error;
        Printed p;
        int report = -1;
        for (const auto& page : pages)
            for (const std::string& l : page) {
                p.lines.push_back(l);
                p.text += l + "\n";
                if (l.find("RAPPORT D'ANALYSE DE PRODUCTION") != std::string::npos) report = 0;
                if (l.find("RAPPORT D'ANALYSE DES PAIEMENTS") != std::string::npos) report = 1;
                if (report < 0) continue;
                const std::string head = l.substr(0, 3);
                const Words f = Figures(l);
                if (f.empty() || (f[0] != "Aujourd'hui" && f[0] != "MTD" && f[0] != "YTD"))
                    continue;
                auto& blocks = p.blocks[report];
                if (head != "   ") blocks.push_back({head, {}});
                if (!blocks.empty()) blocks.back().second.push_back(f);
            }
        p.production = run.Driver().ProductionTable();
        p.payments = run.Driver().PaymentTable();
        return p;
    }
    static std::vector<std::string> Codes(const Printed& p, int report) {
        std::vector<std::string> out;
        for (const auto& [code, lines] : p.blocks[report])
            out.push_back(code == "Tot" ? "Totaux" : code);
        return out;
    }
    static const std::vector<Words>& Block(const Printed& p, int report, const std::string& code) {
        for (const auto& [c, lines] : p.blocks[report])
            if (c == code) return lines;
        static const std::vector<Words> none;
        return none;
    }
};

TEST_P(PracAnalTest, PrintedFiguresAreTheHandComputedOnes) {
    for (int mode : {1, 0}) {
        SCOPED_TRACE(mode == 1 ? "SQL" : "day sheet");
        const Printed p = Run("*", false, 1, 1, mode);
        // D02 (flag 'Y', nothing to show) is skipped; D03, without a record, comes last.
        EXPECT_EQ(Codes(p, 0), (std::vector<std::string>{"D01", "A01", "H01", "D03", "Totaux"}))
            << p.text;
        EXPECT_EQ(Codes(p, 1), Codes(p, 0));
        EXPECT_NE(p.text.find("D03 Producteur Inco "), std::string::npos);
        EXPECT_NE(p.text.find("D01 Marie Tremblay"), std::string::npos);
        EXPECT_EQ(
            Block(p, 0, "D01"),
            (std::vector<Words>{
                {"Aujourd'hui", "2", "100.00", "30.00", "8.00", "-10.00", "128.00", "208.00"},
                {"MTD", "3", "310.00", "30.00", "15.00", "-10.00", "345.00", "425.00"},
                {"YTD", "13", "1,310.00", "80.00", "35.00", "-20.00", "1,405.00", "1,565.00"}}));
        // The auxiliary's "(Aux incl.)" column is blank; its production is in D01's.
        EXPECT_EQ(Block(p, 0, "A01")[0],
                  (Words{"Aujourd'hui", "1", "80.00", "0.00", "0.00", "0.00", "80.00"}));
        EXPECT_EQ(Block(p, 0, "H01")[1],
                  (Words{"MTD", "1", "60.00", "0.00", "0.00", "0.00", "60.00", "60.00"}));
        // Totals: every printed figure, the "(Aux incl.)" ones of doctors only.
        EXPECT_EQ(
            Block(p, 0, "Tot"),
            (std::vector<Words>{
                {"Aujourd'hui", "3", "180.00", "30.00", "8.00", "-10.00", "208.00", "208.00"},
                {"MTD", "6", "490.00", "30.00", "15.00", "-10.00", "525.00", "525.00"},
                {"YTD", "23", "1,870.00", "80.00", "35.00", "-20.00", "1,965.00", "1,965.00"}}));
        // Payments (the auxiliary's on D01); the net regular and lab columns blank on YTD.
        EXPECT_EQ(Block(p, 1, "D01"),
                  (std::vector<Words>{
                      {"Aujourd'hui", "-90.00", "10.00", "0.00", "-60.00", "-20.00", "-80.00"},
                      {"MTD", "-90.00", "10.00", "0.00", "-60.00", "-20.00", "-80.00"},
                      {"YTD", "-590.00", "10.00", "-5.00", "-585.00"}}));
        EXPECT_EQ(Block(p, 1, "H01"),
                  (std::vector<Words>{
                      {"Aujourd'hui", "0.00", "-10.00", "0.00", "-10.00", "0.00", "-10.00"},
                      {"MTD", "0.00", "-30.00", "-5.00", "-35.00", "0.00", "-35.00"},
                      {"YTD", "0.00", "-30.00", "-5.00", "-35.00"}}));
        EXPECT_EQ(Block(p, 1, "A01")[0],
                  (Words{"Aujourd'hui", "0.00", "0.00", "0.00", "0.00", "0.00", "0.00"}));
        EXPECT_EQ(Block(p, 1, "Tot")[2], (Words{"YTD", "-590.00", "-20.00", "-10.00", "-620.00"}));
        EXPECT_NE(p.text.find("Les transferts d'allocation sont des transferts interproducteurs"),
                  std::string::npos);

        // The data tables hold the printed rows: 4 producers x 3 periods, then 3 totals, and
        // each period's total row is the sum of its detail rows (auxiliaries aside for the
        // "(Aux incl.)" column).
        ASSERT_EQ(p.production.RowCount(), 15u);
        EXPECT_EQ(p.production.Sum("TotalFrais", "T"), 20800 + 52500 + 196500);
        EXPECT_EQ(p.production.Sum("TotalFrais"), p.production.Sum("TotalFrais", "T"));
        EXPECT_EQ(p.production.Sum("Procedures"), p.production.Sum("Procedures", "T"));
        EXPECT_EQ(p.production.Sum("TotalAuxIncl", "T"), 20800 + 52500 + 196500);
        ASSERT_EQ(p.payments.RowCount(), 15u);
        EXPECT_EQ(p.payments.Sum("NetTotal"), p.payments.Sum("NetTotal", "T"));
        EXPECT_EQ(p.payments.Sum("NetRegulier", "T"), -6000 - 1000 - 6000 - 3500);
    }
}

// One producer selected: its lines only, no totals. Every billing doctor ('*' by billing
// doctor): the lines credited to the doctors, without the hygienist and the auxiliary.
TEST_P(PracAnalTest, SelectionAndShownPeriods) {
    Printed p = Run("H01", false, 0, 0);
    EXPECT_EQ(Codes(p, 0), (std::vector<std::string>{"H01"}));
    EXPECT_EQ(Block(p, 0, "H01").size(), 2u);  // without YTD: the day and the month
    EXPECT_EQ(p.text.find("Totaux :"), std::string::npos);
    EXPECT_EQ(p.text.find("RAPPORT D'ANALYSE DES PAIEMENTS"), std::string::npos);
    EXPECT_EQ(p.payments.RowCount(), 0u);

    p = Run("01", false, 1, 0);  // a billing doctor's code selects its producer code
    EXPECT_EQ(Codes(p, 0), (std::vector<std::string>{"D01"}));

    p = Run("*", true, 1, 0);
    EXPECT_NE(p.text.find("Par producteur (Dr Facturant)"), std::string::npos);
    EXPECT_EQ(Codes(p, 0), (std::vector<std::string>{"D01", "D02", "Totaux"}));
    EXPECT_EQ(Block(p, 0, "D02")[1],
              (Words{"MTD", "1", "60.00", "0.00", "0.00", "0.00", "60.00", "60.00"}));
}

// The closings print the analysis only when their options ask for it.
TEST_P(PracAnalTest, CallerKindsFollowTheClosingChoice) {
    PracPrnObj dialog(launcher_.get(), nullptr, 0, pa_test::kReportDate, nullptr);
    EXPECT_TRUE(dialog.Runs());
    PracPrnObj dayend(launcher_.get(), nullptr, 1, pa_test::kReportDate, nullptr);
    dayend.SetPrint(1);
    dayend.SetFlags(1, 0, 'D');
    EXPECT_TRUE(dayend.Runs());
    dayend.SetFlags(1, 0, 'M');
    EXPECT_FALSE(dayend.Runs());
    EXPECT_TRUE(dayend.PrintReport(3));  // nothing to do is no failure
    PracPrnObj monthend(launcher_.get(), nullptr, 2, pa_test::kReportDate, nullptr);
    monthend.SetFlags(1, 1, 'M');
    EXPECT_FALSE(monthend.Runs());  // the print switch is off in a practice never saved
    monthend.SetPrint(1);
    EXPECT_TRUE(monthend.Runs());
}

INSTANTIATE_TEST_SUITE_P(Engines, PracAnalTest, testing::ValuesIn(testing_support::Engines()),
                         testing_support::EngineName);

}  // namespace
