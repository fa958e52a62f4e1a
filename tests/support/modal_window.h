// For window tests: acting on a modal window from inside its own event loop.
// Header-only, for the QtTest programs (the support library has no Qt).
#pragma once

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <functional>
#include <utility>

namespace kestrova::test {

// Runs act on the modal window of that object name (any modal window for an
// empty name) once it is open. A failed check leaves the window open: it is
// closed afterwards so that the test reports the failure instead of waiting
// forever.
inline void WhenModalOpen(const QString& name, std::function<void(QDialog*)> act)
{
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, name, act] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr || !dialog->isVisible() || (!name.isEmpty() && dialog->objectName() != name))
            return;
        timer->stop();
        timer->deleteLater();
        QPointer<QDialog> guard(dialog);
        act(dialog);
        QTimer::singleShot(0, [guard] {
            if (guard && guard->isVisible())
                guard->reject();
        });
    });
    timer->start();
}

inline void WhenModalOpen(std::function<void(QDialog*)> act)
{
    WhenModalOpen(QString(), std::move(act));
}

}  // namespace kestrova::test
