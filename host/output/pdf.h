// PDF output of pages: one PDF page per page model, text in a monospaced font (DejaVu Sans
// Mono, the "Courier New" look of the reports) on a grid of character cells, rules and
// rectangles drawn as lines. Letter paper, landscape when a page is wider than 100
// columns.
#pragma once

#include <memory>
#include <string>

#include "host/output/page.h"

namespace host::output {

class PdfWriter {
  public:
    PdfWriter();
    ~PdfWriter();
    PdfWriter(const PdfWriter&) = delete;
    PdfWriter& operator=(const PdfWriter&) = delete;

    // Creates the file for pages of `columns` by `lines` cells; a page that uses more is
    // drawn smaller to fit. False with *error when the file cannot be created.
    bool Open(const std::string& path, int columns, int lines, const std::string& title,
              std::string* error);
    bool IsOpen() const;
    void AddPage(const PageModel& page);
    // Finishes the file; false with *error when it could not be written.
    bool Close(std::string* error);
    // Abandons the file and removes it.
    void Discard();
    int Pages() const { return pages_; }
    const std::string& Path() const { return path_; }

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
    std::string path_;
    int columns_ = 132;
    int lines_ = 60;
    int pages_ = 0;
};

}  // namespace host::output
