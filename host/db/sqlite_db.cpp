// GenDB over SQLite: one connection, compiled statements kept for reuse by statement shape.
#include <sqlite3.h>

#include <cstring>
#include <filesystem>
#include <list>
#include <unordered_map>

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
    // A compiled statement for text: from the cache, or newly prepared (null on error).
    sqlite3_stmt* Take(const std::string& text, bool* reused) {
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
        sqlite3_stmt* s = nullptr;
        if (sqlite3_prepare_v2(db_, text.c_str(), static_cast<int>(text.size()), &s, nullptr) !=
            SQLITE_OK) {
            sqlite3_finalize(s);
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
        if (buffered_) return row_ < rows_.size() ? !rows_[row_].present[c - 1] : true;
        return !on_row_ || sqlite3_column_type(stmt_, c - 1) == SQLITE_NULL;
    }
    std::string_view Text(int c) const override {
        if (buffered_)
            return row_ < rows_.size() ? std::string_view(rows_[row_].text[c - 1])
                                       : std::string_view();
        if (!on_row_) return {};
        const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, c - 1));
        return p ? std::string_view(p, static_cast<size_t>(sqlite3_column_bytes(stmt_, c - 1)))
                 : std::string_view();
    }
    int64_t Int(int c) const override {
        if (buffered_) return row_ < rows_.size() ? rows_[row_].ints[c - 1] : 0;
        return on_row_ ? sqlite3_column_int64(stmt_, c - 1) : 0;
    }

  private:
    struct Row {
        std::vector<std::string> text;
        std::vector<int64_t> ints;
        std::vector<bool> present;
    };
    int Step();
    SqliteDB* owner_;
    std::string key_;
    sqlite3_stmt* stmt_;
    int columns_;
    bool started_ = false, on_row_ = false, done_ = false;
    size_t delivered_ = 0;  // rows stepped onto since the last reset
    bool buffered_ = false;
    std::vector<Row> rows_;
    size_t row_ = 0;
    bool before_first_ = true;
};

class SqliteBulk;

constexpr int kBusyMillis = 30000;

class SqliteDB final : public GenDB {
  public:
    SqliteDB(std::string dsn, sqlite3* db)
        : GenDB(std::move(dsn)), db_(db), cache_(std::make_unique<StatementCache>(db)) {}
    ~SqliteDB() override {
        CloseAll();
        cache_.reset();
        sqlite3_close_v2(db_);
    }
    Engine engine() const override { return Engine::SQLite; }

    void Release(const std::string& key, sqlite3_stmt* s) { cache_->Give(key, s); }
    void Fail(const char* what) { SetError(std::string(what) + ": " + sqlite3_errmsg(db_)); }
    sqlite3* handle() { return db_; }

    std::unique_ptr<BulkLoader> Bulk(const std::string& table,
                                     const std::vector<std::string>& columns) override;

  protected:
    std::unique_ptr<DbCursor> OpenCursor(const std::string& sql,
                                         const std::vector<SqlValue>* params) override {
        NormalizedSql n = NormalizeSql(sql, false, lift_, params);
        if (!n.liftable) {
            SetError("requête non reconnue : " + sql.substr(0, 60));
            return nullptr;
        }
        sqlite3_stmt* s = Prepare(n.text);
        if (!s) return nullptr;
        if (!Bind(s, n.params)) {
            Fail("paramètres");
            cache_->Give(n.text, s);
            return nullptr;
        }
        return std::make_unique<SqliteCursor>(this, std::move(n.text), s);
    }

    bool ExecuteStatement(const std::string& sql, const std::vector<SqlValue>* params) override {
        NormalizedSql n = NormalizeSql(sql, false, lift_, params);
        if (!n.liftable || MultipleStatements(sql)) {
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
        if (!ok) Fail("exécution");
        cache_->Give(n.text, s);
        return ok;
    }

    bool ExecRaw(const std::string& sql) override {
        std::string text = sql;
        // Every transaction takes the write lock at once, so that two workstations cannot
        // both read a state and then both write it.
        if (text == "BEGIN") text = "BEGIN IMMEDIATE";
        char* msg = nullptr;
        if (sqlite3_exec(db_, text.c_str(), nullptr, nullptr, &msg) != SQLITE_OK) {
            SetError(msg ? msg : sqlite3_errmsg(db_));
            sqlite3_free(msg);
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
    static bool MultipleStatements(const std::string& sql) {
        size_t semi = sql.find(';');
        if (semi == std::string::npos) return false;
        return sql.find_first_not_of(" \t\r\n;", semi) != std::string::npos;
    }
    sqlite3_stmt* Prepare(const std::string& text) {
        bool reused = false;
        sqlite3_stmt* s = cache_->Take(text, &reused);
        if (!s) {
            Fail("préparation");
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
    owner_->Fail("lecture");
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
        return row_ < rows_.size() ? 0 : 1;
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
    if (buffered_) return static_cast<long>(rows_.size());
    // Read the whole result into memory (from the start), then serve the fetches from
    // there, keeping the cursor on the row it was on.
    const bool was_started = started_;
    const bool was_on_row = on_row_;
    const size_t position = delivered_;
    if (started_) sqlite3_reset(stmt_);
    done_ = false;
    delivered_ = 0;
    std::vector<Row> rows;
    for (int r = Step(); r != 1; r = Step()) {
        if (r < 0) return -1;
        Row row;
        const auto n = static_cast<size_t>(columns_);
        row.text.resize(n);
        row.ints.resize(n);
        row.present.resize(n);
        for (int c = 0; c < columns_; ++c) {
            const auto k = static_cast<size_t>(c);
            row.present[k] = sqlite3_column_type(stmt_, c) != SQLITE_NULL;
            if (!row.present[k]) continue;
            const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, c));
            row.text[k].assign(p ? p : "", static_cast<size_t>(sqlite3_column_bytes(stmt_, c)));
            row.ints[k] = sqlite3_column_int64(stmt_, c);
        }
        rows.push_back(std::move(row));
    }
    rows_ = std::move(rows);
    buffered_ = true;
    before_first_ = !was_started;
    // A cursor on row k (counted from 1) stays on it; one past the end stays past it.
    row_ = !was_started ? 0 : was_on_row ? position - 1 : rows_.size();
    return static_cast<long>(rows_.size());
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
            error_ = sqlite3_errmsg(db_->handle());
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
                                           const std::vector<std::string>& columns) {
    std::string sql = "INSERT INTO " + std::string(dbTablePrefix()) + table + " (";
    std::string marks;
    for (size_t i = 0; i < columns.size(); ++i) {
        sql += (i ? "," : "") + columns[i];
        marks += i ? ",?" : "?";
    }
    sql += ") VALUES (" + marks + ")";
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &s, nullptr) != SQLITE_OK) {
        Fail("préparation");
        sqlite3_finalize(s);
        return nullptr;
    }
    return std::make_unique<SqliteBulk>(this, s, static_cast<int>(columns.size()));
}

std::unique_ptr<GenDB> OpenSqlite(const std::string& dsn, const std::string& path,
                                  std::string* error) {
    if (path != ":memory:") {
        std::error_code ec;
        const auto parent = std::filesystem::path(path).parent_path();
        if (!parent.empty() && !std::filesystem::is_directory(parent, ec)) {
            *error = "dossier inexistant : " + parent.string();
            return nullptr;
        }
    }
    sqlite3* db = nullptr;
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX;
    if (sqlite3_open_v2(path.c_str(), &db, flags, nullptr) != SQLITE_OK) {
        *error = db ? sqlite3_errmsg(db) : "ouverture impossible";
        sqlite3_close_v2(db);
        return nullptr;
    }
    sqlite3_busy_timeout(db, kBusyMillis);
    sqlite3_extended_result_codes(db, 1);
    // WAL lets readers work while another workstation writes; LIKE is case-sensitive as on
    // PostgreSQL, so that both engines select the same rows.
    const char* setup =
        "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL; PRAGMA case_sensitive_like=ON;"
        "PRAGMA temp_store=MEMORY; PRAGMA cache_size=-65536;";
    char* msg = nullptr;
    if (sqlite3_exec(db, setup, nullptr, nullptr, &msg) != SQLITE_OK) {
        *error = msg ? msg : "configuration refusée";
        sqlite3_free(msg);
        sqlite3_close_v2(db);
        return nullptr;
    }
    // A file that is not a database shows here rather than at the first query.
    if (sqlite3_exec(db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, &msg) !=
        SQLITE_OK) {
        *error = msg ? msg : "fichier illisible";
        sqlite3_free(msg);
        sqlite3_close_v2(db);
        return nullptr;
    }
    return std::make_unique<SqliteDB>(dsn, db);
}

}  // namespace host
