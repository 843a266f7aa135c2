// Writing the rows of a hand-built practice: statements that must succeed, so a failure
// throws with the statement and the engine's message.
#pragma once

#include <stdexcept>
#include <string>

#include "host/db/gendb.h"

namespace testing_support {

inline void Exec(GenDB& db, const std::string& sql) {
    if (db.dbExecute(sql) != 0) throw std::runtime_error(sql + ": " + db.dbLastError());
}

// Inserts one row into table (the database's prefix added): Insert(db, "PATIENT",
// "PAT_ID, PAT_LNAME", "1, 'Roy'").
inline void Insert(GenDB& db, const std::string& table, const std::string& cols,
                   const std::string& vals) {
    Exec(db, "INSERT INTO " + std::string(db.dbTablePrefix()) + table + " (" + cols + ") VALUES (" +
                 vals + ")");
}

// Insert bound to one database, for a builder's many rows.
inline auto Inserter(GenDB& db) {
    return [&db](const std::string& table, const std::string& cols, const std::string& vals) {
        Insert(db, table, cols, vals);
    };
}

}  // namespace testing_support
