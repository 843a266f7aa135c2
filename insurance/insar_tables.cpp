#include "insurance/insar_tables.h"

namespace insar {

using host::calc::kTotal;
using host::output::CellKind;
using host::output::ReportTable;
using host::output::TableColumn;

namespace {

constexpr const char* kAgedKeys[] = {"Courant", "De30a60", "De60a90", "Plus90", "Total"};
constexpr const char* kAgedTitles[] = {"Courant", "30-60", "61-90", "90 +", "Total"};

// The aged amounts, then the held payments' money (in none of them).
void AgedColumns(std::vector<TableColumn>* cols) {
    for (int i = 0; i < 5; ++i)
        cols->push_back({kAgedKeys[i], kAgedTitles[i], CellKind::Amount, 13});
    cols->push_back({"PmtReporte", "Pmt reporté à", CellKind::Amount, 13});
}

void AgedCells(ReportTable& t, const Aged& a, int64_t held) {
    for (int i = 0; i < 5; ++i)
        t.Amount(kAgedKeys[i], a.v[i]);
    t.Amount("PmtReporte", held);
}

}  // namespace

ReportTable ClaimsTable(const InsARData& data, bool details) {
    std::vector<TableColumn> cols = {{"DateRapport", "En date du", CellKind::Date, 12},
                                     {"Docteur", "Docteur", CellKind::Text, 6},
                                     {"CieAss", "Cie d'ass.", CellKind::Text, 6},
                                     {"Patient", "Nom du patient", CellKind::Text, 30},
                                     {"NoReclamation", "No de récl", CellKind::Text, 12},
                                     {"DateFacture", "Facturée le", CellKind::Date, 12},
                                     {"CouvMult", "Couv. mult.", CellKind::Text, 4},
                                     {"AutresAss", "Autres ass.", CellKind::Text, 16}};
    if (details) {
        const std::vector<TableColumn> more = {{"DateTraitement", "Date", CellKind::Date, 12},
                                               {"Code", "Code", CellKind::Text, 8},
                                               {"Description", "Description", CellKind::Text, 30},
                                               {"Montant", "Mont$", CellKind::Amount, 13},
                                               {"MontantFacture", "$Fact.", CellKind::Amount, 13},
                                               {"Paye", "$Payé", CellKind::Amount, 13},
                                               {"DuPatient", "Dû patient", CellKind::Amount, 13}};
        cols.insert(cols.end(), more.begin(), more.end());
    }
    AgedColumns(&cols);
    ReportTable t(details ? "Assurance C / R (détails)" : "Assurance C / R (réclamations)", cols);
    auto claim_cells = [&](const ClaimRow& c) {
        t.Date("DateRapport", data.criteria.as_of)
            .Text("Docteur", c.doctor)
            .Text("CieAss", c.carrier)
            .Text("Patient", c.patient)
            .Text("NoReclamation", c.claim_no)
            .Date("DateFacture", c.submitted)
            .Text("CouvMult", c.multiple ? "O" : "N")
            .Text("AutresAss", c.others);
    };
    for (const ClaimRow& c : data.claims) {
        if (!details) {
            t.Row();
            claim_cells(c);
            AgedCells(t, c.due, c.held);
            continue;
        }
        for (const ItemRow& it : c.items) {
            t.Row(it.payment_id != 0 ? "H" : it.charge_id == 0 ? "U" : "");
            claim_cells(c);
            t.Date("DateTraitement", it.date)
                .Text("Code", it.code)
                .Text("Description", it.description)
                .Amount("Montant", it.charge)
                .Amount("MontantFacture", it.estimate)
                .Amount("Paye", it.ins_paid)
                .Amount("DuPatient", it.pat_due);
            AgedCells(t, it.due, it.held);
        }
    }
    return t;
}

ReportTable TotalsTable(const InsARData& data) {
    std::vector<TableColumn> cols = {{"DateRapport", "En date du", CellKind::Date, 12},
                                     {"Code", "Code", CellKind::Text, 6},
                                     {"Nom", "Nom", CellKind::Text, 40}};
    AgedColumns(&cols);
    const std::vector<TableColumn> more = {
        {"CouvUnique", "Couv. unique", CellKind::Amount, 13},
        {"CouvMult", "Mult. Total", CellKind::Amount, 13},
        {"NonFacture", "Non facturé", CellKind::Amount, 13},
        {"FraisCabinet", "Frais du cabinet", CellKind::Amount, 13}};
    cols.insert(cols.end(), more.begin(), more.end());
    ReportTable t("Totaux assurance C / R", cols);
    auto row = [&](const char* type, const TotalRow& r) {
        t.Row(type)
            .Date("DateRapport", data.criteria.as_of)
            .Text("Code", r.code)
            .Text("Nom", r.name);
        AgedCells(t, r.All(), r.held);
        t.Amount("CouvUnique", r.single.v[kTotal])
            .Amount("CouvMult", r.multiple.v[kTotal])
            .Amount("NonFacture", r.unbilled.v[kTotal])
            .Amount("FraisCabinet", r.office.v[kTotal]);
    };
    for (const TotalRow& r : data.carriers)
        row("C", r);
    for (const TotalRow& r : data.doctors)
        row("D", r);
    row("P", data.practice);
    return t;
}

}  // namespace insar
