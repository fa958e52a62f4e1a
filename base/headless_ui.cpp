#include "base/headless_ui.h"

namespace kestrova::ui {

namespace {
HeadlessUi& DefaultUi()
{
    static HeadlessUi ui;
    return ui;
}
UiPort* current = nullptr;
}  // namespace

UiPort& Ui()
{
    return current ? *current : DefaultUi();
}

void SetUi(UiPort* port)
{
    current = port;
}

void HeadlessUi::Record(const std::string& kind, const std::string& title, const std::string& text)
{
    Log.push_back({kind, title, text});
}

YesNoAll HeadlessUi::Ask(const char* kind, const std::string& title, const std::string& text)
{
    Record(kind, title, text);
    return Take(kind, title, text).value_or(DefaultAnswer);
}

void HeadlessUi::ShowMessage(WindowId, const std::string& title, const std::string& text)
{
    Record("message", title, text);
    Note("message", title, text);
}

bool HeadlessUi::AskYesNo(WindowId, const std::string& title, const std::string& text)
{
    return Ask("yesno", title, text) != YesNoAll::No;
}

YesNoAll HeadlessUi::AskYesNoAll(WindowId, const std::string& title, const std::string& text)
{
    return Ask("yesnoall", title, text);
}

bool HeadlessUi::OpenProgress(WindowId, const std::string& title)
{
    Record("progress", title, {});
    ++ProgressOpenCount;
    ProgressOpen = true;
    return true;
}

void HeadlessUi::SetProgress(const std::string& text, int percent)
{
    ProgressTexts.push_back(text);
    LastPercent = percent;
}

void HeadlessUi::CloseProgress()
{
    ProgressOpen = false;
}

void HeadlessUi::PumpEvents()
{
    ++PumpCount;
}

bool HeadlessUi::AbortRequested()
{
    return Abort;
}

void HeadlessUi::SetWindowTitle(WindowId, const std::string& title)
{
    Record("title", title, {});
}

void HeadlessUi::PageViewChanged(WindowId window)
{
    Record("view", {}, {});
    if (OnViewChanged)
        OnViewChanged(window);
}

void HeadlessUi::Clear()
{
    Log.clear();
    Recorded.clear();
    NextAnswers.clear();
    ProgressOpenCount = 0;
    PumpCount = 0;
    ProgressOpen = false;
    LastPercent = -1;
    ProgressTexts.clear();
    Abort = false;
}

}  // namespace kestrova::ui
