#include "app/page_editor_window.h"

#include <QHeaderView>
#include <algorithm>

#include "base/unicode_text.h"
#include "page/page_encoding.h"
#include "page/page_state.h"
#include "ui/text_room.h"
#include "ui/widget_ui.h"
#include "ui/window_helpers.h"

namespace kestrova {

QDialog* OpenPageEditor(QWidget* owner, int width, int height, const std::string& caption, const QString& name,
                        ui::WindowId id)
{
    SetTypedTextForUtf8Page(DetectPageFileEncoding(Page.CurrentPagePath) == PageEncoding::Utf8);
    QDialog* window = ui::OpenChildWindow(owner, 0, 0, width, height,
                                          ui::WindowCaption | ui::WindowCloseBox | ui::WindowCentred, caption);
    window->setObjectName(name);
    ui::RegisterWindow(id, window);
    return window;
}

void ClosePageEditor(QDialog* window, QWidget* owner, ui::WindowId id)
{
    ui::RegisterWindow(id, nullptr);
    // The close question refers to the editor's own state: not past here.
    ui::SetCloseRequestHandler(window, {});
    ui::CloseChildWindow(window, owner);
}

QTreeWidget* NewEditorList(QWidget* parent, const QString& name, const QRect& geometry, const QStringList& headers)
{
    auto* list = new QTreeWidget(parent);
    list->setObjectName(name);
    list->setGeometry(geometry);
    list->setRootIsDecorated(false);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setColumnCount(static_cast<int>(headers.size()));
    list->setHeaderLabels(headers);
    return list;
}

void FitColumnToTexts(QTreeWidget* list, int column, int width, int giver)
{
    const int before = list->columnWidth(column);
    list->resizeColumnToContents(column);
    const int texts = list->columnWidth(column);
    list->setColumnWidth(column, before);
    const int wanted = std::max({width, texts, ui::NeededSectionWidth(list->header(), column)});
    const int grow = std::min(wanted - before, list->columnWidth(giver) - 40);
    if (grow <= 0)
        return;
    list->setColumnWidth(giver, list->columnWidth(giver) - grow);
    list->setColumnWidth(column, list->columnWidth(column) + grow);
}

}  // namespace kestrova
