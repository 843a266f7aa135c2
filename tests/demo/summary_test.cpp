// The summary of a small hand-made practice: each account's ledger is read from the tables
// and aged, and the figures are those computed by hand.
#include <gtest/gtest.h>

#include "app/demo/demo.h"
#include "tests/calc/aged_row.h"
#include "tests/support/testdb.h"

namespace {

using calc_test::Row;

class DemoSummary : public testing::TestWithParam<std::string> {};

TEST_P(DemoSummary, LedgersReadFromTheTablesAgeAsComputedByHand) {
    testing_support::TestDb t(GetParam(), true);
    GenDB& db = t.db();
    for (const char* sql : {
             "INSERT INTO PRACINFO (PRAC_ID, PRAC_NAME) VALUES (1, 'Clinique d''essai')",
             "INSERT INTO DAYEND (DEND_ID, DEND_LASTDAY) VALUES (1, 20241114)",
             "INSERT INTO ACCOUNT (ACC_ID, ACC_LNAME, ACC_PAT_BAL, ACC_ADD_AMT) VALUES (1, "
             "'O''Neil', 3000, 1250)",
             "INSERT INTO ACCOUNT (ACC_ID, ACC_LNAME, ACC_INS_BAL) VALUES (2, 'Côté', 8000)",
             "INSERT INTO ACCOUNT (ACC_ID, ACC_LNAME, ACC_SYS_INACTIVE) VALUES (3, 'Roy', 'Y')",
             "INSERT INTO PATIENT (PAT_ID, PAT_ACCID, PAT_DOCTOR) VALUES (10, 1, '01')",
             "INSERT INTO PATIENT (PAT_ID, PAT_ACCID, PAT_DOCTOR, PAT_DELETE_DATE) VALUES "
             "(20, 2, '01', 20240101)",
             // Account 1: a closed claim with a line deleted, an estimate that is no charge,
             // and an office charge that shares its number with a treatment.
             "INSERT INTO PATCLM (PCLM_ID, PCLM_PATID, PCLM_STATUS) VALUES (100, 10, 'C')",
             "INSERT INTO PATCLM (PCLM_ID, PCLM_PATID, PCLM_STATUS) VALUES (101, 10, 'E')",
             "INSERT INTO CLMTRT (CTRT_ID, CTRT_PCLMID, CTRT_PRODUCER, CTRT_BILL_DOC, CTRT_DATE, "
             "CTRT_TOTAL, CTRT_INS_TOTAL) VALUES (1000, 100, 'D01', '01', 20241001, 10000, 6000)",
             "INSERT INTO CLMTRT (CTRT_ID, CTRT_PCLMID, CTRT_PRODUCER, CTRT_BILL_DOC, CTRT_DATE, "
             "CTRT_DEL_DATE, CTRT_TOTAL) VALUES (1001, 100, 'D01', '01', 20241001, 20241105, 9900)",
             "INSERT INTO CLMTRT (CTRT_ID, CTRT_PCLMID, CTRT_PRODUCER, CTRT_BILL_DOC, CTRT_DATE, "
             "CTRT_TOTAL, CTRT_INS_TOTAL) VALUES (1002, 101, 'D01', '01', 20241201, 150000, 0)",
             "INSERT INTO PATOCH (POCH_ID, POCH_PATID, POCH_DATE, POCH_TOTAL, POCH_BILLDR) VALUES "
             "(1000, 10, 20240701, 2500, '02')",
             "INSERT INTO ACCPMT (APMT_ID, APMT_ACCID, APMT_RECTYPE, APMT_TYPE, APMT_DATE, "
             "APMT_TOTAL) VALUES (500, 1, 'P', 'P', 20241001, 3500)",
             "INSERT INTO PMTAPP (PAPP_ID, PAPP_APMTID, PAPP_RECTYPE, PAPP_CTRTID, PAPP_TYPE, "
             "PAPP_DATE, PAPP_AMOUNT, PAPP_PRODUCER, PAPP_BILLDR) VALUES "
             "(1, 500, 'T', 1000, 'P', 20241001, 2000, 'D01', '01')",
             "INSERT INTO PMTAPP (PAPP_ID, PAPP_APMTID, PAPP_RECTYPE, PAPP_POCHID, PAPP_TYPE, "
             "PAPP_DATE, PAPP_AMOUNT, PAPP_PRODUCER, PAPP_BILLDR) VALUES "
             "(2, 500, 'O', 1000, 'P', 20241001, 1000, 'D02', '02')",
             "INSERT INTO PMTAPP (PAPP_ID, PAPP_APMTID, PAPP_RECTYPE, PAPP_TYPE, PAPP_DATE, "
             "PAPP_AMOUNT, PAPP_PRODUCER, PAPP_BILLDR) VALUES "
             "(3, 500, 'P', 'P', 20241001, 500, 'D01', '01')",
             "INSERT INTO ACCPMT (APMT_ID, APMT_ACCID, APMT_RECTYPE, APMT_TYPE, APMT_DATE, "
             "APMT_TOTAL) VALUES (501, 1, 'P', 'I', 20241020, 6000)",
             "INSERT INTO PMTAPP (PAPP_ID, PAPP_APMTID, PAPP_RECTYPE, PAPP_CTRTID, PAPP_TYPE, "
             "PAPP_DATE, PAPP_AMOUNT, PAPP_PRODUCER, PAPP_BILLDR) VALUES "
             "(4, 501, 'T', 1000, 'I', 20241020, 6000, 'D01', '01')",
             // Account 2: a hygienist's scaling still waiting for the insurer.
             "INSERT INTO PATCLM (PCLM_ID, PCLM_PATID, PCLM_STATUS) VALUES (200, 20, 'I')",
             "INSERT INTO CLMTRT (CTRT_ID, CTRT_PCLMID, CTRT_PRODUCER, CTRT_BILL_DOC, CTRT_DATE, "
             "CTRT_TOTAL, CTRT_INS_TOTAL) VALUES (2000, 200, 'H01', '01', 20240801, 8000, 8000)",
         })
        ASSERT_EQ(db.dbExecute(sql), 0) << sql << " : " << db.dbLastError();

    std::map<long, int> visited;
    std::string error;
    ASSERT_TRUE(demo::ForEachAccountLedger(
        db,
        [&](long account, const auto& charges, const auto& apps) {
            visited[account] = static_cast<int>(charges.size() * 10 + apps.size());
        },
        &error))
        << error;
    // Account 1: the treatment, the deleted one and the office charge (not the estimate),
    // with the four applications; account 2: one charge; account 3 has nothing.
    EXPECT_EQ(visited, (std::map<long, int>{{1, 34}, {2, 10}}));

    demo::PracticeSummary s;
    ASSERT_TRUE(demo::SummarizePractice(db, 20241115, &s, &error)) << error;
    EXPECT_EQ(s.practice_name, "Clinique d'essai");
    EXPECT_EQ(s.accounts, 3);
    EXPECT_EQ(s.inactive_accounts, 1);
    EXPECT_EQ(s.active_accounts, 2);
    EXPECT_EQ(s.accounts_without_patients, 1);
    EXPECT_EQ(s.patients, 2);
    EXPECT_EQ(s.deleted_patients, 1);
    EXPECT_EQ(s.last_day_end, 20241114);
    EXPECT_EQ(s.stored_pat_balance, 3000);
    EXPECT_EQ(s.stored_ins_balance, 8000);
    // D01: 100.00 - 60.00 insured - 20.00 paid = 20.00 in 31-60, less the 5.00 credit.
    // D02: the office charge of July, 25.00 - 10.00, over 90 days. H01: 80.00 insured, over 90.
    std::map<std::string, host::calc::AgedGroups> r(s.receivables.begin(), s.receivables.end());
    ASSERT_EQ(r.size(), 3u);
    EXPECT_EQ(r["D01"].pat, Row(0, 1500, 0, 0));
    EXPECT_EQ(r["D01"].ins, Row(0, 0, 0, 0));
    EXPECT_EQ(r["D02"].tot, Row(0, 0, 0, 1500));
    EXPECT_EQ(r["H01"].ins, Row(0, 0, 0, 8000));

    const std::string text = demo::FormatSummary(s);
    EXPECT_NE(text.find("Clinique d'essai"), std::string::npos);
    EXPECT_NE(text.find("14/11/2024"), std::string::npos);
    // The additional amount is a line of its own: the total (110.00 of the producers and
    // 12.50) is the sum of the lines.
    EXPECT_EQ(s.additional_amount, 1250);
    EXPECT_NE(text.find("Addit.        12.50"), std::string::npos) << text;
    EXPECT_NE(text.find("122.50"), std::string::npos) << text;
}

INSTANTIATE_TEST_SUITE_P(Engines, DemoSummary, testing::ValuesIn(testing_support::Engines()),
                         testing_support::EngineName);

}  // namespace
