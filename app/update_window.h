// The program's side of the update check: its questions and messages shown
// on the main thread, and the window that announces a staged update.
#pragma once

class QWidget;

namespace kestrova {

class MainWindow;

// Starts the update check thread for the program (settings of App, the
// working folder, the main window as owner of its boxes).
void StartProgramUpdateCheck(MainWindow& window);

// Ends the update check before the program ends: a question it is waiting
// for is dropped (taken as No) and the thread is joined.
void EndProgramUpdateCheck();

// "Download is done." with the buttons to restart now (which ends the
// program's event loop, so that the settings are saved, and asks for the
// update to be installed then) and OK (the update is installed at the next
// start). Modal over `parent`.
void UpdateReadyDialog(QWidget* parent);

// Whether "restart now" was chosen: the program, once its settings are
// saved, starts the helper (ApplyPendingUpdate).
bool RestartForUpdateRequested();

// Shows the outcome the update helper left, when the last update failed.
void ReportUpdateOutcome();

}  // namespace kestrova
