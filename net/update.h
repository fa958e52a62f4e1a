// The update check and the installation of a staged update.
#pragma once

namespace kestrova {

// Installs an update staged by an earlier run: when one is waiting, starts
// the installer and ends the program. Does nothing when none is waiting or
// automatic updates are disabled. Called at start before the main window
// exists.
void ApplyPendingUpdate();

// Starts the thread that reports the program's use, reads the version list
// and offers a newer version. Called once, after the main window is shown.
void StartUpdateCheck();

}  // namespace kestrova
