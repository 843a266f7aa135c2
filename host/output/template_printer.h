// The template printer: prints a report template (resources/templates/*.rpt, see its
// README) over the practice database or over an XML data file, with a record selection
// and named formulas given by the caller.
//
// Output by output choice: 0 the printer (a PDF file in the output folder named after the
// template), 1 preview (the same PDF, shown by the viewer), 2 export to a file (a
// spreadsheet, or what the export settings ask for), 3 and above a PDF file as for 0.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "host/base/wintypes.h"

namespace host {
class GenDB;
}

// A record selection and named formulas for one print.
struct ST_FORMULAINFO {
    std::string selection;                                      // kind 0
    std::vector<std::pair<std::string, std::string>> formulas;  // kind 2: name, text
};

// Export settings (may be zero-filled). export_format: 0 or 3 spreadsheet (.xlsx), 1 PDF,
// 2 separated values (one line per record, fields quoted with text_quote and separated by
// field_separator; 0 means '"' and ','). export_file: the destination file (a report file
// name or an absolute path); empty names it after the template in the output folder.
struct ST_CRYSTALINFO {
    int copies;  // copies printed (0 means 1)
    int export_format;
    char export_file[1024];
    char field_separator;
    char text_quote;
};

// Empties a formula set.
void InitFormulaInfo(ST_FORMULAINFO* info);
// Adds a formula: kind 0 the record selection (name ignored, replaces the one set), kind 2
// the named formula `name` (replaces one of the same name). The two flags are accepted as
// given. False for a null set, another kind, or kind 2 without a name.
bool CreateFormula(ST_FORMULAINFO* info, int kind, const char* name, const char* text,
                   bool flag1 = false, bool flag2 = false);

// Prints template_name over the practice database (QDSApplication::Instance()->GetDb()).
// name, when not empty, names the output file instead of the template. crystal_info may
// point to an ST_CRYSTALINFO; printer_info is not used. False when the template does not
// exist (nothing is shown: the caller falls back to its text report) or the print failed
// (the reason is shown in a message box).
bool print_crystal_report(const char* template_name, const char* name, int output_choice,
                          TWindow* parent, ST_FORMULAINFO* formulas, void* crystal_info,
                          void* printer_info, bool flag);
// Prints template_name over the XML data file xml_file ("agedrc.xml" is looked for in the
// output folder's XML folder, then in the output folder; an empty name takes the
// template's own file). A template whose data source is SQL reads the database instead.
bool print_crystal_report_XML(const char* template_name, const char* xml_file, int output_choice,
                              TWindow* parent, bool flag, ST_FORMULAINFO* formulas);

namespace host::output {

struct TemplateRequest {
    std::string template_name;
    std::string xml_file;     // as for print_crystal_report_XML; an absolute path is kept
    std::string output_name;  // output file stem ("" = the template's name)
    int output_choice = 0;
    TWindow* parent = nullptr;
    const ST_FORMULAINFO* formulas = nullptr;
    const ST_CRYSTALINFO* export_info = nullptr;
    host::GenDB* db = nullptr;  // for SQL templates
};

struct TemplateResult {
    std::string output_path;  // the file written
    long records = 0;         // records selected
    int pages = 0;            // pages printed (PDF)
};

enum class TemplateStatus { Printed, Missing, Failed };

// Runs a template print without any message box; on Failed, *error says why (formula
// errors give the formula and the character position).
TemplateStatus RunTemplate(const TemplateRequest& request, TemplateResult* result,
                           std::string* error);

}  // namespace host::output
