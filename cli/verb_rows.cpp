// The rows of the verb table. To add a verb, add one row here (its handler
// takes the arguments as typed, starting with the verb).
#include "cli/builtin_verbs.h"
#include "cli/check_verb.h"
#include "cli/history_verbs.h"
#include "cli/json_reports.h"
#include "cli/relevance_verb.h"
#include "cli/update_verb.h"
#include "cli/verb_table.h"

namespace kestrova::cli {

namespace {

const VerbOption Lang{"--lang", "fr|en", "language of the messages (default en)"};
const VerbOption Format{"--format", "text|json", "the report as text lines (default) or as one JSON document"};
const VerbArgument Page{"PAGE", ArgumentKind::File};
const VerbOption DryRun{"--dry-run", "", "print the difference the change would make, and change nothing"};

std::vector<Verb> MakeVerbs()
{
    std::vector<Verb> verbs;
    verbs.push_back(Verb{.Name = "analyse",
                         .Aliases = {"analyze"},
                         .Synopses = {"PAGE [--lang fr|en] [--format text|json]"},
                         .Arguments = {Page},
                         .Options = {Lang, Format},
                         .Summary = "print the analysis of a page",
                         .Help = "Analyses PAGE and prints the result as UTF-8 lines of tab-separated\n"
                                 "fields, in this order:\n"
                                 "  title<TAB>TEXT\n"
                                 "  description<TAB>TEXT\n"
                                 "  keyword<TAB>KEYWORD<TAB>yes|no           (used in the page or not)\n"
                                 "  word<TAB>SPELLINGS<TAB>COUNT<TAB>usual|other<TAB>ORIGINS\n"
                                 "one keyword line per declared keyword, then one word line per word\n"
                                 "found, the usual words first; both sorted as the program sorts them.\n"
                                 "SPELLINGS are the spellings met, joined by \"/\"; ORIGINS tell where\n"
                                 "the word was met, e.g. \"Title (1) / Text (3)\". Tabs and line ends\n"
                                 "inside a value are written as spaces. A PAGE beginning with \"http\"\n"
                                 "is an address: the page is fetched into \"temp.htm\" in the work\n"
                                 "folder and analysed from there; Ctrl+C aborts the fetch.\n",
                         .Run = AnalyseCommand,
                         .JsonShape = "{\"page\": PAGE, \"title\": TEXT, \"description\": TEXT,\n"
                                      " \"keywords\": [{\"keyword\": TEXT, \"used\": true|false}, ...],\n"
                                      " \"words\": [{\"spellings\": TEXT, \"count\": NUMBER,\n"
                                      "            \"kind\": \"usual\"|\"other\", \"origins\": TEXT}, ...]}",
                         .ToJson = AnalyseJson});
    verbs.push_back(Verb{.Name = "export",
                         .Synopses = {"PAGE OUTFILE [--lang fr|en]"},
                         .Arguments = {Page, {"OUTFILE", ArgumentKind::File}},
                         .Options = {Lang},
                         .Summary = "write the program's export file of a page",
                         .Help = "Analyses PAGE and writes OUTFILE as the program's export does\n"
                                 "(Windows-1252 text, UTF-8 for a UTF-8 page; CR line ends). A PAGE\n"
                                 "beginning with \"http\" is fetched first, as for analyse.\n",
                         .Run = ExportCommand});
    verbs.push_back(Verb{.Name = "meta",
                         .Synopses = {"PAGE NAME [--lang fr|en] [--format text|json]",
                                      "PAGE NAME --set TEXT [--create] [--dry-run] [--lang fr|en]"},
                         .Arguments = {Page, {"NAME", ArgumentKind::Text}},
                         .Options = {{"--set", "TEXT", "replace the content of the tag"},
                                     {"--create", "", "with --set, create a missing tag after <head>"},
                                     DryRun,
                                     Lang,
                                     Format},
                         .Summary = "print or change the content of a meta tag",
                         .Help = "Prints the content of the meta tag NAME (exit status 1 when the page\n"
                                 "has no such tag). With --set, replaces its content; with --create a\n"
                                 "missing tag is created after <head>, without it a missing tag is an\n"
                                 "error. --format goes with reading only.\n",
                         .Run = MetaCommand,
                         .JsonShape = "{\"page\": PAGE, \"name\": NAME, \"content\": TEXT}",
                         .ToJson = MetaJson});
    verbs.push_back(Verb{.Name = "keyword",
                         .Synopses = {"PAGE --add WORD [--create] [--dry-run] [--lang fr|en]",
                                      "PAGE --remove WORD [--dry-run] [--lang fr|en]"},
                         .Arguments = {Page},
                         .Options = {{"--add", "WORD", "add WORD in front of the keywords"},
                                     {"--remove", "WORD", "remove WORD from the keywords"},
                                     {"--create", "", "with --add, create a missing keywords tag"},
                                     DryRun,
                                     Lang},
                         .Summary = "add a keyword to a page or remove one",
                         .Help = "Adds WORD in front of the keywords meta tag, or removes it.\n",
                         .Run = KeywordCommand});
    verbs.push_back(Verb{.Name = "title",
                         .Synopses = {"PAGE --set TEXT [--dry-run] [--lang fr|en]"},
                         .Arguments = {Page},
                         .Options = {{"--set", "TEXT", "the new title"}, DryRun, Lang},
                         .Summary = "change the title of a page",
                         .Help = "Replaces the title of the page.\n",
                         .Run = TitleCommand});
    verbs.push_back(Verb{.Name = "images",
                         .Synopses = {"PAGE [--lang fr|en] [--format text|json]"},
                         .Arguments = {Page},
                         .Options = {Lang, Format},
                         .Summary = "list the images of a page and their alt texts",
                         .Help = "Prints one line per image of the page: the reference, a tab, the alt\n"
                                 "text attached to it (empty when none).\n",
                         .Run = EditorCommand,
                         .JsonShape = "{\"page\": PAGE, \"images\": [{\"number\": NUMBER, \"reference\": TEXT,\n"
                                      "                           \"alt\": TEXT}, ...]}",
                         .ToJson = ImagesJson});
    verbs.push_back(Verb{.Name = "alt",
                         .Synopses = {"PAGE N --set TEXT [--dry-run] [--lang fr|en]"},
                         .Arguments = {Page, {"N", ArgumentKind::Text}},
                         .Options = {{"--set", "TEXT", "the new alt text"}, DryRun, Lang},
                         .Summary = "change the alt text of an image",
                         .Help = "Gives image N (1-based, as images lists them) the alt text TEXT.\n",
                         .Run = EditorCommand});
    verbs.push_back(
        Verb{.Name = "rename-image",
             .Synopses = {"PAGE OLD NEW [--site FOLDER] [--dry-run] [--lang fr|en]"},
             .Arguments = {Page, {"OLD", ArgumentKind::Text}, {"NEW", ArgumentKind::Text}},
             .Options = {{"--site", "FOLDER", "rename in every page below FOLDER, and the file"}, DryRun, Lang},
             .Summary = "rename an image reference",
             .Help = "Replaces the first reference to OLD by NEW; with --site, every page\n"
                     "below FOLDER that refers to the same file gets the new name in its own\n"
                     "relative form, and the image file is renamed.\n",
             .Run = EditorCommand});
    verbs.push_back(Verb{.Name = "sentences",
                         .Synopses = {"PAGE WORD [--lang fr|en] [--format text|json]"},
                         .Arguments = {Page, {"WORD", ArgumentKind::Text}},
                         .Options = {Lang, Format},
                         .Summary = "show where a word occurs in a page",
                         .Help = "Prints one line per place of WORD: text, image or meta, a tab, the\n"
                                 "extract.\n",
                         .Run = EditorCommand,
                         .JsonShape = "{\"page\": PAGE, \"word\": WORD,\n"
                                      " \"places\": [{\"kind\": \"text\"|\"image\"|\"meta\", \"extract\": TEXT}, ...]}",
                         .ToJson = SentencesJson});
    verbs.push_back(Verb{.Name = "site",
                         .Synopses = {"FOLDER [--lang fr|en] [--format text|json]"},
                         .Arguments = {{"FOLDER", ArgumentKind::Folder}},
                         .Options = {Lang, Format},
                         .Summary = "word statistics of every page below a folder",
                         .Help = "Counts the words of the title and the text of every page below\n"
                                 "FOLDER and prints one UTF-8 line per word, in the order the words\n"
                                 "were first met (at most 10000 lines):\n"
                                 "  SPELLINGS<TAB>COUNT<TAB>PAGES\n"
                                 "PAGES tells on which pages the word occurs, e.g.\n"
                                 "\"a.htm (3) / b.htm (1)\" (pages of the same name share one entry).\n",
                         .Run = SiteCommand,
                         .JsonShape = "{\"folder\": FOLDER,\n"
                                      " \"words\": [{\"spellings\": TEXT, \"count\": NUMBER, \"pages\": TEXT}, ...]}",
                         .ToJson = SiteJson});
    verbs.push_back(Verb{.Name = "upload",
                         .Synopses = {"--server NAME [--root FOLDER] [--lang fr|en] [--format text|json]"},
                         .Options = {{"--server", "NAME", "the server record of \"Kestrova.prefs\""},
                                     {"--root", "FOLDER", "the local folder that matches the server's folder"},
                                     Lang,
                                     Format},
                         .Summary = "send the journal's pages to a server",
                         .Help = "Sends every page of the journal to the server record NAME of\n"
                                 "\"Kestrova.prefs\" (both in the work folder), each into the server's\n"
                                 "folder plus the page's folder below FOLDER (by default the highest\n"
                                 "folder of the journal's pages above the first page's folder), creating\n"
                                 "folders; prints one line per file sent, then drops the sent pages\n"
                                 "from the journal. Exit status 1 when some page was not sent (it stays\n"
                                 "in the journal), 2 also for an unknown server name.\n",
                         .Run = UploadCommand,
                         .JsonShape = "{\"sent\": [{\"file\": PATH, \"destination\": TEXT}, ...],\n"
                                      " \"unsent\": [{\"file\": PATH, \"reason\": TEXT}, ...],\n"
                                      " \"complete\": true|false}",
                         .ToJson = UploadJson});
    verbs.push_back(Verb{.Name = "history",
                         .Synopses = {"PAGE"},
                         .Arguments = {Page},
                         .Summary = "list the earlier versions of a page",
                         .Help = "Prints the page's earlier versions, newest first, one UTF-8 line\n"
                                 "each: NUMBER<TAB>DATE TIME<TAB>ACTION<TAB>SIZE, where ACTION is the\n"
                                 "change that replaced that version. The last HistoryDepth versions\n"
                                 "(setting of \"Kestrova.prefs\", 50 by default) are kept below the\n"
                                 "page's \"Sauvegarde\" folder.\n",
                         .Run = HistoryVerb});
    verbs.push_back(Verb{.Name = "undo",
                         .Synopses = {"PAGE [--to N] [--force] [--dry-run] [--lang fr|en]"},
                         .Arguments = {Page},
                         .Options = {{"--to", "N", "put back version N of the history"},
                                     {"--force", "", "also when another program changed the page since"},
                                     DryRun,
                                     Lang},
                         .Summary = "put back a page as it was before its last change",
                         .Help = "Puts back the page as it was before its last change (stepping past\n"
                                 "earlier undos), or version N of its history, as a change of its own\n"
                                 "(backup, history, journal). Refuses a page changed by another\n"
                                 "program since the last change, unless --force.\n",
                         .Run = UndoVerb});
    verbs.push_back(Verb{.Name = "diff",
                         .Synopses = {"PAGE [N]"},
                         .Arguments = {Page, {"N", ArgumentKind::Text}},
                         .Summary = "the difference between an earlier version and the page",
                         .Help = "Prints the unified difference from version N (default 1, the\n"
                                 "newest) to the page as it is, as patch applies it.\n",
                         .Run = DiffVerb});
    verbs.push_back(
        Verb{.Name = "check",
             .Synopses = {"FOLDER [--format text|json|sarif] [--fail-on error|warning|notice] [--config FILE]\n"
                          "        [--only RULE,...] [--lang fr|en]"},
             .Arguments = {{"FOLDER", ArgumentKind::Folder}},
             .Options = {{"--format", "text|json|sarif",
                          "one line per finding (default), one JSON document, or SARIF 2.1.0"},
                         {"--fail-on", "error|warning|notice", "the lowest severity that makes the exit status 1"},
                         {"--config", "FILE", "the rules' settings (default: kestrova-check.json in FOLDER)"},
                         {"--only", "RULE,...", "run only these rules"},
                         Lang},
             .Summary = "check every page of a site before it goes online",
             .Help = "Checks every page below FOLDER before it goes online (titles,\n"
                     "descriptions, headings, images, links, encoding, keywords, ...). text\n"
                     "prints one line per finding, PATH:LINE:COLUMN: SEVERITY: MESSAGE [RULE],\n"
                     "then a summary line; json prints one document with the site, the counts\n"
                     "and every finding (rule, severity, page, line, column, message, and the\n"
                     "other pages of site-wide rules); sarif prints a SARIF 2.1.0 log.\n"
                     "Rules, severities, thresholds and pages left out come from FILE, or\n"
                     "else from \"kestrova-check.json\" in FOLDER. Exit status 0 when no\n"
                     "finding reaches the --fail-on level (error by default), 1 when one\n"
                     "does, 2 for bad arguments, a bad configuration or an unreadable folder.\n",
             .Run = CheckVerb});
    verbs.push_back(
        Verb{.Name = "relevance",
             .Synopses = {"PAGE [--site FOLDER] [--lang fr|en] [--format text|json]"},
             .Arguments = {Page},
             .Options = {{"--site", "FOLDER", "the site the page is compared with (default: the page's folder)"},
                         Lang,
                         Format},
             .Summary = "how well a page serves its declared keywords",
             .Help = "How well PAGE serves its declared keywords: per keyword its\n"
                     "occurrences, density (with its band), prominence and placement\n"
                     "(title, description, h1, other headings, first 100 words, alt texts,\n"
                     "file name); the readability of the page; its 20 best terms by TF-IDF\n"
                     "over the pages below FOLDER (by default the page's folder), with the\n"
                     "best undeclared ones as suggestions.\n",
             .Run = RelevanceVerb,
             .JsonShape = RelevanceJsonShape});
    verbs.push_back(
        Verb{.Name = "update-check",
             .Synopses = {"[--install] [--format text|json]"},
             .Options = {{"--install", "", "download and stage the version offered"}, Format},
             .Summary = "ask the update server for a newer version",
             .Help = "Asks the update server of \"Kestrova.prefs\" (key UpdateServer) for a\n"
                     "newer version and prints it; with --install downloads and stages it in\n"
                     "the folder \"UpdateProg\", installed when the program next starts.\n"
                     "Exit status 0 when up to date, offered or staged, 1 on a failure or a\n"
                     "refused update.\n",
             .Run = UpdateCheckVerb,
             .JsonShape = "{\"installed\": VERSION, \"status\": \"up-to-date\"|\"available\"|\"staged\"|\"failed\",\n"
                          " \"version\": VERSION|null, \"install\": true|false,\n"
                          " \"messages\": [TEXT, ...], \"reason\": TEXT (when failed)}",
             .ToJson = UpdateCheckJson});
    return verbs;
}

}  // namespace

const std::vector<Verb>& Verbs()
{
    static const std::vector<Verb> verbs = MakeVerbs();
    return verbs;
}

}  // namespace kestrova::cli
