#pragma once

class QKeyEvent;
class QTableView;
class QWidget;

namespace bc {

// Shift+Tab in a drop-down box moves the focus to target (usually the grid);
// returns true when the key was used and must go no further.
bool ComboTabToGrid(QWidget *target, const QKeyEvent *event);

// Makes Shift+Tab in box move the focus to target, as ComboTabToGrid does,
// for as long as box lives.
void backTabTo(QWidget *box, QWidget *target);

// Enter in a grid, once the cell's edit is stored: moves to the next row in
// the given column; on the last row the current row stays.
void GridEnterNextRow(QTableView *grid, int column);

} // namespace bc
