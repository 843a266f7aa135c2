#include "host/db/sqlnorm.h"

#include <cstdlib>

#include "host/base/text.h"

namespace host {
namespace {

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsAlpha(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
// Both engines take letters beyond ASCII (any byte of a UTF-8 sequence) in identifiers.
bool IdentStart(char c) {
    return IsAlpha(c) || c == '_' || static_cast<unsigned char>(c) >= 0x80;
}
bool IdentChar(char c) {
    return IdentStart(c) || IsDigit(c) || c == '$';
}

bool SameWord(std::string_view word, std::string_view upper) {
    if (word.size() != upper.size()) return false;
    for (size_t k = 0; k < word.size(); ++k) {
        char c = word[k];
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (c != upper[k]) return false;
    }
    return true;
}

bool IsComparisonOperator(std::string_view op) {
    return op == "=" || op == "==" || op == "<>" || op == "<" || op == "<=" || op == ">" ||
           op == ">=";
}

class Normalizer {
  public:
    Normalizer(std::string_view sql, bool postgres, bool lift,
               const std::vector<SqlValue>* explicit_params)
        : s_(sql), pg_(postgres), lift_(lift), explicit_(explicit_params) {
        out_.text.reserve(sql.size() + 8);
    }

    NormalizedSql Run();
    bool lifted_literals() const { return lifted_; }

  private:
    // "requête mal formée : <opened> en position N sans <closing>", N counting characters
    // from 1.
    bool Fail(const std::string& opened, size_t at, const std::string& closing) {
        out_.error = "requête mal formée : " + opened + " en position " +
                     std::to_string(U8Length(s_.substr(0, at)) + 1) + " sans " + closing;
        return false;
    }
    // Text the rewriting puts in ("$1", "NOT ") must not glue onto the tokens around it:
    // "A='x'AND" gives "A=$1 AND", not "A=$1AND"; "AND!(" gives "AND NOT (".
    void SpaceBefore() {
        if (!out_.text.empty() && IdentChar(out_.text.back())) out_.text += ' ';
    }
    void Placeholder(SqlValue v) {
        SpaceBefore();
        apart_ = true;
        out_.params.push_back(std::move(v));
        const size_t at = out_.text.size();
        if (pg_) {
            out_.text += '$';
            out_.text += std::to_string(out_.params.size());
        } else {
            out_.text += '?';
        }
        out_.slots.emplace_back(at, out_.text.size() - at);
    }
    bool Lifting() const { return lift_ && dml_ && prev_comparison_; }
    void Significant() {
        in_statement_ = true;
        want_verb_ = false;
    }
    void Copy(size_t from, size_t to) { out_.text.append(s_.data() + from, to - from); }

    bool String(size_t* i);
    bool EscapeString(size_t* i);
    bool QuotedName(size_t* i, char close);
    bool BlockComment(size_t* i);
    bool Dollar(size_t* i);
    void Number(size_t* i);
    void Word(size_t* i);

    std::string_view s_;
    bool pg_, lift_;
    const std::vector<SqlValue>* explicit_;
    size_t next_explicit_ = 0;
    NormalizedSql out_;
    bool prev_comparison_ = false;  // the previous significant token compares
    bool want_verb_ = true;         // no significant token yet but opening parentheses
    bool dml_ = false;              // the first statement is SELECT/UPDATE/DELETE/INSERT/WITH
    bool in_statement_ = false;     // a significant token since the last ';'
    bool lifted_ = false;           // a literal became a parameter
    bool apart_ = false;            // the next token must not touch the text just put in
};

// '...' with '' standing for one quote; lifted after a comparison.
bool Normalizer::String(size_t* i) {
    const size_t start = *i;
    std::string value;
    size_t j = start + 1;
    while (true) {
        const size_t q = s_.find('\'', j);
        if (q == std::string_view::npos)
            return Fail("apostrophe ouverte", start, "apostrophe de fin");
        value.append(s_.data() + j, q - j);
        if (q + 1 < s_.size() && s_[q + 1] == '\'') {
            value += '\'';
            j = q + 2;
            continue;
        }
        j = q + 1;
        break;
    }
    if (Lifting()) {
        Placeholder(SqlValue(std::move(value)));
        lifted_ = true;
    } else {
        Copy(start, j);
    }
    *i = j;
    return true;
}

// PostgreSQL's E'...': a backslash escapes the next character. Kept inline (its value
// would need the escapes decoded).
bool Normalizer::EscapeString(size_t* i) {
    const size_t start = *i;  // at the quote; the E is already copied
    size_t j = start + 1;
    while (j < s_.size()) {
        if (s_[j] == '\\') {
            j += 2;
        } else if (s_[j] == '\'') {
            if (j + 1 < s_.size() && s_[j + 1] == '\'') {
                j += 2;
            } else {
                break;
            }
        } else {
            ++j;
        }
    }
    if (j >= s_.size()) return Fail("apostrophe ouverte", start, "apostrophe de fin");
    Copy(start, j + 1);
    *i = j + 1;
    return true;
}

// "name" (and `name` on SQLite) with the closing character doubled inside, or [name].
bool Normalizer::QuotedName(size_t* i, char close) {
    const size_t start = *i;
    size_t j = start + 1;
    while (true) {
        const size_t q = s_.find(close, j);
        if (q == std::string_view::npos) {
            const char* what = close == '"'   ? "guillemet"
                               : close == '`' ? "accent grave"
                                              : "crochet";
            return Fail(std::string(what) + " ouvert", start, std::string(what) + " de fin");
        }
        if (close != ']' && q + 1 < s_.size() && s_[q + 1] == close) {
            j = q + 2;
            continue;
        }
        j = q + 1;
        break;
    }
    Copy(start, j);
    *i = j;
    return true;
}

// /* ... */, nested on PostgreSQL.
bool Normalizer::BlockComment(size_t* i) {
    const size_t start = *i;
    size_t j = start + 2;
    int depth = 1;
    while (depth > 0) {
        if (j + 1 >= s_.size()) return Fail("commentaire /* ouvert", start, "*/ de fin");
        if (s_[j] == '*' && s_[j + 1] == '/') {
            --depth;
            j += 2;
        } else if (pg_ && s_[j] == '/' && s_[j + 1] == '*') {
            ++depth;
            j += 2;
        } else {
            ++j;
        }
    }
    Copy(start, j);
    *i = j;
    return true;
}

// On PostgreSQL: $1 (a parameter) or a dollar-quoted string $tag$...$tag$.
bool Normalizer::Dollar(size_t* i) {
    const size_t start = *i;
    size_t j = start + 1;
    if (j < s_.size() && IsDigit(s_[j])) {
        while (j < s_.size() && IsDigit(s_[j]))
            ++j;
        Copy(start, j);
        *i = j;
        return true;
    }
    while (j < s_.size() && (IdentStart(s_[j]) || (j > start + 1 && IsDigit(s_[j]))))
        ++j;
    if (j >= s_.size() || s_[j] != '$') {
        Copy(start, start + 1);
        *i = start + 1;
        return true;
    }
    const std::string_view tag = s_.substr(start, j - start + 1);
    const size_t end = s_.find(tag, j + 1);
    if (end == std::string_view::npos)
        return Fail("chaîne " + std::string(tag) + " ouverte", start, std::string(tag) + " de fin");
    Copy(start, end + tag.size());
    *i = end + tag.size();
    return true;
}

// Digits, a decimal part, an exponent; plain integers and decimals are lifted after a
// comparison, anything glued to letters (0x1F, 12abc) or with an exponent stays inline.
void Normalizer::Number(size_t* i) {
    const size_t start = *i;
    size_t j = start;
    bool real = false, plain = true;
    while (j < s_.size() && IsDigit(s_[j]))
        ++j;
    if (j + 1 < s_.size() && s_[j] == '.' && IsDigit(s_[j + 1])) {
        real = true;
        ++j;
        while (j < s_.size() && IsDigit(s_[j]))
            ++j;
    }
    if (j < s_.size() && (s_[j] == 'e' || s_[j] == 'E')) {
        size_t k = j + 1;
        if (k < s_.size() && (s_[k] == '+' || s_[k] == '-')) ++k;
        if (k < s_.size() && IsDigit(s_[k])) {
            plain = false;
            j = k;
            while (j < s_.size() && IsDigit(s_[j]))
                ++j;
        }
    }
    if (j < s_.size() && IdentChar(s_[j])) {
        plain = false;
        while (j < s_.size() && IdentChar(s_[j]))
            ++j;
    }
    if (plain && Lifting() && j - start <= 18) {
        const std::string num(s_.substr(start, j - start));
        if (real && pg_) {
            // A decimal literal is numeric on PostgreSQL: sent as written and cast, it keeps
            // its exact value and compares with an integer column as the literal would.
            Placeholder(SqlValue(num));
            out_.text += "::numeric";
        } else if (real) {
            Placeholder(SqlValue(std::strtod(num.c_str(), nullptr)));
        } else {
            Placeholder(SqlValue(std::strtoll(num.c_str(), nullptr, 10)));
        }
        lifted_ = true;
    } else {
        Copy(start, j);
    }
    *i = j;
}

void Normalizer::Word(size_t* i) {
    const size_t start = *i;
    size_t j = start;
    while (j < s_.size() && IdentChar(s_[j]))
        ++j;
    const std::string_view word = s_.substr(start, j - start);
    Copy(start, j);
    if (want_verb_ && out_.statements == 0) {
        dml_ = SameWord(word, "SELECT") || SameWord(word, "UPDATE") || SameWord(word, "DELETE") ||
               SameWord(word, "INSERT") || SameWord(word, "WITH");
        out_.query = SameWord(word, "SELECT") || SameWord(word, "WITH") || SameWord(word, "VALUES");
    }
    Significant();
    prev_comparison_ = SameWord(word, "LIKE");
    *i = j;
}

NormalizedSql Normalizer::Run() {
    size_t i = 0;
    const size_t n = s_.size();
    while (i < n) {
        const char c = s_[i];
        const char next = i + 1 < n ? s_[i + 1] : '\0';
        if (apart_) {
            apart_ = false;
            if (IdentChar(c) || c == '\'' || c == '"') out_.text += ' ';
        }
        if (IsSpace(c)) {
            out_.text += c;
            ++i;
        } else if (c == '-' && next == '-') {
            const size_t end = s_.find('\n', i);
            const size_t stop = end == std::string_view::npos ? n : end;
            Copy(i, stop);
            i = stop;
        } else if (c == '/' && next == '*') {
            if (!BlockComment(&i)) break;
        } else if (c == '\'') {
            if (!String(&i)) break;
            Significant();
            prev_comparison_ = false;
        } else if (c == '"' || (!pg_ && c == '`')) {
            if (!QuotedName(&i, c)) break;
            Significant();
            prev_comparison_ = false;
        } else if (!pg_ && c == '[') {
            if (!QuotedName(&i, ']')) break;
            Significant();
            prev_comparison_ = false;
        } else if (pg_ && c == '$') {
            if (!Dollar(&i)) break;
            Significant();
            prev_comparison_ = false;
        } else if (IsDigit(c)) {
            Number(&i);
            Significant();
            prev_comparison_ = false;
        } else if (IdentStart(c)) {
            if (pg_ && (c == 'E' || c == 'e') && next == '\'' &&
                (i == 0 || !IdentChar(s_[i - 1]))) {
                out_.text += c;
                ++i;
                if (!EscapeString(&i)) break;
                Significant();
                prev_comparison_ = false;
            } else {
                Word(&i);
            }
        } else if (c == '!') {
            // "!=" is "<>"; a lone "!" is the reports' negation, which neither engine takes.
            if (next == '=') {
                out_.text += "<>";
                prev_comparison_ = true;
                i += 2;
            } else {
                SpaceBefore();
                out_.text += "NOT ";
                prev_comparison_ = false;
                ++i;
            }
            Significant();
        } else if (c == '<' || c == '>' || c == '=') {
            size_t j = i + 1;
            while (j < n && (s_[j] == '<' || s_[j] == '>' || s_[j] == '='))
                ++j;
            const std::string_view op = s_.substr(i, j - i);
            Copy(i, j);
            Significant();
            prev_comparison_ = IsComparisonOperator(op);
            i = j;
        } else if (c == '?') {
            if (explicit_ && next_explicit_ < explicit_->size())
                Placeholder((*explicit_)[next_explicit_++]);
            else
                Placeholder(SqlValue());
            Significant();
            prev_comparison_ = false;
            ++i;
        } else if (c == ';') {
            if (in_statement_) ++out_.statements;
            in_statement_ = false;
            out_.text += c;
            prev_comparison_ = false;
            ++i;
        } else {
            out_.text += c;
            // Opening parentheses may come before the first statement's verb.
            if (c != '(') Significant();
            in_statement_ = true;
            prev_comparison_ = false;
            ++i;
        }
    }
    if (!out_.error.empty()) {
        NormalizedSql failed;
        failed.error = std::move(out_.error);
        return failed;
    }
    if (in_statement_) ++out_.statements;
    out_.liftable = dml_ && out_.statements == 1;
    return std::move(out_);
}

}  // namespace

NormalizedSql NormalizeSql(std::string_view sql, bool postgres, bool lift,
                           const std::vector<SqlValue>* explicit_params) {
    Normalizer n(sql, postgres, lift, explicit_params);
    NormalizedSql out = n.Run();
    // Several statements are run as text: a literal lifted from one would shift the others.
    if (out.statements > 1 && n.lifted_literals())
        return NormalizeSql(sql, postgres, false, explicit_params);
    return out;
}

std::string InlineParams(const NormalizedSql& n,
                         const std::function<std::string(const SqlValue&)>& value_text) {
    std::string out;
    out.reserve(n.text.size() + 16 * n.slots.size());
    size_t from = 0;
    for (size_t k = 0; k < n.slots.size() && k < n.params.size(); ++k) {
        const auto [at, length] = n.slots[k];
        out.append(n.text, from, at - from);
        const SqlValue& v = n.params[k];
        out += v.kind == SqlValue::Kind::Null ? "NULL" : SqlQuote(value_text(v));
        from = at + length;
    }
    out.append(n.text, from);
    return out;
}

}  // namespace host
