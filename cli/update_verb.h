// kestrova-cli update-check [--install]
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace kestrova::cli {

// Runs the update check with the settings of the current folder (usage
// report included; the automatic-update preference does not apply to an
// explicit check). The offer is answered Yes with --install, No without it.
// Prints the version found or that the program is up to date; with
// --install, downloads and stages the update as the program does.
// Returns 0 when up to date, offered or staged, 1 on a failure or refusal,
// 2 for bad arguments. `args` starts with the verb.
int UpdateCheckVerb(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace kestrova::cli
