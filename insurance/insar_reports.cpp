#include "insurance/insar_reports.h"

#include "host/base/dates.h"
#include "host/base/numfmt.h"
#include "host/base/strings.h"
#include "host/base/text.h"

namespace {

using host::calc::Aged;
using host::calc::k30;
using host::calc::k60;
using host::calc::k90;
using host::calc::kCurrent;
using host::calc::kTotal;

// String numbers of the insurance receivable report.
enum : int {
    kCarrierTotalsPage = 6004,
    kAllCarriersTotals = 6005,
    kAllDoctorsTotals = 6006,
    kDoctorTotalsPage = 6007,
    kPracticeTotalsPage = 6009,
    kOfficeTotal = 6010,
    kUnbilledTotal = 6011,
    kInsuranceTotal = 6012,
    kSingleTotal = 6013,
    kMultipleTotal = 6014,
    kHeldTotal = 6015,
    kTitleDetail = 6422,
    kTitleClaims = 6423,
    kTitleTotals = 6424,
    kAsOf = 6425,
    kClaimHeading = 6426,
    kDetailHeading = 6427,
    kDetailHeading2 = 6428,
    kTotalsHeading = 6429,
    kMinBalance = 6430,
    kAllDoctors = 6434,
    kMeterDetail = 6436,
    kMeterClaims = 6437,
    kMeterTotals = 6438,
    kUnbilled = 6439,
    kAllCarriers = 6440,
    kTotals = 6433,
};

const std::string& S(int id) {
    return host::LoadText(id);
}

std::string Amount(int64_t cents, int width = InsARSumRpt::kAmountWidth) {
    return host::FormatAmount(cents, width);
}

// Held payments, the four buckets, the total and the multiple-coverage total.
void PrintAged(OvReportObj& r, int line, const int* cols, int64_t held, const Aged& a,
               int64_t multiple) {
    const int64_t v[7] = {held, a.v[kCurrent], a.v[k30], a.v[k60], a.v[k90], a.v[kTotal], multiple};
    for (int i = 0; i < 7; ++i)
        r.PrintText(cols[i], line, Amount(v[i]));
}

std::string ClaimNumber(const insar::ClaimRow& c) {
    if (c.claim_id == 0) return c.carrier;
    return c.submitted == 0 ? S(kUnbilled) : c.claim_no;
}

std::string DoctorLine(const insar::InsARData& d) {
    const std::string doctor = d.criteria.doctor;
    return doctor == "*" ? S(kAllDoctors) : "Dr " + doctor;
}

std::string CarrierLine(const insar::InsARData& d) {
    const std::string carrier = d.criteria.carrier;
    return carrier == "*" ? S(kAllCarriers) : carrier;
}

}  // namespace

// --- InsARSumRpt ---

InsARSumRpt::InsARSumRpt(LauncherInfo* launcher, TWindow* parent, const insar::InsARData& data,
                         FILE* out, short copies, bool show_meter)
    : OvReportObj(launcher, parent, 'C', show_meter, 0, true, out, false, true), data_(data) {
    SetCopies(copies);
}

void InsARSumRpt::SetColumns() {
    SetColumnStarts({0, 22, 35, 47, 59, 71, 83, 95, 107, 121});
}

bool InsARSumRpt::InitialCriteria() {
    claim_ = printed_ = 0;
    any_ = false;
    return !data_.claims.empty();
}

bool InsARSumRpt::ContinueCriteria() {
    return ++claim_ < data_.claims.size();
}

bool InsARSumRpt::MatchCriteria() {
    const insar::ClaimRow& c = Claim();
    if (any_) {
        const insar::ClaimRow& p = data_.claims[printed_];
        if (p.doctor != c.doctor || p.carrier != c.carrier) {
            PrintPairTotals(GetCurLine());
            printed_ = claim_;
            PageBreak();
        }
    }
    any_ = true;
    return true;
}

int InsARSumRpt::PrintClaim(int line, const insar::ClaimRow& c) {
    PrintText(0, line, host::U8Fit(c.patient, 21));
    PrintText(22, line, host::U8Fit(ClaimNumber(c), 12));
    PrintAged(*this, line, kClaimCols, c.held, c.due, c.multiple ? c.due.v[kTotal] : 0);
    PrintText(121, line, host::U8Fit(c.others, 11));
    return 1;
}

int InsARSumRpt::PrintSubTitle(int line) {
    if (!Details() || data_.claims.empty()) return line;
    const insar::ClaimRow& c = data_.claims[printed_];
    PrintText(0, line, host::U8Format("Dr %s   %s", c.doctor.c_str(), c.carrier.c_str()));
    PrintText(0, line + 2, S(kClaimHeading));
    PrintRule(line + 3, 0, 132);
    return line + 4;
}

std::string InsARSumRpt::GetTitleStr(int i) {
    switch (i) {
        case 0:
            return S(TitleText());
        case 1: {
            std::string t = S(kAsOf) + " " + host::Dmy(data_.criteria.as_of);
            if (data_.criteria.overdue_num != 1 && data_.criteria.min_balance != 0)
                t += "   " + S(kMinBalance) + host::FormatAmount(data_.criteria.min_balance);
            return t;
        }
        case 2:
            return DoctorLine(data_);
        case 3:
            return CarrierLine(data_);
        default:
            return {};
    }
}

long InsARSumRpt::GetMaxMeterCount() {
    return static_cast<long>(data_.claims.size());
}

int InsARSumRpt::PrintPairTotals(int line) {
    Aged due;
    int64_t multiple = 0, held = 0;
    const insar::ClaimRow& first = data_.claims[printed_];
    for (size_t i = printed_; i < data_.claims.size(); ++i) {
        const insar::ClaimRow& c = data_.claims[i];
        if (c.doctor != first.doctor || c.carrier != first.carrier) break;
        due += c.due;
        held += c.held;
        if (c.multiple) multiple += c.due.v[kTotal];
    }
    if (line + 2 >= GetRowPerPage()) {
        PageBreak();
        line = GetCurLine();
    }
    for (int col : kClaimCols)
        PrintText(col + 1, line, std::string(kAmountWidth - 1, '-'));
    PrintText(0, line + 1, S(kTotals));
    PrintAged(*this, line + 1, kClaimCols, held, due, multiple);
    return line + 2;
}

bool InsARSumRpt::EndReport(int line) {
    if (Details() && !data_.claims.empty()) line = PrintPairTotals(line);
    if (!PageStarted()) PageBreak();
    bool ok = true;
    int page = GetPageNumber();
    const std::pair<InsARTotalRpt::Kind, int> pages[] = {
        {InsARTotalRpt::Kind::Carriers, kCarrierTotalsPage},
        {InsARTotalRpt::Kind::Doctors, kDoctorTotalsPage},
        {InsARTotalRpt::Kind::Practice, kPracticeTotalsPage}};
    for (const auto& [kind, title] : pages) {
        InsARTotalRpt totals(Launcher(), Parent(), data_, kind, title, page + 1);
        totals.ContinueOn(*this);
        ok = totals.PrintReport() && ok;
        page = totals.GetPageNumber();
    }
    return OvReportObj::EndReport(line) && ok;
}

// --- The three forms ---

int InsARDetailRpt::TitleText() const {
    return kTitleDetail;
}

std::string InsARDetailRpt::GetMeterTitle() {
    return S(kMeterDetail);
}

int InsARDetailRpt::GetLineReq() {
    return static_cast<int>(Claim().items.size()) + 2;
}

int InsARDetailRpt::PrintSubTitle(int line) {
    if (data_.claims.empty()) return line;
    const insar::ClaimRow& c = data_.claims[printed_];
    PrintText(0, line, host::U8Format("Dr %s   %s", c.doctor.c_str(), c.carrier.c_str()));
    PrintText(0, line + 2, S(kClaimHeading));
    PrintText(0, line + 3, S(kDetailHeading));
    PrintText(0, line + 4, S(kDetailHeading2));
    PrintRule(line + 5, 0, 132);
    return line + 6;
}

int InsARDetailRpt::PrintDetail(int line) {
    const insar::ClaimRow& c = Claim();
    PrintClaim(line, c);
    int n = 1;
    for (const insar::ItemRow& it : c.items) {
        if (it.charge_id == 0) continue;  // the claim line says it all
        const int l = line + n++;
        PrintText(0, l, host::Dmy(it.date));
        // The claim's number is on the claim line: its last five characters are enough.
        const size_t chars = host::U8Length(it.claim_no);
        const size_t skip = chars > 5 ? host::U8Left(it.claim_no, chars - 5).size() : 0;
        PrintText(11, l, host::U8Fit(it.claim_no.substr(skip), 5));
        PrintText(17, l, host::U8Fit(it.code, 5));
        PrintText(23, l, host::U8Fit(it.description, 16));
        PrintText(40, l, Amount(it.charge));
        PrintText(56, l, Amount(it.estimate));
        PrintText(67, l, Amount(it.ins_paid));
        PrintText(78, l, Amount(it.pat_due));
        PrintText(89, l, Amount(it.due.v[kTotal]));
        PrintText(111, l, host::U8Fit(it.carrier, 5));
        PrintText(121, l, Amount(it.held, 12));
    }
    return n + 1;  // a blank line after the claim
}

int InsARClaimRpt::TitleText() const {
    return kTitleClaims;
}

std::string InsARClaimRpt::GetMeterTitle() {
    return S(kMeterClaims);
}

int InsARClaimRpt::PrintDetail(int line) {
    return PrintClaim(line, Claim());
}

int InsPrnTotOnlyRpt::TitleText() const {
    return kTitleTotals;
}

std::string InsPrnTotOnlyRpt::GetMeterTitle() {
    return S(kMeterTotals);
}

// --- InsARTotalRpt ---

InsARTotalRpt::InsARTotalRpt(LauncherInfo* launcher, TWindow* parent, const insar::InsARData& data,
                             Kind kind, int title_text, int start_page)
    : OvReportObj(launcher, parent, 'C', false, 0, true, nullptr, false, true),
      data_(data),
      kind_(kind),
      title_text_(title_text),
      start_page_(start_page) {}

void InsARTotalRpt::SetColumns() {
    SetColumnStarts({0, 53, 64, 75, 86, 97, 108, 122});
}

const std::vector<insar::TotalRow>& InsARTotalRpt::Rows() const {
    return kind_ == Kind::Carriers ? data_.carriers : data_.doctors;
}

bool InsARTotalRpt::InitialCriteria() {
    row_ = 0;
    return kind_ != Kind::Practice && !Rows().empty();
}

bool InsARTotalRpt::ContinueCriteria() {
    return ++row_ < Rows().size();
}

int InsARTotalRpt::PrintDetail(int line) {
    const insar::TotalRow& t = Rows()[row_];
    PrintText(0, line, host::U8Fit(t.code + " " + t.name, 50));
    PrintAged(*this, line, kCols, t.held, t.All(), t.multiple.v[kTotal]);
    return 1;
}

int InsARTotalRpt::PrintSubTitle(int line) {
    PrintText(0, line, S(kTotalsHeading));
    PrintRule(line + 1, 0, 133);
    return line + 2;
}

std::string InsARTotalRpt::GetTitleStr(int i) {
    switch (i) {
        case 0:
            return S(title_text_);
        case 1:
            return S(kAsOf) + " " + host::Dmy(data_.criteria.as_of);
        case 2:
            return kind_ == Kind::Carriers  ? S(kAllCarriersTotals)
                   : kind_ == Kind::Doctors ? S(kAllDoctorsTotals)
                                            : DoctorLine(data_) + " - " + CarrierLine(data_);
        default:
            return {};
    }
}

bool InsARTotalRpt::EndReport(int line) {
    if (!PageStarted()) {
        PageBreak();
        line = GetCurLine();
    }
    const insar::TotalRow& p = data_.practice;
    for (int col : kCols)
        PrintText(col + 1, line, std::string(InsARSumRpt::kAmountWidth - 1, '='));
    PrintText(0, line + 1, S(kTotals));
    PrintAged(*this, line + 1, kCols, p.held, p.All(), p.multiple.v[kTotal]);
    if (kind_ == Kind::Practice) {
        const std::pair<int, int64_t> lines[] = {
            {kOfficeTotal, p.office.v[kTotal]},     {kUnbilledTotal, p.unbilled.v[kTotal]},
            {kInsuranceTotal, p.All().v[kTotal]},   {kSingleTotal, p.single.v[kTotal]},
            {kMultipleTotal, p.multiple.v[kTotal]}, {kHeldTotal, p.held}};
        int l = line + 3;
        for (const auto& [text, amount] : lines) {
            PrintText(0, l, S(text));
            PrintText(kCols[5], l, Amount(amount));
            ++l;
        }
        line = l;
    } else {
        line += 2;
    }
    return OvReportObj::EndReport(line);
}
