#include "host/base/text.h"

#include <cstdio>
#include <cstring>
#include <vector>

size_t host::U8CharLen(std::string_view s, size_t i) {
    const auto c = static_cast<unsigned char>(s[i]);
    size_t n = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 1;
    if (n == 1 || i + n > s.size()) return 1;
    for (size_t k = 1; k < n; ++k)
        if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return 1;
    return n;
}

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Byte length of the first `chars` characters.
size_t PrefixBytes(std::string_view s, size_t chars) {
    size_t i = 0;
    while (chars > 0 && i < s.size()) {
        i += host::U8CharLen(s, i);
        --chars;
    }
    return i;
}

}  // namespace

char* strclip(char* s) {
    if (!s) return s;
    size_t n = std::strlen(s);
    while (n > 0 && IsBlank(s[n - 1]))
        s[--n] = '\0';
    return s;
}

char* strpreclip(char* s) {
    if (!s) return s;
    size_t i = 0;
    while (s[i] && IsBlank(s[i]))
        ++i;
    if (i) std::memmove(s, s + i, std::strlen(s + i) + 1);
    return s;
}

namespace host {

std::string TrimRight(std::string_view s) {
    size_t n = s.size();
    while (n > 0 && IsBlank(s[n - 1]))
        --n;
    return std::string(s.substr(0, n));
}

std::string TrimLeft(std::string_view s) {
    size_t i = 0;
    while (i < s.size() && IsBlank(s[i]))
        ++i;
    return std::string(s.substr(i));
}

std::string_view TrimView(std::string_view s) {
    size_t i = 0, n = s.size();
    while (n > 0 && IsBlank(s[n - 1]))
        --n;
    while (i < n && IsBlank(s[i]))
        ++i;
    return s.substr(i, n - i);
}

std::string Trim(std::string_view s) {
    return std::string(TrimView(s));
}

std::string ToUpper(std::string_view s) {
    // Lower-case accented letters of French in UTF-8 (C3 xx) map to C3 (xx - 0x20).
    std::string out(s);
    for (size_t i = 0; i < out.size(); ++i) {
        auto c = static_cast<unsigned char>(out[i]);
        if (c >= 'a' && c <= 'z') {
            out[i] = static_cast<char>(c - 32);
        } else if (c == 0xC3 && i + 1 < out.size()) {
            auto n = static_cast<unsigned char>(out[i + 1]);
            if (n >= 0xA0 && n <= 0xBE && n != 0xB7) out[i + 1] = static_cast<char>(n - 0x20);
            ++i;
        } else if (c == 0xC5 && i + 1 < out.size() && out[i + 1] == '\x93') {
            out[i + 1] = '\x92';  // œ -> Œ
            ++i;
        }
    }
    return out;
}

std::string SortKey(std::string_view s) {
    // Latin-1 supplement letters (C3 80..BF) by their base letter; the rest upper-cased.
    static constexpr char kBase[64 + 1] =
        "AAAAAAACEEEEIIII"   // C3 80..8F: À Á Â Ã Ä Å Æ Ç È É Ê Ë Ì Í Î Ï
        "DNOOOOO*OUUUUYTS"   // C3 90..9F
        "AAAAAAACEEEEIIII"   // C3 A0..AF
        "DNOOOOO/OUUUUYTY";  // C3 B0..BF
    const std::string upper = ToUpper(s);
    std::string out;
    out.reserve(upper.size());
    for (size_t i = 0; i < upper.size(); ++i) {
        const auto c = static_cast<unsigned char>(upper[i]);
        if (c == 0xC3 && i + 1 < upper.size()) {
            const auto n = static_cast<unsigned char>(upper[i + 1]);
            if (n >= 0x80 && n <= 0xBF) {
                out += kBase[n - 0x80];
                if (n == 0x86 || n == 0xA6) out += 'E';  // Æ
                if (n == 0x9F) out += 'S';               // ß
                ++i;
                continue;
            }
        } else if (c == 0xC5 && i + 1 < upper.size() &&
                   (upper[i + 1] == '\x92' || upper[i + 1] == '\x93')) {
            out += "OE";
            ++i;
            continue;
        }
        out += static_cast<char>(c);
    }
    return out;
}

size_t U8Length(std::string_view s) {
    size_t n = 0;
    for (size_t i = 0; i < s.size(); i += host::U8CharLen(s, i))
        ++n;
    return n;
}

std::string U8Left(std::string_view s, size_t chars) {
    return std::string(s.substr(0, PrefixBytes(s, chars)));
}

std::string U8Fit(std::string_view s, size_t width, bool left_align) {
    std::string cut = U8Left(s, width);
    const size_t len = U8Length(cut);
    if (len >= width) return cut;
    std::string pad(width - len, ' ');
    return left_align ? cut + pad : pad + cut;
}

char* CopyText(char* dst, size_t size, std::string_view src) {
    if (!dst || size == 0) return dst;
    size_t n = 0;
    while (n < src.size()) {
        size_t k = host::U8CharLen(src, n);
        if (n + k > size - 1) break;
        n += k;
    }
    std::memcpy(dst, src.data(), n);
    dst[n] = '\0';
    return dst;
}

std::string ToValidUtf8(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size();) {
        size_t k = host::U8CharLen(s, i);
        auto c = static_cast<unsigned char>(s[i]);
        if (k == 1 && c >= 0x80) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out.append(s.substr(i, k));
        }
        i += k;
    }
    return out;
}

std::string U8VFormat(const char* fmt, va_list args) {
    std::string out;
    va_list ap;
    va_copy(ap, args);
    const char* p = fmt;
    while (*p) {
        if (*p != '%') {
            const char* q = std::strchr(p, '%');
            size_t n = q ? static_cast<size_t>(q - p) : std::strlen(p);
            out.append(p, n);
            p += n;
            continue;
        }
        // Parse %[flags][width][.precision][length]conversion.
        const char* start = p++;
        bool left = false;
        std::string flags;
        while (*p && std::strchr("-+ #0", *p)) {
            if (*p == '-') left = true;
            flags += *p++;
        }
        int width = -1, precision = -1;
        if (*p == '*') {
            width = va_arg(ap, int);
            if (width < 0) {
                left = true;
                width = -width;
            }
            ++p;
        } else if (*p >= '0' && *p <= '9') {
            width = 0;
            while (*p >= '0' && *p <= '9')
                width = width * 10 + (*p++ - '0');
        }
        if (*p == '.') {
            ++p;
            precision = 0;
            if (*p == '*') {
                precision = va_arg(ap, int);
                ++p;
            } else {
                while (*p >= '0' && *p <= '9')
                    precision = precision * 10 + (*p++ - '0');
            }
        }
        std::string length;
        while (*p && std::strchr("hlLqjzt", *p))
            length += *p++;
        const char conv = *p ? *p++ : '\0';

        auto pad_text = [&](std::string_view text) {
            std::string t =
                precision >= 0 ? U8Left(text, static_cast<size_t>(precision)) : std::string(text);
            size_t len = U8Length(t);
            if (width > 0 && len < static_cast<size_t>(width)) {
                std::string pad(static_cast<size_t>(width) - len, ' ');
                t = left ? t + pad : pad + t;
            }
            out += t;
        };

        char buf[512];
        std::string directive = flags;
        if (width >= 0) directive += std::to_string(width);
        if (precision >= 0) directive += "." + std::to_string(precision);
        switch (conv) {
            case '%':
                out += '%';
                break;
            case 's': {
                const char* s = va_arg(ap, const char*);
                pad_text(s ? s : "(null)");
                break;
            }
            case 'c': {
                char c = static_cast<char>(va_arg(ap, int));
                precision = -1;
                pad_text(std::string_view(&c, c ? 1 : 0));
                break;
            }
            case 'd':
            case 'i':
            case 'u':
            case 'o':
            case 'x':
            case 'X': {
                std::string f = "%" + directive + length + conv;
                if (length == "l")
                    std::snprintf(buf, sizeof buf, f.c_str(), va_arg(ap, long));
                else if (length == "ll" || length == "q" || length == "j")
                    std::snprintf(buf, sizeof buf, f.c_str(), va_arg(ap, long long));
                else if (length == "z" || length == "t")
                    std::snprintf(buf, sizeof buf, f.c_str(), va_arg(ap, size_t));
                else
                    std::snprintf(buf, sizeof buf, f.c_str(), va_arg(ap, int));
                out += buf;
                break;
            }
            case 'f':
            case 'F':
            case 'e':
            case 'E':
            case 'g':
            case 'G': {
                std::string f = "%" + directive + (length == "L" ? "L" : "") + conv;
                if (length == "L")
                    std::snprintf(buf, sizeof buf, f.c_str(), va_arg(ap, long double));
                else
                    std::snprintf(buf, sizeof buf, f.c_str(), va_arg(ap, double));
                out += buf;
                break;
            }
            case 'p':
                std::snprintf(buf, sizeof buf, "%p", va_arg(ap, void*));
                out += buf;
                break;
            default:
                // An unknown conversion is copied as it stands.
                out.append(start, static_cast<size_t>(p - start));
                break;
        }
    }
    va_end(ap);
    return out;
}

std::string U8Format(const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    std::string s = U8VFormat(fmt, args);
    va_end(args);
    return s;
}

}  // namespace host
