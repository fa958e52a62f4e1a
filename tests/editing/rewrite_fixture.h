// Shared set-up for the rewrite engine tests: a temporary site folder made
// current (the journal is written there), a fixed clock, a headless UI that
// records the questions and messages, and a clean page and edit state; and a
// lighter one for the tests of a single piece handler.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "base/app_state.h"
#include "base/headless_ui.h"
#include "editing/rewrite_engine.h"
#include "page/page_state.h"
#include "tests/support/engine_state.h"
#include "tests/support/temp_site.h"

namespace kestrova::test {

class RewriteFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ui::SetUi(&ui_);
        ResetEditState();
        Page = PageState{};
        savedLanguage_ = App.Language;
        App.Language = "English";
    }

    void TearDown() override
    {
        ui::SetUi(nullptr);
        ResetEditState();
        Page = PageState{};
        App.Language = savedLanguage_;
    }

    // Writes a page under site/ and makes it the current page. Its date is
    // set well in the past so that any rewrite shows.
    std::string UsePage(const std::string& html, const std::string& name = "page.htm")
    {
        std::string path = dir_.Write("site/" + name, html);
        std::filesystem::last_write_time(path, std::filesystem::file_time_type::clock::now() - std::chrono::hours(48));
        Page.CurrentPagePath = path;
        return path;
    }

    std::string PageBytes() const { return ReadAll(Page.CurrentPagePath); }

    std::filesystem::file_time_type PageTime() const { return std::filesystem::last_write_time(Page.CurrentPagePath); }

    std::string BackupPath(const std::string& name = "page.htm") const { return dir_.File("site/Sauvegarde/" + name); }

    bool BackupExists(const std::string& name = "page.htm") const { return std::filesystem::exists(BackupPath(name)); }

    // Non-empty lines of the journal in the current folder.
    std::vector<std::string> JournalLines() const
    {
        std::vector<std::string> lines;
        std::string all = ReadAll(dir_.File("Kestrova_log.txt"));
        std::string line;
        for (char c : all) {
            if (c == '\n' || c == '\r') {
                if (!line.empty())
                    lines.push_back(line);
                line.clear();
            } else {
                line += c;
            }
        }
        if (!line.empty())
            lines.push_back(line);
        return lines;
    }

    // Every kind of trace a commit leaves: a changed date, a backup, a
    // journal line, a leftover copy.
    void ExpectNoTrace(std::filesystem::file_time_type before) const
    {
        EXPECT_EQ(PageTime(), before);
        EXPECT_FALSE(BackupExists());
        EXPECT_TRUE(JournalLines().empty());
        EXPECT_FALSE(std::filesystem::exists(Page.CurrentPagePath + "2"));
    }

    // The question window's records.
    std::vector<ui::HeadlessUi::Shown> Questions() const
    {
        std::vector<ui::HeadlessUi::Shown> out;
        for (const auto& s : ui_.Log)
            if (s.Kind == "yesnoall")
                out.push_back(s);
        return out;
    }

    TempDir dir_;
    ScopedCurrentDir cwd_{dir_.Path()};
    FixedClock clock_;
    ui::HeadlessUi ui_;
    std::string savedLanguage_;
};

// For the tests of one piece handler on a piece made up in the test: a clean
// page and edit state around each test.
class HandlerFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetEditState();
        Page = PageState{};
    }
    void TearDown() override
    {
        ResetEditState();
        Page = PageState{};
    }

    // Makes tag the current piece (no text) and clears the edit result.
    static void UseTag(const std::string& tag)
    {
        Page.CurrentText.clear();
        Page.CurrentTag = tag;
        Edit.EditResult.clear();
    }
};

}  // namespace kestrova::test
