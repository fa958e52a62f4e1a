// The site check over the test site of tests/data/check: every rule met at
// least twice, clean pages that meet none; the three reports compared whole
// with the expected ones, and the exit statuses of the command.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <sstream>

#include "check/check_report.h"
#include "check/site_check.h"
#include "cli/check_verb.h"
#include "tests/support/engine_state.h"
#include "tests/support/temp_site.h"

namespace kestrova::test {
namespace {

const std::string DataDir = std::string(KESTROVA_TEST_DATA) + "/check";

struct CliRun {
    int Status;
    std::string Out;
    std::string Err;
};

CliRun Check(std::vector<std::string> args)
{
    args.insert(args.begin(), "check");
    std::ostringstream out, err;
    const int status = cli::CheckVerb(args, out, err);
    return {status, out.str(), err.str()};
}

class CheckGoldenTest : public EngineStateTest {
protected:
    CheckGoldenTest() : EngineStateTest("English") {}
};

TEST_F(CheckGoldenTest, ReportsMatchTheExpectedOnesWhole)
{
    ScopedCurrentDir here(DataDir);
    const CliRun text = Check({"site"});
    EXPECT_EQ(text.Status, 1);
    EXPECT_EQ(text.Out, ReadAll(DataDir + "/expected.txt"));
    EXPECT_EQ(text.Err, "");
    EXPECT_EQ(Check({"site", "--format", "json"}).Out, ReadAll(DataDir + "/expected.json"));
    EXPECT_EQ(Check({"site", "--format", "sarif"}).Out, ReadAll(DataDir + "/expected.sarif"));
    EXPECT_EQ(Check({"site", "--lang", "fr"}).Out, ReadAll(DataDir + "/expected-fr.txt"));
}

TEST_F(CheckGoldenTest, EveryRuleIsMetTwiceAndCleanPagesNever)
{
    check::CheckConfig config;
    std::string problem;
    ASSERT_TRUE(check::LoadCheckConfig(DataDir + "/site", "", config, problem)) << problem;
    check::CheckResult result;
    ASSERT_TRUE(check::CheckSite(DataDir + "/site", config, result));
    std::map<std::string, int> perRule;
    std::set<std::string> pages;
    for (const check::Finding& f : result.Findings) {
        ++perRule[f.Rule];
        pages.insert(f.Page);
    }
    for (const check::Rule& rule : check::Rules())
        EXPECT_GE(perRule[rule.Id], 2) << rule.Id;
    for (const char* clean : {"index.html", "clean/sailing.html", "clean/harbour.htm"})
        EXPECT_EQ(pages.count(clean), 0u) << clean;
    // Backups and the folder the configuration leaves out are not checked.
    for (const std::string& page : pages) {
        EXPECT_EQ(page.find("Sauvegarde"), std::string::npos) << page;
        EXPECT_FALSE(page.starts_with("drafts/")) << page;
    }
}

TEST_F(CheckGoldenTest, OneReadingThreadOrFourGiveTheSameFindings)
{
    check::CheckConfig config;
    check::CheckResult one, four;
    ASSERT_TRUE(check::CheckSite(DataDir + "/site", config, one, {}, 1));
    ASSERT_TRUE(check::CheckSite(DataDir + "/site", config, four, {}, 4));
    EXPECT_EQ(check::TextReport(one), check::TextReport(four));
    EXPECT_EQ(one.Pages, 20);  // without the site's configuration, drafts/ counts too
}

TEST_F(CheckGoldenTest, ExitStatusFollowsTheFailOnLevel)
{
    TempDir site;
    // Only notices: no viewport, short text, no keywords.
    site.Write("index.html",
               "<html lang=\"en\"><head><meta charset=\"utf-8\"><title>A page title long enough</title>"
               "<meta name=\"description\" content=\"A description that is long enough for the length rule "
               "of descriptions.\"></head><body><h1>Hello</h1></body></html>\n");
    const std::string folder = site.Path().string();
    EXPECT_EQ(Check({folder}).Status, 0);
    EXPECT_EQ(Check({folder, "--fail-on", "warning"}).Status, 0);
    const CliRun notice = Check({folder, "--fail-on", "notice"});
    EXPECT_EQ(notice.Status, 1);
    EXPECT_NE(notice.Out.find("[viewport-missing]"), std::string::npos);
    EXPECT_NE(notice.Out.find("0 error(s), 0 warning(s), 2 notice(s) in 1 page(s)"), std::string::npos) << notice.Out;
    // --only keeps the rules named.
    const CliRun only = Check({folder, "--only", "title-missing,thin-content", "--fail-on", "notice"});
    EXPECT_EQ(only.Status, 1);
    EXPECT_EQ(only.Out.find("[viewport-missing]"), std::string::npos);
    EXPECT_NE(only.Out.find("[thin-content]"), std::string::npos);
}

TEST_F(CheckGoldenTest, BadArgumentsConfigurationsAndFoldersExitWithTwo)
{
    TempDir site;
    site.Write("index.html", "<html><head><title>x</title></head></html>\n");
    const std::string folder = site.Path().string();
    EXPECT_EQ(Check({}).Status, 2);
    EXPECT_EQ(Check({folder, "--format", "xml"}).Status, 2);
    EXPECT_EQ(Check({folder, "--fail-on", "off"}).Status, 2);
    EXPECT_EQ(Check({folder, "--lang", "de"}).Status, 2);
    EXPECT_EQ(Check({folder, "--bogus"}).Status, 2);
    const CliRun unknownRule = Check({folder, "--only", "title-missing,no-such-rule"});
    EXPECT_EQ(unknownRule.Status, 2);
    EXPECT_NE(unknownRule.Err.find("no-such-rule"), std::string::npos);
    EXPECT_EQ(Check({folder, "--only", ","}).Status, 2);
    const CliRun missing = Check({folder + "/none"});
    EXPECT_EQ(missing.Status, 2);
    EXPECT_EQ(missing.Out, "");
    const CliRun noConfig = Check({folder, "--config", folder + "/none.json"});
    EXPECT_EQ(noConfig.Status, 2);

    site.Write("kestrova-check.json", "{\"rules\": {\"title-too-long\": {\"threshold\": -3}}}");
    const CliRun badValue = Check({folder});
    EXPECT_EQ(badValue.Status, 2);
    EXPECT_NE(badValue.Err.find("title-too-long"), std::string::npos) << badValue.Err;
    EXPECT_EQ(badValue.Out, "");
}

}  // namespace
}  // namespace kestrova::test
