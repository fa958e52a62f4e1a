#include "cli/verb_table.h"

#include <algorithm>
#include <map>
#include <sstream>

namespace kestrova::cli {

const char CommonNotes[] = "A change keeps the previous page in the folder \"Sauvegarde\" beside it (and\n"
                           "its last HistoryDepth versions, 50 by default, below \"Sauvegarde\") and\n"
                           "records the page in \"Kestrova_log.txt\" in the work folder; a change\n"
                           "that changes nothing leaves no trace. The reports never write to the page.\n"
                           "An edit of a page that another edit is changing waits up to 3 seconds for\n"
                           "it, then fails. An edit exits 0 only when its change is in the page.\n"
                           "Every edit verb (meta --set, keyword, title, alt, rename-image, undo) takes\n"
                           "--dry-run: it prints the unified difference of each page it would change\n"
                           "and changes nothing; exit 0 when the change is possible, 1 when not.\n"
                           "The work folder holds the journal, \"Kestrova.prefs\" and \"temp.htm\": the\n"
                           "current folder, or the folder given with --work-folder.\n"
                           "Texts on the command line are UTF-8 and must be writable in Windows-1252.\n"
                           "Messages go to the error stream; --lang chooses their language (default en).\n"
                           "Exit status: 0 success, 1 the operation failed, 2 bad arguments.\n";

const std::vector<VerbOption>& CommonOptions()
{
    static const std::vector<VerbOption> options = {
        {"--work-folder", "DIR", "the folder of the journal, the settings and temp.htm (default: the current folder)"},
        {"--quiet", "", "no progress on the error stream"},
        {"--version", "", "print the version and exit"},
        {"--help", "", "print the help (of the verb, after a verb) and exit"}};
    return options;
}

const Verb* FindVerb(const std::string& name)
{
    for (const Verb& verb : Verbs()) {
        if (verb.Name == name || std::find(verb.Aliases.begin(), verb.Aliases.end(), name) != verb.Aliases.end())
            return &verb;
    }
    return nullptr;
}

namespace {

// The text indented by the given spaces, line by line.
std::string Indented(const std::string& text, const std::string& indent)
{
    std::string out;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line))
        out += (line.empty() ? std::string() : indent + line) + "\n";
    return out;
}

std::string OptionTerm(const VerbOption& option)
{
    return option.Value.empty() ? option.Name : option.Name + " " + option.Value;
}

std::string OptionLines(const std::vector<VerbOption>& options, const std::string& indent)
{
    std::size_t width = 0;
    for (const VerbOption& option : options)
        width = std::max(width, OptionTerm(option).size());
    std::string out;
    for (const VerbOption& option : options) {
        const std::string term = OptionTerm(option);
        out += indent + term + std::string(width - term.size() + 2, ' ') + option.Help + "\n";
    }
    return out;
}

// Text for troff: backslashes doubled, minus signs and leading control
// characters escaped.
std::string Roff(const std::string& text)
{
    std::string out;
    bool lineStart = true;
    for (char c : text) {
        if (lineStart && (c == '.' || c == '\''))
            out += "\\&";
        if (c == '\\')
            out += "\\e";
        else if (c == '-')
            out += "\\-";
        else
            out += c;
        lineStart = c == '\n';
    }
    return out;
}

std::string Quote(const std::string& word)
{
    return "'" + word + "'";
}

}  // namespace

std::string VerbUsage(const Verb& verb)
{
    std::string out;
    for (std::size_t i = 0; i < verb.Synopses.size(); ++i)
        out += std::string(i == 0 ? "usage: " : "       ") + "kestrova-cli " + verb.Name +
               (verb.Synopses[i].empty() ? "" : " " + verb.Synopses[i]) + "\n";
    return out;
}

std::string VerbHelp(const Verb& verb)
{
    std::string summary = verb.Summary;
    if (!summary.empty() && summary[0] >= 'a' && summary[0] <= 'z')
        summary[0] = static_cast<char>(summary[0] - 'a' + 'A');
    std::string out = VerbUsage(verb) + "\n" + summary + ".\n\n" + verb.Help;
    if (!verb.Options.empty())
        out += "\noptions:\n" + OptionLines(verb.Options, "  ");
    if (!verb.JsonShape.empty())
        out += "\nWith --format json, one JSON document:\n" + Indented(verb.JsonShape, "  ");
    return out;
}

std::string ShortUsage()
{
    std::string out = "usage: kestrova-cli [--work-folder DIR] [--quiet] VERB [ARGUMENTS] [OPTIONS]\n"
                      "       kestrova-cli help [VERB]\n"
                      "       kestrova-cli VERB --help\n"
                      "       kestrova-cli --version\n\nverbs:\n";
    std::size_t width = 0;
    for (const Verb& verb : Verbs())
        width = std::max(width, verb.Name.size());
    for (const Verb& verb : Verbs())
        out += "  " + verb.Name + std::string(width - verb.Name.size() + 2, ' ') + verb.Summary + "\n";
    out += "\ncommon options:\n" + OptionLines(CommonOptions(), "  ");
    return out;
}

std::string FullUsage()
{
    std::string out = ShortUsage();
    for (const Verb& verb : Verbs()) {
        out += "\n";
        for (const std::string& synopsis : verb.Synopses)
            out += "kestrova-cli " + verb.Name + (synopsis.empty() ? "" : " " + synopsis) + "\n";
        out += Indented(verb.Help, "    ");
        if (!verb.JsonShape.empty())
            out += "    With --format json:\n" + Indented(verb.JsonShape, "      ");
    }
    return out + "\n" + CommonNotes;
}

std::string ManualPage()
{
    std::string m;
    m += ".TH KESTROVA\\-CLI 1 \"\" \"Kestrova\" \"User Commands\"\n";
    m += ".SH NAME\nkestrova\\-cli \\- keyword analysis and editing of web pages from the command line\n";
    m += ".SH SYNOPSIS\n";
    m += ".B kestrova\\-cli\n[\\fB\\-\\-work\\-folder\\fR \\fIDIR\\fR] [\\fB\\-\\-quiet\\fR] \\fIVERB\\fR "
         "[\\fIARGUMENTS\\fR] [\\fIOPTIONS\\fR]\n.br\n";
    m += ".B kestrova\\-cli help\n[\\fIVERB\\fR]\n.br\n";
    m += ".B kestrova\\-cli\n\\fIVERB\\fR \\fB\\-\\-help\\fR\n.br\n";
    m += ".B kestrova\\-cli \\-\\-version\n";
    m += ".SH DESCRIPTION\n";
    m += "\\fBkestrova\\-cli\\fR runs the engine of \\fBkestrova\\fR(1) without windows, for scripts and "
         "batch work: the analysis of a page, its meta tags, keywords, title, images and sentences, the word "
         "statistics of a site, the upload of changed pages and the update check.\n";
    m += ".SH OPTIONS\n";
    for (const VerbOption& option : CommonOptions())
        m += ".TP\n.B " + Roff(OptionTerm(option)) + "\n" + Roff(option.Help) + "\n";
    m += ".SH VERBS\n";
    for (const Verb& verb : Verbs()) {
        m += ".SS " + Roff(verb.Name) + "\n";
        for (const std::string& synopsis : verb.Synopses)
            m += ".B kestrova\\-cli " + Roff(verb.Name) + "\n" + Roff(synopsis) + "\n.br\n";
        if (!verb.Aliases.empty()) {
            m += "Also: ";
            for (std::size_t i = 0; i < verb.Aliases.size(); ++i)
                m += (i ? ", " : "") + Roff(verb.Aliases[i]);
            m += ".\n.br\n";
        }
        m += ".PP\n" + Roff(verb.Summary) + ".\n.PP\n.nf\n" + Roff(verb.Help) + ".fi\n";
        for (const VerbOption& option : verb.Options)
            m += ".TP\n.B " + Roff(OptionTerm(option)) + "\n" + Roff(option.Help) + "\n";
    }
    m += ".SH JSON OUTPUT\n";
    m += "With \\fB\\-\\-format json\\fR a report verb prints one JSON document (UTF\\-8) on standard output "
         "instead of its text lines, when it succeeds; on a failure it prints nothing there (except upload and "
         "update\\-check, which describe the failure) and its messages go to the error stream as usual. "
         "The documents, in upper case the values:\n";
    for (const Verb& verb : Verbs()) {
        if (verb.JsonShape.empty())
            continue;
        m += ".TP\n.B " + Roff(verb.Name) + "\n.nf\n" + Roff(verb.JsonShape) + "\n.fi\n";
    }
    m += ".SH NOTES\n.nf\n" + Roff(CommonNotes) + ".fi\n";
    m += ".SH PROGRESS\nThe verbs \\fBsite\\fR and \\fBupload\\fR show their progress on the error stream "
         "when it is a terminal, unless \\fB\\-\\-quiet\\fR is given.\n";
    m += ".SH EXIT STATUS\n0 success, 1 the operation failed, 2 bad arguments (the verb's usage is printed).\n";
    m += ".SH FILES\n.TP\n.I Kestrova.prefs\nthe settings (servers of upload, update server)\n"
         ".TP\n.I Kestrova_log.txt\nthe journal of the changed pages\n"
         ".TP\n.I temp.htm\nthe last page fetched from the web\n"
         ".PP\nAll three are in the work folder.\n";
    m += ".SH SEE ALSO\n\\fBkestrova\\fR(1)\n";
    return m;
}

std::string BashCompletion()
{
    std::string verbs;
    for (const Verb& verb : Verbs()) {
        verbs += (verbs.empty() ? "" : " ") + verb.Name;
        for (const std::string& alias : verb.Aliases)
            verbs += " " + alias;
    }
    std::string common;
    for (const VerbOption& option : CommonOptions())
        common += (common.empty() ? "" : " ") + option.Name;

    std::string s;
    s += "# bash completion for kestrova-cli (generated from its verb table)\n";
    s += "_kestrova_cli()\n{\n";
    s += "    local cur prev verb i\n";
    s += "    cur=${COMP_WORDS[COMP_CWORD]}\n";
    s += "    prev=${COMP_WORDS[COMP_CWORD-1]}\n";
    s += "    verb=\n";
    s += "    for ((i = 1; i < COMP_CWORD; i++)); do\n";
    s += "        case ${COMP_WORDS[i]} in\n";
    s += "            --work-folder) ((i++)) ;;\n";
    s += "            -*) ;;\n";
    s += "            *) verb=${COMP_WORDS[i]}; break ;;\n";
    s += "        esac\n";
    s += "    done\n";
    // The values of options, from their value names: a list of choices
    // ("fr|en"), a folder (DIR, FOLDER), a file (FILE, PATH) or free text.
    std::map<std::string, std::string> valueCompletion;
    auto addValue = [&](const VerbOption& option) {
        if (option.Value.empty() || valueCompletion.count(option.Name))
            return;
        std::string action;
        if (option.Value.find('|') != std::string::npos) {
            std::string choices = option.Value;
            std::replace(choices.begin(), choices.end(), '|', ' ');
            action = "COMPREPLY=($(compgen -W " + Quote(choices) + " -- \"$cur\")); return";
        } else if (option.Value == "DIR" || option.Value == "FOLDER") {
            action = "COMPREPLY=($(compgen -d -- \"$cur\")); return";
        } else if (option.Value == "FILE" || option.Value == "PATH") {
            action = "COMPREPLY=($(compgen -f -- \"$cur\")); return";
        } else {
            action = "return";
        }
        valueCompletion[option.Name] = action;
    };
    for (const VerbOption& option : CommonOptions())
        addValue(option);
    for (const Verb& verb : Verbs())
        for (const VerbOption& option : verb.Options)
            addValue(option);
    s += "    case $prev in\n";
    for (const auto& [name, action] : valueCompletion)
        s += "        " + name + ") " + action + " ;;\n";
    s += "    esac\n";
    s += "    if [[ -z $verb ]]; then\n";
    s += "        if [[ $cur == -* ]]; then\n";
    s += "            COMPREPLY=($(compgen -W " + Quote(common) + " -- \"$cur\"))\n";
    s += "        else\n";
    s += "            COMPREPLY=($(compgen -W " + Quote("help " + verbs) + " -- \"$cur\"))\n";
    s += "        fi\n";
    s += "        return\n";
    s += "    fi\n";
    s += "    case $verb in\n";
    s += "        help) COMPREPLY=($(compgen -W " + Quote(verbs) + " -- \"$cur\")); return ;;\n";
    for (const Verb& verb : Verbs()) {
        std::string names = verb.Name;
        for (const std::string& alias : verb.Aliases)
            names += "|" + alias;
        std::string options = "--help";
        for (const VerbOption& option : verb.Options)
            options += " " + option.Name;
        bool files = false, folders = false;
        for (const VerbArgument& argument : verb.Arguments) {
            files = files || argument.Kind == ArgumentKind::File;
            folders = folders || argument.Kind == ArgumentKind::Folder;
        }
        s += "        " + names + ")\n";
        s += "            if [[ $cur == -* ]]; then\n";
        s += "                COMPREPLY=($(compgen -W " + Quote(options) + " -- \"$cur\"))\n";
        if (files)
            s += "            else\n                COMPREPLY=($(compgen -f -- \"$cur\"))\n";
        else if (folders)
            s += "            else\n                COMPREPLY=($(compgen -d -- \"$cur\"))\n";
        s += "            fi ;;\n";
    }
    s += "    esac\n";
    s += "}\n";
    s += "complete -o filenames -F _kestrova_cli kestrova-cli\n";
    return s;
}

}  // namespace kestrova::cli
