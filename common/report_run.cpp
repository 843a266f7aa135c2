#include "common/report_run.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <system_error>

#include "common/registry.h"
#include "host/base/debuglog.h"
#include "host/base/env.h"
#include "host/base/strings.h"
#include "host/output/ovreport.h"
#include "host/output/paths.h"
#include "host/output/progress.h"
#include "host/output/template_printer.h"
#include "host/output/xmlexport.h"
#include "host/records/context.h"
#include "host/ui/reportdlg.h"

namespace reports {

namespace {

namespace fs = std::filesystem;

constexpr int kFileNotWritten = 12450;  // "Le fichier « %s » n'a pas pu être écrit : %s"

int CalcMode(const TReportBaseDlg& dialog) {
    const QDSApplication* app = dialog.GetApp();
    return app ? app->m_CalAR : 0;
}

void FileError(TReportBaseDlg& dialog, const std::string& path, const std::string& why) {
    char text[2048];
    std::snprintf(text, sizeof text, host::LoadText(kFileNotWritten).c_str(), path.c_str(),
                  why.c_str());
    dialog.MessageBox(text, dialog.GetCaption(), MB_OK | MB_ICONERROR);
}

// The ".prt" file of a run, written beside its final name and moved into place when the
// run is over, so that a reader never sees half a report.
class TextFile {
  public:
    explicit TextFile(const std::string& name)
        : path_(host::output::OutputPath(name)), part_(path_ + ".part") {
        file_ = std::fopen(part_.c_str(), "w");
    }
    ~TextFile() {
        if (file_) std::fclose(file_);
        std::error_code ec;
        fs::remove(part_, ec);
    }
    FILE* get() const { return file_; }
    const std::string& path() const { return path_; }
    // Closes the file and moves it into place; false with *error when that fails.
    bool Finish(std::string* error) {
        if (!file_) return false;
        const bool written = std::ferror(file_) == 0;
        const bool closed = std::fclose(file_) == 0;
        file_ = nullptr;
        if (!written || !closed) {
            *error = "erreur d'écriture";
            return false;
        }
        std::error_code ec;
        fs::rename(part_, path_, ec);
        if (ec) *error = ec.message();
        return !ec;
    }

  private:
    std::string path_, part_;
    FILE* file_ = nullptr;
};

// The files of the output folder (not its XML/ data files) with their modification times,
// to tell afterwards which ones a run wrote.
using FolderState = std::map<std::string, fs::file_time_type>;

FolderState OutputFolderState() {
    FolderState state;
    std::error_code ec;
    for (fs::directory_iterator it(host::Env().output_dir, ec), end; !ec && it != end;
         it.increment(ec)) {
        std::error_code fe;
        if (!it->is_regular_file(fe) || it->path().extension() == ".part") continue;
        state[it->path().string()] = it->last_write_time(fe);
    }
    return state;
}

// The files written since before, oldest first.
std::vector<std::string> WrittenSince(const FolderState& before) {
    std::vector<std::pair<fs::file_time_type, std::string>> written;
    for (const auto& [path, stamp] : OutputFolderState()) {
        auto it = before.find(path);
        if (it == before.end() || it->second != stamp) written.emplace_back(stamp, path);
    }
    std::sort(written.begin(), written.end());
    std::vector<std::string> paths;
    for (auto& w : written)
        paths.push_back(std::move(w.second));
    return paths;
}

// Tells the report views when a run starts and what it wrote when it ends, whichever way
// it ends.
class RunNotice {
  public:
    RunNotice(const TReportBaseDlg& dialog, int output_choice)
        : dialog_(dialog), output_choice_(output_choice), before_(OutputFolderState()) {
        host::output::GetReportViews().RunStarted(&dialog_, output_choice_);
    }
    ~RunNotice() {
        host::output::GetReportViews().RunFinished(&dialog_, output_choice_, ok_,
                                                   WrittenSince(before_));
    }
    bool Done(bool ok) {
        ok_ = ok;
        return ok;
    }

  private:
    const TReportBaseDlg& dialog_;
    int output_choice_;
    FolderState before_;
    bool ok_ = false;
};

bool RunReportFiles(TReportBaseDlg& dialog, const ReportDescriptor& report, ReportRun& run);

}  // namespace

bool RunReport(TReportBaseDlg& dialog, const ReportDescriptor& report, ReportRun& run) {
    if (dialog.IsUnattended()) dialog.SetOutputChoice(0);
    RunNotice notice(dialog, dialog.GetOutputChoice());
    return notice.Done(RunReportFiles(dialog, report, run));
}

namespace {

bool RunReportFiles(TReportBaseDlg& dialog, const ReportDescriptor& report, ReportRun& run) {
    const int dest = dialog.GetOutputChoice();
    const bool pages = dest != 2;

    std::unique_ptr<TextFile> text;
    if ((dest == 1 || dest > 2) && !report.text_file.empty()) {
        text = std::make_unique<TextFile>(report.text_file);
        if (!text->get()) {
            FileError(dialog, text->path(), "ouverture impossible");
            return false;
        }
    }
    // The data files are emptied first, so that a run that stops never leaves an earlier
    // run's figures for the template.
    const std::vector<DataFile> before = run.DataFiles();
    for (const DataFile& f : before) {
        if (!IXmlExportWrapper::Clear(f.xml_file.c_str())) {
            FileError(dialog, host::output::OutputPath(f.xml_file), "dossier non accessible");
            return false;
        }
    }

    RunContext ctx;
    ctx.launcher = dialog.GetLauncherInfo();
    ctx.dialog = &dialog;
    ctx.output_choice = dest;
    ctx.interactive = !dialog.IsUnattended();
    ctx.text = text ? text->get() : nullptr;
    ctx.document = fs::path(report.text_file.empty() ? report.key : report.text_file).stem();

    const std::string log_name = report.log_name.empty() ? report.key : report.log_name;
    WriteDebugLogFile("START %s: m_CalAR = %d", log_name.c_str(), CalcMode(dialog));
    bool ok;
    {
        TMeter meter(&dialog, run.MeterTitle(), 100, ctx.interactive);
        ctx.meter = &meter;
        ok = run.Collect(ctx);
        ctx.meter = nullptr;
    }
    if (ok && pages) ok = run.Print(ctx);
    WriteDebugLogFile("END %s: m_CalAR = %d", log_name.c_str(), CalcMode(dialog));
    if (!ok && !ctx.cancelled && !ctx.error.empty())
        dialog.MessageBox(ctx.error, dialog.GetCaption(), MB_OK | MB_ICONERROR);

    std::string error;
    if (text && !text->Finish(&error)) {
        FileError(dialog, text->path(), error);
        return false;
    }
    if (!ok || ctx.cancelled) return false;

    const std::vector<DataFile> files = run.DataFiles();
    for (const DataFile& f : files) {
        if (!f.table->SaveXml(f.xml_file, &error)) {
            FileError(dialog, host::output::OutputPath(f.xml_file), error);
            return false;
        }
    }
    if (dest == 2) {
        std::vector<const host::output::ReportTable*> tables;
        for (const DataFile& f : files)
            tables.push_back(f.table);
        const std::string sheet = ctx.document + ".xlsx";
        if (!host::output::WriteWorkbook(sheet, tables, &error)) {
            FileError(dialog, host::output::OutputPath(sheet), error);
            return false;
        }
        return true;
    }
    const std::string template_name =
        run.TemplateName().empty() ? report.template_name : run.TemplateName();
    bool printed = false;
    if (!template_name.empty() && !files.empty()) {
        host::output::TemplateRequest request;
        request.template_name = template_name;
        request.xml_file =
            fs::path(host::output::OutputPath(files.front().xml_file)).filename().string();
        request.output_choice = dest;
        // The printed pages' PDF bears the document's name: a template of the same name
        // writes beside it rather than over it.
        if (pages && fs::path(template_name).stem() == ctx.document)
            request.output_name = ctx.document + "-modele";
        request.parent = &dialog;
        request.formulas = run.Formulas();
        const QDSApplication* app = dialog.GetApp();
        request.db = app ? app->GetDb() : nullptr;
        host::output::TemplateResult result;
        switch (host::output::RunTemplate(request, &result, &error)) {
            case host::output::TemplateStatus::Printed:
                WriteDebugLogFile("Modèle %s imprimé : %s", template_name.c_str(),
                                  result.output_path.c_str());
                printed = true;
                break;
            case host::output::TemplateStatus::Missing:
                WriteDebugLogFile("%s", error.c_str());
                break;
            case host::output::TemplateStatus::Failed:
                dialog.MessageBox(error, dialog.GetCaption(), MB_OK | MB_ICONERROR);
                return false;
        }
    }
    // Without a template print, the preview is the text file.
    if (!printed && dest == 1 && text) TPrintScreen(&dialog, report.text_file, true);
    return true;
}

}  // namespace

bool Settle(RunContext& ctx, Outcome outcome, const std::string& error) {
    switch (outcome) {
        case Outcome::Done:
            return true;
        case Outcome::Cancelled:
            ctx.cancelled = true;
            return false;
        case Outcome::Failed:
            ctx.error = error;
            return false;
    }
    return false;
}

bool PrintPages(OvReportObj& report, RunContext& ctx) {
    report.SetDocumentName(ctx.document);
    report.SetAutomation(ctx.output_choice, false);
    const bool ok = report.PrintReport();
    if (report.ReportCanceled()) ctx.cancelled = true;
    return ok;
}

bool RunHeadless(ReportRun& run, LauncherInfo* launcher, FILE* text, int output_choice,
                 const std::string& document, std::string* error) {
    RunContext ctx;
    ctx.launcher = launcher;
    ctx.output_choice = output_choice;
    ctx.interactive = false;
    ctx.text = text;
    ctx.document = document;
    const bool ok = run.Collect(ctx) && run.Print(ctx);
    if (!ok) *error = ctx.cancelled ? "rapport annulé" : ctx.error;
    return ok;
}

}  // namespace reports
