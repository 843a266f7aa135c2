// The month's deposits over the hand-built practice (deposit_practice.h): the summary day by
// day for each bank in both calculation modes, the monthly report by payment code, and the
// month's summary against the daily deposits of each of its days.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <string>

#include "closing/deposit_reports.h"
#include "closing/mthdep_reports.h"
#include "host/output/paths.h"
#include "host/output/textprint.h"
#include "tests/closing/deposit_practice.h"

namespace {

using deposit_test::A;
using deposit_test::Cols;
using followup_test::At;
using mthdep::MthDepInfo;

constexpr long kFirst = 20241101;
constexpr long kLast = 20241130;

class MonthDepositTest : public deposit_test::PracticeTest {
  protected:
    std::map<std::string, MthDepInfo> Summary(int mode, std::string* text = nullptr) {
        MonthlyDepositSummaryRun run(kFirst, kLast, mode);
        const std::string t = followup_test::RunToText(run, launcher_.get(), "mthdepsum");
        if (text) *text = t;
        std::map<std::string, MthDepInfo> banks;
        for (const MthDepInfo& b : run.Banks())
            banks[b.code] = b;
        return banks;
    }
    mthdep::MonthDepData Report(mthdep::Criteria c) {
        c.from = kFirst;
        c.to = kLast;
        MonthDepReportRun run(c);
        text_ = followup_test::RunToText(run, launcher_.get(), "monthlydep");
        return run.Data();
    }
    static std::map<std::string, int64_t> ByCode(const mthdep::Part& p) {
        std::map<std::string, int64_t> out;
        for (const auto& e : p.rows)
            out[e.code] += e.amount;
        return out;
    }
    std::string text_;
};

TEST_P(MonthDepositTest, TheSummaryDayByDayForEachBank) {
    for (int mode : {1, 0}) {
        SCOPED_TRACE(mode);
        std::string text;
        auto banks = Summary(mode, &text);
        ASSERT_EQ(banks.size(), 3u);
        const MthDepInfo& bnc = banks["BNC"];
        EXPECT_EQ(bnc.dates[1], kFirst);
        EXPECT_EQ(bnc.dates[30], kLast);
        EXPECT_EQ(bnc.dates[31], 0);
        // The 9th: the cheque deleted on the 12th had been deposited.
        EXPECT_EQ(bnc.amt[mthdep::kPayments][9], 3300);
        EXPECT_EQ(bnc.amt[mthdep::kPayments][11], 2500);
        EXPECT_EQ(bnc.amt[mthdep::kPayments][12], 27000);
        // The 13th: the cheque dated the 12th but entered the 13th, and the cash.
        EXPECT_EQ(bnc.amt[mthdep::kPayments][13], 8500);
        EXPECT_EQ(bnc.amt[mthdep::kPayments][0], 41300);
        EXPECT_EQ(bnc.amt[mthdep::kCharges][0], 250);
        EXPECT_EQ(bnc.amt[mthdep::kDepositAdj][0], -12000);
        EXPECT_EQ(bnc.amt[mthdep::kOtherAdj][0], 0);  // the courtesy is not a payment
        EXPECT_EQ(bnc.Net(0), 41300 - 250 - 12000);
        const MthDepInfo& desj = banks["DESJ"];
        EXPECT_EQ(desj.amt[mthdep::kPayments][12], 4000);
        EXPECT_EQ(desj.amt[mthdep::kDirect][12], 30000);
        EXPECT_EQ(desj.amt[mthdep::kOtherAdj][12], -1500);
        EXPECT_EQ(desj.Net(0), 34000);
        EXPECT_EQ(banks["ZZZ"].name, "Banque Inconnue");
        EXPECT_EQ(banks["ZZZ"].amt[mthdep::kPayments][0], 2000);

        At(text, "SOMMAIRE DES DÉPÔTS MENSUELS");
        At(text, "Période du 01/11/2024 au 30/11/2024");
        At(text, "Banque : Banque Inconnue (ZZZ)");
        // Date, payments, service charges, deposit adjustments, direct, net, other.
        At(text, Cols({{2, "12/11/2024"},
                       {15, A("270.00", 15)},
                       {30, A("2.50", 15)},
                       {45, A("-120.00", 15)},
                       {60, A("0.00", 15)},
                       {75, A("147.50", 15)},
                       {90, A("0.00", 15)}}));
        At(text, Cols({{0, "Totaux :"}, {15, A("413.00", 15)}, {30, A("2.50", 15)}}));
        EXPECT_EQ(text.find("31/10/2024"), std::string::npos);
    }
}

TEST_P(MonthDepositTest, TheMonthEndPrintsTheSummaryWithoutADialog) {
    const std::string path = host::output::OutputPath("mthend-summary.prt");
    FILE* out = std::fopen(path.c_str(), "w");
    ASSERT_NE(out, nullptr);
    std::string error;
    EXPECT_TRUE(mthdep::PrintMonthlyDepositSummary(launcher_.get(), nullptr, kFirst, kLast, out, 3,
                                                   "mthend-summary", 1, &error))
        << error;
    std::fclose(out);
    std::vector<host::output::TextPage> pages;
    ASSERT_TRUE(host::output::ReadTextPages(path, &pages, &error)) << error;
    EXPECT_EQ(pages.size(), 3u);  // one bank a page
    // A period that is not a period is refused with a reason.
    EXPECT_FALSE(mthdep::PrintMonthlyDepositSummary(launcher_.get(), nullptr, 20240231, kLast,
                                                    nullptr, 3, "x", 1, &error));
    EXPECT_FALSE(error.empty());
}

TEST_P(MonthDepositTest, TheReportByCodeDoctorAndBank) {
    mthdep::Criteria c;
    auto d = Report(c);
    ASSERT_EQ(d.parts.size(), 1u);
    EXPECT_EQ(d.codes, (std::vector<std::string>{"C", "CH", "DD", "VI"}));
    EXPECT_EQ(ByCode(d.parts[0]), (std::map<std::string, int64_t>{
                                      {"C", 6500}, {"CH", 30800}, {"DD", 30000}, {"VI", 10000}}));
    EXPECT_EQ(d.Total(), 77300);
    At(text_, "TOTAUX DU CABINET :");
    At(text_, "773.00");

    // By billing doctor: the applied parts.
    c.by_doctor = true;
    d = Report(c);
    ASSERT_EQ(d.parts.size(), 2u);
    EXPECT_EQ(d.parts[0].who, "01");
    EXPECT_EQ(ByCode(d.parts[0]), (std::map<std::string, int64_t>{{"C", 5000}, {"CH", 7000}}));
    EXPECT_EQ(ByCode(d.parts[1]), (std::map<std::string, int64_t>{{"CH", 5000}, {"DD", 30000}}));
    At(text_, "Dr./Prod. : 02");

    // One doctor, two codes.
    c.by_doctor = false;
    c.prod = "02";
    d = Report(c);
    EXPECT_EQ(d.Total(), 35000);
    c.prod.clear();
    c.codes = {"C", "VI"};
    d = Report(c);
    EXPECT_EQ(d.Total(), 16500);

    // By bank: the bank missing from the table is "Banque Inconnue".
    c.codes.clear();
    c.by_bank = true;
    d = Report(c);
    ASSERT_EQ(d.parts.size(), 3u);
    EXPECT_EQ(ByCode(d.parts[0]),
              (std::map<std::string, int64_t>{{"C", 6500}, {"CH", 24800}, {"VI", 10000}}));
    EXPECT_EQ(d.parts[2].bank_name, "Banque Inconnue");
}

TEST_P(MonthDepositTest, EachDaysDepositsAddUpToTheMonthBankByBank) {
    for (int mode : {1, 0}) {
        SCOPED_TRACE(mode);
        std::map<std::string, int64_t> payments, adjustments, charges;
        for (long day = kFirst; day <= kLast; ++day) {
            deposit::Criteria c;
            c.date = day;
            c.adjustments_sheet = true;
            DayTrialReportRun run(c, mode);
            std::string error;
            if (!reports::RunHeadless(run, launcher_.get(), nullptr, 3, "deposit", &error)) {
                EXPECT_TRUE(run.Empty()) << day << ": " << error;
                continue;
            }
            for (const auto& b : run.Data().banks) {
                payments[b.code] += b.Total('A', 'K') + b.Total('B', 'K');
                adjustments[b.code] += b.Total('A', 'M') + b.Total('B', 'M');
                charges[b.code] += b.Charges('A') + b.Charges('B');
            }
        }
        auto banks = Summary(mode);
        ASSERT_EQ(banks.size(), payments.size());
        for (auto& [code, b] : banks) {
            EXPECT_EQ(payments[code], b.amt[mthdep::kPayments][0] + b.amt[mthdep::kDirect][0])
                << code;
            EXPECT_EQ(adjustments[code],
                      b.amt[mthdep::kDepositAdj][0] + b.amt[mthdep::kOtherAdj][0])
                << code;
            EXPECT_EQ(charges[code], b.amt[mthdep::kCharges][0]) << code;
        }
    }
}

TEST_P(MonthDepositTest, AnEmptyPracticeHasNoDepositsToReport) {
    for (const char* table : {"ACCPMT", "DAYSHT", "PMTAPP", "BANKCD", "PMTSCD"})
        db().dbExecute(std::string("DELETE FROM ") + db().dbTablePrefix() + table);
    MonthDepReportRun report({});
    std::string error;
    EXPECT_FALSE(reports::RunHeadless(report, launcher_.get(), nullptr, 3, "monthlydep", &error));
    EXPECT_TRUE(report.Empty());
    EXPECT_TRUE(Summary(1).empty());
    deposit::Criteria c;
    c.date = deposit_test::kDay;
    DayTrialReportRun day(c, 1);
    EXPECT_FALSE(reports::RunHeadless(day, launcher_.get(), nullptr, 3, "deposit", &error));
    EXPECT_TRUE(day.Empty());
}

INSTANTIATE_TEST_SUITE_P(Engines, MonthDepositTest, testing::ValuesIn(testing_support::Engines()),
                         testing_support::EngineName);

}  // namespace
