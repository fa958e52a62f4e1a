#include "app/images_editor.h"

#include <QDialog>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QTreeWidget>
#include <vector>

#include "app/page_editor_window.h"
#include "app/site_choice.h"
#include "app/typed_text_guard.h"
#include "base/paths.h"
#include "base/translate.h"
#include "base/unicode_text.h"
#include "editing/image_rename.h"
#include "editing/page_images.h"
#include "editing/rewrite_engine.h"
#include "editing/site_preview.h"
#include "page/page_encoding.h"
#include "page/page_state.h"
#include "ui/text_convert.h"
#include "ui/widget_ui.h"
#include "ui/window_helpers.h"

namespace kestrova {

namespace {

using ui::ImagesWindowId;

using ui::Tr;

void FillList(QTreeWidget* list, const std::vector<PageImage>& images)
{
    list->clear();
    for (const PageImage& image : images) {
        auto* item = new QTreeWidgetItem(list);
        item->setText(0, ui::FromPage(image.Reference));
        item->setText(1, ui::FromPage(image.Alt));
    }
}

}  // namespace

QImage HalvedToFit(const QImage& picture, int w, int h)
{
    if (picture.isNull())
        return picture;
    int pw = picture.width();
    int ph = picture.height();
    while ((pw > w || ph > h) && pw > 0 && ph > 0) {
        pw /= 2;
        ph /= 2;
    }
    if (pw <= 0 || ph <= 0)
        return {};
    return picture.scaled(pw, ph, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

bool ImagesEditor(QWidget* owner, const std::string& startReference)
{
    if (Page.CurrentPagePath.empty())
        return false;
    QDialog* window = OpenPageEditor(
        owner, 450, 410, TranslateFrenchKey("Images de la page ") + "\"" + DisplayFileName(Page.CurrentPagePath) + "\"",
        QStringLiteral("ImagesEditor"), ImagesWindowId);

    auto* list = NewEditorList(window, QStringLiteral("ImageList"), QRect(10, 10, 431, 255),
                               {Tr("Fichiers"), Tr("Commentaires")});
    list->setColumnWidth(0, 190);
    list->setColumnWidth(1, 221);

    auto* thumbnail = new QLabel(window);
    thumbnail->setObjectName(QStringLiteral("Thumbnail"));
    thumbnail->setGeometry(10, 273, 130, 130);
    thumbnail->setFrameShape(QFrame::Box);
    thumbnail->setAlignment(Qt::AlignCenter);
    auto* nameLabel = new QLabel(Tr("Nom d'image"), window);
    nameLabel->setGeometry(150, 295, 70, 18);
    auto* altLabel = new QLabel(Tr("Commentaire"), window);
    altLabel->setGeometry(150, 325, 70, 18);
    auto* name = new QLineEdit(window);
    name->setObjectName(QStringLiteral("ImageName"));
    name->setGeometry(225, 293, 215, 20);
    auto* alt = new QLineEdit(window);
    alt->setObjectName(QStringLiteral("ImageAlt"));
    alt->setGeometry(225, 323, 215, 20);
    auto* save = new QPushButton(Tr("Enregistrer"), window);
    save->setObjectName(QStringLiteral("SaveButton"));
    save->setGeometry(225, 350, 60, 18);
    save->setAutoDefault(false);
    auto* line = new QFrame(window);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    line->setGeometry(150, 378, 290, 2);
    auto* close = new QPushButton(Tr("Fermer"), window);
    close->setObjectName(QStringLiteral("CloseButton"));
    close->setGeometry(366, 385, 74, 18);
    close->setAutoDefault(false);

    std::vector<PageImage> images = ListPageImages(ImagesWindowId);
    FillList(list, images);

    bool changed = false;
    int shown = -1;
    auto selectedRow = [list] { return list->currentItem() ? list->indexOfTopLevelItem(list->currentItem()) : -1; };
    auto reload = [&](bool force) {
        const int r = selectedRow();
        if (r < 0 || (r == shown && !force))
            return;
        shown = r;
        const PageImage& image = images[static_cast<std::size_t>(r)];
        name->setText(ui::FromPage(image.Reference));
        alt->setText(ui::FromPage(image.Alt));
        const std::string file = LocalImageFile(Page.CurrentPagePath, image.Reference);
        const QImage picture = file.empty() ? QImage() : HalvedToFit(ui::LoadPicture(file), 130, 130);
        thumbnail->setPixmap(picture.isNull() ? QPixmap() : QPixmap::fromImage(picture));
    };
    QObject::connect(list, &QTreeWidget::currentItemChanged, window, [&] { reload(false); });
    QObject::connect(list, &QTreeWidget::itemClicked, window, [&] { reload(true); });

    QObject::connect(save, &QPushButton::clicked, window, [&] {
        const int r = selectedRow();
        if (r < 0)
            return;
        const std::size_t row = static_cast<std::size_t>(r);
        const std::string oldName = images[row].Reference;
        bool rowChanged = false;
        const std::string newAlt = ui::ToPage(alt->text());
        if (newAlt != images[row].Alt && SavePageImageAlt(ImagesWindowId, images, row, newAlt))
            rowChanged = true;
        const std::string newName = ui::ToPage(name->text());
        if (newName != oldName) {
            Edit.LastMatchPosition = images[row].ImageStart;
            RenameReport report;
            const SitePagesPreview preview = [newName, oldName](const std::vector<std::string>& pages) {
                return PreviewImageRenameOnPages(ImagesWindowId, pages, newName, oldName);
            };
            if (RenameImage(ImagesWindowId, newName, oldName, SiteChooserFor(window, preview), "", &report) != 0)
                rowChanged = true;
            else if (report.Refused)
                name->setText(ui::FromPage(oldName));  // the refused name is not the image's name
        }
        if (!rowChanged)
            return;
        changed = true;
        // A change moves the images after it in the page: read the rows
        // again so that every row finds its own image next time.
        images = ListPageImages(ImagesWindowId);
        const QSignalBlocker blocker(list);
        FillList(list, images);
        if (!images.empty())
            list->setCurrentItem(list->topLevelItem(std::min<int>(r, static_cast<int>(images.size()) - 1)));
        shown = -1;
        reload(false);
    });
    QObject::connect(close, &QPushButton::clicked, window, &QDialog::reject);
    AskBeforeClosingWithTypedText(
        window,
        [&] {
            const int r = selectedRow();
            if (r < 0 || !save->isEnabled())
                return false;
            const PageImage& image = images[static_cast<std::size_t>(r)];
            return ui::ToPage(name->text()) != image.Reference || ui::ToPage(alt->text()) != image.Alt;
        },
        [save] { save->click(); });

    if (!images.empty()) {
        int start = 0;
        for (std::size_t i = 0; i < images.size(); ++i)
            if (!startReference.empty() && images[i].Reference == startReference) {
                start = static_cast<int>(i);
                break;
            }
        list->setCurrentItem(list->topLevelItem(start));
    }
    reload(false);

    window->exec();
    ClosePageEditor(window, owner, ImagesWindowId);
    return changed;
}

}  // namespace kestrova
