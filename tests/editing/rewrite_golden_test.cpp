// Whole pages rewritten by one operation: tests/data/rewrite/<case>/input.htm
// becomes expected.htm byte for byte. A case whose expected page equals its
// input must leave no trace at all (date, backup, journal).
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "editing/rewrite_engine.h"
#include "page/page_state.h"
#include "tests/editing/rewrite_fixture.h"

namespace kestrova {
namespace {

struct GoldenCase {
    const char* Name;
    std::function<std::string()> Call;
    std::string Result;                 // expected return value
    std::vector<ui::YesNoAll> Answers;  // answers to the creation question
};

std::string DataFile(const std::string& caseName, const std::string& file)
{
    return std::string(KESTROVA_TEST_DATA) + "/rewrite/" + caseName + "/" + file;
}

std::vector<GoldenCase> Cases()
{
    const auto w = ui::MainWindowId;
    return {
        {"meta_ajoute_accent",
         [w] {
             return EditMeta(w, OpAjoute,
                             "cr\xE8me br\xFBl\xE9"
                             "e",
                             "keywords");
         },
         "OK",
         {}},
        {"meta_sup_middle", [w] { return EditMeta(w, OpSup, "b", "keywords"); }, "OK", {}},
        {"meta_sup_absent", [w] { return EditMeta(w, OpSup, "d", "keywords"); }, "", {}},
        {"meta_create_keywords", [w] { return EditMeta(w, OpAjoute, "foo", "keywords"); }, "OK", {ui::YesNoAll::Yes}},
        {"meta_description_beside_content_type",
         [w] { return EditMeta(w, OpToutRemplacer, "Le caf\xE9 & le th\xE9", "description"); },
         "old",
         {}},
        {"attr_addalt_three_images",
         [w] { return EditAttribute(w, OpAddAlt, "img src|logo", "Notre logo"); },
         "img src|images/logo.gif",
         {}},
        {"attr_addalt_second_replaces",
         [w] {
             // Past the first image, as the images window does for row 2.
             EditAttribute(w, OpListe, "img src/background|", "");
             Edit.LastMatchPosition += 1;
             return EditAttribute(w, OpAddAlt, "img src/background|logo.gif", "Notre logo");
         },
         "img src|logo.gif",
         {}},
        {"text_replace_not_title",
         [w] { return EditText(w, OpToutRemplacer, "promo", "Soldes d'\xE9t\xE9"); },
         "promo",
         {}},
        {"title_replace",
         [] {
             Page.PageTitle = "Ancien";
             return std::to_string(ReplaceTitle("L'\xE9t\xE9 \xAB"
                                                "chaud\xBB"));
         },
         "1",
         {}},
    };
}

class RewriteGolden : public test::RewriteFixture {};

TEST_F(RewriteGolden, EachCaseWritesExactlyTheExpectedPage)
{
    for (const GoldenCase& c : Cases()) {
        SCOPED_TRACE(c.Name);
        const std::string input = test::ReadAll(DataFile(c.Name, "input.htm"));
        const std::string expected = test::ReadAll(DataFile(c.Name, "expected.htm"));
        ASSERT_FALSE(input.empty());
        ASSERT_FALSE(expected.empty());

        // Each case in its own folder, with its own journal.
        test::TempDir site;
        test::ScopedCurrentDir here(site.Path());
        const std::string path = site.Write("page.htm", input);
        std::filesystem::last_write_time(path, std::filesystem::file_time_type::clock::now() - std::chrono::hours(48));
        const auto before = std::filesystem::last_write_time(path);
        ResetEditState();
        Page = PageState{};
        Page.CurrentPagePath = path;
        ui_.Clear();
        ui_.NextAnswers.assign(c.Answers.begin(), c.Answers.end());

        EXPECT_EQ(c.Call(), c.Result);
        EXPECT_EQ(test::ReadAll(path), expected);
        EXPECT_TRUE(ui_.Messages().empty());
        EXPECT_FALSE(std::filesystem::exists(path + "2"));

        const std::string backup = site.File("Sauvegarde/page.htm");
        const std::string journal = test::ReadAll(site.File("Kestrova_log.txt"));
        if (expected == input) {
            EXPECT_EQ(std::filesystem::last_write_time(path), before);
            EXPECT_FALSE(std::filesystem::exists(backup));
            EXPECT_EQ(journal, "");
        } else {
            EXPECT_TRUE(std::filesystem::exists(backup));
            // One line: the page, "|", the time of the change (after the
            // empty line a new journal begins with, when the page changed once).
            EXPECT_EQ(journal.substr(journal.rfind('\n', 0) == 0 ? 1 : 0), path + "|1700000000\n");
            if (c.Answers.empty()) {
                EXPECT_EQ(test::ReadAll(backup), input);
            }
        }
    }
}

}  // namespace
}  // namespace kestrova
