#include "rowarraymodel.h"

#include <algorithm>
#include <utility>

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
    : GridModel(std::move(columns), parent)
    , m_rows(std::move(rows))
{
}

void RowArrayModel::rebind()
{
    resetWith([this] { m_source = {}; });
}

// A view asks for more rows while it is told of a change: they are read once
// every view has been told, not in the middle of that.
void RowArrayModel::resetWith(const std::function<void()> &change)
{
    m_changing = true;
    beginResetModel();
    change();
    m_undoable.clear();
    m_redoable.clear();
    endResetModel();
    m_changing = false;
}

void RowArrayModel::setPageSource(PageSource source, int pageSize)
{
    resetWith([&] {
        m_source = std::move(source);
        m_pageSize = pageSize;
        m_sourcedRows = m_rows.rowCount();
    });
}

void RowArrayModel::fetchAll()
{
    while (m_source)
        fetchMore({});
}

bool RowArrayModel::canFetchMore(const QModelIndex &parent) const
{
    return !parent.isValid() && m_source && !m_changing;
}

void RowArrayModel::fetchMore(const QModelIndex &parent)
{
    if (!canFetchMore(parent))
        return;
    RowArray page = m_rows.emptyCopy();
    // The source may report a failure that ends it, so it is dropped first.
    const PageSource source = std::exchange(m_source, {});
    const int read = source(page, m_pageSize);
    if (read >= m_pageSize)
        m_source = source;
    if (page.rowCount() == 0)
        return;
    m_changing = true;
    beginInsertRows({}, m_sourcedRows, m_sourcedRows + page.rowCount() - 1);
    shiftRecordedRows(m_sourcedRows, page.rowCount());
    m_rows.insertRows(m_sourcedRows, page);
    m_sourcedRows += page.rowCount();
    endInsertRows();
    m_changing = false;
}

void RowArrayModel::setEditable(bool editable)
{
    if (editable == m_editable)
        return;
    resetWith([this, editable] { m_editable = editable; });
}

void RowArrayModel::setAdding(bool adding)
{
    beginResetModel();
    m_adding = adding;
    endResetModel();
}

void RowArrayModel::removeArrayRows(QList<int> rows)
{
    std::sort(rows.begin(), rows.end(), std::greater<int>());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    Change removal{Change::Kind::Removal, {}, {}, {}, {}};
    for (int row : rows) {
        if (row < 0 || row >= m_rows.rowCount())
            continue;
        removal.rows << row;
        removal.before << m_rows.copyOfRow(row);
        removal.sourced << (row < m_sourcedRows);
        removeOneRow(row);
    }
    if (!removal.rows.isEmpty())
        record(std::move(removal));
}

void RowArrayModel::removeOneRow(int row)
{
    m_changing = true;
    beginRemoveRows({}, row, row);
    m_rows.removeRow(row);
    if (row < m_sourcedRows)
        --m_sourcedRows;
    endRemoveRows();
    m_changing = false;
}

void RowArrayModel::insertArrayRow(int row, const RowArray &values, bool sourced)
{
    m_changing = true;
    beginInsertRows({}, row, row);
    m_rows.insertRows(row, values);
    if (sourced)
        ++m_sourcedRows;
    endInsertRows();
    m_changing = false;
}

void RowArrayModel::replaceRow(int row, const RowArray &values)
{
    m_rows.removeRow(row);
    m_rows.insertRows(row, values);
    emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

void RowArrayModel::record(Change change)
{
    m_undoable.append(std::move(change));
    m_redoable.clear();
}

void RowArrayModel::shiftRecordedRows(int from, int by)
{
    for (QList<Change> *changes : {&m_undoable, &m_redoable})
        for (Change &change : *changes)
            for (int &row : change.rows)
                if (row >= from)
                    row += by;
}

int RowArrayModel::undoChange()
{
    if (!m_editable || m_undoable.isEmpty())
        return -1;
    Change change = m_undoable.takeLast();
    switch (change.kind) {
    case Change::Kind::Cell: replaceRow(change.rows.first(), change.before.first()); break;
    case Change::Kind::StartedRow: removeOneRow(change.rows.first()); break;
    case Change::Kind::Removal:
        // Put back lowest first, so that each row goes where it was.
        for (qsizetype i = change.rows.size() - 1; i >= 0; --i) {
            insertArrayRow(change.rows[i], change.before[i], change.sourced[i]);
            emit removalUndone(change.rows[i]);
        }
        break;
    }
    const int row = change.rows.last();
    m_redoable.append(std::move(change));
    return row;
}

int RowArrayModel::redoChange()
{
    if (!m_editable || m_redoable.isEmpty())
        return -1;
    Change change = m_redoable.takeLast();
    switch (change.kind) {
    case Change::Kind::Cell: replaceRow(change.rows.first(), change.after); break;
    case Change::Kind::StartedRow: insertArrayRow(change.rows.first(), change.after, false); break;
    case Change::Kind::Removal: {
        Change again{Change::Kind::Removal, {}, {}, {}, {}};
        for (qsizetype i = 0; i < change.rows.size(); ++i) {
            const int row = change.rows[i];
            if (beforeRedoneRemoval && !beforeRedoneRemoval(row))
                continue;
            again.rows << row;
            again.before << m_rows.copyOfRow(row);
            again.sourced << (row < m_sourcedRows);
            removeOneRow(row);
        }
        if (again.rows.isEmpty())
            return -1;
        change = std::move(again);
        break;
    }
    }
    const int row = change.rows.last();
    m_undoable.append(std::move(change));
    return row;
}

int RowArrayModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows.rowCount() + (m_editable && m_adding ? 1 : 0);
}

bool RowArrayModel::setData(const QModelIndex &index, const QVariant &givenValue, int role)
{
    if (!index.isValid() || !m_editable || index.column() >= m_rows.columnCount())
        return false;
    // A check box's tick is stored as 1, its clearing as 0.
    const bool ticked = role == Qt::CheckStateRole && column(index.column()).format == GridColumn::Format::Check;
    if (role != Qt::EditRole && !ticked)
        return false;
    const QVariant value = ticked ? QVariant(qint64(givenValue.toInt() == Qt::Checked ? 1 : 0)) : givenValue;
    int row = index.row();
    const int col = index.column();
    const bool starting = isAddNewRow(row);
    RowArray before;
    if (starting) {
        // An untouched add-new row stays as it is.
        if (isEmptyValue(value))
            return false;
        // The typed row keeps its place, and with it the grid's current
        // cell; the new add-new row follows it.
        m_changing = true;
        beginInsertRows({}, row + 1, row + 1);
        m_rows.appendRow();
        endInsertRows();
        m_changing = false;
        emit headerDataChanged(Qt::Vertical, row, row + 1);
        emit rowAdded(row, col);
    } else if (row >= m_rows.rowCount()) {
        return false;
    } else if (sameValue(m_rows.cell(row, col), value)) {
        return true; // nothing changed, so the row is not marked
    } else {
        before = m_rows.copyOfRow(row);
    }
    m_rows.setCell(row, col, value);
    emit dataChanged(this->index(row, 0), this->index(row, columnCount() - 1));
    emit cellUpdated(row, col);
    // What the window made of the typing (its marks, a started row's
    // defaults) is part of the change.
    if (row < m_rows.rowCount()) {
        const auto kind = starting ? Change::Kind::StartedRow : Change::Kind::Cell;
        record({kind, {row}, starting ? QList<RowArray>() : QList<RowArray>{before}, {}, m_rows.copyOfRow(row)});
    }
    return true;
}

Qt::ItemFlags RowArrayModel::flags(const QModelIndex &index) const
{
    Qt::ItemFlags f = GridModel::flags(index);
    if (index.isValid() && m_editable && column(index.column()).editable)
        f |= column(index.column()).format == GridColumn::Format::Check ? Qt::ItemIsUserCheckable : Qt::ItemIsEditable;
    return f;
}

QVariant RowArrayModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Vertical && role == Qt::DisplayRole && isAddNewRow(section))
        return QStringLiteral("*");
    if (orientation == Qt::Vertical && role == Qt::AccessibleTextRole && isAddNewRow(section))
        return QStringLiteral("New row");
    return GridModel::headerData(section, orientation, role);
}

} // namespace bc
