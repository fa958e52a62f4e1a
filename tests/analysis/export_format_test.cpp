#include "analysis/export_format.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "analysis/analysis_driver.h"
#include "base/app_state.h"
#include "base/codec.h"
#include "base/headless_ui.h"
#include "base/translate.h"
#include "page/page_state.h"
#include "tests/support/engine_state.h"
#include "tests/support/temp_site.h"

using namespace kestrova;
using kestrova::test::ReadAll;

namespace {

const std::string French = "Fran\xE7"
                           "ais";

class ExportFormatTest : public test::EngineStateTest {
protected:
    ExportFormatTest() : EngineStateTest(LanguageEnglish) {}
};

TEST_F(ExportFormatTest, BeforeAnyAnalysisInEnglish)
{
    ExportData data = BuildExport(MainWindowExportSource("Kestrova", "", ""));
    const std::string text = "Kestrova\r\r"
                             "Page title: \r\r"
                             "Page description: \r\r"
                             "Words found into the keywords list of this page:\r"
                             "Keywords\tUsed\t\r\r"
                             "\r\r"
                             "Words found into this page:\r"
                             "Usual words\tEvents\t\r\r"
                             "\r\r"
                             "Other words\tEvents\t\r\r";
    EXPECT_EQ(data.ClipboardText, text);
    EXPECT_EQ(data.FileBytes, " \r\n" + text + "\r\n");
}

TEST_F(ExportFormatTest, FrenchLabelsAndColumnTitles)
{
    App.Language = French;
    Page.KeywordList.AddRow("\xE9t\xE9\nNon");
    Page.UsualWordList.AddRow("la\n2");
    Page.OtherWordList.AddRow("image/images\n3");
    ExportData data = BuildExport(MainWindowExportSource("Kestrova - Page \"a.htm\"", "Mon \xE9t\xE9", "R\xE9sum\xE9"));
    EXPECT_EQ(data.ClipboardText, "Kestrova - Page \"a.htm\"\r\r"
                                  "Titre de la page : Mon \xE9t\xE9\r\r"
                                  "Description de la page : R\xE9sum\xE9\r\r"
                                  "Mots d\xE9"
                                  "clar\xE9s dans la liste des mots cl\xE9s de cette page :\r"
                                  "Mots cl\xE9s\tUtilis\xE9s\t\r\r"
                                  "\xE9t\xE9\tNon\t\r"
                                  "\r\r"
                                  "Mots trouv\xE9s dans cette page :\r"
                                  "Mots usuels\tNb occurences\t\r\r"
                                  "la\t2\t\r"
                                  "\r\r"
                                  "Autre mots\tNb occurences\t\r\r"
                                  "image/images\t3\t\r");
}

TEST_F(ExportFormatTest, OnlyTheFileIsStrippedOfOuterSpaces)
{
    // A description that ends the text cannot occur, but the window title
    // can begin with spaces; the file strips them, the clipboard keeps them.
    ExportData data = BuildExport(MainWindowExportSource("  Kestrova", "t", "d"));
    EXPECT_EQ(data.ClipboardText.substr(0, 10), "  Kestrova");
    EXPECT_EQ(data.FileBytes.substr(0, 11), " \r\nKestrova");
}

TEST(ExportListText, RowsFollowDisplayOrderAndShortRowsGetEmptyCells)
{
    ReportList list;
    list.AddRow("b\n1");
    list.AddRow("a");
    list.AddRow("c\n2\nextra");
    EXPECT_EQ(ListText(list, {"W", "N"}), "W\tN\t\r\rb\t1\t\ra\t\t\rc\t2\t\r");
    EXPECT_EQ(ListText(ReportList{}, {"Only"}), "Only\t\r\r");
}

TEST_F(ExportFormatTest, ExplicitSourceListsAndTitles)
{
    ReportList k, u, o;
    k.AddRow("kw\nYes");
    ExportSource s;
    s.WindowTitle = "W";
    s.Keywords = {&k, {"K1", "K2"}};
    s.UsualWords = {&u, {"U1"}};
    s.OtherWords = {nullptr, {"O1"}};  // a missing list reads as empty
    EXPECT_EQ(ExportText(s), "W\r\rPage title: \r\rPage description: \r\r"
                             "Words found into the keywords list of this page:\rK1\tK2\t\r\rkw\tYes\t\r\r\r"
                             "Words found into this page:\rU1\t\r\r\r\rO1\t\r\r");
}

TEST_F(ExportFormatTest, WritesTheFileAndReportsFailure)
{
    test::TempDir dir;
    ExportData data{"bytes\r\n", "clip"};
    EXPECT_TRUE(WriteExportFile(dir.File("Export.txt"), data));
    EXPECT_EQ(ReadAll(dir.File("Export.txt")), "bytes\r\n");
    // An existing file is overwritten.
    EXPECT_TRUE(WriteExportFile(dir.File("Export.txt"), ExportData{"x", ""}));
    EXPECT_EQ(ReadAll(dir.File("Export.txt")), "x");
    EXPECT_FALSE(WriteExportFile(dir.File("no/such/folder/Export.txt"), data));
}

// The golden files: a page, and what the export holds right after the page
// was analysed, in each language.
class ExportGoldenTest : public ExportFormatTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(ExportGoldenTest, AnalysisThenExportGivesTheExpectedBytes)
{
    const std::string folder = std::string(KESTROVA_TEST_DATA) + "/export/" + GetParam() + "/";
    for (const char* lang : {"en", "fr"}) {
        SCOPED_TRACE(lang);
        ResetAppState();
        App.Language = std::string(lang) == "fr" ? French : "English";
        ui.Clear();
        test::TempDir dir;
        test::ScopedCurrentDir cwd(dir.Path());
        Page.CurrentPagePath = dir.Write("page.htm", ReadAll(folder + "page.htm"));
        AnalysisResult r = AnalyseLocalPage();
        ASSERT_TRUE(r.Ok);
        ExportData data = BuildExport(MainWindowExportSource(r.WindowTitle, r.TitleText, r.DescriptionText));
        const std::string expected = ReadAll(folder + "expected-" + lang + ".txt");
        ASSERT_FALSE(expected.empty());
        EXPECT_EQ(data.FileBytes, expected);
        // The page itself is never changed by an analysis declined to fix.
        EXPECT_EQ(ReadAll(Page.CurrentPagePath), ReadAll(folder + "page.htm"));
    }
}

INSTANTIATE_TEST_SUITE_P(Pages, ExportGoldenTest, ::testing::Values("voiliers", "accents", "empty"));

}  // namespace
