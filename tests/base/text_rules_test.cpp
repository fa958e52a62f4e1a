#include "base/text_rules.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/entity_reference.h"
#include "tests/support/temp_site.h"

using namespace kestrova;

namespace {

using kestrova::test::DecodeRowByRow;
using kestrova::test::EncodeRowByRow;
using kestrova::test::EntityRows;

// Random texts rich in entity fragments, so that nested and broken entities
// ("&amp;lt;", "&amp;amp;eacute;", "&e\nacute;") come up often.
std::string RandomEntityText(std::mt19937& rng)
{
    static const std::vector<std::string> pieces = {
        "&",       "amp;",   "&amp;", ";",      "a",     "\n",     "\t",    "\r", "'",    " ",  "\xE9", "\xD4",  "lt;",
        "eacute;", "rsquo;", "&e",    "acute;", "euro;", "Ocirc;", "nbsp;", "x",  "\xA0", "\"", "<",    "&#233;"};
    std::uniform_int_distribution<std::size_t> pick(0, pieces.size() + EntityRows().size() - 1);
    std::uniform_int_distribution<int> length(0, 12);
    std::string text;
    for (int n = length(rng); n > 0; --n) {
        std::size_t i = pick(rng);
        text += i < pieces.size() ? pieces[i] : EntityRows()[i - pieces.size()].first;
    }
    return text;
}

}  // namespace

TEST(DecodeEntities, ExamplesOfTheTable)
{
    EXPECT_EQ(DecodeEntities("Caf&eacute; cr&egrave;me"), "Caf\xE9 cr\xE8me");
    EXPECT_EQ(DecodeEntities("a&nbsp;b"), "a b");
    EXPECT_EQ(DecodeEntities("x&amp;lt;y"), "x<y");
    EXPECT_EQ(DecodeEntities("x&amp;eacute;y"), "x&eacute;y");
    EXPECT_EQ(DecodeEntities("ligne1\nligne2"), "ligne1ligne2");
    EXPECT_EQ(DecodeEntities("a\r\n\tb"), "ab");
}

TEST(DecodeEntities, OrderOfTheRowsAndCaseSensitivity)
{
    // Later rows than "&amp;" are decoded twice, earlier ones once.
    EXPECT_EQ(DecodeEntities("&amp;rsquo;&amp;euro;&amp;ordm;"), "'\x80\xBA");
    EXPECT_EQ(DecodeEntities("&amp;nbsp;&amp;quot;"), "&nbsp;&quot;");
    // The "&" made by the "&amp;" row is not decoded again as "&amp;".
    EXPECT_EQ(DecodeEntities("&amp;amp;lt;"), "&amp;lt;");
    EXPECT_EQ(DecodeEntities("&amp;amp;"), "&amp;");
    // Names are case-sensitive; numeric references stay.
    EXPECT_EQ(DecodeEntities("&EACUTE;&Eacute;&#233;&Ocirc;"), "&EACUTE;\xC9&#233;\xD4");
    // A line end inside an entity name breaks it, and is deleted afterwards.
    EXPECT_EQ(DecodeEntities("&ea\ncute;"), "&eacute;");
    EXPECT_EQ(DecodeEntities("&amp;l\nt;"), "&lt;");
    EXPECT_EQ(DecodeEntities("&amp"), "&amp");
    EXPECT_EQ(DecodeEntities(""), "");
}

TEST(DecodeEntities, AgreesWithTheRowByRowDefinition)
{
    std::mt19937 rng(1234);
    for (int i = 0; i < 6000; ++i) {
        const std::string text = RandomEntityText(rng);
        ASSERT_EQ(DecodeEntities(text), DecodeRowByRow(text)) << "input: " << text;
    }
}

TEST(EncodeEntities, ExamplesAndRowOrder)
{
    EXPECT_EQ(EncodeEntities("l'\xE9t\xE9"), "l&rsquo;&eacute;t&eacute;");
    EXPECT_EQ(EncodeEntities("A & B"), "A &amp; B");
    EXPECT_EQ(EncodeEntities("a\nb"), "a&nbsp;b");
    // Ô and the no-break space byte are not encoded; nor is a plain space.
    EXPECT_EQ(EncodeEntities("\xD4 \xA0"), "\xD4 \xA0");
    EXPECT_EQ(EncodeEntities("&eacute;"), "&amp;eacute;");
    EXPECT_EQ(EncodeEntities("<\"\x80\xDF\xC9\xCA>"), "&lt;&quot;&euro;&szlig;&Eacute;&Ecirc;&gt;");
}

TEST(EncodeEntities, AgreesWithTheRowByRowDefinitionOnEveryByte)
{
    for (int b = 0; b < 256; ++b) {
        const std::string text(1, static_cast<char>(b));
        ASSERT_EQ(EncodeEntities(text), EncodeRowByRow(text)) << "byte " << b;
    }
    std::mt19937 rng(99);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int i = 0; i < 2000; ++i) {
        std::string text;
        for (int n = 0; n < 20; ++n)
            text.push_back(static_cast<char>(byte(rng)));
        ASSERT_EQ(EncodeEntities(text), EncodeRowByRow(text));
    }
}

TEST(EncodeEntities, RoundTripThroughDecode)
{
    // Every byte comes back, except LF (written as "&nbsp;", read as a space),
    // Ô (not written, but read) and CR and TAB (deleted when decoding).
    std::string all;
    for (int b = 0; b < 256; ++b) {
        if (b == '\n' || b == '\r' || b == '\t' || b == 0xD4)
            continue;
        const std::string one(1, static_cast<char>(b));
        EXPECT_EQ(DecodeEntities(EncodeEntities(one)), one) << "byte " << b;
        all += one;
    }
    EXPECT_EQ(DecodeEntities(EncodeEntities(all)), all);
    EXPECT_EQ(DecodeEntities(EncodeEntities("l'\xE9t\xE9 & co")), "l'\xE9t\xE9 & co");
    EXPECT_EQ(DecodeEntities(EncodeEntities("a\nb")), "a b");
    EXPECT_EQ(DecodeEntities(EncodeEntities("\xD4")), "\xD4");
    EXPECT_EQ(EncodeEntities(DecodeEntities("&Ocirc;")), "\xD4");
}

TEST(TextRules, RemoveAccents)
{
    EXPECT_EQ(RemoveAccents("\xE9l\xE8ve"), "eleve");
    EXPECT_EQ(RemoveAccents("\xC9t\xE9"), "\xC9te");
    EXPECT_EQ(RemoveAccents("\xE9\xE8\xEB\xEA\xE2\xE0\xE4\xE1\xEC\xEE\xEF\xED\xF2\xF4\xF3\xF6\xF9\xFB\xFC\xFA\xE7\xF1"),
              "eeeeaaaaiiiioooouuuucn");
    // Other bytes, such as å, ý, ÿ and ø, stay.
    EXPECT_EQ(RemoveAccents("\xE5\xFD\xFF\xF8 ab"), "\xE5\xFD\xFF\xF8 ab");
}

TEST(TextRules, CaseRulesOnEveryByte)
{
    for (int b = 0; b < 256; ++b) {
        const std::string one(1, static_cast<char>(b));
        int lower = b;
        if ((b >= 'A' && b <= 'Z') || (b >= 0xC0 && b <= 0xDE))
            lower = b + 0x20;
        int upper = b;
        if ((b >= 'a' && b <= 'z') || b >= 0xE0)
            upper = b - 0x20;
        EXPECT_EQ(static_cast<unsigned char>(ToLower(one)[0]), lower) << "byte " << b;
        EXPECT_EQ(static_cast<unsigned char>(ToUpper(one)[0]), upper) << "byte " << b;
    }
    EXPECT_EQ(ToLower("\xC9T\xC9"), "\xE9t\xE9");
    EXPECT_EQ(ToLower("\x8C"
                      "0123"),
              "\x8C"
              "0123");
    EXPECT_EQ(ToLower("\xD7"), "\xF7");
    EXPECT_EQ(ToUpper("\xFF"), "\xDF");
}

TEST(TextRules, TrimSpacesRemovesOnlySpaces)
{
    EXPECT_EQ(TrimSpaces("  a b  "), "a b");
    EXPECT_EQ(TrimSpaces("\t a \n"), "\t a \n");
    EXPECT_EQ(TrimSpaces("   "), "");
    EXPECT_EQ(TrimSpaces(""), "");
}

TEST(TextRules, ResolveShortcutFollowsSymbolicLinks)
{
    namespace fs = std::filesystem;
    test::TempDir dir;
    const std::string page = dir.Write("site/page.htm", "<html></html>");
    const std::string link = dir.File("raccourci.htm");
    fs::create_symlink(page, link);
    const std::string chain = dir.File("raccourci2.htm");
    fs::create_symlink(link, chain);
    const std::string dangling = dir.File("perdu.htm");
    fs::create_symlink(dir.File("absent.htm"), dangling);

    const std::string target = fs::canonical(page).string();
    EXPECT_EQ(ResolveShortcut(link), target);
    EXPECT_EQ(ResolveShortcut(chain), target);
    EXPECT_EQ(ResolveShortcut(page), page);
    EXPECT_EQ(ResolveShortcut(dangling), dangling);
    EXPECT_EQ(ResolveShortcut(dir.File("nothing-here.htm")), dir.File("nothing-here.htm"));
    EXPECT_EQ(ResolveShortcut(""), "");
}
