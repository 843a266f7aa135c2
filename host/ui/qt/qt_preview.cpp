#include "host/ui/qt/qt_preview.h"

#include <poppler-qt6.h>

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

namespace host::ui {

namespace {

constexpr int kZooms[] = {50, 75, 100, 125, 150, 200, 300};

std::unique_ptr<Poppler::Document> LoadPdf(const QString& path, QString* error) {
    std::unique_ptr<Poppler::Document> doc = Poppler::Document::load(path);
    if (!doc || doc->isLocked()) {
        *error = QStringLiteral("Le fichier « %1 » n'est pas un PDF lisible.").arg(path);
        return nullptr;
    }
    doc->setRenderHint(Poppler::Document::Antialiasing);
    doc->setRenderHint(Poppler::Document::TextAntialiasing);
    return doc;
}

}  // namespace

PdfPreview::PdfPreview(QWidget* parent, const QString& title, const QStringList& files)
    : QDialog(parent) {
    setWindowTitle(QStringLiteral("Aperçu - %1").arg(title));
    setObjectName(QStringLiteral("apercu"));
    for (const QString& file : files) {
        auto doc = LoadPdf(file, &error_);
        if (!doc) continue;
        const int document = static_cast<int>(documents_.size());
        for (int i = 0; i < doc->numPages(); ++i)
            pages_.push_back({document, i});
        documents_.push_back(std::move(doc));
        files_ << file;
    }

    auto* layout = new QVBoxLayout(this);
    auto* bar = new QHBoxLayout;
    auto* first = new QToolButton(this);
    first->setText(QStringLiteral("|<"));
    first->setToolTip(QStringLiteral("Première page"));
    auto* previous = new QToolButton(this);
    previous->setText(QStringLiteral("<"));
    previous->setToolTip(QStringLiteral("Page précédente"));
    page_box_ = new QSpinBox(this);
    page_box_->setRange(1, std::max(1, PageCount()));
    page_box_->setAccessibleName(QStringLiteral("Page"));
    page_total_ = new QLabel(QStringLiteral("de %1").arg(PageCount()), this);
    auto* next = new QToolButton(this);
    next->setText(QStringLiteral(">"));
    next->setToolTip(QStringLiteral("Page suivante"));
    auto* last = new QToolButton(this);
    last->setText(QStringLiteral(">|"));
    last->setToolTip(QStringLiteral("Dernière page"));
    auto* zoom_label = new QLabel(QStringLiteral("&Zoom :"), this);
    zoom_box_ = new QComboBox(this);
    for (int z : kZooms)
        zoom_box_->addItem(QStringLiteral("%1 %").arg(z), z);
    zoom_box_->setCurrentIndex(2);
    zoom_label->setBuddy(zoom_box_);
    auto* page_label = new QLabel(QStringLiteral("&Page"), this);
    page_label->setBuddy(page_box_);
    bar->addWidget(first);
    bar->addWidget(previous);
    bar->addWidget(page_label);
    bar->addWidget(page_box_);
    bar->addWidget(page_total_);
    bar->addWidget(next);
    bar->addWidget(last);
    bar->addSpacing(20);
    bar->addWidget(zoom_label);
    bar->addWidget(zoom_box_);
    bar->addStretch();
    layout->addLayout(bar);

    scroll_ = new QScrollArea(this);
    scroll_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    scroll_->setBackgroundRole(QPalette::Dark);
    image_ = new QLabel;
    image_->setAlignment(Qt::AlignCenter);
    scroll_->setWidget(image_);
    layout->addWidget(scroll_, 1);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* print =
        buttons->addButton(QStringLiteral("&Imprimer..."), QDialogButtonBox::ActionRole);
    QPushButton* save =
        buttons->addButton(QStringLiteral("&Enregistrer sous..."), QDialogButtonBox::ActionRole);
    QPushButton* close = buttons->addButton(QStringLiteral("Fermer"), QDialogButtonBox::RejectRole);
    print->setObjectName(QStringLiteral("imprimer"));
    save->setObjectName(QStringLiteral("enregistrer"));
    layout->addWidget(buttons);
    print->setEnabled(IsValid());
    save->setEnabled(IsValid());

    connect(first, &QToolButton::clicked, this, [this] { ShowPage(0); });
    connect(previous, &QToolButton::clicked, this, [this] { ShowPage(current_ - 1); });
    connect(next, &QToolButton::clicked, this, [this] { ShowPage(current_ + 1); });
    connect(last, &QToolButton::clicked, this, [this] { ShowPage(PageCount() - 1); });
    connect(page_box_, &QSpinBox::valueChanged, this, [this](int v) { ShowPage(v - 1); });
    connect(zoom_box_, &QComboBox::activated, this,
            [this](int i) { SetZoom(zoom_box_->itemData(i).toInt()); });
    connect(print, &QPushButton::clicked, this, &PdfPreview::Print);
    connect(save, &QPushButton::clicked, this, &PdfPreview::SaveAs);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);

    resize(950, 760);
    Render();
}

PdfPreview::~PdfPreview() = default;

QString PdfPreview::PageText(int page) const {
    if (page < 0 || page >= PageCount()) return {};
    const PageRef& ref = pages_[static_cast<size_t>(page)];
    std::unique_ptr<Poppler::Page> p =
        documents_[static_cast<size_t>(ref.document)]->page(ref.index);
    return p ? p->text(QRectF()) : QString();
}

QString PdfPreview::PageFile(int page) const {
    if (page < 0 || page >= PageCount()) return {};
    return files_.value(pages_[static_cast<size_t>(page)].document);
}

void PdfPreview::ShowPage(int page) {
    if (PageCount() == 0) return;
    page = std::clamp(page, 0, PageCount() - 1);
    if (page == current_ && !image_->pixmap().isNull()) return;
    current_ = page;
    Render();
}

void PdfPreview::SetZoom(int percent) {
    zoom_ = std::clamp(percent, 10, 400);
    for (int i = 0; i < zoom_box_->count(); ++i)
        if (zoom_box_->itemData(i).toInt() == zoom_) zoom_box_->setCurrentIndex(i);
    Render();
}

void PdfPreview::Render() {
    if (!IsValid()) {
        image_->setText(error_.isEmpty() ? QStringLiteral("Aucune page à afficher.") : error_);
        image_->adjustSize();
        return;
    }
    const QSignalBlocker block(page_box_);
    page_box_->setValue(current_ + 1);
    setWindowFilePath(PageFile(current_));
    const PageRef& ref = pages_[static_cast<size_t>(current_)];
    std::unique_ptr<Poppler::Page> page =
        documents_[static_cast<size_t>(ref.document)]->page(ref.index);
    if (!page) return;
    const qreal dpi = (screen() ? screen()->logicalDotsPerInch() : 96.0) * zoom_ / 100.0;
    const QImage picture = page->renderToImage(dpi, dpi);
    image_->setPixmap(QPixmap::fromImage(picture));
    image_->resize(picture.size());
}

void PdfPreview::Print() {
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QFileInfo(files_.value(0)).completeBaseName());
    QPrintDialog dialog(&printer, this);
    dialog.setWindowTitle(QStringLiteral("Imprimer"));
    dialog.setMinMax(1, PageCount());
    if (dialog.exec() != QDialog::Accepted) return;
    QString error;
    int pages = 0;
    if (!PrintPdfFiles(files_, printer, &error, &pages))
        QMessageBox::warning(this, QStringLiteral("Imprimer"), error);
}

void PdfPreview::SaveAs() {
    const QString source = PageFile(current_);
    const QString target = AskSavePath(this, QStringLiteral("Enregistrer sous"), source,
                                       QStringLiteral("Documents PDF (*.pdf)"));
    if (target.isEmpty() || QFileInfo(target) == QFileInfo(source)) return;
    QFile::remove(target);
    if (!QFile::copy(source, target))
        QMessageBox::warning(
            this, QStringLiteral("Enregistrer sous"),
            QStringLiteral("Le fichier « %1 » n'a pas pu être écrit.").arg(target));
}

bool PrintPdfFiles(const QStringList& files, QPrinter& printer, QString* error, int* pages) {
    *pages = 0;
    QPainter painter;
    for (const QString& file : files) {
        auto doc = LoadPdf(file, error);
        if (!doc) return false;
        for (int i = 0; i < doc->numPages(); ++i) {
            if (*pages == 0) {
                if (!painter.begin(&printer)) {
                    *error = QStringLiteral("L'imprimante refuse le document.");
                    return false;
                }
            } else if (!printer.newPage()) {
                *error = QStringLiteral("L'imprimante a refusé la page %1.").arg(*pages + 1);
                return false;
            }
            std::unique_ptr<Poppler::Page> page = doc->page(i);
            const QImage picture = page->renderToImage(300, 300);
            const QRect target = painter.viewport();
            const QSize fitted = picture.size().scaled(target.size(), Qt::KeepAspectRatio);
            painter.drawImage(QRect(target.topLeft(), fitted), picture);
            ++*pages;
        }
    }
    if (*pages > 0) painter.end();
    return true;
}

QString AskSavePath(QWidget* parent, const QString& title, const QString& suggested,
                    const QString& filter) {
    QFileDialog dialog(parent, title, suggested, filter);
    dialog.setObjectName(QStringLiteral("enregistrer-sous"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.selectFile(suggested);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().front();
}

}  // namespace host::ui
