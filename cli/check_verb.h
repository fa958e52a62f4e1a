// kestrova-cli check: the rules of a whole site, for scripts and CI.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace kestrova::cli {

// kestrova-cli check FOLDER [--format text|json|sarif]
//     [--fail-on error|warning|notice] [--config FILE] [--only RULE,...]
//     [--lang fr|en]
// Prints the report on out. Returns 0 when no finding reaches the --fail-on
// level (error by default), 1 when one does, 2 for bad arguments, a bad
// configuration or a folder that cannot be read. `args` starts with the
// verb.
int CheckVerb(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace kestrova::cli

// Its lines of the usage text (a literal, for the tool's usage text).
#define KESTROVA_CHECK_USAGE                                                                    \
    "  kestrova-cli check FOLDER [--format text|json|sarif] [--fail-on error|warning|notice]\n" \
    "                   [--config FILE] [--only RULE,...] [--lang fr|en]\n"                     \
    "      Checks every page below FOLDER before it goes online (titles,\n"                     \
    "      descriptions, headings, images, links, encoding, keywords, ...). text\n"             \
    "      prints one line per finding, PATH:LINE:COLUMN: SEVERITY: MESSAGE [RULE],\n"          \
    "      then a summary line; json and sarif (SARIF 2.1.0) print one document.\n"             \
    "      Rules, severities, thresholds and pages left out come from FILE, or\n"               \
    "      else from \"kestrova-check.json\" in FOLDER. Exit status 0 when no\n"                \
    "      finding reaches the --fail-on level (error by default), 1 when one\n"                \
    "      does, 2 for bad arguments, a bad configuration or an unreadable folder.\n"
