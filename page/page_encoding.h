// The encoding of a page file. A page is UTF-8 when it starts with the UTF-8
// byte-order mark; else when a meta tag in its first WalkBlockSize bytes
// declares the charset "utf-8" (a <meta charset> or the charset of a
// content-type meta; the search ends at "<body"); else, when no meta tag declares a charset, when its
// bytes are valid UTF-8 and hold at least one multi-byte sequence. Every
// other page is Windows-1252. The walker decodes a UTF-8 page into the
// engine's Windows-1252 text (base/unicode_text.h) and encodes its copy back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kestrova {

enum class PageEncoding { Windows1252, Utf8 };

// What the first bytes of a page say about its encoding.
enum class DeclaredEncoding {
    None,   // nothing: the bytes decide
    Utf8,   // a byte-order mark or a meta tag declaring "utf-8"
    Other,  // a meta tag declaring another charset
};

constexpr std::string_view Utf8ByteOrderMark{"\xEF\xBB\xBF", 3};

// Reads the byte-order mark and the meta tags of the page's first bytes
// (head holds them; only its first WalkBlockSize bytes are read).
DeclaredEncoding DeclaredPageEncoding(std::string_view head);

// Whether the page's bytes from offset on are valid UTF-8 (a sequence never
// ends the page unfinished).
bool IsUtf8FromOffset(int fd, std::int64_t offset, std::int64_t size);

// Checks bytes[0, n) for UTF-8: how many bytes are valid up to a sequence
// that the bytes end before it is complete, or -1 when an invalid sequence
// is met.
long ValidUtf8Prefix(const char* bytes, std::size_t n);

// The first byte at or above 0x80 in bytes[0, size), or size when none.
std::size_t FirstHighByte(const char* bytes, std::size_t size);

// The encoding of the open page, by the rules above.
PageEncoding DetectPageEncoding(int fd, std::int64_t size);
// Same for the page at path (Windows-1252 when it cannot be read).
PageEncoding DetectPageFileEncoding(const std::string& path);

}  // namespace kestrova
