// The receivable calculators over the demo practice: the balances they recompute equal
// the ones the accounts store, both calculation modes agree, and the per-producer
// receivables add up to the report's totals.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "app/demo/demo.h"
#include "host/base/dates.h"
#include "host/calc/arcalc.h"
#include "host/records/context.h"
#include "host/records/records.h"
#include "tests/support/practice_test.h"

namespace {

using host::calc::AgedGroups;
using host::calc::kFuture;
using host::calc::kTotal;

constexpr long kToday = 20241115;

class CalculatorTest : public testing_support::PracticeTest<> {
  protected:
    bool Schema() const override { return false; }
    void Build(GenDB& db) override {
        demo::DemoOptions options;
        options.size = demo::Size::Small;
        options.seed = 7;
        options.today = kToday;
        demo::DemoStats stats;
        std::string error;
        ASSERT_TRUE(demo::GenerateDemo(db, options, &stats, &error)) << error;
    }
    void SetUp() override {
        PracticeTest::SetUp();
        AccountInfo accounts(launcher_->GetListPtr(), launcher_->GetMsgPtr());
        for (bool ok = accounts.DBGetFirst(); ok; ok = accounts.DBGetNext())
            accounts_.push_back(*accounts.GetRecPtr());
        ASSERT_GT(accounts_.size(), 10u);
    }
    std::vector<account_struct> accounts_;
};

TEST_P(CalculatorTest, RecomputedBalancesEqualTheStoredOnesInBothModes) {
    for (int mode : {1, 0}) {
        DrArCalc calc(launcher_->GetListPtr(), launcher_->GetMsgPtr(), mode);
        ASSERT_TRUE(calc.SetupAR(kToday, false, true, false, nullptr));
        for (const account_struct& a : accounts_) {
            ASSERT_TRUE(calc.CalcAR(a.acc_id, true, false, nullptr, false)) << a.acc_id;
            int64_t rows[2][6];
            ASSERT_TRUE(calc.GetOneAR(rows));
            EXPECT_EQ(rows[0][4], a.pat_bal) << "account " << a.acc_id << " mode " << mode;
            EXPECT_EQ(rows[1][4], a.ins_bal) << "account " << a.acc_id << " mode " << mode;
            EXPECT_EQ(rows[0][0], a.pat_cur);
            EXPECT_EQ(rows[1][3], a.ins_90);
            EXPECT_FALSE(calc.Changed());
        }
    }
}

TEST_P(CalculatorTest, ProducerReceivablesAddUpToTheAccounts) {
    // Per producer and per billing doctor, the account-by-account receivables sum to the
    // same practice total as the accounts' stored balances.
    DrArCalc dr(launcher_->GetListPtr(), launcher_->GetMsgPtr(), 1);
    ASSERT_TRUE(dr.SetupAR(kToday, false, true, false, nullptr));
    int64_t stored = 0, by_prod = 0, by_bill = 0;
    std::map<std::string, int64_t> prod_totals;
    for (const account_struct& a : accounts_) {
        stored += int64_t{a.pat_bal} + a.ins_bal;
        ASSERT_TRUE(dr.CalcAR(a.acc_id, true, false, nullptr, false));
        int n = 0;
        const dr_ar_bucket* p = dr.GetAllProdDrAR(&n);
        for (int i = 1; i <= n; ++i) {
            by_prod += BucketBalance(p[i]);
            prod_totals[p[i].prod_code] += BucketBalance(p[i]);
        }
        const dr_ar_bucket* b = dr.GetAllBillDrAR(&n);
        for (int i = 1; i <= n; ++i)
            by_bill += BucketBalance(b[i]);
    }
    EXPECT_EQ(by_prod, stored);
    EXPECT_EQ(by_bill, stored);

    // ArCalc accumulating every account gives the same producers' figures, an auxiliary's
    // on its billing doctor (where DrArCalc's receivable by producer puts them).
    std::map<std::string, std::string> doctor_of;
    ProdInfo prods(launcher_->GetListPtr(), launcher_->GetMsgPtr());
    ASSERT_TRUE(prods.GetAll());
    for (const prodcd_struct& p : prods.Items())
        if (p.type == 'A') doctor_of[p.code] = "D" + p.billdr;
    ArCalc ar(launcher_->GetListPtr(), launcher_->GetMsgPtr(), 0);
    ASSERT_TRUE(ar.SetupAR(kToday, false, true, false, true, false, true, nullptr));
    for (const account_struct& a : accounts_)
        ASSERT_TRUE(ar.CalcAR(a.acc_id, true, true, nullptr, nullptr));
    std::map<std::string, int64_t> expected;
    for (int i = 1; i <= ar.LastIndex(); ++i) {
        const dr_ar_bucket& e = ar.Entry(i);
        auto aux = doctor_of.find(e.prod_code);
        expected[aux == doctor_of.end() ? e.prod_code : aux->second] += BucketBalance(e);
    }
    EXPECT_FALSE(doctor_of.empty());
    for (const auto& [code, balance] : expected)
        EXPECT_EQ(balance, prod_totals[code]) << code;
    for (const auto& [aux, doctor] : doctor_of)
        EXPECT_EQ(prod_totals[aux], 0) << aux;
    EXPECT_EQ(BucketBalance(ar.Entry(0)), stored);
}

TEST_P(CalculatorTest, WritingBalancesRepairsADivergentAccount) {
    const account_struct& a = accounts_[3];
    db().dbExecute(
        "UPDATE ACCOUNT SET ACC_PAT_BAL = ACC_PAT_BAL + 1234, ACC_INS_30 = -5 "
        "WHERE ACC_ID = " +
        std::to_string(a.acc_id));
    DrArCalc calc(launcher_->GetListPtr(), launcher_->GetMsgPtr(), 1);
    ASSERT_TRUE(calc.SetupAR(kToday, false, true, false, nullptr));
    ASSERT_TRUE(calc.CalcAR(a.acc_id, true, false, nullptr, false));
    EXPECT_EQ(calc.StoredPatBal(), a.pat_bal + 1234);
    // Another workstation writes the account meanwhile: a recheck notices.
    db().dbExecute("UPDATE ACCOUNT SET ACC_PAT_BAL = 1 WHERE ACC_ID = " + std::to_string(a.acc_id));
    ASSERT_TRUE(calc.CalcAR(a.acc_id, true, true, nullptr, true));
    EXPECT_TRUE(calc.Changed());
    ASSERT_TRUE(calc.WriteActBal(a.acc_id, nullptr, false));
    AccountInfo accounts(launcher_->GetListPtr(), launcher_->GetMsgPtr());
    ASSERT_TRUE(accounts.DBFindRecById(a.acc_id));
    EXPECT_EQ(accounts.GetRecPtr()->pat_bal, a.pat_bal);
    EXPECT_EQ(accounts.GetRecPtr()->ins_30, a.ins_30);
    // The balances of another account are not written from this computation.
    TEmgBase err;
    EXPECT_FALSE(calc.WriteActBal(accounts_[4].acc_id, &err, false));
    EXPECT_TRUE(err.HasError());
}

TEST_P(CalculatorTest, BadDatesAndUnpreparedRunsAreRefused) {
    ArCalc ar(launcher_->GetListPtr(), launcher_->GetMsgPtr());
    TEmgBase err;
    EXPECT_FALSE(ar.CalcAR(accounts_[0].acc_id, true, false, nullptr, &err));
    EXPECT_TRUE(err.HasError());
    err.ClearErrMsgInfo();
    EXPECT_FALSE(ar.SetupAR(20240231, false, true, false, true, false, true, &err));
    EXPECT_NE(err.Text().find("20240231"), std::string::npos);
    // An unknown patient owes nothing.
    ASSERT_TRUE(ar.SetupAR(kToday, false, true, false, true, false, true, nullptr));
    ASSERT_TRUE(ar.CalcAR(99999999, false, false, nullptr, nullptr));
    EXPECT_TRUE(ar.Entry(0).ar.tot.IsZero());
}

// The accounts holding the items the aging rules name (line adjustments, deleted and reversed
// payments, deleted office charges, deposits on claims not yet invoiced, entries made after
// the last month end for a date before it), aged on the days around each: both modes give
// the same figures, producer by producer, and the account is the sum of its patients.
TEST_P(CalculatorTest, EveryKindOfItemAgesAlikeInBothModesAndByPatient) {
    GenDB& db = this->db();
    std::set<long> accounts;
    std::set<long> dates = {kToday, 20241031};
    auto collect = [&](const std::string& sql, bool with_date) {
        constexpr int kCursor = 950;
        ASSERT_EQ(db.dbOpen(sql, kCursor), 0) << sql;
        for (int rc = db.dbFetch(0, kCursor); rc == 0; rc = db.dbFetch(1, kCursor)) {
            accounts.insert(static_cast<long>(db.Cursor(kCursor)->Int(1)));
            if (!with_date) continue;
            const long d = static_cast<long>(db.Cursor(kCursor)->Int(2));
            dates.insert(d);
            dates.insert(incr_date(d, -1));
        }
        db.dbClose(kCursor);
    };
    collect("SELECT APMT_ACCID, APMT_DELDATE FROM ACCPMT WHERE APMT_DELDATE > 0", true);
    collect(
        "SELECT PAT_ACCID, POCH_DELDATE FROM PATOCH, PATIENT WHERE PAT_ID = POCH_PATID AND "
        "POCH_DELDATE > 0",
        true);
    collect(
        "SELECT PAT_ACCID FROM CLMTRT, PATCLM, PATIENT WHERE PCLM_ID = CTRT_PCLMID AND "
        "PAT_ID = PCLM_PATID AND CTRT_ADJ_FLAG IN ('S', 'D')",
        false);
    collect(
        "SELECT PAT_ACCID FROM PMTAPP, CLMTRT, PATCLM, PATIENT WHERE CTRT_ID = PAPP_CTRTID "
        "AND PAPP_RECTYPE = 'T' AND PCLM_ID = CTRT_PCLMID AND PCLM_STATUS IN ('E', 'P') AND "
        "PAT_ID = PCLM_PATID",
        false);
    collect(
        "SELECT APMT_ACCID FROM PMTAPP, ACCPMT WHERE APMT_ID = PAPP_APMTID AND PAPP_DATE <= "
        "20241031 AND PAPP_SYSDATE > 20241031",
        false);
    ASSERT_GE(accounts.size(), 6u);
    for (long date : dates) {
        ArCalc sql(launcher_->GetListPtr(), launcher_->GetMsgPtr(), 1);
        ArCalc records(launcher_->GetListPtr(), launcher_->GetMsgPtr(), 0);
        ASSERT_TRUE(sql.SetupAR(date, false, true, false, true, false, true, nullptr));
        ASSERT_TRUE(records.SetupAR(date, false, true, false, true, false, true, nullptr));
        for (long acc : accounts) {
            SCOPED_TRACE("compte " + std::to_string(acc) + " au " + std::to_string(date));
            ASSERT_TRUE(sql.CalcAR(acc, true, false, nullptr, nullptr));
            ASSERT_TRUE(records.CalcAR(acc, true, false, nullptr, nullptr));
            ASSERT_EQ(sql.LastIndex(), records.LastIndex());
            for (int i = 0; i <= sql.LastIndex(); ++i) {
                EXPECT_STREQ(sql.Entry(i).prod_code, records.Entry(i).prod_code);
                EXPECT_EQ(sql.Entry(i).ar, records.Entry(i).ar) << sql.Entry(i).prod_code;
            }
            const AgedGroups account = sql.Entry(0).ar;
            bool first = true;
            for (const account_struct& a : accounts_)
                if (a.acc_id == acc) {
                    PersInfo patients(launcher_->GetListPtr(), launcher_->GetMsgPtr());
                    ASSERT_TRUE(patients.GetAccountPatients(acc, nullptr));
                    for (const patient_struct& p : patients.Items()) {
                        ASSERT_TRUE(sql.CalcAR(p.pat_id, false, !first, nullptr, nullptr));
                        first = false;
                    }
                }
            EXPECT_EQ(sql.Entry(0).ar, account);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Engines, CalculatorTest, testing::ValuesIn(testing_support::Engines()),
                         testing_support::EngineName);

}  // namespace
