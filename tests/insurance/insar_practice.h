// A hand-built practice for the insurance receivable report, as of 2024-11-15, whose aged
// insurance amounts are computed by hand below (buckets of host/calc/aging.h: 0-30 days
// current, 31-60, 61-90, over 90).
//
// Carriers SUN (Sun Vie), MAN (Manuvie), RAMQ (the public plan, INS_GOVT 'Y').
// Producers D01 (billing doctor 01) and D02 (billing doctor 02).
// 1 Tremblay: Luc (11), Léa (12)
//   A100 (claim 201, Luc, SUN, invoiced, sent 11-02):
//     T1 11-01 D01 100.00 insured 60.00, SUN paid 40.00 on 11-10      -> 20.00 current
//     T2 11-01 D01  50.00 insured 30.00, nothing paid                  -> 30.00 current
//   A200 (claim 202, Léa, MAN with RAMQ second: multiple, sent 07-10, never paid):
//     T3 07-05 D02 200.00 insured 150.00 (133 days)                    -> 150.00 over 90
//   claim 203 (Léa, SUN, pending): T4 80.00 insured 50.00              -> not a charge
// 2 O'Brien: Seán (21)
//   B300 (claim 204, RAMQ, closed, sent 09-20):
//     T5 09-15 D01 100.00 insured 100.00, RAMQ paid 120.00 on 10-01    -> -20.00 61-90
//   B301 (claim 205, SUN, invoiced, sent 10-05):
//     T6 10-01 D02 300.00 insured 200.00, SUN paid 50.00 on 11-01      -> 150.00 31-60
//     T7 10-01 D02  90.00 insured 90.00, deleted 10-12; SUN paid 10.00 on 10-10: a credit
//        of D02's insurance side, taken from its oldest bucket         -> U/A -10.00 31-60
//   claim 206 (MAN, invoiced, never sent: "NON FACTURÉ"):
//     T8 11-12 D01  40.00 insured 25.00                                -> 25.00 current
// 3 Roy, Marc (31): account deleted 2024-06-01; claim 207 SUN T9 owes 70.00: left out.
//
// By carrier: SUN 50.00 cur + 150.00 31-60 = 200.00; MAN 25.00 cur + 150.00 over 90 =
// 175.00 (multiple 150.00, unbilled 25.00); RAMQ -20.00 61-90; U/A -10.00 31-60.
// By doctor: D01 75.00 cur, -20.00 61-90 = 55.00; D02 140.00 31-60, 150.00 over 90 = 290.00.
// Practice: 75.00 / 140.00 / -20.00 / 150.00 = 345.00.
#pragma once

#include <stdexcept>
#include <string>

#include "host/db/gendb.h"
#include "tests/support/rows.h"

namespace insar_test {

inline constexpr long kAsOf = 20241115;

using testing_support::Exec;

inline void BuildPractice(GenDB& db) {
    auto ins = testing_support::Inserter(db);
    const std::string prod =
        "PROD_ID, PROD_CODE, PROD_TYPE, PROD_FIRST_NAME, PROD_LAST_NAME, PROD_TITLE, PROD_BILLDR";
    ins("PRODCD", prod, "1, 'D01', 'D', 'Marie', 'Tremblay', 'Dre', '01'");
    ins("PRODCD", prod, "2, 'D02', 'D', 'Paul', 'Gagnon', '', '02'");
    const std::string co = "INS_CODE, INS_NAME, INS_GOVT";
    ins("INSCO", co, "'SUN', 'Sun Vie', 'N'");
    ins("INSCO", co, "'MAN', 'Manuvie', 'N'");
    ins("INSCO", co, "'RAMQ', 'Régie de l''assurance maladie', 'Y'");
    const std::string acc = "ACC_ID, ACC_LNAME, ACC_PNAME, ACC_STATUS, ACC_DELETE_DATE";
    ins("ACCOUNT", acc, "1, 'Tremblay', 'Luc', 'A', 0");
    ins("ACCOUNT", acc, "2, 'O''Brien', 'Seán', 'A', 0");
    ins("ACCOUNT", acc, "3, 'Roy', 'Marc', 'D', 20240601");
    const std::string pat = "PAT_ID, PAT_ACCID, PAT_PNAME, PAT_LNAME, PAT_DOCTOR, PAT_RESPONSIBLE";
    ins("PATIENT", pat, "11, 1, 'Luc', 'Tremblay', '01', 'Y'");
    ins("PATIENT", pat, "12, 1, 'Léa', 'Tremblay', '01', 'N'");
    ins("PATIENT", pat, "21, 2, 'Seán', 'O''Brien', '02', 'Y'");
    ins("PATIENT", pat, "31, 3, 'Marc', 'Roy', '01', 'Y'");
    const std::string clm =
        "PCLM_ID, PCLM_PATID, PCLM_STATUS, PCLM_NUMBER, PCLM_DATE, PCLM_SUBMIT_DATE, PCLM_INSCO";
    ins("PATCLM", clm, "201, 11, 'I', 'A100', 20241101, 20241102, 'SUN'");
    ins("PATCLM", clm, "202, 12, 'I', 'A200', 20240705, 20240710, 'MAN'");
    ins("PATCLM", clm, "203, 12, 'P', 'A300', 20241110, 0, 'SUN'");
    ins("PATCLM", clm, "204, 21, 'C', 'B300', 20240915, 20240920, 'RAMQ'");
    ins("PATCLM", clm, "205, 21, 'I', 'B301', 20241001, 20241005, 'SUN'");
    ins("PATCLM", clm, "206, 21, 'I', '', 20241112, 0, 'MAN'");
    ins("PATCLM", clm, "207, 31, 'I', 'C100', 20240301, 20240305, 'SUN'");
    const std::string trt =
        "CTRT_ID, CTRT_PCLMID, CTRT_DATE, CTRT_DEL_DATE, CTRT_PRODUCER, CTRT_BILL_DOC, "
        "CTRT_CODE, CTRT_CODE_FC_DESC, CTRT_TOTAL, CTRT_INS_TOTAL, CTRT_INS_CO1, CTRT_INS_CO2, "
        "CTRT_STATUS";
    ins("CLMTRT", trt,
        "1, 201, 20241101, 0, 'D01', '01', '01202', 'Examen', 10000, 6000, 'SUN', '', 'C'");
    ins("CLMTRT", trt,
        "2, 201, 20241101, 0, 'D01', '01', '02102', 'Radiographie', 5000, 3000, 'SUN', '', 'C'");
    ins("CLMTRT", trt,
        "3, 202, 20240705, 0, 'D02', '02', '33111', 'Traitement de canal', 20000, 15000, 'MAN', "
        "'RAMQ', 'C'");
    ins("CLMTRT", trt,
        "4, 203, 20241110, 0, 'D02', '02', '01202', 'Examen', 8000, 5000, 'SUN', '', 'C'");
    ins("CLMTRT", trt,
        "5, 204, 20240915, 0, 'D01', '01', '23111', 'Obturation', 10000, 10000, 'RAMQ', '', 'C'");
    ins("CLMTRT", trt,
        "6, 205, 20241001, 0, 'D02', '02', '27201', 'Couronne', 30000, 20000, 'SUN', '', 'C'");
    ins("CLMTRT", trt,
        "7, 205, 20241001, 20241012, 'D02', '02', '11101', 'Détartrage', 9000, 9000, 'SUN', '', "
        "'C'");
    ins("CLMTRT", trt,
        "8, 206, 20241112, 0, 'D01', '01', '01202', 'Examen', 4000, 2500, 'MAN', '', 'C'");
    ins("CLMTRT", trt,
        "9, 207, 20240301, 0, 'D01', '01', '01202', 'Examen', 7000, 7000, 'SUN', '', 'C'");
    const std::string pmt =
        "APMT_ID, APMT_ACCID, APMT_RECTYPE, APMT_TYPE, APMT_DATE, APMT_SYSDATE, APMT_TOTAL, "
        "APMT_PAYOR";
    ins("ACCPMT", pmt, "1, 1, 'P', 'I', 20241110, 20241110, 4000, 'SUN'");
    ins("ACCPMT", pmt, "2, 2, 'P', 'I', 20241001, 20241001, 12000, 'RAMQ'");
    ins("ACCPMT", pmt, "3, 2, 'P', 'I', 20241101, 20241101, 5000, 'SUN'");
    ins("ACCPMT", pmt, "4, 2, 'P', 'I', 20241010, 20241010, 1000, 'SUN'");
    const std::string app =
        "PAPP_ID, PAPP_APMTID, PAPP_RECTYPE, PAPP_CTRTID, PAPP_POCHID, PAPP_PATID, PAPP_TYPE, "
        "PAPP_DATE, PAPP_SYSDATE, PAPP_AMOUNT, PAPP_PRODUCER, PAPP_BILLDR";
    ins("PMTAPP", app, "1, 1, 'T', 1, 0, 11, 'I', 20241110, 20241110, 4000, 'D01', '01'");
    ins("PMTAPP", app, "2, 2, 'T', 5, 0, 21, 'I', 20241001, 20241001, 12000, 'D01', '01'");
    ins("PMTAPP", app, "3, 3, 'T', 6, 0, 21, 'I', 20241101, 20241101, 5000, 'D02', '02'");
    ins("PMTAPP", app, "4, 4, 'T', 7, 0, 21, 'I', 20241010, 20241010, 1000, 'D02', '02'");
}

}  // namespace insar_test
