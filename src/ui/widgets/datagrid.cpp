#include "datagrid.h"

#include "griddelegate.h"
#include "rowarraymodel.h"

#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QTimerEvent>
#include <algorithm>

namespace bc {

namespace {

enum class ChangeKey { None, Undo, Redo };

// Ctrl+Z takes back; Ctrl+Y and Ctrl+Shift+Z put back.
ChangeKey changeKeyOf(const QKeyEvent *event)
{
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (event->key() == Qt::Key_Z && modifiers == Qt::ControlModifier)
        return ChangeKey::Undo;
    if ((event->key() == Qt::Key_Y && modifiers == Qt::ControlModifier)
        || (event->key() == Qt::Key_Z && modifiers == (Qt::ControlModifier | Qt::ShiftModifier)))
        return ChangeKey::Redo;
    return ChangeKey::None;
}

} // namespace

DataGrid::DataGrid(GridModel *model, QWidget *parent)
    : QTableView(parent)
    , m_model(model)
    , m_rowModel(qobject_cast<RowArrayModel *>(model))
{
    setSelectionBehavior(QAbstractItemView::SelectItems);
    // A click on the current cell is handled here (see mouseReleaseEvent), so
    // that a key typed meanwhile is never lost to a pending click edit.
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                    | QAbstractItemView::AnyKeyPressed);
    setAlternatingRowColors(true);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 8);
    verticalHeader()->setFixedWidth(22);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(true);
    setGridModel(model);
}

void DataGrid::dropOpenEditor()
{
    if (QAbstractItemDelegate *delegate = itemDelegate())
        delegate->blockSignals(true);
}

RowArray &DataGrid::rows()
{
    return m_rowModel->rows();
}

RowArrayModel *DataGrid::editedModel() const
{
    return m_rowModel && m_rowModel->isEditable() ? m_rowModel : nullptr;
}

void DataGrid::setGridModel(GridModel *model)
{
    model->setParent(this);
    setModel(model);
    auto *delegate = new GridDelegate(*model, this);
    delegate->typingLimitReached = [this](int column, int limit) {
        if (typingLimitReached)
            typingLimitReached(column, limit);
    };
    delegate->refusedEntry = [this](const QString &typed) {
        if (refusedEntry)
            refusedEntry(typed);
    };
    delegate->refusedDate = [this](const QString &typed, const QString &problem) {
        if (refusedDate)
            refusedDate(typed, problem);
    };
    connect(delegate, &GridDelegate::enterPressed, this, [this] {
        if (enterHandler)
            enterHandler();
    });
    setItemDelegate(delegate);
    if (m_rowModel) {
        m_rowModel->beforeRedoneRemoval = [this](int row) { return !beforeDelete || beforeDelete(row); };
        connect(m_rowModel, &RowArrayModel::rowAdded, this, [this](int row) { m_startedRow = row; });
    }
    applyColumns();
    connect(model, &QAbstractItemModel::modelReset, this, &DataGrid::applyColumns);
    connect(model, &QAbstractItemModel::modelReset, this, [this] {
        m_startedRow = -1;
        if (hasFocus())
            enterFirstCell();
    });
    connect(model, &QAbstractItemModel::rowsRemoved, this, [this] { m_startedRow = -1; });
    // A page read above a row being typed moves it down.
    connect(model, &QAbstractItemModel::rowsInserted, this, [this](const QModelIndex &, int first, int last) {
        if (m_startedRow >= first)
            m_startedRow += last - first + 1;
    });
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
    m_clickEdit.stop();
    const bool opening = index.isValid() && !indexWidget(index) && (index.flags() & Qt::ItemIsEditable)
        && (trigger == AllEditTriggers || editTriggers().testFlag(trigger));
    if (opening && beforeEdit && !beforeEdit(index))
        return false;
    if (!QTableView::edit(index, trigger, event))
        return false;
    if (opening && trigger != AnyKeyPressed)
        keepEditorText(index);
    return true;
}

void DataGrid::keepEditorText(const QModelIndex &index)
{
    // The editor selects its text so that a typed key replaces it; an edit
    // started otherwise goes on from the end of the text.
    QWidget *editor = indexWidget(index);
    auto *line = qobject_cast<QLineEdit *>(editor);
    if (auto *combo = qobject_cast<QComboBox *>(editor))
        line = combo->lineEdit();
    if (line) {
        line->deselect();
        line->end(false);
    }
}

QList<int> DataGrid::editableColumns() const
{
    QList<int> columns;
    for (int visual = 0; visual < m_model->columnCount(); ++visual) {
        const int c = horizontalHeader()->logicalIndex(visual);
        // A check box is no stop of Tab's round of the cells typed into: the
        // arrow keys reach it, and Space ticks it.
        if (!isColumnHidden(c) && m_model->column(c).editable && m_model->column(c).format != GridColumn::Format::Check)
            columns << c;
    }
    return columns;
}

QModelIndex DataGrid::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers)
{
    // Ctrl+End: the last row of all, not of the rows read so far.
    if (cursorAction == MoveEnd && modifiers.testFlag(Qt::ControlModifier))
        m_model->fetchAll();
    const QList<int> columns = editableColumns();
    if (!editedModel() || columns.isEmpty() || (cursorAction != MoveNext && cursorAction != MovePrevious))
        return QTableView::moveCursor(cursorAction, modifiers);
    // Tab and Shift+Tab go through the editable cells only, row after row.
    const QModelIndex current = currentIndex();
    if (!current.isValid())
        return m_model->index(0, columns.first());
    const int row = current.row();
    const int here = horizontalHeader()->visualIndex(current.column());
    if (cursorAction == MoveNext) {
        for (int c : columns)
            if (horizontalHeader()->visualIndex(c) > here)
                return m_model->index(row, c);
        return m_model->index(row + 1, columns.first());
    }
    for (auto c = columns.crbegin(); c != columns.crend(); ++c)
        if (horizontalHeader()->visualIndex(*c) < here)
            return m_model->index(row, *c);
    return row > 0 ? m_model->index(row - 1, columns.last()) : QModelIndex();
}

bool DataGrid::event(QEvent *event)
{
    // While the grid is edited its undo keys are its own: they never reach
    // a shortcut that would change the book.
    if (event->type() == QEvent::ShortcutOverride && editedModel()
        && changeKeyOf(static_cast<QKeyEvent *>(event)) != ChangeKey::None) {
        event->accept();
        return true;
    }
    return QTableView::event(event);
}

void DataGrid::keyPressEvent(QKeyEvent *event)
{
    if (const ChangeKey change = changeKeyOf(event); change != ChangeKey::None && editedModel()) {
        takeBackChange(change == ChangeKey::Redo);
        return;
    }
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && enterHandler) {
        enterHandler();
        return;
    }
    if (event->key() == Qt::Key_Escape && m_startedRow >= 0 && currentIndex().row() == m_startedRow) {
        abandonStartedRow();
        return;
    }
    if (showsList(event) && openList())
        return;
    // Delete removes the rows picked by their row selectors; Ctrl+Delete the
    // current row. A plain Delete in a single cell does nothing to the row.
    if (event->key() == Qt::Key_Delete && editedModel()) {
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

bool DataGrid::showsList(const QKeyEvent *event)
{
    return (event->key() == Qt::Key_F4 && !(event->modifiers() & Qt::AltModifier))
        || (event->key() == Qt::Key_Down && (event->modifiers() & Qt::AltModifier));
}

bool DataGrid::openList()
{
    // Alt+Down or F4 on a drop-down cell opens its editor with the list shown.
    const QModelIndex current = currentIndex();
    if (!current.isValid() || m_model->column(current.column()).format != GridColumn::Format::ValueList
        || !edit(current, EditKeyPressed, nullptr))
        return false;
    if (auto *combo = qobject_cast<QComboBox *>(indexWidget(current)))
        combo->showPopup();
    return true;
}

void DataGrid::abandonStartedRow()
{
    const int row = m_startedRow;
    const int column = currentIndex().column();
    deleteRows({row});
    setCurrentIndex(m_model->index(row, column));
}

void DataGrid::closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint)
{
    if (hint != QAbstractItemDelegate::EditNextItem && hint != QAbstractItemDelegate::EditPreviousItem) {
        QTableView::closeEditor(editor, hint);
        return;
    }
    // Tab and Shift+Tab move the cell cursor; the cell reached is edited as
    // soon as something is typed into it.
    QTableView::closeEditor(editor, QAbstractItemDelegate::NoHint);
    const QModelIndex next = moveCursor(hint == QAbstractItemDelegate::EditNextItem ? MoveNext : MovePrevious,
                                        Qt::NoModifier);
    if (next.isValid())
        setCurrentIndex(next);
}

void DataGrid::focusInEvent(QFocusEvent *event)
{
    QTableView::focusInEvent(event);
    if (event->reason() != Qt::MouseFocusReason)
        enterFirstCell();
    viewport()->update();
}

void DataGrid::focusOutEvent(QFocusEvent *event)
{
    QTableView::focusOutEvent(event);
    viewport()->update();
}

void DataGrid::paintEvent(QPaintEvent *event)
{
    QTableView::paintEvent(event);
    // A grid without a current cell (an empty one) has nowhere to show the
    // focus but its own edge.
    if (!hasFocus() || currentIndex().isValid())
        return;
    QPainter painter(viewport());
    painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
    painter.drawRect(viewport()->rect().adjusted(1, 1, -1, -1));
}

void DataGrid::enterFirstCell()
{
    // A grid re-filled or switched to editing has no current cell; the keys
    // typed into it go to its first (editable) cell.
    if (currentIndex().isValid())
        return;
    const QModelIndex first = moveCursor(MoveNext, Qt::NoModifier);
    if (first.isValid())
        setCurrentIndex(first);
}

void DataGrid::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QTableView::currentChanged(current, previous);
    if (current.row() != m_startedRow)
        m_startedRow = -1;
}

void DataGrid::mousePressEvent(QMouseEvent *event)
{
    const QModelIndex at = indexAt(event->position().toPoint());
    const bool onCurrent = at.isValid() && at == currentIndex() && state() != EditingState
        && selectionModel()->isSelected(at);
    QTableView::mousePressEvent(event);
    m_clickIndex = onCurrent && event->button() == Qt::LeftButton ? at : QModelIndex();
}

void DataGrid::mouseReleaseEvent(QMouseEvent *event)
{
    QTableView::mouseReleaseEvent(event);
    if (m_clickIndex.isValid() && indexAt(event->position().toPoint()) == m_clickIndex
        && (m_clickIndex.flags() & Qt::ItemIsEditable))
        m_clickEdit.start(QApplication::doubleClickInterval(), this);
}

void DataGrid::mouseDoubleClickEvent(QMouseEvent *event)
{
    m_clickEdit.stop();
    QTableView::mouseDoubleClickEvent(event);
}

void DataGrid::timerEvent(QTimerEvent *event)
{
    if (event->timerId() != m_clickEdit.timerId()) {
        QTableView::timerEvent(event);
        return;
    }
    m_clickEdit.stop();
    // An edit already started by a key stays as it is.
    if (state() != EditingState && m_clickIndex == currentIndex())
        edit(m_clickIndex, AllEditTriggers, nullptr);
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
    RowArrayModel *model = editedModel();
    if (!model)
        return;
    commitEdit();
    std::sort(rows.begin(), rows.end(), std::greater<int>());
    QList<int> removed;
    for (int row : rows) {
        if (row >= model->rows().rowCount())
            continue; // the add-new row holds nothing to delete
        if (beforeDelete && !beforeDelete(row))
            continue;
        removed << row;
    }
    model->removeArrayRows(removed);
}

void DataGrid::takeBackChange(bool redo)
{
    RowArrayModel *model = editedModel();
    if (!model)
        return;
    const int column = currentIndex().isValid() ? currentIndex().column() : editableColumns().value(0, 0);
    const int row = redo ? model->redoChange() : model->undoChange();
    if (row < 0)
        return;
    const QModelIndex shown = m_model->index(std::min(row, m_model->rowCount() - 1), column);
    if (shown.isValid()) {
        setCurrentIndex(shown);
        scrollTo(shown);
    }
}

} // namespace bc
