#pragma once

#include <QTableView>
#include <functional>

namespace bc {

class RowArrayModel;

class RowArray;

// The grid every screen uses: a table view over a RowArrayModel with the
// shared editors, the hidden columns and widths of the model's columns, and
// hooks for the reactions a screen adds (an edit about to start, keys, a
// row about to be deleted).
class DataGrid : public QTableView {
    Q_OBJECT
public:
    // The grid takes ownership of its model.
    DataGrid(RowArrayModel *model, QWidget *parent);

    RowArrayModel *rowModel() const { return m_model; }
    RowArray &rows();

    // Writes the cell being edited into the row array and closes its editor.
    void commitEdit();

    // Returning false cancels the edit about to start in that cell.
    std::function<bool(const QModelIndex &)> beforeEdit;
    // Returning true consumes a key pressed in the grid (not in an editor).
    std::function<bool(QKeyEvent *)> keyHandler;
    // Asked before each row is removed by the Delete key; false keeps it.
    std::function<bool(int row)> beforeDelete;
    // Enter pressed in the grid or in a cell editor, after the edit is stored.
    std::function<void()> enterHandler;

    // Deletes the rows whose row selectors are picked, or the given rows,
    // each through beforeDelete.
    void deleteSelectedRows();
    void deleteRows(QList<int> rows);

protected:
    bool edit(const QModelIndex &index, EditTrigger trigger, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint) override;

private:
    void setRowModel(RowArrayModel *model);
    void applyColumns();
    RowArrayModel *m_model = nullptr;
};

} // namespace bc
