// Where the program keeps its files: portable beside itself, installed in
// the user's folders.
#include "base/program_folders.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <map>

#include "analysis/online_page.h"
#include "page/page_state.h"
#include "tests/support/engine_state.h"
#include "tests/support/temp_site.h"

namespace kestrova {
namespace {

namespace fs = std::filesystem;
using test::ReadAll;

EnvironmentLookup Environment(std::map<std::string, std::string> values)
{
    return [values](const char* name) {
        auto it = values.find(name);
        return it == values.end() ? std::string() : it->second;
    };
}

class ProgramFoldersTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        UseProgramFolders({});
        for (const fs::path& folder : readOnly_)
            fs::permissions(folder, fs::perms::owner_all, fs::perm_options::add);
    }
    void MakeReadOnly(const fs::path& folder)
    {
        readOnly_.push_back(folder);
        fs::permissions(folder, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                        fs::perm_options::remove);
    }

    test::TempDir dir;
    std::vector<fs::path> readOnly_;
};

TEST_F(ProgramFoldersTest, AWritableProgramFolderWithItsDataIsPortable)
{
    dir.Write("dist/Datas/logo_m.gif", "GIF");
    const std::string program = dir.File("dist");
    const ProgramFolders folders = ChooseProgramFolders(program, Environment({{"HOME", dir.File("home")}}));
    EXPECT_FALSE(folders.Installed);
    EXPECT_EQ(folders.Settings, program + "/");
    EXPECT_EQ(folders.State, program + "/");
    EXPECT_EQ(folders.Cache, program + "/");
    EXPECT_EQ(folders.Data, program + "/");

    // Nothing set: the current folder, under the names of old.
    EXPECT_EQ(SettingsFilePath(), "Kestrova.prefs");
    EXPECT_EQ(TempPageFilePath(), "temp.htm");
    EXPECT_EQ(DataFilePath("Datas/logo_m.gif"), "Datas/logo_m.gif");
}

TEST_F(ProgramFoldersTest, AnInstalledCopyUsesTheUsersFolders)
{
    dir.Write("usr/share/kestrova/Datas/logo_m.gif", "GIF");
    fs::create_directories(dir.Path() / "usr/bin");
    const std::string bin = dir.File("usr/bin");
    const std::string home = dir.File("home");

    // Even when bin/ can be written (a user's own prefix, or root): nothing
    // goes beside the program.
    ProgramFolders folders = ChooseProgramFolders(bin, Environment({{"HOME", home}}));
    EXPECT_TRUE(folders.Installed);
    EXPECT_EQ(folders.Data, dir.File("usr/share/kestrova") + "/");
    EXPECT_EQ(folders.Settings, home + "/.config/kestrova/");
    EXPECT_EQ(folders.State, home + "/.local/share/kestrova/");
    EXPECT_EQ(folders.Cache, home + "/.cache/kestrova/");

    // The XDG variables win when absolute; relative ones are ignored.
    folders = ChooseProgramFolders(bin, Environment({{"HOME", home},
                                                     {"XDG_CONFIG_HOME", "/x/config"},
                                                     {"XDG_DATA_HOME", "relative/data"},
                                                     {"XDG_CACHE_HOME", "/x/cache/"}}));
    EXPECT_EQ(folders.Settings, "/x/config/kestrova/");
    EXPECT_EQ(folders.State, home + "/.local/share/kestrova/");
    EXPECT_EQ(folders.Cache, "/x/cache/kestrova/");

    ASSERT_TRUE(CreateProgramFolders(ChooseProgramFolders(bin, Environment({{"HOME", home}}))));
    for (const char* folder : {".config/kestrova", ".local/share/kestrova", ".cache/kestrova"}) {
        struct stat st {};
        ASSERT_EQ(::stat((home + "/" + folder).c_str(), &st), 0) << folder;
        EXPECT_EQ(st.st_mode & 0777, 0700u) << folder;
    }

    UseProgramFolders(ChooseProgramFolders(bin, Environment({{"HOME", home}})));
    EXPECT_EQ(SettingsFilePath(), home + "/.config/kestrova/Kestrova.prefs");
    EXPECT_EQ(TempPageFilePath(), home + "/.cache/kestrova/temp.htm");
    EXPECT_EQ(DataFilePath("Aide Pellworth/AidePellworth.htm"),
              dir.File("usr/share/kestrova") + "/Aide Pellworth/AidePellworth.htm");
}

TEST_F(ProgramFoldersTest, AProgramFolderThatCannotBeWrittenIsInstalled)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root writes every folder";
    dir.Write("opt/kestrova/Datas/logo_m.gif", "GIF");
    MakeReadOnly(dir.Path() / "opt/kestrova");
    const ProgramFolders folders =
        ChooseProgramFolders(dir.File("opt/kestrova"), Environment({{"HOME", dir.File("home")}}));
    EXPECT_TRUE(folders.Installed);
    EXPECT_EQ(folders.Settings, dir.File("home") + "/.config/kestrova/");

    // A home that cannot take the folders is reported.
    fs::create_directories(dir.Path() / "locked");
    MakeReadOnly(dir.Path() / "locked");
    EXPECT_FALSE(CreateProgramFolders(
        ChooseProgramFolders(dir.File("opt/kestrova"), Environment({{"HOME", dir.File("locked")}}))));
}

class OnlinePageFolderTest : public test::EngineStateTest {
protected:
    OnlinePageFolderTest() : EngineStateTest("English") {}
    void TearDown() override
    {
        UseProgramFolders({});
        EngineStateTest::TearDown();
    }
    test::TempDir dir;
};

TEST_F(OnlinePageFolderTest, TheOnlinePageIsKeptInTheCacheFolder)
{
    fs::create_directories(dir.Path() / "cache");
    ProgramFolders folders = PortableFolders(dir.File("work"));
    folders.Cache = dir.File("cache") + "/";
    UseProgramFolders(folders);
    Page.CurrentPagePath = "http://127.0.0.1:1/page.htm";
    const AnalysisResult result = AnalyseOnlinePage(
        [](const std::string&) { return std::string("<html><head><title>En ligne</title></head><body>mot</body>"); });
    EXPECT_TRUE(result.Ok);
    EXPECT_EQ(Page.CurrentPagePath, dir.File("cache") + "/temp.htm");
    EXPECT_NE(ReadAll(dir.File("cache/temp.htm")).find("En ligne"), std::string::npos);
    EXPECT_FALSE(fs::exists(dir.Path() / "work"));
}

TEST_F(ProgramFoldersTest, TheSampleSiteIsCopiedOnceAndWritable)
{
    dir.Write("share/Exemple/index.html", "<html>accueil</html>");
    dir.Write("share/Exemple/images/a.gif", "GIF");
    MakeReadOnly(dir.Path() / "share/Exemple/images");
    fs::permissions(dir.Path() / "share/Exemple/index.html", fs::perms::owner_read, fs::perm_options::replace);
    fs::create_directories(dir.Path() / "data");

    const std::string home = CopySampleSite(dir.File("share/Exemple"), dir.File("data"));
    EXPECT_EQ(home, dir.File("data/Exemple/index.html"));
    EXPECT_EQ(ReadAll(home), "<html>accueil</html>");
    EXPECT_EQ(ReadAll(dir.File("data/Exemple/images/a.gif")), "GIF");
    auto ownerWrites = [](const std::string& path) {
        return (fs::status(path).permissions() & fs::perms::owner_write) != fs::perms::none;
    };
    EXPECT_TRUE(ownerWrites(home));
    EXPECT_TRUE(ownerWrites(dir.File("data/Exemple/images")));

    // The user's changes are never overwritten by a second offer.
    dir.Write("data/Exemple/index.html", "<html>changed</html>");
    EXPECT_EQ(CopySampleSite(dir.File("share/Exemple"), dir.File("data")), home);
    EXPECT_EQ(ReadAll(home), "<html>changed</html>");

    EXPECT_EQ(CopySampleSite(dir.File("nothing-here"), dir.File("other")), "");
    EXPECT_FALSE(fs::exists(dir.Path() / "other" / "Exemple" / "index.html"));
}

}  // namespace
}  // namespace kestrova
