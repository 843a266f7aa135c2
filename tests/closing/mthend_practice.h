// A hand-built practice over October and November 2024, whose October month-end is computed
// by hand. The last month-end was 30 September; the producers' records hold what it brought
// forward.
//
// Producers (all billed under doctor 01)  AR prod / AR billdr brought forward   YTD
//   1 D01 doctor                           1000 / 1000     procs 3, dental 5000, fees 5000,
//                                                          fees aux. 5000, pmts -2000, net -2000
//   2 H01 hygienist                        0 / 0
//   3 A01 auxiliary                        250 / 250
// Account 1 (patient 11, claim 1 invoiced), account 2 (patient 12, claim 2 invoiced).
//
// October                                   engine: AR prod        AR billdr
//   T1 D01 10-05  100.00                       D01 +10000          D01 +10000
//   T2 H01 10-10   40.00                       H01 +4000           D01 +4000
//   T3 A01 10-12   20.00                       D01 +2000           D01 +2000  (auxiliary)
//   OC1 billing doctor 01, 10-15, 15.00        D01 +1500           D01 +1500
//   P1 10-20 30.00 on T1 (D01)                 D01 -3000           D01 -3000
//   P2 10-20  5.00 on T3 (A01)                 D01 -500            D01 -500   (auxiliary)
// November
//   T4 D01 11-05 60.00; P3 11-10 20.00 on T2 (H01); fee adjustment P4 11-12 1.00 on T1 (D01)
//
// After closing October: D01 11000 / 15000, H01 4000 / 0, A01 250 / 250 (an auxiliary's own
// entry keeps its figures: its lines go to its doctor). Year to date: D01 procs 4, dental
// 15000, offchg 1500, fees 16500, fees aux. 18500 (with A01's 2000), pmts -5500, net -5500;
// H01 procs 1, dental, fees and fees aux. 4000; A01 procs 1, dental, fees, fees aux. 2000.
#pragma once

#include <string>

#include "host/base/dates.h"
#include "tests/followup/followup_support.h"
#include "tests/support/rows.h"

namespace mthend_test {

class MonthTest : public followup_test::EngineTest {
  protected:
    void SetUp() override {
        EngineTest::SetUp();
        host::SetFixedToday(20241115);
        host::SetFixedTime(10, 20, 30);
        Insert("PRACINFO", "PRAC_ID, PRAC_NAME", "1, 'Clinique des Îles'");
        const std::string prod =
            "PROD_ID, PROD_CODE, PROD_TYPE, PROD_LAST_NAME, PROD_BILLDR, PROD_AR_PROD, "
            "PROD_AR_BILLDR, PROD_YTD_PROCS, PROD_YTD_DENTAL, PROD_YTD_FEES, PROD_YTD_FEESAUX, "
            "PROD_YTD_PMTS, PROD_YTD_NET";
        Insert("PRODCD", prod,
               "1, 'D01', 'D', 'Tremblay', '01', 1000, 1000, 3, 5000, 5000, "
               "5000, -2000, -2000");
        Insert("PRODCD", prod, "2, 'H01', 'H', 'Bélanger', '', 0, 0, 0, 0, 0, 0, 0, 0");
        Insert("PRODCD", prod, "3, 'A01', 'A', 'Gagnon', '', 250, 250, 0, 0, 0, 0, 0, 0");
        const std::string acc = "ACC_ID, ACC_LNAME, ACC_PAT_BAL, ACC_PMT_AMT";
        Insert("ACCOUNT", acc, "1, 'Aubin', 0, 3000");
        Insert("ACCOUNT", acc, "2, 'Bédard', 500, 700");
        Insert("PATIENT", "PAT_ID, PAT_ACCID, PAT_LNAME, PAT_DOCTOR", "11, 1, 'Aubin', '01'");
        Insert("PATIENT", "PAT_ID, PAT_ACCID, PAT_LNAME, PAT_DOCTOR", "12, 2, 'Bédard', '01'");
        Insert("PATCLM", "PCLM_ID, PCLM_PATID, PCLM_STATUS", "1, 11, 'I'");
        Insert("PATCLM", "PCLM_ID, PCLM_PATID, PCLM_STATUS", "2, 12, 'I'");
        Insert("ADJUSTCD", "ADJUST_CODE, ADJUST_DESCRIPT, ADJUST_KIND", "'ESC', 'Escompte', 'N'");

        Treatment(1, 1, "D01", 20241005, 10000);
        Treatment(2, 1, "H01", 20241010, 4000);
        Treatment(3, 2, "A01", 20241012, 2000);
        Treatment(4, 2, "D01", 20241105, 6000);
        Insert("PATOCH",
               "POCH_ID, POCH_PATID, POCH_DATE, POCH_SYSDATE, POCH_CODE, POCH_TOTAL, POCH_BILLDR",
               "1, 12, 20241015, 20241015, 'EPI', 1500, '01'");
        Entry(1, 1, 'P', 20241020, 3000);
        Entry(2, 2, 'P', 20241020, 500);
        Entry(3, 1, 'P', 20241110, 2000);
        Entry(4, 1, 'A', 20241112, 100);
        App(1, 1, 1, 11, 20241020, 3000, "D01");
        App(2, 2, 3, 12, 20241020, 500, "A01");
        App(3, 3, 2, 11, 20241110, 2000, "H01");
        App(4, 4, 1, 11, 20241112, 100, "D01");

        Sheet(20241005, 'F', 'T', 1, "D01", 11);
        Sheet(20241010, 'F', 'T', 2, "H01", 11);
        Sheet(20241012, 'F', 'T', 3, "A01", 12);
        Sheet(20241015, 'H', 'O', 1, "D01", 12);
        Sheet(20241020, 'L', 'A', 1, "D01", 11);
        Sheet(20241020, 'L', 'A', 2, "A01", 12);
        Sheet(20241105, 'F', 'T', 4, "D01", 12);
        Sheet(20241110, 'L', 'A', 3, "H01", 11);
        Sheet(20241112, 'N', 'A', 4, "D01", 11);
        long id = 0;
        for (long d : {20241005, 20241010, 20241012, 20241015, 20241020, 20241105, 20241110})
            Insert("DAYDET", "DDET_ID, DDET_DATE, DDET_PRINTED, DDET_CLOSED",
                   std::to_string(++id) + ", " + std::to_string(d) + ", 'Y', 'Y'");
        Insert("DAYEND", "DEND_ID, DEND_LASTDAY, DEND_MENDDATE, DEND_PRINTED",
               "1, 20241114, 20240930, 'Y'");

        // Insurance: a membership due for its reset, one not yet due, one long overdue whose
        // policy is gone.
        Insert("EMPPOL", "EPOL_ID, EPOL_PAT_LIMIT, EPOL_PAT_DEDUCT", "1, 100000, 2500");
        const std::string dep =
            "PDEP_ID, PDEP_PATID, PDEP_EPOLID, PDEP_LIMIT, PDEP_DEDUCT, "
            "PDEP_RESET_DATE";
        Insert("PATDEP", dep, "1, 11, 1, 30000, 0, 20241101");
        Insert("PATDEP", dep, "2, 12, 1, 40000, 0, 20241201");
        Insert("PATDEP", dep, "3, 12, 99, 5000, 100, 20220301");
    }
    void TearDown() override {
        host::SetFixedTime(-1, -1, -1);
        host::SetFixedToday(0);
        EngineTest::TearDown();
    }

    void Exec(const std::string& sql) { testing_support::Exec(db(), sql); }
    void Treatment(long id, long claim, const char* producer, long entered, int total) {
        Insert("CLMTRT",
               "CTRT_ID, CTRT_PCLMID, CTRT_BILL_DOC, CTRT_PRODUCER, CTRT_DATE, CTRT_SYSTEM_DATE, "
               "CTRT_DEL_DATE, CTRT_CODE, CTRT_TOTAL, CTRT_INS_TOTAL, CTRT_TYPE",
               std::to_string(id) + ", " + std::to_string(claim) + ", '01', '" + producer + "', " +
                   std::to_string(entered) + ", " + std::to_string(entered) + ", 0, '01101', " +
                   std::to_string(total) + ", 0, 'T'");
    }
    void Entry(long id, long acc, char rectype, long date, int total) {
        Insert("ACCPMT",
               "APMT_ID, APMT_ACCID, APMT_RECTYPE, APMT_TYPE, APMT_DATE, APMT_SYSDATE, APMT_CODE, "
               "APMT_TOTAL, APMT_ADJ_KIND",
               std::to_string(id) + ", " + std::to_string(acc) + ", '" + rectype + "', 'P', " +
                   std::to_string(date) + ", " + std::to_string(date) + ", '" +
                   (rectype == 'A' ? "ESC" : "CHQ") + "', " + std::to_string(total) + ", '" +
                   (rectype == 'A' ? 'N' : ' ') + "'");
    }
    void App(long id, long apmt, long ctrt, long pat, long date, int amount, const char* producer) {
        Insert("PMTAPP",
               "PAPP_ID, PAPP_APMTID, PAPP_RECTYPE, PAPP_CTRTID, PAPP_PATID, PAPP_TYPE, "
               "PAPP_DATE, PAPP_SYSDATE, PAPP_AMOUNT, PAPP_PRODUCER, PAPP_BILLDR",
               std::to_string(id) + ", " + std::to_string(apmt) + ", 'T', " + std::to_string(ctrt) +
                   ", " + std::to_string(pat) + ", 'P', " + std::to_string(date) + ", " +
                   std::to_string(date) + ", " + std::to_string(amount) + ", '" + producer +
                   "', '01'");
    }
    void Sheet(long date, char sortid, char rectype, long recid, const char* producer, long pat) {
        Insert("DAYSHT",
               "DSHT_ID, DSHT_DATE, DSHT_RECID, DSHT_BILLDR, DSHT_PRODUCER, DSHT_SORTID, "
               "DSHT_RECTYPE, DSHT_PATID",
               std::to_string(++sheet_id_) + ", " + std::to_string(date) + ", " +
                   std::to_string(recid) + ", '01', '" + producer + "', '" + sortid + "', '" +
                   rectype + "', " + std::to_string(pat));
    }

    long sheet_id_ = 0;
};

}  // namespace mthend_test
