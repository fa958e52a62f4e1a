// kestrova-cli relevance: how well a page serves its declared keywords.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace kestrova {
struct RelevanceReport;
struct RelevancePage;
}  // namespace kestrova

namespace kestrova::cli {

// args: "relevance", PAGE, then --site FOLDER, --format text|json and
// --lang fr|en. Exit status 0, 1 when the page or the site cannot be read,
// 2 for bad arguments.
int RelevanceVerb(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// The report as the verb prints it (UTF-8). Band names and placements in
// text follow the program's language.
std::string RelevanceText(const RelevancePage& page, const RelevanceReport& report);
std::string RelevanceJson(const RelevancePage& page, const RelevanceReport& report);

// The shape of the JSON document, for the help and the manual page.
inline constexpr char RelevanceJsonShape[] =
    "{\"page\": PAGE, \"language\": \"fr\"|\"en\", \"wordForms\": true|false, \"words\": NUMBER,\n"
    " \"keywords\": [{\"keyword\": TEXT, \"occurrences\": NUMBER, \"density\": NUMBER,\n"
    "   \"densityBand\": TEXT|null, \"prominence\": NUMBER, \"placement\": {\"title\": true|false,\n"
    "   \"description\", \"h1\", \"otherHeading\", \"first100Words\", \"altText\", \"fileName\": true|false}}, ...],\n"
    " \"readability\": {\"sentences\": NUMBER, \"words\": NUMBER, \"syllables\": NUMBER,\n"
    "   \"score\": NUMBER|null, \"band\": TEXT|null},\n"
    " \"sitePages\": NUMBER, \"terms\": [{\"term\": TEXT, \"count\": NUMBER, \"df\": NUMBER, \"tf\": NUMBER,\n"
    "   \"idf\": NUMBER, \"score\": NUMBER, \"declared\": true|false}, ...],\n"
    " \"suggestions\": [TEXT, ...]}";

}  // namespace kestrova::cli
