#include "ui/yes_no_all_dialog.h"

#include <QDialog>
#include <QLabel>
#include <QPushButton>

#include "base/translate.h"
#include "ui/text_convert.h"
#include "ui/window_helpers.h"

namespace kestrova::ui {

int AskYesNoAllWindow(QWidget* owner, const std::string& title, const std::string& text)
{
    constexpr int width = 350;
    constexpr int height = 100;
    QDialog* window =
        OpenChildWindow(owner, 0, 0, width, height, WindowCaption | WindowCloseBox | WindowCentred, title);

    auto* label = new QLabel(FromPage(text), window);
    label->setGeometry(10, 10, 330, height - 28 - 10 - 4);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setWordWrap(true);

    const int buttonWidth = (width - 40) / 3;  // 103
    const int buttonY = height - 28;           // 72
    struct Choice {
        const char* caption;
        int x;
        int result;
    };
    const Choice choices[] = {
        {"Oui", 10, 1},
        {"Non", buttonWidth + 20, 0},
        {"Oui pour toutes", 2 * buttonWidth + 30, 2},
    };
    for (const Choice& choice : choices) {
        auto* button = new QPushButton(Tr(choice.caption), window);
        button->setGeometry(choice.x, buttonY, buttonWidth, 18);
        const int result = choice.result;
        QObject::connect(button, &QPushButton::clicked, window, [window, result] { window->done(result); });
    }

    // The close box and Escape reject the window, which gives 0.
    const int result = window->exec();
    CloseChildWindow(window, owner);
    return result == 1 || result == 2 ? result : 0;
}

}  // namespace kestrova::ui
