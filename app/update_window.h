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

// "Download is done." with the buttons to restart now (which installs the
// update and ends the program) and OK (the update is installed at the next
// start). Modal over `parent`.
void UpdateReadyDialog(QWidget* parent);

}  // namespace kestrova
