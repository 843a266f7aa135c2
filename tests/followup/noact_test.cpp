// The patients not seen recently over a hand-built practice: who is listed (strict cutoff,
// activity range, deleted patients, status and doctor range), what is still planned for
// each, both orders, the data file, and the options kept in row 4.
#include <gtest/gtest.h>

#include "common/ppsetstore.h"
#include "followup/noact_dialogs.h"
#include "followup/noact_reports.h"
#include "tests/followup/followup_support.h"

namespace {

using followup_test::At;

// Cutoff 2024-01-01, activity over 2023, planned items from 2024-11-15.
//   1 Aubin Anne, Dr 01, last claim 2023-12-31, treated (C) 2023-06-15     listed
//   2 Bédard Luc, Dr 01, last claim 2024-01-01 (the cutoff), treated       not listed
//   3 Caron Zoé, Dr 02, no claim; a 2023 treatment only pending (P), a
//     completed one in 2024                                              not treated in 2023
//   4 Dubé Paul, Dr 01, deleted, treated                                   not listed
//   5 Émond Lise, Dr 02, status I, last claim 2023-03-01, in progress (I)  listed
//   6 Fortin Max, Dr 01, last claim 2022-12-12, its 2023 treatment deleted not treated
// Aubin's planned items: pending 01202 (50.00) and, on a plan, 27201 (800.00; an accepted
// and a refused item are not); recall 2024-12-01 (one of 2024-06-01 is past); appointment
// 2024-11-20 (a broken and a deleted one are not).
class NoActTest : public followup_test::EngineTest {
  protected:
    void SetUp() override {
        EngineTest::SetUp();
        Patient(1, "Aubin", "Anne", "01", 20231231, "A", 0, 19800510);
        Patient(2, "Bédard", "Luc", "01", 20240101, "A", 0, 0);
        Patient(3, "Caron", "Zoé", "02", 0, "A", 0, 0);
        Patient(4, "Dubé", "Paul", "01", 20230101, "A", 20240301, 0);
        Patient(5, "Émond", "Lise", "02", 20230301, "I", 0, 0);
        Patient(6, "Fortin", "Max", "01", 20221212, "A", 0, 0);
        for (long id = 1; id <= 6; ++id)
            Insert("PATCLM", "PCLM_ID, PCLM_PATID", std::to_string(id) + ", " + std::to_string(id));
        Treatment(1, 1, 20230615, "C", 0, "01101", 3000);
        Treatment(2, 1, 20230601, "P", 0, "01202", 5000);
        Treatment(3, 2, 20230701, "C", 0, "01101", 3000);
        Treatment(4, 3, 20230801, "P", 0, "01101", 3000);
        Treatment(5, 3, 20240201, "C", 0, "01101", 3000);
        Treatment(6, 4, 20230901, "C", 0, "01101", 3000);
        Treatment(7, 5, 20231010, "I", 0, "01101", 3000);
        Treatment(8, 6, 20230505, "C", 20230506, "01101", 3000);
        Insert("PATTXP", "PTXP_ID, PTXP_PATID", "1, 1");
        const std::string ttrt =
            "TTRT_ID, TTRT_TXPID, TTRT_DATE, TTRT_SYSTEM_CODE, TTRT_CODE_FC_DESC, TTRT_PRODUCER, "
            "TTRT_TOTAL, TTRT_STATUS";
        Insert("TXPTRT", ttrt, "1, 1, 20230610, '27201', 'Couronne', 'D01', 80000, 'P'");
        Insert("TXPTRT", ttrt, "2, 1, 20230610, '27211', 'Acceptée', 'D01', 1000, 'A'");
        Insert("TXPTRT", ttrt, "3, 1, 20230610, '27221', 'Refusée', 'D01', 1000, 'R'");
        const std::string rcl =
            "PRCL_ID, PRCL_PATID, PRCL_DATE, PRCL_CODE, PRCL_DESCRIPTION, "
            "PRCL_PRODUCER, PRCL_BOOKED";
        Insert("PATRCL", rcl, "1, 1, 20241201, 'RCL6', 'Rappel 6 mois', 'H01', 'N'");
        Insert("PATRCL", rcl, "2, 1, 20240601, 'RCL6', 'Rappel passé', 'H01', 'Y'");
        const std::string apt =
            "PAPT_ID, PAPT_PATID, PAPT_DATE, PAPT_MCBCODE, PAPT_PROCEDURE, "
            "PAPT_PRODUCER, PAPT_STATUS, PAPT_DELDATE";
        Insert("PATAPT", apt, "1, 1, 20241120, 'EXA', 'Examen', 'D01', 'S', 0");
        Insert("PATAPT", apt, "2, 1, 20241121, 'EXA', 'Brisé', 'D01', 'B', 0");
        Insert("PATAPT", apt, "3, 1, 20241122, 'EXA', 'Effacé', 'D01', 'S', 20241110");
        const std::string prod = "PROD_ID, PROD_CODE, PROD_FIRST_NAME, PROD_LAST_NAME";
        Insert("PRODCD", prod, "1, 'D01', 'Marie', 'Tremblay'");
        Insert("PRODCD", prod, "2, 'D02', 'Paul', 'Gagnon'");
    }
    void Patient(long id, const char* last, const char* first, const char* dr, long claim,
                 const char* status, long deleted, long born) {
        Insert("PATIENT",
               "PAT_ID, PAT_LNAME, PAT_PNAME, PAT_DOCTOR, PAT_LAST_CLAIM_DATE, PAT_STATUS, "
               "PAT_DELETE_DATE, PAT_BIRTHDATE, PAT_CHART_NO",
               std::to_string(id) + ", '" + last + "', '" + first + "', '" + dr + "', " +
                   std::to_string(claim) + ", '" + status + "', " + std::to_string(deleted) + ", " +
                   std::to_string(born) + ", 'C" + std::to_string(id) + "'");
    }
    void Treatment(long id, long claim, long date, const char* status, long deleted,
                   const char* code, long total) {
        Insert("CLMTRT",
               "CTRT_ID, CTRT_PCLMID, CTRT_DATE, CTRT_STATUS, CTRT_DEL_DATE, CTRT_SYSTEM_CODE, "
               "CTRT_CODE_FC_DESC, CTRT_PRODUCER, CTRT_TOTAL",
               std::to_string(id) + ", " + std::to_string(claim) + ", " + std::to_string(date) +
                   ", '" + status + "', " + std::to_string(deleted) + ", '" + code +
                   "', 'Examen', 'D01', " + std::to_string(total));
    }
    static noact::Criteria Base() { return noact::DefaultCriteria(20241115); }
    std::vector<long> Ids(const noact::Criteria& c, std::string* text = nullptr) {
        NoActReportRun run(c);
        const std::string t = followup_test::RunToText(run, launcher_.get(), "PatNoActivity");
        if (text) *text = t;
        std::vector<long> ids;
        for (const noact::PatientRow& p : run.Data().patients)
            ids.push_back(p.id);
        return ids;
    }
};

TEST_P(NoActTest, ListsThePatientsTreatedInTheRangeWithoutAClaimSinceTheCutoff) {
    std::string text;
    EXPECT_EQ(Ids(Base(), &text), (std::vector<long>{1, 5}));
    // Aubin's line and its planned items, in section order; nothing passed over.
    const size_t aubin =
        At(text, "Aubin, Anne                      44  C1         01   31/12/2023      A");
    EXPECT_LT(aubin, At(text, "    Traitements en attente :\n      01/06/2023 01202   Examen"));
    At(text, "D01      50.00\n");
    At(text, "    Items du plan de traitement :\n      10/06/2023 27201   Couronne");
    At(text, "    Rappels :\n      01/12/2024 RCL6    Rappel 6 mois");
    At(text, "    Rendez-vous :\n      20/11/2024 EXA     Examen");
    for (const char* absent : {"Acceptée", "Refusée", "Rappel passé", "Brisé", "Effacé", "Bédard",
                               "Caron", "Dubé", "Fortin"})
        EXPECT_EQ(text.find(absent), std::string::npos) << absent;
    At(text, "Compte de Patient :    2");
    At(text, "Dernière réclamation avant le 01/01/2024, traités du 01/01/2023 au 31/12/2023");
    // Without an activity range, every patient of the condition remains.
    noact::Criteria all = Base();
    all.active_from = all.active_to = 0;
    // Names order as a French reader reads them: "Émond" among the E, before "Fortin".
    EXPECT_EQ(Ids(all), (std::vector<long>{1, 3, 5, 6}));
    // Without a cutoff, the patient whose last claim is on it comes back.
    noact::Criteria any = Base();
    any.cutoff = 0;
    EXPECT_EQ(Ids(any), (std::vector<long>{1, 2, 5}));
}

TEST_P(NoActTest, StatusDoctorRangeAndDetailChoicesNarrowTheList) {
    noact::Criteria c = Base();
    c.status = 'I';
    EXPECT_EQ(Ids(c), (std::vector<long>{5}));
    c = Base();
    std::snprintf(c.from_dr, sizeof c.from_dr, "02");
    EXPECT_EQ(Ids(c), (std::vector<long>{5}));  // a from code alone is one doctor
    std::snprintf(c.from_dr, sizeof c.from_dr, "01");
    std::snprintf(c.to_dr, sizeof c.to_dr, "02");
    EXPECT_EQ(Ids(c), (std::vector<long>{1, 5}));
    // A quote in a code reaches the query escaped and matches nobody.
    std::snprintf(c.from_dr, sizeof c.from_dr, "0'1");
    c.to_dr[0] = 0;
    EXPECT_TRUE(Ids(c).empty());
    c = Base();
    c.pending = c.plan = c.recalls = 'N';
    std::string text;
    Ids(c, &text);
    EXPECT_EQ(text.find("Traitements en attente"), std::string::npos);
    EXPECT_EQ(text.find("Rappels :"), std::string::npos);
    At(text, "Rendez-vous :");
}

TEST_P(NoActTest, ByDoctorEachDoctorHeadsItsPatients) {
    noact::Criteria c = Base();
    c.sort = 'D';
    c.active_from = c.active_to = 0;
    std::string text;
    EXPECT_EQ(Ids(c, &text), (std::vector<long>{1, 6, 3, 5}));
    const size_t d01 = At(text, "01 - Tremblay, Marie");
    const size_t d02 = At(text, "02 - Gagnon, Paul");
    EXPECT_LT(d01, At(text, "Fortin, Max"));
    EXPECT_LT(At(text, "Fortin, Max"), d02);
    EXPECT_LT(d02, At(text, "Caron, Zoé"));
}

TEST_P(NoActTest, TheDataFileHasAPatientRowThenOneRowPerItem) {
    NoActReportRun run(Base());
    followup_test::RunToText(run, launcher_.get(), "PatNoActivity");
    const host::output::ReportTable& t = *run.DataFiles()[0].table;
    // Aubin and its four items, Émond alone.
    ASSERT_EQ(t.RowCount(), 6u);
    EXPECT_EQ(t.Rows()[0].type, "P");
    EXPECT_EQ(t.Sum("Montant", ""), 5000 + 80000);
    EXPECT_EQ(run.DataFiles()[0].xml_file, "\\XML\\PatNoActivity.xml");
}

TEST_P(NoActTest, TheOptionsRoundTripThroughRowFour) {
    noact::Criteria saved = Base();
    std::snprintf(saved.from_dr, sizeof saved.from_dr, "01");
    std::snprintf(saved.to_dr, sizeof saved.to_dr, "02");
    saved.plan = saved.appointments = 'N';
    saved.sort = 'D';
    saved.copies = 2;
    saved.status = 'A';
    ppset::PPSetStore out(ppset::Owner::PatNoActivity);
    PatNoActivityDlg::BindStore(out, saved);
    EXPECT_EQ(out.Pack("PPST_A51_FIELD03"), "01  02  YNYND220240101202411152023010120231231AN");
    std::string error;
    ASSERT_TRUE(out.Save(&db(), &error)) << error;
    noact::Criteria back = noact::DefaultCriteria(20250301);
    ppset::PPSetStore in(ppset::Owner::PatNoActivity);
    PatNoActivityDlg::BindStore(in, back);
    ASSERT_TRUE(in.Load(&db(), 31699));
    EXPECT_STREQ(back.from_dr, "01");
    EXPECT_STREQ(back.to_dr, "02");
    EXPECT_EQ(back.plan, 'N');
    EXPECT_EQ(back.sort, 'D');
    EXPECT_EQ(back.copies, 2);
    EXPECT_EQ(back.cutoff, 20240101);
    EXPECT_EQ(back.active_to, 20231231);
    EXPECT_EQ(back.status, 'A');
    // A short or blank stored value keeps the built-in defaults.
    noact::Criteria blank = noact::DefaultCriteria(20250301);
    ppset::PPSetStore b(ppset::Owner::PatNoActivity);
    PatNoActivityDlg::BindStore(b, blank);
    b.Unpack("PPST_A51_FIELD03", "        ");
    EXPECT_EQ(blank.sort, 'P');
    EXPECT_EQ(blank.copies, 1);
    EXPECT_EQ(blank.cutoff, 20250101);
    EXPECT_EQ(blank.status, '*');
}

INSTANTIATE_TEST_SUITE_P(Engines, NoActTest, testing::ValuesIn(testing_support::Engines()),
                         testing_support::EngineName);

}  // namespace
