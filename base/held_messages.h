// Holds back the message boxes asked for during a stretch of work, so that
// they are shown once the window shows what they are about: while a
// HeldMessages is alive it is the interface in use, passes everything but
// message boxes to the interface it replaced, and keeps the message boxes;
// Release() (or the end of the object) puts the replaced interface back and
// shows the kept message boxes there, in the order they were asked for.
#pragma once

#include <string>
#include <vector>

#include "base/ui_port.h"

namespace kestrova::ui {

class HeldMessages : public UiPort {
public:
    HeldMessages();
    ~HeldMessages() override;
    HeldMessages(const HeldMessages&) = delete;
    HeldMessages& operator=(const HeldMessages&) = delete;

    // Shows the kept message boxes; later ones are shown at once.
    void Release();

    void ShowMessage(WindowId owner, const std::string& title, const std::string& text) override;
    bool AskYesNo(WindowId owner, const std::string& title, const std::string& text) override;
    YesNoAll AskYesNoAll(WindowId owner, const std::string& title, const std::string& text) override;
    bool OpenProgress(WindowId owner, const std::string& title) override;
    void SetProgress(const std::string& text, int percent) override;
    void CloseProgress() override;
    void PumpEvents() override;
    bool AbortRequested() override;
    void SetWindowTitle(WindowId window, const std::string& title) override;
    void PageViewChanged(WindowId window) override;

private:
    struct Held {
        WindowId Owner;
        std::string Title;
        std::string Text;
    };
    UiPort& next_;
    bool released_ = false;
    std::vector<Held> held_;
};

}  // namespace kestrova::ui
