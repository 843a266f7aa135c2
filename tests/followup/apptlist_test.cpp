// The appointment list over a hand-built book: which appointments are listed under each
// choice, their order, the totals of each producer, day and the list, and the data file.
#include <gtest/gtest.h>

#include "followup/apptlist_reports.h"
#include "tests/followup/followup_support.h"

namespace {

using followup_test::At;

// Day 2024-11-15:
//   1  09:00 D01 F01  Aubin      4 units  C came
//   2  08:30 D01 F02  D'Amour    2 units  S scheduled      (a quote in the name)
//   3  10:00 H01 F04  Bédard     6 units  B missed
//   4  11:00 D01 F01  Aubin      4 units  deleted          never listed
//   5  13:00 X99 F03  (patient record missing, producer unknown) 1 unit
// Day 2024-11-16:
//   6  08:00 H01 F04  Bédard     3 units  S
// Day 2024-11-18: 7  08:00 D01 F01 Aubin 5 units, outside the two days asked.
class ApptListTest : public followup_test::EngineTest {
  protected:
    void SetUp() override {
        EngineTest::SetUp();
        Insert("PRODCD", "PROD_ID, PROD_CODE, PROD_FIRST_NAME, PROD_LAST_NAME",
               "1, 'D01', 'Céline', 'Ouellet'");
        Insert("PRODCD", "PROD_ID, PROD_CODE, PROD_FIRST_NAME, PROD_LAST_NAME",
               "2, 'H01', 'Annie', 'Fortin'");
        const std::string pat = "PAT_ID, PAT_ACCID, PAT_LNAME, PAT_PNAME, PAT_HOME_PH";
        Insert("PATIENT", pat, "1, 10, 'Aubin', 'Anne', '5145551234'");
        Insert("PATIENT", pat, "2, 20, 'D''Amour', 'Luc', ''");
        Insert("PATIENT", pat, "3, 30, 'Bédard', 'Zoé', '4505550000'");
        Appt(1, 1, 20241115, 900, "D01", "F01", 4, 'C', 0);
        Appt(2, 2, 20241115, 830, "D01", "F02", 2, 'S', 0);
        Appt(3, 3, 20241115, 1000, "H01", "F04", 6, 'B', 0);
        Appt(4, 1, 20241115, 1100, "D01", "F01", 4, 'S', 20241114);
        Appt(5, 99, 20241115, 1300, "X99", "F03", 1, 'S', 0);
        Appt(6, 3, 20241116, 800, "H01", "F04", 3, 'S', 0);
        Appt(7, 1, 20241118, 800, "D01", "F01", 5, 'S', 0);
    }
    void Appt(long id, long pat, long date, int time, const char* prod, const char* chair,
              int units, char status, long deleted) {
        Insert("PATAPT",
               "PAPT_ID, PAPT_PATID, PAPT_DATE, PAPT_TIME, PAPT_PRODUCER, PAPT_CHAIR, "
               "PAPT_UNITS, PAPT_STATUS, PAPT_DELDATE, PAPT_PROCEDURE",
               std::to_string(id) + ", " + std::to_string(pat) + ", " + std::to_string(date) +
                   ", " + std::to_string(time) + ", '" + prod + "', '" + chair + "', " +
                   std::to_string(units) + ", '" + status + "', " + std::to_string(deleted) +
                   ", 'Examen'");
    }
    struct Result {
        std::vector<long> ids;  // in printed order
        std::string text;
        const host::output::ReportTable* table = nullptr;
    };
    Result Run(ApptListReportRun& run) {
        Result r;
        r.text = followup_test::RunToText(run, launcher_.get(), "apptlist");
        for (const auto& d : run.Data().days)
            for (const auto& g : d.producers)
                for (const auto& a : g.rows)
                    r.ids.push_back(a.id);
        r.table = run.DataFiles()[0].table;
        return r;
    }
    static apptlist::Criteria Days(long from, long to) {
        apptlist::Criteria c;
        c.from = from;
        c.to = to;
        return c;
    }
};

TEST_P(ApptListTest, ListsThePeriodByDayProducerAndTimeWithItsTotals) {
    ApptListReportRun run(Days(20241115, 20241116));
    Result r = Run(run);
    // By day, then producer code, then time; the deleted one and the 18th left out.
    EXPECT_EQ(r.ids, (std::vector<long>{2, 1, 3, 5, 6}));
    At(r.text, "Rendez-vous du 15/11/2024 au 16/11/2024");
    At(r.text, "Producteur : D01 - Céline Ouellet");
    At(r.text, "Producteur : X99\n");  // no producer record: the code alone
    At(r.text, "08:30     2   F02   D'Amour, Luc                        20");
    At(r.text, "13:00     1   F03   ?                                    0");
    // The totals are the sums of the lines above them: D01 2+4, the 15th 6+6+1, all 16.
    At(r.text, "Total D01                                       2 rendez-vous       6 unités");
    At(r.text, "Total du 15/11/2024                             4 rendez-vous      13 unités");
    At(r.text, "Total du 16/11/2024                             1 rendez-vous       3 unités");
    At(r.text, "Total général                                   5 rendez-vous      16 unités");
    // D01's total comes before H01's heading, the 15th's before the 16th's.
    EXPECT_LT(r.text.find("Total D01"), r.text.find("Producteur : H01"));
    EXPECT_LT(r.text.find("Total du 15/11/2024"), r.text.find("Rendez-vous du 16/11/2024\n"));
    EXPECT_EQ(r.table->RowCount(), 6u);
    EXPECT_EQ(r.table->Sum("Unites", ""), 16);
    EXPECT_EQ(r.table->Sum("NbRendezVous", "T"), 5);
    EXPECT_EQ(r.table->Sum("Unites", "T"), 16);
}

TEST_P(ApptListTest, OneProducerOneChairOrWithoutTheMissed) {
    apptlist::Criteria c = Days(20241115, 20241116);
    c.producer = "H01";
    ApptListReportRun by_producer(c);
    EXPECT_EQ(Run(by_producer).ids, (std::vector<long>{3, 6}));

    c.missed = false;
    ApptListReportRun without_missed(c);
    EXPECT_EQ(Run(without_missed).ids, (std::vector<long>{6}));

    c = Days(20241115, 20241115);
    c.chair = "F01";
    ApptListReportRun by_chair(c);
    EXPECT_EQ(Run(by_chair).ids, (std::vector<long>{1}));

    // A code with a quote is a value, not SQL: nothing matches and nothing breaks.
    c = Days(20241115, 20241116);
    c.producer = "D'1";
    ApptListReportRun quoted(c);
    Result r = Run(quoted);
    EXPECT_TRUE(r.ids.empty());
    At(r.text, "Aucun rendez-vous pour cette période.");
}

INSTANTIATE_TEST_SUITE_P(Engines, ApptListTest, testing::ValuesIn(testing_support::Engines()),
                         testing_support::EngineName);

}  // namespace
