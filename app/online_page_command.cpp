// The online page commands of the main window. OpenOnlinePage is declared
// with the other commands in app/later_commands.h.
#include "app/online_page_command.h"

#include <QAction>
#include <QDialog>
#include <QEventLoop>
#include <QTimer>

#include "analysis/online_page.h"
#include "app/later_commands.h"
#include "app/main_window.h"
#include "base/address_text.h"
#include "base/translate.h"
#include "net/http_fetch.h"
#include "page/page_state.h"
#include "ui/dialogs.h"
#include "ui/window_helpers.h"

namespace kestrova {

namespace {

// Waits, looking again every 100 ms, until the update check leaves the
// fetch service, and takes it.
void TakeFetchTurn()
{
    if (TryTakeFetchTurn(PageFetchBusy, UpdateFetchBusy))
        return;
    QEventLoop loop;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, &loop, [&loop] {
        if (TryTakeFetchTurn(PageFetchBusy, UpdateFetchBusy))
            loop.quit();
    });
    timer.start(100);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

std::string FetchBehindWaitWindow(MainWindow& window, const std::string& address)
{
    TakeFetchTurn();
    // "Attente de la page " + the address + "..."
    QDialog* wait =
        ui::OpenAbortableWaitWindow(&window, TranslateFrenchKey("Page en ligne"),
                                    TranslateFrenchKey("Attente de la page ") + WithoutPassword(address) + "...");
    const std::string text = FetchWithRetry(address, FetchOptions{.UseAbortButton = true, .ShowErrors = true});
    PageFetchBusy.store(false);
    ui::CloseChildWindow(wait, &window);
    return text;
}

}  // namespace

AnalysisResult AnalyseOnlineAddress(MainWindow& window)
{
    return AnalyseOnlinePage([&window](const std::string& address) { return FetchBehindWaitWindow(window, address); });
}

void OpenOnlinePage(MainWindow& window)
{
    std::string address = ui::AskInput(&window, TranslateFrenchKey("Page en ligne"),
                                       TranslateFrenchKey("Adresse de la page en ligne :"), "http://");
    // Nothing typed: the page shown stays the current page.
    if (!NormaliseOnlineAddress(address))
        return;
    Page.CurrentPagePath = address;
    window.EnablePageMenu(true);
    for (int id : {MainWindow::MenuImages, MainWindow::MenuBrowser, MainWindow::MenuUndo, MainWindow::MenuHistory}) {
        if (QAction* action = window.MenuAction(id))
            action->setEnabled(false);
    }
    window.AnalysePage();
    if (Page.CurrentPagePath.empty())
        window.EnablePageMenu(false);
}

}  // namespace kestrova
