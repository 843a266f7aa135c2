// Progress windows and the text viewer over the back end and the output layer's views; the
// headless default.
#include <gtest/gtest.h>

#include <filesystem>

#include "host/base/env.h"
#include "host/base/wintypes.h"
#include "host/output/progress.h"
#include "tests/output/helpers.h"

namespace {

class ProgressTest : public output_test::WithBackend {};

TEST_F(ProgressTest, MeterStaysWithinZeroAndItsMaximum) {
    TMeter m(nullptr, "Calcul", 4);
    m.Advance(3);
    m.Advance(3);       // clamped to 4
    m.SetPosition(-2);  // clamped to 0
    m.SetMax(-1);
    EXPECT_EQ(m.GetMax(), 0);
    EXPECT_EQ(m.GetPosition(), 0);
    EXPECT_FALSE(m.Cancel());
    m.Close();
    m.Close();
    m.Advance();  // after Close it only counts
    ASSERT_EQ(backend_.meters.size(), 1u);
    EXPECT_EQ(backend_.meters[0].positions, (std::vector<long>{0, 3, 4, 0}));
    EXPECT_EQ(backend_.meters[0].max, 0);
    EXPECT_TRUE(backend_.meters[0].closed);
}

TEST_F(ProgressTest, ViewerShowsTheReportFileOnce) {
    {
        TPrintScreen now(nullptr, "arrpt.prt", true);
        EXPECT_EQ(now.Execute(), IDOK);
    }
    // A file named by its full path, outside the output folder.
    const std::string elsewhere =
        (std::filesystem::path(host::Env().output_dir).parent_path() / "ailleurs/x.prt").string();
    TPrintScreen later(nullptr, elsewhere, false);
    EXPECT_TRUE(backend_.shown_text.size() == 1);
    later.Execute();
    later.Execute();
    EXPECT_EQ(backend_.shown_text,
              (std::vector<std::string>{host::Env().output_dir + "/arrpt.prt", elsewhere}));
}

// The output layer draws through views of its own; installing a back end installs them, and
// removing it leaves no view pointing at the removed back end.
TEST(ReportViews, FollowTheBackEndAndItsRemoval) {
    output_test::RecordingBackend first;
    host::ui::SetBackend(&first);
    EXPECT_EQ(&host::output::GetReportViews(), &first);
    TPrintScreen(nullptr, "/tmp/un.prt", true);
    host::ui::SetBackend(nullptr);
    EXPECT_NE(&host::output::GetReportViews(), &first);
    TPrintScreen(nullptr, "/tmp/deux.prt", true);
    TMeter m(nullptr, "Après", 3);
    m.Advance();
    EXPECT_EQ(first.shown_text, (std::vector<std::string>{"/tmp/un.prt"}));
    EXPECT_TRUE(first.meters.empty());
}

TEST(Headless, IsTheDefaultAndAnswersWithTheFirstButton) {
    host::ui::SetBackend(nullptr);
    host::ui::Backend& b = host::ui::GetBackend();
    EXPECT_STREQ(b.Name(), "headless");
    EXPECT_EQ(b.Show(nullptr, "Continuer?", "", MB_YESNO | MB_ICONQUESTION), IDYES);
    EXPECT_EQ(b.Show(nullptr, "Terminé", "Info", MB_OK), IDOK);
    TCounter c(nullptr);
    c.SetWindowTitle("Compte");
    c.DisplayCounterDlg();
    c.IncrementCtr();
    c.IncrementCtr(4);
    EXPECT_EQ(c.GetCount(), 5);
    c.CloseCounterDlg();
    TMeter m(nullptr, "Silencieux", 10, false);
    m.Advance(20);
    EXPECT_EQ(m.GetPosition(), 10);
    EXPECT_FALSE(m.Cancel());
}

}  // namespace
