// Values of the settings file that once read wrongly: a number with two
// signs, and a window position at the limit of an int.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "base/app_state.h"
#include "base/settings.h"
#include "tests/support/temp_site.h"

using namespace kestrova;
using kestrova::test::TempDir;

TEST(SettingValues, APlusSignStandsOnlyBeforeDigits)
{
    EXPECT_EQ(ReadSettingInt("N = +-5\r\n", "N", 7), 7);
    EXPECT_EQ(ReadSettingInt("N = ++5\r\n", "N", 7), 7);
    EXPECT_EQ(ReadSettingInt("N = +\r\n", "N", 7), 7);
    EXPECT_EQ(ReadSettingInt("N = + 5\r\n", "N", 7), 7);
    EXPECT_EQ(ReadSettingInt("N = +5\r\n", "N", 7), 5);
    EXPECT_EQ(ReadSettingInt("N = -5\r\n", "N", 7), -5);
    // A number too large for an int is no number.
    EXPECT_EQ(ReadSettingInt("N = 2147483648\r\n", "N", 7), 7);
    EXPECT_EQ(ReadSettingInt("N = -2147483648\r\n", "N", 7), INT_MIN);
}

TEST(SettingValues, PositionsAtTheLimitsOfAnIntCentreTheWindow)
{
    TempDir dir;
    SettingsHost host;
    host.ScreenWidth = 1024;
    host.ScreenHeight = 768;
    const std::string path =
        dir.Write(SettingsFileName, "Language = English\r\nLargeurFenetre = 700\r\nHauteurFenetre = 500\r\n"
                                    "PosFenetreX = 2147483647\r\nPosFenetreY = 2147483000\r\n");
    ResetAppState();
    ASSERT_TRUE(LoadSettings(path, host));
    // Past the screen's edge: centred (the sum of position and size once
    // overflowed and kept the window out of sight).
    EXPECT_EQ(App.PosFenetreX, (1024 - 700) / 2);
    EXPECT_EQ(App.PosFenetreY, (768 - 500) / 2);

    // The smallest int as a size, and no position: the window is centred
    // without overflow (the screen's width minus the size passes an int).
    dir.Write(SettingsFileName, "Language = English\r\nLargeurFenetre = -2147483648\r\nPosFenetreX = -1\r\n");
    ResetAppState();
    ASSERT_TRUE(LoadSettings(path, host));
    EXPECT_EQ(App.LargeurFenetre, INT_MIN);
    EXPECT_EQ(App.PosFenetreX, static_cast<int>((1024LL - INT_MIN) / 2));
    ResetAppState();
}
