// Edits of meta tags as single changes of the page: creating a tag and then
// using it is one change, a value or name too long to be read back is
// refused, and an edit whose change did not reach the page has no result.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "editing/rewrite_engine.h"
#include "page/page_change.h"
#include "page/page_state.h"
#include "page/page_walker.h"
#include "tests/editing/rewrite_fixture.h"

namespace kestrova {
namespace {

using test::RewriteFixture;

const std::string kHead = "<html>\r\n<head>\r\n";
const std::string kTail = "</head>\r\n<body><p>Texte</p></body>\r\n</html>\r\n";

class RewriteChangeTest : public RewriteFixture {
protected:
    bool MessageSays(const std::string& part) const
    {
        for (const auto& m : ui_.Messages())
            if (m.Text.find(part) != std::string::npos)
                return true;
        return false;
    }
};

TEST_F(RewriteChangeTest, CreatingTheTagAndAddingTheWordIsOneChangeOfThePage)
{
    const std::string before = kHead + "<title>T</title>\r\n" + kTail;
    const std::string path = UsePage(before);
    ResetChangeOutcome();
    ui_.NextAnswers = {ui::YesNoAll::Yes};
    EXPECT_EQ(EditMeta(ui::MainWindowId, OpAjoute, "foo", "keywords"), "OK");
    EXPECT_EQ(LastChangeOutcome(), ChangeOutcome::Committed);
    EXPECT_EQ(PageBytes(),
              "<html>\r\n<head>\r\n<meta name=\"keywords\" content=\"foo\">\r\n<title>T</title>\r\n" + kTail);
    // The backup is the page before the user's action, not the page with
    // the empty tag the first step made.
    EXPECT_EQ(test::ReadAll(BackupPath()), before);
    EXPECT_EQ(JournalLines(), std::vector<std::string>{path + "|1700000000"});
    EXPECT_EQ(test::FolderEntries(dir_.Path() / "site"), (std::vector<std::string>{"Sauvegarde", "page.htm"}));
}

TEST_F(RewriteChangeTest, ANameTooLongForATagIsRefusedBeforeAnythingIsWritten)
{
    const std::string before = kHead + kTail;
    UsePage(before);
    const auto time = PageTime();
    ResetChangeOutcome();
    ui_.DefaultAnswer = ui::YesNoAll::Yes;
    EXPECT_EQ(EditMeta(ui::MainWindowId, OpToutRemplacer, "x", std::string(WalkMaxPieceLength, 'n')), "");
    EXPECT_TRUE(Edit.MetaMissing);
    EXPECT_EQ(LastChangeOutcome(), ChangeOutcome::Failed);
    EXPECT_TRUE(MessageSays("too long to be read back"));
    EXPECT_EQ(PageBytes(), before);
    ExpectNoTrace(time);
    EXPECT_EQ(test::FolderEntries(dir_.Path() / "site"), std::vector<std::string>{"page.htm"});
}

TEST_F(RewriteChangeTest, AValueTooLongForItsTagIsRefusedAndTheTagStaysReadable)
{
    const std::string before = kHead + "<meta name=\"description\" content=\"short\">\r\n" + kTail;
    UsePage(before);
    const auto time = PageTime();
    ui_.DefaultAnswer = ui::YesNoAll::Yes;
    EXPECT_EQ(EditMeta(ui::MainWindowId, OpToutRemplacer, std::string(10000, 'd'), "description"), "");
    EXPECT_TRUE(MessageSays("too long to be read back"));
    EXPECT_EQ(PageBytes(), before);
    ExpectNoTrace(time);

    // A long value that still fits is written and read back whole, and the
    // tag is found again: no second one is created.
    const std::string fits(WalkMaxPieceLength - 60, 'd');
    EXPECT_EQ(EditMeta(ui::MainWindowId, OpToutRemplacer, fits, "description"), "short");
    EXPECT_EQ(EditMeta(ui::MainWindowId, OpListe, "", "description"), fits);
    EXPECT_EQ(EditMeta(ui::MainWindowId, OpToutRemplacer, "again", "description"), fits);
    EXPECT_EQ(PageBytes(), kHead + "<meta name=\"description\" content=\"again\">\r\n" + kTail);
    EXPECT_TRUE(Questions().empty());
}

TEST_F(RewriteChangeTest, AnEditWhoseCommitFailsHasNoResult)
{
    const std::string before = kHead + "<meta name=\"keywords\" content=\"a\">\r\n" + kTail;
    UsePage(before);
    dir_.Write("site/Sauvegarde", "a file where the backup folder should be");
    ResetChangeOutcome();
    EXPECT_EQ(EditMeta(ui::MainWindowId, OpAjoute, "foo", "keywords"), "");
    EXPECT_EQ(LastChangeOutcome(), ChangeOutcome::Failed);
    EXPECT_FALSE(Edit.MetaMissing);
    EXPECT_TRUE(MessageSays("Sauvegarde"));
    EXPECT_EQ(EditMeta(ui::MainWindowId, OpSup, "a", "keywords"), "");
    EXPECT_EQ(EditText(ui::MainWindowId, OpToutRemplacer, "Texte", "Other"), "");
    EXPECT_EQ(PageBytes(), before);
    EXPECT_TRUE(JournalLines().empty());
}

}  // namespace
}  // namespace kestrova
