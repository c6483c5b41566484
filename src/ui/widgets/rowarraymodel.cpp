#include "rowarraymodel.h"

namespace bc {

namespace {

bool isEmptyValue(const QVariant &value)
{
    return !value.isValid() || value.isNull() || (value.typeId() == QMetaType::QString && value.toString().isEmpty());
}

// Values are compared, not the texts they are shown as: "1500" typed over
// 1,500.00 or a date typed again is no change. An empty cell equals empty text.
bool sameValue(const QVariant &stored, const QVariant &value)
{
    if (isEmptyValue(stored) || isEmptyValue(value))
        return isEmptyValue(stored) && isEmptyValue(value);
    return stored == value;
}

} // namespace

RowArrayModel::RowArrayModel(RowArray rows, QList<GridColumn> columns, QObject *parent)
    : QAbstractTableModel(parent)
    , m_rows(std::move(rows))
    , m_columns(std::move(columns))
{
}

void RowArrayModel::rebind()
{
    beginResetModel();
    endResetModel();
}

void RowArrayModel::setEditable(bool editable)
{
    if (editable == m_editable)
        return;
    beginResetModel();
    m_editable = editable;
    endResetModel();
}

void RowArrayModel::setAdding(bool adding)
{
    beginResetModel();
    m_adding = adding;
    endResetModel();
}

void RowArrayModel::removeArrayRow(int row)
{
    if (row < 0 || row >= m_rows.rowCount())
        return;
    beginRemoveRows({}, row, row);
    m_rows.removeRow(row);
    endRemoveRows();
}

int RowArrayModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows.rowCount() + (m_editable && m_adding ? 1 : 0);
}

int RowArrayModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant RowArrayModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.column() >= m_rows.columnCount())
        return {};
    const int row = index.row(), col = index.column();
    const GridColumn &column = m_columns[col];
    if (role == Qt::TextAlignmentRole) {
        const bool number = column.format == GridColumn::Format::Standard || column.format == GridColumn::Format::Amount
            || column.format == GridColumn::Format::Balance
            || (m_rows.columnType(col) == CellType::Int && column.format == GridColumn::Format::Plain);
        return QVariant(int(number ? Qt::AlignRight | Qt::AlignVCenter : Qt::AlignLeft | Qt::AlignVCenter));
    }
    if (isAddNewRow(row) || row >= m_rows.rowCount())
        return {};
    switch (role) {
    case Qt::DisplayRole:
        if (m_rows.isNull(row, col))
            return {};
        return column.displayFor(m_rows.cell(row, col));
    case Qt::EditRole: return m_rows.cell(row, col);
    case Qt::ToolTipRole: return cellTip ? QVariant(cellTip(row, col)) : QVariant();
    case Qt::ForegroundRole: return rowForeground ? rowForeground(row) : QVariant();
    default: return {};
    }
}

bool RowArrayModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid() || role != Qt::EditRole || !m_editable || index.column() >= m_rows.columnCount())
        return false;
    int row = index.row();
    const int col = index.column();
    if (isAddNewRow(row)) {
        // An untouched add-new row stays as it is.
        if (isEmptyValue(value))
            return false;
        // The typed row keeps its place, and with it the grid's current
        // cell; the new add-new row follows it.
        beginInsertRows({}, row + 1, row + 1);
        m_rows.appendRow();
        endInsertRows();
        emit headerDataChanged(Qt::Vertical, row, row + 1);
        emit rowAdded(row, col);
    } else if (row >= m_rows.rowCount()) {
        return false;
    } else if (sameValue(m_rows.cell(row, col), value)) {
        return true; // nothing changed, so the row is not marked
    }
    m_rows.setCell(row, col, value);
    emit dataChanged(this->index(row, 0), this->index(row, columnCount() - 1));
    emit cellUpdated(row, col);
    return true;
}

Qt::ItemFlags RowArrayModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (m_editable && m_columns[index.column()].editable)
        f |= Qt::ItemIsEditable;
    return f;
}

QVariant RowArrayModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Vertical) {
        if (role == Qt::DisplayRole)
            return isAddNewRow(section) ? QStringLiteral("*") : QString();
        return {};
    }
    if (section < 0 || section >= m_columns.size())
        return {};
    if (role == Qt::DisplayRole)
        return m_columns[section].caption;
    if (role == Qt::ToolTipRole && !m_columns[section].headerTip.isEmpty())
        return m_columns[section].headerTip;
    return {};
}

} // namespace bc
