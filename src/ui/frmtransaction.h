#pragma once

#include "editablelistwindow.h"
#include "transactionpages.h"

#include <memory>
#include <optional>

class QCheckBox;
class QComboBox;
class QGroupBox;

namespace bc {

class DateEntry;
class RowArrayModel;

// Transactions: search, list with a total, and the edit cycle Edit/New,
// Save, Cancel over the grid. The list holds the rows read so far: the first
// screen at once, the rest a page at a time as the grid scrolls down; the
// total and the count are of the whole search.
class frmTransaction : public EditableListWindow {
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
    QPushButton *cmdprint;

    void reloadRows() override;
    void Find() override;
    void Blank() override;
    // Hands the rows as they stand to a new report viewer.
    void Print();
    // The search as the fields stand, as Find passes it to the book, with
    // the accounts of the search ShowSearch listed until Blank.
    TranSearch searchCriteria() const;
    // Lists a search made elsewhere, such as the accounts of a statement's
    // total over its column's days: the fields show what they can (dates,
    // accounts, amounts, particulars), the title names what they cannot
    // (caption: what the accounts are). Find keeps those accounts, Blank
    // drops them. Refused, with a message, while the grid is being edited.
    void ShowSearch(const TranSearch &search, const QString &caption);

private:
    void LoadLists();
    // Lists the search as typed in the order chosen last.
    void listSearch();
    void buildSearchPanel();
    void buildGrid();
    void onRowAdded(int row, int column);
    void onCellUpdated(int row, int column);
    GridSaveOutcome write(const QList<LoadedRow> &deleted);
    QString savedText(const TranSaveResult &result, const QList<QDate> &savedDates);
    void sortByColumn(int column);
    // Lists a search from its first row in the given order; false when the
    // book refused it (reported).
    bool readSearch(const TranSearch &search, const TranOrder &order);
    void dropList();
    void addUpInBackground();
    void showTotals(const TranFindTotals &totals);
    void totalsArrived(quint64 searchNumber, const TranTotalsOutcome &outcome);
    int readPage(RowArray &page, int count);

    RowArrayModel *m_model;
    TranSearch m_search; // the search listed
    std::optional<QList<AccountKey>> m_anySide; // the accounts ShowSearch was given, until Blank
    QString m_anySideCaption; // what they are
    TranOrder m_order; // its order: a header clicked since the last Find
    std::unique_ptr<TranPager> m_pager; // its rows still to be read; none after Blank or a failure
    // A search longer than its first page is added up in the background;
    // the figures of an earlier search arriving late are dropped by number.
    std::unique_ptr<TranTotalsInBackground> m_totals;
    quint64 m_searchNumber = 0;
    bool m_addingUpStopped = false; // by a save, to start again if it wrote nothing
};

} // namespace bc
