// kestrova-cli site: the word statistics of a site folder.
#pragma once

#include <iosfwd>
#include <string>

#include "cli/cli_verbs.h"
#include "site/site_scan.h"

namespace kestrova::cli {

// Scans the pages below folder and prints one UTF-8 line per row of the
// table, in table order (at most the rows the program's results list shows):
// spellings, TAB, total count, TAB, page list, LF. 0 also when no page was
// found; 1 with an error line when the folder cannot be read or belongs to
// the system (/proc, /sys, /dev). The pages and folders that could not be
// read are named on the error output at the end. step, when given, is
// called before each page (for the progress).
int SiteVerb(Session& session, const std::string& folder, std::ostream& out, const SitePageStep& step = {});

// Page names and words with their control characters escaped: TAB as "\t",
// LF as "\n", CR as "\r", a backslash as "\\", the others as "\xHH".
std::string EscapeControls(const std::string& text);

// The lines SiteVerb prints for the present WordTables.
std::string SiteReport();

}  // namespace kestrova::cli
