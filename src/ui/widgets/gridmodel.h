#pragma once

#include "gridcolumn.h"
#include "rowarray.h"

#include <QAbstractTableModel>
#include <functional>

namespace bc {

// What every grid's model shows the same way: its rows through the column
// descriptions (caption, format, hidden, width), numbers aligned right and
// text left, with tips and row colours the window may supply. A model gives
// each cell's stored value and the kind of value each column holds; the
// grid, its delegate and its column fitter need nothing more. RowArrayModel
// is the editable one over a row array; ResultModel shows the rows of a
// computed result as they are.
class GridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    GridModel(QList<GridColumn> columns, QObject *parent);

    const QList<GridColumn> &columns() const { return m_columns; }
    GridColumn &column(int c) { return m_columns[c]; }
    const GridColumn &column(int c) const { return m_columns[c]; }

    // Reads every row still to come; a model holding all its rows has none.
    virtual void fetchAll() { }

    // Optional per-cell tips and colours supplied by the window.
    std::function<QString(int row, int column)> cellTip;
    std::function<QVariant(int row)> rowForeground;

    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

protected:
    // The rows that hold values (an editable grid's add-new row follows them).
    virtual int valueRowCount() const = 0;
    // A cell's stored value as a row array gives it (RowArray::cell): Int as
    // qlonglong, Money as bc::Money, Date as QDate, Text as QString; invalid
    // for an empty cell.
    virtual QVariant cellValue(int row, int column) const = 0;
    virtual CellType cellType(int column) const = 0;

private:
    QList<GridColumn> m_columns;
};

} // namespace bc
