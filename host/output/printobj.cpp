#include "host/output/printobj.h"

#include <algorithm>
#include <filesystem>

#include "host/base/debuglog.h"
#include "host/base/strings.h"
#include "host/base/text.h"
#include "host/output/page.h"
#include "host/output/paths.h"
#include "host/output/pdf.h"
#include "host/output/sheet.h"

namespace {
// "*** Rapport interrompu par l'utilisateur ***"
constexpr int kStrInterrupted = 7900;
}  // namespace

struct TOrvoPrintObj::State {
    host::output::PageModel page;
    host::output::PdfWriter pdf;
    std::vector<host::output::PageModel> kept;  // pages to print again for the copies
    bool page_dirty = false;
    bool text_started = false;
};

TOrvoPrintObj::TOrvoPrintObj(TWindow*, void*, char, char landscape, int, int, int, FILE* text_file,
                             bool)
    : text_file_(text_file), columns_(landscape == 'N' ? 80 : 132) {}

TOrvoPrintObj::~TOrvoPrintObj() {
    if (open_) OVCloseReport();
}

void TOrvoPrintObj::SetPdfFile(const std::string& name) {
    pdf_path_ = name.empty() ? std::string() : host::output::OutputPath(name);
}

void TOrvoPrintObj::SetSpreadsheetFile(const std::string& name) {
    sheet_path_ = name.empty() ? std::string() : host::output::OutputPath(name);
    automation_ = !sheet_path_.empty();
}

void TOrvoPrintObj::SetPageSize(int columns, int lines) {
    if (columns > 0) columns_ = columns;
    if (lines > 0) lines_ = lines;
}

void TOrvoPrintObj::SetColumnStarts(std::vector<int> starts) {
    std::sort(starts.begin(), starts.end());
    starts.erase(std::unique(starts.begin(), starts.end()), starts.end());
    column_starts_ = std::move(starts);
}

bool TOrvoPrintObj::OVOpenReport(const char* document_name) {
    if (open_) return true;
    title_ = document_name && *document_name ? document_name : "rapport";
    if (!text_file_ && pdf_path_.empty() && !automation_)
        pdf_path_ = host::output::OutputPath(host::output::FileStem(title_) + ".pdf");
    state_ = std::make_unique<State>();
    state_->text_started = text_file_ && std::ftell(text_file_) > 0;
    open_ = true;
    closed_ = false;
    pages_ = 0;
    rows_.clear();
    auto_line_ = 0;
    error_.clear();
    return true;
}

void TOrvoPrintObj::EnsureOpen() {
    if (!open_ && !closed_) OVOpenReport(nullptr);
}

void TOrvoPrintObj::OVTextPrint(int col, int line, const char* text) {
    OVTextPrint(col, line, std::string(text ? text : ""));
}

void TOrvoPrintObj::OVTextPrint(int col, int line, const std::string& text) {
    EnsureOpen();
    if (!open_) return;
    if (automation_) {
        AutomationText(col, line, text);
        return;
    }
    state_->page.PutText(col, line, text, bold_);
    state_->page_dirty = true;
}

void TOrvoPrintObj::OVDrawHorzLine(int from_col, int to_col, int line) {
    EnsureOpen();
    if (!open_ || automation_) return;
    state_->page.AddRule(from_col, to_col, line, false);
    state_->page_dirty = true;
}

void TOrvoPrintObj::OVDrawDoubHLine(int from_col, int to_col, int line) {
    EnsureOpen();
    if (!open_ || automation_) return;
    state_->page.AddRule(from_col, to_col, line, true);
    state_->page_dirty = true;
}

void TOrvoPrintObj::OVDrawRectangle(int col1, int line1, int col2, int line2) {
    EnsureOpen();
    if (!open_ || automation_) return;
    state_->page.AddRect(col1, line1, col2, line2);
    state_->page_dirty = true;
}

void TOrvoPrintObj::OVSetFont(const char*, int, int, bool bold) {
    bold_ = bold;
}

void TOrvoPrintObj::OVPageBreak() {
    EnsureOpen();
    if (!open_ || automation_) return;
    FlushPage();
}

// Sends the current page to the text file and the PDF, and starts a new one.
void TOrvoPrintObj::FlushPage() {
    State& s = *state_;
    if (text_file_) {
        const std::vector<std::string> lines = s.page.TextLines();
        if (s.text_started) std::fputc('\f', text_file_);
        if (lines.empty() && s.text_started) std::fputc('\n', text_file_);
        for (const std::string& l : lines) {
            std::fputs(l.c_str(), text_file_);
            std::fputc('\n', text_file_);
        }
        s.text_started = true;
        std::fflush(text_file_);
    }
    if (!pdf_path_.empty() && error_.empty()) {
        if (!s.pdf.IsOpen()) {
            const int width = std::max(columns_, s.page.Width());
            if (!s.pdf.Open(pdf_path_, width, lines_, title_, &error_))
                WriteDebugLogFile("TOrvoPrintObj: %s", error_.c_str());
        }
        if (s.pdf.IsOpen()) {
            s.pdf.AddPage(s.page);
            if (copies_ > 1) s.kept.push_back(s.page);
        }
    }
    ++pages_;
    s.page.Clear();
    s.page_dirty = false;
}

bool TOrvoPrintObj::OVCloseReport() {
    if (!open_) return false;
    State& s = *state_;
    bool ok = true;
    if (automation_) {
        ok = WriteSpreadsheet();
    } else {
        // The last page, or an empty one when the report printed nothing at all.
        if (s.page_dirty || pages_ == 0) FlushPage();
        if (s.pdf.IsOpen()) {
            for (int copy = 1; copy < copies_; ++copy)
                for (const host::output::PageModel& page : s.kept)
                    s.pdf.AddPage(page);
            std::string error;
            if (!s.pdf.Close(&error)) error_ = error;
        }
        ok = error_.empty();
    }
    if (!ok) WriteDebugLogFile("TOrvoPrintObj: %s", error_.c_str());
    state_.reset();
    open_ = false;
    closed_ = true;
    return ok;
}

void TOrvoPrintObj::OVAbortReport() {
    if (!open_) return;
    State& s = *state_;
    if (!automation_ && text_file_) {
        const int line = std::max(s.page.LastLine() + 2, 1);
        s.page.PutText(0, line, host::LoadText(kStrInterrupted), false);
        s.page_dirty = true;
        // Only the text file gets this last page.
        const std::string pdf = pdf_path_;
        pdf_path_.clear();
        FlushPage();
        pdf_path_ = pdf;
    }
    if (s.pdf.IsOpen()) s.pdf.Discard();
    state_.reset();
    rows_.clear();
    open_ = false;
    closed_ = true;
}

// --- Automation ---

// A text goes to the row of its line; with column starts it is cut at them, so that a
// whole printed line ("%-28.28s%14s") fills its columns.
void TOrvoPrintObj::AutomationText(int col, int line, const std::string& text) {
    if (rows_.empty() || (line != auto_line_ && !rows_.back().items.empty())) rows_.emplace_back();
    auto_line_ = line;
    if (column_starts_.empty() || !cut_at_columns_) {
        rows_.back().items.push_back(AutoItem{col, text, bold_});
        return;
    }
    int piece_col = col;
    std::string piece;
    int pos = col;
    for (const std::string& ch : host::output::SplitChars(text)) {
        if (pos != piece_col &&
            std::binary_search(column_starts_.begin(), column_starts_.end(), pos)) {
            rows_.back().items.push_back(AutoItem{piece_col, piece, bold_});
            piece.clear();
            piece_col = pos;
        }
        piece += ch;
        ++pos;
    }
    rows_.back().items.push_back(AutoItem{piece_col, piece, bold_});
}

void TOrvoPrintObj::OVAutomationNewRow() {
    EnsureOpen();
    if (!automation_) return;
    if (rows_.empty() || !rows_.back().items.empty()) rows_.emplace_back();
}

void TOrvoPrintObj::OVAutomationDrawHorzLine() {
    EnsureOpen();
    if (!automation_ || rows_.empty()) return;
    rows_.back().rule = true;
}

bool TOrvoPrintObj::WriteSpreadsheet() {
    using host::output::SheetWriter;
    std::vector<SheetWriter::Row> rows;
    rows.reserve(rows_.size());
    for (AutoRow& ar : rows_) {
        std::stable_sort(ar.items.begin(), ar.items.end(),
                         [](const AutoItem& a, const AutoItem& b) { return a.col < b.col; });
        SheetWriter::Row row;
        row.rule_below = ar.rule;
        for (size_t i = 0; i < ar.items.size(); ++i) {
            const AutoItem& item = ar.items[i];
            const std::string text = host::Trim(item.text);
            size_t index = i;
            if (!column_starts_.empty()) {
                auto it = std::upper_bound(column_starts_.begin(), column_starts_.end(), item.col);
                index = it == column_starts_.begin() ? 0 : it - column_starts_.begin() - 1;
            }
            if (row.cells.size() <= index) row.cells.resize(index + 1);
            SheetWriter::Cell& cell = row.cells[index];
            if (!cell.text.empty() && !text.empty()) cell.text += ' ';
            cell.text += text;
            cell.bold = cell.bold || item.bold;
        }
        rows.push_back(std::move(row));
    }
    // Widths from the column starts (the last column keeps the default).
    std::vector<int> widths;
    for (size_t i = 0; i + 1 < column_starts_.size(); ++i)
        widths.push_back(column_starts_[i + 1] - column_starts_[i]);
    std::string error;
    if (!SheetWriter::Write(sheet_path_, "Rapport", rows, widths, &error)) {
        error_ = error;
        return false;
    }
    return true;
}
