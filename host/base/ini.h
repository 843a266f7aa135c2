// INI files with the semantics of the Windows profile functions that the reports rely on:
// sections and keys match without regard to case, values are trimmed and lose one pair of
// enclosing quotes, a missing key gives the caller's default, reads are cut to the caller's
// size, writes keep every other line (comments included) and replace the file atomically.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace host {

class IniFile {
  public:
    explicit IniFile(std::string path) : path_(std::move(path)) {}

    const std::string& Path() const { return path_; }
    bool Exists() const;

    // The value of key in section, or def when the file, section or key is missing.
    std::string GetString(std::string_view section, std::string_view key,
                          std::string_view def = "") const;
    // The same into buf, cut to size - 1 bytes without splitting a character; returns the
    // number of bytes copied.
    size_t GetString(std::string_view section, std::string_view key, std::string_view def,
                     char* buf, size_t size) const;
    // The leading decimal number of the value ("12abc" gives 12, "abc" gives 0), or def
    // when the key is missing.
    int GetInt(std::string_view section, std::string_view key, int def) const;

    // Writes key=value in section, creating the file and section as needed. A null value
    // removes the key. Line breaks in the value become blanks. False when the file cannot
    // be written.
    bool WriteString(std::string_view section, std::string_view key, const char* value);
    bool WriteInt(std::string_view section, std::string_view key, int value);
    bool DeleteSection(std::string_view section);

    std::vector<std::string> Sections() const;
    std::vector<std::string> Keys(std::string_view section) const;

  private:
    bool Rewrite(std::string_view section, const std::string* key, const char* value);
    std::string path_;
};

}  // namespace host

// The host's INI objects. GenIniObj reads and writes keys of its own section
// (get_inisect); WDIniObj adds access to any section of the workstation INI file.
class GenIniObj {
  public:
    GenIniObj();
    explicit GenIniObj(std::string path);
    virtual ~GenIniObj() = default;

    virtual const char* get_inisect() const { return "REPORTS"; }

    int read_strini(const char* key, const char* def, char* buf, int size) const;
    std::string read_strini(const char* key, const char* def = "") const;
    int read_intini(const char* key, int def) const;
    bool write_strini(const char* key, const char* value);
    bool write_intini(const char* key, int value);

    const host::IniFile& File() const { return file_; }

  protected:
    host::IniFile file_;
};

class WDIniObj : public GenIniObj {
  public:
    using GenIniObj::GenIniObj;

    int read_secini(const char* section, const char* key, const char* def, char* buf,
                    int size) const;
    std::string read_secini(const char* section, const char* key, const char* def) const;
    int read_secini(const char* section, const char* key, int def) const;
    bool write_secini(const char* section, const char* key, const char* value);
    bool write_secini(const char* section, const char* key, int value);
};

// The system's host settings ("SYSTEM" section of the workstation INI).
class SysWDIniObj : public WDIniObj {
  public:
    using WDIniObj::WDIniObj;
    const char* get_inisect() const override { return "SYSTEM"; }

    bool GetOverNightOn() const;
    std::string GetOverNightTime() const;  // "HH:MM", 5 characters
    void SetOverNight(bool on, const std::string& time);
};

// The logged-in user's settings (section "USER <login>" of the workstation INI).
class TUserInfo : public WDIniObj {
  public:
    TUserInfo();
    explicit TUserInfo(const std::string& login);
    const char* get_inisect() const override { return section_.c_str(); }

    int ReadInt(const char* key, int def) const { return read_intini(key, def); }
    bool WriteInt(const char* key, int value) { return write_intini(key, value); }
    std::string ReadString(const char* key, const char* def = "") const {
        return read_strini(key, def);
    }
    bool WriteString(const char* key, const char* value) { return write_strini(key, value); }

  private:
    std::string section_;
};
