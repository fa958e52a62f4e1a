// kestrova-cli history, undo, diff and --dry-run, run as real processes: a
// dry run's difference applied by `patch` to a copy of the page gives the
// very page the real edit writes, and leaves nothing behind.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/temp_site.h"

namespace {

namespace fs = std::filesystem;
using kestrova::test::FolderEntries;
using kestrova::test::ReadAll;
using kestrova::test::TempDir;

const std::string kPage =
    "<html>\r\n<head>\r\n<title>Voiliers</title>\r\n"
    "<meta name=\"description\" content=\"Des voiliers\">\r\n"
    "<meta name=\"keywords\" content=\"voilier, ketch\">\r\n"
    "</head>\r\n<body>\r\n<p>Un voilier</p>\r\n<img src=\"a.gif\" alt=\"un bateau\">\r\n</body>\r\n</html>\r\n";

struct Result {
    int Status = -1;
    std::string Out;
    std::string Err;
};

// Runs a program with args in folder; its output is captured.
Result RunIn(const fs::path& folder, const std::string& program, const std::vector<std::string>& args,
             const std::string& input = "")
{
    const std::string outFile = (folder / ".out").string(), errFile = (folder / ".err").string(),
                      inFile = (folder / ".in").string();
    {
        int fd = ::open(inFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        [[maybe_unused]] ssize_t w = ::write(fd, input.data(), input.size());
        ::close(fd);
    }
    const pid_t child = ::fork();
    if (child == 0) {
        if (::chdir(folder.c_str()) != 0)
            ::_exit(99);
        ::dup2(::open(inFile.c_str(), O_RDONLY), 0);
        ::dup2(::open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 1);
        ::dup2(::open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 2);
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execvp(program.c_str(), argv.data());
        ::_exit(98);
    }
    Result r;
    int status = 0;
    ::waitpid(child, &status, 0);
    r.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.Out = ReadAll(outFile);
    r.Err = ReadAll(errFile);
    fs::remove(outFile);
    fs::remove(errFile);
    fs::remove(inFile);
    return r;
}

Result Cli(const fs::path& folder, std::vector<std::string> args)
{
    return RunIn(folder, KESTROVA_CLI_PATH, args);
}

// Every file and folder below root, with its content, to see that a dry
// run changed nothing.
std::vector<std::string> Snapshot(const fs::path& root)
{
    std::vector<std::string> all;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        all.push_back(entry.path().string());
        if (entry.is_regular_file())
            all.push_back(ReadAll(entry.path().string()));
    }
    std::sort(all.begin(), all.end());
    return all;
}

class HistoryVerbsTest : public ::testing::Test {
protected:
    std::string NewPage()
    {
        fs::remove_all(dir.Path() / "site");
        fs::remove(dir.Path() / "Kestrova_log.txt");
        dir.Write("site/a.gif", "GIF89a");
        return dir.Write("site/page.htm", kPage);
    }
    TempDir dir;
};

TEST_F(HistoryVerbsTest, ADryRunPatchedOntoACopyGivesThePageTheEditWritesAndLeavesNothing)
{
    const std::vector<std::vector<std::string>> edits = {
        {"title", "site/page.htm", "--set", "Nouveau titre"},
        {"meta", "site/page.htm", "description", "--set", "Une autre description"},
        {"meta", "site/page.htm", "robots", "--set", "noindex", "--create"},
        {"keyword", "site/page.htm", "--add", "sloop"},
        {"keyword", "site/page.htm", "--remove", "voilier"},
        {"alt", "site/page.htm", "1", "--set", "Un ketch"},
        {"rename-image", "site/page.htm", "a.gif", "b.gif"},
        // Site-wide: the dry run renames no image file either.
        {"rename-image", "site/page.htm", "a.gif", "c.gif", "--site", "site"},
    };
    for (const auto& edit : edits) {
        SCOPED_TRACE(edit[0] + " " + edit[2]);
        const std::string page = NewPage();
        const auto before = Snapshot(dir.Path());
        std::vector<std::string> dry = edit;
        dry.insert(dry.begin() + 1, "--dry-run");
        const Result preview = Cli(dir.Path(), dry);
        ASSERT_EQ(preview.Status, 0) << preview.Err;
        ASSERT_NE(preview.Out.find("--- site/page.htm\n+++ site/page.htm\n@@ "), std::string::npos) << preview.Out;
        EXPECT_EQ(Snapshot(dir.Path()), before);

        dir.Write("copy/page.htm", kPage);
        const Result patched = RunIn(dir.Path() / "copy", "patch", {"-s", "page.htm"}, preview.Out);
        ASSERT_EQ(patched.Status, 0) << patched.Out << patched.Err;
        const Result real = Cli(dir.Path(), edit);
        ASSERT_EQ(real.Status, 0) << real.Err;
        EXPECT_NE(ReadAll(page), kPage);
        EXPECT_EQ(ReadAll(dir.File("copy/page.htm")), ReadAll(page));
        fs::remove_all(dir.Path() / "copy");
    }

    // An undo too.
    const std::string page = NewPage();
    ASSERT_EQ(Cli(dir.Path(), {"title", "site/page.htm", "--set", "Autre"}).Status, 0);
    const std::string changed = ReadAll(page);
    const auto before = Snapshot(dir.Path());
    const Result preview = Cli(dir.Path(), {"undo", "--dry-run", "site/page.htm"});
    ASSERT_EQ(preview.Status, 0) << preview.Err;
    EXPECT_EQ(Snapshot(dir.Path()), before);
    dir.Write("copy/page.htm", changed);
    ASSERT_EQ(RunIn(dir.Path() / "copy", "patch", {"-s", "page.htm"}, preview.Out).Status, 0);
    EXPECT_EQ(ReadAll(dir.File("copy/page.htm")), kPage);
}

TEST_F(HistoryVerbsTest, ADryRunOfAnEditThatWouldFailExitsWithOneAndPrintsNothing)
{
    NewPage();
    const auto before = Snapshot(dir.Path());
    const Result absent = Cli(dir.Path(), {"keyword", "site/page.htm", "--remove", "absent", "--dry-run"});
    EXPECT_EQ(absent.Status, 1);
    EXPECT_EQ(absent.Out, "");
    const Result noTag = Cli(dir.Path(), {"meta", "--dry-run", "site/page.htm", "robots", "--set", "x"});
    EXPECT_EQ(noTag.Status, 1);
    EXPECT_EQ(Snapshot(dir.Path()), before);
    EXPECT_EQ(Cli(dir.Path(), {"analyse", "site/page.htm", "--dry-run"}).Status, 2);
}

TEST_F(HistoryVerbsTest, HistoryDiffAndUndoFromTheCommandLine)
{
    const std::string page = NewPage();
    ASSERT_EQ(Cli(dir.Path(), {"title", "site/page.htm", "--set", "Nouveau"}).Status, 0);
    const std::string afterTitle = ReadAll(page);
    ASSERT_EQ(Cli(dir.Path(), {"keyword", "site/page.htm", "--add", "sloop"}).Status, 0);
    const std::string afterKeyword = ReadAll(page);

    const Result history = Cli(dir.Path(), {"history", "site/page.htm"});
    ASSERT_EQ(history.Status, 0) << history.Err;
    const std::string sizeNow = std::to_string(afterTitle.size());
    EXPECT_EQ(history.Out.substr(0, 2), "1\t");
    EXPECT_NE(history.Out.find("\tmots cl\xC3\xA9s\t" + sizeNow + "\n2\t"), std::string::npos) << history.Out;
    EXPECT_NE(history.Out.find("\ttitre\t" + std::to_string(kPage.size()) + "\n"), std::string::npos) << history.Out;

    // diff PAGE 2: from the page before both changes to the page now.
    const Result diff = Cli(dir.Path(), {"diff", "site/page.htm", "2"});
    ASSERT_EQ(diff.Status, 0) << diff.Err;
    dir.Write("copy/page.htm", kPage);
    ASSERT_EQ(RunIn(dir.Path() / "copy", "patch", {"-s", "page.htm"}, diff.Out).Status, 0);
    EXPECT_EQ(ReadAll(dir.File("copy/page.htm")), afterKeyword);
    EXPECT_EQ(Cli(dir.Path(), {"diff", "site/page.htm", "3"}).Status, 1);

    ASSERT_EQ(Cli(dir.Path(), {"undo", "site/page.htm"}).Status, 0);
    EXPECT_EQ(ReadAll(page), afterTitle);
    ASSERT_EQ(Cli(dir.Path(), {"undo", "site/page.htm"}).Status, 0);
    EXPECT_EQ(ReadAll(page), kPage);
    EXPECT_EQ(Cli(dir.Path(), {"undo", "site/page.htm"}).Status, 1);
    // Back to the newest version: the page before the last undo.
    ASSERT_EQ(Cli(dir.Path(), {"undo", "site/page.htm", "--to", "1"}).Status, 0);
    EXPECT_EQ(ReadAll(page), afterTitle);

    // Another program changes the page: refused, unless forced.
    dir.Write("site/page.htm", afterTitle + "<!-- x -->\r\n");
    const Result refused = Cli(dir.Path(), {"undo", "site/page.htm"});
    EXPECT_EQ(refused.Status, 1);
    EXPECT_NE(refused.Err.find("--force"), std::string::npos) << refused.Err;
    EXPECT_EQ(ReadAll(page), afterTitle + "<!-- x -->\r\n");
    ASSERT_EQ(Cli(dir.Path(), {"undo", "site/page.htm", "--force"}).Status, 0);
    EXPECT_EQ(ReadAll(page), kPage);
    // The journal names the page once; the history never lands in the
    // folder's pages.
    EXPECT_EQ(FolderEntries(dir.Path() / "site"), (std::vector<std::string>{"Sauvegarde", "a.gif", "page.htm"}));
}

}  // namespace
