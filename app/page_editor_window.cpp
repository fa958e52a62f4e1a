#include "app/page_editor_window.h"

#include "base/unicode_text.h"
#include "page/page_encoding.h"
#include "page/page_state.h"
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

}  // namespace kestrova
