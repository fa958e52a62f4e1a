#include "ui/widget_ui.h"

#include <QCoreApplication>
#include <QDialog>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <algorithm>
#include <map>

#include "base/translate.h"
#include "ui/alt_letters.h"
#include "ui/first_row_keys.h"
#include "ui/text_convert.h"
#include "ui/text_room.h"
#include "ui/window_helpers.h"
#include "ui/yes_no_all_dialog.h"

namespace kestrova::ui {

namespace {

std::map<WindowId, QPointer<QWidget>>& Registry()
{
    static std::map<WindowId, QPointer<QWidget>> windows;
    return windows;
}

// Runs a message box owned by the window with the id; a key held down when
// it opens or closes acts neither on it nor on its owner.
QAbstractButton* RunBox(QMessageBox& box, QWidget* owner)
{
    IgnoreHeldKeys(&box);
    box.exec();
    if (owner)
        IgnoreHeldKeys(owner->window());
    return box.clickedButton();
}

std::map<WindowId, std::function<void()>>& ViewHandlers()
{
    static std::map<WindowId, std::function<void()>> handlers;
    return handlers;
}

}  // namespace

void SetPageViewHandler(WindowId id, std::function<void()> handler)
{
    if (handler)
        ViewHandlers()[id] = std::move(handler);
    else
        ViewHandlers().erase(id);
}

void RegisterWindow(WindowId id, QWidget* window)
{
    if (window)
        Registry()[id] = window;
    else
        Registry().erase(id);
}

QWidget* WindowById(WindowId id)
{
    auto it = Registry().find(id);
    return it == Registry().end() ? nullptr : it->second.data();
}

QtUi& InstallQtUi()
{
    static QtUi ui;
    SetUi(&ui);
    // Every window gets Alt letters for its buttons and menu items, and room
    // for its texts in the font of the desktop; arrow keys in a list with
    // nothing selected start at its first row.
    AddAltLettersToEveryWindow();
    WidenEveryWindowToFitTexts();
    StartArrowKeysAtTheFirstRow();
    return ui;
}

QtUi::~QtUi()
{
    if (&Ui() == this)
        SetUi(nullptr);
}

void QtUi::ShowMessage(WindowId owner, const std::string& title, const std::string& text)
{
    if (Take("message", title, text))
        return;
    QWidget* parent = UsableOwner(WindowById(owner));
    QMessageBox box(QMessageBox::NoIcon, FromPage(title), FromPage(text), QMessageBox::Ok, parent);
    RunBox(box, parent);
}

bool QtUi::AskYesNo(WindowId owner, const std::string& title, const std::string& text)
{
    if (const auto answer = Take("yesno", title, text))
        return *answer != YesNoAll::No;
    QWidget* parent = UsableOwner(WindowById(owner));
    QMessageBox box(QMessageBox::NoIcon, FromPage(title), FromPage(text), QMessageBox::NoButton, parent);
    QPushButton* yes = box.addButton(Tr("Oui"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(Tr("Non"), QMessageBox::NoRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(no);
    return RunBox(box, parent) == yes;
}

bool QtUi::AskYesNoDefaultNo(WindowId owner, const std::string& title, const std::string& text)
{
    if (const auto answer = Take("yesno", title, text))
        return *answer != YesNoAll::No;
    QWidget* parent = UsableOwner(WindowById(owner));
    QMessageBox box(QMessageBox::NoIcon, FromPage(title), FromPage(text), QMessageBox::NoButton, parent);
    QPushButton* yes = box.addButton(Tr("Oui"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(Tr("Non"), QMessageBox::NoRole);
    box.setDefaultButton(no);
    box.setEscapeButton(no);
    return RunBox(box, parent) == yes;
}

YesNoAll QtUi::AskYesNoAll(WindowId owner, const std::string& title, const std::string& text)
{
    if (const auto answer = Take("yesnoall", title, text))
        return *answer;
    switch (AskYesNoAllWindow(UsableOwner(WindowById(owner)), title, text)) {
        case 1:
            return YesNoAll::Yes;
        case 2:
            return YesNoAll::YesToAll;
        default:
            return YesNoAll::No;
    }
}

bool QtUi::OpenProgress(WindowId owner, const std::string& title)
{
    CloseProgress();
    QWidget* parent = UsableOwner(WindowById(owner));
    progress_ = OpenProgressWindow(parent, title);
    progressOwner_ = parent;
    return progress_ != nullptr;
}

void QtUi::SetProgress(const std::string& text, int percent)
{
    if (WaitWindow.ProgressText)
        WaitWindow.ProgressText->setText(FromPage(text));
    if (WaitWindow.ProgressBar)
        WaitWindow.ProgressBar->setValue(std::clamp(percent, 0, 100));
}

void QtUi::CloseProgress()
{
    if (progress_)
        CloseChildWindow(progress_, progressOwner_);
    progress_ = nullptr;
    progressOwner_ = nullptr;
}

void QtUi::PumpEvents()
{
    using namespace std::chrono_literals;
    if (pumped_ && MonotonicNow() - lastPump_ < 10ms)
        return;
    QCoreApplication::processEvents(WaitWindow.AbortButton ? QEventLoop::AllEvents
                                                           : QEventLoop::ExcludeUserInputEvents);
    // Counted from the end of the pass, so the work between two passes is
    // never shorter than the interval, however long a pass takes.
    pumped_ = true;
    lastPump_ = MonotonicNow();
}

bool QtUi::AbortRequested()
{
    return WaitWindow.AbortClicked;
}

void QtUi::SetWindowTitle(WindowId window, const std::string& title)
{
    if (QWidget* widget = WindowById(window))
        widget->setWindowTitle(FromPage(title));
}

void QtUi::PageViewChanged(WindowId window)
{
    auto it = ViewHandlers().find(window);
    if (it == ViewHandlers().end() || !WindowById(window))
        return;
    // A copy: the handler may register another one.
    const std::function<void()> handler = it->second;
    handler();
}

}  // namespace kestrova::ui
