#include "base/headless_ui.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace kestrova::ui;

TEST(HeadlessUi, AnswersFromQueueThenDefaultAndRecordsMessages)
{
    HeadlessUi ui;
    SetUi(&ui);
    ui.NextAnswers = {YesNoAll::YesToAll, YesNoAll::Yes};
    ui.DefaultAnswer = YesNoAll::No;
    EXPECT_EQ(Ui().AskYesNoAll(0, "t", "q"), YesNoAll::YesToAll);
    EXPECT_TRUE(Ui().AskYesNo(0, "t", "q"));
    EXPECT_FALSE(Ui().AskYesNo(0, "t", "q"));
    Ui().ShowMessage(0, "Erreur", "texte");
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_EQ(ui.Messages()[0].Title, "Erreur");
    SetUi(nullptr);
}

// The command-line tool prints what OnAsked sees: every message box and
// question, in order, and nothing of the progress window or captions; a
// message box takes no prepared answer away from the question after it.
TEST(HeadlessUi, OnAskedSeesMessagesAndQuestionsOnlyAndMessagesKeepTheAnswers)
{
    HeadlessUi ui;
    std::vector<std::string> seen;
    ui.OnAsked = [&](const HeadlessUi::Shown& s) { seen.push_back(s.Kind + ":" + s.Text); };
    ui.NextAnswers = {YesNoAll::Yes};
    ui.OpenProgress(0, "p");
    ui.SetWindowTitle(MainWindowId, "caption");
    ui.ShowMessage(0, "t", "m");
    EXPECT_TRUE(ui.AskYesNo(0, "t", "q"));
    ui.PageViewChanged(MainWindowId);
    EXPECT_EQ(seen, (std::vector<std::string>{"message:m", "yesno:q"}));
    EXPECT_EQ(ui.Recorded.size(), 2u);
    EXPECT_EQ(ui.Log.size(), 5u);
    ui.Clear();
    EXPECT_TRUE(ui.Recorded.empty());
    EXPECT_TRUE(ui.Messages().empty());
}
