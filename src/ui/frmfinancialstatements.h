#pragma once

#include "bookrowsscreen.h"
#include "financialstatements.h"
#include "frmstockgraph.h"

#include <QPointer>
#include <QWidget>
#include <functional>
#include <optional>

class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace bc {

struct AppState;
class DateEntry;
class frmAccountLedger;
class frmTransaction;

// The income statement, balance sheet or cash flow over a date range, by
// period and compared, as a tree of sections and accounts that folds. Enter
// or a double click on an account's figure opens the Account Ledger of that
// account over that column's days, on a total's figure the Transactions
// window listing the transactions of the total's accounts over those days.
// The statement prints through the report
// viewer and draws as a chart in the chart window.
class frmFinancialStatements : public QWidget, public BookRowsScreen {
    Q_OBJECT
public:
    using LedgerSource = std::function<frmAccountLedger *()>;
    using TransactionsSource = std::function<frmTransaction *()>;
    explicit frmFinancialStatements(AppState &state, LedgerSource ledger = {}, frmStockGraph::Source chartWindow = {},
                                    TransactionsSource transactions = {}, QWidget *parent = nullptr);

    QGroupBox *Frame1;
    QLabel *lblKind;
    QComboBox *cboKind; // item data: the StatementKind
    QLabel *lblFromDate;
    DateEntry *dtpFromDate;
    QLabel *lblToDate;
    DateEntry *dtpToDate; // the balance sheet's day
    QLabel *lblPeriod;
    QComboBox *cboPeriod; // item data: the PeriodLength
    QLabel *lblCompare;
    QComboBox *cboCompare; // item data: the Comparison
    QPushButton *cmdFind;
    QTreeWidget *tvwStatement;
    QLabel *lblWarning;
    QPushButton *cmdChart;
    QPushButton *cmdPrint;
    QPushButton *cmdQuit;

    // The statement the last Find showed.
    const FinancialStatement &statement() const { return m_statement; }

    void Find();
    // Opens the ledger behind the figure of an account line in a column of
    // the tree, or the transactions behind a total's figure; a party, a
    // total no account's movements make up, or a name opens nothing.
    void OpenFigure(QTreeWidgetItem *item, int treeColumn);
    // Opens the report viewer on the statement shown (found first when none
    // is), to print it or save it as PDF.
    void Print();
    // Draws the chart of the statement shown (found first when none is) in
    // the chart window.
    void Chart();
    void reloadRows() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    std::vector<StatementColumn> askedColumns() const;
    bool showStatement(StatementKind kind, const std::vector<StatementColumn> &columns);
    void fillTree();

    AppState &m_state;
    LedgerSource m_ledger;
    TransactionsSource m_transactions;
    frmStockGraph::Source m_chartWindow;
    QPointer<frmStockGraph> m_chart; // where Chart drew the statement shown
    FinancialStatement m_statement;
    std::optional<std::pair<StatementKind, std::vector<StatementColumn>>> m_shown;
};

} // namespace bc
