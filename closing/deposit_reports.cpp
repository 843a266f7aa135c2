#include "closing/deposit_reports.h"

#include "host/base/dates.h"
#include "host/base/numfmt.h"
#include "host/base/strings.h"
#include "host/base/text.h"
#include "host/records/context.h"
#include "host/ui/reportdlg.h"

namespace {

// String numbers of the daily deposit.
enum : int {
    kTitle = 6032,
    kSubtotal = 6033,
    kTotalLabels = 6034,  // 6034 to 6037, in the order of kSections
    kHeadings = 6038,     // 6038 to 6041, likewise
    kRecapTitle = 6045,
    kToday = 6046,
    kDepositAdj = 6047,
    kDepositAdjNote = 6048,
    kSlips = 6049,
    kSlip = 6050,
    kDirect = 6051,
    kDirectAdj = 6052,
    kDirectAdjNote = 6053,
    kDirectTotal = 6054,
    kRecorded = 6055,
    kNotes = 6056,
    kNotesText = 6057,
    kBlank = 6058,
    kMeter = 6059,
    kBankedNote = 6064,
    kCarriedNote = 6065,
    kCharges = 6066,
    kChargesTotal = 6067,
    kNetDirect = 6068,
    kUnknownBank = 6376,
    kDate = 12800,
    kPage = 12801,
    kRunAt = 12802,
    kPreparedFor = 12803,
    kPlusMinus = 12804,
    kWorksheet = 12806,
};

const std::string& S(int id) {
    return host::LoadText(id);
}

std::string Amount(int64_t cents, int width = 10) {
    char buf[64];
    return MakeNumericFormat(cents, buf, width);
}

// The index of a section among A/K, B/K, A/M, B/M (the order of its strings).
int SectionIndex(char group, char kind) {
    return (kind == 'M' ? 2 : 0) + (group == 'B' ? 1 : 0);
}

std::string Rate(int rate) {
    return host::U8Format("(%d.%02d%%)", rate / 100, rate % 100);
}

std::string BankName(const deposit::BankDeposit& b) {
    return b.name.empty() ? S(kUnknownBank) : b.name;
}

// The worksheet's rows: the notes, then the coins.
constexpr const char* kDenominations[] = {"100", "50", "20", "10", "5", "2", "1"};

}  // namespace

DayTrialRptObj::DayTrialRptObj(LauncherInfo* launcher, TWindow* parent,
                               const deposit::DayTrialData& data, bool show_meter, FILE* out)
    : DepositLinesObj(launcher, parent, show_meter, out, false), data_(data) {
    SetCopies(data.criteria.copies);
}

bool DayTrialRptObj::OpenReport() {
    SetLines(Compose());
    return DepositLinesObj::OpenReport();
}

std::string DayTrialRptObj::GetMeterTitle() {
    return S(kMeter);
}

int DayTrialRptObj::PrintTitle(int line) {
    const size_t part = CurrentPart();
    const bool recap = part % 2 == 1;
    const deposit::BankDeposit* bank =
        part / 2 < data_.banks.size() ? &data_.banks[part / 2] : nullptr;
    const std::string date = host::Dmy(data_.criteria.date);
    int at = line + 4;
    if (recap) {
        PrintText(3, at, S(kRecapTitle) + "(" + date + ")", true);
    } else {
        PrintText(3, at, S(kDate) + host::Dmy(ldate_today()));
        const std::string title = host::U8Format("%s (%s)", S(kTitle).c_str(), date.c_str());
        PrintText(std::max(0, (GetColPerPage() - static_cast<int>(host::U8Length(title))) / 2), at,
                  title, true);
    }
    PrintText(70, at, S(kPage));
    PrintText(75, at, std::to_string(GetPageNumber()));
    PrintText(3, ++at, S(kRunAt) + " " + host::TimeText());
    const auto centre = [&](const std::string& text, bool bold) {
        if (text.empty()) return;
        PrintText(std::max(0, (GetColPerPage() - static_cast<int>(host::U8Length(text))) / 2), ++at,
                  text, bold);
    };
    centre(data_.doctor_line, false);
    if (bank) {
        ++at;
        centre(BankName(*bank), true);
        centre(host::Trim(host::U8Format("%s  %s", bank->addr1.c_str(), "")), false);
        if (!bank->city.empty())
            centre(host::U8Format("%s, %s  %s", bank->city.c_str(), bank->prov.c_str(),
                                  bank->postal.c_str()),
                   false);
    }
    return at + 2;
}

std::vector<deposit::Line> DayTrialRptObj::Compose() const {
    deposit::LineBuilder b;
    const deposit::Criteria& c = data_.criteria;
    for (size_t i = 0; i < data_.banks.size(); ++i) {
        const deposit::BankDeposit& bank = data_.banks[i];
        const size_t part = 2 * i;
        bool first = true;
        for (const deposit::Section& s : bank.sections) {
            const int index = SectionIndex(s.group, s.kind);
            b.Add(part, first, 3).cells.push_back({5, S(kHeadings + index), true, 0});
            first = false;
            b.Blank(part);
            // Payments are subtotalled by code; adjustments when the dialog asks for it.
            const bool subtotals = s.kind == 'K' || c.adj_subtotals != 0;
            int64_t sub = 0;
            for (size_t k = 0; k < s.lines.size(); ++k) {
                const deposit::stDayTrialElem& e = s.lines[k];
                b.Add(part);
                b.Text(kName, host::U8Fit(e.payer, kCode - kName - 1));
                b.Text(kCode, host::U8Fit(e.code, kDesc - kCode - 1));
                b.Text(kDesc, host::U8Fit(e.descrip.empty() ? e.code_desc : e.descrip,
                                          kAmount - kDesc - 1));
                b.Text(kAmount, Amount(e.amount));
                sub += e.amount;
                if (subtotals && (k + 1 == s.lines.size() || s.lines[k + 1].code != e.code)) {
                    b.Add(part, false, 3);
                    b.Rule(kAmount, kAmount + 9);
                    b.Add(part);
                    b.Text(kDesc, S(kSubtotal));
                    b.Text(kAmount, Amount(sub));
                    b.Text(kTotal, Amount(sub));
                    b.Blank(part);
                    sub = 0;
                }
            }
            b.Add(part, false, 2);
            b.Rule(kTotal - 1, kTotal + 9);
            b.Add(part);
            b.Text(13, S(kTotalLabels + index));
            b.Text(kTotal, Amount(s.total));
            b.Blank(part);
            if (!s.charges.empty()) {
                b.Add(part, false, static_cast<int>(s.charges.size()) + 4);
                b.Rule(8, kTotal);
                b.Add(part);
                b.Text(8, S(kCharges));
                for (const deposit::stSChgElem& ch : s.charges) {
                    b.Add(part);
                    b.Text(15, host::U8Fit(ch.desc, 16));
                    b.Text(32, Rate(ch.rate));
                    b.Text(kAmount, Amount(ch.charge));
                }
                const int64_t charges = s.ChargeTotal();
                b.Add(part);
                b.Text(25, S(kChargesTotal));
                b.Text(kAmount, Amount(charges));
                b.Text(kTotal, Amount(charges));
                b.Add(part);
                b.Text(s.group == 'B' ? 35 : 36, S(kNetDirect));
                b.Text(kTotal, Amount(s.total - charges));
                b.Blank(part);
            }
        }
        if (c.worksheet != 0) {
            b.Add(part, false, 11);
            b.Text(5, S(kWorksheet) + data_.cash_desc, true);
            b.Blank(part);
            for (const char* d : kDenominations) {
                b.Add(part);
                b.Text(10, host::U8Format("%3s x ______ =", d));
                b.Text(26, S(kBlank));
            }
            b.Add(part);
            b.Text(10, "       PIÈCES = ");
            b.Text(26, S(kBlank));
            b.Blank(part);
        }

        // The recapitulation, on a page of its own.
        const size_t recap = part + 1;
        b.Add(recap, true);
        b.Text(14, S(kToday));
        b.Text(59, Amount(bank.Total('A', 'K')));
        b.Add(recap);
        b.Text(12, "- " + S(kDepositAdj));
        b.Text(53, S(kPlusMinus));
        b.Text(59, Amount(bank.Total('A', 'M')));
        b.Add(recap);
        b.Text(14, S(kDepositAdjNote));
        b.Add(recap);
        b.Rule(59, 69);
        b.Add(recap);
        b.Text(12, "= " + S(kSlips));
        b.Text(55, " = ");
        b.Text(59, Amount(bank.Slip()));
        b.Add(recap);
        b.Text(14, S(kBankedNote));
        b.Blank(recap);
        b.Add(recap);
        b.Text(7, S(kSlip));
        b.Text(47, Amount(bank.Slip()));
        b.Text(58, S(kCarriedNote));
        b.Add(recap);
        b.Text(5, "+ " + S(kDirect));
        b.Text(43, " + ");
        b.Text(47, Amount(bank.Total('B', 'K')));
        b.Add(recap);
        b.Text(5, "- " + S(kDirectAdj));
        b.Text(43, " - ");
        b.Text(47, Amount(bank.Total('B', 'M')));
        b.Add(recap);
        b.Text(7, S(kDirectAdjNote));
        b.Add(recap);
        b.Rule(47, 57);
        b.Add(recap);
        b.Text(3, S(kDirectTotal));
        b.Text(43, " = ");
        b.Text(47, Amount(bank.Direct()));
        b.Blank(recap);
        b.Add(recap);
        b.Text(7, S(kRecorded), true);
        b.Text(47, Amount(bank.Recorded()), true);
        b.Blank(recap);
        b.Add(recap, false, 3);
        b.Text(15, S(kNotes));
        b.Add(recap);
        b.Rule(15, 60);
        b.Add(recap);
        b.Text(3, S(kNotesText));
        if (i + 1 == data_.banks.size()) {
            b.Blank(recap);
            b.Add(recap);
            b.Text(3, S(kPreparedFor) + data_.practice);
        }
    }
    return b.Take();
}

namespace deposit {

host::output::ReportTable DepositTable(const DayTrialData& data) {
    using host::output::CellKind;
    host::output::ReportTable t("Dépôt journalier",
                                {{"Banque", "Banque", CellKind::Text, 8},
                                 {"NomBanque", "Nom de la banque", CellKind::Text, 30},
                                 {"Section", "Section", CellKind::Text, 40},
                                 {"Groupe", "Groupe", CellKind::Text, 6},
                                 {"Genre", "Genre", CellKind::Text, 6},
                                 {"Payeur", "Payeur", CellKind::Text, 30},
                                 {"Code", "Code", CellKind::Text, 8},
                                 {"Description", "Description", CellKind::Text, 30},
                                 {"NoTrx", "No. Trx", CellKind::Text, 10},
                                 {"Date", "Date", CellKind::Date, 12},
                                 {"Montant", "Montant", CellKind::Amount, 12},
                                 {"Taux", "Taux", CellKind::Text, 8},
                                 {"Bordereau", "Bordereau", CellKind::Amount, 12},
                                 {"Directs", "Dépôts directs", CellKind::Amount, 12},
                                 {"Total", "Dépôt total", CellKind::Amount, 12}});
    for (const BankDeposit& b : data.banks) {
        const std::string name = BankName(b);
        for (const Section& s : b.sections) {
            const std::string heading = S(kHeadings + SectionIndex(s.group, s.kind));
            for (const stDayTrialElem& e : s.lines)
                t.Row()
                    .Text("Banque", b.code)
                    .Text("NomBanque", name)
                    .Text("Section", heading)
                    .Text("Groupe", std::string(1, e.group))
                    .Text("Genre", std::string(1, e.kind))
                    .Text("Payeur", e.payer)
                    .Text("Code", e.code)
                    .Text("Description", e.descrip.empty() ? e.code_desc : e.descrip)
                    .Text("NoTrx", e.trxno)
                    .Date("Date", e.date)
                    .Amount("Montant", e.amount);
            for (const stSChgElem& ch : s.charges)
                t.Row("F")
                    .Text("Banque", b.code)
                    .Text("NomBanque", name)
                    .Text("Section", S(kCharges))
                    .Text("Groupe", std::string(1, s.group))
                    .Text("Code", ch.code)
                    .Text("Description", ch.desc)
                    .Text("Taux", Rate(ch.rate))
                    .Amount("Montant", ch.charge);
        }
        t.Row("R")
            .Text("Banque", b.code)
            .Text("NomBanque", name)
            .Amount("Bordereau", b.Slip())
            .Amount("Directs", b.Direct())
            .Amount("Total", b.Recorded());
    }
    return t;
}

host::output::ReportTable CashBreakdownTable() {
    using host::output::CellKind;
    host::output::ReportTable t("Feuille de travail", {{"Valeur", "Valeur", CellKind::Text, 8},
                                                       {"Quantite", "Quantité", CellKind::Text, 10},
                                                       {"Montant", "Montant", CellKind::Text, 12}});
    for (const char* d : kDenominations)
        t.Row().Text("Valeur", d).Text("Quantite", "").Text("Montant", "");
    t.Row().Text("Valeur", "PIÈCES").Text("Quantite", "").Text("Montant", "");
    return t;
}

ST_FORMULAINFO Formulas(const DayTrialData& data) {
    ST_FORMULAINFO f;
    InitFormulaInfo(&f);
    const auto yn = [](bool on) { return on ? "'Y'" : "'N'"; };
    CreateFormula(&f, 2, "BreakonDirectDep", yn(data.criteria.break_direct));
    CreateFormula(&f, 2, "InclCashSubTotals", yn(data.criteria.cash_subtotals));
    if (data.HasOtherAdjustments()) CreateFormula(&f, 2, "HasOthAdjustSection", "'Y'");
    return f;
}

}  // namespace deposit

DayTrialReportRun::DayTrialReportRun(const deposit::Criteria& criteria, int calc_mode)
    : criteria_(criteria),
      calc_mode_(calc_mode),
      table_(deposit::DepositTable(data_)),
      cash_(deposit::CashBreakdownTable()) {
    InitFormulaInfo(&formulas_);
}

std::string DayTrialReportRun::MeterTitle() const {
    return S(kMeter);
}

bool DayTrialReportRun::Collect(reports::RunContext& ctx) {
    deposit::CollectRequest request;
    request.criteria = criteria_;
    request.launcher = ctx.launcher;
    request.meter = ctx.meter;
    request.calc_mode = calc_mode_;
    std::string error;
    if (!reports::Settle(ctx, deposit::Collect(request, &data_, &error), error)) return false;
    if (data_.Count() == 0) {
        // Nothing to deposit: the dialog says so; no data file is written.
        empty_ = true;
        ctx.cancelled = true;
        return false;
    }
    table_ = deposit::DepositTable(data_);
    formulas_ = deposit::Formulas(data_);
    return true;
}

bool DayTrialReportRun::Print(reports::RunContext& ctx) {
    DayTrialRptObj report(ctx.launcher, ctx.dialog, data_, ctx.interactive, ctx.text);
    return reports::PrintPages(report, ctx);
}

std::vector<reports::DataFile> DayTrialReportRun::DataFiles() const {
    return {{"\\XML\\dtrilsum.xml", &table_}, {"\\XML\\cashBreakDown.xml", &cash_}};
}
