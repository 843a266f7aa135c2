// A hand-built practice for the cash receipts and the payment allocations, reported over
// November 2024, on each engine.
//
// Billing doctors 01 (D01 Tremblay, Marie) and 02 (D02 Gagnon, Paul); hygienist H01.
// Account 1 / patient 11 Aubin, Anne (medical AUBA01); account 2 / patient 12 Bédard, Luc
// (BEDL02). Claims: C0001 (treatments 1, 2) and C0002 (treatment 3) of Aubin, C0003
// (treatment 4) of Bédard; office charge 1 of Bédard, service S0001.
//
// Payment (type, kind, date, code)   application  owner           prod/dr  amount
// 1 P payment 11-05 CHQ              1            trt 1 (C0001)   D01/01   30.00
//                                    2            trt 2 (C0001)   D01/01   20.00
//                                    3            trt 3 (C0002)   H01/01   10.00
// 2 I payment 11-06 ASS payor SUN    4            trt 4 (C0003)   D02/02   75.00
// 3 P payment 11-10 CASH             5            office charge 1 D02/02   12.50
//                                    6            patient 12      D02/02    5.00 (kept)
// 4 P payment 11-12 reversed         7            trt 1           D01/01    9.00
// 5 P adjustment 11-12, counts       8            trt 1           D01/01    3.00
// 6 P adjustment 11-13, does not     9            trt 1           D01/01    4.00
// 7 P payment 12-01                  10           trt 4           D02/02    8.00
// 8 I payment 11-15 DEN payor DEN    11           trt 2 (C0001)   D01/01   22.00
// 9 P payment 11-20 CASH, flag ''    12           trt 4 (C0003)   D02/02    1.00
#pragma once

#include <string>

#include "tests/followup/followup_support.h"

namespace receipts_test {

inline constexpr long kFrom = 20241101;
inline constexpr long kTo = 20241130;

class PracticeTest : public followup_test::EngineTest {
  protected:
    void SetUp() override {
        EngineTest::SetUp();
        const std::string prod =
            "PROD_ID, PROD_CODE, PROD_TYPE, PROD_FIRST_NAME, PROD_LAST_NAME, PROD_TITLE, "
            "PROD_BILLDR";
        Insert("PRODCD", prod, "1, 'D01', 'D', 'Marie', 'Tremblay', 'Dre', '01'");
        Insert("PRODCD", prod, "2, 'D02', 'D', 'Paul', 'Gagnon', 'Dr', '02'");
        Insert("PRODCD", prod, "3, 'H01', 'H', 'Émilie', 'Bélanger', '', ''");
        Insert("ACCOUNT", "ACC_ID, ACC_LNAME, ACC_PNAME", "1, 'Aubin', 'Anne'");
        Insert("ACCOUNT", "ACC_ID, ACC_LNAME, ACC_PNAME", "2, 'Bédard', 'Luc'");
        const std::string pat = "PAT_ID, PAT_ACCID, PAT_LNAME, PAT_PNAME, PAT_MED_NO1";
        Insert("PATIENT", pat, "11, 1, 'Aubin', 'Anne', 'AUBA01'");
        Insert("PATIENT", pat, "12, 2, 'Bédard', 'Luc', 'BEDL02'");
        Insert("PATCLM", "PCLM_ID, PCLM_PATID", "1, 11");
        Insert("PATCLM", "PCLM_ID, PCLM_PATID", "2, 11");
        Insert("PATCLM", "PCLM_ID, PCLM_PATID", "3, 12");
        const std::string trt = "CTRT_ID, CTRT_PCLMID, CTRT_CLAIM_NO";
        Insert("CLMTRT", trt, "1, 1, 'C0001'");
        Insert("CLMTRT", trt, "2, 1, 'C0001'");
        Insert("CLMTRT", trt, "3, 2, 'C0002'");
        Insert("CLMTRT", trt, "4, 3, 'C0003'");
        Insert("PATOCH", "POCH_ID, POCH_PATID, POCH_SERVNO", "1, 12, 'S0001'");

        Payment(1, 1, 'P', 'P', 20241105, "CHQ", "Chèque", "", "'N'", "''");
        Payment(2, 2, 'P', 'I', 20241106, "ASS", "Assurance SunLife", "SUN", "'N'", "''");
        Payment(3, 2, 'P', 'P', 20241110, "CASH", "Comptant", "", "NULL", "NULL");
        Payment(4, 1, 'P', 'P', 20241112, "CHQ", "Chèque sans provision", "", "'Y'", "''");
        Payment(5, 1, 'A', 'P', 20241112, "ADJ", "Courtoisie", "", "'N'", "'Y'");
        Payment(6, 1, 'A', 'P', 20241113, "ADJ", "Escompte", "", "'N'", "'N'");
        Payment(7, 2, 'P', 'P', 20241201, "CASH", "Comptant", "", "'N'", "''");
        Payment(8, 1, 'P', 'I', 20241115, "DEN", "Dentaide", "DEN", "'N'", "''");
        Payment(9, 2, 'P', 'P', 20241120, "CASH", "Comptant", "", "''", "''");

        App(1, 1, 'T', 1, 0, 11, 3000, "D01", "01");
        App(2, 1, 'T', 2, 0, 11, 2000, "D01", "01");
        App(3, 1, 'T', 3, 0, 11, 1000, "H01", "01");
        App(4, 2, 'T', 4, 0, 12, 7500, "D02", "02");
        App(5, 3, 'O', 0, 1, 12, 1250, "D02", "02");
        App(6, 3, 'P', 0, 0, 12, 500, "D02", "02");
        App(7, 4, 'T', 1, 0, 11, 900, "D01", "01");
        App(8, 5, 'T', 1, 0, 11, 300, "D01", "01");
        App(9, 6, 'T', 1, 0, 11, 400, "D01", "01");
        App(10, 7, 'T', 4, 0, 12, 800, "D02", "02");
        App(11, 8, 'T', 2, 0, 11, 2200, "D01", "01");
        App(12, 9, 'T', 4, 0, 12, 100, "D02", "02");
    }

    void Payment(long id, long acc, char rectype, char type, long date, const char* code,
                 const char* descrip, const char* payor, const char* reversed, const char* pmt) {
        Insert("ACCPMT",
               "APMT_ID, APMT_ACCID, APMT_RECTYPE, APMT_TYPE, APMT_DATE, APMT_SYSDATE, "
               "APMT_CODE, APMT_DESCRIP, APMT_PAYOR, APMT_TRXNO, APMT_REVERSED, APMT_PMT",
               std::to_string(id) + ", " + std::to_string(acc) + ", '" + rectype + "', '" + type +
                   "', " + std::to_string(date) + ", " + std::to_string(date) + ", '" + code +
                   "', '" + descrip + "', '" + payor + "', 'T" + std::to_string(id) + "', " +
                   reversed + ", " + pmt);
    }
    void App(long id, long apmt, char rectype, long ctrt, long poch, long pat, int amount,
             const char* producer, const char* billdr) {
        Insert("PMTAPP",
               "PAPP_ID, PAPP_APMTID, PAPP_RECTYPE, PAPP_CTRTID, PAPP_POCHID, PAPP_PATID, "
               "PAPP_AMOUNT, PAPP_PRODUCER, PAPP_BILLDR",
               std::to_string(id) + ", " + std::to_string(apmt) + ", '" + rectype + "', " +
                   std::to_string(ctrt) + ", " + std::to_string(poch) + ", " + std::to_string(pat) +
                   ", " + std::to_string(amount) + ", '" + producer + "', '" + billdr + "'");
    }
};

}  // namespace receipts_test
