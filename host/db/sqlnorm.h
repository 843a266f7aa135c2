// Turns a statement with inline values into a reusable statement shape with parameters.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "host/db/gendb.h"

namespace host {

struct NormalizedSql {
    std::string text;              // with placeholders
    std::vector<SqlValue> params;  // the lifted literals, in order
    bool liftable = false;         // a single SELECT/UPDATE/DELETE/INSERT/WITH statement
};

// Rewrites "!(" as "NOT (" and lifts the string and number literals that follow a
// comparison operator or LIKE into placeholders: "?" (dollar == false) or "$1", "$2", ...
// Existing "?" placeholders take the values of `explicit_params` in order (numbered too when
// dollar is true). Literals elsewhere (select lists, ORDER BY, function arguments) stay as
// they are.
NormalizedSql NormalizeSql(std::string_view sql, bool dollar, bool lift = true,
                           const std::vector<SqlValue>* explicit_params = nullptr);

}  // namespace host
