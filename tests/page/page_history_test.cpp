// The history of a page and undo: every user action is one change with one
// version kept, undo walks back through them byte for byte, refuses a page
// another program changed, and a kill at any step of an undo leaves the
// page, backup, history and journal agreeing.
#include "page/page_history.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "base/app_state.h"
#include "editing/meta_catalogue.h"
#include "editing/page_images.h"
#include "editing/rewrite_engine.h"
#include "page/page_change.h"
#include "page/page_undo.h"
#include "site/page_source.h"
#include "site/site_scan.h"
#include "site/site_update.h"
#include "tests/editing/rewrite_fixture.h"

namespace kestrova {
namespace {

namespace fs = std::filesystem;
using test::ReadAll;

const std::string kPage =
    "<html>\r\n<head>\r\n<title>Voiliers</title>\r\n"
    "<meta name=\"description\" content=\"Des voiliers\">\r\n"
    "<meta name=\"keywords\" content=\"voilier, ketch\">\r\n"
    "<meta name=\"author\" content=\"Anne\">\r\n"
    "</head>\r\n<body><p>Un voilier</p><img src=\"a.gif\" alt=\"un bateau\"></body>\r\n</html>\r\n";

class PageHistoryTest : public test::RewriteFixture {
protected:
    void TearDown() override
    {
        App.HistoryDepth = 0;
        SetCommitFileOpsForTesting({});
        RewriteFixture::TearDown();
    }

    std::vector<std::string> Actions() const
    {
        std::vector<std::string> actions;
        for (const HistoryVersion& version : PageHistory(Page.CurrentPagePath))
            actions.push_back(version.Action);
        return actions;
    }

    std::string Version(int number) const
    {
        for (const HistoryVersion& version : PageHistory(Page.CurrentPagePath)) {
            if (version.Number == number) {
                std::string content;
                EXPECT_TRUE(ReadHistoryVersion(version, content));
                return content;
            }
        }
        ADD_FAILURE() << "no version " << number;
        return std::string();
    }

    // Runs fn in a child process that dies (as if killed) just before the
    // rename number `dieAt` (1-based) of a commit; returns once it is gone.
    void RunKilledAtRename(int dieAt, const std::function<void()>& fn)
    {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            int renames = 0;
            SetCommitFileOpsForTesting({{}, [&](const char* from, const char* to) {
                                            if (++renames == dieAt)
                                                ::_exit(0);
                                            return ::rename(from, to);
                                        }});
            fn();
            ::_exit(3);  // the commit had fewer renames
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        ASSERT_EQ(WEXITSTATUS(status), 0) << "the commit made fewer than " << dieAt << " renames";
    }
};

TEST_F(PageHistoryTest, TwentyMixedChangesUndoneOneByOneGiveBackEveryEarlierVersion)
{
    const std::string path = UsePage(kPage);
    // The page after each change, as read from the disk.
    std::vector<std::string> versions{kPage};
    ui_.DefaultAnswer = ui::YesNoAll::Yes;
    auto changed = [&] {
        ASSERT_NE(PageBytes(), versions.back()) << "change " << versions.size() << " changed nothing";
        versions.push_back(PageBytes());
    };
    const std::string image = std::string(ImageDesignators);
    for (int round = 0; round < 2; ++round) {
        const std::string n = std::to_string(round);
        ReplaceTitle("Titre " + n);
        changed();
        EditMeta(ui::MainWindowId, OpToutRemplacer, "Description " + n, "description");
        changed();
        EditMeta(ui::MainWindowId, OpAjoute, "mot" + n, "keywords");
        changed();
        EditMeta(ui::MainWindowId, OpSup, "ketch", "keywords");
        changed();
        EditMeta(ui::MainWindowId, OpAjoute, "ketch", "keywords");
        changed();
        EditMeta(ui::MainWindowId, OpToutRemplacer, "Auteur " + n, "author");
        changed();
        const std::string old = round == 0 ? "a.gif" : "b.gif";
        Edit.LastMatchPosition = 0;
        EditAttribute(ui::MainWindowId, OpAddAlt, image + EncodeListWord(old), "alt " + n);
        changed();
        Edit.LastMatchPosition = 0;
        EditAttribute(ui::MainWindowId, OpToutRemplacer, image + EncodeListWord(old), round == 0 ? "b.gif" : "c.gif");
        changed();
        SaveMetaTagOnPages(ui::MainWindowId, path + "\r", "robots", "index " + n);
        changed();
        PageSource source;
        ASSERT_TRUE(LoadPageSource(path, source));
        ASSERT_EQ(SavePageSource(source, source.OnDisk + "<!-- " + n + " -->\r\n", false), SourceSaveResult::Saved);
        changed();
        ASSERT_TRUE(SaveTitleAndDescriptionTogether(ui::MainWindowId, "T" + n, "D" + n));
        changed();
    }
    ASSERT_EQ(versions.size(), 23u);
    ASSERT_EQ(PageHistory(path).size(), 22u);
    const std::vector<std::string> actions = Actions();
    EXPECT_EQ(actions[0], "titre, description");
    EXPECT_EQ(actions[1], "source");
    EXPECT_EQ(actions[2], "mise \xE0 jour du site");
    EXPECT_EQ(actions[3], "renommage d'image");
    EXPECT_EQ(actions[4], "texte alternatif");
    EXPECT_EQ(actions[5], "balise meta author");
    EXPECT_EQ(actions[6], "mots cl\xE9s");
    EXPECT_EQ(actions[9], "description");
    EXPECT_EQ(actions[10], "titre");

    for (std::size_t k = versions.size() - 1; k-- > 0;) {
        ASSERT_EQ(UndoPageChange(path, 0, false, ui::MainWindowId, true), UndoOutcome::Restored) << k;
        ASSERT_EQ(PageBytes(), versions[k]) << "undo back to version " << k;
    }
    EXPECT_EQ(UndoPageChange(path, 0, false, ui::MainWindowId, true), UndoOutcome::NothingToUndo);
    EXPECT_EQ(PageBytes(), kPage);
    // Every undo is a change of its own: backed up, journalled, and itself
    // in the history, so the last one can be undone too.
    EXPECT_EQ(PageHistory(path).front().Action, "annulation");
    EXPECT_EQ(ReadAll(BackupPath()), versions[1]);
    EXPECT_EQ(JournalLines().size(), 1u);
    ASSERT_EQ(UndoPageChange(path, 1, false, ui::MainWindowId, true), UndoOutcome::Restored);
    EXPECT_EQ(PageBytes(), versions[1]);
}

TEST_F(PageHistoryTest, UndoRefusesAPageChangedByAnotherProgramUnlessForced)
{
    const std::string path = UsePage(kPage);
    ReplaceTitle("Nouveau");
    const std::string edited = PageBytes();
    const std::string outside = edited + "<!-- by hand -->\r\n";
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << outside;
    }
    EXPECT_FALSE(PageIsAsLastChanged(path, PageHistory(path)));
    EXPECT_EQ(UndoPageChange(path, 0, false, ui::MainWindowId, true), UndoOutcome::ChangedOutside);
    EXPECT_EQ(PageBytes(), outside);
    EXPECT_EQ(ReadAll(BackupPath()), kPage);
    EXPECT_EQ(PageHistory(path).size(), 1u);

    EXPECT_EQ(UndoPageChange(path, 0, true, ui::MainWindowId, true), UndoOutcome::Restored);
    EXPECT_EQ(PageBytes(), kPage);
    // The page the other program wrote is kept as the newest version.
    EXPECT_EQ(Version(1), outside);
    EXPECT_EQ(UndoPageChange(path, 7, false, ui::MainWindowId, true), UndoOutcome::NoSuchVersion);
}

TEST_F(PageHistoryTest, TheHistoryKeepsHistoryDepthVersionsAndDropsTheOldest)
{
    const std::string path = UsePage(kPage);
    App.HistoryDepth = 3;
    std::vector<std::string> before;
    for (int i = 0; i < 5; ++i) {
        before.push_back(PageBytes());
        ReplaceTitle("Titre " + std::to_string(i));
    }
    ASSERT_EQ(PageHistory(path).size(), 3u);
    EXPECT_EQ(Version(1), before[4]);
    EXPECT_EQ(Version(3), before[2]);
    EXPECT_EQ(std::distance(fs::directory_iterator(HistoryFolderOf(path)), fs::directory_iterator()), 3);

    // Without the setting in App, the settings file of the current folder.
    App.HistoryDepth = 0;
    dir_.Write("Kestrova.prefs", "Language = French\r\nHistoryDepth = 2\r\n");
    EXPECT_EQ(HistoryDepth(), 2);
    ReplaceTitle("Encore");
    EXPECT_EQ(PageHistory(path).size(), 2u);
    fs::remove(dir_.File("Kestrova.prefs"));
    EXPECT_EQ(HistoryDepth(), DefaultHistoryDepth);
}

TEST_F(PageHistoryTest, TheHistoryIsNoPageOfTheSite)
{
    // Versions of an .htm page, and of a page whose name ends like one.
    const std::string path = UsePage(kPage);
    ReplaceTitle("Un");
    ReplaceTitle("Deux");
    ASSERT_EQ(PageHistory(path).size(), 2u);
    // Neither the site-wide update nor the site statistics take a version
    // for a page, and the journal names the page only.
    EXPECT_EQ(SiteUpdatePages(path), std::vector<std::string>{path});
    SiteFileList.clear();
    WalkSiteFolder(dir_.File("site/"), "*", SiteExtensions, 0, false);
    EXPECT_EQ(SiteFileList.find(HistoryFolderName), std::string::npos) << SiteFileList;
    EXPECT_EQ(SiteFileList.find(".version"), std::string::npos) << SiteFileList;
    SiteFileList.clear();
    EXPECT_EQ(JournalLines(), std::vector<std::string>{path + "|1700000000"});
}

TEST_F(PageHistoryTest, AKillAtAnyStepOfAnUndoLeavesPageBackupHistoryAndJournalConsistent)
{
    const std::string path = UsePage(kPage);
    ReplaceTitle("Un");
    const std::string one = PageBytes();
    ReplaceTitle("Deux");
    const std::string two = PageBytes();
    // An undo commits with three renames: the history version, the page,
    // the backup (the journal's own comes before them all).
    for (int dieAt = 1; dieAt <= 3; ++dieAt) {
        SCOPED_TRACE(dieAt);
        const std::size_t versionsBefore = PageHistory(path).size();
        const std::string backupBefore = ReadAll(BackupPath());
        RunKilledAtRename(dieAt, [&] { UndoPageChange(path, 0, false, ui::MainWindowId, false); });
        const std::vector<HistoryVersion> history = PageHistory(path);
        if (dieAt <= 2) {
            // Before the page was replaced: nothing happened, whatever
            // the disk holds of the unfinished version.
            EXPECT_EQ(PageBytes(), two);
            EXPECT_EQ(history.size(), versionsBefore);
            EXPECT_EQ(ReadAll(BackupPath()), backupBefore);
            EXPECT_TRUE(PageIsAsLastChanged(path, history));
        } else {
            // After: the undo landed with its version; the backup is still
            // the one of the change before (the page before "Deux").
            EXPECT_EQ(PageBytes(), one);
            EXPECT_EQ(history.size(), versionsBefore + 1);
            EXPECT_EQ(history.front().Action, "annulation");
            EXPECT_EQ(ReadAll(BackupPath()), backupBefore);
            EXPECT_TRUE(PageIsAsLastChanged(path, history));
        }
        // Changed or not, the page is in the journal (a line for an
        // unchanged page sends it again, nothing worse).
        EXPECT_EQ(JournalLines().size(), 1u);
        // Undo works from there.
        if (dieAt <= 2) {
            ASSERT_EQ(UndoPageChange(path, 0, false, ui::MainWindowId, true), UndoOutcome::Restored);
            EXPECT_EQ(PageBytes(), one);
        }
        ASSERT_EQ(UndoPageChange(path, 1, false, ui::MainWindowId, true), UndoOutcome::Restored);
        EXPECT_EQ(PageBytes(), two);
    }
}

}  // namespace
}  // namespace kestrova
