#include "datagrid.h"

#include "griddelegate.h"
#include "rowarraymodel.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <algorithm>

namespace bc {

DataGrid::DataGrid(RowArrayModel *model, QWidget *parent) : QTableView(parent), m_model(model)
{
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                    | QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked);
    setAlternatingRowColors(true);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 8);
    verticalHeader()->setFixedWidth(22);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(true);
    setRowModel(model);
}

RowArray &DataGrid::rows()
{
    return m_model->rows();
}

void DataGrid::setRowModel(RowArrayModel *model)
{
    model->setParent(this);
    setModel(model);
    setItemDelegate(new GridDelegate(*model, this));
    applyColumns();
    connect(model, &QAbstractItemModel::modelReset, this, &DataGrid::applyColumns);
}

void DataGrid::applyColumns()
{
    for (int c = 0; c < m_model->columnCount(); ++c) {
        const GridColumn &column = m_model->column(c);
        setColumnHidden(c, column.hidden);
        if (column.width > 0)
            setColumnWidth(c, column.width);
    }
}

void DataGrid::commitEdit()
{
    if (state() != EditingState)
        return;
    if (QWidget *editor = indexWidget(currentIndex())) {
        commitData(editor);
        closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
}

bool DataGrid::edit(const QModelIndex &index, EditTrigger trigger, QEvent *event)
{
    if (trigger != NoEditTriggers && trigger != CurrentChanged && index.isValid()
        && (index.flags() & Qt::ItemIsEditable) && beforeEdit && !beforeEdit(index))
        return false;
    return QTableView::edit(index, trigger, event);
}

void DataGrid::keyPressEvent(QKeyEvent *event)
{
    if (keyHandler && keyHandler(event))
        return;
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && enterHandler) {
        enterHandler();
        return;
    }
    // Delete removes the rows picked by their row selectors; Ctrl+Delete the
    // current row. A plain Delete in a single cell does nothing to the row.
    if (event->key() == Qt::Key_Delete && m_model && m_model->isEditable()) {
        if (event->modifiers() & Qt::ControlModifier) {
            if (currentIndex().isValid())
                deleteRows({currentIndex().row()});
        } else {
            deleteSelectedRows();
        }
        return;
    }
    QTableView::keyPressEvent(event);
}

void DataGrid::closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint)
{
    QTableView::closeEditor(editor, hint);
    // An editor closed by Enter submits its row; the screen decides where to go.
    if (hint == QAbstractItemDelegate::SubmitModelCache && enterHandler)
        enterHandler();
}

void DataGrid::deleteSelectedRows()
{
    QList<int> rows;
    for (const QModelIndex &i : selectionModel()->selectedRows())
        rows << i.row();
    deleteRows(rows);
}

void DataGrid::deleteRows(QList<int> rows)
{
    if (!m_model || !m_model->isEditable())
        return;
    commitEdit();
    std::sort(rows.begin(), rows.end(), std::greater<int>());
    for (int row : rows) {
        if (row >= m_model->rows().rowCount())
            continue; // the add-new row holds nothing to delete
        if (beforeDelete && !beforeDelete(row))
            continue;
        m_model->removeArrayRow(row);
    }
}

} // namespace bc
