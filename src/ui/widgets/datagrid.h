#pragma once

#include <QBasicTimer>
#include <QPersistentModelIndex>
#include <QTableView>
#include <functional>

namespace bc {

class GridModel;
class RowArrayModel;

class RowArray;

// The grid every screen uses: a table view over a GridModel with the shared
// editors, the hidden columns and widths of the model's columns, and hooks
// for the reactions a screen adds (an edit about to start, keys, a row about
// to be deleted, Enter). Only a grid over a RowArrayModel can be edited; the
// other models are read-only.
//
// Keys while the grid can be edited: a typed character starts the edit of
// the current cell with that character, replacing its text; F2, a double
// click or a click on the current cell edit it keeping the text. Tab and
// Shift+Tab commit the cell and move to the next or previous editable cell,
// from the last one of a row to the first one of the next row. Enter commits
// the cell and calls enterHandler once. Escape abandons the cell's edit; a
// second Escape abandons a row just started in the add-new row. Alt+Down or
// F4 on a drop-down cell shows its list. While the grid can be edited,
// Ctrl+Z takes back its latest change (a typed cell, a started row, rows
// deleted together) and Ctrl+Y or Ctrl+Shift+Z puts it back; the editor of
// a cell keeps these keys for its own text.
class DataGrid : public QTableView {
    Q_OBJECT
public:
    // The grid takes ownership of its model.
    DataGrid(GridModel *model, QWidget *parent);

    // Called by a window as it is destroyed: a cell editor still open would,
    // as the window's destruction takes its focus, commit its text into the
    // model and so call the window's slots while it is half destroyed. The
    // window has given up its edits by then, so that last commit is dropped.
    void dropOpenEditor();

    // The model of a grid over a row array, and that array; a read-only
    // grid has neither (rowModel() is nullptr).
    RowArrayModel *rowModel() const { return m_rowModel; }
    RowArray &rows();

    // Writes the cell being edited into the row array and closes its editor.
    void commitEdit();

    // Returning false cancels the edit about to start in that cell.
    std::function<bool(const QModelIndex &)> beforeEdit;
    // Asked before each row is removed by the Delete key; false keeps it.
    std::function<bool(int row)> beforeDelete;
    // Enter pressed in the grid or in a cell editor, after the edit is stored.
    std::function<void()> enterHandler;
    // A drop-down cell was left with a text that is not in its list; the
    // cell kept its value.
    std::function<void(const QString &typed)> refusedEntry;
    // A Date cell's editor holds a text that is no date, for the reason
    // given; the editor stays open with the text.
    std::function<void(const QString &typed, const QString &problem)> refusedDate;
    // Typing into a cell of a length-limited column reached the limit.
    std::function<void(int column, int limit)> typingLimitReached;

    // Deletes the rows whose row selectors are picked, or the given rows,
    // each through beforeDelete.
    void deleteSelectedRows();
    void deleteRows(QList<int> rows);
    // Takes back the grid's latest change, or puts back the latest taken back.
    void takeBackChange(bool redo);

protected:
    bool event(QEvent *event) override;
    bool edit(const QModelIndex &index, EditTrigger trigger, QEvent *event) override;
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
    void keyPressEvent(QKeyEvent *event) override;
    void closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void timerEvent(QTimerEvent *event) override;

private:
    void setGridModel(GridModel *model);
    // The row array's model while the grid can be edited, else nullptr.
    RowArrayModel *editedModel() const;
    void applyColumns();
    QList<int> editableColumns() const;
    void keepEditorText(const QModelIndex &index);
    void abandonStartedRow();
    void enterFirstCell();
    static bool showsList(const QKeyEvent *event);
    bool openList();

    GridModel *m_model = nullptr;
    RowArrayModel *m_rowModel = nullptr;
    // The row begun by typing into the add-new row, while it stays current.
    int m_startedRow = -1;
    // A click on the current cell edits it once a double click is ruled out.
    QBasicTimer m_clickEdit;
    QPersistentModelIndex m_clickIndex;
};

} // namespace bc
