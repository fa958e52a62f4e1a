// The command-line tool over the engine: reports and single edits of one page.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace kestrova::cli {

// Runs the tool with its arguments (without the program name). Returns the
// exit status: 0 success, 1 failure of the operation, 2 bad arguments.
int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace kestrova::cli
