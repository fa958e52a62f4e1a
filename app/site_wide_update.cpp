#include "app/site_wide_update.h"

#include <sys/stat.h>

#include <QDialog>
#include <QFontDatabase>
#include <QHeaderView>
#include <QLabel>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QTreeWidgetItem>
#include <memory>

#include "base/app_state.h"
#include "base/paths.h"
#include "base/translate.h"
#include "editing/rewrite_engine.h"
#include "page/page_state.h"
#include "page/unified_diff.h"
#include "site/site_scan.h"
#include "site/site_update.h"
#include "ui/text_convert.h"
#include "ui/window_helpers.h"

namespace kestrova {

namespace {

QPushButton* NewButton(QDialog* window, const char* frenchText, const char* name, int x)
{
    auto* button = new QPushButton(ui::Tr(frenchText), window);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(x, 272, 75, 18);
    button->setAutoDefault(false);
    return button;
}

void TickAll(QTreeWidget* list, bool ticked)
{
    for (int row = 0; row < list->topLevelItemCount(); ++row)
        list->topLevelItem(row)->setCheckState(0, ticked ? Qt::Checked : Qt::Unchecked);
}

// The preview below the list: a mark on each page that would change, and
// the difference of the selected page.
void AddPreview(QDialog* window, QTreeWidget* list, const std::vector<std::string>& pages,
                const std::vector<DryRun::Change>& changes)
{
    auto differences = std::make_shared<std::vector<std::string>>(pages.size());
    for (std::size_t i = 0; i < pages.size(); ++i) {
        for (const DryRun::Change& change : changes) {
            if (change.Path == pages[i]) {
                const std::string name = FileNameOf(pages[i]);
                (*differences)[i] = UnifiedDiff(change.Before, change.After, name, name);
            }
        }
        QTreeWidgetItem* item = list->topLevelItem(static_cast<int>(i));
        if ((*differences)[i].empty()) {
            item->setText(0, item->text(0) + QStringLiteral("  ") +
                                 ui::Tr("(inchang\xE9"
                                        "e)"));
            item->setForeground(0, list->palette().color(QPalette::Disabled, QPalette::Text));
        }
    }
    auto* view = new QPlainTextEdit(window);
    view->setObjectName(QStringLiteral("PreviewDifference"));
    view->setReadOnly(true);
    view->setLineWrapMode(QPlainTextEdit::NoWrap);
    view->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    view->setGeometry(10, 300, 620, 250);
    QObject::connect(list, &QTreeWidget::currentItemChanged, view, [list, view, differences](QTreeWidgetItem* item) {
        const int row = item ? list->indexOfTopLevelItem(item) : -1;
        if (row < 0 || row >= static_cast<int>(differences->size())) {
            view->clear();
            return;
        }
        const std::string& diff = (*differences)[static_cast<std::size_t>(row)];
        QString text = diff.empty() ? ui::Tr("Cette page ne changera pas.")
                                    : QString::fromUtf8(diff.data(), static_cast<qsizetype>(diff.size()));
        if (text.contains(QChar::ReplacementCharacter))
            text = ui::FromPage(diff);
        text.remove(QLatin1Char('\r'));
        view->setPlainText(text);
    });
    if (list->topLevelItemCount() > 0)
        list->setCurrentItem(list->topLevelItem(0));
}

bool FileHasBytes(const std::string& path)
{
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && info.st_size >= 1;
}

}  // namespace

std::string SiteWideUpdate(QWidget* OwnerWindow, const std::string& Message, const std::string& ImagePath,
                           const SitePagesPreview& preview)
{
    SiteFileList.clear();
    QDialog* window = ui::OpenChildWindow(OwnerWindow, 0, 0, 640, preview ? 560 : 300,
                                          ui::WindowCaption | ui::WindowCloseBox | ui::WindowCentred,
                                          TranslateFrenchKey("Mettre \xE0 jour toutes les pages du site..."));
    window->setObjectName(QStringLiteral("SiteWideUpdate"));

    const std::string folder = FolderOf(Page.CurrentPagePath);
    const std::vector<std::string> pages = SiteUpdatePages(Page.CurrentPagePath);
    const std::vector<bool> ticks = InitialTicks(pages, App.FileListe);

    auto* list = new QTreeWidget(window);
    list->setObjectName(QStringLiteral("SiteFileList"));
    list->setGeometry(10, 10, 450, 250);
    list->setRootIsDecorated(false);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setHeaderLabels({ui::Tr("Fichiers")});
    list->header()->resizeSection(0, 550);
    for (std::size_t i = 0; i < pages.size(); ++i) {
        auto* item = new QTreeWidgetItem(list, {ui::FromFileName(pages[i])});
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(0, ticks[i] ? Qt::Checked : Qt::Unchecked);
    }

    // The message (Windows-1252), then the site folder as a tree (file-system
    // bytes), each converted with its own codec.
    auto* text = new QLabel(ui::FromPage(Message) + ui::FromFileName(FolderTreeLines(folder)), window);
    text->setObjectName(QStringLiteral("MessageText"));
    text->setWordWrap(true);
    text->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    text->setGeometry(470, 10, 160, 252);
    if (!ImagePath.empty() && FileHasBytes(ImagePath)) {
        const QImage image = ui::LoadPicture(ImagePath);
        if (!image.isNull()) {
            const PreviewSize size = HalvedPreviewSize(image.width(), image.height());
            auto* picture = new QLabel(window);
            picture->setObjectName(QStringLiteral("ImagePreview"));
            picture->setFrameShape(QFrame::Box);
            picture->setPixmap(QPixmap::fromImage(
                image.scaled(size.Width, size.Height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)));
            picture->setGeometry(470, 10, size.Width, size.Height);
            text->setGeometry(470, size.Height + 20, 160, 300 - size.Height - 58);
        } else {
            // No picture: the text keeps its place below where it would be.
            text->setGeometry(470, 20, 160, 242);
        }
    }

    QPushButton* all = NewButton(window, "Toutes", "Toutes", 10);
    QPushButton* none = NewButton(window, "Aucune", "Aucune", 95);
    QPushButton* cancel = NewButton(window, "Annuler", "Annuler", 470);
    QPushButton* ok = NewButton(window, "OK", "OK", 555);
    ok->setDefault(true);
    QObject::connect(all, &QPushButton::clicked, window, [list] { TickAll(list, true); });
    QObject::connect(none, &QPushButton::clicked, window, [list] { TickAll(list, false); });
    QObject::connect(ok, &QPushButton::clicked, window, &QDialog::accept);
    if (preview)
        AddPreview(window, list, pages, preview(pages));
    QObject::connect(cancel, &QPushButton::clicked, window, &QDialog::reject);
    list->setFocus();

    std::string result;
    if (window->exec() == QDialog::Accepted) {
        for (int row = 0; row < list->topLevelItemCount(); ++row)
            if (list->topLevelItem(row)->checkState(0) == Qt::Checked) {
                result += pages[static_cast<std::size_t>(row)];
                result += '\r';
            }
    }
    App.FileListe = result;
    ui::CloseChildWindow(window, OwnerWindow);
    Edit.YesToAll = false;
    SiteFileList = result;
    return result;
}

}  // namespace kestrova
