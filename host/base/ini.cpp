#include "host/base/ini.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "host/base/env.h"
#include "host/base/text.h"

namespace fs = std::filesystem;

namespace host {
namespace {

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x + 32);
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y + 32);
        if (x != y) return false;
    }
    return true;
}

constexpr std::string_view kBom = "\xEF\xBB\xBF";

// The file's lines without their line ends. Byte-order marks at the start of the file (an
// editor may have added one to a file that had one already) are not part of its first line;
// `bom` tells whether there was any, so that a rewrite keeps one.
std::vector<std::string> ReadLines(const std::string& path, bool* bom = nullptr) {
    std::vector<std::string> lines;
    std::ifstream in(path, std::ios::binary);
    std::string line;
    bool first = true;
    if (bom) *bom = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (first) {
            size_t marks = 0;
            while (line.compare(marks, kBom.size(), kBom) == 0)
                marks += kBom.size();
            line.erase(0, marks);
            if (bom) *bom = marks > 0;
        }
        first = false;
        lines.push_back(line);
    }
    return lines;
}

// "[name]" gives name; a line that is not a section header gives nullopt-like false.
bool SectionName(const std::string& line, std::string* name) {
    std::string t = Trim(line);
    if (t.size() < 2 || t[0] != '[') return false;
    size_t close = t.find(']');
    *name = Trim(t.substr(1, close == std::string::npos ? std::string::npos : close - 1));
    return true;
}

// "key = value" gives key and the raw value; comments and other lines give false.
bool KeyValue(const std::string& line, std::string* key, std::string* value) {
    std::string t = TrimLeft(line);
    if (t.empty() || t[0] == ';' || t[0] == '[') return false;
    size_t eq = t.find('=');
    if (eq == std::string::npos) return false;
    *key = Trim(t.substr(0, eq));
    *value = t.substr(eq + 1);
    return !key->empty();
}

std::string CleanValue(const std::string& raw) {
    std::string v = Trim(raw);
    if (v.size() >= 2 && (v[0] == '"' || v[0] == '\'') && v.back() == v[0])
        v = v.substr(1, v.size() - 2);
    return v;
}

bool FindValue(const std::string& path, std::string_view section, std::string_view key,
               std::string* out) {
    std::string current, k, v;
    bool in_section = false;
    for (const std::string& line : ReadLines(path)) {
        if (SectionName(line, &current)) {
            in_section = SameName(current, section);
            continue;
        }
        if (in_section && KeyValue(line, &k, &v) && SameName(k, key)) {
            *out = CleanValue(v);
            return true;
        }
    }
    return false;
}

}  // namespace

bool IniFile::Exists() const {
    std::error_code ec;
    return fs::is_regular_file(path_, ec);
}

std::string IniFile::GetString(std::string_view section, std::string_view key,
                               std::string_view def) const {
    std::string v;
    return FindValue(path_, section, key, &v) ? v : std::string(def);
}

size_t IniFile::GetString(std::string_view section, std::string_view key, std::string_view def,
                          char* buf, size_t size) const {
    if (!buf || size == 0) return 0;
    CopyText(buf, size, GetString(section, key, def));
    return std::char_traits<char>::length(buf);
}

int IniFile::GetInt(std::string_view section, std::string_view key, int def) const {
    std::string v;
    if (!FindValue(path_, section, key, &v)) return def;
    return static_cast<int>(std::strtol(v.c_str(), nullptr, 10));
}

bool IniFile::WriteInt(std::string_view section, std::string_view key, int value) {
    return WriteString(section, key, std::to_string(value).c_str());
}

bool IniFile::WriteString(std::string_view section, std::string_view key, const char* value) {
    const std::string k(key);
    return Rewrite(section, &k, value);
}

bool IniFile::DeleteSection(std::string_view section) {
    return Rewrite(section, nullptr, nullptr);
}

bool IniFile::Rewrite(std::string_view section, const std::string* key, const char* value) {
    const fs::path path(path_);
    if (path.has_parent_path() && !EnsureDir(path.parent_path().string())) return false;
    // Serialise writers of this file (other processes included) with a lock file.
    const std::string lock_path = path_ + ".lock";
    int lock_fd = ::open(lock_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (lock_fd >= 0) ::flock(lock_fd, LOCK_EX);

    bool bom = false;
    std::vector<std::string> lines = ReadLines(path_, &bom);
    std::string clean;
    if (value) {
        clean = value;
        for (char& c : clean)
            if (c == '\n' || c == '\r') c = ' ';
    }
    // Locate the section and the key.
    long sec_start = -1, sec_end = static_cast<long>(lines.size()), key_line = -1;
    std::string name, k, v;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (SectionName(lines[i], &name)) {
            if (sec_start >= 0) {
                sec_end = static_cast<long>(i);
                break;
            }
            if (SameName(name, section)) sec_start = static_cast<long>(i);
            continue;
        }
        if (sec_start >= 0 && key && key_line < 0 && KeyValue(lines[i], &k, &v) &&
            SameName(k, *key))
            key_line = static_cast<long>(i);
    }
    bool changed = true;
    if (!key) {
        if (sec_start >= 0)
            lines.erase(lines.begin() + sec_start, lines.begin() + sec_end);
        else
            changed = false;
    } else if (!value) {
        if (key_line >= 0)
            lines.erase(lines.begin() + key_line);
        else
            changed = false;
    } else if (key_line >= 0) {
        lines[static_cast<size_t>(key_line)] = *key + "=" + clean;
    } else if (sec_start >= 0) {
        // After the section's last non-blank line.
        long at = sec_end;
        while (at - 1 > sec_start && Trim(lines[static_cast<size_t>(at - 1)]).empty())
            --at;
        lines.insert(lines.begin() + at, *key + "=" + clean);
    } else {
        if (!lines.empty() && !Trim(lines.back()).empty()) lines.emplace_back();
        lines.push_back("[" + std::string(section) + "]");
        lines.push_back(*key + "=" + clean);
    }
    bool ok = true;
    if (changed) {
        const std::string tmp = path_ + ".tmp";
        {
            std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
            if (bom) out << kBom;
            for (const std::string& l : lines)
                out << l << '\n';
            out.flush();
            ok = static_cast<bool>(out);
        }
        std::error_code ec;
        if (ok) fs::rename(tmp, path_, ec);
        if (!ok || ec) {
            fs::remove(tmp, ec);
            ok = false;
        }
    }
    if (lock_fd >= 0) {
        ::flock(lock_fd, LOCK_UN);
        ::close(lock_fd);
    }
    return ok;
}

std::vector<std::string> IniFile::Sections() const {
    std::vector<std::string> out;
    std::string name;
    for (const std::string& line : ReadLines(path_))
        if (SectionName(line, &name)) out.push_back(name);
    return out;
}

std::vector<std::string> IniFile::Keys(std::string_view section) const {
    std::vector<std::string> out;
    std::string name, k, v;
    bool in_section = false;
    for (const std::string& line : ReadLines(path_)) {
        if (SectionName(line, &name)) {
            in_section = SameName(name, section);
            continue;
        }
        if (in_section && KeyValue(line, &k, &v)) out.push_back(k);
    }
    return out;
}

}  // namespace host

GenIniObj::GenIniObj() : file_(host::StationIniPath()) {}
GenIniObj::GenIniObj(std::string path) : file_(std::move(path)) {}

int GenIniObj::read_strini(const char* key, const char* def, char* buf, int size) const {
    return static_cast<int>(
        file_.GetString(get_inisect(), key, def ? def : "", buf, size > 0 ? size : 0));
}

std::string GenIniObj::read_strini(const char* key, const char* def) const {
    return file_.GetString(get_inisect(), key, def ? def : "");
}

int GenIniObj::read_intini(const char* key, int def) const {
    return file_.GetInt(get_inisect(), key, def);
}

bool GenIniObj::write_strini(const char* key, const char* value) {
    return file_.WriteString(get_inisect(), key, value);
}

bool GenIniObj::write_intini(const char* key, int value) {
    return file_.WriteInt(get_inisect(), key, value);
}

int WDIniObj::read_secini(const char* section, const char* key, const char* def, char* buf,
                          int size) const {
    return static_cast<int>(
        file_.GetString(section, key, def ? def : "", buf, size > 0 ? size : 0));
}

std::string WDIniObj::read_secini(const char* section, const char* key, const char* def) const {
    return file_.GetString(section, key, def ? def : "");
}

int WDIniObj::read_secini(const char* section, const char* key, int def) const {
    return file_.GetInt(section, key, def);
}

bool WDIniObj::write_secini(const char* section, const char* key, const char* value) {
    return file_.WriteString(section, key, value);
}

bool WDIniObj::write_secini(const char* section, const char* key, int value) {
    return file_.WriteInt(section, key, value);
}

bool SysWDIniObj::GetOverNightOn() const {
    std::string v = read_strini("OverNightOn", "N");
    return !v.empty() && (v[0] == 'Y' || v[0] == 'y');
}

std::string SysWDIniObj::GetOverNightTime() const {
    return host::U8Left(read_strini("OverNightTime", "23:00"), 5);
}

void SysWDIniObj::SetOverNight(bool on, const std::string& time) {
    write_strini("OverNightTime", host::U8Left(time, 5).c_str());
    write_strini("OverNightOn", on ? "Y" : "N");
}

TUserInfo::TUserInfo() : TUserInfo(host::Env().user) {}
TUserInfo::TUserInfo(const std::string& login) : section_("USER " + login) {}
