#include "followup/apptlist_reports.h"

#include <filesystem>

#include "host/base/dates.h"
#include "host/base/strings.h"
#include "host/base/text.h"
#include "host/output/paths.h"
#include "host/records/practice.h"
#include "host/ui/reportdlg.h"

namespace {

enum : int {
    kTitle = 13000,
    kDay = 13001,
    kPeriod = 13002,
    kHeads = 13003,
    kProducer = 13004,
    kProducerTotal = 13005,
    kDayTotal = 13006,
    kGrandTotal = 13007,
    kCounts = 13008,
    kLegend = 13009,
    kMeter = 13010,
    kNothing = 13011,
};

const std::string& S(int id) {
    return host::LoadText(id);
}

std::string Phone(const apptlist::ApptRow& a) {
    char out[32] = "";
    const std::string& digits = a.home_phone.empty() ? a.work_phone : a.home_phone;
    return mk_phone_no(digits.c_str(), out);
}

std::string PatientName(const apptlist::ApptRow& a) {
    if (a.last_name.empty() && a.first_name.empty()) return "?";
    return a.first_name.empty() ? a.last_name : a.last_name + ", " + a.first_name;
}

std::string ProducerHeading(const apptlist::ProducerGroup& g) {
    const std::string who = g.name.empty() ? g.producer : g.producer + " - " + g.name;
    return host::U8Format(S(kProducer).c_str(), who.c_str());
}

}  // namespace

namespace apptlist {

std::string TimeText(int hhmm) {
    if (hhmm < 0 || hhmm > 2359 || hhmm % 100 > 59) return "?";
    return host::U8Format("%02d:%02d", hhmm / 100, hhmm % 100);
}

host::output::ReportTable ApptTable(const ApptData& data) {
    using host::output::CellKind;
    host::output::ReportTable t("Liste des rendez-vous",
                                {{"Date", "Date", CellKind::Date, 12},
                                 {"Heure", "Heure", CellKind::Text, 6},
                                 {"Unites", "Unités", CellKind::Count, 6},
                                 {"Fauteuil", "Fauteuil", CellKind::Text, 6},
                                 {"Producteur", "Prod.", CellKind::Text, 5},
                                 {"NomProducteur", "Nom du producteur", CellKind::Text, 30},
                                 {"Patient", "Patient", CellKind::Text, 30},
                                 {"Compte", "Compte", CellKind::Count, 8},
                                 {"Telephone", "Téléphone", CellKind::Text, 16},
                                 {"Type", "Type", CellKind::Text, 5},
                                 {"Procedure", "Procédure", CellKind::Text, 30},
                                 {"Statut", "Statut", CellKind::Text, 4},
                                 {"Confirme", "Confirmé", CellKind::Text, 4},
                                 {"NbRendezVous", "Rendez-vous", CellKind::Count, 8}});
    for (const DayGroup& d : data.days)
        for (const ProducerGroup& g : d.producers)
            for (const ApptRow& a : g.rows)
                t.Row()
                    .Date("Date", a.date)
                    .Text("Heure", TimeText(a.time))
                    .Count("Unites", a.units)
                    .Text("Fauteuil", a.chair)
                    .Text("Producteur", a.producer)
                    .Text("NomProducteur", g.name)
                    .Text("Patient", PatientName(a))
                    .Count("Compte", a.account)
                    .Text("Telephone", Phone(a))
                    .Text("Type", a.type)
                    .Text("Procedure", a.procedure)
                    .Text("Statut", std::string(1, a.status))
                    .Text("Confirme", std::string(1, a.confirmed));
    t.Row("T")
        .Count("Unites", data.Units())
        .Count("NbRendezVous", static_cast<int64_t>(data.Count()));
    return t;
}

}  // namespace apptlist

ApptListObj::ApptListObj(LauncherInfo* launcher, TWindow* parent, const apptlist::ApptData& data,
                         bool show_meter, FILE* out)
    : OvReportObj(launcher, parent, 'C', show_meter, 0, true, out, false, true), data_(data) {
    for (size_t d = 0; d < data_.days.size(); ++d)
        for (size_t p = 0; p < data_.days[d].producers.size(); ++p)
            for (size_t r = 0; r < data_.days[d].producers[p].rows.size(); ++r)
                pos_.push_back({d, p, r});
}

void ApptListObj::SetColumns() {
    SetColumnStarts({kCols, kCols + 10});
}

const apptlist::ProducerGroup& ApptListObj::Group(const Pos& p) const {
    return data_.days[p.day].producers[p.producer];
}

bool ApptListObj::StartsDay() const {
    return i_ == 0 || pos_[i_ - 1].day != pos_[i_].day;
}

bool ApptListObj::StartsProducer() const {
    return StartsDay() || pos_[i_ - 1].producer != pos_[i_].producer;
}

bool ApptListObj::InitialCriteria() {
    i_ = printed_ = 0;
    return !pos_.empty();
}

bool ApptListObj::ContinueCriteria() {
    return ++i_ < pos_.size();
}

bool ApptListObj::MatchCriteria() {
    if (i_ != 0 && StartsProducer()) SetCurLine(CloseGroups(GetCurLine(), StartsDay()));
    printed_ = i_;
    return true;
}

int ApptListObj::GetLineReq() {
    return (StartsDay() ? 2 : 0) + (StartsProducer() ? 2 : 0) + 1;
}

int ApptListObj::PrintDetail(int line) {
    const Pos& p = pos_[i_];
    int used = 0;
    if (StartsDay()) {
        PrintText(0, line,
                  host::U8Format(S(kDay).c_str(), host::Dmy(data_.days[p.day].date).c_str()), true);
        used += 2;
    }
    if (StartsProducer()) {
        PrintText(2, line + used, ProducerHeading(Group(p)), true);
        used += 2;
    }
    const apptlist::ApptRow& a = Group(p).rows[p.row];
    const int at = line + used;
    PrintText(kCols[0], at, apptlist::TimeText(a.time));
    PrintText(kCols[1], at, host::U8Format("%4d", a.units));
    PrintText(kCols[2], at, host::U8Fit(a.chair, 5));
    PrintText(kCols[3], at, host::U8Fit(PatientName(a), 29));
    PrintText(kCols[4], at, host::U8Format("%8ld", a.account));
    PrintText(kCols[5], at, host::U8Fit(Phone(a), 17));
    PrintText(kCols[6], at, host::U8Fit(a.type, 5));
    PrintText(kCols[7], at, host::U8Fit(a.procedure, 25));
    PrintText(kCols[8], at, std::string(1, a.status));
    PrintText(kCols[9], at, std::string(1, a.confirmed));
    return used + 1;
}

int ApptListObj::PrintTotal(int line, const std::string& label, size_t count, int64_t units) {
    if (!PageStarted() || line + 2 >= GetRowPerPage()) {
        PageBreak();
        line = GetCurLine();
    }
    PrintText(0, line,
              host::U8Fit(label, 44) + host::U8Format(S(kCounts).c_str(), static_cast<int>(count),
                                                      static_cast<long long>(units)));
    return line + 1;
}

int ApptListObj::CloseGroups(int line, bool day_ends) {
    const Pos& p = pos_[printed_];
    const apptlist::ProducerGroup& g = Group(p);
    line = PrintTotal(line, host::U8Format(S(kProducerTotal).c_str(), g.producer.c_str()),
                      g.rows.size(), g.Units()) +
           1;
    if (day_ends) {
        const apptlist::DayGroup& d = data_.days[p.day];
        line = PrintTotal(line, host::U8Format(S(kDayTotal).c_str(), host::Dmy(d.date).c_str()),
                          d.Count(), d.Units()) +
               1;
    }
    return line;
}

int ApptListObj::PrintSubTitle(int line) {
    PrintText(0, line, S(kHeads));
    PrintRule(line + 1, 0, 117);
    return line + 3;
}

std::string ApptListObj::GetTitleStr(int i) {
    if (i == 0) return S(kTitle);
    if (i == 1) {
        const apptlist::Criteria& c = data_.criteria;
        return c.from == c.to ? host::U8Format(S(kDay).c_str(), host::Dmy(c.from).c_str())
                              : host::U8Format(S(kPeriod).c_str(), host::Dmy(c.from).c_str(),
                                               host::Dmy(c.to).c_str());
    }
    return {};
}

bool ApptListObj::EndReport(int line) {
    if (!pos_.empty()) {
        line = CloseGroups(line, true);
        line = PrintTotal(line, S(kGrandTotal), data_.Count(), data_.Units());
        if (!PageStarted() || line + 2 >= GetRowPerPage()) {
            PageBreak();
            line = GetCurLine();
        }
        PrintText(0, line + 1, S(kLegend));
        line += 2;
    } else {
        if (!PageStarted()) {
            PageBreak();
            line = GetCurLine();
        }
        PrintText(0, line, S(kNothing));
        ++line;
    }
    return OvReportObj::EndReport(line);
}

long ApptListObj::GetMaxMeterCount() {
    return static_cast<long>(pos_.size());
}

std::string ApptListObj::GetMeterTitle() {
    return S(kMeter);
}

ApptListReportRun::ApptListReportRun(const apptlist::Criteria& criteria)
    : TableReportRun({criteria}, &apptlist::Collect, &apptlist::ApptTable, "\\XML\\apptlist.xml") {}

std::string ApptListReportRun::MeterTitle() const {
    return S(kMeter);
}

bool ApptListReportRun::Print(reports::RunContext& ctx) {
    ApptListObj report(ctx.launcher, ctx.dialog, data_, ctx.interactive, ctx.text);
    return reports::PrintPages(report, ctx);
}

namespace apptlist {

bool PrintDayList(LauncherInfo* launcher, long day, const std::string& copy_folder,
                  std::string* error) {
    ApptListReportRun run(DefaultCriteria(day));
    if (!reports::RunHeadless(run, launcher, nullptr, 0, "apptlist", error)) return false;
    if (copy_folder.empty()) return true;
    namespace fs = std::filesystem;
    const fs::path target = fs::path(copy_folder) / "Schedule.pdf";
    const fs::path part = fs::path(copy_folder) / "Schedule.pdf.part";
    std::error_code ec;
    fs::copy_file(host::output::OutputPath("apptlist.pdf"), part,
                  fs::copy_options::overwrite_existing, ec);
    if (!ec) fs::rename(part, target, ec);
    if (ec) {
        std::error_code ignored;
        fs::remove(part, ignored);
        *error = "Impossible d'écrire " + target.string() + " : " + ec.message();
        return false;
    }
    return true;
}

}  // namespace apptlist
