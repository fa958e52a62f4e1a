#include "analysis/analysis_driver.h"

#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <system_error>

#include "analysis/word_lists.h"
#include "analysis/word_tables.h"
#include "base/app_state.h"
#include "base/held_messages.h"
#include "base/text_rules.h"
#include "base/translate.h"
#include "base/ui_port.h"
#include "base/unicode_text.h"
#include "editing/rewrite_engine.h"
#include "page/page_change.h"
#include "page/page_state.h"
#include "page/page_walker.h"

namespace kestrova {

namespace {

namespace fs = std::filesystem;

// The page may be rewritten: it is not empty and it opens for reading and
// writing. A missing file is not created by the test.
bool IsPageWritable(const std::string& path)
{
    std::error_code ec;
    auto size = fs::file_size(path, ec);
    if (ec || size == 0)
        return false;
    int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

// The page opens for reading (a folder does not count as a page).
bool IsPageReadable(const std::string& path)
{
    std::error_code ec;
    if (!fs::is_regular_file(path, ec))
        return false;
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

void ShowNotEditableMessage()
{
    // "Ce fichier n'est pas éditable. Les fonctions d'édition et de correction de "
    // + "Kestrova" + " ont été désactivées."
    std::string text = TranslateFrenchKey("Ce fichier n'est pas \xE9"
                                          "ditable. Les fonctions d'\xE9"
                                          "dition et de correction de ");
    text += "Kestrova";
    text += TranslateFrenchKey(" ont \xE9t\xE9 d\xE9sactiv\xE9"
                               "es.");
    ui::Ui().ShowMessage(ui::MainWindowId, TranslateFrenchKey("Attention !"), text);
}

// Removes each declared keyword from the keywords meta tag and puts it back
// at the front, which writes it entity-encoded.
bool ReencodeKeywords()
{
    auto& ui = ui::Ui();
    bool open = ui.OpenProgress(ui::MainWindowId, TranslateFrenchKey("Analyse du fichier..."));
    bool changed = false;
    // Copy the keywords first: the list is what the analysis found and the
    // edits below must not depend on it changing under them.
    std::vector<std::string> keywords;
    for (const auto& row : Page.KeywordList.Rows)
        keywords.push_back(row.empty() ? std::string() : row[0]);
    const std::size_t count = keywords.size();
    // One change of the page for all of them (one backup, one journal
    // line). Each keyword goes to the front of the list again, so the last
    // one is done first and the list keeps its order.
    PageChangeGroup change(Page.CurrentPagePath, ui::MainWindowId);
    for (std::size_t r = 0; r <= count; ++r) {
        const std::string keyword = r < count ? keywords[count - 1 - r] : std::string();
        if (open)
            ui.SetProgress(keyword, count ? static_cast<int>(r * 100 / count) : 100);
        if (keyword.empty())
            continue;
        if (!EditMeta(ui::MainWindowId, OpSup, keyword, "keywords").empty()) {
            if (EditMeta(ui::MainWindowId, OpAjoute, keyword, "keywords").empty())
                change.Fail();
            changed = true;
        }
    }
    if (open)
        ui.CloseProgress();
    return change.Commit() && changed;
}

}  // namespace

std::string PageWindowTitle(const std::string& displayName)
{
    return "Kestrova - Page \"" + displayName + "\"";
}

namespace {
AnalysisResult current;

// The window shows CurrentAnalysis() again.
void ViewChanged()
{
    ui::Ui().PageViewChanged(ui::MainWindowId);
}
}  // namespace

const AnalysisResult& CurrentAnalysis()
{
    return current;
}

AnalysisResult AnalyseLocalPage()
{
    Page.KeywordAccentsBad = false;
    Page.PageReadOnly = false;
    Page.PageTitle.clear();

    Page.CurrentPagePath = ResolveShortcut(Page.CurrentPagePath);
    const std::string displayName = DisplayFileName(Page.CurrentPagePath);
    if (!IsPageWritable(Page.CurrentPagePath))
        Page.PageReadOnly = true;
    return AnalyseCurrentPage(displayName);
}

AnalysisResult AnalyseCurrentPage(const std::string& displayName)
{
    current = AnalysisResult{};
    AnalysisResult& result = current;
    // The messages about the page wait until the window shows it.
    ui::HeldMessages held;
    if (Page.PageReadOnly && !Page.CurrentPagePath.empty())
        ShowNotEditableMessage();

    if (IsPageReadable(Page.CurrentPagePath)) {
        Page.KeywordList.Clear();
        Page.OtherWordList.Clear();
        Page.UsualWordList.Clear();
        ResetWordTables();
        result.ListsChanged = true;
        result.Buttons.ManualAdd = ButtonChange::Enable;
        result.Buttons.ModifySentence = ButtonChange::Disable;
        // The caption names the page from the start of the walk on, so that
        // nothing shown meanwhile seems to be about the page before.
        result.WindowTitle = PageWindowTitle(displayName);
        result.WindowTitleSet = true;
        ui::Ui().SetWindowTitle(ui::MainWindowId, result.WindowTitle);
        // Empty fields until the page gives them their texts.
        result.FieldsSet = true;
        ViewChanged();

        int walked =
            WalkPage(Page.CurrentPagePath, WalkOptions{.SetTitle = true, .ShowProgress = true}, AnalysisHandler);
        // Texts typed for this page are taken in its encoding.
        SetTypedTextForUtf8Page(Page.PageUtf8);

        if (walked) {
            FillWordLists(Page.OtherWordList, Page.UsualWordList);
            MarkUsedKeywords();
            result.Buttons.AddToKeywords = ButtonChange::Disable;
            result.Buttons.Remove = ButtonChange::Disable;
            result.Buttons.Modify = ButtonChange::Disable;
            result.TitleText = Page.PageTitle;
            // An empty description tag reads as the marker "balisevide";
            // the field and the saved state show it as an empty text.
            Page.PageDescription = DisplayEditResult(EditMeta(ui::MainWindowId, OpListe, "", "description"));
            result.DescriptionText = Page.PageDescription;
            result.Ok = true;
        } else {
            // Nothing of the page before stays in the fields.
            Page.PageTitle.clear();
            Page.PageDescription.clear();
        }
    }

    if (Page.CurrentPagePath.empty() || Page.PageReadOnly) {
        result.Buttons.ManualAdd = ButtonChange::Disable;
        result.Buttons.Modify = ButtonChange::Disable;
        result.Buttons.Remove = ButtonChange::Disable;
        result.Buttons.AddToKeywords = ButtonChange::Disable;
    }
    result.Buttons.SaveTitle = ButtonChange::Disable;
    result.Buttons.SaveDescription = ButtonChange::Disable;
    result.PageLoaded = !Page.CurrentPagePath.empty();
    result.ReadOnly = Page.PageReadOnly;
    if (result.ListsChanged)
        ViewChanged();
    held.Release();

    if (Page.KeywordAccentsBad && !Page.PageReadOnly && !Page.CurrentPagePath.empty()) {
        // "Certains des mots clés comportent des accents qui ne sont pas
        // correctement codés en HTML" LF "Voulez-vous corriger cela ?"
        const std::string question = TranslateFrenchKey(
            "Certains des mots cl\xE9s comportent des accents qui ne sont pas correctement cod\xE9s en HTML\n"
            "Voulez-vous corriger cela ?");
        if (ui::Ui().AskYesNo(ui::MainWindowId, TranslateFrenchKey("Attention !"), question))
            result.KeywordsReencoded = ReencodeKeywords();
    }

    SortReportList(Page.KeywordList, 0, true);
    SortReportList(Page.OtherWordList, 0, true);
    SortReportList(Page.UsualWordList, 0, true);
    if (result.ListsChanged)
        ViewChanged();

    result.PageLoaded = !Page.CurrentPagePath.empty();
    result.ReadOnly = Page.PageReadOnly;
    return result;
}

std::string OpenDialogStartFolder()
{
    if (!Page.CurrentPagePath.empty())
        App.Folder = FolderOf(Page.CurrentPagePath);
    return App.Folder;
}

std::string PageFilePatterns()
{
    // Built from the extension list as the dialog filter wants it.
    std::string extensions = "shtm;shtml;htm;html;php;asp;cgi;";
    extensions.pop_back();
    std::string patterns = "*.";
    for (char c : extensions) {
        if (c == ';')
            patterns += ";*.";
        else
            patterns += c;
    }
    return patterns;
}

void AcceptChosenPage(const std::string& path)
{
    Page.CurrentPagePath = path;
    if (FolderOf(path) != App.Folder)
        App.FileListe.clear();
}

}  // namespace kestrova
