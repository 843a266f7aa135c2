#include "host/db/gendb.h"

#include <algorithm>

#include <cstring>
#include <limits>

#include "host/base/env.h"
#include "host/base/ini.h"
#include "host/base/text.h"
#include "host/db/dsn.h"
#include "host/db/sqlnorm.h"

namespace host {

std::unique_ptr<GenDB> OpenSqlite(const std::string& dsn, const std::string& path, DbAccess access,
                                  std::string* error);
std::unique_ptr<GenDB> OpenPostgres(const std::string& dsn, const std::string& conninfo,
                                    DbAccess access, std::string* error);
// True when text is a libpq connection string of keywords ("host=... dbname=...").
bool IsPostgresKeywords(const std::string& text);

std::string SqlText(std::string_view value) {
    std::string clean = ToValidUtf8(value);
    std::string out;
    out.reserve(clean.size() + 2);
    for (char c : clean) {
        if (c == '\0') continue;
        if (c == '\'') out += '\'';
        out += c;
    }
    return out;
}

std::string SqlQuote(std::string_view value) {
    return "'" + SqlText(value) + "'";
}

namespace {

// Splits "...?prefix=XX_" off a connection string.
std::string TakePrefixOption(std::string* dsn, bool* found) {
    *found = false;
    const std::string key = "prefix=";
    size_t q = dsn->find('?');
    if (q == std::string::npos) return {};
    std::string query = dsn->substr(q + 1);
    std::string kept, prefix;
    size_t start = 0;
    while (start <= query.size()) {
        size_t amp = query.find('&', start);
        std::string part =
            query.substr(start, amp == std::string::npos ? std::string::npos : amp - start);
        if (part.compare(0, key.size(), key) == 0) {
            prefix = part.substr(key.size());
            *found = true;
        } else if (!part.empty()) {
            kept += (kept.empty() ? "" : "&") + part;
        }
        if (amp == std::string::npos) break;
        start = amp + 1;
    }
    *dsn = dsn->substr(0, q) + (kept.empty() ? "" : "?" + kept);
    return prefix;
}

bool ValidPrefix(const std::string& p) {
    for (char c : p)
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '_')) return false;
    return p.size() <= 16;
}

}  // namespace

std::unique_ptr<GenDB> GenDB::Open(const std::string& dsn, std::string* error) {
    return Open(dsn, DbAccess::Create, error);
}

std::unique_ptr<GenDB> GenDB::Open(const std::string& dsn_in, DbAccess access, std::string* error) {
    // "host=... password=..." has no room for "?prefix=": the workstation's prefix applies.
    const bool keywords = IsPostgresKeywords(dsn_in);
    std::string dsn = dsn_in;
    bool has_prefix = false;
    std::string prefix = keywords ? std::string() : TakePrefixOption(&dsn, &has_prefix);
    if (!has_prefix) prefix = IniFile(StationIniPath()).GetString("SYSTEM", "TablePrefix", "");
    std::unique_ptr<GenDB> db;
    std::string err;
    if (!ValidPrefix(prefix)) {
        err = "préfixe de table invalide : " + prefix;
    } else if (keywords || dsn.rfind("postgresql://", 0) == 0 || dsn.rfind("postgres://", 0) == 0) {
        db = OpenPostgres(dsn_in, dsn, access, &err);
    } else if (MaskDsn(dsn_in) != dsn_in) {
        // A password, but not a connection string libpq reads: never a file name to show.
        err = "chaîne de connexion PostgreSQL invalide : " + MaskDsn(dsn_in);
    } else {
        const std::string path = dsn.rfind("sqlite:", 0) == 0 ? dsn.substr(7) : dsn;
        if (path.empty())
            err = "chemin de base de données vide";
        else
            db = OpenSqlite(dsn_in, path, access, &err);
    }
    if (!db) {
        if (error) *error = err;
        return nullptr;
    }
    db->prefix_ = prefix;
    return db;
}

GenDB::~GenDB() = default;

std::string GenDB::EngineError(const std::string& what, std::string_view detail) const {
    const std::string d = OneLine(detail);
    if (d.empty()) return what;
    return what + " (" + (engine() == Engine::SQLite ? "SQLite" : "PostgreSQL") + " : " + d + ")";
}

bool GenDB::Admit(const NormalizedSql& n, bool cursor, bool read_only) {
    if (!n.error.empty()) {
        SetError(n.error);
        return false;
    }
    if (n.statements == 0) {
        SetError("requête vide");
        return false;
    }
    if (cursor && n.statements > 1) {
        SetError(std::string(read_only ? "requête refusée : " : "requête invalide : ") +
                 "une seule instruction est permise, le texte qui suit « ; » n'est pas exécuté");
        return false;
    }
    if (read_only && !n.query) {
        SetError("requête refusée : seule une lecture (SELECT ou WITH ... SELECT) est permise ici");
        return false;
    }
    return true;
}

int GenDB::OpenOn(int cursor, const char* statement, const std::vector<SqlValue>* params,
                  bool read_only, bool stream) {
    cursors_.erase(cursor);
    ClearError();
    if (!statement) {
        SetError("requête vide");
        return -1;
    }
    auto c = stream ? OpenStream(statement, params) : OpenCursor(statement, params, read_only);
    if (!c) return -1;
    cursors_[cursor] = std::move(c);
    return 0;
}

int GenDB::dbOpen(const char* statement, int cursor) {
    return OpenOn(cursor, statement, nullptr, false);
}

int GenDB::dbOpenReadOnly(const char* statement, int cursor) {
    return OpenOn(cursor, statement, nullptr, true);
}

int GenDB::dbOpenParams(const char* statement, const std::vector<SqlValue>& params, int cursor) {
    return OpenOn(cursor, statement, &params, false);
}

int GenDB::dbOpenStream(const char* statement, const std::vector<SqlValue>& params, int cursor) {
    if (statement && !NormalizeSql(statement, engine() == Engine::PostgreSQL, false).query) {
        cursors_.erase(cursor);
        SetError("requête invalide : seule une lecture peut être lue en flux");
        return -1;
    }
    return OpenOn(cursor, statement, &params, false, true);
}

DbCursor* GenDB::Cursor(int cursor) {
    auto it = cursors_.find(cursor);
    return it == cursors_.end() ? nullptr : it->second.get();
}

int GenDB::dbRowCount(long* count, int cursor) {
    DbCursor* c = Cursor(cursor);
    if (!c || !count) {
        SetError("curseur " + std::to_string(cursor) + " non ouvert");
        return -1;
    }
    *count = c->RowCount();
    return *count < 0 ? -1 : 0;
}

int GenDB::dbFetch(int which, int cursor) {
    DbCursor* c = Cursor(cursor);
    if (!c) {
        SetError("curseur " + std::to_string(cursor) + " non ouvert");
        return -1;
    }
    const int r = c->Fetch(which == 0);
    if (r == 0) return 0;
    return r > 0 ? 100 : -1;
}

namespace {
bool BadColumn(DbCursor* c, int column) {
    return !c || column < 1 || column > c->Columns();
}
}  // namespace

int GenDB::dbGetString(int column, char* buffer, int size, int cursor) {
    DbCursor* c = Cursor(cursor);
    if (buffer && size > 0) buffer[0] = '\0';
    if (BadColumn(c, column) || !buffer || size <= 0) {
        SetError("colonne " + std::to_string(column) + " invalide");
        return -1;
    }
    if (!c->IsNull(column)) CopyText(buffer, static_cast<size_t>(size), c->Text(column));
    return 0;
}

int GenDB::dbGetField(int column, std::string* out, int cursor, int) {
    DbCursor* c = Cursor(cursor);
    if (out) out->clear();
    if (BadColumn(c, column) || !out) {
        SetError("colonne " + std::to_string(column) + " invalide");
        return -1;
    }
    if (!c->IsNull(column)) out->assign(c->Text(column));
    return 0;
}

int GenDB::dbGetLong(int column, long* out, int cursor) {
    DbCursor* c = Cursor(cursor);
    if (out) *out = 0;
    if (BadColumn(c, column) || !out) {
        SetError("colonne " + std::to_string(column) + " invalide");
        return -1;
    }
    if (!c->IsNull(column)) *out = static_cast<long>(c->Int(column));
    return 0;
}

int GenDB::dbGetShort(int column, short* out, int cursor) {
    long v = 0;
    const int r = dbGetLong(column, &v, cursor);
    if (out) {
        if (v > std::numeric_limits<short>::max()) v = std::numeric_limits<short>::max();
        if (v < std::numeric_limits<short>::min()) v = std::numeric_limits<short>::min();
        *out = static_cast<short>(v);
    }
    return r;
}

int GenDB::dbGetChar(int column, char* out, int cursor) {
    DbCursor* c = Cursor(cursor);
    if (out) *out = '\0';
    if (BadColumn(c, column) || !out) {
        SetError("colonne " + std::to_string(column) + " invalide");
        return -1;
    }
    if (!c->IsNull(column)) {
        std::string_view t = c->Text(column);
        if (!t.empty()) *out = t[0];
    }
    return 0;
}

int GenDB::dbClose(int cursor) {
    cursors_.erase(cursor);
    return 0;
}

int GenDB::dbExecute(const char* statement) {
    ClearError();
    if (!statement) {
        SetError("requête vide");
        return -1;
    }
    return ExecuteStatement(statement, nullptr) ? 0 : -1;
}

int GenDB::dbExecuteParams(const char* statement, const std::vector<SqlValue>& params) {
    ClearError();
    return ExecuteStatement(statement, &params) ? 0 : -1;
}

int64_t GenDB::QueryInt(const std::string& statement, int64_t def) {
    constexpr int kCursor = 32000;
    int64_t v = def;
    if (dbOpen(statement, kCursor) == 0 && dbFetch(0, kCursor) == 0) {
        DbCursor* c = Cursor(kCursor);
        if (c->Columns() >= 1 && !c->IsNull(1)) v = c->Int(1);
    }
    dbClose(kCursor);
    return v;
}

std::string GenDB::QueryText(const std::string& statement, const std::string& def) {
    constexpr int kCursor = 32001;
    std::string v = def;
    if (dbOpen(statement, kCursor) == 0 && dbFetch(0, kCursor) == 0) {
        DbCursor* c = Cursor(kCursor);
        if (c->Columns() >= 1 && !c->IsNull(1)) v = std::string(c->Text(1));
    }
    dbClose(kCursor);
    return v;
}

bool GenDB::Begin() {
    const bool ok =
        tx_depth_ == 0 ? ExecRaw("BEGIN") : ExecRaw("SAVEPOINT sp" + std::to_string(tx_depth_));
    if (ok) ++tx_depth_;
    return ok;
}

bool GenDB::Commit() {
    if (tx_depth_ == 0) {
        SetError("aucune transaction ouverte");
        return false;
    }
    --tx_depth_;
    if (tx_depth_ == 0) {
        if (ExecRaw("COMMIT")) return true;
        ExecRaw("ROLLBACK");
        return false;
    }
    return ExecRaw("RELEASE SAVEPOINT sp" + std::to_string(tx_depth_));
}

bool GenDB::Rollback() {
    if (tx_depth_ == 0) return false;
    --tx_depth_;
    if (tx_depth_ == 0) return ExecRaw("ROLLBACK");
    const std::string sp = "sp" + std::to_string(tx_depth_);
    return ExecRaw("ROLLBACK TO SAVEPOINT " + sp) && ExecRaw("RELEASE SAVEPOINT " + sp);
}

bool GenDB::Lock(const std::string& table, int mode) {
    const std::string key = prefix_ + ToUpper(table);
    const bool exclusive = mode >= 3;
    if (exclusive && read_only()) {
        SetError("verrou d'écriture refusé sur " + key + " : la base est ouverte en lecture seule");
        return false;
    }
    LockState& st = locks_[key];
    if (exclusive) {
        if (st.exclusive == 0 && !AcquireLock(key, true)) {
            if (st.shared == 0) locks_.erase(key);
            return false;
        }
        ++st.exclusive;
    } else {
        if (st.shared == 0 && !AcquireLock(key, false)) {
            if (st.exclusive == 0) locks_.erase(key);
            return false;
        }
        ++st.shared;
    }
    return true;
}

bool GenDB::Unlock(const std::string& table, int mode) {
    const std::string key = prefix_ + ToUpper(table);
    auto it = locks_.find(key);
    if (it == locks_.end()) return false;
    LockState& st = it->second;
    const bool exclusive = mode >= 3;
    int& count = exclusive ? st.exclusive : st.shared;
    if (count == 0) return false;
    if (--count == 0) ReleaseLock(key, exclusive);
    if (st.exclusive == 0 && st.shared == 0) locks_.erase(it);
    return true;
}

bool SelectByIds(GenDB& db, const std::vector<long>& ids, const std::string& head, int cursor,
                 size_t batch, const std::function<void()>& row) {
    for (size_t first = 0; first < ids.size(); first += batch) {
        std::string marks;
        std::vector<SqlValue> params;
        for (size_t i = 0; i < batch; ++i) {
            marks += marks.empty() ? "?" : ", ?";
            params.emplace_back(ids[std::min(first + i, ids.size() - 1)]);
        }
        const std::string sql = head + marks + ")";
        if (db.dbOpenParams(sql.c_str(), params, cursor) != 0) return false;
        int r;
        for (r = db.dbFetch(0, cursor); r == 0; r = db.dbFetch(1, cursor))
            row();
        db.dbClose(cursor);
        if (r < 0) return false;
    }
    return true;
}

bool ReadSideBySide(GenDB& db, const std::vector<std::string>& statements, int first_cursor,
                    const std::function<bool(size_t, const DbCursor&)>& row,
                    const std::function<bool(long)>& slice) {
    constexpr long kSlice = 4000;
    std::vector<int> state(statements.size(), 1);  // each stream's last Fetch: 0 on a row
    std::vector<size_t> open;
    auto stop = [&] {
        for (size_t i : open)
            db.dbClose(first_cursor + static_cast<int>(i));
        return false;
    };
    for (size_t i = 0; i < statements.size(); ++i) {
        const int cursor = first_cursor + static_cast<int>(i);
        if (db.dbOpenStream(statements[i], {}, cursor) != 0) return stop();
        open.push_back(i);
        if ((state[i] = db.Cursor(cursor)->Fetch(true)) < 0) return stop();
    }
    while (!open.empty()) {
        for (size_t o = 0; o < open.size();) {
            const size_t i = open[o];
            const int cursor = first_cursor + static_cast<int>(i);
            DbCursor& c = *db.Cursor(cursor);
            int& r = state[i];
            long taken = 0;
            for (; r == 0 && taken < kSlice; r = c.Fetch(false), ++taken)
                if (!row(i, c)) return stop();
            if (slice && !slice(taken)) return stop();
            if (r == 0) {  // the slice is read; the others' turn
                ++o;
                continue;
            }
            if (r < 0) return stop();
            db.dbClose(cursor);
            open.erase(open.begin() + static_cast<std::ptrdiff_t>(o));
        }
    }
    return true;
}

}  // namespace host
