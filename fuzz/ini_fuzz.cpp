// The workstation INI reader and writer (host/base/ini) on any file content. Besides
// crashes, it checks that a value read into a small buffer is a prefix of the whole value,
// that writing a key makes it read back, and that the write changes no other section's
// values.
#include <cstring>
#include <map>

#include "fuzz/fuzz_support.h"
#include "host/base/ini.h"
#include "host/base/text.h"

namespace {

bool SameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x + 32);
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y + 32);
        if (x != y) return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string content = fuzz::Text(data, size);
    const std::string path = fuzz::ScratchFile(".ini", content);
    host::IniFile ini(path);

    // Every section's keys as read now (a bounded number of them).
    std::map<std::pair<std::string, std::string>, std::string> before;
    for (const std::string& section : ini.Sections()) {
        for (const std::string& key : ini.Keys(section)) {
            if (before.size() >= 40) break;
            const std::string value = ini.GetString(section, key, "<absent>");
            before[{section, key}] = value;
            ini.GetInt(section, key, -1);
            char buf[8];
            const size_t cut = 1 + (value.size() % sizeof buf);
            const size_t n = ini.GetString(section, key, "", buf, cut);
            fuzz::Check(n < cut && std::strlen(buf) == n, "a cut read overran its buffer");
            fuzz::Check(value.compare(0, n, buf, n) == 0, "a cut read is not a prefix", value);
        }
    }

    fuzz::Check(ini.WriteString("Fuzz", "Clé", "valeur 12"), "the write failed");
    fuzz::Check(ini.GetString("fuzz", "clé", "<absent>") == "valeur 12",
                "a written key does not read back", content);
    for (const auto& [where, value] : before) {
        if (SameName(where.first, "Fuzz")) continue;
        fuzz::Check(ini.GetString(where.first, where.second, "<absent>") == value,
                    "a write changed another section", where.first + " / " + where.second);
    }
    ini.DeleteSection("FUZZ");
    fuzz::Tally(before.empty() ? "read, no key" : "read");
    return 0;
}
