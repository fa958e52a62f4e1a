#include "app/site_wide_update.h"

#include <sys/stat.h>

#include <QDialog>
#include <QHeaderView>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QTreeWidget>
#include <QTreeWidgetItem>

#include "base/app_state.h"
#include "base/paths.h"
#include "base/translate.h"
#include "editing/rewrite_engine.h"
#include "page/page_state.h"
#include "site/site_scan.h"
#include "site/site_update.h"
#include "ui/text_convert.h"
#include "ui/window_helpers.h"

namespace kestrova {

namespace {

QPushButton* NewButton(QDialog* window, const char* frenchText, const char* name, int x)
{
    auto* button = new QPushButton(ui::FromPage(TranslateFrenchKey(frenchText)), window);
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

bool FileHasBytes(const std::string& path)
{
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && info.st_size >= 1;
}

}  // namespace

std::string SiteWideUpdate(QWidget* OwnerWindow, const std::string& Message, const std::string& ImagePath)
{
    SiteFileList.clear();
    QDialog* window =
        ui::OpenChildWindow(OwnerWindow, 0, 0, 640, 300, ui::WindowCaption | ui::WindowCloseBox | ui::WindowCentred,
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
    list->setHeaderLabels({ui::FromPage(TranslateFrenchKey("Fichiers"))});
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
