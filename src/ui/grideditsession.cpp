#include "grideditsession.h"

#include "appstate.h"
#include "datagrid.h"
#include "rowarraymodel.h"
#include "screenmessages.h"
#include "screenparts.h"
#include "waitcursor.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>

namespace bc {

GridEditSession::GridEditSession(AppState &state, QWidget *window, DataGrid *grid, const EditedColumns &columns,
                                 Controls controls, WindowPart part, const QString &rowsWord)
    : QObject(window)
    , m_state(state)
    , m_grid(grid)
    , m_columns(columns)
    , m_controls(std::move(controls))
    , m_part(std::move(part))
    , m_rowsWord(rowsWord)
{
    watchGrid();
    window->installEventFilter(this);
    connect(m_controls.edit, &QPushButton::clicked, this, &GridEditSession::begin);
    connect(m_controls.save, &QPushButton::clicked, this, &GridEditSession::save);
    connect(m_controls.cancel, &QPushButton::clicked, this, &GridEditSession::cancel);
    setMode(Mode::Viewing);
}

GridEditSession *GridEditSession::of(QWidget *window)
{
    return window ? window->findChild<GridEditSession *>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
}

QWidget *GridEditSession::window() const
{
    return static_cast<QWidget *>(parent());
}

void GridEditSession::watchGrid()
{
    RowArrayModel *model = m_grid->rowModel();
    connect(model, &RowArrayModel::rowAdded, this, [this](int row) {
        m_grid->rows().setInt(row, m_columns.id, 0);
        markChanged(row);
    });
    connect(model, &RowArrayModel::cellUpdated, this, &GridEditSession::markChanged);
    connect(model, &RowArrayModel::removalUndone, this, &GridEditSession::unstageDeletion);
    m_grid->beforeDelete = [this](int row) {
        return (!m_part.mayDelete || m_part.mayDelete(row)) && stageDeletion(row);
    };
    if (m_part.mayEdit)
        m_grid->beforeEdit = m_part.mayEdit;
}

void GridEditSession::markChanged(int row)
{
    m_grid->rows().setEditMark(row, m_columns.mark, EditMark::Changed);
}

void GridEditSession::setMode(Mode mode)
{
    m_mode = mode;
    const bool viewing = mode == Mode::Viewing;
    for (QWidget *control : m_controls.switched) {
        if (control == m_controls.save || control == m_controls.cancel)
            control->setEnabled(!viewing);
        else if (control == m_controls.edit)
            control->setEnabled(viewing && m_state.book.mayWrite());
        else
            control->setEnabled(viewing);
    }
    m_grid->rowModel()->setEditable(!viewing);
    if (viewing)
        clearChangedElsewhere(m_controls.status);
    emit m_state.notifier.editCycleChanged();
}

bool GridEditSession::hasUnsavedEdits() const
{
    if (!m_deleted.isEmpty())
        return true;
    const RowArray &rows = m_grid->rows();
    for (int r = 0; r < rows.rowCount(); ++r)
        if (rows.editMarkAt(r, m_columns.mark) == EditMark::Changed)
            return true;
    return false;
}

void GridEditSession::begin()
{
    m_deleted.clear();
    m_controls.status->clear();
    setMode(Mode::Editing);
    m_grid->setFocus();
}

void GridEditSession::cancel()
{
    m_grid->commitEdit();
    m_deleted.clear();
    setMode(Mode::Viewing);
    m_part.relist();
}

void GridEditSession::dropEdits()
{
    m_deleted.clear();
    setMode(Mode::Viewing);
}

void GridEditSession::noteChangedElsewhere()
{
    showChangedElsewhere(m_controls.status);
}

void GridEditSession::save()
{
    m_grid->commitEdit();
    if (!confirmDeletions()) {
        m_controls.status->setText(QStringLiteral("Nothing saved: the rows deleted in the grid are still in the book. "
                                                  "Ctrl+Z puts them back in the grid; Cancel drops every edit."));
        m_grid->setFocus();
        return;
    }
    GridSaveOutcome outcome;
    {
        WaitCursor wait;
        outcome = m_part.write(m_deleted);
    }
    switch (outcome.kind) {
    case GridSaveOutcome::Kind::Saved:
        m_deleted.clear();
        setMode(Mode::Viewing);
        m_part.reload();
        m_controls.status->setText(outcome.savedText());
        emit m_state.notifier.bookChanged(window());
        return;
    case GridSaveOutcome::Kind::Refused:
        resumeUnwritten();
        // A save the user declined when the window asked says no more.
        if (!outcome.text.isEmpty())
            m_state.messages->critical(window(), outcome.title, outcome.text);
        if (outcome.refusedRow >= 0)
            m_grid->setCurrentIndex(m_grid->rowModel()->index(outcome.refusedRow, m_columns.entry));
        return;
    case GridSaveOutcome::Kind::ChangedByOthers:
        if (offerReload(m_state, window(), outcome.title, outcome.text))
            cancel();
        else
            resumeUnwritten();
        return;
    case GridSaveOutcome::Kind::Failed:
        resumeUnwritten();
        m_deleted.clear(); // dropped, so they cannot surprise a later save
        m_state.messages->show(window(), MsgIcon::None, outcome.title, outcome.text, QMessageBox::Ok, QMessageBox::Ok);
        setMode(Mode::Viewing);
        return;
    }
}

void GridEditSession::resumeUnwritten()
{
    if (m_part.unwritten)
        m_part.unwritten();
}

// Before a save that deletes more than one row of the book: asks, naming the
// count and the way back, with No the default. One row is deleted without a
// question.
bool GridEditSession::confirmDeletions()
{
    if (m_deleted.size() <= 1)
        return true;
    const QString text = QStringLiteral("Delete %1 %2? Edit > Undo Save or Entries > Deleted Items brings them back.")
                             .arg(m_deleted.size())
                             .arg(m_rowsWord);
    return m_state.messages->show(window(), MsgIcon::Question, QStringLiteral("Delete"), text,
                                  QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
        == QMessageBox::Yes;
}

bool GridEditSession::stageDeletion(int row)
{
    const RowArray &rows = m_grid->rows();
    if (const qint64 id = rows.intAt(row, m_columns.id); id > 0)
        m_deleted << LoadedRow(id, rows.intAt(row, m_columns.version));
    return true;
}

// A row whose deletion the grid took back (Ctrl+Z) is no longer to be
// deleted by the next save.
void GridEditSession::unstageDeletion(int row)
{
    const qint64 id = m_grid->rows().intAt(row, m_columns.id);
    for (qsizetype i = m_deleted.size() - 1; i >= 0; --i) {
        if (m_deleted[i].id == id) {
            m_deleted.removeAt(i);
            return;
        }
    }
}

bool GridEditSession::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == window() && event->type() == QEvent::Close && isEditing()
        && !confirmDiscardEdits(m_state, window(), window()->windowTitle())) {
        event->ignore();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace bc
