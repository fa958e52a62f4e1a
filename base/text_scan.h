// Byte tables, the entity reader and the byte-level helpers behind the text
// rules and the word counting of the page analysis, which runs them over
// every byte of a page. Private to analysis/: other code uses
// base/text_rules.h and analysis/word_tables.h.
#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace kestrova::textscan {

using ByteTable = std::array<unsigned char, 256>;

// ToLower byte by byte: A-Z and 0xC0-0xDE up by 0x20.
inline constexpr ByteTable LowerTable = [] {
    ByteTable table{};
    for (int b = 0; b < 256; ++b)
        table[b] = static_cast<unsigned char>(((b >= 'A' && b <= 'Z') || (b >= 0xC0 && b <= 0xDE)) ? b + 0x20 : b);
    return table;
}();

// ToUpper byte by byte: a-z and 0xE0-0xFF down by 0x20.
inline constexpr ByteTable UpperTable = [] {
    ByteTable table{};
    for (int b = 0; b < 256; ++b)
        table[b] = static_cast<unsigned char>(((b >= 'a' && b <= 'z') || b >= 0xE0) ? b - 0x20 : b);
    return table;
}();

// RemoveAccents byte by byte: accented lower-case letters to their base letter.
inline constexpr ByteTable AccentTable = [] {
    ByteTable table{};
    for (int b = 0; b < 256; ++b)
        table[b] = static_cast<unsigned char>(b);
    auto map = [&table](std::string_view from, char to) {
        for (char c : from)
            table[static_cast<unsigned char>(c)] = static_cast<unsigned char>(to);
    };
    map("\xE9\xE8\xEB\xEA", 'e');  // é è ë ê
    map("\xE2\xE0\xE4\xE1", 'a');  // â à ä á
    map("\xEC\xEE\xEF\xED", 'i');  // ì î ï í
    map("\xF2\xF4\xF3\xF6", 'o');  // ò ô ó ö
    map("\xF9\xFB\xFC\xFA", 'u');  // ù û ü ú
    map("\xE7", 'c');              // ç
    map("\xF1", 'n');              // ñ
    return table;
}();

// The entity that DecodeEntities reads at text[pos] (a "&"): its decoded
// byte goes to decoded and its length in text is returned ("&amp;lt;" is
// one entity of 8 bytes decoding to "<"); 0 when the "&" starts none.
std::size_t EntityAt(std::string_view text, std::size_t pos, char& decoded);

// Whether a and b hold the same count bytes. Words and labels are short:
// a few loads of 8 or 4 bytes (the last one overlapping the one before when
// count is not a multiple) beat a call to memcmp.
inline bool SameBytes(const char* a, const char* b, std::size_t count)
{
    auto same8 = [](const char* x, const char* y) {
        std::uint64_t u, v;
        std::memcpy(&u, x, 8);
        std::memcpy(&v, y, 8);
        return u == v;
    };
    auto same4 = [](const char* x, const char* y) {
        std::uint32_t u, v;
        std::memcpy(&u, x, 4);
        std::memcpy(&v, y, 4);
        return u == v;
    };
    if (count >= 8) {
        for (; count > 8; a += 8, b += 8, count -= 8)
            if (!same8(a, b))
                return false;
        return same8(a + count - 8, b + count - 8);
    }
    if (count >= 4)
        return same4(a, b) && same4(a + count - 4, b + count - 4);
    if (count == 0)
        return true;
    // 1 to 3 bytes: the first, the middle and the last cover them all.
    return a[0] == b[0] && a[count / 2] == b[count / 2] && a[count - 1] == b[count - 1];
}

// Whether text holds the bytes of part at pos.
inline bool BytesAt(std::string_view text, std::size_t pos, std::string_view part)
{
    return pos <= text.size() && text.size() - pos >= part.size() &&
           SameBytes(text.data() + pos, part.data(), part.size());
}

// The hash of the word counting's look-up tables (usual words, word memo,
// key index): the word taken eight bytes at a time (the last piece filled up
// with zero bytes), each step a multiplication and a shift.
inline constexpr std::uint64_t HashFactor = 0x9E3779B97F4A7C15ULL;
inline std::uint64_t HashMix(std::uint64_t hash, std::uint64_t chunk)
{
    hash = (hash ^ chunk) * HashFactor;
    return hash ^ (hash >> 32);
}

inline std::uint64_t WordHash(std::string_view word)
{
    std::uint64_t hash = word.size() * HashFactor;
    std::size_t i = 0;
    for (; i + 8 <= word.size(); i += 8) {
        std::uint64_t chunk = 0;
        for (std::size_t k = 0; k < 8; ++k)
            chunk |= static_cast<std::uint64_t>(static_cast<unsigned char>(word[i + k])) << (8 * k);
        hash = HashMix(hash, chunk);
    }
    if (i < word.size()) {
        std::uint64_t chunk = 0;
        for (std::size_t k = 0; i + k < word.size(); ++k)
            chunk |= static_cast<std::uint64_t>(static_cast<unsigned char>(word[i + k])) << (8 * k);
        hash = HashMix(hash, chunk);
    }
    return hash;
}

// WordHash(word) for a word followed by at least 7 more readable bytes (its
// buffer has room to spare): whole 8-byte loads, the bytes past the word
// masked off. The same value as WordHash on a little-endian machine.
inline std::uint64_t PaddedWordHash(std::string_view word)
{
    if constexpr (std::endian::native != std::endian::little) {
        return WordHash(word);
    } else {
        std::uint64_t hash = word.size() * HashFactor;
        std::size_t i = 0;
        std::uint64_t chunk;
        for (; i + 8 <= word.size(); i += 8) {
            std::memcpy(&chunk, word.data() + i, 8);
            hash = HashMix(hash, chunk);
        }
        if (i < word.size()) {
            std::memcpy(&chunk, word.data() + i, 8);
            chunk &= ~std::uint64_t{0} >> (8 * (8 - (word.size() - i)));
            hash = HashMix(hash, chunk);
        }
        return hash;
    }
}

// The number of plain lower-case letters (a-z) that bytes starts with,
// copied to out as they are, their own lower case; eight bytes are tested at
// once, which takes most of a word in one step. Stops short of the last 7
// bytes of the text (and does nothing on a big-endian machine): the caller
// takes the bytes one at a time from where it stops. out must have 8 bytes
// of room past the letters.
inline std::size_t LetterRun(const char* bytes, std::size_t available, char* out)
{
    if constexpr (std::endian::native != std::endian::little) {
        return 0;
    } else {
        constexpr std::uint64_t ones = 0x0101010101010101ULL;
        constexpr std::uint64_t highs = 0x8080808080808080ULL;
        std::size_t count = 0;
        while (available - count >= 8) {
            std::uint64_t chunk;
            std::memcpy(&chunk, bytes + count, 8);
            std::memcpy(out + count, &chunk, 8);
            // Per byte, with its top bit set aside (so no sum carries into
            // the next byte): at least "a", and above "z"; a byte is a letter
            // when the first holds, the second does not and its top bit is 0.
            const std::uint64_t low = chunk & ~highs;
            const std::uint64_t atLeastA = low + (0x80 - 'a') * ones;
            const std::uint64_t aboveZ = low + (0x80 - 'z' - 1) * ones;
            const std::uint64_t letters = atLeastA & ~aboveZ & ~chunk & highs;
            if (letters != highs)
                return count + static_cast<std::size_t>(std::countr_zero(~letters & highs)) / 8;
            count += 8;
        }
        return count;
    }
}

}  // namespace kestrova::textscan
