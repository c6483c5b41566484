#pragma once

#include "rowarray.h"
#include "rowconflicts.h"
#include "screenparts.h"
#include "transactionpages.h"

#include <QWidget>
#include <memory>

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
// Save, Cancel over the grid. The list holds the rows read so far: the first
// screen at once, the rest a page at a time as the grid scrolls down; the
// total and the count are of the whole search.
class frmTransaction : public QWidget, public EditCycleScreen, public BookRowsScreen {
    Q_OBJECT
public:
    explicit frmTransaction(AppState &state, QWidget *parent = nullptr);
    ~frmTransaction() override;

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
    void noteChangedElsewhere() override;
    void reloadRows() override;
    void showBookNote(const QString &text) override;
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
    // Lists the search as typed in the order chosen last.
    void listSearch();
    void buildSearchPanel();
    void buildGrid();
    void onRowAdded(int row, int column);
    void onCellUpdated(int row, int column);
    bool stageDeletion(int row);
    void showSaved(const TranSaveResult &result, const QList<QDate> &savedDates);
    void sortByColumn(int column);
    // Lists a search from its first row in the given order; false when the
    // book refused it (reported).
    bool readSearch(const TranSearch &search, const TranOrder &order);
    void dropList();
    void addUpInBackground();
    void showTotals(const TranFindTotals &totals);
    void totalsArrived(quint64 searchNumber, const TranTotalsOutcome &outcome);
    int readPage(RowArray &page, int count);
    bool hasUnsavedEdits() const;

    AppState &m_state;
    RowArrayModel *m_model;
    QString m_mode = QStringLiteral("V");
    QList<LoadedRow> m_deletedIds; // transactions deleted in the grid in this edit cycle
    TranSearch m_search; // the search listed
    TranOrder m_order; // its order: a header clicked since the last Find
    std::unique_ptr<TranPager> m_pager; // its rows still to be read; none after Blank or a failure
    // A search longer than its first page is added up in the background;
    // the figures of an earlier search arriving late are dropped by number.
    std::unique_ptr<TranTotalsInBackground> m_totals;
    quint64 m_searchNumber = 0;
};

} // namespace bc
