#include "cli/cli_verbs.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <ostream>
#include <unordered_map>

#include "analysis/analysis_driver.h"
#include "analysis/export_format.h"
#include "analysis/online_page.h"
#include "analysis/word_tables.h"
#include "base/app_state.h"
#include "base/codec.h"
#include "base/text_rules.h"
#include "base/translate.h"
#include "base/unicode_text.h"
#include "cli/cli_online.h"
#include "editing/rewrite_engine.h"
#include "page/page_change.h"
#include "page/page_state.h"

namespace kestrova::cli {

namespace {

namespace fs = std::filesystem;

// A text as one output line: tabs and line ends become spaces.
std::string OneLine(const std::string& text)
{
    std::string s;
    s.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            continue;  // CR LF: one space
        s += (c == '\t' || c == '\r' || c == '\n') ? ' ' : c;
    }
    return s;
}

std::string Quoted(const std::string& cp1252)
{
    return "\"" + PageTextToDisplay(cp1252) + "\"";
}

// Marks PageTitle before a title walk so that the walk shows whether it met
// a title element; never a title a page can hold, and never the marker the
// title handler waits with.
constexpr char NoTitleSeen[] = "\x01";

}  // namespace

Session::Session(std::ostream& err, const std::string& language, bool answerYes) : err_(err), answerYes_(answerYes)
{
    ResetAppState();
    App.Language = language;
    Page = PageState{};
    ResetEditState();
    ResetWordTables();
    ui_.DefaultAnswer = answerYes ? ui::YesNoAll::Yes : ui::YesNoAll::No;
    ui_.OnAsked = [this](const ui::HeadlessUi::Shown& shown) {
        const bool question = shown.Kind == "yesno" || shown.Kind == "yesnoall";
        ++shown_;
        err_ << "kestrova-cli: " << PageTextToDisplay(OneLine(shown.Title)) << ": "
             << PageTextToDisplay(OneLine(shown.Text));
        if (question)
            err_ << (answerYes_ ? " [yes]" : " [no]");
        err_ << '\n';
    };
    ui::SetUi(&ui_);
}

Session::~Session()
{
    ui::SetUi(nullptr);
}

void Session::Error(const std::string& utf8Text)
{
    err_ << "kestrova-cli: " << utf8Text << '\n';
}

std::string LanguageForCode(const std::string& code)
{
    if (code == "fr")
        return "Fran\xE7"
               "ais";  // "Français"
    if (code == "en")
        return "English";
    return {};
}

bool CheckPage(Session& session, const std::string& path, bool forEdit)
{
    std::error_code ec;
    auto status = fs::status(path, ec);
    if (ec || !fs::exists(status)) {
        session.Error(path + ": no such file");
        return false;
    }
    if (fs::is_directory(status)) {
        session.Error(path + ": is a folder, not a page");
        return false;
    }
    if (!fs::is_regular_file(status)) {
        session.Error(path + ": is not a regular file");
        return false;
    }
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        session.Error(path + ": cannot be read: " + std::strerror(errno));
        return false;
    }
    ::close(fd);
    if (!forEdit)
        return true;

    // The program offers no editing on a page it takes as read-only.
    const std::string target = ResolveShortcut(path);
    if (fs::file_size(target, ec) == 0 && !ec) {
        session.Error(path + ": the page is empty and cannot be edited");
        return false;
    }
    fd = ::open(target.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) {
        session.Error(path + ": the page is not writable: " + std::strerror(errno));
        return false;
    }
    ::close(fd);
    // The rewritten copy and the backup folder are created beside the page.
    std::string folder = fs::path(target).parent_path().string();
    if (folder.empty())
        folder = ".";
    if (::access(folder.c_str(), W_OK | X_OK) != 0) {
        session.Error(path + ": the folder of the page is not writable");
        return false;
    }
    return true;
}

std::string AnalysisReport(const std::string& titleText, const std::string& descriptionText)
{
    auto field = [](const std::string& cp1252) { return PageTextToDisplay(OneLine(cp1252)); };
    auto cell = [](const std::vector<std::string>& row, std::size_t c) {
        return c < row.size() ? row[c] : std::string();
    };

    std::unordered_map<std::string, std::string> origins;
    for (int i = 0; i < WordTableRows && !WordTables.WordForms[i].empty(); ++i)
        origins.emplace(WordTables.WordForms[i], WordTables.WordOrigins[i]);

    std::string out;
    out += "title\t" + field(titleText) + "\n";
    out += "description\t" + field(descriptionText) + "\n";
    const std::string yes = TranslateFrenchKey("Oui");
    for (const auto& row : Page.KeywordList.Rows)
        out += "keyword\t" + field(cell(row, 0)) + "\t" + (cell(row, 1) == yes ? "yes" : "no") + "\n";
    const std::pair<const ReportList*, const char*> lists[] = {{&Page.UsualWordList, "usual"},
                                                               {&Page.OtherWordList, "other"}};
    for (const auto& [list, kind] : lists) {
        for (const auto& row : list->Rows) {
            auto it = origins.find(cell(row, 0));
            out += "word\t" + field(cell(row, 0)) + "\t" + field(cell(row, 1)) + "\t" + kind + "\t" +
                   field(it == origins.end() ? std::string() : it->second) + "\n";
        }
    }
    return out;
}

namespace {

// The page as the program holds it: a full path (the journal records full
// paths, whatever folder the tool was started from).
std::string FullPagePath(const std::string& page)
{
    std::error_code ec;
    std::filesystem::path full = std::filesystem::absolute(page, ec);
    return ec ? page : full.lexically_normal().string();
}

// Analyses the page as the program does when it is opened; false (with the
// error shown) when the analysis failed.
bool AnalysePage(Session& session, const std::string& page, AnalysisResult& result)
{
    if (IsOnlineAddress(page))
        return AnalyseOnlineAddress(session, page, result);
    if (!CheckPage(session, page, false))
        return false;
    Page.CurrentPagePath = FullPagePath(page);
    result = AnalyseLocalPage();
    if (result.Ok)
        return true;
    // A page that is not HTML has been reported by the walker, which also
    // forgot the page.
    if (!Page.CurrentPagePath.empty())
        session.Error(page + ": the page could not be analysed");
    return false;
}

// Prepares an edit: the page must be editable; the engine then works on the
// file the page path resolves to, as after the program opened it.
bool PrepareEdit(Session& session, const std::string& page)
{
    if (!CheckPage(session, page, true))
        return false;
    Page.CurrentPagePath = ResolveShortcut(FullPagePath(page));
    ResetChangeOutcome();
    return true;
}

// True when the edit is in the page: the engine gave its result and the
// change was committed (or the page already held it).
bool EditInPage(const std::string& result)
{
    return !result.empty() && LastChangeOutcome() != ChangeOutcome::Failed;
}

// After an EditMeta that gave no result: tells why and returns the failure
// status. The walker has shown its own message when the page is not HTML.
int MetaEditFailed(Session& session, const std::string& name, bool create, const std::string& otherReason)
{
    if (Page.CurrentPagePath.empty())
        return ExitFailure;
    if (Edit.MetaMissing) {
        if (create)
            session.Error("the meta tag " + Quoted(name) + " could not be created; the page was not changed");
        else
            session.Error("the page has no meta tag " + Quoted(name) +
                          "; it was not changed (--create creates the tag)");
        return ExitFailure;
    }
    if (LastChangeOutcome() == ChangeOutcome::Failed) {
        // The engine has shown why.
        session.Error("the page was not changed");
        return ExitFailure;
    }
    session.Error(otherReason);
    return ExitFailure;
}

}  // namespace

int ExportVerb(Session& session, const std::string& page, const std::string& outFile)
{
    // The export never takes the place of the page it describes.
    auto isThePage = [&outFile](const std::string& pagePath) {
        std::error_code error;
        return std::filesystem::equivalent(pagePath, outFile, error);
    };
    if (isThePage(page)) {
        session.Error(outFile + ": is the page itself; nothing was written");
        return ExitUsage;
    }
    AnalysisResult result;
    if (!AnalysePage(session, page, result))
        return ExitFailure;
    if (isThePage(Page.CurrentPagePath)) {
        session.Error(outFile + ": is the page itself; nothing was written");
        return ExitUsage;
    }
    // The caption is already Windows-1252 text, as the export writes it.
    ExportSource source = MainWindowExportSource(result.WindowTitle, result.TitleText, result.DescriptionText);
    if (!WriteExportFile(outFile, BuildExport(source))) {
        session.Error(outFile + ": cannot be written: " + std::strerror(errno));
        return ExitFailure;
    }
    return ExitOk;
}

int AnalyseVerb(Session& session, const std::string& page, std::ostream& out)
{
    AnalysisResult result;
    if (!AnalysePage(session, page, result))
        return ExitFailure;
    out << AnalysisReport(result.TitleText, result.DescriptionText);
    return ExitOk;
}

int MetaReadVerb(Session& session, const std::string& page, const std::string& name, std::ostream& out)
{
    if (!CheckPage(session, page, false))
        return ExitFailure;
    Page.CurrentPagePath = ResolveShortcut(FullPagePath(page));
    const std::string value = EditMeta(ui::MainWindowId, OpListe, "", name);
    if (Page.CurrentPagePath.empty())
        return ExitFailure;
    if (value.empty()) {
        session.Error("the page has no meta tag " + Quoted(name));
        return ExitFailure;
    }
    out << PageTextToDisplay(DisplayEditResult(value)) << '\n';
    return ExitOk;
}

int MetaSetVerb(Session& session, const std::string& page, const std::string& name, const std::string& text,
                bool create)
{
    if (!PrepareEdit(session, page))
        return ExitFailure;
    if (EditInPage(EditMeta(ui::MainWindowId, OpToutRemplacer, text, name)))
        return ExitOk;
    return MetaEditFailed(session, name, create,
                          "the meta tag " + Quoted(name) + " has no content attribute; the page was not changed");
}

int KeywordAddVerb(Session& session, const std::string& page, const std::string& word, bool create)
{
    if (!PrepareEdit(session, page))
        return ExitFailure;
    if (EditInPage(EditMeta(ui::MainWindowId, OpAjoute, word, "keywords")))
        return ExitOk;
    return MetaEditFailed(session, "keywords", create,
                          "the keywords meta tag has no content attribute; the page was not changed");
}

int KeywordRemoveVerb(Session& session, const std::string& page, const std::string& word)
{
    if (!PrepareEdit(session, page))
        return ExitFailure;
    if (EditInPage(EditMeta(ui::MainWindowId, OpSup, word, "keywords")))
        return ExitOk;
    return MetaEditFailed(session, "keywords", false,
                          "the keyword " + Quoted(word) + " is not in the keywords meta tag; the page was not changed");
}

int TitleSetVerb(Session& session, const std::string& page, const std::string& title)
{
    if (!PrepareEdit(session, page))
        return ExitFailure;
    Page.PageTitle = NoTitleSeen;
    const int walked = ReplaceTitle(title, ui::MainWindowId);
    if (Page.CurrentPagePath.empty())
        return ExitFailure;  // not HTML: the walker said so
    if (!walked) {
        session.Error(page + ": the title could not be written; the page was not changed");
        return ExitFailure;
    }
    if (Page.PageTitle == NoTitleSeen) {
        session.Error("the page has no title element; it was not changed");
        return ExitFailure;
    }
    if (Page.PageTitle == "--" && EncodeEntities(title) != "--") {
        session.Error("the title element of the page is not closed; the page was not changed");
        return ExitFailure;
    }
    return ExitOk;
}

}  // namespace kestrova::cli
