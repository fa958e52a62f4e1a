// The maker's addresses in the settings file: defaults under ".invalid",
// values set by hand kept across a save.
#include <gtest/gtest.h>

#include "base/app_state.h"
#include "base/settings.h"
#include "tests/support/temp_site.h"

using namespace kestrova;

namespace {

TEST(MakerAddresses, DefaultsLeaveNothingToReachAndSetValuesAreKept)
{
    ResetAppState();
    EXPECT_EQ(UpdateServerAddress(), "https://updates.kestrova.invalid");
    EXPECT_EQ(MakerSiteAddress(false), "https://www.kestrova.invalid/");
    EXPECT_EQ(MakerSiteAddress(true), "https://www.kestrova.invalid/fr/");
    EXPECT_EQ(MakerMailAddress(), "contact@kestrova.invalid");

    test::TempDir dir;
    const std::string path = dir.Write("Kestrova.prefs", "Language = English\r\n"
                                                         "UpdateServer =  http://127.0.0.1:8080//\r\n"
                                                         "MakerSite = https://example.test/\r\n");
    SettingsHost host;
    host.ScreenWidth = 1024;
    host.ScreenHeight = 768;
    ASSERT_TRUE(LoadSettings(path, host));
    EXPECT_EQ(UpdateServerAddress(), "http://127.0.0.1:8080");
    EXPECT_EQ(MakerSiteAddress(true), "https://example.test/fr/");
    EXPECT_EQ(MakerMailAddress(), "contact@kestrova.invalid");

    ASSERT_TRUE(SaveSettings(path, WindowGeometry{712, 600, 1, 2}, ""));
    const std::string saved = test::ReadAll(path);
    EXPECT_NE(saved.find("\r\nUpdateServer = http://127.0.0.1:8080//\r\nMakerSite = https://example.test/\r\n"),
              std::string::npos)
        << saved;
    // Addresses never set are not written: the defaults stay in the program.
    EXPECT_EQ(saved.find("MakerMail"), std::string::npos);
    ResetAppState();
}

}  // namespace
