// The daily deposit over the hand-built practice (deposit_practice.h): the figures bank by
// bank in both calculation modes, the text and the data files, the adjustments sheet, one
// billing doctor's part, and an empty day.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "closing/deposit_reports.h"
#include "tests/closing/deposit_practice.h"

namespace {

using deposit_test::A;
using deposit_test::Cols;
using deposit_test::kDay;
using followup_test::At;

class DepositTest : public deposit_test::PracticeTest {
  protected:
    deposit::Criteria Crit() {
        deposit::Criteria c;
        c.date = kDay;
        return c;
    }
    static const deposit::BankDeposit* Bank(const deposit::DayTrialData& d,
                                            const std::string& code) {
        for (const auto& b : d.banks)
            if (b.code == code) return &b;
        return nullptr;
    }
};

TEST_P(DepositTest, TheDayBankByBankInBothCalculationModes) {
    for (int mode : {1, 0}) {
        SCOPED_TRACE(mode);
        DayTrialReportRun run(Crit(), mode);
        const std::string text = followup_test::RunToText(run, launcher_.get(), "deposit");
        const deposit::DayTrialData& d = run.Data();
        // Blank bank code sorts first: BNC, DESJ, ZZZ.
        ASSERT_EQ(d.banks.size(), 3u);
        const deposit::BankDeposit* bnc = Bank(d, "BNC");
        ASSERT_NE(bnc, nullptr);
        // 50.00 + 120.00 + 100.00 today; the cheque returned takes 120.00 off.
        EXPECT_EQ(bnc->Total('A', 'K'), 27000);
        EXPECT_EQ(bnc->Total('A', 'M'), -12000);
        EXPECT_EQ(bnc->Slip(), 15000);
        EXPECT_EQ(bnc->Direct(), 0);
        EXPECT_EQ(bnc->Charges('A'), 250);  // 2.5 % of the 100.00 Visa payment
        const deposit::BankDeposit* desj = Bank(d, "DESJ");
        ASSERT_NE(desj, nullptr);
        // The cheque dated the 11th but entered the 12th is today's; the insurer's direct
        // deposit goes to the direct deposits although marked for deposit.
        EXPECT_EQ(desj->Total('A', 'K'), 4000);
        EXPECT_EQ(desj->Total('B', 'K'), 30000);
        EXPECT_EQ(desj->Total('B', 'M'), 0);  // not marked for deposit: 107 is off
        EXPECT_EQ(desj->Recorded(), 34000);
        const deposit::BankDeposit* unknown = Bank(d, "ZZZ");
        ASSERT_NE(unknown, nullptr);
        EXPECT_EQ(unknown->Recorded(), 2000);
        EXPECT_EQ(d.Payments(), 63000);
        EXPECT_EQ(d.Adjustments(), -12000);
        EXPECT_EQ(d.Count(), 7u);
        // Neither the deleted cheques, nor the courtesy, nor the rows of other days.
        std::vector<long> ids;
        for (const auto& b : d.banks)
            for (const auto& s : b.sections)
                for (const auto& e : s.lines)
                    ids.push_back(e.id);
        std::sort(ids.begin(), ids.end());
        EXPECT_EQ(ids, (std::vector<long>{1, 2, 3, 4, 5, 9, 12}));
        EXPECT_FALSE(d.HasOtherAdjustments());

        At(text, "DÉPÔT BANCAIRE JOURNALIER (12/11/2024)");
        At(text, "Banque Nationale du Canada");
        At(text, "Laval, QC  H7G 1A1");
        At(text, "Banque Inconnue");
        // Payer at 10, code at 35, description at 45, amount at 57.
        At(text, Cols({{10, "O'Brien, Seán"}, {35, "VI"}, {45, "Visa"}, {57, A("100.00")}}));
        At(text, Cols({{10, "Sun Life"}, {35, "DD"}, {45, "Dépôt direc"}, {57, A("300.00")}}));
        At(text, Cols({{45, "Total:"}, {57, A("120.00")}, {68, A("120.00")}}));
        At(text, Cols({{13, "TOTAL DES PAIEMENTS EFFECTUÉS :"}, {68, A("270.00")}}));
        At(text, Cols({{15, "Visa"}, {32, "(2.50%)"}, {57, A("2.50")}}));
        At(text, Cols({{36, "DÉPÔTS DIRECTS NETS"}, {68, A("267.50")}}));
        At(text,
           Cols({{12, "= BORDEREAUX DES DÉPÔTS D'AUJOURD'HUI :"}, {55, " = "}, {59, A("150.00")}}));
        At(text, Cols({{7, "DÉPÔT TOTAL ENREGISTRÉ "}, {47, A("340.00")}}));
        At(text, "Prepared for Clinique dentaire des Mille-Îles");

        // The data file holds the same rows and amounts.
        const auto& table = *run.DataFiles()[0].table;
        EXPECT_EQ(table.Sum("Montant"), 63000 - 12000);
        EXPECT_EQ(table.Sum("Montant", "F"), 250);
        EXPECT_EQ(table.Sum("Total", "R"), 15000 + 34000 + 2000);
    }
}

TEST_P(DepositTest, TheAdjustmentsSheetAddsWhatIsNotMarkedForDeposit) {
    for (int mode : {1, 0}) {
        SCOPED_TRACE(mode);
        deposit::Criteria c = Crit();
        c.adjustments_sheet = true;
        c.adj_subtotals = 1;
        DayTrialReportRun run(c, mode);
        const std::string text = followup_test::RunToText(run, launcher_.get(), "deposit");
        const deposit::BankDeposit* desj = Bank(run.Data(), "DESJ");
        ASSERT_NE(desj, nullptr);
        EXPECT_EQ(desj->Total('B', 'M'), -1500);
        EXPECT_EQ(desj->Direct(), 28500);
        EXPECT_EQ(desj->Recorded(), 32500);
        // The courtesy adjustment is not a payment: never listed.
        EXPECT_EQ(run.Data().Adjustments(), -13500);
        EXPECT_TRUE(run.Data().HasOtherAdjustments());
        At(text, "AJUSTEMENTS DES AUTRES PAIEMENTS :");
        At(text, Cols({{13, "TOTAL DES AJUSTEMENTS DE PAIEMENTS:"}, {68, A("-15.00")}}));
        const ST_FORMULAINFO* f = run.Formulas();
        ASSERT_NE(f, nullptr);
        EXPECT_EQ(f->formulas.size(), 3u);
        EXPECT_EQ(f->formulas.back().first, "HasOthAdjustSection");
    }
}

TEST_P(DepositTest, OneBillingDoctorGetsTheApplicationsMadeToHim) {
    deposit::Criteria c = Crit();
    c.by_doctor = true;
    c.doctor = "01";
    Insert("PRODCD", "PROD_ID, PROD_CODE, PROD_TYPE, PROD_TITLE, PROD_FIRST_NAME, PROD_LAST_NAME",
           "1, 'D01', 'D', 'Dre', 'Marie', 'Tremblay'");
    DayTrialReportRun run(c, 1);
    const std::string text = followup_test::RunToText(run, launcher_.get(), "deposit");
    ASSERT_EQ(run.Data().banks.size(), 1u);
    // Payment 1 in whole, 70.00 of payment 2; nothing else has an application to 01.
    EXPECT_EQ(run.Data().Payments(), 12000);
    At(text, "Dre Marie Tremblay (01)");
}

TEST_P(DepositTest, TheWorksheetIsBlanksToFillIn) {
    DayTrialReportRun run(Crit(), 1);
    const std::string text = followup_test::RunToText(run, launcher_.get(), "deposit");
    At(text, "FEUILLE DE TRAVAIL : Comptant");
    const size_t at = At(text, "          100 x ______ =  ____________");
    At(text, "            1 x ______ =  ____________");
    At(text, "                 PIÈCES = ____________");
    // Nothing is computed into it: the line after the coins is blank.
    const size_t coins = text.find("PIÈCES", at);
    EXPECT_EQ(text.substr(text.find('\n', coins) + 1, 1), "\n");
    const auto& cash = *run.DataFiles()[1].table;
    ASSERT_EQ(cash.RowCount(), 8u);
    EXPECT_EQ(cash.Rows().back().cells[0].text, "PIÈCES");
    EXPECT_EQ(cash.Rows().front().cells[1].text, "");
}

TEST_P(DepositTest, ADayWithoutDepositsIsEmptyNotAnError) {
    deposit::Criteria c = Crit();
    c.date = 20241110;  // a Sunday without payments
    DayTrialReportRun run(c, 1);
    std::string error;
    EXPECT_FALSE(reports::RunHeadless(run, launcher_.get(), nullptr, 3, "deposit", &error));
    EXPECT_TRUE(run.Empty());
    EXPECT_EQ(error, "rapport annulé");
}

INSTANTIATE_TEST_SUITE_P(Engines, DepositTest, testing::ValuesIn(testing_support::Engines()),
                         testing_support::EngineName);

}  // namespace
