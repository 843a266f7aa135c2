// The month-end dialogs driven as a user would: what each refuses and asks before it
// prints or closes, the year-end month, the saved options, and both catalog entries.
#include <gtest/gtest.h>

#include "closing/mthend_dialogs.h"
#include "common/registry.h"
#include "host/base/dates.h"
#include "host/base/ini.h"
#include "host/base/strings.h"
#include "host/base/text.h"
#include "shell/catalog.h"
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

TEST(MonthEndCatalog, BothDialogsOpenFromTheCatalog) {
    for (int command : {108, 1003}) {
        EXPECT_TRUE(reports::IsAvailable(command)) << command;
        const reports::ReportDescriptor* d = reports::FindReport(command);
        ASSERT_NE(d, nullptr);
        EXPECT_EQ(d->dialog_class, reports::FindEntry(command)->class_name);
        EXPECT_EQ(d->resource, reports::FindEntry(command)->resource);
        EXPECT_TRUE(d->writes);
    }
}

INSTANTIATE_TEST_SUITE_P(Engines, MonthEndDialogs, testing::ValuesIn(testing_support::Engines()),
                         testing_support::EngineName);

}  // namespace
