#include "base/settings.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "base/app_state.h"
#include "tests/support/locked_file.h"
#include "tests/support/temp_site.h"

using namespace kestrova;
using kestrova::test::ReadAll;
using kestrova::test::TempDir;

namespace {

// Resets the state and records the first-start calls.
struct SettingsFixture : ::testing::Test {
    TempDir dir;
    std::string path = dir.File("Kestrova.prefs");
    std::vector<std::string> calls;
    SettingsHost host;

    void SetUp() override
    {
        ResetAppState();
        host.ScreenWidth = 1024;
        host.ScreenHeight = 768;
        host.AskLanguage = [this] {
            calls.push_back("language");
            App.Language = "English";
        };
        host.ShowInfo = [this] { calls.push_back("info"); };
    }
    void TearDown() override { ResetAppState(); }

    void Load(const std::string& content)
    {
        dir.Write("Kestrova.prefs", content);
        ResetAppState();
        ASSERT_TRUE(LoadSettings(path, host));
    }
};

}  // namespace

TEST_F(SettingsFixture, MissingFileIsCreatedAndIsAFirstStart)
{
    ASSERT_TRUE(LoadSettings(path, host));
    EXPECT_TRUE(std::filesystem::exists(path));
    EXPECT_EQ(ReadAll(path), "");
    EXPECT_EQ(calls, (std::vector<std::string>{"language", "info"}));
    EXPECT_TRUE(App.FirstStart);
    EXPECT_EQ(App.Language, "English");
    EXPECT_EQ(App.LargeurFenetre, 712);
    EXPECT_EQ(App.HauteurFenetre, 600);
    EXPECT_EQ(App.PosFenetreX, (1024 - 712) / 2);
    EXPECT_EQ(App.PosFenetreY, (768 - 600) / 2);
    EXPECT_EQ(App.Folder, "");
    EXPECT_EQ(App.FileListe, "");
    EXPECT_TRUE(App.ServerTable[1].Name.empty());
    EXPECT_FALSE(App.DisableUpdates);
}

TEST_F(SettingsFixture, EmptyLanguageValueIsAFirstStartOtherwiseNot)
{
    Load("Language = \r\nFolder = /site/\r\n");
    EXPECT_TRUE(App.FirstStart);
    EXPECT_EQ(calls.size(), 2u);
    EXPECT_EQ(App.Folder, "/site/");

    calls.clear();
    Load("Language = Fran\xE7"
         "ais\r\n");
    EXPECT_FALSE(App.FirstStart);
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(App.Language, "Fran\xE7"
                            "ais");
}

TEST_F(SettingsFixture, SizesClampToScreenAndPositionsCentre)
{
    Load("Language = English\r\nLargeurFenetre = 5000\r\nHauteurFenetre = 5000\r\n"
         "PosFenetreX = 100\r\nPosFenetreY = 0\r\n");
    EXPECT_EQ(App.LargeurFenetre, 1024);
    EXPECT_EQ(App.HauteurFenetre, 768);
    EXPECT_EQ(App.PosFenetreX, 0);  // 100 + 1024 > 1024: centred
    EXPECT_EQ(App.PosFenetreY, 0);  // 0 + 768 fits exactly

    Load("Language = English\r\nLargeurFenetre = 800\r\nHauteurFenetre = 500\r\n"
         "PosFenetreX = -5\r\nPosFenetreY = -1\r\n");
    EXPECT_EQ(App.PosFenetreX, -5);  // negative but on screen: kept
    EXPECT_EQ(App.PosFenetreY, (768 - 500) / 2);

    Load("Language = English\r\nLargeurFenetre = 800\r\nPosFenetreX = 225\r\n");
    EXPECT_EQ(App.PosFenetreX, 112);  // 225 + 800 > 1024: (1024 - 800) / 2
    Load("Language = English\r\nLargeurFenetre = 800\r\nPosFenetreX = 224\r\n");
    EXPECT_EQ(App.PosFenetreX, 224);
}

TEST_F(SettingsFixture, KeysAreCaseInsensitiveFirstLineWinsAndBracketEndsSearch)
{
    Load("  lAnGuAgE   =   English  \r\n"
         "LANGUAGE = Deutsch\r\n"
         "Language2 = x\r\n"
         "preferences=pub|disableupdates\r\n"
         "[section]\r\n"
         "Folder = /after/bracket/\r\n");
    EXPECT_EQ(App.Language, "English  ");  // spaces before the value go, trailing ones stay
    EXPECT_EQ(App.Preferences, "pub|disableupdates");
    EXPECT_TRUE(App.DisableUpdates);
    EXPECT_EQ(App.Folder, "");

    std::string value;
    EXPECT_TRUE(FindSettingValue("Key = a = b\r\n", "key", value));
    EXPECT_EQ(value, "a = b");  // split at the first "="
    EXPECT_FALSE(FindSettingValue("Keys = 1\r\nKe = 2\n", "Key", value));
    EXPECT_EQ(ReadSettingInt("N = abc\r\n", "N", 7), 7);
    EXPECT_EQ(ReadSettingInt("N = -42px\r\n", "N", 7), -42);
    EXPECT_EQ(ReadSettingInt("N = 13\n", "N", 7), 13);  // LF alone ends a line too
}

TEST_F(SettingsFixture, ServersStopAtTheFirstGapAndAreWrittenBack)
{
    Load("Language = English\r\n"
         "ServerName1 = one\r\nServerAdress1 = ftp.one\r\nServerLogin1 = u1\r\nServerPassword1 = p 1\r\n"
         "ServerName2 = two\r\nServerAdress2 = ftp.two\r\n"
         "ServerName4 = four\r\nServerAdress4 = ftp.four\r\n");
    EXPECT_EQ(App.ServerTable[1].Name, "one");
    EXPECT_EQ(App.ServerTable[1].Address, "ftp.one");
    EXPECT_EQ(App.ServerTable[1].Login, "u1");
    EXPECT_EQ(App.ServerTable[1].Password, "p 1");
    EXPECT_EQ(App.ServerTable[2].Name, "two");
    EXPECT_EQ(App.ServerTable[2].Login, "");
    EXPECT_TRUE(App.ServerTable[3].Name.empty());
    EXPECT_TRUE(App.ServerTable[4].Name.empty());

    ASSERT_TRUE(SaveSettings(path, WindowGeometry{700, 500, 10, 20}, ""));
    const std::string written = ReadAll(path);
    EXPECT_EQ(written, "Language = English\r\nFolder = \r\nFileListe = \r\nPreferences = \r\n"
                       "LargeurFenetre = 700\r\nHauteurFenetre = 500\r\nPosFenetreX = 10\r\nPosFenetreY = 20\r\n"
                       "ServerName1 = one\r\nServerAdress1 = ftp.one\r\nServerLogin1 = u1\r\n"
                       "ServerPassword1 = p 1\r\nHideServerList = 0\r\n"
                       "ServerName2 = two\r\nServerAdress2 = ftp.two\r\nServerLogin2 = \r\n"
                       "ServerPassword2 = \r\nHideServerList = 0\r\n");
}

TEST_F(SettingsFixture, TwentyServersAtMost)
{
    std::string content = "Language = English\r\n";
    for (int i = 1; i <= 21; ++i)
        content += "ServerName" + std::to_string(i) + " = s" + std::to_string(i) + "\r\n";
    Load(content);
    EXPECT_EQ(App.ServerTable[20].Name, "s20");
    ASSERT_TRUE(SaveSettings(path, {}, ""));
    const std::string written = ReadAll(path);
    EXPECT_NE(written.find("ServerName20 = s20\r\n"), std::string::npos);
    EXPECT_EQ(written.find("ServerName21"), std::string::npos);
}

TEST_F(SettingsFixture, RoundTripKeepsEverySetting)
{
    App.Language = "Fran\xE7"
                   "ais";
    App.FileListe = "/site/a.htm\r/site/b 100%25.htm\r/site/c|d.htm\r";
    App.Preferences = "bulle|pub|";
    App.ServerTable[1] = {"main", "ftp.example.com", "me", "s=cr=t"};
    ASSERT_TRUE(SaveSettings(path, WindowGeometry{640, 480, -3, 40}, "/home/me/site/page.htm"));

    ResetAppState();
    ASSERT_TRUE(LoadSettings(path, host));
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(App.Language, "Fran\xE7"
                            "ais");
    EXPECT_EQ(App.Folder, "/home/me/site/");
    EXPECT_EQ(App.FileListe, "/site/a.htm\r/site/b 100%25.htm\r/site/c|d.htm\r");
    EXPECT_EQ(App.Preferences, "bulle|pub|");
    EXPECT_FALSE(App.DisableUpdates);
    EXPECT_EQ(App.LargeurFenetre, 640);
    EXPECT_EQ(App.HauteurFenetre, 480);
    EXPECT_EQ(App.PosFenetreX, -3);
    EXPECT_EQ(App.PosFenetreY, 40);
    EXPECT_EQ(App.ServerTable[1].Password, "s=cr=t");
    EXPECT_TRUE(App.ServerTable[2].Name.empty());
}

TEST_F(SettingsFixture, FileListeWithCarriageReturnsSurvivesAndOldRawFormStillReads)
{
    const std::string list = "/s/one.htm\r/s/two%0D.htm\r/s/three\n.htm\r";
    EXPECT_EQ(DecodeFileListe(EncodeFileListe(list)), list);
    EXPECT_EQ(EncodeFileListe(list).find_first_of("\r\n"), std::string::npos);
    EXPECT_EQ(EncodeFileListe(""), "");

    App.FileListe = list;
    ASSERT_TRUE(SaveSettings(path, {}, ""));
    ResetAppState();
    ASSERT_TRUE(LoadSettings(path, host));
    EXPECT_EQ(App.FileListe, list);

    // Written raw by an older version: the line ends at the first CR, which
    // leaves the first path; it reads back as a one-path list.
    Load("Language = English\r\nFileListe = /s/one 50%20off.htm\r/s/two.htm\r\r\nPreferences = pub|\r\n");
    EXPECT_EQ(App.FileListe, "/s/one 50%20off.htm\r");
    EXPECT_EQ(App.Preferences, "pub|");
}

TEST_F(SettingsFixture, SaveReplacesTheFileWholeWithOwnerOnlyPermissions)
{
    dir.Write("Kestrova.prefs", "Language = Deutsch\r\nStale = 1\r\n");
    ::chmod(path.c_str(), 0644);
    App.Language = "English";
    ASSERT_TRUE(SaveSettings(path, {}, "page.htm"));
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    const std::string written = ReadAll(path);
    EXPECT_EQ(written.rfind("Language = English\r\nFolder = \r\n", 0), 0u);  // no "/" in the path
    EXPECT_EQ(written.find("Stale"), std::string::npos);
    // No temporary file is left beside it.
    EXPECT_EQ(test::FolderEntries(dir.Path()), std::vector<std::string>{"Kestrova.prefs"});
}

TEST_F(SettingsFixture, ValuesCannotInjectLines)
{
    App.Preferences = "pub|\r\nLanguage = Deutsch";
    ASSERT_TRUE(SaveSettings(path, {}, "/a\nLanguage = Deutsch/b/page.htm"));
    ResetAppState();
    ASSERT_TRUE(LoadSettings(path, host));
    EXPECT_EQ(App.Preferences, "pub|");
    EXPECT_EQ(App.Folder, "/a");
    EXPECT_EQ(ReadAll(path).find("Deutsch"), std::string::npos);
}

TEST_F(SettingsFixture, UncreatableFileWritesNothingAndReadsNothing)
{
    const std::string nowhere = dir.File("no such folder/Kestrova.prefs");
    App.Language = "Deutsch";
    EXPECT_FALSE(LoadSettings(nowhere, host));
    EXPECT_EQ(App.Language, "Deutsch");  // nothing read
    EXPECT_TRUE(calls.empty());
    // The default window, centred rather than at (-1, -1).
    EXPECT_EQ(App.LargeurFenetre, 712);
    EXPECT_EQ(App.PosFenetreX, (1024 - 712) / 2);
    EXPECT_EQ(App.PosFenetreY, (768 - 600) / 2);
    EXPECT_FALSE(SaveSettings(nowhere, {}, ""));
    EXPECT_FALSE(std::filesystem::exists(dir.File("no such folder")));
}

TEST_F(SettingsFixture, SettingsPathThatIsAFolderReadsNothing)
{
    // Such a path opens but cannot be read: nothing is read and nothing is
    // created, and the caller goes on with the defaults.
    std::filesystem::create_directories(path);
    App.Language = "Deutsch";
    EXPECT_FALSE(LoadSettings(path, host));
    EXPECT_EQ(App.Language, "Deutsch");
    EXPECT_TRUE(calls.empty());
    EXPECT_TRUE(std::filesystem::is_directory(path));
}

TEST_F(SettingsFixture, ReadOnlySettingsFileIsLeftAlone)
{
    dir.Write("Kestrova.prefs", "Language = English\r\n");
    test::LockedFile lock(path);
    if (!lock.Locked())
        GTEST_SKIP() << "cannot make a file unwritable here";
    App.Language = "Deutsch";
    EXPECT_FALSE(SaveSettings(path, {}, ""));
    EXPECT_EQ(ReadAll(path), "Language = English\r\n");
}

TEST_F(SettingsFixture, HistoryDepthIsReadAndWrittenBackOnlyWhenSet)
{
    Load("Language = English\r\nHistoryDepth = 7\r\n");
    EXPECT_EQ(App.HistoryDepth, 7);
    ASSERT_TRUE(SaveSettings(path, WindowGeometry{640, 480, 0, 0}, ""));
    EXPECT_NE(ReadAll(path).find("\r\nHistoryDepth = 7\r\n"), std::string::npos) << ReadAll(path);

    Load("Language = English\r\n");
    EXPECT_EQ(App.HistoryDepth, 0);
    ASSERT_TRUE(SaveSettings(path, WindowGeometry{640, 480, 0, 0}, ""));
    EXPECT_EQ(ReadAll(path).find("HistoryDepth"), std::string::npos);
}
