#include "followup/memo_reports.h"

#include "common/daterng.h"
#include "common/registry.h"
#include "host/base/dates.h"
#include "host/base/strings.h"
#include "host/base/text.h"

namespace {

// String numbers of the memo report.
enum : int {
    kTitle = 12620,
    kRange = 12621,
    kPatients = 12622,
    kUsers = 12623,
    kProducers = 12624,
    kUnknown = 12625,
    kName = 12626,
    kDueDate = 12627,
    kNote = 12628,
    kMeter = 12629,
};

const std::string& S(int id) {
    return host::LoadText(id);
}

}  // namespace

namespace memo {

int SectionText(int kind) {
    switch (kind) {
        case kPatient:
            return kPatients;
        case kUser:
            return kUsers;
        case kProducer:
            return kProducers;
        default:
            return kUnknown;
    }
}

std::vector<std::string> NoteLines(const std::string& stored, size_t width) {
    std::vector<std::string> out;
    for (const std::string& line : PlainLines(stored)) {
        std::string rest = line;
        while (host::U8Length(rest) > width) {
            // The last blank within the width, else a hard cut.
            const std::string head = host::U8Fit(rest, width + 1);
            size_t cut = head.rfind(' ');
            if (cut == std::string::npos || cut == 0) cut = host::U8Fit(rest, width).size();
            out.push_back(host::TrimRight(rest.substr(0, cut)));
            rest = host::TrimLeft(rest.substr(cut));
        }
        out.push_back(rest);
    }
    return out;
}

host::output::ReportTable MemoTable(const MemoData& data) {
    using host::output::CellKind;
    host::output::ReportTable t("Mémos du cabinet", {{"DeLaDate", "De la date", CellKind::Date, 12},
                                                     {"ALaDate", "À la date", CellKind::Date, 12},
                                                     {"Periode", "Période", CellKind::Text, 24},
                                                     {"Section", "Section", CellKind::Text, 24},
                                                     {"Nom", "Nom", CellKind::Text, 32},
                                                     {"DateDue", "Date due", CellKind::Date, 12},
                                                     {"Type", "Type", CellKind::Text, 6},
                                                     {"Note", "Note", CellKind::Text, 60}});
    for (const MemoLine& l : data.lines) {
        std::string note;
        for (const std::string& s : PlainLines(l.text))
            note += (note.empty() ? "" : "\n") + s;
        t.Row()
            .Date("DeLaDate", data.from)
            .Date("ALaDate", data.to)
            .Text("Periode", host::Dmy(data.from) + " à " + host::Dmy(data.to))
            .Text("Section", host::Trim(S(SectionText(l.kind))))
            .Text("Nom", l.last_name + ", " + l.first_name)
            .Date("DateDue", l.due_date)
            .Text("Type", host::Trim(l.type))
            .Text("Note", note);
    }
    return t;
}

}  // namespace memo

TickRptObj::TickRptObj(LauncherInfo* launcher, TWindow* parent, const memo::MemoData& data,
                       bool show_meter, FILE* out)
    : OvReportObj(launcher, parent, 'C', show_meter, 0, false, out, false, true), data_(data) {}

void TickRptObj::SetColumns() {
    SetColumnStarts({kCols, kCols + 3});
}

bool TickRptObj::InitialCriteria() {
    i_ = 0;
    printed_kind_ = -1;
    if (data_.lines.empty()) return false;
    text_ = memo::NoteLines(data_.lines[0].text, kNoteWidth);
    return true;
}

bool TickRptObj::ContinueCriteria() {
    if (++i_ >= data_.lines.size()) return false;
    text_ = memo::NoteLines(data_.lines[i_].text, kNoteWidth);
    return true;
}

int TickRptObj::GetLineReq() {
    const int lines = std::max<int>(1, static_cast<int>(text_.size()));
    // A memo longer than a page is cut across pages rather than never fitting.
    const int need = lines + (data_.lines[i_].kind != printed_kind_ ? 2 : 0);
    return std::min(need, GetRowPerPage() / 2);
}

int TickRptObj::PrintDetail(int line) {
    const memo::MemoLine& m = data_.lines[i_];
    int used = 0;
    if (m.kind != printed_kind_) {
        if (printed_kind_ != -1) ++used;  // a blank line between sections
        PrintText(kCols[0], line + used, S(memo::SectionText(m.kind)), true);
        ++used;
        printed_kind_ = m.kind;
    }
    PrintText(kCols[0], line + used, host::U8Fit(m.last_name + ", " + m.first_name, 31));
    PrintText(kCols[1], line + used, host::Dmy(m.due_date));
    for (size_t k = 0; k < text_.size(); ++k) {
        if (k > 0 && line + used + 1 >= GetRowPerPage()) {
            PageBreak();
            line = GetCurLine();
            used = 0;
        } else if (k > 0) {
            ++used;
        }
        PrintText(kCols[2], line + used, text_[k]);
    }
    return used + 1;
}

int TickRptObj::PrintSubTitle(int line) {
    PrintText(kCols[0], line, S(kName));
    PrintText(kCols[1], line, S(kDueDate));
    PrintText(kCols[2], line, S(kNote));
    PrintRule(line + 1, 0, 79);
    return line + 3;
}

std::string TickRptObj::GetTitleStr(int i) {
    if (i == 0) return S(kTitle);
    if (i == 1)
        return host::U8Format(S(kRange).c_str(), host::Dmy(data_.from).c_str(),
                              host::Dmy(data_.to).c_str());
    return {};
}

long TickRptObj::GetMaxMeterCount() {
    return static_cast<long>(data_.lines.size());
}

std::string TickRptObj::GetMeterTitle() {
    return S(kMeter);
}

MemoReportRun::MemoReportRun(long from, long to, int mode)
    : TableReportRun({.from = from, .to = to, .mode = mode}, &memo::Collect, &memo::MemoTable,
                     "\\XML\\tick.xml") {}

std::string MemoReportRun::MeterTitle() const {
    return S(kTitle);
}

bool MemoReportRun::Print(reports::RunContext& ctx) {
    TickRptObj report(ctx.launcher, ctx.dialog, data_, ctx.interactive, ctx.text);
    return reports::PrintPages(report, ctx);
}

namespace {

bool RunMemoReport(TDateRngDlg& dlg, long from, long to) {
    MemoReportRun run(from, to);
    return reports::RunReport(dlg, *reports::FindReport(610), run);
}

[[maybe_unused]] const bool memo_report_set = TDateRngDlg::SetPeriodReport(RunMemoReport);

REPORTS_REGISTER({
    .key = "memos",
    .command = 610,
    .resource = 7004,
    .dialog_class = "TDateRngDlg",
    .caption = "Rapport des Mémos du Cabinet",
    .log_name = "Tickler Report",
    .text_file = "tickrpt.prt",
    .template_name = "tick.rpt",
    .make_dialog = [](const reports::DialogArgs& a) -> std::unique_ptr<TReportBaseDlg> {
        return std::make_unique<TDateRngDlg>(a.parent, 7004, a.launcher, a.module, a.mode);
    },
});

}  // namespace
