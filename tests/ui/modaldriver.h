#pragma once

#include <QApplication>
#include <QTimer>
#include <functional>

namespace bc::test {

// Acts on the next modal window of type T once it is showing: polls from
// the event loop that the dialog's exec() runs, so it works however long the
// dialog takes to appear. Gives up after ten seconds so a test never hangs.
template <class T>
void whenModal(QObject *context, std::function<void(T *)> act)
{
    auto *timer = new QTimer(context);
    auto tries = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, context, [timer, tries, act] {
        if (auto *dialog = qobject_cast<T *>(QApplication::activeModalWidget()); dialog && dialog->isVisible()) {
            timer->stop();
            timer->deleteLater();
            act(dialog);
        } else if (++*tries > 1000) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start(10);
}

} // namespace bc::test
