// Standard library only: the build's schema check compiles this file without the db layer.
#include "host/db/catalog.h"

#include <cctype>
#include <cstddef>

namespace host {
namespace {

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(a[i])) !=
            std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

bool IsWordChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '{' || c == '}';
}

struct Token {
    enum Kind { Word, Number, Quoted, Punct } kind;
    std::string text;  // a quoted text without its quotes ('' read as ')
    int line;
};

// The tokens of one statement's text; comments ("--" to the end of the line) are passed
// over. Words keep {P}.
bool Tokenize(std::string_view s, int line, std::vector<Token>* out, std::string* error) {
    size_t i = 0;
    while (i < s.size()) {
        const char c = s[i];
        if (c == '\n') {
            ++line;
            ++i;
        } else if (std::isspace(static_cast<unsigned char>(c))) {
            ++i;
        } else if (s.compare(i, 2, "--") == 0) {
            while (i < s.size() && s[i] != '\n')
                ++i;
        } else if (c == '\'') {
            std::string text;
            const int start = line;
            for (++i;; ++i) {
                if (i >= s.size()) {
                    *error = "line " + std::to_string(start) + ": unterminated quoted text";
                    return false;
                }
                if (s[i] == '\'') {
                    if (i + 1 < s.size() && s[i + 1] == '\'') {
                        text += '\'';
                        ++i;
                        continue;
                    }
                    ++i;
                    break;
                }
                if (s[i] == '\n') ++line;
                text += s[i];
            }
            out->push_back({Token::Quoted, std::move(text), start});
        } else if (std::isdigit(static_cast<unsigned char>(c)) ||
                   (c == '-' && i + 1 < s.size() &&
                    std::isdigit(static_cast<unsigned char>(s[i + 1])))) {
            size_t j = i + 1;
            while (j < s.size() && std::isdigit(static_cast<unsigned char>(s[j])))
                ++j;
            out->push_back({Token::Number, std::string(s.substr(i, j - i)), line});
            i = j;
        } else if (IsWordChar(c)) {
            size_t j = i;
            while (j < s.size() && IsWordChar(s[j]))
                ++j;
            out->push_back({Token::Word, std::string(s.substr(i, j - i)), line});
            i = j;
        } else {
            out->push_back({Token::Punct, std::string(1, c), line});
            ++i;
        }
    }
    return true;
}

bool Is(const std::vector<Token>& t, size_t i, std::string_view word) {
    return i < t.size() && t[i].kind != Token::Quoted && SameName(t[i].text, word);
}

std::string At(int line) {
    return "line " + std::to_string(line) + ": ";
}

// One column definition, tokens [i, end) of the table's body.
bool ReadColumn(const std::vector<Token>& t, size_t i, size_t end, const std::string& table,
                SchemaColumn* col, std::string* error) {
    col->name = t[i].text;
    col->line = t[i].line;
    const std::string where = At(t[i].line) + table + "." + col->name + ": ";
    ++i;
    if (i >= end || t[i].kind != Token::Word) {
        *error = where + "no type";
        return false;
    }
    std::string type = t[i].text;
    for (char& ch : type)
        ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    ++i;
    if (type == "INTEGER" || type == "INT" || type == "BIGINT" || type == "SMALLINT") {
        col->kind = ColumnKind::Integer;
    } else if (type == "VARCHAR" || type == "CHAR") {
        col->kind = ColumnKind::Text;
        if (!(Is(t, i, "(") && i + 2 < end && t[i + 1].kind == Token::Number &&
              Is(t, i + 2, ")")) ||
            std::stoi(t[i + 1].text) <= 0) {
            *error = where + type + " without a width, as " + type + "(n)";
            return false;
        }
        col->width = std::stoi(t[i + 1].text);
        i += 3;
    } else {
        *error = where + "type " + t[i - 1].text +
                 " is not one the records read (INTEGER, BIGINT, SMALLINT, VARCHAR(n))";
        return false;
    }
    col->type = type;
    while (i < end) {
        if (Is(t, i, "PRIMARY") && Is(t, i + 1, "KEY")) {
            col->primary_key = true;
            i += 2;
        } else if (Is(t, i, "NOT") && Is(t, i + 1, "NULL")) {
            i += 2;
        } else if (Is(t, i, "NULL") || Is(t, i, "UNIQUE")) {
            ++i;
        } else if (Is(t, i, "DEFAULT") && i + 1 < end &&
                   (t[i + 1].kind == Token::Number || t[i + 1].kind == Token::Quoted)) {
            col->has_default = true;
            col->default_value = t[i + 1].text;
            i += 2;
        } else {
            *error = where + "cannot read \"" + t[i].text + "\"";
            return false;
        }
    }
    return true;
}

// A CREATE TABLE statement's tokens.
bool ReadTable(const std::vector<Token>& t, SchemaTable* table, std::string* error) {
    if (t.size() < 3 || t[2].kind != Token::Word || t[2].text.rfind("{P}", 0) != 0) {
        *error = At(t[0].line) + "CREATE TABLE without {P} before the table's name";
        return false;
    }
    table->name = t[2].text.substr(3);
    table->line = t[2].line;
    if (!Is(t, 3, "(") || !Is(t, t.size() - 1, ")")) {
        *error = At(t[2].line) + table->name + ": no column list in parentheses";
        return false;
    }
    const size_t body_end = t.size() - 1;
    size_t start = 4;
    int depth = 0;
    for (size_t i = 4; i <= body_end; ++i) {
        if (i < body_end && Is(t, i, "(")) ++depth;
        if (i < body_end && Is(t, i, ")")) --depth;
        if (i < body_end && (depth > 0 || !Is(t, i, ","))) continue;
        if (start == i) {
            *error = At(t[i].line) + table->name + ": empty column definition";
            return false;
        }
        if (Is(t, start, "PRIMARY") || Is(t, start, "UNIQUE") || Is(t, start, "CONSTRAINT") ||
            Is(t, start, "FOREIGN") || Is(t, start, "CHECK")) {
            // A table constraint; PRIMARY KEY (a, b) marks its columns.
            if (Is(t, start, "PRIMARY"))
                for (size_t k = start; k < i; ++k)
                    for (SchemaColumn& c : table->columns)
                        if (t[k].kind == Token::Word && SameName(c.name, t[k].text))
                            c.primary_key = true;
        } else {
            SchemaColumn col;
            if (t[start].kind != Token::Word) {
                *error = At(t[start].line) + table->name + ": cannot read \"" + t[start].text +
                         "\" as a column's name";
                return false;
            }
            if (!ReadColumn(t, start, i, table->name, &col, error)) return false;
            if (table->Column(col.name)) {
                *error = At(col.line) + table->name + "." + col.name + ": defined twice";
                return false;
            }
            table->columns.push_back(std::move(col));
        }
        start = i + 1;
    }
    if (table->columns.empty()) {
        *error = At(table->line) + table->name + ": no column";
        return false;
    }
    return true;
}

}  // namespace

const SchemaColumn* SchemaTable::Column(std::string_view column) const {
    for (const SchemaColumn& c : columns)
        if (SameName(c.name, column)) return &c;
    return nullptr;
}

bool SchemaCatalog::Parse(std::string_view text, std::string* error) {
    tables_.clear();
    std::string ignored;
    if (!error) error = &ignored;
    // Statements end at a semicolon outside quotes and comments.
    size_t start = 0;
    int line = 1, start_line = 1;
    bool quoted = false;
    for (size_t i = 0; i <= text.size(); ++i) {
        const bool end = i == text.size();
        if (!end) {
            const char c = text[i];
            if (c == '\n') ++line;
            if (quoted) {
                if (c == '\'') quoted = false;
                continue;
            }
            if (c == '\'') {
                quoted = true;
                continue;
            }
            if (text.compare(i, 2, "--") == 0) {
                while (i + 1 < text.size() && text[i + 1] != '\n')
                    ++i;
                continue;
            }
            if (c != ';') continue;
        }
        std::vector<Token> tokens;
        if (!Tokenize(text.substr(start, i - start), start_line, &tokens, error)) return false;
        if (Is(tokens, 0, "CREATE") && Is(tokens, 1, "TABLE")) {
            SchemaTable table;
            if (!ReadTable(tokens, &table, error)) return false;
            if (Table(table.name)) {
                *error = At(table.line) + "table " + table.name + " created twice";
                return false;
            }
            tables_.push_back(std::move(table));
        }
        start = i + 1;
        start_line = line;
    }
    return true;
}

const SchemaTable* SchemaCatalog::Table(std::string_view table) const {
    for (const SchemaTable& t : tables_)
        if (SameName(t.name, table)) return &t;
    return nullptr;
}

const SchemaColumn* SchemaCatalog::Column(std::string_view table, std::string_view column) const {
    const SchemaTable* t = Table(table);
    return t ? t->Column(column) : nullptr;
}

}  // namespace host
