#include "host/base/env.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;

namespace host {
namespace {

std::string EnvOr(const char* name, const std::string& fallback) {
    const char* v = std::getenv(name);
    return v && *v ? std::string(v) : fallback;
}

Environment MakeDefault() {
    Environment e;
    std::string config = EnvOr("XDG_CONFIG_HOME", EnvOr("HOME", ".") + "/.config");
    e.station_dir = EnvOr("RAPPORTS_STATION_DIR", config + "/rapports");
    e.data_dir = EnvOr("RAPPORTS_DATA_DIR", e.station_dir);
    std::error_code ec;
    e.output_dir = EnvOr("RAPPORTS_OUTPUT_DIR", fs::current_path(ec).string());
    char host[256] = {0};
    if (gethostname(host, sizeof host - 1) != 0) host[0] = '\0';
    e.station_name = host[0] ? host : "POSTE1";
    e.user = EnvOr("USER", "utilisateur");
    return e;
}

}  // namespace

Environment& Env() {
    static Environment env = MakeDefault();
    return env;
}

std::string StationIniPath() {
    return (fs::path(Env().station_dir) / "rapports.ini").string();
}

bool EnsureDir(const std::string& dir) {
    if (dir.empty()) return false;
    std::error_code ec;
    fs::create_directories(dir, ec);
    return fs::is_directory(dir, ec);
}

}  // namespace host

#include "host/base/ini.h"

namespace host {

std::string ReportFilePath(const std::string& windows_name, bool create_folder) {
    fs::path rel;
    std::string part;
    auto flush = [&] {
        if (!part.empty() && part != "." && part != "..") rel /= part;
        part.clear();
    };
    for (char c : windows_name) {
        if (c == '\\' || c == '/')
            flush();
        else
            part += c;
    }
    flush();
    fs::path full = fs::path(Env().output_dir) / rel;
    if (create_folder && full.has_parent_path()) EnsureDir(full.parent_path().string());
    return full.string();
}

}  // namespace host

std::string TGetStatInfo::GetReportDirectory() const {
    std::string dir = GetSetting("ReportDir", "");
    if (dir.empty()) dir = (fs::path(host::Env().data_dir) / "rapports").string();
    return dir;
}

std::string TGetStatInfo::GetSetting(const char* key, const char* def) const {
    return host::IniFile(host::StationIniPath()).GetString("SYSTEM", key, def ? def : "");
}
