// Running the project's executables from a test: where they are, and quoting for the shell.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <string>

namespace testing_support {

// The path of an executable built beside the running test (build/bin/NAME).
inline std::string Sibling(const char* name) {
    char exe[4096];
    const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (n <= 0) return name;
    exe[n] = '\0';
    return (std::filesystem::path(exe).parent_path() / name).string();
}

// s between single quotes, safe as one word of a shell command.
inline std::string Quote(const std::string& s) {
    std::string out = "'";
    for (char c : s)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

}  // namespace testing_support
