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
    if (OnShown)
        OnShown(Log.back());
}

YesNoAll HeadlessUi::NextAnswer()
{
    if (NextAnswers.empty())
        return DefaultAnswer;
    YesNoAll a = NextAnswers.front();
    NextAnswers.pop_front();
    return a;
}

void HeadlessUi::ShowMessage(WindowId, const std::string& title, const std::string& text)
{
    Record("message", title, text);
}

bool HeadlessUi::AskYesNo(WindowId, const std::string& title, const std::string& text)
{
    Record("yesno", title, text);
    return NextAnswer() != YesNoAll::No;
}

YesNoAll HeadlessUi::AskYesNoAll(WindowId, const std::string& title, const std::string& text)
{
    Record("yesnoall", title, text);
    return NextAnswer();
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

std::vector<HeadlessUi::Shown> HeadlessUi::Messages() const
{
    std::vector<Shown> out;
    for (const auto& s : Log)
        if (s.Kind == "message")
            out.push_back(s);
    return out;
}

void HeadlessUi::Clear()
{
    Log.clear();
    NextAnswers.clear();
    ProgressOpenCount = 0;
    PumpCount = 0;
    ProgressOpen = false;
    LastPercent = -1;
    ProgressTexts.clear();
    Abort = false;
}

}  // namespace kestrova::ui
