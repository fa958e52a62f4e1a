#include "app/fit_text.h"

#include <QAbstractButton>
#include <QLabel>
#include <QPushButton>
#include <functional>

namespace kestrova {

namespace {

void Shrink(QWidget* widget, const std::function<bool()>& fits)
{
    QFont font = widget->font();
    const qreal base = font.pointSizeF();
    if (base <= 0 || fits())
        return;
    for (qreal size = base - 0.5; size >= base * 0.7; size -= 0.5) {
        font.setPointSizeF(size);
        widget->setFont(font);
        if (fits())
            return;
    }
}

}  // namespace

void FitCaption(QAbstractButton* button)
{
    if (qobject_cast<QPushButton*>(button) == nullptr) {
        Shrink(button, [button] { return button->sizeHint().width() <= button->width(); });
        return;
    }
    // A push button's size hint has a minimum width of its own: measure the
    // caption against the button's width less its frame and margins.
    Shrink(button,
           [button] { return button->fontMetrics().horizontalAdvance(button->text()) <= button->width() - 10; });
}

void FitWrappedText(QLabel* label)
{
    Shrink(label, [label] { return label->heightForWidth(label->width()) <= label->height(); });
}

}  // namespace kestrova
