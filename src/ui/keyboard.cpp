#include "keyboard.h"

#include <QAbstractItemModel>
#include <QKeyEvent>
#include <QTableView>

namespace bc {

bool ComboTabToGrid(QWidget *target, const QKeyEvent *event)
{
    const bool shiftTab = (event->key() == Qt::Key_Backtab || event->key() == Qt::Key_Tab)
        && (event->modifiers() & ~Qt::KeypadModifier) == Qt::ShiftModifier;
    if (!shiftTab)
        return false;
    if (target && target->isVisible() && target->isEnabled())
        target->setFocus(Qt::BacktabFocusReason);
    return true;
}

void GridEnterNextRow(QTableView *grid, int column)
{
    if (!grid || !grid->model())
        return;
    const QModelIndex current = grid->currentIndex();
    const int row = current.isValid() ? current.row() : -1;
    // Moving the current index closes an open editor, which writes its value.
    const QModelIndex next = grid->model()->index(row + 1, column);
    if (next.isValid())
        grid->setCurrentIndex(next);
    else if (current.isValid()) {
        // Last row: step aside within the row and back, so the edit is
        // still written while the row stays current.
        const int aside = current.column() == 0 ? 1 : 0;
        grid->setCurrentIndex(grid->model()->index(row, aside));
        grid->setCurrentIndex(current);
    }
}

} // namespace bc
