#include "insurance/insun_reports.h"

#include <vector>

#include "host/base/dates.h"
#include "host/base/numfmt.h"
#include "host/base/strings.h"
#include "host/base/text.h"

namespace {

enum : int {
    kTotals = 6402,
    kTitle = 6404,
    kUnpaid = 6405,
    kBilledBefore = 6406,
    kPartial = 6407,
    kNotPaidSince = 6408,
    kUnbilled = 6409,
    kHeadName = 6410,  // to 6420, one per column
    kMeter = 6421,
};

constexpr int kAmountWidth = 13;

const std::string& S(int id) {
    return host::LoadText(id);
}

// The criteria lines of the options chosen.
std::vector<std::string> CriteriaLines(const insun::Criteria& c) {
    std::vector<std::string> out;
    if (c.unpaid)
        out.push_back(host::Trim(S(kUnpaid)) + " - " + host::Trim(S(kBilledBefore)) + " " +
                      host::Dmy(c.billed_before));
    if (c.partial)
        out.push_back(host::Trim(S(kPartial)) + " - " + host::Trim(S(kNotPaidSince)) + " " +
                      host::Dmy(c.not_paid_since));
    if (c.unbilled) out.push_back(host::Trim(S(kUnbilled)));
    return out;
}

}  // namespace

InsUnresolvedObj::InsUnresolvedObj(LauncherInfo* launcher, TWindow* parent,
                                   const insun::InsUnData& data, bool show_meter, FILE* out)
    : OvReportObj(launcher, parent, 'C', show_meter, 0, true, out, false, true), data_(data) {}

void InsUnresolvedObj::SetColumns() {
    SetColumnStarts({kCols, kCols + 11});
}

bool InsUnresolvedObj::InitialCriteria() {
    row_ = 0;
    return !data_.claims.empty();
}

bool InsUnresolvedObj::ContinueCriteria() {
    return ++row_ < data_.claims.size();
}

int InsUnresolvedObj::PrintDetail(int line) {
    const insun::ClaimLine& c = data_.claims[row_];
    // The name once per patient on a page.
    const bool same =
        row_ > 0 && data_.claims[row_ - 1].pat_id == c.pat_id && line > GetTitleLNum() + 4;
    if (!same) PrintText(kCols[0], line, host::U8Fit(c.patient, 25));
    PrintText(kCols[1], line, std::string(1, c.assigned));
    PrintText(kCols[2], line, std::string(1, c.status));
    PrintText(kCols[3], line, host::U8Fit(c.doctor, 3));
    PrintText(kCols[4], line, host::U8Fit(c.chart, 9));
    PrintText(kCols[5], line, host::U8Fit(c.claim_no, 11));
    PrintText(kCols[6], line, host::Dmy(c.submitted));
    PrintText(kCols[7], line, host::U8Fit(c.carrier, 6));
    PrintText(kCols[8], line, host::FormatAmount(c.claimed, kAmountWidth - 1));
    PrintText(kCols[9], line, host::FormatAmount(c.estimate, kAmountWidth - 1));
    PrintText(kCols[10], line, host::FormatAmount(c.Balance(), kAmountWidth - 1));
    return 1;
}

int InsUnresolvedObj::PrintSubTitle(int line) {
    for (int i = 0; i < 8; ++i)
        PrintText(kCols[i], line, S(kHeadName + i));
    // The amounts' headings are right-aligned texts of their own.
    for (int i = 8; i < 11; ++i)
        PrintText(kCols[i], line, host::U8Fit(S(kHeadName + i), kAmountWidth - 1, false));
    PrintRule(line + 1, 0, kCols[10] + kAmountWidth - 1);
    return line + 2;
}

int InsUnresolvedObj::GetTitleLNum() {
    return 2 + static_cast<int>(CriteriaLines(data_.criteria).size());
}

std::string InsUnresolvedObj::GetTitleStr(int i) {
    if (i == 0) return S(kTitle);
    const std::vector<std::string> lines = CriteriaLines(data_.criteria);
    if (i >= 1 && i <= static_cast<int>(lines.size())) return lines[i - 1];
    return {};
}

bool InsUnresolvedObj::EndReport(int line) {
    if (!PageStarted() || line + 3 >= GetRowPerPage()) {
        PageBreak();
        line = GetCurLine();
    }
    int64_t claimed = 0, estimate = 0, balance = 0;
    for (const insun::ClaimLine& c : data_.claims) {
        claimed += c.claimed;
        estimate += c.estimate;
        balance += c.Balance();
    }
    for (int i = 8; i < 11; ++i)
        PrintText(kCols[i], line, std::string(kAmountWidth - 1, '-'));
    PrintText(kCols[0], line + 1, S(kTotals));
    PrintText(kCols[8], line + 1, host::FormatAmount(claimed, kAmountWidth - 1));
    PrintText(kCols[9], line + 1, host::FormatAmount(estimate, kAmountWidth - 1));
    PrintText(kCols[10], line + 1, host::FormatAmount(balance, kAmountWidth - 1));
    return OvReportObj::EndReport(line + 2);
}

long InsUnresolvedObj::GetMaxMeterCount() {
    return static_cast<long>(data_.claims.size());
}

std::string InsUnresolvedObj::GetMeterTitle() {
    return S(kMeter);
}

namespace insun {

using host::output::CellKind;
using host::output::ReportTable;

ReportTable ClaimsTable(const InsUnData& data) {
    ReportTable t("Assurances en attente",
                  {{"Patient", "Nom du patient", CellKind::Text, 30},
                   {"SA", "S/A", CellKind::Text, 4},
                   {"Statut", "St.", CellKind::Text, 4},
                   {"Docteur", "Dr", CellKind::Text, 4},
                   {"Dossier", "Dossier", CellKind::Text, 10},
                   {"Reclamation", "Récl.", CellKind::Text, 12},
                   {"DateReclamation", "Date/R", CellKind::Date, 12},
                   {"Assurance", "Ass.", CellKind::Text, 6},
                   {"Motif", "Motif", CellKind::Text, 4},
                   {"MontantReclame", "Récl.", CellKind::Amount, 13},
                   {"Estime", "Est.", CellKind::Amount, 13},
                   {"Paye", "Payé", CellKind::Amount, 13},
                   {"DernierPaiement", "Dernier paiement", CellKind::Date, 12},
                   {"Solde", "Solde", CellKind::Amount, 13}});
    for (const ClaimLine& c : data.claims) {
        const char* reason = c.reason == Reason::Unpaid    ? "NP"
                             : c.reason == Reason::Partial ? "PP"
                                                           : "NF";
        t.Row()
            .Text("Patient", c.patient)
            .Text("SA", std::string(1, c.assigned))
            .Text("Statut", std::string(1, c.status))
            .Text("Docteur", c.doctor)
            .Text("Dossier", c.chart)
            .Text("Reclamation", c.claim_no)
            .Date("DateReclamation", c.submitted)
            .Text("Assurance", c.carrier)
            .Text("Motif", reason)
            .Amount("MontantReclame", c.claimed)
            .Amount("Estime", c.estimate)
            .Amount("Paye", c.paid)
            .Date("DernierPaiement", c.last_paid)
            .Amount("Solde", c.Balance());
    }
    return t;
}

}  // namespace insun
