#include "closing/deposit_lines.h"

namespace deposit {

Line& LineBuilder::Add(size_t part, bool new_page, int keep) {
    lines_.push_back({part, new_page, keep, {}});
    return lines_.back();
}

Line& LineBuilder::Text(int col, const std::string& text, bool bold) {
    if (lines_.empty()) Add(0);
    lines_.back().cells.push_back({col, text, bold, 0});
    return lines_.back();
}

Line& LineBuilder::Rule(int from, int to) {
    if (lines_.empty()) Add(0);
    lines_.back().cells.push_back({from, "", false, to});
    return lines_.back();
}

DepositLinesObj::DepositLinesObj(LauncherInfo* launcher, TWindow* parent, bool show_meter,
                                 FILE* out, bool wide, bool page_numbers)
    : OvReportObj(launcher, parent, 'C', show_meter, 0, wide, out, false, page_numbers) {}

bool DepositLinesObj::InitialCriteria() {
    at_ = 0;
    return !lines_.empty();
}

bool DepositLinesObj::ContinueCriteria() {
    return ++at_ < lines_.size();
}

bool DepositLinesObj::MatchCriteria() {
    // A line that starts a page (another bank, the recapitulation) ends the one started; the
    // heading then carries the line's part.
    if (lines_[at_].new_page && PageStarted()) PageBreak();
    return true;
}

int DepositLinesObj::GetLineReq() {
    return lines_[at_].keep < 1 ? 1 : lines_[at_].keep;
}

int DepositLinesObj::PrintDetail(int line) {
    for (const Cell& c : lines_[at_].cells) {
        if (c.rule_to > c.col)
            PrintRule(line, c.col, c.rule_to);
        else
            PrintText(c.col, line, c.text, c.bold);
    }
    return 1;
}

long DepositLinesObj::GetMaxMeterCount() {
    return static_cast<long>(lines_.size());
}

size_t DepositLinesObj::CurrentPart() const {
    if (lines_.empty()) return 0;
    return lines_[at_ < lines_.size() ? at_ : lines_.size() - 1].part;
}

}  // namespace deposit
