// One printed page as a grid of characters: text placed at (column, line), rules and
// rectangles. Every destination of a report draws from it: the text file (rules become
// '-' and '=' characters), the PDF (rules become drawn lines) and the spreadsheet rows.
// Columns count characters from 0; lines count from 1.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace host::output {

class PageModel {
  public:
    // One UTF-8 character held in place (no allocation per cell); len 0 is a blank.
    struct Cell {
        char bytes[4] = {};
        unsigned char len = 0;
        bool bold = false;
        std::string_view ch() const { return {bytes, len}; }
    };
    struct Rule {
        int from_col, to_col, line;
        bool double_line;
    };
    struct Rect {
        int col1, line1, col2, line2;
    };
    // A run of characters of one weight on one line, for drawing.
    struct Run {
        int col, line;
        bool bold;
        std::string text;
    };

    // Writes text from col on line, one cell per character, over what was there. Tabs
    // become blanks, other control characters are dropped; a line break inside the text
    // continues at col on the next line; bytes that are not UTF-8 are read as Latin-1.
    // Negative columns are cut off.
    void PutText(int col, int line, std::string_view text, bool bold);
    // A rule on line from from_col to to_col (inclusive, in either order).
    void AddRule(int from_col, int to_col, int line, bool double_line);
    void AddRect(int col1, int line1, int col2, int line2);
    void Clear();

    bool Empty() const { return lines_.empty() && rules_.empty() && rects_.empty(); }
    // First and last line used by anything (1 and 0 for an empty page).
    int FirstLine() const;
    int LastLine() const;
    // Columns used by anything (one past the rightmost).
    int Width() const;

    // The page as text lines, from line min(1, FirstLine()) to LastLine(). Rules and
    // rectangle borders fill only blank cells, so they never hide text. Trailing blanks
    // are removed.
    std::vector<std::string> TextLines() const;
    // The text of one line (text only, no rules), trailing blanks removed.
    std::string LineText(int line) const;
    // Text runs in line order, blanks excluded.
    std::vector<Run> Runs() const;
    const std::vector<Rule>& rules() const { return rules_; }
    const std::vector<Rect>& rects() const { return rects_; }

  private:
    struct Line {
        int number;
        std::vector<Cell> cells;
    };
    Line& At(int line);
    const Line* Find(int line) const;

    std::vector<Line> lines_;  // sorted by number
    std::vector<Rule> rules_;
    std::vector<Rect> rects_;
};

// Splits text into UTF-8 characters (an invalid byte is one character).
std::vector<std::string> SplitChars(std::string_view text);

}  // namespace host::output
