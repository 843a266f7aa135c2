// GenDB over SQLite: one connection, compiled statements kept for reuse by statement shape.
#include <sqlite3.h>

#include <cctype>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <list>
#include <unordered_map>
#include <utility>

#include "host/base/text.h"
#include "host/db/gendb.h"
#include "host/db/sqlnorm.h"

namespace host {
namespace {

class SqliteDB;

// Idle compiled statements by text, least recently used first out.
class StatementCache {
  public:
    explicit StatementCache(sqlite3* db) : db_(db) {}
    ~StatementCache() {
        for (auto& [text, entry] : entries_)
            for (sqlite3_stmt* s : entry.idle)
                sqlite3_finalize(s);
    }
    // A compiled statement for text: from the cache, or newly prepared (null on error, and
    // *trailing set when text holds more than one statement).
    sqlite3_stmt* Take(const std::string& text, bool* reused, bool* trailing) {
        auto it = entries_.find(text);
        if (it != entries_.end()) {
            lru_.splice(lru_.end(), lru_, it->second.pos);
            if (!it->second.idle.empty()) {
                sqlite3_stmt* s = it->second.idle.back();
                it->second.idle.pop_back();
                *reused = true;
                return s;
            }
        }
        *reused = false;
        *trailing = false;
        sqlite3_stmt* s = nullptr;
        const char* tail = nullptr;
        if (sqlite3_prepare_v2(db_, text.c_str(), static_cast<int>(text.size()), &s, &tail) !=
            SQLITE_OK) {
            sqlite3_finalize(s);
            return nullptr;
        }
        // SQLite compiles the first statement only: whatever follows must be blank.
        const std::string_view rest(tail, text.size() - static_cast<size_t>(tail - text.c_str()));
        const NormalizedSql after = NormalizeSql(rest, false, false);
        if (!s || after.statements > 0 || !after.error.empty()) {
            sqlite3_finalize(s);
            *trailing = s != nullptr;
            return nullptr;
        }
        return s;
    }
    void Give(const std::string& text, sqlite3_stmt* s) {
        sqlite3_reset(s);
        sqlite3_clear_bindings(s);
        auto it = entries_.find(text);
        if (it == entries_.end()) {
            lru_.push_back(text);
            it = entries_.emplace(text, Entry{{}, std::prev(lru_.end())}).first;
        }
        if (it->second.idle.size() >= 4) {
            sqlite3_finalize(s);
            return;
        }
        it->second.idle.push_back(s);
        while (entries_.size() > kMaxShapes)
            Evict();
    }

  private:
    static constexpr size_t kMaxShapes = 512;
    struct Entry {
        std::vector<sqlite3_stmt*> idle;
        std::list<std::string>::iterator pos;
    };
    void Evict() {
        const std::string victim = lru_.front();
        lru_.pop_front();
        auto it = entries_.find(victim);
        for (sqlite3_stmt* s : it->second.idle)
            sqlite3_finalize(s);
        entries_.erase(it);
    }
    sqlite3* db_;
    std::unordered_map<std::string, Entry> entries_;
    std::list<std::string> lru_;
};

bool Bind(sqlite3_stmt* s, const std::vector<SqlValue>& params) {
    for (size_t i = 0; i < params.size(); ++i) {
        const SqlValue& v = params[i];
        const int n = static_cast<int>(i + 1);
        int rc = SQLITE_OK;
        switch (v.kind) {
            case SqlValue::Kind::Null:
                rc = sqlite3_bind_null(s, n);
                break;
            case SqlValue::Kind::Int:
                rc = sqlite3_bind_int64(s, n, v.i);
                break;
            case SqlValue::Kind::Real:
                rc = sqlite3_bind_double(s, n, v.r);
                break;
            case SqlValue::Kind::Text:
                rc = sqlite3_bind_text(s, n, v.s.data(), static_cast<int>(v.s.size()),
                                       SQLITE_TRANSIENT);
                break;
        }
        if (rc != SQLITE_OK) return false;
    }
    return true;
}

// A query on one cursor. It streams rows from the statement; asking for the row count
// reads the rest of the result into memory first.
class SqliteCursor final : public DbCursor {
  public:
    SqliteCursor(SqliteDB* owner, std::string key, sqlite3_stmt* s)
        : owner_(owner), key_(std::move(key)), stmt_(s), columns_(sqlite3_column_count(s)) {}
    ~SqliteCursor() override;

    int Fetch(bool first) override;
    long RowCount() override;
    int Columns() const override { return columns_; }
    bool IsNull(int c) const override {
        if (buffered_) return row_ < row_count_ ? !Held(c).present : true;
        return !on_row_ || sqlite3_column_type(stmt_, c - 1) == SQLITE_NULL;
    }
    std::string_view Text(int c) const override {
        if (buffered_) {
            if (row_ >= row_count_) return {};
            const HeldCell& h = Held(c);
            return std::string_view(text_).substr(h.offset, h.length);
        }
        if (!on_row_) return {};
        const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, c - 1));
        return p ? std::string_view(p, static_cast<size_t>(sqlite3_column_bytes(stmt_, c - 1)))
                 : std::string_view();
    }
    int64_t Int(int c) const override {
        if (buffered_) return row_ < row_count_ ? Held(c).i : 0;
        return on_row_ ? sqlite3_column_int64(stmt_, c - 1) : 0;
    }

  private:
    // A value of the result held in memory: its number, and its text in text_.
    struct HeldCell {
        int64_t i = 0;
        size_t offset = 0;
        uint32_t length = 0;
        bool present = false;
    };
    const HeldCell& Held(int c) const {
        return held_[row_ * static_cast<size_t>(columns_) + static_cast<size_t>(c - 1)];
    }
    int Step();
    SqliteDB* owner_;
    std::string key_;
    sqlite3_stmt* stmt_;
    int columns_;
    bool started_ = false, on_row_ = false, done_ = false;
    size_t delivered_ = 0;  // rows stepped onto since the last reset
    bool buffered_ = false;
    // The held result, row after row (columns_ cells each), and the texts of its cells.
    std::vector<HeldCell> held_;
    std::string text_;
    size_t row_count_ = 0;
    size_t row_ = 0;
    bool before_first_ = true;
};

class SqliteBulk;

constexpr int kBusyMillis = 30000;

class SqliteDB final : public GenDB {
  public:
    SqliteDB(const std::string& dsn, DbAccess access, sqlite3* db)
        : GenDB(dsn, access), db_(db), cache_(std::make_unique<StatementCache>(db)) {}
    ~SqliteDB() override {
        CloseAll();
        cache_.reset();
        sqlite3_close_v2(db_);
    }
    Engine engine() const override { return Engine::SQLite; }

    void Release(const std::string& key, sqlite3_stmt* s) { cache_->Give(key, s); }
    // The connection's last error, as a French sentence saying what failed.
    void Fail(const char* what) { SetError(ErrorText(what)); }
    std::string ErrorText(const char* what) const {
        const int code = sqlite3_extended_errcode(db_) & 0xff;
        std::string sentence = what;
        if (code == SQLITE_READONLY)
            sentence = kReadOnlyConnection;
        else if (code == SQLITE_BUSY || code == SQLITE_LOCKED)
            sentence = std::string("base occupée par un autre poste : ") + what;
        return EngineError(sentence, sqlite3_errmsg(db_));
    }
    sqlite3* handle() { return db_; }

    std::unique_ptr<BulkLoader> Bulk(const std::string& table,
                                     const std::vector<std::string>& columns, bool fresh) override;

  protected:
    std::unique_ptr<DbCursor> OpenCursor(const std::string& sql,
                                         const std::vector<SqlValue>* params,
                                         bool read_only) override {
        NormalizedSql n = NormalizeSql(sql, false, lift_, params);
        if (!Admit(n, true, read_only)) return nullptr;
        if (!n.liftable) {
            SetError("requête non reconnue (SELECT, WITH, INSERT, UPDATE ou DELETE attendu) : " +
                     U8Left(sql, 60));
            return nullptr;
        }
        sqlite3_stmt* s = Prepare(n.text);
        if (!s) return nullptr;
        // The engine's own verdict: a statement that writes, or that returns no rows (ATTACH,
        // a transaction command), is not a query.
        if (read_only && (!sqlite3_stmt_readonly(s) || sqlite3_column_count(s) == 0)) {
            SetError(kQueryWouldWrite);
            cache_->Give(n.text, s);
            return nullptr;
        }
        if (!Bind(s, n.params)) {
            Fail("paramètres de la requête refusés");
            cache_->Give(n.text, s);
            return nullptr;
        }
        return std::make_unique<SqliteCursor>(this, std::move(n.text), s);
    }

    bool ExecuteStatement(const std::string& sql, const std::vector<SqlValue>* params) override {
        NormalizedSql n = NormalizeSql(sql, false, lift_, params);
        if (!Admit(n, false, false)) return false;
        if (!n.liftable) {
            ++stats_.unlifted;
            return ExecRaw(sql);
        }
        sqlite3_stmt* s = Prepare(n.text);
        if (!s) return false;
        bool ok = Bind(s, n.params);
        int rc = SQLITE_ROW;
        while (ok && rc == SQLITE_ROW)
            rc = sqlite3_step(s);
        ok = ok && rc == SQLITE_DONE;
        if (!ok) Fail("l'instruction a échoué");
        cache_->Give(n.text, s);
        return ok;
    }

    bool ExecRaw(const std::string& sql) override {
        std::string text = sql;
        // Every transaction takes the write lock at once, so that two workstations cannot
        // both read a state and then both write it. A read-only connection only reads.
        if (text == "BEGIN" && !read_only()) text = "BEGIN IMMEDIATE";
        if (sqlite3_exec(db_, text.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) {
            Fail("l'instruction a échoué");
            return false;
        }
        return true;
    }

    bool AcquireLock(const std::string& key, bool exclusive) override {
        // Readers see a consistent snapshot in WAL mode; an excluding lock holds the
        // database's write lock until it is released.
        if (!exclusive) return true;
        if (exclusive_held_ == 0 && TransactionDepth() == 0) {
            // Every transaction here is BEGIN IMMEDIATE: it holds the write lock.
            sqlite3_busy_timeout(db_, lock_wait_seconds_ * 1000);
            const bool ok = Begin();
            sqlite3_busy_timeout(db_, kBusyMillis);
            if (!ok) {
                SetError("verrou occupé par un autre poste : " + key);
                return false;
            }
            owns_lock_tx_ = true;
        }
        ++exclusive_held_;
        return true;
    }
    void ReleaseLock(const std::string&, bool exclusive) override {
        if (!exclusive || exclusive_held_ == 0) return;
        if (--exclusive_held_ == 0 && owns_lock_tx_) {
            owns_lock_tx_ = false;
            Commit();
        }
    }

  private:
    sqlite3_stmt* Prepare(const std::string& text) {
        bool reused = false, trailing = false;
        sqlite3_stmt* s = cache_->Take(text, &reused, &trailing);
        if (!s) {
            if (trailing)
                SetError("requête invalide : une seule instruction est permise");
            else
                Fail("la base refuse la requête");
            return nullptr;
        }
        (reused ? stats_.reused : stats_.prepared)++;
        return s;
    }

    sqlite3* db_;
    std::unique_ptr<StatementCache> cache_;
    int exclusive_held_ = 0;     // excluding locks held, all names together
    bool owns_lock_tx_ = false;  // the first of them started the write transaction
};

SqliteCursor::~SqliteCursor() {
    owner_->Release(key_, stmt_);
}

int SqliteCursor::Step() {
    const int rc = sqlite3_step(stmt_);
    started_ = true;
    if (rc == SQLITE_ROW) {
        on_row_ = true;
        ++delivered_;
        return 0;
    }
    on_row_ = false;
    done_ = true;
    if (rc == SQLITE_DONE) return 1;
    owner_->Fail("la lecture des lignes a échoué");
    return -1;
}

int SqliteCursor::Fetch(bool first) {
    if (buffered_) {
        if (first)
            row_ = 0;
        else if (before_first_)
            row_ = 0;
        else
            ++row_;
        before_first_ = false;
        return row_ < row_count_ ? 0 : 1;
    }
    if (first && started_) {
        sqlite3_reset(stmt_);
        done_ = false;
        delivered_ = 0;
    }
    if (done_) return 1;
    return Step();
}

long SqliteCursor::RowCount() {
    if (buffered_) return static_cast<long>(row_count_);
    // Read the whole result into memory (from the start), then serve the fetches from
    // there, keeping the cursor on the row it was on. The cells go into one array and their
    // texts into one string: no allocation per row or per value.
    const bool was_started = started_;
    const bool was_on_row = on_row_;
    const size_t position = delivered_;
    if (started_) sqlite3_reset(stmt_);
    done_ = false;
    delivered_ = 0;
    std::vector<HeldCell> held;
    std::string text;
    size_t rows = 0;
    for (int r = Step(); r != 1; r = Step()) {
        if (r < 0) return -1;
        for (int c = 0; c < columns_; ++c) {
            HeldCell h;
            h.offset = text.size();
            const int type = sqlite3_column_type(stmt_, c);
            h.present = type != SQLITE_NULL;
            if (type == SQLITE_INTEGER) {
                // The number's text written here rather than by SQLite, which would convert
                // the value it holds.
                h.i = sqlite3_column_int64(stmt_, c);
                char digits[24];
                const auto end = std::to_chars(digits, digits + sizeof digits, h.i).ptr;
                text.append(digits, end);
            } else if (h.present) {
                const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, c));
                text.append(p ? p : "", static_cast<size_t>(sqlite3_column_bytes(stmt_, c)));
                h.i = sqlite3_column_int64(stmt_, c);
            }
            h.length = static_cast<uint32_t>(text.size() - h.offset);
            held.push_back(h);
        }
        ++rows;
    }
    held_ = std::move(held);
    text_ = std::move(text);
    row_count_ = rows;
    buffered_ = true;
    before_first_ = !was_started;
    // A cursor on row k (counted from 1) stays on it; one past the end stays past it.
    row_ = !was_started ? 0 : was_on_row ? position - 1 : row_count_;
    return static_cast<long>(row_count_);
}

}  // namespace
}  // namespace host

namespace host {
namespace {

// Prepared inserts inside one transaction.
class SqliteBulk final : public BulkLoader {
  public:
    SqliteBulk(SqliteDB* db, sqlite3_stmt* s, int columns)
        : db_(db), stmt_(s), columns_(columns), tx_(*db) {}
    ~SqliteBulk() override { Finish(); }

    BulkLoader& Int(int64_t v) override {
        if (Check()) sqlite3_bind_int64(stmt_, ++col_, v);
        return *this;
    }
    BulkLoader& Text(std::string_view v) override {
        if (Check())
            sqlite3_bind_text(stmt_, ++col_, v.data(), static_cast<int>(v.size()),
                              SQLITE_TRANSIENT);
        return *this;
    }
    BulkLoader& Null() override {
        if (Check()) sqlite3_bind_null(stmt_, ++col_);
        return *this;
    }
    bool EndRow() override {
        if (!stmt_) return false;
        if (col_ != columns_) {
            error_ = "ligne de " + std::to_string(col_) + " valeurs pour " +
                     std::to_string(columns_) + " colonnes";
            return false;
        }
        col_ = 0;
        const int rc = sqlite3_step(stmt_);
        sqlite3_reset(stmt_);
        if (rc != SQLITE_DONE) {
            error_ = db_->ErrorText("ligne refusée au chargement");
            return false;
        }
        return true;
    }
    bool Finish() override {
        if (!stmt_) return error_.empty();
        sqlite3_finalize(stmt_);
        stmt_ = nullptr;
        if (!error_.empty()) return false;
        if (!tx_.Commit()) {
            error_ = db_->dbLastError() ? db_->dbLastError() : "validation refusée";
            return false;
        }
        return true;
    }
    const std::string& Error() const override { return error_; }

  private:
    bool Check() {
        if (!stmt_ || col_ >= columns_) {
            if (error_.empty()) error_ = "trop de valeurs dans la ligne";
            return false;
        }
        return true;
    }
    SqliteDB* db_;
    sqlite3_stmt* stmt_;
    int columns_;
    int col_ = 0;
    DbTransaction tx_;
    std::string error_;
};

}  // namespace

std::unique_ptr<BulkLoader> SqliteDB::Bulk(const std::string& table,
                                           const std::vector<std::string>& columns, bool) {
    std::string sql = "INSERT INTO " + std::string(dbTablePrefix()) + table + " (";
    std::string marks;
    for (size_t i = 0; i < columns.size(); ++i) {
        sql += (i ? "," : "") + columns[i];
        marks += i ? ",?" : "?";
    }
    sql += ") VALUES (" + marks + ")";
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &s, nullptr) != SQLITE_OK) {
        Fail("chargement refusé");
        sqlite3_finalize(s);
        return nullptr;
    }
    return std::make_unique<SqliteBulk>(this, s, static_cast<int>(columns.size()));
}

namespace {

namespace fs = std::filesystem;

// The file's header says WAL (bytes 18 and 19 are 2).
bool WalHeader(const std::string& path) {
    char header[20] = {};
    std::ifstream in(path, std::ios::binary);
    return in.read(header, sizeof header) && header[18] == 2 && header[19] == 2;
}

// "file:" URI of a path, every byte but the unreserved ones escaped.
std::string FileUri(const std::string& path) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string uri = "file:";
    for (const char ch : fs::absolute(path).string()) {
        const auto c = static_cast<unsigned char>(ch);
        if (std::isalnum(c) || c == '/' || c == '-' || c == '.' || c == '_' || c == '~') {
            uri += ch;
        } else {
            uri += '%';
            uri += kHex[c >> 4];
            uri += kHex[c & 15];
        }
    }
    return uri;
}

struct Handle {
    sqlite3* db = nullptr;
    ~Handle() { sqlite3_close_v2(db); }
    sqlite3* release() { return std::exchange(db, nullptr); }
};

// The handle's last error as the detail of a French sentence.
std::string OpenError(const std::string& what, sqlite3* db, const char* fallback) {
    std::string detail = db ? sqlite3_errmsg(db) : fallback;
    return what + " (SQLite : " + detail + ")";
}

bool Exec(sqlite3* db, const char* sql) {
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

}  // namespace

std::unique_ptr<GenDB> OpenSqlite(const std::string& dsn, const std::string& path, DbAccess access,
                                  std::string* error) {
    const bool memory = path == ":memory:";
    std::error_code ec;
    if (!memory) {
        const auto parent = fs::path(path).parent_path();
        if (access != DbAccess::Create && !fs::exists(path, ec)) {
            // Only a new practice is created; a read or an update needs the database there.
            *error = "base introuvable : " + fs::absolute(path, ec).string();
            return nullptr;
        }
        if (!parent.empty() && !fs::is_directory(parent, ec)) {
            *error = "dossier inexistant : " + parent.string();
            return nullptr;
        }
        if (fs::is_directory(path, ec)) {
            *error = "la base " + path + " est un dossier, pas un fichier";
            return nullptr;
        }
        // A pipe or a device would block or read as an empty database.
        if (fs::exists(path, ec) && !fs::is_regular_file(path, ec)) {
            *error = "la base " + path + " n'est pas un fichier ordinaire";
            return nullptr;
        }
    }
    const bool read_only = access == DbAccess::ReadOnly;
    int flags = SQLITE_OPEN_NOMUTEX;
    if (read_only && !memory)
        flags |= SQLITE_OPEN_READONLY;
    else
        flags |= SQLITE_OPEN_READWRITE | (access == DbAccess::Create ? SQLITE_OPEN_CREATE : 0);
    if (memory) flags |= SQLITE_OPEN_CREATE;
    // A WAL practice read where SQLite cannot make its -shm file (a folder this user cannot
    // write), or that no one may write (a file without write permission): with no -wal
    // file every committed row is in the file itself, so it is read as it stands
    // (immutable: no lock, no shared memory, nothing made beside it).
    const bool wal_mode = read_only && !memory && WalHeader(path);
    const bool pending = fs::exists(path + "-wal", ec) && fs::file_size(path + "-wal", ec) > 0;
    const fs::perms write_bits =
        fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    const bool frozen = wal_mode && !pending &&
                        (fs::status(path, ec).permissions() & write_bits) == fs::perms::none;
    Handle h;
    auto open = [&](bool immutable) {
        sqlite3_close_v2(h.release());
        const std::string name = immutable ? FileUri(path) + "?immutable=1" : path;
        return sqlite3_open_v2(name.c_str(), &h.db, flags | (immutable ? SQLITE_OPEN_URI : 0),
                               nullptr) == SQLITE_OK;
    };
    if (!open(frozen)) {
        *error = OpenError("impossible d'ouvrir la base " + path, h.db, "mémoire insuffisante");
        return nullptr;
    }
    // A file that is not a database (or that cannot be read) shows here rather than at the
    // first query.
    // Another workstation may hold the write lock (switching the journal, a closing): the
    // probe waits for it like any other statement of this connection.
    auto readable = [&] {
        sqlite3_busy_timeout(h.db, kBusyMillis);
        return Exec(h.db, "SELECT count(*) FROM sqlite_master");
    };
    if (wal_mode && !frozen && !readable()) {
        const int code = sqlite3_extended_errcode(h.db) & 0xff;
        if (code == SQLITE_READONLY || code == SQLITE_CANTOPEN) {
            if (pending) {
                *error = OpenError("la base " + path +
                                       " a des écritures en attente dans son journal (-wal) et "
                                       "son dossier ne peut être écrit : ouvrez-la d'un poste "
                                       "qui peut écrire dans ce dossier",
                                   h.db, "");
                return nullptr;
            }
            if (!open(true)) {
                *error =
                    OpenError("impossible d'ouvrir la base " + path, h.db, "mémoire insuffisante");
                return nullptr;
            }
        }
    }
    const std::string cannot_write = "la base " + path +
                                     " ne peut être modifiée (fichier ou dossier en lecture "
                                     "seule) : seules les commandes qui lisent peuvent l'ouvrir";
    // SQLite opens a file it may not write read-only without a word: say so before the
    // first read, which would make -wal and -shm files beside it.
    if (!read_only && !memory && sqlite3_db_readonly(h.db, "main") == 1) {
        *error = cannot_write;
        return nullptr;
    }
    if (!readable()) {
        const int code = sqlite3_extended_errcode(h.db) & 0xff;
        if (!read_only && (code == SQLITE_READONLY || code == SQLITE_CANTOPEN))
            *error = OpenError(cannot_write, h.db, "");
        else
            *error = OpenError("le fichier " + path + " n'est pas une base de données lisible",
                               h.db, "");
        return nullptr;
    }
    sqlite3_busy_timeout(h.db, kBusyMillis);
    sqlite3_extended_result_codes(h.db, 1);
    // LIKE is case-sensitive as on PostgreSQL, so that both engines select the same rows.
    const char* setup =
        "PRAGMA case_sensitive_like=ON; PRAGMA temp_store=MEMORY; PRAGMA cache_size=-65536;";
    if (!Exec(h.db, setup)) {
        *error = OpenError("configuration de la base " + path + " refusée", h.db, "");
        return nullptr;
    }
    if (read_only) {
        // Belt and braces over the read-only handle: no statement of this connection writes.
        if (!Exec(h.db, "PRAGMA query_only=ON")) {
            *error = OpenError("configuration de la base " + path + " refusée", h.db, "");
            return nullptr;
        }
    } else if (!memory) {
        // WAL lets readers work while another workstation writes. The mode is kept in the
        // file: switch only a database that is not in it yet.
        sqlite3_stmt* st = nullptr;
        std::string mode;
        if (sqlite3_prepare_v2(h.db, "PRAGMA journal_mode", -1, &st, nullptr) == SQLITE_OK &&
            sqlite3_step(st) == SQLITE_ROW) {
            const auto* t = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
            mode = t ? t : "";
        }
        sqlite3_finalize(st);
        if ((mode != "wal" && !Exec(h.db, "PRAGMA journal_mode=WAL")) ||
            !Exec(h.db, "PRAGMA synchronous=NORMAL")) {
            *error = OpenError("configuration de la base " + path + " refusée", h.db, "");
            return nullptr;
        }
    }
    return std::make_unique<SqliteDB>(dsn, access, h.release());
}

}  // namespace host
