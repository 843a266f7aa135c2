// Printing of text report files (".prt") to PDF, page for page. Pages are separated by a
// form feed ("\f", the report files of this host) or by a line beginning with
// "@OV.Page.Break@" (the receivable check's file). Bytes that are not UTF-8 are read as
// Latin-1.
#pragma once

#include <string>
#include <vector>

namespace host::output {

using TextPage = std::vector<std::string>;

// Splits a text file into pages; false with *error when it cannot be read. A form feed
// that ends the file does not make an empty last page.
bool ReadTextPages(const std::string& path, std::vector<TextPage>* pages, std::string* error);

// Writes the pages of text_path to pdf_path; *pages (when not null) receives their number.
bool PrintTextFileToPdf(const std::string& text_path, const std::string& pdf_path,
                        std::string* error, int* pages = nullptr);

}  // namespace host::output
