// The setting "WordForms" of Kestrova.prefs: on by default, read, and
// written back only when switched off (files of earlier versions stay as
// they were); kestrova-cli relevance follows it.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include <nlohmann/json.hpp>

#include "base/app_state.h"
#include "base/settings.h"
#include "cli/cli.h"
#include "tests/support/temp_site.h"

using namespace kestrova;
using kestrova::test::ReadAll;
using kestrova::test::TempDir;

namespace {

struct WordFormsSetting : ::testing::Test {
    TempDir dir;
    std::string path = dir.File("Kestrova.prefs");
    SettingsHost host;
    void SetUp() override
    {
        host.ScreenWidth = 1024;
        host.ScreenHeight = 768;
        host.AskLanguage = [] { App.Language = "English"; };
        host.ShowInfo = [] {};
    }
    void TearDown() override { ResetAppState(); }
    bool LoadFrom(const std::string& content)
    {
        dir.Write("Kestrova.prefs", content);
        ResetAppState();
        App.WordForms = !App.WordForms;  // the file decides
        EXPECT_TRUE(LoadSettings(path, host));
        return App.WordForms;
    }
};

TEST_F(WordFormsSetting, OnByDefaultReadAndWrittenOnlyWhenOff)
{
    EXPECT_TRUE(AppState{}.WordForms);
    EXPECT_TRUE(LoadFrom("Language = English\r\n"));
    EXPECT_FALSE(LoadFrom("Language = English\r\nWordForms = 0\r\n"));
    EXPECT_TRUE(LoadFrom("Language = English\r\nwordforms = 1\r\n"));

    App.WordForms = true;
    ASSERT_TRUE(SaveSettings(path, {}, ""));
    EXPECT_EQ(ReadAll(path).find("WordForms"), std::string::npos);
    App.WordForms = false;
    ASSERT_TRUE(SaveSettings(path, {}, ""));
    EXPECT_NE(ReadAll(path).find("WordForms = 0\r\n"), std::string::npos);
    EXPECT_FALSE(LoadFrom(ReadAll(path)));
}

TEST_F(WordFormsSetting, TheRelevanceVerbFollowsTheSettingsFileOfTheCurrentFolder)
{
    const std::string page = dir.Write("site/p.htm", "<html lang=\"fr\"><head><meta name=\"keywords\" "
                                                     "content=\"voilier\"></head><body><p>voiliers voilier</p>"
                                                     "</body></html>");
    test::ScopedCurrentDir current(dir.Path());
    auto occurrences = [&] {
        std::ostringstream out, err;
        EXPECT_EQ(cli::RunCli({"relevance", page, "--format", "json"}, out, err), 0) << err.str();
        return nlohmann::json::parse(out.str())["keywords"][0]["occurrences"].get<int>();
    };
    EXPECT_EQ(occurrences(), 2);  // no settings file: word forms on
    dir.Write("Kestrova.prefs", "WordForms = 0\r\n");
    EXPECT_EQ(occurrences(), 1);
}

}  // namespace
