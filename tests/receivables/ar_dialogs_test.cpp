// The receivable criteria dialogs driven as a user would, over the hand-built practice of
// ar_practice.h: their enabling rules, the criteria they run the report with, the files and
// log lines around the run, the unattended run, their saved defaults, and the catalog.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "host/base/debuglog.h"
#include "host/base/env.h"
#include "host/base/strings.h"
#include "host/output/xmlexport.h"
#include "receivables/ar_dialogs.h"
#include "shell/catalog.h"
#include "tests/common/support.h"
#include "tests/output/helpers.h"
#include "tests/receivables/ar_practice.h"
#include "tests/support/xlsx.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kTextFile = "arrpt.prt";
constexpr const char* kXmlFile = "\\XML\\agedrc.xml";

class ARDialogs : public common_test::DbTest {
  protected:
    void SetUp() override {
        DbTest::SetUp();
        SettingsRows();
        ar_test::BuildPractice(db());
        // A billing doctor known by its two-letter code only.
        Exec("INSERT INTO PRODCD (PROD_ID, PROD_CODE) VALUES (4, '07')");
        // The dialogs are tested over a resource folder without report templates, so that
        // what they print does not depend on the receivable template.
        saved_resources_ = host::ResourceDir();
        const fs::path dir = fs::path(host::Env().station_dir) / "resources-without-templates";
        std::error_code ec;
        fs::remove_all(dir, ec);
        fs::create_directories(dir / "templates");
        fs::create_symlink(fs::path(saved_resources_) / "strings.fr.txt", dir / "strings.fr.txt");
        fs::create_directory_symlink(fs::path(saved_resources_) / "dialogs", dir / "dialogs");
        host::SetResourceDir(dir.string());
        for (const char* f : {kTextFile, "arrpt.pdf", "arrpt.xlsx"})
            fs::remove(host::ReportFilePath(f));
        log_ = host::Env().station_dir + "/ar-dialogs.log";
        fs::remove(log_);
        host::SetDebugLogPath(log_);
    }
    void TearDown() override {
        host::SetDebugLogPath("");
        host::SetResourceDir(saved_resources_);
        DbTest::TearDown();
    }

    // Runs dlg modally, playing the user with drive.
    template <class Dlg>
    int Run(Dlg& dlg, std::function<void(Dlg&)> drive) {
        backend.QueueDialog([&](TDialog& d) { drive(static_cast<Dlg&>(d)); });
        return dlg.Execute();
    }
    static bool Enabled(TDialog& d, int id) { return d.ChildWithId(id)->IsWindowEnabled(); }
    static bool Checked(TDialog& d, int id) { return d.ChildAs<TCheckBox>(id)->IsChecked(); }
    std::string Log() { return output_test::ReadFile(log_); }
    std::string TextFile() { return output_test::ReadFile(host::ReportFilePath(kTextFile)); }
    size_t XmlRows() {
        std::vector<host::output::XmlRow> rows;
        std::string error;
        host::output::ReadXmlRows(host::ReportFilePath(kXmlFile), &rows, &error);
        return rows.size();
    }

    std::string log_;
    std::string saved_resources_;
};

}  // namespace

TEST_P(ARDialogs, ProducerAndReportByDriveTheGrouping) {
    TARReportDlg dlg(nullptr, 7006, launcher());
    Run<TARReportDlg>(dlg, [](TARReportDlg& d) {
        auto* report_by = d.ChildAs<TListBoxBase>(102);
        auto* producers = d.ChildAs<TListBoxBase>(101);
        ASSERT_EQ(producers->GetCount(), 5);  // "*", then by code: 07, D01, D02, H01
        EXPECT_EQ(producers->GetString(2), "D01 - Marie Tremblay");
        // Every producer: the report-by list on its first entry and disabled.
        EXPECT_EQ(report_by->GetSelIndex(), 0);
        EXPECT_FALSE(Enabled(d, 102));
        EXPECT_FALSE(Enabled(d, 115));
        EXPECT_TRUE(Enabled(d, 109) && Enabled(d, 110) && Enabled(d, 114));
        // One producer: the second entry, grouping by producer forced.
        Set(d, "producer", "D01");
        EXPECT_EQ(report_by->GetSelIndex(), 1);
        EXPECT_TRUE(Enabled(d, 102) && Enabled(d, 115));
        EXPECT_TRUE(Checked(d, 110));
        EXPECT_FALSE(Checked(d, 109));
        EXPECT_FALSE(Enabled(d, 109) || Enabled(d, 110) || Enabled(d, 114));
        Set(d, "report_by", "0");
        EXPECT_TRUE(Enabled(d, 109) && Enabled(d, 110) && Enabled(d, 114));
        Set(d, "grouping", "0");
        // Back to every producer: first entry again, disabled, whatever was chosen.
        Set(d, "producer", "*");
        EXPECT_EQ(report_by->GetSelIndex(), 0);
        EXPECT_FALSE(Enabled(d, 102));
        std::string error;
        EXPECT_FALSE(d.SetField("report_by", "1", &error));
        EXPECT_TRUE(Checked(d, 109));
    });
}

TEST_P(ARDialogs, OverdueChoicesOneAndTwoDisableTheMinimumBalance) {
    TARReportDlg dlg(nullptr, 7006, launcher());
    Run<TARReportDlg>(dlg, [](TARReportDlg& d) {
        // Never saved: the first choice, so the minimum balance starts disabled.
        EXPECT_EQ(d.ChildAs<TListBoxBase>(104)->GetSelString(), "1 - Tous les comptes");
        EXPECT_FALSE(Enabled(d, 105));
        for (int n = 1; n <= 8; ++n) {
            Set(d, "overdue", std::to_string(n));
            EXPECT_EQ(Enabled(d, 105), n > 2) << n;
            EXPECT_EQ(Enabled(d, 113), n > 2) << n;
        }
    });
}

TEST_P(ARDialogs, TheCriteriaReachTheReport) {
    TARReportDlg dlg(nullptr, 7006, launcher());
    Run<TARReportDlg>(dlg, [&](TARReportDlg& d) {
        Set(d, "producer", "07");
        Set(d, "overdue", "4");
        Set(d, "min_balance", "125.50");
        Set(d, "kind", "1");
        Set(d, "copies", "3");
        Set(d, "notes", "yes");
        d.SetOutputChoice(3);
        d.SendCommand(IDOK);
        EXPECT_TRUE(d.LastPrintSucceeded());
    });
    const arrpt_info& i = dlg.GetInfo();
    EXPECT_STREQ(i.producer, "D07");  // a billing doctor's code made a producer code
    EXPECT_EQ(i.overdue_num, 4);
    EXPECT_STREQ(i.overdue_text, "4 - 30 jours et plus");
    EXPECT_EQ(i.min_balance, 12550);
    EXPECT_EQ(i.as_of, 20241115);
    EXPECT_EQ(i.copies, 3);
    EXPECT_EQ(i.notes, 1);
    EXPECT_TRUE(i.report_by_producer);  // one producer: report-by and grouping forced
    EXPECT_EQ(i.grouping, 1);
    const std::string text = TextFile();
    EXPECT_NE(text.find("(4 - 30 jours et plus, Solde Min. $125.50, En Date du : 15/11/2024)"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("Aucun compte ne répond aux critères."), std::string::npos);
}

TEST_P(ARDialogs, EachKindPrintsItsForm) {
    std::vector<std::string> texts;
    for (int kind = 0; kind <= 2; ++kind) {
        TARReportDlg dlg(nullptr, 7006, launcher());
        Run<TARReportDlg>(dlg, [&](TARReportDlg& d) {
            Set(d, "overdue", "2");
            Set(d, "kind", std::to_string(kind));
            d.SetOutputChoice(3);
            d.SendCommand(IDOK);
        });
        texts.push_back(TextFile());
    }
    // Accounts, then patients (their chart numbers), then totals only.
    EXPECT_NE(texts[0].find("Tremblay, Luc"), std::string::npos);
    EXPECT_EQ(texts[0].find("(TR002)"), std::string::npos);
    EXPECT_NE(texts[1].find("Léa Tremblay (TR002)"), std::string::npos);
    EXPECT_EQ(texts[2].find("Tremblay, Luc"), std::string::npos);
    for (const std::string& t : {texts[0], texts[2]})
        EXPECT_NE(t.find("Comptes listés : 3"), std::string::npos);
    for (const std::string& t : texts)
        EXPECT_NE(t.find("SOMMAIRES"), std::string::npos);
}

TEST_P(ARDialogs, AnEmptyAsOfDateIsRefused) {
    TARReportDlg dlg(nullptr, 7006, launcher());
    bool printed = true;
    Run<TARReportDlg>(dlg, [&](TARReportDlg& d) {
        d.ChildAs<TEdit>(103)->UserType("");
        d.SendCommand(IDOK);
        printed = d.LastPrintSucceeded();
    });
    EXPECT_FALSE(printed);
    ASSERT_FALSE(backend.Messages().empty());
    EXPECT_EQ(backend.Messages().back().text, host::LoadText(12411));
    EXPECT_FALSE(fs::exists(host::ReportFilePath(kTextFile)));
}

TEST_P(ARDialogs, FutureAmountsNeedTheFeatureWhateverTheDefault) {
    {
        RptOptWDIniObj o(launcher());
        o.ar_info.future = 'Y';
        ASSERT_TRUE(o.update_ar());
    }
    for (bool feature : {false, true}) {
        app().future_ar = feature;
        TARReportDlg dlg(nullptr, 7006, launcher());
        Run<TARReportDlg>(dlg, [&](TARReportDlg& d) {
            EXPECT_EQ(d.ChildWithId(116)->IsWindowVisible(), feature);
            EXPECT_EQ(Checked(d, 116), feature);
            d.SetOutputChoice(3);
            d.SendCommand(IDOK);
        });
        EXPECT_EQ(dlg.GetInfo().future, feature ? 'Y' : 'N');
    }
    // The practice's own setting is what the application reads.
    Exec("INSERT INTO PRACINFO (PRAC_ID, PRAC_NAME, PRAC_FUTURE_AR) VALUES (1, 'Cabinet', 'N')");
    app().future_ar = true;
    ASSERT_TRUE(app().LoadPracticeSettings());
    EXPECT_FALSE(app().future_ar);
}

TEST_P(ARDialogs, ZeroCopiesIsRefusedAndTheDialogStaysOpen) {
    for (const char* copies : {"0", "6"}) {
        TARReportDlg dlg(nullptr, 7006, launcher());
        bool open = false;
        Run<TARReportDlg>(dlg, [&](TARReportDlg& d) {
            d.ChildAs<TEdit>(112)->UserType(copies);
            d.SendCommand(IDOK);
            open = d.IsRunning();
        });
        EXPECT_TRUE(open);
        ASSERT_FALSE(backend.Messages().empty());
        EXPECT_EQ(backend.Messages().back().text, "Nombre de Copies invalide");
    }
    EXPECT_FALSE(fs::exists(host::ReportFilePath(kTextFile)));
}

TEST_P(ARDialogs, PreviewWritesTheTextFileLogsAndFallsBackToTheViewer) {
    app().m_CalAR = 2;
    // Data of an earlier run must not reach this one.
    IXmlExportWrapper* x = IXmlExportWrapper::CreateInstance();
    for (int i = 0; i < 9; ++i)
        x->AddColumn("Compte", "ancien");
    ASSERT_TRUE(x->Save(kXmlFile));
    IXmlExportWrapper::Destroy(x);

    TARReportDlg dlg(nullptr, 7006, launcher());
    bool preview = false;
    Run<TARReportDlg>(dlg, [&](TARReportDlg& d) {
        Set(d, "overdue", "2");
        preview = d.ActionOnPreview();
    });
    EXPECT_TRUE(preview);
    EXPECT_EQ(XmlRows(), 4u);  // three accounts and the totals
    // No "agedrc.rpt" template: the text file is shown instead.
    ASSERT_EQ(backend.FilesShown().size(), 1u);
    EXPECT_EQ(fs::path(backend.FilesShown()[0]).filename().string(), "arrpt.prt");
    EXPECT_NE(TextFile().find("RAPPORT DES COMPTES À RECEVOIR"), std::string::npos);
    const std::string log = Log();
    const size_t start = log.find("START AR Report: m_CalAR = 2");
    const size_t end = log.find("END AR Report: m_CalAR = 2");
    ASSERT_NE(start, std::string::npos) << log;
    ASSERT_NE(end, std::string::npos) << log;
    EXPECT_LT(start, end);
}

TEST_P(ARDialogs, TheDestinationDecidesTheFilesAndACancelShowsNothing) {
    // The printer: the pages as a PDF, no text file.
    TARReportDlg printer(nullptr, 7006, launcher());
    Run<TARReportDlg>(printer, [](TARReportDlg& d) {
        d.SetOutputChoice(0);
        d.SendCommand(IDOK);
    });
    EXPECT_TRUE(fs::exists(host::ReportFilePath("arrpt.pdf")));
    EXPECT_FALSE(fs::exists(host::ReportFilePath(kTextFile)));
    // The export: one workbook of typed cells, no pages.
    TARReportDlg sheet(nullptr, 7006, launcher());
    Run<TARReportDlg>(sheet, [](TARReportDlg& d) {
        d.SetOutputChoice(2);
        d.SendCommand(IDOK);
    });
    EXPECT_TRUE(fs::exists(host::ReportFilePath("arrpt.xlsx")));
    EXPECT_FALSE(fs::exists(host::ReportFilePath(kTextFile)));
    // A cancelled preview: neither template nor viewer, and no earlier data left.
    backend.CancelMetersAt(1);
    TARReportDlg cancelled(nullptr, 7006, launcher());
    bool printed = true;
    Run<TARReportDlg>(cancelled, [&](TARReportDlg& d) {
        d.SetOutputChoice(1);
        d.SendCommand(IDOK);
        printed = d.LastPrintSucceeded();
    });
    EXPECT_FALSE(printed);
    EXPECT_TRUE(backend.FilesShown().empty());
    EXPECT_EQ(XmlRows(), 0u);
}

TEST_P(ARDialogs, TheExportIsASpreadsheetOfTypedCells) {
    TARReportDlg dlg(nullptr, 7006, launcher());
    Run<TARReportDlg>(dlg, [](TARReportDlg& d) {
        Set(d, "overdue", "2");
        Set(d, "kind", "0");
        d.SetOutputChoice(2);
        d.SendCommand(IDOK);
    });
    const testing_support::SheetRows rows =
        testing_support::ReadSheet(host::ReportFilePath("arrpt.xlsx"), 1);
    ASSERT_GE(rows.size(), 5u);  // the titles, three accounts, the totals
    // One cell per field, titled whole.
    auto column = [&](const std::string& title) {
        for (size_t c = 0; c < rows[0].size(); ++c)
            if (rows[0][c].text == title) return c;
        ADD_FAILURE() << "no column " << title;
        return size_t{0};
    };
    const size_t name = column("Nom du compte");
    const size_t total = column("Total total");
    const size_t phone = column("Téléphone");
    std::vector<std::string> names;
    double sum = 0;
    for (size_t r = 1; r + 1 < rows.size(); ++r) {
        names.push_back(rows[r][name].text);
        ASSERT_TRUE(rows[r][total].numeric) << "row " << r;
        sum += rows[r][total].value;
        for (size_t c = 0; c < rows[r].size(); ++c) {
            const bool amount = rows[0][c].text.rfind("Patient ", 0) == 0 ||
                                rows[0][c].text.rfind("Assurance ", 0) == 0 ||
                                rows[0][c].text.rfind("Total ", 0) == 0;
            if (amount && rows[r][c].present) {
                EXPECT_TRUE(rows[r][c].numeric) << rows[0][c].text;
            }
        }
    }
    EXPECT_EQ(names,
              (std::vector<std::string>{"Bélanger, Chloé", "O'Brien, Seán", "Tremblay, Luc"}));
    EXPECT_EQ(rows[3][phone].text, "514 555-1234 (H)");
    // The totals row: the printed total, and the sum of the rows above it.
    const auto& totals = rows.back();
    ASSERT_TRUE(totals[total].numeric);
    EXPECT_DOUBLE_EQ(totals[total].value, 415.00);
    EXPECT_NEAR(sum, totals[total].value, 0.001);
    // The summary is the second sheet.
    const testing_support::SheetRows summary =
        testing_support::ReadSheet(host::ReportFilePath("arrpt.xlsx"), 2);
    ASSERT_GE(summary.size(), 2u);
    EXPECT_EQ(summary[0][0].text, "Code");
    EXPECT_EQ(summary[1][0].text, "D01");
}

TEST_P(ARDialogs, AnOutputFolderThatCannotBeWrittenStopsTheRunAndSaysWhich) {
    const std::string xml_dir = host::Env().output_dir + "/XML";
    fs::remove_all(xml_dir);
    { std::ofstream(xml_dir) << "pas un dossier"; }  // the XML folder cannot be made
    TARReportDlg dlg(nullptr, 7006, launcher());
    bool printed = true;
    Run<TARReportDlg>(dlg, [&](TARReportDlg& d) {
        d.SetOutputChoice(3);
        d.SendCommand(IDOK);
        printed = d.LastPrintSucceeded();
    });
    fs::remove(xml_dir);
    EXPECT_FALSE(printed);
    ASSERT_FALSE(backend.Messages().empty());
    EXPECT_NE(backend.Messages().back().text.find("agedrc.xml"), std::string::npos)
        << backend.Messages().back().text;
}

TEST_P(ARDialogs, SavedDefaultsComeBackAndNoKeepsThemAsTheyWere) {
    Exec(
        "UPDATE PPSET SET PPST_INT_FIELD06 = 1, PPST_INT_FIELD07 = 2, PPST_INT_FIELD08 = 3, "
        "PPST_A2_FIELD01 = 'M' WHERE PPST_ID = 5");
    auto choose = [](TARReportDlg& d) {
        Set(d, "producer", "H01");
        Set(d, "report_by", "0");
        Set(d, "grouping", "0");
        Set(d, "overdue", "5");
        Set(d, "min_balance", "40.00");
        Set(d, "kind", "1");
        Set(d, "option111", "yes");
        Set(d, "copies", "2");
    };
    {
        TARReportDlg dlg(nullptr, 7006, launcher());
        bool saved = true;
        backend.QueueAnswer(IDNO);
        Run<TARReportDlg>(dlg, [&](TARReportDlg& d) {
            choose(d);
            saved = d.ActionOnSaveAsDefault();
        });
        EXPECT_FALSE(saved);
        EXPECT_EQ(backend.Messages().back().title, "Rapport des Comptes à Recevoir");
        EXPECT_EQ(Text("SELECT PPST_A11_FIELD01 FROM PPSET WHERE PPST_ID = 5"), "");
    }
    {
        TARReportDlg dlg(nullptr, 7006, launcher());
        bool saved = false;
        backend.QueueAnswer(IDYES);
        Run<TARReportDlg>(dlg, [&](TARReportDlg& d) {
            choose(d);
            saved = d.ActionOnSaveAsDefault();
        });
        EXPECT_TRUE(saved);
    }
    TARReportDlg dlg(nullptr, 7006, launcher());
    Run<TARReportDlg>(dlg, [](TARReportDlg& d) {
        EXPECT_EQ(d.ChildAs<TListBoxBase>(101)->GetSelValue(), "H01");
        EXPECT_EQ(d.ChildAs<TListBoxBase>(102)->GetSelIndex(), 1);  // one producer
        EXPECT_EQ(d.ChildAs<TListBoxBase>(104)->GetSelString(), "5 - 60 jours et plus");
        EXPECT_EQ(d.ChildAs<TAmountField>(105)->GetAmount(), 4000);
        EXPECT_TRUE(Checked(d, 107));
        EXPECT_TRUE(Checked(d, 111));
        EXPECT_EQ(d.ChildAs<TSpinField>(112)->GetValue(), 2);
        EXPECT_EQ(d.ChildAs<TDateField>(103)->GetDate(), 20241115);  // always today
    });
}

TEST_P(ARDialogs, TheOvernightRunPrintsWithoutAskingAndCloses) {
    TARReportDlg dlg(nullptr, 7006, launcher(), nullptr, 2);
    backend.QueueDialog([](TDialog&) { ADD_FAILURE() << "the user was asked to act"; });
    const int result = dlg.Execute();
    EXPECT_EQ(result, IDOK);
    EXPECT_TRUE(backend.Messages().empty());
    EXPECT_EQ(backend.PendingDrivers(), 1u);  // the dialog closed before any user action
    EXPECT_FALSE(dlg.ChildWithId(IDOK)->IsWindowEnabled());
    // Printed (output kind 0): the PDF, no text file.
    EXPECT_TRUE(fs::exists(host::ReportFilePath("arrpt.pdf")));
    EXPECT_FALSE(fs::exists(host::ReportFilePath(kTextFile)));
}

TEST_P(ARDialogs, TheQuickListStartsAtTheLastDayEndAndKeepsItsOwnDefaults) {
    Exec("INSERT INTO DAYEND (DEND_ID, DEND_LASTDAY) VALUES (1, 20241112)");
    {
        RptOptWDIniObj o(launcher());
        o.ar_info.notes = 1;
        o.ar_info.copies = 4;
        o.deposit_opt[0] = 5;
        o.deposit_opt[1] = 6;
        ASSERT_TRUE(o.update_ar());
        ASSERT_TRUE(o.update_deposit());
    }
    TARQukRptDlg dlg(nullptr, 7005, launcher());
    Run<TARQukRptDlg>(dlg, [this](TARQukRptDlg& d) {
        EXPECT_EQ(d.ChildAs<TDateField>(105)->GetDate(), 20241112);
        EXPECT_TRUE(Checked(d, 109));  // never saved: the progress window is shown
        EXPECT_FALSE(Enabled(d, 104) || Enabled(d, 108));
        Set(d, "overdue", "3");
        EXPECT_TRUE(Enabled(d, 104) && Enabled(d, 108));
        Set(d, "producer", "D01");
        Set(d, "progress", "no");
        Set(d, "min_balance", "10.00");
        // The stored balances cannot tell what is older than a year.
        for (int i = 0; i < d.ChildAs<TListBoxBase>(103)->GetCount(); ++i)
            EXPECT_NE(d.ChildAs<TListBoxBase>(103)->GetString(i).rfind("7 -", 0), 0u);
        d.SetOutputChoice(1);
        d.SendCommand(IDOK);
        backend.QueueAnswer(IDYES);
        EXPECT_TRUE(d.ActionOnSaveAsDefault());
    });
    EXPECT_EQ(dlg.GetInfo().overdue_num, 3);
    EXPECT_EQ(dlg.GetInfo().as_of, 20241112);
    EXPECT_NE(TextFile().find("SOMMAIRE DES COMPTES À RECEVOIR"), std::string::npos);
    EXPECT_EQ(backend.FilesShown().size(), 1u);
    // Its options live in row 8 fields 15 to 17 and in its text fields; the receivable
    // report's and the deposit's row 8 options are what they were.
    EXPECT_EQ(Int("SELECT PPST_INT_FIELD15 * 100 + PPST_INT_FIELD16 * 10 + PPST_INT_FIELD17 "
                  "FROM PPSET WHERE PPST_ID = 8"),
              110);
    EXPECT_EQ(Text("SELECT PPST_A11_FIELD01 FROM PPSET WHERE PPST_ID = 8"), "D01");
    EXPECT_EQ(Text("SELECT PPST_A11_FIELD04 FROM PPSET WHERE PPST_ID = 8"), "1000");
    RptOptWDIniObj back(launcher());
    EXPECT_EQ(back.ar_info.notes, 1);
    EXPECT_EQ(back.ar_info.copies, 4);
    EXPECT_EQ(back.deposit_opt[0], 5);
    EXPECT_EQ(back.deposit_opt[1], 6);
    EXPECT_EQ(back.ar_quick_extra, 0);
}

TEST_P(ARDialogs, TheCatalogOpensTheReportsOfTheRegistryOnly) {
    EXPECT_TRUE(reports::IsAvailable(102));
    EXPECT_TRUE(reports::IsAvailable(114));
    EXPECT_FALSE(reports::IsAvailable(116));  // procedure comparison: not part of the module yet
    reports::LaunchContext context{nullptr, launcher(), nullptr};
    std::string caption;
    backend.QueueDialog([&](TDialog& d) { caption = d.GetCaption(); });
    reports::LaunchEntry(context, *reports::FindEntry(102));
    EXPECT_EQ(caption, "Rapport des Comptes à Recevoir");
    // 116 opens no criteria dialog: it says that the report is not available yet.
    backend.ClearRecords();
    bool opened = false;
    backend.QueueDialog([&](TDialog&) { opened = true; });
    reports::LaunchEntry(context, *reports::FindEntry(116));
    EXPECT_FALSE(opened);
    ASSERT_EQ(backend.Messages().size(), 1u);
    EXPECT_NE(backend.Messages()[0].text.find("n'est pas encore disponible"), std::string::npos)
        << backend.Messages()[0].text;
}

INSTANTIATE_TEST_SUITE_P(Engines, ARDialogs, testing::ValuesIn(testing_support::Engines()),
                         testing_support::EngineName);
