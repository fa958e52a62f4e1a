#include "analysis/analysis_driver.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "base/app_state.h"
#include "base/headless_ui.h"
#include "base/translate.h"
#include "page/page_history.h"
#include "page/page_state.h"
#include "tests/support/engine_state.h"
#include "tests/support/locked_file.h"
#include "tests/support/temp_site.h"

using namespace kestrova;
using kestrova::test::Column;
using kestrova::test::ReadAll;

namespace {

namespace fs = std::filesystem;

const std::string SailPage = "<html>\r\n<head>\r\n<title>Voiliers &agrave; vendre</title>\r\n"
                             "<meta name=\"description\" content=\"Nos voiliers d'occasion\">\r\n"
                             "<meta name=\"keywords\" content=\"voilier, bateau, r&eacute;gate\">\r\n"
                             "</head>\r\n<body>\r\n<h1>Voilier de course</h1>\r\n"
                             "<p>Un bateau et des voiles.</p>\r\n"
                             "<img src=\"images/grand-voilier.jpg\" alt=\"le voilier\">\r\n"
                             "</body>\r\n</html>\r\n";

class AnalysisDriverTest : public test::EngineStateTest {
protected:
    AnalysisDriverTest() : EngineStateTest(LanguageEnglish) {}

    AnalysisResult Analyse(const std::string& path)
    {
        Page.CurrentPagePath = path;
        return AnalyseLocalPage();
    }

    test::TempDir dir;
    test::ScopedCurrentDir cwd{dir.Path()};
    test::FixedClock clock;
};

TEST_F(AnalysisDriverTest, FillsListsFieldsAndButtonsOfAWritablePage)
{
    const std::string path = dir.Write("site/page.htm", SailPage);
    AnalysisResult r = Analyse(path);

    EXPECT_TRUE(r.Ok);
    EXPECT_TRUE(r.PageLoaded);
    EXPECT_FALSE(r.ReadOnly);
    EXPECT_TRUE(r.ListsChanged);
    EXPECT_TRUE(r.WindowTitleSet);
    EXPECT_EQ(r.WindowTitle, "Kestrova - Page \"page.htm\"");
    EXPECT_EQ(r.TitleText, "Voiliers \xE0 vendre");
    EXPECT_EQ(r.DescriptionText, "Nos voiliers d'occasion");
    EXPECT_EQ(Page.PageDescription, "Nos voiliers d'occasion");
    EXPECT_EQ(Page.CurrentPagePath, path);

    EXPECT_EQ(r.Buttons.ManualAdd, ButtonChange::Enable);
    EXPECT_EQ(r.Buttons.ModifySentence, ButtonChange::Disable);
    EXPECT_EQ(r.Buttons.AddToKeywords, ButtonChange::Disable);
    EXPECT_EQ(r.Buttons.Remove, ButtonChange::Disable);
    EXPECT_EQ(r.Buttons.Modify, ButtonChange::Disable);
    EXPECT_EQ(r.Buttons.SaveTitle, ButtonChange::Disable);
    EXPECT_EQ(r.Buttons.SaveDescription, ButtonChange::Disable);

    // Sorted on the words, used keywords marked.
    EXPECT_EQ(Column(Page.KeywordList, 0), (std::vector<std::string>{"bateau", "r\xE9gate", "voilier"}));
    EXPECT_EQ(Column(Page.KeywordList, 1), (std::vector<std::string>{"Yes", "No", "Yes"}));
    EXPECT_EQ(Column(Page.UsualWordList, 0), (std::vector<std::string>{"le"}));
    EXPECT_EQ(Column(Page.OtherWordList, 0), (std::vector<std::string>{"bateau", "course", "grand", "nos", "occasion",
                                                                       "vendre", "voiles", "voiliers/voilier"}));
    EXPECT_EQ(Page.OtherWordList.Rows.back()[1], "5");

    // Nothing to tell the user, no question, and the page is untouched.
    EXPECT_TRUE(ui.Messages().empty());
    EXPECT_EQ(ReadAll(path), SailPage);
    EXPECT_FALSE(fs::exists(dir.Path() / "Kestrova_log.txt"));
}

TEST_F(AnalysisDriverTest, EmptyPageIsAnalysedReadOnlyWithTheMessage)
{
    const std::string path = dir.Write("empty.htm", "");
    AnalysisResult r = Analyse(path);

    EXPECT_TRUE(r.Ok);
    EXPECT_TRUE(r.ReadOnly);
    EXPECT_TRUE(Page.PageReadOnly);
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_EQ(ui.Messages()[0].Title, "Caution!");
    EXPECT_EQ(ui.Messages()[0].Text, "This file is not editable. Edition functions of Kestrova had been disabled.");
    EXPECT_EQ(r.Buttons.ManualAdd, ButtonChange::Disable);
    EXPECT_EQ(r.Buttons.AddToKeywords, ButtonChange::Disable);
    EXPECT_EQ(r.Buttons.Remove, ButtonChange::Disable);
    EXPECT_EQ(r.Buttons.Modify, ButtonChange::Disable);
    EXPECT_EQ(r.TitleText, "");
    EXPECT_TRUE(Page.KeywordList.Rows.empty());
}

TEST_F(AnalysisDriverTest, FrenchNotEditableMessage)
{
    App.Language = "Fran\xE7"
                   "ais";
    Analyse(dir.Write("empty.htm", ""));
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_EQ(ui.Messages()[0].Title, "Attention !");
    EXPECT_EQ(ui.Messages()[0].Text, "Ce fichier n'est pas \xE9"
                                     "ditable. Les fonctions d'\xE9"
                                     "dition et de correction de Kestrova ont "
                                     "\xE9t\xE9 d\xE9sactiv\xE9"
                                     "es.");
}

TEST_F(AnalysisDriverTest, UnreadablePageKeepsThePreviousLists)
{
    Analyse(dir.Write("page.htm", SailPage));
    ASSERT_EQ(Page.KeywordList.Rows.size(), 3u);
    ui.Clear();

    AnalysisResult r = Analyse(dir.File("missing.htm"));
    EXPECT_FALSE(r.Ok);
    EXPECT_FALSE(r.ListsChanged);
    EXPECT_FALSE(r.WindowTitleSet);
    EXPECT_TRUE(r.ReadOnly);
    // The path is still set: the not-editable message is shown.
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_EQ(ui.Messages()[0].Title, "Caution!");
    EXPECT_EQ(Page.KeywordList.Rows.size(), 3u);
    EXPECT_EQ(Page.OtherWordList.Rows.size(), 8u);
    EXPECT_EQ(r.Buttons.ManualAdd, ButtonChange::Disable);
    EXPECT_EQ(r.Buttons.ModifySentence, ButtonChange::Keep);
    EXPECT_EQ(r.Buttons.SaveTitle, ButtonChange::Disable);
}

TEST_F(AnalysisDriverTest, FolderIsNotAPage)
{
    fs::create_directories(dir.Path() / "folder.htm");
    Analyse(dir.Write("page.htm", SailPage));
    AnalysisResult r = Analyse(dir.File("folder.htm"));
    EXPECT_FALSE(r.Ok);
    EXPECT_FALSE(r.ListsChanged);
    EXPECT_EQ(Page.KeywordList.Rows.size(), 3u);
}

TEST_F(AnalysisDriverTest, NonHtmlPageEmptiesListsAndForgetsThePage)
{
    Analyse(dir.Write("page.htm", SailPage));
    ui.Clear();

    AnalysisResult r = Analyse(dir.Write("notes.txt", "just some text\r\nwithout markup\r\n"));
    EXPECT_FALSE(r.Ok);
    EXPECT_FALSE(r.PageLoaded);
    EXPECT_TRUE(r.ListsChanged);
    EXPECT_TRUE(Page.CurrentPagePath.empty());
    EXPECT_TRUE(Page.KeywordList.Rows.empty());
    EXPECT_TRUE(Page.OtherWordList.Rows.empty());
    EXPECT_TRUE(Page.UsualWordList.Rows.empty());
    EXPECT_EQ(r.WindowTitle, "Kestrova - Page \"notes.txt\"");
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_EQ(ui.Messages()[0].Title, "Error with notes.txt");
    EXPECT_EQ(ui.Messages()[0].Text, "This is not an HTML document!");
    EXPECT_EQ(r.Buttons.ManualAdd, ButtonChange::Disable);
    EXPECT_EQ(r.Buttons.AddToKeywords, ButtonChange::Disable);
    EXPECT_EQ(r.Buttons.Remove, ButtonChange::Disable);
    EXPECT_EQ(r.Buttons.Modify, ButtonChange::Disable);
}

TEST_F(AnalysisDriverTest, NoTitleNoKeywordsNeverShowsThoseOfThePreviousPage)
{
    Analyse(dir.Write("a.htm", SailPage));
    AnalysisResult r = Analyse(dir.Write("b.htm", "<html><body><p>Texte seul</p></body></html>\r\n"));
    EXPECT_TRUE(r.Ok);
    EXPECT_EQ(r.TitleText, "");
    EXPECT_EQ(r.DescriptionText, "");
    EXPECT_TRUE(Page.KeywordList.Rows.empty());
    EXPECT_EQ(Column(Page.OtherWordList, 0), (std::vector<std::string>{"seul", "texte"}));
    EXPECT_TRUE(ui.Messages().empty());
}

TEST_F(AnalysisDriverTest, EmptyDescriptionShowsAsEmpty)
{
    AnalysisResult r =
        Analyse(dir.Write("p.htm", "<html><head><meta name=\"description\" content=\"\"></head><body>x</body></html>"));
    EXPECT_TRUE(r.Ok);
    EXPECT_EQ(r.DescriptionText, "");
    EXPECT_EQ(Page.PageDescription, "");
}

TEST_F(AnalysisDriverTest, SymbolicLinkIsAnalysedAsItsTarget)
{
    const std::string target = dir.Write("site/real.htm", SailPage);
    fs::create_symlink(target, dir.Path() / "link.htm");
    AnalysisResult r = Analyse(dir.File("link.htm"));
    EXPECT_TRUE(r.Ok);
    EXPECT_EQ(Page.CurrentPagePath, target);
    EXPECT_EQ(r.WindowTitle, "Kestrova - Page \"real.htm\"");
}

const std::string BadKeywordsPage =
    "<html><head>\r\n<meta name=\"keywords\" content=\"caf\xE9, th\xE9 noir\">\r\n</head>\r\n"
    "<body><p>Un caf\xE9 noir et du th\xE9</p></body></html>\r\n";

TEST_F(AnalysisDriverTest, BadlyEncodedKeywordsDeclinedLeavesThePage)
{
    const std::string path = dir.Write("k.htm", BadKeywordsPage);
    ui.DefaultAnswer = ui::YesNoAll::No;
    AnalysisResult r = Analyse(path);
    EXPECT_TRUE(r.Ok);
    EXPECT_FALSE(r.KeywordsReencoded);
    int questions = 0;
    for (const auto& s : ui.Log)
        if (s.Kind == "yesno") {
            ++questions;
            EXPECT_EQ(s.Title, "Caution!");
            EXPECT_EQ(s.Text,
                      "Some keywords have accents wich are incorrectly HTML coded.\nDo you want to correct that ?");
        }
    EXPECT_EQ(questions, 1);
    EXPECT_EQ(ReadAll(path), BadKeywordsPage);
    EXPECT_FALSE(fs::exists(dir.Path() / "Sauvegarde"));
}

TEST_F(AnalysisDriverTest, BadlyEncodedKeywordsAcceptedAreRewrittenInTheirOrderAsOneChange)
{
    const std::string path = dir.Write("k.htm", BadKeywordsPage);
    ui.DefaultAnswer = ui::YesNoAll::Yes;
    AnalysisResult r = Analyse(path);
    EXPECT_TRUE(r.Ok);
    EXPECT_TRUE(r.KeywordsReencoded);
    EXPECT_GE(ui.ProgressOpenCount, 1);
    EXPECT_FALSE(ui.ProgressOpen);
    // Each keyword is removed and put back in front, the last one first:
    // the list keeps its order, entity-encoded.
    EXPECT_EQ(ReadAll(path),
              "<html><head>\r\n<meta name=\"keywords\" content=\"caf&eacute;, th&eacute; noir\">\r\n</head>\r\n"
              "<body><p>Un caf\xE9 noir et du th\xE9</p></body></html>\r\n");
    // The view still shows the analysis (not refreshed), sorted.
    EXPECT_EQ(Column(Page.KeywordList, 0), (std::vector<std::string>{"caf\xE9", "th\xE9 noir"}));
    EXPECT_EQ(Column(Page.KeywordList, 1), (std::vector<std::string>{"Yes", "Yes"}));
    // One change for the whole fix: one journal line for the page, one
    // backup holding the page as it was (every original keyword), one
    // history version. (A new journal begins with an empty line.)
    EXPECT_EQ(ReadAll((dir.Path() / "Kestrova_log.txt").string()), "\n" + path + "|1700000000\n");
    EXPECT_EQ(test::FolderEntries(dir.Path() / "Sauvegarde"),
              (std::vector<std::string>{".kestrova-historique", fs::path(path).filename().string()}));
    EXPECT_EQ(ReadAll((dir.Path() / "Sauvegarde" / fs::path(path).filename()).string()), BadKeywordsPage);
    EXPECT_EQ(PageHistory(path).size(), 1u);
}

TEST_F(AnalysisDriverTest, ReadOnlyPageIsNotOfferedTheKeywordFix)
{
    const std::string path = dir.Write("k.htm", BadKeywordsPage);
    test::LockedFile lock(path);
    if (!lock.Locked())
        GTEST_SKIP() << "cannot make a file unwritable here";
    ui.DefaultAnswer = ui::YesNoAll::Yes;
    AnalysisResult r = Analyse(path);
    EXPECT_TRUE(r.Ok);
    EXPECT_TRUE(r.ReadOnly);
    for (const auto& s : ui.Log)
        EXPECT_NE(s.Kind, "yesno");
    EXPECT_EQ(ReadAll(path), BadKeywordsPage);
}

TEST_F(AnalysisDriverTest, OpenDialogFolderAndFileListeRule)
{
    EXPECT_EQ(PageFilePatterns(), "*.shtm;*.shtml;*.htm;*.html;*.php;*.asp;*.cgi");

    App.Folder = "/old/";
    EXPECT_EQ(OpenDialogStartFolder(), "/old/");  // no page yet: unchanged
    Page.CurrentPagePath = "/site/a/index.htm";
    EXPECT_EQ(OpenDialogStartFolder(), "/site/a/");
    EXPECT_EQ(App.Folder, "/site/a/");

    App.FileListe = "/site/a/x.htm\r";
    AcceptChosenPage("/site/a/other.htm");
    EXPECT_EQ(Page.CurrentPagePath, "/site/a/other.htm");
    EXPECT_EQ(App.FileListe, "/site/a/x.htm\r");  // same folder: kept
    AcceptChosenPage("/site/b/page.htm");
    EXPECT_EQ(App.FileListe, "");  // another folder: emptied
}

}  // namespace
