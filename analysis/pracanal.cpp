#include "analysis/pracanal.h"

#include <cstring>

#include "common/rptoptini.h"
#include "host/base/dates.h"
#include "host/base/numfmt.h"
#include "host/base/strings.h"
#include "host/base/text.h"
#include "host/output/paths.h"
#include "host/records/context.h"
#include "host/records/practice.h"

using host::output::CellKind;
using host::output::ReportTable;
using host::output::TableColumn;

namespace {

constexpr int kByProducer = 6328;  // "Par producteur (%s)"
constexpr int kBillDr = 6562;      // "Dr Facturant"
constexpr int kTransfers1 = 6345;
constexpr int kTransfers2 = 6346;
constexpr int kTotals = 6361;  // "Totaux :"
constexpr int kAmountWidth = 12;

const char* const kPeriodLabels[] = {"Aujourd'hui", "MTD", "YTD"};

// Production: count, dental, laboratory, office, fee adjustments, fees, fees with
// auxiliaries.
const int kProdCols[] = {31, 39, 53, 66, 80, 93, 110};
// Payments: payments, transfers, payment adjustments, net regular, net laboratory, net.
const int kPmtCols[] = {39, 53, 66, 80, 93, 110};

std::string Amount(int64_t cents) {
    char buf[48];
    return MakeNumericFormat(cents, buf, kAmountWidth);
}

// A word right-aligned to end where the amounts of a column end.
void Heading(OvReportObj& r, int line, int col, int width, const char* word) {
    const int start = col + width - static_cast<int>(host::U8Length(word));
    r.PrintText(start < 0 ? 0 : start, line, word);
}

}  // namespace

// --- PracSelection ---

void PracSelection::Set(bool on_, const char* code_, bool billdr_only_) {
    on = on_;
    code = host::Trim(code_ ? code_ : "");
    billdr_only = billdr_only_;
    if (code.empty() || code == "*")
        prod_code = "*";
    else if (code.size() <= 2)
        prod_code = GetProdCode(code.c_str(), false);
    else
        prod_code = code;
    if (code.empty()) on = false;
}

bool PracSelection::Matches(const prodanal_info& p) const {
    if (!on) return true;
    if (prod_code == "*") return !billdr_only || IsBillingDr(p.code.c_str(), db);
    return p.code == prod_code;
}

// --- PracAnalBase ---

PracAnalBase::PracAnalBase(LauncherInfo* launcher, TWindow* parent, TProducerAnalysisObj* engine,
                           short show_ytd, long report_date, FILE* out)
    : OvReportObj(launcher, parent, 'C', true, 0, true, out),
      engine_(engine),
      show_ytd_(show_ytd),
      report_date_(report_date) {
    sel_.db = launcher ? launcher->GetDb() : nullptr;
}

const char* PracAnalBase::PeriodLabel(int period) {
    return kPeriodLabels[period < 0 || period > 2 ? 0 : period];
}

bool PracAnalBase::Shown(const prodanal_info& p) const {
    if (!sel_.Matches(p)) return false;
    if (p.flag != 'Y') return true;
    for (int k = 0; k < Periods(); ++k)
        for (int64_t v : Figures(p, k))
            if (v != 0) return true;
    return false;
}

bool PracAnalBase::InitialCriteria() {
    current_ = 0;
    return engine_ && current_ < engine_->GetProducerList().Count();
}

bool PracAnalBase::ContinueCriteria() {
    return ++current_ < engine_->GetProducerList().Count();
}

bool PracAnalBase::MatchCriteria() {
    return Shown(*static_cast<prodanal_info*>(engine_->GetProducerList()[current_]));
}

int PracAnalBase::PrintDetail(int line) {
    auto* p = static_cast<prodanal_info*>(engine_->GetProducerList()[current_]);
    return PrintOneProducer(p, line) - line;
}

long PracAnalBase::GetMaxMeterCount() {
    return engine_ ? static_cast<long>(engine_->GetProducerList().Count()) : 0;
}

std::string PracAnalBase::DateText() const {
    char buf[32];
    return ldate_to_str1(buf, report_date_, DATE_FMT_DMY);
}

std::string PracAnalBase::SubTitle() const {
    const std::string who = by_billdr_ ? host::LoadText(kBillDr) : "Producteur";
    return host::U8Format(host::LoadText(kByProducer).c_str(), who.c_str());
}

// --- PracAnalysisObj ---

PracAnalysisObj::PracAnalysisObj(LauncherInfo* launcher, TWindow* parent,
                                 TProducerAnalysisObj* engine, short show_ytd, long report_date,
                                 bool last_report, FILE* out)
    : PracAnalBase(launcher, parent, engine, show_ytd, report_date, out),
      last_report_(last_report) {
    totals_.assign(std::size(kProdCols), std::vector<int64_t>(PA_PERIODS, 0));
}

void PracAnalysisObj::SetColumns() {
    SetColumnStarts({0, 20, 31, 39, 53, 66, 80, 93, 110});
}

std::string PracAnalysisObj::GetTitleStr(int i) {
    switch (i) {
        case 0:
            return "RAPPORT D'ANALYSE DE PRODUCTION " + DateText();
        case 1:
            return SubTitle();
        case 2:
            return "(Les totaux auxiliaires sont exclus des totaux des docteurs)";
    }
    return {};
}

std::string PracAnalysisObj::GetMeterTitle() {
    return "Impression du Rapport d'Analyse de Production en cours";
}

int PracAnalysisObj::PrintSubTitle(int line) {
    PrintText(0, line, "Producteur");
    Heading(*this, line, 31, 6, "Effectué");
    Heading(*this, line, 39, kAmountWidth, "Tarifs");
    Heading(*this, line, 53, kAmountWidth, "Tarifs");
    Heading(*this, line, 66, kAmountWidth, "Frais");
    Heading(*this, line, 80, kAmountWidth, "Ajust.");
    Heading(*this, line, 93, kAmountWidth, "Total");
    Heading(*this, line, 110, kAmountWidth, "Total");
    Heading(*this, line + 1, 31, 6, "Procédures");
    Heading(*this, line + 1, 39, kAmountWidth, "Dentaire");
    Heading(*this, line + 1, 53, kAmountWidth, "Laboratoire");
    Heading(*this, line + 1, 66, kAmountWidth, "Bureau");
    Heading(*this, line + 1, 80, kAmountWidth, "Frais");
    Heading(*this, line + 1, 93, kAmountWidth, "Frais");
    Heading(*this, line + 1, 110, kAmountWidth, "(Aux incl.)");
    PrintRule(line + 2);
    return line + 4;
}

std::vector<int64_t> PracAnalysisObj::Figures(const prodanal_info& p, int k) const {
    std::vector<int64_t> f = {p.acc[PA_PROCS][k],  p.acc[PA_DENTAL][k], p.acc[PA_LAB][k],
                              p.acc[PA_OFFCHG][k], p.acc[PA_FEEADJ][k], p.acc[PA_FEES][k]};
    if (!p.IsAuxiliary()) f.push_back(p.acc[PA_FEESAUX][k]);
    return f;
}

int PracAnalysisObj::PrintOneProducer(prodanal_info* p, int line) {
    PrintFormat(0, line, "%-3.3s %-15.15s", p->code.c_str(), p->descript.c_str());
    for (int k = 0; k < Periods(); ++k, ++line) {
        PrintText(20, line, PeriodLabel(k));
        const std::vector<int64_t> f = Figures(*p, k);
        PrintFormat(31, line, "%6lld", static_cast<long long>(f[0]));
        for (size_t c = 1; c < f.size(); ++c)
            PrintText(kProdCols[c], line, Amount(f[c]));
        for (size_t c = 0; c < f.size(); ++c)
            Add(static_cast<int>(c), k, f[c]);
    }
    return line + 1;
}

bool PracAnalysisObj::EndReport(int line) {
    if (Selection().PrintsTotals()) {
        if (!PageStarted() || line + Periods() + 2 > GetRowPerPage()) {
            PageBreak();
            line = GetCurLine();
        }
        PrintText(31, line, "______");
        for (size_t c = 1; c < std::size(kProdCols); ++c)
            PrintText(kProdCols[c], line, "____________");
        ++line;
        PrintText(0, line, host::LoadText(kTotals));
        for (int k = 0; k < Periods(); ++k, ++line) {
            PrintText(20, line, PeriodLabel(k));
            PrintFormat(31, line, "%6lld",
                        static_cast<long long>(totals_[0][static_cast<size_t>(k)]));
            for (size_t c = 1; c < std::size(kProdCols); ++c)
                PrintText(kProdCols[c], line, Amount(totals_[c][static_cast<size_t>(k)]));
        }
    }
    if (!last_report_ && next_) {
        if (!PageStarted()) PageBreak();
        next_->ContinueOn(*this);
        next_->SetStartPageNo(GetPageNumber() + 1);
        const bool ok = next_->PrintReport();
        return OvReportObj::EndReport(line) && ok;
    }
    return OvReportObj::EndReport(line);
}

// --- PracAnalPmtObj ---

PracAnalPmtObj::PracAnalPmtObj(LauncherInfo* launcher, TWindow* parent,
                               TProducerAnalysisObj* engine, short show_ytd, long report_date,
                               FILE* out)
    : PracAnalBase(launcher, parent, engine, show_ytd, report_date, out) {
    totals_.assign(std::size(kPmtCols), std::vector<int64_t>(PA_PERIODS, 0));
}

void PracAnalPmtObj::SetColumns() {
    SetColumnStarts({0, 20, 39, 53, 66, 80, 93, 110});
}

std::string PracAnalPmtObj::GetTitleStr(int i) {
    switch (i) {
        case 0:
            return "RAPPORT D'ANALYSE DES PAIEMENTS DU PRODUCTEUR " + DateText();
        case 1:
            return SubTitle();
        case 2:
            return "(Les totaux auxiliaires sont inclus dans les totaux des docteurs)";
    }
    return {};
}

std::string PracAnalPmtObj::GetMeterTitle() {
    return "Impression du Rapport d'Analyse de Paiements en cours";
}

int PracAnalPmtObj::PrintSubTitle(int line) {
    PrintText(0, line, "Producteur");
    Heading(*this, line, 39, kAmountWidth, "Paiements");
    Heading(*this, line, 53, kAmountWidth, "Allocation");
    Heading(*this, line, 66, kAmountWidth, "Ajust.");
    Heading(*this, line, 80, kAmountWidth, "Net Regular");
    Heading(*this, line, 93, kAmountWidth, "Net Lab");
    Heading(*this, line, 110, kAmountWidth, "Total Net");
    Heading(*this, line + 1, 39, kAmountWidth, "Alloué");
    Heading(*this, line + 1, 53, kAmountWidth, "Transferts");
    Heading(*this, line + 1, 66, kAmountWidth, "Paiement");
    Heading(*this, line + 1, 80, kAmountWidth, "Paiements");
    Heading(*this, line + 1, 93, kAmountWidth, "Paiements");
    Heading(*this, line + 1, 110, kAmountWidth, "Paiements");
    PrintRule(line + 2);
    return line + 4;
}

std::vector<int64_t> PracAnalPmtObj::Figures(const prodanal_info& p, int k) const {
    std::vector<int64_t> f = {p.acc[PA_PMT_TOT][k], p.acc[PA_TRF_TOT][k], p.acc[PA_PADJ_TOT][k]};
    if (k != PA_YTD) {
        f.push_back(p.acc[PA_NET_REG][k]);
        f.push_back(p.acc[PA_NET_LAB][k]);
    }
    f.push_back(p.acc[PA_NET_TOT][k]);
    return f;
}

int PracAnalPmtObj::PrintOneProducer(prodanal_info* p, int line) {
    PrintFormat(0, line, "%-3.3s %-15.15s", p->code.c_str(), p->descript.c_str());
    for (int k = 0; k < Periods(); ++k, ++line) {
        PrintText(20, line, PeriodLabel(k));
        const std::vector<int64_t> f = Figures(*p, k);
        // The net regular and laboratory columns are blank on the YTD line.
        const std::vector<int> cols =
            k == PA_YTD ? std::vector<int>{0, 1, 2, 5} : std::vector<int>{0, 1, 2, 3, 4, 5};
        for (size_t i = 0; i < f.size(); ++i) {
            PrintText(kPmtCols[cols[i]], line, Amount(f[i]));
            Add(cols[i], k, f[i]);
        }
    }
    return line + 1;
}

bool PracAnalPmtObj::EndReport(int line) {
    if (!PageStarted() || line + Periods() + 5 > GetRowPerPage()) {
        PageBreak();
        line = GetCurLine();
    }
    if (Selection().PrintsTotals()) {
        for (int c : kPmtCols)
            PrintText(c, line, "____________");
        ++line;
        PrintText(0, line, host::LoadText(kTotals));
        for (int k = 0; k < Periods(); ++k, ++line) {
            PrintText(20, line, PeriodLabel(k));
            for (size_t c = 0; c < std::size(kPmtCols); ++c) {
                if (k == PA_YTD && (c == 3 || c == 4)) continue;
                PrintText(kPmtCols[c], line, Amount(totals_[c][static_cast<size_t>(k)]));
            }
        }
    }
    ++line;
    PrintLine(0, line++, host::LoadText(kTransfers1));
    PrintLine(0, line++, host::LoadText(kTransfers2));
    return OvReportObj::EndReport(line);
}

// --- Data tables ---

namespace {

std::vector<TableColumn> LeadColumns() {
    return {{"Producteur", "Producteur", CellKind::Text, 6},
            {"Description", "Description", CellKind::Text, 20},
            {"Periode", "Période", CellKind::Text, 12}};
}

// One row per printed producer and period, then the totals when the report prints them.
template <class Report>
ReportTable Rows(const Report& r, ReportTable t, const std::vector<std::string>& keys,
                 TProducerAnalysisObj* engine, bool count_first) {
    auto cells = [&](const std::vector<int64_t>& f, const std::vector<size_t>& at) {
        for (size_t i = 0; i < f.size(); ++i) {
            if (count_first && at[i] == 0)
                t.Count(keys[0], f[i]);
            else
                t.Amount(keys[at[i]], f[i]);
        }
    };
    // The columns of a line's figures: the production's in order (an auxiliary's last one
    // left out); the payments' without the net regular and laboratory ones on the YTD line.
    auto positions = [&](int k, size_t n) {
        std::vector<size_t> at;
        if (count_first) {
            for (size_t i = 0; i < n; ++i)
                at.push_back(i);
        } else {
            at = k == PA_YTD ? std::vector<size_t>{0, 1, 2, 5}
                             : std::vector<size_t>{0, 1, 2, 3, 4, 5};
        }
        return at;
    };
    if (engine)
        for (TDElem* x : engine->GetProducerList()) {
            auto* p = static_cast<prodanal_info*>(x);
            if (!r.Shown(*p)) continue;
            for (int k = 0; k < r.Periods(); ++k) {
                t.Row().Text("Producteur", p->code).Text("Description", p->descript);
                t.Text("Periode", PracAnalBase::PeriodLabel(k));
                const std::vector<int64_t> f = r.Figures(*p, k);
                cells(f, positions(k, f.size()));
            }
        }
    if (r.Selection().PrintsTotals())
        for (int k = 0; k < r.Periods(); ++k) {
            t.Row("T").Text("Producteur", "").Text("Description", host::LoadText(kTotals));
            t.Text("Periode", PracAnalBase::PeriodLabel(k));
            const auto& totals = r.Totals();
            std::vector<int64_t> f;
            const std::vector<size_t> at =
                count_first ? std::vector<size_t>{0, 1, 2, 3, 4, 5, 6} : positions(k, 0);
            for (size_t c : at)
                f.push_back(totals[c][static_cast<size_t>(k)]);
            cells(f, at);
        }
    return t;
}

const std::vector<std::string> kProdKeys = {"Procedures", "Dentaire",   "Laboratoire", "Bureau",
                                            "AjustFrais", "TotalFrais", "TotalAuxIncl"};
const std::vector<std::string> kProdTitles = {
    "Procédures",   "Tarifs dentaires", "Laboratoire",       "Frais de bureau",
    "Ajust. frais", "Total frais",      "Total (aux. incl.)"};
const std::vector<std::string> kPmtKeys = {"Paiements",   "Transferts", "AjustPaiements",
                                           "NetRegulier", "NetLab",     "NetTotal"};
const std::vector<std::string> kPmtTitles = {"Paiements alloués", "Transferts",
                                             "Ajust. paiements",  "Net régulier",
                                             "Net laboratoire",   "Total net"};

ReportTable Table(const char* name, const std::vector<std::string>& keys,
                  const std::vector<std::string>& titles, bool count_first) {
    std::vector<TableColumn> cols = LeadColumns();
    for (size_t i = 0; i < keys.size(); ++i)
        cols.push_back(
            {keys[i], titles[i], count_first && i == 0 ? CellKind::Count : CellKind::Amount, 14});
    return ReportTable(name, cols);
}

}  // namespace

ReportTable EmptyPracAnalysisTable() {
    return Table("PracAnalysis", kProdKeys, kProdTitles, true);
}

ReportTable EmptyPracAnalPmtTable() {
    return Table("PracAnalysisPmt", kPmtKeys, kPmtTitles, false);
}

ReportTable PracAnalysisTable(const PracAnalysisObj& report) {
    return Rows(report, EmptyPracAnalysisTable(), kProdKeys, report.Engine(), true);
}

ReportTable PracAnalPmtTable(const PracAnalPmtObj& report) {
    return Rows(report, EmptyPracAnalPmtTable(), kPmtKeys, report.Engine(), false);
}

// --- PracPrnObj ---

PracPrnObj::PracPrnObj(LauncherInfo* launcher, TWindow* parent, int caller, long report_date,
                       FILE* out)
    : launcher_(launcher),
      parent_(parent),
      caller_(caller),
      report_date_(report_date),
      out_(out),
      production_(EmptyPracAnalysisTable()),
      payments_(EmptyPracAnalPmtTable()) {
    RptOptWDIniObj opts(launcher);
    print_ = opts.prca_opt[0];
    show_ytd_ = opts.prca_opt[1];
    print_pmts_ = opts.prca_opt[2];
    closing_ = opts.prca_code;
    // The Reports Manager always prints; the closings print when the options ask.
    if (caller_ == 0) print_ = 1;
}

PracPrnObj::~PracPrnObj() = default;

void PracPrnObj::SetFlags(short show_ytd, short print_pmts, char closing) {
    show_ytd_ = show_ytd;
    print_pmts_ = print_pmts;
    closing_ = closing;
}

void PracPrnObj::SetSummByDoc(bool on, const char* code, bool by_billdr) {
    sel_on_ = on;
    sel_code_ = host::Trim(code ? code : "");
    by_billdr_ = by_billdr;
}

bool PracPrnObj::Runs() const {
    if (print_ != 1) return false;
    if (caller_ == 1) return closing_ == 'D';
    if (caller_ == 2) return closing_ == 'M';
    return true;
}

bool PracPrnObj::Collect() {
    error_.clear();
    engine_ = std::make_unique<TProducerAnalysisObj>(launcher_, 0, report_date_, parent_, true);
    if (!engine_->Collect(by_billdr_, false)) {
        error_ = engine_->Error();
        return false;
    }
    return true;
}

bool PracPrnObj::Print(int output_mode, const std::string& document, bool* cancelled) {
    if (!engine_) return false;
    const bool pmts = print_pmts_ != 0;
    PracAnalysisObj prod(launcher_, parent_, engine_.get(), show_ytd_, report_date_, !pmts, out_);
    PracAnalPmtObj pay(launcher_, parent_, engine_.get(), show_ytd_, report_date_, out_);
    for (PracAnalBase* r : std::initializer_list<PracAnalBase*>{&prod, &pay}) {
        if (sel_on_ && !sel_code_.empty()) r->SetSummByDoc(true, sel_code_.c_str(), by_billdr_);
        r->SetByBillDr(by_billdr_);
        r->SetAutomation(output_mode, false);
        r->SetDocumentName(document);
    }
    if (pmts) prod.SetNext(&pay);
    const bool ok = prod.PrintReport();
    if (cancelled) *cancelled = prod.ReportCanceled() || pay.ReportCanceled();
    production_ = PracAnalysisTable(prod);
    payments_ = pmts ? PracAnalPmtTable(pay) : EmptyPracAnalPmtTable();
    return ok;
}

bool PracPrnObj::PrintReport(int output_mode) {
    if (!Runs()) return true;
    if (!Collect()) return false;
    const bool ok = Print(output_mode, "pranyrpt", nullptr);
    std::string error;
    bool saved = production_.SaveXml("\\XML\\PracAnalysis.xml", &error);
    saved = payments_.SaveXml("\\XML\\PracAnalysisPmt.xml", &error) && saved;
    if (!saved) error_ = error;
    engine_.reset();
    return ok && saved;
}
