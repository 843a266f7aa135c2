// The insurance dialogs driven as a user would: the enabling rules, the refusals, the
// saved defaults of the receivable one.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

#include "common/rptoptini.h"
#include "host/base/dates.h"
#include "host/base/env.h"
#include "host/base/strings.h"
#include "host/output/paths.h"
#include "insurance/insar_dialogs.h"
#include "insurance/insun_dialogs.h"
#include "tests/common/support.h"
#include "tests/insurance/insar_practice.h"

namespace {

namespace fs = std::filesystem;

class InsuranceDialogs : public common_test::DbTest {
  protected:
    void SetUp() override {
        DbTest::SetUp();
        insar_test::BuildPractice(db());
        host::SetFixedToday(insar_test::kAsOf);
        fs::remove(host::ReportFilePath("insarrpt.prt"));
        fs::remove(host::ReportFilePath("insunrpt.prt"));
    }
    // Opens the dialog, lets fill act on it, then presses Print (text file) unless fill
    // returned false; true when it printed.
    template <class Dlg>
    bool Drive(int res, const std::function<bool(TDialog&)>& fill) {
        Dlg dlg(nullptr, res, launcher());
        bool printed = false;
        backend.QueueDialog([&](TDialog& d) {
            auto& r = static_cast<Dlg&>(d);
            if (fill(d)) {
                r.SetOutputChoice(3);
                d.SendCommand(IDOK);
                printed = r.LastPrintSucceeded();
            }
            if (r.IsRunning()) d.EndModal(IDCANCEL);
        });
        dlg.Execute();
        return printed;
    }
    static bool Enabled(TDialog& d, int id) { return d.ChildWithId(id)->IsWindowEnabled(); }
};

TEST_P(InsuranceDialogs, OneDoctorForcesTheProducerGroupingAndOverdueOneTheMinimum) {
    Drive<TInsARRptDlg>(7008, [](TDialog& d) {
        EXPECT_FALSE(Enabled(d, 106));  // overdue 1: no minimum balance
        EXPECT_TRUE(Enabled(d, 111));
        Set(d, "overdue", "#3");
        EXPECT_TRUE(Enabled(d, 106));
        Set(d, "grouping", "1");
        Set(d, "doctor", "D02");
        EXPECT_FALSE(Enabled(d, 111));
        EXPECT_EQ(d.ChildAs<TRadioButton>(110)->GetCheck(), BF_CHECKED);
        return false;
    });
}

TEST_P(InsuranceDialogs, ReceivablePrintsAndRefusesAnUnknownCarrier) {
    EXPECT_FALSE(Drive<TInsARRptDlg>(7008, [](TDialog& d) {
        Set(d, "carrier", "XYZ");
        return true;
    }));
    ASSERT_FALSE(backend.Messages().empty());
    EXPECT_EQ(backend.Messages().back().text, host::LoadText(912));
    EXPECT_TRUE(Drive<TInsARRptDlg>(7008, [](TDialog& d) {
        Set(d, "carrier", "SUN");
        Set(d, "kind", "1");
        return true;
    }));
    EXPECT_TRUE(fs::exists(host::ReportFilePath("insarrpt.prt")));
}

// The "..." button beside the carrier lists the practice's insurers, code and name, with the
// field's carrier chosen; the choice fills the field and prints; Cancel changes nothing.
TEST_P(InsuranceDialogs, TheCarrierIsPickedFromTheInsurersList) {
    std::vector<std::string> shown;
    std::string selected;
    EXPECT_TRUE(Drive<TInsARRptDlg>(7008, [&](TDialog& d) {
        Set(d, "carrier", "RAMQ");
        backend.QueueDialog([&](TDialog& picker) {
            auto* list = picker.ChildAs<TListBoxBase>(101);
            for (const auto& item : list->Items())
                shown.push_back(item.text);
            selected = list->GetSelString();
            Set(picker, "code", "MAN");
            picker.SendCommand(IDOK);
        });
        d.SendCommand(115);
        EXPECT_EQ(d.GetControl(102)->GetText(), "MAN");
        backend.QueueDialog([](TDialog& picker) {
            Set(picker, "code", "SUN");
            picker.SendCommand(IDCANCEL);
        });
        d.SendCommand(115);
        EXPECT_EQ(d.GetControl(102)->GetText(), "MAN");
        Set(d, "kind", "1");
        return true;
    }));
    EXPECT_EQ(shown, (std::vector<std::string>{
                         "MAN - Manuvie", "RAMQ - Régie de l'assurance maladie", "SUN - Sun Vie"}));
    EXPECT_EQ(selected, "RAMQ - Régie de l'assurance maladie");
    std::ifstream in(host::ReportFilePath("insarrpt.prt"));
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("MAN"), std::string::npos);
    EXPECT_EQ(text.find("A100"), std::string::npos);  // a SUN claim
}

TEST_P(InsuranceDialogs, ReceivableDefaultsAreSavedInRowEight) {
    SettingsRows();
    backend.QueueAnswer(IDYES);
    Drive<TInsARRptDlg>(7008, [](TDialog& d) {
        Set(d, "carrier", "MAN");
        Set(d, "kind", "2");
        Set(d, "copies", "3");
        d.SendCommand(5003);
        return false;
    });
    RptOptWDIniObj opts(launcher());
    ASSERT_TRUE(opts.read_inisect());
    EXPECT_STREQ(opts.ins_ar_info.carrier, "MAN");
    EXPECT_EQ(opts.ins_ar_info.kind, 2);
    EXPECT_EQ(opts.ins_ar_info.copies, 3);
    Drive<TInsARRptDlg>(7008, [](TDialog& d) {
        EXPECT_EQ(static_cast<TInsARRptDlg&>(d).GetInfo().kind, 2);
        return false;
    });
}

TEST_P(InsuranceDialogs, UnresolvedDatesFollowTheirBoxes) {
    EXPECT_TRUE(Drive<TInsUnresolvedDlg>(7007, [](TDialog& d) {
        EXPECT_FALSE(Enabled(d, 102));
        EXPECT_FALSE(Enabled(d, 104));
        Set(d, "unpaid", "yes");
        EXPECT_TRUE(Enabled(d, 102));
        Set(d, "billed_before", "20241001");
        Set(d, "unpaid", "no");
        EXPECT_FALSE(Enabled(d, 102));
        EXPECT_EQ(d.ChildAs<TDateField>(102)->GetDate(), 0);
        Set(d, "unbilled", "yes");
        return true;
    }));
    EXPECT_FALSE(Drive<TInsUnresolvedDlg>(7007, [](TDialog&) { return true; }));
    EXPECT_EQ(backend.Messages().back().text, host::LoadText(6400));
}

INSTANTIATE_TEST_SUITE_P(Engines, InsuranceDialogs, testing::ValuesIn(testing_support::Engines()),
                         testing_support::EngineName);

}  // namespace
