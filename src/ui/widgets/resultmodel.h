#pragma once

#include "gridmodel.h"
#include "rowarray.h"

#include <functional>
#include <utility>
#include <vector>

namespace bc {

// One column of a read-only grid over typed rows: how it is shown, the kind
// of value it holds and how that value is read from a row (as
// GridModel::cellValue gives it; invalid for an empty cell).
template <typename Row> struct ResultColumn {
    GridColumn shown;
    CellType type;
    std::function<QVariant(const Row &)> value;
};

// A read-only grid over the rows of a computed result, read in place. The
// model holds the result the grid shows, and the window reads it back from
// here; showing another result or sorting the rows shows them again from
// the start. The texts are the column formats' own, as in an editable grid.
template <typename Result, typename Row> class ResultModel : public GridModel {
public:
    using Rows = std::vector<Row> Result::*;

    // rows names the result's vector the grid lists, one grid row per element.
    ResultModel(Rows rows, const QList<ResultColumn<Row>> &columns, QObject *parent)
        : GridModel(shownColumns(columns), parent)
        , m_rows(rows)
    {
        for (const ResultColumn<Row> &column : columns)
            m_values.push_back({column.type, column.value});
    }

    const Result &result() const { return m_result; }
    const Row &row(int r) const { return rows()[size_t(r)]; }

    void show(Result result)
    {
        beginResetModel();
        m_result = std::move(result);
        endResetModel();
    }

    // Puts the rows in the order a row array's sort on the column gives
    // (RowArray::sortRows), so a read-only grid sorts as every other grid.
    void sortRows(int column, SortDirection direction)
    {
        std::vector<Row> &listed = m_result.*m_rows;
        const Value &value = m_values[size_t(column)];
        RowArray keys({value.type});
        keys.reserve(int(listed.size()));
        for (const Row &r : listed)
            keys.setCell(keys.appendRow(), 0, value.read(r));
        std::vector<Row> sorted;
        sorted.reserve(listed.size());
        for (int r : keys.sortedOrder(0, direction))
            sorted.push_back(std::move(listed[size_t(r)]));
        beginResetModel();
        listed = std::move(sorted);
        endResetModel();
    }

    int rowCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : valueRowCount(); }

protected:
    int valueRowCount() const override { return int(rows().size()); }
    QVariant cellValue(int row, int column) const override { return m_values[size_t(column)].read(this->row(row)); }
    CellType cellType(int column) const override { return m_values[size_t(column)].type; }

private:
    struct Value {
        CellType type;
        std::function<QVariant(const Row &)> read;
    };

    static QList<GridColumn> shownColumns(const QList<ResultColumn<Row>> &columns)
    {
        QList<GridColumn> shown;
        for (const ResultColumn<Row> &column : columns)
            shown << column.shown;
        return shown;
    }
    const std::vector<Row> &rows() const { return m_result.*m_rows; }

    Result m_result;
    Rows m_rows;
    std::vector<Value> m_values;
};

} // namespace bc
