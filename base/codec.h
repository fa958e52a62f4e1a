// Conversions between the program's single-byte texts and UTF-8.
// Page texts and the interface tables are Windows-1252; the "Language"
// value of the settings may be Windows-1251 (Ukrainian, Russian) when
// written by hand. File names are the file system's own bytes.
#pragma once

#include <string>

namespace kestrova {

// Windows-1252 bytes to UTF-8. Bytes that Windows-1252 leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 control of the same value.
std::string Cp1252ToUtf8(const std::string& text);
// UTF-8 to Windows-1252. Returns false (and leaves out empty) when a
// character cannot be written in Windows-1252 or the input is not UTF-8.
bool Utf8ToCp1252(const std::string& utf8, std::string& out);
// Same, replacing each character that cannot be written by '?'.
std::string Utf8ToCp1252Lossy(const std::string& utf8);

// Windows-1251 bytes to UTF-8, and back (false when not representable).
std::string Cp1251ToUtf8(const std::string& text);
bool Utf8ToCp1251(const std::string& utf8, std::string& out);

// The "Language" value for display: Windows-1251 when it is one of the
// Cyrillic language names, Windows-1252 otherwise.
std::string LanguageToUtf8(const std::string& language);

}  // namespace kestrova
