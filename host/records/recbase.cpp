#include "host/records/recbase.h"

#include <atomic>
#include <cstdlib>
#include <optional>

#include "host/base/numfmt.h"
#include "host/base/text.h"

using host::DbCursor;
using host::DbTransaction;
using host::SqlValue;

namespace {

struct TableName {
    int32_t no;
    const char* name;
};

constexpr TableName kTables[] = {
    {TBL_ACCOUNT, "ACCOUNT"},   {TBL_PATIENT, "PATIENT"},   {TBL_PATPPLAN, "PATPPLAN"},
    {TBL_PATNOTE, "PATNOTE"},   {TBL_PATDEP, "PATDEP"},     {TBL_EMPPOL, "EMPPOL"},
    {TBL_PRACINFO, "PRACINFO"}, {TBL_PATCLM, "PATCLM"},     {TBL_CLMTRT, "CLMTRT"},
    {TBL_PPSET, "PPSET"},       {TBL_DAYEND, "DAYEND"},     {TBL_DAYDET, "DAYDET"},
    {TBL_DAYSHT, "DAYSHT"},     {TBL_USERIDCD, "USERIDCD"}, {TBL_INSCO, "INSCO"},
    {TBL_PMTSCD, "PMTSCD"},     {TBL_ADJUSTCD, "ADJUSTCD"}, {TBL_BANKCD, "BANKCD"},
    {TBL_PROCCD, "PROCCD"},     {TBL_PROCCAT, "PROCCAT"},   {TBL_OFFCHGCD, "OFFCHGCD"},
    {TBL_PRODCD, "PRODCD"},     {TBL_STATCD, "STATCD"},     {TBL_RDIST, "RDIST"},
    {TBL_RECSCAN, "RECSCAN"},   {TBL_RSCNCRIT, "RSCNCRIT"}, {TBL_ACCPMT, "ACCPMT"},
    {TBL_PMTAPP, "PMTAPP"},     {TBL_PATOCH, "PATOCH"},
};

// Record objects read on cursor numbers of this range, each object its own.
constexpr int kFirstCursor = 30000;
constexpr int kCursorCount = 1000;
std::atomic<int> g_next_cursor{0};

// Chunk sizes: a find usually matches a few rows, a walk many.
constexpr size_t kFindChunk = 16;
constexpr size_t kLocateChunk = 64;
constexpr size_t kWalkChunk = 256;
constexpr size_t kMaxChunk = 4096;

// A one-letter flag as stored: ASCII as it is, any other byte read as Latin-1.
std::string CharText(char c) {
    if (c == '\0') return {};
    if (static_cast<unsigned char>(c) < 0x80) return std::string(1, c);
    return host::ToValidUtf8(std::string_view(&c, 1));
}

char TextChar(std::string_view t) {
    if (t.empty()) return '\0';
    const auto b0 = static_cast<unsigned char>(t[0]);
    if (b0 >= 0xC2 && b0 <= 0xC3 && t.size() >= 2)  // U+0080..U+00FF
        return static_cast<char>(((b0 & 0x1F) << 6) | (static_cast<unsigned char>(t[1]) & 0x3F));
    return t[0];
}

bool SameValue(const SqlValue& a, const SqlValue& b) {
    using K = SqlValue::Kind;
    if (a.kind == K::Text && b.kind == K::Text) return a.s == b.s;
    auto as_int = [](const SqlValue& v) -> int64_t {
        if (v.kind == K::Int) return v.i;
        if (v.kind == K::Real) return static_cast<int64_t>(v.r);
        if (v.kind == K::Text) return std::strtoll(v.s.c_str(), nullptr, 10);
        return 0;
    };
    if (a.kind == K::Text || b.kind == K::Text) {
        // A number compared with a text column: compare as texts.
        auto as_text = [&](const SqlValue& v) {
            return v.kind == K::Text ? v.s : std::to_string(as_int(v));
        };
        return as_text(a) == as_text(b);
    }
    return as_int(a) == as_int(b);
}

}  // namespace

const char* TableNameOf(int32_t table_no) {
    for (const TableName& t : kTables)
        if (t.no == table_no) return t.name;
    return nullptr;
}

namespace host {

int TableDesc::ColumnIndex(std::string_view name) const {
    for (size_t i = 0; i < columns.size(); ++i)
        if (ToUpper(columns[i].name) == ToUpper(name)) return static_cast<int>(i);
    return -1;
}

}  // namespace host

// ---------------------------------------------------------------------------- GenInfo

GenInfo::GenInfo(DLnkList* list, MsgInfo* msg)
    : list_(list ? list : (msg ? msg->list() : nullptr)), msg_(msg) {}

GenInfo::~GenInfo() {
    GenDB* db = GetDb();
    if (!db) return;
    for (auto& [key, count] : held_)
        for (; count > 0; --count)
            db->Unlock(key.first, key.second);
}

GenDB* GenInfo::GetDb() const {
    return list_ ? list_->db() : nullptr;
}

TEmgBase* GenInfo::ErrorTarget(TEmgBase* err) {
    if (err) return err;
    if (msg_) return &msg_->errors();
    return &own_errors_;
}

bool GenInfo::Fail(TEmgBase* err, const std::string& text, bool with_db_error) {
    std::string full = text;
    GenDB* db = GetDb();
    if (with_db_error && db && db->dbLastError()) full += " : " + std::string(db->dbLastError());
    ErrorTarget(err)->SetErrText(full, msg_ ? msg_->window() : nullptr);
    db_failed_ = true;
    return false;
}

bool GenInfo::NoDb(TEmgBase* err) {
    return Fail(err, "Aucune base de données n'est ouverte.", false);
}

bool GenInfo::TakeLock(const std::string& table, int mode, TEmgBase* err) {
    GenDB* db = GetDb();
    if (!db) return NoDb(err);
    const int m = mode >= 3 ? 3 : 2;
    if (!db->Lock(table, m))
        return Fail(
            err, "Verrouillage impossible de la table " + table + " (utilisée par un autre poste)");
    ++held_[{table, m}];
    return true;
}

bool GenInfo::DropLock(const std::string& table, int mode) {
    const int m = mode >= 3 ? 3 : 2;
    auto it = held_.find({table, m});
    GenDB* db = GetDb();
    if (it == held_.end() || it->second == 0 || !db) return false;
    db->Unlock(table, m);
    if (--it->second == 0) held_.erase(it);
    return true;
}

bool GenInfo::LockAll(const lock_pkt* pkts, int count, TEmgBase* err) {
    db_failed_ = false;
    for (int i = 0; i < count; ++i) {
        const char* name = TableNameOf(pkts[i].table);
        bool ok = name != nullptr;
        if (!ok)
            Fail(err, "Table inconnue : numéro " + std::to_string(pkts[i].table), false);
        else
            ok = TakeLock(name, pkts[i].mode, err);
        if (!ok) {
            for (int j = i - 1; j >= 0; --j)
                DropLock(TableNameOf(pkts[j].table), pkts[j].mode);
            return false;
        }
    }
    return true;
}

bool GenInfo::FreeAll(const lock_pkt* pkts, int count) {
    bool all = true;
    for (int i = count - 1; i >= 0; --i) {
        const char* name = TableNameOf(pkts[i].table);
        all = (name && DropLock(name, pkts[i].mode)) && all;
    }
    return all;
}

bool GenInfo::KeepAll(const keep_pkt* pkts, int count, TEmgBase* err) {
    std::vector<lock_pkt> locks;
    for (int i = 0; i < count; ++i)
        locks.push_back(lock_pkt{pkts[i].table, 1, 2});
    return LockAll(locks, err);
}

bool GenInfo::UnKeepAll(const keep_pkt* pkts, int count) {
    std::vector<lock_pkt> locks;
    for (int i = 0; i < count; ++i)
        locks.push_back(lock_pkt{pkts[i].table, 1, 2});
    return FreeAll(locks);
}

// ---------------------------------------------------------------------------- DBLLInfo

namespace {

enum StatementKind {
    kFirst = 1,  // every row, in key order
    kAfter,      // rows after the order values of a row
    kFind,       // rows whose leading key columns equal values
    kFindAfter,  // the same, after a row
    kLocate,     // rows at or after leading key values
    kById,
    kCount,
    kUpdate,
    kInsert,
    kDelete,
    kMaxId,
};

// "C > ?" for one column, "(C1, C2) > (?, ?)" for several (op in place of ">").
std::string RowCompare(const std::vector<std::string>& cols, const char* op) {
    if (cols.size() == 1) return cols[0] + " " + op + " ?";
    std::string lhs, rhs;
    for (size_t i = 0; i < cols.size(); ++i) {
        lhs += (i ? ", " : "") + cols[i];
        rhs += i ? ", ?" : "?";
    }
    return "(" + lhs + ") " + op + " (" + rhs + ")";
}

}  // namespace

DBLLInfo::DBLLInfo(DLnkList* list, MsgInfo* msg, const host::TableDesc& desc)
    : GenInfo(list, msg),
      desc_(desc),
      cursor_(kFirstCursor + g_next_cursor.fetch_add(1) % kCursorCount) {}

DBLLInfo::~DBLLInfo() {
    if (GenDB* db = GetDb()) db->dbClose(cursor_);
}

std::string DBLLInfo::Prefixed() const {
    return Prefixed(desc_.table.c_str());
}

std::string DBLLInfo::Prefixed(const char* table) const {
    GenDB* db = GetDb();
    return std::string(db ? db->dbTablePrefix() : "") + table;
}

bool DBLLInfo::QueryLong(const std::string& sql, const std::vector<SqlValue>& params, long* out,
                         TEmgBase* err, const std::string& what) {
    GenDB* db = GetDb();
    *out = 0;
    if (!db) return NoDb(err);
    int r = db->dbOpenParams(sql.c_str(), params, cursor_);
    if (r == 0) {
        r = db->dbFetch(0, cursor_);
        if (r == 0) r = db->dbGetLong(1, out, cursor_);
        if (r == 100) r = 0;
    }
    db->dbClose(cursor_);
    return r == 0 ||
           Fail(err, what.empty() ? "Lecture impossible de la table " + desc_.table : what);
}

bool DBLLInfo::Execute(const std::string& sql, const std::vector<SqlValue>& params,
                       const std::string& what, TEmgBase* err) {
    GenDB* db = GetDb();
    if (!db) return NoDb(err);
    return db->dbExecuteParams(sql.c_str(), params) == 0 || Fail(err, what);
}

const std::string& DBLLInfo::SelectFrom() {
    if (select_from_.empty()) {
        select_from_ = "SELECT ";
        for (size_t i = 0; i < desc_.columns.size(); ++i)
            select_from_ += (i ? ", " : "") + desc_.columns[i].name;
        select_from_ += " FROM " + Prefixed();
    }
    return select_from_;
}

const std::string& DBLLInfo::Statement(int kind, int key, size_t parts) {
    const int code = kind * 10000 + key * 100 + static_cast<int>(parts);
    auto it = statements_.find(code);
    if (it != statements_.end()) return it->second;

    const auto& order_cols = desc_.keys[static_cast<size_t>(key)];
    std::vector<std::string> order, lead;
    for (size_t c : order_cols)
        order.push_back(desc_.columns[c].name);
    for (size_t i = 0; i < parts && i < order.size(); ++i)
        lead.push_back(order[i]);
    std::string order_by = " ORDER BY ";
    for (size_t i = 0; i < order.size(); ++i)
        order_by += (i ? ", " : "") + order[i];
    const std::string limit = " LIMIT ?";
    const std::string& pk = desc_.columns[0].name;

    std::string equal;  // "K1 = ? AND K2 = ?"
    for (size_t i = 0; i < lead.size(); ++i)
        equal += (i ? " AND " : "") + lead[i] + " = ?";

    std::string sql;
    switch (kind) {
        case kFirst:
            sql = SelectFrom() + order_by + limit;
            break;
        case kAfter:
            sql = SelectFrom() + " WHERE " + RowCompare(order, ">") + order_by + limit;
            break;
        case kFind:
            sql = SelectFrom() + " WHERE " + equal + order_by + limit;
            break;
        case kFindAfter:
            sql = SelectFrom() + " WHERE " + equal + " AND " + RowCompare(order, ">") + order_by +
                  limit;
            break;
        case kLocate:
            sql = SelectFrom() + " WHERE " + RowCompare(lead, ">=") + order_by + limit;
            break;
        case kById:
            sql = SelectFrom() + " WHERE " + pk + " = ?";
            break;
        case kCount:
            sql = "SELECT COUNT(*) FROM " + Prefixed();
            break;
        case kMaxId:
            sql = "SELECT MAX(" + pk + ") FROM " + Prefixed();
            break;
        case kUpdate:
            sql = "UPDATE " + Prefixed() + " SET ";
            for (size_t i = 1; i < desc_.columns.size(); ++i)
                sql += (i > 1 ? ", " : "") + desc_.columns[i].name + " = ?";
            sql += " WHERE " + pk + " = ? RETURNING 1";
            break;
        case kInsert: {
            std::string marks;
            sql = "INSERT INTO " + Prefixed() + " (";
            for (size_t i = 0; i < desc_.columns.size(); ++i) {
                sql += (i ? ", " : "") + desc_.columns[i].name;
                marks += i ? ", ?" : "?";
            }
            sql += ") VALUES (" + marks + ")";
            break;
        }
        case kDelete:
            sql = "DELETE FROM " + Prefixed() + " WHERE " + pk + " = ?";
            break;
    }
    return statements_.emplace(code, std::move(sql)).first->second;
}

bool DBLLInfo::ReadRow(DbCursor& c, void* rec, std::string* refused) const {
    char* base = static_cast<char*>(rec);
    for (size_t i = 0; i < desc_.columns.size(); ++i) {
        const host::ColumnDesc& col = desc_.columns[i];
        const int n = static_cast<int>(i + 1);
        char* m = base + col.offset;
        switch (col.type) {
            case host::ColType::Long:
                *reinterpret_cast<long*>(m) = static_cast<long>(c.Int(n));
                break;
            case host::ColType::Int: {
                const int64_t v = c.Int(n);
                if (!host::FitsStoredInt(v)) {
                    *refused = host::StoredValueOutOfRange(desc_.table, col.name, c.Int(1), v);
                    return false;
                }
                *reinterpret_cast<int32_t*>(m) = static_cast<int32_t>(v);
                break;
            }
            case host::ColType::Short:
                *reinterpret_cast<short*>(m) = static_cast<short>(c.Int(n));
                break;
            case host::ColType::Char:
                *m = TextChar(c.Text(n));
                break;
            case host::ColType::Text:
                reinterpret_cast<std::string*>(m)->assign(c.Text(n));
                break;
        }
    }
    return true;
}

SqlValue DBLLInfo::ValueOf(const void* rec, size_t column) const {
    const host::ColumnDesc& col = desc_.columns[column];
    const char* m = static_cast<const char*>(rec) + col.offset;
    switch (col.type) {
        case host::ColType::Long:
            return SqlValue(*reinterpret_cast<const long*>(m));
        case host::ColType::Int:
            return SqlValue(static_cast<long>(*reinterpret_cast<const int32_t*>(m)));
        case host::ColType::Short:
            return SqlValue(static_cast<long>(*reinterpret_cast<const short*>(m)));
        case host::ColType::Char:
            return SqlValue(CharText(*m));
        case host::ColType::Text:
            break;
    }
    // PostgreSQL refuses a text longer than its column: cut it by character.
    const auto& s = *reinterpret_cast<const std::string*>(m);
    return SqlValue(host::U8Left(host::ToValidUtf8(s), static_cast<size_t>(col.width)));
}

bool DBLLInfo::SetKey(int key) {
    if (key < 0 || static_cast<size_t>(key) >= desc_.keys.size()) return false;
    key_ = key;
    return true;
}

bool DBLLInfo::Fetch(const std::string& sql, const std::vector<SqlValue>& params, TEmgBase* err) {
    GenDB* db = GetDb();
    chunk_rows_ = 0;
    chunk_pos_ = 0;
    if (!db) return NoDb(err);
    if (db->dbOpenParams(sql.c_str(), params, cursor_) != 0)
        return Fail(err, "Lecture impossible de la table " + desc_.table);
    DbCursor* c = db->Cursor(cursor_);
    std::string refused;
    int r = c->Fetch(true);
    for (; r == 0; r = c->Fetch(false))
        if (!ReadRow(*c, ChunkSlot(chunk_rows_++), &refused)) break;
    db->dbClose(cursor_);
    if (!refused.empty()) {
        chunk_rows_ = 0;
        return Fail(err, refused, false);
    }
    if (r < 0) {
        chunk_rows_ = 0;
        return Fail(err, "Lecture impossible de la table " + desc_.table);
    }
    if (chunk_rows_ > 0) {
        after_.clear();
        const void* last = ChunkRow(chunk_rows_ - 1);
        for (size_t col : desc_.keys[static_cast<size_t>(walk_key_)]) {
            // The stored value as it is (not cut), so that the next chunk starts right
            // after this row.
            const host::ColumnDesc& cd = desc_.columns[col];
            if (cd.type == host::ColType::Text)
                after_.emplace_back(*reinterpret_cast<const std::string*>(
                    static_cast<const char*>(last) + cd.offset));
            else
                after_.push_back(ValueOf(last, col));
        }
    }
    return true;
}

bool DBLLInfo::MakeCurrent(size_t i, TEmgBase* err) {
    TakeChunkRow(i);
    list_pos_ = -1;
    return OnCurrent(err);
}

bool DBLLInfo::LeadingMatch(const void* rec) const {
    const auto& cols = desc_.keys[static_cast<size_t>(walk_key_)];
    for (size_t j = 0; j < search_.size() && j < cols.size(); ++j) {
        const host::ColumnDesc& cd = desc_.columns[cols[j]];
        SqlValue v = cd.type == host::ColType::Text
                         ? SqlValue(*reinterpret_cast<const std::string*>(
                               static_cast<const char*>(rec) + cd.offset))
                         : ValueOf(rec, cols[j]);
        if (!SameValue(v, search_[j])) return false;
    }
    return true;
}

bool DBLLInfo::Position(Mode mode, int key, const std::vector<SqlValue>& values, TEmgBase* err) {
    db_failed_ = false;
    mode_ = Mode::None;
    if (key < 0 || static_cast<size_t>(key) >= desc_.keys.size())
        return Fail(err, "Clé " + std::to_string(key) + " inconnue de la table " + desc_.table,
                    false);
    const size_t parts = desc_.key_parts[static_cast<size_t>(key)];
    if (mode != Mode::All && (values.empty() || values.size() > parts))
        return Fail(err, "Valeurs de recherche invalides pour la table " + desc_.table, false);
    walk_key_ = key;
    search_ = values;
    chunk_filtered_ = mode == Mode::Find;
    size_t limit = 0;
    std::vector<SqlValue> params;
    const std::string* sql = nullptr;
    switch (mode) {
        case Mode::All:
            limit = kWalkChunk;
            sql = &Statement(kFirst, key, 0);
            break;
        case Mode::Find:
            limit = kFindChunk;
            params = values;
            sql = &Statement(kFind, key, values.size());
            break;
        case Mode::Locate:
            limit = kLocateChunk;
            params = values;
            sql = &Statement(kLocate, key, values.size());
            break;
        case Mode::None:
            return false;
    }
    params.emplace_back(static_cast<long>(limit));
    if (!Fetch(*sql, params, err)) return false;
    chunk_full_ = chunk_rows_ == limit;
    next_limit_ = std::min(limit * 8, kMaxChunk);
    if (chunk_rows_ == 0) return false;
    mode_ = mode;
    chunk_pos_ = 1;
    return MakeCurrent(0, err);
}

bool DBLLInfo::Step(bool only_matching, TEmgBase* err) {
    db_failed_ = false;
    if (mode_ == Mode::None) return false;
    if (chunk_pos_ >= chunk_rows_) {
        // A chunk of matching rows that was not full held every match; the rows after
        // them are still there for a plain walk.
        const bool more = chunk_full_ || (chunk_filtered_ && !only_matching);
        if (!more || chunk_rows_ == 0) return false;
        const bool filtered = only_matching && mode_ == Mode::Find;
        std::vector<SqlValue> params;
        if (filtered) params = search_;
        params.insert(params.end(), after_.begin(), after_.end());
        const size_t limit = next_limit_;
        params.emplace_back(static_cast<long>(limit));
        const std::string& sql = filtered ? Statement(kFindAfter, walk_key_, search_.size())
                                          : Statement(kAfter, walk_key_, 0);
        if (!Fetch(sql, params, err)) {
            mode_ = Mode::None;
            return false;
        }
        chunk_filtered_ = filtered;
        chunk_full_ = chunk_rows_ == limit;
        next_limit_ = std::min(limit * 8, kMaxChunk);
        if (chunk_rows_ == 0) return false;
    }
    if (only_matching && !chunk_filtered_ && !LeadingMatch(ChunkRow(chunk_pos_))) return false;
    return MakeCurrent(chunk_pos_++, err);
}

bool DBLLInfo::DBGetFirst(TEmgBase* err) {
    return Position(Mode::All, key_, {}, err);
}

bool DBLLInfo::DBGetNext(TEmgBase* err) {
    return Step(false, err);
}

bool DBLLInfo::DBFindFirst(int key, const std::vector<SqlValue>& values, TEmgBase* err) {
    if (!Position(Mode::Find, key, values, err)) return false;
    key_ = key;
    return true;
}

bool DBLLInfo::DBLocateFirst(int key, const std::vector<SqlValue>& values, TEmgBase* err) {
    if (!Position(Mode::Locate, key, values, err)) return false;
    key_ = key;
    return true;
}

bool DBLLInfo::DBFindNext(TEmgBase* err) {
    return Step(true, err);
}

bool DBLLInfo::DBFindRecById(const SqlValue& id, TEmgBase* err) {
    db_failed_ = false;
    mode_ = Mode::None;
    walk_key_ = key_;
    search_.clear();
    if (!Fetch(Statement(kById, 0, 0), {id}, err)) return false;
    if (chunk_rows_ == 0) return false;
    // Later DBGetNext calls go on in the current key's order from this record.
    mode_ = Mode::All;
    chunk_full_ = true;
    chunk_filtered_ = false;
    next_limit_ = kWalkChunk;
    chunk_pos_ = 1;
    return MakeCurrent(0, err);
}

long DBLLInfo::GetRecCount(TEmgBase* err) {
    db_failed_ = false;
    GenDB* db = GetDb();
    if (!db) {
        NoDb(err);
        return -1;
    }
    long n = 0;
    return QueryLong(Statement(kCount, 0, 0), {}, &n, err) ? n : -1;
}

bool DBLLInfo::LockIt(int mode, TEmgBase* err) {
    db_failed_ = false;
    return TakeLock(desc_.table, mode, err);
}

bool DBLLInfo::UnLockIt(int mode) {
    return DropLock(desc_.table, mode);
}

bool DBLLInfo::DoKeep(TEmgBase* err) {
    db_failed_ = false;
    return TakeLock(desc_.table, 2, err);
}

bool DBLLInfo::UndoKeep() {
    return DropLock(desc_.table, 2);
}

bool DBLLInfo::WriteRec(TEmgBase* err) {
    db_failed_ = false;
    GenDB* db = GetDb();
    if (!db) return NoDb(err);
    const std::string what = "Mise à jour impossible dans la table " + desc_.table;
    if (!TakeLock(desc_.table, 3, err)) return false;
    const bool ok = [&] {
        // One UPDATE is a transaction of its own. Records with child rows rewrite them in the
        // same transaction, and inside a caller's transaction a savepoint keeps a refused
        // write from spoiling it.
        std::optional<DbTransaction> tx;
        if (HasChildren() || db->TransactionDepth() > 0) {
            tx.emplace(*db);
            if (!tx->ok()) return Fail(err, what);
        }
        const void* rec = CurPtr();
        std::vector<SqlValue> params;
        params.reserve(desc_.columns.size());
        for (size_t i = 1; i < desc_.columns.size(); ++i)
            params.push_back(ValueOf(rec, i));
        params.push_back(ValueOf(rec, 0));
        // The statement returns the row it changed: none means the row is gone.
        long changed = 0;
        if (!QueryLong(Statement(kUpdate, 0, 0), params, &changed, err, what)) return false;
        if (changed == 0)
            return Fail(err,
                        what + " : l'enregistrement n'existe plus (supprimé par un autre poste)",
                        false);
        if (!WriteChildren(*db, err)) return false;
        if (tx && !tx->Commit()) return Fail(err, what);
        return true;
    }();
    DropLock(desc_.table, 3);
    if (ok && list_pos_ >= 0 && static_cast<size_t>(list_pos_) < ListSize())
        ListStore(static_cast<size_t>(list_pos_));
    return ok;
}

bool DBLLInfo::AddRec(TEmgBase* err) {
    db_failed_ = false;
    GenDB* db = GetDb();
    if (!db) return NoDb(err);
    const std::string what = "Ajout impossible dans la table " + desc_.table;
    void* rec = CurPtr();
    const host::ColumnDesc& pk = desc_.columns[0];
    char* pk_member = static_cast<char*>(rec) + pk.offset;
    const SqlValue old_id = ValueOf(rec, 0);
    if (!desc_.NumericKey() && old_id.s.empty())
        return Fail(err, what + " : le code est vide", false);
    if (!TakeLock(desc_.table, 3, err)) return false;
    bool numbered = false;
    const bool ok = [&] {
        DbTransaction tx(*db);
        if (!tx.ok()) return Fail(err, what);
        if (desc_.NumericKey() && old_id.i <= 0) {
            long max_id = 0;
            if (!QueryLong(Statement(kMaxId, 0, 0), {}, &max_id, err)) return false;
            numbered = true;
            if (pk.type == host::ColType::Long)
                *reinterpret_cast<long*>(pk_member) = max_id + 1;
            else if (pk.type == host::ColType::Int)
                *reinterpret_cast<int32_t*>(pk_member) = static_cast<int32_t>(max_id + 1);
            else
                *reinterpret_cast<short*>(pk_member) = static_cast<short>(max_id + 1);
        }
        std::vector<SqlValue> params;
        params.reserve(desc_.columns.size());
        for (size_t i = 0; i < desc_.columns.size(); ++i)
            params.push_back(ValueOf(rec, i));
        if (db->dbExecuteParams(Statement(kInsert, 0, 0).c_str(), params) != 0)
            return Fail(err, what);
        if (!WriteChildren(*db, err)) return false;
        if (!tx.Commit()) return Fail(err, what);
        return true;
    }();
    DropLock(desc_.table, 3);
    if (!ok && numbered) {
        // The record keeps the number it had.
        if (pk.type == host::ColType::Long)
            *reinterpret_cast<long*>(pk_member) = static_cast<long>(old_id.i);
        else if (pk.type == host::ColType::Int)
            *reinterpret_cast<int32_t*>(pk_member) = static_cast<int32_t>(old_id.i);
        else
            *reinterpret_cast<short*>(pk_member) = static_cast<short>(old_id.i);
    }
    return ok;
}

bool DBLLInfo::DeleteRec(TEmgBase* err) {
    db_failed_ = false;
    GenDB* db = GetDb();
    if (!db) return NoDb(err);
    const std::string what = "Suppression impossible dans la table " + desc_.table;
    if (!TakeLock(desc_.table, 3, err)) return false;
    const bool ok = [&] {
        DbTransaction tx(*db);
        if (!tx.ok()) return Fail(err, what);
        if (!DeleteChildren(*db, err)) return false;
        if (db->dbExecuteParams(Statement(kDelete, 0, 0).c_str(), {ValueOf(CurPtr(), 0)}) != 0)
            return Fail(err, what);
        if (!tx.Commit()) return Fail(err, what);
        return true;
    }();
    DropLock(desc_.table, 3);
    return ok;
}

bool DBLLInfo::LoadList(const std::string& where, const std::vector<SqlValue>& params,
                        TEmgBase* err) {
    db_failed_ = false;
    GenDB* db = GetDb();
    ListClear();
    list_pos_ = -1;
    if (!db) return NoDb(err);
    std::string sql = SelectFrom();
    if (!where.empty()) sql += " WHERE " + where;
    sql += " ORDER BY ";
    const auto& order = desc_.keys[static_cast<size_t>(key_)];
    for (size_t i = 0; i < order.size(); ++i)
        sql += (i ? ", " : "") + desc_.columns[order[i]].name;
    if (db->dbOpenParams(sql.c_str(), params, cursor_) != 0)
        return Fail(err, "Lecture impossible de la table " + desc_.table);
    DbCursor* c = db->Cursor(cursor_);
    std::string refused;
    int r = c->Fetch(true);
    for (; r == 0; r = c->Fetch(false))
        if (!ReadRow(*c, ListAppend(), &refused)) break;
    db->dbClose(cursor_);
    if (!refused.empty()) {
        ListClear();
        return Fail(err, refused, false);
    }
    if (r < 0) {
        ListClear();
        return Fail(err, "Lecture impossible de la table " + desc_.table);
    }
    return true;
}

// ---------------------------------------------------------------------------- LLstInfo

bool LLstInfo::FindRecs(const std::string& where, const std::vector<SqlValue>& params,
                        TEmgBase* err) {
    if (!LoadList(where, params, err)) return false;
    return LLGoTo(0);
}

bool LLstInfo::GetAll(TEmgBase* err) {
    return FindRecs("", {}, err);
}

bool LLstInfo::LLGoTo(long index) {
    if (index < 0 || static_cast<size_t>(index) >= ListSize()) return false;
    ListTake(static_cast<size_t>(index));
    list_pos_ = index;
    return OnCurrent(nullptr);
}

void LLstInfo::LLClear() {
    ListClear();
    list_pos_ = -1;
}
