#include "ui/focus_frame.h"

#include <QApplication>
#include <QFocusFrame>
#include <QMenuBar>
#include <QPointer>

namespace kestrova::ui {

QFocusFrame* ShowFocusClearly(QWidget* window)
{
    auto* frame = new QFocusFrame(window);
    frame->setObjectName(QStringLiteral("FocusFrame"));
    QPointer<QWidget> owner(window);
    QObject::connect(qApp, &QApplication::focusChanged, frame, [frame, owner](QWidget*, QWidget* now) {
        const bool framed = owner && now != nullptr && now != owner && !now->isWindow() && now->window() == owner &&
                            qobject_cast<QMenuBar*>(now) == nullptr;
        frame->setWidget(framed ? now : nullptr);
    });
    return frame;
}

}  // namespace kestrova::ui
