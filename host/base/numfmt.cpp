#include "host/base/numfmt.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

namespace host {

std::string FormatAmount(int64_t cents, int width, bool commas) {
    const bool negative = cents < 0;
    // Magnitude as unsigned so that INT64_MIN formats too.
    const uint64_t mag = negative ? 0 - static_cast<uint64_t>(cents) : static_cast<uint64_t>(cents);
    std::string units = std::to_string(mag / 100);
    if (commas) {
        for (int i = static_cast<int>(units.size()) - 3; i > 0; i -= 3)
            units.insert(static_cast<size_t>(i), ",");
    }
    char frac[4];
    std::snprintf(frac, sizeof frac, "%02u", static_cast<unsigned>(mag % 100));
    std::string s = (negative ? "-" : "") + units + "." + frac;
    if (width > 0 && s.size() < static_cast<size_t>(width))
        s.insert(0, static_cast<size_t>(width) - s.size(), ' ');
    return s;
}

bool ParseAmount(const std::string& text, int64_t* cents) {
    std::string t;
    for (char c : text)
        if (c != ' ' && c != '$') t += c;
    if (t.empty()) return false;
    bool negative = false;
    size_t i = 0;
    if (t[0] == '-' || t[0] == '+') {
        negative = t[0] == '-';
        i = 1;
    }
    // A comma followed by exactly one or two digits at the end is a decimal comma.
    const size_t comma = t.rfind(',');
    if (comma != std::string::npos && t.find('.') == std::string::npos &&
        t.size() - comma - 1 <= 2 && t.size() - comma - 1 >= 1)
        t[comma] = '.';
    int64_t units = 0, frac = 0;
    int frac_digits = 0;
    bool seen_digit = false, in_frac = false;
    for (; i < t.size(); ++i) {
        const char c = t[i];
        if (c == ',' && !in_frac) continue;
        if (c == '.' && !in_frac) {
            in_frac = true;
            continue;
        }
        if (c < '0' || c > '9') return false;
        seen_digit = true;
        if (in_frac) {
            if (++frac_digits > 2) return false;
            frac = frac * 10 + (c - '0');
        } else {
            units = units * 10 + (c - '0');
            if (units > std::numeric_limits<int32_t>::max() / 100) return false;
        }
    }
    if (!seen_digit) return false;
    if (frac_digits == 1) frac *= 10;
    int64_t v = units * 100 + frac;
    if (v > std::numeric_limits<int32_t>::max()) return false;
    *cents = negative ? -v : v;
    return true;
}

int64_t PercentOf(int64_t cents, double percent) {
    const double v = static_cast<double>(cents) * percent / 100.0;
    return static_cast<int64_t>(v >= 0 ? std::floor(v + 0.5) : std::ceil(v - 0.5));
}

std::string StoredValueOutOfRange(std::string_view table, std::string_view column, int64_t row_id,
                                  int64_t value) {
    return "Valeur hors limites dans la table " + std::string(table) + ", ligne " +
           std::to_string(row_id) + " : " + std::string(column) + " vaut " + std::to_string(value) +
           " ; une valeur enregistrée tient sur 32 bits (de " +
           std::to_string(std::numeric_limits<int32_t>::min()) + " à " +
           std::to_string(std::numeric_limits<int32_t>::max()) + ") : la ligne est refusée.";
}

}  // namespace host

namespace {
char* CopyOut(char* buf, const std::string& s) {
    std::memcpy(buf, s.c_str(), s.size() + 1);
    return buf;
}
}  // namespace

char* MakeNumericFormat(int64_t cents, char* buf, int width) {
    return CopyOut(buf, host::FormatAmount(cents, width, true));
}

char* MakeNoCommaNumFormat(int64_t cents, char* buf, int width) {
    return CopyOut(buf, host::FormatAmount(cents, width, false));
}
