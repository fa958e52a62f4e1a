#include "base/scripted_answers.h"

namespace kestrova::ui {

std::vector<ScriptedAnswers::Shown> ScriptedAnswers::Messages() const
{
    std::vector<Shown> out;
    for (const Shown& s : Recorded)
        if (s.Kind == "message")
            out.push_back(s);
    return out;
}

void ScriptedAnswers::Note(const char* kind, const std::string& title, const std::string& text)
{
    Recorded.push_back({kind, title, text});
    if (OnAsked)
        OnAsked(Recorded.back());
}

std::optional<YesNoAll> ScriptedAnswers::Take(const char* kind, const std::string& title, const std::string& text)
{
    Note(kind, title, text);
    if (NextAnswers.empty())
        return std::nullopt;
    const YesNoAll answer = NextAnswers.front();
    NextAnswers.pop_front();
    return answer;
}

}  // namespace kestrova::ui
