// A hand-built practice for the practice analysis, reported on 2024-11-15 with a month-end
// on 2024-10-31: its transactions and the day sheet that records them, and the figures
// computed by hand below.
//
// Producers (records): D01 Marie Tremblay (billing 01), D02 Paul Gagnon (billing 02, flag
// 'Y', nothing at all), A01 Julie Auxiliaire (auxiliary under 01), H01 Émilie Hygiéniste.
// D03 has no record (met in the transactions only).
// Year to date up to the month-end (stored): D01 10 procedures, dental 1,000.00, lab 50.00,
//   office 20.00, fee adjustments -10.00, fees 1,060.00, with auxiliaries 1,140.00,
//   payments -500.00, payment adjustments -5.00, net -505.00, receivable 560.00 by
//   producer and 640.00 by billing doctor; A01 2 procedures, 80.00; H01 5, 300.00,
//   receivable 300.00.
// Since the month-end (report date R = 2024-11-15):
//   T1 D01/01 R 100.00; T2 D01/01 R 50.00 deleted on R; T3 D01/01 11-05 200.00 + 10.00
//   adjustment 'S'; T4 D01/01 R 30.00 laboratory; T5 A01/01 R 80.00; T6 H01/02 11-10
//   60.00; T7 D03/03 11-12 40.00; O1 office charge under 01 on R 15.00; O2 office charge
//   under 01 entered 11-05, 7.00, deleted on R (taken off the day's office charges).
//   A1 payment R 40.00 on T1 (D01); A2 payment dated 11-08 entered on R, 20.00 on T4 (lab);
//   A3 payment R 30.00 on T5 (A01 under 01); A4 fee adjustment R 10.00 on T3; A5 payment
//   adjustment 11-10 5.00 on T6 (H01/02); A6/A7 transfer R: -10.00 on T1 (D01), 10.00 to
//   the credit of H01 under 01; A8 application dated 11-12 of a payment of 11-01, 20.00 on
//   T6 (H01/02).
// Before the month-end: T8 D01/01 2024-10-15 999.00 (counted only when there is no
//   month-end: see WithoutMonthEnd).
// A day-sheet line whose record does not exist (F, record 999) is traced and skipped.
#pragma once

#include <stdexcept>
#include <string>

#include "host/db/gendb.h"
#include "tests/support/rows.h"

namespace pa_test {

inline constexpr long kReportDate = 20241115;

using testing_support::Exec;

class PracticeWriter {
  public:
    PracticeWriter(GenDB& db, long first_day_id)
        : db_(db), p_(db.dbTablePrefix()), day_id_(first_day_id) {}
    void Insert(const std::string& table, const std::string& cols, const std::string& vals) {
        testing_support::Insert(db_, table, cols, vals);
    }
    void Day(long date, long recid, const char* billdr, const char* producer, char sortid,
             char rectype, long patid) {
        Insert("DAYSHT",
               "DSHT_ID, DSHT_DATE, DSHT_RECID, DSHT_BILLDR, DSHT_PRODUCER, DSHT_SORTID, "
               "DSHT_RECTYPE, DSHT_PATID",
               std::to_string(++day_id_) + ", " + std::to_string(date) + ", " +
                   std::to_string(recid) + ", '" + billdr + "', '" + producer + "', '" +
                   std::string(1, sortid) + "', '" + std::string(1, rectype) + "', " +
                   std::to_string(patid));
    }
    // A treatment of claim `claim` and its day-sheet lines.
    void Treatment(long id, long claim, long patid, const char* billdr, const char* producer,
                   long sysdate, long deldate, long total, char type, const char* adj_flag = "",
                   long adj_amt = 0) {
        Insert("CLMTRT",
               "CTRT_ID, CTRT_PCLMID, CTRT_BILL_DOC, CTRT_PRODUCER, CTRT_DATE, CTRT_SYSTEM_DATE, "
               "CTRT_DEL_DATE, CTRT_TOTAL, CTRT_TYPE, CTRT_ADJ_FLAG, CTRT_ADJ_AMT",
               std::to_string(id) + ", " + std::to_string(claim) + ", '" + billdr + "', '" +
                   producer + "', " + std::to_string(sysdate) + ", " + std::to_string(sysdate) +
                   ", " + std::to_string(deldate) + ", " + std::to_string(total) + ", '" +
                   std::string(1, type) + "', '" + adj_flag + "', " + std::to_string(adj_amt));
        Day(sysdate, id, billdr, producer, 'F', 'T', patid);
        if (deldate) Day(deldate, id, billdr, producer, 'G', 'T', patid);
    }
    void Payment(long id, long acc, char rectype, long date, long sysdate, long total,
                 char adj_kind = ' ') {
        Insert("ACCPMT",
               "APMT_ID, APMT_ACCID, APMT_RECTYPE, APMT_TYPE, APMT_DATE, APMT_SYSDATE, "
               "APMT_TOTAL, APMT_ADJ_KIND",
               std::to_string(id) + ", " + std::to_string(acc) + ", '" + std::string(1, rectype) +
                   "', 'P', " + std::to_string(date) + ", " + std::to_string(sysdate) + ", " +
                   std::to_string(total) + ", '" +
                   (adj_kind == ' ' ? "" : std::string(1, adj_kind)) + "'");
    }
    // An application and its day-sheet line (class as the closing queries find it).
    void Application(long id, long pmt, char rectype, long ctrt, long patid, long date,
                     long sysdate, long amount, const char* producer, const char* billdr,
                     char sortid, long day) {
        Insert("PMTAPP",
               "PAPP_ID, PAPP_APMTID, PAPP_RECTYPE, PAPP_CTRTID, PAPP_PATID, PAPP_DATE, "
               "PAPP_SYSDATE, PAPP_AMOUNT, PAPP_PRODUCER, PAPP_BILLDR",
               std::to_string(id) + ", " + std::to_string(pmt) + ", '" + std::string(1, rectype) +
                   "', " + std::to_string(ctrt) + ", " + std::to_string(patid) + ", " +
                   std::to_string(date) + ", " + std::to_string(sysdate) + ", " +
                   std::to_string(amount) + ", '" + producer + "', '" + billdr + "'");
        Day(day, id, billdr, producer, sortid, 'A', patid);
    }

  private:
    GenDB& db_;
    std::string p_;
    long day_id_;
};

inline void BuildPractice(GenDB& db) {
    PracticeWriter w(db, 0);
    const std::string prod =
        "PROD_ID, PROD_CODE, PROD_TYPE, PROD_FIRST_NAME, PROD_LAST_NAME, PROD_BILLDR, PROD_FLAG, "
        "PROD_YTD_PROCS, PROD_YTD_DENTAL, PROD_YTD_LAB, PROD_YTD_OFFCHG, PROD_YTD_FEEADJ, "
        "PROD_YTD_FEES, PROD_YTD_FEESAUX, PROD_YTD_PMTS, PROD_YTD_TRANSF, PROD_YTD_PMTADJ, "
        "PROD_YTD_NET, PROD_AR_PROD, PROD_AR_BILLDR";
    w.Insert("PRODCD", prod,
             "1, 'D01', 'D', 'Marie', 'Tremblay', '01', 'N', 10, 100000, 5000, 2000, -1000, "
             "106000, 114000, -50000, 0, -500, -50500, 56000, 64000");
    w.Insert("PRODCD", prod,
             "2, 'D02', 'D', 'Paul', 'Gagnon', '02', 'Y', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0");
    w.Insert("PRODCD", prod,
             "3, 'H01', 'H', 'Émilie', 'Hygiéniste', '', 'N', 5, 30000, 0, 0, 0, 30000, 30000, "
             "0, 0, 0, 0, 30000, 0");
    w.Insert("PRODCD", prod,
             "4, 'A01', 'A', 'Julie', 'Auxiliaire', '01', 'N', 2, 8000, 0, 0, 0, 8000, 8000, 0, "
             "0, 0, 0, 0, 0");
    w.Insert("DAYEND", "DEND_ID, DEND_LASTDAY, DEND_MENDDATE", "1, 20241114, 20241031");
    w.Insert("ACCOUNT", "ACC_ID, ACC_LNAME, ACC_PNAME", "1, 'Tremblay', 'Luc'");
    w.Insert("ACCOUNT", "ACC_ID, ACC_LNAME, ACC_PNAME", "2, 'O''Brien', 'Seán'");
    w.Insert("PATIENT", "PAT_ID, PAT_ACCID, PAT_PNAME, PAT_LNAME, PAT_DOCTOR",
             "11, 1, 'Luc', 'Tremblay', '01'");
    w.Insert("PATIENT", "PAT_ID, PAT_ACCID, PAT_PNAME, PAT_LNAME, PAT_DOCTOR",
             "21, 2, 'Seán', 'O''Brien', '02'");
    w.Insert("PATCLM", "PCLM_ID, PCLM_PATID, PCLM_STATUS", "101, 11, 'I'");
    w.Insert("PATCLM", "PCLM_ID, PCLM_PATID, PCLM_STATUS", "102, 21, 'C'");
    w.Day(20241115, 11, "01", "D01", 'A', 'P', 11);  // a new patient: not a transaction

    const long R = kReportDate;
    w.Treatment(1, 101, 11, "01", "D01", R, 0, 10000, 'T');
    w.Treatment(2, 101, 11, "01", "D01", R, R, 5000, 'T');
    w.Treatment(3, 101, 11, "01", "D01", 20241105, 0, 20000, 'T', "S", 1000);
    w.Treatment(4, 101, 11, "01", "D01", R, 0, 3000, 'L');
    w.Treatment(5, 101, 11, "01", "A01", R, 0, 8000, 'T');
    w.Treatment(6, 102, 21, "02", "H01", 20241110, 0, 6000, 'T');
    w.Treatment(7, 102, 21, "03", "D03", 20241112, 0, 4000, 'T');
    w.Insert("PATOCH", "POCH_ID, POCH_PATID, POCH_DATE, POCH_SYSDATE, POCH_TOTAL, POCH_BILLDR",
             "1, 11, 20241115, 20241115, 1500, '01'");
    w.Day(R, 1, "01", "D01", 'H', 'O', 11);
    // Entered on 11-05 and deleted on R: no day-sheet line records the deletion.
    w.Insert("PATOCH",
             "POCH_ID, POCH_PATID, POCH_DATE, POCH_SYSDATE, POCH_DELDATE, POCH_TOTAL, POCH_BILLDR",
             "2, 11, 20241105, 20241105, 20241115, 700, '01'");
    w.Day(20241105, 2, "01", "D01", 'H', 'O', 11);

    w.Payment(1, 1, 'P', R, R, 4000);
    w.Application(1, 1, 'T', 1, 11, R, R, 4000, "D01", "01", 'L', R);
    w.Payment(2, 1, 'P', 20241108, R, 2000);  // entered today for an earlier date
    w.Application(2, 2, 'T', 4, 11, 20241108, R, 2000, "D01", "01", 'L', R);
    w.Payment(3, 1, 'P', R, R, 3000);
    w.Application(3, 3, 'T', 5, 11, R, R, 3000, "A01", "01", 'L', R);
    w.Payment(4, 1, 'A', R, R, 1000, 'N');
    w.Application(4, 4, 'T', 3, 11, R, R, 1000, "D01", "01", 'N', R);
    w.Payment(5, 2, 'A', 20241110, 20241110, 500, 'P');
    w.Application(5, 5, 'T', 6, 21, 20241110, 20241110, 500, "H01", "02", 'N', 20241110);
    w.Payment(6, 1, 'T', R, R, 0);
    w.Application(6, 6, 'T', 1, 11, R, R, -1000, "D01", "01", 'P', R);
    w.Application(7, 6, 'P', 0, 11, R, R, 1000, "H01", "01", 'P', R);
    w.Payment(7, 2, 'P', 20241101, 20241101, 2000);
    w.Application(8, 7, 'T', 6, 21, 20241112, 20241112, 2000, "H01", "02", 'Q', 20241112);

    w.Day(R, 999, "01", "D01", 'F', 'T', 11);  // its treatment does not exist
}

// No month-end yet: the whole history counts, and the day sheet holds it all, including
// T8 of 2024-10-15 (year to date only).
inline void WithoutMonthEnd(GenDB& db) {
    Exec(db, std::string("UPDATE ") + db.dbTablePrefix() + "DAYEND SET DEND_MENDDATE = 0");
    PracticeWriter w(db, 1000);
    w.Treatment(8, 101, 11, "01", "D01", 20241015, 0, 99900, 'T');
}

}  // namespace pa_test
