#include "cli/editor_verbs.h"

#include <algorithm>
#include <filesystem>
#include <ostream>
#include <vector>

#include "base/text_rules.h"
#include "base/unicode_text.h"
#include "editing/image_rename.h"
#include "editing/page_images.h"
#include "editing/rewrite_engine.h"
#include "editing/sentence_rows.h"
#include "page/page_change.h"
#include "page/page_encoding.h"
#include "page/page_state.h"
#include "site/site_pages.h"
#include "site/site_scan.h"

namespace kestrova::cli {

namespace {

namespace fs = std::filesystem;

// Page texts are shown as UTF-8: the escaped characters of a UTF-8 page as
// themselves.
std::string Quoted(const std::string& pageText)
{
    std::string quoted = PageTextToDisplay(pageText);
    quoted.insert(quoted.begin(), '"');
    quoted.push_back('"');
    return quoted;
}

std::string Line(const std::string& pageText)
{
    std::string s = pageText;
    std::replace_if(
        s.begin(), s.end(), [](char c) { return c == '\t' || c == '\r' || c == '\n'; }, ' ');
    return PageTextToDisplay(s);
}

// Makes the page current as a full path; with forEdit it must be editable.
bool UsePage(Session& session, const std::string& page, bool forEdit)
{
    if (!CheckPage(session, page, forEdit))
        return false;
    std::error_code ec;
    fs::path full = fs::absolute(page, ec);
    Page.CurrentPagePath = ResolveShortcut(ec ? page : full.lexically_normal().string());
    return true;
}

}  // namespace

std::string SitePages(const std::string& folder)
{
    // The site walk of the statistics and of the program's site-wide update.
    const std::string root = fs::absolute(folder).lexically_normal().string();
    std::string out;
    for (const std::string& page : ListSitePages(root, "*", SiteExtensions).Pages)
        if (page.find('\r') == std::string::npos)  // the list cannot carry it
            out += page + "\r";
    return out;
}

int ImagesVerb(Session& session, const std::string& page, std::ostream& out)
{
    if (!UsePage(session, page, false))
        return ExitFailure;
    const auto images = ListPageImages(ui::MainWindowId);
    if (Page.CurrentPagePath.empty())
        return ExitFailure;  // not HTML: the walker said so
    for (const PageImage& image : images)
        out << Line(image.Reference) << '\t' << Line(image.Alt) << '\n';
    return ExitOk;
}

int AltVerb(Session& session, const std::string& page, const std::string& row, const std::string& text)
{
    std::size_t n = 0;
    if (row.empty() || row.size() > 9 || row.find_first_not_of("0123456789") != std::string::npos ||
        (n = std::stoul(row)) == 0)
        return ExitUsage;
    if (!UsePage(session, page, true))
        return ExitFailure;
    auto images = ListPageImages(ui::MainWindowId);
    if (Page.CurrentPagePath.empty())
        return ExitFailure;
    if (n > images.size()) {
        session.Error("the page has " + std::to_string(images.size()) + " image(s), no row " + row);
        return ExitFailure;
    }
    if (images[n - 1].Alt == text)
        return ExitOk;  // already so
    const bool saved = SavePageImageAlt(ui::MainWindowId, images, n - 1, text);
    if (ActiveDryRun() != nullptr)  // nothing was written to read back
        return saved && LastChangeOutcome() != ChangeOutcome::Failed ? ExitOk : ExitFailure;
    // What the page holds now, read back.
    const auto after = ListPageImages(ui::MainWindowId);
    if (n <= after.size() && after[n - 1].Alt == text)
        return ExitOk;
    session.Error("the alt text of image " + row + " could not be written; see the messages above");
    return ExitFailure;
}

int RenameImageVerb(Session& session, const std::string& page, const std::string& oldSrc, const std::string& newSrc,
                    const std::string& siteFolder)
{
    if (!UsePage(session, page, true))
        return ExitFailure;
    std::string site;
    if (!siteFolder.empty()) {
        std::error_code ec;
        if (!fs::is_directory(siteFolder, ec)) {
            session.Error(siteFolder + ": no such folder");
            return ExitFailure;
        }
        site = fs::absolute(siteFolder).lexically_normal().string();
    }
    Edit.LastMatchPosition = 0;
    SitePageChooser choose;
    if (!site.empty())
        choose = [&site](const std::string&, const std::string&) { return SitePages(site); };
    RenameReport report;
    const int result = RenameImage(ui::MainWindowId, newSrc, oldSrc, choose, site, &report);
    if (result == 0) {
        if (!report.Refused)
            session.Error("no reference to " + Quoted(oldSrc) + " was found in the page; nothing was changed");
        return ExitFailure;
    }
    if (report.RenameFailed) {
        session.Error("the pages were changed but the image file was not renamed");
        return ExitFailure;
    }
    return ExitOk;
}

int SentencesVerb(Session& session, const std::string& page, const std::string& word, std::ostream& out)
{
    if (!UsePage(session, page, false))
        return ExitFailure;
    const auto rows = BuildSentenceRows(ui::MainWindowId, word);
    if (Page.CurrentPagePath.empty())
        return ExitFailure;
    for (const SentenceRow& row : rows) {
        const char* kind = row.Kind == SentenceKind::Text ? "text" : row.Kind == SentenceKind::Meta ? "meta" : "image";
        out << kind << '\t' << Line(row.Extract) << '\n';
    }
    return ExitOk;
}

int RunEditorVerb(const std::string& verb, const std::vector<std::string>& positional,
                  const std::map<std::string, std::string>& options, const std::string& language, std::ostream& out,
                  std::ostream& err, std::string& problem)
{
    const std::size_t wanted = verb == "images" ? 1 : verb == "rename-image" ? 3 : 2;
    if (positional.size() != wanted) {
        problem = verb + " takes " + std::to_string(wanted) + " argument" + (wanted > 1 ? "s" : "") + ", " +
                  std::to_string(positional.size()) + " given";
        return ExitUsage;
    }
    for (const auto& [option, value] : options) {
        const bool known = option == "--lang" || (option == "--set" && verb == "alt") ||
                           (option == "--site" && verb == "rename-image");
        if (!known) {
            problem = option + " does not go with " + verb;
            return ExitUsage;
        }
    }
    // Texts typed for the page are taken in the page's own encoding: on a
    // UTF-8 page every character is accepted. The page and folder paths are
    // file names and stay as they are.
    const bool utf8Page = DetectPageFileEncoding(positional[0]) == PageEncoding::Utf8;
    auto pageText = [&](const std::string& what, const std::string& utf8, std::string& text) {
        if (TypedTextToPage(utf8, utf8Page, text))
            return true;
        if (utf8Page)
            err << "kestrova-cli: the " << what << " is not UTF-8; nothing was changed\n";
        else
            err << "kestrova-cli: the " << what << " \"" << utf8
                << "\" holds a character that Windows-1252 cannot write (or is not UTF-8); nothing was changed\n";
        return false;
    };
    const std::string& page = positional[0];
    if (verb == "images") {
        Session session(err, language, false);
        return ImagesVerb(session, page, out);
    }
    if (verb == "alt") {
        auto set = options.find("--set");
        if (set == options.end()) {
            problem = "alt takes --set TEXT";
            return ExitUsage;
        }
        std::string text;
        if (!pageText("text", set->second, text))
            return ExitFailure;
        Session session(err, language, false);
        const int status = AltVerb(session, page, positional[1], text);
        if (status == ExitUsage)
            problem = "the image row must be a number from 1";
        return status;
    }
    if (verb == "rename-image") {
        std::string oldSrc, newSrc;
        if (positional[1].empty() || positional[2].empty()) {
            problem = "the image names must not be empty";
            return ExitUsage;
        }
        if (!pageText("old name", positional[1], oldSrc) || !pageText("new name", positional[2], newSrc))
            return ExitFailure;
        auto site = options.find("--site");
        Session session(err, language, false);
        return RenameImageVerb(session, page, oldSrc, newSrc, site == options.end() ? "" : site->second);
    }
    std::string word;
    if (positional[1].empty()) {
        problem = "the word is empty";
        return ExitUsage;
    }
    if (!pageText("word", positional[1], word))
        return ExitFailure;
    Session session(err, language, false);
    return SentencesVerb(session, page, word, out);
}

}  // namespace kestrova::cli
