#include "host/base/debuglog.h"

#include <cstdarg>
#include <cstdio>
#include <filesystem>
#include <mutex>

#include "host/base/dates.h"
#include "host/base/env.h"
#include "host/base/text.h"

namespace {
std::mutex g_mutex;
std::string g_path;
}  // namespace

namespace host {

void SetDebugLogPath(const std::string& path) {
    std::lock_guard lock(g_mutex);
    g_path = path;
}

std::string DebugLogPath() {
    std::lock_guard lock(g_mutex);
    if (!g_path.empty()) return g_path;
    return (std::filesystem::path(Env().station_dir) / "debug.log").string();
}

}  // namespace host

void WriteDebugLogFile(const char* fmt, ...) {
    const std::string path = host::DebugLogPath();
    if (path == "-") return;
    va_list args;
    va_start(args, fmt);
    const std::string line = host::U8VFormat(fmt, args);
    va_end(args);
    std::lock_guard lock(g_mutex);
    host::EnsureDir(std::filesystem::path(path).parent_path().string());
    if (FILE* f = std::fopen(path.c_str(), "a")) {
        std::fprintf(f, "%s %s %s\n", host::FormatDate(ldate_today(), DATE_FMT_ISO).c_str(),
                     host::TimeText().c_str(), line.c_str());
        std::fclose(f);
    }
}
