#pragma once

#include <QApplication>
#include <QPointer>
#include <QWidget>

namespace bc::test {

// Deletes every window a test left open. Menus and pop-ups are windows too
// but belong to their parents, so only parentless ones are deleted, each
// checked again in case an earlier deletion took it along. A completer's
// pop-up list has no parent yet belongs to its completer, so parentless
// pop-ups go last, once the windows that owned them have taken them along.
inline void closeAllWindows()
{
    QList<QPointer<QWidget>> windows;
    QList<QPointer<QWidget>> popups;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (!w->parentWidget())
            (w->windowType() == Qt::Popup ? popups : windows) << w;
    for (const QPointer<QWidget> &w : windows + popups)
        delete w.data();
}

} // namespace bc::test
