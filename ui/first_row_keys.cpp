#include "ui/first_row_keys.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QItemSelectionModel>
#include <QKeyEvent>

namespace kestrova::ui {

namespace {

class FirstRowKeys : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() != Qt::Key_Down && key->key() != Qt::Key_Up) || key->modifiers() != Qt::NoModifier)
            return false;
        auto* view = qobject_cast<QAbstractItemView*>(watched);
        if (view == nullptr || view->model() == nullptr || view->selectionModel() == nullptr ||
            view->selectionMode() == QAbstractItemView::NoSelection || view->selectionModel()->hasSelection() ||
            view->model()->rowCount(view->rootIndex()) == 0)
            return false;
        const QModelIndex first = view->model()->index(0, 0, view->rootIndex());
        view->setCurrentIndex(first);
        view->scrollTo(first);
        return true;
    }
};

}  // namespace

void StartArrowKeysAtTheFirstRow()
{
    static FirstRowKeys* filter = nullptr;
    if (filter != nullptr || qApp == nullptr)
        return;
    filter = new FirstRowKeys(qApp);
    qApp->installEventFilter(filter);
}

}  // namespace kestrova::ui
