// A UiPort that passes every call on to another one. An interface that
// changes one or two kinds of call (holding message boxes back, counting
// questions) derives from it and overrides just those.
#pragma once

#include <string>

#include "base/ui_port.h"

namespace kestrova::ui {

class ForwardingUi : public UiPort {
public:
    explicit ForwardingUi(UiPort& next) : next_(next) {}

    void ShowMessage(WindowId owner, const std::string& title, const std::string& text) override
    {
        next_.ShowMessage(owner, title, text);
    }
    bool AskYesNo(WindowId owner, const std::string& title, const std::string& text) override
    {
        return next_.AskYesNo(owner, title, text);
    }
    bool AskYesNoDefaultNo(WindowId owner, const std::string& title, const std::string& text) override
    {
        return next_.AskYesNoDefaultNo(owner, title, text);
    }
    YesNoAll AskYesNoAll(WindowId owner, const std::string& title, const std::string& text) override
    {
        return next_.AskYesNoAll(owner, title, text);
    }
    bool OpenProgress(WindowId owner, const std::string& title) override { return next_.OpenProgress(owner, title); }
    void SetProgress(const std::string& text, int percent) override { next_.SetProgress(text, percent); }
    void CloseProgress() override { next_.CloseProgress(); }
    void PumpEvents() override { next_.PumpEvents(); }
    bool AbortRequested() override { return next_.AbortRequested(); }
    void SetWindowTitle(WindowId window, const std::string& title) override { next_.SetWindowTitle(window, title); }
    void PageViewChanged(WindowId window) override { next_.PageViewChanged(window); }

protected:
    UiPort& Next() const { return next_; }

private:
    UiPort& next_;
};

}  // namespace kestrova::ui
