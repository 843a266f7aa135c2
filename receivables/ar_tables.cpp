#include "receivables/ar_tables.h"

#include "host/base/dates.h"
#include "host/base/numfmt.h"
#include "host/base/strings.h"
#include "host/base/text.h"

namespace ar {

using host::calc::Aged;
using host::calc::kTotal;
using host::output::CellKind;
using host::output::ReportTable;
using host::output::TableColumn;

namespace {

constexpr int kMinBalance = 6568;          // "Solde Min."
constexpr int kAsOf = 6569;                // "En Date du"
constexpr int kToPayPatients = 6597;       // "Montant à Payer (patients) :"
constexpr int kToPayInsurance = 6598;      // "Montant à Payer (assurance) :"
constexpr int kTotalReceivable = 6599;     // "Total des Montants à Recevoir "
constexpr int kAdditionalAmounts = 12451;  // "Montants additionnels des comptes"
constexpr int kAccountsTotal = 6593;       // "Total des Comptes à Recevoir :"

// The six aged columns: XML suffixes and spreadsheet titles.
constexpr const char* kAgedKeys[] = {"Courant", "De30a60", "De60a90", "Plus90", "Total", "AVenir"};
constexpr const char* kAgedTitles[] = {"courant", "30-60", "60-90", "90 +", "total", "à venir"};

void AgedColumns(std::vector<TableColumn>* cols, const std::string& prefix,
                 const std::string& title) {
    for (int i = 0; i < 6; ++i)
        cols->push_back({prefix + kAgedKeys[i], title + kAgedTitles[i], CellKind::Amount, 13});
}

void AgedCells(ReportTable& t, const std::string& prefix, const Aged& a) {
    for (int i = 0; i < 6; ++i)
        t.Amount(prefix + kAgedKeys[i], a.v[i]);
}

std::string TotalTitle() {
    const std::string& t = host::LoadText(kAccountsTotal);
    return host::Trim(t.substr(0, t.find("  ")));
}

}  // namespace

std::string CriteriaLine(const arrpt_info& info) {
    char date[32];
    ldate_to_str1(date, info.as_of, DATE_FMT_DMY);
    const std::string overdue = host::Trim(info.overdue_text);
    if (info.overdue_num >= 3 && info.min_balance != 0)
        return host::U8Format(
            "(%s, %s $%s, %s : %s)", overdue.c_str(), host::LoadText(kMinBalance).c_str(),
            host::FormatAmount(info.min_balance).c_str(), host::LoadText(kAsOf).c_str(), date);
    return host::U8Format("(%s, %s : %s)", overdue.c_str(), host::LoadText(kAsOf).c_str(), date);
}

ReportTable AccountsTable(const ARData& data) {
    std::vector<TableColumn> cols = {
        {"Compte", "Compte", CellKind::Count, 8},
        {"Nom", "Nom du compte", CellKind::Text, 28},
        {"Patient", "Patient", CellKind::Text, 22},
        {"NoPatient", "No patient", CellKind::Count, 10},
        {"Telephone", "Téléphone", CellKind::Text, 18},
        {"DernierPaiement", "Dernier paiement", CellKind::Date, 12},
        {"DrDernierPaiement", "Dr du paiement", CellKind::Text, 8},
        {"Marques", "Marques", CellKind::Text, 10},
        {"DrFamille", "Dr de famille", CellKind::Text, 8},
    };
    TableColumn criteria{"Criteres", "Critères", CellKind::Text};
    criteria.in_sheet = false;
    cols.push_back(criteria);
    AgedColumns(&cols, "Pat", "Patient ");
    AgedColumns(&cols, "Ass", "Assurance ");
    AgedColumns(&cols, "Tot", "Total ");
    cols.push_back({"Additionnel", "Montant additionnel", CellKind::Amount, 13});
    cols.push_back({"SoldePlan", "Solde du plan", CellKind::Amount, 13});
    cols.push_back({"Comptes", "Comptes", CellKind::Count, 8});
    ReportTable t("Comptes", std::move(cols));
    const std::string crit = CriteriaLine(data.criteria);
    auto identity = [&](const AccountRow& a) {
        t.Count("Compte", a.acc_id)
            .Text("Nom", a.name)
            .Text("Telephone", a.phone)
            .Date("DernierPaiement", a.last_payment)
            .Text("DrDernierPaiement", a.last_payment_dr)
            .Text("Marques", a.markers)
            .Text("DrFamille", a.family_doctor)
            .Text("Criteres", crit);
    };
    const bool by_patient = !data.quick && data.criteria.kind == 1;
    const bool listed = data.quick || data.criteria.kind != 2;
    for (const AccountRow& a : listed ? data.accounts : std::vector<AccountRow>{}) {
        if (by_patient) {
            for (const PatientRow& p : a.patient_rows) {
                t.Row();
                identity(a);
                t.Text("Patient", p.name).Count("NoPatient", p.pat_id);
                AgedCells(t, "Pat", p.ar.pat);
                AgedCells(t, "Ass", p.ar.ins);
                AgedCells(t, "Tot", p.ar.tot);
            }
            // The account's own amounts that no patient carries.
            if (a.additional != 0 || a.plan_balance != 0) {
                t.Row();
                identity(a);
                Aged extra;
                extra.v[0] = extra.v[kTotal] = a.additional;
                AgedCells(t, "Pat", extra);
                AgedCells(t, "Ass", Aged{});
                AgedCells(t, "Tot", extra);
                t.Amount("Additionnel", a.additional).Amount("SoldePlan", a.plan_balance);
            }
            continue;
        }
        t.Row();
        identity(a);
        AgedCells(t, "Pat", a.ar.pat);
        AgedCells(t, "Ass", a.ar.ins);
        AgedCells(t, "Tot", a.ar.tot);
        t.Amount("Additionnel", a.additional).Amount("SoldePlan", a.plan_balance);
    }
    const AgedGroups total = SumAccounts(data);
    t.Row("T").Text("Nom", TotalTitle()).Text("Criteres", crit);
    AgedCells(t, "Pat", total.pat);
    AgedCells(t, "Ass", total.ins);
    AgedCells(t, "Tot", total.tot);
    t.Amount("Additionnel", SumAdditional(data))
        .Amount("SoldePlan", PlanBalances(data))
        .Count("Comptes", static_cast<int64_t>(KeptAccounts(data)));
    return t;
}

ReportTable SummaryTable(const ARData& data) {
    std::vector<TableColumn> cols = {
        {"Code", "Code", CellKind::Text, 8},
        {"Producteur", "Producteur", CellKind::Text, 36},
    };
    TableColumn criteria{"Criteres", "Critères", CellKind::Text};
    criteria.in_sheet = false;
    cols.push_back(criteria);
    AgedColumns(&cols, "", "");
    cols.push_back({"PatTotal", "Patient total", CellKind::Amount, 13});
    cols.push_back({"AssTotal", "Assurance total", CellKind::Amount, 13});
    ReportTable t("Sommaire", std::move(cols));
    const std::string crit = CriteriaLine(data.criteria);
    for (const ProducerRow& p : data.producers) {
        t.Row().Text("Code", p.code).Text("Criteres", crit);
        t.Text(
            "Producteur",
            host::Trim(p.identification.substr(std::min(p.identification.size(), p.code.size()))));
        AgedCells(t, "", p.ar.tot);
        t.Amount("PatTotal", p.ar.pat.v[kTotal]).Amount("AssTotal", p.ar.ins.v[kTotal]);
    }
    if (const int64_t extra = SumAdditional(data); extra != 0) {
        Aged a;
        a.v[0] = a.v[kTotal] = extra;
        t.Row().Text("Producteur", host::LoadText(kAdditionalAmounts)).Text("Criteres", crit);
        AgedCells(t, "", a);
        t.Amount("PatTotal", extra).Amount("AssTotal", 0);
    }
    const AgedGroups total = SummaryTotal(data);
    const std::pair<int, const Aged*> lines[] = {{kToPayPatients, &total.pat},
                                                 {kToPayInsurance, &total.ins},
                                                 {kTotalReceivable, &total.tot}};
    for (const auto& [label, aged] : lines) {
        t.Row("T").Text("Producteur", host::Trim(host::LoadText(label))).Text("Criteres", crit);
        AgedCells(t, "", *aged);
    }
    return t;
}

ReportTable NotesTable(const ARData& data) {
    ReportTable t("Notes C-R", {
                                   {"Compte", "Compte", CellKind::Count, 8},
                                   {"Nom", "Nom du compte", CellKind::Text, 28},
                                   {"Date", "Date", CellKind::Date, 12},
                                   {"Prenom", "Patient", CellKind::Text, 16},
                                   {"Commentaire", "Commentaire", CellKind::Text, 80},
                               });
    for (const AccountRow& a : data.accounts)
        for (const NoteRow& n : a.notes)
            t.Row()
                .Count("Compte", a.acc_id)
                .Text("Nom", a.name)
                .Date("Date", n.date)
                .Text("Prenom", n.first_name)
                .Text("Commentaire", n.comment);
    return t;
}

}  // namespace ar
