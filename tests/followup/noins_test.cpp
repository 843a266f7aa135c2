// The patients without insurance over a hand-built practice: who is printed and who is
// counted under each choice, the three totals lines and the data file's totals.
#include <gtest/gtest.h>

#include "followup/noins_reports.h"
#include "host/base/text.h"
#include "host/records/practice.h"
#include "tests/followup/followup_support.h"

namespace {

using followup_test::At;

// 1 Aubin      no membership                           printed
// 2 Bédard     one active membership                   insured
// 3 Caron      one inactive membership                 printed with the check of active policies
// 4 Dubé       deleted, no membership                  not counted
// 5 Emard      student, no membership                  printed
// 6 Fortin     status I, no membership                 printed unless another status is chosen
// 7 Gauthier   an inactive and an active membership    insured
class NoInsTest : public followup_test::EngineTest {
  protected:
    void SetUp() override {
        EngineTest::SetUp();
        Patient(1, "Aubin", "Anne", 'N', 'A', 0);
        Patient(2, "Bédard", "Luc", 'N', 'A', 0);
        Patient(3, "Caron", "Zoé", 'N', 'A', 0);
        Patient(4, "Dubé", "Paul", 'N', 'A', 20240301);
        Patient(5, "Emard", "Lise", 'Y', 'A', 0);
        Patient(6, "Fortin", "Max", 'N', 'I', 0);
        Patient(7, "Gauthier", "Ève", 'N', 'A', 0);
        const std::string dep = "PDEP_ID, PDEP_PATID, PDEP_EPOLID, PDEP_ACTIVE";
        Insert("PATDEP", dep, "1, 2, 1, 'Y'");
        Insert("PATDEP", dep, "2, 3, 1, 'N'");
        Insert("PATDEP", dep, "3, 7, 1, 'N'");
        Insert("PATDEP", dep, "4, 7, 2, 'Y'");
    }
    void Patient(long id, const char* last, const char* first, char student, char status,
                 long deleted) {
        Insert("PATIENT",
               "PAT_ID, PAT_LNAME, PAT_PNAME, PAT_STUDENT, PAT_STATUS, PAT_DELETE_DATE, "
               "PAT_BIRTHDATE, PAT_HOME_PH, PAT_CHART_NO, PAT_DOCTOR, PAT_LAST_CLAIM_DATE",
               std::to_string(id) + ", '" + last + "', '" + first + "', '" + student + "', '" +
                   status + "', " + std::to_string(deleted) + ", 19800510, '5145551234', 'C" +
                   std::to_string(id) + "', '01', 20240312");
    }
    struct Result {
        std::vector<long> ids;
        long counted = 0;
        std::string text;
        int64_t table_percent = 0;
    };
    Result Run(bool check_active, short students, char status) {
        NoInsReportRun run({check_active, students, status});
        Result r;
        r.text = followup_test::RunToText(run, launcher_.get(), "noinsrpt");
        for (const noins::PatientRow& p : run.Data().printed)
            r.ids.push_back(p.id);
        r.counted = run.Data().counted;
        const host::output::ReportTable& t = *run.DataFiles()[0].table;
        EXPECT_EQ(t.RowCount(), r.ids.size() + 1);
        EXPECT_EQ(t.Sum("Total", "T"), r.counted);
        r.table_percent = t.Sum("Pourcentage", "T");
        return r;
    }
};

TEST_P(NoInsTest, PrintedAndCountedUnderEachChoice) {
    Result r = Run(false, 0, '*');
    EXPECT_EQ(r.ids, (std::vector<long>{1, 5, 6}));
    EXPECT_EQ(r.counted, 6);  // Dubé, deleted, is not counted
    At(r.text, "# Patients Sans Assurance        3");
    At(r.text, "Nombre Total de Patients         6");
    At(r.text, "% Patients Sans Assurance    50.00%");
    EXPECT_EQ(r.table_percent, 5000);
    char phone[32];
    mk_phone_no("5145551234", phone);
    At(r.text, "Aubin, Anne                     44  C1         01   N         " +
                   host::U8Fit(phone, 19) + std::string(23, ' ') + "12/03/2024     A\n");
    EXPECT_EQ(r.text.find("Caron"), std::string::npos);

    r = Run(true, 0, '*');
    EXPECT_EQ(r.ids, (std::vector<long>{1, 3, 5, 6}));
    At(r.text, "% Patients Sans Assurance    66.67%");
    EXPECT_EQ(r.table_percent, 6667);

    r = Run(false, 1, '*');
    EXPECT_EQ(r.ids, (std::vector<long>{5}));
    EXPECT_EQ(r.counted, 6);
    At(r.text, "% Patients Sans Assurance    16.67%");

    r = Run(false, 0, 'A');
    EXPECT_EQ(r.ids, (std::vector<long>{1, 5}));
    EXPECT_EQ(r.counted, 6);
    At(r.text, "% Patients Sans Assurance    33.33%");
}

TEST_P(NoInsTest, AnEmptyPracticePrintsZeroTotals) {
    Insert("PATIENT", "PAT_ID, PAT_LNAME, PAT_DELETE_DATE", "8, 'Zénon', 20200101");
    db().dbExecute("DELETE FROM " + std::string(db().dbTablePrefix()) +
                   "PATIENT WHERE PAT_DELETE_DATE = 0");
    Result r = Run(true, 0, '*');
    EXPECT_TRUE(r.ids.empty());
    EXPECT_EQ(r.counted, 0);
    At(r.text, "Nombre Total de Patients         0");
    At(r.text, "% Patients Sans Assurance     0.00%");
}

INSTANTIATE_TEST_SUITE_P(Engines, NoInsTest, testing::ValuesIn(testing_support::Engines()),
                         testing_support::EngineName);

}  // namespace
