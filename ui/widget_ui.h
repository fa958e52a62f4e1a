// The program's UiPort: message boxes, questions and the progress window
// with Qt, and the registry that maps window ids to Qt windows.
#pragma once

#include <QPointer>
#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "base/clock.h"
#include "base/scripted_answers.h"
#include "base/ui_port.h"

class QDialog;
class QWidget;

namespace kestrova::ui {

class QtUi : public UiPort, public ScriptedAnswers {
public:
    // Restores the headless default when this was the implementation in use.
    ~QtUi() override;

    void ShowMessage(WindowId owner, const std::string& title, const std::string& text) override;
    bool AskYesNo(WindowId owner, const std::string& title, const std::string& text) override;
    bool AskYesNoDefaultNo(WindowId owner, const std::string& title, const std::string& text) override;
    YesNoAll AskYesNoAll(WindowId owner, const std::string& title, const std::string& text) override;
    bool OpenProgress(WindowId owner, const std::string& title) override;
    void SetProgress(const std::string& text, int percent) override;
    void CloseProgress() override;
    // Lets pending events other than user input run, at most once per 10 ms
    // of wall time (calls in between return at once). While an abortable
    // wait window is open, user input runs too, so its button can be clicked:
    // every other window is disabled or blocked by it then.
    void PumpEvents() override;
    // True once the "Interrompre" button of the current wait window was clicked.
    bool AbortRequested() override;
    void SetWindowTitle(WindowId window, const std::string& title) override;
    // Runs the handler the window registered with SetPageViewHandler.
    void PageViewChanged(WindowId window) override;

    // For window tests (ScriptedAnswers): while NextAnswers is not empty,
    // message boxes and questions are not shown; each takes the front
    // answer (a message box takes one too and ignores it).

private:
    QPointer<QDialog> progress_;
    QPointer<QWidget> progressOwner_;
    bool pumped_ = false;
    MonotonicTime lastPump_;
};

// Makes a Qt window known under an id (nullptr forgets it). The main window
// is MainWindowId.
void RegisterWindow(WindowId id, QWidget* window);
// The window registered under the id; nullptr when none (or destroyed).
QWidget* WindowById(WindowId id);

// What the window registered under an id does when the engine reports that
// its view of the page changed (an empty handler forgets it).
void SetPageViewHandler(WindowId id, std::function<void()> handler);

// The program's QtUi, created on first use and installed as Ui().
QtUi& InstallQtUi();

}  // namespace kestrova::ui
