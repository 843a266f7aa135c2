// The receivable check's repair killed at random moments and run by two workstations at
// once, on every engine, over the small demo practice with 500 more accounts whose stored
// balances are wrong (they have no transactions: the repair writes zeros).
//
// A repair rewrites each account in a transaction of its own, so a kill may leave some
// accounts repaired and the others as they were, never an account half written; running
// the check again repairs the rest. (On SQLite the check's excluding lock of the account
// table is the database's write transaction: the repairs become durable together.)
// RAPPORTS_CRASH_TRIALS and RAPPORTS_RACE_ROUNDS set the kills and rounds.
#include <map>

#include "tests/support/closing_harness.h"

namespace {

using testing_support::Command;
using testing_support::Executable;
using testing_support::RunToEnd;

constexpr int kDivergent = 500;
constexpr long kFirstId = 20000;

// Every figure the repair writes, account by account.
using Rows = std::map<long, std::string>;
Rows AccountRows(GenDB& db) {
    Rows rows;
    const char* sql =
        "SELECT ACC_ID, ACC_PAT_BAL, ACC_INS_BAL, ACC_AGED_DATE, ACC_PAT_CUR, ACC_PAT_30, "
        "ACC_PAT_60, ACC_PAT_90, ACC_INS_CUR, ACC_INS_30, ACC_INS_60, ACC_INS_90, ACC_PAT_FUT, "
        "ACC_INS_FUT FROM ACCOUNT";
    if (db.dbOpen(sql, 9) != 0) return rows;
    for (int r = db.dbFetch(0, 9); r == 0; r = db.dbFetch(1, 9)) {
        long id = 0;
        db.dbGetLong(1, &id, 9);
        std::string text;
        for (int c = 2; c <= 14; ++c) {
            long v = 0;
            db.dbGetLong(c, &v, 9);
            text += std::to_string(v) + " ";
        }
        rows[id] = text;
    }
    db.dbClose(9);
    return rows;
}

class ArChkHarness : public testing_support::ClosingHarness {
  protected:
    ArChkHarness() : ClosingHarness({"ACCOUNT"}) {}
    // 500 accounts without transactions, their stored figures wrong.
    void BeforeKeep() override {
        ASSERT_TRUE(db().Begin());
        for (int i = 1; i <= kDivergent; ++i)
            testing_support::Exec(db(),
                                  "INSERT INTO ACCOUNT (ACC_ID, ACC_LNAME, ACC_PNAME) VALUES (" +
                                      std::to_string(kFirstId + i) + ", 'Dépôt-Ouellet', 'Anaïs " +
                                      std::to_string(i) + "')");
        testing_support::Exec(db(), "UPDATE ACCOUNT SET ACC_PAT_BAL = (ACC_ID - " +
                                        std::to_string(kFirstId) +
                                        ") * 7, ACC_INS_BAL = 3, ACC_AGED_DATE = 0, ACC_PAT_CUR = "
                                        "1, ACC_INS_90 = 2 WHERE ACC_ID > " +
                                        std::to_string(kFirstId));
        ASSERT_TRUE(db().Commit());
    }
    Command Check(const std::string& out) {
        return Executable("rapports", {"check-ar", "--db", dsn(), "--repair", "--today", "20241115",
                                       "--out", OutDir(out)});
    }
    static std::string Repaired(GenDB& db) {
        const int64_t wrong = db.QueryInt("SELECT COUNT(*) FROM ACCOUNT WHERE ACC_ID > " +
                                          std::to_string(kFirstId) + " AND ACC_PAT_BAL <> 0");
        return wrong == 0 ? std::string() : std::to_string(wrong) + " accounts not repaired";
    }
};

TEST_P(ArChkHarness, RepairKilledLeavesWholeAccountsAndRunningAgainFinishes) {
    // The practice before and after an uninterrupted repair, account by account.
    Prepare();
    const Rows before = AccountRows(db());
    const auto first = RunToEnd(Check("kill"));
    ASSERT_EQ(first.exit_code, 1) << first.output;
    ASSERT_NE(first.output.find("comptes réparés : 500"), std::string::npos) << first.output;
    const Rows after = AccountRows(db());
    ASSERT_EQ(after.size(), before.size());

    testing_support::CrashCase c = Kills(Check("kill"), Repaired);
    c.success_codes = {0, 1};
    c.partial = [&](GenDB& db) {
        const Rows now = AccountRows(db);
        if (now.size() != before.size()) return std::string("accounts added or removed");
        for (const auto& [id, row] : now)
            if (row != before.at(id) && row != after.at(id))
                return "account " + std::to_string(id) + " half written: " + row;
        return std::string();
    };
    const testing_support::CrashReport r = RunCrashTrials(c);
    EXPECT_TRUE(r.ok()) << r.Summary();
    std::printf("check-ar --repair of 500 accounts on %s: %s\n", GetParam().c_str(),
                r.Summary().c_str());
}

TEST_P(ArChkHarness, TwoWorkstationsCheckingAtOnce) {
    // The second waits for the first's locks, or answers 6310.
    ExpectOneCloses(Check("race1"), Check("race2"), "Impossible d'ouvrir le fichier d'entrée",
                    Repaired, "two check-ar --repair at once");
}

INSTANTIATE_TEST_SUITE_P(Engines, ArChkHarness, testing::ValuesIn(testing_support::Engines()),
                         testing_support::EngineName);

}  // namespace
