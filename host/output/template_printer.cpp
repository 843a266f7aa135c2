#include "host/output/template_printer.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <unordered_map>

#include "host/base/dates.h"
#include "host/base/debuglog.h"
#include "host/base/msgsink.h"
#include "host/base/numfmt.h"
#include "host/base/strings.h"
#include "host/base/text.h"
#include "host/db/gendb.h"
#include "host/output/ovreport.h"
#include "host/output/paths.h"
#include "host/output/progress.h"
#include "host/output/template_def.h"
#include "host/output/xmlexport.h"
#include "host/records/context.h"

namespace fs = std::filesystem;

void InitFormulaInfo(ST_FORMULAINFO* info) {
    if (!info) return;
    info->selection.clear();
    info->formulas.clear();
}

bool CreateFormula(ST_FORMULAINFO* info, int kind, const char* name, const char* text, bool, bool) {
    if (!info) return false;
    const std::string body = text ? text : "";
    if (kind == 0) {
        info->selection = body;
        return true;
    }
    const std::string key = host::Trim(name ? name : "");
    if (kind != 2 || key.empty()) return false;
    for (auto& [n, t] : info->formulas)
        if (host::ToUpper(n) == host::ToUpper(key)) {
            t = body;
            return true;
        }
    info->formulas.emplace_back(key, body);
    return true;
}

namespace host::output {
namespace {

constexpr int kStrRecords = 7906;     // "Nombre d'enregistrements : "
constexpr int kStrGrandTotal = 7907;  // "Total général"
constexpr int kStrGroupTotal = 7908;  // "Total "
constexpr int kStrMeter = 7909;       // "Impression du modèle "
constexpr int kTemplateCursor = 250;

using formula::Formula;
using formula::FormulaSet;
using formula::Value;

std::string Upper(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

// The data of a template: named columns, rows of values (nullopt is NULL).
struct DataTable {
    bool schemaless = false;  // XML rows: a missing column is null, never unknown
    std::vector<std::string> names;
    std::unordered_map<std::string, size_t> index;  // capitals -> column
    std::vector<std::vector<std::optional<std::string>>> rows;
    std::vector<std::string> row_types;

    size_t Column(const std::string& name) {
        const std::string key = Upper(name);
        auto it = index.find(key);
        if (it != index.end()) return it->second;
        index[key] = names.size();
        names.push_back(name);
        return names.size() - 1;
    }
};

class RowSource : public formula::FieldSource {
  public:
    // row == npos: a source where every field is null (titles of an empty report).
    RowSource(const DataTable& t, size_t row) : t_(t), row_(row) {}
    bool Field(std::string_view, std::string_view name, Value* out) const override {
        if (row_ == std::string::npos) {
            *out = Value::Null();
            return true;
        }
        const std::string key = Upper(name);
        auto it = t_.index.find(key);
        if (it == t_.index.end()) {
            if (!t_.schemaless) return false;
            *out = key == "ROWTYPE" ? Value::Str(t_.row_types[row_], true) : Value::Null();
            return true;
        }
        const auto& row = t_.rows[row_];
        const auto& v = it->second < row.size() ? row[it->second] : std::nullopt;
        *out = v ? Value::Str(*v, true) : Value::Null();
        return true;
    }

  private:
    const DataTable& t_;
    size_t row_;
};

bool LoadSql(const TemplateDef& def, GenDB* db, DataTable* t, std::string* error) {
    if (!db) {
        *error = "aucune base de données ouverte pour le modèle " + def.name;
        return false;
    }
    std::string sql = def.sql;
    for (size_t p = sql.find("{P}"); p != std::string::npos; p = sql.find("{P}", p))
        sql.replace(p, 3, db->dbTablePrefix());
    for (const std::string& n : def.sql_fields)
        t->Column(n);
    // The template's text is not the module's: it runs read-only, one statement.
    if (db->dbOpenReadOnly(sql, kTemplateCursor) != 0) {
        *error = "requête du modèle " + def.name + " : " +
                 (db->dbLastError() ? db->dbLastError() : "erreur");
        return false;
    }
    DbCursor* cur = db->Cursor(kTemplateCursor);
    if (cur && cur->Columns() != static_cast<int>(def.sql_fields.size())) {
        *error = "requête du modèle " + def.name + " : " + std::to_string(cur->Columns()) +
                 " colonnes pour " + std::to_string(def.sql_fields.size()) + " noms";
        db->dbClose(kTemplateCursor);
        return false;
    }
    int rc = db->dbFetch(0, kTemplateCursor);
    for (; rc == 0; rc = db->dbFetch(1, kTemplateCursor)) {
        std::vector<std::optional<std::string>> row;
        for (int c = 1; c <= static_cast<int>(def.sql_fields.size()); ++c) {
            if (cur->IsNull(c))
                row.emplace_back(std::nullopt);
            else
                row.emplace_back(std::string(cur->Text(c)));
        }
        t->rows.push_back(std::move(row));
        t->row_types.emplace_back();
    }
    if (rc < 0)
        *error = "requête du modèle " + def.name + " : " +
                 (db->dbLastError() ? db->dbLastError() : "erreur de lecture");
    db->dbClose(kTemplateCursor);
    return rc >= 0;
}

// The data file of an XML template: "agedrc.xml" is looked for under XML/ of the output
// folder, then in the output folder itself. A file to read: no folder is created.
std::string ResolveXmlFile(const std::string& name) {
    if (name.empty() || name[0] == '/') return name.empty() ? name : OutputPath(name, false);
    std::string folded = name;
    for (char& c : folded)
        if (c == '\\') c = '/';
    while (!folded.empty() && folded[0] == '/')
        folded.erase(0, 1);
    if (folded.find('/') != std::string::npos) return OutputPath(folded, false);
    const std::string in_xml = OutputPath("XML/" + folded, false);
    std::error_code ec;
    if (fs::exists(in_xml, ec)) return in_xml;
    const std::string plain = OutputPath(folded, false);
    return fs::exists(plain, ec) ? plain : in_xml;
}

bool LoadXml(const std::string& path, DataTable* t, std::string* error) {
    std::vector<XmlRow> rows;
    if (!ReadXmlRows(path, &rows, error)) return false;
    t->schemaless = true;
    for (const XmlRow& r : rows) {
        std::vector<std::optional<std::string>> row(t->names.size());
        for (const auto& [name, value] : r.columns) {
            const size_t c = t->Column(name);
            if (row.size() <= c) row.resize(c + 1);
            row[c] = value;
        }
        t->rows.push_back(std::move(row));
        t->row_types.push_back(r.type);
    }
    return true;
}

std::string FormatNumber(int64_t value, TemplateColumn::Format format) {
    if (format == TemplateColumn::Format::Integer) return std::to_string(value);
    return host::FormatAmount(value);
}

// A column's printed text for a value, and what it adds to the column's total.
std::string FormatCell(const TemplateColumn& c, const Value& v, int64_t* add) {
    *add = 0;
    if (v.IsNull()) return {};
    double x = 0;
    const bool numeric = v.AsNumber(&x) && std::isfinite(x) && std::fabs(x) < 9e15;
    switch (c.format) {
        case TemplateColumn::Format::Amount:
            if (!numeric) break;
            *add = std::llround(x);
            return FormatNumber(*add, c.format);
        case TemplateColumn::Format::Decimal:
            if (!numeric) break;
            *add = std::llround(x * 100);
            return FormatNumber(*add, c.format);
        case TemplateColumn::Format::Integer:
            if (!numeric) break;
            *add = std::llround(x);
            return FormatNumber(*add, c.format);
        case TemplateColumn::Format::Date: {
            if (!numeric) break;
            const long date = static_cast<long>(std::llround(x));
            if (date == 0) return {};
            if (host::IsValidDate(date)) return host::FormatDate(date, DATE_FMT_DMY);
            break;
        }
        case TemplateColumn::Format::Text:
            break;
    }
    std::string text = v.ToText();
    for (char& ch : text)
        if (ch == '\r' || ch == '\n' || ch == '\t') ch = ' ';
    return text;
}

struct Prepared {
    std::vector<std::string> titles;
    std::vector<std::vector<std::string>> cells;  // [row][column]
    std::vector<std::vector<int64_t>> adds;       // [row][column]
    std::vector<std::vector<bool>> present;       // [row][column]: value not null
    std::vector<std::vector<std::string>> keys;   // [row][group]
};

std::string Describe(const std::string& what, const formula::Error& e) {
    return what + " : " + e.Describe();
}

// Evaluates a column's or group's value on a row (memo: the row's named formula values).
bool SourceValue(const std::string& field, const std::string& named, const Formula& expr,
                 const RowSource& row, const FormulaSet& formulas, formula::RecordMemo* memo,
                 Value* out, formula::Error* e) {
    if (!field.empty()) {
        if (!row.Field("", field, out)) {
            e->position = 0;
            e->message = "champ inconnu « " + field + " »";
            return false;
        }
        return true;
    }
    if (!named.empty()) {
        const Formula* f = formulas.Find(named);
        if (!f) {
            e->position = 0;
            e->message = "formule inconnue « " + named + " »";
            return false;
        }
        return f->Evaluate(&row, &formulas, out, e, memo);
    }
    return expr.Evaluate(&row, &formulas, out, e, memo);
}

bool Prepare(const TemplateDef& def, const DataTable& data, const ST_FORMULAINFO* given,
             Prepared* out, std::string* error) {
    FormulaSet formulas;
    formula::Error e;
    for (const auto& [name, text] : def.formulas)
        formulas.Add(name, text, &e);
    Formula caller_selection;
    if (given) {
        for (const auto& [name, text] : given->formulas)
            if (!formulas.Add(name, text, &e)) {
                *error = Describe("formule « " + name + " »", e);
                return false;
            }
        if (!caller_selection.Parse(given->selection, &e)) {
            *error = Describe("formule de sélection", e);
            return false;
        }
    }
    Formula own_selection;
    own_selection.Parse(def.selection, &e);

    std::vector<size_t> selected;
    for (size_t r = 0; r < data.rows.size(); ++r) {
        const RowSource row(data, r);
        formula::RecordMemo memo;
        bool a = true, b = true;
        if (!own_selection.Select(&row, &formulas, &a, &e, &memo)) {
            *error = Describe("sélection du modèle", e);
            return false;
        }
        if (a && !caller_selection.Select(&row, &formulas, &b, &e, &memo)) {
            *error = Describe("formule de sélection", e);
            return false;
        }
        if (a && b) selected.push_back(r);
    }

    // Group keys, then the rows in group order (stable, so the data's order stays inside).
    std::vector<std::vector<std::string>> keys(data.rows.size());
    for (size_t r : selected) {
        const RowSource row(data, r);
        formula::RecordMemo memo;
        for (const TemplateGroup& g : def.groups) {
            Value v;
            if (!SourceValue(g.field, g.formula, g.expression, row, formulas, &memo, &v, &e)) {
                *error = Describe("groupe « " + g.label + " »", e);
                return false;
            }
            keys[r].push_back(v.ToText());
        }
    }
    if (!def.groups.empty()) {
        auto less = [&](size_t a, size_t b) {
            for (size_t g = 0; g < def.groups.size(); ++g) {
                const std::string& x = keys[a][g];
                const std::string& y = keys[b][g];
                if (x == y) continue;
                char* end_x = nullptr;
                char* end_y = nullptr;
                const double nx = std::strtod(x.c_str(), &end_x);
                const double ny = std::strtod(y.c_str(), &end_y);
                if (!x.empty() && !y.empty() && *end_x == '\0' && *end_y == '\0' && nx != ny)
                    return nx < ny;
                return x < y;
            }
            return false;
        };
        std::stable_sort(selected.begin(), selected.end(), less);
    }

    for (size_t r : selected) {
        const RowSource row(data, r);
        formula::RecordMemo memo;
        std::vector<std::string> cells;
        std::vector<int64_t> adds;
        std::vector<bool> present;
        for (const TemplateColumn& c : def.columns) {
            Value v;
            if (!SourceValue(c.field, c.formula, c.expression, row, formulas, &memo, &v, &e)) {
                *error = Describe("colonne « " + c.heading + " »", e);
                return false;
            }
            int64_t add = 0;
            cells.push_back(FormatCell(c, v, &add));
            adds.push_back(add);
            present.push_back(!v.IsNull());
        }
        out->cells.push_back(std::move(cells));
        out->adds.push_back(std::move(adds));
        out->present.push_back(std::move(present));
        out->keys.push_back(std::move(keys[r]));
    }

    // Titles, evaluated on the first record (or on nothing when none is selected).
    const RowSource first(data, selected.empty() ? std::string::npos : selected.front());
    for (const TemplateTitle& t : def.titles) {
        std::string text = t.text;
        if (!t.formula.empty()) {
            const Formula* f = formulas.Find(t.formula);
            Value v;
            if (f && !f->Evaluate(&first, &formulas, &v, &e)) {
                *error = Describe("formule « " + t.formula + " »", e);
                return false;
            }
            text = v.ToText();
        }
        // A line break in a title (Chr(13)) starts another title line.
        std::string line;
        for (char ch : text) {
            if (ch == '\r' || ch == '\n') {
                if (!host::Trim(line).empty()) out->titles.push_back(host::Trim(line));
                line.clear();
            } else {
                line += ch;
            }
        }
        if (!host::Trim(line).empty() || text.empty()) out->titles.push_back(host::Trim(line));
    }
    return true;
}

// The printed report of a template, on the paged report base.
class TemplateReport : public OvReportObj {
  public:
    TemplateReport(const TemplateDef& def, const Prepared& data, TWindow* parent)
        : OvReportObj(nullptr, parent, 'C', true, 0, def.width > 100, nullptr, false, true),
          def_(def),
          data_(data),
          sums_(def.groups.size() + 1, std::vector<int64_t>(def.columns.size(), 0)),
          counts_(def.groups.size() + 1, std::vector<long>(def.columns.size(), 0)) {
        SetRowPerPage(def.lines);
        SetColPerPage(std::max(def.width, def.width > 100 ? 132 : 80));
        for (const TemplateColumn& c : def.columns) {
            starts_.push_back(c.start);
            if (c.total != TemplateColumn::Total::None) has_totals_ = true;
        }
    }

    bool closed_ok() const { return closed_ok_; }

    void SetColumns() override { SetColumnStarts(starts_); }
    bool InitialCriteria() override {
        row_ = 0;
        return !data_.cells.empty();
    }
    bool ContinueCriteria() override { return ++row_ < data_.cells.size(); }
    long GetMaxMeterCount() override { return static_cast<long>(data_.cells.size()); }
    std::string GetMeterTitle() override { return host::LoadText(kStrMeter) + def_.name; }
    int GetTitleLNum() override { return static_cast<int>(data_.titles.size()); }
    std::string GetTitleStr(int i) override {
        return i >= 0 && i < GetTitleLNum() ? data_.titles[i] : std::string();
    }

    int PrintSubTitle(int line) override {
        for (const TemplateColumn& c : def_.columns)
            PrintText(c.start, line, host::U8Fit(c.heading, c.width, !c.right), true);
        PrintRule(line + 1, 0, def_.width - 1);
        return line + 2;
    }

    int GetLineReq() override {
        const size_t groups = def_.groups.size();
        const size_t opened = groups - FirstChange(row_);
        const size_t closed = groups - LastChange(row_);
        return static_cast<int>(opened) + 1 + static_cast<int>(closed) * (has_totals_ ? 3 : 1);
    }

    int PrintDetail(int line) override {
        const size_t groups = def_.groups.size();
        int used = 0;
        for (size_t g = FirstChange(row_); g < groups; ++g) {
            for (size_t lvl = g + 1; lvl <= groups; ++lvl)
                Reset(lvl);
            PrintLine(static_cast<int>(2 * g), line + used++,
                      def_.groups[g].label + data_.keys[row_][g], true);
        }
        const auto& cells = data_.cells[row_];
        for (size_t c = 0; c < def_.columns.size(); ++c) {
            const TemplateColumn& col = def_.columns[c];
            if (!cells[c].empty())
                PrintText(col.start, line + used, host::U8Fit(cells[c], col.width, !col.right));
            for (size_t lvl = 0; lvl <= groups; ++lvl) {
                sums_[lvl][c] += data_.adds[row_][c];
                if (data_.present[row_][c]) ++counts_[lvl][c];
            }
        }
        ++used;
        const size_t last = LastChange(row_);
        for (size_t g = groups; g-- > last;) {
            if (has_totals_) {
                const std::string label = host::LoadText(kStrGroupTotal) + data_.keys[row_][g];
                used += PrintTotals(line + used, g + 1, label);
            }
            ++used;  // a blank line after the group
        }
        return used;
    }

    bool EndReport(int line) override {
        if (has_totals_ || !data_.cells.empty()) {
            const int need = has_totals_ ? 4 : 2;
            if (!PageStarted() || PageLength() <= line + need) {
                PageBreak();
                line = GetCurLine();
            }
            if (has_totals_) {
                const std::string label =
                    def_.total_label.empty() ? host::LoadText(kStrGrandTotal) : def_.total_label;
                line += PrintTotals(line, 0, label);
            }
            PrintLine(0, line + 1,
                      host::LoadText(kStrRecords) + std::to_string(data_.cells.size()));
        }
        closed_ok_ = OvReportObj::EndReport(line);
        return closed_ok_;
    }

  private:
    // First group level whose key changes at row r (groups.size() when none does).
    size_t FirstChange(size_t r) const {
        const size_t groups = def_.groups.size();
        if (r == 0 || r >= data_.keys.size()) return 0;
        for (size_t g = 0; g < groups; ++g)
            if (data_.keys[r][g] != data_.keys[r - 1][g]) return g;
        return groups;
    }
    // First group level that ends after row r.
    size_t LastChange(size_t r) const {
        if (r + 1 >= data_.keys.size()) return 0;
        return FirstChange(r + 1);
    }
    void Reset(size_t level) {
        std::fill(sums_[level].begin(), sums_[level].end(), 0);
        std::fill(counts_[level].begin(), counts_[level].end(), 0);
    }
    // A rule over the total columns and the totals of `level` (0: the whole report).
    int PrintTotals(int line, size_t level, const std::string& label) {
        for (size_t c = 0; c < def_.columns.size(); ++c) {
            const TemplateColumn& col = def_.columns[c];
            if (col.total == TemplateColumn::Total::None) continue;
            PrintRule(line, col.start, col.start + col.width - 1);
            const std::string text = col.total == TemplateColumn::Total::Sum
                                         ? FormatNumber(sums_[level][c], col.format)
                                         : std::to_string(counts_[level][c]);
            PrintText(col.start, line + 1, host::U8Fit(text, col.width, false), true);
        }
        // The label goes where it does not hide a total.
        int room = def_.width;
        for (const TemplateColumn& col : def_.columns)
            if (col.total != TemplateColumn::Total::None) {
                room = col.start - 1;
                break;
            }
        if (room > 0) PrintLine(0, line + 1, host::U8Left(label, room), true);
        return 2;
    }

    const TemplateDef& def_;
    const Prepared& data_;
    std::vector<int> starts_;
    std::vector<std::vector<int64_t>> sums_;
    std::vector<std::vector<long>> counts_;
    bool has_totals_ = false;
    size_t row_ = 0;
    bool closed_ok_ = false;
};

// Separated values: one line per record, every field quoted.
bool WriteSeparated(const std::string& path, const Prepared& data, char separator, char quote,
                    std::string* error) {
    std::FILE* f = std::fopen(path.c_str(), "w");
    if (!f) {
        *error = "impossible d'écrire " + path;
        return false;
    }
    for (const auto& row : data.cells) {
        std::string line;
        for (size_t c = 0; c < row.size(); ++c) {
            if (c) line += separator;
            line += quote;
            for (char ch : host::Trim(row[c])) {
                if (ch == quote) line += quote;
                line += ch;
            }
            line += quote;
        }
        line += '\n';
        std::fputs(line.c_str(), f);
    }
    const bool ok = std::fclose(f) == 0;
    if (!ok) *error = "erreur d'écriture de " + path;
    return ok;
}

}  // namespace

TemplateStatus RunTemplate(const TemplateRequest& request, TemplateResult* result,
                           std::string* error) {
    *result = TemplateResult();
    const std::string path = FindTemplate(request.template_name);
    if (path.empty()) {
        *error = "modèle introuvable : " + request.template_name;
        return TemplateStatus::Missing;
    }
    TemplateDef def;
    if (!LoadTemplate(path, &def, error)) return TemplateStatus::Failed;

    DataTable data;
    if (def.sql_source) {
        if (!LoadSql(def, request.db, &data, error)) return TemplateStatus::Failed;
    } else {
        const std::string file =
            ResolveXmlFile(request.xml_file.empty() ? def.xml_file : request.xml_file);
        if (file.empty()) {
            *error = "modèle " + def.name + " : aucun fichier de données XML";
            return TemplateStatus::Failed;
        }
        if (!LoadXml(file, &data, error)) return TemplateStatus::Failed;
    }
    Prepared prepared;
    if (!Prepare(def, data, request.formulas, &prepared, error)) return TemplateStatus::Failed;
    result->records = static_cast<long>(prepared.cells.size());

    // Where the output goes.
    const ST_CRYSTALINFO* info = request.export_info;
    const int format = info ? info->export_format : 0;
    std::string stem = request.output_name.empty() ? def.name : request.output_name;
    std::string explicit_file;
    if (request.output_choice == 2 && info && info->export_file[0]) {
        explicit_file = OutputPath(
            std::string(info->export_file, strnlen(info->export_file, sizeof info->export_file)));
        stem = (fs::path(explicit_file).parent_path() / fs::path(explicit_file).stem()).string();
    } else {
        stem = OutputPath(fs::path(stem).stem().string());
    }
    if (request.output_choice == 2 && format == 2) {
        const std::string file = explicit_file.empty() ? stem + ".csv" : explicit_file;
        if (!WriteSeparated(file, prepared, info->field_separator ? info->field_separator : ',',
                            info->text_quote ? info->text_quote : '"', error))
            return TemplateStatus::Failed;
        result->output_path = file;
        return TemplateStatus::Printed;
    }

    TemplateReport report(def, prepared, request.parent);
    report.SetDocumentName(stem);
    report.SetCopies(info && info->copies > 1 ? info->copies : 1);
    const bool sheet = request.output_choice == 2 && format != 1;
    report.SetAutomation(sheet ? 2 : 0, sheet);
    if (!report.PrintReport()) {
        *error = "impression du modèle " + def.name + " annulée";
        return TemplateStatus::Failed;
    }
    TOrvoPrintObj* printer = report.Printer();
    if (!report.closed_ok()) {
        *error = printer->LastError().empty() ? "impression du modèle " + def.name + " échouée"
                                              : printer->LastError();
        return TemplateStatus::Failed;
    }
    result->output_path = sheet ? printer->SpreadsheetPath() : printer->PdfPath();
    result->pages = printer->PageCount();
    if (request.output_choice == 1)
        host::output::GetReportViews().ShowPdf(request.parent, result->output_path);
    return TemplateStatus::Printed;
}

}  // namespace host::output

namespace {

constexpr int kStrTitle = 7905;  // "Impression de modèle"

bool Print(host::output::TemplateRequest request) {
    QDSApplication* app = QDSApplication::Instance();
    request.db = app ? app->GetDb() : nullptr;
    host::output::TemplateResult result;
    std::string error;
    switch (host::output::RunTemplate(request, &result, &error)) {
        case host::output::TemplateStatus::Printed:
            WriteDebugLogFile("Modèle %s imprimé : %s (%ld enregistrements)",
                              request.template_name.c_str(), result.output_path.c_str(),
                              result.records);
            return true;
        case host::output::TemplateStatus::Missing:
            WriteDebugLogFile("%s", error.c_str());
            return false;
        case host::output::TemplateStatus::Failed:
            WriteDebugLogFile("%s", error.c_str());
            host::ShowMessage(request.parent, error, host::LoadText(kStrTitle),
                              MB_OK | MB_ICONERROR);
            return false;
    }
    return false;
}

}  // namespace

bool print_crystal_report(const char* template_name, const char* name, int output_choice,
                          TWindow* parent, ST_FORMULAINFO* formulas, void* crystal_info, void*,
                          bool) {
    host::output::TemplateRequest request;
    request.template_name = template_name ? template_name : "";
    request.output_name = name ? name : "";
    request.output_choice = output_choice;
    request.parent = parent;
    request.formulas = formulas;
    request.export_info = static_cast<const ST_CRYSTALINFO*>(crystal_info);
    return Print(std::move(request));
}

bool print_crystal_report_XML(const char* template_name, const char* xml_file, int output_choice,
                              TWindow* parent, bool, ST_FORMULAINFO* formulas) {
    host::output::TemplateRequest request;
    request.template_name = template_name ? template_name : "";
    request.xml_file = xml_file ? xml_file : "";
    request.output_choice = output_choice;
    request.parent = parent;
    request.formulas = formulas;
    return Print(std::move(request));
}
