// Text helpers. The reports' texts are UTF-8 French, so every fixed-width layout counts
// characters (code points), never bytes: "%-10.10s" of "Hygiéniste" is ten characters wide.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <string>
#include <string_view>

// Removes trailing blanks (spaces, tabs, line ends) in place; returns s.
char* strclip(char* s);
// Removes leading blanks in place; returns s.
char* strpreclip(char* s);

namespace host {

std::string TrimRight(std::string_view s);
std::string TrimLeft(std::string_view s);
std::string Trim(std::string_view s);
// The same without a copy: the part of s between its leading and trailing blanks.
std::string_view TrimView(std::string_view s);
std::string ToUpper(std::string_view s);  // ASCII and the French accented letters
// A key that orders names as a French reader does: upper case, accents set aside (É with E,
// Ç with C, Œ as OE), other bytes kept.
std::string SortKey(std::string_view s);

// Length in bytes of the UTF-8 character starting at s[i]; 1 for a byte that does not begin
// a whole one.
size_t U8CharLen(std::string_view s, size_t i);
// Number of characters of a UTF-8 text (an invalid byte counts as one character).
size_t U8Length(std::string_view s);
// The first `chars` characters of s, never splitting a character.
std::string U8Left(std::string_view s, size_t chars);
// s cut to `width` characters and padded with blanks to exactly `width`, on the right
// (left_align) or on the left.
std::string U8Fit(std::string_view s, size_t width, bool left_align = true);

// printf-style formatting in which the width and precision of %s and %c count characters.
// Every other conversion behaves as in printf.
std::string U8Format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
std::string U8VFormat(const char* fmt, va_list args);

// Copies src into a fixed buffer of `size` bytes, never splitting a character, always
// terminated. Returns dst.
char* CopyText(char* dst, size_t size, std::string_view src);

// Replaces each byte that is not valid UTF-8 by its Latin-1 reading, so that any input
// becomes well-formed UTF-8.
std::string ToValidUtf8(std::string_view s);

}  // namespace host
