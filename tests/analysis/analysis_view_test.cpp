// What the analysis tells the window, and when: the view is reported changed
// before the walk (lists emptied, caption set) and after it (lists and fields
// filled), and every message or question about the page comes after that.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "analysis/analysis_driver.h"
#include "base/clock.h"
#include "base/headless_ui.h"
#include "base/translate.h"
#include "page/page_state.h"
#include "page/page_walker.h"
#include "tests/support/engine_state.h"
#include "tests/support/temp_site.h"

using namespace kestrova;

namespace {

const std::string BadKeywordsPage =
    "<html><head><title>Caf\xE9s</title>\r\n<meta name=\"description\" content=\"Tout sur le caf\xE9\">\r\n"
    "<meta name=\"keywords\" content=\"caf\xE9, th\xE9 noir\">\r\n</head>\r\n"
    "<body><p>Un caf\xE9 noir et du th\xE9</p></body></html>\r\n";

const std::string OtherPage = "<html><head><title>Voiliers</title>\r\n"
                              "<meta name=\"description\" content=\"Des voiliers\">\r\n"
                              "<meta name=\"keywords\" content=\"voilier, bateau\">\r\n</head>\r\n"
                              "<body><p>Voilier et bateau</p></body></html>\r\n";

// The state the window is told to show at one PageViewChanged.
struct ViewSeen {
    std::size_t LogIndex;  // position of the "view" entry in the log
    std::string Caption;
    bool FieldsSet;
    std::string Title;
    std::size_t Keywords;
    std::size_t OtherWords;
};

class AnalysisViewTest : public test::EngineStateTest {
protected:
    AnalysisViewTest() : EngineStateTest(LanguageEnglish)
    {
        ui.OnViewChanged = [this](ui::WindowId window) {
            EXPECT_EQ(window, ui::MainWindowId);
            const AnalysisResult& view = CurrentAnalysis();
            views.push_back({ui.Log.size() - 1, view.WindowTitleSet ? view.WindowTitle : std::string(), view.FieldsSet,
                             view.TitleText, Page.KeywordList.Rows.size(), Page.OtherWordList.Rows.size()});
        };
    }

    AnalysisResult Analyse(const std::string& path)
    {
        Page.CurrentPagePath = path;
        return AnalyseLocalPage();
    }

    // Index in the log of the first entry of a kind (Log.size() when none).
    std::size_t First(const std::string& kind) const
    {
        for (std::size_t i = 0; i < ui.Log.size(); ++i)
            if (ui.Log[i].Kind == kind)
                return i;
        return ui.Log.size();
    }

    std::vector<ViewSeen> views;
    test::TempDir dir;
    test::ScopedCurrentDir cwd{dir.Path()};
    test::FixedClock clock;
};

TEST_F(AnalysisViewTest, PageIsShownBeforeTheKeywordQuestion)
{
    Analyse(dir.Write("a.htm", OtherPage));
    ui.Clear();
    views.clear();

    ui.DefaultAnswer = ui::YesNoAll::No;
    const AnalysisResult r = Analyse(dir.Write("k.htm", BadKeywordsPage));
    ASSERT_TRUE(r.Ok);
    const std::size_t question = First("yesno");
    ASSERT_LT(question, ui.Log.size());
    ASSERT_GE(views.size(), 2u);

    // Before the walk: the new caption, empty lists and fields.
    EXPECT_EQ(views[0].Caption, "Kestrova - Page \"k.htm\"");
    EXPECT_TRUE(views[0].FieldsSet);
    EXPECT_EQ(views[0].Title, "");
    EXPECT_EQ(views[0].Keywords, 0u);
    EXPECT_EQ(views[0].OtherWords, 0u);
    // Before the question: the new page's title and lists.
    EXPECT_LT(views[1].LogIndex, question);
    EXPECT_EQ(views[1].Title, "Caf\xE9s");
    EXPECT_EQ(views[1].Keywords, 2u);
    EXPECT_GT(views[1].OtherWords, 0u);
    // The sorted lists are reported again at the end.
    EXPECT_GT(views.back().LogIndex, question);
}

TEST_F(AnalysisViewTest, FailedWalkLeavesNoFieldOfThePageBefore)
{
    Analyse(dir.Write("a.htm", OtherPage));
    ASSERT_EQ(Page.PageTitle, "Voiliers");
    ui.Clear();
    views.clear();

    const AnalysisResult r = Analyse(dir.Write("notes.htm", "plain words, no markup\r\n"));
    EXPECT_FALSE(r.Ok);
    EXPECT_TRUE(r.FieldsSet);
    EXPECT_EQ(r.TitleText, "");
    EXPECT_EQ(r.DescriptionText, "");
    EXPECT_EQ(Page.PageTitle, "");
    EXPECT_EQ(Page.PageDescription, "");
    // The message about the file comes after the window showed the empty view.
    const std::size_t message = First("message");
    ASSERT_LT(message, ui.Log.size());
    ASSERT_FALSE(views.empty());
    EXPECT_LT(views.front().LogIndex, message);
    EXPECT_EQ(views.front().Caption, "Kestrova - Page \"notes.htm\"");
    EXPECT_EQ(ui.Log[message].Text, "This is not an HTML document!");

    // An unreadable page changes nothing and tells the window nothing.
    Analyse(dir.Write("b.htm", OtherPage));
    ui.Clear();
    views.clear();
    const AnalysisResult missing = Analyse(dir.File("missing.htm"));
    EXPECT_FALSE(missing.FieldsSet);
    EXPECT_TRUE(views.empty());
    EXPECT_EQ(Page.KeywordList.Rows.size(), 2u);
}

TEST_F(AnalysisViewTest, NotEditableMessageComesWithThePage)
{
    Analyse(dir.Write("a.htm", OtherPage));
    ui.Clear();
    views.clear();
    Analyse(dir.Write("empty.htm", ""));
    const std::size_t message = First("message");
    ASSERT_LT(message, ui.Log.size());
    ASSERT_GE(views.size(), 2u);
    EXPECT_LT(views[1].LogIndex, message);
    EXPECT_EQ(views[1].Keywords, 0u);  // not those of a.htm
    EXPECT_EQ(views[1].Caption, "Kestrova - Page \"empty.htm\"");
}

TEST_F(AnalysisViewTest, ProgressShowsTheFileNameNeverThePageBytes)
{
    // A long page with binary bytes; the progress window opens once the
    // walk has taken longer than its delay.
    std::string page = "<html><head><title>Bin</title></head><body>\r\n";
    while (page.size() < 200000)
        page += "<p>\x01\x02\xFF\xFE binaire \x7F</p>\r\n";
    page += "</body></html>\r\n";
    const std::string path = dir.Write("bin.htm", page);
    // Every reading of the clock is 100 ms after the one before.
    MonotonicTime now{};
    SetMonotonicClock([&now] { return now += std::chrono::milliseconds(100); });
    const bool ok = Analyse(path).Ok;
    SetMonotonicClock({});
    ASSERT_TRUE(ok);
    ASSERT_GE(ui.ProgressOpenCount, 1);
    ASSERT_FALSE(ui.ProgressTexts.empty());
    for (const std::string& text : ui.ProgressTexts)
        EXPECT_EQ(text, "bin.htm");
}

}  // namespace
