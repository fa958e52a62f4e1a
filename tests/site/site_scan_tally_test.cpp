// The site scan keeps its page lists as numbers and writes them once at the
// end: its tables must equal, column by column, the ones written count by
// count while the pages are walked one at a time.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "analysis/word_tables.h"
#include "base/text_rules.h"
#include "base/translate.h"
#include "page/page_state.h"
#include "page/page_walker.h"
#include "site/site_scan.h"
#include "site/site_update.h"
#include "tests/support/engine_state.h"
#include "tests/support/temp_site.h"
#include "tests/support/word_table_columns.h"

using namespace kestrova;

namespace {

// Sum of the counts of an origin text "a.htm (3) / b.htm (1)".
long long SumOfCounts(const std::string& origins)
{
    long long sum = 0;
    std::size_t at = 0;
    while ((at = origins.find(" (", at)) != std::string::npos) {
        const std::size_t close = origins.find(')', at);
        sum += std::stoll(origins.substr(at + 2, close - at - 2));
        at = close;
    }
    return sum;
}

class SiteScanTallyTest : public test::EngineStateTest {
protected:
    SiteScanTallyTest() : EngineStateTest(LanguageFrench) {}

    // The site of the present case: a folder of its own below dir.
    std::string Root() const { return dir.Path().string() + "/" + site + "/"; }

    // The tables as the pages of the folder give them when each count is
    // written into the texts as it is made: every page walked in the order
    // of the folder walk, with the scan's own handler.
    test::WordTableColumns Reference()
    {
        ResetWordTables();
        WordTables.FullReported = true;
        SiteFileList.clear();
        WalkSiteFolder(Root(), "*", SiteExtensions, 0, false);
        const std::vector<std::string> pages = SplitPathList(SiteFileList);
        const WalkOptions options{.Owner = ui::MainWindowId, .ReportErrors = false, .ShowProgress = false};
        for (const std::string& path : pages) {
            Page.CurrentPagePath = path;
            Page.PageTitle.clear();
            WalkPage(path, options, SiteTextHandler);
        }
        return test::SnapshotWordTables();
    }

    // A random site: pages in several folders drawing their names from a
    // small pool (so that pages of one name share an entry), words from a
    // vocabulary with accented and plural spellings, runs of one word long
    // enough for counts of three digits, and enough distinct words in a few
    // pages to fill the table.
    void WriteRandomSite(unsigned seed, const std::vector<std::string>& names)
    {
        std::mt19937 random(seed);
        auto pick = [&](std::size_t n) { return static_cast<std::size_t>(random() % n); };
        std::vector<std::string> vocabulary;
        for (int i = 0; i < 400; ++i) {
            std::string word;
            const std::size_t length = 3 + pick(6);
            for (std::size_t j = 0; j < length; ++j)
                word += static_cast<char>('a' + pick(26));
            vocabulary.push_back(word);
            vocabulary.push_back(word + "s");               // same key, another form
            vocabulary.push_back("\xC9" + word.substr(1));  // accented capital: same key as "e..."
        }
        for (int page = 0; page < 60; ++page) {
            std::string body;
            if (page % 15 == 7) {
                // 3000 words met nowhere else: four such pages fill the table.
                for (int i = 0; i < 3000; ++i)
                    body += "u" + std::to_string(page) + "x" + std::string(1, static_cast<char>('a' + i % 26)) +
                            std::string(1, static_cast<char>('a' + i / 26 % 26)) +
                            std::string(1, static_cast<char>('a' + i / 676)) + (i % 100 == 99 ? "<br>" : " ");
            }
            const std::size_t words = 50 + pick(400);
            for (std::size_t i = 0; i < words; ++i) {
                body += vocabulary[pick(page % 2 ? 60 : vocabulary.size())];
                body += i % 17 == 0 ? "\r\n" : (i % 5 == 0 ? ", " : (i % 50 == 49 ? "</p><p>" : " "));
            }
            if (page % 10 == 3)
                for (int i = 0; i < 120; ++i)
                    body += "repeated ";
            if (page % 6 == 5) {
                // UTF-8 text: words of other scripts, escaped for the tables.
                body += " \xCE\x95\xCE\xBB\xCE\xBB\xCE\xB7\xCE\xBD\xCE\xB9\xCE\xBA\xCE\xAC "
                        "\xD0\x9A\xD0\xB8\xD1\x80\xD0\xB8\xD0\xBB\xD0\xBB\xD0\xB8\xD1\x86\xD0\xB0 "
                        "caf\xC3\xA9 \xD0\xBA\xD0\xB8\xD1\x80\xD0\xB8\xD0\xBB\xD0\xBB\xD0\xB8\xD1\x86\xD0\xB0";
            }
            // Entities joining and ending words.
            body += " caf&eacute; d&eacute;j&agrave; fin&nbsp;de&#160;page";
            std::string title;
            for (int i = 0; i < 3; ++i)
                title += vocabulary[pick(vocabulary.size())] + " ";
            // An empty title tag: the next text becomes the title.
            std::string head = page % 9 == 4 ? "<title></title></head><body><h1>" + title + "</h1>"
                                             : "<title>" + title + "</title></head><body>";
            if (page % 6 == 5)
                head = "<meta charset=\"utf-8\">" + head;
            const std::string name = names[pick(names.size())];
            const std::string folder = site + "/f" + std::to_string(page % 7) + "/g" + std::to_string(page) + "/";
            dir.Write(folder + name, "<html><head>" + head + "<p>" + body + "</p></body></html>\r\n");
            if (page % 20 == 11) {
                // Pages the walker turns down or finds empty.
                dir.Write(folder + "notes.htm", "no markup here");
                dir.Write(folder + "empty.htm", "");
            }
        }
    }

    test::TempDir dir;
    std::string site = "site";
};

// Read on this thread or on worker threads, the pages give the same tables.
TEST_F(SiteScanTallyTest, RandomSitesWithSharedNamesAndAFullTableGiveTheStepByStepTables)
{
    for (unsigned seed : {1u, 2u, 3u}) {
        for (int workers : {1, 2, 3}) {
            SCOPED_TRACE(testing::Message() << "seed " << seed << ", " << workers << " reading threads");
            site = "site" + std::to_string(seed);
            if (workers == 1)
                WriteRandomSite(seed, {"index.htm", "a.htm", "b.html", "Contact.htm", "news.php", "z"});
            const int pages = ScanSiteFolder(Root(), {}, workers);
            EXPECT_EQ(pages, 66);
            const test::WordTableColumns scanned = test::SnapshotWordTables();
            ASSERT_FALSE(scanned.Forms[WordTableRows - 1].empty()) << "the table should be full";
            for (int row = 0; row < WordTableRows; ++row)
                ASSERT_EQ(SumOfCounts(scanned.Origins[row]), scanned.Counts[row]) << "row " << row;
            int shared = 0;  // rows holding several pages
            for (const std::string& origins : scanned.Origins)
                shared += origins.find(" / ") != std::string::npos ? 1 : 0;
            EXPECT_GT(shared, 100);
            test::ExpectSameWordTables(scanned, Reference());
        }
    }
}

TEST_F(SiteScanTallyTest, NamesTheListsCouldConfuseStillGiveTheStepByStepTables)
{
    // "a.htm (2).htm" starts like the entry of "a.htm": the texts are then
    // written count by count, as they always were, from that page on.
    WriteRandomSite(4, {"a.htm", "a.htm (2).htm", "b.htm", "b (x.htm"});
    const test::WordTableColumns reference = Reference();
    for (int workers : {1, 2}) {
        SCOPED_TRACE(workers);
        ScanSiteFolder(Root(), {}, workers);
        test::ExpectSameWordTables(test::SnapshotWordTables(), reference);
    }
}

TEST_F(SiteScanTallyTest, ATableClearedAfterTheScanHoldsNoPageOfIt)
{
    WriteRandomSite(5, {"a.htm", "b.htm"});
    ScanSiteFolder(Root());
    ASSERT_FALSE(WordTables.WordOrigins[0].empty());
    ResetWordTables();
    CountWords("alpha beta alpha", "Texte", false);
    EXPECT_EQ(WordTables.WordOrigins[0], "Texte (2)");
    EXPECT_EQ(WordTables.WordOrigins[1], "Texte (1)");
    EXPECT_TRUE(WordTables.WordOrigins[2].empty());
}

}  // namespace
