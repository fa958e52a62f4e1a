// The online page commands of the main window. OpenOnlinePage is declared
// with the other commands in app/later_commands.h.
#include "app/online_page_command.h"

#include <QAction>
#include <QDialog>
#include <QEventLoop>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <utility>
#include <vector>

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

// What the main window shows of the current page, kept while another page
// is fetched so that a failed fetch can give it back whole.
class ShownPage {
public:
    explicit ShownPage(MainWindow& window)
        : window_(window),
          page_(Page),
          caption_(window.windowTitle()),
          title_(window.TitleField()->toPlainText()),
          description_(window.DescriptionField()->toPlainText()),
          sentence_(window.SentenceBox()->text())
    {
        AnalysisButtons& b = buttons_;
        b.ManualAdd = StateOf(window.ManualAddButton());
        b.ModifySentence = StateOf(window.SentenceButton());
        b.AddToKeywords = StateOf(window.AddKeywordButton());
        b.Remove = StateOf(window.RemoveButton());
        b.Modify = StateOf(window.ModifyButton());
        b.SaveTitle = StateOf(window.TitleSaveButton());
        b.SaveDescription = StateOf(window.DescriptionSaveButton());
        for (QMenu* menu : window.menuBar()->findChildren<QMenu*>()) {
            for (QAction* action : menu->actions())
                menu_.emplace_back(action, action->isEnabled());
        }
    }

    void Restore()
    {
        Page = page_;
        window_.setWindowTitle(caption_);
        // The page's own texts are back: the fields' watch sees nothing
        // typed, and the buttons get their states back just after.
        window_.TitleField()->setPlainText(title_);
        window_.DescriptionField()->setPlainText(description_);
        AnalysisResult shown;
        shown.Buttons = buttons_;
        window_.ShowAnalysis(shown);
        window_.SentenceBox()->setText(sentence_);
        for (const auto& [action, enabled] : menu_)
            action->setEnabled(enabled);
    }

private:
    static ButtonChange StateOf(const QPushButton* button)
    {
        return button->isEnabled() ? ButtonChange::Enable : ButtonChange::Disable;
    }

    MainWindow& window_;
    PageState page_;
    QString caption_;
    QString title_;
    QString description_;
    QString sentence_;
    AnalysisButtons buttons_;
    std::vector<std::pair<QAction*, bool>> menu_;
};

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
    // A fetch that brings nothing leaves the window as it was: the page
    // shown before stays the current page, with its caption, fields and
    // commands (the message has said that the address could not be read).
    ShownPage before(window);
    Page.CurrentPagePath = address;
    window.EnablePageMenu(true);
    for (int id : {MainWindow::MenuImages, MainWindow::MenuBrowser, MainWindow::MenuUndo, MainWindow::MenuHistory}) {
        if (QAction* action = window.MenuAction(id))
            action->setEnabled(false);
    }
    window.AnalysePage();
    if (Page.CurrentPagePath.empty())
        before.Restore();
}

}  // namespace kestrova
