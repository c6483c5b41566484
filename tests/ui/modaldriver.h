#pragma once

#include <QApplication>
#include <QDebug>
#include <QDialog>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLineEdit>
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

// Answers the next file dialog with path, or cancels it when path is empty.
// The whole path goes into the file name box, as a user would type it: the
// dialog then takes it as it stands, whatever folder the dialog opened in or
// remembers from earlier runs (its history is shared by every test program
// running at the same time), and whether or not its folder exists.
inline void answerFileDialog(QObject *context, const QString &path, QString *title = nullptr)
{
    whenModal<QFileDialog>(context, [=](QFileDialog *dialog) {
        if (title)
            *title = dialog->windowTitle();
        auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        if (path.isEmpty() || !name) {
            dialog->reject();
            return;
        }
        name->setText(path);
        QMetaObject::invokeMethod(dialog, "accept");
    });
}

} // namespace bc::test
