// Report options kept in sections of the workstation INI file, with their defaults and
// lengths as data. The owning dialogs read and write them through the INI objects:
//
//   WDIniObj ini;
//   const int copies = rptini::ReadInt(ini, "PRCA REPORT", "NumCopies");   // 1 when absent
//   rptini::Write(ini, "TOPREV REPORT", "Prod", code);                     // cut to 4 chars
#pragma once

#include <string>
#include <vector>

#include "host/base/ini.h"

namespace rptini {

struct Key {
    const char* section;
    const char* key;
    const char* def;    // the value when the key is absent
    int size;           // reading buffer: at most size - 1 characters are kept (0: any)
    const char* owner;  // the report that reads and writes it
};

// Every section and key of the reports, in the order of the options table. The
// procedure categories ("ProcCat1" to "ProcCat40" of "REPORTS") are PrcWDIniObj's.
const std::vector<Key>& Keys();
// The key of the table, or null.
const Key* Find(const char* section, const char* key);

// The value of a key: its default when absent, cut to its length in characters.
std::string ReadText(const WDIniObj& ini, const char* section, const char* key);
// Its leading number; the default's when absent.
int ReadInt(const WDIniObj& ini, const char* section, const char* key);
// Writes a value cut to the key's length; false when the file cannot be written.
bool Write(WDIniObj& ini, const char* section, const char* key, const std::string& value);
bool Write(WDIniObj& ini, const char* section, const char* key, int value);

}  // namespace rptini
