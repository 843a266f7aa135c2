#include "receivables/ar_reports.h"

#include <algorithm>

#include "host/base/dates.h"
#include "host/base/numfmt.h"
#include "host/base/strings.h"
#include "host/base/text.h"
#include "host/output/page.h"
#include "receivables/ar_tables.h"

using ar::AccountRow;
using ar::AgedGroups;
using host::calc::Aged;
using host::calc::kCurrent;
using host::calc::kFuture;
using host::calc::kTotal;

namespace {

// String numbers of the receivable reports.
enum : int {
    kReportTitle = 6567,
    kHeadingByProducer = 6571,
    kHeadingByDoctor = 6572,
    kLabelPatient = 6576,
    kLabelInsurance = 6577,
    kLabelTotal = 6578,
    kAccTotalTitle = 6579,
    kSummaries = 6580,
    kSumHeading = 6581,
    kSectionByDoctor = 6583,
    kSectionByProducer = 6584,
    kMeterAccount = 6585,
    kMeterPatient = 6586,
    kMeterSummary = 6587,
    kMeterSumDoctor = 6588,
    kMeterSumProducer = 6589,
    kAccTotalLayout = 6590,
    kQuickTitle = 6591,
    kQuickHeading = 6592,
    kQuickTotalTitle = 6593,
    kQuickMeter = 6594,
    kQuickTotalLayout = 6595,
    kForAll = 6596,
    kToPayPatients = 6597,
    kToPayInsurance = 6598,
    kTotalReceivable = 6599,
    kPercentReceivable = 6600,
    kPlanBalance = 6602,
    kPlansHeading = 6605,
    kPlansColumns = 6606,
    kFamilyDoctor = 7920,
    kStatement = 7921,
    kLastClaim = 7922,
    kPatientCount = 7923,
    kNotesTitle = 7925,
    kAccountsListed = 7926,
    kAccountsInCredit = 7927,
    kPlanBalances = 7928,
    kNoAccount = 7929,
    kAdditionalAmounts = 12451,
    kIncludedAdditional = 12452,
};

// Amounts of the full report's account lines start after their group label.
constexpr int kBlockAmounts = 60;
// Amounts of the full report's totals start after their label (layout 6590).
constexpr int kTotalAmounts = 44;
// The summary's amounts start after the 40-character identification.
constexpr int kSummaryAmounts = 41;
// Notes are folded into lines of at most this many characters.
constexpr size_t kNoteWidth = 96;

const std::string& S(int id) {
    return host::LoadText(id);
}

std::string Amount(int64_t cents) {
    return host::FormatAmount(cents);
}

std::string ShortDate(long date) {
    return host::FormatDate(date, DATE_FMT_DMY2);
}

// The first n amounts of an aged group, as printed.
std::vector<std::string> Amounts(const Aged& a, size_t n) {
    std::vector<std::string> t;
    for (size_t i = 0; i < n && i < 6; ++i)
        t.push_back(Amount(a.v[i]));
    return t;
}

// Spans (first and last character) of the words of a heading: runs of characters
// separated by two blanks or more.
std::vector<std::pair<int, int>> WordSpans(const std::string& heading) {
    std::vector<std::pair<int, int>> spans;
    int col = 0, blanks = 0, start = -1, last = -1;
    for (const std::string& ch : host::output::SplitChars(heading)) {
        if (ch == " ") {
            if (start >= 0 && ++blanks >= 2) {
                spans.emplace_back(start, last);
                start = -1;
            }
        } else {
            if (start < 0) start = col;
            blanks = 0;
            last = col;
        }
        ++col;
    }
    if (start >= 0) spans.emplace_back(start, last);
    return spans;
}

std::string LastPaymentText(const AccountRow& a) {
    if (a.last_payment == 0) return {};
    return ShortDate(a.last_payment) + " " + a.last_payment_dr;
}

}  // namespace

AmountColumns::AmountColumns(const std::string& heading, size_t n, int width, int first_free) {
    std::vector<std::pair<int, int>> words = WordSpans(heading);
    if (words.size() > n) words.erase(words.begin(), words.end() - static_cast<long>(n));
    int end = first_free - 2;  // the end of the previous field, one blank before the next
    for (size_t i = 0; i < n; ++i) {
        const int word_end = i < words.size() ? words[i].second : end + width + 1;
        end = std::max(word_end, end + width + 1);
        ends_.push_back(end);
    }
}

void AmountColumns::Print(OvReportObj& report, int line,
                          const std::vector<std::string>& texts) const {
    int previous_end = -2;
    for (size_t i = 0; i < ends_.size() && i < texts.size(); ++i) {
        if (texts[i].empty()) continue;
        const int len = static_cast<int>(host::U8Length(texts[i]));
        const int start = std::max(ends_[i] - len + 1, previous_end + 2);
        report.PrintText(start, line, texts[i]);
        previous_end = start + len - 1;
    }
}

// ================================================================= ARQuickRptObj

ARQuickRptObj::ARQuickRptObj(LauncherInfo* launcher, TWindow* parent, const ar::ARData& data,
                             FILE* out, bool show_meter, short copies)
    : OvReportObj(launcher, parent, 'C', show_meter, 0, true, out, false, true),
      data_(data),
      copies_(copies < 1 ? 1 : copies) {
    SetCopies(copies_);
}

void ARQuickRptObj::SetColumns() {
    SetColumnStarts({0, 24, 46, 58, 61, 71, 83, 95, 107, 119});
}

int ARQuickRptObj::GetColsNum() {
    return 5;
}

long ARQuickRptObj::GetMaxMeterCount() {
    return static_cast<long>(data_.accounts.size());
}

bool ARQuickRptObj::InitialCriteria() {
    current_ = 0;
    return !data_.accounts.empty();
}

bool ARQuickRptObj::ContinueCriteria() {
    return ++current_ < data_.accounts.size();
}

int ARQuickRptObj::GetLineReq() {
    return 1;
}

int ARQuickRptObj::PrintDetail(int line) {
    const AccountRow& a = Row();
    PrintText(0, line, host::U8Fit(a.name, 23));
    PrintText(24, line, host::U8Fit(a.phone, 21));
    PrintText(46, line, host::U8Fit(LastPaymentText(a), 12));
    AmountColumns(GetSubTitle(), 5, GetAmntStrLen(), kBlockAmounts)
        .Print(*this, line, Amounts(a.ar.tot, 5));
    return 1;
}

std::string ARQuickRptObj::GetReportTitle() {
    return S(kQuickTitle);
}
std::string ARQuickRptObj::GetSubTitle() {
    return S(kQuickHeading);
}
std::string ARQuickRptObj::GetAccTotalTitle() {
    return S(kQuickTotalTitle);
}
std::string ARQuickRptObj::GetAccTotalFormatStr() {
    return S(kQuickTotalLayout);
}

std::string ARQuickRptObj::GetTitleStr(int i) {
    switch (i) {
        case 0:
            return GetReportTitle();
        case 1: {
            const std::string p = host::Trim(data_.criteria.producer);
            return p.empty() || p == "*" ? S(kForAll) : p;
        }
        case 2:
            return ar::CriteriaLine(data_.criteria);
        default:
            return {};
    }
}

std::string ARQuickRptObj::GetMeterTitle() {
    return S(kQuickMeter);
}

int ARQuickRptObj::PrintSubTitle(int line) {
    PrintText(0, line, GetSubTitle());
    PrintRule(line + 1, 0, 131);
    if (ar::KeptAccounts(data_) == 0 || (!data_.quick && data_.criteria.kind == 2)) {
        if (ar::KeptAccounts(data_) == 0) PrintText(0, line + 3, S(kNoAccount));
        return line + 5;
    }
    return line + 3;
}

std::vector<std::string> ARQuickRptObj::NoteLines() const {
    std::vector<std::string> lines;
    const AccountRow& a = Row();
    if (a.notes.empty()) return lines;
    lines.push_back(S(kNotesTitle));
    for (const ar::NoteRow& n : a.notes) {
        std::string text = n.comment;
        for (char& c : text)
            if (c == '\n' || c == '\r' || c == '\t') c = ' ';
        const std::string lead =
            host::U8Format("%-10.10s %-15.15s ", host::FormatDate(n.date, DATE_FMT_DMY).c_str(),
                           n.first_name.c_str());
        bool first = true;
        do {
            std::string piece = host::U8Left(text, kNoteWidth);
            if (host::U8Length(text) > kNoteWidth) {
                const size_t blank = piece.rfind(' ');
                if (blank != std::string::npos && blank > 40) piece = piece.substr(0, blank);
            }
            text = host::TrimLeft(text.substr(piece.size()));
            lines.push_back((first ? lead : std::string(27, ' ')) + piece);
            first = false;
        } while (!text.empty());
    }
    return lines;
}

int ARQuickRptObj::PrintFamilyComments(int line) {
    const std::vector<std::string> lines = NoteLines();
    for (size_t i = 0; i < lines.size(); ++i)
        PrintText(4, line + static_cast<int>(i), lines[i]);
    return static_cast<int>(lines.size());
}

int ARQuickRptObj::PrintTotalAcc(int line) {
    const std::string title = GetAccTotalTitle();
    const std::string layout = GetAccTotalFormatStr();
    // The full report's totals title carries its own column words and the future column;
    // the quick list's totals follow the list's column heading.
    const bool full = GetColsNum() == 6;
    const AmountColumns columns =
        full ? AmountColumns(title, 6, GetTotalAmntStrLen(), kTotalAmounts)
             : AmountColumns(GetSubTitle(), 5, GetAmntStrLen(), kBlockAmounts);
    const AgedGroups totals = ar::SumAccounts(data_);
    PrintRule(line - 1, 0, 131, true);
    int l = line;
    PrintText(0, l, title);
    const std::pair<int, const Aged*> groups[] = {
        {kLabelPatient, &totals.pat}, {kLabelInsurance, &totals.ins}, {kLabelTotal, &totals.tot}};
    for (const auto& [label, aged] : groups) {
        ++l;
        PrintText(0, l, host::U8Format(layout.c_str(), "", S(label).c_str(), ""));
        columns.Print(*this, l, Amounts(*aged, full ? 6 : 5));
    }
    l += 2;
    PrintText(0, l, S(kAccountsListed) + std::to_string(ar::KeptAccounts(data_)));
    PrintText(40, l, S(kAccountsInCredit) + std::to_string(ar::AccountsInCredit(data_)));
    PrintText(80, l, S(kPlanBalances) + Amount(ar::PlanBalances(data_)));
    if (const int64_t extra = ar::SumAdditional(data_); extra != 0) {
        ++l;
        PrintText(0, l, S(kIncludedAdditional) + Amount(extra));
    }
    return l + 1;
}

int ARQuickRptObj::TotalsStart(int line) {
    if (!PageStarted() || line + 9 >= GetRowPerPage()) {
        PageBreak();
        return GetCurLine();
    }
    return line + 3;
}

bool ARQuickRptObj::EndReport(int line) {
    const int start = TotalsStart(line);
    return OvReportObj::EndReport(PrintTotalAcc(start));
}

// ================================================================= ARSumRptObj

ARSumRptObj::ARSumRptObj(LauncherInfo* launcher, TWindow* parent, const ar::ARData& data, FILE* out,
                         short copies)
    : OvReportObj(launcher, parent, 'C', false, 0, true, out, false, true),
      data_(data),
      copies_(copies < 1 ? 1 : copies) {
    SetCopies(copies_);
}

bool ARSumRptObj::CodeBefore(const std::string& a, const std::string& b) {
    return ar::ProducerCodeBefore(a, b);
}

void ARSumRptObj::SetColumns() {
    SetColumnStarts({0, 41, 54, 68, 82, 96, 111});
}

bool ARSumRptObj::InitialCriteria() {
    current_ = 0;
    return !data_.producers.empty();
}

bool ARSumRptObj::ContinueCriteria() {
    return ++current_ < data_.producers.size();
}

int ARSumRptObj::PrintDetail(int line) {
    const ar::ProducerRow& p = data_.producers[current_];
    PrintText(0, line, host::U8Format("%-40.40s", p.identification.c_str()));
    AmountColumns(S(kSumHeading), 6, 13, kSummaryAmounts).Print(*this, line, Amounts(p.ar.tot, 6));
    return 1;
}

int ARSumRptObj::PrintSubTitle(int line) {
    PrintText(0, line, S(data_.criteria.grouping == 1 ? kSectionByProducer : kSectionByDoctor),
              true);
    PrintText(0, line + 2, S(kSumHeading));
    PrintRule(line + 3, 0, 131);
    return line + 5;
}

std::string ARSumRptObj::GetTitleStr(int i) {
    switch (i) {
        case 0:
            return S(kReportTitle);
        case 1:
            return S(kSummaries);
        case 2: {
            const std::string p = host::Trim(data_.criteria.producer);
            return p.empty() || p == "*" ? S(kForAll) : p;
        }
        case 3:
            return ar::CriteriaLine(data_.criteria);
        default:
            return {};
    }
}

std::string ARSumRptObj::GetMeterTitle() {
    return S(data_.criteria.grouping == 1 ? kMeterSumProducer : kMeterSumDoctor);
}

int ARSumRptObj::PrintTotalSumAcc(int line) {
    const AmountColumns columns(S(kSumHeading), 6, 13, kSummaryAmounts);
    int l = line;
    if (const int64_t extra = ar::SumAdditional(data_); extra != 0) {
        // Owed on the accounts but by no producer: a line of its own, part of the totals.
        Aged a;
        a.v[kCurrent] = a.v[kTotal] = extra;
        PrintText(0, l, host::U8Format("%-40.40s", S(kAdditionalAmounts).c_str()));
        columns.Print(*this, l, Amounts(a, 6));
        ++l;
    }
    const AgedGroups t = ar::SummaryTotal(data_);
    PrintRule(l, 0, 131, true);
    const std::pair<int, const Aged*> lines[] = {
        {kToPayPatients, &t.pat}, {kToPayInsurance, &t.ins}, {kTotalReceivable, &t.tot}};
    ++l;
    for (const auto& [label, aged] : lines) {
        PrintText(0, l, S(label));
        columns.Print(*this, l, Amounts(*aged, 6));
        ++l;
    }
    // Each aged column's share of the total, under its column (the future is not part of
    // the total and has no share).
    std::vector<std::string> shares;
    const int64_t total = t.tot.v[kTotal];
    for (int i = 0; i <= kTotal; ++i) {
        const long double share =
            total == 0 ? 0.0L : 100.0L * static_cast<long double>(t.tot.v[i]) / total;
        shares.push_back(host::U8Format("%.2Lf%%", share));
    }
    PrintText(0, l, S(kPercentReceivable));
    columns.Print(*this, l, shares);
    return l + 2;
}

int ARSumRptObj::PrintPlanTotal(int line) {
    if (data_.plans.empty()) return line;
    if (line + 4 + static_cast<int>(data_.plans.size()) > GetRowPerPage()) {
        PageBreak();
        line = GetCurLine();
    }
    // The heading keeps its text as it stands, up to its "/d" mark.
    std::string heading = S(kPlansHeading);
    const size_t mark = heading.find("/d");
    if (mark != std::string::npos) heading = heading.substr(0, mark);
    PrintText(0, line, heading, true);
    PrintText(0, line + 1, S(kPlansColumns));
    const AmountColumns columns(S(kPlansColumns), 2, 13, kSummaryAmounts);
    int l = line + 2;
    for (const ar::PlanRow& p : data_.plans) {
        // The name may run on under the count's heading: counts take its last columns.
        PrintText(0, l, host::U8Fit(p.name, 54));
        columns.Print(*this, l, {std::to_string(p.plans), Amount(p.balance)});
        ++l;
    }
    return l + 1;
}

bool ARSumRptObj::EndReport(int line) {
    if (!PageStarted() || line + 6 >= GetRowPerPage()) {
        PageBreak();
        line = GetCurLine();
    } else {
        line += 1;
    }
    line = PrintTotalSumAcc(line);
    line = PrintPlanTotal(line);
    return OvReportObj::EndReport(line);
}

// ================================================================= ARAccRptObj

ARAccRptObj::ARAccRptObj(LauncherInfo* launcher, TWindow* parent, const ar::ARData& data, FILE* out,
                         bool show_meter, short copies)
    : ARQuickRptObj(launcher, parent, data, out, show_meter, copies) {}

bool ARAccRptObj::InitialCriteria() {
    current_ = 0;
    // Summary totals only (kind 2): the accounts are counted, not printed.
    return data_.criteria.kind != 2 && !data_.accounts.empty();
}

void ARAccRptObj::PrintNameLine(int line) {
    const AccountRow& a = Row();
    PrintText(0, line, host::U8Fit(a.name, 23));
    PrintText(24, line, host::U8Fit(a.phone, 20));
    PrintText(45, line, host::U8Fit(LastPaymentText(a), 13));
    PrintText(59, line, a.markers);
}

int ARAccRptObj::PrintGroups(int line, const AgedGroups& g, const std::string& lead) {
    const AccountRow& a = Row();
    const AmountColumns columns(GetSubTitle(), 6, GetAmntStrLen(), kBlockAmounts);
    const std::string stmt = a.statement_date ? S(kStatement) + ShortDate(a.statement_date) : "";
    const std::string claim = a.claim_date ? S(kLastClaim) + ShortDate(a.claim_date) : "";
    PrintText(
        0, line,
        host::U8Format("%-25.25s%-4.4s%-18.18s%-11.11s%2.2s",
                       (lead.empty() ? "  " + S(kFamilyDoctor) + a.family_doctor : lead).c_str(),
                       "", stmt.c_str(), a.statement_date ? Amount(a.statement_amt).c_str() : "",
                       S(kLabelPatient).c_str()));
    columns.Print(*this, line, Amounts(g.pat, 6));
    PrintText(0, line + 1,
              host::U8Format("%-29.29s%-17.17s%-12.12s%2.2s", ("  " + claim).c_str(),
                             a.claim_date ? Amount(a.claim_amt).c_str() : "", "",
                             S(kLabelInsurance).c_str()));
    columns.Print(*this, line + 1, Amounts(g.ins, 6));
    PrintText(0, line + 2,
              host::U8Format("%-29.29s%-21.21s%-8.8s%2.2s",
                             ("  " + S(kPatientCount) + std::to_string(a.patients)).c_str(), "", "",
                             S(kLabelTotal).c_str()));
    columns.Print(*this, line + 2, Amounts(g.tot, 6));
    return 3;
}

int ARAccRptObj::PrintPlanAndNotes(int line) {
    const AccountRow& a = Row();
    int l = line;
    if (a.has_plan) {
        PrintText(0, l,
                  host::U8Format("%-47.47s%-13.13s%-72.72s", ("  " + S(kPlanBalance)).c_str(),
                                 Amount(a.plan_balance).c_str(), ""));
        ++l;
    }
    if (a.additional != 0) {
        PrintText(2, l, S(kAdditionalAmounts) + " : " + Amount(a.additional));
        ++l;
    }
    if (l + static_cast<int>(NoteLines().size()) > GetRowPerPage()) {
        PageBreak();
        l = GetCurLine();
    }
    return l + PrintFamilyComments(l);
}

int ARAccRptObj::GetLineReq() {
    const AccountRow& a = Row();
    return 1 + 3 + (a.has_plan ? 1 : 0) + (a.additional != 0 ? 1 : 0) +
           static_cast<int>(NoteLines().size()) + 1;
}

int ARAccRptObj::PrintDetail(int line) {
    PrintNameLine(line);
    int l = line + 1;
    l += PrintGroups(l, Row().ar, "");
    l = PrintPlanAndNotes(l);
    return l + 1 - GetCurLine();
}

bool ARAccRptObj::EndReport(int line) {
    int end_line = line;
    // The by-patient report has no account totals: its patients' lines are its rows.
    if (data_.criteria.kind != 1) end_line = PrintTotalAcc(TotalsStart(line));
    if (!PageStarted()) PageBreak();
    // The aged summary by producer or billing doctor closes the document.
    ARSumRptObj summary(Launcher(), Parent(), data_, OutFile(), copies_);
    summary.ContinueOn(*this);
    summary.SetStartPage(GetPageNumber() + 1);
    const bool summarized = summary.PrintReport();
    return OvReportObj::EndReport(end_line) && summarized;
}

std::string ARAccRptObj::GetMeterTitle() {
    const int kind = data_.criteria.kind;
    return S(kind == 1 ? kMeterPatient : kind == 2 ? kMeterSummary : kMeterAccount);
}

std::string ARAccRptObj::GetReportTitle() {
    return S(kReportTitle);
}

std::string ARAccRptObj::GetSubTitle() {
    return S(data_.criteria.grouping == 1 ? kHeadingByProducer : kHeadingByDoctor);
}

std::string ARAccRptObj::GetAccTotalTitle() {
    return S(kAccTotalTitle);
}

std::string ARAccRptObj::GetAccTotalFormatStr() {
    return S(kAccTotalLayout);
}

// ================================================================= ARPatRptObj

ARPatRptObj::ARPatRptObj(LauncherInfo* launcher, TWindow* parent, const ar::ARData& data, FILE* out,
                         bool show_meter, short copies)
    : ARAccRptObj(launcher, parent, data, out, show_meter, copies) {}

int ARPatRptObj::GetLineReq() {
    const AccountRow& a = Row();
    const int shown = std::max(static_cast<int>(a.patient_rows.size()), 1);
    // The name line, then each patient's line and three groups, as much as a page holds.
    return std::min(1 + 4 * shown + (a.has_plan ? 1 : 0) + (a.additional != 0 ? 1 : 0) +
                        static_cast<int>(NoteLines().size()) + 1,
                    GetRowPerPage() - 12);
}

int ARPatRptObj::PrintDetail(int line) {
    PrintNameLine(line);
    int l = line + 1;
    for (const ar::PatientRow& p : Row().patient_rows) {
        if (l + 4 > GetRowPerPage()) {
            PageBreak();
            l = GetCurLine();
        }
        PrintText(2, l, host::U8Fit(p.name + " " + p.file_ref, 40));
        PrintGroups(l + 1, p.ar, "  " + host::U8Left(p.name, 22));
        l += 4;
    }
    l = PrintPlanAndNotes(l);
    return l + 1 - GetCurLine();
}
