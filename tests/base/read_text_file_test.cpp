#include "base/read_text_file.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/temp_site.h"

using kestrova::test::TempDir;
using kestrova::ui::ReadTextFile;

namespace {

// Printable bytes that vary with the position, so a lost or repeated block shows.
std::string Pattern(std::size_t size)
{
    std::string s(size, ' ');
    for (std::size_t i = 0; i < size; ++i)
        s[i] = static_cast<char>('a' + (i * 7 + i / 10000) % 26);
    return s;
}

}  // namespace

TEST(ReadTextFile, ReturnsEveryByteAroundTheBlockSize)
{
    TempDir dir;
    for (std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{9999}, std::size_t{10000}, std::size_t{10001},
                             std::size_t{25000}}) {
        const std::string bytes = Pattern(size);
        const std::string path = dir.Write("f" + std::to_string(size) + ".htm", bytes);
        EXPECT_EQ(ReadTextFile(path), bytes) << size << " bytes";
    }
}

TEST(ReadTextFile, KeepsCrLfAndHighBytes)
{
    TempDir dir;
    const std::string bytes = "Caf\xE9\r\n\x80\xFF\r\n";
    EXPECT_EQ(ReadTextFile(dir.Write("a.htm", bytes)), bytes);
}

TEST(ReadTextFile, ZeroByteCutsOnlyItsOwnBlock)
{
    TempDir dir;
    // Block 1: 100 bytes, a zero, then the rest of the 10,000; block 2: 500 bytes.
    std::string first = Pattern(10000);
    first[100] = '\0';
    const std::string second = Pattern(500);
    const std::string path = dir.Write("z.htm", first + second);
    EXPECT_EQ(ReadTextFile(path), first.substr(0, 100) + second);

    // A zero as the very first byte of the second block drops that whole block.
    std::string tail = Pattern(300);
    tail[0] = '\0';
    const std::string path2 = dir.Write("z2.htm", Pattern(10000) + tail);
    EXPECT_EQ(ReadTextFile(path2), Pattern(10000));
}

TEST(ReadTextFile, MissingFileOrFolderGivesEmptyText)
{
    TempDir dir;
    EXPECT_EQ(ReadTextFile(dir.File("absent.htm")), "");
    EXPECT_EQ(ReadTextFile(dir.Path().string()), "");
}
