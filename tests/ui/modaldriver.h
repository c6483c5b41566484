#pragma once

#include <QApplication>
#include <QDebug>
#include <QDialog>
#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>
#include <chrono>
#include <functional>
#include <memory>

namespace bc::test {

// Closes a modal window the way Escape would, so the exec() waiting on it
// returns.
inline void closeModal(QWidget *window)
{
    if (auto *dialog = qobject_cast<QDialog *>(window))
        dialog->reject();
    else
        window->close();
}

// Acts on the next modal window of type T once it is showing: polls from
// the event loop that the dialog's exec() runs, so it works however long the
// dialog takes to appear. Never lets a test hang: when no T has appeared
// within bound, or the T acted on is still open bound after it appeared, it
// closes the modal window in the way, with a warning, and stops.
template <class T>
void whenModal(QObject *context, std::function<void(T *)> act,
               std::chrono::milliseconds bound = std::chrono::seconds(60))
{
    auto *timer = new QTimer(context);
    auto clock = std::make_shared<QElapsedTimer>();
    auto handled = std::make_shared<QPointer<T>>();
    auto acted = std::make_shared<bool>(false);
    clock->start();
    QObject::connect(timer, &QTimer::timeout, context, [timer, clock, handled, acted, act, bound] {
        const auto stop = [timer] {
            timer->stop();
            timer->deleteLater();
        };
        if (*acted) {
            if (!*handled || !(*handled)->isVisible()) {
                stop();
            } else if (clock->hasExpired(bound.count())) {
                stop();
                qWarning() << "whenModal: the dialog acted on is still open; closing it";
                closeModal(handled->data());
            }
            return;
        }
        QWidget *modal = QApplication::activeModalWidget();
        if (auto *dialog = qobject_cast<T *>(modal); dialog && dialog->isVisible()) {
            *acted = true;
            *handled = dialog;
            clock->restart();
            act(dialog);
        } else if (clock->hasExpired(bound.count())) {
            stop();
            qWarning() << "whenModal: the expected dialog did not appear in time";
            if (modal)
                closeModal(modal);
        }
    });
    timer->start(10);
}

} // namespace bc::test
