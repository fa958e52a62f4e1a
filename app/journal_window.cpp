#include "app/journal_window.h"

#include <QDialog>
#include <QEvent>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTimer>
#include <QTreeWidget>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <vector>

#include "app/server_dialog.h"
#include "app/site_check_window.h"
#include "app/upload_window.h"
#include "base/app_state.h"
#include "base/clock.h"
#include "base/translate.h"
#include "base/ui_port.h"
#include "net/ftp_upload.h"
#include "net/remote_folder.h"
#include "page/journal.h"
#include "ui/text_convert.h"
#include "ui/text_room.h"
#include "ui/window_helpers.h"

namespace kestrova {

namespace {

// The program's local time (seconds counted in local time) as "%hh:%ii:%ss"
// and "%dd/%mm/%yy".
void FormatTime(std::int64_t seconds, std::string& time, std::string& date)
{
    std::time_t t = static_cast<std::time_t>(seconds);
    std::tm parts{};
    gmtime_r(&t, &parts);
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%02d:%02d:%02d", parts.tm_hour, parts.tm_min, parts.tm_sec);
    time = buffer;
    std::snprintf(buffer, sizeof buffer, "%02d/%02d/%02d", parts.tm_mday, parts.tm_mon + 1, parts.tm_year % 100);
    date = buffer;
}

struct JournalGadgets {
    QDialog* Window = nullptr;
    QLabel* Text = nullptr;
    QTreeWidget* List = nullptr;
    QPushButton* Clear = nullptr;
    QPushButton* Send = nullptr;
    QPushButton* Close = nullptr;
    std::string RootFolder;  // the folder of the page being analysed
    std::string UploadRoot;

    void Place()
    {
        const int w = Window->width();
        const int h = Window->height();
        const int b = (w - 40) / 3;
        Text->setGeometry(10, 10, w - 20, 28);
        List->setGeometry(10, 43, w - 20, h - 83);
        // "Heure" and "Date" keep their widths; the file names take the rest
        // of the list, so that every column stays inside it.
        const int room = List->width() - 2 * List->frameWidth() -
                         List->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, List);
        List->setColumnWidth(0, std::max(room - List->columnWidth(1) - List->columnWidth(2), 40));
        Clear->setGeometry(10, h - 28, b, 18);
        Send->setGeometry(b + 20, h - 28, b, 18);
        Close->setGeometry(2 * b + 30, h - 28, b, 18);
    }

    std::string RowPath(int row) const { return ui::ToFileName(List->topLevelItem(row)->text(0)); }

    std::vector<std::string> TickedPaths() const
    {
        std::vector<std::string> paths;
        for (int row = 0; row < List->topLevelItemCount(); ++row)
            if (ui::IsListItemChecked(List, row) == 1 && !RowPath(row).empty())
                paths.push_back(RowPath(row));
        return paths;
    }

    // One round of the window: the button's state, the rows sent, the purge.
    void Round()
    {
        Send->setEnabled(Upload.BackgroundThread.load() == 0 && List->topLevelItemCount() > 0);
        // While a run goes on, and once more when it has just ended (before
        // the purge below), so that the rows of the last files sent go too.
        if (Upload.UploadState.load() >= 0) {
            for (int row = List->topLevelItemCount() - 1; row >= 0; --row) {
                if (ui::IsListItemChecked(List, row) == 1 && !Upload.AnyBeginsWith(RowPath(row) + "|"))
                    delete List->takeTopLevelItem(row);
            }
        }
        PurgeJournal();
    }

    void StartUpload()
    {
        if (!ConfirmUploadAfterCheck(Window, UploadRoot, TickedPaths()))
            return;
        const int server = ServerDialog(1, Window);
        if (server <= 0 || App.ServerTable[server].Name.empty())
            return;
        const std::string& serverName = App.ServerTable[server].Name;
        // The root is the deepest folder that holds every ticked page and
        // the page being analysed (whose folder the server's address is
        // taken to stand for).
        std::vector<std::string> ticked;
        if (!RootFolder.empty())
            ticked.push_back(RootFolder);
        for (int row = 0; row < List->topLevelItemCount(); ++row)
            if (ui::IsListItemChecked(List, row) == 1 && IsJournalSafePath(RowPath(row)))
                ticked.push_back(RowPath(row));
        UploadRoot = DeepestCommonFolder(ticked);
        std::vector<std::string> entries;
        std::vector<std::string> unsent;
        std::string refused;
        for (int row = 0; row < List->topLevelItemCount(); ++row) {
            const std::string path = RowPath(row);
            if (path.empty())
                continue;
            if (ui::IsListItemChecked(List, row) != 1) {
                unsent.push_back(path);
                continue;
            }
            std::optional<std::string> folder = UploadFolderOf(UploadRoot, path);
            if (!folder) {
                // A name the journal cannot hold, or a file that resolves
                // outside the root: it has no place on the server.
                unsent.push_back(path);
                refused += "\r" + path;
                List->topLevelItem(row)->setCheckState(0, Qt::Unchecked);
                continue;
            }
            entries.push_back(path + "|" + serverName + "|" + *folder);
        }
        if (!refused.empty())
            ui::Ui().ShowMessage(
                ui::MainWindowId, TranslateEnglishKey("Error"),
                TranslateFrenchKey("Ces pages ne peuvent \xEAtre envoy\xE9"
                                   "es (nom illisible dans le journal, ou hors du dossier du site) :") +
                    refused);
        if (entries.empty())
            return;
        // The queue holds exactly the files ticked for this run.
        Upload.StartRun(std::move(entries));
        Upload.KeepUnsent(unsent);
        Upload.UploadStartTime = LocalNowSeconds();
        Upload.UploadState = 0;
        SetUploadWindow(&QtUploadWindow::Instance());
        StartUploadThread();
        Send->setEnabled(false);
    }
};

class ResizeWatcher : public QObject {
public:
    explicit ResizeWatcher(JournalGadgets& gadgets) : QObject(gadgets.Window), gadgets_(gadgets) {}
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Resize)
            gadgets_.Place();
        return false;
    }

private:
    JournalGadgets& gadgets_;
};

}  // namespace

void JournalWindow(QWidget* owner, const std::string& rootFolder)
{
    // A run still going on keeps its state; it is purged once it ends.
    if (!UploadThreadRunning())
        Upload.UploadState = -1;
    JournalGadgets g;
    g.Window = ui::OpenChildWindow(owner, 0, 0, 600, 300,
                                   ui::WindowCaption | ui::WindowCloseBox | ui::WindowSizingBorder | ui::WindowCentred,
                                   TranslateFrenchKey("Journal des modifications"));
    g.Window->setObjectName(QStringLiteral("JournalWindow"));
    g.Text = new QLabel(ui::FromPage(TranslateFrenchKey("Ces fichiers ont \xE9t\xE9 modifi\xE9s par ") + "Kestrova : "),
                        g.Window);
    g.Text->setObjectName(QStringLiteral("JournalText"));
    g.List = new QTreeWidget(g.Window);
    g.List->setObjectName(QStringLiteral("JournalList"));
    g.List->setRootIsDecorated(false);
    g.List->setSelectionBehavior(QAbstractItemView::SelectRows);
    g.List->setHeaderLabels({ui::Tr("Fichiers"), ui::Tr("Heure"), ui::Tr("Date")});
    // The time and date columns: 70 pixels, or what their titles and
    // "00:00:00" need in the list's font.
    for (int column : {1, 2}) {
        const int text = std::max(g.List->fontMetrics().horizontalAdvance(QStringLiteral("00:00:00")) + 12,
                                  ui::NeededSectionWidth(g.List->header(), column));
        g.List->setColumnWidth(column, std::max(70, text));
    }
    g.Clear = new QPushButton(ui::Tr("Effacer la liste"), g.Window);
    g.Clear->setObjectName(QStringLiteral("ClearButton"));
    g.Send = new QPushButton(ui::Tr("UpLoad les fichiers s\xE9lectionn\xE9s"), g.Window);
    g.Send->setObjectName(QStringLiteral("UploadButton"));
    g.Close = new QPushButton(ui::Tr("Fermer"), g.Window);
    g.Close->setObjectName(QStringLiteral("CloseButton"));
    // Wide enough for the longest of the three buttons' captions.
    int buttonWidth = (600 - 40) / 3;
    for (QPushButton* b : {g.Clear, g.Send, g.Close}) {
        b->resize(buttonWidth, 18);
        buttonWidth = std::max(buttonWidth, ui::NeededTextWidth(b));
    }
    g.Window->setMinimumWidth(3 * buttonWidth + 40);
    g.Window->resize(std::max(600, 3 * buttonWidth + 40), 300);
    g.Place();

    LoadJournal();
    for (const std::string& line : Journal.JournalEntries) {
        // (The lines come without their line end; a CR inside a line is part
        // of the path, which the upload refuses.)
        const std::string path = JournalLinePath(line);
        if (path.empty())
            continue;
        std::string time, date;
        FormatTime(JournalLineTime(line), time, date);
        auto* row = new QTreeWidgetItem(g.List, {ui::FromFileName(path), ui::FromPage(time), ui::FromPage(date)});
        // A line an older version wrote for one of the program's own files
        // (the online page) is shown but not ticked.
        row->setCheckState(0, IsProgramOwnFile(path) ? Qt::Unchecked : Qt::Checked);
    }
    g.RootFolder = rootFolder;
    g.UploadRoot = rootFolder;

    g.Window->installEventFilter(new ResizeWatcher(g));
    QObject::connect(g.Close, &QPushButton::clicked, g.Window, &QDialog::reject);
    // Enter never clears the journal: no button of the window is a default
    // one, and clearing asks first, "Non" being the default answer.
    for (QPushButton* button : {g.Clear, g.Send, g.Close}) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
    g.List->setFocus();
    QObject::connect(g.Clear, &QPushButton::clicked, g.Window, [&g] {
        if (!ui::Ui().AskYesNoDefaultNo(ui::MainWindowId, TranslateFrenchKey("Effacer la liste"),
                                        TranslateFrenchKey("Effacer toute la liste des fichiers modifi\xE9s ? Ces "
                                                           "fichiers ne seront plus propos\xE9s \xE0 l'envoi.")))
            return;
        g.List->clear();
        std::error_code ignored;
        std::filesystem::remove(JournalFileName, ignored);
        Journal.JournalEntries.clear();
    });
    QObject::connect(g.Send, &QPushButton::clicked, g.Window, [&g] { g.StartUpload(); });
    auto* rounds = new QTimer(g.Window);
    QObject::connect(rounds, &QTimer::timeout, g.Window, [&g] { g.Round(); });
    rounds->start(10);
    g.Round();

    g.Window->exec();
    rounds->stop();
    ui::CloseChildWindow(g.Window, owner);
}

}  // namespace kestrova
