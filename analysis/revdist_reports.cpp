#include "analysis/revdist_reports.h"

#include "host/base/dates.h"
#include "host/base/numfmt.h"
#include "host/base/strings.h"
#include "host/base/text.h"

namespace {

// String numbers of the revenue distribution.
enum : int {
    kTitle = 12550,
    kForDate = 12551,
    kFor = 12552,
    kBillDr = 12553,
    kProducer = 12554,
    kDayDetail = 12555,
    kPayments = 12556,
    kPmtAdjust = 12557,
    kLabs = 12558,
    kTotalPayments = 12559,
    kBefore = 12560,
    kDaily = 12561,
    kMonthly = 12562,
    kPercent = 12563,
    kDistribution = 12564,
    kAfter = 12565,
    kTotal = 12566,
    kAfterDistribution = 12567,
    kMeter = 12568,
    kBillingDoctor = 6562,  // "Dr Facturant"
};

constexpr int kAmountWidth = 10;
constexpr int kNameWidth = 19;
constexpr int kTotalsLines = 5;

const std::string& S(int id) {
    return host::LoadText(id);
}

std::string Amount(int64_t cents) {
    return host::FormatAmount(cents, kAmountWidth);
}

// The seven amounts in their columns (the percentage's column left out).
void PrintAmounts(RevDistObj& r, int line, const revdist::Amounts& a) {
    const int* c = RevDistObj::kCols;
    r.PrintText(c[2], line, Amount(a.payments));
    r.PrintText(c[3], line, Amount(a.pmt_adjust));
    r.PrintText(c[4], line, Amount(a.lab));
    r.PrintText(c[5], line, Amount(a.day_total));
    r.PrintText(c[6], line, Amount(a.month_total));
    r.PrintText(c[8], line, Amount(a.day_share));
    r.PrintText(c[9], line, Amount(a.month_share));
}

// A heading right-aligned in the width that starts at col.
void Head(RevDistObj& r, int col, int width, int line, int text) {
    r.PrintText(col, line, host::U8Fit(host::Trim(S(text)), static_cast<size_t>(width), false));
}

// A heading centred over the columns from col to end (exclusive).
void Over(RevDistObj& r, int col, int end, int line, int text) {
    const std::string t = host::Trim(S(text));
    const int len = static_cast<int>(host::U8Length(t));
    r.PrintText(col + (end - col > len ? (end - col - len) / 2 : 0), line, t);
}

}  // namespace

RevDistObj::RevDistObj(LauncherInfo* launcher, TWindow* parent, const revdist::RevDistData& data,
                       bool show_meter, FILE* out)
    : OvReportObj(launcher, parent, 'C', show_meter, 0, true, out, false, true), data_(data) {}

void RevDistObj::SetColumns() {
    SetColumnStarts({kCols, kCols + 10});
}

bool RevDistObj::InitialCriteria() {
    group_ = rule_ = printed_group_ = 0;
    return !data_.groups.empty() && !data_.groups[0].rules.empty();
}

bool RevDistObj::ContinueCriteria() {
    if (++rule_ < data_.groups[group_].rules.size()) return true;
    rule_ = 0;
    return ++group_ < data_.groups.size();
}

bool RevDistObj::MatchCriteria() {
    if (group_ != printed_group_) {
        PrintTotals(GetCurLine());
        printed_group_ = group_;
        PageBreak();
    }
    return true;
}

int RevDistObj::PrintDetail(int line) {
    const revdist::RuleRow& r = Rule();
    PrintText(kCols[0], line, host::U8Fit(r.billdr_name, kNameWidth));
    PrintText(kCols[1], line, host::U8Fit(r.producer_name, kNameWidth));
    PrintAmounts(*this, line, r.amounts);
    // One blank after the month total, which fills its column up to the percentage's.
    PrintText(kCols[7] + 1, line, host::U8Format("%5.1f", r.percent / 100.0));
    return 1;
}

int RevDistObj::PrintSubTitle(int line) {
    Over(*this, kCols[5], kCols[7], line, kTotalPayments);
    Over(*this, kCols[8], kCols[9] + kAmountWidth, line, kDistribution);
    PrintText(kCols[2], line + 1, S(kDayDetail));
    Over(*this, kCols[5], kCols[7], line + 1, kBefore);
    Over(*this, kCols[8], kCols[9] + kAmountWidth, line + 1, kAfter);
    PrintText(kCols[0], line + 2, S(kBillDr));
    PrintText(kCols[1], line + 2, S(kProducer));
    Head(*this, kCols[2], kAmountWidth, line + 2, kPayments);
    // "LABORATOIRES" is wider than its column: the heading before it keeps a blank.
    Head(*this, kCols[3], kAmountWidth - 1, line + 2, kPmtAdjust);
    Head(*this, kCols[4] - 2, kAmountWidth + 2, line + 2, kLabs);
    Head(*this, kCols[5], kAmountWidth, line + 2, kDaily);
    Head(*this, kCols[6], kAmountWidth, line + 2, kMonthly);
    Head(*this, kCols[7] + 1, 5, line + 2, kPercent);
    Head(*this, kCols[8], kAmountWidth, line + 2, kDaily);
    Head(*this, kCols[9], kAmountWidth, line + 2, kMonthly);
    PrintRule(line + 3, 0, kCols[9] + kAmountWidth);
    return line + 5;
}

std::string RevDistObj::GetTitleStr(int i) {
    switch (i) {
        case 0:
            return S(kTitle);
        case 1: {
            char date[32];
            ldate_to_str1(date, data_.report_date, DATE_FMT_DMY);
            return host::U8Format(S(kForDate).c_str(), date);
        }
        case 2: {
            std::string who = data_.groups.empty() ? "" : data_.groups[printed_group_].practitioner;
            if (data_.by_doctor) who += ", " + S(kBillingDoctor) + " " + data_.doctor;
            return host::U8Format(S(kFor).c_str(), who.c_str());
        }
        default:
            return {};
    }
}

int RevDistObj::PrintTotals(int line) {
    if (data_.groups.empty()) return line;
    if (!PageStarted() || line + kTotalsLines >= GetRowPerPage()) {
        PageBreak();
        line = GetCurLine();
    }
    for (int i = 2; i < 10; ++i)
        if (i != 7) PrintText(kCols[i] + 1, line, std::string(kAmountWidth - 1, '='));
    const revdist::Amounts t = revdist::GroupTotal(data_.groups[printed_group_]);
    PrintText(kCols[1], line + 1, S(kTotal));
    PrintAmounts(*this, line + 1, t);
    PrintText(kCols[2], line + 4, S(kAfterDistribution));
    // Under the day totals, one blank after the label that reaches their column.
    PrintText(kCols[5] + 1, line + 4, host::FormatAmount(t.day_share, kAmountWidth - 1));
    return line + kTotalsLines;
}

bool RevDistObj::EndReport(int line) {
    if (!data_.groups.empty()) line = PrintTotals(line);
    return OvReportObj::EndReport(line);
}

long RevDistObj::GetMaxMeterCount() {
    long n = 0;
    for (const revdist::GroupRow& g : data_.groups)
        n += static_cast<long>(g.rules.size());
    return n;
}

std::string RevDistObj::GetMeterTitle() {
    return S(kMeter);
}
