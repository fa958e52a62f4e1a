// The one image rule (an img element with a src attribute wherever it stands,
// any background attribute, whatever the quoting) as the image list, the alt
// texts, the sentences and the renaming see it; a page far past a thousand
// images; searches that never write.
#include <gtest/gtest.h>

#include <filesystem>

#include "base/translate.h"
#include "editing/image_rename.h"
#include "editing/image_tags.h"
#include "editing/page_images.h"
#include "editing/rewrite_engine.h"
#include "editing/sentence_rows.h"
#include "page/page_state.h"
#include "tests/editing/rewrite_fixture.h"
#include "tests/support/locked_file.h"

namespace kestrova {
namespace {

namespace fs = std::filesystem;
using test::ReadAll;
using test::RewriteFixture;

const auto W = ui::MainWindowId;

std::string Wrap(const std::string& body)
{
    return "<html><head><title>Titre</title></head><body>" + body + "</body></html>";
}

std::vector<std::string> References(const std::vector<PageImage>& images)
{
    std::vector<std::string> out;
    for (const PageImage& image : images)
        out.push_back(image.Reference + "=" + image.Alt);
    return out;
}

TEST(ImageRule, SrcAnywhereInAnImgTagAnyQuoting)
{
    std::vector<ImageInPage> found;
    ImagesOfTag(R"(img border=0 src=a.gif)", 100, found);
    ImagesOfTag(R"(img alt="Logo" src='b.gif')", 200, found);
    ImagesOfTag(R"(IMG class="x" SRC = "c.gif" ALT='Le c')", 300, found);
    ImagesOfTag(R"(img title="src=&quot;fake.gif" src="d&eacute;.gif")", 400, found);
    ImagesOfTag(R"(input type=image src="no.gif")", 500, found);  // not an img element
    ImagesOfTag(R"(img src="" alt="vide")", 600, found);          // no reference
    ImagesOfTag(R"(imgx src="no2.gif")", 700, found);
    ImagesOfTag(R"(td background=fond.jpg)", 800, found);
    ASSERT_EQ(found.size(), 5u);
    EXPECT_EQ(found[0].Src, "a.gif");
    EXPECT_FALSE(found[0].HasAlt);
    EXPECT_EQ(found[1].Src, "b.gif");
    EXPECT_TRUE(found[1].HasAlt);
    EXPECT_EQ(found[1].Alt, "Logo");  // the alt of its own tag, before or after src
    EXPECT_EQ(found[2].Src, "c.gif");
    EXPECT_EQ(found[2].Alt, "Le c");
    EXPECT_EQ(found[2].Designator, "img src");
    EXPECT_EQ(found[3].Src, "d\xE9.gif");  // a src inside another value is no attribute
    EXPECT_EQ(found[4].Src, "fond.jpg");
    EXPECT_EQ(found[4].Designator, "background");
    // Tag offset, and the cursor value: "<" at the offset, the value's first
    // character at offset + its 1-based place in the tag, plus one.
    EXPECT_EQ(found[0].TagOffset, 100);
    EXPECT_EQ(found[0].Position, 100 + 18 + 1);
}

TEST_F(RewriteFixture, ListAndAltTextsFollowTheRule)
{
    UsePage(Wrap(R"(<img alt="Premier" src="a.gif"><img border=0 src=b.gif><img class='c' src='c.gif' alt=Trois>)"
                 R"(<table background="fond.jpg"><img src="images/logo.gif" alt="Logo">)"));
    auto images = ListPageImages(W);
    EXPECT_EQ(References(images), (std::vector<std::string>{"a.gif=Premier", "b.gif=", "c.gif=Trois",
                                                            "fond.jpg=", "images/logo.gif=Logo"}));

    // The alt text of an image whose src is not first, bare or single-quoted.
    ASSERT_TRUE(SavePageImageAlt(W, images, 1, "Deux"));
    ASSERT_TRUE(SavePageImageAlt(W, images, 2, "Trois bis"));
    EXPECT_EQ(PageBytes(),
              Wrap(R"(<img alt="Premier" src="a.gif"><img border=0 src=b.gif alt="Deux" ><img class='c' src='c.gif' )"
                   R"(alt="Trois bis">)"
                   R"(<table background="fond.jpg"><img src="images/logo.gif" alt="Logo">)"));
    EXPECT_EQ(References(ListPageImages(W)), (std::vector<std::string>{"a.gif=Premier", "b.gif=Deux", "c.gif=Trois bis",
                                                                       "fond.jpg=", "images/logo.gif=Logo"}));
}

TEST_F(RewriteFixture, SentencesSeeEveryImageAndNeverWrite)
{
    UsePage(Wrap(R"(<img alt="Vue du port" src="port.gif"><img border=0 src=port2.gif>)"));
    auto rows = BuildSentenceRows(W, "port");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].Kind, SentenceKind::Alt);
    EXPECT_EQ(rows[0].Extract, "Vue du port");
    EXPECT_EQ(rows[1].Kind, SentenceKind::Image);
    EXPECT_EQ(rows[1].Extract, "port.gif");
    EXPECT_EQ(BuildSentenceRows(W, "port2").size(), 1u);

    // A search needs no copy beside the page: with the folder unchangeable,
    // the rows are still found and nothing is reported.
    test::LockedFile locked(fs::path(Page.CurrentPagePath).parent_path().string());
    if (!locked.Locked())
        GTEST_SKIP() << "the folder cannot be made unchangeable here";
    ui_.Clear();
    EXPECT_EQ(BuildSentenceRows(W, "port").size(), 2u);
    EXPECT_TRUE(ui_.Messages().empty());
    EXPECT_FALSE(OperationWrites(OpPhrase));
    EXPECT_TRUE(OperationWrites(OpAddAlt));
}

// Two identical images; the row of the first one renamed with only that
// reference changed: the second row and the second reference keep the old
// name.
TEST_F(RewriteFixture, ImageRowSaveRenamesOnlyItsOwnRowWhenOnlyItChanged)
{
    UsePage(Wrap(R"(<img src="b.gif"><p>x</p><img src="b.gif">)"));
    auto rows = BuildSentenceRows(W, "b");
    ASSERT_EQ(rows.size(), 2u);
    auto renameOne = [&](const std::string& newSrc, const std::string& oldSrc) {
        return RenameImage(W, newSrc, oldSrc, nullptr);
    };
    EXPECT_TRUE(SaveSentenceRow(W, rows, 0, "c.gif", renameOne));
    EXPECT_EQ(rows[0].Extract, "c.gif");
    EXPECT_EQ(rows[1].Extract, "b.gif");
    EXPECT_EQ(PageBytes(), Wrap(R"(<img src="c.gif"><p>x</p><img src="b.gif">)"));
}

TEST_F(RewriteFixture, NoLimitOnTheNumberOfImages)
{
    std::string body;
    constexpr int Count = 1500;
    for (int i = 1; i <= Count; ++i)
        body += "<img class=i src=\"i" + std::to_string(i) + ".gif\">";
    UsePage(Wrap(body));
    auto images = ListPageImages(W);
    ASSERT_EQ(images.size(), static_cast<std::size_t>(Count));
    EXPECT_EQ(images.back().Reference, "i1500.gif");
    ASSERT_TRUE(SavePageImageAlt(W, images, Count - 1, "Le dernier"));
    const std::string page = PageBytes();
    EXPECT_NE(page.find(R"(<img class=i src="i1500.gif" alt="Le dernier" >)"), std::string::npos);
    EXPECT_EQ(page.find("alt=", 0), page.rfind("alt="));  // only that one
    EXPECT_EQ(JournalLines().size(), 1u);
}

class ImageRenameRule : public RewriteFixture {
protected:
    void SetUp() override
    {
        RewriteFixture::SetUp();
        logo = dir_.Write("site/img/logo.gif", "GIF89a-logo");
        big = dir_.Write("site/img/logo-2x.gif", "GIF89a-big");
        other = UsePage(Wrap(R"(<img alt="L" src="../img/logo.gif" srcset="../img/logo.gif 1x, ../img/logo-2x.gif 2x">)"
                             R"(<picture><source srcset='../img/logo.gif, ../img/x.gif 2x'></picture>)"),
                        "sub/p.htm");
        home = UsePage(Wrap(R"(<img class="a" src=img/logo.gif><p>x</p><img border=0 src="img/logo.gif">)"));
    }

    std::string logo, big, other, home;
};

TEST_F(ImageRenameRule, SiteWideRenamingReachesEveryReferenceAndSrcset)
{
    auto all = [&](const std::string&, const std::string&) { return home + "\r" + other + "\r"; };
    Edit.LastMatchPosition = 0;
    RenameReport report;
    EXPECT_EQ(RenameImage(W, "img/new.gif", "img/logo.gif", all, "", &report), 2);
    EXPECT_TRUE(report.FileRenamed);
    EXPECT_EQ(ReadAll(home), Wrap(R"(<img class="a" src="img/new.gif"><p>x</p><img border=0 src="img/new.gif">)"));
    EXPECT_EQ(ReadAll(other),
              Wrap(R"(<img alt="L" src="../img/new.gif" srcset="../img/new.gif 1x, ../img/logo-2x.gif 2x">)"
                   R"(<picture><source srcset='../img/new.gif, ../img/x.gif 2x'></picture>)"));
    EXPECT_FALSE(fs::exists(logo));
    EXPECT_EQ(ReadAll(dir_.File("site/img/new.gif")), "GIF89a-logo");
}

TEST_F(ImageRenameRule, RenamingOntoAnExistingFileRepointsAndKeepsBoth)
{
    auto all = [&](const std::string&, const std::string&) { return home + "\r" + other + "\r"; };
    Edit.LastMatchPosition = 0;
    RenameReport report;
    EXPECT_EQ(RenameImage(W, "img/logo-2x.gif", "img/logo.gif", all, "", &report), 2);
    EXPECT_FALSE(report.Refused);
    EXPECT_FALSE(report.FileRenamed);
    EXPECT_TRUE(report.TargetKept);
    EXPECT_EQ(ReadAll(home),
              Wrap(R"(<img class="a" src="img/logo-2x.gif"><p>x</p><img border=0 src="img/logo-2x.gif">)"));
    EXPECT_EQ(ReadAll(logo), "GIF89a-logo");
    EXPECT_EQ(ReadAll(big), "GIF89a-big");
    ASSERT_EQ(ui_.Messages().size(), 1u);
    EXPECT_EQ(ui_.Messages()[0].Text, TranslateFrenchKey(RenameTargetExists) + "\nimg/logo-2x.gif");
}

TEST_F(ImageRenameRule, ATargetInAnotherFolderOfTheSite)
{
    // From the page in sub/, the site folder given is the whole site.
    Page.CurrentPagePath = other;
    dir_.Write("site/pics/.keep", "");
    auto none = [](const std::string&, const std::string&) { return std::string(); };
    Edit.LastMatchPosition = 0;
    RenameReport report;
    EXPECT_EQ(RenameImage(W, "../pics/logo.gif", "../img/logo.gif", none, dir_.File("site"), &report), 1);
    EXPECT_FALSE(report.Refused);
    EXPECT_NE(ReadAll(other).find(R"(src="../pics/logo.gif")"), std::string::npos);
}

}  // namespace
}  // namespace kestrova
