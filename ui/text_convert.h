// Text conversions at the boundary between the program's texts and Qt.
// Page and interface texts are Windows-1252 bytes; Qt works in UTF-16.
// File names are the file system's own bytes and are converted separately.
#pragma once

#include <QString>
#include <string>

namespace kestrova::ui {

// Windows-1252 text to a QString (one UTF-16 unit per byte); the escaped
// characters of a UTF-8 page (base/unicode_text.h) show as themselves.
QString FromPage(const std::string& text);
// A French interface text (a key of the translation tables), in the
// language of the run, for display.
QString Tr(const std::string& french);
// QString to Windows-1252; characters Windows-1252 cannot hold become '?',
// or escapes while the user works on a UTF-8 page (TypedTextForUtf8Page).
std::string ToPage(const QString& text);
// Same, but returns false (out left empty) when a character cannot be written.
bool ToPageStrict(const QString& text, std::string& out);

// File-system bytes to a QString and back.
QString FromFileName(const std::string& name);
std::string ToFileName(const QString& name);

}  // namespace kestrova::ui
