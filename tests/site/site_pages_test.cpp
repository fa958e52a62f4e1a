// The site folder walk: backup folders left out, each file once however many
// links reach it, folders of the system refused, pages and folders that
// cannot be read named; and the site report, whose rows page names cannot
// forge.
#include "site/site_pages.h"

#include <gtest/gtest.h>
#include <sys/fsuid.h>
#include <unistd.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "analysis/word_tables.h"
#include "cli/cli.h"
#include "site/site_scan.h"
#include "tests/support/temp_site.h"

namespace kestrova {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

std::string Html(const std::string& body)
{
    return "<html><body>" + body + "</body></html>";
}

std::vector<std::string> Relative(const std::vector<std::string>& paths, const fs::path& root)
{
    std::vector<std::string> out;
    for (const std::string& path : paths)
        out.push_back(fs::path(path).lexically_relative(root).generic_string());
    return out;
}

// The row of WordTables whose forms are word, or -1.
int RowOf(const std::string& word)
{
    for (int row = 0; row < SiteListedRowCount(); ++row)
        if (WordTables.WordForms[row] == word)
            return row;
    return -1;
}

TEST(SitePages, BackupFoldersAreNoPages)
{
    TempDir dir;
    dir.Write("a.htm", Html("nouveau"));
    dir.Write("Sauvegarde/a.htm", Html("ancien"));
    dir.Write("sub/Sauvegarde/b.htm", Html("ancien"));
    dir.Write("sub/b.htm", Html("nouveau"));
    const SitePageListing listing = ListSitePages(dir.Path().string(), "*", SiteExtensions);
    EXPECT_EQ(Relative(listing.Pages, dir.Path()), (std::vector<std::string>{"a.htm", "sub/b.htm"}));
    EXPECT_TRUE(listing.Unreadable.empty());

    // The statistics count each page once, and a word only the backups hold
    // is gone.
    EXPECT_EQ(ScanSiteFolder(dir.Path().string(), {}, 1), 2);
    ASSERT_GE(RowOf("nouveau"), 0);
    EXPECT_EQ(WordTables.WordCounts[RowOf("nouveau")], 2);
    EXPECT_EQ(RowOf("ancien"), -1);
}

TEST(SitePages, EachFileOnceHoweverManyLinksReachIt)
{
    // Each level holds a page and two links to the next level (no loop):
    // walked link by link this is 2^24 folders.
    TempDir dir;
    constexpr int Levels = 24;
    for (int level = 0; level <= Levels; ++level)
        dir.Write("l" + std::to_string(level) + "/p" + std::to_string(level) + ".htm", Html("mot"));
    for (int level = 0; level < Levels; ++level) {
        const fs::path here = dir.Path() / ("l" + std::to_string(level));
        const fs::path next = dir.Path() / ("l" + std::to_string(level + 1));
        fs::create_directory_symlink(next, here / "x");
        fs::create_directory_symlink(next, here / "y");
    }
    fs::create_symlink(dir.Path() / "l0/p0.htm", dir.Path() / "l0/alias.htm");
    fs::create_directory_symlink(dir.Path(), dir.Path() / "l0/up");  // a loop as well

    const SitePageListing listing = ListSitePages((dir.Path() / "l0").string(), "*", SiteExtensions);
    EXPECT_EQ(listing.Pages.size(), static_cast<std::size_t>(Levels + 1));
    // alias.htm comes first in byte order: the file is taken under that name.
    EXPECT_EQ(fs::path(listing.Pages.front()).filename(), "alias.htm");

    EXPECT_EQ(ScanSiteFolder((dir.Path() / "l0").string(), {}, 2), Levels + 1);
    EXPECT_EQ(WordTables.WordCounts[RowOf("mot")], Levels + 1);
}

TEST(SitePages, FoldersOfTheSystemAreRefused)
{
    for (const char* folder : {"/proc", "/proc/self", "/sys", "/dev", "/dev/"}) {
        SCOPED_TRACE(folder);
        EXPECT_TRUE(IsSystemFolder(folder));
        const SitePageListing listing = ListSitePages(folder, "*", "*");
        EXPECT_EQ(listing.RefusedFolder, folder);
        EXPECT_TRUE(listing.Pages.empty());
        SiteScanReport report;
        EXPECT_EQ(ScanSiteFolder(folder, {}, 1, &report), 0);
        EXPECT_EQ(report.RefusedFolder, folder);
    }
    // A link inside a site into one is not followed.
    TempDir dir;
    dir.Write("a.htm", Html("x"));
    fs::create_directory_symlink("/proc", dir.Path() / "proc");
    fs::create_directory_symlink("/dev", dir.Path() / "dev");
    const SitePageListing listing = ListSitePages(dir.Path().string(), "*", "*");
    EXPECT_EQ(Relative(listing.Pages, dir.Path()), (std::vector<std::string>{"a.htm"}));
    EXPECT_FALSE(IsSystemFolder(dir.Path().string()));
}

// Runs the calling thread's file access as an unprivileged user when the
// tests run as root, who could read anything.
class AsUnprivileged {
public:
    AsUnprivileged()
    {
        if (geteuid() == 0) {
            setfsgid(65534);
            setfsuid(65534);
            changed_ = true;
        }
    }
    ~AsUnprivileged()
    {
        if (changed_) {
            setfsuid(0);
            setfsgid(0);
        }
    }
    AsUnprivileged(const AsUnprivileged&) = delete;
    AsUnprivileged& operator=(const AsUnprivileged&) = delete;

private:
    bool changed_ = false;
};

TEST(SitePages, UnreadablePagesAndFoldersAreNamed)
{
    TempDir dir;
    const std::string a = dir.Write("a.htm", Html("lu"));
    const std::string secret = dir.Write("secret.htm", Html("cache"));
    dir.Write("closed/c.htm", Html("cache"));
    for (const fs::path& p : {dir.Path(), dir.Path() / "closed"})
        fs::permissions(p, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                               fs::perms::others_read | fs::perms::others_exec);
    fs::permissions(a, fs::perms::owner_read | fs::perms::owner_write | fs::perms::others_read);
    fs::permissions(secret, fs::perms::none);
    fs::permissions(dir.Path() / "closed", fs::perms::none);
    for (fs::path up = dir.Path().parent_path(); up != up.root_path(); up = up.parent_path())
        if ((fs::status(up).permissions() & fs::perms::others_exec) == fs::perms::none)
            GTEST_SKIP() << up << " cannot be crossed by another user";

    SitePageListing listing;
    {
        AsUnprivileged as;
        listing = ListSitePages(dir.Path().string(), "*", SiteExtensions);
    }
    fs::permissions(dir.Path() / "closed", fs::perms::owner_all);
    fs::permissions(secret, fs::perms::owner_all);
    EXPECT_EQ(Relative(listing.Pages, dir.Path()), (std::vector<std::string>{"a.htm"}));
    EXPECT_EQ(listing.Unreadable, (std::vector<std::string>{dir.Path().string() + "/closed/", secret}));
}

class SiteReportTest : public ::testing::Test {
protected:
    int Run(std::vector<std::string> args)
    {
        out.str({});
        err.str({});
        return cli::RunCli(args, out, err);
    }
    TempDir dir;
    std::ostringstream out, err;
};

TEST_F(SiteReportTest, PageNamesCannotForgeRowsOrColumns)
{
    dir.Write("site/a\tb.htm", Html("alpha"));
    dir.Write("site/c\nd.htm", Html("alpha"));
    dir.Write("site/e\\f.htm", Html("alpha"));
    // A CR in a name once cut the name in two: the page was left out and a
    // file of the current folder read in its place.
    dir.Write("site/x\rprivate.html", Html("beta"));
    dir.Write("private.html", Html("leaked"));
    test::ScopedCurrentDir here(dir.Path());
    EXPECT_EQ(Run({"site", dir.File("site")}), 0);
    EXPECT_EQ(out.str(), "alpha\t3\ta\\tb.htm (1) / c\\nd.htm (1) / e\\\\f.htm (1)\n"
                         "beta\t1\tx\\rprivate.html (1)\n");
    EXPECT_EQ(err.str(), "");
}

TEST_F(SiteReportTest, TheSystemIsRefusedAndUnreadablePagesNamed)
{
    EXPECT_EQ(Run({"site", "/proc"}), 1);
    EXPECT_EQ(out.str(), "");
    EXPECT_NE(err.str().find("/proc"), std::string::npos);

    dir.Write("site/a.htm", Html("alpha"));
    const std::string link = dir.File("site/gone.htm");
    fs::create_symlink(dir.File("site/a.htm"), link);
    fs::create_symlink(dir.File("nowhere"), dir.File("site/broken.htm"));
    EXPECT_EQ(Run({"site", dir.File("site")}), 0);
    // The link and its target are one page; a broken link is no page.
    EXPECT_EQ(out.str(), "alpha\t1\ta.htm (1)\n");
    EXPECT_EQ(err.str(), "");
}

}  // namespace
}  // namespace kestrova
