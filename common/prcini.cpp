#include "common/prcini.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "host/base/text.h"

namespace {

// Splits at every comma, keeping empty words, so that an empty description does not
// shift the percentage into its place.
std::vector<std::string> SplitCommas(const std::string& s) {
    std::vector<std::string> words;
    size_t start = 0;
    while (true) {
        const size_t comma = s.find(',', start);
        words.push_back(
            s.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return words;
}

// A part as it is kept: blanks around it removed (a code stored as "D0150 " must still
// hold D0150), cut to its length in characters.
std::string Part(std::string_view s, size_t chars) {
    return host::U8Left(host::Trim(s), chars);
}

std::string Key(int n) {
    char key[16];
    std::snprintf(key, sizeof key, "ProcCat%i", n);
    return key;
}

}  // namespace

PrcWDIniObj::PrcWDIniObj() {
    read_inisect();
}

PrcWDIniObj::PrcWDIniObj(std::string path) : WDIniObj(std::move(path)) {
    read_inisect();
}

void PrcWDIniObj::read_inisect() {
    for (int n = 1; n <= kCategories; ++n) {
        const std::string line = read_secini(get_inisect(), Key(n).c_str(), "");
        ParseCatLine(host::U8Left(line, kLineChars).c_str(), n);
    }
}

void PrcWDIniObj::ParseCatLine(const char* line, int n) {
    if (!Valid(n)) return;
    Category& c = cats_[n - 1];
    c = Category{};
    if (!line || !*line) return;
    const std::vector<std::string> w = SplitCommas(line);
    std::string* parts[] = {&c.first, &c.last, &c.desc, &c.pct};
    const size_t chars[] = {kCodeChars, kCodeChars, kDescChars, kPctChars};
    for (size_t i = 0; i < 4 && i < w.size(); ++i)
        *parts[i] = Part(w[i], chars[i]);
}

bool PrcWDIniObj::SetCategory(int n, const std::string& first, const std::string& last,
                              const std::string& desc, const std::string& pct) {
    if (!Valid(n)) return false;
    std::string d = desc;
    std::replace(d.begin(), d.end(), ',', ' ');
    cats_[n - 1] = {Part(first, kCodeChars), Part(last, kCodeChars), Part(d, kDescChars),
                    Part(pct, kPctChars)};
    return true;
}

void PrcWDIniObj::update_inisect() {
    for (int n = 1; n <= kCategories; ++n) {
        const Category& c = cats_[n - 1];
        std::string value;
        if (!c.first.empty()) value = c.first + "," + c.last + "," + c.desc + "," + c.pct;
        write_secini(get_inisect(), Key(n).c_str(), value.c_str());
    }
}

const PrcWDIniObj::Category& PrcWDIniObj::Get(int n) const {
    static const Category kEmpty;
    return Valid(n) ? cats_[n - 1] : kEmpty;
}

bool PrcWDIniObj::GetDesc(int n, char* out, size_t size) const {
    if (!Valid(n)) return false;
    if (out && size) host::CopyText(out, size, cats_[n - 1].desc);
    return true;
}

bool PrcWDIniObj::GetDesc(int n, std::string* out) const {
    if (!Valid(n)) return false;
    if (out) *out = cats_[n - 1].desc;
    return true;
}

int PrcWDIniObj::GetPct(int n) const {
    if (!Valid(n) || cats_[n - 1].desc.empty()) return 0;
    const int pct = std::atoi(cats_[n - 1].pct.c_str());
    return std::clamp(pct, 0, 100);
}

bool PrcWDIniObj::Holds(const Category& c, const std::string& code) {
    // Byte-wise, as the codes are compared everywhere else.
    return c.first.compare(code) <= 0 && c.last.compare(code) >= 0;
}

int PrcWDIniObj::GetGroup(const char* code) const {
    const std::string c = host::TrimLeft(code ? code : "");
    if (c.empty()) return kNoGroup;
    for (int n = 1; n <= kCategories; ++n)
        if (Holds(cats_[n - 1], c)) return n;
    return kNoGroup;
}

bool PrcWDIniObj::DuplicateGroup(const char* code) const {
    const std::string c = host::TrimLeft(code ? code : "");
    if (c.empty()) return false;
    int found = 0;
    for (const Category& cat : cats_)
        if (Holds(cat, c) && ++found >= 2) return true;
    return false;
}
