// GenDB over PostgreSQL (libpq). Results are read whole, so that any number of cursors
// can be open on the one connection; statement shapes are prepared once and reused.
#include <libpq-fe.h>

#include <chrono>
#include <cstring>
#include <list>
#include <thread>
#include <unordered_map>
#include <unordered_set>

#include "host/db/gendb.h"
#include "host/db/sqlnorm.h"

namespace host {
namespace {

struct ResultDeleter {
    void operator()(PGresult* r) const { PQclear(r); }
};
using Result = std::unique_ptr<PGresult, ResultDeleter>;

class PgCursor final : public DbCursor {
  public:
    explicit PgCursor(Result r)
        : result_(std::move(r)), rows_(PQntuples(result_.get())), cols_(PQnfields(result_.get())) {}
    int Fetch(bool first) override {
        row_ = first || row_ < 0 ? 0 : row_ + 1;
        return row_ < rows_ ? 0 : 1;
    }
    long RowCount() override { return rows_; }
    int Columns() const override { return cols_; }
    bool IsNull(int c) const override {
        return !OnRow() || PQgetisnull(result_.get(), row_, c - 1);
    }
    std::string_view Text(int c) const override {
        if (IsNull(c)) return {};
        return {PQgetvalue(result_.get(), row_, c - 1),
                static_cast<size_t>(PQgetlength(result_.get(), row_, c - 1))};
    }
    int64_t Int(int c) const override {
        if (IsNull(c)) return 0;
        const char* v = PQgetvalue(result_.get(), row_, c - 1);
        // Booleans come back as t/f.
        if (v[0] == 't' && v[1] == '\0') return 1;
        return std::strtoll(v, nullptr, 10);
    }

  private:
    bool OnRow() const { return row_ >= 0 && row_ < rows_; }
    Result result_;
    int rows_, cols_;
    int row_ = -1;
};

// FNV-1a of a lock name: the key of its advisory lock.
int64_t LockKey(const std::string& name) {
    uint64_t h = 1469598103934665603ull;
    for (unsigned char c : name) {
        h ^= c;
        h *= 1099511628211ull;
    }
    return static_cast<int64_t>(h);
}

class PgDB final : public GenDB {
  public:
    PgDB(std::string dsn, PGconn* conn) : GenDB(std::move(dsn)), conn_(conn) {}
    ~PgDB() override {
        CloseAll();
        PQfinish(conn_);
    }
    Engine engine() const override { return Engine::PostgreSQL; }
    PGconn* conn() { return conn_; }
    void FailConn(const char* what) { SetError(std::string(what) + ": " + PQerrorMessage(conn_)); }

    std::unique_ptr<BulkLoader> Bulk(const std::string& table,
                                     const std::vector<std::string>& columns) override;

  protected:
    std::unique_ptr<DbCursor> OpenCursor(const std::string& sql,
                                         const std::vector<SqlValue>* params) override {
        Result r = Run(sql, params, PGRES_TUPLES_OK);
        if (!r) return nullptr;
        return std::make_unique<PgCursor>(std::move(r));
    }

    bool ExecuteStatement(const std::string& sql, const std::vector<SqlValue>* params) override {
        return Run(sql, params, PGRES_COMMAND_OK) != nullptr;
    }

    bool ExecRaw(const std::string& sql) override {
        Result r(PQexec(conn_, sql.c_str()));
        return Check(r, PGRES_COMMAND_OK, sql);
    }

    bool AcquireLock(const std::string& key, bool exclusive) override {
        const std::string sql =
            std::string("SELECT ") +
            (exclusive ? "pg_try_advisory_lock(" : "pg_try_advisory_lock_shared(") +
            std::to_string(LockKey(key)) + ")";
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::seconds(lock_wait_seconds_);
        while (true) {
            Result r(PQexec(conn_, sql.c_str()));
            if (!Check(r, PGRES_TUPLES_OK, sql)) return false;
            if (PQgetvalue(r.get(), 0, 0)[0] == 't') return true;
            if (std::chrono::steady_clock::now() >= deadline) {
                SetError("verrou occupé par un autre poste : " + key);
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    }

    void ReleaseLock(const std::string& key, bool exclusive) override {
        const std::string sql = std::string("SELECT ") +
                                (exclusive ? "pg_advisory_unlock(" : "pg_advisory_unlock_shared(") +
                                std::to_string(LockKey(key)) + ")";
        Result r(PQexec(conn_, sql.c_str()));
    }

  private:
    bool Check(const Result& r, ExecStatusType want, const std::string& sql) {
        const ExecStatusType st = r ? PQresultStatus(r.get()) : PGRES_FATAL_ERROR;
        if (st == want || (want == PGRES_COMMAND_OK && st == PGRES_TUPLES_OK)) return true;
        std::string msg = r ? PQresultErrorMessage(r.get()) : PQerrorMessage(conn_);
        while (!msg.empty() && (msg.back() == '\n' || msg.back() == ' '))
            msg.pop_back();
        SetError(msg.empty() ? "erreur PostgreSQL" : msg);
        return false;
    }

    // Runs sql: a prepared statement of its shape when possible, else the text as it is.
    Result Run(const std::string& sql, const std::vector<SqlValue>* params, ExecStatusType want) {
        NormalizedSql n = NormalizeSql(sql, true, lift_, params);
        if (!n.liftable || unpreparable_.count(n.text)) {
            ++stats_.unlifted;
            Result r = n.params.empty() ? Result(PQexec(conn_, sql.c_str()))
                                        : ExecParams(n.text, n.params);
            return Check(r, want, sql) ? std::move(r) : nullptr;
        }
        const std::string* name = PreparedName(n);
        if (!name) {
            ++stats_.unlifted;
            Result r = n.params.empty() ? Result(PQexec(conn_, sql.c_str()))
                                        : ExecParams(n.text, n.params);
            return Check(r, want, sql) ? std::move(r) : nullptr;
        }
        std::vector<std::string> texts;
        std::vector<const char*> values;
        Values(n.params, &texts, &values);
        Result r(PQexecPrepared(conn_, name->c_str(), static_cast<int>(values.size()),
                                values.data(), nullptr, nullptr, 0));
        return Check(r, want, sql) ? std::move(r) : nullptr;
    }

    static void Values(const std::vector<SqlValue>& params, std::vector<std::string>* texts,
                       std::vector<const char*>* values) {
        texts->reserve(params.size());
        for (const SqlValue& v : params) {
            switch (v.kind) {
                case SqlValue::Kind::Null:
                    texts->emplace_back();
                    break;
                case SqlValue::Kind::Int:
                    texts->push_back(std::to_string(v.i));
                    break;
                case SqlValue::Kind::Real:
                    texts->push_back(std::to_string(v.r));
                    break;
                case SqlValue::Kind::Text:
                    texts->push_back(v.s);
                    break;
            }
        }
        for (size_t i = 0; i < params.size(); ++i)
            values->push_back(params[i].kind == SqlValue::Kind::Null ? nullptr
                                                                     : (*texts)[i].c_str());
    }

    Result ExecParams(const std::string& text, const std::vector<SqlValue>& params) {
        std::vector<std::string> texts;
        std::vector<const char*> values;
        Values(params, &texts, &values);
        return Result(PQexecParams(conn_, text.c_str(), static_cast<int>(values.size()), nullptr,
                                   values.data(), nullptr, nullptr, 0));
    }

    // The prepared statement for a shape, preparing it on first use; null when the server
    // cannot prepare it (for example a parameter whose type it cannot tell).
    const std::string* PreparedName(const NormalizedSql& n) {
        auto it = prepared_.find(n.text);
        if (it != prepared_.end()) {
            lru_.splice(lru_.end(), lru_, it->second.pos);
            ++stats_.reused;
            return &it->second.name;
        }
        const std::string name = "q" + std::to_string(++next_id_);
        Result r(PQprepare(conn_, name.c_str(), n.text.c_str(), static_cast<int>(n.params.size()),
                           nullptr));
        if (!r || PQresultStatus(r.get()) != PGRES_COMMAND_OK) {
            // Inside a failed transaction every statement fails; that says nothing of the shape.
            if (PQtransactionStatus(conn_) != PQTRANS_INERROR) unpreparable_.insert(n.text);
            return nullptr;
        }
        ++stats_.prepared;
        lru_.push_back(n.text);
        auto& e = prepared_[n.text];
        e.name = name;
        e.pos = std::prev(lru_.end());
        if (prepared_.size() > kMaxPrepared) Evict();
        return &prepared_[n.text].name;
    }

    void Evict() {
        const std::string victim = lru_.front();
        lru_.pop_front();
        auto it = prepared_.find(victim);
        Result r(PQexec(conn_, ("DEALLOCATE " + it->second.name).c_str()));
        prepared_.erase(it);
    }

    static constexpr size_t kMaxPrepared = 1000;
    struct Prepared {
        std::string name;
        std::list<std::string>::iterator pos;
    };
    PGconn* conn_;
    std::unordered_map<std::string, Prepared> prepared_;
    std::unordered_set<std::string> unpreparable_;
    std::list<std::string> lru_;
    long next_id_ = 0;
};

// COPY ... FROM STDIN in text format, sent in blocks.
class PgBulk final : public BulkLoader {
  public:
    PgBulk(PgDB* db, int columns) : db_(db), columns_(columns) { buffer_.reserve(kBlock + 4096); }
    ~PgBulk() override { Finish(); }

    BulkLoader& Int(int64_t v) override {
        Sep();
        buffer_ += std::to_string(v);
        return *this;
    }
    BulkLoader& Text(std::string_view v) override {
        Sep();
        for (char c : v) {
            switch (c) {
                case '\\':
                    buffer_ += "\\\\";
                    break;
                case '\t':
                    buffer_ += "\\t";
                    break;
                case '\n':
                    buffer_ += "\\n";
                    break;
                case '\r':
                    buffer_ += "\\r";
                    break;
                case '\0':
                    break;
                default:
                    buffer_ += c;
            }
        }
        return *this;
    }
    BulkLoader& Null() override {
        Sep();
        buffer_ += "\\N";
        return *this;
    }
    bool EndRow() override {
        if (done_) return false;
        if (col_ != columns_) {
            error_ = "ligne de " + std::to_string(col_) + " valeurs pour " +
                     std::to_string(columns_) + " colonnes";
            return false;
        }
        buffer_ += '\n';
        col_ = 0;
        if (buffer_.size() >= kBlock) return Flush();
        return true;
    }
    bool Finish() override {
        if (done_) return error_.empty();
        done_ = true;
        bool ok = error_.empty() && Flush();
        if (PQputCopyEnd(db_->conn(), ok ? nullptr : "chargement interrompu") != 1) ok = false;
        while (PGresult* r = PQgetResult(db_->conn())) {
            if (PQresultStatus(r) != PGRES_COMMAND_OK) {
                if (error_.empty()) error_ = PQresultErrorMessage(r);
                ok = false;
            }
            PQclear(r);
        }
        return ok;
    }
    const std::string& Error() const override { return error_; }

  private:
    static constexpr size_t kBlock = 1 << 20;
    void Sep() {
        if (col_++ > 0) buffer_ += '\t';
    }
    bool Flush() {
        if (buffer_.empty()) return true;
        if (PQputCopyData(db_->conn(), buffer_.data(), static_cast<int>(buffer_.size())) != 1) {
            error_ = PQerrorMessage(db_->conn());
            return false;
        }
        buffer_.clear();
        return true;
    }
    PgDB* db_;
    int columns_;
    int col_ = 0;
    bool done_ = false;
    std::string buffer_;
    std::string error_;
};

}  // namespace

std::unique_ptr<BulkLoader> PgDB::Bulk(const std::string& table,
                                       const std::vector<std::string>& columns) {
    std::string sql = "COPY " + std::string(dbTablePrefix()) + table + " (";
    for (size_t i = 0; i < columns.size(); ++i)
        sql += (i ? "," : "") + columns[i];
    sql += ") FROM STDIN";
    Result r(PQexec(conn_, sql.c_str()));
    if (!r || PQresultStatus(r.get()) != PGRES_COPY_IN) {
        SetError(r ? PQresultErrorMessage(r.get()) : PQerrorMessage(conn_));
        return nullptr;
    }
    return std::make_unique<PgBulk>(this, static_cast<int>(columns.size()));
}

std::unique_ptr<GenDB> OpenPostgres(const std::string& dsn, const std::string& conninfo,
                                    std::string* error) {
    PGconn* conn = PQconnectdb(conninfo.c_str());
    if (!conn || PQstatus(conn) != CONNECTION_OK) {
        *error = conn ? PQerrorMessage(conn) : "connexion impossible";
        while (!error->empty() && error->back() == '\n')
            error->pop_back();
        PQfinish(conn);
        return nullptr;
    }
    PQsetClientEncoding(conn, "UTF8");
    PGresult* r = PQexec(conn, "SET client_min_messages TO warning");
    PQclear(r);
    return std::make_unique<PgDB>(dsn, conn);
}

}  // namespace host
