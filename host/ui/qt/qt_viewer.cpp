// The text viewer of report files: the ".prt" pages in a monospaced font, a page selector,
// and printing to a PDF file with the same pages.
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "host/output/textprint.h"

namespace host::ui {

void ShowTextViewer(QWidget* parent, const std::string& path) {
    std::vector<host::output::TextPage> pages;
    std::string error;
    if (!host::output::ReadTextPages(path, &pages, &error)) {
        QMessageBox::warning(parent, QStringLiteral("Visualiseur"), QString::fromStdString(error));
        return;
    }
    QDialog viewer(parent);
    viewer.setWindowTitle(QFileInfo(QString::fromStdString(path)).fileName());
    viewer.resize(900, 700);
    auto* layout = new QVBoxLayout(&viewer);
    auto* bar = new QHBoxLayout;
    auto* page_label = new QLabel(QStringLiteral("Page :"), &viewer);
    auto* page_box = new QComboBox(&viewer);
    for (size_t i = 0; i < pages.size(); ++i)
        page_box->addItem(QStringLiteral("%1 de %2").arg(i + 1).arg(pages.size()));
    bar->addWidget(page_label);
    bar->addWidget(page_box);
    bar->addStretch();
    layout->addLayout(bar);
    auto* text = new QPlainTextEdit(&viewer);
    text->setReadOnly(true);
    text->setLineWrapMode(QPlainTextEdit::NoWrap);
    QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    mono.setFamily(QStringLiteral("DejaVu Sans Mono"));
    text->setFont(mono);
    layout->addWidget(text);
    auto show_page = [&](int index) {
        if (index < 0 || index >= static_cast<int>(pages.size())) {
            text->clear();
            return;
        }
        QString body;
        for (const std::string& line : pages[static_cast<size_t>(index)])
            body += QString::fromStdString(line) + QLatin1Char('\n');
        text->setPlainText(body);
    };
    QObject::connect(page_box, &QComboBox::currentIndexChanged, &viewer, show_page);
    show_page(0);
    auto* buttons = new QDialogButtonBox(&viewer);
    QPushButton* print =
        buttons->addButton(QStringLiteral("Imprimer en PDF..."), QDialogButtonBox::ActionRole);
    QPushButton* close = buttons->addButton(QStringLiteral("Fermer"), QDialogButtonBox::RejectRole);
    layout->addWidget(buttons);
    QObject::connect(close, &QPushButton::clicked, &viewer, &QDialog::reject);
    QObject::connect(print, &QPushButton::clicked, &viewer, [&] {
        QString suggested = QString::fromStdString(path);
        if (suggested.endsWith(QLatin1String(".prt"))) suggested.chop(4);
        const QString pdf = QFileDialog::getSaveFileName(&viewer, QStringLiteral("Imprimer en PDF"),
                                                         suggested + QStringLiteral(".pdf"),
                                                         QStringLiteral("PDF (*.pdf)"));
        if (pdf.isEmpty()) return;
        std::string why;
        int count = 0;
        if (host::output::PrintTextFileToPdf(path, pdf.toStdString(), &why, &count))
            QMessageBox::information(
                &viewer, QStringLiteral("Imprimer en PDF"),
                QStringLiteral("%1 page(s) écrite(s) dans %2").arg(count).arg(pdf));
        else
            QMessageBox::warning(&viewer, QStringLiteral("Imprimer en PDF"),
                                 QString::fromStdString(why));
    });
    viewer.exec();
}

}  // namespace host::ui
