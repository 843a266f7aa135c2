// The month-end dialogs driven as a user would: what each refuses and asks before it
// prints or closes, the year-end month, the saved options, and both catalog entries.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "closing/mthend_dialogs.h"
#include "closing/mthend_reports.h"
#include "host/base/dates.h"
#include "host/base/ini.h"
#include "host/base/strings.h"
#include "host/base/text.h"
#include "host/output/paths.h"
#include "host/ui/recording.h"
#include "tests/closing/mthend_practice.h"
#include "tests/common/support.h"

namespace {

class MonthEndDialogs : public common_test::DbTest {
  protected:
    void SetUp() override {
        DbTest::SetUp();
        host::SetFixedToday(20241115);
        SettingsRows();
        Exec(
            "INSERT INTO PRODCD (PROD_ID, PROD_CODE, PROD_TYPE, PROD_FIRST_NAME, "
            "PROD_LAST_NAME, PROD_BILLDR) VALUES (1, 'D01', 'D', 'Marie', 'Tremblay', '01')");
        Exec(
            "INSERT INTO DAYEND (DEND_ID, DEND_LASTDAY, DEND_MENDDATE) VALUES (1, 20241114, "
            "20240930)");
    }
    // The messages shown since the last Mark().
    void Mark() { mark_ = backend.Messages().size(); }
    std::vector<std::string> Texts() const {
        std::vector<std::string> out;
        for (size_t i = mark_; i < backend.Messages().size(); ++i)
            out.push_back(backend.Messages()[i].text);
        return out;
    }
    size_t mark_ = 0;
    bool Shown(int id) const {
        for (const auto& t : Texts())
            if (t.rfind(host::LoadText(id).substr(0, 30), 0) == 0) return true;
        return false;
    }
    static void Month(TDialog& d, const char* month, const char* year = "2024") {
        Set(d, "month", month);
        Set(d, "year", year);
    }
};

TEST_P(MonthEndDialogs, RefusalsBeforeAnythingPrints) {
    struct Case {
        const char* what;
        std::function<void(TDialog&)> fill;
        int text;
    };
    const Case cases[] = {
        {"nothing chosen",
         [](TDialog& d) {
             Month(d, "10");
             Set(d, "create", "no");
         },
         6155},
        {"a month in the future", [](TDialog& d) { Month(d, "12"); }, 6150},
        {"closing with one doctor",
         [](TDialog& d) {
             Month(d, "10");
             Set(d, "producer", "D01");
             Set(d, "month_end", "yes");
         },
         7132},
        {"closing a month already closed",
         [](TDialog& d) {
             Month(d, "9");
             Set(d, "month_end", "yes");
         },
         6154},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Mark();
        TMonthEndReportDlg dlg(nullptr, 7002, launcher());
        EXPECT_FALSE(Print(dlg, c.fill));
        EXPECT_TRUE(Shown(c.text)) << testing::PrintToString(Texts());
    }
    // The last month-end's date is in the refusal.
    EXPECT_NE(Texts().back().find("30/09/2024"), std::string::npos);
}

TEST_P(MonthEndDialogs, QuestionsBeforeClosing) {
    // Closing without the report: "select it?" no, "continue without a print?" no.
    backend.QueueAnswer(IDNO);
    backend.QueueAnswer(IDNO);
    TMonthEndReportDlg dlg(nullptr, 7002, launcher());
    EXPECT_FALSE(Print(dlg, [](TDialog& d) {
        Month(d, "10");
        Set(d, "create", "no");
        Set(d, "month_end", "yes");
    }));
    EXPECT_TRUE(Shown(6151));
    EXPECT_TRUE(Shown(6185));
    EXPECT_FALSE(Shown(6207));

    // The current month asks first; no stops.
    Mark();
    backend.QueueAnswer(IDNO);
    TMonthEndReportDlg current(nullptr, 7002, launcher());
    Exec("UPDATE DAYEND SET DEND_MENDDATE = 20241031");
    EXPECT_FALSE(Print(current, [](TDialog& d) {
        Month(d, "11");
        Set(d, "month_end", "yes");
    }));
    EXPECT_TRUE(Shown(6183));
    EXPECT_FALSE(Shown(6207));

    // Months skipped since the last month-end: it offers to start the day after it.
    Mark();
    backend.QueueAnswer(IDNO);
    Exec("UPDATE DAYEND SET DEND_MENDDATE = 20240831");
    TMonthEndReportDlg skipped(nullptr, 7002, launcher());
    EXPECT_FALSE(Print(skipped, [](TDialog& d) {
        Month(d, "10");
        Set(d, "month_end", "yes");
    }));
    ASSERT_FALSE(Texts().empty());
    EXPECT_EQ(Texts().front(), host::U8Format(host::LoadText(6180).c_str(), "01/09/2024"));
}

TEST_P(MonthEndDialogs, AnEmptyMonthSaysSo) {
    TMonthEndReportDlg dlg(nullptr, 7002, launcher());
    Print(dlg, [](TDialog& d) { Month(d, "10"); });
    EXPECT_TRUE(Shown(6153));
    TMonthEndReportDlgEx ex(nullptr, 7036, launcher());
    Mark();
    Print(ex, [](TDialog& d) {
        Month(d, "10");
        Set(d, "from_doctor", "D01");
        Set(d, "to_doctor", "D01");
    });
    EXPECT_TRUE(Shown(6153));
}

TEST_P(MonthEndDialogs, YearEndMonthAndSavedOptions) {
    TMonthEndReportDlg dlg(nullptr, 7002, launcher());
    backend.QueueDialog([](TDialog& d) {
        Set(d, "month", "3");
        d.SendCommand(IDOK);
    });
    dlg.CmYearEnd();
    EXPECT_EQ(SysWDIniObj().read_intini("YEMonth", 0), 3);

    // Saved options come back in a new dialog; the report and the practice totals are on
    // for a practice that never saved any.
    mthend_info fresh;
    TMonthEndBaseDlg::FromOptions(RptOptWDIniObj(launcher()), &fresh);
    EXPECT_EQ(fresh.create, 'Y');
    EXPECT_EQ(fresh.practice_totals, 'Y');
    mthend_info info;
    info.grouping = 2;
    info.create = 'N';
    info.daily = 'Y';
    info.practice_totals = 'N';
    info.pmt_analysis = 'Y';
    RptOptWDIniObj opts(launcher());
    TMonthEndBaseDlg::ToOptions(info, &opts);
    ASSERT_TRUE(opts.update_mthend()) << opts.LastError();
    mthend_info back;
    TMonthEndBaseDlg::FromOptions(RptOptWDIniObj(launcher()), &back);
    EXPECT_EQ(back.grouping, 2);
    EXPECT_EQ(back.create, 'N');
    EXPECT_EQ(back.daily, 'Y');
    EXPECT_EQ(back.practice_totals, 'N');
    EXPECT_EQ(back.pmt_analysis, 'Y');
    EXPECT_EQ(back.year_totals, 'N');
}

INSTANTIATE_TEST_SUITE_P(Engines, MonthEndDialogs, testing::ValuesIn(testing_support::Engines()),
                         testing_support::EngineName);

// October closed through dialog 108 on the practice of mthend_practice.h: the report of the
// whole practice is printed, the reprint file written (output kind 1), and the closing done
// after them; a day of the month whose day-end report is unprinted stops everything.
void SetField(TDialog& d, const std::string& name, const std::string& value) {
    std::string error;
    EXPECT_TRUE(d.SetField(name, value, &error)) << name << "=" << value << ": " << error;
}

class MonthEndRun : public mthend_test::MonthTest {
  protected:
    void SetUp() override {
        MonthTest::SetUp();
        host::ui::SetBackend(&scripted);
        scripted.SetDefaultAnswer(IDYES);
    }
    bool Run(int kind, const std::function<void(TDialog&)>& fill) {
        bool printed = false;
        TMonthEndReportDlg dlg(nullptr, 7002, launcher_.get());
        scripted.QueueDialog([&](TDialog& d) {
            SetField(d, "month", "10");
            SetField(d, "year", "2024");
            SetField(d, "month_end", "yes");
            fill(d);
            auto& r = static_cast<TReportBaseDlg&>(d);
            r.SetOutputChoice(kind);
            d.SendCommand(IDOK);
            printed = r.LastPrintSucceeded();
            if (r.IsRunning()) d.EndModal(IDCANCEL);
        });
        dlg.Execute();
        return printed;
    }
    long MonthEndDate() {
        return static_cast<long>(db().QueryInt("SELECT DEND_MENDDATE FROM DAYEND"));
    }
    host::ui::ScriptedBackend scripted;
};

TEST_P(MonthEndRun, ClosesOctoberAfterItsReportAndReprintFile) {
    const std::string reprint = mthend::ReprintFolder() + "20241031.ME";
    std::remove(reprint.c_str());
    EXPECT_TRUE(Run(1, [](TDialog& d) { SetField(d, "daily", "yes"); }));
    EXPECT_EQ(MonthEndDate(), 20241031);
    std::ifstream in(reprint, std::ios::binary);
    ASSERT_TRUE(in.good());
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text.rfind("\n+++" + std::string(10, '\n'), 0), 0u);
    // By billing doctor: D01 from 10.00 to 150.00 (its hygienist and auxiliary included).
    EXPECT_NE(text.find("Octobre 2024"), std::string::npos);
    const size_t page = text.find("(Dr facturant. D01");
    ASSERT_NE(page, std::string::npos);
    EXPECT_NE(text.find("Accroissement Net", page), std::string::npos);
    EXPECT_NE(text.substr(text.find("Fin du Mois", page), 110).find("150.00"), std::string::npos);
    // The closing removed the month's day sheet, after the report had read it.
    EXPECT_EQ(db().QueryInt("SELECT COUNT(*) FROM DAYSHT WHERE DSHT_DATE <= 20241031"), 0);

    // A second run finds the month closed.
    EXPECT_FALSE(Run(1, [](TDialog&) {}));
}

TEST_P(MonthEndRun, OtherOutputKindsWriteNoReprintFileAndUnprintedDaysStop) {
    const std::string reprint = mthend::ReprintFolder() + "20241031.ME";
    std::remove(reprint.c_str());
    db().dbExecute("UPDATE DAYDET SET DDET_PRINTED = 'N' WHERE DDET_DATE = 20241012");
    EXPECT_FALSE(Run(1, [](TDialog&) {}));
    ASSERT_FALSE(scripted.Messages().empty());
    EXPECT_EQ(scripted.Messages().back().text, host::LoadText(6481) + "20241012\n");
    EXPECT_EQ(MonthEndDate(), 20240930);
    db().dbExecute("UPDATE DAYDET SET DDET_PRINTED = 'Y'");
    // Output kind 3, with the companions: their data files, and none left from before.
    const std::string stale = host::output::OutputPath("XML/monthenddet.xml");
    std::ofstream(stale) << "<Report/>";
    EXPECT_TRUE(Run(3, [](TDialog& d) {
        SetField(d, "deposits", "yes");
        SetField(d, "analysis", "yes");
    }));
    EXPECT_EQ(MonthEndDate(), 20241031);
    EXPECT_FALSE(std::ifstream(reprint).good());
    EXPECT_FALSE(std::ifstream(stale).good());
    for (const char* file : {"XML/monthend.xml", "XML/mthdepsum.xml", "XML/PracAnalysis.xml"})
        EXPECT_TRUE(std::ifstream(host::output::OutputPath(file)).good()) << file;
}

INSTANTIATE_TEST_SUITE_P(Engines, MonthEndRun, testing::ValuesIn(testing_support::Engines()),
                         testing_support::EngineName);

}  // namespace
