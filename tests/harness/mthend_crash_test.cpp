// The month-end closing killed at random moments and run by two workstations at once, on
// every engine, over the small demo practice (today 2024-11-15, no month-end yet; closing
// October 2024 carries the producers' receivables and year to date, removes October's day
// sheet and day records, stores the date and resets the limits due).
//
// Everything the closing changes is one transaction: a kill leaves the month open and
// untouched, or closed with all its effects; running it again closes it, or answers that
// it is closed. Of two workstations, one closes and the other gets the system's message.
// RAPPORTS_CRASH_TRIALS and RAPPORTS_RACE_ROUNDS set the kills and rounds.
#include "tests/support/closing_harness.h"

namespace {

using testing_support::Command;
using testing_support::Executable;

class MonthEndHarness : public testing_support::ClosingHarness {
  protected:
    MonthEndHarness()
        : ClosingHarness({"PRODCD", "DAYSHT", "DAYDET", "DAYEND", "PPSET", "PATDEP"}) {}
    void BeforeKeep() override {
        // Make limits due in October so that the reset is part of what must be whole.
        testing_support::Exec(db(),
                              "UPDATE PATDEP SET PDEP_RESET_DATE = 20241101 WHERE "
                              "PDEP_ID % 2 = 0");
        ASSERT_GT(db().QueryInt(
                      "SELECT COUNT(*) FROM DAYSHT WHERE DSHT_DATE BETWEEN 20241001 AND 20241031"),
                  0);
    }
    Command Close() {
        return Executable(
            "rapports", {"close-month", "--db", dsn(), "--month", "202410", "--today", "20241115"});
    }
    // "" when October is closed with all its effects.
    static std::string Closed(GenDB& db) {
        if (db.QueryInt("SELECT DEND_MENDDATE FROM DAYEND") != 20241031) return "date not stored";
        if (db.QueryText("SELECT PPST_A51_FIELD08 FROM PPSET WHERE PPST_ID = 4") != "20241031")
            return "date not in the settings";
        if (db.QueryInt("SELECT COUNT(*) FROM DAYSHT WHERE DSHT_DATE BETWEEN 20241001 AND "
                        "20241031") != 0)
            return "October's day sheet kept";
        if (db.QueryInt("SELECT COUNT(*) FROM PRODCD WHERE PROD_AR_PROD <> 0") == 0)
            return "no receivable carried";
        if (db.QueryInt("SELECT COUNT(*) FROM PATDEP WHERE PDEP_RESET_DATE = 20241101") != 0)
            return "limits not reset";
        return {};
    }
};

TEST_P(MonthEndHarness, ClosingKilledLeavesTheMonthOpenOrClosedWhole) {
    ExpectClosingWhole(Close(), Closed, "month-end closing");
}

TEST_P(MonthEndHarness, TwoWorkstationsClosingTheSameMonth) {
    ExpectOneCloses(Close(), Close(), "Fin de mois déjà effectuée", Closed,
                    "two month-end closings at once");
}

INSTANTIATE_TEST_SUITE_P(Engines, MonthEndHarness, testing::ValuesIn(testing_support::Engines()),
                         testing_support::EngineName);

}  // namespace
