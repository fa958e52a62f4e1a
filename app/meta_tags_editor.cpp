#include "app/meta_tags_editor.h"

#include <QDialog>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <vector>

#include "app/page_editor_window.h"
#include "app/site_choice.h"
#include "app/typed_text_guard.h"
#include "base/paths.h"
#include "base/translate.h"
#include "base/unicode_text.h"
#include "editing/meta_catalogue.h"
#include "editing/site_preview.h"
#include "page/page_encoding.h"
#include "page/page_state.h"
#include "page/page_walker.h"
#include "ui/text_convert.h"
#include "ui/widget_ui.h"
#include "ui/window_helpers.h"

namespace kestrova {

namespace {

// Owner of the engine's messages and questions while the window is open.
using ui::MetaWindowId;

using ui::Tr;

QPushButton* Button(QWidget* parent, const char* name, const char* french, int x, int y, int w, int h)
{
    auto* b = new QPushButton(Tr(french), parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setGeometry(x, y, w, h);
    b->setAutoDefault(false);
    return b;
}

void ShowRow(QTreeWidgetItem* item, const MetaTagRow& row)
{
    item->setText(0, ui::FromPage(row.Name));
    item->setText(1, Tr(row.Exists ? "Oui" : "Non"));
    item->setText(2, ui::FromPage(row.Content));
}

}  // namespace

bool MetaTagsEditor(QWidget* owner)
{
    if (Page.CurrentPagePath.empty())
        return false;
    QDialog* window =
        OpenPageEditor(owner, 450, 415,
                       TranslateFrenchKey("Balises Meta") + " - Page \"" + DisplayFileName(Page.CurrentPagePath) + "\"",
                       QStringLiteral("MetaTagsEditor"), MetaWindowId);

    auto* list = NewEditorList(window, QStringLiteral("MetaList"), QRect(10, 10, 431, 150),
                               {Tr("Balises Meta"), Tr("Existante"), Tr("Contenu")});
    list->setColumnWidth(0, 90);
    list->setColumnWidth(1, 60);
    list->setColumnWidth(2, 260);

    auto* description = new QLabel(window);
    description->setObjectName(QStringLiteral("MetaDescription"));
    description->setGeometry(10, 170, 431, 18);
    description->setAlignment(Qt::AlignCenter);
    auto* helpFrame = new QGroupBox(Tr("Commentaire"), window);
    helpFrame->setGeometry(10, 190, 431, 100);
    auto* help = new QLabel(window);
    help->setObjectName(QStringLiteral("MetaHelp"));
    help->setGeometry(15, 208, 421, 80);
    help->setWordWrap(true);
    help->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    auto* contentFrame = new QGroupBox(Tr("Modifier le contenu"), window);
    contentFrame->setGeometry(10, 300, 431, 80);
    auto* content = new QPlainTextEdit(window);
    content->setObjectName(QStringLiteral("MetaContent"));
    content->setGeometry(16, 318, 350, 55);
    content->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QPushButton* save = Button(window, "SaveButton", "Enregistrer", 372, 340, 60, 18);
    QPushButton* siteWide =
        Button(window, "SiteWideButton", "Mettre \xE0 jour toutes les pages du site...", 10, 390, 280, 18);
    QPushButton* close = Button(window, "CloseButton", "Fermer", 366, 390, 74, 18);

    std::vector<MetaTagRow> rows = ListMetaTags(MetaWindowId);
    for (const MetaTagRow& row : rows)
        ShowRow(new QTreeWidgetItem(list), row);
    FitColumnToTexts(list, 0, 90, 2);
    FitColumnToTexts(list, 1, 60, 2);
    if (IsPageReadOnly()) {
        content->setEnabled(false);
        save->setEnabled(false);
        siteWide->setEnabled(false);
    }

    bool changed = false;
    int shown = -1;
    // The content as read from the page for the row shown.
    QString loaded;
    auto selectedRow = [list] { return list->currentItem() ? list->indexOfTopLevelItem(list->currentItem()) : -1; };
    // Shows the selected tag's texts and reads its content afresh.
    auto reload = [&](bool force) {
        const int r = selectedRow();
        if (r < 0 || (r == shown && !force))
            return;
        shown = r;
        const MetaTagRow& row = rows[static_cast<std::size_t>(r)];
        if (const MetaTagEntry* entry = FindMetaTag(row.Name)) {
            description->setText(Tr(entry->Description));
            help->setText(Tr(entry->Help));
        }
        std::string text;
        ReadMetaTag(MetaWindowId, row.Name, text);
        content->setPlainText(ui::FromPage(text));
        loaded = content->toPlainText();  // as the field holds it (line ends)
    };
    QObject::connect(list, &QTreeWidget::currentItemChanged, window, [&] { reload(false); });
    QObject::connect(list, &QTreeWidget::itemClicked, window, [&] { reload(true); });

    QObject::connect(save, &QPushButton::clicked, window, [&] {
        const int r = selectedRow();
        if (r < 0)
            return;
        MetaTagRow& row = rows[static_cast<std::size_t>(r)];
        if (SaveMetaTag(MetaWindowId, row.Name, ui::ToPage(content->toPlainText()), row)) {
            changed = true;
            loaded = content->toPlainText();
        }
        ShowRow(list->topLevelItem(r), row);
    });
    QObject::connect(siteWide, &QPushButton::clicked, window, [&] {
        const int r = selectedRow();
        if (r < 0)
            return;
        MetaTagRow& row = rows[static_cast<std::size_t>(r)];
        const std::string text = ui::ToPage(content->toPlainText());
        const std::string name = row.Name;
        const std::string chosen = SiteChooserFor(window, [name, text](const std::vector<std::string>& pages) {
            return PreviewMetaTagOnPages(MetaWindowId, pages, name, text);
        })(SiteWideMetaMessage(row.Name, text), "");
        if (chosen.empty())
            return;
        if (SaveMetaTagOnPages(MetaWindowId, chosen, row.Name, text)) {
            MetaTagRow after{row.Name, false, ""};
            after.Exists = ReadMetaTag(MetaWindowId, row.Name, after.Content);
            if (after.Exists != row.Exists || after.Content != row.Content)
                changed = true;
            row = after;
            ShowRow(list->topLevelItem(r), row);
            loaded = content->toPlainText();
        }
    });
    QObject::connect(close, &QPushButton::clicked, window, &QDialog::reject);
    AskBeforeClosingWithTypedText(
        window, [&] { return content->isEnabled() && selectedRow() >= 0 && content->toPlainText() != loaded; },
        [save] { save->click(); });

    if (!rows.empty())
        list->setCurrentItem(list->topLevelItem(FirstMissingMetaRow(rows)));
    reload(false);

    window->exec();
    ClosePageEditor(window, owner, MetaWindowId);
    return changed;
}

}  // namespace kestrova
