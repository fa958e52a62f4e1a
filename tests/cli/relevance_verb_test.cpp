// kestrova-cli relevance: its arguments, its JSON and text reports, and its
// failures.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "cli/cli.h"
#include "tests/support/temp_site.h"

namespace {

using kestrova::test::TempDir;

class RelevanceCliTest : public ::testing::Test {
protected:
    int Run(std::vector<std::string> args)
    {
        out.str({});
        err.str({});
        return kestrova::cli::RunCli(args, out, err);
    }
    TempDir dir;
    std::ostringstream out, err;
};

// Windows-1252 page: "régate" written with its entity and as a byte.
const char SailingPage[] = "<html lang=\"fr\"><head><title>Voiliers de course</title>"
                           "<meta name=\"keywords\" content=\"voilier, r&eacute;gate\"></head>"
                           "<body><h1>La r\xE9gate</h1><p>Un voilier rapide.</p></body></html>";

TEST_F(RelevanceCliTest, JsonReportOverTheSiteFolder)
{
    const std::string page = dir.Write("site/index.htm", SailingPage);
    dir.Write("site/autre.htm", "<html><body><p>voilier lent</p></body></html>");
    dir.Write("ailleurs/x.htm", "<html><body><p>rapide</p></body></html>");
    ASSERT_EQ(Run({"relevance", page, "--format", "json"}), 0) << err.str();
    const nlohmann::json j = nlohmann::json::parse(out.str());
    EXPECT_EQ(j["language"], "fr");
    EXPECT_EQ(j["words"], 8);  // voiliers de course, la régate, un voilier rapide
    ASSERT_EQ(j["keywords"].size(), 2u);
    EXPECT_EQ(j["keywords"][0]["keyword"], "voilier");
    EXPECT_EQ(j["keywords"][0]["occurrences"], 2);
    EXPECT_EQ(j["keywords"][0]["placement"]["title"], true);
    EXPECT_EQ(j["keywords"][0]["placement"]["h1"], false);
    EXPECT_EQ(j["keywords"][0]["densityBand"], "none");
    EXPECT_EQ(j["keywords"][1]["keyword"], "r\xC3\xA9gate");  // UTF-8
    EXPECT_EQ(j["keywords"][1]["placement"]["h1"], true);
    // The site is the page's folder: two pages.
    EXPECT_EQ(j["sitePages"], 2);
    bool sawRapide = false;
    for (const auto& term : j["terms"]) {
        if (term["term"] == "rapide") {
            sawRapide = true;
            EXPECT_EQ(term["df"], 1);
            EXPECT_EQ(term["declared"], false);
        }
    }
    EXPECT_TRUE(sawRapide);
    EXPECT_TRUE(j["readability"]["score"].is_number());

    // Another site folder.
    ASSERT_EQ(Run({"relevance", page, "--site", dir.File("ailleurs"), "--format", "json"}), 0) << err.str();
    const nlohmann::json other = nlohmann::json::parse(out.str());
    EXPECT_EQ(other["sitePages"], 1);
    for (const auto& term : other["terms"]) {
        if (term["term"] == "rapide") {
            EXPECT_EQ(term["df"], 1);
        }
    }
}

TEST_F(RelevanceCliTest, AFileNameThatIsNotUtf8StillGivesJson)
{
    const std::string page = dir.Write("caf\xE9.htm", SailingPage);
    ASSERT_EQ(Run({"relevance", page, "--format", "json"}), 0) << err.str();
    const nlohmann::json j = nlohmann::json::parse(out.str());
    EXPECT_EQ(j["keywords"][0]["occurrences"], 2);
    EXPECT_NE(j["page"].get<std::string>().find("caf\xEF\xBF\xBD.htm"), std::string::npos);
}

TEST_F(RelevanceCliTest, TextReportInTheChosenLanguage)
{
    const std::string page = dir.Write("index.htm", SailingPage);
    ASSERT_EQ(Run({"relevance", page, "--lang", "fr"}), 0) << err.str();
    EXPECT_NE(out.str().find("Densit\xC3\xA9"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("  voilier: Occurrences 2"), std::string::npos) << out.str();
    ASSERT_EQ(Run({"relevance", page, "--lang", "en"}), 0);
    EXPECT_NE(out.str().find("Density"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("Readability: "), std::string::npos) << out.str();
}

TEST_F(RelevanceCliTest, BadArgumentsAndUnreadablePages)
{
    const std::string page = dir.Write("index.htm", SailingPage);
    EXPECT_EQ(Run({"relevance"}), 2);
    EXPECT_EQ(Run({"relevance", page, "--format", "xml"}), 2);
    EXPECT_EQ(Run({"relevance", page, "--lang", "de"}), 2);
    EXPECT_EQ(Run({"relevance", page, "--site"}), 2);
    EXPECT_EQ(Run({"relevance", page, "--bogus"}), 2);
    EXPECT_EQ(Run({"relevance", page, page}), 2);
    EXPECT_EQ(Run({"relevance", dir.File("missing.htm")}), 1);
    EXPECT_NE(err.str().find("missing.htm"), std::string::npos);
    EXPECT_EQ(Run({"relevance", page, "--site", dir.File("nowhere")}), 1);
    EXPECT_TRUE(out.str().empty());
}

}  // namespace
