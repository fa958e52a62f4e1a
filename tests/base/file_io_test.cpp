#include "base/file_io.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/locked_file.h"
#include "tests/support/temp_site.h"

using namespace kestrova;
using kestrova::test::FolderEntries;
using kestrova::test::ReadAll;
using kestrova::test::TempDir;

namespace {

mode_t ModeOf(const std::string& path)
{
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
    return st.st_mode & 07777;
}

// Sets the process umask for the life of the object.
class ScopedUmask {
public:
    explicit ScopedUmask(mode_t mask) : previous_(::umask(mask)) {}
    ~ScopedUmask() { ::umask(previous_); }

private:
    mode_t previous_;
};

}  // namespace

TEST(FileIo, ReadWholeFileReadsEveryByteAndFailsOnWhatIsNoFile)
{
    TempDir dir;
    std::string big(100000, 'x');
    big[0] = '\0';
    big[70000] = '\r';
    const std::string path = dir.Write("big.bin", big);
    std::string text = "stale";
    ASSERT_TRUE(ReadWholeFile(path, text));
    EXPECT_EQ(text, big);
    ASSERT_TRUE(ReadWholeFile(dir.Write("empty", ""), text));
    EXPECT_EQ(text, "");

    text = "stale";
    EXPECT_FALSE(ReadWholeFile(dir.File("missing"), text));
    EXPECT_EQ(text, "");
    // A folder opens but cannot be read.
    EXPECT_FALSE(ReadWholeFile(dir.Path().string(), text));
}

TEST(FileIo, ReadAtStopsAtTheEndAndCopyFileDataStartsAtTheBeginning)
{
    TempDir dir;
    const std::string content = std::string(200000, 'a') + "end";
    const std::string path = dir.Write("in", content);
    int in = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(in, 0);
    char buffer[10];
    EXPECT_EQ(ReadAt(in, buffer, sizeof buffer, 200000), 3);
    EXPECT_EQ(std::string(buffer, 3), "end");
    EXPECT_EQ(ReadAt(in, buffer, sizeof buffer, 300000), 0);

    // The descriptor's own offset does not matter.
    ASSERT_EQ(::lseek(in, 5000, SEEK_SET), 5000);
    const std::string outPath = dir.File("out");
    int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    ASSERT_GE(out, 0);
    EXPECT_TRUE(CopyFileData(in, out));
    ::close(out);
    ::close(in);
    EXPECT_EQ(ReadAll(outPath), content);
}

TEST(FileIo, CreateEmptyFileNeverTouchesAnExistingFile)
{
    TempDir dir;
    ScopedUmask mask(022);
    const std::string path = dir.File("new");
    EXPECT_TRUE(CreateEmptyFile(path, 0600));
    EXPECT_EQ(ReadAll(path), "");
    EXPECT_EQ(ModeOf(path), 0600u);

    const std::string kept = dir.Write("kept", "content");
    EXPECT_FALSE(CreateEmptyFile(kept, 0600));
    EXPECT_EQ(ReadAll(kept), "content");
    EXPECT_FALSE(CreateEmptyFile(dir.File("no folder/new"), 0600));
}

TEST(FileIo, ReplaceFileContentSetsTheModeAndLeavesNoTemporaryFile)
{
    TempDir dir;
    ScopedUmask mask(077);  // the mode is given, not taken from the umask
    const std::string path = dir.Write("f.txt", "old content that is longer");
    ::chmod(path.c_str(), 0600);
    ASSERT_TRUE(ReplaceFileContent(path, "new", 0644));
    EXPECT_EQ(ReadAll(path), "new");
    EXPECT_EQ(ModeOf(path), 0644u);
    ASSERT_TRUE(ReplaceFileContent(path, "", 0600));
    EXPECT_EQ(ReadAll(path), "");
    EXPECT_EQ(ModeOf(path), 0600u);
    EXPECT_EQ(FolderEntries(dir.Path()), std::vector<std::string>{"f.txt"});

    // A missing file is created; a bare name is taken in the current folder.
    test::ScopedCurrentDir cwd(dir.Path());
    ASSERT_TRUE(ReplaceFileContent("bare.txt", "b", 0640));
    EXPECT_EQ(ReadAll(dir.File("bare.txt")), "b");
    EXPECT_EQ(ModeOf(dir.File("bare.txt")), 0640u);
    EXPECT_EQ(FolderEntries(dir.Path()).size(), 2u);
}

TEST(FileIo, FailedReplaceKeepsTheOldFileWhole)
{
    TempDir dir;
    const std::string path = dir.Write("site/f.txt", "old");
    const std::vector<std::string> only{"f.txt"};

    // The content could not be written: nothing changes, nothing is left.
    EXPECT_FALSE(ReplaceFileWith(path, 0644, [](int fd) {
        WriteAll(fd, "half");
        return false;
    }));
    EXPECT_EQ(ReadAll(path), "old");
    EXPECT_EQ(FolderEntries(dir.Path() / "site"), only);

    // The target is a folder that is not empty: the rename fails.
    dir.Write("site/sub/x", "x");
    EXPECT_FALSE(ReplaceFileContent(dir.File("site/sub"), "new", 0644));
    EXPECT_EQ(ReadAll(dir.File("site/sub/x")), "x");
    EXPECT_EQ(FolderEntries(dir.Path() / "site").size(), 2u);
    std::filesystem::remove_all(dir.File("site/sub"));

    // A folder where no temporary file can be made.
    test::LockedFile lock(dir.File("site"));
    if (!lock.Locked())
        GTEST_SKIP() << "cannot make a folder unwritable here";
    EXPECT_FALSE(ReplaceFileContent(path, "new", 0644));
    lock.Unlock();
    EXPECT_EQ(ReadAll(path), "old");
    EXPECT_EQ(FolderEntries(dir.Path() / "site"), only);
}

TEST(FileIo, ReplaceReplacesALinkItselfNotWhatItPointsTo)
{
    TempDir dir;
    const std::string target = dir.Write("target.txt", "target");
    const std::string link = dir.File("link.txt");
    std::filesystem::create_symlink(target, link);
    ASSERT_TRUE(ReplaceFileContent(link, "new", 0644));
    EXPECT_FALSE(std::filesystem::is_symlink(link));
    EXPECT_EQ(ReadAll(link), "new");
    EXPECT_EQ(ReadAll(target), "target");
}
