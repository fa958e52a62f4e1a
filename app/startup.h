// Program start-up and shutdown.
#pragma once

namespace kestrova {

// Runs the program: start-up sequence, main window, event loop, settings
// written at the end. Returns the process exit code.
int RunProgram(int argc, char* argv[]);

}  // namespace kestrova
