#include "base/codec.h"

#include <cstdint>

#include "base/translate.h"

namespace kestrova {

namespace {

// Code points of the bytes 0x80-0x9F in Windows-1252. The five bytes the
// code page leaves undefined keep their own value (C1 controls).
constexpr char16_t Cp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

// Code points of the bytes 0x80-0xFF in Windows-1251; 0x98, undefined,
// keeps its own value.
constexpr char16_t Cp1251High[128] = {
    0x0402,
    0x0403,
    0x201A,
    0x0453,
    0x201E,
    0x2026,
    0x2020,
    0x2021,
    0x20AC,
    0x2030,
    0x0409,
    0x2039,
    0x040A,
    0x040C,
    0x040B,
    0x040F,
    0x0452,
    0x2018,
    0x2019,
    0x201C,
    0x201D,
    0x2022,
    0x2013,
    0x2014,
    0x0098,
    0x2122,
    0x0459,
    0x203A,
    0x045A,
    0x045C,
    0x045B,
    0x045F,
    0x00A0,
    0x040E,
    0x045E,
    0x0408,
    0x00A4,
    0x0490,
    0x00A6,
    0x00A7,
    0x0401,
    0x00A9,
    0x0404,
    0x00AB,
    0x00AC,
    0x00AD,
    0x00AE,
    0x0407,
    0x00B0,
    0x00B1,
    0x0406,
    0x0456,
    0x0491,
    0x00B5,
    0x00B6,
    0x00B7,
    0x0451,
    0x2116,
    0x0454,
    0x00BB,
    0x0458,
    0x0405,
    0x0455,
    0x0457,
    // 0xC0-0xFF: the Russian alphabet, capitals then small letters.
    0x0410,
    0x0411,
    0x0412,
    0x0413,
    0x0414,
    0x0415,
    0x0416,
    0x0417,
    0x0418,
    0x0419,
    0x041A,
    0x041B,
    0x041C,
    0x041D,
    0x041E,
    0x041F,
    0x0420,
    0x0421,
    0x0422,
    0x0423,
    0x0424,
    0x0425,
    0x0426,
    0x0427,
    0x0428,
    0x0429,
    0x042A,
    0x042B,
    0x042C,
    0x042D,
    0x042E,
    0x042F,
    0x0430,
    0x0431,
    0x0432,
    0x0433,
    0x0434,
    0x0435,
    0x0436,
    0x0437,
    0x0438,
    0x0439,
    0x043A,
    0x043B,
    0x043C,
    0x043D,
    0x043E,
    0x043F,
    0x0440,
    0x0441,
    0x0442,
    0x0443,
    0x0444,
    0x0445,
    0x0446,
    0x0447,
    0x0448,
    0x0449,
    0x044A,
    0x044B,
    0x044C,
    0x044D,
    0x044E,
    0x044F,
};

char32_t Cp1252CodePoint(unsigned char byte)
{
    if (byte >= 0x80 && byte <= 0x9F)
        return Cp1252High[byte - 0x80];
    return byte;
}

char32_t Cp1251CodePoint(unsigned char byte)
{
    return byte < 0x80 ? char32_t(byte) : char32_t(Cp1251High[byte - 0x80]);
}

void AppendUtf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xF0 | (cp >> 18));
        out += char(0x80 | ((cp >> 12) & 0x3F));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}

// Decodes one UTF-8 character at `pos` and advances past it. Returns false
// (advancing by one byte) on a malformed, overlong or surrogate sequence.
bool NextCodePoint(const std::string& s, std::size_t& pos, char32_t& cp)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    unsigned char lead = byte(pos);
    int extra;
    char32_t min;
    if (lead < 0x80) {
        cp = lead;
        ++pos;
        return true;
    } else if ((lead & 0xE0) == 0xC0) {
        extra = 1;
        cp = lead & 0x1F;
        min = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2;
        cp = lead & 0x0F;
        min = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3;
        cp = lead & 0x07;
        min = 0x10000;
    } else {
        ++pos;
        return false;
    }
    if (pos + extra >= s.size()) {  // truncated sequence
        ++pos;
        return false;
    }
    for (int i = 1; i <= extra; ++i) {
        unsigned char next = byte(pos + i);
        if ((next & 0xC0) != 0x80) {
            ++pos;
            return false;
        }
        cp = (cp << 6) | (next & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++pos;
        return false;
    }
    pos += extra + 1;
    return true;
}

int Cp1252Byte(char32_t cp)
{
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF))
        return int(cp);
    for (int i = 0; i < 32; ++i) {
        if (Cp1252High[i] == cp)
            return 0x80 + i;
    }
    return -1;
}

int Cp1251Byte(char32_t cp)
{
    if (cp < 0x80)
        return int(cp);
    for (int i = 0; i < 128; ++i) {
        if (Cp1251High[i] == cp)
            return 0x80 + i;
    }
    return -1;
}

// Converts UTF-8 with `toByte`; '?' for what cannot be written when
// `lossy`, otherwise false at the first such character.
template <typename ToByte>
bool FromUtf8(const std::string& utf8, std::string& out, bool lossy, ToByte toByte)
{
    std::string result;
    result.reserve(utf8.size());
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        char32_t cp = 0;
        int b = NextCodePoint(utf8, pos, cp) ? toByte(cp) : -1;
        if (b < 0) {
            if (!lossy) {
                out.clear();
                return false;
            }
            b = '?';
        }
        result += char(b);
    }
    out = std::move(result);
    return true;
}

}  // namespace

std::string Cp1252ToUtf8(const std::string& text)
{
    std::string out;
    out.reserve(text.size() + text.size() / 4);
    for (unsigned char c : text)
        AppendUtf8(out, Cp1252CodePoint(c));
    return out;
}

bool Utf8ToCp1252(const std::string& utf8, std::string& out)
{
    return FromUtf8(utf8, out, false, Cp1252Byte);
}

std::string Utf8ToCp1252Lossy(const std::string& utf8)
{
    std::string out;
    FromUtf8(utf8, out, true, Cp1252Byte);
    return out;
}

std::string Cp1251ToUtf8(const std::string& text)
{
    std::string out;
    out.reserve(text.size() * 2);
    for (unsigned char c : text)
        AppendUtf8(out, Cp1251CodePoint(c));
    return out;
}

bool Utf8ToCp1251(const std::string& utf8, std::string& out)
{
    return FromUtf8(utf8, out, false, Cp1251Byte);
}

std::string LanguageToUtf8(const std::string& language)
{
    if (language == LanguageUkrainian || language == LanguageRussian)
        return Cp1251ToUtf8(language);
    return Cp1252ToUtf8(language);
}

}  // namespace kestrova
