// The practice schema as data: each table of schema.sql with its columns' names, kinds,
// widths and defaults, read from the schema's CREATE TABLE statements. schema.sql is the
// one description of the tables; the record classes take their text widths from here, and
// the build's schema check (cmake/check_schema.cpp, which compiles this file on its own)
// holds the record bindings and the demo generator's columns to it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace host {

enum class ColumnKind { Integer, Text };

struct SchemaColumn {
    std::string name;
    ColumnKind kind = ColumnKind::Integer;
    std::string type;  // as written: INTEGER, BIGINT, VARCHAR
    int width = 0;     // texts: the VARCHAR's width in characters; integers: 0
    bool primary_key = false;
    bool has_default = false;
    std::string default_value;  // without its quotes: "0", "Y", ""
    int line = 0;               // of its definition in the schema text, from 1
};

struct SchemaTable {
    std::string name;  // without the prefix
    std::vector<SchemaColumn> columns;
    int line = 0;

    // The column of a name (case-insensitive, as SQL reads it), or null.
    const SchemaColumn* Column(std::string_view column) const;
};

class SchemaCatalog {
  public:
    // Reads the CREATE TABLE statements of a schema text ({P} before each table name);
    // other statements are passed over. False, with *error naming the line, on a table or
    // column it cannot read (an unknown type, a column defined twice, ...).
    bool Parse(std::string_view text, std::string* error);

    const std::vector<SchemaTable>& Tables() const { return tables_; }
    // The table of a name (without prefix, case-insensitive), or null.
    const SchemaTable* Table(std::string_view table) const;
    // A column of a table, or null when either is not in the schema.
    const SchemaColumn* Column(std::string_view table, std::string_view column) const;

  private:
    std::vector<SchemaTable> tables_;
};

// The catalog of the schema compiled into the db layer, read at its first use.
const SchemaCatalog& Schema();

}  // namespace host
