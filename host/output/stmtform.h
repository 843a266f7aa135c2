// The host's printed forms. GenForm places text on sheets of a fixed grid of character
// cells and writes them to a PDF file through PdfWriter. StatementForm lays out an account
// statement on the statement stationery (80 columns): a header (practice, statement date,
// account number), a middle section (the account's name and address), detail lines (the
// account's open transactions, seven columns) and a footer (aged amounts and balance).
//
// A statement takes one form; detail lines beyond MaxDetailLines continue on the next
// form. A single form takes a sheet of 66 lines with its header on row 7; stacked forms put
// three statements on a sheet of 129 lines, at row offsets 0, 43 and 86, each header two
// rows below its offset. Rows count from 1, columns from 0.
//
// The form reads nothing itself: its user hands it the practice, the account and the
// account's transactions (SetPractice, SetAccount) before PrintForm.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/base/wintypes.h"
#include "host/output/page.h"

namespace host::output {
class PdfWriter;
}

// The options of a statement run.
struct MSFormInfo {
    long stmt_date = 0;  // statement date: the aging's as-of date
    long period_from = 0, period_to = 0;
    std::string from_name, to_name;  // last-name range (empty: no bound)
    bool stacked = false;            // three forms per sheet
    bool single_form = false;        // alignment: one form instead of three
    std::string pdf_file;            // output file ("etats.pdf", under the output folder)
    // Filled by the run: statements printed and the sum of their balances.
    long count = 0;
    int64_t total = 0;
};

// One transaction of a statement. kind: 'C' charge, 'R' credit (money not applied to a
// charge), 'A' an alignment line.
struct StmtTrx {
    char kind = 'C';
    long date = 0;
    std::string patient;
    std::string code;
    std::string description;
    int64_t charge = 0;  // the charge's amount
    int64_t paid = 0;    // what was applied to it, or the credit
    int64_t owed = 0;    // what remains: charge - paid, or minus the credit
};

struct StmtAccount {
    long acc_id = 0;
    std::string pname, lname;
    std::string addr1, addr2, city, prov, postal, phone;
    std::vector<StmtTrx> trx;
    // Aged amounts: current, 31-60, 61-90, over 90, total of the four, future.
    int64_t aged[6] = {};
    int64_t balance = 0;  // total + future
};

struct StmtPractice {
    std::string name, addr1, city_line, phone;
};

class GenForm {
  public:
    GenForm(TWindow* parent, void* printer_dc);
    virtual ~GenForm();
    GenForm(const GenForm&) = delete;
    GenForm& operator=(const GenForm&) = delete;

    // Opens the PDF file (a report file name or an absolute path) for sheets of
    // columns x lines; false with LastError() set when it cannot be created.
    bool OpenForm(const std::string& file, int columns, int lines);
    // Ends the last sheet and writes the file.
    bool CloseForm();
    // Drops the file.
    void AbortForm();
    bool IsOpen() const { return pdf_ != nullptr; }

    // Text at (col, row) of the current sheet; starts the sheet when none is.
    void PutText(int col, int row, const std::string& text);
    // Ends the current sheet; the next text starts a new one.
    void NewSheet();

    int SheetCount() const { return sheets_; }
    const std::string& PdfPath() const { return path_; }
    const std::string& LastError() const { return error_; }
    // Keeps every sheet's text lines (tests and the text form of a run).
    void KeepText(bool on) { keep_text_ = on; }
    const std::vector<std::vector<std::string>>& SheetText() const { return text_; }

  protected:
    TWindow* parent_;
    void* dc_;

  private:
    std::unique_ptr<host::output::PdfWriter> pdf_;
    host::output::PageModel page_;
    bool started_ = false;
    bool keep_text_ = false;
    int sheets_ = 0;
    std::string path_, error_;
    std::vector<std::vector<std::string>> text_;
};

class StatementForm : public GenForm {
  public:
    StatementForm(TWindow* parent, void* printer_dc, const MSFormInfo& info);

    void SetPractice(const StmtPractice& p) { practice_ = p; }
    void SetAccount(const StmtAccount& a) { account_ = a; }
    const StmtAccount& Account() const { return account_; }

    // --- Virtual operations, in slot order ---
    // Starts the next form: a new sheet (the first form starts the first sheet).
    virtual void PageBreak();
    // The detail lines of the account's transactions, by date: with_future keeps those
    // dated after the statement date, open_only leaves out what owes nothing.
    virtual bool LoadTrxInfo(bool with_future, bool open_only);
    // Prints the account's statement: LoadTrxInfo(true, true), then header, middle section,
    // detail lines and footer, on as many forms as the detail lines need.
    virtual bool PrintForm();
    virtual void PrintHeader();
    virtual void PrintMiddleSection();
    // Prints the detail lines from `first`; returns the index of the first one not printed.
    virtual size_t PrintDetailLines(size_t first);
    // last: the form ends the statement (aged amounts), else "continued".
    virtual void PrintFooter(bool last);
    virtual void AdditionalMiddleInfo() {}
    virtual void AdditionalHeaderInfo() {}
    virtual void AdditionalDetailInfo() {}
    virtual void AdditionalFooterInfo() {}
    // The form's kind letter ("G" a general form).
    virtual std::string GetFormtype() { return "G"; }
    virtual int StartColOfDetail(int col);
    virtual int StartRowOfDetail();
    virtual int StartColOfHeader();
    virtual int StartRowOfHeader();
    virtual int StartColOfMiddle();
    virtual int StartRowOfMiddle();
    virtual int StartColOfFooter();
    virtual int StartRowOfFooter();
    virtual int MaxDetailLines();
    // The text of column col (1..GetDetailColNum()) of detail line `line`.
    virtual void MakeDetailLineCol(int col, size_t line, std::string* text);
    virtual int GetDetailColNum() { return 7; }
    // This host prints every form itself.
    virtual bool CreateViaCrystalReport() { return false; }
    virtual bool ExtraProcessing() { return true; }
    // Columns: date, patient, code, description, charge, paid, owed.
    virtual void MakeDetailLineCol1(size_t line, std::string* text);
    virtual void MakeDetailLineCol2(size_t line, std::string* text);
    virtual void MakeDetailLineCol3(size_t line, std::string* text);
    virtual void MakeDetailLineCol4(size_t line, std::string* text);
    virtual void MakeDetailLineCol5(size_t line, std::string* text);
    virtual void MakeDetailLineCol6(size_t line, std::string* text);
    virtual void MakeDetailLineCol7(size_t line, std::string* text);

    // Sheet size for these options.
    int SheetLines() const { return info_.stacked ? 3 * kFormLines : kSingleLines; }
    static constexpr int kColumns = 80;
    static constexpr int kFormLines = 43;
    static constexpr int kSingleLines = 66;
    // Width of each detail column.
    static int DetailWidth(int col);

  protected:
    // Text at a form position (rows relative to the sheet).
    void Put(int col, int row, const std::string& text) { PutText(col, row, text); }
    MSFormInfo info_;
    StmtPractice practice_;
    StmtAccount account_;
    std::vector<StmtTrx> lines_;  // the detail lines of the current statement
    int forms_ = 0;               // forms begun so far
};
