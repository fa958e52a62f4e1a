// The analysis of an online page with the fetch given as a function: what is
// asked for, what is kept in "temp.htm", and what the window gets.
#include "analysis/online_page.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "base/translate.h"
#include "page/page_state.h"
#include "tests/support/engine_state.h"
#include "tests/support/temp_site.h"

using namespace kestrova;
using kestrova::test::Column;
using kestrova::test::ReadAll;

namespace {

namespace fs = std::filesystem;

// Mixed line ends, as pages from the web come.
const std::string WebPage = "<html>\n<head>\r<title>Port de p\xEA"
                            "che</title>\r\n"
                            "<meta name=\"keywords\" content=\"port, barque\">\n</head>\n"
                            "<body><p>Une barque au port.</p></body>\n</html>";

class OnlinePageTest : public test::EngineStateTest {
protected:
    OnlinePageTest() : EngineStateTest(LanguageEnglish) {}

    // Analyses the address with a fetch that answers `text`.
    AnalysisResult Analyse(const std::string& address, const std::string& text)
    {
        Page.CurrentPagePath = address;
        return AnalyseOnlinePage([&](const std::string& asked) {
            fetched.push_back(asked);
            // The page is read-only before anything is fetched.
            readOnlyDuringFetch = Page.PageReadOnly;
            return text;
        });
    }

    std::vector<std::string> fetched;
    bool readOnlyDuringFetch = false;
    test::TempDir dir;
    test::ScopedCurrentDir cwd{dir.Path()};
    test::FixedClock clock;
};

TEST(OnlineAddressTest, TypedAnswersBecomeAddresses)
{
    std::string a = "www.example.com/page.htm";
    EXPECT_TRUE(NormaliseOnlineAddress(a));
    EXPECT_EQ(a, "http://www.example.com/page.htm");
    a = "HTTP://http://www.example.com/";
    EXPECT_TRUE(NormaliseOnlineAddress(a));
    EXPECT_EQ(a, "http://www.example.com/");
    a = "https://secure.example.com/";
    EXPECT_TRUE(NormaliseOnlineAddress(a));
    EXPECT_EQ(a, "https://secure.example.com/");
    // A cancelled dialog gives "", which is analysed as "http://".
    a = "";
    EXPECT_TRUE(NormaliseOnlineAddress(a));
    EXPECT_EQ(a, "http://");
    // The dialog's own text left as it was: nothing to do.
    a = "http://";
    EXPECT_FALSE(NormaliseOnlineAddress(a));

    EXPECT_TRUE(IsOnlineAddress("http://x"));
    EXPECT_TRUE(IsOnlineAddress("https://x"));
    EXPECT_FALSE(IsOnlineAddress("HTTP://x"));
    EXPECT_FALSE(IsOnlineAddress("/site/http.htm"));
}

TEST(OnlineAddressTest, LineEndsBecomeCrLf)
{
    EXPECT_EQ(NormaliseLineEnds("a\r\nb\nc\rd\n\re"), "a\r\nb\r\nc\r\nd\r\n\r\ne");
    EXPECT_EQ(NormaliseLineEnds("\r\n\r\n"), "\r\n\r\n");
    EXPECT_EQ(NormaliseLineEnds("no end"), "no end");
}

TEST_F(OnlinePageTest, FetchedPageIsAnalysedReadOnly)
{
    const std::string address = "http://www.example.com/port.htm";
    AnalysisResult r = Analyse(address, WebPage);

    EXPECT_EQ(fetched, std::vector<std::string>{address});
    EXPECT_TRUE(readOnlyDuringFetch);
    EXPECT_TRUE(r.Ok);
    EXPECT_TRUE(r.ReadOnly);
    EXPECT_TRUE(r.PageLoaded);
    EXPECT_EQ(Page.CurrentPagePath, "temp.htm");
    EXPECT_EQ(ReadAll((dir.Path() / "temp.htm").string()), NormaliseLineEnds(WebPage));
    EXPECT_EQ(r.WindowTitle, "Kestrova - Page \"" + address + "\"");
    EXPECT_EQ(r.TitleText, "Port de p\xEA"
                           "che");
    EXPECT_EQ(Column(Page.KeywordList, 0), (std::vector<std::string>{"barque", "port"}));

    // The not-editable message, and every editing button disabled.
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_EQ(ui.Messages()[0].Title, "Caution!");
    EXPECT_EQ(ui.Messages()[0].Text, "This file is not editable. Edition functions of Kestrova had been disabled.");
    for (ButtonChange b : {r.Buttons.ManualAdd, r.Buttons.ModifySentence, r.Buttons.AddToKeywords, r.Buttons.Remove,
                           r.Buttons.Modify, r.Buttons.SaveTitle, r.Buttons.SaveDescription})
        EXPECT_EQ(b, ButtonChange::Disable);
}

TEST_F(OnlinePageTest, NothingReceivedKeepsTheListsAndForgetsThePage)
{
    Analyse("http://www.example.com/port.htm", WebPage);
    ui.Clear();
    dir.Write("temp.htm", "answer of an earlier fetch");

    AnalysisResult r = Analyse("http://www.example.com/gone.htm", "");
    EXPECT_FALSE(r.Ok);
    EXPECT_FALSE(r.PageLoaded);
    EXPECT_FALSE(r.ListsChanged);
    EXPECT_FALSE(r.WindowTitleSet);
    EXPECT_EQ(Page.CurrentPagePath, "");
    // Only the unreadable address is reported.
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_EQ(ui.Messages()[0].Title, "Caution!");
    EXPECT_EQ(ui.Messages()[0].Text, TranslateFrenchKey("Impossible de lire l'URL fournie !"));
    EXPECT_EQ(Column(Page.KeywordList, 0), (std::vector<std::string>{"barque", "port"}));
    EXPECT_EQ(r.Buttons.ManualAdd, ButtonChange::Disable);
    EXPECT_EQ(r.Buttons.ModifySentence, ButtonChange::Disable);
    EXPECT_EQ(ReadAll((dir.Path() / "temp.htm").string()), "answer of an earlier fetch");
}

}  // namespace
