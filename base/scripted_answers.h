// What the user-interface port was asked to show, and the answers prepared
// for its questions: one record for every implementation of the port, so
// that the command-line tool, the engine tests and the window tests script
// and read questions the same way.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/ui_port.h"

namespace kestrova::ui {

class ScriptedAnswers {
public:
    struct Shown {
        std::string Kind;  // "message", "yesno" or "yesnoall"
        std::string Title;
        std::string Text;
    };

    // Answers given to the next questions, in order.
    std::deque<YesNoAll> NextAnswers;
    // Every message box and question asked, in order.
    std::vector<Shown> Recorded;
    // Called as each message box or question is asked, before it is
    // answered, so that a test can look at the windows at that moment.
    std::function<void(const Shown&)> OnAsked;

    // The message boxes among Recorded.
    std::vector<Shown> Messages() const;

protected:
    ~ScriptedAnswers() = default;
    // Records a message box or question and calls OnAsked.
    void Note(const char* kind, const std::string& title, const std::string& text);
    // Note, then takes the front prepared answer, if any.
    std::optional<YesNoAll> Take(const char* kind, const std::string& title, const std::string& text);
};

}  // namespace kestrova::ui
