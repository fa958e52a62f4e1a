// The banner's scroll offset and picture sizes.
#include "net/banner.h"

#include <gtest/gtest.h>

#include "tests/support/temp_site.h"

using namespace kestrova;
using kestrova::test::ReadAll;

namespace {

TEST(Banner, OffsetWrapsAtTheLastFullView)
{
    int offset = 0;
    for (int i = 0; i < 2991; ++i)
        offset = NextBannerOffset(offset, 3171);
    EXPECT_EQ(offset, 2991);
    EXPECT_EQ(NextBannerOffset(offset, 3171), 0);
    EXPECT_EQ(NextBannerOffset(2517, 2698), 2518);
    EXPECT_EQ(NextBannerOffset(2518, 2698), 0);

    int width = 0, height = 0;
    const std::string strip = ReadAll(std::string(KESTROVA_SOURCE_DIR) + "/resources/banner/strip_en.gif");
    ASSERT_TRUE(ReadGifSize(strip, width, height));
    EXPECT_EQ(width, 254);
    EXPECT_EQ(height, 3171);
    ASSERT_TRUE(
        ReadGifSize(ReadAll(std::string(KESTROVA_SOURCE_DIR) + "/resources/banner/strip_fr.gif"), width, height));
    EXPECT_EQ(height, 2698);
    EXPECT_FALSE(ReadGifSize("\xFF\xD8\xFF\xE0 not a gif", width, height));
}

}  // namespace
