#include "closing/mthdep_reports.h"

#include <algorithm>
#include <map>

#include "host/base/dates.h"
#include "host/base/numfmt.h"
#include "host/base/strings.h"
#include "host/base/text.h"
#include "host/output/progress.h"
#include "host/ui/reportdlg.h"

namespace {

enum : int {
    kTotals = 6361,
    kSummaryTitle = 6362,
    kHead1 = 6363,  // 6363 to 6368
    kHeadDate = 6369,
    kHeadDeposits = 6370,
    kHeadFees = 6371,
    kHeadAdjustments = 6372,
    kSummaryMeter = 6373,
    kLoadMeter = 6374,
    kReportTitle = 7151,
    kPeriod = 12808,
    kBank = 12809,
    kWho = 12810,
    kDate = 12811,
    kTotal = 12812,
    kPartTotal = 12813,
    kPracticeTotal = 12814,
    kReportMeter = 12815,
};

const std::string& S(int id) {
    return host::LoadText(id);
}

std::string Amount(int64_t cents, int width) {
    char buf[64];
    return MakeNumericFormat(cents, buf, width);
}

std::string Period(long first, long last) {
    return host::U8Format(S(kPeriod).c_str(), host::Dmy(first).c_str(), host::Dmy(last).c_str());
}

// The seven columns of the summary, in print order, and the arrays they show.
constexpr int kColumns[] = {mthdep::kPayments, mthdep::kCharges, mthdep::kDepositAdj,
                            mthdep::kDirect,   -1 /* net */,     mthdep::kOtherAdj};

int64_t Column(const mthdep::MthDepInfo& b, int column, int slot) {
    const int a = kColumns[column];
    return a < 0 ? b.Net(slot) : b.amt[a][slot];
}

}  // namespace

// --- The summary ---

MonthlyDepositPrt::MonthlyDepositPrt(LauncherInfo* launcher, TWindow* parent,
                                     const TDatePeriodObj& period, FILE* out, int flags, int copies)
    : MonthlyDepositPrt(launcher, parent, period.GetFirstDay(), period.GetLastDay(), out, flags,
                        copies) {}

MonthlyDepositPrt::MonthlyDepositPrt(LauncherInfo* launcher, TWindow* parent, long first, long last,
                                     FILE* out, int, int copies)
    : DepositLinesObj(launcher, parent, false, out, true, true), first_(first), last_(last) {
    SetCopies(copies);
}

void MonthlyDepositPrt::LoadDepInfo(const mthdep::MonthlyDepositObj& info) {
    banks_ = info.GetMthDepDListElem();
}

void MonthlyDepositPrt::SetBanks(std::vector<mthdep::MthDepInfo> banks) {
    banks_ = std::move(banks);
}

bool MonthlyDepositPrt::InitialCriteria() {
    deposit::LineBuilder b;
    for (size_t i = 0; i < banks_.size(); ++i)
        ComposeBank(b, i, banks_[i]);
    SetLines(b.Take());
    return DepositLinesObj::InitialCriteria();
}

std::string MonthlyDepositPrt::GetMeterTitle() {
    return S(kSummaryMeter);
}

std::string MonthlyDepositPrt::GetTitleStr(int i) {
    switch (i) {
        case 0:
            return S(kSummaryTitle);
        case 1:
            return Period(first_, last_);
        case 2: {
            const size_t part = CurrentPart();
            if (part >= banks_.size()) return {};
            const mthdep::MthDepInfo& b = banks_[part];
            return S(kBank) + b.name + (b.code.empty() ? "" : " (" + b.code + ")");
        }
        default:
            return {};
    }
}

void MonthlyDepositPrt::ComposeBank(deposit::LineBuilder& b, size_t part,
                                    const mthdep::MthDepInfo& bank) const {
    const int heads1[] = {kHead1, kHead1 + 1, kHead1 + 2, kHead1 + 4, kHead1 + 3, kHead1 + 5};
    const int heads2[] = {kHeadDeposits, kHeadFees,     kHeadAdjustments,
                          kHeadDeposits, kHeadDeposits, kHeadAdjustments};
    b.Add(part, true, 4);
    for (int c = 0; c < 6; ++c)
        b.Text(kWidth * (c + 1), S(heads1[c]));
    b.Add(part);
    b.Text(0, S(kHeadDate));
    for (int c = 0; c < 6; ++c)
        b.Text(kWidth * (c + 1), S(heads2[c]));
    b.Add(part);
    b.Rule(0, kWidth * 7);
    for (int s = 1; s < mthdep::kSlots; ++s) {
        if (bank.dates[s] == 0 || !bank.HasAmounts(s)) continue;
        b.Add(part);
        b.Text(2, host::Dmy(bank.dates[s]));
        for (int c = 0; c < 6; ++c)
            b.Text(kWidth * (c + 1), Amount(Column(bank, c, s), kWidth));
    }
    b.Add(part, false, 2);
    b.Rule(kWidth, kWidth * 7);
    b.Add(part);
    b.Text(0, S(kTotals), true);
    for (int c = 0; c < 6; ++c)
        b.Text(kWidth * (c + 1), Amount(Column(bank, c, 0), kWidth), true);
}

int MonthlyDepositPrt::PrintOneBank(const mthdep::MthDepInfo& bank, int line) {
    deposit::LineBuilder b;
    ComposeBank(b, 0, bank);
    for (const deposit::Line& l : b.Take()) {
        for (const deposit::Cell& c : l.cells) {
            if (c.rule_to > c.col)
                PrintRule(line, c.col, c.rule_to);
            else
                PrintText(c.col, line, c.text, c.bold);
        }
        ++line;
    }
    return line;
}

// --- The monthly deposit report ---

int MonthDepReport::Spacing(size_t n) {
    // Fewer codes leave room for wider gaps; many codes close them up.
    if (n < 9) return 4;
    if (n == 9) return 3;
    if (n <= 12) return 2;
    if (n == 13) return 1;
    return 0;
}

MonthDepReport::MonthDepReport(LauncherInfo* launcher, TWindow* parent,
                               const mthdep::MonthDepData& data, bool show_meter, FILE* out)
    : DepositLinesObj(launcher, parent, show_meter, out, true, true), data_(data) {
    SetCopies(data.criteria.copies);
}

std::string MonthDepReport::GetMeterTitle() {
    return S(kReportMeter);
}

std::string MonthDepReport::GetTitleStr(int i) {
    if (i == 0) return S(kReportTitle);
    if (i == 1) return Period(data_.criteria.from, data_.criteria.to);
    return {};
}

bool MonthDepReport::InitialCriteria() {
    const std::vector<std::string>& codes = data_.codes;
    const int amount = 10;
    const int step = amount + Spacing(codes.size());
    const int date_col = 0, first_col = 11;
    const auto col = [&](size_t k) { return first_col + static_cast<int>(k) * step; };
    const int total_col = col(codes.size());
    const auto index = [&](const std::string& code) {
        return static_cast<size_t>(std::find(codes.begin(), codes.end(), code) - codes.begin());
    };
    const auto amounts = [&](deposit::LineBuilder& b, const std::vector<int64_t>& v, bool bold) {
        int64_t sum = 0;
        for (size_t k = 0; k < codes.size(); ++k) {
            b.Text(col(k), Amount(v[k], amount), bold);
            sum += v[k];
        }
        b.Text(total_col, Amount(sum, amount + 2), bold);
    };
    const auto heads = [&](deposit::LineBuilder& b, size_t part) {
        b.Add(part);
        b.Text(date_col, S(kDate));
        for (size_t k = 0; k < codes.size(); ++k)
            b.Text(col(k), host::U8Fit(codes[k], amount, false));
        b.Text(total_col, host::U8Fit(S(kTotal), amount + 2, false));
        b.Add(part);
        b.Rule(0, total_col + amount + 2);
    };

    deposit::LineBuilder b;
    std::vector<int64_t> practice(codes.size(), 0);
    const mthdep::Criteria& c = data_.criteria;
    for (size_t p = 0; p < data_.parts.size(); ++p) {
        const mthdep::Part& part = data_.parts[p];
        b.Add(p, p > 0 && (c.by_bank || c.by_doctor), 4);
        std::string heading;
        if (c.by_doctor) heading = S(kWho) + part.who;
        if (c.by_bank)
            heading += (heading.empty() ? "" : "   ") + S(kBank) + part.bank_name +
                       (part.bank.empty() ? "" : " (" + part.bank + ")");
        if (!heading.empty()) {
            b.Text(0, heading, true);
            b.Blank(p);
        }
        heads(b, p);
        std::vector<int64_t> day(codes.size(), 0), sums(codes.size(), 0);
        // One line per deposit day; rows sorted by code alone are summed per day here.
        std::map<long, std::vector<int64_t>> days;
        for (const mthdep::MonthDepElem& e : part.rows) {
            auto [it, added] = days.emplace(e.deposit, std::vector<int64_t>(codes.size(), 0));
            it->second[index(e.code)] += e.amount;
            sums[index(e.code)] += e.amount;
            practice[index(e.code)] += e.amount;
        }
        for (const auto& [date, v] : days) {
            b.Add(p);
            b.Text(date_col, host::Dmy(date));
            amounts(b, v, false);
        }
        b.Add(p, false, 2);
        b.Rule(first_col, total_col + amount + 2);
        b.Add(p);
        b.Text(date_col, S(kPartTotal), true);
        amounts(b, sums, true);
        b.Blank(p);
    }
    if (c.practice_total && !data_.parts.empty()) {
        const size_t p = data_.parts.size() - 1;
        b.Add(p, false, 3);
        b.Rule(first_col, total_col + amount + 2);
        b.Add(p);
        b.Text(date_col, S(kPracticeTotal), true);
        b.Add(p);
        amounts(b, practice, true);
    }
    SetLines(b.Take());
    return DepositLinesObj::InitialCriteria();
}

// --- Tables ---

namespace mthdep {

host::output::ReportTable SummaryTable(const std::vector<MthDepInfo>& banks) {
    using host::output::CellKind;
    host::output::ReportTable t("Sommaire des dépôts",
                                {{"Banque", "Banque", CellKind::Text, 8},
                                 {"NomBanque", "Nom de la banque", CellKind::Text, 30},
                                 {"Date", "Date", CellKind::Date, 12},
                                 {"Paiements", "Paiements déposés", CellKind::Amount, 14},
                                 {"Frais", "Frais de service", CellKind::Amount, 14},
                                 {"AjustDepots", "Ajustements de dépôts", CellKind::Amount, 14},
                                 {"Directs", "Dépôts directs", CellKind::Amount, 14},
                                 {"Net", "Dépôts nets", CellKind::Amount, 14},
                                 {"AutresAjust", "Autres ajustements", CellKind::Amount, 14}});
    const char* keys[] = {"Paiements", "Frais", "AjustDepots", "Directs", "Net", "AutresAjust"};
    for (const MthDepInfo& b : banks) {
        for (int s = 0; s < kSlots; ++s) {
            if (s == 0 || b.dates[s] == 0 || !b.HasAmounts(s)) continue;
            auto& row =
                t.Row().Text("Banque", b.code).Text("NomBanque", b.name).Date("Date", b.dates[s]);
            for (int c = 0; c < 6; ++c)
                row.Amount(keys[c], Column(b, c, s));
        }
        auto& total = t.Row("T").Text("Banque", b.code).Text("NomBanque", b.name);
        for (int c = 0; c < 6; ++c)
            total.Amount(keys[c], Column(b, c, 0));
    }
    return t;
}

host::output::ReportTable MonthDepTable(const MonthDepData& data) {
    using host::output::CellKind;
    host::output::ReportTable t("Dépôts mensuels",
                                {{"Banque", "Banque", CellKind::Text, 8},
                                 {"NomBanque", "Nom de la banque", CellKind::Text, 30},
                                 {"DrProd", "Dr./Prod.", CellKind::Text, 8},
                                 {"Date", "Date", CellKind::Date, 12},
                                 {"Code", "Code", CellKind::Text, 8},
                                 {"Montant", "Montant", CellKind::Amount, 14}});
    for (const Part& p : data.parts) {
        std::map<std::pair<long, std::string>, int64_t> sums;
        for (const MonthDepElem& e : p.rows)
            sums[{e.deposit, e.code}] += e.amount;
        for (const auto& [key, amount] : sums)
            t.Row()
                .Text("Banque", p.bank)
                .Text("NomBanque", p.bank_name)
                .Text("DrProd", p.who)
                .Date("Date", key.first)
                .Text("Code", key.second)
                .Amount("Montant", amount);
    }
    return t;
}

bool PrintMonthlyDepositSummary(LauncherInfo* launcher, TWindow* parent, long first, long last,
                                FILE* out, int output_choice, const std::string& document,
                                int calc_mode, std::string* error) {
    MonthlyDepositObj info(launcher, first, last, nullptr, calc_mode);
    const bool loaded = info.LoadMthDepInfo();
    if (!info.Error().empty()) {
        if (error) *error = info.Error();
        return false;
    }
    if (!loaded) return true;  // no deposits: no summary pages
    MonthlyDepositPrt report(launcher, parent, first, last, out);
    report.LoadDepInfo(info);
    report.SetDocumentName(document);
    report.SetAutomation(output_choice, false);
    return report.PrintReport();
}

}  // namespace mthdep

// --- Runs ---

MonthlyDepositSummaryRun::MonthlyDepositSummaryRun(long first, long last, int calc_mode)
    : first_(first), last_(last), calc_mode_(calc_mode), table_(mthdep::SummaryTable(banks_)) {}

std::string MonthlyDepositSummaryRun::MeterTitle() const {
    return S(kLoadMeter);
}

bool MonthlyDepositSummaryRun::Collect(reports::RunContext& ctx) {
    mthdep::MonthlyDepositObj info(ctx.launcher, first_, last_, ctx.meter, calc_mode_);
    const bool loaded = info.LoadMthDepInfo();
    if (!info.Error().empty()) {
        ctx.error = info.Error();
        return false;
    }
    if (info.Cancelled()) {
        ctx.cancelled = true;
        return false;
    }
    banks_ = loaded ? info.GetMthDepDListElem() : std::vector<mthdep::MthDepInfo>{};
    table_ = mthdep::SummaryTable(banks_);
    return true;
}

bool MonthlyDepositSummaryRun::Print(reports::RunContext& ctx) {
    if (banks_.empty()) return true;  // no summary pages
    MonthlyDepositPrt report(ctx.launcher, ctx.dialog, first_, last_, ctx.text);
    report.SetBanks(banks_);
    return reports::PrintPages(report, ctx);
}

std::vector<reports::DataFile> MonthlyDepositSummaryRun::DataFiles() const {
    return {{"\\XML\\mthdepsum.xml", &table_}};
}

MonthDepReportRun::MonthDepReportRun(const mthdep::Criteria& criteria)
    : criteria_(criteria), table_(mthdep::MonthDepTable(data_)) {}

std::string MonthDepReportRun::MeterTitle() const {
    return S(kLoadMeter);
}

bool MonthDepReportRun::Collect(reports::RunContext& ctx) {
    std::string error;
    if (!reports::Settle(
            ctx, mthdep::CollectMonthDep(criteria_, ctx.launcher, ctx.meter, &data_, &error),
            error))
        return false;
    if (data_.Count() == 0) {
        // Nothing in the period: the dialog says so.
        empty_ = true;
        ctx.cancelled = true;
        return false;
    }
    table_ = mthdep::MonthDepTable(data_);
    return true;
}

bool MonthDepReportRun::Print(reports::RunContext& ctx) {
    MonthDepReport report(ctx.launcher, ctx.dialog, data_, ctx.interactive, ctx.text);
    return reports::PrintPages(report, ctx);
}

std::vector<reports::DataFile> MonthDepReportRun::DataFiles() const {
    return {{"\\XML\\monthlydep1.xml", &table_}};
}
