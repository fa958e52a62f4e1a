// The document frequencies of a site: one read of the site, then only the
// pages that changed, came or went.
#include "site/site_terms.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "base/app_state.h"
#include "base/translate.h"
#include "tests/support/engine_state.h"
#include "tests/support/temp_site.h"

namespace kestrova {
namespace {

namespace fs = std::filesystem;

class SiteTermsTest : public test::EngineStateTest {
protected:
    SiteTermsTest() : EngineStateTest(LanguageFrench) {}
    SiteTermIndex::Settings Settings(int workers = 0) const
    {
        return SiteTermIndex::Settings{RelevanceLanguage::French, true, App.UsualWords, workers};
    }
    static std::string Html(const std::string& body) { return "<html><body><p>" + body + "</p></body></html>"; }
    test::TempDir dir;
};

TEST_F(SiteTermsTest, CountsThePagesHoldingEachTerm)
{
    dir.Write("a.htm", Html("voilier voilier bateau"));
    dir.Write("b.htm", Html("bateaux et port"));
    dir.Write("sous/c.html", Html("port mer"));
    dir.Write("notes.txt", Html("voilier"));         // not a page
    dir.Write(".cache.htm", Html("voilier"));        // hidden
    dir.Write("Sauvegarde/a.htm", Html("voilier"));  // a backup
    SiteTermIndex index;
    EXPECT_EQ(index.Refresh(dir.Path().string(), Settings()), 3);
    EXPECT_EQ(index.Pages(), 3);
    EXPECT_EQ(index.Frequency("voili"), 1);
    EXPECT_EQ(index.Frequency("bateau"), 2);  // bateau and bateaux share a form
    EXPECT_EQ(index.Frequency("port"), 2);
    EXPECT_EQ(index.Frequency("voili bateau"), 1);
    EXPECT_EQ(index.Frequency("et"), 0);  // a usual word is no term
    EXPECT_EQ(index.Frequency("absent"), 0);
}

TEST_F(SiteTermsTest, ReadsAgainOnlyWhatChanged)
{
    dir.Write("a.htm", Html("voilier bateau"));
    const std::string b = dir.Write("b.htm", Html("bateau port"));
    SiteTermIndex index;
    const std::string folder = dir.Path().string();
    EXPECT_EQ(index.Refresh(folder, Settings()), 2);
    EXPECT_EQ(index.Refresh(folder, Settings()), 0);  // nothing changed: nothing read

    // A page rewritten with another size.
    dir.Write("b.htm", Html("voilier port et mer"));
    EXPECT_EQ(index.Refresh(folder, Settings()), 1);
    EXPECT_EQ(index.Frequency("voili"), 2);
    EXPECT_EQ(index.Frequency("bateau"), 1);
    EXPECT_EQ(index.Frequency("mer"), 1);

    // Same size, another modification time.
    dir.Write("b.htm", Html("voilier port et sel"));
    fs::last_write_time(b, fs::last_write_time(b) + std::chrono::seconds(5));
    EXPECT_EQ(index.Refresh(folder, Settings()), 1);
    EXPECT_EQ(index.Frequency("mer"), 0);
    EXPECT_EQ(index.Frequency("sel"), 1);

    // A page gone and a page new.
    fs::remove(b);
    dir.Write("c.htm", Html("bateau"));
    EXPECT_EQ(index.Refresh(folder, Settings()), 1);
    EXPECT_EQ(index.Pages(), 2);
    EXPECT_EQ(index.Frequency("voili"), 1);
    EXPECT_EQ(index.Frequency("bateau"), 2);
    EXPECT_EQ(index.Frequency("port"), 0);

    // Other settings start afresh.
    SiteTermIndex::Settings exact = Settings();
    exact.WordForms = false;
    EXPECT_EQ(index.Refresh(folder, exact), 2);
    EXPECT_EQ(index.Frequency("voilier"), 1);
    EXPECT_EQ(index.Frequency("voili"), 0);
}

TEST_F(SiteTermsTest, TheSameFrequenciesOnOneThreadOrMany)
{
    for (int i = 0; i < 40; ++i)
        dir.Write("p" + std::to_string(i) + ".htm",
                  Html("commun mot" + std::to_string(i % 7) + "x voilier" + (i % 3 == 0 ? " rare" : "")));
    SiteTermIndex one, many;
    int reported = 0;
    EXPECT_EQ(one.Refresh(dir.Path().string(), Settings(1)), 40);
    EXPECT_EQ(many.Refresh(dir.Path().string(), Settings(4),
                           [&](int done, int total) {
                               EXPECT_LE(done, total);
                               EXPECT_EQ(total, 40);
                               ++reported;
                           }),
              40);
    EXPECT_GE(reported, 1);
    WordFormMatcher matcher(RelevanceLanguage::French, true);
    const std::string commun = matcher.Key("commun"), rare = matcher.Key("rare"), mot = matcher.Key("mot3x"),
                      voilier = matcher.Key("voilier");
    for (const std::string& key : {commun, rare, voilier, mot, commun + " " + mot, mot + " " + voilier})
        EXPECT_EQ(one.Frequency(key), many.Frequency(key)) << key;
    EXPECT_EQ(many.Frequency(commun), 40);
    EXPECT_EQ(many.Frequency(rare), 14);
    EXPECT_EQ(many.Frequency(mot), 6);
    EXPECT_EQ(many.Frequency(mot + " " + voilier), 6);
}

TEST_F(SiteTermsTest, SeesChangesWithoutListingWhenNothingChanged)
{
    // Changes come through the folder watch: a page replaced by a rename
    // (as a change of a page replaces it), a page in a new subfolder.
    dir.Write("a.htm", Html("voilier"));
    SiteTermIndex index;
    const std::string folder = dir.Path().string();
    EXPECT_EQ(index.Refresh(folder, Settings()), 1);
    dir.Write("tmp.part", Html("bateau"));
    fs::rename(dir.File("tmp.part"), dir.File("a.htm"));
    EXPECT_EQ(index.Refresh(folder, Settings()), 1);
    EXPECT_EQ(index.Frequency("voili"), 0);
    EXPECT_EQ(index.Frequency("bateau"), 1);
    dir.Write("neuf/b.htm", Html("bateau"));
    EXPECT_EQ(index.Refresh(folder, Settings()), 1);
    EXPECT_EQ(index.Frequency("bateau"), 2);
    dir.Write("neuf/c.htm", Html("bateau"));
    EXPECT_EQ(index.Refresh(folder, Settings()), 1);
    EXPECT_EQ(index.Frequency("bateau"), 3);
    EXPECT_EQ(index.Refresh(folder, Settings()), 0);
}

TEST_F(SiteTermsTest, AFolderWithoutPagesOrMissing)
{
    SiteTermIndex index;
    EXPECT_EQ(index.Refresh(dir.Path().string(), Settings()), 0);
    EXPECT_EQ(index.Pages(), 0);
    EXPECT_EQ(index.Refresh(dir.File("missing"), Settings()), 0);
    EXPECT_EQ(index.Pages(), 0);
    EXPECT_TRUE(ListSitePageFiles("").empty());
}

}  // namespace
}  // namespace kestrova
