#include "closing/reprint_me.h"

#include <algorithm>
#include <cctype>
#include <ctime>
#include <filesystem>

#include <sys/stat.h>

#include "closing/mthend_reports.h"
#include "common/registry.h"
#include "host/base/env.h"
#include "host/base/strings.h"
#include "host/base/text.h"
#include "host/output/progress.h"
#include "host/ui/controls.h"

namespace {

namespace fs = std::filesystem;

constexpr int kFirstMonth = 6163;
constexpr int kNotOpened = 12974;
constexpr int kTitle = 12976;
constexpr int kList = 101;
constexpr size_t kMaxLine = 255;

bool LetterLed(const std::string& line) {
    size_t i = 0;
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\f'))
        ++i;
    if (i >= line.size()) return false;
    const unsigned char c = static_cast<unsigned char>(line[i]);
    return std::isalpha(c) || c >= 0xC0;  // a letter, accented ones included
}

}  // namespace

ReprintMEObj::ReprintMEObj(TWindow* parent, LauncherInfo* launcher, const std::string& file_name,
                           FILE* out)
    : OvReportObj(launcher, parent, 'C', true, 0, true, out, false, true), name_(file_name) {}

ReprintMEObj::~ReprintMEObj() {
    if (in_) std::fclose(in_);
}

bool ReprintMEObj::OpenReport() {
    in_ = std::fopen(name_.c_str(), "r");
    if (!in_) return false;
    return OvReportObj::OpenReport();
}

bool ReprintMEObj::EndReport(int line) {
    if (in_) std::fclose(in_);
    in_ = nullptr;
    return OvReportObj::EndReport(line);
}

void ReprintMEObj::AbortReport() {
    if (in_) std::fclose(in_);
    in_ = nullptr;
    OvReportObj::AbortReport();
}

bool ReprintMEObj::ReadLine(std::string* line) {
    line->clear();
    if (!in_) return false;
    int c;
    bool any = false;
    while ((c = std::fgetc(in_)) != EOF) {
        any = true;
        if (c == '\n') break;
        if (line->size() < kMaxLine) line->push_back(static_cast<char>(c));
    }
    if (!line->empty() && line->back() == '\r') line->pop_back();
    return any;
}

bool ReprintMEObj::FoundNewPage(const std::string* first) {
    std::string l;
    if (first && LetterLed(*first)) {
        l = *first;
    } else {
        do {
            if (!ReadLine(&l)) return false;
        } while (!LetterLed(l));
    }
    title_.assign(1, l);
    while (ReadLine(&l)) {
        if (title_.size() < 4 && LetterLed(l)) {
            title_.push_back(l);
            continue;
        }
        line_ = l;
        pushed_ = true;
        break;
    }
    new_page_ = true;
    return true;
}

bool ReprintMEObj::Advance() {
    for (;;) {
        if (pushed_) {
            pushed_ = false;
        } else if (!ReadLine(&line_)) {
            return false;
        }
        const bool marker = line_.rfind("+++", 0) == 0;
        // A form feed starts a page of the kept text file itself.
        const bool form_feed = !marker && seen_marker_ && !line_.empty() && line_[0] == '\f';
        if (marker || form_feed) {
            seen_marker_ = true;
            const std::string first = line_;
            if (!FoundNewPage(form_feed ? &first : nullptr)) return false;
            if (!pushed_) return false;  // the title ended the file
            continue;
        }
        // The blank line the month-end writes before its first marker.
        if (!seen_marker_ && host::Trim(line_).empty()) continue;
        return true;
    }
}

bool ReprintMEObj::InitialCriteria() {
    return Advance();
}

bool ReprintMEObj::ContinueCriteria() {
    return Advance();
}

int ReprintMEObj::PrintDetail(int line) {
    if (new_page_) {
        new_page_ = false;
        // The paging loop has started the first page already.
        if (printed_) PageBreak();
        line = GetCurLine();
    }
    OvReportObj::PrintText(0, line, line_);
    printed_ = true;
    return 1;
}

int ReprintMEObj::PrintTitle(int line) {
    for (size_t i = 0; i < title_.size(); ++i) {
        // The kept title carries the original page number: the reprint numbers its own.
        const std::string text = i == 0 ? title_[i].substr(0, title_[i].find("Page :")) : title_[i];
        OvReportObj::PrintText(0, line, text);
        if (i == 0) PrintFormat(GetColPerPage() - 12, line, "Page : %4d", GetPageNumber());
        ++line;
    }
    if (title_.empty()) PrintFormat(GetColPerPage() - 12, line++, "Page : %4d", GetPageNumber());
    return line + 1;
}

std::string ReprintMEObj::GetMeterTitle() {
    return host::LoadText(kTitle);
}

// --- The dialog ---

TReprintMEDlg::TReprintMEDlg(TWindow* parent, TResId res_id, LauncherInfo* launcher,
                             TModule* module, int mode)
    : TReportBaseDlg(parent, res_id, launcher, module, mode) {
    new TListBox(this, kList, module);
    BindCustom(kList, [this](TTransferDirection d) {
        auto* list = dynamic_cast<TListBoxBase*>(GetControl(kList));
        if (!list || d == tdSetData) return;
        selected_ = list->GetSelIndex() >= 0 ? list->GetSelValue() : "";
    });
}

std::string TReprintMEDlg::Folder() {
    return mthend::ReprintFolder();
}

std::string TReprintMEDlg::GetMonthString(int month) {
    if (month >= 1 && month <= 12) return host::LoadText(kFirstMonth + month - 1);
    if (month >= 13 && month <= 24) return host::U8Format("%02d", month - 12);
    return "";
}

std::string TReprintMEDlg::ListLine(const std::string& file_name, long modified) {
    const int month = file_name.size() >= 6 ? std::atoi(file_name.substr(4, 2).c_str()) : 0;
    const std::time_t t = static_cast<std::time_t>(modified);
    std::string when = std::ctime(&t);
    if (!when.empty() && when.back() == '\n') when.pop_back();
    return host::U8Format("%3.3s, %4.4s\t%s", GetMonthString(month).c_str(),
                          file_name.substr(0, 4).c_str(), when.c_str());
}

void TReprintMEDlg::SetupWindow() {
    TReportBaseDlg::SetupWindow();
    auto* list = dynamic_cast<TListBoxBase*>(GetControl(kList));
    if (!list) return;
    list->ClearList();
    std::vector<std::pair<std::string, long>> files;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(Folder(), ec)) {
        if (!e.is_regular_file(ec)) continue;
        const std::string name = e.path().filename().string();
        if (name.size() < 4 || host::ToUpper(name.substr(name.size() - 3)) != ".ME") continue;
        struct stat st {};
        const long modified = ::stat(e.path().c_str(), &st) == 0 ? st.st_mtime : 0;
        files.emplace_back(name, modified);
    }
    std::sort(files.begin(), files.end());
    names_.clear();
    for (const auto& [name, modified] : files) {
        const long key = std::atol(name.substr(0, 8).c_str());
        list->AddString(ListLine(name, modified), std::to_string(key));
        names_[key] = name;
    }
}

bool TReprintMEDlg::DisplayReport() {
    if (selected_.empty()) return true;
    const long key = std::atol(selected_.c_str());
    last_file_ = host::U8Format("%s%ld.me", Folder().c_str(), key);
    // The month-end may have named its copy in capitals ("20241130.ME").
    if (!fs::exists(last_file_) && names_.count(key)) last_file_ = Folder() + names_[key];
    host::output::GetReportViews().RunStarted(this, GetOutputChoice());
    FILE* out = GetOutputChoice() >= 3 ? OpenReportFile("reprintme.prt") : nullptr;
    ReprintMEObj obj(this, GetLauncherInfo(), last_file_, out);
    obj.SetDocumentName("reprintme");
    obj.SetAutomation(GetOutputChoice(), false);
    const bool ok = obj.PrintReport();
    if (out) std::fclose(out);
    if (!ok && !obj.PageStarted() && ShowsMessages())
        MessageBox(host::U8Format(host::LoadText(kNotOpened).c_str(), last_file_.c_str()),
                   GetCaption(), MB_OK | MB_ICONEXCLAMATION);
    std::vector<std::string> files;
    if (ok && obj.Printer() && !obj.Printer()->PdfPath().empty())
        files.push_back(obj.Printer()->PdfPath());
    host::output::GetReportViews().RunFinished(this, GetOutputChoice(), ok, files);
    if (IsUnattended()) CloseWindow(IDOK);
    return ok;
}

namespace {

REPORTS_REGISTER({
    .key = "reprintme",
    .command = 109,
    .resource = 7015,
    .dialog_class = "TReprintMEDlg",
    .caption = "Réimprimer les Fins de Mois",
    .log_name = "Reprint Month-End",
    .text_file = "reprintme.prt",
    .template_name = "",
    .make_dialog = [](const reports::DialogArgs& a) -> std::unique_ptr<TReportBaseDlg> {
        return std::make_unique<TReprintMEDlg>(a.parent, 7015, a.launcher, a.module, a.mode);
    },
});

}  // namespace
