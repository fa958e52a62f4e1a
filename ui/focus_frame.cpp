#include "ui/focus_frame.h"

#include <QApplication>
#include <QFocusFrame>
#include <QMenuBar>
#include <QPainter>
#include <QPointer>

namespace kestrova::ui {

namespace {

// Styles draw a focus frame faintly, or not at all: this one is a ring of
// two pixels in the highlight colour around the gadget.
class ClearFocusFrame : public QFocusFrame {
public:
    using QFocusFrame::QFocusFrame;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setPen(QPen(palette().color(QPalette::Active, QPalette::Highlight), 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
    }
};

}  // namespace

QFocusFrame* ShowFocusClearly(QWidget* window)
{
    QFocusFrame* frame = new ClearFocusFrame(window);
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
