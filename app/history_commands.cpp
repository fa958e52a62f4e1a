// The main window's history commands: undo of the last change of the page
// (Ctrl+Z) and the page's history window.
#include "app/history_window.h"
#include "app/main_window.h"
#include "page/page_state.h"

namespace kestrova {

void MainWindow::UndoLastChange()
{
    if (Page.CurrentPagePath.empty() || Page.PageReadOnly)
        return;
    // A typed title or description would be lost with the page shown again.
    if (!ConfirmUnsavedText())
        return;
    if (RestorePageVersion(this, Page.CurrentPagePath, 0))
        AnalysePage();
}

void MainWindow::ShowHistory()
{
    if (Page.CurrentPagePath.empty() || Page.PageReadOnly)
        return;
    if (!ConfirmUnsavedText())
        return;
    if (ShowPageHistory(this, Page.CurrentPagePath))
        AnalysePage();
}

}  // namespace kestrova
