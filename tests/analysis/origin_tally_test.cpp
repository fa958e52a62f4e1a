#include "analysis/origin_tally.h"

#include <gtest/gtest.h>

using namespace kestrova;

namespace {

TEST(OriginTallyTest, EntriesInOrderOfFirstMeetingAndNamesMetAgainCountOnTheirOwnEntry)
{
    OriginTally tally(3);
    ASSERT_TRUE(tally.Select("a.htm"));
    tally.Count(0);
    tally.Count(0);
    tally.Count(1);
    ASSERT_TRUE(tally.Select("b.htm"));
    tally.Count(1);
    tally.Count(0);
    ASSERT_TRUE(tally.Select("b.htm"));
    tally.Count(2);
    // a.htm again (a page of the same name in another folder): its entries
    // in rows 0 and 1 grow, and row 2 gains one after b.htm's.
    ASSERT_TRUE(tally.Select("a.htm"));
    tally.Count(1);
    tally.Count(2);
    tally.Count(0);
    EXPECT_EQ(tally.Text(0), "a.htm (3) / b.htm (1)");
    EXPECT_EQ(tally.Text(1), "a.htm (2) / b.htm (1)");
    EXPECT_EQ(tally.Text(2), "b.htm (1) / a.htm (1)");
}

TEST(OriginTallyTest, CountsGainDigitsAndResetForgetsEverything)
{
    OriginTally tally(2);
    EXPECT_TRUE(tally.Empty());
    ASSERT_TRUE(tally.Select("x"));
    for (int i = 0; i < 1000; ++i)
        tally.Count(1);
    EXPECT_FALSE(tally.Empty());
    EXPECT_EQ(tally.Text(0), "");
    EXPECT_EQ(tally.Text(1), "x (1000)");
    tally.Reset(2);
    EXPECT_TRUE(tally.Empty());
    EXPECT_EQ(tally.Text(1), "");
    ASSERT_TRUE(tally.Select("y"));
    tally.Count(1);
    EXPECT_EQ(tally.Text(1), "y (1)");
}

TEST(OriginTallyTest, NamesTheTextsCouldConfuseAreRefused)
{
    OriginTally tally(1);
    EXPECT_FALSE(tally.Select("a / b.htm"));
    EXPECT_FALSE(tally.Select("a/b"));
    ASSERT_TRUE(tally.Select("a.htm"));
    tally.Count(0);
    // A name that is another one followed by " (", either way round.
    EXPECT_FALSE(tally.Select("a.htm (2).htm"));
    ASSERT_TRUE(tally.Select("c (1).htm"));
    EXPECT_FALSE(tally.Select("c"));
    // A refused name leaves the selection as it was.
    tally.Count(0);
    EXPECT_EQ(tally.Text(0), "a.htm (1) / c (1).htm (1)");
    // Names that merely look alike are kept apart.
    ASSERT_TRUE(tally.Select("a.htm(2)"));
    tally.Count(0);
    ASSERT_TRUE(tally.Select("ba.htm"));
    tally.Count(0);
    EXPECT_EQ(tally.Text(0), "a.htm (1) / c (1).htm (1) / a.htm(2) (1) / ba.htm (1)");
}

}  // namespace
