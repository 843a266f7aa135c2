#include "followup/noins_reports.h"

#include "common/registry.h"
#include "host/base/dates.h"
#include "host/base/strings.h"
#include "host/base/text.h"
#include "host/records/practice.h"
#include "host/ui/reportdlg.h"

namespace {

// String numbers of the patients without insurance (headings shared with the patients
// not seen recently).
enum : int {
    kName = 12636,
    kAge = 12637,
    kChart = 12638,
    kDoctor = 12639,
    kStudent = 12640,
    kHomePhone = 12641,
    kWorkPhone = 12642,
    kLastClaim = 12643,
    kStatus = 12644,
    kMeter = 12645,
    kPrinted = 12646,
    kCounted = 12647,
    kPercent = 12648,
};

const std::string& S(int id) {
    return host::LoadText(id);
}

std::string Phone(const std::string& digits) {
    char out[32] = "";
    return mk_phone_no(digits.c_str(), out);
}

constexpr int kLabelWidth = 28;

}  // namespace

NoInsObj::NoInsObj(LauncherInfo* launcher, TWindow* parent, const noins::NoInsData& data,
                   const std::string& title, bool show_meter, FILE* out)
    : OvReportObj(launcher, parent, 'C', show_meter, 0, true, out, false, true),
      data_(data),
      title_(title) {}

void NoInsObj::SetColumns() {
    SetColumnStarts({kCols, kCols + 9});
}

bool NoInsObj::InitialCriteria() {
    i_ = 0;
    return !data_.printed.empty();
}

bool NoInsObj::ContinueCriteria() {
    return ++i_ < data_.printed.size();
}

int NoInsObj::PrintDetail(int line) {
    const noins::PatientRow& p = data_.printed[i_];
    char age[16] = "";
    if (p.birthdate) mk_age_str(p.birthdate, data_.today, age);
    PrintText(kCols[0], line,
              host::U8Fit(host::Trim(p.last_name) + ", " + host::Trim(p.first_name), 30));
    PrintText(kCols[1], line, host::U8Fit(age, 3, false));
    PrintText(kCols[2], line, host::U8Fit(p.chart, 10));
    PrintText(kCols[3], line, host::U8Fit(p.doctor, 4));
    PrintText(kCols[4], line, std::string(1, p.student));
    PrintText(kCols[5], line, host::U8Fit(Phone(p.home_phone), 18));
    PrintText(kCols[6], line, host::U8Fit(Phone(p.work_phone), 22));
    PrintText(kCols[7], line, host::Dmy(p.last_claim));
    PrintText(kCols[8], line, std::string(1, p.status));
    return 1;
}

int NoInsObj::PrintSubTitle(int line) {
    const int heads[9] = {kName,      kAge,       kChart,     kDoctor, kStudent,
                          kHomePhone, kWorkPhone, kLastClaim, kStatus};
    for (int i = 0; i < 9; ++i)
        PrintText(kCols[i], line, S(heads[i]));
    PrintRule(line + 1, 0, 123);
    return line + 3;
}

std::string NoInsObj::GetTitleStr(int i) {
    return i == 0 ? title_ : std::string();
}

bool NoInsObj::EndReport(int line) {
    if (!PageStarted() || line + 4 >= GetRowPerPage()) {
        PageBreak();
        line = GetCurLine();
    }
    const auto label = [](int id) { return host::U8Fit(S(id), kLabelWidth); };
    const long printed = static_cast<long>(data_.printed.size());
    PrintText(0, line + 1, label(kPrinted) + host::U8Format("%6d", static_cast<int>(printed)));
    PrintText(0, line + 2,
              label(kCounted) + host::U8Format("%6d", static_cast<int>(data_.counted)));
    PrintText(
        0, line + 3,
        label(kPercent) + host::U8Format("%6.2f%%", static_cast<double>(noins::Percent(data_))));
    return OvReportObj::EndReport(line + 4);
}

long NoInsObj::GetMaxMeterCount() {
    return static_cast<long>(data_.printed.size());
}

std::string NoInsObj::GetMeterTitle() {
    return S(kMeter);
}

namespace noins {

host::output::ReportTable NoInsTable(const NoInsData& data) {
    using host::output::CellKind;
    host::output::ReportTable t(
        "Patients sans assurance",
        {{"Nom", "Nom Patient", CellKind::Text, 30},
         {"Age", "Âge", CellKind::Text, 4},
         {"NoDossier", "#Doss", CellKind::Text, 10},
         {"Docteur", "Dr.", CellKind::Text, 4},
         {"Etudiant", "Étudiant", CellKind::Text, 4},
         {"TelDom", "Tél (dom.)", CellKind::Text, 18},
         {"TelTrav", "Tél (trav.)", CellKind::Text, 22},
         {"DerniereRecl", "Dernière Récl.", CellKind::Date, 12},
         {"Statut", "Stat", CellKind::Text, 4},
         {"SansAssurance", "# Patients Sans Assurance", CellKind::Count, 10},
         {"Total", "Nombre Total de Patients", CellKind::Count, 10},
         {"Pourcentage", "% Patients Sans Assurance", CellKind::Percent, 10}});
    for (const PatientRow& p : data.printed) {
        char age[16] = "";
        if (p.birthdate) mk_age_str(p.birthdate, data.today, age);
        t.Row()
            .Text("Nom", host::Trim(p.last_name) + ", " + host::Trim(p.first_name))
            .Text("Age", age)
            .Text("NoDossier", p.chart)
            .Text("Docteur", p.doctor)
            .Text("Etudiant", std::string(1, p.student))
            .Text("TelDom", Phone(p.home_phone))
            .Text("TelTrav", Phone(p.work_phone))
            .Date("DerniereRecl", p.last_claim)
            .Text("Statut", std::string(1, p.status));
    }
    // The totals, the percentage in hundredths rounded half up.
    const int64_t printed = static_cast<int64_t>(data.printed.size());
    t.Row("T")
        .Count("SansAssurance", printed)
        .Count("Total", data.counted)
        .Percent("Pourcentage", data.counted ? (printed * 20000 / data.counted + 1) / 2 : 0);
    return t;
}

}  // namespace noins

NoInsReportRun::NoInsReportRun(const noins::Criteria& criteria)
    : TableReportRun({criteria}, &noins::Collect, &noins::NoInsTable, "\\XML\\noinsrpt.xml") {}

std::string NoInsReportRun::MeterTitle() const {
    return S(kMeter);
}

bool NoInsReportRun::Print(reports::RunContext& ctx) {
    const reports::ReportDescriptor* d = reports::FindReport(209);
    NoInsObj report(ctx.launcher, ctx.dialog, data_, d ? d->caption : "Patients Sans Assurance",
                    ctx.interactive, ctx.text);
    return reports::PrintPages(report, ctx);
}
