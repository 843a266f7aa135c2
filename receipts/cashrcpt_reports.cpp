#include "receipts/cashrcpt_reports.h"

#include "host/base/dates.h"
#include "host/base/numfmt.h"
#include "host/base/strings.h"
#include "host/base/text.h"
#include "host/records/practice.h"
#include "host/ui/reportdlg.h"

namespace {

// String numbers of the cash receipts.
enum : int {
    kTitle = 12660,
    kRange = 12661,
    kDoctors = 12662,
    kAll = 12663,
    kHeadName = 12664,  // the seven column heads follow
    kKept = 12671,
    kTotalsFor = 12672,
    kGrandTotal = 12673,
    kMeter = 12674,
};

const std::string& S(int id) {
    return host::LoadText(id);
}

std::string Amount(int64_t cents) {
    char buf[64];
    return MakeNoCommaNumFormat(cents, buf, 11);
}

std::string Name(const cashrcpt::CashReceiptsElem& e) {
    return e.last_name + ", " + e.first_name;
}

}  // namespace

namespace cashrcpt {

host::output::ReportTable ReceiptsTable(const CashReceiptsData& data) {
    using host::output::CellKind;
    host::output::ReportTable t("Reçus en argent",
                                {{"DrFacturant", "Dr facturant", CellKind::Text, 30},
                                 {"Nom", "Nom du Patient", CellKind::Text, 30},
                                 {"NoMedical", "# Médical", CellKind::Text, 15},
                                 {"NoPmt", "No. Pmt", CellKind::Text, 10},
                                 {"CodePmt", "Code Pmt", CellKind::Text, 8},
                                 {"DatePmt", "Date Pmt", CellKind::Date, 12},
                                 {"NoReclamation", "No. de Réclamation", CellKind::Text, 12},
                                 {"Montant", "Montant Pmt", CellKind::Amount, 12}});
    for (const Group& g : data.groups) {
        for (const CashReceiptsElem& e : g.lines)
            t.Row()
                .Text("DrFacturant", g.heading.empty() ? e.billdr : g.heading)
                .Text("Nom", Name(e))
                .Text("NoMedical", e.med_no)
                .Text("NoPmt", e.trxno)
                .Text("CodePmt", e.code)
                .Date("DatePmt", e.date)
                .Text("NoReclamation", e.claim.empty() ? S(kKept) : e.claim)
                .Amount("Montant", e.amount);
        if (!g.heading.empty())
            t.Row("T").Text("DrFacturant", g.heading).Amount("Montant", g.total);
    }
    t.Row("G").Amount("Montant", data.total);
    return t;
}

}  // namespace cashrcpt

CashReceiptsObj::CashReceiptsObj(LauncherInfo* launcher, TWindow* parent,
                                 const cashrcpt::CashReceiptsData& data, bool show_meter, FILE* out)
    : OvReportObj(launcher, parent, 'C', show_meter, 0, true, out, false, true), data_(data) {
    // The copies asked for in the dialog, one at least.
    SetCopies(data.criteria.copies < 1 ? 1 : data.criteria.copies);
}

void CashReceiptsObj::SetColumns() {
    SetColumnStarts({kCols, kCols + 7});
}

bool CashReceiptsObj::InitialCriteria() {
    group_ = line_ = printed_group_ = 0;
    return !data_.groups.empty();
}

bool CashReceiptsObj::ContinueCriteria() {
    if (++line_ < data_.groups[group_].lines.size()) return true;
    line_ = 0;
    return ++group_ < data_.groups.size();
}

bool CashReceiptsObj::MatchCriteria() {
    if (group_ != printed_group_) {
        const cashrcpt::Group& g = data_.groups[printed_group_];
        if (!g.heading.empty())
            SetCurLine(PrintTotals(GetCurLine(), S(kTotalsFor) + " " + g.heading, g.total) + 1);
        printed_group_ = group_;
    }
    return true;
}

int CashReceiptsObj::GetLineReq() {
    return StartsGroup() ? 3 : 1;
}

int CashReceiptsObj::PrintDetail(int line) {
    int used = 0;
    if (StartsGroup()) {
        PrintText(0, line, data_.groups[group_].heading, true);
        used = 2;
    }
    const cashrcpt::CashReceiptsElem& e = data_.groups[group_].lines[line_];
    const int at = line + used;
    PrintText(kCols[0], at, host::U8Fit(Name(e), 24));
    PrintText(kCols[1], at, host::U8Fit(e.med_no, 15));
    PrintText(kCols[2], at, host::U8Fit(e.trxno, 10));
    PrintText(kCols[3], at, host::U8Fit(e.code, 10));
    PrintText(kCols[4], at, host::Dmy(e.date));
    PrintText(kCols[5], at, host::U8Fit(e.claim.empty() ? S(kKept) : e.claim, 13));
    PrintText(kCols[6], at, Amount(e.amount));
    return used + 1;
}

int CashReceiptsObj::PrintSubTitle(int line) {
    // A heading wider than its column is cut a blank short of the next one ("No. de
    // Réclamation" at 74 would otherwise run into "Montant Pmt" at 88).
    for (int i = 0; i < 7; ++i) {
        const std::string& head = S(kHeadName + i);
        PrintText(
            kCols[i], line,
            i < 6 ? host::U8Left(head, static_cast<size_t>(kCols[i + 1] - kCols[i] - 1)) : head);
    }
    PrintRule(line + 1, 0, kCols[6] + 11);
    return line + 3;
}

std::string CashReceiptsObj::GetTitleStr(int i) {
    const cashrcpt::Criteria& c = data_.criteria;
    switch (i) {
        case 0:
            return S(kTitle);
        case 1:
            return host::U8Format(S(kRange).c_str(), host::Dmy(c.from).c_str(),
                                  host::Dmy(c.to).c_str());
        case 2: {
            std::string who;
            if (c.from_dr[0] || c.to_dr[0]) {
                if (c.from_dr[0]) who = GetProdCode(c.from_dr);
                if (c.from_dr[0] && c.to_dr[0]) who += " - ";
                if (c.to_dr[0]) who += GetProdCode(c.to_dr);
            } else {
                who = S(kAll);
            }
            return S(kDoctors) + " " + who;
        }
        default:
            return {};
    }
}

// A rule over the amounts, then the label at 0 and the amount at the amounts' column.
int CashReceiptsObj::PrintTotals(int line, const std::string& label, int64_t amount) {
    if (!PageStarted() || line + 2 >= GetRowPerPage()) {
        PageBreak();
        line = GetCurLine();
    }
    PrintRule(line, kCols[6], kCols[6] + 11);
    PrintText(0, line + 1, host::U8Fit(label, kCols[6] - 1));
    PrintText(kCols[6], line + 1, Amount(amount));
    return line + 2;
}

bool CashReceiptsObj::EndReport(int line) {
    if (!data_.groups.empty()) {
        const cashrcpt::Group& g = data_.groups[printed_group_];
        if (!g.heading.empty())
            line = PrintTotals(line, S(kTotalsFor) + " " + g.heading, g.total) + 1;
        line = PrintTotals(line, S(kGrandTotal), data_.total);
    }
    return OvReportObj::EndReport(line);
}

long CashReceiptsObj::GetMaxMeterCount() {
    return static_cast<long>(data_.Count());
}

std::string CashReceiptsObj::GetMeterTitle() {
    return S(kMeter);
}

CashReceiptsReportRun::CashReceiptsReportRun(const cashrcpt::Criteria& criteria)
    : TableReportRun({criteria}, &cashrcpt::Collect, &cashrcpt::ReceiptsTable,
                     "\\XML\\cashrcpt.xml") {}

std::string CashReceiptsReportRun::MeterTitle() const {
    return S(kMeter);
}

bool CashReceiptsReportRun::Print(reports::RunContext& ctx) {
    CashReceiptsObj report(ctx.launcher, ctx.dialog, data_, ctx.interactive, ctx.text);
    return reports::PrintPages(report, ctx);
}
