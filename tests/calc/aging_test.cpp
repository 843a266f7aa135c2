// Receivable aging on hand-computed ledgers.
#include "host/calc/aging.h"

#include <gtest/gtest.h>

#include <limits>

#include "tests/calc/aged_row.h"

namespace {

using host::calc::AgedGroups;
using host::calc::AgeLedger;
using host::calc::AgingOptions;
using host::calc::LedgerApplication;
using host::calc::LedgerCharge;

LedgerCharge Treatment(long id, long date, int64_t total, int64_t ins, const char* producer = "D01",
                       const char* billdr = "01") {
    LedgerCharge c;
    c.id = id;
    c.date = date;
    c.total = total;
    c.ins_estimate = ins;
    c.producer = producer;
    c.billdr = billdr;
    c.patient = 1;
    return c;
}

LedgerApplication Applied(long charge, long date, int64_t amount, char type = 'P',
                          char rectype = 'T') {
    LedgerApplication a;
    a.charge_id = charge;
    a.date = date;
    a.amount = amount;
    a.type = type;
    a.rectype = rectype;
    a.producer = "D01";
    a.billdr = "01";
    return a;
}

LedgerApplication Credit(long date, int64_t amount, const char* producer = "D01",
                         const char* billdr = "01", char type = 'P') {
    LedgerApplication a = Applied(0, date, amount, type, 'P');
    a.producer = producer;
    a.billdr = billdr;
    return a;
}

using calc_test::Row;

AgingOptions AsOf(long date, bool future = true, bool by_billdr = false) {
    AgingOptions o;
    o.as_of = date;
    o.include_future = future;
    o.by_billing_doctor = by_billdr;
    return o;
}

TEST(AgeBucket, DayBoundariesAcrossMonthEndsAndLeapDay) {
    using host::calc::AgeBucket;
    // As of 2024-03-31 (leap year): 30 days back is 03-01, 31 days is 02-29.
    EXPECT_EQ(AgeBucket(20240331, 20240331), host::calc::kCurrent);
    EXPECT_EQ(AgeBucket(20240301, 20240331), host::calc::kCurrent);
    EXPECT_EQ(AgeBucket(20240229, 20240331), host::calc::k30);
    EXPECT_EQ(AgeBucket(20240131, 20240331), host::calc::k30);  // 60 days
    EXPECT_EQ(AgeBucket(20240130, 20240331), host::calc::k60);  // 61 days
    EXPECT_EQ(AgeBucket(20240101, 20240331), host::calc::k60);  // 90 days
    EXPECT_EQ(AgeBucket(20231231, 20240331), host::calc::k90);  // 91 days
    EXPECT_EQ(AgeBucket(20240401, 20240331), host::calc::kFuture);
    // The same month in a common year: 02-28 is 31 days before 03-31.
    EXPECT_EQ(AgeBucket(20230301, 20230331), host::calc::kCurrent);
    EXPECT_EQ(AgeBucket(20230228, 20230331), host::calc::k30);
    // As of a leap day: 01-30 is 30 days back, 01-29 is 31.
    EXPECT_EQ(AgeBucket(20240130, 20240229), host::calc::kCurrent);
    EXPECT_EQ(AgeBucket(20240129, 20240229), host::calc::k30);
    // Across a year end: 2023-10-02 is 91 days before 2024-01-01.
    EXPECT_EQ(AgeBucket(20231003, 20240101), host::calc::k60);
    EXPECT_EQ(AgeBucket(20231002, 20240101), host::calc::k90);
}

TEST(AgeLedger, PortionsOfOneChargeAsPaymentsArrive) {
    // A 100.00 treatment on 2024-09-10, insurer estimate 80.00, as of 2024-11-15 (66 days).
    std::vector<LedgerCharge> charges{Treatment(7, 20240910, 10000, 8000)};
    std::vector<LedgerApplication> apps;
    auto r = AgeLedger(charges, apps, AsOf(20241115));
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r["D01"].pat, Row(0, 0, 2000, 0));
    EXPECT_EQ(r["D01"].ins, Row(0, 0, 8000, 0));
    EXPECT_EQ(r["D01"].tot, Row(0, 0, 10000, 0));

    // The patient pays 20.00, the insurer 60.00: 20.00 of insurance remains.
    apps.push_back(Applied(7, 20240910, 2000));
    apps.push_back(Applied(7, 20241001, 6000, 'I'));
    r = AgeLedger(charges, apps, AsOf(20241115));
    EXPECT_EQ(r["D01"].pat, Row(0, 0, 0, 0));
    EXPECT_EQ(r["D01"].ins, Row(0, 0, 2000, 0));

    // A second insurer cheque of 25.00: 5.00 more than estimated, owed back to the patient.
    apps.push_back(Applied(7, 20241101, 2500, 'I'));
    r = AgeLedger(charges, apps, AsOf(20241115));
    EXPECT_EQ(r["D01"].pat, Row(0, 0, -500, 0));
    EXPECT_EQ(r["D01"].ins, Row(0, 0, 0, 0));
    EXPECT_EQ(r["D01"].tot, Row(0, 0, -500, 0));

    // Applications dated after the as-of date do not count yet.
    r = AgeLedger(charges, apps, AsOf(20241015));
    EXPECT_EQ(r["D01"].pat, Row(0, 0, 0, 0));
    EXPECT_EQ(r["D01"].ins, Row(0, 2000, 0, 0));
}

TEST(AgeLedger, CreditTakesOldestBucketsFirstAndLeavesTheRestInCurrent) {
    // Patient portions: 10.00 current, 20.00 in 31-60, 5.00 over 90; then a 12.00 credit.
    std::vector<LedgerCharge> charges{Treatment(1, 20241110, 1000, 0),
                                      Treatment(2, 20241001, 2000, 0),
                                      Treatment(3, 20240701, 500, 0)};
    std::vector<LedgerApplication> apps{Credit(20241112, 1200)};
    auto r = AgeLedger(charges, apps, AsOf(20241115));
    EXPECT_EQ(r["D01"].pat, Row(1000, 1300, 0, 0));

    // A credit larger than everything empties every bucket and leaves -15.00 in current.
    apps[0].amount = 5000;
    r = AgeLedger(charges, apps, AsOf(20241115));
    EXPECT_EQ(r["D01"].pat, Row(-1500, 0, 0, 0));
    EXPECT_EQ(r["D01"].tot.v[host::calc::kTotal], 3500 - 5000);

    // A bucket already negative gives nothing to the credit: the patient paid 8.00 of the
    // 5.00 left to him on a 10.00 line insured for 5.00 (61-90 holds -3.00).
    charges.push_back(Treatment(4, 20240901, 1000, 500));
    apps = {Applied(4, 20240920, 800), Credit(20241112, 900)};
    r = AgeLedger(charges, apps, AsOf(20241115));
    // The credit takes 5.00 over 90, nothing in 61-90, and 4.00 of the 20.00 in 31-60.
    EXPECT_EQ(r["D01"].pat, Row(1000, 1600, -300, 0));
    EXPECT_EQ(r["D01"].ins, Row(0, 0, 500, 0));

    // A credit on the insurance side reduces insurance, not the patient.
    charges = {Treatment(5, 20240801, 10000, 6000)};
    apps = {Credit(20241101, 1000, "D01", "01", 'I')};
    r = AgeLedger(charges, apps, AsOf(20241115));
    EXPECT_EQ(r["D01"].pat, Row(0, 0, 0, 4000));
    EXPECT_EQ(r["D01"].ins, Row(0, 0, 0, 5000));

    // More refunded than was ever credited: the difference is owed in current.
    apps = {Credit(20241101, 1000), Credit(20241105, -1500)};
    r = AgeLedger(charges, apps, AsOf(20241115));
    EXPECT_EQ(r["D01"].pat, Row(500, 0, 0, 4000));
}

TEST(AgeLedger, DeletedChargesAndTheirPayments) {
    // Deleted on 2024-11-20: it still counts as of 11-15, not as of 11-20.
    LedgerCharge c = Treatment(9, 20241101, 15000, 0);
    c.deleted = 20241120;
    std::vector<LedgerCharge> charges{c};
    std::vector<LedgerApplication> apps{Applied(9, 20241101, 4000)};
    auto r = AgeLedger(charges, apps, AsOf(20241115));
    EXPECT_EQ(r["D01"].pat, Row(11000, 0, 0, 0));
    // Once deleted, the money paid on it stays with the account as a credit.
    r = AgeLedger(charges, apps, AsOf(20241120));
    EXPECT_EQ(r["D01"].pat, Row(-4000, 0, 0, 0));
    // An application to a charge the ledger does not hold is a credit too.
    r = AgeLedger({}, {Applied(77, 20241101, 300)}, AsOf(20241120));
    EXPECT_EQ(r["D01"].pat, Row(-300, 0, 0, 0));
}

TEST(AgeLedger, FutureChargesWithAndWithoutFutureAmounts) {
    // A crown dated after the as-of date with a deposit paid on it, beside a current filling.
    std::vector<LedgerCharge> charges{Treatment(1, 20241201, 100000, 50000),
                                      Treatment(2, 20241101, 9000, 0)};
    std::vector<LedgerApplication> apps{Applied(1, 20241110, 20000)};
    auto r = AgeLedger(charges, apps, AsOf(20241115, true));
    EXPECT_EQ(r["D01"].pat, Row(9000, 0, 0, 0, 30000));
    EXPECT_EQ(r["D01"].ins, Row(0, 0, 0, 0, 50000));
    EXPECT_EQ(r["D01"].tot, Row(9000, 0, 0, 0, 80000));
    // Without future amounts both the crown and its deposit are left out.
    r = AgeLedger(charges, apps, AsOf(20241115, false));
    EXPECT_EQ(r["D01"].pat, Row(9000, 0, 0, 0, 0));
    EXPECT_EQ(r["D01"].ins, Row(0, 0, 0, 0, 0));

    auto b = host::calc::ComputeStoredBalances(charges, apps, 20241115);
    EXPECT_EQ(b.aged_date, 20241115);
    EXPECT_EQ(b.pat_bal, 39000);
    EXPECT_EQ(b.ins_bal, 50000);
    EXPECT_EQ(b.pat[0], 9000);
    EXPECT_EQ(b.pat_fut, 30000);
    EXPECT_EQ(b.ins_fut, 50000);
}

TEST(AgeLedger, ProducersAndBillingDoctors) {
    // A hygienist's scaling and an auxiliary's sealant billed under Dr 01, a treatment of
    // Dr 02, an office charge of Dr 01, and a credit of the patient's doctor 02.
    LedgerCharge office = Treatment(5, 20241105, 2500, 0, "D01", "01");
    office.office = true;
    std::vector<LedgerCharge> charges{Treatment(5, 20241105, 12000, 9000, "H01", "01"),
                                      Treatment(6, 20241105, 4000, 0, "A01", "01"),
                                      Treatment(7, 20240901, 30000, 0, "D02", "02"),
                                      Treatment(8, 20241105, 1000, 0, "H02", ""), office};
    std::vector<LedgerApplication> apps{Applied(5, 20241105, 1000, 'P', 'O'),
                                        Applied(5, 20241105, 3000),
                                        Credit(20241110, 5000, "D02", "02")};
    auto r = AgeLedger(charges, apps, AsOf(20241115));
    ASSERT_EQ(r.size(), 5u);
    EXPECT_EQ(r["H01"].pat, Row(0, 0, 0, 0));
    EXPECT_EQ(r["H01"].ins, Row(9000, 0, 0, 0));
    EXPECT_EQ(r["A01"].pat, Row(4000, 0, 0, 0));
    EXPECT_EQ(r["D01"].pat, Row(1500, 0, 0, 0));
    EXPECT_EQ(r["D02"].pat, Row(0, 0, 25000, 0));
    EXPECT_EQ(r["H02"].pat, Row(1000, 0, 0, 0));

    r = AgeLedger(charges, apps, AsOf(20241115, true, true));
    ASSERT_EQ(r.size(), 3u);
    EXPECT_EQ(r["D01"].pat, Row(5500, 0, 0, 0));
    EXPECT_EQ(r["D01"].ins, Row(9000, 0, 0, 0));
    EXPECT_EQ(r["D02"].tot, Row(0, 0, 25000, 0));
    EXPECT_EQ(r["H02"].tot, Row(1000, 0, 0, 0));  // no billing doctor: keeps its producer

    // The producers add up to the account, which is charges less applications.
    const AgedGroups all = host::calc::SumGroups(r);
    EXPECT_EQ(all.tot.v[host::calc::kTotal], 12000 + 4000 + 30000 + 1000 + 2500 - 9000);
}

TEST(AgeLedger, FullySettledProducersAreLeftOut) {
    std::vector<LedgerCharge> charges{Treatment(1, 20240101, 5000, 2000)};
    std::vector<LedgerApplication> apps{Applied(1, 20240101, 3000),
                                        Applied(1, 20240201, 2000, 'I')};
    EXPECT_TRUE(AgeLedger(charges, apps, AsOf(20241115)).empty());
    EXPECT_EQ(host::calc::ComputeStoredBalances(charges, apps, 20241115).pat_bal, 0);
}

TEST(AgeLedger, LineAdjustmentsMoveThePatientPortionOnly) {
    // 100.00 insured for 60.00: a 20.00 surcharge is the patient's, a 15.00 discount too.
    LedgerCharge surcharge = Treatment(1, 20241101, 10000, 6000);
    surcharge.adj_flag = 'S';
    surcharge.adj_amount = 2000;
    LedgerCharge discount = Treatment(2, 20240915, 10000, 6000, "H01", "01");
    discount.adj_flag = 'D';
    discount.adj_amount = 1500;
    LedgerCharge other = Treatment(3, 20240915, 10000, 6000, "H01", "01");
    other.adj_flag = 'N';  // any other flag: no adjustment
    other.adj_amount = 9999;
    auto r = AgeLedger({surcharge, discount, other}, {}, AsOf(20241115));
    EXPECT_EQ(r["D01"].pat, Row(6000, 0, 0, 0));
    EXPECT_EQ(r["D01"].ins, Row(6000, 0, 0, 0));
    EXPECT_EQ(r["H01"].pat, Row(0, 0, 2500 + 4000, 0));
    EXPECT_EQ(r["H01"].ins, Row(0, 0, 12000, 0));
    // A discount below the estimate leaves the patient a credit on the line; the insurer
    // still owes its estimate.
    discount.adj_amount = 6000;
    r = AgeLedger({discount}, {}, AsOf(20241115));
    EXPECT_EQ(r["H01"].pat, Row(0, 0, -2000, 0));
    EXPECT_EQ(r["H01"].ins, Row(0, 0, 6000, 0));
    // Deleted, the adjusted line counts nowhere, its payment becomes a credit.
    surcharge.deleted = 20241110;
    r = AgeLedger({surcharge}, {Applied(1, 20241101, 6000)}, AsOf(20241115));
    EXPECT_EQ(r["D01"].pat, Row(-6000, 0, 0, 0));
    EXPECT_EQ(r["D01"].ins, Row(0, 0, 0, 0));
}

TEST(AgeLedger, UndonePaymentsCountUntilTheirDate) {
    // A 100.00 line of 2024-11-01; a 40.00 payment of 11-04 deleted on 11-10, recorded as
    // its opposite dated 11-10 in the same payment; a 25.00 payment that stays.
    const std::vector<LedgerCharge> charges{Treatment(1, 20241101, 10000, 0)};
    LedgerApplication paid = Applied(1, 20241104, 4000);
    LedgerApplication undone = Applied(1, 20241110, -4000);
    paid.payment_undone = undone.payment_undone = 20241110;
    const LedgerApplication kept = Applied(1, 20241105, 2500);
    for (bool reversed : {false, true}) {
        SCOPED_TRACE(reversed ? "annulé" : "supprimé");
        paid.payment_reversed = undone.payment_reversed = reversed;
        EXPECT_EQ(AgeLedger(charges, {paid, undone, kept}, AsOf(20241109))["D01"].pat,
                  Row(3500, 0, 0, 0));
        EXPECT_EQ(AgeLedger(charges, {paid, undone, kept}, AsOf(20241110))["D01"].pat,
                  Row(7500, 0, 0, 0));
        // The same without the recorded opposite: the date alone decides.
        EXPECT_EQ(AgeLedger(charges, {paid, kept}, AsOf(20241109))["D01"].pat, Row(3500, 0, 0, 0));
        EXPECT_EQ(AgeLedger(charges, {paid, kept}, AsOf(20241115))["D01"].pat, Row(7500, 0, 0, 0));
    }
    // A reversed payment without a date never counts, a deleted one without a date is no
    // deleted payment.
    paid.payment_undone = 0;
    paid.payment_reversed = true;
    EXPECT_EQ(AgeLedger(charges, {paid, kept}, AsOf(20241109))["D01"].pat, Row(7500, 0, 0, 0));
    paid.payment_reversed = false;
    EXPECT_EQ(AgeLedger(charges, {paid, kept}, AsOf(20241109))["D01"].pat, Row(3500, 0, 0, 0));

    // An undone insurer payment and an undone credit: each side gets its money back.
    LedgerApplication insurer = Applied(2, 20241101, 5000, 'I');
    LedgerApplication credit = Credit(20241101, 1000);
    insurer.payment_undone = credit.payment_undone = 20241112;
    const std::vector<LedgerCharge> insured{Treatment(2, 20241001, 8000, 5000)};
    auto r = AgeLedger(insured, {insurer, credit}, AsOf(20241111));
    EXPECT_EQ(r["D01"].pat, Row(0, 2000, 0, 0));
    EXPECT_EQ(r["D01"].ins, Row(0, 0, 0, 0));
    r = AgeLedger(insured, {insurer, credit}, AsOf(20241112));
    EXPECT_EQ(r["D01"].pat, Row(0, 3000, 0, 0));
    EXPECT_EQ(r["D01"].ins, Row(0, 5000, 0, 0));
}

TEST(AgeLedger, MoneyOnALineOfAClaimNotYetInvoicedIsACredit) {
    // Patient portions of D01: 30.00 over 90 and 50.00 current. A 40.00 deposit on the line
    // of a crown still at the estimate (not in the ledger) is a credit of D01: it takes the
    // 30.00 over 90 first, then 10.00 of the current amount.
    const std::vector<LedgerCharge> charges{Treatment(1, 20240701, 3000, 0),
                                            Treatment(2, 20241110, 5000, 0)};
    LedgerApplication deposit = Applied(99, 20241112, 4000);
    auto r = AgeLedger(charges, {deposit}, AsOf(20241115));
    EXPECT_EQ(r["D01"].pat, Row(4000, 0, 0, 0));
    // Under a producer with nothing owed it stays negative in current; from an insurer it
    // is on the insurance side.
    deposit.producer = "D02";
    deposit.billdr = "02";
    r = AgeLedger(charges, {deposit}, AsOf(20241115));
    EXPECT_EQ(r["D02"].pat, Row(-4000, 0, 0, 0));
    EXPECT_EQ(r["D01"].pat, Row(5000, 0, 0, 3000));
    deposit.type = 'I';
    r = AgeLedger(charges, {deposit}, AsOf(20241115));
    EXPECT_EQ(r["D02"].pat, Row(0, 0, 0, 0));
    EXPECT_EQ(r["D02"].ins, Row(-4000, 0, 0, 0));
    // An office charge's number is no treatment's: money "applied" to office charge 1 that
    // the ledger does not hold is a credit too.
    r = AgeLedger(charges, {Applied(1, 20241112, 1000, 'P', 'O')}, AsOf(20241115));
    EXPECT_EQ(r["D01"].pat, Row(5000, 0, 0, 2000));
}

TEST(AgeLedger, InsurerMoneyBeyondTheChargeStaysOnTheInsuranceSide) {
    using host::calc::ChargePortions;
    // 100.00 insured for 80.00; the patient paid his 20.00; the insurers paid 110.00: the
    // first 20.00 beyond the estimate pays back the patient's share (owed back to him), the
    // last 10.00 is owed back to the insurer.
    std::vector<LedgerCharge> charges{Treatment(1, 20241101, 10000, 8000)};
    std::vector<LedgerApplication> apps{Applied(1, 20241101, 2000), Applied(1, 20241105, 8000, 'I'),
                                        Applied(1, 20241110, 3000, 'I')};
    auto r = AgeLedger(charges, apps, AsOf(20241115));
    EXPECT_EQ(r["D01"].pat, Row(-2000, 0, 0, 0));
    EXPECT_EQ(r["D01"].ins, Row(-1000, 0, 0, 0));
    EXPECT_EQ(r["D01"].tot, Row(-3000, 0, 0, 0));  // the charge less all the money
    // Without the patient's payment the insurer covered his share: he owes nothing.
    apps.erase(apps.begin());
    r = AgeLedger(charges, apps, AsOf(20241115));
    EXPECT_EQ(r["D01"].pat, Row(0, 0, 0, 0));
    EXPECT_EQ(r["D01"].ins, Row(-1000, 0, 0, 0));
    // A line insured in full: all of the excess is the insurer's.
    EXPECT_EQ(ChargePortions(10000, 10000, 0, 10500).pat, 0);
    EXPECT_EQ(ChargePortions(10000, 10000, 0, 10500).ins, -500);
    // Within the charge, the excess only pays the patient's share.
    EXPECT_EQ(ChargePortions(10000, 8000, 0, 9000).pat, 1000);
    EXPECT_EQ(ChargePortions(10000, 8000, 0, 9000).ins, 0);
    // A discount that left the charge below the estimate: the patient's share is nothing.
    EXPECT_EQ(ChargePortions(7000, 8000, 0, 8500).pat, -1000);
    EXPECT_EQ(ChargePortions(7000, 8000, 0, 8500).ins, -500);
    // An insurance credit (an insurer's cheque on no line) goes to the insurance side too.
    r = AgeLedger(charges, {Credit(20241110, 9000, "D01", "01", 'I')}, AsOf(20241115));
    EXPECT_EQ(r["D01"].pat, Row(2000, 0, 0, 0));
    EXPECT_EQ(r["D01"].ins, Row(-1000, 0, 0, 0));
}

TEST(AgeLedger, CreditsUnderBillingDoctorGrouping) {
    // A hygienist's credit under billing doctor 01 goes to D01 when grouping by billing
    // doctor; an auxiliary's credit without billing doctor keeps its producer.
    const std::vector<LedgerCharge> charges{Treatment(1, 20241101, 5000, 0, "D01", "01"),
                                            Treatment(2, 20241101, 3000, 0, "A01", "")};
    const std::vector<LedgerApplication> apps{Credit(20241105, 1000, "H01", "01"),
                                              Credit(20241105, 500, "A01", "")};
    auto r = AgeLedger(charges, apps, AsOf(20241115));
    EXPECT_EQ(r["H01"].pat, Row(-1000, 0, 0, 0));
    EXPECT_EQ(r["A01"].pat, Row(2500, 0, 0, 0));
    EXPECT_EQ(r["D01"].pat, Row(5000, 0, 0, 0));
    r = AgeLedger(charges, apps, AsOf(20241115, true, true));
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ(r["D01"].pat, Row(4000, 0, 0, 0));
    EXPECT_EQ(r["A01"].pat, Row(2500, 0, 0, 0));
}

TEST(AgeLedger, AdditionalAmountIsThePatientsAndNoProducers) {
    std::vector<LedgerCharge> charges{Treatment(1, 20240801, 10000, 6000)};
    AgedGroups all = host::calc::SumGroups(AgeLedger(charges, {}, AsOf(20241115)));
    host::calc::AddAccountAmount(&all, 1250);
    EXPECT_EQ(all.pat, Row(1250, 0, 0, 4000));
    EXPECT_EQ(all.ins, Row(0, 0, 0, 6000));
    EXPECT_EQ(all.tot, Row(1250, 0, 0, 10000));
    // The stored balances leave it out.
    EXPECT_EQ(host::calc::ComputeStoredBalances(charges, {}, 20241115).pat_bal, 4000);
    // A column already at the 64-bit bound stays there.
    AgedGroups full;
    full.pat.v[0] = std::numeric_limits<int64_t>::max();
    full.tot.v[4] = std::numeric_limits<int64_t>::min();
    host::calc::AddAccountAmount(&full, std::numeric_limits<int64_t>::max());
    EXPECT_EQ(full.pat.v[0], std::numeric_limits<int64_t>::max());
    EXPECT_EQ(full.pat.v[4], std::numeric_limits<int32_t>::max());
    host::calc::AddAccountAmount(&full, std::numeric_limits<int64_t>::min());
    EXPECT_EQ(full.tot.v[4], std::numeric_limits<int64_t>::min());
}

TEST(AgeLedger, AmountsAtAndBeyondTheStoredRange) {
    constexpr int64_t kMax32 = std::numeric_limits<int32_t>::max();
    constexpr int64_t kMin32 = std::numeric_limits<int32_t>::min();
    constexpr int64_t kMax64 = std::numeric_limits<int64_t>::max();
    constexpr int64_t kMin64 = std::numeric_limits<int64_t>::min();
    // At the edges of the 32-bit range every figure is exact, sums past 32 bits included.
    LedgerCharge big = Treatment(1, 20241101, kMax32, 0);
    big.adj_flag = 'S';
    big.adj_amount = kMax32;
    const std::vector<LedgerCharge> edge{big, Treatment(2, 20240101, kMax32, kMax32)};
    auto r = AgeLedger(edge, {Applied(1, 20241101, kMin32), Applied(2, 20240201, kMin32, 'I')},
                       AsOf(20241115));
    EXPECT_EQ(r["D01"].pat, Row(2 * kMax32 - kMin32, 0, 0, 0));
    EXPECT_EQ(r["D01"].ins, Row(0, 0, 0, kMax32 - kMin32));
    EXPECT_EQ(r["D01"].tot.v[host::calc::kTotal], 3 * kMax32 - 2 * kMin32);

    // Beyond it (no table holds such amounts; the readers refuse them), each amount is
    // taken at the nearest bound: the figures are those of the bounds, nothing overflows.
    LedgerCharge huge = Treatment(1, 20241101, kMax64, kMin64);
    huge.adj_flag = 'S';
    huge.adj_amount = kMax64;
    std::vector<LedgerCharge> extreme{huge, Treatment(2, 20240101, kMax64, kMax64)};
    std::vector<LedgerApplication> apps{Applied(1, 20241101, kMin64), Applied(1, 20241101, kMin64),
                                        Applied(2, 20240201, kMin64, 'I'), Credit(20241101, kMax64),
                                        Credit(20241101, kMin64, "D01", "01", 'I')};
    r = AgeLedger(extreme, apps, AsOf(20241115));
    LedgerCharge at_bound = big;
    at_bound.ins_estimate = kMin32;
    const std::vector<LedgerCharge> bounds{at_bound, Treatment(2, 20240101, kMax32, kMax32)};
    const std::vector<LedgerApplication> bound_apps{
        Applied(1, 20241101, kMin32), Applied(1, 20241101, kMin32),
        Applied(2, 20240201, kMin32, 'I'), Credit(20241101, kMax32),
        Credit(20241101, kMin32, "D01", "01", 'I')};
    EXPECT_EQ(r, AgeLedger(bounds, bound_apps, AsOf(20241115)));
    // Many of them add up in 64 bits.
    extreme.assign(1000, huge);
    for (size_t i = 0; i < extreme.size(); ++i)
        extreme[i].id = static_cast<long>(i + 1);
    r = AgeLedger(extreme, {}, AsOf(20241115));
    EXPECT_EQ(r["D01"].tot.v[host::calc::kTotal], 1000 * (2 * kMax32));
    // The per-charge rule keeps its sums within +-2^61.
    const auto p = host::calc::ChargePortions(kMax64, kMin64, kMin64, kMax64);
    EXPECT_LT(p.pat, kMax64);
    EXPECT_GT(p.ins, kMin64);
}

}  // namespace
