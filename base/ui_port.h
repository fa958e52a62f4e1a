// The one interface through which engine code talks to the user: message
// boxes, questions, the progress window, and letting pending window events
// run during long operations. The program installs a Qt implementation; tests
// and the command-line tool use HeadlessUi. All texts are Windows-1252.
#pragma once

#include <string>

namespace kestrova::ui {

// Identifies a window of the program; 0 (or less) means none.
using WindowId = int;
constexpr WindowId MainWindowId = 1;
// The editor windows of the current page, each open at most once.
enum EditorWindowId : WindowId {
    MetaWindowId = 120,
    ImagesWindowId = 121,
    SentenceWindowId = 122,
};

enum class YesNoAll { Yes, No, YesToAll };

class UiPort {
public:
    virtual ~UiPort() = default;

    // Modal message box with one OK button.
    virtual void ShowMessage(WindowId owner, const std::string& title, const std::string& text) = 0;
    // Modal question with "Oui" and "Non"; true for yes.
    virtual bool AskYesNo(WindowId owner, const std::string& title, const std::string& text) = 0;
    // The same question with "Non" as the answer Enter gives, for a yes that
    // destroys something.
    virtual bool AskYesNoDefaultNo(WindowId owner, const std::string& title, const std::string& text)
    {
        return AskYesNo(owner, title, text);
    }
    // Modal question with "Oui", "Non" and "Oui pour toutes".
    virtual YesNoAll AskYesNoAll(WindowId owner, const std::string& title, const std::string& text) = 0;

    // Progress window (one at a time). Open returns false when it could not be opened.
    virtual bool OpenProgress(WindowId owner, const std::string& title) = 0;
    virtual void SetProgress(const std::string& text, int percent) = 0;
    virtual void CloseProgress() = 0;

    // Lets pending window events (repaints) run between steps of a long operation.
    virtual void PumpEvents() = 0;
    // True once the user asked to stop the current abortable operation.
    virtual bool AbortRequested() = 0;

    // Sets the caption of a window of the program.
    virtual void SetWindowTitle(WindowId window, const std::string& title) = 0;

    // The engine changed what a window shows of the current page (its
    // lists, fields, caption or buttons): the window shows it again from the
    // engine's state before the engine goes on, so that a message or a
    // question that follows is seen beside the page it is about.
    virtual void PageViewChanged(WindowId window) = 0;
};

// The implementation in use; a HeadlessUi until the program installs its own.
UiPort& Ui();
// Installs an implementation (not owned); nullptr restores the headless default.
void SetUi(UiPort* port);

}  // namespace kestrova::ui
