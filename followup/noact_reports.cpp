#include "followup/noact_reports.h"

#include "common/registry.h"
#include "host/base/dates.h"
#include "host/base/numfmt.h"
#include "host/base/strings.h"
#include "host/base/text.h"
#include "host/records/practice.h"
#include "host/ui/reportdlg.h"

namespace {

// String numbers of the patients not seen recently (shared headings with the patients
// without insurance).
enum : int {
    kMeter = 12630,
    kCount = 12631,
    kPending = 12632,
    kPlan = 12633,
    kRecalls = 12634,
    kAppointments = 12635,
    kName = 12636,
    kAge = 12637,
    kChart = 12638,
    kDoctor = 12639,
    kLastClaim = 12643,
    kStatus = 12644,
    kCriteria = 12649,
};

const std::string& S(int id) {
    return host::LoadText(id);
}

const char* kTitleFallback = "Patients Non Vus Récemment";

}  // namespace

PatNoActivityObj::PatNoActivityObj(LauncherInfo* launcher, TWindow* parent,
                                   const noact::NoActData& data, const std::string& title,
                                   bool show_meter, FILE* out)
    : OvReportObj(launcher, parent, 'C', show_meter, 0, false, out, false, true),
      data_(data),
      title_(title) {}

void PatNoActivityObj::SetColumns() {
    SetColumnStarts({kCols, kCols + 6});
}

std::vector<std::string> PatNoActivityObj::ItemLines(const noact::PatientRow& p,
                                                     const noact::Criteria& c) {
    std::vector<std::string> out;
    auto treatments = [&](char on, int heading, const std::vector<noact::Item>& items) {
        if (on != 'Y' || items.empty()) return;
        out.push_back("    " + S(heading));
        for (const noact::Item& it : items)
            out.push_back("      " + host::U8Fit(host::Dmy(it.date), 11) + host::U8Fit(it.code, 8) +
                          host::U8Fit(it.description, 28) + host::U8Fit(it.tooth, 3) +
                          host::U8Fit(it.surface, 6) + host::U8Fit(it.producer, 4) +
                          host::FormatAmount(it.total, 10));
    };
    auto others = [&](char on, int heading, const std::vector<noact::Item>& items) {
        if (on != 'Y' || items.empty()) return;
        out.push_back("    " + S(heading));
        for (const noact::Item& it : items)
            out.push_back(host::TrimRight(
                "      " + host::U8Fit(host::Dmy(it.date), 11) + host::U8Fit(it.code, 8) +
                host::U8Fit(it.description, 41) + host::U8Fit(it.producer, 4) + it.flag));
    };
    treatments(c.pending, kPending, p.pending);
    treatments(c.plan, kPlan, p.plan);
    others(c.recalls, kRecalls, p.recalls);
    others(c.appointments, kAppointments, p.appointments);
    return out;
}

bool PatNoActivityObj::InitialCriteria() {
    i_ = 0;
    first_ = true;
    printed_doctor_.clear();
    if (data_.patients.empty()) return false;
    items_ = ItemLines(data_.patients[0], data_.criteria);
    return true;
}

bool PatNoActivityObj::ContinueCriteria() {
    if (++i_ >= data_.patients.size()) return false;
    items_ = ItemLines(data_.patients[i_], data_.criteria);
    return true;
}

int PatNoActivityObj::GetLineReq() {
    const bool heading =
        data_.criteria.sort == 'D' && (first_ || data_.patients[i_].doctor != printed_doctor_);
    const int need = 1 + static_cast<int>(items_.size()) + (heading ? 2 : 0);
    return std::min(need, GetRowPerPage() / 2);
}

int PatNoActivityObj::PrintDetail(int line) {
    const noact::PatientRow& p = data_.patients[i_];
    int used = 0;
    if (data_.criteria.sort == 'D' && (first_ || p.doctor != printed_doctor_)) {
        if (!first_) ++used;
        auto it = data_.doctors.find(p.doctor);
        PrintText(0, line + used, it == data_.doctors.end() ? p.doctor : it->second, true);
        ++used;
        printed_doctor_ = p.doctor;
    }
    first_ = false;
    char age[16] = "";
    if (p.birthdate) mk_age_str(p.birthdate, data_.today, age);
    PrintText(kCols[0], line + used,
              host::U8Fit(host::Trim(p.last_name) + ", " + host::Trim(p.first_name), 31));
    PrintText(kCols[1], line + used, host::U8Fit(age, 3, false));
    PrintText(kCols[2], line + used, host::U8Fit(p.chart, 10));
    PrintText(kCols[3], line + used, host::U8Fit(p.doctor, 4));
    PrintText(kCols[4], line + used, host::Dmy(p.last_claim));
    PrintText(kCols[5], line + used, p.status);
    ++used;
    for (const std::string& l : items_) {
        if (line + used >= GetRowPerPage()) {
            PageBreak();
            line = GetCurLine();
            used = 0;
        }
        PrintText(0, line + used, l);
        ++used;
    }
    return used;
}

int PatNoActivityObj::PrintSubTitle(int line) {
    const noact::Criteria& c = data_.criteria;
    PrintText(0, line,
              host::U8Format(S(kCriteria).c_str(), host::Dmy(c.cutoff).c_str(),
                             host::Dmy(c.active_from).c_str(), host::Dmy(c.active_to).c_str()));
    PrintText(kCols[0], line + 2, S(kName));
    PrintText(kCols[1], line + 2, S(kAge));
    PrintText(kCols[2], line + 2, S(kChart));
    PrintText(kCols[3], line + 2, S(kDoctor));
    PrintText(kCols[4], line + 2, S(kLastClaim));
    PrintText(kCols[5], line + 2, S(kStatus));
    PrintRule(line + 3, 0, 79);
    return line + 5;
}

std::string PatNoActivityObj::GetTitleStr(int i) {
    return i == 0 ? title_ : std::string();
}

bool PatNoActivityObj::EndReport(int line) {
    if (!PageStarted() || line + 2 >= GetRowPerPage()) {
        PageBreak();
        line = GetCurLine();
    }
    PrintText(0, line + 1,
              S(kCount) + host::U8Format("%5ld", static_cast<long>(data_.patients.size())));
    return OvReportObj::EndReport(line + 2);
}

long PatNoActivityObj::GetMaxMeterCount() {
    return static_cast<long>(data_.patients.size());
}

std::string PatNoActivityObj::GetMeterTitle() {
    return S(kMeter);
}

namespace noact {

host::output::ReportTable NoActTable(const NoActData& data) {
    using host::output::CellKind;
    host::output::ReportTable t("Patients non vus récemment",
                                {{"PatId", "No patient", CellKind::Count, 8},
                                 {"Nom", "Nom", CellKind::Text, 30},
                                 {"NoDossier", "#Doss", CellKind::Text, 10},
                                 {"AssMaladie", "Assurance maladie", CellKind::Text, 12},
                                 {"Docteur", "Dr.", CellKind::Text, 4},
                                 {"NomDocteur", "Docteur", CellKind::Text, 30},
                                 {"DerniereRecl", "Dernière Récl.", CellKind::Date, 12},
                                 {"Statut", "Stat", CellKind::Text, 4},
                                 {"Naissance", "Naissance", CellKind::Date, 12},
                                 {"Section", "Section", CellKind::Text, 28},
                                 {"DateItem", "Date", CellKind::Date, 12},
                                 {"Code", "Code", CellKind::Text, 8},
                                 {"Description", "Description", CellKind::Text, 40},
                                 {"Dent", "Dent", CellKind::Text, 4},
                                 {"Surface", "Surface", CellKind::Text, 6},
                                 {"Producteur", "Producteur", CellKind::Text, 4},
                                 {"Montant", "Montant", CellKind::Amount, 12},
                                 {"Etat", "État", CellKind::Text, 4}});
    for (const PatientRow& p : data.patients) {
        auto base = [&](const std::string& type) -> host::output::ReportTable& {
            auto d = data.doctors.find(p.doctor);
            return t.Row(type)
                .Count("PatId", p.id)
                .Text("Nom", host::Trim(p.last_name) + ", " + host::Trim(p.first_name))
                .Text("NoDossier", p.chart)
                .Text("AssMaladie", p.med_no)
                .Text("Docteur", p.doctor)
                .Text("NomDocteur", d == data.doctors.end() ? "" : d->second)
                .Date("DerniereRecl", p.last_claim)
                .Text("Statut", p.status)
                .Date("Naissance", p.birthdate);
        };
        base("P");
        auto items = [&](int heading, const std::vector<Item>& list) {
            for (const Item& it : list)
                base("")
                    .Text("Section", host::Trim(S(heading)))
                    .Date("DateItem", it.date)
                    .Text("Code", it.code)
                    .Text("Description", it.description)
                    .Text("Dent", it.tooth)
                    .Text("Surface", it.surface)
                    .Text("Producteur", it.producer)
                    .Amount("Montant", it.total)
                    .Text("Etat", it.flag);
        };
        items(kPending, p.pending);
        items(kPlan, p.plan);
        items(kRecalls, p.recalls);
        items(kAppointments, p.appointments);
    }
    return t;
}

}  // namespace noact

NoActReportRun::NoActReportRun(const noact::Criteria& criteria)
    : TableReportRun({criteria}, &noact::Collect, &noact::NoActTable, "\\XML\\PatNoActivity.xml") {}

std::string NoActReportRun::MeterTitle() const {
    return S(kMeter);
}

bool NoActReportRun::Print(reports::RunContext& ctx) {
    const reports::ReportDescriptor* d = reports::FindReport(210);
    PatNoActivityObj report(ctx.launcher, ctx.dialog, data_, d ? d->caption : kTitleFallback,
                            ctx.interactive, ctx.text);
    return reports::PrintPages(report, ctx);
}
