// The parts of the site check: the configuration, the tag reader, the
// keyword matching, the places the walker gives, the page list, stopping,
// and single rules on small pages.
#include <gtest/gtest.h>

#include <filesystem>

#include "base/app_state.h"
#include "check/check_config.h"
#include "check/keyword_rules.h"
#include "check/page_facts.h"
#include "check/site_adapter.h"
#include "check/site_check.h"
#include "check/tag_reader.h"
#include "tests/support/engine_state.h"
#include "tests/support/temp_site.h"

namespace kestrova::test {
namespace {

using check::Severity;

class CheckRulesTest : public EngineStateTest {
protected:
    CheckRulesTest() : EngineStateTest("English") {}

    // The findings of one page alone in a site, as "rule@line:column".
    std::vector<std::string> FindingsOf(const std::string& html, const std::string& only = "")
    {
        TempDir site;
        site.Write("index.html", html);
        check::CheckConfig config;
        std::string problem;
        if (!only.empty()) {
            EXPECT_TRUE(config.KeepOnly({only}, problem)) << problem;
        }
        check::CheckResult result;
        EXPECT_TRUE(check::CheckSite(site.Path().string(), config, result, {}, 1));
        std::vector<std::string> found;
        for (const check::Finding& f : result.Findings)
            found.push_back(f.Rule + "@" + std::to_string(f.Line) + ":" + std::to_string(f.Column));
        return found;
    }
};

TEST_F(CheckRulesTest, ConfigurationChangesRulesAndNamesWhatIsWrong)
{
    check::CheckConfig config;
    std::string problem;
    ASSERT_TRUE(check::ApplyConfigText(R"({"rules": {"title-too-long": {"severity": "error", "threshold": 60},
        "viewport-missing": "off"}, "exclude": ["drafts/", "old/page.htm"]})",
                                       config, problem))
        << problem;
    EXPECT_EQ(config.Setting("title-too-long").Level, Severity::Error);
    EXPECT_EQ(config.Threshold("title-too-long"), 60);
    EXPECT_FALSE(config.Enabled("viewport-missing"));
    EXPECT_EQ(config.Threshold("thin-content"), 200);
    EXPECT_TRUE(config.Excluded("drafts/a.html"));
    EXPECT_TRUE(config.Excluded("drafts/deep/b.html"));
    EXPECT_TRUE(config.Excluded("old/page.htm"));
    EXPECT_FALSE(config.Excluded("old/page.html"));
    EXPECT_FALSE(config.Excluded("draftsman.html"));

    struct Bad {
        const char* Json;
        const char* Named;
    };
    for (const Bad& bad :
         {Bad{R"({"rules": {"title-to-long": "error"}})", "title-to-long"},
          Bad{R"({"rules": {"h1-missing": "fatal"}})", "h1-missing"},
          Bad{R"({"rules": {"h1-missing": {"threshold": 3}}})", "h1-missing"},
          Bad{R"({"rules": {"thin-content": {"threshold": "many"}}})", "thin-content"},
          Bad{R"({"rules": {"thin-content": {"treshold": 3}}})", "treshold"},
          Bad{R"({"rules": {"thin-content": 3}})", "thin-content"}, Bad{R"({"exclude": "drafts/"})", "exclude"},
          Bad{R"({"ignore": []})", "ignore"}, Bad{R"({"rules": )", "JSON"}}) {
        check::CheckConfig fresh;
        problem.clear();
        EXPECT_FALSE(check::ApplyConfigText(bad.Json, fresh, problem)) << bad.Json;
        EXPECT_NE(problem.find(bad.Named), std::string::npos) << bad.Json << " -> " << problem;
    }
}

TEST_F(CheckRulesTest, TagReaderTakesEveryKindOfAttribute)
{
    check::TagView tag;
    check::ReadTag("IMG class=wide  SRC = 'a b.png' alt=\"\" data-x=\"1>2\" hidden/", tag);
    EXPECT_EQ(tag.Name, "img");
    EXPECT_FALSE(tag.Closing);
    ASSERT_NE(tag.Get("src"), nullptr);
    EXPECT_EQ(*tag.Get("src"), "a b.png");
    EXPECT_EQ(*tag.Get("class"), "wide");
    ASSERT_NE(tag.Get("alt"), nullptr);
    EXPECT_EQ(*tag.Get("alt"), "");
    EXPECT_EQ(*tag.Get("data-x"), "1>2");
    EXPECT_TRUE(tag.Has("hidden"));
    check::ReadTag("/H1", tag);
    EXPECT_TRUE(tag.Closing);
    EXPECT_EQ(tag.Name, "h1");
    check::ReadTag("!-- <img src=x> --", tag);
    EXPECT_EQ(tag.Name, "!");
    EXPECT_TRUE(tag.Attributes.empty());
}

TEST_F(CheckRulesTest, KeywordsMatchPluralsAndPhrasesInOrder)
{
    EXPECT_EQ(check::KeywordParts("Blue boat-hire"), (std::vector<std::string>{"blue", "boat", "hire"}));
    EXPECT_TRUE(check::KeywordParts("blue  boat").empty());  // an empty part: never used
    EXPECT_TRUE(check::SameWord("boats", "boat"));
    EXPECT_TRUE(check::SameWord("boat", "boats"));
    EXPECT_FALSE(check::SameWord("boater", "boat"));
    EXPECT_TRUE(check::KeywordIn({"voilier"}, {"voiliers"}));
    EXPECT_FALSE(check::KeywordIn({}, {"x"}));
}

// Keyword stuffing takes the keyword relevance's numbers: the words of the
// title and the text, the keyword's other forms with word forms on, and the
// page's language from its lang attribute.
TEST_F(CheckRulesTest, KeywordStuffingCountsAsTheKeywordRelevance)
{
    std::string text;
    for (int i = 0; i < 95; ++i)
        text += std::string{'m', static_cast<char>('a' + i % 26), static_cast<char>('a' + i / 26), ' '};
    // 5 of 100 words (4 in the text, 1 in the title): 5 %, over the 4 % limit.
    const std::string page = "<html lang=\"fr\"><head><title>Voiliers</title>"
                             "<meta name=\"keywords\" content=\"voilier\"></head><body><p>" +
                             text + "voiliers voiliers voilier voiliers</p></body></html>";
    App.WordForms = true;
    EXPECT_EQ(FindingsOf(page, "keyword-stuffing").size(), 1u);
    // Without word forms only the exact word counts: 1 %.
    App.WordForms = false;
    EXPECT_TRUE(FindingsOf(page, "keyword-stuffing").empty());
    App.WordForms = true;
}

TEST_F(CheckRulesTest, PlacesCountLinesThroughScriptsAndCharactersOfUtf8Lines)
{
    // The script's lines are not handed to any handler; they still count.
    const std::string page =
        "<html lang=\"en\">\n<head>\n<script>\nvar a = \"<title>\";\n\n</script>\n"
        "<meta charset=\"utf-8\">\n</head>\n<body>\n<p>\xC3\xA9t\xC3\xA9 \xE2\x82\xAC <img src=\"a.png\">"
        "</p>\r\n<img\nsrc=\"b.png\">\n</body>\n</html>\n";
    EXPECT_EQ(FindingsOf(page, "img-alt-missing"),
              (std::vector<std::string>{"img-alt-missing@10:10", "img-alt-missing@11:1"}));
    // The same on a Windows-1252 page: one byte, one column.
    const std::string latin = "<html>\n<p>\xE9t\xE9 <img src=\"a.png\"></p>\n</html>\n";
    EXPECT_EQ(FindingsOf(latin, "img-alt-missing"), (std::vector<std::string>{"img-alt-missing@2:8"}));
}

TEST_F(CheckRulesTest, PageListLeavesOutBackupsAndPagesReachedTwice)
{
    TempDir site;
    site.Write("index.html", "<html></html>");
    site.Write("sub/page.htm", "<html></html>");
    site.Write("Sauvegarde/index.html", "<html></html>");
    site.Write("sub/Sauvegarde/page.htm", "<html></html>");
    site.Write("readme.txt", "text");
    std::filesystem::create_directory_symlink(site.Path() / "sub", site.Path() / "again");
    std::vector<std::string> pages;
    ASSERT_TRUE(check::ListSitePages(site.Path().string(), pages));
    std::vector<std::string> names;
    for (const std::string& page : pages)
        names.push_back(page.substr(site.Path().string().size() + 1));
    // "again/page.htm" is the same file as "sub/page.htm": listed once.
    ASSERT_EQ(names.size(), 2u) << ::testing::PrintToString(names);
    EXPECT_EQ(names[1], "index.html");
    EXPECT_TRUE(names[0] == "again/page.htm" || names[0] == "sub/page.htm");
    EXPECT_FALSE(check::ListSitePages(site.File("none"), pages));
}

TEST_F(CheckRulesTest, StoppingTheCheckReportsNothing)
{
    TempDir site;
    for (int i = 0; i < 30; ++i)
        site.Write("p" + std::to_string(i) + ".html", "<html><head></head><body></body></html>");
    check::CheckConfig config;
    // Stopped before the first page, on reading threads or not.
    for (int workers : {1, 3}) {
        check::CheckResult result;
        ASSERT_TRUE(check::CheckSite(
            site.Path().string(), config, result, [](int, int) { return false; }, workers));
        EXPECT_TRUE(result.Cancelled) << workers;
        EXPECT_TRUE(result.Findings.empty()) << workers;
        EXPECT_FALSE(result.Reaches(Severity::Notice));
    }
    // Stopped half-way on the calling thread.
    check::CheckResult result;
    int lastDone = -1;
    ASSERT_TRUE(check::CheckSite(
        site.Path().string(), config, result,
        [&](int done, int total) {
            EXPECT_EQ(total, 30);
            lastDone = done;
            return done < 15;
        },
        1));
    EXPECT_TRUE(result.Cancelled);
    EXPECT_EQ(lastDone, 15);
    EXPECT_TRUE(result.Findings.empty());
    // Not stopped: every page, the last call with all pages done.
    ASSERT_TRUE(check::CheckSite(
        site.Path().string(), config, result,
        [&](int done, int) {
            lastDone = done;
            return true;
        },
        3));
    EXPECT_FALSE(result.Cancelled);
    EXPECT_EQ(lastDone, 30);
    EXPECT_EQ(result.Pages, 30);
}

TEST_F(CheckRulesTest, SingleRulesOnSmallPages)
{
    // An image with src after other attributes is an image; alt="" is fine.
    EXPECT_EQ(FindingsOf("<html><img class=a src=\"x.png\"><img alt=\"\" src=\"y.png\"></html>", "img-alt-missing"),
              (std::vector<std::string>{"img-alt-missing@1:7"}));
    // Placeholders are whole words: "Todos" is no placeholder, "FIXME:" is.
    EXPECT_TRUE(FindingsOf("<html><title>Todos los barcos del club</title></html>", "placeholder-text").empty());
    EXPECT_EQ(FindingsOf("<html><title>FIXME: the club page</title></html>", "placeholder-text").size(), 1u);
    // Title length counts characters after entity decoding.
    EXPECT_TRUE(FindingsOf("<html><title>&eacute;t&eacute; &amp; hiver</title></html>", "title-too-short").empty());
    EXPECT_EQ(FindingsOf("<html><title>&eacute;t&eacute; &amp;</title></html>", "title-too-short").size(), 1u);
    // The robots words "noindex" and "none" ask not to be indexed, in any
    // case and among other words; a word that merely holds one does not.
    EXPECT_EQ(FindingsOf("<html><meta name=\"robots\" content=\"NoFollow, NOINDEX\"></html>", "robots-noindex").size(),
              1u);
    EXPECT_EQ(FindingsOf("<html><meta name=\"Robots\" content=\"none\"></html>", "robots-noindex").size(), 1u);
    EXPECT_TRUE(
        FindingsOf("<html><meta name=\"robots\" content=\"index, follow, nonefollow\"></html>", "robots-noindex")
            .empty());
    // Links to this machine, however the host is written.
    EXPECT_EQ(FindingsOf("<html><a href=\"HTTP://LocalHost:8080/\">a</a><a href=\"//127.0.0.2/x\">b</a>"
                         "<a href=\"http://localhost.example.org/\">c</a></html>",
                         "link-local-machine")
                  .size(),
              2u);
    // A link to an existing non-page file or folder is not broken; a query
    // or an escape does not hide the file.
    TempDir site;
    site.Write("doc.pdf", "%PDF");
    site.Write("sub/x.htm", "<html></html>");
    site.Write("index.html", "<html><a href=\"doc.pdf?v=1\">a</a><a href=\"sub/\">b</a><a href=\"sub%2Fx.htm\">c</a>"
                             "<a href=\"/sub/y.htm\">d</a></html>");
    check::CheckConfig config;
    std::string problem;
    ASSERT_TRUE(config.KeepOnly({"link-broken"}, problem));
    check::CheckResult result;
    ASSERT_TRUE(check::CheckSite(site.Path().string(), config, result, {}, 1));
    ASSERT_EQ(result.Findings.size(), 1u);
    EXPECT_NE(result.Findings[0].Message.find("/sub/y.htm"), std::string::npos);
}

TEST_F(CheckRulesTest, SiteWideRulesNameEveryOtherPage)
{
    TempDir site;
    std::string links;
    for (int i = 0; i < 7; ++i) {
        const std::string name = "p" + std::to_string(i) + ".html";
        site.Write(name, "<html><head><title>The same title everywhere</title></head><body><a href=\"p0.html#x\">a</a>"
                         "<p id=\"y\">text</p></body></html>");
    }
    check::CheckConfig config;
    std::string problem;
    ASSERT_TRUE(config.KeepOnly({"title-duplicate", "link-fragment-missing", "orphan-page"}, problem));
    check::CheckResult result;
    ASSERT_TRUE(check::CheckSite(site.Path().string(), config, result, {}, 2));
    int duplicates = 0, fragments = 0, orphans = 0;
    for (const check::Finding& f : result.Findings) {
        if (f.Rule == "title-duplicate") {
            ++duplicates;
            // All six others in the list; the message names five and counts the rest.
            EXPECT_EQ(f.OtherPages.size(), 6u);
            EXPECT_NE(f.Message.find(" (+1)"), std::string::npos) << f.Message;
        }
        fragments += f.Rule == "link-fragment-missing" ? 1 : 0;
        orphans += f.Rule == "orphan-page" ? 1 : 0;
    }
    EXPECT_EQ(duplicates, 7);
    // p0.html has no "x": the six other pages' links miss it; its own link
    // to itself too.
    EXPECT_EQ(fragments, 7);
    // Every page but p0.html is linked to by none.
    EXPECT_EQ(orphans, 6);
}

TEST_F(CheckRulesTest, CharsetRulesReadTheBytes)
{
    // Declared Windows-1252, but the bytes are UTF-8.
    EXPECT_EQ(FindingsOf("<html><meta charset=\"windows-1252\"><p>caf\xC3\xA9</p></html>", "charset-mismatch").size(),
              1u);
    // Declared Windows-1252 and written so.
    EXPECT_TRUE(FindingsOf("<html><meta charset=\"windows-1252\"><p>caf\xE9</p></html>", "charset-mismatch").empty());
    // Nothing declared, only ASCII: fine; a byte-order mark declares UTF-8.
    EXPECT_TRUE(FindingsOf("<html><p>cafe</p></html>", "charset-mismatch").empty());
    EXPECT_TRUE(FindingsOf("\xEF\xBB\xBF<html><p>caf\xC3\xA9</p></html>", "charset-mismatch").empty());
    EXPECT_EQ(FindingsOf("<html><p>caf\xC3\xA9</p></html>", "charset-mismatch").size(), 1u);
}

}  // namespace
}  // namespace kestrova::test
