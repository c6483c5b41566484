#pragma once

#include "gridmodel.h"
#include "rowarray.h"

#include <functional>

namespace bc {

// The model of every editable grid: holds a window's row array and shows it
// through its column descriptions. The grid owns the model and the model
// owns the array, so an editor still open while a window closes always writes
// into a live array. The window changes the array and calls rebind(),
// as a grid in storage mode re-reads its array. When adding is allowed an
// empty add-new row follows the last row; typing into it appends a real row
// (rowAdded) before the typed value is stored (cellUpdated). A value equal to
// the stored one is not written and reports no update. Rows can also come a
// page at a time from a page source, read as the grid scrolls down to them.
//
// While editable the model keeps the changes made through the grid (a typed
// cell, a row started in the add-new row, rows deleted together) so that the
// latest can be taken back and put back again; the record starts afresh
// whenever the array is replaced or the grid stops or starts editing.
class RowArrayModel : public GridModel {
    Q_OBJECT
public:
    RowArrayModel(RowArray rows, QList<GridColumn> columns, QObject *parent = nullptr);

    RowArray &rows() { return m_rows; }

    // The array was replaced or reordered: shown again from the start, with
    // no further pages.
    void rebind();

    // Appends up to count further rows to the array it is given and returns
    // how many; fewer than count means there are no more.
    using PageSource = std::function<int(RowArray &page, int count)>;
    // The array holds the first rows of a source: shown again from the
    // start, the further rows read pageSize at a time. Pages go after the
    // rows read before them, ahead of rows added in the grid meanwhile.
    void setPageSource(PageSource source, int pageSize);
    // Reads every page still to come.
    void fetchAll() override;
    bool canFetchMore(const QModelIndex &parent) const override;
    void fetchMore(const QModelIndex &parent) override;
    void setEditable(bool editable);
    bool isEditable() const { return m_editable; }
    // Whether an editable grid offers the add-new row (it does unless told).
    void setAdding(bool adding);
    bool isAddNewRow(int row) const { return m_editable && m_adding && row == m_rows.rowCount(); }

    // Removes rows from the array as one change (the window stages its
    // deletions first).
    void removeArrayRows(QList<int> rows);

    // Takes back the latest change made through the grid, or puts back the
    // latest taken back; the row it concerned, or -1 when there was none.
    int undoChange();
    int redoChange();
    // Asked before a deletion put back removes each row again; false keeps it.
    std::function<bool(int row)> beforeRedoneRemoval;

    int rowCount(const QModelIndex &parent = {}) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

signals:
    void rowAdded(int row, int column);
    void cellUpdated(int row, int column);
    // The deletion of this row was taken back: it is in the array again.
    void removalUndone(int row);

protected:
    int valueRowCount() const override { return m_rows.rowCount(); }
    QVariant cellValue(int row, int column) const override { return m_rows.cell(row, column); }
    CellType cellType(int column) const override { return m_rows.columnType(column); }

private:
    struct Change {
        enum class Kind { Cell, StartedRow, Removal } kind;
        QList<int> rows; // a removal's rows highest first, else the one row
        QList<RowArray> before; // the row before a typed cell; each row removed
        QList<bool> sourced; // for each row removed: whether it came from the source
        RowArray after; // the row after a typed cell or a started row
    };
    void resetWith(const std::function<void()> &change);
    void record(Change change);
    void replaceRow(int row, const RowArray &values);
    void insertArrayRow(int row, const RowArray &values, bool sourced);
    void removeOneRow(int row);
    // Rows read from the source at row move the rows recorded below them.
    void shiftRecordedRows(int from, int by);

    RowArray m_rows;
    bool m_editable = false;
    bool m_adding = true;
    PageSource m_source;
    int m_pageSize = 0;
    int m_sourcedRows = 0; // the leading rows that came from the source
    bool m_changing = false; // views are being told of a reset or of rows read
    QList<Change> m_undoable; // changes that can be taken back, latest last
    QList<Change> m_redoable; // changes taken back that can be put back, latest last
};

} // namespace bc
