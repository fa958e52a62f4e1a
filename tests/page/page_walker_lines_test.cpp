// The places the walker gives with WalkOptions::CountLines: the line and
// column where each piece starts, counted over every byte the walk passes
// (script bodies, zero bytes and over-long pieces included), whatever the
// block size.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/app_state.h"
#include "page/page_state.h"
#include "page/page_walker.h"
#include "tests/support/temp_site.h"

namespace kestrova::test {
namespace {

// "piece@line:column" for every piece handed over.
std::vector<std::string> Places(const std::string& path, bool countLines = true)
{
    PageState state;
    std::vector<std::string> places;
    const WalkOptions options{.ReportErrors = false, .PumpEvents = false, .CountLines = countLines, .State = &state};
    WalkPage(path, options, [&](std::int64_t, const std::string&, const std::string&, const std::string&) {
        const std::string piece = state.CurrentTag.empty() ? state.CurrentText : "<" + state.CurrentTag + ">";
        if (piece.find_first_not_of(" \r\n") == std::string::npos)
            return;
        places.push_back(piece + "@" + std::to_string(state.PieceLine) + ":" + std::to_string(state.PieceColumn));
    });
    return places;
}

class PageWalkerLinesTest : public ::testing::Test {
protected:
    void SetUp() override { ResetAppState(); }
    void TearDown() override { SetWalkBlockSizeForTesting(0); }
    TempDir dir;
};

TEST_F(PageWalkerLinesTest, LinesAndColumnsOfEveryPieceAtEveryBlockSize)
{
    // CR LF line ends, a script whose lines are never handed over, a zero
    // byte, a comment over two lines.
    const std::string page = std::string("<html>\r\n<head><script>\r\nvar a = 1;\r\n\r\n</script>\r\n") +
                             "<title>T</title></head>\r\n<body>ab" + std::string(1, '\0') +
                             "cd <!-- one\r\ntwo --> <p>x</p>\r\n</body></html>\r\n";
    const std::string path = dir.Write("p.html", page);
    const std::vector<std::string> expected{
        "<html>@1:1",   "<head>@2:1", "<title>@6:1", "T@6:8",       "</title>@6:9",
        "</head>@6:17", "<body>@7:1", "ab@7:7",      "cd @7:10",    "<!-- one\r\ntwo -->@7:13",
        "<p>@8:9",      "x@8:12",     "</p>@8:13",   "</body>@9:1", "</html>@9:8"};
    EXPECT_EQ(Places(path), expected);
    for (std::size_t block : {1u, 3u, 7u, 64u}) {
        SetWalkBlockSizeForTesting(block);
        EXPECT_EQ(Places(path), expected) << "block size " << block;
    }
}

TEST_F(PageWalkerLinesTest, Utf8ColumnsCountCharactersAndTheByteOrderMarkIsNone)
{
    const std::string path =
        dir.Write("u.html", "\xEF\xBB\xBF<html><p>\xC3\xA9t\xC3\xA9 \xE2\x82\xAC</p><i>x</i>\n<b>y</b></html>");
    const std::vector<std::string> places = Places(path);
    ASSERT_GE(places.size(), 8u);
    EXPECT_EQ(places[0], "<html>@1:1");
    EXPECT_EQ(places[1], "<p>@1:7");
    // "été €" is five characters: </p> starts at column 10 + 5.
    EXPECT_EQ(places[3], "</p>@1:15");
    EXPECT_EQ(places[4], "<i>@1:19");
    EXPECT_EQ(places[7], "<b>@2:1");
}

TEST_F(PageWalkerLinesTest, WalksThatDoNotAskKeepLineOne)
{
    const std::string path = dir.Write("p.html", "<html>\n<p>x</p>\n</html>\n");
    for (const std::string& place : Places(path, false))
        EXPECT_TRUE(place.ends_with("@1:1")) << place;
}

}  // namespace
}  // namespace kestrova::test
