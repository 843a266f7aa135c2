// Receivable aging on hand-computed ledgers.
#include "host/calc/aging.h"

#include <gtest/gtest.h>

namespace {

using host::calc::Aged;
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

Aged Row(int64_t cur, int64_t d30, int64_t d60, int64_t d90, int64_t fut = 0) {
    Aged a;
    a.v[0] = cur;
    a.v[1] = d30;
    a.v[2] = d60;
    a.v[3] = d90;
    a.v[4] = cur + d30 + d60 + d90;
    a.v[5] = fut;
    return a;
}

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

    // A bucket already negative (insurer overpayment) gives nothing to the credit.
    charges.push_back(Treatment(4, 20240901, 1000, 500));
    apps = {Applied(4, 20240920, 1200, 'I'), Credit(20241112, 900)};
    r = AgeLedger(charges, apps, AsOf(20241115));
    // 61-90 holds 10.00 - 5.00 - 7.00 = -2.00 for the patient after the overpayment; the
    // credit takes 5.00 over 90, nothing in 61-90, and 4.00 of the 20.00 in 31-60.
    EXPECT_EQ(r["D01"].pat, Row(1000, 1600, -200, 0));
    EXPECT_EQ(r["D01"].ins, Row(0, 0, 0, 0));

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

}  // namespace
