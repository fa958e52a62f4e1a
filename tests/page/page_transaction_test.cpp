// A change of a page as one transaction: the page's lock, the journal and
// backup checked before anything changes, copies under names of our own,
// the page re-checked before it is replaced, and leftovers of crashed
// changes cleared.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/app_state.h"
#include "base/clock.h"
#include "base/file_io.h"
#include "base/headless_ui.h"
#include "base/translate.h"
#include "page/journal.h"
#include "page/page_change.h"
#include "page/page_walker.h"
#include "tests/support/locked_file.h"
#include "tests/support/temp_site.h"

namespace fs = std::filesystem;
using namespace kestrova;
using kestrova::test::FolderEntries;
using kestrova::test::LockedFile;
using kestrova::test::ReadAll;
using kestrova::test::ScopedCurrentDir;
using kestrova::test::TempDir;

namespace {

constexpr char Before[] = "<html><p>old text</p></html>";
constexpr char After[] = "<html><p>new text</p></html>";

void Change(std::int64_t, const std::string&, const std::string&, const std::string&)
{
    if (Page.CurrentText == "old text")
        Page.CurrentText = "new text";
}

bool Exists(const std::string& path)
{
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

// Names in a folder that are temporary files of our own.
std::vector<std::string> OwnTempFiles(const fs::path& folder)
{
    std::vector<std::string> found;
    for (const std::string& name : FolderEntries(folder))
        if (IsOwnTempName(name))
            found.push_back(name);
    return found;
}

void SetOld(const std::string& path)
{
    struct timespec times[2] = {{978307200, 0}, {978307200, 0}};  // 2001-01-01
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW), 0);
}

class PageTransactionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ui::SetUi(&ui);
        Page = PageState{};
        App.Language = LanguageFrench;
        SetClock([] { return 1700000000; });
        ResetChangeOutcome();
        page = dir.Write("site/page.htm", Before);
        Page.CurrentPagePath = page;
    }
    void TearDown() override
    {
        ui::SetUi(nullptr);
        SetPageLockWaitForTesting(std::chrono::milliseconds(-1));
        SetReplaceFailureForTesting(false);
        SetClock({});
        App.Language.clear();
    }

    int Edit() { return WalkPage(page, WalkOptions{.Owner = 0, .WriteCopy = true}, Change); }

    // The page, its backup folder and the journal are as before the edit,
    // and no temporary file is left.
    void ExpectNothingChanged()
    {
        EXPECT_EQ(ReadAll(page), Before);
        EXPECT_FALSE(Exists(dir.File("site/Sauvegarde/page.htm")));
        EXPECT_TRUE(OwnTempFiles(dir.Path() / "site").empty());
        EXPECT_TRUE(OwnTempFiles(dir.Path()).empty());
        EXPECT_EQ(LastChangeOutcome(), ChangeOutcome::Failed);
    }
    void ExpectOneMessageWith(const std::string& part)
    {
        ASSERT_EQ(ui.Messages().size(), 1u) << (ui.Messages().empty() ? "" : ui.Messages()[0].Text);
        EXPECT_EQ(ui.Messages()[0].Title, "Erreur sur page.htm");
        EXPECT_NE(ui.Messages()[0].Text.find(part), std::string::npos) << ui.Messages()[0].Text;
        EXPECT_NE(ui.Messages()[0].Text.find("modifi\xE9"
                                             "e !!!"),
                  std::string::npos);
    }

    ui::HeadlessUi ui;
    TempDir dir;
    ScopedCurrentDir cwd{dir.Path()};
    std::string page;
};

TEST_F(PageTransactionTest, CommitLeavesOnlyThePageItsBackupAndTheJournal)
{
    const std::string userCopy = dir.Write("site/page.htm2", "the user's own file");
    EXPECT_EQ(Edit(), 1);
    EXPECT_EQ(LastChangeOutcome(), ChangeOutcome::Committed);
    EXPECT_EQ(ReadAll(page), After);
    EXPECT_EQ(ReadAll(dir.File("site/Sauvegarde/page.htm")), Before);
    EXPECT_EQ(ReadAll(dir.File(JournalFileName)), "\n" + page + "|1700000000\n");
    EXPECT_EQ(ReadAll(userCopy), "the user's own file");
    EXPECT_EQ(FolderEntries(dir.Path() / "site"), (std::vector<std::string>{"Sauvegarde", "page.htm", "page.htm2"}));
    EXPECT_EQ(FolderEntries(dir.Path()), (std::vector<std::string>{JournalFileName, "site"}));

    // The same edit again finds nothing to change.
    ResetChangeOutcome();
    EXPECT_EQ(WalkPage(page, WalkOptions{.Owner = 0, .WriteCopy = true}, Change), 1);
    EXPECT_EQ(LastChangeOutcome(), ChangeOutcome::Unchanged);
    EXPECT_TRUE(ui.Messages().empty());
}

TEST_F(PageTransactionTest, APageHeldByAnotherChangeIsReportedAndLeftAlone)
{
    // Another program's change holds the page (a lock of its own open file).
    int holder = ::open(page.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(::flock(holder, LOCK_EX), 0);
    SetPageLockWaitForTesting(std::chrono::milliseconds(0));
    EXPECT_EQ(Edit(), 0);
    ExpectOneMessageWith("en cours de modification par un autre programme");
    ExpectNothingChanged();
    EXPECT_FALSE(Exists(dir.File(JournalFileName)));

    // Once it lets go, the edit goes through.
    ::close(holder);
    ui.Clear();
    EXPECT_EQ(Edit(), 1);
    EXPECT_EQ(ReadAll(page), After);
    EXPECT_TRUE(ui.Messages().empty());
}

TEST_F(PageTransactionTest, AJournalThatCannotBeWrittenStopsTheChangeBeforeAnythingChanges)
{
    struct Case {
        const char* name;
        std::function<bool()> make;  // false: this case cannot be set up here
    };
    const std::string journal = dir.File(JournalFileName);
    std::unique_ptr<LockedFile> lock;
    const Case cases[] = {
        {"a folder", [&] { return fs::create_directory(journal); }},
        {"a FIFO", [&] { return ::mkfifo(journal.c_str(), 0644) == 0; }},
        {"a dangling link", [&] { return ::symlink("nowhere/Kestrova_log.txt", journal.c_str()) == 0; }},
        {"unchangeable",
         [&] {
             dir.Write(JournalFileName, "/s/x.htm|5\n");
             lock = std::make_unique<LockedFile>(journal);
             return lock->Locked();
         }},
        {"in a folder that cannot be written",
         [&] {
             dir.Write(JournalFileName, "/s/x.htm|5\n");
             lock = std::make_unique<LockedFile>(dir.Path().string());
             return lock->Locked();
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ui.Clear();
        ResetChangeOutcome();
        if (!c.make()) {
            ADD_FAILURE() << "could not set up the journal";
            continue;
        }
        EXPECT_EQ(Edit(), 0);
        lock.reset();
        ExpectOneMessageWith("Kestrova_log.txt");
        ExpectNothingChanged();
        std::error_code ec;
        fs::remove_all(journal, ec);
    }
}

TEST_F(PageTransactionTest, AFailedReplacementPutsTheJournalBack)
{
    dir.Write(JournalFileName, "/s/x.htm|5\n");
    SetReplaceFailureForTesting(true);
    EXPECT_EQ(Edit(), 0);
    ExpectOneMessageWith("v\xE9rouill\xE9");
    EXPECT_EQ(ReadAll(page), Before);
    EXPECT_EQ(ReadAll(dir.File(JournalFileName)), "/s/x.htm|5\n");
    EXPECT_TRUE(OwnTempFiles(dir.Path() / "site").empty());
}

TEST_F(PageTransactionTest, APageChangedByAnotherProgramDuringTheWalkIsNotOverwritten)
{
    const std::string foreign = "<html><p>someone else's text</p></html>";
    auto changeAndInterfere = [&](std::int64_t offset, const std::string& a, const std::string& b,
                                  const std::string& c) {
        Change(offset, a, b, c);
        if (Page.CurrentTag == "/html")
            dir.Write("site/page.htm", foreign);  // in place: same file, new size and time
    };
    EXPECT_EQ(WalkPage(page, WalkOptions{.Owner = 0, .WriteCopy = true}, changeAndInterfere), 0);
    ExpectOneMessageWith("chang\xE9 sur le disque");
    EXPECT_EQ(ReadAll(page), foreign);
    EXPECT_FALSE(Exists(dir.File(JournalFileName)));
    EXPECT_TRUE(OwnTempFiles(dir.Path() / "site").empty());
}

TEST_F(PageTransactionTest, APieceMadeLongerThanTheWalkerReadsIsRefused)
{
    auto grow = [](std::int64_t, const std::string&, const std::string&, const std::string&) {
        if (Page.CurrentTag == "p")
            Page.CurrentTag = "p title=\"" + std::string(WalkMaxPieceLength, 'x') + "\"";
    };
    EXPECT_EQ(WalkPage(page, WalkOptions{.Owner = 0, .WriteCopy = true}, grow), 0);
    ExpectOneMessageWith("trop long");
    ExpectNothingChanged();
    EXPECT_FALSE(Exists(dir.File(JournalFileName)));

    // The longest piece that can still be read back is written.
    ui.Clear();
    auto fit = [](std::int64_t, const std::string&, const std::string&, const std::string&) {
        if (Page.CurrentTag == "p")
            Page.CurrentTag = "p title=\"" + std::string(WalkMaxPieceLength - 13, 'x') + "\"";
    };
    EXPECT_EQ(WalkPage(page, WalkOptions{.Owner = 0, .WriteCopy = true}, fit), 1);
    EXPECT_TRUE(ui.Messages().empty());
    std::vector<std::string> tags;
    auto record = [&](std::int64_t, const std::string&, const std::string&, const std::string&) {
        if (!Page.CurrentTag.empty())
            tags.push_back(Page.CurrentTag.substr(0, 9));
    };
    EXPECT_EQ(WalkPage(page, WalkOptions{.Owner = 0}, record), 1);
    EXPECT_EQ(tags, (std::vector<std::string>{"html", "p title=\"", "/p", "/html"}));
}

TEST_F(PageTransactionTest, LeftoversOfCrashedChangesAreRemovedOnlyWhenTheyAreOursAndNoOneHoldsThem)
{
    const std::string strayCopy = dir.Write("site/" + OwnTempName("ab12cd34"), "half a page");
    const std::string strayBackup = dir.Write("site/Sauvegarde/" + OwnTempName("x9y8z7w6"), "half a backup");
    const std::string held = dir.Write("site/" + OwnTempName("held0000"), "being written");
    const std::string fresh = dir.Write("site/" + OwnTempName("fresh111"), "just created");
    // Names a user may give a file: not ours (the mark does not match, or
    // the name is of the old six-letter form).
    const std::string notOurs1 = dir.Write("site/.kestrova-abc", "user");
    const std::string notOurs2 = dir.Write("site/" + OwnTempName("abcdef12") + ".htm", "user");
    const std::string notOurs3 = dir.Write("site/x" + OwnTempName("abcdef12"), "user");
    const std::string notOurs4 = dir.Write("site/.kestrova-abcdef", "user");
    const std::string notOurs5 = dir.Write("site/.kestrova-tmp-abcdef12-0123abcd", "user");
    for (const std::string& path : {strayCopy, strayBackup, held, notOurs1, notOurs2, notOurs3, notOurs4, notOurs5})
        SetOld(path);
    // The fresh one is written after the change takes its lock: a change of
    // another page of the folder that is about to lock it.
    struct timespec future[2] = {{0, UTIME_NOW}, {CoarseRealTime().tv_sec + 3600, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, fresh.c_str(), future, 0), 0);
    int holder = ::open(held.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(::flock(holder, LOCK_EX), 0);

    EXPECT_EQ(Edit(), 1);
    ::close(holder);
    EXPECT_FALSE(Exists(strayCopy));
    EXPECT_FALSE(Exists(strayBackup));
    for (const std::string& path : {held, fresh, notOurs1, notOurs2, notOurs3, notOurs4, notOurs5})
        EXPECT_TRUE(Exists(path)) << path;
    EXPECT_EQ(ReadAll(page), After);
}

}  // namespace
