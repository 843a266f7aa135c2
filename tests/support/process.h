// Running the project's executables from a test: where they are, and quoting for the shell.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
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

struct CommandResult {
    int code = -1;    // exit status, -1 when it did not exit normally
    std::string out;  // what it wrote on its standard output (and error, when redirected)
};

// Runs a shell command line and waits for it.
inline CommandResult RunShell(const std::string& command) {
    CommandResult r;
    FILE* p = popen(command.c_str(), "r");
    if (!p) return r;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0)
        r.out.append(buf, n);
    const int status = pclose(p);
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

}  // namespace testing_support
