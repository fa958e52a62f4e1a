#include "site/site_scan.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "analysis/word_tables.h"
#include "base/translate.h"
#include "editing/rewrite_engine.h"
#include "page/page_state.h"
#include "site/site_update.h"
#include "tests/support/engine_state.h"
#include "tests/support/temp_site.h"

using namespace kestrova;
namespace fs = std::filesystem;

namespace {

std::string Html(const std::string& title, const std::string& body)
{
    return "<html><head><title>" + title +
           "</title><meta name=\"description\" content=\"meta words\"></head>\r\n<body>" + body + "</body></html>\r\n";
}

class SiteScanTest : public test::EngineStateTest {
protected:
    SiteScanTest() : EngineStateTest(LanguageFrench) {}

    std::string Root() const { return dir.Path().string() + "/"; }
    // The pages WalkSiteFolder finds below the folder, relative to it.
    std::vector<std::string> Found(const std::string& nameFilter = "*")
    {
        SiteFileList.clear();
        WalkSiteFolder(Root(), nameFilter, SiteExtensions, 0, false);
        std::vector<std::string> found;
        for (const std::string& path : SplitPathList(SiteFileList))
            found.push_back(path.substr(Root().size()));
        return found;
    }
    // The row whose forms are exactly forms, or -1.
    static int Row(const std::string& forms)
    {
        for (int row = 0; row < WordTableRows && !WordTables.WordForms[row].empty(); ++row)
            if (WordTables.WordForms[row] == forms)
                return row;
        return -1;
    }

    test::TempDir dir;
};

TEST_F(SiteScanTest, ExtensionNameAndHiddenFiltersInDepthFirstByteOrder)
{
    for (const char* name :
         {"Index.HTML", "page.PHP", "README", "readme.txt", ".hidden.htm", "x.shtm", "y.cgi", "z.jpg", ".hid/inner.htm",
          "sub/b.asp", "sub/.h.html", "sub/deeper/c.htm", "noext.", "a.b.htm", "Sub2/d.htm"})
        dir.Write(name, Html("t", "x"));
    fs::create_directory(dir.Path() / "empty.htm");  // a folder named like a page is walked, not taken
    EXPECT_EQ(Found(),
              (std::vector<std::string>{".hid/inner.htm", "Index.HTML", "README", "Sub2/d.htm", "a.b.htm", "noext.",
                                        "page.PHP", "sub/b.asp", "sub/deeper/c.htm", "x.shtm", "y.cgi"}));
    // The name filter compares the lower-cased name without its extension.
    EXPECT_EQ(Found("index;b;readme"), (std::vector<std::string>{"Index.HTML", "README", "sub/b.asp"}));
    // Spaces in the extension list are ignored; "*" takes every extension.
    SiteFileList.clear();
    WalkSiteFolder(Root(), "*", " txt ; jpg", 0, false);
    EXPECT_EQ(SplitPathList(SiteFileList), (std::vector<std::string>{Root() + "readme.txt", Root() + "z.jpg"}));
    SiteFileList.clear();
    WalkSiteFolder(Root(), "readme", "*", 0, true);
    EXPECT_EQ(SplitPathList(SiteFileList), (std::vector<std::string>{Root() + "README", Root() + "readme.txt"}));
    // A folder given without its final separator, and one that does not exist.
    SiteFileList.clear();
    WalkSiteFolder(Root() + "sub", "*", SiteExtensions, 0, false);
    EXPECT_EQ(SiteFileList, Root() + "sub/b.asp\r" + Root() + "sub/deeper/c.htm\r");
    SiteFileList.clear();
    WalkSiteFolder(Root() + "missing/", "*", SiteExtensions, 0, false);
    WalkSiteFolder("", "*", SiteExtensions, 0, false);
    EXPECT_EQ(SiteFileList, "");
}

TEST_F(SiteScanTest, LinksAreFollowedButNeverInALoop)
{
    dir.Write("site/a.htm", Html("t", "x"));
    dir.Write("site/sub/b.htm", Html("t", "x"));
    dir.Write("other/c.htm", Html("t", "x"));
    fs::create_symlink(dir.Path() / "site", dir.Path() / "site/sub/up");          // loop to an open folder
    fs::create_symlink(dir.Path() / "other", dir.Path() / "site/sub/other");      // a folder elsewhere
    fs::create_symlink(dir.Path() / "site/a.htm", dir.Path() / "site/link.htm");  // a page
    fs::create_symlink(dir.Path() / "nothing.htm", dir.Path() / "site/broken.htm");
    SiteFileList.clear();
    WalkSiteFolder(Root() + "site/", "*", SiteExtensions, 0, false);
    const std::string site = Root() + "site/";
    // link.htm names the same file as a.htm: one page.
    EXPECT_EQ(SplitPathList(SiteFileList),
              (std::vector<std::string>{site + "a.htm", site + "sub/b.htm", site + "sub/other/c.htm"}));
}

TEST_F(SiteScanTest, CountsTitlesAndTextPerPageByWholeEntry)
{
    dir.Write("a.htm", Html("Maison", "maison maison <script>maison</script> jardin\r\npages"));
    dir.Write("b.htm", Html("Jardin", "maison page"));
    dir.Write("sub/index.htm", Html("", "premier titre<p>soleil soleil</p>"));
    dir.Write("index.htm", Html("soleil", "lune"));
    dir.Write("ab.htm", Html("Lune", ""));
    Page.CurrentPagePath = "/shown/page.htm";
    EXPECT_EQ(ScanSiteFolder(Root()), 5);

    const int maison = Row("maison");
    ASSERT_GE(maison, 0);
    EXPECT_EQ(WordTables.WordCounts[maison], 4);
    EXPECT_EQ(WordTables.WordOrigins[maison], "a.htm (3) / b.htm (1)");
    // Page and pages share a row; a line end separates words.
    const int page = Row("pages/page");
    ASSERT_GE(page, 0);
    EXPECT_EQ(WordTables.WordOrigins[page], "a.htm (1) / b.htm (1)");
    EXPECT_EQ(Row("jardinpages"), -1);
    // Two index.htm in different folders share one entry; an empty title
    // makes the next text run the title, counted like the rest.
    const int soleil = Row("soleil");
    ASSERT_GE(soleil, 0);
    EXPECT_EQ(WordTables.WordCounts[soleil], 3);
    EXPECT_EQ(WordTables.WordOrigins[soleil], "index.htm (3)");
    EXPECT_EQ(WordTables.WordOrigins[Row("premier")], "index.htm (1)");
    // b.htm is never counted under ab.htm.
    EXPECT_EQ(WordTables.WordOrigins[Row("lune")], "ab.htm (1) / index.htm (1)");
    // Meta contents are not part of the site statistics.
    EXPECT_EQ(Row("meta"), -1);
    // Rows are in the order of first meeting, pages in byte order of names.
    EXPECT_EQ(WordTables.WordForms[0], "maison");
    EXPECT_EQ(WordTables.WordForms[1], "jardin");
    EXPECT_EQ(Page.CurrentPagePath, "/shown/page.htm");  // the page shown before the scan stays current
}

TEST_F(SiteScanTest, AFullTableDropsNewWordsSilentlyAndListsTenThousandRows)
{
    // 10010 distinct words without "s" (no two share a key), 1001 per page.
    const std::string letters = "bcdfghjklmnpqrtvwxz";
    std::vector<std::string> words;
    for (int i = 0; i < 10010; ++i) {
        std::string w;
        for (int n = i, k = 0; k < 4; ++k, n /= 19)
            w += letters[n % 19];
        words.push_back(w);
    }
    for (int p = 0; p < 10; ++p) {
        std::string body;
        for (int i = p * 1001; i < (p + 1) * 1001; ++i)
            body += words[i] + " ";
        dir.Write("p" + std::to_string(p) + ".htm", Html("", body));
    }
    ScanSiteFolder(Root());
    EXPECT_EQ(WordTables.WordForms[WordTableRows - 1], words[10000]);
    EXPECT_EQ(Row(words[10001]), -1);
    EXPECT_EQ(SiteListedRowCount(), SiteListedRows);
    EXPECT_TRUE(ui.Messages().empty());
}

TEST_F(SiteScanTest, ScanReportsProgressAndEmptiesTheTableFirst)
{
    dir.Write("a.htm", Html("alpha", "deux"));
    dir.Write("b.htm", Html("trois", ""));
    dir.Write("c.txt", "not a page");
    CountWords("ancien", "x", false);
    std::vector<std::pair<std::string, int>> steps;
    EXPECT_EQ(ScanSiteFolder(Root(), [&](const std::string& path, int percent) { steps.emplace_back(path, percent); }),
              2);
    EXPECT_EQ(steps, (std::vector<std::pair<std::string, int>>{{Root() + "a.htm", 50}, {Root() + "b.htm", 100}}));
    EXPECT_EQ(Row("ancien"), -1);
    EXPECT_EQ(WordTables.WordForms[0], "alpha");
    EXPECT_EQ(SiteDisplayName("/home/me/site/"), "site");
    EXPECT_EQ(SiteDisplayName("/home/me/site"), "site");
}

// ---- the site-wide update's engine ----

TEST_F(SiteScanTest, SiteWideUpdateTicksTreeAndPreview)
{
    const std::vector<std::string> pages{"/s/a.htm", "/s/b.htm", "/s/sub/c.htm"};
    EXPECT_EQ(InitialTicks(pages, ""), (std::vector<bool>{true, true, true}));
    EXPECT_EQ(InitialTicks(pages, "/s/b.htm\r/s/sub/c.htm\r"), (std::vector<bool>{false, true, true}));
    // Whole paths only: "/s/a.htm" is not "/s/a.html".
    EXPECT_EQ(InitialTicks(pages, "/s/a.html\r/x/b.htm\r"), (std::vector<bool>{true, true, true}));
    EXPECT_EQ(FolderTreeLines("/home/site/sub/"), "\nhome\n. site\n. . sub");
    EXPECT_EQ(HalvedPreviewSize(800, 600).Width, 100);
    EXPECT_EQ(HalvedPreviewSize(800, 600).Height, 75);
    EXPECT_EQ(HalvedPreviewSize(100, 40).Width, 100);
    EXPECT_EQ(HalvedPreviewSize(101, 41).Height, 20);
    EXPECT_EQ(JoinPathList(SplitPathList("/a\r/b\r")), "/a\r/b\r");
    EXPECT_EQ(SplitPathList("/a\r/b"), (std::vector<std::string>{"/a", "/b"}));
}

TEST_F(SiteScanTest, ForEachChosenPageRestoresTheCurrentPage)
{
    Page.CurrentPagePath = "/own/page.htm";
    std::vector<std::pair<std::string, std::string>> seen;
    EXPECT_EQ(ForEachChosenPage("/s/a.htm\r/s/b.htm\r",
                                [&](const std::string& path) { seen.emplace_back(path, Page.CurrentPagePath); }),
              2);
    EXPECT_EQ(seen,
              (std::vector<std::pair<std::string, std::string>>{{"/s/a.htm", "/s/a.htm"}, {"/s/b.htm", "/s/b.htm"}}));
    EXPECT_EQ(Page.CurrentPagePath, "/own/page.htm");
    EXPECT_EQ(ForEachChosenPage("", [&](const std::string&) { ADD_FAILURE(); }), 0);

    // Each chosen page goes through the rewrite engine on its own: backup,
    // replacement and journal line per page; the pages not chosen stay.
    test::ScopedCurrentDir cwd(dir.Path());
    const std::string a = dir.Write("a.htm", Html("A", "x"));
    const std::string b = dir.Write("sub/b.htm", Html("B", "y"));
    const std::string c = dir.Write("c.htm", Html("C", "z"));
    EXPECT_EQ(SiteUpdatePages(c), (std::vector<std::string>{a, c, b}));
    ForEachChosenPage(a + "\r" + b + "\r",
                      [](const std::string&) { EditMeta(ui::MainWindowId, OpToutRemplacer, "neu", "description"); });
    EXPECT_NE(test::ReadAll(a).find("content=\"neu\""), std::string::npos);
    EXPECT_NE(test::ReadAll(b).find("content=\"neu\""), std::string::npos);
    EXPECT_EQ(test::ReadAll(c), Html("C", "z"));
    EXPECT_EQ(test::ReadAll(dir.File("sub/Sauvegarde/b.htm")), Html("B", "y"));
    const std::string journal = test::ReadAll(dir.File("Kestrova_log.txt"));
    EXPECT_NE(journal.find(a + "|"), std::string::npos);
    EXPECT_NE(journal.find(b + "|"), std::string::npos);
    EXPECT_EQ(Page.CurrentPagePath, "/own/page.htm");
    // The backups just made are not offered for the next site-wide change.
    EXPECT_EQ(SiteUpdatePages(c), (std::vector<std::string>{a, c, b}));
    EXPECT_EQ(SiteFileList, a + "\r" + c + "\r" + b + "\r");
}

}  // namespace
