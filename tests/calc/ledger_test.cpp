// Ledgers read from the tables, by SQL and through the record classes: every kind of item the
// aging rules name, aged as computed by hand, the same in both modes; and stored amounts
// beyond 32 bits refused where they are read.
#include "host/calc/ledger.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <map>
#include <memory>

#include "app/demo/demo.h"
#include "host/calc/arcalc.h"
#include "host/records/context.h"
#include "host/records/records.h"
#include "tests/calc/aged_row.h"
#include "tests/support/practice_test.h"

namespace {

using host::calc::AgedGroups;
using host::calc::AgingOptions;
using host::calc::Ledger;
using host::calc::LedgerSource;

using calc_test::Row;

class LedgerTest : public testing_support::PracticeTest<> {
  protected:
    void Exec(const std::string& sql) {
        ASSERT_EQ(t_->db().dbExecute(sql), 0) << sql << " : " << t_->db().dbLastError();
    }
    std::map<std::string, AgedGroups> Age(int mode, long as_of, long account = 1) {
        LedgerSource source(launcher_->GetListPtr(), launcher_->GetMsgPtr(), mode);
        Ledger ledger;
        TEmgBase err;
        EXPECT_TRUE(source.Account(account, &ledger, &err)) << err.Text();
        AgingOptions o;
        o.as_of = as_of;
        return host::calc::AgeLedger(ledger.charges, ledger.applications, o);
    }
};

// Account 1: Luc (11) and Léa (12), as of 2024-11-15.
//   T1 Luc 11-01 D01/01 100.00 insured 60.00, surcharge ('S') 20.00; the insurer paid 50.00
//      on 11-10; a 40.00 payment of 11-03 deleted on 11-06 (its opposite dated 11-06).
//   T2 Léa 09-01 H01/01 200.00 uninsured, discount ('D') 50.00; a 30.00 card payment of
//      11-04 reversed on 11-08 (its opposite dated 11-08); a 10.00 payment reversed, no date.
//   T3 Luc 11-10 D01/01 900.00, line of an estimate: a 200.00 deposit on it on 11-12.
//   O1 Luc 10-20 30.00 billing 01, paid 10.00 on 10-25, deleted on 11-05.
//   O2 Léa 07-01 25.00 billing 02.
void BuildAccount(const std::function<void(const std::string&)>& exec) {
    for (const char* sql : {
             "INSERT INTO ACCOUNT (ACC_ID, ACC_LNAME) VALUES (1, 'Tremblay')",
             "INSERT INTO PATIENT (PAT_ID, PAT_ACCID, PAT_PNAME) VALUES (11, 1, 'Luc'), "
             "(12, 1, 'Léa')",
             "INSERT INTO PATCLM (PCLM_ID, PCLM_PATID, PCLM_STATUS) VALUES (101, 11, 'I'), "
             "(102, 12, 'C'), (103, 11, 'E')",
             "INSERT INTO CLMTRT (CTRT_ID, CTRT_PCLMID, CTRT_DATE, CTRT_PRODUCER, CTRT_BILL_DOC, "
             "CTRT_TOTAL, CTRT_INS_TOTAL, CTRT_ADJ_FLAG, CTRT_ADJ_AMT) VALUES "
             "(1, 101, 20241101, 'D01', '01', 10000, 6000, 'S', 2000), "
             "(2, 102, 20240901, 'H01', '01', 20000, 0, 'D', 5000)",
             "INSERT INTO CLMTRT (CTRT_ID, CTRT_PCLMID, CTRT_DATE, CTRT_PRODUCER, CTRT_BILL_DOC, "
             "CTRT_TOTAL) VALUES (3, 103, 20241110, 'D01', '01', 90000)",
             "INSERT INTO PATOCH (POCH_ID, POCH_PATID, POCH_DATE, POCH_DELDATE, POCH_TOTAL, "
             "POCH_BILLDR) VALUES (1, 11, 20241020, 20241105, 3000, '01')",
             "INSERT INTO PATOCH (POCH_ID, POCH_PATID, POCH_DATE, POCH_TOTAL, POCH_BILLDR) "
             "VALUES (2, 12, 20240701, 2500, '02')",
             "INSERT INTO ACCPMT (APMT_ID, APMT_ACCID, APMT_TYPE, APMT_DATE, APMT_TOTAL, "
             "APMT_DELDATE) VALUES (1, 1, 'P', 20241103, 4000, 20241106)",
             "INSERT INTO ACCPMT (APMT_ID, APMT_ACCID, APMT_TYPE, APMT_DATE, APMT_TOTAL, "
             "APMT_DELDATE, APMT_REVERSED) VALUES (2, 1, 'P', 20241104, 3000, 20241108, 'Y')",
             "INSERT INTO ACCPMT (APMT_ID, APMT_ACCID, APMT_TYPE, APMT_DATE, APMT_TOTAL, "
             "APMT_REVERSED) VALUES (3, 1, 'P', 20241105, 1000, 'Y')",
             "INSERT INTO ACCPMT (APMT_ID, APMT_ACCID, APMT_TYPE, APMT_DATE, APMT_TOTAL) "
             "VALUES (4, 1, 'I', 20241110, 5000), (5, 1, 'P', 20241112, 20000), "
             "(6, 1, 'P', 20241025, 1000)",
         })
        exec(sql);
    const std::string app =
        "INSERT INTO PMTAPP (PAPP_ID, PAPP_APMTID, PAPP_RECTYPE, PAPP_CTRTID, PAPP_POCHID, "
        "PAPP_PATID, PAPP_TYPE, PAPP_DATE, PAPP_AMOUNT, PAPP_PRODUCER, PAPP_BILLDR) VALUES ";
    for (const char* values : {
             "(1, 1, 'T', 1, 0, 11, 'P', 20241103, 4000, 'D01', '01')",
             "(2, 1, 'T', 1, 0, 11, 'P', 20241106, -4000, 'D01', '01')",
             "(3, 2, 'T', 2, 0, 12, 'P', 20241104, 3000, 'H01', '01')",
             "(4, 2, 'T', 2, 0, 12, 'P', 20241108, -3000, 'H01', '01')",
             "(5, 3, 'T', 2, 0, 12, 'P', 20241105, 1000, 'H01', '01')",
             "(6, 4, 'T', 1, 0, 11, 'I', 20241110, 5000, 'D01', '01')",
             "(7, 5, 'T', 3, 0, 11, 'P', 20241112, 20000, 'D01', '01')",
             "(8, 6, 'O', 0, 1, 11, 'P', 20241025, 1000, 'D01', '01')",
         })
        exec(app + values);
}

TEST_P(LedgerTest, EveryKindOfItemAgesAsComputedByHandInBothModes) {
    BuildAccount([&](const std::string& sql) { Exec(sql); });
    for (int mode : {1, 0}) {
        SCOPED_TRACE(mode == 1 ? "SQL" : "classes d'enregistrement");
        // As of 11-15: T1 owes 120.00 - 60.00 = 60.00 patient, 10.00 insurance (the deleted
        // payment no longer counts); T2 150.00 (both card payments undone); O1 is deleted and
        // its 10.00 is a credit of D01, as is the 200.00 deposit on the estimate's line: D01's
        // 60.00 goes, 150.00 stays in credit.
        auto r = Age(mode, 20241115);
        ASSERT_EQ(r.size(), 3u);
        EXPECT_EQ(r["D01"].pat, Row(-15000, 0, 0, 0));
        EXPECT_EQ(r["D01"].ins, Row(1000, 0, 0, 0));
        EXPECT_EQ(r["H01"].pat, Row(0, 0, 15000, 0));
        EXPECT_EQ(r["D02"].pat, Row(0, 0, 0, 2500));
        // As of 11-05: the deleted 40.00 and the card's 30.00 still count, the reversed
        // payment without a date does not; O1 is deleted that day; no deposit yet.
        r = Age(mode, 20241105);
        EXPECT_EQ(r["D01"].pat, Row(1000, 0, 0, 0));
        EXPECT_EQ(r["D01"].ins, Row(6000, 0, 0, 0));
        EXPECT_EQ(r["H01"].pat, Row(0, 0, 12000, 0));
        EXPECT_EQ(r["D02"].pat, Row(0, 0, 0, 2500));
    }
}

TEST_P(LedgerTest, PatientsAddUpToTheirAccount) {
    BuildAccount([&](const std::string& sql) { Exec(sql); });
    for (int mode : {1, 0}) {
        SCOPED_TRACE(mode == 1 ? "SQL" : "classes d'enregistrement");
        ArCalc calc(launcher_->GetListPtr(), launcher_->GetMsgPtr(), mode);
        ASSERT_TRUE(calc.SetupAR(20241115, false, true, false, true, false, true, nullptr));
        ASSERT_TRUE(calc.CalcAR(1, true, false, nullptr, nullptr));
        const AgedGroups account = calc.Entry(0).ar;
        ASSERT_TRUE(calc.CalcAR(11, false, false, nullptr, nullptr));
        // Luc holds T1, the deleted O1 with its 10.00 and the deposit on his estimate.
        EXPECT_EQ(calc.Entry(0).ar.pat, Row(-15000, 0, 0, 0));
        ASSERT_TRUE(calc.CalcAR(12, false, true, nullptr, nullptr));
        EXPECT_EQ(calc.Entry(0).ar, account);
    }
}

// A practice with one treatment, one office charge and one payment applied to each.
void BuildSmall(const std::function<void(const std::string&)>& exec) {
    for (const char* sql : {
             "INSERT INTO ACCOUNT (ACC_ID, ACC_LNAME) VALUES (2, 'Roy')",
             "INSERT INTO PATIENT (PAT_ID, PAT_ACCID) VALUES (21, 2)",
             "INSERT INTO PATCLM (PCLM_ID, PCLM_PATID, PCLM_STATUS) VALUES (201, 21, 'I')",
             "INSERT INTO CLMTRT (CTRT_ID, CTRT_PCLMID, CTRT_DATE, CTRT_PRODUCER, CTRT_BILL_DOC, "
             "CTRT_TOTAL, CTRT_INS_TOTAL, CTRT_ADJ_FLAG, CTRT_ADJ_AMT) VALUES "
             "(17, 201, 20241101, 'D01', '01', 10000, 0, 'S', 0)",
             "INSERT INTO PATOCH (POCH_ID, POCH_PATID, POCH_DATE, POCH_TOTAL, POCH_BILLDR) "
             "VALUES (18, 21, 20241101, 500, '01')",
             "INSERT INTO ACCPMT (APMT_ID, APMT_ACCID, APMT_TYPE, APMT_DATE, APMT_TOTAL) "
             "VALUES (9, 2, 'P', 20241105, 0)",
             "INSERT INTO PMTAPP (PAPP_ID, PAPP_APMTID, PAPP_RECTYPE, PAPP_CTRTID, PAPP_PATID, "
             "PAPP_TYPE, PAPP_DATE, PAPP_AMOUNT, PAPP_PRODUCER, PAPP_BILLDR) VALUES "
             "(19, 9, 'T', 17, 21, 'P', 20241105, 0, 'D01', '01')",
         })
        exec(sql);
}

TEST_P(LedgerTest, AmountsBeyondThirtyTwoBitsAreRefusedWhereTheyAreRead) {
    BuildSmall([&](const std::string& sql) { Exec(sql); });
    constexpr int64_t kMax64 = std::numeric_limits<int64_t>::max();
    constexpr int64_t kMin64 = std::numeric_limits<int64_t>::min();
    constexpr int64_t kMax32 = std::numeric_limits<int32_t>::max();
    constexpr int64_t kMin32 = std::numeric_limits<int32_t>::min();
    struct Case {
        const char *table, *column, *id_column;
        long id;
        int64_t value;
    };
    const Case cases[] = {{"CLMTRT", "CTRT_TOTAL", "CTRT_ID", 17, kMax64},
                          {"CLMTRT", "CTRT_INS_TOTAL", "CTRT_ID", 17, kMin64},
                          {"CLMTRT", "CTRT_ADJ_AMT", "CTRT_ID", 17, kMax32 + 1},
                          {"PATOCH", "POCH_TOTAL", "POCH_ID", 18, kMin32 - 1},
                          {"PMTAPP", "PAPP_AMOUNT", "PAPP_ID", 19, kMin64}};
    // A PostgreSQL INTEGER cannot hold them: the columns are widened, as a practice converted
    // from another system might have them.
    if (t_->db().engine() == GenDB::Engine::PostgreSQL)
        for (const Case& c : cases)
            Exec(std::string("ALTER TABLE ") + c.table + " ALTER COLUMN " + c.column +
                 " TYPE BIGINT");
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.table) + "." + c.column + " = " + std::to_string(c.value));
        Exec(std::string("UPDATE ") + c.table + " SET " + c.column + " = " +
             std::to_string(c.value) + " WHERE " + c.id_column + " = " + std::to_string(c.id));
        for (int mode : {1, 0}) {
            LedgerSource source(launcher_->GetListPtr(), launcher_->GetMsgPtr(), mode);
            Ledger ledger;
            TEmgBase err;
            EXPECT_FALSE(source.Account(2, &ledger, &err)) << "mode " << mode;
            const std::string text = err.Text();
            for (const std::string& part :
                 {std::string(c.table), std::string(c.column), "ligne " + std::to_string(c.id),
                  std::to_string(c.value), std::string("32 bits")})
                EXPECT_NE(text.find(part), std::string::npos) << "mode " << mode << ": " << text;
        }
        // The demo summary's walk over the whole practice refuses it too.
        std::string error;
        EXPECT_FALSE(demo::ForEachAccountLedger(
            t_->db(), [](long, const auto&, const auto&) {}, &error));
        EXPECT_NE(error.find(c.column), std::string::npos) << error;
        Exec(std::string("UPDATE ") + c.table + " SET " + c.column + " = 0 WHERE " + c.id_column +
             " = " + std::to_string(c.id));
    }

    // At the edges of the range everything is read and aged exactly, sums past 32 bits too.
    Exec("UPDATE CLMTRT SET CTRT_TOTAL = 2147483647, CTRT_ADJ_AMT = 2147483647");
    Exec("UPDATE PATOCH SET POCH_TOTAL = 2147483647");
    Exec("UPDATE PMTAPP SET PAPP_AMOUNT = -2147483648");
    for (int mode : {1, 0}) {
        auto r = Age(mode, 20241115, 2);
        EXPECT_EQ(r["D01"].pat, Row(3 * kMax32 - kMin32, 0, 0, 0)) << "mode " << mode;
    }
    // Such a balance does not fit the account's columns: it is not written.
    DrArCalc dr(launcher_->GetListPtr(), launcher_->GetMsgPtr(), 1);
    ASSERT_TRUE(dr.SetupAR(20241115, false, true, false, nullptr));
    ASSERT_TRUE(dr.CalcAR(2, true, false, nullptr, false));
    TEmgBase err;
    EXPECT_FALSE(dr.WriteActBal(2, &err, false));
    EXPECT_NE(err.Text().find("32 bits"), std::string::npos) << err.Text();
    EXPECT_EQ(t_->db().QueryInt("SELECT ACC_PAT_BAL FROM ACCOUNT WHERE ACC_ID = 2", -1), 0);
}

INSTANTIATE_TEST_SUITE_P(Engines, LedgerTest, testing::ValuesIn(testing_support::Engines()),
                         testing_support::EngineName);

}  // namespace
