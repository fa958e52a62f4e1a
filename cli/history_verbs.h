// The verbs of kestrova-cli that read and use a page's history: history,
// undo and diff, and the --dry-run option of every edit verb.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace kestrova::cli {

// history PAGE: one line per version, newest first:
// NUMBER<TAB>YYYY-MM-DD HH:MM:SS<TAB>ACTION<TAB>SIZE (UTF-8).
int HistoryVerb(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
// undo PAGE [--to N] [--force] [--dry-run] [--lang fr|en]
int UndoVerb(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
// diff PAGE [N]: the unified difference from version N (default 1) to the
// page as it is.
int DiffVerb(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// Whether the arguments ask for a dry run (a "--dry-run" before any "--").
bool WantsDryRun(const std::vector<std::string>& args);
// Runs the edit verb of args without "--dry-run" through run, with every
// change worked out and not committed, and prints the unified difference of
// each page it would change. 0 when the change is possible, 1 when it would
// fail, 2 for bad arguments (also for a verb that changes no page).
using VerbRunner = int (*)(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int DryRunVerb(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, VerbRunner run);

}  // namespace kestrova::cli
