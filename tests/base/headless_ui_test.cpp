#include "base/headless_ui.h"

#include <gtest/gtest.h>

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
