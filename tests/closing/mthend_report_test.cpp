// The month-end report over November 2024 of the hand-built practice of the day-end tests
// (tests/closing/dayend_practice.h), on each engine and on both collection paths.
//
// Lines of the month, by producer (amounts in cents, effect on the receivable):
//   11-01  T3 entered                          D01  DFE  +8000
//   11-14  T1 entered                          D01  DFE +10000
//          T2 entered, discount 5.00           H01  DFE  +5000, DIS -500
//          T3 deleted                          D01  DFE  -8000
//          T4 lab, surcharge 3.00              D01  LCH  +2000, DSC +300 (lab)
//          office charge 1                     D01  OFCH +1500
//          A1 cheque, A10 cash (back-dated)    D01  LD   -4000, -900
//          A2 cheque                           H01  LD   -3000
//          A3, A4 direct deposit               D01  MD   -2000, -1000
//          A5 ESC (fees)                       D01  ADJUST -500
//          A6 CORR (payments)                  D01  ADJUST -200
//          A7 / A8 transfer                    D01  TSF  -1000 / H01 TSF +1000
//          A9 applied after its payment        D01  TRNS -2500
// P7 and P8 (dated 11-20) have no application: nothing. D01: charges 138.00, fee
// adjustments -5.00, payments 79.00, transfers 35.00, payment adjustments 2.00, net +17.00.
// H01: charges 45.00, payments 30.00, transfers -10.00, net +25.00. H02: 50.00 brought
// forward, nothing else. Receivables at the start: H02 50.00; at the end: D01 17.00, H01
// 25.00, H02 50.00.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "closing/mthdep_collect.h"
#include "closing/mthdep_reports.h"
#include "closing/mthend_collect.h"
#include "closing/mthend_reports.h"
#include "common/report_run.h"
#include "host/base/text.h"
#include "host/output/paths.h"
#include "host/output/report_table.h"
#include "tests/closing/dayend_practice.h"
#include "tests/support/rows.h"

namespace {

using mthend::Criteria;
using mthend::Grouping;
using mthend::MonthEndData;

class MonthEnd : public dayend_test::DayTest {
  protected:
    MonthEndData Collect(Criteria c, int mode) {
        c.first = 20241101;
        c.last = 20241130;
        c.calc_mode = mode;
        MonthEndData d;
        std::string error;
        mthend::TMonthEndRepSummation sum(launcher_.get(), c);
        EXPECT_EQ(sum.Collect(&d, &error), mthend::Outcome::Done) << error;
        return d;
    }
    static const mthend::Page* Find(const MonthEndData& d, const std::string& code) {
        for (const auto& p : d.pages)
            if (p.code == code) return &p;
        return nullptr;
    }
};

TEST_P(MonthEnd, ProducerPagesMatchTheHandFiguresOnBothPaths) {
    Criteria c;
    c.grouping = Grouping::Producer;
    for (int mode : {1, 0}) {
        SCOPED_TRACE(mode == 1 ? "SQL" : "day sheet");
        const MonthEndData d = Collect(c, mode);
        ASSERT_EQ(d.pages.size(), 3u);
        const mthend::Page* d01 = Find(d, "D01");
        const mthend::Page* h01 = Find(d, "H01");
        const mthend::Page* h02 = Find(d, "H02");
        ASSERT_TRUE(d01 && h01 && h02);
        EXPECT_EQ(d01->f.cat[mthend::kDfe], 10000);
        EXPECT_EQ(d01->f.cat[mthend::kLch], 2000);
        EXPECT_EQ(d01->f.cat[mthend::kDsc], 300);
        EXPECT_EQ(d01->f.cat[mthend::kOfch], 1500);
        EXPECT_EQ(d01->f.Charges(), 13800);
        EXPECT_EQ(d01->f.FeeAdj(), -500);
        EXPECT_EQ(-d01->f.cat[mthend::kDeposit], 4900);
        EXPECT_EQ(-d01->f.cat[mthend::kDirect], 3000);
        EXPECT_EQ(d01->f.Transfers(), 3500);
        EXPECT_EQ(d01->f.PmtAdj(), 200);
        EXPECT_EQ(d01->f.Net(), 1700);
        EXPECT_EQ(h01->f.Charges(), 4500);
        EXPECT_EQ(h01->f.cat[mthend::kDis], -500);
        EXPECT_EQ(h01->f.Payments(), 3000);
        EXPECT_EQ(h01->f.Transfers(), -1000);
        EXPECT_EQ(h01->f.Net(), 2500);
        // Receivables from the producer analysis agree with the month's lines.
        EXPECT_EQ(d01->start, 0);
        EXPECT_EQ(d01->end, 1700);
        EXPECT_EQ(h01->end, 2500);
        EXPECT_EQ(h02->start, 5000);
        EXPECT_EQ(h02->end, 5000);
        EXPECT_EQ(h02->f.Net(), 0);
        EXPECT_EQ(d.practice.start, 5000);
        EXPECT_EQ(d.practice.end, 9200);
        EXPECT_EQ(d.practice.f.Net(), 4200);
        EXPECT_EQ(d.practice.f.Payments(), 10900);
    }
}

TEST_P(MonthEnd, DailyDetailAddsUpToTheSummary) {
    for (int mode : {1, 0}) {
        SCOPED_TRACE(mode == 1 ? "SQL" : "day sheet");
        const MonthEndData d = Collect(Criteria{}, mode);
        ASSERT_EQ(d.days.size(), 2u);
        EXPECT_EQ(d.days[0].date, 20241101);
        EXPECT_EQ(d.days[0].fees, 8000);
        EXPECT_EQ(d.days[0].receivable, 8000);  // by billing doctor: H02's balance is not one
        const mthend::Day& day = d.days[1];
        EXPECT_EQ(day.fees, 6500);  // 100 + 50 - 5 - 80
        EXPECT_EQ(day.lab, 2300);
        EXPECT_EQ(day.charges, 1500);
        EXPECT_EQ(day.fee_adj, -500);
        EXPECT_EQ(day.payments, 10900);
        EXPECT_EQ(day.pmt_adj, 2700);
        EXPECT_EQ(day.receivable, d.practice.end);
        // Adjustments by code, as entered.
        ASSERT_EQ(d.adjustments.size(), 2u);
        EXPECT_EQ(d.adjustments[0].code, "ESC");
        EXPECT_EQ(d.adjustments[0].descr, "Escompte");
        EXPECT_EQ(d.adjustments[0].amount, 500);
        EXPECT_EQ(d.adjustments[1].code, "CORR");
        EXPECT_EQ(d.FeeAdjTotal(), 500);
        EXPECT_EQ(d.PmtAdjTotal(), 200);
        // By billing doctor everything is Dr 01's, the hygienist as a subtotal.
        ASSERT_EQ(d.pages.size(), 1u);
        EXPECT_EQ(d.pages[0].code, "D01");
        EXPECT_EQ(d.pages[0].f.Net(), 4200);
        EXPECT_EQ(d.pages[0].end, 4200);
    }
}

// Day-sheet lines whose records are gone (a treatment, an office charge, an application)
// add nothing on the day-sheet path, neither to the month's lines nor to the receivables;
// their ids are those of records of other tables (application 7, treatment 3).
TEST_P(MonthEnd, DaySheetLinesWithoutTheirRecordAddNothing) {
    Sheet(dayend_test::kDay, 'F', 'T', 7, "01", "D01", 11);
    Sheet(dayend_test::kDay, 'H', 'O', 3, "01", "", 11);
    Sheet(dayend_test::kDay, 'L', 'A', 9903, "01", "D01", 11);
    const MonthEndData d = Collect(Criteria{}, 0);
    ASSERT_EQ(d.days.size(), 2u);
    EXPECT_EQ(d.days[1].fees, 6500);
    EXPECT_EQ(d.days[1].charges, 1500);
    EXPECT_EQ(d.days[1].payments, 10900);
    ASSERT_EQ(d.pages.size(), 1u);
    EXPECT_EQ(d.pages[0].f.Net(), 4200);
    EXPECT_EQ(d.pages[0].end, 4200);
}

TEST_P(MonthEnd, GroupingsAndSelection) {
    Criteria c;
    c.hyg_subtotals = true;
    MonthEndData d = Collect(c, 1);
    ASSERT_EQ(d.pages.size(), 1u);
    ASSERT_EQ(d.pages[0].subtotals.size(), 1u);
    EXPECT_EQ(d.pages[0].subtotals[0].code, "H01");
    EXPECT_EQ(d.pages[0].subtotals[0].f.Net(), 2500);

    c = Criteria{};
    c.grouping = Grouping::BillDrByProd;
    d = Collect(c, 1);
    ASSERT_EQ(d.pages.size(), 1u);
    ASSERT_EQ(d.pages[0].subtotals.size(), 2u);
    EXPECT_EQ(d.pages[0].subtotals[0].f.Net() + d.pages[0].subtotals[1].f.Net(), 4200);

    // One producer: its page alone; the practice totals still cover the practice unless
    // the selection alone is asked for.
    c = Criteria{};
    c.grouping = Grouping::Producer;
    c.range = "H01";
    d = Collect(c, 1);
    ASSERT_EQ(d.pages.size(), 1u);
    EXPECT_EQ(d.pages[0].code, "H01");
    EXPECT_EQ(d.practice.f.Net(), 4200);
    c.selected_only = true;
    d = Collect(c, 1);
    EXPECT_EQ(d.practice.f.Net(), 2500);
    EXPECT_EQ(d.practice.end, 2500);
    ASSERT_EQ(d.days.size(), 1u);
    EXPECT_EQ(d.days[0].receivable, 2500);

    // The extended dialog's range of billing doctors: nobody between 02 and 09.
    d = Collect(mthend::TMonthEndRepSummationEx::MakeCriteria(0, 0, "D02", "D09", true, 1), 1);
    EXPECT_TRUE(d.pages.empty());
    EXPECT_EQ(d.practice.f.Net(), 0);
    d = Collect(mthend::TMonthEndRepSummationEx::MakeCriteria(0, 0, "D01", "", false, 1), 1);
    EXPECT_EQ(d.practice.f.Net(), 4200);
}

TEST_P(MonthEnd, AMonthWithoutTransactionsIsEmpty) {
    Criteria c;
    c.first = 20241201;
    c.last = 20241231;
    MonthEndData d;
    std::string error;
    mthend::TMonthEndRepSummation sum(launcher_.get(), c);
    ASSERT_EQ(sum.Collect(&d, &error), mthend::Outcome::Done) << error;
    EXPECT_TRUE(d.Empty());
    EXPECT_TRUE(d.days.empty());
}

TEST_P(MonthEnd, TextAndDataFilesCarryTheFigures) {
    Criteria c;
    c.first = 20241101;
    c.last = 20241130;
    c.grouping = Grouping::Producer;
    MonthEndReportRun run(c, true, true);
    const std::string text = followup_test::RunToText(run, launcher_.get(), "mthend");
    EXPECT_NE(text.find("RAPPORT DE FIN DE MOIS - Novembre 2024"), std::string::npos);
    EXPECT_NE(text.find("(Dr facturant. D01 - Marie Tremblay"), std::string::npos);
    EXPECT_NE(text.find("(Hyg facturant. H01 - Émilie Bélanger"), std::string::npos);
    EXPECT_NE(text.find("TOTAUX - CABINET"), std::string::npos);
    EXPECT_NE(text.find("Prepared for Clinique des Îles"), std::string::npos);
    EXPECT_NE(text.find("RAPPORT DE FIN DE MOIS - SOMMAIRE JOURNALIER"), std::string::npos);
    // D01's page: the increase, then its end-of-month receivable at column 110.
    const size_t d01 = text.find("(Dr facturant. D01");
    const size_t inc = text.find("Accroissement Net", d01);
    ASSERT_NE(inc, std::string::npos);
    EXPECT_NE(text.substr(inc, 100).find("17.00"), std::string::npos);
    const size_t end = text.find("Fin du Mois Comptes à Recevoir", d01);
    const size_t eol = text.find('\n', end);
    const std::string end_line =
        text.substr(text.rfind('\n', end) + 1, eol - text.rfind('\n', end) - 1);
    EXPECT_EQ(host::U8Length(end_line), 126u) << end_line;
    EXPECT_EQ(host::Trim(end_line.substr(end_line.size() - 16)), "17.00");
    // The daily detail's totals line.
    const size_t tot = text.find("\n  Totaux :", text.find("SOMMAIRE JOURNALIER"));
    ASSERT_NE(tot, std::string::npos);
    EXPECT_NE(text.substr(tot, 140).find("109.00"), std::string::npos);
    EXPECT_NE(text.substr(tot, 140).find("92.00"), std::string::npos);

    // The data files: each page's net is its receivable's change, and the daily rows sum
    // to the practice line.
    const host::output::ReportTable sum = mthend::SummaryTable(run.Data());
    EXPECT_EQ(sum.Sum("Net"), 4200);
    EXPECT_EQ(sum.Sum("Net", "T"), 4200);
    EXPECT_EQ(sum.Sum("Fin") - sum.Sum("Debut"), 4200);
    const host::output::ReportTable det = mthend::DetailTable(run.Data());
    EXPECT_EQ(det.Sum("Paiements"), sum.Sum("Depots", "T") + sum.Sum("DepotsDirects", "T"));
    EXPECT_EQ(det.Sum("Honoraires") + det.Sum("Laboratoire"),
              sum.Sum("Honoraires", "T") + sum.Sum("Laboratoire", "T") + sum.Sum("Escompte", "T") +
                  sum.Sum("FraisSuppl", "T"));
    EXPECT_EQ(det.Sum("Montant", "A"), 500);
    EXPECT_EQ(det.Sum("Montant", "B"), 200);
}

// The month's deposits bank by bank, as the month-end prints them with "Créer Sommaires des
// Dépôts": BNC takes the cheques 1 (70.00) and 6 (25.00) and the fee adjustment 3 (5.00);
// DESJ the cheque 7 (12.00, dated the 20th), the cash 9 (9.00), the direct deposit 2
// (30.00) and the adjustments 4 (2.00) and 8 (1.00, dated the 20th). Every entry is
// deposited (APMT_DEP 'Y'), none is marked not a payment.
//   BNC   payments 95.00, deposit adjustments 5.00,                  net 100.00
//   DESJ  payments 21.00, deposit adjustments 3.00, direct 30.00,    net  54.00
TEST_P(MonthEnd, TheMonthsDepositsAddUpBankByBank) {
    Insert("BANKCD", "BNK_CODE, BNK_NAME", "'BNC', 'Banque Nationale'");
    Insert("BANKCD", "BNK_CODE, BNK_NAME", "'DESJ', 'Caisse Desjardins'");
    testing_support::Exec(db(), "UPDATE ACCPMT SET APMT_BANK = 'BNC' WHERE APMT_ID IN (1, 3, 6)");
    testing_support::Exec(db(),
                          "UPDATE ACCPMT SET APMT_BANK = 'DESJ' WHERE APMT_ID IN (2, 4, 7, 8, 9)");
    for (int mode : {1, 0}) {
        SCOPED_TRACE(mode == 1 ? "SQL" : "records");
        MonthlyDepositSummaryRun run(20241101, 20241130, mode);
        std::string error;
        ASSERT_TRUE(reports::RunHeadless(run, launcher_.get(), nullptr, 3, "mthdepsum", &error))
            << error;
        ASSERT_EQ(run.Banks().size(), 2u);
        for (const mthdep::MthDepInfo& b : run.Banks()) {
            SCOPED_TRACE(b.code);
            const bool bnc = b.code == "BNC";
            EXPECT_EQ(b.name, bnc ? "Banque Nationale" : "Caisse Desjardins");
            EXPECT_EQ(b.amt[mthdep::kPayments][0], bnc ? 9500 : 2100);
            EXPECT_EQ(b.amt[mthdep::kDepositAdj][0], bnc ? 500 : 300);
            EXPECT_EQ(b.amt[mthdep::kDirect][0], bnc ? 0 : 3000);
            EXPECT_EQ(b.Net(0), bnc ? 10000 : 5400);
        }
        const host::output::ReportTable& t = *run.DataFiles()[0].table;
        EXPECT_EQ(t.Sum("Net", "T"), 15400);
        EXPECT_EQ(t.Sum("Net"), 15400);  // the days add up to the banks' totals
        EXPECT_EQ(t.Sum("Directs", "T"), 3000);
    }
}

INSTANTIATE_TEST_SUITE_P(Engines, MonthEnd, testing::ValuesIn(testing_support::Engines()),
                         testing_support::EngineName);

TEST(MonthEndReprint, PageMarkersBeforeTheFirstLineAndEachRuleOfEquals) {
    EXPECT_EQ(mthend::ReprintName(20241130), "20241130.ME");
    EXPECT_EQ(mthend::ReprintName(20240229), "20240229.ME");
    const std::string src = host::output::OutputPath("reprint-src.prt");
    const std::string dst = host::output::OutputPath("reprint.ME");
    {
        std::ofstream out(src, std::ios::binary);
        out << "Titre\n==========\nLigne é\n=== pas une règle\n==========  x\n";
    }
    std::string error;
    ASSERT_TRUE(mthend::CreateReprintFile(src, dst, &error)) << error;
    std::ifstream in(dst, std::ios::binary);
    const std::string got((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::string mark = "\n+++" + std::string(10, '\n');
    EXPECT_EQ(got, mark + "Titre\n" + mark + "==========\nLigne é\n=== pas une règle\n" + mark +
                       "==========  x\n");
    // An empty or missing source writes nothing.
    { std::ofstream empty(src, std::ios::binary | std::ios::trunc); }
    std::remove(dst.c_str());
    EXPECT_FALSE(mthend::CreateReprintFile(src, dst, &error));
    EXPECT_FALSE(std::ifstream(dst).good());
    EXPECT_FALSE(mthend::CreateReprintFile(src + ".absent", dst, &error));
}

}  // namespace
