// A hand-built day, 14 November 2024, with every kind of transaction of the day sheet, on
// each engine; its day sheet is written as the practice writes it, so that both ways of
// collecting see the same day.
//
// Producers D01 (billing doctor 01), hygienists H01 (no receivable brought forward) and
// H02 (50.00 brought forward, no transaction: an idle producer). New patients are on.
// Accounts 1 Aubin and 2 Bédard; patients 11 Aubin Anne (opened today), 12 Bédard Luc,
// 13 Bédard Zoé (deleted today). Claim 1 (invoiced) of patient 11, claim 2 (closed) of 12.
//
// Treatments (day sheet F/G)        producer  total  ins  adjustment       charge  pat   ins
//   T1 claim 1, entered today       D01       100    60                   100     40    60
//   T2 claim 1, entered today       H01        50     0   discount 5       45     45     0
//   T3 claim 2, entered 11-01, deleted today     D01   80   30                80     50    30
//   T4 claim 2, lab, entered today  D01        20     0   surcharge 3      23     23     0
// Office charge 1 of patient 12, billing doctor 01, entered today: 15.00.
// Account entries (date / entered)     kind   total  code        applications
//   P1 payment  today / today   (K)    P       70   CHQ         A1 T1 D01 40 P, A2 T2 H01 30 P
//   P2 payment  today / today   (K)    I       30   DD direct   A3 T4 D01 20 I, A4 och D01 10 I
//   P3 adjustment of fees (M)          P        5   ESC         A5 T1 D01 5
//   P4 adjustment of payments (M)      P        2   CORR        A6 T4 D01 2
//   P5 transfer (O)                    P        0   TRF         A7 T1 D01 +10, A8 T2 H01 -10
//   P6 payment 11-01 / 11-01           P       25   CHQ         A9 T4 D01 25, applied today (Q)
//   P7 payment 11-20 / today (R)       P       12   CHQ         (applied 11-20)
//   P8 adjustment 11-20 / today (S)    P        1   ESC         (applied 11-20)
//   P9 payment 11-13 / today           P        9   CASH        A10 T1 D01 9 dated 11-13,
//                                                               entered today
#pragma once

#include <string>

#include "tests/followup/followup_support.h"

namespace dayend_test {

inline constexpr long kDay = 20241114;

class DayTest : public followup_test::EngineTest {
  protected:
    void SetUp() override {
        EngineTest::SetUp();
        Insert("PPSET", "PPST_ID, PPST_A2_FIELD04", "2, 'Y'");
        Insert("PRACINFO", "PRAC_ID, PRAC_NAME", "1, 'Clinique des Îles'");
        const std::string prod =
            "PROD_ID, PROD_CODE, PROD_TYPE, PROD_FIRST_NAME, PROD_LAST_NAME, PROD_TITLE, "
            "PROD_BILLDR, PROD_AR_PROD";
        Insert("PRODCD", prod, "1, 'D01', 'D', 'Marie', 'Tremblay', 'Dre', '01', 0");
        Insert("PRODCD", prod, "2, 'H01', 'H', 'Émilie', 'Bélanger', '', '', 0");
        Insert("PRODCD", prod, "3, 'H02', 'H', 'Luc', 'Roy', '', '', 5000");
        Insert("ACCOUNT", "ACC_ID, ACC_LNAME, ACC_PNAME", "1, 'Aubin', 'Anne'");
        Insert("ACCOUNT", "ACC_ID, ACC_LNAME, ACC_PNAME", "2, 'Bédard', 'Luc'");
        const std::string pat =
            "PAT_ID, PAT_ACCID, PAT_LNAME, PAT_PNAME, PAT_DOCTOR, PAT_ADDR1, PAT_CITY, "
            "PAT_OPEN_DATE, PAT_DELETE_DATE";
        Insert("PATIENT", pat,
               "11, 1, 'Aubin', 'Anne', '01', '1 rue Principale', 'Laval', " + Day() + ", 0");
        Insert("PATIENT", pat, "12, 2, 'Bédard', 'Luc', '01', '', '', 20200101, 0");
        Insert("PATIENT", pat, "13, 2, 'Bédard', 'Zoé', '01', '', '', 20200101, " + Day());
        Insert("PATCLM", "PCLM_ID, PCLM_PATID, PCLM_STATUS", "1, 11, 'I'");
        Insert("PATCLM", "PCLM_ID, PCLM_PATID, PCLM_STATUS", "2, 12, 'C'");
        Treatment(1, 1, "D01", kDay, 0, 10000, 6000, 'T', "''", 0);
        Treatment(2, 1, "H01", kDay, 0, 5000, 0, 'T', "'D'", 500);
        Treatment(3, 2, "D01", 20241101, kDay, 8000, 3000, 'T', "''", 0);
        Treatment(4, 2, "D01", kDay, 0, 2000, 0, 'L', "'S'", 300);
        Insert("PATOCH",
               "POCH_ID, POCH_PATID, POCH_DATE, POCH_SYSDATE, POCH_CODE, POCH_DESCRIPT, "
               "POCH_TOTAL, POCH_BILLDR",
               "1, 12, " + Day() + ", " + Day() + ", 'EPI', 'Frais EPI', 1500, '01'");
        Insert("PMTSCD", "PAYMENT_CODE, PAYMENT_DESCRIPT, PAYMENT_DPSTS", "'CHQ', 'Chèque', 'N'");
        Insert("PMTSCD", "PAYMENT_CODE, PAYMENT_DESCRIPT, PAYMENT_DPSTS",
               "'DD', 'Dépôt direct', 'Y'");
        Insert("PMTSCD", "PAYMENT_CODE, PAYMENT_DESCRIPT, PAYMENT_DPSTS",
               "'CASH', 'Comptant', 'N'");
        Insert("ADJUSTCD", "ADJUST_CODE, ADJUST_DESCRIPT, ADJUST_KIND", "'ESC', 'Escompte', 'N'");
        Insert("ADJUSTCD", "ADJUST_CODE, ADJUST_DESCRIPT, ADJUST_KIND",
               "'CORR', 'Correction', 'P'");

        Entry(1, 1, 'P', 'P', kDay, kDay, 7000, "CHQ", 'N');
        Entry(2, 2, 'P', 'I', kDay, kDay, 3000, "DD", 'N');
        Entry(3, 1, 'A', 'P', kDay, kDay, 500, "ESC", 'N');
        Entry(4, 2, 'A', 'P', kDay, kDay, 200, "CORR", 'P');
        Entry(5, 1, 'T', 'P', kDay, kDay, 0, "TRF", 'N');
        Entry(6, 2, 'P', 'P', 20241101, 20241101, 2500, "CHQ", 'N');
        Entry(7, 1, 'P', 'P', 20241120, kDay, 1200, "CHQ", 'N');
        Entry(8, 2, 'A', 'P', 20241120, kDay, 100, "ESC", 'N');
        Entry(9, 1, 'P', 'P', 20241113, kDay, 900, "CASH", 'N');

        App(1, 1, 'T', 1, 0, 11, 'P', kDay, kDay, 4000, "D01");
        App(2, 1, 'T', 2, 0, 11, 'P', kDay, kDay, 3000, "H01");
        App(3, 2, 'T', 4, 0, 12, 'I', kDay, kDay, 2000, "D01");
        App(4, 2, 'O', 0, 1, 12, 'I', kDay, kDay, 1000, "D01");
        App(5, 3, 'T', 1, 0, 11, 'P', kDay, kDay, 500, "D01");
        App(6, 4, 'T', 4, 0, 12, 'P', kDay, kDay, 200, "D01");
        App(7, 5, 'T', 1, 0, 11, 'P', kDay, kDay, 1000, "D01");
        App(8, 5, 'T', 2, 0, 11, 'P', kDay, kDay, -1000, "H01");
        App(9, 6, 'T', 4, 0, 12, 'P', kDay, kDay, 2500, "D01");
        App(10, 9, 'T', 1, 0, 11, 'P', 20241113, kDay, 900, "D01");

        // The day sheet, as the practice writes it.
        Sheet(kDay, 'A', 'P', 11, "01", "D01", 11);
        Sheet(kDay, 'B', 'P', 13, "01", "D01", 13);
        Sheet(kDay, 'F', 'T', 1, "01", "D01", 11);
        Sheet(kDay, 'F', 'T', 2, "01", "H01", 11);
        Sheet(20241101, 'F', 'T', 3, "01", "D01", 12);
        Sheet(kDay, 'G', 'T', 3, "01", "D01", 12);
        Sheet(kDay, 'F', 'T', 4, "01", "D01", 12);
        Sheet(kDay, 'H', 'O', 1, "01", "D01", 12);
        for (long id : {1, 2})
            Sheet(kDay, 'K', 'K', id, "", "", 0);
        for (long id : {3, 4})
            Sheet(kDay, 'M', 'K', id, "", "", 0);
        Sheet(kDay, 'O', 'K', 5, "", "", 0);
        Sheet(20241101, 'K', 'K', 6, "", "", 0);
        Sheet(20241120, 'K', 'K', 7, "", "", 0);
        Sheet(kDay, 'R', 'K', 7, "", "", 0);
        Sheet(20241120, 'M', 'K', 8, "", "", 0);
        Sheet(kDay, 'S', 'K', 8, "", "", 0);
        Sheet(20241113, 'K', 'K', 9, "", "", 0);
        Sheet(kDay, 'L', 'A', 1, "01", "D01", 11);
        Sheet(kDay, 'L', 'A', 2, "01", "H01", 11);
        Sheet(kDay, 'L', 'A', 3, "01", "D01", 12);
        Sheet(kDay, 'L', 'A', 4, "01", "D01", 12);
        Sheet(kDay, 'N', 'A', 5, "01", "D01", 11);
        Sheet(kDay, 'N', 'A', 6, "01", "D01", 12);
        Sheet(kDay, 'P', 'A', 7, "01", "D01", 11);
        Sheet(kDay, 'P', 'A', 8, "01", "H01", 11);
        Sheet(kDay, 'Q', 'A', 9, "01", "D01", 12);
        Sheet(kDay, 'L', 'A', 10, "01", "D01", 11);
        Insert("DAYEND", "DEND_ID, DEND_LASTDAY, DEND_PRINTED", "1, 20241113, 'Y'");
    }

    static std::string Day() { return std::to_string(kDay); }

    void Treatment(long id, long claim, const char* producer, long entered, long deleted, int total,
                   int ins, char type, const char* adj_flag, int adj) {
        Insert("CLMTRT",
               "CTRT_ID, CTRT_PCLMID, CTRT_BILL_DOC, CTRT_PRODUCER, CTRT_DATE, CTRT_SYSTEM_DATE, "
               "CTRT_DEL_DATE, CTRT_CODE, CTRT_CODE_FC_DESC, CTRT_TOTAL, CTRT_INS_TOTAL, "
               "CTRT_TYPE, CTRT_ADJ_FLAG, CTRT_ADJ_AMT, CTRT_TOOTH, CTRT_SURFACE",
               std::to_string(id) + ", " + std::to_string(claim) + ", '01', '" + producer + "', " +
                   std::to_string(entered) + ", " + std::to_string(entered) + ", " +
                   std::to_string(deleted) + ", '0" + std::to_string(id) + "101', 'Acte " +
                   std::to_string(id) + "', " + std::to_string(total) + ", " + std::to_string(ins) +
                   ", '" + type + "', " + adj_flag + ", " + std::to_string(adj) + ", '1" +
                   std::to_string(id) + "', 'MO'");
    }
    void Entry(long id, long acc, char rectype, char type, long date, long sysdate, int total,
               const char* code, char adj_kind) {
        Insert("ACCPMT",
               "APMT_ID, APMT_ACCID, APMT_RECTYPE, APMT_TYPE, APMT_DATE, APMT_SYSDATE, APMT_CODE, "
               "APMT_TOTAL, APMT_ADJ_KIND, APMT_TRXNO, APMT_DEP",
               std::to_string(id) + ", " + std::to_string(acc) + ", '" + rectype + "', '" + type +
                   "', " + std::to_string(date) + ", " + std::to_string(sysdate) + ", '" + code +
                   "', " + std::to_string(total) + ", '" + (rectype == 'A' ? adj_kind : ' ') +
                   "', 'T" + std::to_string(id) + "', 'Y'");
    }
    void App(long id, long apmt, char rectype, long ctrt, long poch, long pat, char type, long date,
             long sysdate, int amount, const char* producer) {
        Insert("PMTAPP",
               "PAPP_ID, PAPP_APMTID, PAPP_RECTYPE, PAPP_CTRTID, PAPP_POCHID, PAPP_PATID, "
               "PAPP_TYPE, PAPP_DATE, PAPP_SYSDATE, PAPP_AMOUNT, PAPP_PRODUCER, PAPP_BILLDR",
               std::to_string(id) + ", " + std::to_string(apmt) + ", '" + rectype + "', " +
                   std::to_string(ctrt) + ", " + std::to_string(poch) + ", " + std::to_string(pat) +
                   ", '" + type + "', " + std::to_string(date) + ", " + std::to_string(sysdate) +
                   ", " + std::to_string(amount) + ", '" + producer + "', '01'");
    }
    void Sheet(long date, char sortid, char rectype, long recid, const char* billdr,
               const char* producer, long pat) {
        static long next = 0;
        Insert("DAYSHT",
               "DSHT_ID, DSHT_DATE, DSHT_RECID, DSHT_BILLDR, DSHT_PRODUCER, DSHT_SORTID, "
               "DSHT_RECTYPE, DSHT_PATID",
               std::to_string(++next) + ", " + std::to_string(date) + ", " + std::to_string(recid) +
                   ", '" + billdr + "', '" + producer + "', '" + sortid + "', '" + rectype + "', " +
                   std::to_string(pat));
    }
};

}  // namespace dayend_test
