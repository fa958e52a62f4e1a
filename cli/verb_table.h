// The verbs of kestrova-cli as one table: each row names a verb, its
// arguments and options, its one-line and long help and the function that
// runs it. The usage, "help VERB", "VERB --help", the manual page and the
// bash completion are all generated from the rows.
#pragma once

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

#include <nlohmann/json_fwd.hpp>

namespace kestrova::cli {

// Runs a verb. args starts with the verb itself, followed by its own
// arguments as typed (the tool's common options --quiet, --work-folder and,
// for report verbs, --format already taken out). Returns the exit status;
// ExitUsage (2) means a wrong call: the tool then prints the verb's usage
// after whatever the handler printed.
using VerbHandler = std::function<int(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)>;

// What a report verb printed, for its JSON document.
struct ReportOutput {
    std::vector<std::string> Args;  // as given to the handler
    std::string Out;                // its standard output
    std::string Err;                // its error stream
    int Status = 0;
};
// Builds the JSON document of a report from its text output. Returns false
// when there is no document to print (the text report failed).
using JsonReport = std::function<bool(const ReportOutput& report, nlohmann::json& document)>;

struct VerbOption {
    std::string Name;   // "--set"
    std::string Value;  // "TEXT"; empty for an option without a value
    std::string Help;   // one line
};

// What a positional argument names, for the completion.
enum class ArgumentKind { File, Folder, Text };

struct VerbArgument {
    std::string Name;  // "PAGE"
    ArgumentKind Kind = ArgumentKind::Text;
};

struct Verb {
    std::string Name;
    std::vector<std::string> Aliases;
    // The ways to call it, each without "kestrova-cli VERB", e.g.
    // "PAGE NAME --set TEXT [--create] [--lang fr|en]".
    std::vector<std::string> Synopses;
    std::vector<VerbArgument> Arguments;
    std::vector<VerbOption> Options;
    std::string Summary;  // one line, no final full stop
    std::string Help;     // paragraphs, lines of at most 76 characters
    VerbHandler Run;
    // Report verbs take --format text|json. The shape of the JSON document,
    // for the manual page; empty for the other verbs.
    std::string JsonShape;
    // Builds the document from the text report. Without it, a report verb
    // writes JSON itself when JsonWanted() says so.
    JsonReport ToJson;
};

// Every verb in the order the help lists them.
const std::vector<Verb>& Verbs();
// The verb of that name or alias; nullptr for none.
const Verb* FindVerb(const std::string& name);

// "usage: kestrova-cli VERB ..." with one line per synopsis.
std::string VerbUsage(const Verb& verb);
// The usage, the options and the long help of the verb.
std::string VerbHelp(const Verb& verb);
// The short usage: the common options and one line per verb.
std::string ShortUsage();
// The whole help: the short usage, then every verb's help, then the notes
// common to all verbs.
std::string FullUsage();
// The manual page kestrova-cli.1 (troff).
std::string ManualPage();
// The bash completion script.
std::string BashCompletion();

// The options every verb takes.
const std::vector<VerbOption>& CommonOptions();
// The notes that hold for every verb (journal, backups, exit statuses).
extern const char CommonNotes[];

}  // namespace kestrova::cli
