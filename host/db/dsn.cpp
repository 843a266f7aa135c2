#include "host/db/dsn.h"

#include <algorithm>
#include <utility>

#include "host/db/gendb.h"

namespace host {
namespace {

using Span = std::pair<size_t, size_t>;  // [begin, end) of a password value

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string PercentDecoded(std::string_view v) {
    std::string out;
    for (size_t k = 0; k < v.size(); ++k) {
        if (v[k] == '%' && k + 2 < v.size() && HexDigit(v[k + 1]) >= 0 && HexDigit(v[k + 2]) >= 0) {
            out += static_cast<char>(HexDigit(v[k + 1]) * 16 + HexDigit(v[k + 2]));
            k += 2;
        } else {
            out += v[k];
        }
    }
    return out;
}

// Whether blanks at i are followed by "keyword =" (or by the end).
bool KeywordAt(std::string_view dsn, size_t i) {
    while (i < dsn.size() && IsBlank(dsn[i]))
        ++i;
    if (i == dsn.size()) return true;
    size_t k = i;
    while (k < dsn.size() && ((dsn[k] >= 'a' && dsn[k] <= 'z') || dsn[k] == '_'))
        ++k;
    if (k == i) return false;
    while (k < dsn.size() && IsBlank(dsn[k]))
        ++k;
    return k < dsn.size() && dsn[k] == '=';
}

size_t SchemeEnd(std::string_view dsn) {
    for (std::string_view scheme : {"postgresql://", "postgres://"})
        if (dsn.substr(0, scheme.size()) == scheme) return scheme.size();
    return std::string_view::npos;
}

// Where the passwords of dsn are. A URI: the part after "user:" up to the last '@' (a
// password holding a stray '/', '?' or '@' is still covered), and every "password=" query
// value. Keywords: each password = value, quoted or not.
std::vector<Span> PasswordSpans(std::string_view dsn, bool* uri) {
    std::vector<Span> spans;
    const size_t start = SchemeEnd(dsn);
    *uri = start != std::string_view::npos;
    if (*uri) {
        const size_t at = dsn.rfind('@');
        if (at != std::string_view::npos && at > start) {
            const size_t colon = dsn.find(':', start);
            if (colon < at) spans.emplace_back(colon + 1, at);
        }
        for (size_t p = dsn.find("password=", start); p != std::string_view::npos;
             p = dsn.find("password=", p + 1)) {
            if (dsn[p - 1] != '?' && dsn[p - 1] != '&') continue;
            const size_t begin = p + 9;
            size_t end = dsn.find('&', begin);
            if (end == std::string_view::npos) end = dsn.size();
            spans.emplace_back(begin, end);
        }
        return spans;
    }
    for (size_t p = dsn.find("password"); p != std::string_view::npos;
         p = dsn.find("password", p + 1)) {
        if (p > 0 && !IsBlank(dsn[p - 1])) continue;
        size_t k = p + 8;
        while (k < dsn.size() && IsBlank(dsn[k]))
            ++k;
        if (k >= dsn.size() || dsn[k] != '=') continue;
        ++k;
        while (k < dsn.size() && IsBlank(dsn[k]))
            ++k;
        if (k < dsn.size() && dsn[k] == '\'') {
            size_t e = k + 1;
            while (e < dsn.size() && dsn[e] != '\'')
                e += dsn[e] == '\\' ? 2 : 1;
            spans.emplace_back(k + 1, std::min(e, dsn.size()));
        } else {
            // Unquoted, the value ends at a blank; a password holding blanks (which libpq
            // refuses) is masked up to the next "keyword=" so that no part of it shows.
            size_t e = k;
            while (e < dsn.size() && !(IsBlank(dsn[e]) && KeywordAt(dsn, e)))
                ++e;
            while (e > k && IsBlank(dsn[e - 1]))
                --e;
            spans.emplace_back(k, e);
        }
    }
    return spans;
}

}  // namespace

std::vector<std::string> DsnPasswords(std::string_view dsn) {
    bool uri = false;
    std::vector<std::string> out;
    for (const auto& [b, e] : PasswordSpans(dsn, &uri)) {
        if (e <= b) continue;
        const std::string_view raw = dsn.substr(b, e - b);
        out.emplace_back(raw);
        // The pieces of a password holding blanks, or characters a URI uses as separators:
        // libpq, reading it wrongly, may quote one piece alone.
        const auto separator = [&](char c) {
            return IsBlank(c) ||
                   (uri && std::string_view("@/:?#&").find(c) != std::string_view::npos);
        };
        for (size_t w = 0; w < raw.size();) {
            while (w < raw.size() && separator(raw[w]))
                ++w;
            size_t end = w;
            while (end < raw.size() && !separator(raw[end]))
                ++end;
            if (end > w && end - w < raw.size()) out.emplace_back(raw.substr(w, end - w));
            w = end;
        }
        std::string as_sent;
        if (uri) {
            as_sent = PercentDecoded(raw);
        } else {
            for (size_t k = 0; k < raw.size(); ++k)
                if (raw[k] != '\\' || ++k < raw.size()) as_sent += raw[k];
        }
        if (as_sent != raw && !as_sent.empty()) out.push_back(std::move(as_sent));
    }
    return out;
}

namespace {

// text with each password of dsn of four characters or more replaced by "***"; *short_seen
// tells whether a shorter one appears in what is left.
std::string ReplaceSecrets(std::string_view text, std::string_view dsn, bool* short_seen) {
    std::string out(text);
    std::vector<std::string> secrets = DsnPasswords(dsn);
    // Longest first, so that a password containing another is replaced whole.
    std::sort(secrets.begin(), secrets.end(),
              [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
    *short_seen = false;
    for (const std::string& secret : secrets) {
        if (secret.size() < 4) {
            if (out.find(secret) != std::string::npos) *short_seen = true;
            continue;
        }
        for (size_t p = out.find(secret); p != std::string::npos; p = out.find(secret, p + 3))
            out.replace(p, secret.size(), "***");
    }
    return out;
}

}  // namespace

std::string MaskDsn(std::string_view dsn) {
    bool uri = false;
    std::vector<Span> spans = PasswordSpans(dsn, &uri);
    std::sort(spans.begin(), spans.end());
    std::string out;
    size_t from = 0;
    for (const auto& [b, e] : spans) {
        if (b < from) continue;  // overlapping spans: already masked
        out.append(dsn.substr(from, b - from));
        out += "***";
        from = e;
    }
    out.append(dsn.substr(std::min(from, dsn.size())));
    // The password given again as another option's value.
    bool short_seen = false;
    return ReplaceSecrets(out, dsn, &short_seen);
}

std::string ScrubDsnSecrets(std::string_view text, std::string_view dsn) {
    bool short_seen = false;
    std::string out = ReplaceSecrets(text, dsn, &short_seen);
    return short_seen ? std::string() : out;
}

std::string OneLine(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c == '\n' || c == '\r' || c == '\t') c = ' ';
        if (c == ' ' && (out.empty() || out.back() == ' ')) continue;
        out += c;
    }
    while (!out.empty() && out.back() == ' ')
        out.pop_back();
    return out;
}

}  // namespace host
