// The Qt back end (offscreen): widgets built from a template follow the model and hand the
// user's actions to it; modal dialogs end with the model; message boxes and meters.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>

#include "host/base/msgsink.h"
#include "host/ui/dialog.h"
#include "host/ui/qds.h"
#include "host/ui/qt/qt_backend.h"
#include "tests/qt/qt_app.h"
#include "tests/ui/ui_support.h"

namespace {

using qt_test::App;

using ui_test::Template;

const char* kForm =
    "dialog 7200 \"Formulaire\" 240 150\n"
    "group -1 5 3 230 40 \"Période\"\n"
    "date 102 60 15 60 12 name=from\n"
    "check 116 5 50 90 10 \"À venir\" name=future\n"
    "radio 106 5 64 90 10 \"Comptes\" group name=kind\n"
    "radio 107 5 76 90 10 \"Patients\"\n"
    "combo 101 120 50 100 60 items=\"Tous|Dr Côté|Dr Roy\" values=\"*|D01|D02\" name=producer\n"
    "spin 112 120 70 40 12 range=1..5 name=copies\n"
    "static 130 120 90 100 8 \"Prêt\"\n"
    "button 1 130 130 50 14 \"OK\" default\n"
    "button 2 185 130 50 14 \"Annuler\"\n";

void Type(QWidget* w, const QString& text) {
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QCoreApplication::sendEvent(w, &press);
    }
}

void Key(QWidget* w, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &press);
}

class QtBackendTest : public testing::Test {
  protected:
    void SetUp() override {
        App();
        host::ui::SetBackend(&backend);
    }
    void TearDown() override {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        host::ui::SetBackend(nullptr);
    }
    template <class W>
    W* WidgetOf(TDialog& dlg, int id) {
        return qobject_cast<W*>(backend.WidgetFor(dlg.ChildWithId(id)));
    }
    host::ui::QtBackend backend;
};

}  // namespace

// A closed drop-down shows its longest choice when the form has room beside it, and grows
// no further than the control to its right.
TEST_F(QtBackendTest, DropDownsGrowIntoTheRoomBesideThem) {
    const char* form =
        "dialog 7201 \"Choix\" 300 80\n"
        "combo 101 5 5 40 60 items=\"* - Tous les producteurs|D02 - Céline Ouellet\"\n"
        "combo 102 5 30 40 60 items=\"Facturation par producteur|Aucune\"\n"
        "static 103 60 30 50 8 \"À droite\"\n";
    TDialog dlg(nullptr, Template(form));
    ASSERT_TRUE(dlg.Create());
    auto* free = WidgetOf<QComboBox>(dlg, 101);
    auto* boxed = WidgetOf<QComboBox>(dlg, 102);
    auto* label = WidgetOf<QLabel>(dlg, 103);
    ASSERT_TRUE(free && boxed && label);
    const int text = free->fontMetrics().horizontalAdvance(QStringLiteral("D02 - Céline Ouellet"));
    EXPECT_GT(free->width(), text);
    EXPECT_LE(free->geometry().right(), free->parentWidget()->width());
    // The one with a label beside it stops short of the label, but keeps its own width.
    EXPECT_LT(boxed->geometry().right(), label->geometry().left());
    EXPECT_GE(boxed->width(), host::ui::DluX(40));
    // New entries (a list filled later) widen it again.
    dlg.ChildAs<TComboBox>(101)->AddString("D03 - Dre Marie-Ève Bélanger-Tremblay, orthodontiste");
    EXPECT_GT(free->width(), text);
    dlg.CloseWindow(IDCANCEL);
}

TEST_F(QtBackendTest, WidgetsFollowTheModelAndGiveItTheUsersActions) {
    TDialog dlg(nullptr, Template(kForm));
    ASSERT_TRUE(dlg.Create());  // modeless: shown at once
    auto* date = WidgetOf<QLineEdit>(dlg, 102);
    auto* future = WidgetOf<QCheckBox>(dlg, 116);
    auto* accounts = WidgetOf<QRadioButton>(dlg, 106);
    auto* patients = WidgetOf<QRadioButton>(dlg, 107);
    auto* producer = WidgetOf<QComboBox>(dlg, 101);
    auto* copies = WidgetOf<QSpinBox>(dlg, 112);
    auto* label = WidgetOf<QLabel>(dlg, 130);
    ASSERT_TRUE(date && future && accounts && patients && producer && copies && label);
    EXPECT_EQ(producer->count(), 3);
    EXPECT_EQ(copies->minimum(), 1);
    EXPECT_EQ(copies->maximum(), 5);
    EXPECT_EQ(label->text(), QStringLiteral("Prêt"));
    // Dialog units become pixels: the combo box is wider than the date field.
    EXPECT_GT(producer->width(), date->width());

    // Model to widgets.
    dlg.ChildAs<TDateField>(102)->SetDate(20241115);
    dlg.ChildAs<TCheckBox>(116)->Check();
    dlg.ChildAs<TComboBox>(101)->SetSelIndex(2);
    dlg.GetControl(130)->SetText("Calcul en cours");
    dlg.GetControl(116)->EnableWindow(false);
    EXPECT_EQ(date->text(), QStringLiteral("15/11/2024"));
    EXPECT_TRUE(future->isChecked());
    EXPECT_FALSE(future->isEnabled());
    EXPECT_EQ(producer->currentText(), QStringLiteral("Dr Roy"));
    EXPECT_EQ(label->text(), QStringLiteral("Calcul en cours"));
    dlg.GetControl(116)->EnableWindow(true);

    // Widgets to model, as a user's typing and clicks.
    date->clear();
    dlg.ChildAs<TEdit>(102)->SetText("");
    Type(date, QStringLiteral("01/02/2025"));
    EXPECT_EQ(dlg.ChildAs<TDateField>(102)->GetDate(), 20250201);
    future->click();
    EXPECT_FALSE(dlg.ChildAs<TCheckBox>(116)->IsChecked());
    accounts->click();
    patients->click();
    EXPECT_FALSE(dlg.ChildAs<TRadioButton>(106)->IsChecked());
    EXPECT_TRUE(dlg.ChildAs<TRadioButton>(107)->IsChecked());
    EXPECT_FALSE(accounts->isChecked());  // the model's group, echoed back
    patients->click();                    // clicking the checked radio keeps it checked
    EXPECT_TRUE(patients->isChecked());
    EXPECT_TRUE(dlg.ChildAs<TRadioButton>(107)->IsChecked());
    producer->setFocus();
    Key(producer, Qt::Key_Up);
    EXPECT_EQ(dlg.ChildAs<TComboBox>(101)->GetSelValue(), "D01");
    copies->setValue(4);
    EXPECT_EQ(dlg.ChildAs<TSpinField>(112)->GetValue(), 4);

    // The model's field setter shows in the widgets too.
    std::string error;
    ASSERT_TRUE(dlg.SetField("kind", "0", &error)) << error;
    EXPECT_TRUE(accounts->isChecked());
    EXPECT_FALSE(patients->isChecked());
    dlg.Destroy();
    EXPECT_EQ(backend.WidgetFor(dlg.ChildWithId(102)), nullptr);
}

TEST_F(QtBackendTest, ModalDialogsEndWithTheModel) {
    {
        TDialog dlg(nullptr, Template(kForm));
        QTimer::singleShot(0, [&] {
            auto* ok = qobject_cast<QPushButton*>(backend.WidgetFor(dlg.ChildWithId(IDOK)));
            ASSERT_NE(ok, nullptr);
            EXPECT_TRUE(ok->isDefault());
            ok->click();
        });
        EXPECT_EQ(dlg.Execute(), IDOK);
    }
    {
        // A message posted during setup closes the dialog from the event loop.
        struct Posting : TDialog {
            Posting() : TDialog(nullptr, Template(kForm)) {
                OnMessage(WM_USER + 7, [this](WPARAM, LPARAM) -> LRESULT {
                    CloseWindow(IDOK);
                    return 1;
                });
            }
            void SetupWindow() override {
                TDialog::SetupWindow();
                PostMessage(WM_USER + 7);
            }
        } dlg;
        EXPECT_EQ(dlg.Execute(), IDOK);
    }
    {
        // Escape is the model's IDCANCEL.
        TDialog dlg(nullptr, Template(kForm));
        QTimer::singleShot(0, [&] {
            QWidget* w = backend.WidgetFor(&dlg);
            ASSERT_NE(w, nullptr);
            Key(w->window(), Qt::Key_Escape);
        });
        EXPECT_EQ(dlg.Execute(), IDCANCEL);
    }
}

TEST_F(QtBackendTest, MessageBoxesAnswerWithTheButtonPressed) {
    QTimer::singleShot(0, [] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->text(), QStringLiteral("Fermer la journée?"));
        for (QAbstractButton* b : box->buttons())
            if (b->text() == QStringLiteral("Non")) b->click();
    });
    EXPECT_EQ(host::ShowMessage(nullptr, "Fermer la journée?", "Fin de journée",
                                MB_YESNO | MB_ICONQUESTION),
              IDNO);
    QTimer::singleShot(0, [] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        box->defaultButton()->click();
    });
    EXPECT_EQ(host::ShowMessage(nullptr, "Terminé", "", MB_OK), IDOK);
}

TEST_F(QtBackendTest, MetersReportCancel) {
    auto meter = backend.CreateMeter(nullptr, "Chargement", 10, true);
    meter->SetPosition(3);
    EXPECT_FALSE(meter->Cancelled());
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* progress = qobject_cast<QProgressDialog*>(w)) {
            EXPECT_EQ(progress->value(), 3);
            progress->cancel();
        }
    EXPECT_TRUE(meter->Cancelled());
    meter->Close();
}
