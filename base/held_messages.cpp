#include "base/held_messages.h"

namespace kestrova::ui {

HeldMessages::HeldMessages() : ForwardingUi(Ui())
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
        SetUi(&Next());
    // The list is moved out first: a message box may let events run that
    // start other work.
    std::vector<Held> held = std::move(held_);
    for (const Held& m : held)
        Next().ShowMessage(m.Owner, m.Title, m.Text);
}

void HeldMessages::ShowMessage(WindowId owner, const std::string& title, const std::string& text)
{
    if (released_)
        Next().ShowMessage(owner, title, text);
    else
        held_.push_back({owner, title, text});
}

}  // namespace kestrova::ui
