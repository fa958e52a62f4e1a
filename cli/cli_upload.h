// kestrova-cli upload: sends the pages of the journal to a server record of
// "Kestrova.prefs", both in the current folder.
#pragma once

#include <iosfwd>
#include <string>

#include "cli/cli_verbs.h"

namespace kestrova::cli {

// Sends every page of the journal into the server's folder plus the page's
// folder below the upload root (rootFolder, or when empty the root the
// journal window would take from the folder of the journal's first page),
// prints one line per file sent on out, then purges the journal. Returns
// ExitOk when every page was sent, ExitFailure when some were not (they stay
// in the journal and each gets an error line with the server's answer),
// ExitUsage when no server record has that name. serverName is Windows-1252.
int UploadVerb(Session& session, const std::string& serverName, const std::string& rootFolder, std::ostream& out);

}  // namespace kestrova::cli
