// Unified differences as `patch` reads them: hunk ranges, context, merged
// neighbours, line ends (CR LF, a missing last one) kept exactly.
#include "page/unified_diff.h"

#include <gtest/gtest.h>

#include <string>

namespace kestrova {
namespace {

std::string Lines(int from, int to, const std::string& end = "\n")
{
    std::string text;
    for (int i = from; i <= to; ++i)
        text += "l" + std::to_string(i) + end;
    return text;
}

TEST(UnifiedDiffTest, OneChangedLineWithThreeLinesOfContextEachSide)
{
    const std::string before = Lines(1, 10);
    std::string after = before;
    after.replace(after.find("l5\n"), 3, "cinq\n");
    EXPECT_EQ(UnifiedDiff(before, after, "a.htm", "a.htm"),
              "--- a.htm\n+++ a.htm\n@@ -2,7 +2,7 @@\n l2\n l3\n l4\n-l5\n+cinq\n l6\n l7\n l8\n");
    EXPECT_EQ(UnifiedDiff(before, before, "a", "a"), "");
}

TEST(UnifiedDiffTest, NearChangesShareAHunkAndFarOnesDoNot)
{
    const std::string before = Lines(1, 30);
    std::string near = before;
    near.replace(near.find("l5\n"), 3, "x\n");
    near.replace(near.find("l11\n"), 4, "y\n");  // 5 unchanged lines between: one hunk
    EXPECT_EQ(DiffHunks(before, near).size(), 1u);
    std::string far = before;
    far.replace(far.find("l5\n"), 3, "x\n");
    far.replace(far.find("l20\n"), 4, "y\n");
    const auto hunks = DiffHunks(before, far);
    ASSERT_EQ(hunks.size(), 2u);
    EXPECT_EQ(hunks[1].OldStart, 17);
    EXPECT_EQ(hunks[1].OldCount, 7);
}

TEST(UnifiedDiffTest, InsertionsAtTheTopAndDeletionsOfEverythingHaveTheStandardRanges)
{
    EXPECT_EQ(UnifiedDiff("", "a\n", "f", "f"), "--- f\n+++ f\n@@ -0,0 +1,1 @@\n+a\n");
    EXPECT_EQ(UnifiedDiff("a\nb\n", "", "f", "f"), "--- f\n+++ f\n@@ -1,2 +0,0 @@\n-a\n-b\n");
}

TEST(UnifiedDiffTest, LineEndsAreCompared)
{
    // CR LF against LF is a change; a missing last line end is marked.
    EXPECT_EQ(UnifiedDiff("a\r\nb\r\n", "a\r\nb\n", "f", "f"), "--- f\n+++ f\n@@ -1,2 +1,2 @@\n a\r\n-b\r\n+b\n");
    EXPECT_EQ(UnifiedDiff("a\nb", "a\nb\n", "f", "f"),
              "--- f\n+++ f\n@@ -1,2 +1,2 @@\n a\n-b\n\\ No newline at end of file\n+b\n");
}

}  // namespace
}  // namespace kestrova
