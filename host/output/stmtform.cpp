#include "host/output/stmtform.h"

#include <algorithm>

#include "host/base/dates.h"
#include "host/base/numfmt.h"
#include "host/base/strings.h"
#include "host/base/text.h"
#include "host/output/paths.h"
#include "host/output/pdf.h"

namespace {

// Texts of the statement stationery.
constexpr int kTitle = 12950;
constexpr int kStmtDate = 12951;
constexpr int kAccountNo = 12952;
constexpr int kFirstHeading = 12953;  // 12953..12959: the seven column headings
constexpr int kFirstAged = 12960;     // 12960..12964: current .. future
constexpr int kBalance = 12965;
constexpr int kContinued = 12966;

constexpr int kDetailStart[8] = {0, 0, 11, 22, 29, 49, 59, 69};
constexpr int kDetailWidth[8] = {0, 10, 10, 6, 20, 10, 10, 10};

std::string Amount(int64_t cents, int width) {
    char buf[64];
    return MakeNumericFormat(cents, buf, width);
}

// "(514) 555-1234" for ten digits, else the number as stored.
std::string Phone(const std::string& p) {
    std::string digits;
    for (char c : p)
        if (c >= '0' && c <= '9') digits += c;
    if (digits.size() != 10) return p;
    return "(" + digits.substr(0, 3) + ") " + digits.substr(3, 3) + "-" + digits.substr(6);
}

}  // namespace

GenForm::GenForm(TWindow* parent, void* printer_dc) : parent_(parent), dc_(printer_dc) {}

GenForm::~GenForm() {
    AbortForm();
}

bool GenForm::OpenForm(const std::string& file, int columns, int lines) {
    AbortForm();
    path_ = host::output::OutputPath(file);
    pdf_ = std::make_unique<host::output::PdfWriter>();
    if (!pdf_->Open(path_, columns, lines, host::LoadText(kTitle), &error_)) {
        pdf_.reset();
        return false;
    }
    sheets_ = 0;
    started_ = false;
    text_.clear();
    return true;
}

void GenForm::PutText(int col, int row, const std::string& text) {
    if (!pdf_) return;
    started_ = true;
    page_.PutText(col, row, text, false);
}

void GenForm::NewSheet() {
    if (!pdf_ || !started_) return;
    pdf_->AddPage(page_);
    if (keep_text_) text_.push_back(page_.TextLines());
    page_.Clear();
    started_ = false;
    ++sheets_;
}

bool GenForm::CloseForm() {
    if (!pdf_) return false;
    NewSheet();
    const bool ok = pdf_->Close(&error_);
    pdf_.reset();
    return ok;
}

void GenForm::AbortForm() {
    if (!pdf_) return;
    pdf_->Discard();
    pdf_.reset();
    page_.Clear();
    started_ = false;
}

StatementForm::StatementForm(TWindow* parent, void* printer_dc, const MSFormInfo& info)
    : GenForm(parent, printer_dc), info_(info) {}

int StatementForm::DetailWidth(int col) {
    return col >= 1 && col <= 7 ? kDetailWidth[col] : 0;
}

void StatementForm::PageBreak() {
    NewSheet();
    ++forms_;
}

bool StatementForm::LoadTrxInfo(bool with_future, bool open_only) {
    lines_.clear();
    for (const StmtTrx& t : account_.trx) {
        if (!with_future && t.date > info_.stmt_date) continue;
        if (open_only && t.owed == 0) continue;
        lines_.push_back(t);
    }
    std::stable_sort(lines_.begin(), lines_.end(),
                     [](const StmtTrx& a, const StmtTrx& b) { return a.date < b.date; });
    return true;
}

bool StatementForm::PrintForm() {
    if (!LoadTrxInfo(true, true)) return false;
    size_t next = 0;
    do {
        PageBreak();
        PrintHeader();
        PrintMiddleSection();
        next = PrintDetailLines(next);
        PrintFooter(next >= lines_.size());
    } while (next < lines_.size());
    return ExtraProcessing();
}

void StatementForm::PrintHeader() {
    const int r = StartRowOfHeader(), c = StartColOfHeader();
    Put(c, r, host::U8Fit(practice_.name, 40));
    Put(c, r + 1, host::U8Fit(practice_.addr1, 40));
    Put(c, r + 2, host::U8Fit(practice_.city_line, 40));
    Put(c, r + 3, Phone(practice_.phone));
    Put(52, r, host::LoadText(kTitle));
    Put(52, r + 1, host::LoadText(kStmtDate));
    Put(69, r + 1, host::Dmy(info_.stmt_date));
    Put(52, r + 2, host::LoadText(kAccountNo));
    Put(69, r + 2, std::to_string(account_.acc_id));
    AdditionalHeaderInfo();
}

void StatementForm::PrintMiddleSection() {
    const int r = StartRowOfMiddle(), c = StartColOfMiddle();
    Put(c, r, host::U8Fit(host::Trim(account_.pname + " " + account_.lname), 40));
    Put(c, r + 1, host::U8Fit(account_.addr1, 40));
    Put(c, r + 2, host::U8Fit(account_.addr2, 40));
    Put(c, r + 3,
        host::U8Fit(host::Trim(account_.city + (account_.prov.empty() ? "" : ", " + account_.prov) +
                               "  " + account_.postal),
                    40));
    Put(c, r + 4, Phone(account_.phone));
    AdditionalMiddleInfo();
}

size_t StatementForm::PrintDetailLines(size_t first) {
    const int r = StartRowOfDetail();
    for (int col = 1; col <= GetDetailColNum(); ++col) {
        const int w = DetailWidth(col);
        Put(StartColOfDetail(col), r - 1,
            host::U8Fit(host::LoadText(kFirstHeading + col - 1), static_cast<size_t>(w), col < 5));
    }
    size_t i = first;
    for (int n = 0; n < MaxDetailLines() && i < lines_.size(); ++n, ++i) {
        for (int col = 1; col <= GetDetailColNum(); ++col) {
            std::string text;
            MakeDetailLineCol(col, i, &text);
            Put(StartColOfDetail(col), r + n, text);
        }
    }
    AdditionalDetailInfo();
    return i;
}

void StatementForm::PrintFooter(bool last) {
    const int r = StartRowOfFooter(), c = StartColOfFooter();
    if (!last) {
        Put(c, r, host::LoadText(kContinued));
        AdditionalFooterInfo();
        return;
    }
    static constexpr int kCols[5] = {0, 1, 2, 3, 5};  // aged columns shown
    for (int k = 0; k < 5; ++k) {
        Put(c + 13 * k, r, host::U8Fit(host::LoadText(kFirstAged + k), 12, false));
        Put(c + 13 * k, r + 1, Amount(account_.aged[kCols[k]], 12));
    }
    Put(52, r + 3, host::LoadText(kBalance));
    Put(67, r + 3, Amount(account_.balance, 12));
    AdditionalFooterInfo();
}

int StatementForm::StartColOfDetail(int col) {
    return col >= 1 && col <= 7 ? kDetailStart[col] : 0;
}
int StatementForm::StartRowOfDetail() {
    return StartRowOfHeader() + 12;
}
int StatementForm::StartColOfHeader() {
    return 1;
}
int StatementForm::StartRowOfHeader() {
    return 7;
}
int StatementForm::StartColOfMiddle() {
    return 6;
}
int StatementForm::StartRowOfMiddle() {
    return StartRowOfHeader() + 5;
}
int StatementForm::StartColOfFooter() {
    return 1;
}
int StatementForm::StartRowOfFooter() {
    return StartRowOfHeader() + 31;
}
int StatementForm::MaxDetailLines() {
    return 18;
}

void StatementForm::MakeDetailLineCol(int col, size_t line, std::string* text) {
    switch (col) {
        case 1:
            MakeDetailLineCol1(line, text);
            break;
        case 2:
            MakeDetailLineCol2(line, text);
            break;
        case 3:
            MakeDetailLineCol3(line, text);
            break;
        case 4:
            MakeDetailLineCol4(line, text);
            break;
        case 5:
            MakeDetailLineCol5(line, text);
            break;
        case 6:
            MakeDetailLineCol6(line, text);
            break;
        case 7:
            MakeDetailLineCol7(line, text);
            break;
        default:
            text->clear();
    }
}

void StatementForm::MakeDetailLineCol1(size_t line, std::string* text) {
    *text = host::Dmy(lines_.at(line).date);
}
void StatementForm::MakeDetailLineCol2(size_t line, std::string* text) {
    *text = host::U8Fit(lines_.at(line).patient, 10);
}
void StatementForm::MakeDetailLineCol3(size_t line, std::string* text) {
    *text = host::U8Fit(lines_.at(line).code, 6);
}
void StatementForm::MakeDetailLineCol4(size_t line, std::string* text) {
    *text = host::U8Fit(lines_.at(line).description, 20);
}
void StatementForm::MakeDetailLineCol5(size_t line, std::string* text) {
    const StmtTrx& t = lines_.at(line);
    *text = t.kind == 'R' ? std::string(10, ' ') : Amount(t.charge, 10);
}
void StatementForm::MakeDetailLineCol6(size_t line, std::string* text) {
    *text = Amount(lines_.at(line).paid, 10);
}
void StatementForm::MakeDetailLineCol7(size_t line, std::string* text) {
    *text = Amount(lines_.at(line).owed, 10);
}
