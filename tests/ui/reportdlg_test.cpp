// The report dialog base: destination and preview, the host's field checks before the
// dialog's own, and the unattended run mode.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "host/base/debuglog.h"
#include "host/base/env.h"
#include "host/base/strings.h"
#include "host/ui/reportdlg.h"
#include "tests/ui/ui_support.h"

namespace {

const char* kPeriod =
    "dialog 7102 \"Période\" 230 62\n"
    "date 102 80 19 70 12 name=from\n"
    "date 103 80 35 70 12 name=to\n"
    "amount 104 80 50 70 12 name=minimum\n"
    "reportbar\n";

// A period report: the dialog's own rule refuses a period that ends before it starts.
class PeriodDlg : public TReportBaseDlg {
  public:
    explicit PeriodDlg(int run_mode = 0)
        : TReportBaseDlg(nullptr, ui_test::Template(kPeriod), nullptr, nullptr, run_mode) {
        BindDate(102, &from);
        BindDate(103, &to);
    }
    bool ValidateDlgFields() override {
        if (!TReportBaseDlg::ValidateDlgFields()) return false;
        if (from && to && to < from) {
            ReportFieldError("'À la date' doit être >= que 'De la date' ");
            return false;
        }
        return true;
    }
    bool DisplayReport() override {
        outputs.push_back(GetOutputChoice());
        if (MessageBox("Imprimer aussi les notes?", "", MB_YESNO | MB_ICONQUESTION) == IDYES)
            ++notes;
        FILE* f = OpenReportFile("periode.prt");
        if (!f) return false;
        std::fprintf(f, "Du %ld au %ld\n", from, to);
        std::fclose(f);
        if (GetOutputChoice() == 1) ShowReportFile("periode.prt");
        return true;
    }
    long from = 20241101;
    long to = 20241115;
    std::vector<int> outputs;
    int notes = 0;
};

}  // namespace

class ReportDialogTest : public ui_test::ScriptedTest {};

TEST_F(ReportDialogTest, PrintUsesTheDestinationAndPreviewTheScreen) {
    PeriodDlg dlg;
    backend.QueueAnswer(IDNO);
    backend.QueueDialog([](TDialog& d) {
        std::string error;
        EXPECT_TRUE(d.SetField("5005", "Fichier texte", &error)) << error;
        d.SendCommand(IDOK);
        d.SendCommand(host::ui::IDC_PREVIEW);
        d.SendCommand(IDCANCEL);
    });
    EXPECT_EQ(dlg.Execute(), IDCANCEL);
    EXPECT_EQ(dlg.outputs, (std::vector<int>{3, 1}));
    EXPECT_EQ(dlg.notes, 1);  // no, then the first button (yes)
    EXPECT_EQ(dlg.GetPrintCount(), 2);
    EXPECT_TRUE(dlg.LastPrintSucceeded());
    // Preview shows the text file; the file holds the period.
    ASSERT_EQ(backend.FilesShown().size(), 1u);
    EXPECT_EQ(backend.FilesShown()[0], host::Env().output_dir + "/periode.prt");
    std::ifstream in(backend.FilesShown()[0]);
    std::string line;
    std::getline(in, line);
    EXPECT_EQ(line, "Du 20241101 au 20241115");
}

TEST_F(ReportDialogTest, HostChecksComeBeforeTheDialogsOwnRules) {
    PeriodDlg dlg;
    ASSERT_TRUE(dlg.Create());
    std::string error;
    // An impossible date typed by hand: the host's check refuses it with its own text.
    dlg.ChildAs<TEdit>(102)->UserType("31/02/2024");
    EXPECT_FALSE(dlg.ActionOnPrint());
    // Then a bad amount.
    dlg.ChildAs<TEdit>(102)->UserType("01/12/2024");
    dlg.ChildAs<TEdit>(104)->UserType("douze");
    EXPECT_FALSE(dlg.ActionOnPrint());
    // Then the dialog's rule: to before from.
    dlg.ChildAs<TEdit>(104)->UserType("");
    EXPECT_FALSE(dlg.ActionOnPrint());
    // A disabled field is not the user's to fix: it is not checked.
    dlg.ChildAs<TEdit>(103)->UserType("15/12/2024");
    dlg.ChildAs<TEdit>(104)->UserType("??");
    dlg.GetControl(104)->EnableWindow(false);
    EXPECT_TRUE(dlg.ActionOnPrint());
    ASSERT_EQ(backend.Messages().size(), 4u);
    EXPECT_EQ(backend.Messages()[0].text, host::LoadText(12411));
    EXPECT_EQ(backend.Messages()[1].text, host::LoadText(12412));
    EXPECT_EQ(backend.Messages()[2].text, "'À la date' doit être >= que 'De la date' ");
    EXPECT_EQ(backend.Messages()[3].text, "Imprimer aussi les notes?");
    EXPECT_EQ(dlg.GetPrintCount(), 1);
    EXPECT_EQ(dlg.from, 20241201);
    EXPECT_EQ(dlg.to, 20241215);
}

TEST_F(ReportDialogTest, UnattendedModePrintsOnceToThePrinterAndClosesWithoutMessages) {
    const std::string log = host::Env().station_dir + "/unattended.log";
    host::SetDebugLogPath(log);
    PeriodDlg dlg(2);
    dlg.SetOutputChoice(1);
    bool print_disabled = false;
    bool driven = false;
    backend.SetDefaultDriver([&](TDialog&) { driven = true; });
    // The posted message 4005 runs before any user action.
    EXPECT_EQ(dlg.Execute(), IDOK);
    EXPECT_FALSE(driven);
    backend.SetDefaultDriver(nullptr);
    host::SetDebugLogPath("");
    EXPECT_EQ(dlg.outputs, (std::vector<int>{0}));
    EXPECT_EQ(dlg.notes, 1);
    EXPECT_TRUE(backend.Messages().empty());
    EXPECT_TRUE(backend.FilesShown().empty());
    std::ifstream in(log);
    std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(all.find("Imprimer aussi les notes?"), std::string::npos);

    // Run mode 1: shown, but without its Print button.
    PeriodDlg opened(1);
    backend.QueueDialog(
        [&](TDialog& d) { print_disabled = !d.ChildWithId(IDOK)->IsWindowEnabled(); });
    EXPECT_EQ(opened.Execute(), IDCANCEL);
    EXPECT_TRUE(print_disabled);
    EXPECT_TRUE(opened.outputs.empty());
}
