#include "page/page_encoding.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "base/codec.h"
#include "base/unicode_text.h"
#include "editing/rewrite_engine.h"
#include "page/page_walker.h"
#include "tests/editing/rewrite_fixture.h"
#include "tests/support/temp_site.h"

using namespace kestrova;
using kestrova::test::ReadAll;
using kestrova::test::TempDir;

namespace {

// Greek, Cyrillic and French words, in UTF-8.
const std::string Omega = "\xCE\xA9\xCE\xBC\xCE\xAD\xCE\xB3\xCE\xB1";           // Ωμέγα
const std::string Privet = "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82";  // Привет
const std::string Ecole = "\xC3\x89"
                          "cole";  // École

PageEncoding EncodingOf(const TempDir& dir, const std::string& bytes)
{
    return DetectPageFileEncoding(dir.Write("p.htm", bytes));
}

TEST(PageEncodingTest, MarkDeclarationAndBytesDecide)
{
    TempDir dir;
    const std::string utf8Body = "<html><body>" + Ecole + "</body></html>";
    const std::string cp1252Body = "<html><body>\xC9"
                                   "cole</body></html>";
    // Undeclared: valid UTF-8 with a multi-byte sequence; ASCII alone or
    // bytes that are not UTF-8 stay Windows-1252.
    EXPECT_EQ(EncodingOf(dir, utf8Body), PageEncoding::Utf8);
    EXPECT_EQ(EncodingOf(dir, cp1252Body), PageEncoding::Windows1252);
    EXPECT_EQ(EncodingOf(dir, "<html><body>plain</body></html>"), PageEncoding::Windows1252);
    EXPECT_EQ(EncodingOf(dir, utf8Body + "\xE9"), PageEncoding::Windows1252);
    EXPECT_EQ(EncodingOf(dir, utf8Body + "\xE2\x82"), PageEncoding::Windows1252);  // unfinished at the end
    // The byte-order mark, whatever follows.
    EXPECT_EQ(EncodingOf(dir, "\xEF\xBB\xBF<html>plain</html>"), PageEncoding::Utf8);
    // Declarations, in any case and either form; another charset wins over
    // the bytes.
    for (const char* meta : {"<META CHARSET=\"UTF-8\">", "<meta charset=utf8>", "<meta charset = 'utf-8' />",
                             "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">"})
        EXPECT_EQ(EncodingOf(dir, std::string("<html><head>") + meta + "</head>plain</html>"), PageEncoding::Utf8)
            << meta;
    EXPECT_EQ(EncodingOf(dir, "<html><head><meta charset=\"iso-8859-1\"></head>" + utf8Body),
              PageEncoding::Windows1252);
    EXPECT_EQ(EncodingOf(dir, "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; "
                              "charset=windows-1252\"></head>" +
                                  utf8Body),
              PageEncoding::Windows1252);
    // A charset named outside a meta tag, or past the first block, is no
    // declaration.
    EXPECT_EQ(EncodingOf(dir, "<html><body>charset=utf-8 \xC9</body></html>"), PageEncoding::Windows1252);
    EXPECT_EQ(EncodingOf(dir, "<html><BODY><meta charset=utf-8>\xC9</body></html>"), PageEncoding::Windows1252);
    EXPECT_EQ(EncodingOf(dir, "<html>" + std::string(WalkBlockSize, ' ') + "<meta charset=utf-8>\xC9</html>"),
              PageEncoding::Windows1252);
}

// Every text run and tag of a page, as the handler receives them.
std::vector<std::string> Pieces(const std::string& path)
{
    std::vector<std::string> out;
    WalkPage(path, WalkOptions{.ReportErrors = false},
             [&out](std::int64_t, const std::string&, const std::string&, const std::string&) {
                 out.push_back(Page.CurrentTag.empty() ? "T:" + Page.CurrentText : "<" + Page.CurrentTag + ">");
             });
    return out;
}

TEST(PageEncodingTest, WalkerGivesDecodedPiecesWhateverTheBlockSize)
{
    TempDir dir;
    // A long run of two- and three-byte characters makes every small block
    // size end in the middle of some character.
    std::string body;
    for (int i = 0; i < 40; ++i)
        body += Omega + " " + Ecole + " \xE2\x82\xAC ";
    const std::string page = "\xEF\xBB\xBF<html><head><title>" + Privet + "</title></head><body><p alt=\"" + Omega +
                             "\">" + body + "</p></body></html>";
    const std::string path = dir.Write("p.htm", page);

    SetWalkBlockSizeForTesting(0);
    const std::vector<std::string> whole = Pieces(path);
    EXPECT_TRUE(Page.PageUtf8);
    // The mark is no text; the French letter and the euro take their
    // Windows-1252 bytes, the rest the escapes.
    ASSERT_GE(whole.size(), 8u);
    EXPECT_EQ(whole[0], "<html>");
    EXPECT_EQ(whole[3], "T:" + DecodeUtf8PageText(Privet));
    EXPECT_EQ(whole[7], "<p alt=\"" + DecodeUtf8PageText(Omega) + "\">");
    const std::string start = "T:" + DecodeUtf8PageText(Omega) +
                              " \xC9"
                              "cole \x80 ";
    EXPECT_EQ(whole[8].substr(0, start.size()), start);
    for (std::size_t size : {1, 2, 3, 5, 7, 64, 333}) {
        SetWalkBlockSizeForTesting(size);
        EXPECT_EQ(Pieces(path), whole) << "block size " << size;
    }
    SetWalkBlockSizeForTesting(0);

    // A Windows-1252 page is handed over byte for byte, as before.
    const std::string cp1252 = "<html><body>\xC9"
                               "cole \x0E"
                               "937\x0F</body></html>";
    EXPECT_EQ(Pieces(dir.Write("w.htm", cp1252))[2], "T:\xC9"
                                                     "cole \x0E"
                                                     "937\x0F");
    EXPECT_FALSE(Page.PageUtf8);
}

using Utf8EditTest = kestrova::test::RewriteFixture;

const std::string FrenchPage =
    "<html><head><title>Le caf\xC3\xA9 d'\xC3\xA9t\xC3\xA9</title>\r\n"
    "<meta name=\"description\" content=\"Vacances \xC3\xA0 la mer\">\r\n"
    "<meta name=\"keywords\" content=\"plage, soleil\">\r\n"
    "</head><body><p>Une r\xC3\xA9servation \xE2\x82\xAC promo</p><img src=\"chien.jpg\" alt=\"Un chien\">"
    "</body></html>\r\n";

// Each edit of the program, as run on a page.
struct EditCase {
    const char* Name;
    std::function<void()> Run;
};

std::vector<EditCase> EditCases()
{
    return {
        {"description", [] { EditMeta(ui::MainWindowId, OpToutRemplacer, "Ch\xE2teau \xE0 louer", "description"); }},
        {"keyword added", [] { EditMeta(ui::MainWindowId, OpAjoute, "\xE9t\xE9", "keywords"); }},
        {"keyword removed", [] { EditMeta(ui::MainWindowId, OpSup, "soleil", "keywords"); }},
        {"meta created", [] { EditMeta(ui::MainWindowId, OpToutRemplacer, "Fran\xE7ois", "author"); }},
        {"title", [] { ReplaceTitle("Caf\xE9 \x80 No\xEBl"); }},
        {"alt text", [] { EditAttribute(ui::MainWindowId, OpAddAlt, "img src/background|chien.jpg", "Le ch\xEAne"); }},
        {"text", [] { EditText(ui::MainWindowId, OpToutRemplacer, "promo", "Soldes d'\xE9t\xE9"); }},
    };
}

// An edit on a UTF-8 page writes exactly what the same edit writes on its
// Windows-1252 twin, in UTF-8; the parts it does not touch keep their bytes.
TEST_F(Utf8EditTest, EveryEditMatchesTheWindows1252Twin)
{
    std::string twin;
    ASSERT_TRUE(Utf8ToCp1252(FrenchPage, twin));
    ui_.DefaultAnswer = ui::YesNoAll::Yes;  // the missing meta tag is created
    for (const EditCase& edit : EditCases()) {
        ResetEditState();
        UsePage(twin, "twin.htm");
        edit.Run();
        const std::string expected = Cp1252ToUtf8(PageBytes());
        ASSERT_NE(PageBytes(), twin) << edit.Name << ": the edit changed nothing";

        ResetEditState();
        UsePage(FrenchPage, "page.htm");
        edit.Run();
        EXPECT_TRUE(Page.PageUtf8) << edit.Name;
        EXPECT_EQ(PageBytes(), expected) << edit.Name;
        EXPECT_TRUE(IsValidUtf8(PageBytes())) << edit.Name;
    }
}

// Text that Windows-1252 cannot hold is written as UTF-8; the byte-order
// mark and the other scripts of the page stay as they were; a walk that
// changes nothing leaves the page alone.
TEST_F(Utf8EditTest, OtherScriptsAreWrittenAsUtf8)
{
    const std::string page = "\xEF\xBB\xBF<html><head><title>" + Privet +
                             "</title>\n<meta name=\"keywords\" content=\"" + Omega + "\">\n</head><body>" + Omega +
                             " " + Privet + "</body></html>\n";
    UsePage(page);
    const auto before = PageTime();
    EXPECT_EQ(EditMeta(ui::MainWindowId, OpListe, "", "keywords"), DecodeUtf8PageText(Omega));
    EXPECT_EQ(EditText(ui::MainWindowId, OpListe, "zzz", ""), "");
    ExpectNoTrace(before);

    std::string typed;
    ASSERT_TRUE(TypedTextToPage("\xCE\xB1\xCE\xB2 " + Privet, true, typed));
    ASSERT_EQ(ReplaceTitle(typed), 1);
    std::string expected = page;
    expected.replace(expected.find(Privet), Privet.size(), "\xCE\xB1\xCE\xB2 " + Privet);
    EXPECT_EQ(PageBytes(), expected);
    EXPECT_TRUE(BackupExists());

    ASSERT_TRUE(TypedTextToPage(Privet, true, typed));
    EXPECT_EQ(EditMeta(ui::MainWindowId, OpAjoute, typed, "keywords"), ResultOk);
    EXPECT_NE(PageBytes().find("content=\"" + Privet + ", " + Omega + "\""), std::string::npos) << PageBytes();
    EXPECT_EQ(EditMeta(ui::MainWindowId, OpSup, typed, "keywords"), ResultOk);
    EXPECT_EQ(PageBytes(), expected);
}

// A page declared UTF-8 that holds a stray byte keeps it: the walk that
// changes one part writes every other byte as it was.
TEST_F(Utf8EditTest, StrayBytesOfADeclaredUtf8PageAreKept)
{
    const std::string page =
        "<html><head><meta charset=\"utf-8\"><title>Vieux</title></head><body>caf\xE9 \xFF " + Omega + "</body></html>";
    UsePage(page);
    ASSERT_EQ(ReplaceTitle("Neuf"), 1);
    std::string expected = page;
    expected.replace(expected.find("Vieux"), 5, "Neuf");
    EXPECT_EQ(PageBytes(), expected);
}

// Text typed for a UTF-8 page that reaches a Windows-1252 page (a change
// made on several pages) is written there as character references; bytes of
// the page that merely look like an escape are left alone.
TEST_F(Utf8EditTest, EscapesReachingAWindows1252PageBecomeCharacterReferences)
{
    const std::string page = "<html><head><title>Vieux</title></head><body>\xE9t\xE9 \x0E"
                             "937\x0F</body></html>";
    UsePage(page);
    const auto before = PageTime();
    EXPECT_EQ(EditText(ui::MainWindowId, OpListe, "zzz", ""), "");
    EXPECT_EQ(EditMeta(ui::MainWindowId, OpSup, "zzz", "keywords"), "");
    EXPECT_FALSE(Page.PageUtf8);
    ExpectNoTrace(before);

    std::string typed;
    ASSERT_TRUE(TypedTextToPage(Omega + " caf\xC3\xA9", true, typed));
    ASSERT_EQ(ReplaceTitle(typed), 1);
    std::string expected = page;
    expected.replace(expected.find("Vieux"), 5, "&#937;&#956;&#941;&#947;&#945; caf&eacute;");
    EXPECT_EQ(PageBytes(), expected);
}

}  // namespace
