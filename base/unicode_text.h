// Page texts of UTF-8 pages. The engine works on single-byte Windows-1252
// text; a UTF-8 page is decoded into that text, character by character:
// - a character Windows-1252 holds becomes its byte (the five bytes the code
//   page leaves undefined stand for the C1 control of the same value);
// - any other character becomes an escape: the byte 0x0E (shift out), the
//   code point in decimal (1 to 7 digits, no leading zero) and the byte 0x0F
//   (shift in), "\x0E" "937" "\x0F" for the Greek capital omega;
// - a byte that is not part of a valid UTF-8 sequence becomes the escape of
//   U+DC00 + the byte (U+DC80 to U+DCFF, code points UTF-8 cannot carry), so
//   that it is written back as the same byte;
// - the byte 0x0E itself is escaped ("\x0E" "14" "\x0F"), so that every
//   0x0E of the decoded text starts an escape.
// Encoding the decoded text gives the page's bytes back exactly.
//
// None of the escape's bytes is a word separator, an HTML delimiter, a
// letter that the case rules move, an accented letter or a byte the entity
// rules read or write: the word rules keep a character written this way
// inside its word, and the rewrite engine copies it as it is.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kestrova {

inline constexpr char EscapeStart = '\x0E';
inline constexpr char EscapeEnd = '\x0F';

// The escape at text[pos]: its length, and its code point in codePoint; 0
// when no well-formed escape starts there.
std::size_t ReadEscape(std::string_view text, std::size_t pos, char32_t& codePoint);

// Whether the text holds the escape start byte at all.
inline bool HoldsEscape(std::string_view text)
{
    return text.find(EscapeStart) != std::string_view::npos;
}

// Appends the page-text form of one code point: its Windows-1252 byte when
// it has one (0x0E excepted), else its escape.
void AppendPageCharacter(std::string& out, char32_t codePoint);

// UTF-8 bytes (valid or not) to page text. Never fails; PageTextToUtf8
// gives the bytes back.
void DecodeUtf8PageText(const char* bytes, std::size_t size, std::string& out);
std::string DecodeUtf8PageText(std::string_view bytes);

// Page text to UTF-8 bytes: Windows-1252 bytes to their characters, escapes
// to their characters (U+DC80 to U+DCFF to the single byte they stand for).
void EncodeUtf8PageText(std::string_view text, std::string& out);
std::string EncodeUtf8PageText(std::string_view text);

// Page text for a Windows-1252 page: every escape becomes the HTML character
// reference of its code point ("&#937;"), a raw-byte escape its byte.
std::string EscapesToCharacterReferences(std::string_view text);

// Page text to UTF-8 for display: as EncodeUtf8PageText, but a byte that was
// not valid UTF-8 shows as U+FFFD, so the result is always valid UTF-8.
std::string PageTextToDisplay(std::string_view text);

// Text typed by the user (UTF-8) to page text. For a UTF-8 page every
// character is accepted (escaped when Windows-1252 cannot hold it); for a
// Windows-1252 page only those Windows-1252 holds. False (out empty) when
// the text cannot be written this way or is not UTF-8.
bool TypedTextToPage(const std::string& utf8, bool utf8Page, std::string& out);

// Whether the bytes are valid UTF-8 (no overlong forms, no surrogates,
// nothing above U+10FFFF).
bool IsValidUtf8(std::string_view bytes);

// Lower-cases every run of escaped characters of a word with Unicode's full
// case mapping (the final sigma included); the word's Windows-1252 bytes and
// the escapes of raw bytes are left as they are. A character the mapping
// turns into one Windows-1252 holds takes that byte.
std::string LowerEscapedCharacters(std::string_view word);

// Number of characters of a page text: an escape counts as one.
std::size_t PageTextLength(std::string_view text);

// The encoding in which texts typed by the user are taken for the page the
// user works on (set when a page is analysed; Windows-1252 at start).
void SetTypedTextForUtf8Page(bool utf8Page);
bool TypedTextForUtf8Page();

}  // namespace kestrova
