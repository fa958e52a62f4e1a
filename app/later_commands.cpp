// Entry points of the windows that are opened from the main window but built
// in their own modules. Until a window is there, its command does nothing.
#include "app/later_commands.h"

#include "app/main_window.h"

namespace kestrova {

void ShowMetaEditor(MainWindow&) {}

void ShowImagesEditor(MainWindow&) {}

void ShowPageSource(MainWindow&) {}

void ShowSiteStatistics(MainWindow&) {}

void ShowJournalWindow(MainWindow&, const std::string&) {}

void ShowSentenceEditor(MainWindow&, const std::string&) {}

}  // namespace kestrova
