// The entity codec and the text rules every comparison of the page analysis
// uses. All texts are single-byte Windows-1252.
#pragma once

#include <string>
#include <string_view>

namespace kestrova {

// The characters that end a word. The same set tells where a whole-word match
// may start and end in the sentence search of the rewrite engine.
// (space , ; : ! ' { ( ) } [ ] \ / & * + - ? . § % < > # | _ @ = " TAB LF CR)
inline constexpr std::string_view WordSeparators{" ,;:!'{()}[]\\/&*+-?."
                                                 "\xA7"
                                                 "%<>#|_@=\"\t\n\r",
                                                 33};

bool IsWordSeparator(char c);

// Named entities to characters (table order), then LF, CR and TAB deleted.
std::string DecodeEntities(const std::string& text);
// Characters to named entities ("&" first, then the apostrophe, ...).
std::string EncodeEntities(const std::string& text);
// Accented lower-case letters to their base letter.
std::string RemoveAccents(const std::string& text);
// A-Z and 0xC0-0xDE up by 0x20; nothing else changes.
std::string ToLower(const std::string& text);
// a-z and 0xE0-0xFF down by 0x20; nothing else changes.
std::string ToUpper(const std::string& text);
// Removes leading and trailing spaces (0x20 only).
std::string TrimSpaces(const std::string& text);
// A symbolic link resolves to its target; anything else comes back unchanged.
std::string ResolveShortcut(const std::string& path);

}  // namespace kestrova
