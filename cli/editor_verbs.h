// The verbs of kestrova-cli that do what the editor windows do: the page's
// images and alt texts, renaming an image, and the places of a word.
#pragma once

#include <iosfwd>
#include <map>
#include <string>
#include <vector>

#include "cli/cli_verbs.h"

namespace kestrova::cli {

// Runs the verb images, alt, rename-image or sentences with the arguments
// after the verb and the options given (values still UTF-8). Bad arguments
// give ExitUsage with the problem set and nothing done.
int RunEditorVerb(const std::string& verb, const std::vector<std::string>& positional,
                  const std::map<std::string, std::string>& options, const std::string& language, std::ostream& out,
                  std::ostream& err, std::string& problem);

// One line per image of the page: reference, TAB, alt text.
int ImagesVerb(Session& session, const std::string& page, std::ostream& out);
// Gives image row (1-based) the alt text; exit 0 only when the page holds it.
int AltVerb(Session& session, const std::string& page, const std::string& row, const std::string& text);
// Renames the first reference to oldSrc; with a site folder, every page
// below it is updated and the file renamed.
int RenameImageVerb(Session& session, const std::string& page, const std::string& oldSrc, const std::string& newSrc,
                    const std::string& siteFolder);
// One line per place of word: kind (text, image, meta), TAB, extract.
int SentencesVerb(Session& session, const std::string& page, const std::string& word, std::ostream& out);

// The pages below folder that the site-wide update offers (HTML file
// extensions, backup folders left out), sorted, each followed by CR.
std::string SitePages(const std::string& folder);

}  // namespace kestrova::cli
