#pragma once

#include "editablelistwindow.h"

class QComboBox;
class QGroupBox;

namespace bc {

class RowArrayModel;

// The chart of accounts: search, list, and the edit cycle Edit/New, Save,
// Cancel over the grid.
class frmAccountMaster : public EditableListWindow {
    Q_OBJECT
public:
    explicit frmAccountMaster(AppState &state, QWidget *parent = nullptr);
    void Find() override;
    void Blank() override;
    void reloadRows() override;

    DataGrid *tdbgAccounts;
    RowArray &AccountRows; // held by the grid's model
    QGroupBox *Frame1; // the search
    QComboBox *cboAccount;
    QLineEdit *txtOpen1;
    QLineEdit *txtOpen2;

private:
    void buildControls();
    void LoadLists();
    // Lists the search as typed in the order chosen last.
    void listAccounts();
    void sortByColumn(int column);
    void sortRows();
    bool allowNameEdit(int row);
    GridSaveOutcome write(const QList<LoadedRow> &deleted);

    RowArrayModel *m_model = nullptr;
    int m_sortColumn = -1; // the header clicked since the last Find, if any
};

} // namespace bc
