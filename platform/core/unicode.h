// The platform's string type and its conversions. Strings are UTF-16, so that
// lengths are counts of UTF-16 code units as drawing files store them.
// "ANSI" text means Windows-1252 in both directions, whatever the locale.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vx::plat {

using String = std::u16string;
using Char = char16_t;

// UTF-8 <-> UTF-16. Malformed input becomes U+FFFD; nothing throws.
String Utf8ToString(std::string_view utf8);
std::string StringToUtf8(std::u16string_view s);

// Windows-1252 <-> UTF-16. Characters Windows-1252 cannot hold become '?'.
// The five bytes 1252 leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to
// the C1 code points of the same value, so every byte survives a round trip.
String AnsiToString(std::string_view ansi);
std::string StringToAnsi(std::u16string_view s);
char16_t AnsiCharToUnicode(unsigned char c);
// The Windows-1252 byte of a character, or '?' when there is none.
unsigned char UnicodeCharToAnsi(char16_t c);

// Decimal text of an integer (no locale).
String IntToStr(std::int64_t value);

// Case-insensitive comparison in the Latin ranges (ASCII and Latin-1).
bool SameText(std::u16string_view a, std::u16string_view b);
int CompareText(std::u16string_view a, std::u16string_view b);
String UpperCase(std::u16string_view s);

}  // namespace vx::plat
