#include "messages.h"

#include <QApplication>

namespace bc {

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
    const auto answer = QMessageBox::StandardButton(box.exec());
    if (waiting)
        QApplication::restoreOverrideCursor();
    return answer;
}

QString errorText(const QString &description)
{
    return QStringLiteral("Error\r\n") + description;
}

} // namespace bc
