// Entry points of the windows that are opened from the main window but built
// in their own modules.
#include "app/later_commands.h"

#include "app/journal_window.h"
#include "app/main_window.h"
#include "app/page_source_viewer.h"
#include "app/site_statistics.h"
#include "base/paths.h"
#include "page/page_state.h"

namespace kestrova {

void ShowPageSource(MainWindow& window)
{
    ShowPageSource(&window, Page.CurrentPagePath, FolderOf(Page.CurrentPagePath));
}

void ShowSiteStatistics(MainWindow& window)
{
    SiteWordStatistics(&window);
}

void ShowJournalWindow(MainWindow& window, const std::string& folder)
{
    JournalWindow(&window, folder);
}

}  // namespace kestrova
