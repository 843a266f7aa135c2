// Checks what is written about the practice's tables outside the schema against it:
//   rapports-check-schema SOURCE_DIR
// host/db/schema.sql is the one description of each table's columns (name, type, width).
// This check reads it with the db layer's own catalog (host/db/catalog.cpp) and refuses:
// - in host/records/records.cpp, a TableBuilder on a table the schema does not have, a
//   b.Col binding to a column the schema does not have, a column or member bound twice, a
//   binding whose member does not suit its column (std::string or char on an INTEGER
//   column, char on a VARCHAR wider than 1, a number on a VARCHAR), a width written in a
//   binding (the width is the schema's), and a b.Key on a column the class does not bind;
// - in host/records/recstructs.h, a member of a bound table's record struct that no column
//   binds, for the tables whose bindings all name their column and member plainly (arrays
//   are never columns and are not asked for);
// - in app/demo/tables.cpp, a TableDef on a table the schema does not have, a column the
//   schema does not have, or a column given twice.
// Every offence is listed as file:line: TABLE.COLUMN: why; the exit status is 1 if there is
// one. The build runs it before the host's libraries are compiled.
#include <cctype>
#include <cstdio>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "host/db/catalog.h"

namespace {

const char* const kSchemaFile = "host/db/schema.sql";
const char* const kStructsFile = "host/records/recstructs.h";
const char* const kRecordsFile = "host/records/records.cpp";
const char* const kDemoFile = "app/demo/tables.cpp";

std::vector<std::string> offences;

void Offence(const char* file, int line, const std::string& what) {
    offences.push_back(std::string(file) + ":" + std::to_string(line) + ": " + what);
}

bool ReadFile(const std::string& path, std::string* text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream s;
    s << in.rdbuf();
    *text = s.str();
    return true;
}

// The text with its comments turned into spaces (line breaks kept), so that offsets and
// lines stay those of the file and nothing commented out is read.
std::string WithoutComments(const std::string& s) {
    std::string out = s;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '"' || s[i] == '\'') {
            const char q = s[i];
            for (++i; i < s.size() && s[i] != q && s[i] != '\n'; ++i)
                if (s[i] == '\\') ++i;
        } else if (s.compare(i, 2, "//") == 0) {
            for (; i < s.size() && s[i] != '\n'; ++i)
                out[i] = ' ';
        } else if (s.compare(i, 2, "/*") == 0) {
            const size_t end = s.find("*/", i + 2);
            const size_t stop = end == std::string::npos ? s.size() : end + 2;
            for (; i < stop; ++i)
                if (s[i] != '\n') out[i] = ' ';
            --i;
        }
    }
    return out;
}

int LineAt(const std::string& s, size_t pos) {
    int line = 1;
    for (size_t i = 0; i < pos && i < s.size(); ++i)
        if (s[i] == '\n') ++line;
    return line;
}

std::string Trim(const std::string& s) {
    const size_t a = s.find_first_not_of(" \t\r\n");
    if (a == std::string::npos) return "";
    const size_t b = s.find_last_not_of(" \t\r\n");
    return s.substr(a, b - a + 1);
}

bool IsIdent(const std::string& s) {
    if (s.empty() || std::isdigit(static_cast<unsigned char>(s[0]))) return false;
    for (char c : s)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_') return false;
    return true;
}

// "NAME" -> NAME; false when the text is not one plain string literal.
bool Literal(const std::string& arg, std::string* value) {
    const std::string a = Trim(arg);
    if (a.size() < 2 || a.front() != '"' || a.back() != '"') return false;
    *value = a.substr(1, a.size() - 2);
    return value->find('"') == std::string::npos;
}

// The arguments of a call whose "(" is at open, split at the commas outside brackets and
// quotes; *end is the offset of the closing ")". False when it does not close.
bool CallArgs(const std::string& s, size_t open, std::vector<std::string>* args, size_t* end) {
    int depth = 0;
    std::string current;
    for (size_t i = open + 1; i < s.size(); ++i) {
        const char c = s[i];
        if (c == '"' || c == '\'') {
            const size_t start = i;
            for (++i; i < s.size() && s[i] != c; ++i)
                if (s[i] == '\\') ++i;
            current += s.substr(start, i - start + 1);
            continue;
        }
        if (c == '(' || c == '[' || c == '{') ++depth;
        if (c == ')' || c == ']' || c == '}') {
            if (depth == 0) {
                args->push_back(Trim(current));
                *end = i;
                return true;
            }
            --depth;
        }
        if (c == ',' && depth == 0) {
            args->push_back(Trim(current));
            current.clear();
        } else {
            current += c;
        }
    }
    return false;
}

// ------------------------------------------------------------------ record structs

// What a member binds as: a number, a one-character code, a text, or something else.
enum class MemberKind { Number, Char, Text, Other };

MemberKind KindOfType(const std::string& type) {
    if (type == "long" || type == "int32_t" || type == "short") return MemberKind::Number;
    if (type == "char") return MemberKind::Char;
    if (type == "std::string") return MemberKind::Text;
    return MemberKind::Other;
}

struct Member {
    std::string name;
    MemberKind kind;
    bool array;
    int line;
};

struct StructInfo {
    std::vector<Member> members;                  // data members, in order
    std::map<std::string, MemberKind> accessors;  // name -> kind of the reference returned
    std::map<std::string, const Member*> by_name;
};

// One declaration at the struct's top level: a data member, or (with a body) a function.
void ReadDeclaration(const std::string& decl, int line, bool function, StructInfo* info) {
    std::string d = Trim(decl);
    if (d.empty() || d.rfind("static", 0) == 0 || d.rfind("using", 0) == 0) return;
    if (function) {
        // "short& IntField(int k) const" -> an accessor returning short&.
        const size_t paren = d.find('(');
        const size_t amp = d.find('&');
        if (amp == std::string::npos || amp > paren) return;
        const std::string type = Trim(d.substr(0, amp));
        const std::string name = Trim(d.substr(amp + 1, paren - amp - 1));
        if (IsIdent(name)) info->accessors[name] = KindOfType(type);
        return;
    }
    if (d.find('(') != std::string::npos) return;  // a declaration without a body
    const size_t eq = d.find('=');
    if (eq != std::string::npos) d = Trim(d.substr(0, eq));
    const size_t brace = d.find('{');
    if (brace != std::string::npos) d = Trim(d.substr(0, brace));
    bool array = false;
    const size_t bracket = d.find('[');
    if (bracket != std::string::npos) {
        array = true;
        d = Trim(d.substr(0, bracket));
    }
    const size_t space = d.find_last_of(" \t\n");
    if (space == std::string::npos) return;
    Member m{Trim(d.substr(space + 1)), KindOfType(Trim(d.substr(0, space))), array, line};
    if (IsIdent(m.name)) info->members.push_back(m);
}

std::map<std::string, StructInfo> ReadStructs(const std::string& raw) {
    const std::string s = WithoutComments(raw);
    std::map<std::string, StructInfo> out;
    size_t pos = 0;
    while ((pos = s.find("struct ", pos)) != std::string::npos) {
        size_t i = pos + 7;
        size_t j = i;
        while (j < s.size() && (std::isalnum(static_cast<unsigned char>(s[j])) || s[j] == '_'))
            ++j;
        const std::string name = s.substr(i, j - i);
        const size_t open = s.find_first_not_of(" \t\r\n", j);
        pos = j;
        if (name.empty() || open == std::string::npos || s[open] != '{') continue;
        StructInfo info;
        std::string decl;
        size_t decl_start = open + 1;
        size_t k = open + 1;
        for (; k < s.size() && s[k] != '}'; ++k) {
            const char c = s[k];
            if (c == ';') {
                const size_t first = decl.find_first_not_of(" \t\r\n");
                if (first != std::string::npos)
                    ReadDeclaration(decl, LineAt(s, decl_start + first), false, &info);
                decl.clear();
                decl_start = k + 1;
            } else if (c == '{') {
                // A function's body, or a member's braced initializer.
                int depth = 1;
                size_t e = k + 1;
                for (; e < s.size() && depth > 0; ++e) {
                    if (s[e] == '{') ++depth;
                    if (s[e] == '}') --depth;
                }
                if (decl.find('(') != std::string::npos) {
                    ReadDeclaration(decl, LineAt(s, decl_start), true, &info);
                    decl.clear();
                    decl_start = e;
                } else {
                    decl += s.substr(k, e - k);
                }
                k = e - 1;
            } else {
                decl += c;
            }
        }
        StructInfo& stored = out[name] = std::move(info);
        for (const Member& m : stored.members)
            stored.by_name[m.name] = &m;
        pos = k;
    }
    return out;
}

// ------------------------------------------------------------------ record bindings

// Whether a member of a kind suits a column; empty, or why not.
std::string Mismatch(MemberKind kind, const host::SchemaColumn& col) {
    switch (kind) {
        case MemberKind::Number:
            if (col.kind != host::ColumnKind::Integer)
                return "a number member on a " + col.type + "(" + std::to_string(col.width) +
                       ") column";
            break;
        case MemberKind::Text:
            if (col.kind != host::ColumnKind::Text)
                return "a std::string member on a column of type " + col.type;
            break;
        case MemberKind::Char:
            if (col.kind != host::ColumnKind::Text)
                return "a char member on a column of type " + col.type;
            if (col.width != 1)
                return "a char member on a VARCHAR(" + std::to_string(col.width) +
                       ") column (char holds one character)";
            break;
        case MemberKind::Other:
            return "a member of a type the records do not bind";
    }
    return "";
}

struct Block {
    std::string table;
    std::string structure;
    size_t at;  // offset of the TableBuilder
    int line;
    bool plain = true;  // every binding names its column and member plainly
    std::set<std::string> bound_columns;
    std::set<std::string> bound_members;
};

void CheckRecords(const std::string& raw, const host::SchemaCatalog& schema,
                  const std::map<std::string, StructInfo>& structs) {
    const std::string s = WithoutComments(raw);
    std::vector<Block> blocks;
    size_t pos = 0;
    const std::string builder = "TableBuilder<";
    const std::string col = "b.Col(";
    while (true) {
        const size_t nb = s.find(builder, pos);
        const size_t nc = s.find(col, pos);
        if (nb == std::string::npos && nc == std::string::npos) break;
        if (nb != std::string::npos && (nc == std::string::npos || nb < nc)) {
            // TableBuilder<struct> b("TABLE", TBL_...)
            const size_t close = s.find('>', nb);
            const size_t open = s.find('(', nb);
            pos = nb + builder.size();
            if (close == std::string::npos || open == std::string::npos || open < close) continue;
            std::vector<std::string> args;
            size_t end;
            if (!CallArgs(s, open, &args, &end)) continue;
            Block b;
            b.structure = Trim(s.substr(nb + builder.size(), close - nb - builder.size()));
            b.at = nb;
            b.line = LineAt(s, nb);
            if (args.empty() || !Literal(args[0], &b.table)) {
                Offence(kRecordsFile, b.line,
                        "TableBuilder<" + b.structure + ">: the table is not a plain \"NAME\"");
                b.plain = false;
            } else if (!schema.Table(b.table)) {
                Offence(kRecordsFile, b.line, b.table + ": no such table in the schema");
            }
            if (!structs.count(b.structure)) {
                Offence(kRecordsFile, b.line,
                        b.table + ": struct " + b.structure + " is not in " + kStructsFile);
            }
            blocks.push_back(b);
            pos = end;
            continue;
        }
        pos = nc + col.size();
        std::vector<std::string> args;
        size_t end;
        const int line = LineAt(s, nc);
        if (blocks.empty()) {
            Offence(kRecordsFile, line, "a binding outside a TableBuilder");
            continue;
        }
        Block& b = blocks.back();
        if (!CallArgs(s, nc + col.size() - 1, &args, &end) || args.size() < 2) {
            Offence(kRecordsFile, line, b.table + ": cannot read this binding");
            continue;
        }
        pos = end;
        std::string column;
        if (!Literal(args[0], &column)) {
            // A name computed at run time (the settings' column families): checked by
            // TableBuilder at the description's first use.
            b.plain = false;
            continue;
        }
        const std::string what = b.table + "." + column + ": ";
        if (!b.bound_columns.insert(column).second)
            Offence(kRecordsFile, line, what + "bound twice");
        if (args.size() > 2)
            Offence(kRecordsFile, line,
                    what + "a width in the binding: the width is the schema's, leave it out");
        // The member: r.name, b.r.name, or r.Accessor(...).
        std::string m = args[1];
        if (m.rfind("b.r.", 0) == 0) m = m.substr(2);
        MemberKind kind = MemberKind::Other;
        bool known = false;
        const auto st = structs.find(b.structure);
        if (m.rfind("r.", 0) == 0 && st != structs.end()) {
            const std::string name = m.substr(2);
            const size_t paren = name.find('(');
            if (paren == std::string::npos && IsIdent(name)) {
                const auto it = st->second.by_name.find(name);
                if (it == st->second.by_name.end()) {
                    Offence(kRecordsFile, line,
                            what + "r." + name + " is not a member of " + b.structure);
                } else {
                    kind = it->second->array ? MemberKind::Other : it->second->kind;
                    known = true;
                    if (!b.bound_members.insert(name).second)
                        Offence(kRecordsFile, line,
                                what + "r." + name + " is bound to another column already");
                }
            } else {
                const auto it = st->second.accessors.find(Trim(name.substr(0, paren)));
                if (it != st->second.accessors.end()) {
                    kind = it->second;
                    known = true;
                }
                b.plain = false;
            }
        } else {
            b.plain = false;
        }
        const host::SchemaTable* table = schema.Table(b.table);
        if (!table) continue;  // already refused
        const host::SchemaColumn* c = table->Column(column);
        if (!c) {
            Offence(kRecordsFile, line, what + "no such column in the schema");
            continue;
        }
        if (known) {
            const std::string why = Mismatch(kind, *c);
            if (!why.empty()) Offence(kRecordsFile, line, what + why);
        }
    }

    // A key's columns are columns the class binds: b.Key({"COL", ...}).
    const std::string key = "b.Key(";
    for (size_t at = s.find(key); at != std::string::npos; at = s.find(key, at + 1)) {
        const Block* b = nullptr;
        for (const Block& k : blocks)
            if (k.at < at) b = &k;
        if (!b || !b->plain) continue;
        const size_t end = s.find(')', at);
        for (size_t i = at + key.size(); i < end; ++i) {
            if (s[i] != '"') continue;
            const size_t close = s.find('"', i + 1);
            const std::string column = s.substr(i + 1, close - i - 1);
            if (!b->bound_columns.count(column))
                Offence(kRecordsFile, LineAt(s, i),
                        b->table + "." + column + ": a key on a column the class does not bind");
            i = close;
        }
    }

    // Every member of a plainly bound table's record is bound (a member added without its
    // binding would never be read or written).
    std::set<std::string> seen;
    for (const Block& b : blocks) {
        if (!b.plain || !seen.insert(b.structure).second) continue;
        const auto st = structs.find(b.structure);
        if (st == structs.end()) continue;
        for (const Member& m : st->second.members)
            if (!m.array && !b.bound_members.count(m.name))
                Offence(kStructsFile, m.line,
                        b.table + ": " + b.structure + "::" + m.name +
                            " is bound to no column in " + kRecordsFile);
    }
}

// ------------------------------------------------------------------ demo tables

void CheckDemo(const std::string& raw, const host::SchemaCatalog& schema) {
    const std::string s = WithoutComments(raw);
    const std::string def = "TableDef ";
    size_t pos = 0;
    while ((pos = s.find(def, pos)) != std::string::npos) {
        // TableDef kName{"TABLE", {"COL", ...}};
        const size_t open = s.find('{', pos);
        const size_t semi = s.find(';', pos);
        pos += def.size();
        if (open == std::string::npos || (semi != std::string::npos && semi < open)) continue;
        std::vector<std::string> args;
        size_t end;
        if (!CallArgs(s, open, &args, &end)) continue;
        const int line = LineAt(s, pos);
        std::string table;
        if (args.size() != 2 || !Literal(args[0], &table)) {
            Offence(kDemoFile, line, "cannot read this TableDef as {\"TABLE\", {\"COL\", ...}}");
            continue;
        }
        const host::SchemaTable* t = schema.Table(table);
        if (!t) Offence(kDemoFile, line, table + ": no such table in the schema");
        // The columns, each with its own line.
        const size_t list = s.find('{', open + 1);
        std::set<std::string> given;
        for (size_t i = list + 1; i < end; ++i) {
            if (s[i] != '"') continue;
            const size_t close = s.find('"', i + 1);
            const std::string column = s.substr(i + 1, close - i - 1);
            const int at = LineAt(s, i);
            if (!given.insert(column).second)
                Offence(kDemoFile, at, table + "." + column + ": given twice");
            if (t && !t->Column(column))
                Offence(kDemoFile, at, table + "." + column + ": no such column in the schema");
            i = close;
        }
        pos = end;
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s SOURCE_DIR\n", argv[0]);
        return 2;
    }
    const std::string root = std::string(argv[1]) + "/";
    std::string schema_text, structs_text, records_text, demo_text;
    for (auto [file, text] :
         {std::pair{kSchemaFile, &schema_text}, std::pair{kStructsFile, &structs_text},
          std::pair{kRecordsFile, &records_text}, std::pair{kDemoFile, &demo_text}}) {
        if (!ReadFile(root + file, text)) {
            std::fprintf(stderr, "check_schema: cannot read %s%s\n", root.c_str(), file);
            return 2;
        }
    }
    host::SchemaCatalog schema;
    std::string error;
    if (!schema.Parse(schema_text, &error)) {
        // "line N: ..." -> "host/db/schema.sql:N: ..."
        if (error.rfind("line ", 0) == 0) error = ":" + error.substr(5);
        std::fprintf(stderr, "check_schema: the schema cannot be read:\n  %s%s\n", kSchemaFile,
                     error.c_str());
        return 1;
    }
    const auto structs = ReadStructs(structs_text);
    CheckRecords(records_text, schema, structs);
    CheckDemo(demo_text, schema);
    if (offences.empty()) return 0;
    std::fprintf(stderr, "check_schema: against the schema (%s), %zu offence%s:\n", kSchemaFile,
                 offences.size(), offences.size() > 1 ? "s" : "");
    for (const std::string& o : offences)
        std::fprintf(stderr, "  %s\n", o.c_str());
    return 1;
}
