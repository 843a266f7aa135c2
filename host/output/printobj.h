// TOrvoPrintObj: the host's printer object. A report draws each page once (text at a
// column and line, rules, rectangles, bold) and the page goes to every destination set:
//   - a text file (".prt"): one line per report line, rules as '-' and '=' characters,
//     each page after the first starting with a form feed ("\f") on its first line;
//   - a PDF file: one PDF page per report page (this host's printer);
//   - a spreadsheet (.xlsx, automation output): each report line becomes a row, each text
//     goes to the column its character position falls in; no pages.
// Columns count characters (not bytes) from 0; lines count from 1.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "host/base/wintypes.h"

class TOrvoPrintObj {
  public:
    // parent and printer_dc are kept for the caller's sake (this host has no printer
    // device). font_kind 'C' is the fixed-pitch report font; landscape 'Y' makes the page
    // 132 columns wide, 'N' 80 (wider pages are drawn smaller); pitch and the margins are
    // accepted as given; text_file, when not null, receives the text pages.
    explicit TOrvoPrintObj(TWindow* parent = nullptr, void* printer_dc = nullptr,
                           char font_kind = 'C', char landscape = 'Y', int pitch = 10,
                           int left_margin = 0, int top_margin = 0, FILE* text_file = nullptr,
                           bool flag = false);
    // Closes the report if it is still open.
    ~TOrvoPrintObj();
    TOrvoPrintObj(const TOrvoPrintObj&) = delete;
    TOrvoPrintObj& operator=(const TOrvoPrintObj&) = delete;

    // --- Destinations, set before OVOpenReport ---
    // The text file (not owned; the caller closes it).
    void SetTextFile(FILE* file) { text_file_ = file; }
    // A PDF file (a report file name such as "arrpt.pdf" or an absolute path).
    void SetPdfFile(const std::string& name);
    // Automation output to a spreadsheet file: lines become rows, pages are not made.
    void SetSpreadsheetFile(const std::string& name);
    // Page size in columns and lines (defaults 132 or 80 by orientation, and 60).
    void SetPageSize(int columns, int lines);
    int Columns() const { return columns_; }
    int Lines() const { return lines_; }
    // Copies printed to the PDF (the text file and spreadsheet hold one).
    void SetCopies(int copies) { copies_ = copies < 1 ? 1 : copies; }
    // Character positions where the report's columns start; automation puts a text in the
    // column whose start is the last one at or before its position.
    void SetColumnStarts(std::vector<int> starts);

    // --- Drawing ---
    // Opens the report. With no destination set, the output is the PDF printer: a file in
    // the output folder named after document_name ("Aged AR" gives "aged_ar.pdf").
    bool OVOpenReport(const char* document_name = nullptr);
    bool IsOpen() const { return open_; }
    void OVTextPrint(int col, int line, const char* text);
    void OVTextPrint(int col, int line, const std::string& text);
    // A single or double rule on line from from_col to to_col inclusive.
    void OVDrawHorzLine(int from_col, int to_col, int line);
    void OVDrawDoubHLine(int from_col, int to_col, int line);
    // A box whose corners are the cells (col1, line1) and (col2, line2).
    void OVDrawRectangle(int col1, int line1, int col2, int line2);
    // Ends the current page; the next drawing goes on a new page.
    void OVPageBreak();
    // Text printed from now on is bold when bold is true. Every face prints with the
    // fixed-pitch report font; height and width are accepted as given.
    void OVSetFont(const char* face = "Courier New", int height = 0, int width = 0,
                   bool bold = false);
    void OVSetBold(bool bold) { bold_ = bold; }
    void OVResetFont() { bold_ = false; }
    // Ends the last page and finishes every destination; false when a file could not be
    // written (LastError() tells why).
    bool OVCloseReport();
    // Ends a cancelled report: the text file keeps the pages printed so far and a line
    // saying the report was interrupted; the PDF and spreadsheet are not produced.
    void OVAbortReport();

    // --- Automation output ---
    bool OVHasAutomation() const { return automation_; }
    // The next text starts a new row even on the same line.
    void OVAutomationNewRow();
    // A border under the current row.
    void OVAutomationDrawHorzLine();
    // Whether automation cuts a text at the column starts (the default). Titles and other
    // free lines are printed with cutting off, so that they stay in one cell.
    void SetCutAtColumns(bool cut) { cut_at_columns_ = cut; }

    // Pages finished so far (each page once, whatever the copies).
    int PageCount() const { return pages_; }
    const std::string& PdfPath() const { return pdf_path_; }
    const std::string& SpreadsheetPath() const { return sheet_path_; }
    const std::string& LastError() const { return error_; }

  private:
    struct AutoItem {
        int col;
        std::string text;
        bool bold;
    };
    struct AutoRow {
        std::vector<AutoItem> items;
        bool rule = false;
    };
    struct State;

    void EnsureOpen();
    void FlushPage();
    void AutomationText(int col, int line, const std::string& text);
    bool WriteSpreadsheet();

    FILE* text_file_;
    std::string pdf_path_;
    std::string sheet_path_;
    int columns_;
    int lines_ = 60;
    int copies_ = 1;
    std::vector<int> column_starts_;
    bool open_ = false;
    bool closed_ = false;
    bool automation_ = false;
    bool bold_ = false;
    bool cut_at_columns_ = true;
    int pages_ = 0;
    std::string title_;
    std::string error_;
    std::unique_ptr<State> state_;
    std::vector<AutoRow> rows_;
    int auto_line_ = 0;
};
