#pragma once

#include "bookrowsscreen.h"
#include "grideditsession.h"
#include "rowarray.h"

#include <QWidget>

class QGridLayout;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QVBoxLayout;

namespace bc {

struct AppState;
class DataGrid;

// A window listing the rows of the book a search finds, editable in its
// grid: Find and Blank beside the search, Edit/New, Save, Cancel and Quit
// under the grid with the total of the rows found, the status line between.
// The edit cycle is its GridEditSession's.
class EditableListWindow : public QWidget, public BookRowsScreen {
    Q_OBJECT
public:
    QPushButton *cmdFind = nullptr;
    QPushButton *cmdBlank = nullptr;
    QPushButton *cmdEdit = nullptr;
    QPushButton *cmdSave = nullptr;
    QPushButton *cmdCancel = nullptr;
    QPushButton *cmdQuit = nullptr;
    QLabel *lbltotal = nullptr;
    QLabel *lblStatus = nullptr; // what the last save did
    SortDirection SortOrder = SortDirection::Ascending;

    GridEditSession::Mode mode() const { return m_session->mode(); }
    void showBookNote(const QString &text) override;
    virtual void Find() = 0;
    virtual void Blank() = 0;

protected:
    EditableListWindow(AppState &state, QWidget *parent);
    // Drops the grid's open cell editor (DataGrid::dropOpenEditor).
    ~EditableListWindow() override;

    // The layout of the search's panel, with Find and Blank side by side
    // from row and column.
    QGridLayout *makeSearchGrid(QWidget *panel, int row, int column);
    // A search field for a bound of the amounts listed.
    static QLineEdit *makeAmountBound(QWidget *panel, const char *objectName);
    // Edit/New, Save, Cancel, the window's own buttons and Quit in a row
    // with the total and its caption; the status line.
    QHBoxLayout *makeCycleControls(const QString &totalCaption, const QList<QPushButton *> &ownButtons = {});
    // The grid taking the height the search leaves, the status line and the
    // buttons, top to bottom; the window puts its search above them.
    QVBoxLayout *layOutBelowSearch(DataGrid *grid, QHBoxLayout *buttons);
    // Starts viewing; switched are the controls the cycle switches, in the
    // order it switches them (GridEditSession::Controls).
    void startSession(DataGrid *grid, const EditedColumns &columns, const QList<QWidget *> &switched,
                      GridEditSession::WindowPart part, const QString &rowsWord);

    AppState &m_state;
    GridEditSession *m_session = nullptr;

private:
    DataGrid *m_grid = nullptr;
};

} // namespace bc
