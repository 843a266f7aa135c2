#include "host/output/template_def.h"

#include <cctype>
#include <filesystem>
#include <pugixml.hpp>

#include "host/base/strings.h"
#include "host/base/text.h"

namespace fs = std::filesystem;

namespace host::output {
namespace {

std::string Lower(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

bool IsRegularFile(const std::string& path) {
    std::error_code ec;
    return !path.empty() && fs::is_regular_file(path, ec);
}

bool IsWordChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

// True when the keyword (in capitals) stands at s[i] as a whole word.
bool WordAt(const std::string& s, size_t i, const char* keyword) {
    const size_t n = std::char_traits<char>::length(keyword);
    if (i + n > s.size()) return false;
    for (size_t k = 0; k < n; ++k)
        if (std::toupper(static_cast<unsigned char>(s[i + k])) != keyword[k]) return false;
    if (i > 0 && IsWordChar(s[i - 1])) return false;
    return i + n == s.size() || !IsWordChar(s[i + n]);
}

std::string Unquote(std::string s) {
    if (s.size() >= 2 && (s.front() == '"' || s.front() == '`') && s.back() == s.front())
        s = s.substr(1, s.size() - 2);
    return s;
}

}  // namespace

std::string FindTemplate(const std::string& name) {
    if (name.empty()) return {};
    std::string path = name;
    for (char& c : path)
        if (c == '\\') c = '/';
    if (path.find('/') != std::string::npos && IsRegularFile(path)) return path;
    const std::string base = fs::path(path).filename().string();
    if (base.empty()) return {};
    const fs::path dir = fs::path(host::ResourceDir()) / "templates";
    if (IsRegularFile((dir / base).string())) return (dir / base).string();
    std::error_code ec;
    const std::string wanted = Lower(base);
    for (const auto& entry : fs::directory_iterator(dir, ec))
        if (entry.is_regular_file(ec) && Lower(entry.path().filename().string()) == wanted)
            return entry.path().string();
    return {};
}

bool SelectListNames(const std::string& sql, std::vector<std::string>* names, std::string* error) {
    names->clear();
    size_t i = 0;
    while (i < sql.size() && !WordAt(sql, i, "SELECT"))
        ++i;
    if (i >= sql.size()) {
        *error = "la requête doit commencer par SELECT";
        return false;
    }
    i += 6;
    while (i < sql.size() && std::isspace(static_cast<unsigned char>(sql[i])))
        ++i;
    if (WordAt(sql, i, "DISTINCT"))
        i += 8;
    else if (WordAt(sql, i, "ALL"))
        i += 3;
    // Split the select list at top-level commas, up to FROM.
    std::vector<std::string> items;
    std::string item;
    int depth = 0;
    char quote = 0;
    for (; i < sql.size(); ++i) {
        const char c = sql[i];
        if (quote) {
            item += c;
            if (c == quote) quote = 0;
            continue;
        }
        if (c == '\'' || c == '"') {
            quote = c;
        } else if (c == '(') {
            ++depth;
        } else if (c == ')') {
            --depth;
        } else if (depth == 0 && c == ',') {
            items.push_back(host::Trim(item));
            item.clear();
            continue;
        } else if (depth == 0 && WordAt(sql, i, "FROM")) {
            break;
        }
        item += c;
    }
    items.push_back(host::Trim(item));
    for (const std::string& it : items) {
        if (it.empty() || it == "*" || (it.size() > 2 && it.substr(it.size() - 2) == ".*")) {
            *error = "la liste de la requête doit nommer chaque colonne (pas de « * »)";
            return false;
        }
        // The last top-level AS gives the name.
        size_t as = std::string::npos;
        int d = 0;
        char q = 0;
        for (size_t k = 0; k < it.size(); ++k) {
            const char c = it[k];
            if (q) {
                if (c == q) q = 0;
            } else if (c == '\'' || c == '"') {
                q = c;
            } else if (c == '(') {
                ++d;
            } else if (c == ')') {
                --d;
            } else if (d == 0 && WordAt(it, k, "AS")) {
                as = k;
            }
        }
        std::string name;
        if (as != std::string::npos) {
            name = Unquote(host::Trim(it.substr(as + 2)));
        } else {
            bool plain = true;
            for (char c : it)
                if (!IsWordChar(c) && c != '.' && c != '"') plain = false;
            if (plain)
                name =
                    Unquote(it.substr(it.rfind('.') == std::string::npos ? 0 : it.rfind('.') + 1));
        }
        if (name.empty()) {
            *error = "l'expression « " + it + " » de la requête doit être nommée (... AS NOM)";
            return false;
        }
        names->push_back(name);
    }
    return true;
}

namespace {

bool ParseFormatName(const std::string& text, TemplateColumn::Format* out) {
    static const std::pair<const char*, TemplateColumn::Format> kFormats[] = {
        {"text", TemplateColumn::Format::Text},
        {"amount", TemplateColumn::Format::Amount},
        {"decimal", TemplateColumn::Format::Decimal},
        {"integer", TemplateColumn::Format::Integer},
        {"date", TemplateColumn::Format::Date}};
    for (const auto& [name, format] : kFormats)
        if (text == name) {
            *out = format;
            return true;
        }
    return false;
}

// Reads the source of a column or group: exactly one of field, formula, expression.
bool ReadSource(const pugi::xml_node& node, const std::string& what, std::string* field,
                std::string* formula, formula::Formula* expression, std::string* error) {
    *field = host::Trim(node.attribute("field").value());
    *formula = host::Trim(node.attribute("formula").value());
    const std::string expr = node.attribute("expression").value();
    const int given = !field->empty() + !formula->empty() + !host::Trim(expr).empty();
    if (given != 1) {
        *error = what + " : indiquer un seul de field, formula ou expression";
        return false;
    }
    formula::Error e;
    if (!expression->Parse(expr, &e)) {
        *error = what + " : formule, " + e.Describe();
        return false;
    }
    return true;
}

}  // namespace

bool LoadTemplate(const std::string& path, TemplateDef* def, std::string* error) {
    *def = TemplateDef();
    def->path = path;
    def->name = fs::path(path).stem().string();
    pugi::xml_document doc;
    const pugi::xml_parse_result parsed = doc.load_file(path.c_str());
    if (!parsed) {
        *error = "modèle illisible " + path + " : " + parsed.description() + " (octet " +
                 std::to_string(parsed.offset) + ")";
        return false;
    }
    const pugi::xml_node root = doc.document_element();
    if (std::string(root.name()) != "report") {
        *error = "modèle " + path + " : l'élément racine doit être <report>";
        return false;
    }
    const std::string where = "modèle " + def->name;
    def->lines = root.attribute("lines").as_int(60);
    if (def->lines < 10 || def->lines > 500) {
        *error = where + " : lines doit être entre 10 et 500";
        return false;
    }
    int sources = 0;
    for (pugi::xml_node n : root.children()) {
        if (n.type() != pugi::node_element) continue;
        const std::string tag = n.name();
        if (tag == "title") {
            def->titles.push_back(
                TemplateTitle{n.text().get(), host::Trim(n.attribute("formula").value())});
        } else if (tag == "sql") {
            ++sources;
            def->sql_source = true;
            def->sql = host::Trim(n.text().get());
            std::string e;
            if (!SelectListNames(def->sql, &def->sql_fields, &e)) {
                *error = where + " : <sql> : " + e;
                return false;
            }
        } else if (tag == "xml") {
            ++sources;
            def->sql_source = false;
            def->xml_file = host::Trim(n.attribute("file").value());
        } else if (tag == "selection") {
            def->selection = n.text().get();
            formula::Formula f;
            formula::Error e;
            if (!f.Parse(def->selection, &e)) {
                *error = where + " : <selection> : " + e.Describe();
                return false;
            }
        } else if (tag == "formula") {
            const std::string name = host::Trim(n.attribute("name").value());
            formula::Formula f;
            formula::Error e;
            if (name.empty()) {
                *error = where + " : <formula> sans nom";
                return false;
            }
            if (!f.Parse(n.text().get(), &e)) {
                *error = where + " : formule « " + name + " » : " + e.Describe();
                return false;
            }
            def->formulas.emplace_back(name, n.text().get());
        } else if (tag == "group") {
            TemplateGroup g;
            g.label = n.attribute("label").value();
            if (!ReadSource(n, where + " : <group>", &g.field, &g.formula, &g.expression, error))
                return false;
            def->groups.push_back(std::move(g));
        } else if (tag == "column") {
            TemplateColumn c;
            c.heading = n.attribute("heading").value();
            const std::string what = where + " : colonne « " + c.heading + " »";
            if (!ReadSource(n, what, &c.field, &c.formula, &c.expression, error)) return false;
            c.width = n.attribute("width").as_int(10);
            if (c.width < 1 || c.width > 200) {
                *error = what + " : width doit être entre 1 et 200";
                return false;
            }
            const std::string format = n.attribute("format").as_string("text");
            if (!ParseFormatName(format, &c.format)) {
                *error = what + " : format inconnu « " + format + " »";
                return false;
            }
            const std::string align = n.attribute("align").value();
            c.right = align.empty() ? c.format != TemplateColumn::Format::Text : align == "right";
            const std::string total = n.attribute("total").as_string("none");
            if (total == "sum" && c.format != TemplateColumn::Format::Text &&
                c.format != TemplateColumn::Format::Date) {
                c.total = TemplateColumn::Total::Sum;
            } else if (total == "count") {
                c.total = TemplateColumn::Total::Count;
            } else if (total != "none") {
                *error = what + " : total « " + total +
                         " » impossible (sum pour les nombres, count, none)";
                return false;
            }
            def->columns.push_back(std::move(c));
        } else if (tag == "total") {
            def->total_label = n.attribute("label").value();
        } else {
            *error = where + " : élément inconnu <" + tag + ">";
            return false;
        }
    }
    if (sources != 1) {
        *error = where + " : une source de données est requise (<sql> ou <xml>, une seule)";
        return false;
    }
    if (def->columns.empty()) {
        *error = where + " : aucune colonne";
        return false;
    }
    int start = 0;
    for (TemplateColumn& c : def->columns) {
        c.start = start;
        start += c.width + 1;
    }
    def->width = std::max(start - 1, 40);
    return true;
}

}  // namespace host::output
