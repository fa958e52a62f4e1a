// Whole-word search, word list helpers, text runs and the title.
#include "editing/rewrite_engine.h"

#include <gtest/gtest.h>

#include "page/page_state.h"
#include "tests/editing/rewrite_fixture.h"

namespace kestrova {
namespace {

using test::RewriteFixture;

class FindNextMatchTest : public ::testing::Test {
protected:
    void SetUp() override { ResetEditState(); }
    void TearDown() override { ResetEditState(); }
};

TEST_F(FindNextMatchTest, WholeWordsOnly)
{
    // "mot/motclé" against "un motclé ici": "mot" is only the start of a word.
    const std::string text = "un motcl\xE9 ici";
    EXPECT_EQ(FindNextMatch(OpPhrase, 0, text, "mot/motcl\xE9"), text);
    EXPECT_EQ(Edit.LastMatchStart, 4);
    EXPECT_EQ(Edit.LastMatchLength, 6);
    EXPECT_EQ(Edit.LastMatchPosition, 5);

    ResetEditState();
    EXPECT_EQ(FindNextMatch(OpPhrase, 0, text, "mot/cl\xE9/ic"), "");
    EXPECT_EQ(Edit.LastMatchPosition, 0);
}

TEST_F(FindNextMatchTest, CaseInsensitiveWithAccentedCapitals)
{
    const std::string text = "Le MOTCL\xC9, enfin";  // Le MOTCLÉ, enfin
    EXPECT_EQ(FindNextMatch(OpPhrase, 0, text, "motcl\xE9"), text);
    EXPECT_EQ(Edit.LastMatchStart, 4);
}

TEST_F(FindNextMatchTest, TempSlashWordsAreOneWordWithSeparatorsAround)
{
    const std::string text = "voir /images/a.gif.";
    EXPECT_EQ(FindNextMatch(OpPhrase, 0, text, "images!tempslash!a.gif"), text);
    EXPECT_EQ(Edit.LastMatchStart, 7);
    EXPECT_EQ(Edit.LastMatchLength, 12);

    ResetEditState();
    EXPECT_EQ(FindNextMatch(OpPhrase, 0, "monimages/a.gif", "images!tempslash!a.gif"), "");
    // Encoding a word for a list and back.
    EXPECT_EQ(EncodeListWord("img/a/b.gif"), "img!tempslash!a!tempslash!b.gif");
    EXPECT_EQ(DecodeListWord(EncodeListWord("img/a/b.gif")), "img/a/b.gif");
}

TEST_F(FindNextMatchTest, EarliestPositionWinsAndTheEarlierWordOnATie)
{
    EXPECT_NE(FindNextMatch(OpPhrase, 0, "un prix ici", "ici/un"), "");
    EXPECT_EQ(Edit.LastMatchStart, 1);

    // "de" and "de la" both match at 6: the one listed first is taken.
    ResetEditState();
    FindNextMatch(OpPhrase, 0, "prix de la maison", "de la/de");
    EXPECT_EQ(Edit.LastMatchStart, 6);
    EXPECT_EQ(Edit.LastMatchLength, 5);
    ResetEditState();
    FindNextMatch(OpPhrase, 0, "prix de la maison", "de/de la");
    EXPECT_EQ(Edit.LastMatchLength, 2);
    ResetEditState();
    EXPECT_EQ(FindNextMatch(OpListe, 0, "prix de la maison", "De La/de"), "prix DE LA maison");
}

TEST_F(FindNextMatchTest, SuccessiveCallsStepThroughOccurrences)
{
    const std::string text = "promo et promo";
    EXPECT_EQ(FindNextMatch(OpPhrase, 0, text, "promo"), text);
    EXPECT_EQ(Edit.LastMatchStart, 1);
    EXPECT_EQ(Edit.LastMatchPosition, 2);
    EXPECT_EQ(FindNextMatch(OpPhrase, 0, text, "promo"), text);
    EXPECT_EQ(Edit.LastMatchStart, 10);
    EXPECT_EQ(Edit.LastMatchPosition, 11);
    // Nothing beyond: empty, and the cursor stays where it was.
    EXPECT_EQ(FindNextMatch(OpPhrase, 0, text, "promo"), "");
    EXPECT_EQ(Edit.LastMatchStart, 10);
    EXPECT_EQ(Edit.LastMatchPosition, 11);
    // The same text further on in the page is beyond the cursor again.
    EXPECT_EQ(FindNextMatch(OpPhrase, 100, text, "promo"), text);
    EXPECT_EQ(Edit.LastMatchPosition, 102);
}

TEST_F(FindNextMatchTest, ContextLineForListe)
{
    // "Le mot CLÉ est important" with the word "clé".
    EXPECT_EQ(FindNextMatch(OpListe, 0, "Le mot CL\xC9 est important", "cl\xE9"), "le mot CL\xC9 est important");
    ResetEditState();
    // At most 30 characters on each side.
    const std::string text = std::string(40, 'A') + " x " + std::string(40, 'B');
    EXPECT_EQ(FindNextMatch(OpListe, 0, text, "x"), std::string(29, 'a') + " X " + std::string(29, 'b'));
    ResetEditState();
    // The word as written in the list, decoded, in capitals.
    EXPECT_EQ(FindNextMatch(OpListe, 0, "voir images/a.gif", "images!tempslash!a.gif"), "voir IMAGES/A.GIF");
}

TEST_F(FindNextMatchTest, OtherModesReturnNothingButMoveTheCursor)
{
    EXPECT_EQ(FindNextMatch(OpAjoute, 0, "un mot", "mot"), "");
    EXPECT_EQ(Edit.LastMatchPosition, 5);
    EXPECT_EQ(FindNextMatch(OpToutRemplacer, 10, "un mot", "mot"), "un mot");
    EXPECT_EQ(FindNextMatch(OpAddAlt, 20, "un mot", "mot"), "un mot");
}

TEST_F(FindNextMatchTest, EmptyTextsAndEmptyWords)
{
    Edit.LastMatchPosition = 7;
    EXPECT_EQ(FindNextMatch(OpPhrase, 0, "", "mot"), "");
    EXPECT_EQ(FindNextMatch(OpPhrase, 0, "|", "|"), "");
    EXPECT_EQ(FindNextMatch(OpPhrase, 0, "un mot", ""), "");
    EXPECT_EQ(Edit.LastMatchPosition, 7);
    // Empty pieces of a list neither match nor hide the other words.
    EXPECT_EQ(FindNextMatch(OpPhrase, 0, "un mot ici", "//ici/"), "un mot ici");
    EXPECT_EQ(Edit.LastMatchStart, 8);
}

TEST(DisplayEditResult, HidesTheEmptyContentMarker)
{
    EXPECT_EQ(DisplayEditResult("balisevide"), "");
    EXPECT_EQ(DisplayEditResult("Caf\xE9"), "Caf\xE9");
    EXPECT_EQ(DisplayEditResult(""), "");
}

// ---- the question ----

TEST_F(RewriteFixture, AskYesNoAllMapsTheAnswers)
{
    ui_.NextAnswers = {ui::YesNoAll::Yes, ui::YesNoAll::YesToAll, ui::YesNoAll::No};
    EXPECT_EQ(AskYesNoAll(ui::MainWindowId, "t", "q"), 1);
    EXPECT_EQ(AskYesNoAll(ui::MainWindowId, "t", "q"), 2);
    EXPECT_EQ(AskYesNoAll(ui::MainWindowId, "t", "q"), 0);
    ASSERT_EQ(Questions().size(), 3u);
    EXPECT_EQ(Questions()[0].Title, "t");
}

// ---- text runs, piece by piece ----

// Feeds one piece to TextHandler the way the walker does.
void TextPiece(std::int64_t offset, const std::string& text, const std::string& tag, const std::string& op,
               const std::string& words, const std::string& newText = "")
{
    Page.CurrentText = text;
    Page.CurrentTag = tag;
    TextHandler(offset, op, words, newText);
}

TEST_F(RewriteFixture, TextHandlerSkipsTheTitleRunOnly)
{
    TextPiece(7, "", "title", OpToutRemplacer, "promo", "X");
    TextPiece(12, "promo", "", OpToutRemplacer, "promo", "X");
    EXPECT_EQ(Page.CurrentText, "promo");
    EXPECT_EQ(Edit.EditResult, "");
    TextPiece(20, "", "/title", OpToutRemplacer, "promo", "X");
    TextPiece(30, "la promo\r\nd&eacute;but", "", OpToutRemplacer, "promo", "X");
    EXPECT_EQ(Page.CurrentText, "X");
    EXPECT_EQ(Edit.EditResult, "la promo  d\xE9"
                               "but");
    // One match per walk: later runs are left alone.
    TextPiece(40, "promo encore", "", OpToutRemplacer, "promo", "X");
    EXPECT_EQ(Page.CurrentText, "promo encore");
}

TEST_F(RewriteFixture, ATextRunReadingTitleIsFoundLikeAnyOther)
{
    TextPiece(5, "", "p", OpPhrase, "title");
    TextPiece(10, "title", "", OpPhrase, "title");
    EXPECT_EQ(Edit.EditResult, "title");
    EXPECT_EQ(Edit.LastMatchPosition, 7);  // the run starts at 10 - 5
    // The match sticks: the next piece does not replace it.
    TextPiece(20, "title", "", OpPhrase, "title");
    EXPECT_EQ(Edit.LastMatchPosition, 7);
}

// ---- text runs and title on files ----

TEST_F(RewriteFixture, EditTextReplacesOneRunAfterTheCursorAndNeverTheTitle)
{
    const std::string head = "<html><head><title>promo</title></head><body>";
    UsePage(head + "<p>La promo</p><p>Autre promo</p></body></html>");

    EXPECT_EQ(EditText(ui::MainWindowId, OpListe, "promo", ""), "la PROMO");
    Edit.LastMatchPosition = 0;
    EXPECT_EQ(EditText(ui::MainWindowId, OpToutRemplacer, "promo", "Soldes d'\xE9t\xE9"), "La promo");
    EXPECT_EQ(PageBytes(), head + "<p>Soldes d'\xE9t\xE9</p><p>Autre promo</p></body></html>");
    EXPECT_EQ(JournalLines().size(), 1u);

    // With the cursor kept, the next walk takes the next run.
    EXPECT_EQ(EditText(ui::MainWindowId, OpToutRemplacer, "promo", "Fin"), "Autre promo");
    EXPECT_EQ(PageBytes(), head + "<p>Soldes d'\xE9t\xE9</p><p>Fin</p></body></html>");
    EXPECT_EQ(JournalLines().size(), 1u);
    EXPECT_EQ(EditText(ui::MainWindowId, OpToutRemplacer, "promo", "Encore"), "");
}

TEST_F(RewriteFixture, EditTextPhraseWritesNothingAndAbsentWordLeavesNoTrace)
{
    const std::string html = "<html><body><p>Le caf&eacute; du village</p></body></html>";
    UsePage(html);
    const auto before = PageTime();
    EXPECT_EQ(EditText(ui::MainWindowId, OpPhrase, "caf\xE9", ""), "Le caf\xE9 du village");
    EXPECT_EQ(Edit.LastMatchStart, 4);
    Edit.LastMatchPosition = 0;
    EXPECT_EQ(EditText(ui::MainWindowId, OpToutRemplacer, "absent", "x"), "");
    EXPECT_EQ(PageBytes(), html);
    ExpectNoTrace(before);
}

TEST_F(RewriteFixture, ReplaceTitleWritesTheEncodedTitle)
{
    UsePage("<html><head>\r\n<title> Ancien titre </title>\r\n</head><body>Texte</body></html>");
    Page.PageTitle = "Ancien titre";
    EXPECT_EQ(ReplaceTitle("Caf\xE9 & th\xE9"), 1);
    EXPECT_EQ(PageBytes(),
              "<html><head>\r\n<title>Caf&eacute; &amp; th&eacute;</title>\r\n</head><body>Texte</body></html>");
    EXPECT_EQ(Page.PageTitle, "Caf&eacute; &amp; th&eacute;");
    EXPECT_TRUE(BackupExists());
    EXPECT_EQ(JournalLines().size(), 1u);
}

TEST_F(RewriteFixture, ReplaceTitleWithTheSameTitleLeavesNoTrace)
{
    UsePage("<html><head><title>Caf&eacute;</title></head><body>Texte</body></html>");
    const auto before = PageTime();
    Page.PageTitle = "Caf\xE9";
    EXPECT_EQ(ReplaceTitle("Caf\xE9"), 1);
    ExpectNoTrace(before);
}

TEST_F(RewriteFixture, ReplaceTitleFillsAnEmptyTitleElement)
{
    // The body text must not take the title's place.
    UsePage("<html><head><title></title></head><body>Texte</body></html>");
    EXPECT_EQ(ReplaceTitle("Nouveau"), 1);
    EXPECT_EQ(PageBytes(), "<html><head><title>Nouveau</title></head><body>Texte</body></html>");
    EXPECT_EQ(Page.PageTitle, "Nouveau");
}

TEST_F(RewriteFixture, ReplaceTitleOnATitleReadingTheMarker)
{
    UsePage("<html>\r\n<head><title>--</title></head><body>Texte</body></html>");
    Page.PageTitle = "--";
    EXPECT_EQ(ReplaceTitle("Vrai titre"), 1);
    EXPECT_EQ(PageBytes(), "<html>\r\n<head><title>Vrai titre</title></head><body>Texte</body></html>");
    // A new title reading "--" takes the title only, not every later run.
    EXPECT_EQ(ReplaceTitle("--"), 1);
    EXPECT_EQ(PageBytes(), "<html>\r\n<head><title>--</title></head><body>Texte</body></html>");
}

}  // namespace
}  // namespace kestrova
