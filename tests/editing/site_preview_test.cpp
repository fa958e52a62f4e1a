// The site-wide update's preview lists exactly the pages and differences
// that the update then writes, and writes nothing itself.
#include "editing/site_preview.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "editing/image_rename.h"
#include "editing/meta_catalogue.h"
#include "page/page_history.h"
#include "tests/editing/rewrite_fixture.h"

namespace kestrova {
namespace {

namespace fs = std::filesystem;
using test::ReadAll;

class SitePreviewTest : public test::RewriteFixture {};

TEST_F(SitePreviewTest, ThePreviewListsThePagesAndDifferencesTheUpdateThenWrites)
{
    const std::string a = dir_.Write(
        "site/a.htm", "<html><head>\r\n<meta name=\"robots\" content=\"index\">\r\n</head><body>a</body></html>");
    const std::string b =
        dir_.Write("site/sous/b.htm", "<html><head>\r\n<title>B</title>\r\n</head><body>b</body></html>");
    const std::string c = dir_.Write(
        "site/c.htm", "<html><head>\r\n<meta name=\"robots\" content=\"noindex\">\r\n</head><body>c</body></html>");
    const std::string current = UsePage(ReadAll(a), "a.htm");
    const std::vector<std::string> pages{a, b, c};
    const auto before = test::FolderEntries(dir_.Path() / "site");
    const std::string aBefore = ReadAll(a), bBefore = ReadAll(b), cBefore = ReadAll(c);

    const std::vector<DryRun::Change> preview = PreviewMetaTagOnPages(ui::MainWindowId, pages, "robots", "noindex");
    // c already holds it: only a and b would change.
    ASSERT_EQ(preview.size(), 2u);
    EXPECT_EQ(preview[0].Path, a);
    EXPECT_EQ(preview[0].Before, aBefore);
    EXPECT_EQ(preview[1].Path, b);
    EXPECT_NE(preview[1].After.find("<meta name=\"robots\" content=\"noindex\">"), std::string::npos);
    // Nothing written, nothing asked of the user, the current page kept.
    EXPECT_EQ(ReadAll(a), aBefore);
    EXPECT_EQ(ReadAll(b), bBefore);
    EXPECT_EQ(test::FolderEntries(dir_.Path() / "site"), before);
    EXPECT_FALSE(fs::exists(dir_.File("Kestrova_log.txt")));
    EXPECT_TRUE(ui_.Log.empty());
    EXPECT_EQ(Page.CurrentPagePath, current);

    // The update (the missing tag created on the user's "yes") writes
    // exactly what the preview showed.
    ui_.DefaultAnswer = ui::YesNoAll::Yes;
    SaveMetaTagOnPages(ui::MainWindowId, a + "\r" + b + "\r" + c + "\r", "robots", "noindex");
    EXPECT_EQ(ReadAll(a), preview[0].After);
    EXPECT_EQ(ReadAll(b), preview[1].After);
    EXPECT_EQ(ReadAll(c), cBefore);
    ASSERT_EQ(PageHistory(b).size(), 1u);
    EXPECT_EQ(PageHistory(b).front().Action, "mise \xE0 jour du site");
}

// The image renaming asks for its pages while the current page's change is
// under way; the preview asked from there shows what the renaming then
// writes, page by page, and neither writes nor renames anything itself.
TEST_F(SitePreviewTest, TheImageRenamingPreviewShowsWhatTheRenamingThenWrites)
{
    const std::string logo = dir_.Write("site/img/logo.gif", "GIF89a-logo");
    const std::string current = UsePage(
        R"(<html><body><img src="img/logo.gif" alt="Logo"><p>x</p><img src="img/logo.gif"></body></html>)", "a.htm");
    const std::string sub = dir_.Write("site/sous/b.htm", R"(<html><body><img src="../img/logo.gif"></body></html>)");
    const std::string other = dir_.Write("site/c.htm", R"(<html><body><img src="img/autre.gif"></body></html>)");
    const std::string currentBefore = ReadAll(current), subBefore = ReadAll(sub);
    const auto before = test::FolderEntries(dir_.Path() / "site");

    std::vector<DryRun::Change> preview;
    bool untouchedMeanwhile = false;
    auto choose = [&](const std::string&, const std::string&) {
        preview = PreviewImageRenameOnPages(ui::MainWindowId, {current, sub, other}, "img/logo2.gif", "img/logo.gif");
        untouchedMeanwhile = ReadAll(current) == currentBefore && ReadAll(sub) == subBefore &&
                             test::FolderEntries(dir_.Path() / "site") == before && ui_.Log.empty();
        return current + "\r" + sub + "\r" + other + "\r";
    };
    Edit.LastMatchPosition = 0;
    RenameReport report;
    ASSERT_EQ(RenameImage(ui::MainWindowId, "img/logo2.gif", "img/logo.gif", choose, "", &report), 2);
    EXPECT_TRUE(untouchedMeanwhile);
    EXPECT_TRUE(report.FileRenamed);
    EXPECT_FALSE(fs::exists(logo));

    // Two pages change (c names another picture), each exactly as previewed.
    ASSERT_EQ(preview.size(), 2u);
    for (const DryRun::Change& change : preview) {
        SCOPED_TRACE(change.Path);
        ASSERT_TRUE(change.Path == current || change.Path == sub);
        EXPECT_EQ(change.Before, change.Path == current ? currentBefore : subBefore);
        EXPECT_EQ(ReadAll(change.Path), change.After);
    }
    EXPECT_EQ(ReadAll(sub), R"(<html><body><img src="../img/logo2.gif"></body></html>)");
    EXPECT_EQ(Page.CurrentPagePath, current);
}

}  // namespace
}  // namespace kestrova
