#pragma once

#include "rowconflicts.h"

#include <QList>
#include <QObject>
#include <QString>
#include <functional>

class QLabel;
class QModelIndex;
class QPushButton;
class QWidget;

namespace bc {

struct AppState;
class DataGrid;

// The columns of an edited grid's rows that the edit cycle keeps: the row's
// id in the book (0 for a row typed into the grid), the version it was read
// at, the mark of a row changed and not yet saved, and the column the cursor
// goes to on a row a save refused.
struct EditedColumns {
    int id;
    int version;
    int mark;
    int entry;
};

// What a window made of a save, for the edit cycle to say and to go on from.
struct GridSaveOutcome {
    enum class Kind {
        Saved,
        Refused, // rows at fault: said (unless the text is empty, as when the user declined), the edits stay
        ChangedByOthers, // another user changed the rows since they were read: asks whether to reload
        Failed, // the book could not take the save: said, the cycle ends without the edits
    };
    Kind kind = Kind::Saved;
    QString title; // the message for any kind but Saved
    QString text;
    int refusedRow = -1; // Refused: the row the cursor goes to, if any
    // Saved: what the status line says once the rows are listed afresh.
    std::function<QString()> savedText;

    static GridSaveOutcome saved(std::function<QString()> savedText)
    {
        return {Kind::Saved, {}, {}, -1, std::move(savedText)};
    }
    static GridSaveOutcome notSaved(Kind kind, const QString &title, const QString &text, int refusedRow = -1)
    {
        return {kind, title, text, refusedRow, {}};
    }
};

// The edit cycle of a window's editable grid: Edit/New makes the grid
// editable and the search and other viewing controls unusable; Save writes
// the rows marked changed and the rows deleted in the grid, Cancel drops
// them. Rows deleted in the grid are kept here until Save, each with the
// version it was read at, so another window or program neither sees nor
// applies them; Ctrl+Z in the grid takes a deletion back from the list.
// Closing the window in the middle of the cycle asks first.
//
// The window keeps its own parts: how its rows are written, listed again
// after Cancel and listed afresh after a save, and what a cell or a deletion
// must pass first.
class GridEditSession : public QObject {
    Q_OBJECT
public:
    enum class Mode { Viewing, Editing };
    Q_ENUM(Mode)

    struct Controls {
        QPushButton *edit;
        QPushButton *save;
        QPushButton *cancel;
        QLabel *status; // the status line under the grid
        // Every control the cycle switches, in the order it switches them:
        // save and cancel on only while editing, the edit button while
        // viewing a book that may be written, the others while viewing. A
        // control switched off hands the focus on to the next one that is
        // on, so the order decides where the focus lands.
        QList<QWidget *> switched;
    };

    struct WindowPart {
        // Writes the rows marked changed and removes the deleted ones, all
        // or nothing.
        std::function<GridSaveOutcome(const QList<LoadedRow> &deleted)> write;
        // Lists the rows again as last searched (Cancel).
        std::function<void()> relist;
        // Lists the rows afresh after a save, with the lists of the search.
        std::function<void()> reload;
        // Optional: a save wrote nothing and the rows stay as they are.
        std::function<void()> unwritten;
        // Optional checks before a cell's edit starts or a row is deleted
        // in the grid; false keeps the cell or the row.
        std::function<bool(const QModelIndex &)> mayEdit;
        std::function<bool(int row)> mayDelete;
    };

    // Belongs to window, the grid's; starts viewing. rowsWord names the
    // rows in the question before several are deleted: "transactions".
    GridEditSession(AppState &state, QWidget *window, DataGrid *grid, const EditedColumns &columns, Controls controls,
                    WindowPart part, const QString &rowsWord);

    // The edit cycle of a window, if it has one.
    static GridEditSession *of(QWidget *window);

    Mode mode() const { return m_mode; }
    bool isEditing() const { return m_mode == Mode::Editing; }
    // Rows changed, added or deleted in the grid and not yet saved.
    bool hasUnsavedEdits() const;

    void begin();
    void cancel();
    void save();
    // Leaves the cycle without saving or asking: the user has agreed.
    void dropEdits();
    // Another user saved to the book during the cycle: the edits stay as
    // they are and the status line says so until the cycle ends.
    void noteChangedElsewhere();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void setMode(Mode mode);
    void watchGrid();
    bool stageDeletion(int row);
    void unstageDeletion(int row);
    bool confirmDeletions();
    void markChanged(int row);
    void resumeUnwritten();
    QWidget *window() const;

    AppState &m_state;
    DataGrid *m_grid;
    EditedColumns m_columns;
    Controls m_controls;
    WindowPart m_part;
    QString m_rowsWord;
    Mode m_mode = Mode::Viewing;
    QList<LoadedRow> m_deleted; // rows of the book deleted in the grid in this cycle
};

} // namespace bc
