// Run-time translation of the interface texts.
#pragma once

#include <string>

namespace kestrova {

// The values of `Language` that the lookups know, as stored: the French
// name in Windows-1252, the Ukrainian and Russian names in Windows-1251.
inline constexpr const char* LanguageFrench = "Fran\xE7"
                                              "ais";  // Français
inline constexpr const char* LanguageEnglish = "English";
inline constexpr const char* LanguageUkrainian = "\xD3\xEA\xF0\xE0\xBF\xED\xF1\xFC\xEA\xE8\xE9";  // Український
inline constexpr const char* LanguageRussian = "\xD0\xF3\xF1\xF1\xEA\xE8\xE9";                    // Русский
inline constexpr const char* LanguageGerman = "Deutsch";

// For texts written in French: English (the table's text) unless the
// language is "Français".
std::string TranslateFrenchKey(const std::string& text);

// For texts written in English (FTP and update texts): French, Ukrainian,
// Russian or German when the language is one of those.
std::string TranslateEnglishKey(const std::string& text);

}  // namespace kestrova
