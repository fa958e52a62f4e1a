#include "base/unicode_text.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "base/text_rules.h"
#include "base/text_scan.h"

using namespace kestrova;

namespace {

// Decoding and encoding back must give every byte string back, valid UTF-8
// or not: a page the handlers leave alone is written back unchanged.
TEST(UnicodeTextTest, DecodingAndEncodingGiveAnyBytesBack)
{
    const std::string samples[] = {
        "plain ASCII <p class=\"x\">",
        "caf\xC3\xA9 \xC5\x93uvre \xE2\x82\xAC 10",           // characters Windows-1252 holds
        "\xCE\xA9\xCE\xBC\xCE\xAD\xCE\xB3\xCE\xB1 \xD0\xAF",  // Greek, Cyrillic
        "\xF0\x9F\x98\x80 emoji",                             // four bytes
        "\xC2\x81 and \xC2\x80",                              // C1 controls: one kept as a byte, one escaped
        "shift \x0E"
        "937\x0F out",  // looks like an escape
        "lone \x0E and \x0F",
        "\xE9t\xE9 cp1252 bytes",  // not UTF-8
        "\xC0\xAF overlong \xE0\x80\xAF \xED\xA0\x80 surrogate \xF4\x90\x80\x80 too high",
        "cut \xE2\x82",  // unfinished at the end
        "\xEF\xBB\xBFmark",
        std::string("zero \0 byte", 11),
    };
    for (const std::string& bytes : samples) {
        const std::string decoded = DecodeUtf8PageText(bytes);
        EXPECT_EQ(EncodeUtf8PageText(decoded), bytes) << decoded;
    }

    std::mt19937 random(15);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int round = 0; round < 2000; ++round) {
        std::string bytes(static_cast<std::size_t>(round % 40), '\0');
        for (char& c : bytes)
            c = static_cast<char>(byte(random));
        ASSERT_EQ(EncodeUtf8PageText(DecodeUtf8PageText(bytes)), bytes) << "round " << round;
    }
}

TEST(UnicodeTextTest, CharactersTakeTheirByteOrAnEscape)
{
    // Windows-1252 characters become their byte, the same text as the
    // Windows-1252 twin of the page.
    EXPECT_EQ(DecodeUtf8PageText("caf\xC3\xA9 \xC5\x93uvre \xE2\x82\xAC \xE2\x80\x99"), "caf\xE9 \x9Cuvre \x80 \x92");
    // Others an escape of their code point; a stray byte the escape of
    // U+DC00 + the byte.
    EXPECT_EQ(DecodeUtf8PageText("\xCE\xA9"), "\x0E"
                                              "937\x0F");
    EXPECT_EQ(DecodeUtf8PageText("\xF0\x9F\x98\x80"), "\x0E"
                                                      "128512\x0F");
    EXPECT_EQ(DecodeUtf8PageText("a\xE9z"), "a\x0E"
                                            "56553\x0F"
                                            "z");
    // The shift-out byte is escaped so that every one starts an escape.
    EXPECT_EQ(DecodeUtf8PageText("\x0E"), "\x0E"
                                          "14\x0F");

    char32_t c = 0;
    EXPECT_EQ(ReadEscape("x\x0E"
                         "1071\x0Fy",
                         1, c),
              6u);
    EXPECT_EQ(c, U'\u042F');
    // Not escapes: no digits, a leading zero, no end, above U+10FFFF, a
    // surrogate that stands for no byte.
    for (const char* text : {"\x0E\x0F",
                             "\x0E"
                             "0937\x0F",
                             "\x0E"
                             "937",
                             "\x0E"
                             "1114112\x0F",
                             "\x0E"
                             "55296\x0F"})
        EXPECT_EQ(ReadEscape(text, 0, c), 0u) << text + 1;
}

// The escape survives every byte rule of the engine: no separator, no case
// or accent change, no entity.
TEST(UnicodeTextTest, EscapeBytesPassTheTextRulesUnchanged)
{
    const std::string escaped = DecodeUtf8PageText("\xCE\xA9\xD0\xAF\xF0\x9F\x98\x80");
    for (char c : escaped)
        EXPECT_FALSE(IsWordSeparator(c)) << int(c);
    EXPECT_EQ(ToLower(escaped), escaped);
    EXPECT_EQ(ToUpper(escaped), escaped);
    EXPECT_EQ(RemoveAccents(escaped), escaped);
    EXPECT_EQ(EncodeEntities(escaped), escaped);
    EXPECT_EQ(DecodeEntities(escaped), escaped);
}

TEST(UnicodeTextTest, DisplayIsAlwaysValidUtf8)
{
    EXPECT_EQ(PageTextToDisplay("caf\xE9 \x0E"
                                "937\x0F"),
              "caf\xC3\xA9 \xCE\xA9");
    // A byte that was not UTF-8 shows as the replacement character; a lone
    // shift-out byte as itself.
    EXPECT_EQ(PageTextToDisplay(DecodeUtf8PageText("a\xFF"
                                                   "b")),
              "a\xEF\xBF\xBD"
              "b");
    EXPECT_EQ(PageTextToDisplay("\x0E"
                                "9"),
              "\x0E"
              "9");
    EXPECT_TRUE(IsValidUtf8(PageTextToDisplay(DecodeUtf8PageText("\xC0\xAF\xED\xA0\x80\xF4\x90\x80\x80"))));
}

TEST(UnicodeTextTest, TypedTextIsAcceptedInThePageEncoding)
{
    std::string out;
    // A UTF-8 page takes any character.
    ASSERT_TRUE(TypedTextToPage("\xCE\xA9mega caf\xC3\xA9", true, out));
    EXPECT_EQ(out, "\x0E"
                   "937\x0F"
                   "mega caf\xE9");
    // A Windows-1252 page only what the code page holds, as before.
    EXPECT_FALSE(TypedTextToPage("\xCE\xA9mega", false, out));
    EXPECT_TRUE(out.empty());
    ASSERT_TRUE(TypedTextToPage("caf\xC3\xA9 \xE2\x82\xAC", false, out));
    EXPECT_EQ(out, "caf\xE9 \x80");
    // Never an escape written into a Windows-1252 page, and never text that
    // is not UTF-8.
    EXPECT_FALSE(TypedTextToPage("\x0E"
                                 "937\x0F",
                                 false, out));
    EXPECT_FALSE(TypedTextToPage("caf\xE9", true, out));
}

TEST(UnicodeTextTest, EscapedCharactersTakeUnicodeLowerCase)
{
    auto lower = [](const char* utf8) { return PageTextToDisplay(LowerEscapedCharacters(DecodeUtf8PageText(utf8))); };
    EXPECT_EQ(lower("\xD0\xA1\xD0\x9B\xD0\x9E\xD0\x92\xD0\x9E"), "\xD1\x81\xD0\xBB\xD0\xBE\xD0\xB2\xD0\xBE");  // СЛОВО
    // The final sigma of a word: ΟΔΟΣ -> οδος with ς.
    EXPECT_EQ(lower("\xCE\x9F\xCE\x94\xCE\x9F\xCE\xA3"), "\xCE\xBF\xCE\xB4\xCE\xBF\xCF\x82");
    // The Windows-1252 bytes of the word keep the program's own case rule
    // (Œ, 0x8C, is not moved by it); a raw byte stays.
    EXPECT_EQ(LowerEscapedCharacters("\x8C\x0E"
                                     "937\x0F"
                                     "A"),
              "\x8C\x0E"
              "969\x0F"
              "A");
    const std::string raw = DecodeUtf8PageText("\xFF");
    EXPECT_EQ(LowerEscapedCharacters(raw), raw);
    // A lower case that Windows-1252 holds takes its byte (Ÿ is 0x9F, ÿ 0xFF
    // there; capital sharp s has no single-byte form).
    EXPECT_EQ(LowerEscapedCharacters(DecodeUtf8PageText("\xC4\xB0")), "i\x0E"
                                                                      "775\x0F");  // İ -> i + dot
    EXPECT_EQ(PageTextLength("a\x0E"
                             "937\x0F"
                             "b\x0E"),
              4u);
}

}  // namespace
