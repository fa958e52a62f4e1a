#include "base/unicode_text.h"

#include <unicode/uchar.h>
#include <unicode/ustring.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include <unicode/utf16.h>

namespace kestrova {

namespace {

// Code points of the bytes 0x80-0x9F in Windows-1252; the five undefined
// bytes keep their own value.
constexpr char32_t Cp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

constexpr char32_t RawByteBase = 0xDC00;  // + a byte 0x80-0xFF that was not UTF-8
constexpr char32_t Replacement = 0xFFFD;
constexpr std::size_t LongestEscape = 9;  // 0x0E, 7 digits, 0x0F

char32_t CodePointOfByte(unsigned char b)
{
    return (b >= 0x80 && b <= 0x9F) ? Cp1252High[b - 0x80] : b;
}

// The Windows-1252 byte of a code point, or -1 when the code page has none.
int ByteOfCodePoint(char32_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return static_cast<int>(c);
    for (int i = 0; i < 32; ++i)
        if (Cp1252High[i] == c)
            return 0x80 + i;
    return -1;
}

bool IsContinuation(unsigned char b)
{
    return (b & 0xC0) == 0x80;
}

// The UTF-8 sequence at bytes[i]: its length, its code point in c; 0 when
// no valid sequence starts there.
std::size_t Utf8At(const unsigned char* s, std::size_t n, std::size_t i, char32_t& c)
{
    const unsigned char b = s[i];
    if (b < 0x80) {
        c = b;
        return 1;
    }
    std::size_t length;
    unsigned char low = 0x80, high = 0xBF;  // bounds of the second byte
    if (b >= 0xC2 && b <= 0xDF) {
        length = 2;
        c = b & 0x1F;
    } else if (b >= 0xE0 && b <= 0xEF) {
        length = 3;
        c = b & 0x0F;
        if (b == 0xE0)
            low = 0xA0;  // overlong
        else if (b == 0xED)
            high = 0x9F;  // surrogates
    } else if (b >= 0xF0 && b <= 0xF4) {
        length = 4;
        c = b & 0x07;
        if (b == 0xF0)
            low = 0x90;  // overlong
        else if (b == 0xF4)
            high = 0x8F;  // above U+10FFFF
    } else {
        return 0;
    }
    if (n - i < length)
        return 0;
    if (s[i + 1] < low || s[i + 1] > high)
        return 0;
    for (std::size_t k = 1; k < length; ++k) {
        if (!IsContinuation(s[i + k]))
            return 0;
        c = (c << 6) | (s[i + k] & 0x3F);
    }
    return length;
}

void AppendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

void AppendEscape(std::string& out, char32_t c)
{
    char digits[8];
    int count = 0;
    do {
        digits[count++] = static_cast<char>('0' + c % 10);
        c /= 10;
    } while (c != 0);
    out.push_back(EscapeStart);
    while (count > 0)
        out.push_back(digits[--count]);
    out.push_back(EscapeEnd);
}

bool IsRawByteEscape(char32_t c)
{
    return c >= RawByteBase + 0x80 && c <= RawByteBase + 0xFF;
}

// Shared by the encoders: rawBytes decides what a raw-byte escape gives.
void Encode(std::string_view text, std::string& out, bool rawBytes)
{
    out.reserve(out.size() + text.size() + text.size() / 4);
    std::size_t i = 0;
    while (i < text.size()) {
        const unsigned char b = static_cast<unsigned char>(text[i]);
        if (b < 0x80 && b != static_cast<unsigned char>(EscapeStart)) {
            // Runs of ASCII are copied as they are.
            std::size_t end = i + 1;
            while (end < text.size() && static_cast<unsigned char>(text[end]) < 0x80 && text[end] != EscapeStart)
                ++end;
            out.append(text, i, end - i);
            i = end;
            continue;
        }
        char32_t c;
        if (b == static_cast<unsigned char>(EscapeStart)) {
            const std::size_t length = ReadEscape(text, i, c);
            if (length == 0) {
                out.push_back(EscapeStart);  // a lone shift-out byte
                ++i;
                continue;
            }
            i += length;
            if (IsRawByteEscape(c)) {
                if (rawBytes)
                    out.push_back(static_cast<char>(c - RawByteBase));
                else
                    AppendUtf8(out, Replacement);
                continue;
            }
            AppendUtf8(out, c);
            continue;
        }
        AppendUtf8(out, CodePointOfByte(b));
        ++i;
    }
}

std::atomic<bool> gTypedForUtf8{false};

}  // namespace

std::size_t ReadEscape(std::string_view text, std::size_t pos, char32_t& codePoint)
{
    if (pos >= text.size() || text[pos] != EscapeStart)
        return 0;
    std::size_t i = pos + 1;
    const std::size_t limit = std::min(text.size(), pos + LongestEscape);
    if (i >= limit || text[i] < '1' || text[i] > '9')
        return 0;
    char32_t value = 0;
    while (i < limit && text[i] >= '0' && text[i] <= '9') {
        value = value * 10 + static_cast<char32_t>(text[i] - '0');
        ++i;
    }
    if (i >= limit || text[i] != EscapeEnd || value > 0x10FFFF)
        return 0;
    // Surrogates other than the raw-byte ones are no characters.
    if (value >= 0xD800 && value <= 0xDFFF && !IsRawByteEscape(value))
        return 0;
    codePoint = value;
    return i + 1 - pos;
}

void AppendPageCharacter(std::string& out, char32_t codePoint)
{
    const int b = codePoint == static_cast<char32_t>(EscapeStart) ? -1 : ByteOfCodePoint(codePoint);
    if (b >= 0)
        out.push_back(static_cast<char>(b));
    else
        AppendEscape(out, codePoint);
}

void DecodeUtf8PageText(const char* bytes, std::size_t size, std::string& out)
{
    const auto* s = reinterpret_cast<const unsigned char*>(bytes);
    out.reserve(out.size() + size);
    std::size_t i = 0;
    while (i < size) {
        if (s[i] < 0x80 && s[i] != static_cast<unsigned char>(EscapeStart)) {
            std::size_t end = i + 1;
            // Eight bytes at a time while none of them is above 0x7F or the
            // escape byte.
            constexpr std::uint64_t Ones = 0x0101010101010101ULL, Highs = 0x8080808080808080ULL;
            constexpr std::uint64_t Escapes = Ones * static_cast<unsigned char>(EscapeStart);
            while (end + 8 <= size) {
                std::uint64_t chunk;
                std::memcpy(&chunk, s + end, 8);
                const std::uint64_t escape = chunk ^ Escapes;  // a zero byte where the escape byte is
                if (((chunk & Highs) | ((escape - Ones) & ~escape & Highs)) != 0)
                    break;
                end += 8;
            }
            while (end < size && s[end] < 0x80 && s[end] != static_cast<unsigned char>(EscapeStart))
                ++end;
            out.append(bytes + i, end - i);
            i = end;
            continue;
        }
        char32_t c;
        const std::size_t length = Utf8At(s, size, i, c);
        if (length == 0) {
            AppendEscape(out, RawByteBase + s[i]);
            ++i;
            continue;
        }
        AppendPageCharacter(out, c);
        i += length;
    }
}

std::string DecodeUtf8PageText(std::string_view bytes)
{
    std::string out;
    DecodeUtf8PageText(bytes.data(), bytes.size(), out);
    return out;
}

void EncodeUtf8PageText(std::string_view text, std::string& out)
{
    Encode(text, out, true);
}

std::string EncodeUtf8PageText(std::string_view text)
{
    std::string out;
    Encode(text, out, true);
    return out;
}

std::string EscapesToCharacterReferences(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        char32_t c;
        const std::size_t length = text[i] == EscapeStart ? ReadEscape(text, i, c) : 0;
        if (length == 0) {
            out.push_back(text[i++]);
            continue;
        }
        i += length;
        if (IsRawByteEscape(c)) {
            out.push_back(static_cast<char>(c - RawByteBase));
        } else {
            out += "&#";
            out += std::to_string(static_cast<std::uint32_t>(c));
            out += ';';
        }
    }
    return out;
}

std::string PageTextToDisplay(std::string_view text)
{
    std::string out;
    Encode(text, out, false);
    return out;
}

bool IsValidUtf8(std::string_view bytes)
{
    const auto* s = reinterpret_cast<const unsigned char*>(bytes.data());
    char32_t c;
    for (std::size_t i = 0; i < bytes.size();) {
        const std::size_t length = Utf8At(s, bytes.size(), i, c);
        if (length == 0)
            return false;
        i += length;
    }
    return true;
}

bool TypedTextToPage(const std::string& utf8, bool utf8Page, std::string& out)
{
    out.clear();
    if (!IsValidUtf8(utf8))
        return false;
    const auto* s = reinterpret_cast<const unsigned char*>(utf8.data());
    char32_t c;
    std::string text;
    for (std::size_t i = 0; i < utf8.size();) {
        i += Utf8At(s, utf8.size(), i, c);
        if (utf8Page) {
            AppendPageCharacter(text, c);
            continue;
        }
        // A Windows-1252 page holds neither escapes nor the characters that
        // would need one.
        const int b = ByteOfCodePoint(c);
        if (b < 0 || c == static_cast<char32_t>(EscapeStart))
            return false;
        text.push_back(static_cast<char>(b));
    }
    out = std::move(text);
    return true;
}

std::string LowerEscapedCharacters(std::string_view word)
{
    std::string out;
    out.reserve(word.size());
    std::vector<UChar> run, lower;
    std::size_t i = 0;
    while (i < word.size()) {
        char32_t c;
        std::size_t length = ReadEscape(word, i, c);
        if (length == 0 || IsRawByteEscape(c)) {
            if (length == 0)
                length = 1;
            out.append(word, i, length);
            i += length;
            continue;
        }
        // A run of escaped characters, lower-cased as one text so that the
        // mapping sees each letter's neighbours.
        run.clear();
        while (length != 0 && !IsRawByteEscape(c)) {
            if (c <= 0xFFFF) {
                run.push_back(static_cast<UChar>(c));
            } else {
                run.push_back(U16_LEAD(c));
                run.push_back(U16_TRAIL(c));
            }
            i += length;
            length = ReadEscape(word, i, c);
        }
        UErrorCode status = U_ZERO_ERROR;
        lower.resize(run.size() * 3 + 4);
        int32_t size = u_strToLower(lower.data(), static_cast<int32_t>(lower.size()), run.data(),
                                    static_cast<int32_t>(run.size()), "", &status);
        if (U_FAILURE(status) || size > static_cast<int32_t>(lower.size())) {
            lower = run;  // left as written rather than lost
            size = static_cast<int32_t>(run.size());
        }
        for (int32_t k = 0; k < size;) {
            UChar32 cp;
            U16_NEXT(lower.data(), k, size, cp);
            AppendPageCharacter(out, static_cast<char32_t>(cp));
        }
    }
    return out;
}

std::size_t PageTextLength(std::string_view text)
{
    std::size_t count = 0;
    for (std::size_t i = 0; i < text.size(); ++count) {
        char32_t c;
        const std::size_t length = text[i] == EscapeStart ? ReadEscape(text, i, c) : 0;
        i += length == 0 ? 1 : length;
    }
    return count;
}

void SetTypedTextForUtf8Page(bool utf8Page)
{
    gTypedForUtf8 = utf8Page;
}

bool TypedTextForUtf8Page()
{
    return gTypedForUtf8;
}

}  // namespace kestrova
