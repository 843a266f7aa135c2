// Helpers of the fuzz targets: a check that stops the run with a message (so that libFuzzer
// saves the input), the input as text, and a scratch file per process for the readers that
// take a path.
#pragma once

#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace fuzz {

inline void Check(bool ok, const char* what, std::string_view detail = {}) {
    if (ok) return;
    std::fprintf(stderr, "fuzz check failed: %s\n%.*s\n", what, static_cast<int>(detail.size()),
                 detail.data());
    std::abort();
}

// Counts what became of the inputs; printed at exit when RAPPORTS_FUZZ_TALLY is set, so that
// replaying a corpus (fuzz_NAME -runs=0 DIR) tells how many were refused with a message.
inline void Tally(const char* outcome) {
    struct Counts {
        std::map<std::string, long> counts;
        ~Counts() {
            if (!std::getenv("RAPPORTS_FUZZ_TALLY")) return;
            for (const auto& [what, n] : counts)
                std::fprintf(stderr, "tally %s: %ld\n", what.c_str(), n);
        }
    };
    static Counts tally;
    ++tally.counts[outcome];
}

inline std::string Text(const uint8_t* data, size_t size) {
    return std::string(reinterpret_cast<const char*>(data), size);
}

// A file of this process under the temporary folder, holding exactly text; it goes (with
// the ".lock" and ".tmp" files a writer may leave beside it) when the process ends.
inline std::string ScratchFile(const std::string& suffix, std::string_view text) {
    struct Remover {
        std::vector<std::string> paths;
        ~Remover() {
            for (const std::string& p : paths)
                for (const char* extra : {"", ".lock", ".tmp"})
                    std::remove((p + extra).c_str());
        }
    };
    static Remover remover;
    const char* tmp = std::getenv("TMPDIR");
    const std::string path = std::string(tmp && *tmp ? tmp : "/tmp") + "/rapports-fuzz-" +
                             std::to_string(getpid()) + suffix;
    if (std::find(remover.paths.begin(), remover.paths.end(), path) == remover.paths.end())
        remover.paths.push_back(path);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    return path;
}

// Splits text at each line that is exactly `separator`.
inline std::vector<std::string> Sections(const std::string& text, const std::string& separator) {
    std::vector<std::string> out(1);
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(start, end - start);
        if (line == separator)
            out.emplace_back();
        else
            out.back() += (out.back().empty() ? "" : "\n") + line;
        start = end + 1;
    }
    return out;
}

}  // namespace fuzz
