#pragma once

#include "gridcolumn.h"
#include "rowarray.h"

#include <QAbstractTableModel>
#include <functional>

namespace bc {

// The one table model behind every grid: holds a window's row array and shows
// it through its column descriptions. The grid owns the model and the model
// owns the array, so an editor still open while a window closes always writes
// into a live array. The window changes the array and calls rebind(),
// as a grid in storage mode re-reads its array. When adding is allowed an
// empty add-new row follows the last row; typing into it appends a real row
// (rowAdded) before the typed value is stored (cellUpdated). A value equal to
// the stored one is not written and reports no update.
class RowArrayModel : public QAbstractTableModel {
    Q_OBJECT
public:
    RowArrayModel(RowArray rows, QList<GridColumn> columns, QObject *parent = nullptr);

    RowArray &rows() { return m_rows; }
    const QList<GridColumn> &columns() const { return m_columns; }
    GridColumn &column(int c) { return m_columns[c]; }

    void rebind();
    void setEditable(bool editable);
    bool isEditable() const { return m_editable; }
    // Whether an editable grid offers the add-new row (it does unless told).
    void setAdding(bool adding);
    bool isAddNewRow(int row) const { return m_editable && m_adding && row == m_rows.rowCount(); }

    // Removes rows from the array (the window stages its deletions first).
    void removeArrayRow(int row);

    // Optional per-cell tips and colours supplied by the window.
    std::function<QString(int row, int column)> cellTip;
    std::function<QVariant(int row)> rowForeground;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

signals:
    void rowAdded(int row, int column);
    void cellUpdated(int row, int column);

private:
    RowArray m_rows;
    QList<GridColumn> m_columns;
    bool m_editable = false;
    bool m_adding = true;
};

} // namespace bc
