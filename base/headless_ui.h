// A UiPort without windows, for the command-line tool and the tests: it
// records everything it is asked to show and answers questions from the
// prepared answers (ScriptedAnswers), then by a default policy. Message
// boxes take no prepared answer.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "base/scripted_answers.h"
#include "base/ui_port.h"

namespace kestrova::ui {

class HeadlessUi : public UiPort, public ScriptedAnswers {
public:
    void ShowMessage(WindowId owner, const std::string& title, const std::string& text) override;
    bool AskYesNo(WindowId owner, const std::string& title, const std::string& text) override;
    YesNoAll AskYesNoAll(WindowId owner, const std::string& title, const std::string& text) override;
    bool OpenProgress(WindowId owner, const std::string& title) override;
    void SetProgress(const std::string& text, int percent) override;
    void CloseProgress() override;
    void PumpEvents() override;
    bool AbortRequested() override;
    void SetWindowTitle(WindowId window, const std::string& title) override;
    // Recorded as "view" (no title, no text); OnViewChanged runs then.
    void PageViewChanged(WindowId window) override;

    // Called for each PageViewChanged, so tests can look at the state the
    // window would show at that moment.
    std::function<void(WindowId)> OnViewChanged;
    // Progress texts given to SetProgress, in order.
    std::vector<std::string> ProgressTexts;

    // The answer to questions once NextAnswers is empty.
    YesNoAll DefaultAnswer = YesNoAll::No;
    // Set to make AbortRequested return true.
    bool Abort = false;

    // Everything shown, in order: the message boxes and questions of
    // Recorded, and "progress", "title" and "view" entries.
    std::vector<Shown> Log;
    int ProgressOpenCount = 0;
    int PumpCount = 0;
    bool ProgressOpen = false;
    int LastPercent = -1;

    void Clear();

private:
    YesNoAll Ask(const char* kind, const std::string& title, const std::string& text);
    void Record(const std::string& kind, const std::string& title, const std::string& text);
};

// A UiPort that keeps nothing and answers "no" to every question, for long
// unattended runs (benchmarks, fuzzing) that may report many messages.
class SilentUi : public UiPort {
public:
    void ShowMessage(WindowId, const std::string&, const std::string&) override { ++messages; }
    bool AskYesNo(WindowId, const std::string&, const std::string&) override { return false; }
    YesNoAll AskYesNoAll(WindowId, const std::string&, const std::string&) override { return YesNoAll::No; }
    bool OpenProgress(WindowId, const std::string&) override { return true; }
    void SetProgress(const std::string&, int) override {}
    void CloseProgress() override {}
    void PumpEvents() override {}
    bool AbortRequested() override { return false; }
    void SetWindowTitle(WindowId, const std::string&) override {}
    void PageViewChanged(WindowId) override {}

    int messages = 0;  // message boxes asked for
};

}  // namespace kestrova::ui
