// Image references, background images and alt texts.
#include <gtest/gtest.h>

#include "editing/rewrite_engine.h"
#include "page/page_state.h"
#include "tests/editing/rewrite_fixture.h"

namespace kestrova {
namespace {

using test::RewriteFixture;

class AttributeHandlerTest : public test::HandlerFixture {
protected:
    // Runs the handler on one tag piece (fresh result and cursor) and
    // returns the tag as left.
    std::string On(const std::string& tag, const std::string& op, const std::string& spec,
                   const std::string& newValue = "")
    {
        UseTag(tag);
        Edit.LastMatchPosition = 0;
        AttributeHandler(50, op, spec, newValue);
        return Page.CurrentTag;
    }
};

TEST_F(AttributeHandlerTest, AddAltInsertsAfterTheMatchedValue)
{
    EXPECT_EQ(On(R"(img src="images/logo.gif" width=10)", OpAddAlt, "img src|logo", "Notre logo"),
              R"(img src="images/logo.gif" alt="Notre logo"  width=10)");
    EXPECT_EQ(Edit.EditResult, "img src|images/logo.gif");
}

TEST_F(AttributeHandlerTest, AddAltReplacesAnExistingAlt)
{
    EXPECT_EQ(On(R"(img src="logo.gif" alt="old")", OpAddAlt, "img src|logo", "Notre logo"),
              R"(img src="logo.gif" alt="Notre logo")");
    EXPECT_EQ(Edit.EditResult, "img src|logo.gif");
    // Giving the same text again leaves the tag as it is.
    const std::string tag = R"(img src="logo.gif" ALT = "Notre logo" border=0)";
    EXPECT_EQ(On(tag, OpAddAlt, "img src|logo", "Notre logo"), tag);
    // An alt on the next line, bare or single-quoted.
    EXPECT_EQ(On("img src=\"logo.gif\"\r\nalt=\"old\"", OpAddAlt, "img src|logo", "n"),
              "img src=\"logo.gif\"\r\nalt=\"n\"");
    EXPECT_EQ(On("img src=\"logo.gif\" alt=old border=0", OpAddAlt, "img src|logo", "n"),
              "img src=\"logo.gif\" alt=\"n\" border=0");
    EXPECT_EQ(On("img src=\"logo.gif\" alt='old'", OpAddAlt, "img src|logo", "n"), "img src=\"logo.gif\" alt=\"n\"");
    // " alt" inside another value is no alt attribute.
    EXPECT_EQ(On(R"(img src="logo.gif" title="an alt text")", OpAddAlt, "img src|logo", "n"),
              R"(img src="logo.gif" alt="n"  title="an alt text")");
}

TEST_F(AttributeHandlerTest, AltBeforeSrcIsTheImagesOwnAlt)
{
    // The src of an img is found wherever it stands; the alt before it is
    // replaced in place.
    EXPECT_EQ(On(R"(img alt="old" src="logo.gif")", OpAddAlt, "img src|logo", "Notre logo"),
              R"(img alt="Notre logo" src="logo.gif")");
    EXPECT_EQ(Edit.EditResult, "img src|logo.gif");
}

TEST_F(AttributeHandlerTest, TypedValuesKeepTheTagWellFormed)
{
    EXPECT_EQ(On(R"(img src="a.gif")", OpAddAlt, "img src|a.gif", "Le \"grand\" caf\xE9 & co"),
              "img src=\"a.gif\" alt=\"Le &quot;grand&quot; caf\xE9 & co\" ");
    EXPECT_EQ(On(R"(img src="old.gif" border=0)", OpToutRemplacer, "img src|old.gif", "new \"x\"\xE9.gif"),
              "img src=\"new &quot;x&quot;\xE9.gif\" border=0");
    EXPECT_EQ(Edit.EditResult, "img src|old.gif");
    // A line break would end the walker's quoted run: written as a space.
    EXPECT_EQ(On(R"(img src="a.gif")", OpAddAlt, "img src|a.gif", "un\r\ndeux\ntrois"),
              "img src=\"a.gif\" alt=\"un deux trois\" ");
}

TEST_F(AttributeHandlerTest, DesignatorsAndQuotedValues)
{
    // "border=0" sits between img and src.
    On(R"(img border=0 src="a.gif")", OpPhrase, "img src|a.gif");
    EXPECT_EQ(Edit.EditResult, "img src|a.gif");
    // A src of another element, or inside another value, is no image.
    On(R"(input type=image src="a.gif")", OpPhrase, "img src|a.gif");
    EXPECT_EQ(Edit.EditResult, "");
    On(R"(img title="src=&quot;a.gif" src="b.gif")", OpPhrase, "img src|a.gif");
    EXPECT_EQ(Edit.EditResult, "");
    On(R"(body background="fond.jpg" text="#000")", OpPhrase, "img src/background|fond.jpg");
    EXPECT_EQ(Edit.EditResult, "background|fond.jpg");
    On(R"(td BACKGROUND = "images/fond.jpg")", OpPhrase, "img src/background|images!tempslash!fond.jpg");
    EXPECT_EQ(Edit.EditResult, "background|images/fond.jpg");
    // Bare and single-quoted values are values too; a replaced one is
    // written in double quotes.
    On("img src=a.gif", OpPhrase, "img src|a.gif");
    EXPECT_EQ(Edit.EditResult, "img src|a.gif");
    EXPECT_EQ(On("img src=a.gif border=0", OpToutRemplacer, "img src|a.gif", "b c.gif"),
              "img src=\"b c.gif\" border=0");
    EXPECT_EQ(On("img src='a.gif'>", OpToutRemplacer, "img src|a.gif", "b.gif"), "img src=\"b.gif\">");
    // No "|" in the designator argument: nothing.
    On(R"(img src="a.gif")", OpPhrase, "img src");
    EXPECT_EQ(Edit.EditResult, "");
    // The value is trimmed and decoded before the search.
    On(R"(img src="a.gif" alt=" Un caf&eacute; ")", OpPhrase, "alt|caf\xE9");
    EXPECT_EQ(Edit.EditResult, "alt|Un caf\xE9");
}

TEST_F(AttributeHandlerTest, ListeStepsThroughValuesOfOneTag)
{
    const std::string tag = R"(img src="a.gif" alt="Un" title="x" alt="Deux")";
    Page.CurrentTag = tag;
    Edit.LastMatchPosition = 0;
    AttributeHandler(50, OpListe, "alt|", "");
    EXPECT_EQ(Edit.EditResult, "alt|Un");
    const auto first = Edit.LastMatchPosition;
    // Counted from the start of the piece (the walker gives the offset after it).
    EXPECT_EQ(first, 50 - static_cast<std::int64_t>(tag.size() + 2) + 22 + 1);
    Edit.EditResult.clear();
    AttributeHandler(50, OpListe, "alt|", "");
    EXPECT_EQ(Edit.EditResult, "alt|Deux");
    EXPECT_GT(Edit.LastMatchPosition, first);
    Edit.EditResult.clear();
    AttributeHandler(50, OpListe, "alt|", "");
    EXPECT_EQ(Edit.EditResult, "");
    EXPECT_EQ(Page.CurrentTag, tag);
}

// ---- on files ----

TEST_F(RewriteFixture, ListeOverAltReturnsEachNonEmptyAltOnce)
{
    UsePage("<html><body>\r\n<img src=\"a.gif\" alt=\"Un\">\r\n<img src=\"b.gif\" alt=\"\">\r\n"
            "<img src=\"c.gif\" alt=\"Deux &eacute;\"><img src=\"d.gif\" alt=x>\r\n</body></html>");
    const auto before = PageTime();
    Edit.LastMatchPosition = 0;
    EXPECT_EQ(EditAttribute(ui::MainWindowId, OpListe, "alt|", ""), "alt|Un");
    EXPECT_EQ(EditAttribute(ui::MainWindowId, OpListe, "alt|", ""), "alt|Deux \xE9");
    EXPECT_EQ(EditAttribute(ui::MainWindowId, OpListe, "alt|", ""), "alt|x");  // bare values count
    EXPECT_EQ(EditAttribute(ui::MainWindowId, OpListe, "alt|", ""), "");
    EXPECT_EQ(EditAttribute(ui::MainWindowId, OpListe, "alt|", ""), "");
    // Again from the top.
    Edit.LastMatchPosition = 0;
    EXPECT_EQ(EditAttribute(ui::MainWindowId, OpListe, "alt|", ""), "alt|Un");
    ExpectNoTrace(before);
}

TEST_F(RewriteFixture, AddAltOnTheSecondOfTwoIdenticalImages)
{
    UsePage("<html><body><img src=\"logo.gif\"><p>x</p><img src=\"logo.gif\"></body></html>");
    // List the images as the images window does: the cursor before and
    // after each walk, plus one.
    std::int64_t start[2], end[2];
    Edit.LastMatchPosition = 0;
    for (int n = 0; n < 2; ++n) {
        start[n] = Edit.LastMatchPosition;
        EXPECT_EQ(EditAttribute(ui::MainWindowId, OpListe, "img src/background|", ""), "img src|logo.gif");
        end[n] = Edit.LastMatchPosition;
        Edit.LastMatchPosition += 1;
    }
    EXPECT_EQ(EditAttribute(ui::MainWindowId, OpListe, "img src/background|", ""), "");

    // Acting on the second image from its start position.
    Edit.LastMatchPosition = start[1];
    EXPECT_EQ(EditAttribute(ui::MainWindowId, OpAddAlt, "img src/background|logo.gif", "Second"), "img src|logo.gif");
    EXPECT_EQ(PageBytes(),
              "<html><body><img src=\"logo.gif\"><p>x</p><img src=\"logo.gif\" alt=\"Second\" ></body></html>");
    // And on the first one from its own.
    Edit.LastMatchPosition = start[0];
    EXPECT_EQ(EditAttribute(ui::MainWindowId, OpAddAlt, "img src/background|logo.gif", "Premier"), "img src|logo.gif");
    EXPECT_EQ(PageBytes(), "<html><body><img src=\"logo.gif\" alt=\"Premier\" ><p>x</p>"
                           "<img src=\"logo.gif\" alt=\"Second\" ></body></html>");
    EXPECT_LT(end[0], start[1]);
    EXPECT_EQ(JournalLines().size(), 1u);
    EXPECT_TRUE(BackupExists());
}

TEST_F(RewriteFixture, PhraseStepsThroughIdenticalReferences)
{
    UsePage("<html><body><img src=\"a.gif\"><img src=\"a.gif\" alt=\"a.gif\"></body></html>");
    Edit.LastMatchPosition = 0;
    EXPECT_EQ(EditAttribute(ui::MainWindowId, OpPhrase, "img src/alt|a.gif", ""), "img src|a.gif");
    EXPECT_EQ(EditAttribute(ui::MainWindowId, OpPhrase, "img src/alt|a.gif", ""), "img src|a.gif");
    EXPECT_EQ(EditAttribute(ui::MainWindowId, OpPhrase, "img src/alt|a.gif", ""), "alt|a.gif");
    EXPECT_EQ(EditAttribute(ui::MainWindowId, OpPhrase, "img src/alt|a.gif", ""), "");
}

TEST_F(RewriteFixture, TheCursorStepsByValueNotByWord)
{
    UsePage("<html><body><img src=\"images/logo.gif\" alt=\"chat et chat\"><img src=\"logo.gif\"></body></html>");
    // A value holding the word twice is found once.
    Edit.LastMatchPosition = 0;
    EXPECT_EQ(EditAttribute(ui::MainWindowId, OpPhrase, "alt|chat", ""), "alt|chat et chat");
    EXPECT_EQ(Edit.LastMatchStart, 1);
    EXPECT_EQ(EditAttribute(ui::MainWindowId, OpPhrase, "alt|chat", ""), "");

    // Renaming the second image from its row leaves "images/logo.gif" alone.
    Edit.LastMatchPosition = 0;
    EditAttribute(ui::MainWindowId, OpListe, "img src/background|", "");
    Edit.LastMatchPosition += 1;
    EXPECT_EQ(EditAttribute(ui::MainWindowId, OpToutRemplacer, "img src/background|logo.gif", "neuf.gif"),
              "img src|logo.gif");
    EXPECT_EQ(PageBytes(),
              "<html><body><img src=\"images/logo.gif\" alt=\"chat et chat\"><img src=\"neuf.gif\"></body></html>");
}

TEST_F(RewriteFixture, AddAltWithTheSameTextLeavesNoTrace)
{
    UsePage("<html><body><img src=\"logo.gif\" alt=\"Logo\"></body></html>");
    const auto before = PageTime();
    EXPECT_EQ(EditAttribute(ui::MainWindowId, OpAddAlt, "img src/background|logo.gif", "Logo"), "img src|logo.gif");
    ExpectNoTrace(before);
}

TEST_F(RewriteFixture, ToutRemplacerRenamesOneReferenceAsTyped)
{
    UsePage("<html><body background=\"images/fond.jpg\"><img src=\"images/fond.jpg\"></body></html>");
    EXPECT_EQ(EditAttribute(ui::MainWindowId, OpToutRemplacer,
                            "img src/background|" + EncodeListWord("images/fond.jpg"), "images/caf\xE9.jpg"),
              "background|images/fond.jpg");
    EXPECT_EQ(PageBytes(), "<html><body background=\"images/caf\xE9.jpg\"><img src=\"images/fond.jpg\"></body></html>");
    EXPECT_EQ(JournalLines().size(), 1u);
}

TEST_F(RewriteFixture, PhraseOrAbsentWordWritesNothing)
{
    UsePage("<html><body><img src=\"a.gif\" alt=\"Un chat\"></body></html>");
    const auto before = PageTime();
    EXPECT_EQ(EditAttribute(ui::MainWindowId, OpPhrase, "img src/background/alt|chat", ""), "alt|Un chat");
    EXPECT_EQ(Edit.LastMatchStart, 4);
    Edit.LastMatchPosition = 0;
    EXPECT_EQ(EditAttribute(ui::MainWindowId, OpToutRemplacer, "alt|chien", "x"), "");
    ExpectNoTrace(before);
}

}  // namespace
}  // namespace kestrova
