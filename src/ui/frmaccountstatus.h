#pragma once

#include "bookrowsscreen.h"
#include "frmstockgraph.h"
#include "summarychart.h"
#include "summarymodel.h"

#include <QPointer>
#include <QWidget>
#include <optional>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;

namespace bc {

struct AppState;
class DataGrid;
class DateEntry;

// The account summary: the opening amount, movement and balance of every
// chosen account over a date range, with column totals, sorting and two
// bar charts.
class frmAccountStatus : public QWidget, public BookRowsScreen {
    Q_OBJECT
public:
    // The columns of lstAccount: the name shown, the rest hidden.
    enum ListColumn { NameColumn, FlagColumn, IdColumn, TypeColumn, ListColumnCount };

    // chartWindow gives the chart window that the chart buttons fill.
    explicit frmAccountStatus(AppState &state, frmStockGraph::Source chartWindow = {}, QWidget *parent = nullptr);
    ~frmAccountStatus() override;

    QComboBox *cboAccType; // item data: the class's type codes, as "1,3"
    QTreeWidget *lstAccount;
    DateEntry *dtpFromDate;
    DateEntry *dtpToDate;
    QGroupBox *Frame2;
    QLineEdit *txtOpen1;
    QLineEdit *txtOpen2;
    QLineEdit *txtBal1;
    QLineEdit *txtBal2;
    QPushButton *cmdFind;
    QPushButton *cmdBlank;
    SummaryModel &SummaryRows; // the grid's model, holding the figures shown in the grid's order
    DataGrid *tdbgAccounts;
    QLineEdit *txtTotalOpen;
    QLineEdit *txtTotalTran;
    QLineEdit *txtTotalBal;
    QPushButton *cmdBalanceGraph;
    QPushButton *cmdTransactionGraph;
    QPushButton *cmdprint;
    QPushButton *cmdQuit;

    SortDirection SortOrder = SortDirection::Ascending; // direction of the next grid sort

    void SelectAll(bool selected);
    void Find();
    void Blank();
    // Hands the rows as they stand to a new report viewer.
    void Print();
    void BalanceGraph() { drawChart(SummaryChartKind::Balance); }
    void TransactionGraph() { drawChart(SummaryChartKind::Transaction); }
    // Reads the figures afresh for the accounts, dates and bounds of the
    // last Find, and the chart drawn from them; nothing before a Find.
    void reloadRows() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    QWidget *buildTotals();
    void LoadLists();
    void selectClass(int index);
    void sortList();
    void sortGrid(int column);
    void placeTotals();
    QVariant rowColour(int row) const;
    void drawChart(SummaryChartKind kind);
    // Computes and shows the summary input asks for; false when it failed
    // (already reported).
    bool showSummary(const SummaryInput &input);

    AppState &m_state;
    frmStockGraph::Source m_chartWindow;
    Qt::SortOrder m_listOrder = Qt::AscendingOrder;
    QWidget *m_totalsRow = nullptr;
    QLabel *m_totalsLabel = nullptr;
    std::optional<SummaryInput> m_shown; // what the last Find asked for, while its figures show
    QPointer<frmStockGraph> m_chart; // where a chart button drew the rows shown
    SummaryChartInput m_chartInput; // the kind and dates it drew with
};

} // namespace bc
