// The desktop as a person uses it (offscreen Qt): the Reports Manager over a demo practice,
// the receivable report's dialog, its preview, its printing and its export, driven through
// the widgets a user clicks; the entries that cannot run; both programs' help.
#include <gtest/gtest.h>
#include <poppler-qt6.h>

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabWidget>
#include <QTimer>
#include <filesystem>
#include <functional>

#include "host/base/env.h"
#include "host/db/gendb.h"
#include "host/output/textprint.h"
#include "host/records/context.h"
#include "host/ui/dialog.h"
#include "host/ui/qds.h"
#include "host/ui/qt/qt_backend.h"
#include "host/ui/qt/qt_preview.h"
#include "shell/catalog.h"
#include "shell/module.h"
#include "shell/reports_app.h"
#include "shell/reports_dialog.h"
#include "tests/qt/qt_app.h"
#include "tests/support/process.h"
#include "tests/support/testdb.h"

namespace fs = std::filesystem;

namespace {

using qt_test::App;

// The text of every page of PDF files, in order, as poppler reads it.
QStringList PdfPages(const QStringList& files) {
    QStringList pages;
    for (const QString& f : files) {
        auto doc = Poppler::Document::load(f);
        if (!doc) {
            ADD_FAILURE() << "PDF illisible : " << f.toStdString();
            continue;
        }
        for (int i = 0; i < doc->numPages(); ++i)
            pages << doc->page(i)->text(QRectF());
    }
    return pages;
}

QStringList PdfsIn(const std::string& dir) {
    QStringList files;
    for (const auto& e : fs::directory_iterator(dir))
        if (e.path().extension() == ".pdf") files << QString::fromStdString(e.path().string());
    files.sort();
    return files;
}

// Calls act on the next modal widget of type W that shows up (polled while a modal loop
// runs), once.
template <class W>
void OnModal(std::function<void(W*)> act) {
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        if (auto* w = qobject_cast<W*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            act(w);
        }
    });
    timer->start(20);
}

QPushButton* Button(QWidget* w, const QString& text) {
    for (QPushButton* b : w->findChildren<QPushButton*>())
        if (b->text().remove('&').startsWith(text)) return b;
    return nullptr;
}

class Desktop : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        App();
        std::string why;
        db_ = GenDB::Open("sqlite:" + host::Env().data_dir + "/bureau.db", &why).release();
        ASSERT_NE(db_, nullptr) << why;
        ASSERT_TRUE(testing_support::WriteSmallDemo(*db_, &why)) << why;
    }
    static void TearDownTestSuite() {
        delete db_;
        db_ = nullptr;
    }
    void SetUp() override {
        host::ui::SetBackend(&backend);
        app = std::make_unique<QDSApplication>(db_);
        app->LoadPracticeSettings();
        QDSApplication::SetInstance(app.get());
        area.resize(1000, 700);
        area.show();
        frame.Create();
        backend.BindMdiClient(frame.GetMDIClient(), &area);
        host::ui::SetMainWindow(&frame);
        handler = dynamic_cast<QDSReportsApp*>(GetDllHandler());
        ASSERT_NE(handler, nullptr);
        handler->HandleCommand(20115);
        ASSERT_EQ(area.subWindowList().size(), 1);
        tabs = area.subWindowList().front()->findChild<QTabWidget*>();
        ASSERT_NE(tabs, nullptr);
    }
    void TearDown() override {
        if (handler && handler->ReportsWindow) handler->ReportsWindow->CloseWindow();
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        host::ui::SetMainWindow(nullptr);
        backend.BindMdiClient(nullptr, nullptr);
        QDSApplication::SetInstance(nullptr);
        host::ui::SetBackend(nullptr);
    }
    QListWidget* Page(int index) { return qobject_cast<QListWidget*>(tabs->widget(index)); }

    static GenDB* db_;
    host::ui::QtBackend backend;
    std::unique_ptr<QDSApplication> app;
    QMdiArea area;
    TMDIFrame frame{"Cabinet"};
    QDSReportsApp* handler = nullptr;
    QTabWidget* tabs = nullptr;
};

GenDB* Desktop::db_ = nullptr;

TEST_F(Desktop, ThePreviewOf102IsWhatPrintingWritesAndTheExportGoesWhereTheUserSays) {
    const std::string out = host::Env().output_dir + "/bureau";
    fs::remove_all(out);
    host::EnsureDir(out);
    const std::string saved_out = host::Env().output_dir;
    host::Env().output_dir = out;

    QListWidget* billing = Page(0);
    ASSERT_NE(billing, nullptr);
    QListWidgetItem* ar = billing->item(2);  // command 102
    ASSERT_TRUE(ar->flags() & Qt::ItemIsEnabled);

    QStringList previewed;
    QString preview_file, preview_title, dialog_title;
    int preview_pages = 0;
    QStringList printed_status;
    QString export_status;
    const QString export_target = QString::fromStdString(host::Env().data_dir + "/export-ar.xlsx");

    OnModal<QDialog>([&](QDialog* dialog) {
        dialog_title = dialog->windowTitle();
        QComboBox* destination = nullptr;
        for (QComboBox* c : dialog->findChildren<QComboBox*>())
            if (c->findText(QStringLiteral("Imprimante")) == 0) destination = c;
        ASSERT_NE(destination, nullptr);
        // "Aperçu": the preview window, inside the program.
        OnModal<host::ui::PdfPreview>([&](host::ui::PdfPreview* preview) {
            preview_title = preview->windowTitle();
            preview_pages = preview->PageCount();
            preview_file = preview->PageFile(0);
            for (int i = 0; i < preview->PageCount(); ++i)
                previewed << preview->PageText(i);
            // Page navigation and zoom act on what is shown.
            preview->ShowPage(preview->PageCount() - 1);
            EXPECT_EQ(preview->CurrentPage(), preview->PageCount() - 1);
            preview->ShowPage(preview->PageCount() + 5);
            EXPECT_EQ(preview->CurrentPage(), preview->PageCount() - 1);
            preview->SetZoom(150);
            EXPECT_EQ(preview->Zoom(), 150);
            preview->reject();
        });
        Button(dialog, QStringLiteral("Aperçu"))->click();

        // "Imprimer" to the printer: the system's print dialog, refused here; the PDF files
        // stay in the output folder and the status bar says where.
        destination->setCurrentIndex(0);
        emit destination->activated(0);
        for (const auto& f : fs::directory_iterator(out))
            if (f.path().extension() == ".pdf") fs::remove(f.path());
        OnModal<QPrintDialog>([](QPrintDialog* print) { print->reject(); });
        Button(dialog, QStringLiteral("Imprimer"))->click();
        printed_status << backend.LastStatus();

        // "Exporter vers un fichier": a save dialog, the workbook written where chosen.
        destination->setCurrentIndex(2);
        emit destination->activated(2);
        // The path typed into the name field, as a user does: selectFile() leaves that field
        // alone once it has the focus, which the dialog may or may not have got by now.
        OnModal<QFileDialog>([&](QFileDialog* save) {
            auto* name = save->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            ASSERT_NE(name, nullptr);
            name->setText(export_target);
            static_cast<QDialog*>(save)->accept();
        });
        Button(dialog, QStringLiteral("Imprimer"))->click();
        export_status = backend.LastStatus();
        dialog->reject();
    });
    emit billing->itemDoubleClicked(ar);

    EXPECT_EQ(dialog_title, QStringLiteral("Rapport des Comptes à Recevoir"));
    // The preview shows the detailed report first (the pages of arrpt.pdf), not the
    // template's one-line-per-account list.
    EXPECT_TRUE(preview_file.endsWith(QLatin1String("arrpt.pdf"))) << preview_file.toStdString();
    ASSERT_FALSE(previewed.isEmpty());
    EXPECT_TRUE(
        previewed.front().contains(QStringLiteral("COMPTES À RECEVOIR"), Qt::CaseInsensitive))
        << previewed.front().toStdString();

    // What printing wrote, page for page, is what the preview showed.
    const QStringList printed_files = PdfsIn(out);
    ASSERT_FALSE(printed_files.isEmpty());
    QStringList ordered;  // the run's order: the report's pages, then the template's
    for (const QString& name :
         {QStringLiteral("arrpt.pdf"), QStringLiteral("arsum.pdf"), QStringLiteral("agedrc.pdf")})
        for (const QString& f : printed_files)
            if (f.endsWith("/" + name)) ordered << f;
    ASSERT_EQ(ordered.size(), printed_files.size()) << printed_files.join(" ").toStdString();
    const QStringList printed = PdfPages(ordered);
    EXPECT_EQ(preview_pages, printed.size());
    EXPECT_EQ(previewed, printed);
    ASSERT_EQ(printed_status.size(), 1);
    EXPECT_TRUE(printed_status[0].startsWith(QStringLiteral("Non imprimé")));
    EXPECT_TRUE(printed_status[0].contains(QStringLiteral("arrpt.pdf")));
    EXPECT_TRUE(printed_status[0].contains(QString::fromStdString(out)));

    EXPECT_TRUE(fs::exists(export_target.toStdString()));
    EXPECT_TRUE(fs::exists(out + "/arrpt.xlsx"));
    EXPECT_EQ(export_status, QStringLiteral("Exporté : %1").arg(export_target));
    host::Env().output_dir = saved_out;
}

TEST_F(Desktop, ARefusedDateIsSaidInABoxAndTakesTheFocusBack) {
    QString said;
    bool focused = false;
    OnModal<QDialog>([&](QDialog* dialog) {
        QLineEdit* date = nullptr;
        for (QLineEdit* e : dialog->findChildren<QLineEdit*>())
            if (e->placeholderText() == QStringLiteral("JJ/MM/AAAA") && e->isEnabled()) date = e;
        ASSERT_NE(date, nullptr);
        date->setText(QStringLiteral("31/02/2024"));
        emit date->textEdited(date->text());
        Button(dialog, QStringLiteral("Par"))->setFocus();  // the focus elsewhere first
        OnModal<QMessageBox>([&](QMessageBox* box) {
            said = box->text();
            box->accept();
        });
        Button(dialog, QStringLiteral("Imprimer"))->click();
        QCoreApplication::processEvents();
        focused = dialog->focusWidget() == date;
        dialog->reject();
    });
    emit Page(0)->itemDoubleClicked(Page(0)->item(2));
    EXPECT_EQ(said,
              QStringLiteral("La date n'est pas valide. Inscrivez-la sous la forme JJ/MM/AAAA."));
    EXPECT_TRUE(focused);
}

TEST_F(Desktop, EntriesThatCannotRunAreDimmedSayWhyAndOpenNothing) {
    ASSERT_EQ(tabs->count(), 9);
    const QRegularExpression class_name(QStringLiteral("\\b(T[A-Z]\\w+Dlg|\\w+Dlg|\\w+Dialog)\\b"));
    int dimmed = 0, offered = 0;
    for (int t = 0; t < tabs->count(); ++t) {
        QListWidget* list = Page(t);
        ASSERT_NE(list, nullptr);
        const int page = handler->ReportsWindow->MainDialog->TabCtrl->Tabs()[t].page->GetId();
        for (int i = 0; i < list->count(); ++i) {
            QListWidgetItem* item = list->item(i);
            const std::string why = reports::UnavailableReason(page + i);
            if (why.empty()) {
                EXPECT_TRUE(item->flags() & Qt::ItemIsEnabled) << page + i;
                ++offered;
                continue;
            }
            ++dimmed;
            EXPECT_FALSE(item->flags() & (Qt::ItemIsEnabled | Qt::ItemIsSelectable)) << page + i;
            EXPECT_EQ(item->toolTip(), QString::fromStdString(why)) << page + i;
            EXPECT_FALSE(class_name.match(item->toolTip()).hasMatch()) << page + i;
            // A double click opens no window at all.
            bool opened = false;
            QTimer probe;
            QObject::connect(&probe, &QTimer::timeout, [&] {
                if (QWidget* modal = QApplication::activeModalWidget()) {
                    opened = true;
                    modal->close();
                }
            });
            probe.start(5);
            emit list->itemDoubleClicked(item);
            QCoreApplication::processEvents();
            probe.stop();
            EXPECT_FALSE(opened) << page + i;
        }
    }
    // The host application's own reports (the Patient tab, among others) and the reports
    // not yet in the module are the dimmed ones; every other entry is offered.
    EXPECT_EQ(dimmed + offered, 72);
    EXPECT_GE(dimmed, 16);  // at least the host application's sixteen
    EXPECT_GT(offered, 30);
    EXPECT_FALSE(Page(1)->item(0)->flags() & Qt::ItemIsEnabled);  // a host report (200)
}

TEST_F(Desktop, TheManagerFollowsItsWindowAndRemembersItsTab) {
    QMdiSubWindow* sub = area.subWindowList().front();
    EXPECT_EQ(sub->windowTitle(), QStringLiteral("Gestionnaire de Rapports"));
    // Maximised, the tabs fill the window; small, scroll bars keep them reachable.
    sub->showMaximized();
    QCoreApplication::processEvents();
    EXPECT_GT(tabs->width(), area.width() - 60);
    sub->showNormal();
    sub->resize(320, 240);
    QCoreApplication::processEvents();
    auto* scroll = sub->findChild<QScrollArea*>();
    ASSERT_NE(scroll, nullptr);
    EXPECT_TRUE(scroll->horizontalScrollBar()->isVisible() ||
                scroll->verticalScrollBar()->isVisible());

    // The tab chosen is the one shown at the next opening.
    tabs->setCurrentIndex(5);
    const QString chosen = tabs->tabText(5);
    handler->ReportsWindow->CloseWindow();
    QCoreApplication::processEvents();
    handler->HandleCommand(20115);
    tabs = area.subWindowList().back()->findChild<QTabWidget*>();
    ASSERT_NE(tabs, nullptr);
    EXPECT_EQ(tabs->tabText(tabs->currentIndex()), chosen);
    tabs->setCurrentIndex(0);  // leave the first tab for the other tests

    // In icon view the first arrow key selects an entry, and Enter opens it.
    QListWidget* list = Page(0);
    list->setFocus();
    list->setCurrentRow(-1);
    list->clearSelection();
    QKeyEvent right(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier);
    QCoreApplication::sendEvent(list, &right);
    EXPECT_EQ(list->selectedItems().size(), 1);
}

// The manager's window in the MDI area is the model's: the view command reaches the widgets,
// the user's tab choice reaches the model, a second command brings the same window forward
// and the close box closes the model's window.
TEST_F(Desktop, TheManagersWidgetsAndTheModelFollowEachOther) {
    QMdiSubWindow* sub = area.subWindowList().front();
    EXPECT_EQ(backend.MdiChildFor(sub), handler->ReportsWindow);
    EXPECT_EQ(tabs->tabText(0), QStringLiteral(" Facturation "));
    ASSERT_NE(Page(0), nullptr);
    EXPECT_EQ(Page(0)->count(), 22);
    EXPECT_EQ(Page(0)->viewMode(), QListView::IconMode);
    handler->ReportsWindow->SendCommand(10122);
    EXPECT_EQ(Page(0)->viewMode(), QListView::ListMode);
    EXPECT_EQ(Page(0)->count(), 22);
    tabs->setCurrentIndex(6);
    EXPECT_EQ(handler->ReportsWindow->MainDialog->TabCtrl->GetSel(), 6);
    tabs->setCurrentIndex(0);  // leave the first tab for the other tests

    handler->HandleCommand(20115);
    EXPECT_EQ(area.subWindowList().size(), 1);
    sub->close();
    QCoreApplication::processEvents();
    EXPECT_EQ(handler->ReportsWindow, nullptr);
    QCoreApplication::processEvents();
    EXPECT_TRUE(area.subWindowList().isEmpty());
}

TEST(DesktopPrinting, EveryPageOfEveryFileReachesThePrinter) {
    App();
    // Two small PDFs of the text printer, printed through a PDF printer.
    const std::string dir = host::Env().data_dir + "/impression";
    host::EnsureDir(dir);
    QStringList files;
    for (int n : {1, 3}) {
        const std::string prt = dir + "/doc" + std::to_string(n) + ".prt";
        FILE* f = std::fopen(prt.c_str(), "w");
        for (int p = 0; p < n; ++p)
            std::fprintf(f, "%sPage %d de %d - Hygiéniste\n", p ? "\f" : "", p + 1, n);
        std::fclose(f);
        const std::string pdf = dir + "/doc" + std::to_string(n) + ".pdf";
        std::string why;
        ASSERT_TRUE(host::output::PrintTextFileToPdf(prt, pdf, &why)) << why;
        files << QString::fromStdString(pdf);
    }
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    const QString target = QString::fromStdString(dir + "/imprime.pdf");
    printer.setOutputFileName(target);
    QString error;
    int pages = 0;
    ASSERT_TRUE(host::ui::PrintPdfFiles(files, printer, &error, &pages)) << error.toStdString();
    EXPECT_EQ(pages, 4);
    auto doc = Poppler::Document::load(target);
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->numPages(), 4);
    // A file that is no PDF is refused with its name.
    files << QString::fromStdString(dir + "/doc1.prt");
    QPrinter again(QPrinter::HighResolution);
    again.setOutputFormat(QPrinter::PdfFormat);
    again.setOutputFileName(QString::fromStdString(dir + "/encore.pdf"));
    EXPECT_FALSE(host::ui::PrintPdfFiles(files, again, &error, &pages));
    EXPECT_TRUE(error.contains(QStringLiteral("doc1.prt")));
}

TEST(DesktopHelp, BothProgramsAnswerHelpInFrench) {
    using testing_support::Quote;
    using testing_support::RunShell;
    using testing_support::Sibling;
    for (const std::string& args : {std::string("--help"), std::string("run --help")}) {
        const auto r = RunShell(Quote(Sibling("rapports")) + " " + args + " 2>&1");
        EXPECT_EQ(r.code, 0) << args;
        EXPECT_NE(r.out.find("Affiche cette aide et quitte"), std::string::npos) << r.out;
        EXPECT_NE(r.out.find("Utilisation"), std::string::npos) << r.out;
        EXPECT_EQ(r.out.find("Print this help"), std::string::npos) << r.out;
        EXPECT_EQ(r.out.find("Usage"), std::string::npos) << r.out;
    }
    const std::string gui = Sibling("rapports-gui");
    if (!fs::exists(gui)) GTEST_SKIP() << "rapports-gui n'est pas construit";
    const auto r = RunShell("QT_QPA_PLATFORM=offscreen " + Quote(gui) + " --help 2>&1");
    EXPECT_EQ(r.code, 0);
    EXPECT_NE(r.out.find("Affiche cette aide et quitte"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("--db <DSN>"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("Displays"), std::string::npos) << r.out;
    // A bad database is refused with a French message (and a message box on a display).
    const auto bad = RunShell("QT_QPA_PLATFORM=offscreen " + Quote(gui) +
                              " --db sqlite:/nonexistent/dir/x.db --out /tmp 2>&1");
    EXPECT_NE(bad.code, 0);
    EXPECT_NE(bad.out.find("impossible d'ouvrir la base"), std::string::npos) << bad.out;
}

}  // namespace
