#include "cli/cli.h"

#include <exception>
#include <map>
#include <ostream>

#include "base/codec.h"
#include "base/unicode_text.h"
#include "cli/cli_upload.h"
#include "cli/cli_verbs.h"
#include "cli/editor_verbs.h"
#include "cli/history_verbs.h"
#include "cli/site_verb.h"
#include "cli/update_verb.h"
#include "page/page_encoding.h"

namespace kestrova::cli {

namespace {

const char Usage[] = "usage:\n"
                     "  kestrova-cli export PAGE OUTFILE [--lang fr|en]\n"
                     "      Analyses PAGE and writes OUTFILE as the program's export does\n"
                     "      (Windows-1252 text, UTF-8 for a UTF-8 page; CR line ends).\n"
                     "  kestrova-cli analyse PAGE [--lang fr|en]\n"
                     "      Analyses PAGE and prints the result as UTF-8 lines of tab-separated\n"
                     "      fields, in this order:\n"
                     "        title<TAB>TEXT\n"
                     "        description<TAB>TEXT\n"
                     "        keyword<TAB>KEYWORD<TAB>yes|no           (used in the page or not)\n"
                     "        word<TAB>SPELLINGS<TAB>COUNT<TAB>usual|other<TAB>ORIGINS\n"
                     "      one keyword line per declared keyword, then one word line per word\n"
                     "      found, the usual words first; both sorted as the program sorts them.\n"
                     "      SPELLINGS are the spellings met, joined by \"/\"; ORIGINS tell where\n"
                     "      the word was met, e.g. \"Title (1) / Text (3)\". Tabs and line ends\n"
                     "      inside a value are written as spaces.\n"
                     "  kestrova-cli meta PAGE NAME [--lang fr|en]\n"
                     "      Prints the content of the meta tag NAME (exit status 1 when the page\n"
                     "      has no such tag).\n"
                     "  kestrova-cli meta PAGE NAME --set TEXT [--create] [--lang fr|en]\n"
                     "      Replaces the content of the meta tag NAME; with --create a missing\n"
                     "      tag is created after <head>, without it a missing tag is an error.\n"
                     "  kestrova-cli keyword PAGE --add WORD [--create] [--lang fr|en]\n"
                     "  kestrova-cli keyword PAGE --remove WORD [--lang fr|en]\n"
                     "      Adds WORD in front of the keywords meta tag, or removes it.\n"
                     "  kestrova-cli title PAGE --set TEXT [--lang fr|en]\n"
                     "      Replaces the title of the page.\n"
                     "  kestrova-cli upload --server NAME [--root FOLDER] [--lang fr|en]\n"
                     "      Sends every page of the journal to the server record NAME of\n"
                     "      \"Kestrova.prefs\" (both in the current folder), each into the server's\n"
                     "      folder plus the page's folder below FOLDER (by default the highest\n"
                     "      folder of the journal's pages above the first page's folder), creating\n"
                     "      folders; prints one line per file sent, then drops the sent pages\n"
                     "      from the journal. Exit status 1 when some page was not sent (it stays\n"
                     "      in the journal), 2 also for an unknown server name.\n"
                     "  kestrova-cli images PAGE [--lang fr|en]\n"
                     "      Prints one line per image of the page: the reference, a tab, the alt\n"
                     "      text attached to it (empty when none).\n"
                     "  kestrova-cli alt PAGE N --set TEXT [--lang fr|en]\n"
                     "      Gives image N (1-based, as images lists them) the alt text TEXT.\n"
                     "  kestrova-cli rename-image PAGE OLD NEW [--site FOLDER] [--lang fr|en]\n"
                     "      Replaces the first reference to OLD by NEW; with --site, every page\n"
                     "      below FOLDER that refers to the same file gets the new name in its own\n"
                     "      relative form, and the image file is renamed.\n"
                     "  kestrova-cli sentences PAGE WORD [--lang fr|en]\n"
                     "      Prints one line per place of WORD: text, image or meta, a tab, the\n"
                     "      extract.\n"
                     "  kestrova-cli site FOLDER [--lang fr|en]\n"
                     "      Counts the words of the title and the text of every page below\n"
                     "      FOLDER and prints one UTF-8 line per word, in the order the words\n"
                     "      were first met (at most 10000 lines):\n"
                     "        SPELLINGS<TAB>COUNT<TAB>PAGES\n"
                     "      PAGES tells on which pages the word occurs, e.g.\n"
                     "      \"a.htm (3) / b.htm (1)\" (pages of the same name share one entry).\n"
                     "  kestrova-cli history PAGE\n"
                     "      Prints the page's earlier versions, newest first, one UTF-8 line\n"
                     "      each: NUMBER<TAB>DATE TIME<TAB>ACTION<TAB>SIZE, where ACTION is the\n"
                     "      change that replaced that version.\n"
                     "  kestrova-cli undo PAGE [--to N] [--force] [--lang fr|en]\n"
                     "      Puts back the page as it was before its last change (stepping past\n"
                     "      earlier undos), or version N of its history, as a change of its own\n"
                     "      (backup, history, journal). Refuses a page changed by another\n"
                     "      program since the last change, unless --force.\n"
                     "  kestrova-cli diff PAGE [N]\n"
                     "      Prints the unified difference from version N (default 1, the\n"
                     "      newest) to the page as it is, as `patch` applies it.\n"
                     "  kestrova-cli update-check [--install]\n"
                     "      Asks the update server of Kestrova.prefs (key UpdateServer) for a newer\n"
                     "      version and prints it; with --install downloads and stages it in the\n"
                     "      folder \"UpdateProg\", installed when the program next starts.\n"
                     "\n"
                     "Every edit verb (meta --set, keyword, title, alt, rename-image, undo) takes\n"
                     "--dry-run: it prints the unified difference of each page it would change\n"
                     "and changes nothing; exit 0 when the change is possible, 1 when not.\n"
                     "A change keeps the previous page in the folder \"Sauvegarde\" beside it (and\n"
                     "its last HistoryDepth versions, 50 by default, below \"Sauvegarde\") and\n"
                     "records the page in \"Kestrova_log.txt\" in the current folder; a change\n"
                     "that changes nothing leaves no trace. The reports never write to the page.\n"
                     "An edit of a page that another edit is changing waits up to 3 seconds for\n"
                     "it, then fails. An edit exits 0 only when its change is in the page.\n"
                     "For export and analyse, a PAGE beginning with \"http\" is an address: the\n"
                     "page is fetched into \"temp.htm\" in the current folder and analysed from\n"
                     "there as a page that cannot be edited; Ctrl+C aborts the fetch.\n"
                     "Texts on the command line are UTF-8 and must be writable in Windows-1252.\n"
                     "Messages go to the error stream; --lang chooses their language (default en).\n"
                     "Exit status: 0 success, 1 the operation failed, 2 bad arguments.\n";

struct Arguments {
    std::vector<std::string> Positional;
    std::map<std::string, std::string> Values;  // options with a value
    bool Create = false;
};

// Splits the arguments after the verb. Options with a value take the next
// argument whatever it is; "--" ends the options.
bool Parse(const std::vector<std::string>& args, Arguments& parsed, std::string& problem)
{
    bool optionsDone = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (optionsDone || a.size() < 2 || a.compare(0, 2, "--") != 0) {
            parsed.Positional.push_back(a);
            continue;
        }
        if (a == "--") {
            optionsDone = true;
        } else if (a == "--create") {
            if (parsed.Create) {
                problem = "--create given twice";
                return false;
            }
            parsed.Create = true;
        } else if (a == "--lang" || a == "--set" || a == "--add" || a == "--remove" || a == "--server" ||
                   a == "--root" || a == "--site") {
            if (i + 1 >= args.size()) {
                problem = a + " needs a value";
                return false;
            }
            if (!parsed.Values.emplace(a, args[++i]).second) {
                problem = a + " given twice";
                return false;
            }
        } else {
            problem = "unknown option " + a;
            return false;
        }
    }
    return true;
}

int BadArguments(std::ostream& err, const std::string& problem)
{
    err << "kestrova-cli: " << problem << "\n" << Usage;
    return ExitUsage;
}

// Converts a text of the command line to the page text of page; false (with
// an error line) when it is not UTF-8 or, for a Windows-1252 page, holds a
// character the code page cannot write.
bool ToPageText(std::ostream& err, const std::string& what, const std::string& utf8, const std::string& page,
                std::string& out)
{
    const bool utf8Page = DetectPageFileEncoding(page) == PageEncoding::Utf8;
    if (TypedTextToPage(utf8, utf8Page, out))
        return true;
    if (utf8Page) {
        err << "kestrova-cli: the " << what << " is not UTF-8; nothing was changed\n";
        return false;
    }
    err << "kestrova-cli: the " << what << " \"" << utf8
        << "\" holds a character that Windows-1252 cannot write (or is not UTF-8); nothing was changed\n";
    return false;
}

// Same for a text of the command line that belongs to no page (a server
// name of the settings): Windows-1252.
bool ToPageText(std::ostream& err, const std::string& what, const std::string& utf8, std::string& out)
{
    if (TypedTextToPage(utf8, false, out))
        return true;
    err << "kestrova-cli: the " << what << " \"" << utf8
        << "\" holds a character that Windows-1252 cannot write (or is not UTF-8); nothing was changed\n";
    return false;
}

int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    if (args.empty())
        return BadArguments(err, "no command given");
    const std::string& verb = args[0];
    if (verb == "help" || verb == "--help" || verb == "-h") {
        out << Usage;
        return ExitOk;
    }

    if (verb == "update-check")
        return UpdateCheckVerb(args, out, err);
    if (WantsDryRun(args))
        return DryRunVerb(args, out, err, &Run);
    if (verb == "history")
        return HistoryVerb(args, out, err);
    if (verb == "undo")
        return UndoVerb(args, out, err);
    if (verb == "diff")
        return DiffVerb(args, out, err);

    Arguments a;
    std::string problem;
    if (!Parse(args, a, problem))
        return BadArguments(err, problem);

    std::string language = "English";
    if (auto it = a.Values.find("--lang"); it != a.Values.end()) {
        language = LanguageForCode(it->second);
        if (language.empty())
            return BadArguments(err, "--lang takes fr or en");
    }
    auto has = [&](const char* option) { return a.Values.count(option) != 0; };
    auto value = [&](const char* option) { return a.Values.at(option); };
    // Only the options a verb knows may be given.
    auto only = [&](std::initializer_list<const char*> allowed, bool createAllowed) {
        for (const auto& [option, v] : a.Values) {
            bool ok = false;
            for (const char* name : allowed)
                ok = ok || option == name;
            if (!ok && option != "--lang") {
                problem = option + " does not go with " + verb;
                return false;
            }
        }
        if (a.Create && !createAllowed) {
            problem = "--create does not go here";
            return false;
        }
        return true;
    };
    auto positional = [&](std::size_t count) {
        if (a.Positional.size() == count)
            return true;
        problem = verb + " takes " + std::to_string(count) + " argument" + (count > 1 ? "s" : "") + ", " +
                  std::to_string(a.Positional.size()) + " given";
        return false;
    };

    if (verb == "export") {
        if (!positional(2) || !only({}, false))
            return BadArguments(err, problem);
        Session session(err, language, false);
        return ExportVerb(session, a.Positional[0], a.Positional[1]);
    }
    if (verb == "analyse" || verb == "analyze") {
        if (!positional(1) || !only({}, false))
            return BadArguments(err, problem);
        Session session(err, language, false);
        return AnalyseVerb(session, a.Positional[0], out);
    }
    if (verb == "meta") {
        if (!positional(2) || !only({"--set"}, has("--set")))
            return BadArguments(err, problem);
        if (a.Positional[1].empty())
            return BadArguments(err, "the meta tag name is empty");
        std::string name;
        if (!ToPageText(err, "meta tag name", a.Positional[1], a.Positional[0], name))
            return ExitFailure;
        if (!has("--set")) {
            Session session(err, language, false);
            return MetaReadVerb(session, a.Positional[0], name, out);
        }
        std::string text;
        if (!ToPageText(err, "text", value("--set"), a.Positional[0], text))
            return ExitFailure;
        Session session(err, language, a.Create);
        return MetaSetVerb(session, a.Positional[0], name, text, a.Create);
    }
    if (verb == "keyword") {
        if (!positional(1) || !only({"--add", "--remove"}, has("--add")))
            return BadArguments(err, problem);
        if (has("--add") == has("--remove"))
            return BadArguments(err, "keyword takes one of --add WORD and --remove WORD");
        const std::string given = value(has("--add") ? "--add" : "--remove");
        if (given.empty())
            return BadArguments(err, "the keyword is empty");
        std::string word;
        if (!ToPageText(err, "keyword", given, a.Positional[0], word))
            return ExitFailure;
        if (has("--add")) {
            Session session(err, language, a.Create);
            return KeywordAddVerb(session, a.Positional[0], word, a.Create);
        }
        Session session(err, language, false);
        return KeywordRemoveVerb(session, a.Positional[0], word);
    }
    if (verb == "title") {
        if (!positional(1) || !only({"--set"}, false))
            return BadArguments(err, problem);
        if (!has("--set"))
            return BadArguments(err, "title takes --set TEXT");
        std::string title;
        if (!ToPageText(err, "title", value("--set"), a.Positional[0], title))
            return ExitFailure;
        Session session(err, language, false);
        return TitleSetVerb(session, a.Positional[0], title);
    }
    if (verb == "upload") {
        if (!positional(0) || !only({"--server", "--root"}, false))
            return BadArguments(err, problem);
        if (!has("--server"))
            return BadArguments(err, "upload needs --server NAME");
        std::string server;
        if (!ToPageText(err, "server name", value("--server"), server))
            return ExitUsage;
        Session session(err, language, false);
        return UploadVerb(session, server, has("--root") ? value("--root") : "", out);
    }
    if (verb == "images" || verb == "alt" || verb == "rename-image" || verb == "sentences") {
        const int status = RunEditorVerb(verb, a.Positional, a.Values, language, out, err, problem);
        return status == ExitUsage ? BadArguments(err, problem) : status;
    }
    if (verb == "site") {
        if (!positional(1) || !only({}, false))
            return BadArguments(err, problem);
        Session session(err, language, false);
        return SiteVerb(session, a.Positional[0], out);
    }
    return BadArguments(err, "unknown command " + verb);
}

}  // namespace

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    try {
        int status = Run(args, out, err);
        out.flush();
        return status;
    } catch (const std::exception& e) {
        err << "kestrova-cli: " << e.what() << '\n';
        return ExitFailure;
    }
}

}  // namespace kestrova::cli
