#include "keyboard.h"

#include <QAbstractItemModel>
#include <QKeyEvent>
#include <QPointer>
#include <QTableView>

namespace bc {

namespace {

// Sends Shift+Tab in the box it belongs to on to its target.
class BackTabFilter : public QObject {
public:
    BackTabFilter(QWidget *box, QWidget *target)
        : QObject(box)
        , m_target(target)
    {
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        return watched == parent() && event->type() == QEvent::KeyPress
            && ComboTabToGrid(m_target, static_cast<QKeyEvent *>(event));
    }

private:
    QPointer<QWidget> m_target;
};

} // namespace

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

void backTabTo(QWidget *box, QWidget *target)
{
    box->installEventFilter(new BackTabFilter(box, target));
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
