#include "app/history_window.h"

#include <QDialog>
#include <QFont>
#include <QFontDatabase>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QTreeWidgetItem>
#include <ctime>

#include "base/codec.h"
#include "base/file_io.h"
#include "base/paths.h"
#include "base/translate.h"
#include "base/ui_port.h"
#include "page/page_history.h"
#include "page/page_undo.h"
#include "page/unified_diff.h"
#include "ui/text_convert.h"
#include "ui/window_helpers.h"

namespace kestrova {

namespace {

// Local seconds (counted in local time) as "JJ/MM/AAAA HH:MM:SS".
QString TimeText(std::int64_t seconds)
{
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm parts{};
    ::gmtime_r(&t, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%d/%m/%Y %H:%M:%S", &parts);
    return QString::fromLatin1(text);
}

using ui::Tr;

// The difference from a version to the page now, as UTF-8 text for the
// view (the page's own bytes shown as Windows-1252 when they are not UTF-8).
QString DifferenceText(const HistoryVersion& version, const std::string& pagePath)
{
    std::string before;
    std::string now;
    if (!ReadHistoryVersion(version, before) || !ReadWholeFile(pagePath, now))
        return Tr("Cette version ne peut \xEAtre lue.");
    const std::string name = FileNameOf(pagePath);
    const std::string diff = UnifiedDiff(before, now, name, name);
    if (diff.empty())
        return Tr("La page est identique \xE0 cette version.");
    QString text = QString::fromUtf8(diff.data(), static_cast<qsizetype>(diff.size()));
    if (text.contains(QChar::ReplacementCharacter))
        text = ui::FromPage(diff);
    text.remove(QLatin1Char('\r'));
    return text;
}

}  // namespace

bool RestorePageVersion(QWidget* owner, const std::string& pagePath, int number)
{
    UndoOutcome outcome = UndoPageChange(pagePath, number, false, ui::MainWindowId, true);
    if (outcome == UndoOutcome::ChangedOutside) {
        const std::string question = TranslateFrenchKey(UndoOutcomeText(outcome)) + "\n" +
                                     TranslateFrenchKey("Voulez-vous remettre cette version quand m\xEAme ?");
        if (!ui::Ui().AskYesNo(ui::MainWindowId, TranslateFrenchKey("Attention !"), question))
            return false;
        outcome = UndoPageChange(pagePath, number, true, ui::MainWindowId, true);
    }
    (void)owner;
    if (outcome == UndoOutcome::Restored)
        return true;
    if (outcome != UndoOutcome::Failed)  // a failed change has told why
        ui::Ui().ShowMessage(ui::MainWindowId, DisplayFileName(pagePath), TranslateFrenchKey(UndoOutcomeText(outcome)));
    return false;
}

bool ShowPageHistory(QWidget* owner, const std::string& pagePath)
{
    QDialog* window = ui::OpenChildWindow(
        owner, 0, 0, 760, 480, ui::WindowCaption | ui::WindowCloseBox | ui::WindowSizingBorder | ui::WindowCentred,
        TranslateFrenchKey("Historique de la page") + " - " + DisplayFileName(pagePath));
    window->setObjectName(QStringLiteral("PageHistoryWindow"));

    auto* list = new QTreeWidget(window);
    list->setObjectName(QStringLiteral("HistoryList"));
    list->setGeometry(10, 10, 740, 150);
    list->setRootIsDecorated(false);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setHeaderLabels({Tr("N\xB0"), Tr("Date"), Tr("Action"), Tr("Taille")});
    list->header()->resizeSection(0, 50);
    list->header()->resizeSection(1, 160);
    list->header()->resizeSection(2, 380);

    auto* difference = new QPlainTextEdit(window);
    difference->setObjectName(QStringLiteral("HistoryDifference"));
    difference->setReadOnly(true);
    difference->setLineWrapMode(QPlainTextEdit::NoWrap);
    difference->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    difference->setGeometry(10, 170, 740, 260);

    auto* restore = new QPushButton(Tr("Restaurer"), window);
    restore->setObjectName(QStringLiteral("Restaurer"));
    restore->setGeometry(590, 445, 75, 24);
    restore->setAutoDefault(false);
    auto* close = new QPushButton(Tr("Fermer"), window);
    close->setObjectName(QStringLiteral("Fermer"));
    close->setGeometry(675, 445, 75, 24);
    close->setAutoDefault(false);

    std::vector<HistoryVersion> versions;
    auto reload = [&] {
        versions = PageHistory(pagePath);
        list->clear();
        for (const HistoryVersion& version : versions) {
            auto* item = new QTreeWidgetItem(list, {QString::number(version.Number), TimeText(version.Time),
                                                    ui::FromPage(version.Action), QString::number(version.Size)});
            item->setTextAlignment(3, Qt::AlignRight);
        }
        restore->setEnabled(false);
        difference->setPlainText(versions.empty() ? Tr("Cette page n'a pas encore d'historique.") : QString());
        if (!versions.empty())
            list->setCurrentItem(list->topLevelItem(0));
    };
    QObject::connect(list, &QTreeWidget::currentItemChanged, window, [&](QTreeWidgetItem* item) {
        const int row = item ? list->indexOfTopLevelItem(item) : -1;
        if (row < 0 || row >= static_cast<int>(versions.size())) {
            restore->setEnabled(false);
            return;
        }
        difference->setPlainText(DifferenceText(versions[static_cast<std::size_t>(row)], pagePath));
        restore->setEnabled(true);
    });
    bool restored = false;
    QObject::connect(restore, &QPushButton::clicked, window, [&] {
        const int row = list->indexOfTopLevelItem(list->currentItem());
        if (row < 0 || row >= static_cast<int>(versions.size()))
            return;
        if (RestorePageVersion(window, pagePath, versions[static_cast<std::size_t>(row)].Number)) {
            restored = true;
            reload();
        }
    });
    QObject::connect(close, &QPushButton::clicked, window, &QDialog::reject);
    reload();
    list->setFocus();
    window->exec();
    ui::CloseChildWindow(window, owner);
    return restored;
}

}  // namespace kestrova
