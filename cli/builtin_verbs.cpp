#include "cli/builtin_verbs.h"

#include <initializer_list>
#include <map>
#include <ostream>

#include "base/unicode_text.h"
#include "cli/cli_upload.h"
#include "cli/cli_verbs.h"
#include "cli/editor_verbs.h"
#include "cli/invocation.h"
#include "cli/progress_line.h"
#include "cli/site_verb.h"
#include "page/page_encoding.h"

namespace kestrova::cli {

namespace {

// The arguments after the verb, split.
struct Call {
    std::string Verb;
    std::vector<std::string> Positional;
    std::map<std::string, std::string> Values;  // options with a value
    bool Create = false;
    std::string Language = "English";
    std::string Problem;

    bool Has(const char* option) const { return Values.count(option) != 0; }
    const std::string& Value(const char* option) const { return Values.at(option); }

    // Only the options the verb knows may be given.
    bool Only(std::initializer_list<const char*> allowed, bool createAllowed)
    {
        for (const auto& [option, v] : Values) {
            bool ok = false;
            for (const char* name : allowed)
                ok = ok || option == name;
            if (!ok && option != "--lang") {
                Problem = option + " does not go with " + Verb;
                return false;
            }
        }
        if (Create && !createAllowed) {
            Problem = "--create does not go here";
            return false;
        }
        return true;
    }
    bool Count(std::size_t count)
    {
        if (Positional.size() == count)
            return true;
        Problem = Verb + " takes " + std::to_string(count) + " argument" + (count > 1 ? "s" : "") + ", " +
                  std::to_string(Positional.size()) + " given";
        return false;
    }
};

// Splits the arguments after the verb. Options with a value take the next
// argument whatever it is; "--" ends the options. Sets the language of
// --lang.
bool Parse(const std::vector<std::string>& args, Call& call)
{
    call.Verb = args.empty() ? std::string() : args[0];
    bool optionsDone = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (optionsDone || a.size() < 2 || a.compare(0, 2, "--") != 0) {
            call.Positional.push_back(a);
            continue;
        }
        if (a == "--") {
            optionsDone = true;
        } else if (a == "--create") {
            if (call.Create) {
                call.Problem = "--create given twice";
                return false;
            }
            call.Create = true;
        } else if (a == "--lang" || a == "--set" || a == "--add" || a == "--remove" || a == "--server" ||
                   a == "--root" || a == "--site") {
            if (i + 1 >= args.size()) {
                call.Problem = a + " needs a value";
                return false;
            }
            if (!call.Values.emplace(a, args[++i]).second) {
                call.Problem = a + " given twice";
                return false;
            }
        } else {
            call.Problem = "unknown option " + a;
            return false;
        }
    }
    if (call.Has("--lang")) {
        call.Language = LanguageForCode(call.Value("--lang"));
        if (call.Language.empty()) {
            call.Problem = "--lang takes fr or en";
            return false;
        }
    }
    return true;
}

int BadArguments(std::ostream& err, const std::string& problem)
{
    err << "kestrova-cli: " << problem << "\n";
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

}  // namespace

int ExportCommand(const std::vector<std::string>& args, std::ostream&, std::ostream& err)
{
    Call a;
    if (!Parse(args, a) || !a.Count(2) || !a.Only({}, false))
        return BadArguments(err, a.Problem);
    Session session(err, a.Language, false);
    return ExportVerb(session, a.Positional[0], a.Positional[1]);
}

int AnalyseCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    Call a;
    if (!Parse(args, a) || !a.Count(1) || !a.Only({}, false))
        return BadArguments(err, a.Problem);
    Session session(err, a.Language, false);
    return AnalyseVerb(session, a.Positional[0], out);
}

int MetaCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    Call a;
    if (!Parse(args, a) || !a.Count(2) || !a.Only({"--set"}, a.Has("--set")))
        return BadArguments(err, a.Problem);
    if (a.Positional[1].empty())
        return BadArguments(err, "the meta tag name is empty");
    if (a.Has("--set") && JsonWanted())
        return BadArguments(err, "--format goes with reading a meta tag, not with --set");
    std::string name;
    if (!ToPageText(err, "meta tag name", a.Positional[1], a.Positional[0], name))
        return ExitFailure;
    if (!a.Has("--set")) {
        Session session(err, a.Language, false);
        return MetaReadVerb(session, a.Positional[0], name, out);
    }
    std::string text;
    if (!ToPageText(err, "text", a.Value("--set"), a.Positional[0], text))
        return ExitFailure;
    Session session(err, a.Language, a.Create);
    return MetaSetVerb(session, a.Positional[0], name, text, a.Create);
}

int KeywordCommand(const std::vector<std::string>& args, std::ostream&, std::ostream& err)
{
    Call a;
    if (!Parse(args, a) || !a.Count(1) || !a.Only({"--add", "--remove"}, a.Has("--add")))
        return BadArguments(err, a.Problem);
    if (a.Has("--add") == a.Has("--remove"))
        return BadArguments(err, "keyword takes one of --add WORD and --remove WORD");
    const std::string given = a.Value(a.Has("--add") ? "--add" : "--remove");
    if (given.empty())
        return BadArguments(err, "the keyword is empty");
    std::string word;
    if (!ToPageText(err, "keyword", given, a.Positional[0], word))
        return ExitFailure;
    if (a.Has("--add")) {
        Session session(err, a.Language, a.Create);
        return KeywordAddVerb(session, a.Positional[0], word, a.Create);
    }
    Session session(err, a.Language, false);
    return KeywordRemoveVerb(session, a.Positional[0], word);
}

int TitleCommand(const std::vector<std::string>& args, std::ostream&, std::ostream& err)
{
    Call a;
    if (!Parse(args, a) || !a.Count(1) || !a.Only({"--set"}, false))
        return BadArguments(err, a.Problem);
    if (!a.Has("--set"))
        return BadArguments(err, "title takes --set TEXT");
    std::string title;
    if (!ToPageText(err, "title", a.Value("--set"), a.Positional[0], title))
        return ExitFailure;
    Session session(err, a.Language, false);
    return TitleSetVerb(session, a.Positional[0], title);
}

int UploadCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    Call a;
    if (!Parse(args, a) || !a.Count(0) || !a.Only({"--server", "--root"}, false))
        return BadArguments(err, a.Problem);
    if (!a.Has("--server"))
        return BadArguments(err, "upload needs --server NAME");
    std::string server;
    if (!ToPageText(err, "server name", a.Value("--server"), server))
        return ExitUsage;
    Session session(err, a.Language, false);
    return UploadVerb(session, server, a.Has("--root") ? a.Value("--root") : "", out);
}

int EditorCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    Call a;
    if (!Parse(args, a))
        return BadArguments(err, a.Problem);
    const int status = RunEditorVerb(a.Verb, a.Positional, a.Values, a.Language, out, err, a.Problem);
    return status == ExitUsage ? BadArguments(err, a.Problem) : status;
}

int SiteCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    Call a;
    if (!Parse(args, a) || !a.Count(1) || !a.Only({}, false))
        return BadArguments(err, a.Problem);
    Session session(err, a.Language, false);
    ProgressLine progress(err, ProgressWanted());
    SitePageStep step;
    if (progress.Enabled())
        step = [&progress](const std::string& path, int percent) { progress.Show(ProgressText(0, 0, path, percent)); };
    return SiteVerb(session, a.Positional[0], out, step);
}

}  // namespace kestrova::cli
