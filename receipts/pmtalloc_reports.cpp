#include "receipts/pmtalloc_reports.h"

#include "host/base/dates.h"
#include "host/base/numfmt.h"
#include "host/base/strings.h"
#include "host/base/text.h"
#include "host/ui/reportdlg.h"

namespace {

// String numbers of the payment allocations.
enum : int {
    kTitle = 12650,
    kRange = 12651,
    kHeads = 12652,
    kTotal = 12653,
    kMeter = 12654,
};

const std::string& S(int id) {
    return host::LoadText(id);
}

std::string Amount(int64_t cents) {
    char buf[64];
    return MakeNumericFormat(cents, buf, 12);
}

}  // namespace

namespace pmtalloc {

std::string DetailLine(const Row& r) {
    using host::U8Fit;
    // "%-25.25s %-5.5s %-*.*s %-*.*s %14.14s %-12.12s %s", cut and padded by character.
    return U8Fit(r.account, 25) + " " + U8Fit(r.producer, 5) + " " +
           U8Fit(host::Dmy(r.date), PmtAllocationRptObj::kDateWidth) + " " +
           U8Fit(r.description, PmtAllocationRptObj::kDescWidth) + " " +
           U8Fit(Amount(r.amount), 14, false) + " " + U8Fit(r.trxno, 12) + " " + r.payor;
}

host::output::ReportTable AllocationsTable(const PmtAllocData& data) {
    using host::output::CellKind;
    host::output::ReportTable t("Allocations de paiement",
                                {{"Praticien", "Praticien", CellKind::Text, 30},
                                 {"Compte", "Nom de Compte", CellKind::Text, 30},
                                 {"Producteur", "Prod", CellKind::Text, 5},
                                 {"DrFacturant", "Dr facturant", CellKind::Text, 5},
                                 {"DatePmt", "Pmt Date", CellKind::Date, 12},
                                 {"Description", "Description", CellKind::Text, 32},
                                 {"Montant", "Montant", CellKind::Amount, 14},
                                 {"Trx", "Trx#", CellKind::Text, 12},
                                 {"Payeur", "Payeur", CellKind::Text, 8},
                                 {"TypePmt", "Type", CellKind::Text, 4}});
    for (const Group& g : data.groups) {
        for (const Row& r : g.rows)
            t.Row()
                .Text("Praticien", g.heading)
                .Text("Compte", r.account)
                .Text("Producteur", r.producer)
                .Text("DrFacturant", r.billdr)
                .Date("DatePmt", r.date)
                .Text("Description", r.description)
                .Amount("Montant", r.amount)
                .Text("Trx", r.trxno)
                .Text("Payeur", r.payor)
                .Text("TypePmt", std::string(1, r.type));
        if (!g.heading.empty()) t.Row("T").Text("Praticien", g.heading).Amount("Montant", g.total);
    }
    t.Row("G").Amount("Montant", data.total);
    return t;
}

}  // namespace pmtalloc

PmtAllocationRptObj::PmtAllocationRptObj(LauncherInfo* launcher, TWindow* parent,
                                         const pmtalloc::PmtAllocData& data, bool show_meter,
                                         FILE* out)
    : OvReportObj(launcher, parent, 'C', show_meter, 0, true, out, false, true), data_(data) {}

void PmtAllocationRptObj::SetColumns() {
    SetColumnStarts({0, 26, 32, 43, 76, 91, 104});
}

bool PmtAllocationRptObj::InitialCriteria() {
    group_ = row_ = printed_group_ = 0;
    return !data_.groups.empty();
}

bool PmtAllocationRptObj::ContinueCriteria() {
    if (++row_ < data_.groups[group_].rows.size()) return true;
    row_ = 0;
    return ++group_ < data_.groups.size();
}

bool PmtAllocationRptObj::MatchCriteria() {
    if (group_ != printed_group_) {
        const pmtalloc::Group& g = data_.groups[printed_group_];
        if (!g.heading.empty()) SetCurLine(PrintTotal(GetCurLine(), g.code, g.total) + 1);
        printed_group_ = group_;
    }
    return true;
}

int PmtAllocationRptObj::GetLineReq() {
    return StartsGroup() ? 3 : 1;
}

int PmtAllocationRptObj::PrintDetail(int line) {
    int used = 0;
    if (StartsGroup()) {
        PrintText(0, line, data_.groups[group_].heading, true);
        used = 2;
    }
    PrintText(0, line + used, pmtalloc::DetailLine(data_.groups[group_].rows[row_]));
    return used + 1;
}

int PmtAllocationRptObj::PrintSubTitle(int line) {
    PrintText(0, line, S(kHeads));
    PrintRule(line + 1, 0, 112);
    return line + 3;
}

std::string PmtAllocationRptObj::GetTitleStr(int i) {
    if (i == 0) return S(kTitle);
    if (i == 1)
        return host::U8Format(S(kRange).c_str(), host::Dmy(data_.criteria.from).c_str(),
                              host::Dmy(data_.criteria.to).c_str());
    return {};
}

// "%-25.25s %-5.5s %45.45s %12.12s": the label, whose total, and the amount under the
// amounts, a rule above it.
int PmtAllocationRptObj::PrintTotal(int line, const std::string& who, int64_t amount) {
    if (!PageStarted() || line + 2 >= GetRowPerPage()) {
        PageBreak();
        line = GetCurLine();
    }
    PrintText(78, line, std::string(12, '-'));
    PrintText(0, line + 1,
              host::U8Fit(S(kTotal), 25) + " " + host::U8Fit(who, 5) + " " + std::string(45, ' ') +
                  " " + host::U8Fit(Amount(amount), 12, false));
    return line + 2;
}

bool PmtAllocationRptObj::EndReport(int line) {
    if (!data_.groups.empty()) {
        const pmtalloc::Group& g = data_.groups[printed_group_];
        if (!g.heading.empty()) line = PrintTotal(line, g.code, g.total) + 1;
        line = PrintTotal(line, "", data_.total);
    }
    return OvReportObj::EndReport(line);
}

long PmtAllocationRptObj::GetMaxMeterCount() {
    return static_cast<long>(data_.Count());
}

std::string PmtAllocationRptObj::GetMeterTitle() {
    return S(kMeter);
}

PmtAllocReportRun::PmtAllocReportRun(const pmtalloc::Criteria& criteria)
    : TableReportRun({criteria}, &pmtalloc::Collect, &pmtalloc::AllocationsTable,
                     "\\XML\\pmtalloc.xml") {}

std::string PmtAllocReportRun::MeterTitle() const {
    return S(kMeter);
}

bool PmtAllocReportRun::Print(reports::RunContext& ctx) {
    PmtAllocationRptObj report(ctx.launcher, ctx.dialog, data_, ctx.interactive, ctx.text);
    return reports::PrintPages(report, ctx);
}
