// The verbs of kestrova-cli, each one analysis or one call of the rewrite
// engine on one page. Texts given here are already Windows-1252; the
// messages the engine shows go to the session's error stream.
#pragma once

#include <iosfwd>
#include <string>

#include "base/headless_ui.h"

namespace kestrova::cli {

// Exit statuses.
constexpr int ExitOk = 0;
constexpr int ExitFailure = 1;
constexpr int ExitUsage = 2;

// One run of the tool: a fresh program state in the chosen language, and a
// headless user interface that prints every message box (and every question
// with the answer it got) on the error stream as one UTF-8 line. Questions
// are answered by the given policy. Restores the default interface when it
// ends.
class Session {
public:
    Session(std::ostream& err, const std::string& language, bool answerYes);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    ui::HeadlessUi& Ui() { return ui_; }
    std::ostream& Err() { return err_; }
    // Number of message boxes and questions shown so far.
    std::size_t Shown() const { return shown_; }
    // Prints one error line ("kestrova-cli: " + text, text in UTF-8).
    void Error(const std::string& utf8Text);

private:
    std::ostream& err_;
    ui::HeadlessUi ui_;
    bool answerYes_;
    std::size_t shown_ = 0;
};

// The "Language" value for a --lang code ("fr" or "en"); "" for any other.
std::string LanguageForCode(const std::string& code);

// Checks that the page exists and is a readable file; with forEdit also that
// the program would let it be edited (not empty, writable, in a writable
// folder). Prints one error line and returns false otherwise.
bool CheckPage(Session& session, const std::string& path, bool forEdit);

// The analysis as tab-separated UTF-8 lines (see the usage text) from the
// current page state, title and description.
std::string AnalysisReport(const std::string& titleText, const std::string& descriptionText);

int ExportVerb(Session& session, const std::string& page, const std::string& outFile);
int AnalyseVerb(Session& session, const std::string& page, std::ostream& out);
int MetaReadVerb(Session& session, const std::string& page, const std::string& name, std::ostream& out);
int MetaSetVerb(Session& session, const std::string& page, const std::string& name, const std::string& text,
                bool create);
int KeywordAddVerb(Session& session, const std::string& page, const std::string& word, bool create);
int KeywordRemoveVerb(Session& session, const std::string& page, const std::string& word);
int TitleSetVerb(Session& session, const std::string& page, const std::string& title);

}  // namespace kestrova::cli
