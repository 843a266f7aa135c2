// Report templates: XML files of resources/templates/ (format in
// resources/templates/README.md) that say what a printed report shows: titles, a data
// source (an SQL query over the practice tables or the rows of an XML data file), a
// record selection, named formulas, groups and columns with formats and totals.
#pragma once

#include <string>
#include <vector>

#include "host/output/formula.h"

namespace host::output {

struct TemplateColumn {
    enum class Format { Text, Amount, Decimal, Integer, Date };
    enum class Total { None, Sum, Count };
    std::string heading;
    std::string field;    // a data field, or
    std::string formula;  // a named formula, or
    formula::Formula expression;
    int width = 10;
    Format format = Format::Text;
    bool right = false;  // right-aligned (numbers by default)
    Total total = Total::None;
    int start = 0;  // first character position, set by the loader
};

struct TemplateGroup {
    std::string field;
    std::string formula;
    formula::Formula expression;
    std::string label;  // printed before the group's value
};

struct TemplateTitle {
    std::string text;
    std::string formula;  // a named formula giving the text
};

struct TemplateDef {
    std::string path;
    std::string name;  // file name without extension
    std::vector<TemplateTitle> titles;
    bool sql_source = true;
    std::string sql;                      // with {P} for the table prefix
    std::string xml_file;                 // data file of an XML template
    std::vector<std::string> sql_fields;  // result column names of sql
    std::string selection;
    std::vector<std::pair<std::string, std::string>> formulas;  // defaults: name, text
    std::vector<TemplateGroup> groups;
    std::vector<TemplateColumn> columns;
    std::string total_label;
    int lines = 60;
    int width = 80;  // characters of a detail line
};

// The file of a template name: a path that exists is taken as it is; otherwise the name's
// file name is looked for in the templates folder (resources/templates), then without
// regard to case. Empty when there is none.
std::string FindTemplate(const std::string& name);

// Reads and checks a template; false with *error (naming the element at fault).
bool LoadTemplate(const std::string& path, TemplateDef* def, std::string* error);

// The result column names of an SQL query: each item of the select list gives its alias
// ("... AS NAME"), else its column name without table ("B.BNK_CODE" gives "BNK_CODE").
// False with *error for "*" or an item without a name.
bool SelectListNames(const std::string& sql, std::vector<std::string>* names, std::string* error);

}  // namespace host::output
