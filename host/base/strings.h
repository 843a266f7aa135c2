// The module's French string table: numbered texts loaded from one file of resources/
// ("strings.fr.txt": one "number<TAB>text" line per string, C escapes in the text).
#pragma once

#include <string>

namespace host {

// The folder of the resources (string table, dialog and report templates): the
// RAPPORTS_RESOURCES environment variable, else share/rapports/resources beside the
// executable, else the source tree's resources folder.
const std::string& ResourceDir();
void SetResourceDir(const std::string& dir);

// The text of string `id`; empty when the table has no such string.
const std::string& LoadText(int id);
bool HasText(int id);

}  // namespace host

// The host's loaded string table. `Text` returns the string of that number, as
// TDLoadString's text buffers did (cut to the buffer length given at construction).
class TDLoadString {
  public:
    explicit TDLoadString(const void* module = nullptr, int buffer_length = 256)
        : length_(buffer_length > 1 ? buffer_length : 256) {}
    const char* Text(int id);

  private:
    int length_;
    std::string last_;
};
