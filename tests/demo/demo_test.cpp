// The demo practice: same seed, same practice; and on every engine its day sheet, stored
// balances and producer receivables agree with its transactions.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <tuple>

#include "app/demo/demo.h"
#include "host/base/dates.h"
#include "tests/support/process.h"
#include "tests/support/testdb.h"

namespace {

using host::calc::AgedGroups;
using host::calc::kFuture;
using host::calc::kTotal;
using testing_support::TestDb;

constexpr long kToday = 20241115;

demo::DemoOptions Small(uint64_t seed = 1) {
    demo::DemoOptions o;
    o.size = demo::Size::Small;
    o.seed = seed;
    o.today = kToday;
    return o;
}

// One generated small practice per engine, shared by the suite.
class DemoPractice : public testing::TestWithParam<std::string> {
  protected:
    static void TearDownTestSuite() { dbs().clear(); }
    static std::map<std::string, std::unique_ptr<TestDb>>& dbs() {
        static std::map<std::string, std::unique_ptr<TestDb>> m;
        return m;
    }
    static std::map<std::string, demo::DemoStats>& stats() {
        static std::map<std::string, demo::DemoStats> m;
        return m;
    }
    GenDB& db() {
        auto& slot = dbs()[GetParam()];
        if (!slot) {
            slot = std::make_unique<TestDb>(GetParam(), false);
            std::string error;
            demo::DemoStats st;
            EXPECT_TRUE(demo::GenerateDemo(slot->db(), Small(), &st, &error)) << error;
            stats()[GetParam()] = st;
        }
        return slot->db();
    }
    const demo::DemoStats& generated() {
        db();
        return stats()[GetParam()];
    }
    std::string T(const char* table) { return std::string(db().dbTablePrefix()) + table; }
    int64_t Int(const std::string& sql) { return db().QueryInt(sql, -999999); }
};

// A day-sheet line, as the closing queries see it.
using Line = std::tuple<long, long, std::string, std::string, long>;  // date, record, billdr,
                                                                      // producer, patient

struct Found {
    std::multiset<Line> lines;
    int64_t amount = 0;
};

// Reads rows of sql into lines; columns give where each field is (0: absent).
void Collect(GenDB& db, const std::string& sql, int date, int recid, int billdr, int producer,
             int patid, int amount, bool producer_from_billdr, Found* out) {
    constexpr int kCursor = 901;
    ASSERT_EQ(db.dbOpen(sql, kCursor), 0)
        << sql << " : " << (db.dbLastError() ? db.dbLastError() : "");
    for (int rc = db.dbFetch(0, kCursor); rc == 0; rc = db.dbFetch(1, kCursor)) {
        host::DbCursor& c = *db.Cursor(kCursor);
        const std::string bd = billdr ? std::string(c.Text(billdr)) : std::string();
        std::string pr = producer ? std::string(c.Text(producer)) : std::string();
        if (producer_from_billdr && !bd.empty()) pr = "D" + bd;
        out->lines.emplace(static_cast<long>(c.Int(date)), static_cast<long>(c.Int(recid)), bd, pr,
                           patid ? static_cast<long>(c.Int(patid)) : 0L);
        if (amount) out->amount += c.Int(amount);
    }
    db.dbClose(kCursor);
}

TEST_P(DemoPractice, StoredBalancesAreTheAgingOfTheTransactions) {
    std::map<long, host::calc::StoredBalances> computed;
    std::string error;
    ASSERT_TRUE(demo::ForEachAccountLedger(
        db(),
        [&](long account, const auto& charges, const auto& apps) {
            computed[account] = host::calc::ComputeStoredBalances(charges, apps, kToday);
        },
        &error))
        << error;
    constexpr int kCursor = 902;
    ASSERT_EQ(
        db().dbOpen("SELECT ACC_ID, ACC_PAT_BAL, ACC_INS_BAL, ACC_AGED_DATE, ACC_PAT_CUR, "
                    "ACC_PAT_30, ACC_PAT_60, ACC_PAT_90, ACC_INS_CUR, ACC_INS_30, ACC_INS_60, "
                    "ACC_INS_90, ACC_PAT_FUT, ACC_INS_FUT FROM " +
                        T("ACCOUNT") + " ORDER BY ACC_ID",
                    kCursor),
        0);
    int accounts = 0, with_balance = 0;
    for (int rc = db().dbFetch(0, kCursor); rc == 0; rc = db().dbFetch(1, kCursor), ++accounts) {
        host::DbCursor& c = *db().Cursor(kCursor);
        host::calc::StoredBalances stored;
        stored.pat_bal = c.Int(2);
        stored.ins_bal = c.Int(3);
        stored.aged_date = static_cast<long>(c.Int(4));
        for (int i = 0; i < 4; ++i) {
            stored.pat[i] = c.Int(5 + i);
            stored.ins[i] = c.Int(9 + i);
        }
        stored.pat_fut = c.Int(13);
        stored.ins_fut = c.Int(14);
        const long id = static_cast<long>(c.Int(1));
        host::calc::StoredBalances expected;
        expected.aged_date = kToday;
        if (computed.count(id)) expected = computed[id];
        EXPECT_EQ(stored, expected) << "compte " << id;
        with_balance += stored.pat_bal != 0 || stored.ins_bal != 0;
    }
    db().dbClose(kCursor);
    EXPECT_EQ(accounts, 40);
    EXPECT_GT(with_balance, 5);

    // A deleted or inactive account owes nothing to any producer.
    EXPECT_EQ(Int("SELECT COUNT(*) FROM " + T("ACCOUNT") +
                  " WHERE (ACC_DELETE_DATE > 0 OR ACC_SYS_INACTIVE = 'Y') AND (ACC_PAT_BAL <> 0 "
                  "OR ACC_INS_BAL <> 0)"),
              0);
}

TEST_P(DemoPractice, DaySheetHoldsExactlyTheRowsOfTheClosingQueries) {
    struct Shape {
        char sortid;
        int date, recid, billdr, producer, patid, amount;  // columns of the queries (0: none)
        bool producer_from_billdr;
        const char* amount_join;  // how the day sheet finds the amount of its line
    };
    struct Kind : Shape {
        std::vector<std::string> queries;  // %A and %B stand for the range
    };
    const std::string pat = T("PATIENT"), ctrt = T("CLMTRT"), pclm = T("PATCLM"),
                      poch = T("PATOCH"), apmt = T("ACCPMT"), acc = T("ACCOUNT"),
                      papp = T("PMTAPP");
    const std::string treatment_cols =
        "SELECT CTRT_ID, CTRT_BILL_DOC, CTRT_PRODUCER, %D, PAT_ID, CTRT_TOTAL FROM " + ctrt + "," +
        pclm + "," + pat + " WHERE %D >= %A and %D <= %B and pclm_id = ctrt_pclmid and " +
        "(pclm_status = 'I' or pclm_status = 'C') and pat_id = pclm_patid";
    const std::string account_cols =
        "SELECT APMT_ID, APMT_DATE, ACC_ID, APMT_TOTAL FROM " + apmt + ", " + acc +
        " WHERE APMT_DATE >= %A and APMT_DATE <= %B and ACC_ID = APMT_ACCID AND ";
    const std::string app_cols =
        "SELECT PAPP_ID, PAPP_BILLDR, PAPP_PRODUCER, PAPP_DATE, "
        "PAPP_PATID, PAPP_AMOUNT FROM " +
        papp + ", " + apmt + " WHERE ";
    auto with = [](std::string s, const char* col) {
        for (size_t at; (at = s.find("%D")) != std::string::npos;)
            s.replace(at, 2, col);
        return s;
    };
    const std::vector<Kind> kinds = {
        {{'A', 3, 1, 2, 0, 1, 0, true, nullptr},
         {"SELECT PAT_ID, PAT_DOCTOR, PAT_OPEN_DATE FROM " + pat +
          " WHERE PAT_OPEN_DATE >= %A and PAT_OPEN_DATE <= %B AND (PAT_PATIENT = 'Y')"}},
        {{'B', 3, 1, 2, 0, 1, 0, true, nullptr},
         {"SELECT PAT_ID, PAT_DOCTOR, PAT_DELETE_DATE FROM " + pat +
          " WHERE PAT_DELETE_DATE >= %A and PAT_DELETE_DATE <= %B AND (PAT_PATIENT = 'Y')"}},
        {{'F', 4, 1, 2, 3, 5, 6, false, "CLMTRT"}, {with(treatment_cols, "ctrt_system_date")}},
        {{'G', 4, 1, 2, 3, 5, 6, false, "CLMTRT"}, {with(treatment_cols, "ctrt_del_date")}},
        {{'H', 3, 1, 2, 0, 4, 5, true, "PATOCH"},
         {"SELECT POCH_ID, POCH_BILLDR, POCH_SYSDATE, PAT_ID, POCH_TOTAL FROM " + poch + ", " +
          pat + " WHERE POCH_SYSDATE >= %A AND POCH_SYSDATE <= %B AND PAT_ID = POCH_PATID"}},
        {{'K', 2, 1, 0, 0, 0, 4, false, "ACCPMT"}, {account_cols + "APMT_RECTYPE = 'P'"}},
        {{'M', 2, 1, 0, 0, 0, 4, false, "ACCPMT"}, {account_cols + "APMT_RECTYPE = 'A'"}},
        {{'O', 2, 1, 0, 0, 0, 4, false, "ACCPMT"},
         {account_cols + "APMT_RECTYPE = 'T' AND APMT_DATE = APMT_SYSDATE"}},
        {{'R', 2, 1, 0, 0, 0, 4, false, "ACCPMT"},
         {"SELECT APMT_ID, APMT_SYSDATE, ACC_ID, APMT_TOTAL FROM " + apmt + ", " + acc +
          " WHERE APMT_SYSDATE >= %A and APMT_SYSDATE <= %B and ACC_ID = APMT_ACCID AND "
          "APMT_DATE > APMT_SYSDATE AND APMT_RECTYPE = 'P'"}},
        {{'S', 2, 1, 0, 0, 0, 4, false, "ACCPMT"},
         {"SELECT APMT_ID, APMT_SYSDATE, ACC_ID, APMT_TOTAL FROM " + apmt + ", " + acc +
          " WHERE APMT_SYSDATE >= %A and APMT_SYSDATE <= %B and ACC_ID = APMT_ACCID AND "
          "APMT_DATE > APMT_SYSDATE AND APMT_RECTYPE = 'A'"}},
        {{'L', 4, 1, 2, 3, 5, 6, false, "PMTAPP"},
         {app_cols + "(PAPP_DATE >= %A AND PAPP_DATE <= %B AND PAPP_DATE = APMT_DATE AND "
                     "APMT_DATE >= APMT_SYSDATE) and APMT_ID = PAPP_APMTID AND APMT_RECTYPE = 'P'",
          "SELECT PAPP_ID, PAPP_BILLDR, PAPP_PRODUCER, PAPP_SYSDATE, PAPP_PATID, PAPP_AMOUNT "
          "FROM " +
              papp + ", " + apmt +
              " WHERE (PAPP_SYSDATE >= %A AND PAPP_SYSDATE <= %B AND PAPP_DATE < PAPP_SYSDATE) "
              "and APMT_ID = PAPP_APMTID AND APMT_RECTYPE = 'P'"}},
        {{'N', 4, 1, 2, 3, 5, 6, false, "PMTAPP"},
         {app_cols + "(PAPP_DATE >= %A AND PAPP_DATE <= %B) and APMT_ID = PAPP_APMTID AND "
                     "APMT_RECTYPE = 'A' AND PAPP_DATE <= APMT_DATE"}},
        {{'P', 4, 1, 2, 3, 5, 6, false, "PMTAPP"},
         {app_cols + "(PAPP_DATE >= %A AND PAPP_DATE <= %B) and APMT_ID = PAPP_APMTID AND "
                     "APMT_RECTYPE = 'T' AND PAPP_DATE = APMT_DATE"}},
        {{'Q', 4, 1, 2, 3, 5, 6, false, "PMTAPP"},
         {app_cols + "(PAPP_DATE >= %A AND PAPP_DATE <= %B) and APMT_ID = PAPP_APMTID AND "
                     "PAPP_DATE > APMT_DATE"}},
    };
    const std::map<std::string, std::pair<const char*, const char*>> amount_of = {
        {"CLMTRT", {"CTRT_TOTAL", "CTRT_ID"}},
        {"PATOCH", {"POCH_TOTAL", "POCH_ID"}},
        {"ACCPMT", {"APMT_TOTAL", "APMT_ID"}},
        {"PMTAPP", {"PAPP_AMOUNT", "PAPP_ID"}}};

    // The whole history, then single days: the first day, a busy day, yesterday and today.
    const long first = Int("SELECT MIN(DSHT_DATE) FROM " + T("DAYSHT"));
    std::vector<std::pair<long, long>> ranges = {{1, 99991231},
                                                 {first, first},
                                                 {generated().busiest_day, generated().busiest_day},
                                                 {incr_date(kToday, -1), incr_date(kToday, -1)},
                                                 {kToday, kToday}};
    std::map<char, long> whole_counts;
    for (const auto& [lo, hi] : ranges) {
        for (const Kind& k : kinds) {
            SCOPED_TRACE(std::string("genre ") + k.sortid + " du " + std::to_string(lo) + " au " +
                         std::to_string(hi));
            Found expected, sheet;
            for (std::string q : k.queries) {
                for (size_t at; (at = q.find("%A")) != std::string::npos;)
                    q.replace(at, 2, std::to_string(lo));
                for (size_t at; (at = q.find("%B")) != std::string::npos;)
                    q.replace(at, 2, std::to_string(hi));
                Collect(db(), q, k.date, k.recid, k.billdr, k.producer, k.patid, k.amount,
                        k.producer_from_billdr, &expected);
            }
            const std::string where = std::string(" WHERE DSHT_SORTID = '") + k.sortid +
                                      "' AND DSHT_DATE >= " + std::to_string(lo) +
                                      " AND DSHT_DATE <= " + std::to_string(hi);
            std::string sheet_sql =
                "SELECT DSHT_DATE, DSHT_RECID, DSHT_BILLDR, DSHT_PRODUCER, "
                "DSHT_PATID, 0 FROM " +
                T("DAYSHT") + where;
            Collect(db(), sheet_sql, 1, 2, 3, 4, 5, 0, false, &sheet);
            if (k.amount_join) {
                const auto& [col, id] = amount_of.at(k.amount_join);
                sheet.amount =
                    db().QueryInt("SELECT SUM(" + std::string(col) + ") FROM " + T("DAYSHT") +
                                  ", " + T(k.amount_join) + where + " AND " + id + " = DSHT_RECID");
            }
            EXPECT_EQ(sheet.lines.size(), expected.lines.size());
            EXPECT_TRUE(sheet.lines == expected.lines);
            EXPECT_EQ(sheet.amount, expected.amount);
            if (lo == 1) whole_counts[k.sortid] = static_cast<long>(sheet.lines.size());
        }
    }
    // Every kind occurs in the small practice, and the lines add up to the sources.
    for (const Kind& k : kinds)
        EXPECT_GT(whole_counts[k.sortid], 0) << "genre " << k.sortid;
    EXPECT_EQ(whole_counts['L'] + whole_counts['N'] + whole_counts['P'] + whole_counts['Q'],
              Int("SELECT COUNT(*) FROM " + T("PMTAPP")));
    EXPECT_EQ(whole_counts['K'] + whole_counts['M'] + whole_counts['O'],
              Int("SELECT COUNT(*) FROM " + T("ACCPMT")));
    EXPECT_EQ(Int("SELECT COUNT(*) FROM " + T("DAYSHT")),
              Int("SELECT COUNT(*) FROM " + T("DAYSHT") +
                  " WHERE DSHT_SORTID IN ('A','B','F',"
                  "'G','H','K','L','M','N','O','P','Q','R','S')"));
}

// The producers' receivables by aging equal what the producer analysis accumulates from the
// day sheet: charges (F, H) less deleted charges (G) less applications (L, N, P, Q). A
// treatment counts with its adjustment; a deleted or reversed payment is taken back by the
// opposite applications of its deletion day (Q lines). No closing query lists the deletion
// of an office charge: it is taken off here from the table itself.
TEST_P(DemoPractice, ProducerReceivablesAgreeWithTheDaySheet) {
    std::map<std::string, int64_t> by_producer, by_billdr;
    std::string error;
    ASSERT_TRUE(demo::ForEachAccountLedger(
        db(),
        [&](long, const auto& charges, const auto& apps) {
            host::calc::AgingOptions o;
            o.as_of = kToday;
            for (const auto& [code, g] : host::calc::AgeLedger(charges, apps, o))
                by_producer[code] += g.tot.v[kTotal] + g.tot.v[kFuture];
            o.by_billing_doctor = true;
            for (const auto& [code, g] : host::calc::AgeLedger(charges, apps, o))
                by_billdr[code] += g.tot.v[kTotal] + g.tot.v[kFuture];
        },
        &error))
        << error;

    std::map<std::string, int64_t> sheet_producer, sheet_billdr;
    const std::string sheet = T("DAYSHT");
    const std::string upto = " AND DSHT_DATE <= " + std::to_string(kToday);
    const std::string charge =
        "CTRT_TOTAL + CASE CTRT_ADJ_FLAG WHEN 'S' THEN CTRT_ADJ_AMT WHEN 'D' THEN -CTRT_ADJ_AMT "
        "ELSE 0 END";
    const std::vector<std::pair<std::string, int>> parts = {
        {"SELECT DSHT_PRODUCER, DSHT_BILLDR, " + charge + " FROM " + sheet + ", " + T("CLMTRT") +
             " WHERE DSHT_SORTID = 'F' AND CTRT_ID = DSHT_RECID" + upto,
         1},
        {"SELECT DSHT_PRODUCER, DSHT_BILLDR, " + charge + " FROM " + sheet + ", " + T("CLMTRT") +
             " WHERE DSHT_SORTID = 'G' AND CTRT_ID = DSHT_RECID" + upto,
         -1},
        {"SELECT 'D' || POCH_BILLDR, POCH_BILLDR, POCH_TOTAL FROM " + T("PATOCH") +
             " WHERE POCH_DELDATE > 0 AND POCH_DELDATE <= " + std::to_string(kToday),
         -1},
        {"SELECT DSHT_PRODUCER, DSHT_BILLDR, POCH_TOTAL FROM " + sheet + ", " + T("PATOCH") +
             " WHERE DSHT_SORTID = 'H' AND POCH_ID = DSHT_RECID" + upto,
         1},
        {"SELECT DSHT_PRODUCER, DSHT_BILLDR, PAPP_AMOUNT FROM " + sheet + ", " + T("PMTAPP") +
             " WHERE DSHT_SORTID IN ('L','N','P','Q') AND PAPP_ID = DSHT_RECID" + upto,
         -1}};
    constexpr int kCursor = 903;
    for (const auto& [sql, sign] : parts) {
        ASSERT_EQ(db().dbOpen(sql, kCursor), 0) << sql;
        for (int rc = db().dbFetch(0, kCursor); rc == 0; rc = db().dbFetch(1, kCursor)) {
            host::DbCursor& c = *db().Cursor(kCursor);
            const std::string producer(c.Text(1)), billdr(c.Text(2));
            sheet_producer[producer] += sign * c.Int(3);
            sheet_billdr[billdr.empty() ? producer : "D" + billdr] += sign * c.Int(3);
        }
        db().dbClose(kCursor);
    }
    auto nonzero = [](std::map<std::string, int64_t> m) {
        std::erase_if(m, [](const auto& kv) { return kv.second == 0; });
        return m;
    };
    EXPECT_EQ(nonzero(by_producer), nonzero(sheet_producer));
    EXPECT_EQ(nonzero(by_billdr), nonzero(sheet_billdr));
    EXPECT_GE(nonzero(by_producer).size(), 4u);

    // And the accounts' stored balances add up to the same receivable.
    int64_t total = 0;
    for (const auto& [code, v] : by_producer)
        total += v;
    EXPECT_EQ(Int("SELECT SUM(ACC_PAT_BAL) + SUM(ACC_INS_BAL) FROM " + T("ACCOUNT")), total);
}

TEST_P(DemoPractice, SettingsDayEndStateAndEdgeRows) {
    const std::string today = std::to_string(kToday);
    // Settings rows 1 to 9; row 2 turns on the new-patients section.
    EXPECT_EQ(Int("SELECT COUNT(*) FROM " + T("PPSET") + " WHERE PPST_ID >= 1 AND PPST_ID <= 9"),
              9);
    EXPECT_EQ(db().QueryText("SELECT ppst_a2_field04 FROM " + T("PPSET") + " WHERE PPST_ID = 2"),
              "Y");
    // The day before today was closed; no month end yet, so nothing brought forward.
    EXPECT_EQ(Int("SELECT DEND_LASTDAY FROM " + T("DAYEND") + " WHERE DEND_ID = 1"), 20241114);
    EXPECT_EQ(Int("SELECT DEND_MENDDATE FROM " + T("DAYEND") + " WHERE DEND_ID = 1"), 0);
    EXPECT_EQ(Int("SELECT COUNT(*) FROM " + T("PRODCD") +
                  " WHERE PROD_YTD_FEES <> 0 OR PROD_AR_PROD <> 0 OR PROD_AR_BILLDR <> 0"),
              0);
    // One printed day-end record per earlier day with activity, and none for today.
    EXPECT_EQ(Int("SELECT COUNT(*) FROM " + T("DAYDET")),
              Int("SELECT COUNT(DISTINCT DSHT_DATE) FROM " + T("DAYSHT") + " WHERE DSHT_DATE < " +
                  today));
    EXPECT_EQ(Int("SELECT COUNT(*) FROM " + T("DAYDET") +
                  " WHERE DDET_PRINTED <> 'Y' OR DDET_DATE >= " + today),
              0);
    EXPECT_GT(Int("SELECT COUNT(*) FROM " + T("DAYSHT") + " WHERE DSHT_DATE = " + today), 0);
    // Distribution rules share 100.00 % per billing doctor and producer.
    EXPECT_EQ(Int("SELECT COUNT(*) FROM (SELECT RDST_BILLDR, RDST_PRODUCER FROM " + T("RDIST") +
                  " GROUP BY RDST_BILLDR, RDST_PRODUCER HAVING SUM(RDST_PERCENT) <> 10000) x"),
              0);
    EXPECT_GT(Int("SELECT COUNT(*) FROM " + T("RDIST") + " WHERE RDST_REMAINDER = 'Y'"), 0);

    // The edge rows the reports must cope with, and every kind of item the aging rules name:
    // at least so many of each ({P} stands for the table prefix).
    const std::string month_end = std::to_string(host::MonthEnd(host::AddMonths(kToday, -1)));
    const std::string charge =
        "CTRT_TOTAL + CASE CTRT_ADJ_FLAG WHEN 'S' THEN CTRT_ADJ_AMT WHEN 'D' THEN -CTRT_ADJ_AMT "
        "ELSE 0 END";
    const std::string charged =
        "{P}CLMTRT, {P}PATCLM WHERE PCLM_ID = CTRT_PCLMID AND PCLM_STATUS IN ('I', 'C') AND ";
    const std::pair<std::string, int> edges[] = {
        {"{P}ACCOUNT WHERE ACC_STATUS = 'D' AND ACC_DELETE_DATE > 0", 1},
        {"{P}ACCOUNT WHERE ACC_SYS_INACTIVE = 'Y'", 1},
        {"{P}ACCOUNT LEFT JOIN {P}PATIENT ON PAT_ACCID = ACC_ID WHERE PAT_ID IS NULL", 1},
        {"{P}ACCOUNT WHERE ACC_PAT_BAL < 0", 1},
        {"{P}ACCOUNT WHERE ACC_PAT_BAL = 0 AND ACC_INS_BAL = 0", 5},
        {"{P}ACCOUNT WHERE ACC_PAT_FUT <> 0 OR ACC_INS_FUT <> 0", 1},
        {"{P}ACCOUNT WHERE ACC_INS_90 > 0", 1},
        {"{P}ACCOUNT WHERE ACC_PPLAN_BAL > 0", 1},
        {"{P}ACCOUNT WHERE ACC_ADD_AMT <> 0", 1},
        {"{P}ACCPMT WHERE APMT_DATE > " + today, 1},
        {"{P}ACCPMT WHERE APMT_DATE < APMT_SYSDATE", 1},
        {"{P}ACCPMT WHERE APMT_CODE = 'NSF' AND APMT_TOTAL < 0", 1},
        {"{P}ACCPMT WHERE APMT_TYPE = 'I'", 10},
        {"{P}ACCPMT WHERE APMT_DELDATE > 0 AND APMT_REVERSED = 'N'", 1},
        {"{P}ACCPMT WHERE APMT_DELDATE > 0 AND APMT_REVERSED = 'Y'", 1},
        {"{P}CLMTRT WHERE CTRT_TYPE = 'L'", 1},
        {"{P}CLMTRT WHERE CTRT_INS_CO2 <> ''", 1},
        {charged + "CTRT_ADJ_FLAG = 'S' AND CTRT_ADJ_AMT > 0", 2},
        {charged + "CTRT_ADJ_FLAG = 'D' AND CTRT_ADJ_AMT > 0", 2},
        {"{P}PATCLM WHERE PCLM_STATUS = 'E' OR PCLM_STATUS = 'P'", 1},
        {"{P}PATNOTE WHERE PNOT_TYPE = 'A/R'", 1},
        {"{P}PATNOTE WHERE PNOT_TYPE = 'SCH' AND PNOT_USERID > 0", 1},
        {"{P}INSCO WHERE INS_GOVT = 'Y'", 1},
        {"{P}PATOCH WHERE POCH_DELDATE > 0", 1},
        // Money applied to a line of a claim not yet invoiced.
        {"{P}PMTAPP, {P}CLMTRT, {P}PATCLM WHERE PAPP_RECTYPE = 'T' AND CTRT_ID = PAPP_CTRTID AND "
         "PCLM_ID = CTRT_PCLMID AND PCLM_STATUS IN ('E', 'P')",
         1},
        // Insurers paid more than a whole line: owed back to them.
        {"{P}CLMTRT WHERE CTRT_DEL_DATE = 0 AND " + charge +
             " < (SELECT SUM(PAPP_AMOUNT) FROM {P}PMTAPP WHERE PAPP_CTRTID = CTRT_ID AND "
             "PAPP_RECTYPE = 'T' AND PAPP_TYPE = 'I')",
         1},
        // Entered after the last month end, dated before it.
        {"{P}PMTAPP WHERE PAPP_DATE <= " + month_end + " AND PAPP_SYSDATE > " + month_end, 1},
    };
    for (const auto& [from, least] : edges) {
        std::string sql = "SELECT COUNT(*) FROM " + from;
        for (size_t at; (at = sql.find("{P}")) != std::string::npos;)
            sql.replace(at, 3, db().dbTablePrefix());
        EXPECT_GE(Int(sql), least) << sql;
    }
    EXPECT_GE(
        Int("SELECT COUNT(DISTINCT APMT_CODE) FROM " + T("ACCPMT") + " WHERE APMT_RECTYPE = 'P'"),
        5);
    EXPECT_GE(Int("SELECT COUNT(*) FROM " + T("ACCOUNT") + " WHERE ACC_LNAME LIKE '%''%'") +
                  Int("SELECT COUNT(*) FROM " + T("PATIENT") + " WHERE PAT_LNAME LIKE '%-%'"),
              1);
}

// A report as of the last month end, run today, counts what is dated up to that day, entries
// made since included; the day sheet lists those on the day they were entered.
TEST_P(DemoPractice, BackDatedEntriesCountAsOfTheirDate) {
    const long month_end = host::MonthEnd(host::AddMonths(kToday, -1));
    const std::string me = std::to_string(month_end);
    struct Late {
        long id, date, charge, entered;
        char rectype;
        int64_t amount;
    };
    std::map<long, std::vector<Late>> late;  // by account
    constexpr int kCursor = 905;
    ASSERT_EQ(
        db().dbOpen("SELECT APMT_ACCID, PAPP_ID, PAPP_DATE, PAPP_RECTYPE, PAPP_CTRTID + "
                    "PAPP_POCHID, PAPP_AMOUNT, PAPP_SYSDATE FROM " +
                        T("PMTAPP") + ", " + T("ACCPMT") +
                        " WHERE APMT_ID = PAPP_APMTID AND APMT_DELDATE = 0 AND PAPP_DATE <= " + me +
                        " AND PAPP_SYSDATE > " + me,
                    kCursor),
        0);
    for (int rc = db().dbFetch(0, kCursor); rc == 0; rc = db().dbFetch(1, kCursor)) {
        host::DbCursor& c = *db().Cursor(kCursor);
        late[static_cast<long>(c.Int(1))].push_back(
            {static_cast<long>(c.Int(2)), static_cast<long>(c.Int(3)), static_cast<long>(c.Int(5)),
             static_cast<long>(c.Int(7)), c.Text(4).empty() ? 'P' : c.Text(4)[0], c.Int(6)});
    }
    db().dbClose(kCursor);
    ASSERT_FALSE(late.empty());
    std::string error;
    size_t checked = 0;
    ASSERT_TRUE(demo::ForEachAccountLedger(
        db(),
        [&](long account, const auto& charges, const auto& apps) {
            auto it = late.find(account);
            if (it == late.end()) return;
            ++checked;
            // The ledger as it stood at the month end: without the entries made since.
            auto then = apps;
            int64_t entered_since = 0;
            for (const Late& l : it->second) {
                auto a = std::find_if(then.begin(), then.end(), [&](const auto& x) {
                    return x.date == l.date && x.rectype == l.rectype && x.amount == l.amount &&
                           (l.rectype == 'P' || x.charge_id == l.charge);
                });
                ASSERT_NE(a, then.end());
                then.erase(a);
                entered_since += l.amount;
            }
            host::calc::AgingOptions o;
            o.as_of = month_end;
            const AgedGroups now = host::calc::SumGroups(host::calc::AgeLedger(charges, apps, o));
            const AgedGroups at_the_time =
                host::calc::SumGroups(host::calc::AgeLedger(charges, then, o));
            EXPECT_EQ(at_the_time.tot.v[kTotal] + at_the_time.tot.v[kFuture] - entered_since,
                      now.tot.v[kTotal] + now.tot.v[kFuture])
                << "compte " << account;
        },
        &error))
        << error;
    EXPECT_EQ(checked, late.size());
    // On the day sheet they are on the day they were entered, after the month end.
    for (const auto& [account, entries] : late)
        for (const Late& l : entries)
            EXPECT_EQ(Int("SELECT MIN(DSHT_DATE) FROM " + T("DAYSHT") + " WHERE DSHT_RECID = " +
                          std::to_string(l.id) + " AND DSHT_SORTID IN ('L', 'N', 'P', 'Q')"),
                      l.entered)
                << "application " << l.id;
}

TEST_P(DemoPractice, RefusesToOverwriteWithoutForce) {
    GenDB& d = db();
    const int64_t accounts = Int("SELECT COUNT(*) FROM " + T("ACCOUNT"));
    std::string error;
    demo::DemoOptions o = Small(2);
    EXPECT_FALSE(demo::GenerateDemo(d, o, nullptr, &error));
    EXPECT_NE(error.find("--force"), std::string::npos) << error;
    EXPECT_EQ(Int("SELECT COUNT(*) FROM " + T("ACCOUNT")), accounts);

    // With --force the practice is made again: the same seed gives the same content.
    o = Small(1);
    o.force = true;
    demo::DemoStats again;
    ASSERT_TRUE(demo::GenerateDemo(d, o, &again, &error)) << error;
    EXPECT_EQ(again.checksum, generated().checksum);
    EXPECT_EQ(Int("SELECT COUNT(*) FROM " + T("ACCOUNT")), accounts);
}

// On PostgreSQL the ledger's pages are all-visible as soon as the practice is written (its
// rows are loaded frozen), so that index-only scans need no VACUUM first.
TEST_P(DemoPractice, LoadedPagesAreAllVisible) {
    if (db().engine() != GenDB::Engine::PostgreSQL) GTEST_SKIP() << "PostgreSQL only";
    for (const char* table : {"ACCOUNT", "CLMTRT", "PMTAPP", "DAYSHT"}) {
        const std::string rel = " FROM pg_class WHERE oid = to_regclass('" + T(table) + "')";
        EXPECT_GT(Int("SELECT relpages" + rel), 0) << table;
        EXPECT_EQ(Int("SELECT relpages - relallvisible" + rel), 0) << table;
    }
}

INSTANTIATE_TEST_SUITE_P(Engines, DemoPractice, testing::ValuesIn(testing_support::Engines()),
                         testing_support::EngineName);

// A digest of what the database holds, independent of the generator's own checksum.
std::string Content(GenDB& db) {
    std::string out;
    for (const char* q :
         {"SELECT COUNT(*), SUM(ACC_PAT_BAL), SUM(ACC_INS_BAL), SUM(LENGTH(ACC_LNAME)) FROM "
          "ACCOUNT",
          "SELECT COUNT(*), SUM(CTRT_TOTAL), SUM(CTRT_INS_TOTAL), SUM(CTRT_DATE) FROM CLMTRT",
          "SELECT COUNT(*), SUM(PAPP_AMOUNT), SUM(PAPP_DATE), SUM(PAPP_CTRTID) FROM PMTAPP",
          "SELECT COUNT(*), SUM(DSHT_DATE), SUM(DSHT_RECID), SUM(DSHT_PATID) FROM DAYSHT"}) {
        constexpr int kCursor = 904;
        if (db.dbOpen(q, kCursor) != 0 || db.dbFetch(0, kCursor) != 0) return "erreur";
        for (int c = 1; c <= 4; ++c)
            out += std::to_string(db.Cursor(kCursor)->Int(c)) + " ";
        db.dbClose(kCursor);
    }
    return out;
}

TEST(DemoGenerator, SameSeedSamePracticeAnotherSeedAnother) {
    TestDb a("sqlite", false), b("sqlite", false), c("sqlite", false);
    demo::DemoStats sa, sb, sc;
    std::string error;
    ASSERT_TRUE(demo::GenerateDemo(a.db(), Small(7), &sa, &error)) << error;
    ASSERT_TRUE(demo::GenerateDemo(b.db(), Small(7), &sb, &error)) << error;
    ASSERT_TRUE(demo::GenerateDemo(c.db(), Small(8), &sc, &error)) << error;
    EXPECT_EQ(sa.rows, sb.rows);
    EXPECT_EQ(sa.checksum, sb.checksum);
    EXPECT_EQ(Content(a.db()), Content(b.db()));
    EXPECT_NE(sa.checksum, sc.checksum);
    EXPECT_NE(Content(a.db()), Content(c.db()));
    // A later "today" moves the whole history with it: another practice again.
    demo::DemoOptions later = Small(7);
    later.today = 20250303;
    later.force = true;
    demo::DemoStats sl;
    ASSERT_TRUE(demo::GenerateDemo(b.db(), later, &sl, &error)) << error;
    EXPECT_NE(sl.checksum, sa.checksum);
    EXPECT_EQ(b.db().QueryInt("SELECT DEND_LASTDAY FROM DAYEND"), 20250302);
}

// Loading every few accounts (several COPY per table in the one transaction) writes the
// practice a single load writes, on every engine.
TEST(DemoGenerator, ChunkedLoadWritesTheSamePractice) {
    for (const std::string& engine : testing_support::Engines()) {
        SCOPED_TRACE(engine);
        TestDb whole(engine, false), chunked(engine, false);
        demo::DemoStats sw, sc;
        std::string error;
        ASSERT_TRUE(demo::GenerateDemo(whole.db(), Small(3), &sw, &error)) << error;
        demo::DemoOptions o = Small(3);
        o.chunk_accounts = 7;
        ASSERT_TRUE(demo::GenerateDemo(chunked.db(), o, &sc, &error)) << error;
        EXPECT_EQ(sc.rows, sw.rows);
        EXPECT_EQ(sc.checksum, sw.checksum);
        EXPECT_EQ(Content(chunked.db()), Content(whole.db()));
        // A dry run counts the same rows and writes nothing.
        TestDb dry(engine, false);
        o.dry_run = true;
        demo::DemoStats sd;
        ASSERT_TRUE(demo::GenerateDemo(dry.db(), o, &sd, &error)) << error;
        EXPECT_EQ(sd.rows, sw.rows);
        EXPECT_EQ(sd.checksum, sw.checksum);
        EXPECT_FALSE(host::SchemaExists(dry.db()));
    }
}

TEST(DemoGenerator, BadInputIsRefusedWithAClearMessage) {
    TestDb t("sqlite", false);
    demo::DemoOptions o = Small();
    o.today = 20240231;
    std::string error;
    EXPECT_FALSE(demo::GenerateDemo(t.db(), o, nullptr, &error));
    EXPECT_NE(error.find("20240231"), std::string::npos) << error;
    EXPECT_FALSE(host::SchemaExists(t.db()));

    demo::Size size{};
    EXPECT_TRUE(demo::ParseSize("large", &size));
    EXPECT_EQ(size, demo::Size::Large);
    EXPECT_TRUE(demo::ParseSize("group", &size));
    EXPECT_STREQ(demo::SizeName(size), "group");
    EXPECT_FALSE(demo::ParseSize("énorme", &size));

    // The group practice is for PostgreSQL: SQLite refuses it before writing anything.
    o = Small();
    o.size = demo::Size::Group;
    EXPECT_FALSE(demo::GenerateDemo(t.db(), o, nullptr, &error));
    EXPECT_NE(error.find("PostgreSQL"), std::string::npos) << error;
    EXPECT_FALSE(host::SchemaExists(t.db()));

    demo::PracticeSummary s;
    EXPECT_FALSE(demo::SummarizePractice(t.db(), kToday, &s, &error));
    EXPECT_FALSE(error.empty());
}

TEST(DemoCommand, RefusesBadDatesAndExistingPractices) {
    const std::string cli = testing_support::Sibling("rapports");
    if (!std::filesystem::exists(cli)) GTEST_SKIP() << "rapports n'est pas construit";
    // The exit status of command; what it wrote (errors included) in *output.
    auto Shell = [](const std::string& command, std::string* output) {
        const auto r = testing_support::RunShell(command + " 2>&1");
        *output = r.out;
        return r.code;
    };
    const std::string db =
        std::filesystem::temp_directory_path() / ("demo-cli-" + std::to_string(getpid()) + ".db");
    std::filesystem::remove(db);
    const std::string base = cli + " demo --quiet --db " + db + " --size small";
    std::string out;
    EXPECT_NE(Shell(base + " --today 20240231", &out), 0);
    EXPECT_NE(out.find("20240231"), std::string::npos) << out;
    EXPECT_NE(Shell(cli + " demo --quiet --db " + db + " --size enorme", &out), 0);
    EXPECT_NE(out.find("enorme"), std::string::npos) << out;
    EXPECT_FALSE(std::filesystem::exists(db));

    ASSERT_EQ(Shell(base + " --today 20241115", &out), 0) << out;
    EXPECT_NE(out.find("DAYSHT"), std::string::npos) << out;
    EXPECT_NE(Shell(base + " --today 20241115", &out), 0);
    EXPECT_NE(out.find("--force"), std::string::npos) << out;
    EXPECT_EQ(Shell(base + " --today 20241115 --force", &out), 0) << out;
    EXPECT_EQ(Shell(cli + " demo --summary --today 20241115 --db " + db, &out), 0) << out;
    EXPECT_NE(out.find("Comptes à recevoir par producteur"), std::string::npos) << out;
    for (const char* ext : {"", "-wal", "-shm"})
        std::filesystem::remove(db + ext);
}

}  // namespace
