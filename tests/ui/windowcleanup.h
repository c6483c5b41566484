#pragma once

#include <QApplication>
#include <QPointer>
#include <QWidget>

namespace bc::test {

// Deletes every window a test left open. Menus and pop-ups are windows too
// but belong to their parents, so only parentless ones are deleted, each
// checked again in case an earlier deletion took it along.
inline void closeAllWindows()
{
    QList<QPointer<QWidget>> windows;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (!w->parentWidget())
            windows << w;
    for (const QPointer<QWidget> &w : windows)
        delete w.data();
}

} // namespace bc::test
