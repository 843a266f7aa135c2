// A hand-built practice for the revenue distribution, reported on 2024-11-15 (the month
// runs from 2024-11-01). Each application has the day-sheet line the closings write for it,
// so both calculation modes read the same payments.
//
// Producers D01 (billing doctor 01), D02 (billing doctor 02), H01 (hygienist), A01
// (auxiliary under 01). Procedure LAB1 is a laboratory code.
//
// Rules, in file order (group, billing doctor, producer, percentage, remainder flag):
//   1 D01 01 D01 100.00 Y    4 D01 01 A01 100.00 N    7 H01 01 H01 33.34 Y
//   2 D01 01 H01  33.33 N    5 D02 01 H01  33.33 N
//   3 D02 02 D02  50.00 N    6 D02 02 H01  60.00 Y
//
// Payments (cents), by billing doctor and producer:
//   01/D01  today: payment 100.00, payment entered today for 11-08 15.00, payment entered
//           today for 10-28 4.00, credit of 11-01 applied today 2.50 -> payments 121.50;
//           adjustment counted as payment 3.00; laboratory 20.00. Day 144.50.
//           11-04: 50.01 -> month 194.51. Left out: a fee adjustment of 7.00 and a transfer
//           of 9.99 today, a cheque dated 11-16, a payment of 10-31, a day-sheet line whose
//           application is gone.
//   01/H01  today 100.50; 11-06 29.51 -> day 100.50, month 130.01
//           shares at 33.33 %: day 33.50, month 43.33; at 33.34 %: day 33.51, month 43.35;
//           rounded shares add to 100.51 and 130.01: the remainder rule takes -0.01 and 0,
//           so rule 7 gets 33.50 and 43.35.
//   02/D02  today 10.01; 11-12 20.00 -> day 10.01, month 30.01; at 50 % 5.01 and 15.01.
//   01/A01  today 7.00 -> 7.00 and 7.00.
//   02/H01  11-05 10.00, refunded today -10.00 -> day -10.00, month 0: no remainder,
//           day share at 60 % -5.99.
//   02/D01  today 5.00: no rule of that pair.
#pragma once

#include <stdexcept>
#include <string>

#include "host/db/gendb.h"
#include "tests/support/rows.h"

namespace revdist_test {

inline constexpr long kDate = 20241115;

using testing_support::Exec;

class PracticeBuilder {
  public:
    explicit PracticeBuilder(GenDB& db) : db_(db), p_(db.dbTablePrefix()) {}

    void Insert(const std::string& table, const std::string& cols, const std::string& vals) {
        testing_support::Insert(db_, table, cols, vals);
    }
    void Rule(long id, const char* group, const char* billdr, const char* producer, int pct,
              char rem) {
        Insert("RDIST",
               "RDST_ID, RDST_GROUP, RDST_BILLDR, RDST_PRODUCER, RDST_PERCENT, RDST_REMAINDER",
               std::to_string(id) + ", '" + group + "', '" + billdr + "', '" + producer + "', " +
                   std::to_string(pct) + ", '" + rem + "'");
    }
    // A payment (rectype P), adjustment (A, pmt Y or N) or transfer (T) with one application
    // to treatment ctrt (0: the patient's credit), and the application's day-sheet line.
    void Payment(char rectype, char pmt, long date, long sysdate, long app_date, long app_sysdate,
                 int amount, const char* producer, const char* billdr, long ctrt, char sort = 0) {
        const long id = ++next_;
        Insert("ACCPMT",
               "APMT_ID, APMT_ACCID, APMT_RECTYPE, APMT_TYPE, APMT_DATE, APMT_SYSDATE, APMT_TOTAL, "
               "APMT_PMT",
               std::to_string(id) + ", 1, '" + rectype + "', 'P', " + std::to_string(date) + ", " +
                   std::to_string(sysdate) + ", " + std::to_string(amount) + ", '" + pmt + "'");
        Insert("PMTAPP",
               "PAPP_ID, PAPP_APMTID, PAPP_RECTYPE, PAPP_CTRTID, PAPP_PATID, PAPP_TYPE, PAPP_DATE, "
               "PAPP_SYSDATE, PAPP_AMOUNT, PAPP_PRODUCER, PAPP_BILLDR",
               std::to_string(id) + ", " + std::to_string(id) + ", '" + (ctrt ? 'T' : 'P') + "', " +
                   std::to_string(ctrt) + ", 11, 'P', " + std::to_string(app_date) + ", " +
                   std::to_string(app_sysdate) + ", " + std::to_string(amount) + ", '" + producer +
                   "', '" + billdr + "'");
        // The day-sheet letter as the closings write it: a payment's application on its
        // date, or on its entry date when back-dated (L); an application dated after its
        // payment (Q); an adjustment's (N); a transfer's (P).
        if (!sort) sort = rectype == 'T' ? 'P' : rectype == 'A' ? 'N' : app_date > date ? 'Q' : 'L';
        const long sheet_date = rectype == 'P' && app_date < app_sysdate ? app_sysdate : app_date;
        SheetLine(sheet_date, sort, id, billdr, producer);
    }
    void SheetLine(long date, char sort, long recid, const char* billdr, const char* producer) {
        Insert("DAYSHT",
               "DSHT_ID, DSHT_DATE, DSHT_RECID, DSHT_BILLDR, DSHT_PRODUCER, DSHT_SORTID, "
               "DSHT_RECTYPE, DSHT_PATID",
               std::to_string(++sheet_) + ", " + std::to_string(date) + ", " +
                   std::to_string(recid) + ", '" + billdr + "', '" + producer + "', '" + sort +
                   "', 'A', 11");
    }

  private:
    GenDB& db_;
    std::string p_;
    long next_ = 0;
    long sheet_ = 0;
};

inline void BuildPractice(GenDB& db) {
    PracticeBuilder b(db);
    const std::string prod =
        "PROD_ID, PROD_CODE, PROD_TYPE, PROD_FIRST_NAME, PROD_LAST_NAME, PROD_TITLE, PROD_BILLDR";
    b.Insert("PRODCD", prod, "1, 'D01', 'D', 'Marie', 'Tremblay', 'Dre', '01'");
    b.Insert("PRODCD", prod, "2, 'D02', 'D', 'Paul', 'Gagnon', 'Dr', '02'");
    b.Insert("PRODCD", prod, "3, 'H01', 'H', 'Émilie', 'Bélanger-Côté', '', ''");
    b.Insert("PRODCD", prod, "4, 'A01', 'A', 'Luc', 'O''Neil', '', ''");
    b.Insert("PROCCD", "PROC_SYS_CODE, PROC_CODE, PROC_IS_LAB", "'P100', 'P100', 'N'");
    b.Insert("PROCCD", "PROC_SYS_CODE, PROC_CODE, PROC_IS_LAB", "'LAB1', 'LAB1', 'Y'");
    const std::string trt =
        "CTRT_ID, CTRT_PCLMID, CTRT_DATE, CTRT_PRODUCER, CTRT_BILL_DOC, CTRT_CODE, "
        "CTRT_SYSTEM_CODE, CTRT_TOTAL";
    b.Insert("CLMTRT", trt, "1, 1, 20241101, 'D01', '01', 'P100', 'P100', 50000");
    b.Insert("CLMTRT", trt, "2, 1, 20241101, 'D01', '01', 'LAB1', 'LAB1', 5000");
    b.Insert("CLMTRT", trt, "3, 1, 20241101, 'H01', '01', 'P100', 'P100', 50000");

    b.Rule(1, "D01", "01", "D01", 10000, 'Y');
    b.Rule(2, "D01", "01", "H01", 3333, 'N');
    b.Rule(3, "D02", "02", "D02", 5000, 'N');
    b.Rule(4, "D01", "01", "A01", 10000, 'N');
    b.Rule(5, "D02", "01", "H01", 3333, 'N');
    b.Rule(6, "D02", "02", "H01", 6000, 'Y');
    b.Rule(7, "H01", "01", "H01", 3334, 'Y');

    const long d = kDate;
    // 01/D01
    b.Payment('P', ' ', d, d, d, d, 10000, "D01", "01", 1);
    b.Payment('P', ' ', 20241108, d, 20241108, d, 1500, "D01", "01", 1);
    b.Payment('P', ' ', 20241028, d, 20241028, d, 400, "D01", "01", 1);
    b.Payment('P', ' ', 20241101, 20241101, d, d, 250, "D01", "01", 1);
    b.Payment('A', 'Y', d, d, d, d, 300, "D01", "01", 1);
    b.Payment('P', ' ', d, d, d, d, 2000, "D01", "01", 2);
    b.Payment('P', ' ', 20241104, 20241104, 20241104, 20241104, 5001, "D01", "01", 1);
    b.Payment('A', 'N', d, d, d, d, 700, "D01", "01", 1);
    b.Payment('T', ' ', d, d, d, d, 999, "D01", "01", 1);
    b.Payment('P', ' ', 20241116, d, 20241116, d, 800, "D01", "01", 1);
    b.Payment('P', ' ', 20241031, 20241031, 20241031, 20241031, 600, "D01", "01", 1);
    b.SheetLine(d, 'L', 999, "01", "D01");
    // 01/H01
    b.Payment('P', ' ', d, d, d, d, 10050, "H01", "01", 3);
    b.Payment('P', ' ', 20241106, 20241106, 20241106, 20241106, 2951, "H01", "01", 3);
    // 02/D02
    b.Payment('P', ' ', d, d, d, d, 1001, "D02", "02", 0);
    b.Payment('P', ' ', 20241112, 20241112, 20241112, 20241112, 2000, "D02", "02", 0);
    // 01/A01
    b.Payment('P', ' ', d, d, d, d, 700, "A01", "01", 0);
    // 02/H01
    b.Payment('P', ' ', 20241105, 20241105, 20241105, 20241105, 1000, "H01", "02", 0);
    b.Payment('P', ' ', d, d, d, d, -1000, "H01", "02", 0);
    // 02/D01
    b.Payment('P', ' ', d, d, d, d, 500, "D01", "02", 1);
}

}  // namespace revdist_test
