// The bases of the host's record classes. Every record class is a table description (its
// columns bound to the members of a record struct, its numbered keys) over one generic
// engine:
//   GenInfo     the database context, lock and keep packets over several tables
//   DBLLInfo    reads and writes of one table: walks in key order, finds, by-id reads,
//               locks of its table, WriteRec / AddRec / DeleteRec
//   LLstInfo    an in-memory list of records (FindRecs, GetAll) walked with LLGoTo
//   RecordInfo  the typed layer that owns the record buffer (GetItem) of struct R
//
// Walks stream: rows are read in chunks ordered by the key's columns and the primary key,
// each chunk starting after the last row of the previous one, so a walk over millions of
// rows holds one chunk (at most 4096 records) in memory and any number of objects can walk
// at once. Each chunk is read whole on a cursor number of the object's own, taken from the
// range 30000-30999 that is reserved for record objects. Statement texts are constant per
// operation and every value is bound, so GenDB's statement cache compiles each once.
// Key columns are expected to hold values, not NULL (the schema gives them defaults and
// these classes never write NULL): a row whose key column is NULL is not found by a find
// and may be passed over by a walk.
//
// The current record is the one the last read delivered, whether from the database (walks,
// finds, by-id reads) or from the in-memory list (LLGoTo); GetItem gives it, and WriteRec
// and DeleteRec act on it.
//
// Operations return false on failure with the error object set: the TEmgBase passed in, or
// else the message holder's. "Not found" and "end of walk" also return false but leave the
// error object alone; DbFailed() tells the two apart.
//
// Locks: LockIt/UnLockIt take the table's lock (mode 3 excludes, mode 2 shares),
// DoKeep/UndoKeep hold it shared around long scans; WriteRec, AddRec and DeleteRec take the
// excluding lock themselves for the length of their transaction (nested in any lock the
// caller holds). Every lock an object takes is released by its destructor at the latest.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "host/base/errors.h"
#include "host/db/catalog.h"
#include "host/db/gendb.h"
#include "host/records/context.h"

// Table numbers of the lock and keep packets; the same numbers tell the owner of a memo
// (2 patient, 25 user, 37 producer) and of a payment application (17 treatment, 46 office
// charge, 2 patient credit).
enum : int32_t {
    TBL_ACCOUNT = 1,
    TBL_PATIENT = 2,
    TBL_PATPPLAN = 3,
    TBL_PATNOTE = 4,
    TBL_PATDEP = 5,
    TBL_EMPPOL = 6,
    TBL_PRACINFO = 7,
    TBL_PATCLM = 16,
    TBL_CLMTRT = 17,
    TBL_PPSET = 20,
    TBL_DAYEND = 21,
    TBL_DAYDET = 22,
    TBL_DAYSHT = 23,
    TBL_USERIDCD = 25,
    TBL_INSCO = 30,
    TBL_PMTSCD = 31,
    TBL_ADJUSTCD = 32,
    TBL_BANKCD = 33,
    TBL_PROCCD = 34,
    TBL_PROCCAT = 35,
    TBL_OFFCHGCD = 36,
    TBL_PRODCD = 37,
    TBL_STATCD = 38,
    TBL_RDIST = 40,
    TBL_RECSCAN = 41,
    TBL_RSCNCRIT = 42,
    TBL_ACCPMT = 44,
    TBL_PMTAPP = 45,
    TBL_PATOCH = 46,
};

// The table (without prefix) of a table number, or null for an unknown number.
const char* TableNameOf(int32_t table_no);

// A lock packet: table number, a count (1) and the mode (2 shares, 3 excludes).
struct lock_pkt {
    int32_t table;
    int32_t count;
    int32_t mode;
};

// A keep packet: table number, kind ('S' a key's walk, 'K' the whole table) and key
// number. Keeping holds the table's shared lock; kind and key number are informative.
struct keep_pkt {
    int32_t table;
    char kind;
    int32_t key;
};

namespace host {

enum class ColType : uint8_t { Long, Int, Short, Char, Text };

struct ColumnDesc {
    std::string name;
    ColType type;
    int width;      // texts: the column's width in characters
    size_t offset;  // of the member in the record struct
};

// One table: its columns (the primary key first) and keys. Key 0 is the primary key;
// keys 1, 2, ... are the class's own orders. Each key's order ends with the primary key
// so that every row has one place in it.
struct TableDesc {
    std::string table;
    int32_t table_no = 0;
    std::vector<ColumnDesc> columns;
    std::vector<std::vector<size_t>> keys;  // the columns of each key's order
    std::vector<size_t> key_parts;          // how many of them the caller names

    bool NumericKey() const {
        return columns[0].type != ColType::Text && columns[0].type != ColType::Char;
    }
    // Column number of a name (case-insensitive), or -1.
    int ColumnIndex(std::string_view name) const;
};

// Builds a TableDesc by naming the members of a probe record:
//   TableBuilder<account_struct> b("ACCOUNT", TBL_ACCOUNT);
//   b.Col("ACC_ID", b.r.acc_id); b.Col("ACC_LNAME", b.r.lname); b.Key({"ACC_LNAME"});
// The table and its columns are those of schema.sql (host::Schema()); a text's width is its
// column's. A member that does not suit its column (a text on an INTEGER column, a char on a
// column wider than 1, a number on a VARCHAR column), or a column or table the schema does
// not have, throws std::logic_error at the description's first use; the build's schema
// check (cmake/check_schema.cpp) refuses the same bindings before anything is compiled.
template <class R>
class TableBuilder {
  public:
    TableBuilder(const char* table, int32_t table_no) : schema_(Schema().Table(table)) {
        if (!schema_) throw std::logic_error(std::string(table) + ": no such table in schema.sql");
        d_.table = table;
        d_.table_no = table_no;
    }
    R r{};  // the probe whose members name the columns

    void Col(const char* name, long& m) { Add(name, ColType::Long, &m); }
    void Col(const char* name, int32_t& m) { Add(name, ColType::Int, &m); }
    void Col(const char* name, short& m) { Add(name, ColType::Short, &m); }
    void Col(const char* name, char& m) { Add(name, ColType::Char, &m); }
    void Col(const char* name, std::string& m) { Add(name, ColType::Text, &m); }
    // The next key (numbered from 1), by column names.
    void Key(std::initializer_list<const char*> names) {
        std::vector<size_t> cols;
        for (const char* n : names) {
            const int c = d_.ColumnIndex(n);
            if (c < 0) throw std::logic_error(d_.table + ": no column " + n);
            cols.push_back(static_cast<size_t>(c));
        }
        d_.key_parts.push_back(cols.size());
        bool has_pk = false;
        for (size_t c : cols)
            has_pk = has_pk || c == 0;
        if (!has_pk) cols.push_back(0);
        d_.keys.push_back(std::move(cols));
    }
    TableDesc Build() {
        d_.keys.insert(d_.keys.begin(), std::vector<size_t>{0});
        d_.key_parts.insert(d_.key_parts.begin(), 1);
        return std::move(d_);
    }

  private:
    void Add(const char* name, ColType type, const void* member) {
        const SchemaColumn* c = schema_->Column(name);
        const std::string what = d_.table + "." + name;
        if (!c) throw std::logic_error(what + ": no such column in schema.sql");
        int width = 0;
        if (type == ColType::Text || type == ColType::Char) {
            if (c->kind != ColumnKind::Text)
                throw std::logic_error(what + ": a text member on a column of type " + c->type);
            if (type == ColType::Char && c->width != 1)
                throw std::logic_error(what + ": a char member on a column of width " +
                                       std::to_string(c->width));
            width = c->width;
        } else if (c->kind != ColumnKind::Integer) {
            throw std::logic_error(what + ": a number member on a column of type " + c->type);
        }
        const auto offset = static_cast<size_t>(static_cast<const char*>(member) -
                                                reinterpret_cast<const char*>(&r));
        d_.columns.push_back(ColumnDesc{name, type, width, offset});
    }
    const SchemaTable* schema_;
    TableDesc d_;
};

}  // namespace host

// The database context shared by every record class, and locks over several tables.
class GenInfo {
  public:
    GenInfo(DLnkList* list, MsgInfo* msg);
    virtual ~GenInfo();
    GenInfo(const GenInfo&) = delete;
    GenInfo& operator=(const GenInfo&) = delete;

    GenDB* GetDb() const;
    DLnkList* GetList() const { return list_; }
    MsgInfo* GetMsg() const { return msg_; }

    // Takes every packet's lock (table number, 1, mode), in order; on a failure releases
    // the ones taken and returns false. FreeAll releases what this object holds of them.
    bool LockAll(const lock_pkt* pkts, int count, TEmgBase* err = nullptr);
    bool LockAll(const std::vector<lock_pkt>& pkts, TEmgBase* err = nullptr) {
        return LockAll(pkts.data(), static_cast<int>(pkts.size()), err);
    }
    bool FreeAll(const lock_pkt* pkts, int count);
    bool FreeAll(const std::vector<lock_pkt>& pkts) {
        return FreeAll(pkts.data(), static_cast<int>(pkts.size()));
    }
    // Holds every packet's table steady (shared lock) for a long scan; UnKeepAll releases.
    bool KeepAll(const keep_pkt* pkts, int count, TEmgBase* err = nullptr);
    bool KeepAll(const std::vector<keep_pkt>& pkts, TEmgBase* err = nullptr) {
        return KeepAll(pkts.data(), static_cast<int>(pkts.size()), err);
    }
    bool UnKeepAll(const keep_pkt* pkts, int count);
    bool UnKeepAll(const std::vector<keep_pkt>& pkts) {
        return UnKeepAll(pkts.data(), static_cast<int>(pkts.size()));
    }

    // The error object an operation reports to: err, else the message holder's.
    TEmgBase* ErrorTarget(TEmgBase* err);
    // True when the last operation failed on the database (rather than finding nothing).
    bool DbFailed() const { return db_failed_; }

  protected:
    // Records text (followed by the database's last error when there is one) and returns
    // false.
    bool Fail(TEmgBase* err, const std::string& text, bool with_db_error = true);
    // A lock on a table by name, counted per object so that the destructor and the Free/
    // UnKeep calls release exactly what this object took.
    bool TakeLock(const std::string& table, int mode, TEmgBase* err);
    bool DropLock(const std::string& table, int mode);
    bool NoDb(TEmgBase* err);

    bool db_failed_ = false;

  private:
    DLnkList* list_;
    MsgInfo* msg_;
    TEmgBase own_errors_;
    std::map<std::pair<std::string, int>, int> held_;  // (table, mode) -> count
};

// Reads and writes of one table through its description.
class DBLLInfo : public GenInfo {
  public:
    DBLLInfo(DLnkList* list, MsgInfo* msg, const host::TableDesc& desc);
    ~DBLLInfo() override;

    const host::TableDesc& Desc() const { return desc_; }
    const char* TableName() const { return desc_.table.c_str(); }

    // The key that DBGetFirst/DBGetNext follow (0: the primary key). False for a key the
    // class does not have.
    bool SetKey(int key);
    int GetKey() const { return key_; }

    // The first record, or the next one, in the current key's order.
    bool DBGetFirst(TEmgBase* err = nullptr);
    bool DBGetNext(TEmgBase* err = nullptr);
    // The first record whose key starts with values (one value per leading column of
    // the key, at most as many as the key names); the key becomes the current key.
    bool DBFindFirst(int key, const std::vector<host::SqlValue>& values, TEmgBase* err = nullptr);
    // The first record whose leading key columns are at or after values.
    bool DBLocateFirst(int key, const std::vector<host::SqlValue>& values, TEmgBase* err = nullptr);
    // The next record in key order while its leading key columns still equal the values
    // of the last DBFindFirst/DBLocateFirst; false (record unchanged) at the first that
    // differs. After DBGetFirst it behaves as DBGetNext.
    bool DBFindNext(TEmgBase* err = nullptr);
    // The record with this primary key value; DBGetNext then goes on from it.
    bool DBFindRecById(const host::SqlValue& id, TEmgBase* err = nullptr);
    // Rows in the table; -1 on failure.
    long GetRecCount(TEmgBase* err = nullptr);

    bool LockIt(int mode = 3, TEmgBase* err = nullptr);
    bool UnLockIt(int mode = 3);
    bool DoKeep(TEmgBase* err = nullptr);
    bool UndoKeep();

    // Rewrites the current record (found by its primary key). Fails, leaving the row as it
    // was, when the row no longer exists or the table is locked by another workstation.
    bool WriteRec(TEmgBase* err = nullptr);
    // Inserts the current record. A numeric primary key of 0 or less takes the next free
    // number (the highest + 1, read under the table's lock).
    bool AddRec(TEmgBase* err = nullptr);
    // Deletes the current record (by its primary key).
    bool DeleteRec(TEmgBase* err = nullptr);

  protected:
    // The typed layer's storage: the current record, the chunk being walked and the
    // in-memory list.
    virtual void* CurPtr() = 0;
    virtual void* ChunkSlot(size_t i) = 0;  // grows the chunk to hold row i
    virtual const void* ChunkRow(size_t i) const = 0;
    virtual void TakeChunkRow(size_t i) = 0;  // moves row i into the current record
    virtual void* ListAppend() = 0;
    virtual void ListClear() = 0;
    virtual size_t ListSize() const = 0;
    virtual void ListTake(size_t i) = 0;   // copies item i into the current record
    virtual void ListStore(size_t i) = 0;  // copies the current record into item i
    // Classes whose records span child rows load and store them here.
    virtual bool HasChildren() const { return false; }
    virtual bool OnCurrent(TEmgBase* err) { return true; }
    virtual bool WriteChildren(GenDB& db, TEmgBase* err) { return true; }
    virtual bool DeleteChildren(GenDB& db, TEmgBase* err) { return true; }

    // The list item the current record came from (-1: none).
    long list_pos_ = -1;
    // Reads rows of a statement (select list: every column in order) into the list.
    bool LoadList(const std::string& where, const std::vector<host::SqlValue>& params,
                  TEmgBase* err);
    int cursor() const { return cursor_; }
    // "SELECT <every column> FROM <prefix>TABLE".
    const std::string& SelectFrom();
    // A table's name with the database's prefix (this class's table by default).
    std::string Prefixed() const;
    std::string Prefixed(const char* table) const;
    // The first column of the first row of a query (0 when there is no row); false, with
    // the error object set (to what, else a read failure), when the query fails.
    bool QueryLong(const std::string& sql, const std::vector<host::SqlValue>& params, long* out,
                   TEmgBase* err, const std::string& what = "");
    // Runs a statement; false, with the error object set to what, on failure.
    bool Execute(const std::string& sql, const std::vector<host::SqlValue>& params,
                 const std::string& what, TEmgBase* err);
    // Reads the current row of cursor into a record; false, with *refused set to the
    // message, when a 32-bit column holds a value beyond that range (never cut silently).
    bool ReadRow(host::DbCursor& c, void* rec, std::string* refused) const;
    // A member of a record as a statement value (texts cut to the column's width).
    host::SqlValue ValueOf(const void* rec, size_t column) const;

  private:
    enum class Mode { None, All, Find, Locate };
    bool Position(Mode mode, int key, const std::vector<host::SqlValue>& values, TEmgBase* err);
    bool Step(bool only_matching, TEmgBase* err);
    bool Fetch(const std::string& sql, const std::vector<host::SqlValue>& params, TEmgBase* err);
    bool LeadingMatch(const void* rec) const;
    const std::string& Statement(int kind, int key, size_t parts);
    bool MakeCurrent(size_t i, TEmgBase* err);

    const host::TableDesc& desc_;
    int cursor_;
    int key_ = 0;
    // Walk state: the rows of the last chunk, where the walk stands in it, whether more
    // rows may follow it, and the order values of its last row.
    Mode mode_ = Mode::None;
    int walk_key_ = 0;
    std::vector<host::SqlValue> search_;
    size_t chunk_rows_ = 0;
    size_t chunk_pos_ = 0;  // the next row to deliver
    bool chunk_full_ = false;
    bool chunk_filtered_ = false;  // the chunk holds only rows that match search_
    size_t next_limit_ = 0;
    std::vector<host::SqlValue> after_;
    std::map<int, std::string> statements_;
    std::string select_from_;
};

// An in-memory list of records.
class LLstInfo : public DBLLInfo {
  public:
    using DBLLInfo::DBLLInfo;
    // Loads the records that meet a condition ("PAT_ACCID = ? AND PAT_STATUS = ?", values
    // bound in order; empty: every record), in the current key's order, and makes the
    // first current. False when none was found.
    bool FindRecs(const std::string& where, const std::vector<host::SqlValue>& params = {},
                  TEmgBase* err = nullptr);
    // Loads the whole table, in the current key's order; false when it is empty.
    bool GetAll(TEmgBase* err = nullptr);
    // Makes list item index (from 0) the current record; false past the end.
    bool LLGoTo(long index);
    long LLCount() const { return static_cast<long>(ListSize()); }
    long LLIndex() const { return list_pos_; }
    void LLClear();
};

// The typed layer: the current record buffer and the storage of the walks and lists.
template <class R>
class RecordInfo : public LLstInfo {
  public:
    using Record = R;
    // The current record (the buffer that reads fill and writes take).
    R* GetItem() { return &rec_; }
    R* GetRecPtr() { return &rec_; }
    const R& Rec() const { return rec_; }
    void ClearRec() { rec_ = R{}; }
    // The loaded list.
    const std::vector<R>& Items() const { return list_; }

  protected:
    RecordInfo(DLnkList* list, MsgInfo* msg, const host::TableDesc& desc)
        : LLstInfo(list, msg, desc) {}

    void* CurPtr() override { return &rec_; }
    void* ChunkSlot(size_t i) override {
        if (chunk_.size() <= i) chunk_.resize(i + 1);
        return &chunk_[i];
    }
    const void* ChunkRow(size_t i) const override { return &chunk_[i]; }
    void TakeChunkRow(size_t i) override { rec_ = std::move(chunk_[i]); }
    void* ListAppend() override { return &list_.emplace_back(); }
    void ListClear() override { list_.clear(); }
    size_t ListSize() const override { return list_.size(); }
    void ListTake(size_t i) override { rec_ = list_[i]; }
    void ListStore(size_t i) override { list_[i] = rec_; }

    R rec_{};

  private:
    std::vector<R> chunk_;
    std::vector<R> list_;
};
