// OvReportObj: the paged report base. A report derives from it, overrides the operations
// below, and is run by PrintReport:
//
//   meter (GetMaxMeterCount, GetMeterTitle) at 0
//   OpenReport; more = InitialCriteria (the meter takes GetMaxMeterCount again)
//   while more and not stopped:
//       advance the meter (up to its maximum)
//       if MatchCriteria:
//           if page length <= current line + GetLineReq: PageBreak
//           n = PrintDetail(current line); n == -1 stops, else current line += n
//       more = ContinueCriteria; the meter's Cancel stops
//   completed: meter to its maximum, EndReport(current line); stopped: AbortReport
//
// No page is started before the first PageBreak: the current line starts at the page
// length, so the first detail starts page 1 (titles first). Reports draw through the
// printer object (Printer(), or the PrintText helpers) at a column and a line; lines
// count from 1, columns count characters from 0. Output goes where the printer object
// sends it: the ".prt" text file passed to the constructor, the PDF printer (output kind
// 0, the preview's kind 1 with one copy, or no text file), or spreadsheet rows
// (SetAutomation).
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "host/base/wintypes.h"
#include "host/output/printobj.h"

class LauncherInfo;

class OvReportObj {
  public:
    // code: 'C' for a fixed-pitch character report; show_meter: the progress window is
    // visible; flags: the report's own flag (Flags()); wide: 132 columns (else 80);
    // out: the open ".prt" file or null; close_file: the base closes out when destroyed;
    // page_numbers: the standard title shows "Page : n".
    OvReportObj(LauncherInfo* launcher, TWindow* parent, char code = 'C', bool show_meter = true,
                int flags = 0, bool wide = true, FILE* out = nullptr, bool close_file = false,
                bool page_numbers = true);
    virtual ~OvReportObj();
    OvReportObj(const OvReportObj&) = delete;
    OvReportObj& operator=(const OvReportObj&) = delete;

    // --- Virtual operations, in table order ---
    // Ends a stopped run: the printer keeps the text printed so far and drops the rest.
    virtual void AbortReport();
    // Runs the paging loop above; true when the run completed, false when it stopped.
    virtual bool PrintReport();
    // Prepares the output (SetColumns, then the printer is opened); false stops the run.
    virtual bool OpenReport();
    // Ends a completed run at `line`: starts a page if none was, then closes the printer.
    virtual bool EndReport(int line);
    // Sets the report's column starts (SetColumnStarts); the base sets none.
    virtual void SetColumns();
    // Ends the current page (if one is started), counts the page and prints the titles;
    // the current line becomes the line after them.
    virtual void PageBreak();
    // Prints the page heading from `line` (date, titles centred, page number, time), then
    // PrintSubTitle; returns the next free line.
    virtual int PrintTitle(int line);
    // Gathers or opens the data; false when there is nothing to print.
    virtual bool InitialCriteria();
    // True when the current item is to be printed.
    virtual bool MatchCriteria();
    // Moves to the next item; false at the end.
    virtual bool ContinueCriteria();
    // Prints the current item from `line`; returns the lines used, or -1 to stop the run.
    virtual int PrintDetail(int line);
    // Lines per page (page length); 0 or less restores 60.
    virtual void SetRowPerPage(int n);
    // Columns per page (width used to centre titles); 0 or less restores the default.
    virtual void SetColPerPage(int n);
    // Prints the column headings from `line`; returns the next free line (base: none).
    virtual int PrintSubTitle(int line);
    // Lines the next detail needs on the page (base: 1).
    virtual int GetLineReq();
    // Number of title lines GetTitleStr provides (base: 3).
    virtual int GetTitleLNum();
    // Number of the first page (base: 1).
    virtual int GetStartPageNo();
    // The meter's maximum (base: 100).
    virtual long GetMaxMeterCount();
    // Title line i, from 0 (base: empty).
    virtual std::string GetTitleStr(int i);
    // The meter's title (base: title line 0).
    virtual std::string GetMeterTitle();
    // Columns of the automation output (base: the number of column starts).
    virtual int GetColsNum();

    // --- Output settings ---
    // Output kind of the run (0 printer, 1 preview, 2 export to file, 3 and above text
    // file). With on true and kind 2, lines go to spreadsheet columns ("<name>.xlsx" in
    // the output folder) instead of pages; kinds 0 and 1 also print to the PDF printer.
    void SetAutomation(int output_choice, bool on);
    bool HasAutomation() const { return automation_; }
    int OutputChoice() const { return output_choice_; }
    // Copies printed to the PDF printer (at least 1).
    void SetCopies(int copies) { copies_ = copies < 1 ? 1 : copies; }
    int GetCopies() const { return copies_; }
    // Prints this report into previous's printer, after its pages, as one document: the
    // first page break ends previous's last page. Call before PrintReport, while previous
    // is still open; previous's EndReport closes the document.
    void ContinueOn(OvReportObj& previous);
    // Name of the PDF or spreadsheet file (without extension). Default: the ".prt" file's
    // name, else a name made from title line 0.
    void SetDocumentName(const std::string& name) { document_name_ = name; }
    int GetRowPerPage() const { return rows_per_page_; }
    int GetColPerPage() const { return cols_per_page_; }

    // --- State of the run ---
    int GetPageNumber() const { return page_; }
    int GetCurLine() const { return cur_line_; }
    void SetCurLine(int line) { cur_line_ = line; }
    bool PageStarted() const { return page_started_; }
    // True when the run stopped (Cancel or a detail's -1).
    bool ReportCanceled() const { return canceled_; }

    // --- Helpers for report writers ---
    TOrvoPrintObj* Printer() { return printer_.get(); }
    LauncherInfo* Launcher() const { return launcher_; }
    TWindow* Parent() const { return parent_; }
    FILE* OutFile() const { return out_; }
    int Flags() const { return flags_; }
    // Text at (col, line); widths count characters.
    void PrintText(int col, int line, const std::string& text, bool bold = false);
    // A free line (a title, a note) that spreadsheet output keeps in one cell instead of
    // cutting it at the column starts.
    void PrintLine(int col, int line, const std::string& text, bool bold = false);
    // printf-style text at (col, line); %-20.20s and the like count characters.
    void PrintFormat(int col, int line, const char* fmt, ...) __attribute__((format(printf, 4, 5)));
    // A rule on line from from_col to to_col (-1: the page width).
    void PrintRule(int line, int from_col = 0, int to_col = -1, bool double_line = false);
    // Column starts for SetColumns overrides (also the spreadsheet columns).
    void SetColumnStarts(std::vector<int> starts);
    const std::vector<int>& ColumnStarts() const { return column_starts_; }
    // The page length the loop uses (unbounded under automation).
    int PageLength() const;

  private:
    std::string DocumentName();

    LauncherInfo* launcher_;
    TWindow* parent_;
    bool show_meter_;
    int flags_;
    FILE* out_;
    bool close_file_;
    bool page_numbers_;
    std::shared_ptr<TOrvoPrintObj> printer_;
    bool continuing_ = false;  // prints into another report's open printer
    std::vector<int> column_starts_;
    std::string document_name_;
    int rows_per_page_ = 60;
    int cols_per_page_;
    int default_cols_;
    int copies_ = 1;
    int output_choice_ = -1;
    bool automation_ = false;
    int page_ = 0;
    int cur_line_ = 0;
    bool page_started_ = false;
    bool canceled_ = false;
};
