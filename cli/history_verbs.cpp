#include "cli/history_verbs.h"

#include <ctime>
#include <filesystem>
#include <ostream>
#include <sstream>

#include "base/codec.h"
#include "base/file_io.h"
#include "base/text_rules.h"
#include "base/translate.h"
#include "cli/cli_verbs.h"
#include "page/page_change.h"
#include "page/page_history.h"
#include "page/page_undo.h"
#include "page/unified_diff.h"

namespace kestrova::cli {

namespace {

// A wrong call: one line; the tool prints the verb's usage after it.
int Bad(std::ostream& err, const std::string& problem)
{
    err << "kestrova-cli: " << problem << "\n";
    return ExitUsage;
}

// The first argument after the verb that is an option, for verbs that take
// none; nullptr when there is none.
const std::string* FirstOption(const std::vector<std::string>& args)
{
    for (std::size_t i = 1; i < args.size(); ++i)
        if (args[i].size() > 2 && args[i].rfind("--", 0) == 0)
            return &args[i];
    return nullptr;
}

// The page as the edits name it (a full path, shortcuts resolved), so that
// its history is the one they wrote.
std::string PagePathOf(const std::string& page)
{
    std::error_code ec;
    const std::filesystem::path full = std::filesystem::absolute(page, ec);
    return ResolveShortcut(ec ? page : full.lexically_normal().string());
}

bool ExistingPage(const std::string& page, std::ostream& err)
{
    std::error_code ec;
    if (!std::filesystem::is_regular_file(page, ec)) {
        err << "kestrova-cli: " << page << ": no such page\n";
        return false;
    }
    return true;
}

// Local seconds as "YYYY-MM-DD HH:MM:SS" (they are counted in local time).
std::string TimeText(std::int64_t seconds)
{
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm parts{};
    ::gmtime_r(&t, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &parts);
    return text;
}

bool ParseNumber(const std::string& text, int& number)
{
    if (text.empty() || text.size() > 6 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    number = std::stoi(text);
    return number >= 1;
}

}  // namespace

int HistoryVerb(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    if (const std::string* option = FirstOption(args))
        return Bad(err, "unknown option " + *option);
    if (args.size() != 2)
        return Bad(err, "history takes one page");
    if (!ExistingPage(args[1], err))
        return ExitFailure;
    for (const HistoryVersion& version : PageHistory(PagePathOf(args[1])))
        out << version.Number << '\t' << TimeText(version.Time) << '\t' << Cp1252ToUtf8(version.Action) << '\t'
            << version.Size << '\n';
    return ExitOk;
}

int UndoVerb(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    std::string page;
    std::string language = "English";
    int number = 0;
    bool force = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--force") {
            force = true;
        } else if (a == "--to" || a == "--lang") {
            if (i + 1 >= args.size())
                return Bad(err, a + " needs a value");
            const std::string& value = args[++i];
            if (a == "--to" && !ParseNumber(value, number))
                return Bad(err, "--to takes a version number (1 the newest)");
            if (a == "--lang" && (language = LanguageForCode(value)).empty())
                return Bad(err, "--lang takes fr or en");
        } else if (a.rfind("--", 0) == 0) {
            return Bad(err, "unknown option " + a);
        } else if (page.empty()) {
            page = a;
        } else {
            return Bad(err, "undo takes one page");
        }
    }
    if (page.empty())
        return Bad(err, "undo takes one page");
    (void)out;
    Session session(err, language, false);
    if (!CheckPage(session, page, true))
        return ExitFailure;
    const UndoOutcome outcome = UndoPageChange(PagePathOf(page), number, force, ui::MainWindowId, true);
    switch (outcome) {
        case UndoOutcome::Restored:
            return ExitOk;
        case UndoOutcome::Unchanged:
            session.Error(Cp1252ToUtf8(TranslateFrenchKey(UndoOutcomeText(outcome))));
            return ExitOk;
        case UndoOutcome::ChangedOutside:
            session.Error(Cp1252ToUtf8(TranslateFrenchKey(UndoOutcomeText(outcome))) +
                          " (--force restores it all the same)");
            return ExitFailure;
        default:
            session.Error(Cp1252ToUtf8(TranslateFrenchKey(UndoOutcomeText(outcome))));
            return ExitFailure;
    }
}

int DiffVerb(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    if (const std::string* option = FirstOption(args))
        return Bad(err, "unknown option " + *option);
    if (args.size() < 2 || args.size() > 3)
        return Bad(err, "diff takes a page and an optional version number");
    int number = 1;
    if (args.size() == 3 && !ParseNumber(args[2], number))
        return Bad(err, "the version number is 1 or more (1 the newest)");
    if (!ExistingPage(args[1], err))
        return ExitFailure;
    const std::string path = PagePathOf(args[1]);
    for (const HistoryVersion& version : PageHistory(path)) {
        if (version.Number != number)
            continue;
        std::string before;
        std::string now;
        if (!ReadHistoryVersion(version, before) || !ReadWholeFile(path, now)) {
            err << "kestrova-cli: " << args[1] << ": the version could not be read\n";
            return ExitFailure;
        }
        out << UnifiedDiff(before, now, args[1], args[1]);
        return ExitOk;
    }
    err << "kestrova-cli: " << args[1] << ": no version " << number << " in its history\n";
    return ExitFailure;
}

bool WantsDryRun(const std::vector<std::string>& args)
{
    for (const std::string& a : args) {
        if (a == "--")
            return false;
        if (a == "--dry-run")
            return true;
    }
    return false;
}

int DryRunVerb(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, VerbRunner run)
{
    std::vector<std::string> rest;
    bool optionsDone = false;
    for (const std::string& a : args) {
        if (!optionsDone && a == "--dry-run")
            continue;
        optionsDone = optionsDone || a == "--";
        rest.push_back(a);
    }
    const std::string verb = rest.empty() ? std::string() : rest[0];
    bool edits = verb == "keyword" || verb == "title" || verb == "alt" || verb == "rename-image" || verb == "undo";
    if (verb == "meta")
        for (const std::string& a : rest)
            edits = edits || a == "--set";
    if (!edits)
        return Bad(err, "--dry-run goes only with a verb that changes pages");

    DryRun dryRun;
    std::ostringstream verbOut;
    const int status = run(rest, verbOut, err);
    if (status == ExitUsage)
        return status;
    for (const DryRun::Change& change : dryRun.Changes()) {
        std::string shown = change.Path;
        std::error_code ec;
        const std::filesystem::path relative = std::filesystem::relative(change.Path, ec);
        if (!ec && !relative.empty() && relative.string().rfind("..", 0) != 0)
            shown = relative.string();
        out << UnifiedDiff(change.Before, change.After, shown, shown);
    }
    return status == ExitOk ? ExitOk : ExitFailure;
}

}  // namespace kestrova::cli
