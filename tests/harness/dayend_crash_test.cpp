// The closing of a day killed at random moments and run by two workstations at once, on
// every engine, over the small demo practice (its last closed day is 2024-11-14; closing
// 2024-11-15 with the purge deletes the appointments cancelled up to that day).
//
// Everything the closing changes (the last closed day, the day's record closed and printed,
// the purge) is one transaction: a kill leaves the day open and untouched, or closed with
// all its effects; running it again closes it, or answers that it is closed. Of two
// workstations, one closes and the other gets the system's message.
// RAPPORTS_CRASH_TRIALS and RAPPORTS_RACE_ROUNDS set the kills and rounds.
#include "tests/support/closing_harness.h"

namespace {

using testing_support::Command;
using testing_support::Executable;

constexpr long kDay = 20241115;

class DayEndHarness : public testing_support::ClosingHarness {
  protected:
    DayEndHarness() : ClosingHarness({"DAYEND", "DAYDET", "PATAPT"}) {}
    void BeforeKeep() override {
        ASSERT_GT(Cancelled(db()), 0) << "the demo has no cancelled appointment to purge";
    }
    static int64_t Cancelled(GenDB& db) {
        return db.QueryInt(
            "SELECT COUNT(*) FROM PATAPT WHERE PAPT_DELDATE > 0 AND PAPT_DELDATE "
            "<= " +
            std::to_string(kDay));
    }
    Command Close(const std::string& out) {
        return Executable(
            "rapports",
            {"run", "101", "--db", dsn(), "--today", "20241115", "--output-kind", "3", "--out",
             OutDir(out), "--set", "date=20241115", "--set", "close=yes", "--set", "purge=yes"});
    }
    // "" when the day is closed with all its effects.
    static std::string Closed(GenDB& db) {
        const std::string day = std::to_string(kDay);
        if (db.QueryInt("SELECT DEND_LASTDAY FROM DAYEND") != kDay) return "last day not moved";
        if (db.QueryInt("SELECT COUNT(*) FROM DAYDET WHERE DDET_DATE = " + day +
                        " AND DDET_CLOSED = 'Y' AND DDET_PRINTED = 'Y'") != 1)
            return "the day's record is not closed and printed";
        if (Cancelled(db) != 0) return "cancelled appointments not purged";
        return {};
    }
};

TEST_P(DayEndHarness, ClosingKilledLeavesTheDayOpenOrClosedWhole) {
    ExpectClosingWhole(Close("kill"), Closed, "day-end closing");
}

TEST_P(DayEndHarness, TwoWorkstationsClosingTheSameDay) {
    ExpectOneCloses(Close("race1"), Close("race2"), "Fin de journée déjà effectuée", Closed,
                    "two day-end closings at once");
}

INSTANTIATE_TEST_SUITE_P(Engines, DayEndHarness, testing::ValuesIn(testing_support::Engines()),
                         testing_support::EngineName);

}  // namespace
