// Run-time translation of the interface texts.
#pragma once

#include <string>

namespace kestrova {

// For texts written in French: English (the table's text) unless the
// language is "Français".
std::string TranslateFrenchKey(const std::string& text);

// For texts written in English (FTP and update texts): French, Ukrainian,
// Russian or German when the language is one of those.
std::string TranslateEnglishKey(const std::string& text);

}  // namespace kestrova
