#include "closing/mthend_reports.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "closing/mthdep_reports.h"
#include "host/base/dates.h"
#include "host/base/env.h"
#include "host/base/numfmt.h"
#include "host/base/strings.h"
#include "host/base/text.h"
#include "host/output/paths.h"
#include "host/records/context.h"
#include "host/ui/reportdlg.h"

namespace mthend {

namespace {

using dayend::Blank;
using dayend::Block;
using dayend::PrintLine;
using dayend::Rule;

// Columns of the summary: labels of the receivables and totals, amounts of the change
// lines, amounts of the totals, the rules framing the increase and decrease blocks.
constexpr int kLabel = 25;
constexpr int kLineAmt = 80 - 5;  // a 16-character amount ending past column 80
constexpr int kTotalAmt = 110;
constexpr int kRuleFrom = 10, kRuleLen = 84;
constexpr int kPreparedFor = 12803;
constexpr int kPmtAdjTotal = 6297, kFeeAdjTotal = 6296;

const std::string& S(int id) {
    return host::LoadText(id);
}

std::string Amt(int64_t cents, int width = 16) {
    char buf[64];
    return MakeNumericFormat(cents, buf, width);
}

PrintLine Text(std::initializer_list<dayend::Cell> cells, bool bold = false) {
    PrintLine l;
    l.cells = cells;
    l.bold = bold;
    return l;
}

std::string DoctorLine(const Page& p) {
    return host::U8Format(S(p.type == 'H' ? 7131 : 6389).c_str(), p.code.c_str(), p.first.c_str(),
                          p.last.c_str());
}

std::string SubtotalLine(const Subtotal& s) {
    return host::U8Format("%s Totals - %s %s%c %s", s.code.c_str(), s.first.c_str(), s.last.c_str(),
                          s.title.empty() ? ' ' : ',', s.title.c_str());
}

Block PageBlock(const Page& p, const std::string& heading, const std::string& practice, long last) {
    Block b;
    b.new_page = true;
    b.heading = heading;
    auto& v = b.lines;
    const Figures& f = p.f;
    v.push_back(Rule(kRuleFrom, 130));
    v.push_back(
        Text({{kRuleFrom, S(6136)},
              {kTotalAmt, host::U8Fit(S(6078) + " " + host::FormatDate(last, DATE_FMT_DMY), 16)}},
             true));
    v.push_back(Rule(kRuleFrom, 130));
    v.push_back(Blank());
    v.push_back(Text({{kLabel, S(6386)}, {kTotalAmt, Amt(p.start)}}));
    v.push_back(Blank());
    // What raised the receivable.
    v.push_back(Text({{kRuleFrom, S(6156)}}, true));
    v.push_back(Rule(kRuleFrom, kRuleFrom + kRuleLen));
    v.push_back(Text({{12, S(6117)}}));
    v.push_back(Text({{14, S(6158)}}));
    v.push_back(Text({{18, S(6103)}, {kLineAmt, Amt(f.cat[kDfe])}}));
    v.push_back(Text({{18, S(6104)}, {kLineAmt, Amt(f.cat[kLch])}}));
    v.push_back(Text({{18, S(6105)}, {kLineAmt, Amt(f.cat[kDis])}}));
    v.push_back(Text({{18, S(6106)}, {kLineAmt, Amt(f.cat[kDsc])}}));
    v.push_back(Text({{14, S(6123)}, {kLineAmt, Amt(f.cat[kOfch])}}));
    v.push_back(Text({{12, S(6107)}, {kLineAmt, Amt(f.FeeAdj())}}));
    v.push_back(Rule(kRuleFrom, kRuleFrom + kRuleLen));
    // What lowered it, money received positive.
    v.push_back(Text({{kRuleFrom, S(6157)}}, true));
    v.push_back(Rule(kRuleFrom, kRuleFrom + kRuleLen));
    v.push_back(Text({{12, S(6160)}}));
    v.push_back(Text({{18, S(6391)}, {kLineAmt, Amt(-f.cat[kDeposit])}}));
    v.push_back(Text({{18, S(6392)}, {kLineAmt, Amt(-f.cat[kDirect])}}));
    v.push_back(Text({{12, S(6126)}, {kLineAmt, Amt(f.Transfers())}}));
    v.push_back(Text({{12, S(6175)}, {kLineAmt, Amt(f.PmtAdj())}}));
    v.push_back(Rule(kRuleFrom, kRuleFrom + kRuleLen));
    const int64_t net = f.Net();
    v.push_back(Text({{12, S(net >= 0 ? 6203 : 6204)}, {kLineAmt, Amt(net >= 0 ? net : -net)}}));
    v.push_back(Blank());
    v.push_back(Text({{kLabel, S(6102)}, {kTotalAmt, Amt(f.Charges())}}));
    v.push_back(Text({{kLabel, S(6176)}, {kTotalAmt, Amt(f.FeeAdj())}}));
    v.push_back(Text({{kLabel, S(6178)}, {kTotalAmt, Amt(f.Payments())}}));
    v.push_back(Text({{kLabel, S(6177)}, {kTotalAmt, Amt(f.Transfers() + f.PmtAdj())}}));
    v.push_back(Rule(kTotalAmt, kTotalAmt + 16));
    v.push_back(Text({{kLabel, S(6387)}, {kTotalAmt, Amt(net)}}));
    v.push_back(Text({{kLabel, S(6161)}, {kTotalAmt, Amt(p.end - p.start)}}, true));
    v.push_back(Blank());
    v.push_back(Text({{kLabel, S(6385)}, {kTotalAmt, Amt(p.end)}}, true));
    if (!p.subtotals.empty()) {
        v.push_back(Blank());
        // A subtotal per producer: charges, fee adjustments, payments, payment adjustments
        // and the net change.
        for (const Subtotal& s : p.subtotals)
            v.push_back(Text({{kRuleFrom, host::U8Fit(SubtotalLine(s), 44)},
                              {55, Amt(s.f.Charges(), 12)},
                              {68, Amt(s.f.FeeAdj(), 12)},
                              {81, Amt(s.f.Payments(), 12)},
                              {94, Amt(s.f.Transfers() + s.f.PmtAdj(), 12)},
                              {kTotalAmt, Amt(s.f.Net())}}));
    }
    if (!practice.empty()) {
        v.push_back(Blank());
        v.push_back(Text({{kRuleFrom, S(kPreparedFor) + practice}}));
    }
    return b;
}

std::string DetailAmt(int64_t cents) {
    return Amt(cents, 13);
}

}  // namespace

std::string MonthTitle(long first) {
    const int month = static_cast<int>(first / 100 % 100);
    const long year = first / 10000;
    if (month < 1 || month > 12) return std::to_string(year);
    return S(6162 + month) + " " + std::to_string(year);
}

std::vector<Block> LayoutSummary(const MonthEndData& d) {
    std::vector<Block> blocks;
    for (const Page& p : d.pages)
        blocks.push_back(PageBlock(p, DoctorLine(p), {}, d.criteria.last));
    if (d.criteria.practice_totals || blocks.empty())
        blocks.push_back(PageBlock(d.practice, S(6390), d.practice_name, d.criteria.last));
    else if (!blocks.empty())
        blocks.back().lines.push_back(Text({{kRuleFrom, S(kPreparedFor) + d.practice_name}}));
    return blocks;
}

std::vector<Block> LayoutDetail(const MonthEndData& d) {
    std::vector<Block> blocks;
    Block head;
    head.new_page = true;
    const int cols[] = {14, 28, 42, 56, 70, 84, 98};
    head.lines.push_back(Text({{2, S(6187)},
                               {cols[0], host::U8Format("%13.13s", S(6188).c_str())},
                               {cols[1], host::U8Format("%13.13s", S(6189).c_str())},
                               {cols[2], host::U8Format("%13.13s", S(6190).c_str())},
                               {cols[3], host::U8Format("%13.13s", S(6191).c_str())},
                               {cols[4], host::U8Format("%13.13s", S(6192).c_str())},
                               {cols[5], host::U8Format("%13.13s", S(6193).c_str())},
                               {cols[6], host::U8Format("%20.20s", S(6293).c_str())}},
                              true));
    head.lines.push_back(Rule(2, 118));
    blocks.push_back(head);
    Day total;
    for (const Day& day : d.days) {
        Block b;
        b.lines.push_back(Text({{2, host::FormatDate(day.date, DATE_FMT_DMY)},
                                {cols[0], DetailAmt(day.fees)},
                                {cols[1], DetailAmt(day.lab)},
                                {cols[2], DetailAmt(day.fee_adj)},
                                {cols[3], DetailAmt(day.charges)},
                                {cols[4], DetailAmt(day.payments)},
                                {cols[5], DetailAmt(day.pmt_adj)},
                                {cols[6] + 4, Amt(day.receivable)}}));
        blocks.push_back(b);
        total.fees += day.fees;
        total.lab += day.lab;
        total.fee_adj += day.fee_adj;
        total.charges += day.charges;
        total.payments += day.payments;
        total.pmt_adj += day.pmt_adj;
    }
    Block tail;
    tail.lines.push_back(Rule(2, 118));
    tail.lines.push_back(
        Text({{2, S(6198)},
              {cols[0], DetailAmt(total.fees)},
              {cols[1], DetailAmt(total.lab)},
              {cols[2], DetailAmt(total.fee_adj)},
              {cols[3], DetailAmt(total.charges)},
              {cols[4], DetailAmt(total.payments)},
              {cols[5], DetailAmt(total.pmt_adj)},
              {cols[6] + 4, Amt(d.days.empty() ? d.practice.start : d.days.back().receivable)}},
             true));
    tail.lines.push_back(Blank());
    tail.lines.push_back(Text({{2, S(6196)}}));
    tail.lines.push_back(Text({{2, S(6197)}}));
    blocks.push_back(tail);
    if (!d.adjustments.empty()) {
        Block adj;
        adj.lines.push_back(Blank());
        adj.lines.push_back(Text({{2, S(6294)}}, true));
        adj.lines.push_back(Rule(2, 60));
        blocks.push_back(adj);
        for (const AdjDetail& a : d.adjustments) {
            Block b;
            b.lines.push_back(Text({{2, host::U8Fit(a.code, 8)},
                                    {12, host::U8Fit(a.descr, 28)},
                                    {44, Amt(a.amount)}}));
            blocks.push_back(b);
        }
        Block t;
        t.lines.push_back(Rule(44, 60));
        t.lines.push_back(Text({{2, S(kFeeAdjTotal)}, {44, Amt(d.FeeAdjTotal())}}, true));
        t.lines.push_back(Text({{2, S(kPmtAdjTotal)}, {44, Amt(d.PmtAdjTotal())}}, true));
        blocks.push_back(t);
    }
    return blocks;
}

host::output::ReportTable SummaryTable(const MonthEndData& d) {
    using host::output::CellKind;
    host::output::ReportTable t("Fin de mois",
                                {{"Code", "Code", CellKind::Text, 6},
                                 {"Nom", "Nom", CellKind::Text, 30},
                                 {"Debut", "Début du mois", CellKind::Amount, 14},
                                 {"Honoraires", "Honoraires", CellKind::Amount, 12},
                                 {"Laboratoire", "Laboratoire", CellKind::Amount, 12},
                                 {"Escompte", "Escompte", CellKind::Amount, 12},
                                 {"FraisSuppl", "Frais suppl.", CellKind::Amount, 12},
                                 {"Frais", "Frais", CellKind::Amount, 12},
                                 {"AjustTarifs", "Ajust. tarifs", CellKind::Amount, 12},
                                 {"Depots", "Dépôts", CellKind::Amount, 12},
                                 {"DepotsDirects", "Dépôts directs", CellKind::Amount, 12},
                                 {"Transferts", "Transferts", CellKind::Amount, 12},
                                 {"AjustPaiements", "Ajust. paiements", CellKind::Amount, 12},
                                 {"Net", "Net", CellKind::Amount, 12},
                                 {"Fin", "Fin du mois", CellKind::Amount, 14}});
    auto row = [&t](const std::string& type, const std::string& code, const std::string& name,
                    const Figures& f, int64_t start, int64_t end, bool balances) {
        t.Row(type).Text("Code", code).Text("Nom", name);
        if (balances) t.Amount("Debut", start).Amount("Fin", end);
        t.Amount("Honoraires", f.cat[kDfe])
            .Amount("Laboratoire", f.cat[kLch])
            .Amount("Escompte", f.cat[kDis])
            .Amount("FraisSuppl", f.cat[kDsc])
            .Amount("Frais", f.cat[kOfch])
            .Amount("AjustTarifs", f.FeeAdj())
            .Amount("Depots", -f.cat[kDeposit])
            .Amount("DepotsDirects", -f.cat[kDirect])
            .Amount("Transferts", f.Transfers())
            .Amount("AjustPaiements", f.PmtAdj())
            .Amount("Net", f.Net());
    };
    auto name = [](const std::string& first, const std::string& last) {
        return first.empty() ? last : last.empty() ? first : first + " " + last;
    };
    for (const Page& p : d.pages) {
        row("", p.code, name(p.first, p.last), p.f, p.start, p.end, true);
        for (const Subtotal& s : p.subtotals)
            row("S", s.code, name(s.first, s.last), s.f, 0, 0, false);
    }
    row("T", "", S(6390), d.practice.f, d.practice.start, d.practice.end, true);
    return t;
}

host::output::ReportTable DetailTable(const MonthEndData& d) {
    using host::output::CellKind;
    host::output::ReportTable t("Fin de mois - journalier",
                                {{"Date", "Date", CellKind::Date, 12},
                                 {"Honoraires", "Honoraires", CellKind::Amount, 12},
                                 {"Laboratoire", "Laboratoire", CellKind::Amount, 12},
                                 {"AjustTarifs", "Ajust. Tarifs", CellKind::Amount, 12},
                                 {"Frais", "Frais", CellKind::Amount, 12},
                                 {"Paiements", "Paiements", CellKind::Amount, 12},
                                 {"AjustPaiements", "Ajust. Pmts", CellKind::Amount, 12},
                                 {"CR", "Comptes à Recevoir", CellKind::Amount, 14},
                                 {"Code", "Ajust.", CellKind::Text, 8},
                                 {"Description", "Descr. des ajust.", CellKind::Text, 30},
                                 {"Montant", "Montant des ajust.", CellKind::Amount, 14}});
    for (const Day& day : d.days)
        t.Row()
            .Date("Date", day.date)
            .Amount("Honoraires", day.fees)
            .Amount("Laboratoire", day.lab)
            .Amount("AjustTarifs", day.fee_adj)
            .Amount("Frais", day.charges)
            .Amount("Paiements", day.payments)
            .Amount("AjustPaiements", day.pmt_adj)
            .Amount("CR", day.receivable);
    // Adjustments by code: 'A' of fees, 'B' of payments.
    for (const AdjDetail& a : d.adjustments)
        t.Row(a.fees ? "A" : "B")
            .Text("Code", a.code)
            .Text("Description", a.descr)
            .Amount("Montant", a.amount);
    return t;
}

std::string ReprintName(long last) {
    const std::string year = std::to_string(last / 10000);
    return host::U8Format("%4.4s%02d%02d.ME", year.c_str(), static_cast<int>(last / 100 % 100),
                          static_cast<int>(last % 100));
}

std::string ReprintFolder() {
    std::string dir = TGetStatInfo().GetReportDirectory();
    if (!dir.empty() && dir.back() != '/') dir += '/';
    return dir;
}

bool CreateReprintFile(const std::string& source, const std::string& target, std::string* error) {
    std::ifstream in(source, std::ios::binary);
    if (!in) {
        *error = "Fichier introuvable : " + source;
        return false;
    }
    std::string line;
    std::string out;
    bool any = false;
    while (std::getline(in, line)) {
        if (!any || line.rfind("==========", 0) == 0) out += "\n+++" + std::string(10, '\n');
        any = true;
        out += line + "\n";
    }
    if (!any) {
        *error = "Fichier vide : " + source;
        return false;
    }
    // Written whole under a temporary name, then moved into place.
    const std::string tmp = target + ".tmp";
    FILE* f = std::fopen(tmp.c_str(), "w+");
    if (!f) {
        *error = "Impossible d'écrire " + target + " : " + std::strerror(errno);
        return false;
    }
    const bool wrote = std::fwrite(out.data(), 1, out.size(), f) == out.size();
    const bool closed = std::fclose(f) == 0;
    if (!wrote || !closed || std::rename(tmp.c_str(), target.c_str()) != 0) {
        std::remove(tmp.c_str());
        *error = "Impossible d'écrire " + target;
        return false;
    }
    return true;
}

}  // namespace mthend

std::string MonthEndRptObj::GetMeterTitle() {
    return host::LoadText(6199);
}

MonthEndReportRun::MonthEndReportRun(const mthend::Criteria& criteria, bool summary, bool detail)
    : criteria_(criteria),
      summary_(summary),
      detail_(detail),
      summary_table_(mthend::SummaryTable(data_)),
      detail_table_(mthend::DetailTable(data_)) {}

std::string MonthEndReportRun::MeterTitle() const {
    return host::LoadText(6199);
}

mthend::Outcome MonthEndReportRun::Gather(reports::RunContext& ctx, std::string* error) {
    mthend::TMonthEndRepSummation sum(ctx.launcher, criteria_, ctx.meter);
    return sum.Collect(&data_, error);
}

bool MonthEndReportRun::Collect(reports::RunContext& ctx) {
    if (ctx.launcher && ctx.launcher->App()) criteria_.calc_mode = ctx.launcher->App()->m_CalAR;
    std::string error;
    if (!reports::Settle(ctx, Gather(ctx, &error), error)) return false;
    summary_table_ = mthend::SummaryTable(data_);
    detail_table_ = mthend::DetailTable(data_);
    return true;
}

bool MonthEndReportRun::Print(reports::RunContext& ctx) {
    const std::string month = mthend::MonthTitle(criteria_.first);
    bool ok = true;
    bool first = true;
    auto print = [&](std::vector<dayend::Block> blocks, const std::string& title,
                     const std::string& suffix) {
        MonthEndRptObj report(ctx.launcher, ctx.dialog, std::move(blocks), title, ctx.interactive,
                              ctx.text, criteria_.copies);
        if (first) return reports::PrintPages(report, ctx);
        report.SetDocumentName(ctx.document + suffix);
        report.SetAutomation(ctx.output_choice, false);
        const bool done = report.PrintReport();
        if (report.ReportCanceled()) ctx.cancelled = true;
        return done;
    };
    if (summary_) {
        ok = print(mthend::LayoutSummary(data_), host::LoadText(6162) + " - " + month, "");
        first = false;
    }
    if (ok && detail_)
        ok =
            print(mthend::LayoutDetail(data_), host::LoadText(6186) + " - " + month, "-journalier");
    return ok;
}

std::vector<reports::DataFile> MonthEndReportRun::DataFiles() const {
    std::vector<reports::DataFile> files;
    files.push_back({"\\XML\\monthend.xml", &summary_table_});
    if (detail_) files.push_back({"\\XML\\monthenddet.xml", &detail_table_});
    return files;
}
