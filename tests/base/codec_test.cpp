#include "base/codec.h"

#include <gtest/gtest.h>

#include "base/translate.h"

using namespace kestrova;

TEST(Codec, Cp1252EveryDefinedByteRoundTrips)
{
    const std::string undefined = "\x81\x8D\x8F\x90\x9D";
    for (int b = 0x20; b <= 0xFF; ++b) {
        const std::string one(1, static_cast<char>(b));
        const std::string utf8 = Cp1252ToUtf8(one);
        if (undefined.find(one) != std::string::npos)
            continue;
        std::string back;
        ASSERT_TRUE(Utf8ToCp1252(utf8, back)) << b;
        EXPECT_EQ(back, one) << b;
    }
    EXPECT_EQ(Cp1252ToUtf8("\x80"), "\xE2\x82\xAC");  // euro sign
    EXPECT_EQ(Cp1252ToUtf8("\x9F"), "\xC5\xB8");      // Y with diaeresis
    EXPECT_EQ(Cp1252ToUtf8("\x93\x94"), "\xE2\x80\x9C\xE2\x80\x9D");
    EXPECT_EQ(Cp1252ToUtf8("Fran\xE7"
                           "ais"),
              "Fran\xC3\xA7"
              "ais");
    EXPECT_EQ(Cp1252ToUtf8("\x81"), "\xC2\x81");  // undefined: C1 control
}

TEST(Codec, Utf8ToCp1252StrictAndLossy)
{
    std::string out = "old";
    EXPECT_FALSE(Utf8ToCp1252("caf\xC3\xA9 \xD0\x96", out));  // Cyrillic Zhe
    EXPECT_EQ(out, "");
    EXPECT_FALSE(Utf8ToCp1252("\xC3", out));          // truncated
    EXPECT_FALSE(Utf8ToCp1252("\xC0\xAF", out));      // overlong "/"
    EXPECT_FALSE(Utf8ToCp1252("\xED\xA0\x80", out));  // surrogate
    EXPECT_FALSE(Utf8ToCp1252("\xC2\x80", out));      // U+0080 has no byte
    EXPECT_TRUE(Utf8ToCp1252("\xE2\x82\xAC 5", out));
    EXPECT_EQ(out, "\x80 5");
    EXPECT_EQ(Utf8ToCp1252Lossy("caf\xC3\xA9 \xD0\x96\xF0\x9F\x98\x80!"), "caf\xE9 ?"
                                                                          "?!");
    EXPECT_EQ(Utf8ToCp1252Lossy("a\xFF"
                                "b"),
              "a?b");
}

TEST(Codec, Cp1251)
{
    const std::string russian = "\xD0\xA0\xD1\x83\xD1\x81\xD1\x81\xD0\xBA\xD0\xB8\xD0\xB9";  // Русский
    EXPECT_EQ(Cp1251ToUtf8(LanguageRussian), russian);
    std::string back;
    ASSERT_TRUE(Utf8ToCp1251(russian, back));
    EXPECT_EQ(back, LanguageRussian);
    // Український: the Ukrainian yi (0xBF) and soft sign.
    EXPECT_EQ(Cp1251ToUtf8(LanguageUkrainian),
              "\xD0\xA3\xD0\xBA\xD1\x80\xD0\xB0\xD1\x97\xD0\xBD\xD1\x81\xD1\x8C\xD0\xBA\xD0\xB8\xD0\xB9");
    for (int b = 0x20; b <= 0xFF; ++b) {
        if (b == 0x98)
            continue;
        const std::string one(1, static_cast<char>(b));
        ASSERT_TRUE(Utf8ToCp1251(Cp1251ToUtf8(one), back)) << b;
        EXPECT_EQ(back, one) << b;
    }
    EXPECT_EQ(Cp1251ToUtf8("\xA8\xB8\xB9"), "\xD0\x81\xD1\x91\xE2\x84\x96");  // Ё ё №
    EXPECT_FALSE(Utf8ToCp1251("\xC3\xA9", back));                             // é
}

TEST(Codec, LanguageNamesForDisplay)
{
    EXPECT_EQ(LanguageToUtf8(LanguageRussian), Cp1251ToUtf8(LanguageRussian));
    EXPECT_EQ(LanguageToUtf8(LanguageUkrainian), Cp1251ToUtf8(LanguageUkrainian));
    EXPECT_EQ(LanguageToUtf8(LanguageFrench), "Fran\xC3\xA7"
                                              "ais");
    EXPECT_EQ(LanguageToUtf8("Deutsch"), "Deutsch");
    // Any other text is Windows-1252, even when it holds the same letters.
    EXPECT_EQ(LanguageToUtf8("\xD0\xF3"), "\xC3\x90\xC3\xB3");
}
