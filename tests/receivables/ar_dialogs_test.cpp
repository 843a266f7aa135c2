// The receivable criteria dialogs driven as a user would: their enabling rules, the
// criteria they hand to the report objects (through a fake runner), the files and log
// lines around the run, the unattended run, and their saved defaults.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "common/daterng.h"
#include "host/base/debuglog.h"
#include "host/base/env.h"
#include "host/base/strings.h"
#include "host/output/xmlexport.h"
#include "receivables/ar_dialogs.h"
#include "receivables/ar_runner.h"
#include "shell/catalog.h"
#include "tests/common/support.h"

namespace {

namespace fs = std::filesystem;

class ARDialogs : public common_test::DbTest {
  protected:
    void SetUp() override {
        DbTest::SetUp();
        SettingsRows();
        Exec(
            "INSERT INTO PRODCD (PROD_ID, PROD_CODE, PROD_FIRST_NAME, PROD_LAST_NAME) VALUES "
            "(1, 'D01', 'Marie', 'Tremblay'), (2, 'H02', 'Luc', 'Gagné'), (3, '07', '', '')");
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
        saved_runner_ = GetARReportRunner();
        SetARReportRunner([this](const ARRunRequest& r) { return Fake(r); });
        fs::remove(host::ReportFilePath(kARTextFile));
        log_ = host::Env().station_dir + "/ar-dialogs.log";
        fs::remove(log_);
        host::SetDebugLogPath(log_);
    }
    void TearDown() override {
        host::SetDebugLogPath("");
        SetARReportRunner(saved_runner_);
        host::SetResourceDir(saved_resources_);
        DbTest::TearDown();
    }

    // The report objects' stand-in: remembers what it was given, writes a line to the
    // text file and a row of XML data.
    ARRunResult Fake(const ARRunRequest& r) {
        requests.push_back(r);
        infos.push_back(*r.info);
        std::vector<host::output::XmlRow> rows;
        std::string error;
        host::output::ReadXmlRows(host::ReportFilePath(kARXmlFile), &rows, &error);
        xml_rows_before.push_back(static_cast<int>(rows.size()));
        if (r.prt) std::fprintf(r.prt, "COMPTES A RECEVOIR\n");
        IXmlExportWrapper* x = IXmlExportWrapper::CreateInstance();
        x->AddColumn("Compte", "1");
        x->Save(kARXmlFile);
        IXmlExportWrapper::Destroy(x);
        ARRunResult result;
        result.ran = true;
        result.cancelled = cancel;
        result.files.push_back(kARXmlFile);
        return result;
    }

    // Runs dlg modally, playing the user with drive.
    template <class Dlg>
    int Run(Dlg& dlg, std::function<void(Dlg&)> drive) {
        backend.QueueDialog([&](TDialog& d) { drive(static_cast<Dlg&>(d)); });
        return dlg.Execute();
    }
    static void Set(TDialog& d, const std::string& name, const std::string& value) {
        std::string error;
        EXPECT_TRUE(d.SetField(name, value, &error)) << name << "=" << value << ": " << error;
    }
    static bool Enabled(TDialog& d, int id) { return d.ChildWithId(id)->IsWindowEnabled(); }
    static bool Checked(TDialog& d, int id) { return d.ChildAs<TCheckBox>(id)->IsChecked(); }
    std::string Log() {
        std::ifstream in(log_);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }

    std::vector<ARRunRequest> requests;
    std::vector<arrpt_info> infos;
    std::vector<int> xml_rows_before;
    bool cancel = false;
    std::string log_;
    std::string saved_resources_;
    ARReportRunner saved_runner_;
};

}  // namespace

TEST_P(ARDialogs, ProducerAndReportByDriveTheGrouping) {
    TARReportDlg dlg(nullptr, 7006, launcher());
    Run<TARReportDlg>(dlg, [](TARReportDlg& d) {
        auto* report_by = d.ChildAs<TListBoxBase>(102);
        auto* producers = d.ChildAs<TListBoxBase>(101);
        ASSERT_EQ(producers->GetCount(), 4);  // "*", then by code: 07, D01, H02
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

TEST_P(ARDialogs, TheCriteriaReachTheReportObjects) {
    for (int kind = 0; kind <= 2; ++kind) {
        TARReportDlg dlg(nullptr, 7006, launcher());
        Run<TARReportDlg>(dlg, [&](TARReportDlg& d) {
            Set(d, "producer", "07");
            Set(d, "overdue", "4");
            Set(d, "min_balance", "125.50");
            Set(d, "kind", std::to_string(kind));
            Set(d, "copies", "3");
            Set(d, "notes", "yes");
            d.SendCommand(IDOK);
        });
    }
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0].object, ARReportObject::Account);
    EXPECT_EQ(requests[1].object, ARReportObject::Patient);
    EXPECT_EQ(requests[2].object, ARReportObject::Account);  // summary totals only
    const arrpt_info& i = infos[1];
    EXPECT_STREQ(i.producer, "D07");  // a billing doctor's code made a producer code
    EXPECT_EQ(i.overdue_num, 4);
    EXPECT_STREQ(i.overdue_text, "4 - 30 jours et plus");
    EXPECT_EQ(i.min_balance, 12550);
    EXPECT_EQ(i.as_of, 20241115);
    EXPECT_EQ(requests[1].copies, 3);
    EXPECT_EQ(i.notes, 1);
    EXPECT_TRUE(i.report_by_producer);  // one producer: report-by and grouping forced
    EXPECT_EQ(i.grouping, 1);
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
            d.SendCommand(IDOK);
        });
        ASSERT_FALSE(infos.empty());
        EXPECT_EQ(infos.back().future, feature ? 'Y' : 'N');
    }
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
    EXPECT_TRUE(requests.empty());
}

TEST_P(ARDialogs, PreviewWritesTheTextFileLogsAndFallsBackToTheViewer) {
    app().m_CalAR = 2;
    // Data of an earlier run must not reach this one.
    IXmlExportWrapper* x = IXmlExportWrapper::CreateInstance();
    x->AddColumn("Compte", "ancien");
    x->AddColumn("Compte", "ancien");
    ASSERT_TRUE(x->Save(kARXmlFile));
    IXmlExportWrapper::Destroy(x);

    TARReportDlg dlg(nullptr, 7006, launcher());
    bool preview = false;
    Run<TARReportDlg>(dlg, [&](TARReportDlg& d) { preview = d.ActionOnPreview(); });
    EXPECT_TRUE(preview);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_NE(requests[0].prt, nullptr);
    EXPECT_EQ(requests[0].output_choice, 1);
    EXPECT_EQ(xml_rows_before[0], 0);
    // No "agedrc.rpt" template: the text file is shown instead.
    ASSERT_EQ(backend.FilesShown().size(), 1u);
    EXPECT_EQ(fs::path(backend.FilesShown()[0]).filename().string(), "arrpt.prt");
    std::ifstream prt(host::ReportFilePath(kARTextFile));
    std::string line;
    std::getline(prt, line);
    EXPECT_EQ(line, "COMPTES A RECEVOIR");
    const std::string log = Log();
    const size_t start = log.find("START AR Report: m_CalAR = 2");
    const size_t end = log.find("END AR Report: m_CalAR = 2");
    ASSERT_NE(start, std::string::npos) << log;
    ASSERT_NE(end, std::string::npos) << log;
    EXPECT_LT(start, end);
}

TEST_P(ARDialogs, TheDestinationDecidesTheTextFileAndACancelOrNoReportShowsNothing) {
    // The printer: no text file.
    TARReportDlg printer(nullptr, 7006, launcher());
    Run<TARReportDlg>(printer, [](TARReportDlg& d) {
        d.SetOutputChoice(0);
        d.SendCommand(IDOK);
    });
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].prt, nullptr);
    EXPECT_FALSE(fs::exists(host::ReportFilePath(kARTextFile)));
    // A cancelled preview: neither template nor viewer.
    cancel = true;
    TARReportDlg cancelled(nullptr, 7006, launcher());
    bool printed = true;
    Run<TARReportDlg>(cancelled, [&](TARReportDlg& d) {
        d.SetOutputChoice(1);
        d.SendCommand(IDOK);
        printed = d.LastPrintSucceeded();
    });
    EXPECT_FALSE(printed);
    EXPECT_TRUE(backend.FilesShown().empty());
    // Without the report objects the dialog says so and leaves no text file behind.
    SetARReportRunner(nullptr);
    fs::remove(host::ReportFilePath(kARTextFile));
    backend.ClearRecords();
    TARReportDlg none(nullptr, 7006, launcher());
    Run<TARReportDlg>(none, [](TARReportDlg& d) { d.ActionOnPreview(); });
    ASSERT_EQ(backend.Messages().size(), 1u);
    EXPECT_EQ(backend.Messages()[0].text,
              "Le rapport « Rapport des Comptes à Recevoir » n'est pas encore disponible dans "
              "cette version du module.");
    EXPECT_FALSE(fs::exists(host::ReportFilePath(kARTextFile)));
}

TEST_P(ARDialogs, SavedDefaultsComeBackAndNoKeepsThemAsTheyWere) {
    Exec(
        "UPDATE PPSET SET PPST_INT_FIELD06 = 1, PPST_INT_FIELD07 = 2, PPST_INT_FIELD08 = 3, "
        "PPST_A2_FIELD01 = 'M' WHERE PPST_ID = 5");
    auto choose = [](TARReportDlg& d) {
        Set(d, "producer", "H02");
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
        EXPECT_EQ(d.ChildAs<TListBoxBase>(101)->GetSelValue(), "H02");
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
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_FALSE(requests[0].interactive);
    EXPECT_EQ(requests[0].output_choice, 0);
    EXPECT_TRUE(backend.Messages().empty());
    EXPECT_EQ(backend.PendingDrivers(), 1u);  // the dialog closed before any user action
    EXPECT_FALSE(dlg.ChildWithId(IDOK)->IsWindowEnabled());
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
        d.SetOutputChoice(1);
        d.SendCommand(IDOK);
        backend.QueueAnswer(IDYES);
        EXPECT_TRUE(d.ActionOnSaveAsDefault());
    });
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].object, ARReportObject::Quick);
    EXPECT_TRUE(requests[0].quick);
    EXPECT_FALSE(requests[0].quick_flag);
    EXPECT_EQ(requests[0].copies, 1);
    EXPECT_EQ(infos[0].overdue_num, 3);
    EXPECT_EQ(infos[0].as_of, 20241112);
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

TEST_P(ARDialogs, TheCatalogOpensTheDialogs) {
    ASSERT_NE(reports::FindLauncher(102), nullptr);
    ASSERT_NE(reports::FindLauncher(610), nullptr);
    reports::LaunchContext context{nullptr, launcher(), nullptr};
    std::string caption;
    backend.QueueDialog([&](TDialog& d) { caption = d.GetCaption(); });
    reports::LaunchEntry(context, *reports::FindEntry(102));
    EXPECT_EQ(caption, "Rapport des Comptes à Recevoir");
    backend.QueueDialog([&](TDialog& d) { caption = d.GetCaption(); });
    reports::LaunchEntry(context, *reports::FindEntry(610));
    EXPECT_EQ(caption, "Rapport des Mémos du Cabinet");
}

INSTANTIATE_TEST_SUITE_P(Engines, ARDialogs, testing::ValuesIn(testing_support::Engines()),
                         testing_support::EngineName);
