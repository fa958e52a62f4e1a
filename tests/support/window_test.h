// For window tests: what every QtTest program of the windows needs, in one
// place: the scripted answers to the port's message boxes and questions with
// the record of what was asked, pages of the sample site, and a main window
// shown and active. Header-only, for the QtTest programs (the support
// library has no Qt).
#pragma once

#include <QApplication>
#include <QTest>
#include <cstddef>
#include <filesystem>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "base/app_state.h"
#include "editing/rewrite_engine.h"
#include "page/page_state.h"
#include "ui/widget_ui.h"

namespace kestrova::test {

// Answers for the message boxes and questions of the port (ui::QtUi), and
// what was asked since they were given.
class ScriptedAnswers {
public:
    // The program's QtUi, installed on first use.
    static ui::QtUi& Ui() { return ui::InstallQtUi(); }

    // The next message boxes and questions get these answers, then "Non".
    void Answer(std::initializer_list<ui::YesNoAll> answers = {})
    {
        ui::QtUi& qt = Ui();
        qt.NextAnswers.assign(answers.begin(), answers.end());
        for (int i = 0; i < 20; ++i)
            qt.NextAnswers.push_back(ui::YesNoAll::No);
        before_ = qt.Recorded.size();
    }

    // The message boxes and questions since the last Answer().
    std::vector<ui::QtUi::Shown> Asked() const
    {
        const ui::QtUi& qt = Ui();
        return {qt.Recorded.begin() + static_cast<std::ptrdiff_t>(before_), qt.Recorded.end()};
    }

private:
    std::size_t before_ = 0;
};

// The program's state as a window test starts from: the settings of a
// later start in that language (no first-start questions), no banner, no
// page and no edit under way.
inline void ResetProgramState(const std::string& language)
{
    ResetAppState();
    App.Language = language;
    App.Preferences = "pub|";
    App.BannerOn = false;
    Page = PageState{};
    ResetEditState();
}

// Copies a page of the sample site (resources/dist/Exemple) to the same
// place below site and returns its path.
inline std::string CopySamplePage(const std::filesystem::path& site, const std::string& relative)
{
    namespace fs = std::filesystem;
    const fs::path from = fs::path(KESTROVA_SOURCE_DIR) / "resources/dist/Exemple" / relative;
    const fs::path to = site / relative;
    fs::create_directories(to.parent_path());
    fs::copy_file(from, to, fs::copy_options::overwrite_existing);
    return to.string();
}

// Replaces the window held with a new main window of that size, shown and
// active.
inline MainWindow& ShowNewMainWindow(std::unique_ptr<MainWindow>& held, int width = 712, int height = 600)
{
    held.reset();
    held = std::make_unique<MainWindow>();
    held->resize(width, height);
    held->show();
    held->activateWindow();
    if (!QTest::qWaitForWindowActive(held.get()))
        qWarning("the main window did not become active");
    return *held;
}

}  // namespace kestrova::test
