#include "base/held_messages.h"

namespace kestrova::ui {

HeldMessages::HeldMessages() : next_(Ui())
{
    SetUi(this);
}

HeldMessages::~HeldMessages()
{
    Release();
}

void HeldMessages::Release()
{
    if (released_)
        return;
    released_ = true;
    if (&Ui() == this)
        SetUi(&next_);
    // The list is moved out first: a message box may let events run that
    // start other work.
    std::vector<Held> held = std::move(held_);
    for (const Held& m : held)
        next_.ShowMessage(m.Owner, m.Title, m.Text);
}

void HeldMessages::ShowMessage(WindowId owner, const std::string& title, const std::string& text)
{
    if (released_)
        next_.ShowMessage(owner, title, text);
    else
        held_.push_back({owner, title, text});
}

bool HeldMessages::AskYesNo(WindowId owner, const std::string& title, const std::string& text)
{
    return next_.AskYesNo(owner, title, text);
}

YesNoAll HeldMessages::AskYesNoAll(WindowId owner, const std::string& title, const std::string& text)
{
    return next_.AskYesNoAll(owner, title, text);
}

bool HeldMessages::OpenProgress(WindowId owner, const std::string& title)
{
    return next_.OpenProgress(owner, title);
}

void HeldMessages::SetProgress(const std::string& text, int percent)
{
    next_.SetProgress(text, percent);
}

void HeldMessages::CloseProgress()
{
    next_.CloseProgress();
}

void HeldMessages::PumpEvents()
{
    next_.PumpEvents();
}

bool HeldMessages::AbortRequested()
{
    return next_.AbortRequested();
}

void HeldMessages::SetWindowTitle(WindowId window, const std::string& title)
{
    next_.SetWindowTitle(window, title);
}

void HeldMessages::PageViewChanged(WindowId window)
{
    next_.PageViewChanged(window);
}

}  // namespace kestrova::ui
