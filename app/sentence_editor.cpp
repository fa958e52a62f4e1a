#include "app/sentence_editor.h"

#include <QDialog>
#include <QGroupBox>
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
#include "editing/image_rename.h"
#include "editing/sentence_rows.h"
#include "editing/site_preview.h"
#include "page/page_encoding.h"
#include "page/page_state.h"
#include "ui/text_convert.h"
#include "ui/widget_ui.h"
#include "ui/window_helpers.h"

namespace kestrova {

namespace {

using ui::SentenceWindowId;

using ui::Tr;

void ShowRow(QTreeWidgetItem* item, const SentenceRow& row)
{
    item->setText(0, row.Kind == SentenceKind::Text ? Tr("Texte") : ui::FromPage(row.Origin));
    item->setText(1, ui::FromPage(row.Extract));
}

}  // namespace

bool SentenceEditor(QWidget* owner, const std::string& word)
{
    if (Page.CurrentPagePath.empty() || word.empty())
        return false;
    QDialog* window = OpenPageEditor(owner, 450, 405,
                                     TranslateFrenchKey("Phrases contenant ") + "''" + word + "'' - Page \"" +
                                         DisplayFileName(Page.CurrentPagePath) + "\"",
                                     QStringLiteral("SentenceEditor"), SentenceWindowId);

    auto* list =
        NewEditorList(window, QStringLiteral("SentenceList"), QRect(10, 10, 431, 150), {Tr("Origine"), Tr("Extrait")});
    list->setColumnWidth(0, 60);
    list->setColumnWidth(1, 350);

    std::vector<SentenceRow> rows = BuildSentenceRows(SentenceWindowId, word);
    for (const SentenceRow& row : rows)
        ShowRow(new QTreeWidgetItem(list), row);
    FitColumnToTexts(list, 0, 60, 1);

    auto* frame = new QGroupBox(Tr("Modifier la phrase"), window);
    frame->setGeometry(10, 170, 431, 200);
    auto* field = new QPlainTextEdit(window);
    field->setObjectName(QStringLiteral("SentenceField"));
    field->setGeometry(16, 188, 416, 152);
    field->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    auto* caption = new QLabel(window);
    caption->setObjectName(QStringLiteral("SentenceCaption"));
    caption->setGeometry(20, 345, 200, 18);
    auto* save = new QPushButton(Tr("Enregistrer"), window);
    save->setObjectName(QStringLiteral("SaveButton"));
    save->setGeometry(372, 345, 60, 18);
    save->setAutoDefault(false);
    auto* close = new QPushButton(Tr("Fermer"), window);
    close->setObjectName(QStringLiteral("CloseButton"));
    close->setGeometry(366, 380, 74, 18);
    close->setAutoDefault(false);

    bool changed = false;
    int shown = -1;
    // The text of the row shown as read from the page.
    QString loaded;
    auto selectedRow = [list] { return list->currentItem() ? list->indexOfTopLevelItem(list->currentItem()) : -1; };
    auto reload = [&](bool force) {
        const int r = selectedRow();
        if (r < 0 || (r == shown && !force))
            return;
        field->clear();
        shown = r;
        const SentenceField f = LoadSentenceRow(SentenceWindowId, rows, static_cast<std::size_t>(r), word);
        field->setPlainText(ui::FromPage(f.Text));
        loaded = field->toPlainText();  // as the field holds it (line ends)
        caption->setText(ui::FromPage(f.CaptionPrefix) + (f.CaptionKey.empty() ? QString() : Tr(f.CaptionKey.c_str())));
        if (f.Select)
            ui::SetTextSelection(field, f.SelectionStart, f.SelectionEnd);
        field->setFocus();
    };
    QObject::connect(list, &QTreeWidget::currentItemChanged, window, [&] { reload(false); });
    QObject::connect(list, &QTreeWidget::itemClicked, window, [&] { reload(true); });

    QObject::connect(save, &QPushButton::clicked, window, [&] {
        const int r = selectedRow();
        if (r < 0)
            return;
        auto rename = [&](const std::string& newSrc, const std::string& oldSrc) {
            const SitePagesPreview preview = [newSrc, oldSrc](const std::vector<std::string>& pages) {
                return PreviewImageRenameOnPages(SentenceWindowId, pages, newSrc, oldSrc);
            };
            return RenameImage(SentenceWindowId, newSrc, oldSrc, SiteChooserFor(window, preview));
        };
        if (!SaveSentenceRow(SentenceWindowId, rows, static_cast<std::size_t>(r), ui::ToPage(field->toPlainText()),
                             rename))
            return;
        changed = true;
        loaded = field->toPlainText();
        for (std::size_t i = 0; i < rows.size(); ++i)
            ShowRow(list->topLevelItem(static_cast<int>(i)), rows[i]);
    });
    QObject::connect(close, &QPushButton::clicked, window, &QDialog::reject);
    AskBeforeClosingWithTypedText(
        window, [&] { return save->isEnabled() && selectedRow() >= 0 && field->toPlainText() != loaded; },
        [save] { save->click(); });

    if (!rows.empty())
        list->setCurrentItem(list->topLevelItem(0));
    reload(false);

    window->exec();
    ClosePageEditor(window, owner, SentenceWindowId);
    return changed;
}

}  // namespace kestrova
