#include "host/output/ovreport.h"

#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdarg>
#include <filesystem>

#include "host/base/dates.h"
#include "host/base/strings.h"
#include "host/base/text.h"
#include "host/output/paths.h"
#include "host/output/progress.h"

namespace {
constexpr int kDefaultRows = 60;
constexpr int kStrDate = 7901;    // "Date : "
constexpr int kStrPage = 7902;    // "Page : "
constexpr int kStrTime = 7903;    // "Heure : "
constexpr int kStrReport = 7904;  // "Rapport"
}  // namespace

OvReportObj::OvReportObj(LauncherInfo* launcher, TWindow* parent, char, bool show_meter, int flags,
                         bool wide, FILE* out, bool close_file, bool page_numbers)
    : launcher_(launcher),
      parent_(parent),
      show_meter_(show_meter),
      flags_(flags),
      out_(out),
      close_file_(close_file),
      page_numbers_(page_numbers),
      printer_(std::make_shared<TOrvoPrintObj>(parent, nullptr, 'C', wide ? 'Y' : 'N', 10, 0, 0,
                                               nullptr, false)),
      cols_per_page_(wide ? 132 : 80),
      default_cols_(wide ? 132 : 80) {}

OvReportObj::~OvReportObj() {
    if (printer_ && printer_->IsOpen() && !continuing_) printer_->OVCloseReport();
    if (close_file_ && out_) std::fclose(out_);
}

void OvReportObj::AbortReport() {
    canceled_ = true;
    printer_->OVAbortReport();
}

bool OvReportObj::PrintReport() {
    canceled_ = false;
    TMeter meter(parent_, GetMeterTitle(), GetMaxMeterCount(), show_meter_);
    if (!OpenReport()) {
        AbortReport();
        meter.Close();
        return false;
    }
    bool more = InitialCriteria();
    // Reports that count their data while gathering it know the meter's size only now.
    const long max = GetMaxMeterCount();
    if (max != meter.GetMax()) meter.SetMax(max);
    bool stopped = false;
    while (more && !stopped) {
        meter.Advance();
        if (MatchCriteria()) {
            if (PageLength() <= cur_line_ + GetLineReq()) PageBreak();
            const int used = PrintDetail(cur_line_);
            if (used < 0)
                stopped = true;
            else
                cur_line_ += used;
        }
        if (!stopped) more = ContinueCriteria();
        if (meter.Cancel()) stopped = true;
    }
    if (stopped) {
        AbortReport();
    } else {
        meter.SetPosition(meter.GetMax());
        EndReport(cur_line_);
    }
    meter.Close();
    return !stopped;
}

void OvReportObj::ContinueOn(OvReportObj& previous) {
    printer_ = previous.printer_;
    continuing_ = true;
    output_choice_ = previous.output_choice_;
    automation_ = previous.automation_;
    rows_per_page_ = previous.rows_per_page_;
}

bool OvReportObj::OpenReport() {
    SetColumns();
    if (continuing_) {
        page_started_ = false;
        page_ = GetStartPageNo() - 1;
        cur_line_ = PageLength();
        return printer_->IsOpen();
    }
    printer_->SetTextFile(automation_ ? nullptr : out_);
    printer_->SetPageSize(cols_per_page_, rows_per_page_);
    // A preview draws the very pages the printer gets (one copy), so that what the user
    // sees is what prints.
    printer_->SetCopies(output_choice_ == 1 ? 1 : copies_);
    printer_->SetColumnStarts(column_starts_);
    const std::string name = DocumentName();
    if (automation_)
        printer_->SetSpreadsheetFile(name + ".xlsx");
    else if (output_choice_ == 0 || output_choice_ == 1 || !out_)
        printer_->SetPdfFile(name + ".pdf");
    std::string title = host::Trim(GetTitleStr(0));
    if (!printer_->OVOpenReport(title.empty() ? name.c_str() : title.c_str())) return false;
    page_started_ = false;
    page_ = GetStartPageNo() - 1;
    cur_line_ = PageLength();
    return true;
}

bool OvReportObj::EndReport(int) {
    if (!page_started_) PageBreak();
    return continuing_ || printer_->OVCloseReport();
}

void OvReportObj::SetColumns() {}

void OvReportObj::PageBreak() {
    if (page_started_) {
        printer_->OVPageBreak();
        ++page_;
    } else {
        if (continuing_) printer_->OVPageBreak();  // ends the previous report's last page
        page_started_ = true;
        page_ = GetStartPageNo();
    }
    cur_line_ = PrintTitle(1);
}

int OvReportObj::PrintTitle(int line) {
    const int n = std::max(GetTitleLNum(), 0);
    if (!automation_) {
        char date[32];
        ldate_to_str1(date, ldate_today(), DATE_FMT_DMY);
        PrintText(0, line, host::LoadText(kStrDate) + date);
        PrintText(0, line + 1, host::LoadText(kStrTime) + host::TimeText());
        if (page_numbers_) {
            const std::string page = host::LoadText(kStrPage) + std::to_string(page_);
            PrintText(std::max(0, cols_per_page_ - static_cast<int>(host::U8Length(page))), line,
                      page);
        }
    }
    for (int i = 0; i < n; ++i) {
        const std::string title = host::Trim(GetTitleStr(i));
        if (title.empty()) continue;
        const int len = static_cast<int>(host::U8Length(title));
        const int col = automation_ ? 0 : std::max(0, (cols_per_page_ - len) / 2);
        PrintLine(col, line + i, title, i == 0);
    }
    const int used = automation_ ? n : std::max(n, 2);
    return PrintSubTitle(line + used + 1);
}

bool OvReportObj::InitialCriteria() {
    return false;
}

bool OvReportObj::MatchCriteria() {
    return true;
}

bool OvReportObj::ContinueCriteria() {
    return false;
}

int OvReportObj::PrintDetail(int) {
    return 0;
}

void OvReportObj::SetRowPerPage(int n) {
    rows_per_page_ = n > 0 ? n : kDefaultRows;
}

void OvReportObj::SetColPerPage(int n) {
    cols_per_page_ = n > 0 ? n : default_cols_;
}

int OvReportObj::PrintSubTitle(int line) {
    return line;
}

int OvReportObj::GetLineReq() {
    return 1;
}

int OvReportObj::GetTitleLNum() {
    return 3;
}

int OvReportObj::GetStartPageNo() {
    return 1;
}

long OvReportObj::GetMaxMeterCount() {
    return 100;
}

std::string OvReportObj::GetTitleStr(int) {
    return {};
}

std::string OvReportObj::GetMeterTitle() {
    return GetTitleStr(0);
}

int OvReportObj::GetColsNum() {
    return static_cast<int>(column_starts_.size());
}

void OvReportObj::SetAutomation(int output_choice, bool on) {
    output_choice_ = output_choice;
    automation_ = on && output_choice == 2;
}

void OvReportObj::PrintText(int col, int line, const std::string& text, bool bold) {
    printer_->OVSetBold(bold);
    printer_->OVTextPrint(col, line, text);
    printer_->OVSetBold(false);
}

void OvReportObj::PrintLine(int col, int line, const std::string& text, bool bold) {
    printer_->SetCutAtColumns(false);
    PrintText(col, line, text, bold);
    printer_->SetCutAtColumns(true);
}

void OvReportObj::PrintFormat(int col, int line, const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    const std::string text = host::U8VFormat(fmt, args);
    va_end(args);
    PrintText(col, line, text);
}

void OvReportObj::PrintRule(int line, int from_col, int to_col, bool double_line) {
    if (to_col < 0) to_col = cols_per_page_ - 1;
    if (double_line)
        printer_->OVDrawDoubHLine(from_col, to_col, line);
    else
        printer_->OVDrawHorzLine(from_col, to_col, line);
}

void OvReportObj::SetColumnStarts(std::vector<int> starts) {
    column_starts_ = std::move(starts);
    printer_->SetColumnStarts(column_starts_);
}

int OvReportObj::PageLength() const {
    return automation_ ? INT_MAX / 4 : rows_per_page_;
}

// The file name of the PDF or spreadsheet: the one set, else the ".prt" file's, else one
// made from the title.
std::string OvReportObj::DocumentName() {
    if (!document_name_.empty()) return document_name_;
    if (out_) {
        char link[64];
        std::snprintf(link, sizeof link, "/proc/self/fd/%d", fileno(out_));
        char path[4096];
        const ssize_t n = readlink(link, path, sizeof path - 1);
        if (n > 0) {
            path[n] = '\0';
            const std::filesystem::path p(path);
            if (p.is_absolute() && p.has_stem()) return (p.parent_path() / p.stem()).string();
        }
    }
    const std::string title = host::Trim(GetTitleStr(0));
    return host::output::FileStem(title.empty() ? host::LoadText(kStrReport) : title);
}
