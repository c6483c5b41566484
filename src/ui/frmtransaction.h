#pragma once

#include "rowarray.h"
#include "screenparts.h"
#include "transactions.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace bc {

struct AppState;
class DataGrid;
class DateEntry;
class RowArrayModel;

// Transactions: search, list with a total, and the edit cycle Edit/New,
// Save, Cancel over the grid.
class frmTransaction : public QWidget, public EditCycleScreen, public BookRowsScreen {
    Q_OBJECT
public:
    explicit frmTransaction(AppState &state, QWidget *parent = nullptr);

    DataGrid *tdbgTran;
    RowArray &TranRows; // held by the grid's model
    QCheckBox *chkApply;
    DateEntry *dtpFromDate;
    DateEntry *dtpToDate;
    QGroupBox *fraSearch;
    QComboBox *cboFromAcc;
    QComboBox *cboToAcc;
    QLineEdit *txtAmount1;
    QLineEdit *txtAmount2;
    QLineEdit *txtparticulars;
    QPushButton *cmdFind;
    QPushButton *cmdBlank;
    QPushButton *cmdEdit;
    QPushButton *cmdSave;
    QPushButton *cmdCancel;
    QPushButton *cmdprint;
    QPushButton *cmdQuit;
    QLabel *lbltotal;
    QLabel *lblStatus; // what the last save did

    SortDirection SortOrder = SortDirection::Ascending;
    QString mode() const { return m_mode; }

    void SetMode(const QString &mode);
    bool inEditCycle() const override { return m_mode == QLatin1String("E"); }
    void dropEdits() override;
    void reloadRows() override;
    void LoadLists();
    void Find();
    void Blank();
    void EditNew();
    void Cancel();
    void Save();
    // Hands the rows as they stand to a new report viewer.
    void Print();
    // The search as the fields stand, as Find passes it to the book.
    TranSearch searchCriteria() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void buildSearchPanel();
    void buildGrid();
    void onRowAdded(int row, int column);
    void onCellUpdated(int row, int column);
    bool stageDeletion(int row);
    void showSaved(const TranSaveResult &result, const QList<QDate> &savedDates);
    void sortByColumn(int column);

    AppState &m_state;
    RowArrayModel *m_model;
    QString m_mode = QStringLiteral("V");
    QList<qint64> m_deletedIds; // transactions deleted in the grid in this edit cycle
};

} // namespace bc
