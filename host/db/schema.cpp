#include <cctype>
#include <sstream>
#include <stdexcept>

#include "host/db/catalog.h"
#include "host/db/gendb.h"

namespace host {
namespace {

const char* const kSchema =
#include "host/db/schema_sql.inc"
    ;

constexpr int kSchemaVersion = 1;

// The schema's statements without comments, {P} still in place.
const std::vector<std::string>& Statements() {
    static const std::vector<std::string> statements = [] {
        std::vector<std::string> out;
        std::istringstream in(kSchema);
        std::string line, current;
        while (std::getline(in, line)) {
            const size_t dash = line.find("--");
            if (dash != std::string::npos) line.erase(dash);
            current += line + "\n";
            size_t semi;
            while ((semi = current.find(';')) != std::string::npos) {
                std::string stmt = current.substr(0, semi);
                current.erase(0, semi + 1);
                if (stmt.find_first_not_of(" \t\r\n") != std::string::npos) out.push_back(stmt);
            }
        }
        return out;
    }();
    return statements;
}

std::string WithPrefix(const std::string& stmt, const std::string& prefix) {
    std::string out;
    out.reserve(stmt.size());
    for (size_t i = 0; i < stmt.size(); ++i) {
        if (stmt.compare(i, 3, "{P}") == 0) {
            out += prefix;
            i += 2;
        } else {
            out += stmt[i];
        }
    }
    return out;
}

}  // namespace

const SchemaCatalog& Schema() {
    static const SchemaCatalog catalog = [] {
        SchemaCatalog c;
        std::string error;
        // The build's schema check reads the same text, so this does not fail in a build
        // that passed it.
        if (!c.Parse(kSchema, &error)) throw std::logic_error("schema.sql, " + error);
        return c;
    }();
    return catalog;
}

const std::vector<std::string>& SchemaTables() {
    static const std::vector<std::string> tables = [] {
        std::vector<std::string> out;
        for (const std::string& s : Statements()) {
            const size_t at = s.find("CREATE TABLE {P}");
            if (at == std::string::npos) continue;
            size_t i = at + 16, j = i;
            while (j < s.size() && (std::isalnum(static_cast<unsigned char>(s[j])) || s[j] == '_'))
                ++j;
            out.push_back(s.substr(i, j - i));
        }
        return out;
    }();
    return tables;
}

namespace {

bool IsIndex(const std::string& stmt) {
    return stmt.find("CREATE INDEX") != std::string::npos ||
           stmt.find("CREATE UNIQUE INDEX") != std::string::npos;
}

// Runs the schema's table statements (and records the version), its index statements, or
// both, in one transaction.
bool RunSchema(GenDB& db, bool tables, bool indexes, std::string* error) {
    DbTransaction tx(db);
    if (!tx.ok()) {
        if (error) *error = db.dbLastError() ? db.dbLastError() : "transaction refusée";
        return false;
    }
    const std::string prefix = db.dbTablePrefix();
    for (const std::string& stmt : Statements()) {
        if (IsIndex(stmt) ? !indexes : !tables) continue;
        if (db.dbExecute(WithPrefix(stmt, prefix)) != 0) {
            if (error) *error = db.dbLastError() ? db.dbLastError() : "création refusée";
            return false;
        }
    }
    if (tables) {
        const std::string version = "INSERT INTO " + prefix +
                                    "SCHEMAVER (SCHV_ID, SCHV_VERSION) VALUES (1, " +
                                    std::to_string(kSchemaVersion) + ")";
        if (db.dbExecute(version) != 0) {
            if (error) *error = db.dbLastError() ? db.dbLastError() : "création refusée";
            return false;
        }
    }
    if (!tx.Commit()) {
        if (error) *error = db.dbLastError() ? db.dbLastError() : "création refusée";
        return false;
    }
    return true;
}

}  // namespace

bool CreateSchema(GenDB& db, std::string* error) {
    return RunSchema(db, true, true, error);
}

bool CreateSchemaTables(GenDB& db, std::string* error) {
    return RunSchema(db, true, false, error);
}

bool CreateSchemaIndexes(GenDB& db, std::string* error) {
    return RunSchema(db, false, true, error);
}

bool SchemaExists(GenDB& db) {
    constexpr int kCursor = 32002;
    const std::string q =
        "SELECT SCHV_VERSION FROM " + std::string(db.dbTablePrefix()) + "SCHEMAVER";
    const bool ok = db.dbOpen(q, kCursor) == 0 && db.dbFetch(0, kCursor) == 0;
    db.dbClose(kCursor);
    return ok;
}

}  // namespace host
