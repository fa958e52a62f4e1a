#include "cli/cli.h"

#include <ostream>

namespace kestrova::cli {

int RunCli(const std::vector<std::string>&, std::ostream&, std::ostream& err)
{
    err << "usage: kestrova-cli COMMAND ...\n";
    return 2;
}

}  // namespace kestrova::cli
