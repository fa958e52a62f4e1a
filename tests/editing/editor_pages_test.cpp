// The page logic of the editors: the match order of the engine, the meta
// tag catalogue, the page's images and alt texts, renaming an image across
// the site, and the places of a word.
#include <gtest/gtest.h>

#include <filesystem>

#include "base/app_state.h"
#include "base/translate.h"
#include "editing/image_rename.h"
#include "editing/meta_catalogue.h"
#include "editing/page_images.h"
#include "editing/rewrite_engine.h"
#include "editing/sentence_rows.h"
#include "page/page_state.h"
#include "tests/editing/rewrite_fixture.h"

namespace kestrova {
namespace {

namespace fs = std::filesystem;
using test::ReadAll;
using test::RewriteFixture;

const auto W = ui::MainWindowId;

std::string Wrap(const std::string& body, const std::string& head = "")
{
    return "<html><head><title>Promo titre</title>" + head + "</head><body>" + body + "</body></html>";
}

// ---- match order ----

TEST_F(RewriteFixture, MatchesAfterALongPieceAreFoundInPageOrder)
{
    // A long text run, then a short tag and run holding the word again.
    UsePage(Wrap("<p>" + std::string(80, 'x') + " promo</p><b>promo</b>"));
    std::vector<std::string> lines;
    Edit.LastMatchPosition = 0;
    for (std::string line; !(line = EditText(W, OpListe, "promo", "")).empty(); Edit.LastMatchPosition += 1)
        lines.push_back(line);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1], "PROMO");

    // A long tag before a short one: both alt texts are listed.
    UsePage(Wrap(R"(<img src="b.gif" title=")" + std::string(80, 'x') + R"(" alt="A"><img src="c.gif" alt="B">)"));
    std::vector<std::string> alts;
    Edit.LastMatchPosition = 0;
    for (std::string a; !(a = EditAttribute(W, OpListe, AltDesignator, "")).empty(); Edit.LastMatchPosition += 1)
        alts.push_back(a);
    EXPECT_EQ(alts, (std::vector<std::string>{"alt|A", "alt|B"}));

    // And the second run is the one a cursor past the first one replaces.
    UsePage(Wrap("<p>" + std::string(80, 'x') + " promo</p><b>promo</b>"));
    Edit.LastMatchPosition = 0;
    EditText(W, OpListe, "promo", "");
    Edit.LastMatchPosition += 1;
    EXPECT_FALSE(EditText(W, OpToutRemplacer, "promo", "soldes").empty());
    EXPECT_EQ(PageBytes(), Wrap("<p>" + std::string(80, 'x') + " promo</p><b>soldes</b>"));
}

// ---- meta tags ----

TEST_F(RewriteFixture, MetaCatalogueListsWhatThePageHolds)
{
    ASSERT_EQ(std::string(MetaTagCatalogue[0].Name), "Author");
    ASSERT_EQ(std::string(MetaTagCatalogue[MetaTagCount - 1].Name), "Content-Type");
    ASSERT_NE(FindMetaTag("Owner"), nullptr);
    EXPECT_STREQ(FindMetaTag("Owner")->Help, FindMetaTag("Author")->Help);
    EXPECT_EQ(FindMetaTag("owner"), nullptr);  // names are exact

    UsePage(Wrap("x", R"(<meta name="Author" content="Jean Exemple"><meta name="Robots" content="">)"
                      R"(<META NAME="Description" CONTENT="Caf&eacute;">)"));
    const auto rows = ListMetaTags(W);
    ASSERT_EQ(rows.size(), static_cast<std::size_t>(MetaTagCount));
    EXPECT_TRUE(rows[0].Exists);
    EXPECT_EQ(rows[0].Content, "Jean Exemple");
    EXPECT_FALSE(rows[1].Exists);  // Owner
    const MetaTagRow& robots = rows[13];
    EXPECT_EQ(robots.Name, "Robots");
    EXPECT_TRUE(robots.Exists);
    EXPECT_EQ(robots.Content, "");
    EXPECT_EQ(rows[5].Content, "Caf\xE9");
    EXPECT_EQ(FirstMissingMetaRow(rows), 1);
    EXPECT_TRUE(Questions().empty());  // reading never asks
}

TEST_F(RewriteFixture, SavingATagWritesItAndReadsItBack)
{
    const std::string page = UsePage(Wrap("x", R"(<meta name="robots" content="index">)"));
    MetaTagRow row{"Robots", true, "index"};
    EXPECT_TRUE(SaveMetaTag(W, "Robots", "", row));
    EXPECT_TRUE(row.Exists);
    EXPECT_EQ(row.Content, "");
    EXPECT_EQ(PageBytes(), Wrap("x", R"(<meta name="robots" content="">)"));
    EXPECT_EQ(JournalLines().size(), 1u);

    // A missing tag the user chooses not to create stays missing.
    MetaTagRow author{"Author", false, ""};
    ui_.NextAnswers = {ui::YesNoAll::No};
    EXPECT_FALSE(SaveMetaTag(W, "Author", "Jean Exemple", author));
    EXPECT_FALSE(author.Exists);
    EXPECT_EQ(Questions().size(), 1u);
}

TEST_F(RewriteFixture, SiteWideMetaMessageAndPages)
{
    const std::string longText(120, 'a');
    const std::string message = SiteWideMetaMessage("Robots", longText);
    EXPECT_EQ(message,
              "General update for tag ''Robots''\n\nNew content:\n''" + std::string(100, 'a') + "...''\n\nFolder:");
    EXPECT_EQ(SplitPageList("a\rb c\r\rd"), (std::vector<std::string>{"a", "b c", "d"}));

    const std::string a = UsePage(Wrap("a", R"(<meta name="robots" content="index">)"), "a.htm");
    const std::string b = UsePage(Wrap("b"), "b.htm");
    const std::string c = UsePage(Wrap("c"), "c.htm");
    Page.CurrentPagePath = a;
    ui_.NextAnswers = {ui::YesNoAll::YesToAll};
    EXPECT_TRUE(SaveMetaTagOnPages(W, a + "\r" + b + "\r" + c + "\r", "Robots", "noindex"));
    EXPECT_EQ(Page.CurrentPagePath, a);
    EXPECT_EQ(Questions().size(), 1u);  // "Oui pour toutes" covers c
    for (const std::string& p : {a, b, c})
        EXPECT_NE(ReadAll(p).find(R"(content="noindex")"), std::string::npos) << p;
    EXPECT_EQ(JournalLines().size(), 3u);
    // b and c were changed twice (tag created, then filled): one line each.
    EXPECT_TRUE(fs::exists(BackupPath("b.htm")));

    // "Oui pour toutes" ended with its batch: a later edit of a page without
    // the tag asks again, and a "Non" leaves the page alone.
    const std::string d = UsePage(Wrap("d"), "d.htm");
    Page.CurrentPagePath = d;
    ui_.NextAnswers = {ui::YesNoAll::No};
    EditMeta(W, OpToutRemplacer, "noindex", "Robots");
    EXPECT_EQ(Questions().size(), 2u);
    EXPECT_EQ(ReadAll(d), Wrap("d"));
}

// ---- images ----

TEST_F(RewriteFixture, ImagesWithTheirAltTexts)
{
    // Every img with a src, wherever the src stands; each image's alt is
    // the alt of its own tag.
    UsePage(Wrap(R"(<img alt="Premier" src="a.gif"><img src="images/logo.gif" alt="Logo"><img src="x.gif">)"
                 R"(<img alt="Avant" src="b.gif"><table background="fond.jpg"><img src="c.gif" alt="">)"));
    const auto images = ListPageImages(W);
    ASSERT_EQ(images.size(), 6u);
    EXPECT_EQ(images[0].Reference, "a.gif");
    EXPECT_EQ(images[0].Alt, "Premier");
    EXPECT_EQ(images[1].Reference, "images/logo.gif");
    EXPECT_EQ(images[1].Alt, "Logo");
    EXPECT_EQ(images[2].Reference, "x.gif");
    EXPECT_EQ(images[2].Alt, "");
    EXPECT_EQ(images[3].Reference, "b.gif");
    EXPECT_EQ(images[3].Alt, "Avant");
    EXPECT_EQ(images[4].Reference, "fond.jpg");
    EXPECT_EQ(images[4].Alt, "");
    EXPECT_EQ(images[5].Reference, "c.gif");
    EXPECT_EQ(images[5].Alt, "");
    EXPECT_EQ(images[1].ImageStart, images[0].ImageEnd + 1);
}

TEST_F(RewriteFixture, AltGoesToTheSecondOfTwoIdenticalImagesOnly)
{
    UsePage(Wrap(R"(<img src="logo.gif"><p>x</p><img src="logo.gif" width=10>)"));
    auto images = ListPageImages(W);
    ASSERT_EQ(images.size(), 2u);
    EXPECT_TRUE(SavePageImageAlt(W, images, 1, "Notre \"logo\""));
    EXPECT_EQ(images[1].Alt, "Notre \"logo\"");
    EXPECT_EQ(PageBytes(),
              Wrap(R"(<img src="logo.gif"><p>x</p><img src="logo.gif" alt="Notre &quot;logo&quot;"  width=10>)"));
    EXPECT_EQ(JournalLines().size(), 1u);
    EXPECT_FALSE(SavePageImageAlt(W, images, 2, "x"));
}

TEST(PageImageFiles, LocalFilesAndFullAddresses)
{
    EXPECT_EQ(LocalImageFile("/s/sub/p.htm", "../img/logo.gif"), "/s/img/logo.gif");
    EXPECT_EQ(LocalImageFile("/s/p.htm", "img\\logo.gif"), "/s/img/logo.gif");
    EXPECT_EQ(LocalImageFile("/s/p.htm", "/img/logo.gif"), "/s/img/logo.gif");
    EXPECT_EQ(LocalImageFile("/s/p.htm", "http://example.com/a.gif"), "");
    EXPECT_EQ(LocalImageFile("/s/p.htm", "WWW.example.com/a.gif"), "");
    EXPECT_TRUE(IsFullAddress("www.example.com/a.gif"));
    EXPECT_FALSE(IsFullAddress("images/www_a.gif"));
}

// ---- renaming ----

class RenameTest : public RewriteFixture {
protected:
    void SetUp() override
    {
        RewriteFixture::SetUp();
        logo = dir_.Write("site/img/logo.gif", "GIF89a-logo");
        dir_.Write("site/sub/img/logo.gif", "GIF89a-other");
        sub = UsePage(Wrap(R"(<img src="../img/logo.gif"><img src="img/logo.gif">)"), "sub/p.htm");
        far = UsePage(Wrap(R"(<img src="http://www.example.com/img/logo.gif">)"), "far.htm");
        home = UsePage(Wrap(R"(<img src="img/logo.gif" alt="Logo"><p>x</p><img src="img/logo.gif">)"));
    }

    std::string Messages() const
    {
        std::string all;
        for (const auto& m : ui_.Messages())
            all += m.Text + "|";
        return all;
    }

    std::string logo, sub, far, home;
};

TEST_F(RenameTest, CancelledSiteChoiceChangesTheCurrentPageOnly)
{
    std::string askedImage, askedMessage;
    auto cancel = [&](const std::string& message, const std::string& image) {
        askedMessage = message;
        askedImage = image;
        return std::string();
    };
    Edit.LastMatchPosition = 0;
    RenameReport report;
    EXPECT_EQ(RenameImage(W, "img/logo2.gif", "img/logo.gif", cancel, "", &report), 1);
    EXPECT_EQ(askedMessage, "img/logo.gif\nwill be renamed as\nimg/logo2.gif\n");
    EXPECT_EQ(askedImage, logo);
    EXPECT_EQ(PageBytes(), Wrap(R"(<img src="img/logo2.gif" alt="Logo"><p>x</p><img src="img/logo.gif">)"));
    EXPECT_TRUE(fs::exists(logo));
    EXPECT_FALSE(report.FileRenamed);
    EXPECT_EQ(Messages(), "Rename your picture to be sure that it will be posted!|");
    EXPECT_EQ(JournalLines().size(), 1u);
}

TEST_F(RenameTest, SiteWideRenamingFollowsEachPagesFolder)
{
    const std::string subBefore = ReadAll(sub);
    auto all = [&](const std::string&, const std::string&) { return home + "\r" + sub + "\r" + far + "\r"; };
    Edit.LastMatchPosition = 0;
    RenameReport report;
    EXPECT_EQ(RenameImage(W, "img/logo2.gif", "img/logo.gif", all, "", &report), 2);
    EXPECT_TRUE(report.FileRenamed);
    EXPECT_EQ(Page.CurrentPagePath, home);
    EXPECT_EQ(PageBytes(), Wrap(R"(<img src="img/logo2.gif" alt="Logo"><p>x</p><img src="img/logo2.gif">)"));
    // From sub/ the same file is ../img/; sub/img/logo.gif is another file.
    EXPECT_EQ(ReadAll(sub), Wrap(R"(<img src="../img/logo2.gif"><img src="img/logo.gif">)"));
    EXPECT_EQ(ReadAll(dir_.File("site/sub/Sauvegarde/p.htm")), subBefore);
    EXPECT_EQ(ReadAll(far), Wrap(R"(<img src="http://www.example.com/img/logo.gif">)"));
    EXPECT_FALSE(fs::exists(logo));
    EXPECT_EQ(ReadAll(dir_.File("site/img/logo2.gif")), "GIF89a-logo");
    EXPECT_EQ(Messages(), "");
    EXPECT_EQ(JournalLines().size(), 2u);  // home and sub, far unchanged
}

TEST_F(RenameTest, FullAddressesAreComparedAsWritten)
{
    Page.CurrentPagePath = far;
    auto all = [&](const std::string&, const std::string&) { return home + "\r" + far + "\r"; };
    Edit.LastMatchPosition = 0;
    // The page's only use is replaced before the site pass, which finds no
    // other one there.
    EXPECT_EQ(RenameImage(W, "http://www.example.com/img/new.gif", "http://www.example.com/img/logo.gif", all), 1);
    EXPECT_EQ(ReadAll(far), Wrap(R"(<img src="http://www.example.com/img/new.gif">)"));
    EXPECT_EQ(ReadAll(home), Wrap(R"(<img src="img/logo.gif" alt="Logo"><p>x</p><img src="img/logo.gif">)"));
    EXPECT_TRUE(fs::exists(logo));
}

TEST_F(RenameTest, RefusalsComeBeforeAnyChange)
{
    const std::string before = PageBytes();
    dir_.Write("site/img/taken.gif", "GIF89a-taken");
    int asked = 0;
    auto all = [&](const std::string&, const std::string&) {
        ++asked;
        return home + "\r";
    };
    struct Case {
        std::string NewSrc;
        const char* Key;
    };
    for (const Case& c : {Case{"/tmp/logo.gif", RenameOutsideSite}, Case{"../../logo.gif", RenameOutsideSite},
                          Case{"nofolder/logo.gif", RenameNoFolder}}) {
        SCOPED_TRACE(c.NewSrc);
        ui_.Clear();
        Edit.LastMatchPosition = 0;
        RenameReport report;
        EXPECT_EQ(RenameImage(W, c.NewSrc, "img/logo.gif", all, "", &report), 0);
        EXPECT_TRUE(report.Refused);
        ASSERT_EQ(ui_.Messages().size(), 1u);
        EXPECT_EQ(ui_.Messages()[0].Text, TranslateFrenchKey(c.Key) + "\n" + c.NewSrc);
    }
    EXPECT_EQ(asked, 0);
    EXPECT_EQ(PageBytes(), before);
    EXPECT_TRUE(JournalLines().empty());
    EXPECT_EQ(ReadAll(dir_.File("site/img/taken.gif")), "GIF89a-taken");
    EXPECT_TRUE(fs::exists(logo));
}

TEST_F(RenameTest, AFailedFileRenameIsReported)
{
    fs::create_directory(dir_.File("site/img2"));
    // The folder disappears while the user chooses the pages.
    auto vanish = [&](const std::string&, const std::string&) {
        fs::remove(dir_.File("site/img2"));
        return home + "\r";
    };
    Edit.LastMatchPosition = 0;
    RenameReport report;
    EXPECT_EQ(RenameImage(W, "img2/logo.gif", "img/logo.gif", vanish, "", &report), 2);
    EXPECT_TRUE(report.RenameFailed);
    ASSERT_EQ(ui_.Messages().size(), 1u);
    EXPECT_EQ(ui_.Messages()[0].Text.rfind(TranslateFrenchKey(RenameFailed) + "\nimg/logo.gif -> img2/logo.gif\n", 0),
              0u);
    EXPECT_TRUE(fs::exists(logo));
}

TEST_F(RenameTest, AReferenceThatIsNotThereAnyMoreChangesNothing)
{
    Edit.LastMatchPosition = 0;
    int asked = 0;
    auto all = [&](const std::string&, const std::string&) {
        ++asked;
        return home + "\r";
    };
    EXPECT_EQ(RenameImage(W, "img/new.gif", "img/gone.gif", all), 0);
    EXPECT_EQ(asked, 0);
    EXPECT_EQ(Messages(), "Rename your picture to be sure that it will be posted!|");
    EXPECT_TRUE(JournalLines().empty());
}

// ---- sentences ----

TEST_F(RewriteFixture, SentenceRowsOfEachKind)
{
    UsePage(Wrap(R"(<p>Le caf&eacute; du <b>village</b></p><img src="village.gif" alt="Un village">)",
                 R"(<meta name="keywords" content="village, caf&eacute;">)"));
    const auto rows = BuildSentenceRows(W, "village");
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0].Kind, SentenceKind::Text);
    EXPECT_EQ(rows[0].Extract, "VILLAGE");  // the run "village" only
    EXPECT_EQ(rows[1].Kind, SentenceKind::Image);
    EXPECT_EQ(rows[1].Origin, "img src");
    EXPECT_EQ(rows[1].Extract, "village.gif");
    EXPECT_EQ(rows[2].Kind, SentenceKind::Alt);
    EXPECT_EQ(rows[2].Extract, "Un village");
    EXPECT_EQ(rows[3].Kind, SentenceKind::Meta);
    EXPECT_EQ(rows[3].Origin, "Keywords");
    EXPECT_EQ(rows[3].Extract, "VILLAGE, caf\xE9");

    const auto cafe = BuildSentenceRows(W, "caf\xE9");
    ASSERT_EQ(cafe.size(), 2u);
    EXPECT_EQ(cafe[0].Extract, "le CAF\xC9 du ");
    const SentenceField field = LoadSentenceRow(W, cafe, 0, "caf\xE9");
    EXPECT_EQ(field.Text, "Le caf\xE9 du ");
    EXPECT_TRUE(field.Select);
    EXPECT_EQ(field.SelectionStart, 4);
    EXPECT_EQ(field.SelectionEnd, 8);
    const SentenceField meta = LoadSentenceRow(W, cafe, 1, "caf\xE9");
    EXPECT_EQ(meta.Text, "village, caf\xE9");
    EXPECT_EQ(meta.CaptionKey, "Liste de mots cl\xE9s.");
    EXPECT_TRUE(BuildSentenceRows(W, "titre").empty());  // never the title
}

TEST_F(RewriteFixture, TextSaveKeepsTheRowOnItsOwnRun)
{
    UsePage(Wrap("<p>Voir la promo de pr\xE8s</p><p>Promo de printemps</p>"));
    auto rows = BuildSentenceRows(W, "promo");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_TRUE(SaveSentenceRow(W, rows, 1, "Soldes de printemps", nullptr));
    EXPECT_EQ(rows[1].Extract, "Soldes de printemps");
    EXPECT_EQ(rows[1].Word, "de");
    // The first run holds "de" after its match: a second save still takes
    // this run.
    EXPECT_TRUE(SaveSentenceRow(W, rows, 1, "Soldes d'hiver", nullptr));
    EXPECT_EQ(PageBytes(), Wrap("<p>Voir la promo de pr\xE8s</p><p>Soldes d'hiver</p>"));
    // A text that keeps the word keeps the row's word.
    EXPECT_TRUE(SaveSentenceRow(W, rows, 0, "Voir la promo", nullptr));
    EXPECT_EQ(rows[0].Extract, "voir la PROMO");
    EXPECT_EQ(rows[0].Word, "promo");
    EXPECT_FALSE(SaveSentenceRow(W, rows, 0, "", nullptr));
    EXPECT_EQ(JournalLines().size(), 1u);
}

TEST_F(RewriteFixture, AltMetaAndImageSaves)
{
    UsePage(Wrap(R"(<img src="a.gif" alt="Logo promo"><img src="b.gif" alt="Banniere promo">)",
                 R"(<meta name="keywords" content="promo, soldes">)"));
    auto rows = BuildSentenceRows(W, "promo");
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_TRUE(SaveSentenceRow(W, rows, 0, "Notre logo", nullptr));
    // Saved again: still its own alt, not the next one that holds the word.
    EXPECT_TRUE(SaveSentenceRow(W, rows, 0, "Notre beau logo", nullptr));
    EXPECT_EQ(rows[0].Extract, "Notre beau logo");
    EXPECT_TRUE(SaveSentenceRow(W, rows, 2, "soldes, hiver", nullptr));
    EXPECT_EQ(rows[2].Extract, "soldes, hiver");
    EXPECT_EQ(PageBytes(), Wrap(R"(<img src="a.gif" alt="Notre beau logo"><img src="b.gif" alt="Banniere promo">)",
                                R"(<meta name="keywords" content="soldes, hiver">)"));

    auto imageRows = BuildSentenceRows(W, "b");
    ASSERT_EQ(imageRows.size(), 1u);
    std::pair<std::string, std::string> asked;
    auto rename = [&](const std::string& n, const std::string& o) {
        asked = {n, o};
        return 1;
    };
    EXPECT_FALSE(SaveSentenceRow(W, imageRows, 0, "b.gif", rename));  // unchanged name
    EXPECT_TRUE(SaveSentenceRow(W, imageRows, 0, "c.gif", rename));
    EXPECT_EQ(asked, std::make_pair(std::string("c.gif"), std::string("b.gif")));
    EXPECT_EQ(imageRows[0].Extract, "c.gif");
    EXPECT_EQ(SecondWord("Soldes"), "Soldes");
    EXPECT_EQ(SecondWord("a b c"), "b");
    EXPECT_EQ(SecondWord("a bc"), "bc");
}

}  // namespace
}  // namespace kestrova
