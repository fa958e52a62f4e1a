// Entry points of the windows that are opened from the main window but built
// in their own modules. Until a window is there, its command does nothing.
#include "app/later_commands.h"

#include "app/journal_window.h"
#include "app/main_window.h"

namespace kestrova {

void ShowPageSource(MainWindow&) {}

void ShowSiteStatistics(MainWindow&) {}

std::string ShowPreferencesWindow(MainWindow&, const std::string& preferences)
{
    return preferences;
}

void ShowHelp(MainWindow&) {}

void ShowAboutWindow(MainWindow&) {}

void ShowJournalWindow(MainWindow& window, const std::string& folder)
{
    JournalWindow(&window, folder);
}

void CreateBannerGadgets(MainWindow&) {}

void RemoveBannerGadgets(MainWindow&) {}

void PlaceBannerGadgets(MainWindow&) {}

}  // namespace kestrova
