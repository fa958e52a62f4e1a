// Holds back the message boxes asked for during a stretch of work, so that
// they are shown once the window shows what they are about: while a
// HeldMessages is alive it is the interface in use, passes everything but
// message boxes to the interface it replaced, and keeps the message boxes;
// Release() (or the end of the object) puts the replaced interface back and
// shows the kept message boxes there, in the order they were asked for.
#pragma once

#include <string>
#include <vector>

#include "base/forwarding_ui.h"

namespace kestrova::ui {

class HeldMessages : public ForwardingUi {
public:
    HeldMessages();
    ~HeldMessages() override;
    HeldMessages(const HeldMessages&) = delete;
    HeldMessages& operator=(const HeldMessages&) = delete;

    // Shows the kept message boxes; later ones are shown at once.
    void Release();

    // Every other call goes straight to the replaced interface.
    void ShowMessage(WindowId owner, const std::string& title, const std::string& text) override;

private:
    struct Held {
        WindowId Owner;
        std::string Title;
        std::string Text;
    };
    bool released_ = false;
    std::vector<Held> held_;
};

}  // namespace kestrova::ui
