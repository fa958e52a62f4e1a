#include "app/site_statistics.h"

#include <QDialog>
#include <QEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include "analysis/word_tables.h"
#include "app/report_list.h"
#include "base/codec.h"
#include "base/paths.h"
#include "base/translate.h"
#include "base/ui_port.h"
#include "site/site_scan.h"
#include "ui/dialogs.h"
#include "ui/text_convert.h"
#include "ui/window_helpers.h"

namespace kestrova {

ReportList SiteWordList;

namespace {

// Places the results window's gadgets for its inner size.
class ResultsLayout : public QObject {
public:
    ResultsLayout(QDialog* window, QLabel* line, ReportListView* list, QPushButton* close)
        : QObject(window), window_(window), line_(line), list_(list), close_(close)
    {
        window->installEventFilter(this);
    }
    void Place()
    {
        const int W = window_->width();
        const int H = window_->height();
        const int K = (W - 40) / 3;
        line_->setGeometry(10, 10, W - 20, 28);
        line_->setText(line_->text());
        list_->setGeometry(10, 43, W - 20, H - 93);
        list_->SetColumnWidth(2, W - 280);
        close_->setGeometry(2 * K + 30, H - 28, K, 18);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == window_ && event->type() == QEvent::Resize)
            Place();
        return false;
    }

private:
    QDialog* window_;
    QLabel* line_;
    ReportListView* list_;
    QPushButton* close_;
};

// After a scan: a folder of the system was refused, or pages and folders
// could not be read (at most 20 named, then how many more).
void ShowSiteScanProblems(const std::string& folder, const SiteScanReport& report)
{
    const std::string title = TranslateFrenchKey("Pertinence du site");
    if (!report.RefusedFolder.empty()) {
        ui::Ui().ShowMessage(ui::MainWindowId, title,
                             TranslateFrenchKey("Ce dossier appartient au syst\xE8me et ne contient pas de pages :") +
                                 "\n" + Utf8ToCp1252Lossy(folder));
        return;
    }
    if (report.Unreadable.empty())
        return;
    constexpr std::size_t Shown = 20;
    std::string text = TranslateFrenchKey("Ces pages ou dossiers n'ont pas pu \xEAtre lus :");
    for (std::size_t i = 0; i < report.Unreadable.size() && i < Shown; ++i)
        text += "\n" + Utf8ToCp1252Lossy(report.Unreadable[i]);
    if (report.Unreadable.size() > Shown)
        text += "\n(+" + std::to_string(report.Unreadable.size() - Shown) + ")";
    ui::Ui().ShowMessage(ui::MainWindowId, title, text);
}

}  // namespace

void ShowSiteWordStatistics(QWidget* MainWindow, const std::string&)
{
    SiteWordList.Clear();
    const int rows = SiteListedRowCount();
    SiteWordList.Rows.reserve(static_cast<std::size_t>(rows));
    for (int row = 0; row < rows; ++row)
        SiteWordList.Rows.push_back(
            {WordTables.WordForms[row], std::to_string(WordTables.WordCounts[row]), WordTables.WordOrigins[row]});

    QDialog* window = ui::OpenChildWindow(
        MainWindow, 0, 0, 780, 500, ui::WindowCaption | ui::WindowCloseBox | ui::WindowSizingBorder | ui::WindowCentred,
        TranslateFrenchKey("Pertinence du site"));
    window->setObjectName(QStringLiteral("SiteWordStatistics"));
    auto* line = new QLabel(ui::FromPage(std::to_string(rows) + TranslateFrenchKey(" mots trouv\xE9s")), window);
    line->setObjectName(QStringLiteral("WordCountText"));
    auto* list = new ReportListView(&SiteWordList, window);
    list->setObjectName(QStringLiteral("SiteWordList"));
    list->setUniformRowHeights(true);
    list->AddColumn(TranslateFrenchKey("Mots"), 168, false);
    list->AddColumn(TranslateFrenchKey("Nb occurences"), 70, true);
    list->AddColumn(TranslateFrenchKey("Pages"), 500, false);
    list->Reload();
    auto* close = new QPushButton(ui::Tr("Fermer"), window);
    close->setObjectName(QStringLiteral("Fermer"));
    close->setAutoDefault(false);
    QObject::connect(close, &QPushButton::clicked, window, &QDialog::reject);
    auto* layout = new ResultsLayout(window, line, list, close);
    layout->Place();
    list->setFocus();
    window->exec();
    ui::CloseChildWindow(window, MainWindow);
}

void SiteWordStatistics(QWidget* MainWindow)
{
    const std::string folder = ui::AskFolderName(MainWindow, TranslateFrenchKey("Choisissez le dossier du site"), "");
    if (folder.empty())
        return;

    // The progress window opens 110 pixels above the usual place; the place
    // is given back afterwards (also after CloseChildWindow has stored where
    // the window was), so that scans do not move it up one after another.
    if (!ui::WaitWindow.ProgressWindowPosSet)
        ui::InitProgressWindowPos();
    ui::WaitWindow.ProgressWindowPos.ry() -= 110;
    QDialog* progress = ui::OpenProgressWindow(
        MainWindow, TranslateFrenchKey("Analyse du dossier ") + DisplayFileName(SiteDisplayName(folder)));
    ui::WaitWindow.ProgressWindowPos.ry() += 110;

    SiteScanReport report;
    ScanSiteFolder(
        folder,
        [](const std::string& path, int percent) {
            if (ui::WaitWindow.ProgressText)
                ui::WaitWindow.ProgressText->setText(ui::FromFileName(path));
            if (ui::WaitWindow.ProgressBar)
                ui::WaitWindow.ProgressBar->setValue(percent);
            ui::Ui().PumpEvents();
        },
        0, &report);

    ui::CloseChildWindow(progress, MainWindow);
    ui::WaitWindow.ProgressWindowPos.ry() += 110;
    ShowSiteScanProblems(folder, report);
    ShowSiteWordStatistics(MainWindow, folder);
}

}  // namespace kestrova
