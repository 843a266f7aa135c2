// Turns a statement with inline values into a reusable statement shape with parameters.
// The text is read with an SQL tokenizer of the engine's dialect, so that quotes, comments
// and quoted identifiers are never mistaken for one another; malformed text is refused here,
// before it reaches the engine.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "host/db/gendb.h"

namespace host {

struct NormalizedSql {
    std::string text;              // with placeholders
    std::vector<SqlValue> params;  // the lifted literals, in order
    // Where each parameter's placeholder stands in text: (offset, length), in order.
    std::vector<std::pair<size_t, size_t>> slots;
    bool liftable = false;  // a single SELECT/UPDATE/DELETE/INSERT/WITH statement
    bool query = false;     // the first statement starts with SELECT, WITH or VALUES
    int statements = 0;     // statements of the text (';' outside quotes and comments)
    std::string error;      // why the text is malformed (French); empty when it is not
};

// Rewrites "!(" as "NOT (" and lifts the string and number literals that follow a
// comparison operator or LIKE into placeholders: "?" on SQLite, "$1", "$2", ... on PostgreSQL
// (postgres == true). Existing "?" placeholders take the values of `explicit_params` in order
// (numbered too on PostgreSQL). Literals elsewhere (select lists, ORDER BY, function
// arguments), typed or prefixed literals (X'..', E'..') and numbers with an exponent stay as
// they are. The dialect decides what the tokenizer knows: PostgreSQL adds E'' strings with
// backslash escapes, dollar quoting ($$..$$, $tag$..$tag$) and nested block comments; SQLite
// adds [..] and `..` identifiers. Text with an unclosed quote, identifier or comment is
// refused (error set, nothing lifted). Text of several statements is not lifted.
NormalizedSql NormalizeSql(std::string_view sql, bool postgres, bool lift = true,
                           const std::vector<SqlValue>* explicit_params = nullptr);

// The normalized text with every parameter written in it as a quoted literal (NULL for a
// null), for a statement that takes no parameters (COPY): a quoted literal has no type until
// its context gives one, as a parameter sent without a type. value_text writes a value as
// it would be sent.
std::string InlineParams(const NormalizedSql& n,
                         const std::function<std::string(const SqlValue&)>& value_text);

}  // namespace host
