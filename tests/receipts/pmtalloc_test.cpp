// The payment allocations over the hand-built practice (receipts_practice.h): which
// applications each choice of payment kinds, insurer and practitioner lists, their groups
// and totals, and the text and data file they print.
#include <gtest/gtest.h>

#include <algorithm>

#include "receipts/pmtalloc_reports.h"
#include "tests/receipts/receipts_practice.h"

namespace {

using followup_test::At;
using receipts_test::kFrom;
using receipts_test::kTo;

class PmtAllocTest : public receipts_test::PracticeTest {
  protected:
    pmtalloc::Criteria Crit() {
        pmtalloc::Criteria c;
        c.from = kFrom;
        c.to = kTo;
        return c;
    }
    // The application ids listed, sorted.
    std::vector<long> Ids(const pmtalloc::Criteria& c, int64_t* total = nullptr) {
        PmtAllocReportRun run(c);
        followup_test::RunToText(run, launcher_.get(), "pmtallocrpt");
        std::vector<long> ids;
        for (const auto& g : run.Data().groups)
            for (const auto& r : g.rows)
                ids.push_back(r.papp_id);
        std::sort(ids.begin(), ids.end());
        if (total) *total = run.Data().total;
        return ids;
    }
};

TEST_P(PmtAllocTest, ByProducerGroupsAndTotalsTheMonthsPayments) {
    PmtAllocReportRun run(Crit());
    const std::string text = followup_test::RunToText(run, launcher_.get(), "pmtallocrpt");
    const auto& d = run.Data();
    // Reversed payment 4, adjustments 5 and 6, and December's payment 7 are left out.
    ASSERT_EQ(d.groups.size(), 3u);
    const struct {
        const char* code;
        const char* heading;
        std::vector<long> ids;  // in the report's order: account name, payment
        int64_t total;
    } want[] = {{"D01", "D01 - Tremblay, Marie", {1, 2, 11}, 7200},
                {"D02", "D02 - Gagnon, Paul", {4, 5, 6, 12}, 9350},
                {"H01", "H01 - Bélanger, Émilie", {3}, 1000}};
    for (size_t i = 0; i < 3; ++i) {
        const pmtalloc::Group& g = d.groups[i];
        EXPECT_EQ(g.code, want[i].code);
        EXPECT_EQ(g.heading, want[i].heading);
        std::vector<long> ids;
        for (const auto& r : g.rows)
            ids.push_back(r.papp_id);
        EXPECT_EQ(ids, want[i].ids) << g.code;
        EXPECT_EQ(g.total, want[i].total) << g.code;
    }
    EXPECT_EQ(d.total, 17550);

    // The pages: title and range, headings in order, a detail line cut and padded by
    // character, each group's total and the grand total.
    At(text, "Rapport D'Allocations de Paiement");
    At(text, "Du 01/11/2024 au 30/11/2024");
    EXPECT_LT(At(text, "D01 - Tremblay, Marie"), At(text, "D02 - Gagnon, Paul"));
    EXPECT_LT(At(text, "D02 - Gagnon, Paul"), At(text, "H01 - Bélanger, Émilie"));
    At(text, "Bédard, Luc" + std::string(14, ' ') + " D02   06/11/2024 Assurance SunLife" +
                 std::string(15, ' ') + "          75.00 T2           SUN");
    At(text, "D01  " + std::string(54, ' ') + "72.00");
    At(text, "D02  " + std::string(54, ' ') + "93.50");
    At(text, std::string(58, ' ') + "175.50");

    // The data file: one row per application, a total per group and the grand total.
    const host::output::ReportTable& t = *run.DataFiles()[0].table;
    EXPECT_EQ(t.RowCount(), 8u + 3u + 1u);
}

TEST_P(PmtAllocTest, EachChoiceListsItsApplications) {
    int64_t total = 0;
    pmtalloc::Criteria c = Crit();
    c.order_by = 'D';
    {
        PmtAllocReportRun run(c);
        followup_test::RunToText(run, launcher_.get(), "pmtallocrpt");
        ASSERT_EQ(run.Data().groups.size(), 2u);
        EXPECT_EQ(run.Data().groups[0].heading, "01 - Tremblay, Marie");
        EXPECT_EQ(run.Data().groups[0].total, 8200);
        EXPECT_EQ(run.Data().groups[1].total, 9350);
    }
    c.practitioner = "02";
    EXPECT_EQ(Ids(c, &total), (std::vector<long>{4, 5, 6, 12}));
    EXPECT_EQ(total, 9350);
    c.practitioner = "*";
    // Insurance payments of one insurer; with patient payments, those too.
    c.patient = 'N';
    c.payor = "SUN";
    EXPECT_EQ(Ids(c, &total), (std::vector<long>{4}));
    c.patient = 'Y';
    EXPECT_EQ(Ids(c, &total), (std::vector<long>{1, 2, 3, 4, 5, 6, 12}));
    EXPECT_EQ(total, 15350);
    // Neither kind with adjustments: only the adjustments that count as payments.
    c = Crit();
    c.patient = c.insurance = 'N';
    c.adjustments = 'Y';
    EXPECT_EQ(Ids(c, &total), (std::vector<long>{8}));
    EXPECT_EQ(total, 300);
    // Patient payments with adjustments: no reversal test any more, so payment 4 shows.
    c.patient = 'Y';
    EXPECT_EQ(Ids(c, &total), (std::vector<long>{1, 2, 3, 5, 6, 7, 8, 12}));
    EXPECT_EQ(total, 9050);
    // Not grouped: one list and only the grand total.
    c = Crit();
    c.group = 'N';
    PmtAllocReportRun run(c);
    const std::string text = followup_test::RunToText(run, launcher_.get(), "pmtallocrpt");
    ASSERT_EQ(run.Data().groups.size(), 1u);
    EXPECT_EQ(run.Data().groups[0].rows.size(), 8u);
    EXPECT_EQ(text.find("Tremblay"), std::string::npos);
}

TEST_P(PmtAllocTest, QuotesInCodesAreEscapedAndAnEmptyRangePrintsHeadings) {
    pmtalloc::Criteria c = Crit();
    c.practitioner = "0'1";
    c.payor = "S'N";
    const std::string cond = pmtalloc::Condition(c, "");
    EXPECT_NE(cond.find("PAPP_BILLDR = '0''1'"), std::string::npos) << cond;
    EXPECT_NE(cond.find("APMT_PAYOR = 'S''N'"), std::string::npos) << cond;
    EXPECT_TRUE(Ids(c).empty());
    c = Crit();
    c.from = c.to = 20230101;
    PmtAllocReportRun run(c);
    const std::string text = followup_test::RunToText(run, launcher_.get(), "pmtallocrpt");
    EXPECT_TRUE(run.Data().groups.empty());
    At(text, "Nom de Compte");
}

INSTANTIATE_TEST_SUITE_P(Engines, PmtAllocTest, testing::ValuesIn(testing_support::Engines()),
                         testing_support::EngineName);

}  // namespace
