// The period dialog: its two refusals with their exact texts, and what passes.
#include <gtest/gtest.h>

#include "common/daterng.h"
#include "host/base/dates.h"
#include "tests/ui/ui_support.h"

namespace {

class DateRange : public ui_test::ScriptedTest {
  protected:
    // Runs the dialog with from and to typed in, presses Print; returns the messages
    // shown and whether the dialog stayed open.
    std::vector<std::string> Print(const std::string& from, const std::string& to,
                                   bool* stayed_open = nullptr) {
        TDateRngDlg dlg(nullptr, 7004);
        backend.QueueDialog([&](TDialog& d) {
            d.ChildAs<TEdit>(102)->UserType(from);
            d.ChildAs<TEdit>(103)->UserType(to);
            d.SendCommand(IDOK);
            if (stayed_open) *stayed_open = d.IsRunning();
        });
        dlg.Execute();
        std::vector<std::string> texts;
        for (const auto& m : backend.Messages())
            texts.push_back(m.text);
        backend.ClearRecords();
        return texts;
    }
};

// Without a practice database, a period that passed the checks reaches the memo report,
// which says so.
const char* kReached = "Aucune base de données ouverte";

}  // namespace

TEST_F(DateRange, RefusesAFutureStartWithoutEndAndAnEndBeforeTheStart) {
    bool open = false;
    EXPECT_EQ(Print("16/11/2024", "", &open),
              std::vector<std::string>{"'De la date\" doit être  <= que celle d'aujourd'hui"});
    EXPECT_TRUE(open);
    EXPECT_EQ(Print("10/11/2024", "09/11/2024", &open),
              std::vector<std::string>{"'À la date' doit être >= que 'De la date' "});
    EXPECT_TRUE(open);
    // The host's check of the date itself comes first.
    EXPECT_EQ(Print("31/02/2024", "", &open),
              std::vector<std::string>{
                  "La date n'est pas valide. Inscrivez-la sous la forme JJ/MM/AAAA."});
}

TEST_F(DateRange, AcceptedPeriodsReachTheReport) {
    // Both today (the defaults); a future start with a later end; an open end; no dates.
    EXPECT_EQ(Print("15/11/2024", "15/11/2024"), std::vector<std::string>{kReached});
    EXPECT_EQ(Print("20/11/2024", "30/11/2024"), std::vector<std::string>{kReached});
    EXPECT_EQ(Print("01/11/2024", ""), std::vector<std::string>{kReached});
    EXPECT_EQ(Print("", ""), std::vector<std::string>{kReached});
    TDateRngDlg dlg(nullptr, 7004);
    EXPECT_EQ(dlg.GetFromDate(), 20241115);
    EXPECT_EQ(dlg.GetToDate(), 20241115);
    EXPECT_EQ(dlg.GetDlgFieldCount(), 2);
}
