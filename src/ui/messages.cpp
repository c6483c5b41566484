#include "messages.h"

#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>

namespace bc {

namespace {

// The window a box is raised for: the child window of the frame that holds
// parent, else parent's own window; none without a parent.
QWidget *raisingWindow(QWidget *parent)
{
    for (QWidget *w = parent; w; w = w->parentWidget())
        if (qobject_cast<QMdiSubWindow *>(w))
            return w;
    return parent ? parent->window() : nullptr;
}

// After a box: the window that raised it is the active one again, its child
// window the frame's active one, and the control that had the focus in it
// has the focus again (else the one that had it last there), so the next
// keys go where the user was typing.
void giveFocusBack(QWidget *window, QWidget *focus)
{
    if (!window || !window->isVisible())
        return;
    if (auto *sub = qobject_cast<QMdiSubWindow *>(window); sub && sub->mdiArea())
        sub->mdiArea()->setActiveSubWindow(sub);
    QWidget *target = focus && window->isAncestorOf(focus) ? focus : window->focusWidget();
    window->activateWindow();
    if (target && target->isVisible() && target->isEnabled())
        target->setFocus(Qt::OtherFocusReason);
}

} // namespace

QMessageBox::StandardButton BoxMessages::show(QWidget *parent, MsgIcon icon, const QString &title, const QString &text,
                                              QMessageBox::StandardButtons buttons,
                                              QMessageBox::StandardButton defaultButton)
{
    QMessageBox box(parent);
    box.setWindowTitle(title.isEmpty() ? QApplication::applicationDisplayName() : title);
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    box.setText(shown);
    box.setTextFormat(Qt::PlainText);
    switch (icon) {
    case MsgIcon::None: box.setIcon(QMessageBox::NoIcon); break;
    case MsgIcon::Information: box.setIcon(QMessageBox::Information); break;
    case MsgIcon::Warning: box.setIcon(QMessageBox::Warning); break;
    case MsgIcon::Critical: box.setIcon(QMessageBox::Critical); break;
    case MsgIcon::Question: box.setIcon(QMessageBox::Question); break;
    }
    box.setStandardButtons(buttons);
    if (defaultButton != QMessageBox::NoButton)
        box.setDefaultButton(defaultButton);
    // The wait cursor of a long operation must not hide a question.
    const bool waiting = QApplication::overrideCursor() != nullptr;
    if (waiting)
        QApplication::setOverrideCursor(Qt::ArrowCursor);
    const QPointer<QWidget> window = raisingWindow(parent);
    const QPointer<QWidget> focus = QApplication::focusWidget();
    const auto answer = QMessageBox::StandardButton(box.exec());
    if (waiting)
        QApplication::restoreOverrideCursor();
    giveFocusBack(window, focus);
    return answer;
}

QString errorText(const QString &description)
{
    return QStringLiteral("Error\r\n") + description;
}

} // namespace bc
