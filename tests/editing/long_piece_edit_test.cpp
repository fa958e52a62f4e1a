// Edits that meet a piece longer than the walker reads: the title and the
// creation of a meta tag are refused with the page unchanged, instead of
// writing over the tail of the piece or adding a second tag.
#include <gtest/gtest.h>

#include "base/translate.h"
#include "editing/rewrite_engine.h"
#include "page/page_state.h"
#include "page/page_walker.h"
#include "tests/editing/rewrite_fixture.h"

namespace kestrova {
namespace {

using test::RewriteFixture;

const auto W = ui::MainWindowId;

bool ShownText(const ui::HeadlessUi& shown, const std::string& text)
{
    for (const auto& m : shown.Messages())
        if (m.Text == text)
            return true;
    return false;
}

int YesNoAllQuestions(const ui::HeadlessUi& shown)
{
    int count = 0;
    for (const auto& s : shown.Log)
        count += s.Kind == "yesnoall" ? 1 : 0;
    return count;
}

TEST_F(RewriteFixture, ATitleLongerThanAPieceIsNotCut)
{
    for (const std::size_t length : {WalkMaxPieceLength + 10, 3 * WalkMaxPieceLength + 17}) {
        SCOPED_TRACE(length);
        ui_.Clear();
        const std::string page =
            "<html><head><title>" + std::string(length, 'a') + "</title></head><body><p>texte</p></body></html>";
        UsePage(page);
        EXPECT_EQ(ReplaceTitle("Nouveau"), 0);
        EXPECT_EQ(PageBytes(), page);
        EXPECT_FALSE(BackupExists());
        EXPECT_TRUE(ShownText(ui_, TranslateFrenchKey(LongPieceRefusal)));
    }
    // An unclosed title that runs to the end of the page.
    const std::string unclosed = "<html><head><title>" + std::string(2 * WalkMaxPieceLength, 'b') + "<p>x";
    UsePage(unclosed);
    EXPECT_EQ(ReplaceTitle("Nouveau"), 0);
    EXPECT_EQ(PageBytes(), unclosed);

    // A new title longer than a piece is refused as well.
    const std::string shortTitle = "<html><head><title>Court</title></head></html>";
    UsePage(shortTitle, "short.htm");
    EXPECT_EQ(ReplaceTitle(std::string(WalkMaxPieceLength + 1, 'z')), 0);
    EXPECT_EQ(PageBytes(), shortTitle);

    // A long piece before the title does not matter.
    const std::string before =
        "<html><!-- " + std::string(WalkMaxPieceLength + 5, 'c') + " --><head><title>Ancien</title></head></html>";
    UsePage(before);
    EXPECT_EQ(ReplaceTitle("Nouveau"), 1);
    EXPECT_NE(PageBytes().find("<title>Nouveau</title>"), std::string::npos);
}

TEST_F(RewriteFixture, CreateNeverAddsASecondTagOfTheSameName)
{
    // Whatever the quoting of the name.
    for (const char* tag : {R"(<meta name='keywords' content='a, b'>)", R"(<meta name=keywords content=a>)",
                            R"(<META content="a" NAME = "Keywords">)"}) {
        SCOPED_TRACE(tag);
        UsePage(std::string("<html><head>") + tag + "</head><body>x</body></html>");
        ui_.NextAnswers = {ui::YesNoAll::Yes};
        EXPECT_EQ(EditMeta(W, OpAjoute, "neuf", "keywords"), ResultOk);
        const std::string page = PageBytes();
        EXPECT_EQ(page.find("eywords", page.find("eywords") + 1), std::string::npos);
        EXPECT_NE(page.find("neuf"), std::string::npos);
        EXPECT_EQ(YesNoAllQuestions(ui_), 0);
    }

    // A keywords tag too long to be read: it may be the tag, so none is
    // created, and the page stays as it was.
    const std::string page = "<html><head><meta name=keywords content=" + std::string(2 * WalkMaxPieceLength, 'k') +
                             "></head><body>x</body></html>";
    UsePage(page, "long.htm");
    ui_.Clear();
    ui_.NextAnswers = {ui::YesNoAll::Yes};
    EXPECT_EQ(EditMeta(W, OpAjoute, "neuf", "keywords"), "");
    EXPECT_EQ(PageBytes(), page);
    EXPECT_FALSE(BackupExists("long.htm"));
    EXPECT_TRUE(ShownText(ui_, TranslateFrenchKey(LongPieceRefusal)));
    EXPECT_EQ(YesNoAllQuestions(ui_), 0);
}

}  // namespace
}  // namespace kestrova
