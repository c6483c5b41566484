#pragma once

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QStringList>
#include <QTest>

namespace bc::test {

// Keys pressed the way a typist presses them: each one goes to whatever has
// the focus at that moment, so an editor a key opened gets the next key.
inline void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyClick(QApplication::focusWidget(), key, modifiers);
}

inline void type(const QString &text)
{
    for (const QChar c : text)
        QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
}

// Types each text into the current cell and presses Tab after it.
inline void typeCells(const QStringList &cells)
{
    for (const QString &cell : cells) {
        type(cell);
        press(Qt::Key_Tab);
    }
}

// The text of the box that has the focus: a cell's editor, for instance.
inline QString focusedText()
{
    QWidget *focused = QApplication::focusWidget();
    if (auto *combo = qobject_cast<QComboBox *>(focused))
        return combo->currentText();
    if (auto *line = qobject_cast<QLineEdit *>(focused))
        return line->text();
    return QStringLiteral("(no text box has the focus)");
}

// Collects the warnings Qt prints while it lives, and still prints them.
class QtWarnings {
public:
    QtWarnings()
    {
        s_lines.clear();
        s_previous = qInstallMessageHandler(&QtWarnings::record);
    }
    ~QtWarnings() { qInstallMessageHandler(s_previous); }
    QtWarnings(const QtWarnings &) = delete;
    QtWarnings &operator=(const QtWarnings &) = delete;

    // The lines that mention text.
    QStringList mentioning(const QString &text) const { return s_lines.filter(text); }

private:
    static void record(QtMsgType type, const QMessageLogContext &context, const QString &text)
    {
        if (type != QtDebugMsg && type != QtInfoMsg)
            s_lines << text;
        if (s_previous)
            s_previous(type, context, text);
    }
    static inline QStringList s_lines;
    static inline QtMessageHandler s_previous = nullptr;
};

} // namespace bc::test
