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
    // The grid has already written and closed the cell's editor.
    const QModelIndex current = grid->currentIndex();
    const QModelIndex next = grid->model()->index(current.isValid() ? current.row() + 1 : 0, column);
    if (next.isValid())
        grid->setCurrentIndex(next);
}

} // namespace bc
