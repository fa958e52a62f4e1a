#include "page/journal.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <thread>

#include "base/clock.h"
#include "tests/support/temp_site.h"

using namespace kestrova;
using kestrova::test::ReadAll;
using kestrova::test::ScopedCurrentDir;
using kestrova::test::TempDir;

namespace {

class JournalTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetClock([this] { return now; });
        Upload.Clear();
        Upload.UploadState = 0;
        Upload.UploadStartTime = 0;
        Upload.BackgroundThread = 0;
        Journal.JournalEntries.clear();
    }
    void TearDown() override
    {
        SetClock({});
        Upload.Clear();
        Upload.UploadState = 0;
    }
    void WriteJournal(const std::string& text) { dir.Write(JournalFileName, text); }
    std::string JournalText() { return ReadAll(dir.File(JournalFileName)); }

    TempDir dir;
    ScopedCurrentDir cwd{dir.Path()};
    std::int64_t now = 1000;
};

TEST_F(JournalTest, AddJournalEntryAppendsNewPagesAndReplacesTheSamePathInPlace)
{
    WriteJournal("/s/a.html|10\r\n/s/b.htm|20\r\n\r\n");
    now = 99;
    // a.htm is another page than a.html: its line is added, a.html keeps its own.
    EXPECT_TRUE(AddJournalEntry("/s/a.htm"));
    EXPECT_EQ(JournalText(), "/s/a.html|10\n/s/b.htm|20\n\n/s/a.htm|99\n");
    now = 120;
    AddJournalEntry("/s/c.htm");
    EXPECT_EQ(JournalText(), "/s/a.html|10\n/s/b.htm|20\n/s/a.htm|99\n/s/c.htm|120\n");
    now = 130;
    AddJournalEntry("/s/b.htm");
    EXPECT_EQ(JournalText(), "/s/a.html|10\n/s/b.htm|130\n/s/a.htm|99\n/s/c.htm|120\n");
    now = 140;
    AddJournalEntry("/s/a.html");
    EXPECT_EQ(JournalText(), "/s/a.html|140\n/s/b.htm|130\n/s/a.htm|99\n/s/c.htm|120\n");

    // Only the first matching line is replaced.
    WriteJournal("x/a.htm|1\nx/a.htm|2\n");
    AddJournalEntry("x/a.htm");
    EXPECT_EQ(JournalText(), "x/a.htm|140\nx/a.htm|2\n");
}

TEST_F(JournalTest, AddJournalEntryWithEmptyPathOnlyCreatesTheJournal)
{
    AddJournalEntry("");
    EXPECT_TRUE(std::filesystem::exists(dir.File(JournalFileName)));
    EXPECT_EQ(JournalText(), "");
    WriteJournal("p|1\n");
    AddJournalEntry("");
    EXPECT_EQ(JournalText(), "p|1\n");
}

TEST_F(JournalTest, ANewPageKeepsTheLastLineReadEvenWhenEmpty)
{
    AddJournalEntry("/s/a.htm");
    EXPECT_EQ(JournalText(), "\n/s/a.htm|1000\n");
    AddJournalEntry("/s/b.htm");
    EXPECT_EQ(JournalText(), "/s/a.htm|1000\n/s/b.htm|1000\n");

    // Of several empty lines at the end, only the last one read stays, and
    // only when no line is replaced.
    WriteJournal("x|1\n\n\n");
    AddJournalEntry("y");
    EXPECT_EQ(JournalText(), "x|1\n\ny|1000\n");
    WriteJournal("x|1\n\n\n");
    AddJournalEntry("x");
    EXPECT_EQ(JournalText(), "x|1000\n");
}

TEST_F(JournalTest, LoadJournalAcceptsBothLineEndsSkipsEmptyLinesAndStopsAt200)
{
    LoadJournal();
    EXPECT_TRUE(Journal.JournalEntries.empty());

    WriteJournal("a|1\r\n\r\nb|2\n\nc\n");
    LoadJournal();
    EXPECT_EQ(Journal.JournalEntries, (std::vector<std::string>{"a|1", "b|2", "c"}));

    std::string many;
    for (int i = 0; i < 250; ++i)
        many += "/p" + std::to_string(i) + "|5\n";
    WriteJournal(many);
    LoadJournal();
    ASSERT_EQ(Journal.JournalEntries.size(), 200u);
    EXPECT_EQ(Journal.JournalEntries.back(), "/p199|5");
}

TEST_F(JournalTest, LinePathAndTime)
{
    EXPECT_EQ(JournalLinePath("/s/a.htm|123"), "/s/a.htm");
    EXPECT_EQ(JournalLineTime("/s/a.htm|123"), 123);
    EXPECT_EQ(JournalLinePath("/s/a.htm"), "/s/a.htm");
    EXPECT_EQ(JournalLineTime("/s/a.htm"), 0);
}

TEST_F(JournalTest, PurgeDoesNothingUnlessAnUploadEnded)
{
    WriteJournal("a|1\n");
    for (int state : {-1, 0}) {
        Upload.UploadState = state;
        Upload.BackgroundThread = 5;
        PurgeJournal();
        EXPECT_EQ(JournalText(), "a|1\n");
        EXPECT_EQ(Upload.UploadState.load(), state);
        EXPECT_EQ(Upload.BackgroundThread.load(), 5u);
    }
}

TEST_F(JournalTest, PurgeAfterAnAbortedUploadKeepsUnsentAndChangedAgainPages)
{
    // Upload of a, b, c, d started at 300 and aborted before c; a's line was
    // written again at 400; a line without "|" was never sent.
    const std::string a = dir.Write("a.htm", "a"), b = dir.Write("b.htm", "b"), c = dir.Write("c.htm", "c"),
                      d = dir.Write("d.htm", "d");
    WriteJournal(a + "|400\n" + b + "|200\n" + c + "|250\r\n" + dir.File("nobar.htm") + "\n" + d + "|300\n");
    Upload.UploadStartTime = 300;
    Upload.StartRun({c + "|server|\\"});
    for (const std::string& sent : {a, b, d})
        Upload.RecordSent(sent, *FileIdentityAt(sent));
    Upload.UploadState = 1;
    Upload.BackgroundThread = 42;
    PurgeJournal();
    EXPECT_EQ(JournalText(), a + "|400\r\n" + c + "|250\r\n" + dir.File("nobar.htm") + "\r\n");
    EXPECT_EQ(Upload.UploadState.load(), -1);
    EXPECT_EQ(Upload.BackgroundThread.load(), 0u);
    EXPECT_EQ(Journal.JournalEntries, (std::vector<std::string>{a + "|400", c + "|250", dir.File("nobar.htm")}));

    // A finished upload drops every page it sent, even past the first 200 lines.
    std::string many;
    Upload.Clear();
    for (int i = 0; i < 250; ++i) {
        const std::string page = dir.Write("p" + std::to_string(i), "p");
        Upload.RecordSent(page, *FileIdentityAt(page));
        many += page + "|" + (i % 2 ? "500" : "100") + "\n";
    }
    WriteJournal(many);
    Upload.UploadState = 2;
    PurgeJournal();
    LoadJournal();
    EXPECT_EQ(Journal.JournalEntries.size(), 125u);
    EXPECT_EQ(Journal.JournalEntries.back(), dir.File("p249") + "|500");
}

TEST_F(JournalTest, ASentPageChangedSinceItWasReadStaysWhateverTheSecond)
{
    const std::string same = dir.Write("same.htm", "as sent");
    const std::string changed = dir.Write("changed.htm", "as sent");
    const std::string replaced = dir.Write("replaced.htm", "as sent");
    const std::string never = dir.Write("never.htm", "never sent");
    for (const std::string& page : {same, changed, replaced})
        Upload.RecordSent(page, *FileIdentityAt(page));
    // Changed in place with the same length, and replaced by a new file with
    // the same bytes: both differ from what was sent.
    {
        std::ofstream(changed) << "as saved";
    }
    const std::string fresh = dir.Write("fresh.tmp", "as sent");
    std::filesystem::rename(fresh, replaced);
    // Every line in the second the upload started.
    WriteJournal(same + "|300\n" + changed + "|300\n" + replaced + "|300\n" + never + "|300\n");
    Upload.UploadStartTime = 300;
    Upload.UploadState = 2;
    PurgeJournal();
    EXPECT_EQ(JournalText(), changed + "|300\r\n" + replaced + "|300\r\n" + never + "|300\r\n");

    // A new run forgets what the last one sent.
    Upload.StartRun({});
    EXPECT_FALSE(Upload.SentAs(changed).has_value());
}

TEST_F(JournalTest, NamesTheJournalCannotHoldAndTheProgramsOwnFilesAreNeverJournalled)
{
    for (const char* bad : {"/s/a\rb.htm", "/s/a\nb.htm", "/s/a\tb.htm", "/s/a|b.htm"}) {
        EXPECT_FALSE(IsJournalSafePath(bad));
        EXPECT_FALSE(AddJournalEntry(bad));
    }
    EXPECT_TRUE(IsJournalSafePath("/s/a b\xE9.htm"));
    EXPECT_FALSE(std::filesystem::exists(dir.File(JournalFileName)));

    // The online page, the journal and the settings in the current folder.
    EXPECT_TRUE(IsProgramOwnFile("temp.htm"));
    EXPECT_TRUE(IsProgramOwnFile(dir.File("temp.htm")));
    EXPECT_TRUE(IsProgramOwnFile(dir.File("Kestrova.prefs")));
    EXPECT_FALSE(AddJournalEntry(dir.File("temp.htm")));
    TempDir other;
    EXPECT_FALSE(IsProgramOwnFile(other.File("temp.htm")));
    EXPECT_FALSE(IsProgramOwnFile(dir.File("index.htm")));
    // Once the program folder is known, every file directly in it.
    SetProgramFolder(dir.Path().string());
    EXPECT_TRUE(IsProgramOwnFile(dir.File("index.htm")));
    EXPECT_FALSE(IsProgramOwnFile(dir.File("Exemple/index.htm")));
    SetProgramFolder("");
    EXPECT_FALSE(IsProgramOwnFile(dir.File("index.htm")));
    EXPECT_TRUE(AddJournalEntry(dir.File("index.htm")));
}

TEST_F(JournalTest, AJournalThatCannotBeReadIsLeftAlone)
{
    // A link to a folder: it exists, yet no one (not even root) can read it
    // as a file. Rewriting it would drop every entry it holds.
    std::filesystem::create_directory(dir.Path() / "elsewhere");
    ASSERT_EQ(::symlink("elsewhere", dir.File(JournalFileName).c_str()), 0);
    Upload.UploadState = 2;
    PurgeJournal();
    EXPECT_EQ(Upload.UploadState.load(), -1);
    AddJournalEntry("/s/a.htm");
    EXPECT_TRUE(std::filesystem::is_symlink(dir.File(JournalFileName)));
    EXPECT_EQ(test::FolderEntries(dir.Path()), (std::vector<std::string>{JournalFileName, "elsewhere"}));
    LoadJournal();
    EXPECT_TRUE(Journal.JournalEntries.empty());
}

TEST_F(JournalTest, WriteBackupKeepsOneGenerationBesideThePage)
{
    const std::string page = dir.Write("site/a.htm", "v1");
    ASSERT_TRUE(WriteBackup(page));
    EXPECT_EQ(ReadAll(dir.File("site/Sauvegarde/a.htm")), "v1");
    dir.Write("site/a.htm", "v2");
    ASSERT_TRUE(WriteBackup(page));
    EXPECT_EQ(ReadAll(dir.File("site/Sauvegarde/a.htm")), "v2");
    EXPECT_EQ(BackupFolderOf(page), dir.File("site/Sauvegarde/"));
    // Only the backup itself is left in the folder (no temporary files).
    EXPECT_EQ(test::FolderEntries(dir.Path() / "site/Sauvegarde"), std::vector<std::string>{"a.htm"});
    EXPECT_FALSE(WriteBackup(dir.File("site/missing.htm")));
}

TEST(UploadQueue, SlotsCapacityAndRemoval)
{
    UploadShared q;
    EXPECT_EQ(q.At(0), "");
    EXPECT_FALSE(q.First());
    EXPECT_FALSE(q.SetAt(1, "x"));  // no gaps
    EXPECT_TRUE(q.SetAt(0, "a|s|\\"));
    EXPECT_TRUE(q.Push("b|s|\\"));
    EXPECT_TRUE(q.Push("c|s|\\sub\\"));
    EXPECT_TRUE(q.SetAt(0, "z|s|\\"));  // a later upload overwrites from the first slot
    EXPECT_EQ(q.Snapshot(), (std::vector<std::string>{"z|s|\\", "b|s|\\", "c|s|\\sub\\"}));
    q.RemoveAt(1);
    EXPECT_EQ(q.At(1), "c|s|\\sub\\");
    EXPECT_EQ(q.At(2), "");
    EXPECT_TRUE(q.AnyBeginsWith("c"));
    EXPECT_FALSE(q.AnyBeginsWith("b"));
    EXPECT_TRUE(q.Remove("c|s|\\sub\\"));
    EXPECT_FALSE(q.Remove("c|s|\\sub\\"));
    EXPECT_EQ(q.TakeFirst(), std::optional<std::string>("z|s|\\"));
    EXPECT_EQ(q.Size(), 0u);
    // Past its first capacity the queue grows: no ticked file is dropped.
    for (std::size_t i = 0; i < UploadQueueMax; ++i)
        ASSERT_TRUE(q.Push("f" + std::to_string(i)));
    EXPECT_TRUE(q.Push("one more"));
    EXPECT_TRUE(q.SetAt(UploadQueueMax + 1, "and another"));
    EXPECT_FALSE(q.SetAt(UploadQueueMax + 3, "past the end"));
    EXPECT_EQ(q.Size(), UploadQueueMax + 2);
    EXPECT_EQ(q.At(UploadQueueMax), "one more");
}

TEST(UploadQueue, WorkerAndWindowShareItSafely)
{
    UploadShared q;
    for (int i = 0; i < 100; ++i)
        q.Push("/p" + std::to_string(i) + "|s|\\");
    q.UploadState = 0;
    std::thread worker([&] {
        // The worker's protocol: look at the first entry, send it, remove it.
        while (auto first = q.First()) {
            q.Remove(*first);
        }
        int running = 0;
        q.UploadState.compare_exchange_strong(running, 2);
    });
    std::size_t lastSize = 101;
    while (q.UploadState.load() == 0) {
        std::vector<std::string> snapshot = q.Snapshot();
        EXPECT_LE(snapshot.size(), lastSize);  // the queue only shrinks
        lastSize = snapshot.size();
        q.AnyBeginsWith("/p99");
    }
    worker.join();
    EXPECT_EQ(q.UploadState.load(), 2);
    EXPECT_EQ(q.Size(), 0u);
}

}  // namespace
