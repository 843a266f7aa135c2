// The preview window of printed reports: the PDF pages a report wrote (the same files the
// printer gets), one page at a time with zoom and page navigation, "Imprimer" through the
// system's print dialog and "Enregistrer sous" to copy the shown document elsewhere. The
// pages are drawn by poppler, the engine that also reads the reports' text back in tests.
#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

class QComboBox;
class QLabel;
class QPrinter;
class QScrollArea;
class QSpinBox;

namespace Poppler {
class Document;
}

namespace host::ui {

class PdfPreview final : public QDialog {
    Q_OBJECT

  public:
    // files: the PDF documents, shown one after the other as one run of pages.
    PdfPreview(QWidget* parent, const QString& title, const QStringList& files);
    ~PdfPreview() override;

    // False when no file could be read (Error() says which and why).
    bool IsValid() const { return !pages_.empty(); }
    const QString& Error() const { return error_; }
    int PageCount() const { return static_cast<int>(pages_.size()); }
    // The text of a page (0-based), as poppler reads it.
    QString PageText(int page) const;
    // The document a page belongs to.
    QString PageFile(int page) const;
    int CurrentPage() const { return current_; }
    void ShowPage(int page);
    // Zoom in percent of the page's natural size (72 dpi scaled to the screen).
    void SetZoom(int percent);
    int Zoom() const { return zoom_; }

    // The print dialog, then every page to the printer chosen.
    void Print();
    // Copies the current page's document to a file the user chooses.
    void SaveAs();

  private:
    struct PageRef {
        int document;
        int index;
    };
    void Render();

    std::vector<std::unique_ptr<Poppler::Document>> documents_;
    QStringList files_;
    std::vector<PageRef> pages_;
    QString error_;
    int current_ = 0;
    int zoom_ = 100;
    QScrollArea* scroll_ = nullptr;
    QLabel* image_ = nullptr;
    QSpinBox* page_box_ = nullptr;
    QLabel* page_total_ = nullptr;
    QComboBox* zoom_box_ = nullptr;
};

// Prints every page of the files to printer, each page scaled to fit the printer's page;
// false with *error when a file cannot be read or the printer refuses. Returns the pages
// printed in *pages.
bool PrintPdfFiles(const QStringList& files, QPrinter& printer, QString* error, int* pages);

// A save dialog (not the platform's, so that it behaves the same everywhere): the path
// chosen, or "" when the user cancelled.
QString AskSavePath(QWidget* parent, const QString& title, const QString& suggested,
                    const QString& filter);

}  // namespace host::ui
