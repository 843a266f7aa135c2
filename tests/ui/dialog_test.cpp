// Dialogs without a toolkit: controls from the template, record bindings, radio groups,
// fields set by name, the modal loop of the scripted back end, posted messages.
#include <gtest/gtest.h>

#include <cstring>

#include "host/base/strings.h"
#include "host/ui/dialog.h"
#include "tests/ui/ui_support.h"

namespace {

const char* kCriteria =
    "dialog 7101 \"Critères\" 300 160\n"
    "static -1 5 5 60 8 \"Producteur :\"\n"
    "combo 101 70 5 80 60 items=\"Tous|Dr Émile Côté|Dr Anne Roy\" values=\"*|D01|D02\" "
    "name=producer\n"
    "date 103 70 20 60 12 name=as_of\n"
    "amount 105 70 35 60 12 name=min_balance\n"
    "radio 106 5 50 90 10 \"Comptes\" group name=kind\n"
    "radio 107 5 62 90 10 \"Patients\"\n"
    "radio 108 5 74 90 10 \"Totaux\"\n"
    "radio 109 150 50 90 10 \"Par dentiste\" group name=grouping\n"
    "radio 110 150 62 90 10 \"Par producteur\"\n"
    "check 116 5 90 90 10 \"À venir\" name=future\n"
    "spin 112 70 105 30 12 range=1..5 name=copies\n"
    "edit 120 70 120 100 12 limit=10 name=note\n"
    "button 1 190 140 50 14 \"OK\" default\n"
    "button 2 245 140 50 14 \"Annuler\"\n";

struct Criteria {
    char producer[4] = "D02";
    long as_of = 20241115;
    long min_balance = 2500;
    int kind = 1;
    int grouping = 0;
    char future = 'Y';
    short copies = 2;
    std::string note = "Aucune";
};

// A dialog that binds every field of the record, with an enabling rule: the future
// check box is offered only for account reports.
class CriteriaDlg : public TDialog {
  public:
    CriteriaDlg(Criteria* c) : TDialog(nullptr, ui_test::Template(kCriteria)) {
        future_ = new TCheckBox(this, 116);
        BindComboValue(101, c->producer, sizeof c->producer);
        BindDate(103, &c->as_of);
        BindAmount(105, &c->min_balance);
        BindRadios({106, 107, 108}, &c->kind);
        BindRadios({109, 110}, &c->grouping);
        BindCheck(116, &c->future);
        BindSpin(112, &c->copies);
        BindText(120, &c->note);
        for (UINT id : {106u, 107u, 108u})
            OnCommand(id, [this] { future_->EnableWindow(ChildAs<TCheckBox>(106)->IsChecked()); });
    }
    TCheckBox* future_;
};

}  // namespace

class DialogTest : public ui_test::ScriptedTest {};

TEST_F(DialogTest, ControlsComeFromTheTemplateInItsOrder) {
    Criteria c;
    CriteriaDlg dlg(&c);
    ASSERT_TRUE(dlg.Create());
    EXPECT_EQ(dlg.GetCaption(), "Critères");
    // The check box the dialog made itself is kept and takes the template's label.
    EXPECT_EQ(dlg.ChildWithId(116), dlg.future_);
    EXPECT_EQ(dlg.future_->GetText(), "À venir");
    EXPECT_EQ(dlg.future_->GetRect().y, 90);
    EXPECT_EQ(dlg.future_->GetFieldName(), "future");
    // Generic controls of the right class for the other ids, children in template order.
    EXPECT_NE(dlg.ChildAs<TDateField>(103), nullptr);
    EXPECT_NE(dlg.ChildAs<TAmountField>(105), nullptr);
    EXPECT_NE(dlg.ChildAs<TComboBox>(101), nullptr);
    std::vector<int> ids;
    for (TWindow* w : dlg.GetChildren())
        ids.push_back(w->GetId());
    EXPECT_EQ(ids,
              (std::vector<int>{-1, 101, 103, 105, 106, 107, 108, 109, 110, 116, 112, 120, 1, 2}));
}

TEST_F(DialogTest, BindingsCarryTheRecordBothWays) {
    Criteria c;
    CriteriaDlg dlg(&c);
    ASSERT_TRUE(dlg.Create());
    // Record to controls.
    EXPECT_EQ(dlg.ChildAs<TComboBox>(101)->GetSelString(), "Dr Anne Roy");
    EXPECT_EQ(dlg.GetControl(103)->GetText(), "15/11/2024");
    EXPECT_EQ(dlg.GetControl(105)->GetText(), "25.00");
    EXPECT_TRUE(dlg.ChildAs<TRadioButton>(107)->IsChecked());
    EXPECT_TRUE(dlg.ChildAs<TRadioButton>(109)->IsChecked());
    EXPECT_TRUE(dlg.future_->IsChecked());
    EXPECT_EQ(dlg.GetControl(112)->GetText(), "2");

    // A user's changes, then controls to record.
    dlg.ChildAs<TComboBox>(101)->UserSelect(1);
    dlg.ChildAs<TEdit>(103)->UserType("29/02/2024");
    dlg.ChildAs<TEdit>(105)->UserType("1,234.56");
    dlg.ChildAs<TRadioButton>(108)->UserClick();
    dlg.ChildAs<TRadioButton>(110)->UserClick();
    dlg.future_->UserClick();
    dlg.ChildAs<TEdit>(112)->UserType("5");
    dlg.ChildAs<TEdit>(120)->UserType("Hygiéniste Émilie");
    dlg.TransferData(tdGetData);
    EXPECT_STREQ(c.producer, "D01");
    EXPECT_EQ(c.as_of, 20240229);
    EXPECT_EQ(c.min_balance, 123456);
    EXPECT_EQ(c.kind, 2);
    EXPECT_EQ(c.grouping, 1);
    EXPECT_EQ(c.future, 'N');
    EXPECT_EQ(c.copies, 5);
    // The edit's limit of 10 counts characters, not bytes.
    EXPECT_EQ(c.note, "Hygiéniste");
    EXPECT_EQ(c.note.size(), 11u);
}

TEST_F(DialogTest, RadioGroupsAndEnablingRulesFollowUserClicks) {
    Criteria c;
    CriteriaDlg dlg(&c);
    ASSERT_TRUE(dlg.Create());
    auto radio = [&](int id) { return dlg.ChildAs<TRadioButton>(id); };
    radio(106)->UserClick();
    EXPECT_TRUE(radio(106)->IsChecked());
    EXPECT_FALSE(radio(107)->IsChecked());
    EXPECT_FALSE(radio(108)->IsChecked());
    // The other group is untouched.
    EXPECT_TRUE(radio(109)->IsChecked());
    EXPECT_TRUE(dlg.future_->IsWindowEnabled());
    radio(108)->UserClick();
    EXPECT_FALSE(radio(106)->IsChecked());
    EXPECT_FALSE(dlg.future_->IsWindowEnabled());
    EXPECT_EQ(radio(107)->Group().size(), 3u);
    EXPECT_EQ(radio(110)->Group().size(), 2u);
}

TEST_F(DialogTest, FieldsAreSetByNameOrIdAsAUserWould) {
    Criteria c;
    CriteriaDlg dlg(&c);
    ASSERT_TRUE(dlg.Create());
    std::string error;
    EXPECT_TRUE(dlg.SetField("producer", "D01", &error)) << error;
    EXPECT_TRUE(dlg.SetField("producer", "  dr anne roy ", &error)) << error;
    EXPECT_EQ(dlg.ChildAs<TComboBox>(101)->GetSelValue(), "D02");
    EXPECT_TRUE(dlg.SetField("as_of", "2024-12-31", &error)) << error;
    EXPECT_TRUE(dlg.SetField("103", "20250102", &error)) << error;
    EXPECT_EQ(dlg.GetControl(103)->GetText(), "02/01/2025");
    EXPECT_TRUE(dlg.SetField("kind", "0", &error)) << error;
    EXPECT_TRUE(dlg.SetField("grouping", "Par producteur", &error)) << error;
    EXPECT_TRUE(dlg.SetField("future", "non", &error)) << error;
    EXPECT_TRUE(dlg.SetField("copies", "0", &error)) << error;  // the dialog's rule decides
    dlg.TransferData(tdGetData);
    EXPECT_STREQ(c.producer, "D02");
    EXPECT_EQ(c.as_of, 20250102);
    EXPECT_EQ(c.kind, 0);
    EXPECT_EQ(c.grouping, 1);
    EXPECT_EQ(c.future, 'N');
    EXPECT_EQ(c.copies, 0);
    const auto values = dlg.FieldValues();
    ASSERT_EQ(values.size(), 8u);
    EXPECT_EQ(values[1], (std::pair<std::string, std::string>{"as_of", "20250102"}));
    EXPECT_EQ(values[3], (std::pair<std::string, std::string>{"kind", "0"}));

    // Refusals: unknown name, impossible values, disabled controls; nothing changes.
    const struct {
        const char* name;
        const char* value;
        const char* message;
    } bad[] = {
        {"producteur", "D01", "champ inconnu « producteur »"},
        {"999", "x", "champ inconnu « 999 »"},
        {"as_of", "20240231", "date invalide : 20240231"},
        {"as_of", "demain", "date invalide"},
        {"min_balance", "12,34,5x", "montant invalide"},
        {"producer", "D09", "valeur inconnue « D09 » (choix : *|D01|D02)"},
        {"kind", "3", "valeur invalide pour « kind » : 3 (choix : 0|1|2)"},
        {"future", "peut-être", "oui ou non attendu"},
        {"copies", "deux", "nombre entier attendu"},
    };
    for (const auto& b : bad) {
        EXPECT_FALSE(dlg.SetField(b.name, b.value, &error)) << b.name;
        EXPECT_NE(error.find(b.message), std::string::npos) << b.name << ": " << error;
    }
    EXPECT_EQ(dlg.GetControl(103)->GetText(), "02/01/2025");
    dlg.SetField("kind", "2", &error);
    EXPECT_FALSE(dlg.SetField("future", "yes", &error));
    EXPECT_NE(error.find("désactivé"), std::string::npos) << error;
    dlg.future_->ShowWindow(SW_HIDE);
    EXPECT_FALSE(dlg.SetField("future", "yes", &error));
    EXPECT_NE(error.find("n'est pas offert"), std::string::npos) << error;
}

TEST_F(DialogTest, ExecuteRunsTheModalLoopOfTheBackEnd) {
    Criteria c;
    {
        CriteriaDlg dlg(&c);
        backend.QueueDialog([](TDialog& d) {
            std::string error;
            EXPECT_TRUE(d.SetField("min_balance", "99.99", &error)) << error;
            d.SendCommand(IDOK);
        });
        EXPECT_EQ(dlg.Execute(), IDOK);
        EXPECT_FALSE(dlg.IsCreated());
        EXPECT_EQ(c.min_balance, 9999);
    }
    {
        // No driver: the dialog is cancelled and the record stays as it was.
        CriteriaDlg dlg(&c);
        EXPECT_EQ(dlg.Execute(), IDCANCEL);
        EXPECT_EQ(c.min_balance, 9999);
    }
    ASSERT_EQ(backend.Events().size(), 2u);
    EXPECT_NE(backend.Events()[0].find("modal"), std::string::npos);
    EXPECT_NE(backend.Events()[0].find("7101 «Critères»"), std::string::npos);

    // A dialog whose template is missing says so and is not shown.
    TDialog missing(nullptr, 6998);
    EXPECT_EQ(missing.Execute(), -1);
    ASSERT_EQ(backend.Messages().size(), 1u);
    EXPECT_NE(backend.Messages()[0].text.find("6998.dlg"), std::string::npos);
    EXPECT_EQ(backend.Events().size(), 2u);
}

TEST_F(DialogTest, FieldErrorsShowTheTextOfTheirNumber) {
    Criteria c;
    CriteriaDlg dlg(&c);
    ASSERT_TRUE(dlg.Create());
    dlg.ReportFieldError(6564);
    dlg.ReportFieldError("'À la date' doit être >= que 'De la date' ");
    ASSERT_EQ(backend.Messages().size(), 2u);
    EXPECT_EQ(backend.Messages()[0].text, "Nombre de Copies invalide");
    EXPECT_EQ(backend.Messages()[0].title, "Critères");
    EXPECT_EQ(backend.Messages()[0].flags & MB_ICONMASK, MB_ICONEXCLAMATION);
    EXPECT_EQ(backend.Messages()[1].text, "'À la date' doit être >= que 'De la date' ");
}

TEST_F(DialogTest, PostedMessagesReachOnlyWindowsThatStillExist) {
    struct Counter : TWindow {
        Counter() : TWindow(nullptr) {
            OnMessage(WM_USER + 1, [this](WPARAM wp, LPARAM) -> LRESULT {
                received += static_cast<int>(wp);
                return 0;
            });
        }
        int received = 0;
    };
    Counter kept;
    auto* gone = new Counter;
    kept.PostMessage(WM_USER + 1, 2);
    gone->PostMessage(WM_USER + 1, 5);
    kept.PostMessage(WM_USER + 1, 3);
    delete gone;
    EXPECT_EQ(host::ui::PostedMessageCount(), 2u);
    EXPECT_EQ(host::ui::DeliverPostedMessages(), 2);
    EXPECT_EQ(kept.received, 5);
}

TEST_F(DialogTest, ScriptedAnswersAreUsedInOrder) {
    backend.QueueAnswer(IDNO);
    backend.QueueAnswer(IDYES);
    EXPECT_EQ(host::ShowMessage(nullptr, "Un?", "", MB_YESNO), IDNO);
    EXPECT_EQ(host::ShowMessage(nullptr, "Deux?", "", MB_YESNO), IDYES);
    // Queue empty: the first button, as Enter would.
    EXPECT_EQ(host::ShowMessage(nullptr, "Trois?", "", MB_YESNO | MB_ICONQUESTION), IDYES);
    EXPECT_EQ(host::ShowMessage(nullptr, "Info", "", MB_OK), IDOK);
    backend.SetDefaultAnswer(IDNO);
    EXPECT_EQ(host::ShowMessage(nullptr, "Quatre?", "", MB_YESNO), IDNO);
    EXPECT_EQ(backend.Messages().size(), 5u);

    host::ui::UnattendedBackend unattended;
    EXPECT_EQ(unattended.Show(nullptr, "Fermer la journée?", "", MB_YESNOCANCEL), IDYES);
    EXPECT_EQ(unattended.Show(nullptr, "Terminé", "", MB_OK), IDOK);
}
