// GenDB over PostgreSQL (libpq). Results are read whole, so that any number of cursors
// can be open on the one connection; statement shapes are prepared once and reused.
// Streams (dbOpenStream) come in binary, so that a walk over millions of rows holds little
// and decodes no number from text. A stream opened outside any transaction of the caller
// runs on a connection of its own as a COPY, which the server produces as the report reads
// it: the rows of every stream of a walk at once (one server process each). Inside a
// transaction a stream is a server-side cursor on the caller's connection, fetched a chunk
// at a time, so that it sees what the transaction wrote.
#include <arpa/inet.h>
#include <libpq-fe.h>

#include <cctype>
#include <chrono>
#include <cstring>
#include <functional>
#include <list>
#include <thread>
#include <unordered_map>
#include <unordered_set>

#include "host/db/dsn.h"
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

// The binary forms of the types a stream decodes (pg_type oids).
constexpr Oid kBoolOid = 16, kInt8Oid = 20, kInt2Oid = 21, kInt4Oid = 23;

// A row of values in binary format: integers and booleans decoded from their binary forms,
// any other type read as text (the binary form of a text type is its text). A subclass says
// where the current row's cells are.
class PgBinaryRow : public DbCursor {
  public:
    int Columns() const override { return static_cast<int>(types_.size()); }
    bool IsNull(int c) const override {
        const char* v;
        int len;
        return !Cell(c, &v, &len);
    }
    std::string_view Text(int c) const override {
        const char* v;
        int len;
        if (!Cell(c, &v, &len)) return {};
        const Oid t = types_[static_cast<size_t>(c - 1)];
        if (t == kInt2Oid || t == kInt4Oid || t == kInt8Oid || t == kBoolOid) {
            std::string& s = texts_[static_cast<size_t>(c - 1)];
            s = t == kBoolOid ? (Int(c) ? "t" : "f") : std::to_string(Int(c));
            return s;
        }
        return {v, static_cast<size_t>(len)};
    }
    int64_t Int(int c) const override {
        const char* cell;
        int len;
        if (!Cell(c, &cell, &len)) return 0;
        const auto* v = reinterpret_cast<const unsigned char*>(cell);
        switch (types_[static_cast<size_t>(c - 1)]) {
            case kBoolOid:
                return len >= 1 && v[0] != 0;
            case kInt2Oid:
                return len < 2 ? 0 : static_cast<int16_t>((v[0] << 8) | v[1]);
            case kInt4Oid: {
                if (len < 4) return 0;
                uint32_t u;
                std::memcpy(&u, v, 4);
                return static_cast<int32_t>(ntohl(u));
            }
            case kInt8Oid: {
                if (len < 8) return 0;
                uint64_t u = 0;
                for (int i = 0; i < 8; ++i)
                    u = (u << 8) | v[i];
                return static_cast<int64_t>(u);
            }
            default: {
                const std::string s(cell, static_cast<size_t>(len));
                return std::strtoll(s.c_str(), nullptr, 10);
            }
        }
    }

  protected:
    void SetTypes(std::vector<Oid> types) {
        types_ = std::move(types);
        texts_.assign(types_.size(), std::string());
    }
    // The cell of column c (from 1) of the current row; false when it is null or there is
    // no such cell.
    virtual bool Cell(int c, const char** value, int* length) const = 0;

  private:
    std::vector<Oid> types_;
    mutable std::vector<std::string> texts_;
};

// Rows of a server-side cursor, fetched kChunk at a time in binary format. The owner's
// hooks fetch a chunk and end the stream (closing the cursor and its transaction).
class PgStream final : public PgBinaryRow {
  public:
    static constexpr int kChunk = 4000;
    using FetchChunk = std::function<Result()>;
    using End = std::function<void(bool failed)>;
    PgStream(FetchChunk fetch, End end) : fetch_(std::move(fetch)), end_(std::move(end)) {}
    ~PgStream() override { end_(failed_); }

    int Fetch(bool first) override {
        if (first && started_) return 1;  // not rewound
        started_ = true;
        if (result_ && ++row_ < rows_) return 0;
        if (done_) return 1;
        result_ = fetch_();
        if (!result_) {
            failed_ = done_ = true;
            return -1;
        }
        rows_ = PQntuples(result_.get());
        if (!typed_) {
            std::vector<Oid> types(static_cast<size_t>(PQnfields(result_.get())));
            for (size_t c = 0; c < types.size(); ++c)
                types[c] = PQftype(result_.get(), static_cast<int>(c));
            SetTypes(std::move(types));
            typed_ = true;
        }
        row_ = 0;
        done_ = rows_ < kChunk;
        return rows_ > 0 ? 0 : 1;
    }
    long RowCount() override { return -1; }

  protected:
    bool Cell(int c, const char** value, int* length) const override {
        if (!result_ || row_ < 0 || row_ >= rows_ || c < 1 || c > Columns() ||
            PQgetisnull(result_.get(), row_, c - 1))
            return false;
        *value = PQgetvalue(result_.get(), row_, c - 1);
        *length = PQgetlength(result_.get(), row_, c - 1);
        return true;
    }

  private:
    FetchChunk fetch_;
    End end_;
    Result result_;
    int rows_ = 0, row_ = -1;
    bool started_ = false, done_ = false, failed_ = false, typed_ = false;
};

// Rows of COPY (query) TO STDOUT in binary format on a connection of the stream's own: the
// server sends the rows as fast as the reader takes them (the socket's buffers hold what
// is ahead), one message per row, and the client keeps the current row only, without the
// result sets of a cursor's chunks. The columns' types come from describing the statement.
class PgCopyStream final : public PgBinaryRow {
  public:
    // failed(result, detail): the COPY ended in an error (result null when the connection
    // failed; detail the protocol's complaint, if any). end(complete): the stream is closed,
    // complete when the COPY was read to its end.
    using Failed = std::function<void(const PGresult*, const char* detail)>;
    using End = std::function<void(bool complete)>;
    PgCopyStream(PGconn* conn, std::vector<Oid> types, Failed failed, End end)
        : conn_(conn), failed_(std::move(failed)), end_(std::move(end)) {
        SetTypes(std::move(types));
        cells_.resize(static_cast<size_t>(Columns()));
    }
    ~PgCopyStream() override {
        PQfreemem(buffer_);
        end_(state_ == State::End);
    }

    int Fetch(bool first) override {
        if (first && started_) return 1;  // not rewound
        started_ = true;
        if (state_ == State::End) return 1;
        if (state_ == State::Failed) return -1;
        PQfreemem(buffer_);
        buffer_ = nullptr;
        on_row_ = false;
        while (true) {
            const int len = PQgetCopyData(conn_, &buffer_, 0);
            if (len == -1) return Finish();
            if (len < 0) return Fail(nullptr, nullptr);
            const char* at = buffer_;
            const char* end = buffer_ + len;
            if (!header_read_) {
                // "PGCOPY\n\377\r\n\0", flags, then a header extension of the given length.
                static constexpr char kSignature[] = "PGCOPY\n\377\r\n";
                if (len < 19 || std::memcmp(at, kSignature, 11) != 0)
                    return Fail(nullptr, "en-tête COPY binaire attendu");
                const uint32_t extension = Be32(at + 15);
                if (extension > static_cast<uint32_t>(len - 19))
                    return Fail(nullptr, "en-tête COPY binaire tronqué");
                at += 19 + extension;
                header_read_ = true;
                if (at == end) {
                    PQfreemem(buffer_);
                    buffer_ = nullptr;
                    continue;
                }
            }
            if (end - at < 2) return Fail(nullptr, "ligne COPY tronquée");
            const auto fields = static_cast<int16_t>(Be16(at));
            at += 2;
            if (fields == -1) {  // the trailer; the end of the COPY follows
                PQfreemem(buffer_);
                buffer_ = nullptr;
                continue;
            }
            if (fields != Columns()) return Fail(nullptr, "nombre de colonnes inattendu");
            for (auto& [value, length] : cells_) {
                if (end - at < 4) return Fail(nullptr, "ligne COPY tronquée");
                length = static_cast<int32_t>(Be32(at));
                at += 4;
                value = at;
                if (length > 0) {
                    if (end - at < length) return Fail(nullptr, "ligne COPY tronquée");
                    at += length;
                }
            }
            on_row_ = true;
            return 0;
        }
    }
    long RowCount() override { return -1; }

  protected:
    bool Cell(int c, const char** value, int* length) const override {
        if (!on_row_ || c < 1 || c > Columns()) return false;
        const auto& cell = cells_[static_cast<size_t>(c - 1)];
        if (cell.second < 0) return false;
        *value = cell.first;
        *length = cell.second;
        return true;
    }

  private:
    enum class State { Reading, End, Failed };
    static uint16_t Be16(const char* p) {
        uint16_t u;
        std::memcpy(&u, p, 2);
        return ntohs(u);
    }
    static uint32_t Be32(const char* p) {
        uint32_t u;
        std::memcpy(&u, p, 4);
        return ntohl(u);
    }
    // The COPY's own result says whether the server produced every row.
    int Finish() {
        Result r(PQgetResult(conn_));
        while (PGresult* extra = PQgetResult(conn_))
            PQclear(extra);
        if (!r || PQresultStatus(r.get()) != PGRES_COMMAND_OK) return Fail(r.get(), nullptr);
        state_ = State::End;
        return 1;
    }
    int Fail(const PGresult* r, const char* detail) {
        state_ = State::Failed;
        on_row_ = false;
        failed_(r, detail);
        return -1;
    }

    PGconn* conn_;
    Failed failed_;
    End end_;
    char* buffer_ = nullptr;
    std::vector<std::pair<const char*, int32_t>> cells_;
    State state_ = State::Reading;
    bool started_ = false, header_read_ = false, on_row_ = false;
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

// A connection set up as every connection of the module is (encoding, messages, read-only
// sessions); null with *error set when the server cannot be reached.
PGconn* Connect(const std::string& dsn, const std::string& conninfo, DbAccess access,
                std::string* error);

class PgDB final : public GenDB {
  public:
    PgDB(const std::string& dsn, const std::string& conninfo, DbAccess access, PGconn* conn)
        : GenDB(dsn, access), conn_(conn), secrets_(dsn), conninfo_(conninfo), access_(access) {}
    ~PgDB() override {
        CloseAll();
        for (PGconn* c : idle_)
            PQfinish(c);
        PQfinish(conn_);
    }
    Engine engine() const override { return Engine::PostgreSQL; }
    PGconn* conn() { return conn_; }
    // The text of a failed result (or of the connection) as the detail of a French sentence:
    // its primary message, the password of the connection string masked.
    // on: the connection that failed (a stream's own), else the main one.
    std::string ErrorText(const std::string& what, const PGresult* r, PGconn* on = nullptr) const {
        const char* primary = r ? PQresultErrorField(r, PG_DIAG_MESSAGE_PRIMARY) : nullptr;
        std::string detail = primary ? primary : PQerrorMessage(on ? on : conn_);
        return EngineError(what, ScrubDsnSecrets(detail, secrets_));
    }

    std::unique_ptr<BulkLoader> Bulk(const std::string& table,
                                     const std::vector<std::string>& columns, bool fresh) override;

  protected:
    std::unique_ptr<DbCursor> OpenCursor(const std::string& sql,
                                         const std::vector<SqlValue>* params,
                                         bool read_only) override {
        const NormalizedSql n = NormalizeSql(sql, true, lift_, params);
        if (!Admit(n, true, read_only)) return nullptr;
        if (!read_only) {
            Result r = Run(n, sql, PGRES_TUPLES_OK, false);
            return r ? std::make_unique<PgCursor>(std::move(r)) : nullptr;
        }
        // A READ ONLY transaction (a read-only savepoint inside the caller's transaction),
        // rolled back once the rows are read: the server refuses any write, and any setting
        // the query changed goes back with it.
        const bool outer = TransactionDepth() == 0;
        if (!Control(outer ? "BEGIN READ ONLY"
                           : "SAVEPOINT read_only_query; SET TRANSACTION READ ONLY"))
            return nullptr;
        Result r = Run(n, sql, PGRES_TUPLES_OK, true);
        const bool ended = Control(
            outer ? "ROLLBACK"
                  : "ROLLBACK TO SAVEPOINT read_only_query; RELEASE SAVEPOINT read_only_query");
        if (!r || !ended) return nullptr;
        return std::make_unique<PgCursor>(std::move(r));
    }

    // A cursor declared in a transaction of its own (a savepoint when one is open), so that
    // its rows are produced as they are fetched; closing the stream closes the cursor and
    // ends that transaction.
    std::unique_ptr<DbCursor> OpenStream(const std::string& sql,
                                         const std::vector<SqlValue>* params) override {
        const NormalizedSql n = NormalizeSql(sql, true, lift_, params);
        if (!Admit(n, true, false)) return nullptr;
        // Inside the caller's transaction the stream must see what it wrote: same connection.
        if (TransactionDepth() == 0) {
            if (PGconn* side = TakeSide()) return OpenSideStream(side, n);
        }
        if (!Begin()) {
            SetError(ErrorText("la base refuse la transaction de lecture", nullptr));
            return nullptr;
        }
        const std::string name = "stream" + std::to_string(++next_stream_);
        Result r = ExecParams("DECLARE " + name + " NO SCROLL CURSOR FOR " + n.text, n.params);
        if (!Check(r, PGRES_COMMAND_OK, false)) {
            Rollback();
            return nullptr;
        }
        const std::string fetch =
            "FETCH FORWARD " + std::to_string(PgStream::kChunk) + " FROM " + name;
        return std::make_unique<PgStream>(
            [this, fetch] {
                Result chunk(
                    PQexecParams(conn_, fetch.c_str(), 0, nullptr, nullptr, nullptr, nullptr, 1));
                return Check(chunk, PGRES_TUPLES_OK, false) ? std::move(chunk) : nullptr;
            },
            [this, name](bool failed) {
                if (failed) {
                    Rollback();
                    return;
                }
                Result closed(PQexec(conn_, ("CLOSE " + name).c_str()));
                Commit();
            });
    }

    // A stream on a connection of its own: COPY of the statement in a read-only transaction,
    // its values written in as literals (COPY takes no parameters), after describing it for
    // its columns' types. The connection goes back to the idle ones when the stream was read
    // to its end; one left in the middle of a COPY is closed.
    std::unique_ptr<DbCursor> OpenSideStream(PGconn* side, const NormalizedSql& n) {
        std::string text = InlineParams(n, ValueText);
        while (!text.empty() &&
               (text.back() == ';' || std::isspace(static_cast<unsigned char>(text.back()))))
            text.pop_back();
        Result described(PQprepare(side, "", text.c_str(), 0, nullptr));
        if (described && PQresultStatus(described.get()) == PGRES_COMMAND_OK)
            described.reset(PQdescribePrepared(side, ""));
        if (!Check(described, PGRES_COMMAND_OK, false, side)) {
            GiveBack(side);
            return nullptr;
        }
        std::vector<Oid> types(static_cast<size_t>(PQnfields(described.get())));
        for (size_t c = 0; c < types.size(); ++c)
            types[c] = PQftype(described.get(), static_cast<int>(c));
        // In a READ ONLY transaction: a statement that would write (a WITH ... DELETE
        // RETURNING) is refused by the server, as a cursor would refuse it.
        Result started(PQexec(
            side, ("BEGIN READ ONLY; COPY (" + text + "\n) TO STDOUT (FORMAT binary)").c_str()));
        if (!Check(started, PGRES_COPY_OUT, false, side)) {
            Result ended(PQexec(side, "ROLLBACK"));
            GiveBack(side);
            return nullptr;
        }
        return std::make_unique<PgCopyStream>(
            side, std::move(types),
            [this, side](const PGresult* r, const char* detail) {
                if (detail)
                    SetError(EngineError("la base renvoie des lignes illisibles", detail));
                else
                    Check(r, PGRES_COMMAND_OK, false, side);
            },
            [this, side](bool complete) {
                if (complete) {
                    Result ended(PQexec(side, "ROLLBACK"));
                    GiveBack(side);
                } else {
                    PQfinish(side);
                }
            });
    }

    // An idle side connection, or a new one; null when none can be had (the stream then
    // runs on the main connection).
    PGconn* TakeSide() {
        if (!idle_.empty()) {
            PGconn* c = idle_.back();
            idle_.pop_back();
            return c;
        }
        std::string error;
        return Connect(secrets_, conninfo_, access_, &error);
    }

    void GiveBack(PGconn* c) {
        if (PQstatus(c) == CONNECTION_OK && PQtransactionStatus(c) == PQTRANS_IDLE &&
            idle_.size() < kMaxIdle)
            idle_.push_back(c);
        else
            PQfinish(c);
    }

    bool ExecuteStatement(const std::string& sql, const std::vector<SqlValue>* params) override {
        const NormalizedSql n = NormalizeSql(sql, true, lift_, params);
        if (!Admit(n, false, false)) return false;
        return Run(n, sql, PGRES_COMMAND_OK, false) != nullptr;
    }

    bool ExecRaw(const std::string& sql) override {
        Result r(PQexec(conn_, sql.c_str()));
        return Check(r, PGRES_COMMAND_OK, false);
    }

    bool AcquireLock(const std::string& key, bool exclusive) override {
        const std::string sql =
            std::string("SELECT ") +
            (exclusive ? "pg_try_advisory_lock(" : "pg_try_advisory_lock_shared(") +
            std::to_string(LockKey(PracticeKey(key))) + ")";
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::seconds(lock_wait_seconds_);
        while (true) {
            Result r(PQexec(conn_, sql.c_str()));
            if (!Check(r, PGRES_TUPLES_OK, false)) return false;
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
                                std::to_string(LockKey(PracticeKey(key))) + ")";
        Result r(PQexec(conn_, sql.c_str()));
    }

    // Advisory locks are shared by the whole database, where each schema may hold a
    // practice of its own: a lock's name is qualified by the connection's schema, so that
    // two practices never wait for each other.
    std::string PracticeKey(const std::string& key) {
        if (!schema_known_) {
            Result r(PQexec(conn_, "SELECT current_schema()"));
            if (r && PQresultStatus(r.get()) == PGRES_TUPLES_OK && PQntuples(r.get()) == 1 &&
                !PQgetisnull(r.get(), 0, 0))
                schema_ = PQgetvalue(r.get(), 0, 0);
            schema_known_ = true;
        }
        return schema_ + "." + key;
    }

  private:
    // Whether r has the status wanted; otherwise the error in French. user_query: the
    // statement came through dbOpenReadOnly.
    bool Check(const Result& r, ExecStatusType want, bool user_query, PGconn* on = nullptr) {
        return Check(r.get(), want, user_query, on);
    }
    bool Check(const PGresult* r, ExecStatusType want, bool user_query, PGconn* on) {
        const ExecStatusType st = r ? PQresultStatus(r) : PGRES_FATAL_ERROR;
        if (st == want || (want == PGRES_COMMAND_OK && st == PGRES_TUPLES_OK)) return true;
        if (st == PGRES_COMMAND_OK && want == PGRES_TUPLES_OK) {
            SetError(user_query ? kQueryWouldWrite : "la requête ne renvoie aucune ligne");
            return false;
        }
        const char* state = r ? PQresultErrorField(r, PG_DIAG_SQLSTATE) : nullptr;
        const std::string code = state ? state : "";
        std::string what = "la base refuse la requête";
        if (code == "25006")  // read_only_sql_transaction
            what = user_query ? kQueryWouldWrite : kReadOnlyConnection;
        else if (code == "55P03" || code == "40P01")  // lock_not_available, deadlock_detected
            what = "base occupée par un autre poste";
        else if (code.rfind("08", 0) == 0 || PQstatus(on ? on : conn_) == CONNECTION_BAD)
            what = "connexion au serveur PostgreSQL perdue";
        SetError(ErrorText(what, r, on));
        return false;
    }

    // Transaction commands of the read-only queries; the error of the query, if any, is kept.
    bool Control(const char* sql) {
        Result r(PQexec(conn_, sql));
        if (r && PQresultStatus(r.get()) == PGRES_COMMAND_OK) return true;
        if (!dbLastError())
            SetError(ErrorText("la base refuse la transaction de lecture", r.get()));
        return false;
    }

    // Runs normalized text: a prepared statement of its shape when possible, else the text as
    // it is (sql).
    Result Run(const NormalizedSql& n, const std::string& sql, ExecStatusType want,
               bool user_query) {
        const std::string* name = nullptr;
        if (n.liftable && !unpreparable_.count(n.text)) {
            Result refused;
            name = PreparedName(n, &refused);
            // Inside a transaction a refused shape has aborted it: what the server said is
            // the answer, running the text again would only say the transaction is aborted.
            if (!name && refused) {
                Check(refused, want, user_query);
                return nullptr;
            }
        }
        if (!name) {
            ++stats_.unlifted;
            Result r = n.params.empty() ? Result(PQexec(conn_, sql.c_str()))
                                        : ExecParams(n.text, n.params);
            return Check(r, want, user_query) ? std::move(r) : nullptr;
        }
        std::vector<std::string> texts;
        std::vector<const char*> values;
        Values(n.params, &texts, &values);
        Result r(PQexecPrepared(conn_, name->c_str(), static_cast<int>(values.size()),
                                values.data(), nullptr, nullptr, 0));
        return Check(r, want, user_query) ? std::move(r) : nullptr;
    }

    // A value as it is sent: integers and reals in decimal, text as it is.
    static std::string ValueText(const SqlValue& v) {
        switch (v.kind) {
            case SqlValue::Kind::Int:
                return std::to_string(v.i);
            case SqlValue::Kind::Real:
                return std::to_string(v.r);
            case SqlValue::Kind::Text:
                return v.s;
            case SqlValue::Kind::Null:
                break;
        }
        return {};
    }
    static void Values(const std::vector<SqlValue>& params, std::vector<std::string>* texts,
                       std::vector<const char*>* values) {
        texts->reserve(params.size());
        for (const SqlValue& v : params)
            texts->push_back(ValueText(v));
        for (size_t i = 0; i < params.size(); ++i)
            values->push_back(params[i].kind == SqlValue::Kind::Null ? nullptr
                                                                     : (*texts)[i].c_str());
    }

    Result ExecParams(const std::string& text, const std::vector<SqlValue>& params) {
        return ExecParams(conn_, text, params);
    }
    static Result ExecParams(PGconn* conn, const std::string& text,
                             const std::vector<SqlValue>& params) {
        std::vector<std::string> texts;
        std::vector<const char*> values;
        Values(params, &texts, &values);
        return Result(PQexecParams(conn, text.c_str(), static_cast<int>(values.size()), nullptr,
                                   values.data(), nullptr, nullptr, 0));
    }

    // The prepared statement for a shape, preparing it on first use; null when the server
    // cannot prepare it (for example a parameter whose type it cannot tell), with *refused
    // set to the server's answer when that aborted the current transaction.
    const std::string* PreparedName(const NormalizedSql& n, Result* refused) {
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
            if (PQtransactionStatus(conn_) == PQTRANS_INERROR)
                *refused = std::move(r);
            else
                unpreparable_.insert(n.text);
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
    static constexpr size_t kMaxIdle = 8;
    PGconn* conn_;
    std::string secrets_;  // the connection string as given, to mask its password in messages
    std::string conninfo_;
    DbAccess access_;
    std::vector<PGconn*> idle_;  // side connections of streams, kept for the next ones
    std::string schema_;         // the schema qualifying lock names, read at the first lock
    bool schema_known_ = false;
    std::unordered_map<std::string, Prepared> prepared_;
    std::unordered_set<std::string> unpreparable_;
    std::list<std::string> lru_;
    long next_id_ = 0;
    long next_stream_ = 0;
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
                if (error_.empty()) error_ = db_->ErrorText("chargement refusé", r);
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
            error_ = db_->ErrorText("chargement interrompu", nullptr);
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

PGconn* Connect(const std::string& dsn, const std::string& conninfo, DbAccess access,
                std::string* error) {
    PGconn* conn = PQconnectdb(conninfo.c_str());
    if (!conn || PQstatus(conn) != CONNECTION_OK) {
        const std::string detail =
            ScrubDsnSecrets(OneLine(conn ? PQerrorMessage(conn) : "mémoire insuffisante"), dsn);
        *error = "connexion au serveur PostgreSQL impossible";
        if (!detail.empty()) *error += " (libpq : " + detail + ")";
        PQfinish(conn);
        return nullptr;
    }
    PQsetClientEncoding(conn, "UTF8");
    // Quotes doubled are the only escape in a literal (the module writes its text values so).
    PGresult* r = PQexec(conn,
                         "SET client_min_messages TO warning; "
                         "SET standard_conforming_strings TO on");
    PQclear(r);
    if (access == DbAccess::ReadOnly) {
        // Every transaction of the session is READ ONLY: the server refuses writes.
        r = PQexec(conn, "SET SESSION CHARACTERISTICS AS TRANSACTION READ ONLY");
        const bool ok = PQresultStatus(r) == PGRES_COMMAND_OK;
        PQclear(r);
        if (!ok) {
            *error = "connexion en lecture seule refusée par le serveur PostgreSQL";
            PQfinish(conn);
            return nullptr;
        }
    }
    return conn;
}

}  // namespace

std::unique_ptr<BulkLoader> PgDB::Bulk(const std::string& table,
                                       const std::vector<std::string>& columns, bool fresh) {
    std::string sql = "COPY " + std::string(dbTablePrefix()) + table + " (";
    for (size_t i = 0; i < columns.size(); ++i)
        sql += (i ? "," : "") + columns[i];
    sql += fresh ? ") FROM STDIN (FREEZE)" : ") FROM STDIN";
    Result r(PQexec(conn_, sql.c_str()));
    if (!r || PQresultStatus(r.get()) != PGRES_COPY_IN) {
        SetError(ErrorText(read_only() ? kReadOnlyConnection : "chargement refusé", r.get()));
        return nullptr;
    }
    return std::make_unique<PgBulk>(this, static_cast<int>(columns.size()));
}

bool IsPostgresKeywords(const std::string& text) {
    if (text.find('=') == std::string::npos || text.rfind("postgres", 0) == 0) return false;
    char* err = nullptr;
    PQconninfoOption* options = PQconninfoParse(text.c_str(), &err);
    PQfreemem(err);
    PQconninfoFree(options);
    return options != nullptr;
}

std::unique_ptr<GenDB> OpenPostgres(const std::string& dsn, const std::string& conninfo,
                                    DbAccess access, std::string* error) {
    PGconn* conn = Connect(dsn, conninfo, access, error);
    if (!conn) return nullptr;
    return std::make_unique<PgDB>(dsn, conninfo, access, conn);
}

}  // namespace host
