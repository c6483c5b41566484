#include "gridmodel.h"

#include <utility>

namespace bc {

GridModel::GridModel(QList<GridColumn> columns, QObject *parent)
    : QAbstractTableModel(parent)
    , m_columns(std::move(columns))
{
}

int GridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant GridModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.column() >= columnCount())
        return {};
    const int row = index.row(), col = index.column();
    const GridColumn &column = m_columns[col];
    if (role == Qt::TextAlignmentRole) {
        const bool number = column.format == GridColumn::Format::Standard || column.format == GridColumn::Format::Amount
            || column.format == GridColumn::Format::Balance
            || (cellType(col) == CellType::Int && column.format == GridColumn::Format::Plain);
        return QVariant(int(number ? Qt::AlignRight | Qt::AlignVCenter : Qt::AlignLeft | Qt::AlignVCenter));
    }
    if (row >= valueRowCount())
        return {};
    if (column.format == GridColumn::Format::Check) {
        if (role == Qt::CheckStateRole)
            return cellValue(row, col).toLongLong() == 1 ? Qt::Checked : Qt::Unchecked;
        if (role == Qt::DisplayRole)
            return {};
    }
    switch (role) {
    case Qt::DisplayRole: {
        const QVariant stored = cellValue(row, col);
        return stored.isValid() ? QVariant(column.displayFor(stored)) : QVariant();
    }
    case Qt::EditRole: return cellValue(row, col);
    case Qt::ToolTipRole: return cellTip ? QVariant(cellTip(row, col)) : QVariant();
    case Qt::ForegroundRole: return rowForeground ? rowForeground(row) : QVariant();
    default: return {};
    }
}

Qt::ItemFlags GridModel::flags(const QModelIndex &index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    // The row selectors show nothing, but a screen reader names the row.
    if (orientation == Qt::Vertical && role == Qt::AccessibleTextRole)
        return QStringLiteral("Row %1").arg(section + 1);
    if (orientation == Qt::Vertical)
        return role == Qt::DisplayRole ? QVariant(QString()) : QVariant();
    if (section < 0 || section >= m_columns.size())
        return {};
    if (role == Qt::DisplayRole)
        return m_columns[section].caption;
    if (role == Qt::ToolTipRole && !m_columns[section].headerTip.isEmpty())
        return m_columns[section].headerTip;
    return {};
}

} // namespace bc
