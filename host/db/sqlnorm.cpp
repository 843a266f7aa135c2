#include "host/db/sqlnorm.h"

#include <cctype>

namespace host {
namespace {

bool IdentStart(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) || c == '_';
}
bool IdentChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '$';
}

std::string Upper(std::string_view s) {
    std::string u(s);
    for (char& c : u)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return u;
}

bool IsComparison(const std::string& tok) {
    return tok == "=" || tok == "<>" || tok == "!=" || tok == "<" || tok == "<=" || tok == ">" ||
           tok == ">=" || tok == "LIKE";
}

}  // namespace

NormalizedSql NormalizeSql(std::string_view sql, bool dollar, bool lift,
                           const std::vector<SqlValue>* explicit_params) {
    NormalizedSql out;
    out.text.reserve(sql.size() + 8);

    // Only a single DML statement can take parameters.
    size_t first = 0;
    while (first < sql.size() && std::isspace(static_cast<unsigned char>(sql[first])))
        ++first;
    while (first < sql.size() && sql[first] == '(')
        ++first;
    size_t word_end = first;
    while (word_end < sql.size() && IdentChar(sql[word_end]))
        ++word_end;
    const std::string verb = Upper(sql.substr(first, word_end - first));
    const bool dml = verb == "SELECT" || verb == "UPDATE" || verb == "DELETE" || verb == "INSERT" ||
                     verb == "WITH";
    lift = lift && dml;
    out.liftable = dml;

    size_t next_explicit = 0;
    auto placeholder = [&](SqlValue v) {
        out.params.push_back(std::move(v));
        if (dollar)
            out.text += "$" + std::to_string(out.params.size());
        else
            out.text += '?';
    };

    std::string prev;  // previous significant token, upper-cased
    size_t i = 0;
    while (i < sql.size()) {
        const char c = sql[i];
        if (std::isspace(static_cast<unsigned char>(c))) {
            out.text += c;
            ++i;
        } else if (c == '\'') {
            // String literal with '' escapes.
            size_t j = i + 1;
            std::string value;
            while (j < sql.size()) {
                if (sql[j] == '\'') {
                    if (j + 1 < sql.size() && sql[j + 1] == '\'') {
                        value += '\'';
                        j += 2;
                        continue;
                    }
                    break;
                }
                value += sql[j++];
            }
            const size_t end = j < sql.size() ? j + 1 : j;
            if (lift && IsComparison(prev))
                placeholder(SqlValue(std::move(value)));
            else
                out.text.append(sql.substr(i, end - i));
            prev = "'";
            i = end;
        } else if (c == '"' || c == '`') {
            size_t j = sql.find(c, i + 1);
            const size_t end = j == std::string_view::npos ? sql.size() : j + 1;
            out.text.append(sql.substr(i, end - i));
            prev = "ID";
            i = end;
        } else if (c == '-' && i + 1 < sql.size() && sql[i + 1] == '-') {
            size_t j = sql.find('\n', i);
            const size_t end = j == std::string_view::npos ? sql.size() : j;
            out.text.append(sql.substr(i, end - i));
            i = end;
        } else if (std::isdigit(static_cast<unsigned char>(c))) {
            size_t j = i;
            bool real = false;
            while (j < sql.size() && std::isdigit(static_cast<unsigned char>(sql[j])))
                ++j;
            if (j + 1 < sql.size() && sql[j] == '.' &&
                std::isdigit(static_cast<unsigned char>(sql[j + 1]))) {
                real = true;
                ++j;
                while (j < sql.size() && std::isdigit(static_cast<unsigned char>(sql[j])))
                    ++j;
            }
            const bool glued = j < sql.size() && IdentChar(sql[j]);
            const std::string_view num = sql.substr(i, j - i);
            if (lift && !glued && IsComparison(prev) && num.size() <= 18) {
                if (real)
                    placeholder(SqlValue(std::stod(std::string(num))));
                else
                    placeholder(SqlValue(static_cast<long long>(std::stoll(std::string(num)))));
            } else {
                out.text.append(num);
            }
            prev = "0";
            i = j;
        } else if (IdentStart(c)) {
            size_t j = i;
            while (j < sql.size() && IdentChar(sql[j]))
                ++j;
            out.text.append(sql.substr(i, j - i));
            prev = Upper(sql.substr(i, j - i));
            i = j;
        } else if (c == '!') {
            if (i + 1 < sql.size() && sql[i + 1] == '=') {
                out.text += "<>";
                prev = "<>";
                i += 2;
            } else {
                out.text += "NOT ";
                prev = "NOT";
                ++i;
            }
        } else if (c == '<' || c == '>' || c == '=') {
            size_t j = i + 1;
            if (j < sql.size() && (sql[j] == '=' || (c == '<' && sql[j] == '>'))) ++j;
            out.text.append(sql.substr(i, j - i));
            prev = std::string(sql.substr(i, j - i));
            i = j;
        } else if (c == '?') {
            if (explicit_params && next_explicit < explicit_params->size())
                placeholder((*explicit_params)[next_explicit++]);
            else
                placeholder(SqlValue());
            prev = "?";
            ++i;
        } else {
            out.text += c;
            prev = std::string(1, c);
            ++i;
        }
    }
    return out;
}

}  // namespace host
