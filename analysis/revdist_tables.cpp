#include "analysis/revdist_tables.h"

namespace revdist {

using host::output::CellKind;
using host::output::ReportTable;

namespace {

void AmountCells(ReportTable& t, const Amounts& a) {
    t.Amount("Paiements", a.payments)
        .Amount("PmtAjust", a.pmt_adjust)
        .Amount("Laboratoires", a.lab)
        .Amount("TotalJour", a.day_total)
        .Amount("TotalMois", a.month_total)
        .Amount("PartJour", a.day_share)
        .Amount("PartMois", a.month_share);
}

}  // namespace

ReportTable DistributionTable(const RevDistData& data) {
    ReportTable t("Distribution de revenu",
                  {{"DateRapport", "Date du rapport", CellKind::Date, 12},
                   {"Groupe", "Groupe", CellKind::Text, 8},
                   {"Praticien", "Praticien", CellKind::Text, 30},
                   {"DrFacturant", "Dr facturant", CellKind::Text, 8},
                   {"PatientDuDr", "Patient du Dr.", CellKind::Text, 24},
                   {"Producteur", "Producteur", CellKind::Text, 8},
                   {"TraitementFaitPar", "Traitement fait par", CellKind::Text, 24},
                   {"Paiements", "Paiements", CellKind::Amount, 12},
                   {"PmtAjust", "Pmt ajust.", CellKind::Amount, 12},
                   {"Laboratoires", "Laboratoires", CellKind::Amount, 12},
                   {"TotalJour", "Total journalier", CellKind::Amount, 12},
                   {"TotalMois", "Total mensuel", CellKind::Amount, 12},
                   {"Pcnt", "Pcnt", CellKind::Percent, 8},
                   {"PartJour", "Distribution journalière", CellKind::Amount, 12},
                   {"PartMois", "Distribution mensuelle", CellKind::Amount, 12}});
    for (const GroupRow& g : data.groups) {
        for (const RuleRow& r : g.rules) {
            t.Row()
                .Date("DateRapport", data.report_date)
                .Text("Groupe", g.code)
                .Text("Praticien", g.practitioner)
                .Text("DrFacturant", r.billdr)
                .Text("PatientDuDr", r.billdr_name)
                .Text("Producteur", r.producer)
                .Text("TraitementFaitPar", r.producer_name)
                .Percent("Pcnt", r.percent);
            AmountCells(t, r.amounts);
        }
        t.Row("T")
            .Date("DateRapport", data.report_date)
            .Text("Groupe", g.code)
            .Text("Praticien", g.practitioner)
            .Text("TraitementFaitPar", "TOTAL");
        AmountCells(t, GroupTotal(g));
    }
    return t;
}

}  // namespace revdist
