// kestrova-cli site: the report format, its limits and its failures.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "tests/support/temp_site.h"

namespace fs = std::filesystem;
using kestrova::test::TempDir;

namespace {

class SiteCliTest : public ::testing::Test {
protected:
    int Run(std::vector<std::string> args)
    {
        out.str({});
        err.str({});
        return kestrova::cli::RunCli(args, out, err);
    }
    TempDir dir;
    std::ostringstream out, err;
};

std::string Page(const std::string& title, const std::string& body)
{
    return "<html><head><title>" + title + "</title></head><body>" + body + "</body></html>";
}

TEST_F(SiteCliTest, PrintsOneUtf8LinePerRowInTableOrder)
{
    // "été" in Windows-1252 on a page whose file name is UTF-8.
    dir.Write("a.htm", Page("Caf\xE9", "caf&eacute; caf\xE9s \xE9t\xE9 \xE9t\xE9"));
    dir.Write("sub/\xC3\xA9t\xC3\xA9.htm", Page("", "\xC9T\xC9 caf\xE9"));
    EXPECT_EQ(Run({"site", dir.Path().string()}), 0);
    EXPECT_EQ(out.str(), "caf\xC3\xA9/caf\xC3\xA9s\t4\ta.htm (3) / \xC3\xA9t\xC3\xA9.htm (1)\n"
                         "\xC3\xA9t\xC3\xA9\t3\ta.htm (2) / \xC3\xA9t\xC3\xA9.htm (1)\n");
    EXPECT_EQ(err.str(), "");
}

TEST_F(SiteCliTest, WordsOfUtf8PagesPrintAsUtf8)
{
    // é (which Windows-1252 holds) and a Cyrillic word in two cases, which
    // count as one word.
    dir.Write("u.htm",
              Page("", "\xC3\xA9t\xC3\xA9 \xD0\x9C\xD0\xB8\xD1\x80 \xD0\xBC\xD0\xB8\xD1\x80 \xD0\xBC\xD0\xB8\xD1\x80"));
    EXPECT_EQ(Run({"site", dir.Path().string()}), 0);
    EXPECT_EQ(out.str(), "\xC3\xA9t\xC3\xA9\t1\tu.htm (1)\n"
                         "\xD0\xBC\xD0\xB8\xD1\x80\t3\tu.htm (3)\n");
    EXPECT_EQ(err.str(), "");
}

TEST_F(SiteCliTest, EmptyMissingAndUnreadableFolders)
{
    dir.Write("notes.txt", "no page here");
    EXPECT_EQ(Run({"site", dir.Path().string()}), 0);
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(Run({"site", (dir.Path() / "missing").string()}), 1);
    EXPECT_EQ(out.str(), "");
    EXPECT_NE(err.str().find("missing"), std::string::npos);
    EXPECT_EQ(Run({"site", dir.File("notes.txt")}), 1);
    EXPECT_NE(err.str().find("notes.txt"), std::string::npos);
    EXPECT_EQ(Run({"site"}), 2);
}

TEST_F(SiteCliTest, ListsAtMostTenThousandRows)
{
    const std::string letters = "bcdfghjklmnpqrtvwxz";
    std::string body;
    for (int i = 0; i < 10050; ++i) {
        std::string w;
        for (int n = i, k = 0; k < 4; ++k, n /= 19)
            w += letters[n % 19];
        body += w + (i % 100 == 99 ? "<p>" : " ");  // pieces of a usual length
    }
    dir.Write("big.htm", Page("", body));
    EXPECT_EQ(Run({"site", dir.Path().string()}), 0);
    const std::string text = out.str();
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 10000);
    EXPECT_EQ(text.substr(0, 21), "bbbb\t1\tbig.htm (1)\ncb");
}

}  // namespace
