// Engine messages as GenDB shows them: on one line, and without the password of the
// connection string (MaskDsn, in gendb.h, shows a connection string without it).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace host {

// The password values of a PostgreSQL connection string, as written and as the server
// receives them (a URI's %XX escapes and a quoted value's backslashes undone).
std::vector<std::string> DsnPasswords(std::string_view dsn);

// text with every password of dsn replaced by "***". A password shorter than four
// characters cannot be replaced without garbling the text: when one appears, the result is
// empty and the caller leaves the detail out.
std::string ScrubDsnSecrets(std::string_view text, std::string_view dsn);

// An engine's message on one line: line ends, tabs and runs of blanks as single blanks.
std::string OneLine(std::string_view text);

}  // namespace host
