// Meta tags: the handler's tag surgery, then EditMeta on files (creation
// question, missing head, "Oui pour toutes", commit traces).
#include <gtest/gtest.h>

#include <filesystem>

#include "base/translate.h"
#include "editing/rewrite_engine.h"
#include "page/page_state.h"
#include "tests/editing/rewrite_fixture.h"

namespace kestrova {
namespace {

using test::RewriteFixture;

class MetaHandlerTest : public test::HandlerFixture {
protected:
    // Runs the handler on one tag piece and returns the tag as left.
    std::string On(const std::string& tag, const std::string& op, const std::string& value,
                   const std::string& name = "keywords")
    {
        UseTag(tag);
        Edit.MetaMissing = true;
        MetaHandler(100, op, value, name);
        return Page.CurrentTag;
    }
};

TEST_F(MetaHandlerTest, AjoutePutsTheEncodedValueInFront)
{
    EXPECT_EQ(On(R"(meta name="keywords" content="a, b")", OpAjoute, "foo"),
              R"(meta name="keywords" content="foo, a, b")");
    EXPECT_EQ(Edit.EditResult, "OK");
    EXPECT_FALSE(Edit.MetaMissing);
    EXPECT_EQ(On(R"(meta name="keywords" content="")", OpAjoute, "foo"), R"(meta name="keywords" content="foo")");
    EXPECT_EQ(On(R"(meta name="keywords" content=" ")", OpAjoute, "foo"), R"(meta name="keywords" content=" foo")");
    // Accents, apostrophes and double quotes are written as entities.
    EXPECT_EQ(On(R"(meta name="keywords" content="a")", OpAjoute, "l'\xE9t\xE9 \"x\""),
              R"(meta name="keywords" content="l&rsquo;&eacute;t&eacute; &quot;x&quot;, a")");
}

TEST_F(MetaHandlerTest, SupRemovesFirstMiddleLastAndOnlyItems)
{
    const std::string pre = R"(meta name="keywords" content=")";
    EXPECT_EQ(On(pre + "a, b, c\"", OpSup, "a"), pre + "b, c\"");
    EXPECT_EQ(Edit.EditResult, "OK");
    EXPECT_EQ(On(pre + "a, b, c\"", OpSup, "b"), pre + "a, c\"");
    EXPECT_EQ(On(pre + "a, b, c\"", OpSup, "c"), pre + "a, b\"");
    EXPECT_EQ(On(pre + "a\"", OpSup, "a"), pre + "\"");
    EXPECT_EQ(Edit.EditResult, "OK");
}

TEST_F(MetaHandlerTest, SupLeavesTheTagAloneWhenTheValueIsNoItem)
{
    const std::string pre = R"(meta name="keywords" content=")";
    EXPECT_EQ(On(pre + "a, b, c\"", OpSup, "d"), pre + "a, b, c\"");
    EXPECT_EQ(Edit.EditResult, "");
    // Part of an item only.
    EXPECT_EQ(On(pre + "ab, c\"", OpSup, "b"), pre + "ab, c\"");
    EXPECT_EQ(Edit.EditResult, "");
    // An "=" inside the value starts no item.
    EXPECT_EQ(On(pre + "x=a, b\"", OpSup, "a"), pre + "x=a, b\"");
    // A value that runs over the closing quote is not in the list.
    EXPECT_EQ(On(pre + "a, b\">", OpSup, "b\""), pre + "a, b\">");
    // Outside the content value.
    EXPECT_EQ(On(pre + "a, b\" lang=\"x\"", OpSup, "x"), pre + "a, b\" lang=\"x\"");
    EXPECT_EQ(On(pre + "a, b\"", OpSup, "keywords"), pre + "a, b\"");
    // An empty value removes nothing.
    EXPECT_EQ(On(pre + "a, b\"", OpSup, ""), pre + "a, b\"");
    EXPECT_EQ(Edit.EditResult, "");
    // A later occurrence that is an item is still found.
    EXPECT_EQ(On(pre + "ba, a\"", OpSup, "a"), pre + "ba\"");
}

TEST_F(MetaHandlerTest, SupFindsTheEncodedOrThePlainSpelling)
{
    const std::string pre = R"(meta name="keywords" content=")";
    EXPECT_EQ(On(pre + "caf&eacute;, b\"", OpSup, "caf\xE9"), pre + "b\"");
    EXPECT_EQ(On(pre + "b, caf\xE9\"", OpSup, "caf\xE9"), pre + "b\"");
    // Items on their own lines: the last one takes its line break along.
    EXPECT_EQ(On(pre + "a,\r\nb\"", OpSup, "b"), pre + "a\"");
}

TEST_F(MetaHandlerTest, ListeReadsTheDecodedValueOrTheEmptyMarker)
{
    const std::string tag = R"(META NAME="Description" CONTENT="Caf&eacute;")";
    EXPECT_EQ(On(tag, OpListe, "", "description"), tag);
    EXPECT_EQ(Edit.EditResult, "Caf\xE9");
    On(R"(meta name="description" content="  ")", OpListe, "", "description");
    EXPECT_EQ(Edit.EditResult, "balisevide");
    EXPECT_EQ(DisplayEditResult(Edit.EditResult), "");
    // A tag without content attribute counts as present but gives nothing.
    On(R"(meta name="description")", OpListe, "", "description");
    EXPECT_EQ(Edit.EditResult, "");
    EXPECT_FALSE(Edit.MetaMissing);
}

TEST_F(MetaHandlerTest, ToutRemplacerReturnsTheOldValue)
{
    EXPECT_EQ(On(R"(meta name="description" content="old")", OpToutRemplacer, "Nouveau caf\xE9", "description"),
              R"(meta name="description" content="Nouveau caf&eacute;")");
    EXPECT_EQ(Edit.EditResult, "old");
    EXPECT_EQ(On(R"(meta name="description" content="" /)", OpToutRemplacer, "x", "description"),
              R"(meta name="description" content="x" /)");
    EXPECT_EQ(Edit.EditResult, "balisevide");
    // Line ends typed in a multi-line field: a carriage return left inside
    // the quotes would make the walker misread the rest of the page.
    EXPECT_EQ(On(R"(meta name="description" content="x")", OpToutRemplacer, "l1\r\nl2\rl3", "description"),
              R"(meta name="description" content="l1&nbsp;l2&nbsp;l3")");
}

TEST_F(MetaHandlerTest, ContentTypeIsNotTakenForTheDescription)
{
    const std::string ct = R"(meta http-equiv="Content-Type" content="text/html; charset=windows-1252")";
    EXPECT_EQ(On(ct, OpToutRemplacer, "new", "description"), ct);
    EXPECT_EQ(Edit.EditResult, "");
    EXPECT_TRUE(Edit.MetaMissing);
    // Its own name finds it, and the value after "content-type".
    On(ct, OpListe, "", "content-type");
    EXPECT_EQ(Edit.EditResult, "text/html; charset=windows-1252");
    On(R"(meta http-equiv="refresh" content="5")", OpListe, "", "Refresh");
    EXPECT_EQ(Edit.EditResult, "5");
}

TEST_F(MetaHandlerTest, NamesArePrefixesAndCaseInsensitive)
{
    EXPECT_EQ(On(R"(meta name="keywords2" content="a")", OpAjoute, "b"), R"(meta name="keywords2" content="b, a")");
    EXPECT_EQ(On(R"(meta name = "KeyWords" content="a")", OpAjoute, "b"), R"(meta name = "KeyWords" content="b, a")");
    EXPECT_EQ(On(R"(meta name="key" content="a")", OpAjoute, "b"), R"(meta name="key" content="a")");
    EXPECT_TRUE(Edit.MetaMissing);
}

TEST_F(MetaHandlerTest, AttributeNamesInsideValuesAreNotAttributes)
{
    // "name" in "rename.htm" and "username" must not hide the real
    // attributes (the tag would be taken as missing and created again).
    EXPECT_EQ(On(R"(meta http-equiv="refresh" content="0; url=rename.htm")", OpToutRemplacer, "5", "Refresh"),
              R"(meta http-equiv="refresh" content="5")");
    EXPECT_EQ(Edit.EditResult, "0; url=rename.htm");
    EXPECT_FALSE(Edit.MetaMissing);
    EXPECT_EQ(On(R"(meta content="username, login" name="keywords")", OpSup, "login"),
              R"(meta content="username" name="keywords")");
    EXPECT_FALSE(Edit.MetaMissing);
}

TEST_F(MetaHandlerTest, SingleQuotedValuesAreQuotedValues)
{
    const std::string pre = "meta name='keywords' content='";
    EXPECT_EQ(On(pre + "a, b'", OpAjoute, "l'\xE9t\xE9"), pre + "l&rsquo;&eacute;t&eacute;, a, b'");
    EXPECT_EQ(On(pre + "a, b'", OpSup, "a"), pre + "b'");
    EXPECT_EQ(On(pre + "a, b'", OpSup, "b"), pre + "a'");
    EXPECT_EQ(On(pre + "say \"hi\", b'", OpSup, "say \"hi\""), pre + "b'");
    On(pre + "a, b'", OpListe, "");
    EXPECT_EQ(Edit.EditResult, "a, b");
}

TEST_F(MetaHandlerTest, OnlyMetaElementsQualify)
{
    // An anchor that mentions "meta" and a commented-out meta tag.
    const std::string anchor = R"(a name="description" href="content.htm?meta=1")";
    EXPECT_EQ(On(anchor, OpToutRemplacer, "x", "description"), anchor);
    EXPECT_TRUE(Edit.MetaMissing);
    const std::string comment = R"(!-- <meta name="keywords" content="a")";
    EXPECT_EQ(On(comment, OpAjoute, "b"), comment);
    EXPECT_TRUE(Edit.MetaMissing);
    // Text pieces do nothing.
    Page.CurrentTag.clear();
    Page.CurrentText = R"(meta name="keywords" content="a")";
    MetaHandler(5, OpAjoute, "b", "keywords");
    EXPECT_EQ(Page.CurrentText, R"(meta name="keywords" content="a")");
}

TEST_F(MetaHandlerTest, BareValuesStayWellFormed)
{
    EXPECT_EQ(On("meta name=keywords content=a,b", OpAjoute, "foo"), R"(meta name=keywords content="foo, a,b")");
    EXPECT_EQ(On("meta content=old name=description", OpToutRemplacer, "deux mots", "description"),
              R"(meta content="deux mots" name=description)");
    EXPECT_EQ(Edit.EditResult, "old");
    // Same value again: nothing changes.
    EXPECT_EQ(On("meta content=old name=description", OpToutRemplacer, "old", "description"),
              "meta content=old name=description");
    // Removing from a bare list: the last item takes its comma along, and
    // a list followed by another attribute still ends at the white space.
    EXPECT_EQ(On("meta name=keywords content=a,b", OpSup, "b"), "meta name=keywords content=a");
    EXPECT_EQ(On("meta content=a,b\r\nname=keywords", OpSup, "b"), "meta content=a\r\nname=keywords");
    EXPECT_EQ(On("meta name=keywords content=a", OpSup, "a"), R"(meta name=keywords content="")");
    // "content" without any value is not written to.
    EXPECT_EQ(On(R"(meta name="keywords" content)", OpAjoute, "foo"), R"(meta name="keywords" content)");
    EXPECT_EQ(Edit.EditResult, "");
}

// ---- EditMeta on files ----

const std::string kHead = "<html>\r\n<head>\r\n";
const std::string kTail = "</head>\r\n<body><p>Texte</p></body>\r\n</html>\r\n";

TEST_F(RewriteFixture, AjouteWritesExactlyTheNewBytesWithBackupAndJournal)
{
    const std::string before = kHead + "<meta name=\"keywords\" content=\"a, b\">\r\n" + kTail;
    const std::string path = UsePage(before);
    EXPECT_EQ(EditMeta(ui::MainWindowId, OpAjoute, "foo", "keywords"), "OK");
    EXPECT_EQ(PageBytes(), kHead + "<meta name=\"keywords\" content=\"foo, a, b\">\r\n" + kTail);
    EXPECT_EQ(test::ReadAll(BackupPath()), before);
    const auto lines = JournalLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].rfind(path + "|", 0), 0u);
    EXPECT_FALSE(std::filesystem::exists(path + "2"));
    EXPECT_TRUE(Questions().empty());
}

TEST_F(RewriteFixture, SupOfAnAbsentValueLeavesNoTrace)
{
    const std::string html = kHead + "<meta name=\"keywords\" content=\"a, b, c\">\r\n" + kTail;
    UsePage(html);
    const auto before = PageTime();
    EXPECT_EQ(EditMeta(ui::MainWindowId, OpSup, "d", "keywords"), "");
    EXPECT_EQ(PageBytes(), html);
    ExpectNoTrace(before);
    EXPECT_TRUE(Questions().empty());
}

TEST_F(RewriteFixture, ToutRemplacerWithTheSameContentLeavesNoTrace)
{
    UsePage(kHead + "<meta name=\"description\" content=\"Caf&eacute;\">\r\n" + kTail);
    const auto before = PageTime();
    EXPECT_EQ(EditMeta(ui::MainWindowId, OpToutRemplacer, "Caf\xE9", "description"), "Caf\xE9");
    ExpectNoTrace(before);
}

TEST_F(RewriteFixture, ListeReadsWithoutWritingAndNeverAsks)
{
    const std::string html = kHead + "<meta name=\"description\" content=\"\">\r\n" + kTail;
    UsePage(html);
    const auto before = PageTime();
    EXPECT_EQ(EditMeta(ui::MainWindowId, OpListe, "", "description"), "balisevide");
    EXPECT_EQ(EditMeta(ui::MainWindowId, OpListe, "", "keywords"), "");
    EXPECT_TRUE(Questions().empty());
    ExpectNoTrace(before);
}

TEST_F(RewriteFixture, EveryQualifyingTagIsHandled)
{
    UsePage(kHead + "<meta name=\"keywords\" content=\"a\">\r\n<meta name=\"keywords2\" content=\"b\">\r\n" + kTail);
    EXPECT_EQ(EditMeta(ui::MainWindowId, OpListe, "", "keywords"), "b");
    EXPECT_EQ(EditMeta(ui::MainWindowId, OpAjoute, "x", "keywords"), "OK");
    EXPECT_EQ(
        PageBytes(),
        kHead + "<meta name=\"keywords\" content=\"x, a\">\r\n<meta name=\"keywords2\" content=\"x, b\">\r\n" + kTail);
}

TEST_F(RewriteFixture, MissingTagIsCreatedAfterAskingThenTheOperationRuns)
{
    const std::string html = kHead + "<title>T</title>\r\n" + kTail;
    UsePage(html);
    ui_.NextAnswers = {ui::YesNoAll::Yes};
    EXPECT_EQ(EditMeta(ui::MainWindowId, OpAjoute, "foo", "keywords"), "OK");
    EXPECT_EQ(PageBytes(), kHead.substr(0, kHead.size() - 2) + "\r\n<meta name=\"keywords\" content=\"foo\">\r\n" +
                               "<title>T</title>\r\n" + kTail);
    const auto questions = Questions();
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_EQ(questions[0].Title, "page.htm");
    EXPECT_EQ(questions[0].Text,
              "The meta tag ''keywords'' does'nt yet exist for this page.\nDo you want to create it?");
    EXPECT_FALSE(Edit.YesToAll);
    // Two commits, one journal line.
    EXPECT_EQ(JournalLines().size(), 1u);
    EXPECT_TRUE(BackupExists());
}

TEST_F(RewriteFixture, TheQuestionIsTranslated)
{
    App.Language = LanguageFrench;
    UsePage(kHead + kTail);
    ui_.NextAnswers = {ui::YesNoAll::No};
    EditMeta(ui::MainWindowId, OpToutRemplacer, "x", "description");
    ASSERT_EQ(Questions().size(), 1u);
    EXPECT_EQ(Questions()[0].Text, "La balise meta ''description'' n'existe pas encore dans cette page.\n"
                                   "Voulez-vous la cr\xE9"
                                   "er ?");
}

TEST_F(RewriteFixture, AnsweringNoWritesNothing)
{
    const std::string html = kHead + kTail;
    UsePage(html);
    const auto before = PageTime();
    ui_.NextAnswers = {ui::YesNoAll::No};
    EXPECT_EQ(EditMeta(ui::MainWindowId, OpAjoute, "foo", "keywords"), "");
    EXPECT_EQ(Questions().size(), 1u);
    EXPECT_EQ(PageBytes(), html);
    ExpectNoTrace(before);
}

TEST_F(RewriteFixture, HeadWithAttributesGetsTheHeadMessage)
{
    const std::string html = "<html>\r\n<HEAD lang=\"fr\">\r\n" + kTail;
    UsePage(html);
    const auto before = PageTime();
    ui_.NextAnswers = {ui::YesNoAll::Yes};
    EXPECT_EQ(EditMeta(ui::MainWindowId, OpToutRemplacer, "x", "description"), "");
    const auto messages = ui_.Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].Title, "page.htm");
    EXPECT_EQ(messages[0].Text, "The ''<head>'' tag can't be found!!!!");
    EXPECT_EQ(PageBytes(), html);
    ExpectNoTrace(before);
}

TEST_F(RewriteFixture, YesToAllCreatesLaterTagsWithoutAsking)
{
    const std::string html = kHead + kTail;
    const std::string first = UsePage(html, "a.htm");
    const std::string second = UsePage(html, "b.htm");
    ui_.NextAnswers = {ui::YesNoAll::YesToAll};
    ui_.DefaultAnswer = ui::YesNoAll::No;

    Page.CurrentPagePath = first;
    EXPECT_EQ(EditMeta(ui::MainWindowId, OpToutRemplacer, "Robots", "robots"), "balisevide");
    EXPECT_TRUE(Edit.YesToAll);
    Page.CurrentPagePath = second;
    EXPECT_EQ(EditMeta(ui::MainWindowId, OpToutRemplacer, "Robots", "robots"), "balisevide");
    // http-equiv for the content type.
    EXPECT_EQ(EditMeta(ui::MainWindowId, OpToutRemplacer, "text/html", "Content-Type"), "balisevide");

    EXPECT_EQ(Questions().size(), 1u);
    const std::string expected = "<html>\r\n<head>\r\n<meta http-equiv=\"Content-Type\" content=\"text/html\">\r\n"
                                 "<meta name=\"robots\" content=\"Robots\">\r\n" +
                                 kTail;
    EXPECT_EQ(test::ReadAll(second), expected);
    EXPECT_EQ(test::ReadAll(first), "<html>\r\n<head>\r\n<meta name=\"robots\" content=\"Robots\">\r\n" + kTail);
    EXPECT_EQ(JournalLines().size(), 2u);
}

TEST_F(RewriteFixture, FailedWalkNeitherAsksNorCreates)
{
    Page.CurrentPagePath = dir_.File("site/missing.htm");
    EXPECT_EQ(EditMeta(ui::MainWindowId, OpAjoute, "foo", "keywords"), "");
    EXPECT_TRUE(Questions().empty());
    EXPECT_FALSE(std::filesystem::exists(Page.CurrentPagePath));
}

TEST_F(RewriteFixture, UnusableMetaNamesDoNothing)
{
    const std::string html = kHead + "<meta name=\"keywords\" content=\"a\">\r\n" + kTail;
    UsePage(html);
    const auto before = PageTime();
    ui_.DefaultAnswer = ui::YesNoAll::Yes;
    EXPECT_EQ(EditMeta(ui::MainWindowId, OpAjoute, "foo", ""), "");
    // A name that no created tag could hold and that the name check would
    // never find again: no question, no broken tag.
    EXPECT_EQ(EditMeta(ui::MainWindowId, OpToutRemplacer, "x", " robots"), "");
    EXPECT_EQ(EditMeta(ui::MainWindowId, OpToutRemplacer, "x", "a\"b"), "");
    EXPECT_TRUE(Questions().empty());
    EXPECT_EQ(PageBytes(), html);
    ExpectNoTrace(before);
}

}  // namespace
}  // namespace kestrova
