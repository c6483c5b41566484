#pragma once

#include "rowarray.h"
#include "rowconflicts.h"
#include "screenparts.h"

#include <QWidget>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace bc {

struct AppState;
class DataGrid;
class RowArrayModel;

// The chart of accounts: search, list, and the edit cycle Edit/New, Save,
// Cancel over the grid.
class frmAccountMaster : public QWidget, public EditCycleScreen, public BookRowsScreen {
    Q_OBJECT
public:
    explicit frmAccountMaster(AppState &state, QWidget *parent = nullptr);
    ~frmAccountMaster() override;

    DataGrid *tdbgAccounts;
    RowArray &AccountRows; // held by the grid's model
    QGroupBox *Frame1;
    QComboBox *cboAccount;
    QLineEdit *txtOpen1;
    QLineEdit *txtOpen2;
    QPushButton *cmdFind;
    QPushButton *cmdBlank;
    QPushButton *cmdEdit;
    QPushButton *cmdSave;
    QPushButton *cmdCancel;
    QPushButton *cmdQuit;
    QLabel *lbltotal;
    QLabel *lblStatus; // what the last save did

    QString mode() const { return m_mode; }
    SortDirection SortOrder = SortDirection::Ascending;

    void SetMode(const QString &mode);
    bool inEditCycle() const override { return m_mode == QLatin1String("E"); }
    void dropEdits() override;
    void noteChangedElsewhere() override;
    void reloadRows() override;
    void showBookNote(const QString &text) override;
    void LoadLists();
    void Find();
    void Blank();
    void EditNew();
    void Cancel();
    void Save();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void buildControls();
    // Lists the search as typed in the order chosen last.
    void listAccounts();
    void sortByColumn(int column);
    void sortRows();
    bool allowNameEdit(int row);
    bool stageDeletion(int row);

    AppState &m_state;
    RowArrayModel *m_model = nullptr;
    QString m_mode = QStringLiteral("V");
    QList<LoadedRow> m_deletedIds; // accounts deleted in the grid in this edit cycle
    int m_sortColumn = -1; // the header clicked since the last Find, if any
};

} // namespace bc
