// The follow-up dialogs driven as a user would: the period dialog prints the memos, the
// patients-not-seen dialog opens on the options saved in row 4 and refuses a reversed
// activity range, the patients-without-insurance dialog takes an empty status as all.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

#include "common/daterng.h"
#include "common/ppsetstore.h"
#include "followup/noact_dialogs.h"
#include "followup/noins_dialogs.h"
#include "host/base/dates.h"
#include "host/base/env.h"
#include "host/base/strings.h"
#include "host/output/paths.h"
#include "tests/common/support.h"

namespace {

namespace fs = std::filesystem;

class FollowupDialogs : public common_test::DbTest {
  protected:
    void SetUp() override {
        DbTest::SetUp();
        host::SetFixedToday(20241115);
        Exec("INSERT INTO " + std::string(db().dbTablePrefix()) +
             "PATIENT (PAT_ID, PAT_LNAME, PAT_PNAME, PAT_LAST_CLAIM_DATE, PAT_STATUS) VALUES (1, "
             "'Aubin', 'Anne', 20220101, 'A')");
        Exec("INSERT INTO " + std::string(db().dbTablePrefix()) +
             "PATNOTE (PNOT_ID, PNOT_PATID, PNOT_TYPE, PNOT_DUEDATE, PNOT_COMMENT) VALUES (1, 1, "
             "'MEMO', 20241115, 'Rappeler')");
    }
    static std::string Read(const std::string& file) {
        std::ifstream in(host::ReportFilePath(file));
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }
};

TEST_P(FollowupDialogs, ThePeriodDialogPrintsTheMemosDueInIt) {
    fs::remove(host::ReportFilePath("tickrpt.prt"));
    TDateRngDlg dlg(nullptr, 7004, launcher());
    ASSERT_TRUE(Print(dlg, [](TDialog&) {}));  // today to today
    EXPECT_NE(Read("tickrpt.prt").find("Aubin, Anne"), std::string::npos);
    TDateRngDlg later(nullptr, 7004, launcher());
    ASSERT_TRUE(Print(later, [](TDialog& d) {
        Set(d, "from", "20241116");
        Set(d, "to", "20241120");
    }));
    EXPECT_EQ(Read("tickrpt.prt").find("Aubin, Anne"), std::string::npos);
}

TEST_P(FollowupDialogs, PatientsNotSeenOpensOnTheSavedOptions) {
    noact::Criteria saved = noact::DefaultCriteria(20241115);
    saved.active_from = 20200101;
    saved.active_to = 20201231;
    saved.cutoff = 20230101;
    saved.sort = 'D';
    ppset::PPSetStore store(ppset::Owner::PatNoActivity);
    PatNoActivityDlg::BindStore(store, saved);
    std::string error;
    ASSERT_TRUE(store.Save(&db(), &error)) << error;

    PatNoActivityDlg dlg(nullptr, 7034, launcher());
    // Aubin has no treatment in the saved 2020 range: nobody is listed.
    ASSERT_TRUE(Print(dlg, [](TDialog&) {}));
    EXPECT_EQ(dlg.GetCriteria().cutoff, 20230101);
    EXPECT_EQ(dlg.GetCriteria().sort, 'D');
    const std::string text = Read("PatNoActivity.prt");
    EXPECT_NE(text.find("Dernière réclamation avant le 01/01/2023, traités du 01/01/2020 au "
                        "31/12/2020"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("Compte de Patient :    0"), std::string::npos) << text;

    // Without an activity range and in lower case, the order by name lists her.
    PatNoActivityDlg again(nullptr, 7034, launcher());
    ASSERT_TRUE(Print(again, [](TDialog& d) {
        Set(d, "active_from", "");
        Set(d, "active_to", "");
        Set(d, "sort", "p");
    }));
    EXPECT_EQ(again.GetCriteria().sort, 'P');
    EXPECT_NE(Read("PatNoActivity.prt").find("Aubin, Anne"), std::string::npos);

    PatNoActivityDlg reversed(nullptr, 7034, launcher());
    EXPECT_FALSE(Print(reversed, [](TDialog& d) {
        Set(d, "active_from", "20231231");
        Set(d, "active_to", "20230101");
    }));
    ASSERT_FALSE(backend.Messages().empty());
    EXPECT_EQ(backend.Messages().back().text, host::LoadText(6643));
}

TEST_P(FollowupDialogs, PatientsWithoutInsuranceTakesAnEmptyStatusAsAll) {
    NoInsDlg dlg(nullptr, 7026, launcher());
    ASSERT_TRUE(Print(dlg, [](TDialog& d) {
        Set(d, "status", "");
        Set(d, "active_policies", "yes");
    }));
    EXPECT_EQ(dlg.GetCriteria().status, '*');
    EXPECT_TRUE(dlg.GetCriteria().check_active);
    const std::string text = Read("noinsrpt.prt");
    EXPECT_NE(text.find("Aubin, Anne"), std::string::npos) << text;
    EXPECT_NE(text.find("% Patients Sans Assurance   100.00%"), std::string::npos) << text;
}

// Printed, the report's pages and its template are two PDF files, though the text file and
// the template share their name.
TEST_P(FollowupDialogs, PrintingKeepsThePagesAndTheTemplateApart) {
    NoInsDlg dlg(nullptr, 7026, launcher());
    ASSERT_TRUE(Print(
        dlg, [](TDialog&) {}, 0));
    const std::string pages = host::output::OutputPath("noinsrpt.pdf");
    const std::string model = host::output::OutputPath("noinsrpt-modele.pdf");
    ASSERT_TRUE(std::filesystem::exists(pages));
    ASSERT_TRUE(std::filesystem::exists(model));
    EXPECT_NE(Read("noinsrpt.pdf"), Read("noinsrpt-modele.pdf"));
}

INSTANTIATE_TEST_SUITE_P(Engines, FollowupDialogs, testing::ValuesIn(testing_support::Engines()),
                         testing_support::EngineName);

}  // namespace
