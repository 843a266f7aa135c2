#include "host/base/strings.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <unordered_map>

#include "host/base/text.h"

namespace fs = std::filesystem;

namespace {

std::mutex g_mutex;
std::string g_resource_dir;
std::unordered_map<int, std::string> g_strings;
bool g_loaded = false;

std::string ExecutableDir() {
    char path[4096];
    ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return ".";
    path[n] = '\0';
    return fs::path(path).parent_path().string();
}

// Reads C escapes (\n, \t, \", \\) of a table line.
std::string Unescape(const std::string& s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '\\' || i + 1 == s.size()) {
            out += s[i];
            continue;
        }
        switch (s[++i]) {
            case 'n':
                out += '\n';
                break;
            case 't':
                out += '\t';
                break;
            case 'r':
                out += '\r';
                break;
            default:
                out += s[i];
                break;
        }
    }
    return out;
}

// The resource folder; the caller holds g_mutex.
const std::string& ResourceDirLocked() {
    if (g_resource_dir.empty()) {
        if (const char* env = std::getenv("RAPPORTS_RESOURCES"); env && *env) {
            g_resource_dir = env;
        } else {
            fs::path beside = fs::path(ExecutableDir()) / ".." / "share" / "rapports" / "resources";
            std::error_code ec;
            if (fs::exists(beside / "strings.fr.txt", ec))
                g_resource_dir = fs::weakly_canonical(beside, ec).string();
            else
                g_resource_dir = RAPPORTS_SOURCE_RESOURCES;
        }
    }
    return g_resource_dir;
}

void LoadLocked() {
    if (g_loaded) return;
    g_loaded = true;
    std::ifstream in(fs::path(ResourceDirLocked()) / "strings.fr.txt");
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        const size_t tab = line.find('\t');
        if (tab == std::string::npos) continue;
        char* end = nullptr;
        const long id = std::strtol(line.c_str(), &end, 10);
        if (end != line.c_str() + tab) continue;
        g_strings[static_cast<int>(id)] = Unescape(line.substr(tab + 1));
    }
}

}  // namespace

namespace host {

const std::string& ResourceDir() {
    std::lock_guard lock(g_mutex);
    return ResourceDirLocked();
}

void SetResourceDir(const std::string& dir) {
    std::lock_guard lock(g_mutex);
    g_resource_dir = dir;
    g_loaded = false;
    g_strings.clear();
}

const std::string& LoadText(int id) {
    static const std::string kEmpty;
    std::lock_guard lock(g_mutex);
    LoadLocked();
    auto it = g_strings.find(id);
    return it == g_strings.end() ? kEmpty : it->second;
}

bool HasText(int id) {
    std::lock_guard lock(g_mutex);
    LoadLocked();
    return g_strings.count(id) != 0;
}

}  // namespace host

const char* TDLoadString::Text(int id) {
    last_ = host::U8Left(host::LoadText(id), static_cast<size_t>(length_ - 1));
    return last_.c_str();
}
