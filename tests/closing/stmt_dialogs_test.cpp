// The statement dialog (107) and the month-end reprint dialog (109) as a user drives them:
// the alignment question first, the fields by name, the files each run leaves.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "closing/reprint_me.h"
#include "followup/accstmt_dialogs.h"
#include "host/base/dates.h"
#include "host/base/env.h"
#include "host/output/paths.h"
#include "host/ui/controls.h"
#include "tests/common/support.h"
#include "tests/output/helpers.h"
#include "tests/receivables/ar_practice.h"

namespace {

namespace fs = std::filesystem;

class StmtDialogsTest : public common_test::DbTest {
  protected:
    void SetUp() override {
        DbTest::SetUp();
        data_ = fs::path(host::Env().output_dir) / ("dlgdata-" + std::to_string(++runs_));
        fs::remove_all(data_);
        saved_ = host::Env().data_dir;
        host::Env().data_dir = data_.string();
        host::SetFixedToday(ar_test::kAsOf);
    }
    void TearDown() override {
        host::SetFixedToday(0);
        host::Env().data_dir = saved_;
        DbTest::TearDown();
    }
    fs::path data_;
    std::string saved_;
    static inline int runs_ = 0;
};

TEST_P(StmtDialogsTest, StatementsAfterTheAlignmentQuestion) {
    ar_test::BuildPractice(db());
    for (int answer : {IDNO, IDYES}) {
        SCOPED_TRACE(answer);
        backend.QueueAnswer(answer);
        AccStatementDlg dlg(nullptr, 7013, launcher());
        const size_t shown = backend.Messages().size();
        ASSERT_TRUE(Print(dlg, [](TDialog& d) {
            Set(d, "from_name", "o'b");
            Set(d, "to_name", "t");
            Set(d, "stacked", "yes");
        }));
        ASSERT_GT(backend.Messages().size(), shown);
        EXPECT_EQ(backend.Messages()[shown].text,
                  "Désirez-vous imprimer des formulaires d'alignement?");
        EXPECT_EQ(backend.Messages()[shown].title, "État de Compte - Alignement");
        EXPECT_EQ(dlg.AlignmentPrinted(), answer == IDYES);
        // O'Brien, Roy and Tremblay: three stacked statements on one sheet.
        EXPECT_EQ(dlg.GetInfo().count, 3);
        EXPECT_EQ(dlg.GetInfo().total, 8000 + 4000 + 29500);
        EXPECT_EQ(output_test::PdfPages(host::output::OutputPath(AccStatementDlg::kPdf)), 1);
        EXPECT_EQ(dlg.GetInfo().period_from, 20241015);
        EXPECT_TRUE(fs::exists(dlg.RunFile()));
    }
}

TEST_P(StmtDialogsTest, PeriodAndNamesAreChecked) {
    AccStatementDlg dlg(nullptr, 7013, launcher());
    EXPECT_FALSE(Print(dlg, [](TDialog& d) {
        Set(d, "from", "20241115");
        Set(d, "to", "20241001");
    }));
    AccStatementDlg names(nullptr, 7013, launcher());
    EXPECT_FALSE(Print(names, [](TDialog& d) {
        Set(d, "from_name", "Tremblay");
        Set(d, "to_name", "Roy");
    }));
}

TEST_P(StmtDialogsTest, TheReprintListAndItsChoice) {
    const fs::path folder = data_ / "rapports";
    // An empty (here: missing) folder lists nothing, and OK without a choice does nothing.
    {
        TReprintMEDlg dlg(nullptr, 7015, launcher());
        EXPECT_TRUE(Print(dlg, [](TDialog& d) {
            auto* list = dynamic_cast<TListBoxBase*>(static_cast<TDialog&>(d).ChildWithId(101));
            ASSERT_NE(list, nullptr);
            EXPECT_EQ(list->GetCount(), 0);
        }));
        EXPECT_TRUE(dlg.LastFile().empty());
    }
    fs::create_directories(folder);
    std::ofstream(folder / "20241030.me") << "\n+++\n\n\n\n\n\n\n\n\n\nRAPPORT OCTOBRE\n  1  2\n";
    std::ofstream(folder / "20241130.ME") << "\n+++\n\n\n\n\n\n\n\n\n\nRAPPORT NOVEMBRE\n  3  4\n";
    std::ofstream(folder / "notes.txt") << "not a month-end\n";
    TReprintMEDlg dlg(nullptr, 7015, launcher());
    std::vector<std::string> lines;
    EXPECT_TRUE(Print(dlg, [&](TDialog& d) {
        auto* list = dynamic_cast<TListBoxBase*>(d.ChildWithId(101));
        ASSERT_NE(list, nullptr);
        for (int i = 0; i < list->GetCount(); ++i)
            lines.push_back(list->GetString(i));
        Set(d, "file", "20241130");
    }));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].rfind("Oct, 2024\t", 0), 0u) << lines[0];
    EXPECT_EQ(lines[1].rfind("Nov, 2024\t", 0), 0u) << lines[1];
    EXPECT_EQ(dlg.LastFile(), (folder / "20241130.ME").string());
    const std::string text = output_test::ReadFile(host::output::OutputPath("reprintme.prt"));
    EXPECT_NE(text.find("RAPPORT NOVEMBRE"), std::string::npos) << text;
    EXPECT_NE(text.find("  3  4"), std::string::npos) << text;
    EXPECT_EQ(text.find("OCTOBRE"), std::string::npos) << text;
}

INSTANTIATE_TEST_SUITE_P(Engines, StmtDialogsTest, testing::ValuesIn(testing_support::Engines()),
                         testing_support::EngineName);

}  // namespace
