#include <cctype>
#include <set>
#include <sstream>
#include <stdexcept>

#include "host/db/catalog.h"
#include "host/db/gendb.h"

namespace host {
namespace {

const char* const kSchema =
#include "host/db/schema_sql.inc"
    ;

constexpr int kSchemaVersion = 4;

// What each version brought to a practice made by the version before it, its indexes named
// as in the schema's own statements: those it added, made where missing, and those whose
// columns it changed, made again. Version 2 also brings the indexes added to version 1 after
// its first practices were made (appointments by date, treatments by type, a producer and
// billing doctor's applications by date), which a practice may or may not have. Version 3
// finds the applications entered after their date by their own partial index. Version 4
// widens the indexes the receivable walk joins along with the columns it reads of them.
struct Step {
    int version;
    std::vector<std::string> added;
    std::vector<std::string> remade;
};
const std::vector<Step>& Steps() {
    static const std::vector<Step> steps = {
        {2,
         {"IX_PAPT_DATE", "IX_CTRT_TYPE", "IX_PAPP_PAIR_DATE", "IX_PAPP_PAIR_SYSDATE",
          "IX_POCH_DELDATE"},
         {}},
        {3, {"IX_PAPP_LATE"}, {}},
        {4, {}, {"IX_PCLM_PAT", "IX_CTRT_CLM", "IX_APMT_ACC", "IX_PAPP_APMT"}}};
    return steps;
}

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

// The table or index name that starts at i in a statement.
std::string NameAt(const std::string& s, size_t i) {
    size_t j = i;
    while (j < s.size() && (std::isalnum(static_cast<unsigned char>(s[j])) || s[j] == '_'))
        ++j;
    return s.substr(i, j - i);
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
            if (at != std::string::npos) out.push_back(NameAt(s, at + 16));
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

int SchemaVersion() {
    return kSchemaVersion;
}

namespace {

// The schema's statement that creates the index `name`, and the table it indexes; false when
// the schema has no such index.
bool IndexStatement(const std::string& name, std::string* stmt, std::string* table) {
    const std::string tag = "{P}" + name + " ON {P}";
    for (const std::string& s : Statements()) {
        const size_t at = s.find(tag);
        if (at == std::string::npos) continue;
        *stmt = s;
        *table = NameAt(s, at + tag.size());
        return true;
    }
    return false;
}

bool IndexExists(GenDB& db, const std::string& name) {
    const std::string q =
        db.engine() == GenDB::Engine::PostgreSQL
            ? "SELECT COUNT(*) FROM pg_indexes WHERE schemaname = current_schema() AND "
              "indexname = lower(" +
                  SqlQuote(name) + ")"
            : "SELECT COUNT(*) FROM sqlite_master WHERE type = 'index' AND lower(name) = lower(" +
                  SqlQuote(name) + ")";
    return db.QueryInt(q, 0) > 0;
}

}  // namespace

bool UpgradeSchema(GenDB& db, SchemaUpgrade* done, std::string* error) {
    const std::string p = db.dbTablePrefix();
    auto fail = [&](const std::string& what) {
        const char* e = db.dbLastError();
        *error = what + (e && *e ? std::string(" : ") + e : std::string());
        return false;
    };
    if (!SchemaExists(db)) {
        *error = "la base ne contient aucun cabinet (tables absentes)";
        return false;
    }
    DbTransaction tx(db);
    if (!tx.ok()) return fail("transaction refusée");
    // Taking the version row first makes a second workstation upgrading at the same time wait
    // here, then find the practice upgraded.
    if (db.dbExecute("UPDATE " + p +
                     "SCHEMAVER SET SCHV_VERSION = SCHV_VERSION WHERE SCHV_ID = 1") != 0)
        return fail("mise à jour du schéma refusée");
    const int64_t from =
        db.QueryInt("SELECT SCHV_VERSION FROM " + p + "SCHEMAVER WHERE SCHV_ID = 1", -1);
    if (from < 1) return fail("version du schéma absente");
    if (from > kSchemaVersion) {
        *error = "la base est à la version " + std::to_string(from) +
                 " du schéma, plus récente que ce programme (version " +
                 std::to_string(kSchemaVersion) + ")";
        return false;
    }
    // The indexes a practice lacks and those made again, then the planner's statistics of
    // the tables they index.
    std::set<std::string> analyse;
    auto make = [&](const std::string& name, bool again) {
        std::string stmt, table;
        if (!IndexStatement(name, &stmt, &table))
            throw std::logic_error("schema.sql has no index " + name);
        if (again) {
            if (db.dbExecute("DROP INDEX IF EXISTS " + p + name) != 0) return false;
        } else if (IndexExists(db, p + name)) {
            return true;
        }
        if (db.dbExecute(WithPrefix(stmt, p)) != 0) return false;
        analyse.insert(table);
        return true;
    };
    for (const Step& step : Steps()) {
        if (step.version <= from) continue;
        for (const std::string& name : step.added)
            if (!make(name, false)) return fail("index " + p + name + " refusé");
        for (const std::string& name : step.remade)
            if (!make(name, true)) return fail("index " + p + name + " refusé");
    }
    for (const std::string& table : analyse)
        if (db.dbExecute("ANALYZE " + p + table) != 0) return fail("statistiques de " + p + table);
    if (from < kSchemaVersion &&
        db.dbExecute("UPDATE " + p + "SCHEMAVER SET SCHV_VERSION = " +
                     std::to_string(kSchemaVersion) + " WHERE SCHV_ID = 1") != 0)
        return fail("version du schéma non écrite");
    if (!tx.Commit()) return fail("mise à jour du schéma non validée");
    if (done) *done = {static_cast<int>(from), kSchemaVersion};
    return true;
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
