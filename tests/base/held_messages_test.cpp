#include "base/held_messages.h"

#include <gtest/gtest.h>

#include "base/headless_ui.h"

using namespace kestrova::ui;

TEST(HeldMessages, KeepsMessagesUntilReleasedAndPassesTheRestOn)
{
    HeadlessUi ui;
    SetUi(&ui);
    ui.NextAnswers = {YesNoAll::Yes};
    {
        HeldMessages held;
        EXPECT_EQ(&Ui(), &held);
        Ui().ShowMessage(MainWindowId, "Erreur", "un");
        // Questions, captions and the view are not held.
        EXPECT_TRUE(Ui().AskYesNo(MainWindowId, "Q", "?"));
        Ui().SetWindowTitle(MainWindowId, "Kestrova");
        Ui().PageViewChanged(MainWindowId);
        Ui().ShowMessage(MainWindowId, "Erreur", "deux");
        ASSERT_EQ(ui.Log.size(), 3u);
        EXPECT_TRUE(ui.Messages().empty());

        held.Release();
        EXPECT_EQ(&Ui(), &ui);
        ASSERT_EQ(ui.Messages().size(), 2u);
        EXPECT_EQ(ui.Messages()[0].Text, "un");
        EXPECT_EQ(ui.Messages()[1].Text, "deux");
        EXPECT_EQ(ui.Log[3].Text, "un");
        // After the release, at once.
        held.ShowMessage(MainWindowId, "Erreur", "trois");
        EXPECT_EQ(ui.Messages().size(), 3u);
    }
    // The end of an unreleased hold shows what it kept.
    {
        HeldMessages held;
        Ui().ShowMessage(MainWindowId, "Erreur", "quatre");
        EXPECT_EQ(ui.Messages().size(), 3u);
    }
    EXPECT_EQ(ui.Messages().size(), 4u);
    EXPECT_EQ(&Ui(), &ui);
    SetUi(nullptr);
}
