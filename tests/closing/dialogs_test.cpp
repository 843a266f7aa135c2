// The deposit dialogs driven as a user would: the day's date is refused when missing or
// in the future, an empty day says so under the window's title, the monthly report refuses
// a reversed or too long period, and both open from the catalog.
#include <gtest/gtest.h>

#include <functional>

#include "closing/deposit_dialogs.h"
#include "closing/mthdep_dialogs.h"
#include "host/base/dates.h"
#include "host/base/strings.h"
#include "tests/common/support.h"

namespace {

class DepositDialogs : public common_test::DbTest {
  protected:
    void SetUp() override {
        DbTest::SetUp();
        host::SetFixedToday(20241115);
    }
    const std::string& LastMessage() {
        static const std::string none;
        return backend.Messages().empty() ? none : backend.Messages().back().text;
    }
};

TEST_P(DepositDialogs, TheDayMustBeGivenAndNotInTheFuture) {
    TDayTrialReportDlg future(nullptr, 7001, launcher());
    EXPECT_FALSE(Print(future, [](TDialog& d) { Set(d, "date", "20241116"); }));
    EXPECT_EQ(LastMessage(), host::LoadText(6062));
    TDayTrialReportDlg none(nullptr, 7001, launcher());
    EXPECT_FALSE(Print(none, [](TDialog& d) { Set(d, "date", ""); }));
    EXPECT_EQ(LastMessage(), host::LoadText(6063));
    // Grouping by dentist needs one.
    TDayTrialReportDlg grouped(nullptr, 7001, launcher());
    EXPECT_FALSE(Print(grouped, [](TDialog& d) { Set(d, "by_doctor", "yes"); }));
    EXPECT_EQ(LastMessage(), host::LoadText(12805));
    // A practice without payments: the day is empty, said under the window's title.
    TDayTrialReportDlg empty(nullptr, 7001, launcher());
    EXPECT_FALSE(Print(empty, [](TDialog&) {}));
    ASSERT_FALSE(backend.Messages().empty());
    EXPECT_EQ(backend.Messages().back().text, host::LoadText(6061));
    EXPECT_EQ(backend.Messages().back().title, host::LoadText(6060));
}

TEST_P(DepositDialogs, TheMonthlyReportRefusesABadPeriod) {
    MonthlyDepositReportDlg reversed(nullptr, 7046, launcher());
    EXPECT_FALSE(Print(reversed, [](TDialog& d) {
        Set(d, "from", "20241115");
        Set(d, "to", "20241101");
    }));
    EXPECT_EQ(LastMessage(), host::LoadText(6643));
    MonthlyDepositReportDlg longer(nullptr, 7046, launcher());
    EXPECT_FALSE(Print(longer, [](TDialog& d) {
        Set(d, "from", "20241001");
        Set(d, "to", "20241115");
    }));
    EXPECT_EQ(LastMessage(), host::LoadText(12816));
    MonthlyDepositReportDlg empty(nullptr, 7046, launcher());
    EXPECT_FALSE(Print(empty, [](TDialog& d) { Set(d, "codes", "C, CH"); }));
    EXPECT_EQ(empty.GetCriteria().codes, (std::vector<std::string>{"C", "CH"}));
    EXPECT_EQ(LastMessage(), host::LoadText(7149));
}

INSTANTIATE_TEST_SUITE_P(Engines, DepositDialogs, testing::ValuesIn(testing_support::Engines()),
                         testing_support::EngineName);

}  // namespace
