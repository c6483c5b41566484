#pragma once

#include <QAbstractButton>
#include <QAbstractItemModelTester>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPointer>
#include <QStringList>
#include <QTest>
#include <QWidget>
#include <algorithm>

namespace bc::test {

// Makes a window the one the keyboard goes to, as a click on it would, so
// that its Alt+letter shortcuts answer; false when it did not become active.
inline bool activate(QWidget *window)
{
    window->activateWindow();
    return QTest::qWaitForWindowActive(window, 1000);
}

// A key as the user presses it, sent to whichever widget has the focus at
// that moment, so an editor a key opened gets the next key. Alt+letter
// presses a button by its shortcut: the button shows itself pressed for a
// moment and clicks when it comes up again, which is awaited.
inline void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QWidget *focus = QApplication::focusWidget();
    QVERIFY2(focus, "no widget has the focus");
    const QPointer<QWidget> window = focus->window();
    QTest::keyClick(focus, key, modifiers);
    if (!(modifiers & Qt::AltModifier))
        return;
    const auto buttonDown = [&window] {
        const QList<QAbstractButton *> buttons = window ? window->findChildren<QAbstractButton *>()
                                                        : QList<QAbstractButton *>();
        return std::any_of(buttons.begin(), buttons.end(), [](QAbstractButton *b) { return b->isDown(); });
    };
    QTRY_VERIFY_WITH_TIMEOUT(!buttonDown(), 2000);
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

// Moves a focused grid's cursor to a row by keys: to the top, then down.
inline void goToRow(int row)
{
    press(Qt::Key_Home, Qt::ControlModifier);
    for (int i = 0; i < row; ++i)
        press(Qt::Key_Down);
}

// Replaces the text of the grid's current cell as a typist does: F2 opens
// the editor, Ctrl+A selects what it holds, the text is typed and Tab
// commits it and moves on.
inline void typeInCell(const QString &text)
{
    press(Qt::Key_F2);
    press(Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(QApplication::focusWidget(), text);
    press(Qt::Key_Tab);
}

// Types into the cell at a row and column of a focused grid: there by keys,
// then as typeInCell.
inline void typeInCellAt(int row, int column, const QString &text)
{
    goToRow(row);
    for (int i = 0; i < column; ++i)
        press(Qt::Key_Right);
    typeInCell(text);
}

// Checks a grid's model against the rules every Qt item model keeps (rows,
// columns, parents, the signals around each change) for as long as the
// grid's window lives; a broken rule fails the running test.
inline void checkModel(QAbstractItemView *grid)
{
    new QAbstractItemModelTester(grid->model(), QAbstractItemModelTester::FailureReportingMode::QtTest, grid->window());
}

// Shows a grid's window as the active one, its model checked while it lives.
inline void showChecked(QAbstractItemView *grid)
{
    checkModel(grid);
    grid->window()->show();
    QApplication::setActiveWindow(grid->window());
}

inline QModelIndex cellOf(QAbstractItemView *grid, int row, int column)
{
    return grid->model()->index(row, column);
}

// Puts text into a grid's cell: the cell made current, F2 opens its editor;
// a list box takes the entry of that text, a text box has its text selected
// and typed over; Tab commits it.
inline void typeIntoCell(QAbstractItemView *grid, int row, int column, const QString &text)
{
    grid->setFocus();
    grid->setCurrentIndex(cellOf(grid, row, column));
    QTest::keyClick(grid, Qt::Key_F2);
    QWidget *editor = grid->indexWidget(cellOf(grid, row, column));
    QVERIFY(editor);
    if (auto *combo = qobject_cast<QComboBox *>(editor)) {
        combo->setCurrentIndex(combo->findText(text));
    } else {
        auto *line = qobject_cast<QLineEdit *>(editor);
        QVERIFY(line);
        line->selectAll();
        QTest::keyClicks(line, text);
    }
    QTest::keyClick(editor, Qt::Key_Tab);
}

// Tabs along the controls, as a typist does, until target has the focus.
inline bool tabTo(QWidget *target)
{
    for (int i = 0; i < 40 && QApplication::focusWidget() && QApplication::focusWidget() != target; ++i)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    return QApplication::focusWidget() == target;
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
