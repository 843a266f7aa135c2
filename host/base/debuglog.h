// The host's debug log: one line per call, stamped with the date and time, appended to
// "debug.log" in the station folder (or the file given to SetDebugLogPath).
#pragma once

#include <string>

void WriteDebugLogFile(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

namespace host {
// An empty path returns to the default; "-" turns the log off.
void SetDebugLogPath(const std::string& path);
std::string DebugLogPath();
}  // namespace host
