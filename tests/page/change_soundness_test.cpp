// What a change leaves on disk at each of its steps: the copy is on the disk
// before it replaces the page, the journal holds the page before the page
// changes, the backup is replaced only by a change that landed, a page with
// several names is changed under all of them, a journal that is a link is
// written through, and only temporary files of our own are removed.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "base/app_state.h"
#include "base/file_io.h"
#include "editing/rewrite_engine.h"
#include "page/journal.h"
#include "page/page_change.h"
#include "page/page_history.h"
#include "tests/editing/rewrite_fixture.h"

namespace kestrova {
namespace {

namespace fs = std::filesystem;
using test::ReadAll;

const std::string kPage =
    "<html>\r\n<head>\r\n<title>Avant</title>\r\n</head>\r\n<body><p>Texte</p></body>\r\n</html>\r\n";

std::string FdPath(int fd)
{
    std::error_code ec;
    return fs::read_symlink("/proc/self/fd/" + std::to_string(fd), ec).string();
}

class ChangeSoundnessTest : public test::RewriteFixture {
protected:
    void TearDown() override
    {
        SetCommitFileOpsForTesting({});
        SetPageReplaceFailureForTesting(false);
        RewriteFixture::TearDown();
    }

    // Runs fn in a child process that dies (as if killed) just before the
    // rename number dieAt of a commit, or just after it when after is set.
    static void Killed(int dieAt, bool after, const std::function<void()>& fn)
    {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            int renames = 0;
            SetCommitFileOpsForTesting({{}, [&](const char* from, const char* to) {
                                            const bool last = ++renames == dieAt;
                                            if (last && !after)
                                                ::_exit(0);
                                            const int result = ::rename(from, to);
                                            if (last)
                                                ::_exit(0);
                                            return result;
                                        }});
            fn();
            ::_exit(3);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        ASSERT_EQ(WEXITSTATUS(status), 0) << "the commit made fewer renames than " << dieAt;
    }
};

TEST_F(ChangeSoundnessTest, TheCopyIsOnDiskAndTheJournalHoldsThePageBeforeThePageIsReplaced)
{
    const std::string path = UsePage(kPage);
    const std::string realPath = fs::canonical(path).string();
    std::vector<std::string> synced;  // files flushed, in order
    std::vector<std::string> events;  // "sync NAME" and "rename FROM -> TO", in order
    bool journalHadLineAtReplace = false;
    bool pageReplaced = false;
    SetCommitFileOpsForTesting(
        {[&](int fd) {
             const std::string file = FdPath(fd);
             synced.push_back(file);
             events.push_back("sync " + file);
             return ::fsync(fd);
         },
         [&](const char* from, const char* to) {
             const std::string target = to;
             if (target == realPath) {
                 pageReplaced = true;
                 // What the disk holds at that moment.
                 const std::string journal = ReadAll(dir_.File(JournalFileName));
                 journalHadLineAtReplace = journal.find(path + "|") != std::string::npos;
                 // The file about to become the page was flushed.
                 EXPECT_NE(std::find(synced.begin(), synced.end(), std::string(from)), synced.end())
                     << "the copy " << from << " replaces the page unflushed";
             }
             events.push_back("rename -> " + target);
             return ::rename(from, to);
         }});
    ASSERT_EQ(ReplaceTitle("Apr\xE8s"), 1);
    EXPECT_TRUE(pageReplaced);
    EXPECT_TRUE(journalHadLineAtReplace) << "the journal line comes after the page changed";
    // The backup takes its place after the page: a change that dies in
    // between leaves the previous backup, never the page as it is now.
    const auto at = [&](const std::string& part) {
        for (std::size_t i = 0; i < events.size(); ++i)
            if (events[i].find(part) != std::string::npos)
                return static_cast<long>(i);
        return -1L;
    };
    ASSERT_GE(at("rename -> " + realPath), 0);
    EXPECT_GT(at("rename -> " + fs::canonical(dir_.Path()).string() + "/site/Sauvegarde/page.htm"),
              at("rename -> " + realPath));
    EXPECT_EQ(ReadAll(BackupPath()), kPage);
}

TEST_F(ChangeSoundnessTest, TheBackupIsReplacedOnlyByAChangeThatLanded)
{
    const std::string path = UsePage(kPage);
    ASSERT_EQ(ReplaceTitle("Un"), 1);
    const std::string one = PageBytes();
    ASSERT_EQ(ReadAll(BackupPath()), kPage);

    // A change that fails at the last step leaves the backup as it was.
    SetPageReplaceFailureForTesting(true);
    EXPECT_EQ(ReplaceTitle("Deux"), 0);
    SetPageReplaceFailureForTesting(false);
    EXPECT_EQ(PageBytes(), one);
    EXPECT_EQ(ReadAll(BackupPath()), kPage);

    // Killed at every rename of the commit (history version, page, backup),
    // before and after it: the backup is never the page as it is after the
    // change that wrote it.
    for (int dieAt = 1; dieAt <= 3; ++dieAt) {
        for (bool after : {false, true}) {
            SCOPED_TRACE(std::to_string(dieAt) + (after ? " after" : " before"));
            // Each trial starts from the page "one" with its backup.
            UsePage(one);
            dir_.Write("site/Sauvegarde/page.htm", kPage);
            Killed(dieAt, after, [] { ReplaceTitle("Deux"); });
            const std::string page = PageBytes();
            const std::string backup = ReadAll(BackupPath());
            if (page == one)
                EXPECT_EQ(backup, kPage);
            else
                EXPECT_TRUE(backup == one || backup == kPage);
            EXPECT_NE(backup, page);
        }
    }
}

TEST_F(ChangeSoundnessTest, APageWithSeveralNamesIsChangedUnderAllOfThemAfterItsBackup)
{
    const std::string path = UsePage(kPage);
    const std::string other = dir_.File("site/autre.htm");
    ASSERT_EQ(::link(path.c_str(), other.c_str()), 0);
    struct stat before {};
    ASSERT_EQ(::stat(path.c_str(), &before), 0);
    bool backupCompleteAtWrite = false;
    SetCommitFileOpsForTesting({[&](int fd) {
                                    if (FdPath(fd) == fs::canonical(path).string())
                                        backupCompleteAtWrite = ReadAll(BackupPath()) == kPage;
                                    return ::fsync(fd);
                                },
                                {}});
    ASSERT_EQ(ReplaceTitle("Apr\xE8s"), 1);
    struct stat after {};
    ASSERT_EQ(::stat(path.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_nlink, 2u);
    EXPECT_NE(PageBytes(), kPage);
    EXPECT_EQ(ReadAll(other), PageBytes());
    EXPECT_EQ(ReadAll(BackupPath()), kPage);
    EXPECT_TRUE(backupCompleteAtWrite);
    // The history and undo work for it like for any page.
    ASSERT_EQ(PageHistory(path).size(), 1u);
    EXPECT_EQ(test::FolderEntries(dir_.Path() / "site"),
              (std::vector<std::string>{"Sauvegarde", "autre.htm", "page.htm"}));
}

TEST_F(ChangeSoundnessTest, AJournalThatIsALinkIsWrittenThroughIt)
{
    const std::string path = UsePage(kPage);
    const std::string real = dir_.Write("journaux/vrai_log.txt", "/ailleurs/x.htm|5\r\n");
    fs::create_symlink(real, dir_.File(JournalFileName));
    ASSERT_EQ(ReplaceTitle("Apr\xE8s"), 1);
    EXPECT_TRUE(fs::is_symlink(dir_.File(JournalFileName)));
    EXPECT_EQ(ReadAll(real), "/ailleurs/x.htm|5\n" + path + "|1700000000\n");
    EXPECT_TRUE(test::FolderEntries(dir_.Path() / "journaux") == std::vector<std::string>{"vrai_log.txt"});
}

TEST_F(ChangeSoundnessTest, OnlyTemporaryFilesOfOurOwnNameAndMarkAreRemoved)
{
    const std::string path = UsePage(kPage);
    const std::string ours = dir_.Write("site/" + OwnTempName("ab12cd34"), "half a page");
    const std::string badMark = dir_.Write("site/.kestrova-tmp-ab12cd34-00000000", "user");
    const std::string oldStyle = dir_.Write("site/.kestrova-abcdef", "user");
    const std::string upper = dir_.Write("site/" + OwnTempName("AB12CD34"), "user");
    EXPECT_TRUE(IsOwnTempName(OwnTempName("ab12cd34")));
    EXPECT_FALSE(IsOwnTempName(".kestrova-tmp-ab12cd34-00000000"));
    EXPECT_FALSE(IsOwnTempName(".kestrova-abcdef"));
    EXPECT_FALSE(IsOwnTempName(OwnTempName("AB12CD34")));
    EXPECT_FALSE(IsOwnTempName(OwnTempName("ab12cd34") + ".htm"));
    for (const std::string& file : {ours, badMark, oldStyle, upper}) {
        struct timespec old[2] = {{978307200, 0}, {978307200, 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, file.c_str(), old, 0), 0);
    }
    ASSERT_EQ(ReplaceTitle("Apr\xE8s"), 1);
    EXPECT_FALSE(fs::exists(ours));
    for (const std::string& file : {badMark, oldStyle, upper})
        EXPECT_EQ(ReadAll(file), "user") << file;
    // The names a change makes carry the mark.
    std::string made;
    const int fd = CreateOwnTempFile(dir_.File("site/"), made);
    ASSERT_GE(fd, 0);
    EXPECT_TRUE(IsOwnTempName(fs::path(made).filename().string())) << made;
    ::close(fd);
    ::unlink(made.c_str());
}

TEST_F(ChangeSoundnessTest, TitleAndDescriptionSavedTogetherAreOneChange)
{
    const std::string page = "<html><head><title>Ancien</title><meta name=\"description\" content=\"Vieille\"></head>"
                             "<body>x</body></html>";
    const std::string path = UsePage(page);
    ASSERT_TRUE(SaveTitleAndDescriptionTogether(ui::MainWindowId, "Neuf", "Nouvelle"));
    EXPECT_EQ(PageBytes(), "<html><head><title>Neuf</title><meta name=\"description\" content=\"Nouvelle\"></head>"
                           "<body>x</body></html>");
    EXPECT_EQ(ReadAll(BackupPath()), page);
    ASSERT_EQ(PageHistory(path).size(), 1u);
    EXPECT_EQ(PageHistory(path).front().Action, "titre, description");
    EXPECT_EQ(JournalLines(), std::vector<std::string>{path + "|1700000000"});

    // A description that cannot be written keeps the title from being
    // written alone.
    const std::string now = PageBytes();
    SetPageReplaceFailureForTesting(true);
    EXPECT_FALSE(SaveTitleAndDescriptionTogether(ui::MainWindowId, "Autre", "Encore"));
    SetPageReplaceFailureForTesting(false);
    EXPECT_EQ(PageBytes(), now);
    EXPECT_EQ(PageHistory(path).size(), 1u);
}

TEST_F(ChangeSoundnessTest, ADryRunWorksTheChangeOutAndLeavesNothing)
{
    const std::string path = UsePage(kPage);
    const auto entries = test::FolderEntries(dir_.Path() / "site");
    const auto time = PageTime();
    DryRun dry;
    ResetChangeOutcome();
    EXPECT_EQ(ReplaceTitle("Neuf"), 1);
    EXPECT_EQ(LastChangeOutcome(), ChangeOutcome::Committed);
    ASSERT_EQ(dry.Changes().size(), 1u);
    EXPECT_EQ(dry.Changes()[0].Before, kPage);
    EXPECT_NE(dry.Changes()[0].After.find("<title>Neuf</title>"), std::string::npos);
    EXPECT_EQ(PageBytes(), kPage);
    EXPECT_EQ(PageTime(), time);
    EXPECT_EQ(test::FolderEntries(dir_.Path() / "site"), entries);
    EXPECT_EQ(test::FolderEntries(dir_.Path()), (std::vector<std::string>{"site"}));
}

}  // namespace
}  // namespace kestrova
