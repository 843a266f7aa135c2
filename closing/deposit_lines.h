// Pages laid out before they are printed: the deposit reports compose their lines (text at
// columns, rules) first, then this paging object prints them, starting a new page where a
// line asks for one and keeping short blocks together.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "host/output/ovreport.h"

namespace deposit {

struct Cell {
    int col = 0;
    std::string text;  // printed as is; a rule when `rule_to` > col
    bool bold = false;
    int rule_to = 0;
};

struct Line {
    size_t part = 0;        // the bank (or part) whose heading the page carries
    bool new_page = false;  // starts a page of its own
    int keep = 1;           // this line and the next keep - 1 on one page
    std::vector<Cell> cells;
};

// Builds lines: Add returns the new line for its cells.
class LineBuilder {
  public:
    Line& Add(size_t part, bool new_page = false, int keep = 1);
    void Blank(size_t part) { Add(part); }
    Line& Text(int col, const std::string& text, bool bold = false);  // on the last line
    Line& Rule(int from, int to);                                     // on the last line
    std::vector<Line> Take() { return std::move(lines_); }

  private:
    std::vector<Line> lines_;
};

class DepositLinesObj : public OvReportObj {
  public:
    DepositLinesObj(LauncherInfo* launcher, TWindow* parent, bool show_meter, FILE* out, bool wide,
                    bool page_numbers = false);

    bool InitialCriteria() override;
    bool ContinueCriteria() override;
    bool MatchCriteria() override;
    int GetLineReq() override;
    int PrintDetail(int line) override;
    long GetMaxMeterCount() override;

  protected:
    void SetLines(std::vector<Line> lines) { lines_ = std::move(lines); }
    // The part of the line being printed (of the first line before any).
    size_t CurrentPart() const;

  private:
    std::vector<Line> lines_;
    size_t at_ = 0;
};

}  // namespace deposit
