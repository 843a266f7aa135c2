// Rows waiting to be loaded. The generator writes a practice account by account, touching
// every table as it goes, while a bulk load (COPY on PostgreSQL) takes one table at a time:
// each table's rows are kept in a compact form in a temporary file until the load.
#pragma once

#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "host/db/gendb.h"

namespace demo {

// A table and the columns the generator fills, in the order its rows give them.
struct TableDef {
    std::string name;
    std::vector<std::string> columns;
};

class Spool {
  public:
    explicit Spool(const TableDef* def);
    ~Spool();
    Spool(const Spool&) = delete;
    Spool& operator=(const Spool&) = delete;

    Spool& Int(int64_t v);
    Spool& Text(std::string_view v);
    // A flag or code of one character ('\0' writes an empty text).
    Spool& Char(char c) { return Text(c ? std::string_view(&c, 1) : std::string_view()); }
    // Ends a row; the number of values must match the columns.
    void End();

    const TableDef& def() const { return *def_; }
    // Rows written since the spool was made, and those not yet loaded or dropped.
    long rows() const { return rows_; }
    long pending() const { return pending_; }
    // FNV-1a of everything written, in order.
    uint64_t hash() const { return hash_; }
    bool ok() const { return error_.empty(); }
    const std::string& error() const { return error_; }

    // Writes out what is still buffered (the hash then covers every row).
    void Flush();
    // Sends the pending rows to a bulk loader, then forgets them; false with *error set on
    // failure.
    bool LoadInto(host::BulkLoader& loader, std::string* error);
    // Forgets the pending rows without loading them (they still count in the hash).
    void Drop();

  private:
    void Put(const char* data, size_t n);
    void PutVarint(uint64_t v);

    const TableDef* def_;
    std::FILE* file_ = nullptr;
    std::string buffer_;
    size_t values_ = 0;
    long rows_ = 0;
    long pending_ = 0;
    uint64_t hash_ = 1469598103934665603ULL;
    std::string error_;
};

// The spools of a run, one per table, created on first use.
class SpoolSet {
  public:
    Spool& operator[](const TableDef& def);
    // The spool of a table, or null when nothing was written to it.
    Spool* Find(const std::string& table);
    // Flushes every spool and returns the combined hash of every table, in table-name order.
    uint64_t Seal();

  private:
    std::map<std::string, std::unique_ptr<Spool>> spools_;
};

}  // namespace demo
