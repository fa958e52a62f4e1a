// The main window's commands on the page as a whole: opening and analysing a
// local page, saving the title and the description, and the export.
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

#include "analysis/analysis_driver.h"
#include "analysis/export_format.h"
#include "analysis/online_page.h"
#include "app/main_window.h"
#include "app/online_page_command.h"
#include "app/report_list.h"
#include "base/app_state.h"
#include "base/translate.h"
#include "base/ui_port.h"
#include "editing/rewrite_engine.h"
#include "page/page_state.h"
#include "page/page_walker.h"
#include "ui/dialogs.h"
#include "ui/text_convert.h"

namespace kestrova {

void MainWindow::OpenLocalPage()
{
    const std::string startFolder = OpenDialogStartFolder();
    const std::string remembered = Page.CurrentPagePath;
    // "Ouvrez une page html ou php à examiner..."
    const std::string title = TranslateFrenchKey("Ouvrez une page html ou php \xE0 examiner...");
    const std::string pattern = TranslateFrenchKey("Page Web") + "|" + PageFilePatterns();
    const std::string chosen = ui::AskOpenFileName(this, title, startFolder, pattern);
    if (!chosen.empty()) {
        AcceptChosenPage(chosen);
        EnablePageMenu(true);
    } else {
        // Cancelled: the page shown is analysed again.
        Page.CurrentPagePath = remembered;
    }
    AnalysePage();
    if (Page.CurrentPagePath.empty()) {
        EnablePageMenu(false);
    } else if (IsPageReadOnly()) {
        for (int id : {MenuImages, MenuUndo, MenuHistory}) {
            if (QAction* action = MenuAction(id))
                action->setEnabled(false);
        }
    }
}

void MainWindow::OpenPageFile(const std::string& path)
{
    AcceptChosenPage(path);
    EnablePageMenu(true);
    AnalysePage();
    if (Page.CurrentPagePath.empty()) {
        EnablePageMenu(false);
    } else if (IsPageReadOnly()) {
        for (int id : {MenuImages, MenuUndo, MenuHistory}) {
            if (QAction* action = MenuAction(id))
                action->setEnabled(false);
        }
    }
}

void MainWindow::AnalysePage()
{
    ShowAnalysis(IsOnlineAddress(Page.CurrentPagePath) ? AnalyseOnlineAddress(*this) : AnalyseLocalPage());
}

void MainWindow::SaveTitleAndDescription()
{
    // Both fields are written together, then the page is analysed again.
    const std::string title = ui::ToPage(titleField_->toPlainText());
    const std::string description = ui::ToPage(descriptionField_->toPlainText());
    SaveTitleAndDescriptionTogether(ui::MainWindowId, title, description);
    AnalysePage();
}

void MainWindow::ExportData()
{
    // "Export des données"
    const std::string path = ui::AskSaveFileName(this,
                                                 TranslateFrenchKey("Export des donn\xE9"
                                                                    "es"),
                                                 "Export.txt", TranslateFrenchKey("Fichier Texte") + "|*.txt");
    if (path.empty())
        return;
    const ExportSource source =
        MainWindowExportSource(ui::ToPage(windowTitle()), ui::ToPage(titleField_->toPlainText()),
                               ui::ToPage(descriptionField_->toPlainText()));
    const kestrova::ExportData exported = BuildExport(source);
    if (!WriteExportFile(path, exported))
        return;
    if (QClipboard* clipboard = QGuiApplication::clipboard())
        clipboard->setText(ui::FromPage(exported.ClipboardText));
}

}  // namespace kestrova
