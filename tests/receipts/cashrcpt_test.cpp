// The cash receipts over the hand-built practice (receipts_practice.h): the lines merged
// per payment and claim, their three orders, grouping by billing doctor, the doctor range,
// and the reconciliation with the payment allocations of the same range.
#include <gtest/gtest.h>

#include "receipts/cashrcpt_reports.h"
#include "receipts/pmtalloc_reports.h"
#include "tests/receipts/receipts_practice.h"

namespace {

using followup_test::At;
using receipts_test::kFrom;
using receipts_test::kTo;

// A line as (payment, claim or service number, amount).
struct L {
    long payment;
    std::string claim;
    int64_t amount;
    bool operator==(const L&) const = default;
};

std::ostream& operator<<(std::ostream& os, const L& l) {
    return os << "{" << l.payment << ", " << l.claim << ", " << l.amount << "}";
}

class CashRcptTest : public receipts_test::PracticeTest {
  protected:
    cashrcpt::Criteria Crit(char sort, char group) {
        cashrcpt::Criteria c;
        c.from = kFrom;
        c.to = kTo;
        c.sort = sort;
        c.group = group;
        return c;
    }
    // The payment allocations of the same range, grouped by billing doctor.
    pmtalloc::PmtAllocData AllocationsByDoctor() {
        pmtalloc::Criteria a;
        a.from = kFrom;
        a.to = kTo;
        a.order_by = 'D';
        PmtAllocReportRun run(a);
        followup_test::RunToText(run, launcher_.get(), "pmtallocrpt");
        return run.Data();
    }
    static std::vector<L> Lines(const cashrcpt::Group& g) {
        std::vector<L> out;
        for (const auto& e : g.lines)
            out.push_back({e.payment_id, e.claim, e.amount});
        return out;
    }
};

TEST_P(CashRcptTest, GroupedByNameMergesApplicationsPerPaymentAndClaim) {
    CashReceiptsReportRun run(Crit('P', 'Y'));
    const std::string text = followup_test::RunToText(run, launcher_.get(), "CashReceipts");
    const auto& d = run.Data();
    ASSERT_EQ(d.groups.size(), 2u);
    // Applications 1 and 2 (one claim) are one line; 3 (another claim) its own. The line
    // kept on the patient's account has no claim and sorts before the office charge.
    EXPECT_EQ(d.groups[0].heading, "01 - Tremblay, Marie");
    EXPECT_EQ(Lines(d.groups[0]),
              (std::vector<L>{{1, "C0001", 5000}, {1, "C0002", 1000}, {8, "C0001", 2200}}));
    EXPECT_EQ(d.groups[0].total, 8200);
    EXPECT_EQ(d.groups[1].heading, "02 - Gagnon, Paul");
    EXPECT_EQ(
        Lines(d.groups[1]),
        (std::vector<L>{{2, "C0003", 7500}, {3, "", 500}, {3, "S0001", 1250}, {9, "C0003", 100}}));
    EXPECT_EQ(d.groups[1].total, 9350);
    EXPECT_EQ(d.total, 17550);

    At(text, "Reçus en Argent");
    At(text, "(01/11/2024 - 30/11/2024)");
    At(text, "Champ de Facturation du Dr.: TOUS");
    // Columns 0, 25, 41, 52, 63, 74 and the amount in 11 at 88.
    At(text,
       "Bédard, Luc              BEDL02          T3         CASH       10/11/2024 Retenu"
       "               5.00");
    At(text,
       "Aubin, Anne              AUBA01          T1         CHQ        05/11/2024 C0001"
       "               50.00");
    EXPECT_LT(At(text, "TOTAUX POUR 01 - Tremblay, Marie"), At(text, "02 - Gagnon, Paul"));
    At(text, "TOTAUX POUR 02 - Gagnon, Paul");
    const size_t grand = At(text, "GRAND TOTAUX:");
    EXPECT_NE(text.find("175.50", grand), std::string::npos);
    EXPECT_EQ(run.DataFiles()[0].table->RowCount(), 7u + 2u + 1u);
}

TEST_P(CashRcptTest, UngroupedOrdersIgnoreTheDoctorAndPrintNoGroupTotals) {
    {
        CashReceiptsReportRun run(Crit('A', 'N'));
        const std::string text = followup_test::RunToText(run, launcher_.get(), "CashReceipts");
        ASSERT_EQ(run.Data().groups.size(), 1u);
        // By payment code: ASS, CASH (3 then 9), CHQ, DEN.
        EXPECT_EQ(Lines(run.Data().groups[0]), (std::vector<L>{{2, "C0003", 7500},
                                                               {3, "", 500},
                                                               {3, "S0001", 1250},
                                                               {9, "C0003", 100},
                                                               {1, "C0001", 5000},
                                                               {1, "C0002", 1000},
                                                               {8, "C0001", 2200}}));
        EXPECT_EQ(text.find("TOTAUX POUR"), std::string::npos);
        At(text, "GRAND TOTAUX:");
    }
    CashReceiptsReportRun run(Crit('M', 'N'));
    followup_test::RunToText(run, launcher_.get(), "CashReceipts");
    ASSERT_EQ(run.Data().groups.size(), 1u);
    EXPECT_EQ(Lines(run.Data().groups[0]), (std::vector<L>{{1, "C0001", 5000},
                                                           {1, "C0002", 1000},
                                                           {8, "C0001", 2200},
                                                           {2, "C0003", 7500},
                                                           {3, "", 500},
                                                           {3, "S0001", 1250},
                                                           {9, "C0003", 100}}));
}

TEST_P(CashRcptTest, TheDoctorRangeAndAnEmptyRange) {
    cashrcpt::Criteria c = Crit('P', 'Y');
    std::snprintf(c.from_dr, sizeof c.from_dr, "02");
    CashReceiptsReportRun only(c);
    std::string text = followup_test::RunToText(only, launcher_.get(), "CashReceipts");
    ASSERT_EQ(only.Data().groups.size(), 1u);
    EXPECT_EQ(only.Data().total, 9350);
    At(text, "Champ de Facturation du Dr.: D02");
    std::snprintf(c.from_dr, sizeof c.from_dr, "01");
    std::snprintf(c.to_dr, sizeof c.to_dr, "02");
    CashReceiptsReportRun both(c);
    text = followup_test::RunToText(both, launcher_.get(), "CashReceipts");
    EXPECT_EQ(both.Data().total, 17550);
    At(text, "Champ de Facturation du Dr.: D01 - D02");
    // A quote in a code is escaped: no line, no failure.
    std::snprintf(c.from_dr, sizeof c.from_dr, "0'");
    EXPECT_NE(cashrcpt::Condition(c, "").find("PAPP_BILLDR >= '0'''"), std::string::npos);
    c = Crit('P', 'N');
    c.from = c.to = 20230101;
    CashReceiptsReportRun none(c);
    text = followup_test::RunToText(none, launcher_.get(), "CashReceipts");
    EXPECT_EQ(none.Data().Count(), 0u);
    At(text, "Nom du Patient");
}

// The two reports count the same payment applications: with payments only, the cash
// receipts of each billing doctor equal the allocations grouped by billing doctor.
TEST_P(CashRcptTest, ReceiptsEqualAllocationsDoctorByDoctor) {
    CashReceiptsReportRun receipts(Crit('P', 'Y'));
    followup_test::RunToText(receipts, launcher_.get(), "CashReceipts");
    const pmtalloc::PmtAllocData allocations = AllocationsByDoctor();
    ASSERT_EQ(receipts.Data().groups.size(), allocations.groups.size());
    for (size_t i = 0; i < receipts.Data().groups.size(); ++i) {
        EXPECT_EQ(receipts.Data().groups[i].billdr, allocations.groups[i].code);
        EXPECT_EQ(receipts.Data().groups[i].total, allocations.groups[i].total);
    }
    EXPECT_EQ(receipts.Data().total, allocations.total);
}

// Applications whose treatment, office charge, claim's patient or patient is missing are
// still listed, without names or claim number, and counted in the doctor's total as the
// allocations count them. A treatment whose claim has no patient finds no claim number
// either, so it merges with the missing treatment of the same payment.
TEST_P(CashRcptTest, ApplicationsWhoseOwnerIsMissingAreStillListed) {
    Insert("PATCLM", "PCLM_ID, PCLM_PATID", "4, 96");
    Insert("CLMTRT", "CTRT_ID, CTRT_PCLMID, CTRT_CLAIM_NO", "5, 4, 'C0004'");
    Payment(10, 1, 'P', 'P', 20241118, "CHQ", "Chèque", "", "'N'", "''");
    App(13, 10, 'T', 99, 0, 11, 700, "D01", "01");  // no such treatment
    App(14, 10, 'O', 0, 98, 12, 300, "D01", "01");  // no such office charge
    App(15, 10, 'P', 0, 0, 97, 200, "D01", "01");   // no such patient
    App(16, 10, 'T', 5, 0, 11, 150, "D01", "01");   // the claim's patient is missing

    CashReceiptsReportRun run(Crit('P', 'Y'));
    const std::string text = followup_test::RunToText(run, launcher_.get(), "CashReceipts");
    const auto& d = run.Data();
    ASSERT_EQ(d.groups.size(), 2u);
    // Nameless lines sort first, by the application's patient: 11, 12, 97.
    EXPECT_EQ(Lines(d.groups[0]), (std::vector<L>{{10, "", 850},
                                                  {10, "", 300},
                                                  {10, "", 200},
                                                  {1, "C0001", 5000},
                                                  {1, "C0002", 1000},
                                                  {8, "C0001", 2200}}));
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(d.groups[0].lines[i].last_name, "");
        EXPECT_EQ(d.groups[0].lines[i].med_no, "");
    }
    EXPECT_EQ(d.groups[0].lines[2].patient_id, 97);
    EXPECT_EQ(d.groups[0].total, 9550);
    EXPECT_EQ(d.total, 18900);
    const size_t grand = At(text, "GRAND TOTAUX:");
    EXPECT_NE(text.find("189.00", grand), std::string::npos);

    const pmtalloc::PmtAllocData allocations = AllocationsByDoctor();
    ASSERT_EQ(allocations.groups.size(), 2u);
    EXPECT_EQ(allocations.groups[0].total, d.groups[0].total);
}

INSTANTIATE_TEST_SUITE_P(Engines, CashRcptTest, testing::ValuesIn(testing_support::Engines()),
                         testing_support::EngineName);

}  // namespace
