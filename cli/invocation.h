// The options of one run of kestrova-cli that hold for every verb.
#pragma once

#include <string>

namespace kestrova::cli {

struct Invocation {
    bool Quiet = false;          // --quiet: no progress
    bool Json = false;           // --format json
    bool ErrIsTerminal = false;  // the error stream is a terminal
    std::string WorkFolder;      // --work-folder DIR ("" for the current folder)
};

// The options of the run in progress (reset by each RunCli).
Invocation& CurrentInvocation();

// True when a report verb is asked for its JSON document.
inline bool JsonWanted()
{
    return CurrentInvocation().Json;
}

// True when long work should show its progress on the error stream: it is
// a terminal and --quiet was not given.
inline bool ProgressWanted()
{
    return CurrentInvocation().ErrIsTerminal && !CurrentInvocation().Quiet;
}

}  // namespace kestrova::cli
