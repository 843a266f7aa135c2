// One run of a report, the same for every report of the module:
//
//   criteria (the dialog) -> collector -> rows -> renderers (text pages, data files)
//
// A report supplies a ReportRun: Collect reads the practice into typed rows (the only code
// of a report that reads the database, the record classes or the calculators), Print lays
// the rows out on pages through the report's page objects (OvReportObj), and DataFiles
// hands out the rows as tables for the XML data files and the spreadsheet export.
// RunReport drives it from a criteria dialog's DisplayReport:
//
//   1. the unattended run prints (output kind 0); the ".prt" file is opened for output
//      kinds 1 and 3 and above, the data files are emptied first;
//   2. "START <report>: m_CalAR = n" in the debug log; Collect under a progress meter;
//   3. kinds 0, 1, 3+: Print; every kind: the data files; kind 2: the spreadsheet export
//      "<text file stem>.xlsx", one sheet per data file, typed cells;
//   4. "END <report>: ..."; the ".prt" file is closed and moved into place;
//   5. not cancelled, kinds other than 2: the template over the first data file; when it
//      does not print and the kind is 1, the ".prt" file in the text viewer.
// A file that cannot be written stops the run with a message naming it.
#pragma once

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "host/output/report_table.h"

class LauncherInfo;
class OvReportObj;
class TMeter;
struct ST_FORMULAINFO;
class TReportBaseDlg;

namespace reports {

struct ReportDescriptor;

// How a collector's reading of the practice ended.
enum class Outcome { Done, Cancelled, Failed };

struct DataFile {
    std::string xml_file;  // the report file name ("\\XML\\agedrc.xml")
    const host::output::ReportTable* table = nullptr;
};

struct RunContext {
    LauncherInfo* launcher = nullptr;
    TReportBaseDlg* dialog = nullptr;  // the parent window of the report's windows
    int output_choice = 0;
    bool interactive = true;  // false in the unattended run (no visible meter)
    FILE* text = nullptr;     // the ".prt" file, or null
    std::string document;     // the stem of the printed files ("arrpt")
    TMeter* meter = nullptr;  // the progress of Collect, with its Cancel button (may be null)
    bool cancelled = false;   // set by Collect or Print when the user cancelled
    std::string error;        // set by Collect or Print when they fail: why, in French
};

class ReportRun {
  public:
    virtual ~ReportRun() = default;
    // The progress meter's title while the practice is read.
    virtual std::string MeterTitle() const = 0;
    // Reads the practice into rows. False when it could not (ctx.error) or the user
    // cancelled (ctx.cancelled).
    virtual bool Collect(RunContext& ctx) = 0;
    // Prints the rows on pages (text file, PDF). False when cancelled or failed.
    virtual bool Print(RunContext& ctx) = 0;
    // The rows as data files, the template's first.
    virtual std::vector<DataFile> DataFiles() const = 0;
    // The template printed over the first data file when it is not the report's usual one
    // (a form of the report with a template of its own); "" keeps the report's.
    virtual std::string TemplateName() const { return {}; }
    // Named formulas handed to the template (null: none).
    virtual const ST_FORMULAINFO* Formulas() const { return nullptr; }
};

// A collector's outcome as the run's: true when done; otherwise notes the cancel or the
// error (ctx.cancelled, ctx.error).
bool Settle(RunContext& ctx, Outcome outcome, const std::string& error);

// The run of a report with one data file: its collector fills Data from a Request (the
// criteria; the run adds the launcher and the meter), and the data file's table is made from
// the data. The report supplies MeterTitle and Print.
template <class RequestT, class DataT>
class TableReportRun : public ReportRun {
  public:
    using CollectFn = Outcome (*)(const RequestT&, DataT*, std::string*);
    using TableFn = host::output::ReportTable (*)(const DataT&);

    TableReportRun(RequestT request, CollectFn collect, TableFn table, std::string xml_file)
        : request_(std::move(request)),
          collect_(collect),
          make_table_(table),
          xml_file_(std::move(xml_file)),
          table_(table(data_)) {}

    bool Collect(RunContext& ctx) override {
        request_.launcher = ctx.launcher;
        request_.meter = ctx.meter;
        std::string error;
        if (!Settle(ctx, collect_(request_, &data_, &error), error)) return false;
        table_ = make_table_(data_);
        return true;
    }
    std::vector<DataFile> DataFiles() const override { return {{xml_file_, &table_}}; }
    const DataT& Data() const { return data_; }

  protected:
    RequestT request_;
    DataT data_;

  private:
    CollectFn collect_;
    TableFn make_table_;
    std::string xml_file_;
    host::output::ReportTable table_;
};

// Prints a report's pages for the run (its document name and output kind); notes a cancel.
bool PrintPages(OvReportObj& report, RunContext& ctx);

// Runs a report from its dialog (steps above); true when it ran to its end.
bool RunReport(TReportBaseDlg& dialog, const ReportDescriptor& report, ReportRun& run);

// Collect and Print without a dialog and without files of the run sequence's own (tests,
// benchmarks): the pages go to text (or, when null, to "<document>.pdf" for output kind 0).
// False with *error when the run failed or was cancelled.
bool RunHeadless(ReportRun& run, LauncherInfo* launcher, FILE* text, int output_choice,
                 const std::string& document, std::string* error);

}  // namespace reports
