// A hand-built practice for the receivable suites, as of 2024-11-15, whose receivable is
// computed by hand below.
//
// Producers: D01 (billing doctor 01), D02 (billing doctor 02), H01 (hygienist under 01).
// 1 Tremblay, Luc (Luc 11 responsible, doctor 01; Léa 12)
//   T1  Luc 2024-11-01 (14 d, current)   100.00, insured 60.00, D01/01
//       insurer paid 40.00 (11-10), patient paid 25.00 (11-05)  -> ins 20.00, pat 15.00
//   T2  Léa 2024-09-01 (75 d, 61-90)      200.00, H01/01, fee adjustment 50.00 -> pat 150.00
//   O1  Luc 2024-07-01 (137 d, over 90)    30.00 office charge, billing 01 -> pat 30.00 (D01)
//   T3  Luc 2024-12-01 (future)            80.00, insured 50.00, D01/01 -> fut pat 30, ins 50
//   an A/R note on Luc, 2024-10-20
// 2 O'Brien, Seán (21, doctor 02)
//   T4  2024-10-01 (45 d, 31-60) 500.00 insured 300.00 D02/02; insurer paid 300.00,
//       patient paid 100.00, an unapplied credit of 20.00 (D02) -> pat 80.00 in 31-60
// 3 Gagnon, Éloïse: deleted 2024-06-01 (owes 70.00: left out)
// 4 Roy, Marc: inactive (owes 40.00: left out)
// 5 Côté, Anne: no patient
// 6 Lavoie, Jean (61, doctor 01): 50.00 treatment fully paid: zero balance
// 7 Bélanger, Chloé (71, doctor 02): T5 2024-08-15 (92 d, over 90) 120.00 D02/02; a payment
//   plan of 120.00 with doctor 02
//
// Totals (future shown): patient 15.00 / 80.00 / 150.00 / 150.00 = 395.00, future 30.00;
// insurance 20.00 current, future 50.00; total 35.00 / 80.00 / 150.00 / 150.00 = 415.00,
// future 80.00. By producer: D01 35.00 cur + 30.00 over 90 = 65.00 (fut 80.00); D02 80.00
// 31-60 + 120.00 over 90 = 200.00; H01 150.00 61-90.
#pragma once

#include <string>

#include "host/db/gendb.h"
#include "tests/support/rows.h"

namespace ar_test {

inline constexpr long kAsOf = 20241115;

using testing_support::Exec;

inline void BuildPractice(GenDB& db) {
    const std::string p = db.dbTablePrefix();
    auto ins = testing_support::Inserter(db);
    const std::string prod =
        "PROD_ID, PROD_CODE, PROD_TYPE, PROD_FIRST_NAME, PROD_LAST_NAME, PROD_TITLE, PROD_BILLDR";
    ins("PRODCD", prod, "1, 'D01', 'D', 'Marie', 'Tremblay', 'Dre', '01'");
    ins("PRODCD", prod, "2, 'D02', 'D', 'Paul', 'Gagnon', '', '02'");
    ins("PRODCD", prod, "3, 'H01', 'H', 'Émilie', 'Hygiéniste', '', ''");
    const std::string acc =
        "ACC_ID, ACC_LNAME, ACC_PNAME, ACC_STATUS, ACC_DELETE_DATE, ACC_SYS_INACTIVE, ACC_HOME_PH, "
        "ACC_PMT_DATE, ACC_PMT_DR";
    ins("ACCOUNT", acc, "1, 'Tremblay', 'Luc', 'A', 0, 'N', '5145551234', 20241110, '01'");
    ins("ACCOUNT", acc, "2, 'O''Brien', 'Seán', 'A', 0, 'N', '4505550000', 20241110, '02'");
    ins("ACCOUNT", acc, "3, 'Gagnon', 'Éloïse', 'D', 20240601, 'N', '', 0, ''");
    ins("ACCOUNT", acc, "4, 'Roy', 'Marc', 'A', 0, 'Y', '', 0, ''");
    ins("ACCOUNT", acc, "5, 'Côté', 'Anne', 'A', 0, 'N', '', 0, ''");
    ins("ACCOUNT", acc, "6, 'Lavoie', 'Jean', 'A', 0, 'N', '', 20240310, '01'");
    ins("ACCOUNT", acc, "7, 'Bélanger', 'Chloé', 'A', 0, 'N', '8195550101', 0, ''");
    const std::string pat =
        "PAT_ID, PAT_ACCID, PAT_PNAME, PAT_LNAME, PAT_DOCTOR, PAT_RESPONSIBLE, PAT_CHART_NO";
    ins("PATIENT", pat, "11, 1, 'Luc', 'Tremblay', '01', 'Y', 'TR001'");
    ins("PATIENT", pat, "12, 1, 'Léa', 'Tremblay', '01', 'N', 'TR002'");
    ins("PATIENT", pat, "21, 2, 'Seán', 'O''Brien', '02', 'Y', 'OB001'");
    ins("PATIENT", pat, "31, 3, 'Éloïse', 'Gagnon', '01', 'Y', 'GA001'");
    ins("PATIENT", pat, "41, 4, 'Marc', 'Roy', '02', 'Y', 'RO001'");
    ins("PATIENT", pat, "61, 6, 'Jean', 'Lavoie', '01', 'Y', 'LA001'");
    ins("PATIENT", pat, "71, 7, 'Chloé', 'Bélanger', '02', 'Y', 'BE001'");
    const std::string clm = "PCLM_ID, PCLM_PATID, PCLM_STATUS, PCLM_DATE, PCLM_DOCTOR";
    ins("PATCLM", clm, "101, 11, 'I', 20241101, '01'");
    ins("PATCLM", clm, "102, 12, 'C', 20240901, '01'");
    ins("PATCLM", clm, "103, 11, 'I', 20241201, '01'");
    ins("PATCLM", clm, "104, 21, 'I', 20241001, '02'");
    ins("PATCLM", clm, "105, 31, 'I', 20240301, '01'");
    ins("PATCLM", clm, "106, 41, 'I', 20240901, '02'");
    ins("PATCLM", clm, "107, 61, 'C', 20240301, '01'");
    ins("PATCLM", clm, "108, 71, 'I', 20240815, '02'");
    ins("PATCLM", clm, "109, 11, 'E', 20241101, '01'");  // an estimate: not a charge
    const std::string trt =
        "CTRT_ID, CTRT_PCLMID, CTRT_DATE, CTRT_SYSTEM_DATE, CTRT_PRODUCER, CTRT_BILL_DOC, "
        "CTRT_TOTAL, CTRT_INS_TOTAL, CTRT_STATUS";
    ins("CLMTRT", trt, "1, 101, 20241101, 20241101, 'D01', '01', 10000, 6000, 'C'");
    ins("CLMTRT", trt, "2, 102, 20240901, 20240901, 'H01', '01', 20000, 0, 'C'");
    ins("CLMTRT", trt, "3, 103, 20241201, 20241114, 'D01', '01', 8000, 5000, 'C'");
    ins("CLMTRT", trt, "4, 104, 20241001, 20241001, 'D02', '02', 50000, 30000, 'C'");
    ins("CLMTRT", trt, "5, 108, 20240815, 20240815, 'D02', '02', 12000, 0, 'C'");
    ins("CLMTRT", trt, "6, 105, 20240301, 20240301, 'D01', '01', 7000, 0, 'C'");
    ins("CLMTRT", trt, "7, 106, 20240901, 20240901, 'D02', '02', 4000, 0, 'C'");
    ins("CLMTRT", trt, "8, 107, 20240301, 20240301, 'D01', '01', 5000, 0, 'C'");
    ins("CLMTRT", trt, "9, 109, 20241101, 20241101, 'D01', '01', 99900, 0, 'P'");
    ins("PATOCH",
        "POCH_ID, POCH_PATID, POCH_DATE, POCH_SYSDATE, POCH_TOTAL, POCH_BILLDR, POCH_CODE",
        "1, 11, 20240701, 20240701, 3000, '01', 'FRA'");
    const std::string pmt =
        "APMT_ID, APMT_ACCID, APMT_RECTYPE, APMT_TYPE, APMT_DATE, APMT_SYSDATE, APMT_TOTAL, "
        "APMT_CODE";
    ins("ACCPMT", pmt, "1, 1, 'P', 'I', 20241110, 20241110, 4000, 'CHQ'");
    ins("ACCPMT", pmt, "2, 1, 'P', 'P', 20241105, 20241105, 2500, 'C'");
    ins("ACCPMT", pmt, "3, 1, 'A', 'P', 20240915, 20240915, 5000, 'ESC'");
    ins("ACCPMT", pmt, "4, 2, 'P', 'I', 20241020, 20241020, 30000, 'CHQ'");
    ins("ACCPMT", pmt, "5, 2, 'P', 'P', 20241005, 20241005, 12000, 'DEB'");
    ins("ACCPMT", pmt, "6, 6, 'P', 'P', 20240310, 20240310, 5000, 'C'");
    const std::string app =
        "PAPP_ID, PAPP_APMTID, PAPP_RECTYPE, PAPP_CTRTID, PAPP_POCHID, PAPP_PATID, PAPP_TYPE, "
        "PAPP_DATE, PAPP_SYSDATE, PAPP_AMOUNT, PAPP_PRODUCER, PAPP_BILLDR";
    ins("PMTAPP", app, "1, 1, 'T', 1, 0, 11, 'I', 20241110, 20241110, 4000, 'D01', '01'");
    ins("PMTAPP", app, "2, 2, 'T', 1, 0, 11, 'P', 20241105, 20241105, 2500, 'D01', '01'");
    ins("PMTAPP", app, "3, 3, 'T', 2, 0, 12, 'P', 20240915, 20240915, 5000, 'H01', '01'");
    ins("PMTAPP", app, "4, 4, 'T', 4, 0, 21, 'I', 20241020, 20241020, 30000, 'D02', '02'");
    ins("PMTAPP", app, "5, 5, 'T', 4, 0, 21, 'P', 20241005, 20241005, 10000, 'D02', '02'");
    ins("PMTAPP", app, "6, 5, 'P', 0, 0, 21, 'P', 20241110, 20241110, 2000, 'D02', '02'");
    ins("PMTAPP", app, "7, 6, 'T', 8, 0, 61, 'P', 20240310, 20240310, 5000, 'D01', '01'");
    ins("PATNOTE", "PNOT_ID, PNOT_PATID, PNOT_TYPE, PNOT_DATE, PNOT_COMMENT",
        "1, 11, 'A/R', 20241020, 'Rappel envoyé; paiement promis le 30'");
    ins("PATNOTE", "PNOT_ID, PNOT_PATID, PNOT_TYPE, PNOT_DATE, PNOT_COMMENT",
        "2, 71, 'MEMO', 20241020, 'Pas une note C/R'");
    ins("PATPPLAN",
        "PPLN_ID, PPLN_ACCID, PPLN_DOCTOR, PPLN_START, PPLN_AMOUNT, PPLN_BALANCE, PPLN_PMT_AMT, "
        "PPLN_STATUS",
        "1, 7, '02', 20240901, 12000, 12000, 2000, 'A'");
    Exec(db, "UPDATE " + p + "ACCOUNT SET ACC_PPLAN_BAL = 12000 WHERE ACC_ID = 7");
}

}  // namespace ar_test
