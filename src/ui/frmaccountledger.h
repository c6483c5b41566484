#pragma once

#include "bookrowsscreen.h"
#include "frmstockgraph.h"
#include "ledger.h"
#include "ledgerchart.h"
#include "ledgermodel.h"

#include <QPointer>
#include <QWidget>
#include <optional>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace bc {

struct AppState;
class DataGrid;
class DateEntry;

// The ledger of one account over a date range: every movement with its
// running balance, the opening and closing balances, and the daily balance
// as a chart.
class frmAccountLedger : public QWidget, public BookRowsScreen {
    Q_OBJECT
public:
    // chartWindow gives the chart window that Graph fills.
    explicit frmAccountLedger(AppState &state, frmStockGraph::Source chartWindow = {}, QWidget *parent = nullptr);

    QGroupBox *Frame3;
    QLabel *Label1;
    QComboBox *cboAccount; // item data: the account id; Qt::UserRole + 1 the side flag
    QLabel *lblFromDate;
    DateEntry *dtpFromDate;
    QLabel *lblToDate;
    DateEntry *dtpToDate;
    QPushButton *cmdFind;
    QPushButton *cmdClear;
    LedgerModel &LedgerRows; // the grid's model, holding the last Find's ledger
    DataGrid *TDBGAccLdgr;
    QLabel *lblOpenAmount;
    QLineEdit *txtOpenAmount;
    QLabel *lblopenFlag;
    QLabel *lblBalAmount;
    QLineEdit *txtBalanceAmount;
    QLabel *lblcloseflag;
    QPushButton *cmdprint;
    QPushButton *CmdGraph;
    QPushButton *cmdQuit;

    // The balances of the last Find.
    Money OpeningBalance() const { return LedgerRows.result().openingBalance; }
    Money ClosingBalance() const { return LedgerRows.result().closingBalance; }

    void Find();
    // Chooses the account and the dates, and finds its ledger.
    void ShowAccount(qint64 accountId, const QDate &from, const QDate &to);
    void Blank();
    // Hands the rows as they stand to a new report viewer.
    void Print();
    void Graph();
    // Reads the figures afresh for the account and dates of the last Find,
    // and the chart drawn from them; nothing before a Find.
    void reloadRows() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    void LoadAccountList();
    void showBalances(const LedgerResult &ledger);
    // Computes and shows the ledger input asks for; false when it failed
    // (already reported).
    bool showLedger(const LedgerInput &input);

    AppState &m_state;
    frmStockGraph::Source m_chartWindow;
    std::optional<LedgerInput> m_shown; // what the last Find asked for, while its figures show
    QPointer<frmStockGraph> m_chart; // where Graph drew the ledger shown
    LedgerChartInput m_chartInput; // the dates and captions Graph drew with
    QString m_shownAccount; // the name of the account the last Find listed
};

} // namespace bc
