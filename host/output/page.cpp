#include "host/output/page.h"

#include <algorithm>
#include <climits>

#include "host/base/text.h"

namespace host::output {

namespace {

// Columns of a wide printed page.
constexpr size_t kTypicalWidth = 136;

}  // namespace

std::vector<std::string> SplitChars(std::string_view text) {
    std::vector<std::string> out;
    for (size_t i = 0; i < text.size();) {
        const size_t len = host::U8CharLen(text, i);
        out.emplace_back(text.substr(i, len));
        i += len;
    }
    return out;
}

PageModel::Line& PageModel::At(int line) {
    auto it = std::lower_bound(lines_.begin(), lines_.end(), line,
                               [](const Line& l, int n) { return l.number < n; });
    if (it == lines_.end() || it->number != line) {
        it = lines_.insert(it, Line{line, {}});
        it->cells.reserve(kTypicalWidth);  // one allocation for most printed lines
    }
    return *it;
}

const PageModel::Line* PageModel::Find(int line) const {
    auto it = std::lower_bound(lines_.begin(), lines_.end(), line,
                               [](const Line& l, int n) { return l.number < n; });
    return it != lines_.end() && it->number == line ? &*it : nullptr;
}

void PageModel::PutText(int col, int line, std::string_view text, bool bold) {
    int c = col;
    Line* l = nullptr;  // the line written to, looked up once per line of the text
    for (size_t i = 0; i < text.size();) {
        const size_t len = host::U8CharLen(text, i);
        const auto first = static_cast<unsigned char>(text[i]);
        const std::string_view ch = text.substr(i, len);
        i += len;
        if (first == '\r') continue;
        if (first == '\n') {
            ++line;
            c = col;
            l = nullptr;
            continue;
        }
        const bool blank = first == ' ' || first == '\t';
        if (!blank && (first < 0x20 || first == 0x7F)) continue;
        if (c >= 0) {
            Cell cell;
            cell.bold = bold;
            if (!blank && len == 1 && first >= 0x80) {
                // A byte that is not UTF-8 is read as Latin-1: a stray byte from the data
                // never spoils a file or stops the PDF.
                cell.bytes[0] = static_cast<char>(0xC0 | (first >> 6));
                cell.bytes[1] = static_cast<char>(0x80 | (first & 0x3F));
                cell.len = 2;
            } else if (!blank) {
                std::copy(ch.begin(), ch.end(), cell.bytes);
                cell.len = static_cast<unsigned char>(len);
            }
            if (!l) l = &At(line);
            const auto at = static_cast<size_t>(c);
            if (at < l->cells.size()) {
                l->cells[at] = cell;
            } else {
                l->cells.resize(at);
                l->cells.push_back(cell);
            }
        }
        ++c;
    }
}

void PageModel::AddRule(int from_col, int to_col, int line, bool double_line) {
    if (from_col > to_col) std::swap(from_col, to_col);
    rules_.push_back(Rule{std::max(from_col, 0), std::max(to_col, 0), line, double_line});
}

void PageModel::AddRect(int col1, int line1, int col2, int line2) {
    if (col1 > col2) std::swap(col1, col2);
    if (line1 > line2) std::swap(line1, line2);
    rects_.push_back(Rect{std::max(col1, 0), line1, std::max(col2, 0), line2});
}

void PageModel::Clear() {
    lines_.clear();
    rules_.clear();
    rects_.clear();
}

int PageModel::FirstLine() const {
    int first = INT_MAX;
    if (!lines_.empty()) first = lines_.front().number;
    for (const Rule& r : rules_)
        first = std::min(first, r.line);
    for (const Rect& r : rects_)
        first = std::min(first, r.line1);
    return first == INT_MAX ? 1 : first;
}

int PageModel::LastLine() const {
    int last = INT_MIN;
    if (!lines_.empty()) last = lines_.back().number;
    for (const Rule& r : rules_)
        last = std::max(last, r.line);
    for (const Rect& r : rects_)
        last = std::max(last, r.line2);
    return last == INT_MIN ? 0 : last;
}

int PageModel::Width() const {
    int width = 0;
    for (const Line& l : lines_)
        width = std::max(width, static_cast<int>(l.cells.size()));
    for (const Rule& r : rules_)
        width = std::max(width, r.to_col + 1);
    for (const Rect& r : rects_)
        width = std::max(width, r.col2 + 1);
    return width;
}

std::string PageModel::LineText(int line) const {
    const Line* l = Find(line);
    if (!l) return {};
    std::string out;
    for (const Cell& c : l->cells)
        out += c.len ? c.ch() : " ";
    return host::TrimRight(out);
}

std::vector<std::string> PageModel::TextLines() const {
    const int first = std::min(1, FirstLine());
    const int last = LastLine();
    if (last < first) return {};
    // Character grid of the used lines (views of the cells, empty for a blank), then
    // the rules and borders in the blank cells.
    std::vector<std::vector<std::string_view>> grid(static_cast<size_t>(last - first + 1));
    for (const Line& l : lines_) {
        auto& row = grid[static_cast<size_t>(l.number - first)];
        row.reserve(l.cells.size());
        for (const Cell& c : l.cells)
            row.push_back(c.ch());
    }
    auto fill = [&](int col, int line, std::string_view ch) {
        auto& row = grid[static_cast<size_t>(line - first)];
        if (static_cast<int>(row.size()) <= col) row.resize(col + 1);
        if (row[col].empty()) row[col] = ch;
    };
    for (const Rule& r : rules_)
        for (int c = r.from_col; c <= r.to_col; ++c)
            fill(c, r.line, r.double_line ? "=" : "-");
    for (const Rect& r : rects_) {
        for (int c = r.col1 + 1; c < r.col2; ++c) {
            fill(c, r.line1, "-");
            fill(c, r.line2, "-");
        }
        for (int l = r.line1 + 1; l < r.line2; ++l) {
            fill(r.col1, l, "|");
            fill(r.col2, l, "|");
        }
        for (int l : {r.line1, r.line2}) {
            fill(r.col1, l, "+");
            fill(r.col2, l, "+");
        }
    }
    std::vector<std::string> out;
    out.reserve(last - first + 1);
    for (int n = first; n <= last; ++n) {
        const auto& row = grid[static_cast<size_t>(n - first)];
        std::string text;
        text.reserve(row.size());
        for (std::string_view ch : row)
            text += ch.empty() ? " " : ch;
        out.push_back(host::TrimRight(text));
    }
    return out;
}

std::vector<PageModel::Run> PageModel::Runs() const {
    // A run goes on through blanks (so that a PDF reader finds the words of a line in
    // one piece) and ends where the weight changes.
    std::vector<Run> runs;
    for (const Line& l : lines_) {
        Run run{0, l.number, false, {}};
        auto flush = [&] {
            run.text = host::TrimRight(run.text);
            if (!run.text.empty()) runs.push_back(run);
            run.text.clear();
        };
        for (int c = 0; c < static_cast<int>(l.cells.size()); ++c) {
            const Cell& cell = l.cells[c];
            if (!cell.len) {
                if (!run.text.empty()) run.text += ' ';
                continue;
            }
            if (!run.text.empty() && cell.bold != run.bold) flush();
            if (run.text.empty()) {
                run.col = c;
                run.bold = cell.bold;
            }
            run.text += cell.ch();
        }
        flush();
    }
    return runs;
}

}  // namespace host::output
