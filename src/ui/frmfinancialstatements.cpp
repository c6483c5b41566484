#include "frmfinancialstatements.h"

#include "appstate.h"
#include "dateentry.h"
#include "dates.h"
#include "dberror.h"
#include "financialreport.h"
#include "frmaccountledger.h"
#include "frmreportviewer.h"
#include "frmtransaction.h"
#include "screenmessages.h"
#include "screenparts.h"
#include "settingsnotifier.h"
#include "statementchart.h"
#include "waitcursor.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <utility>

namespace bc {

namespace {

// Where each figure of the tree comes from: the index of its line, and per
// tree column the statement's column and whether it is the compared figure.
constexpr int LineRole = Qt::UserRole;

struct FigureColumn {
    std::size_t column;
    bool compared;
};

std::vector<std::optional<FigureColumn>> figureColumns(const FinancialStatement &statement)
{
    std::vector<std::optional<FigureColumn>> columns{std::nullopt}; // the account's name
    for (std::size_t c = 0; c < statement.columns.size(); ++c) {
        columns.push_back(FigureColumn{c, false});
        if (statement.isCompared()) {
            columns.push_back(FigureColumn{c, true});
            columns.push_back(std::nullopt); // change
            columns.push_back(std::nullopt); // change in percent
        }
    }
    return columns;
}

// A column's title in the book's date order: the balance sheet's day, or
// the first and last day.
QString columnTitle(const FinancialStatement &statement, const DateRange &range, bool isTotal,
                    const QString &dateFormat)
{
    if (isTotal)
        return QStringLiteral("Total");
    const QString last = formatReportDate(range.last, dateFormat);
    return statement.kind == StatementKind::BalanceSheet
        ? last
        : formatReportDate(range.first, dateFormat) + QStringLiteral(" to ") + last;
}

// The transactions behind a total's figure: those of its accounts over the
// column's days.
TranSearch totalSearch(const FinancialLine &total, const DateRange &range)
{
    TranSearch search;
    search.applyDates = range.first.isValid();
    search.fromDate = range.first;
    search.toDate = range.last;
    search.anySide = QList<AccountKey>(total.accounts.begin(), total.accounts.end());
    return search;
}

} // namespace

frmFinancialStatements::frmFinancialStatements(AppState &state, LedgerSource ledger, frmStockGraph::Source chartWindow,
                                               TransactionsSource transactions, QWidget *parent)
    : QWidget(parent)
    , m_state(state)
    , m_ledger(std::move(ledger))
    , m_transactions(std::move(transactions))
    , m_chartWindow(std::move(chartWindow))
{
    setObjectName(QStringLiteral("frmFinancialStatements"));
    setWindowTitle(QStringLiteral("Financial Statements"));
    buildControls();
    followDateFormat(m_state, this, {dtpFromDate, dtpToDate});
    dtpFromDate->setDate(m_state.settings.defaultFromDate(m_state.today()));
    dtpToDate->setDate(m_state.today());
    cboKind->setFocus();
}

void frmFinancialStatements::buildControls()
{
    Frame1 = new QGroupBox(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    const auto combo = [this](const char *name, const QList<std::pair<QString, int>> &items) {
        auto *box = new QComboBox(Frame1);
        box->setObjectName(QLatin1String(name));
        for (const auto &[text, value] : items)
            box->addItem(text, value);
        return box;
    };
    lblKind = makeLabel(Frame1, "lblKind", QStringLiteral("Statement"));
    cboKind = combo("cboKind",
                    {{QStringLiteral("Income Statement"), int(StatementKind::IncomeStatement)},
                     {QStringLiteral("Balance Sheet"), int(StatementKind::BalanceSheet)},
                     {QStringLiteral("Cash Flow"), int(StatementKind::CashFlow)}});
    lblFromDate = makeLabel(Frame1, "lblFromDate", QStringLiteral("From Date"));
    dtpFromDate = new DateEntry(Frame1);
    dtpFromDate->setObjectName(QStringLiteral("dtpFromDate"));
    lblToDate = makeLabel(Frame1, "lblToDate", QStringLiteral("To Date"));
    dtpToDate = new DateEntry(Frame1);
    dtpToDate->setObjectName(QStringLiteral("dtpToDate"));
    lblPeriod = makeLabel(Frame1, "lblPeriod", QStringLiteral("Period"));
    cboPeriod = combo("cboPeriod",
                      {{QStringLiteral("Whole range"), int(PeriodLength::Whole)},
                       {QStringLiteral("Month"), int(PeriodLength::Month)},
                       {QStringLiteral("Quarter"), int(PeriodLength::Quarter)},
                       {QStringLiteral("Year"), int(PeriodLength::Year)}});
    lblCompare = makeLabel(Frame1, "lblCompare", QStringLiteral("Compare with"));
    cboCompare = combo("cboCompare",
                       {{QStringLiteral("Nothing"), int(Comparison::None)},
                        {QStringLiteral("Previous period"), int(Comparison::PreviousPeriod)},
                        {QStringLiteral("A year before"), int(Comparison::YearBefore)}});
    for (const auto &[label, field] : {std::pair<QLabel *, QWidget *>{lblKind, cboKind},
                                       {lblPeriod, cboPeriod},
                                       {lblCompare, cboCompare},
                                       {lblFromDate, dtpFromDate},
                                       {lblToDate, dtpToDate}})
        label->setBuddy(field);
    cmdFind = makeButton(Frame1, "cmdFind", QStringLiteral("&Find"));
    // Two rows, so the window fits a small screen: what and how, then when.
    auto *search = new QGridLayout(Frame1);
    const QList<QList<QWidget *>> rows{{lblKind, cboKind, lblPeriod, cboPeriod, lblCompare, cboCompare},
                                       {lblFromDate, dtpFromDate, lblToDate, dtpToDate, cmdFind}};
    for (int r = 0; r < rows.size(); ++r)
        for (int c = 0; c < rows[r].size(); ++c)
            search->addWidget(rows[r][c], r, c);
    search->setColumnStretch(6, 1);
    const QList<QWidget *> tabOrder{cboKind, cboPeriod, cboCompare, dtpFromDate, dtpToDate, cmdFind};
    for (int i = 1; i < tabOrder.size(); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);
    runFindOnEnter(cmdFind, {cboKind, dtpFromDate, dtpToDate, cboPeriod, cboCompare});

    tvwStatement = new QTreeWidget(this);
    tvwStatement->setObjectName(QStringLiteral("tvwStatement"));
    tvwStatement->setAccessibleName(QStringLiteral("Statement"));
    tvwStatement->setSelectionBehavior(QAbstractItemView::SelectItems);
    tvwStatement->setUniformRowHeights(true);
    tvwStatement->setHeaderLabels({QStringLiteral("Account")});
    // Each column as wide as its figures: a stretched last column would
    // push its figures away from its heading.
    tvwStatement->header()->setStretchLastSection(false);
    tvwStatement->installEventFilter(this);
    connect(tvwStatement, &QTreeWidget::itemDoubleClicked, this, &frmFinancialStatements::OpenFigure);

    lblWarning = makeLabel(this, "lblWarning", QString());
    lblWarning->setWordWrap(true);
    cmdChart = makeButton(this, "cmdChart", QStringLiteral("&Chart"));
    cmdPrint = makeButton(this, "cmdPrint", QStringLiteral("&Print"));
    cmdQuit = makeButton(this, "cmdQuit", QStringLiteral("&Quit"));
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(lblWarning, 1);
    bottom->addWidget(cmdChart);
    bottom->addWidget(cmdPrint);
    bottom->addWidget(cmdQuit);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Frame1);
    layout->addWidget(tvwStatement, 1);
    layout->addLayout(bottom);
    resize(960, 560);

    connect(cmdFind, &QPushButton::clicked, this, &frmFinancialStatements::Find);
    connect(cmdChart, &QPushButton::clicked, this, &frmFinancialStatements::Chart);
    connect(cmdPrint, &QPushButton::clicked, this, &frmFinancialStatements::Print);
    connect(cmdQuit, &QPushButton::clicked, this, &QWidget::close);
}

std::vector<StatementColumn> frmFinancialStatements::askedColumns() const
{
    const auto kind = StatementKind(cboKind->currentData().toInt());
    const auto period = PeriodLength(cboPeriod->currentData().toInt());
    const auto comparison = Comparison(cboCompare->currentData().toInt());
    const DateRange range{dtpFromDate->date(), dtpToDate->date()};
    if (kind != StatementKind::BalanceSheet)
        return periodColumns(range, period, comparison);
    // The balance sheet at the end of each period.
    std::vector<StatementColumn> columns;
    for (const DateRange &piece : splitRange(range, period)) {
        const std::optional<QDate> comparedAt = comparison == Comparison::None
            ? std::nullopt
            : std::optional<QDate>(comparedRange(piece, period, comparison).last);
        columns.push_back(balanceSheetColumn(piece.last, comparedAt, m_state.settings.finYearStart));
    }
    return columns;
}

void frmFinancialStatements::Find()
{
    if (!datesReadable(m_state, {dtpFromDate, dtpToDate}))
        return;
    if (dtpToDate->date() < dtpFromDate->date()) {
        m_state.messages->show(this, MsgIcon::Warning, QStringLiteral("Invalid data"),
                               QStringLiteral("The To Date is before the From Date."), QMessageBox::Ok,
                               QMessageBox::Ok);
        return;
    }
    showStatement(StatementKind(cboKind->currentData().toInt()), askedColumns());
}

bool frmFinancialStatements::showStatement(StatementKind kind, const std::vector<StatementColumn> &columns)
{
    m_shown = std::make_pair(kind, columns);
    QString failure;
    {
        WaitCursor wait;
        try {
            m_statement = computeStatement(m_state.book, kind, columns);
        } catch (const DbError &e) {
            failure = e.description();
            m_statement = FinancialStatement();
        }
        fillTree();
    }
    if (!failure.isEmpty())
        reportDbFailure(m_state, this, failure);
    return failure.isEmpty();
}

void frmFinancialStatements::fillTree()
{
    tvwStatement->clear();
    QStringList titles{QStringLiteral("Account")};
    for (const StatementColumn &column : m_statement.columns) {
        titles << columnTitle(m_statement, column.range, column.isTotal, m_state.dateFormat());
        if (column.compared)
            titles << columnTitle(m_statement, *column.compared, false, m_state.dateFormat())
                   << QStringLiteral("Change") << QStringLiteral("Change %");
    }
    tvwStatement->setColumnCount(int(titles.size()));
    tvwStatement->setHeaderLabels(titles);
    QTreeWidgetItem *section = nullptr;
    for (std::size_t i = 0; i < m_statement.lines.size(); ++i) {
        const FinancialLine &line = m_statement.lines[i];
        const QStringList cells = QStringList{line.account} + financialFigureTexts(m_statement, line);
        if (line.isTotal) {
            section = nullptr;
        } else if (!section || section->text(0) != line.section) {
            section = new QTreeWidgetItem(tvwStatement, {line.section});
            section->setFirstColumnSpanned(true);
            section->setExpanded(true);
        }
        auto *item = line.isTotal ? new QTreeWidgetItem(tvwStatement, cells) : new QTreeWidgetItem(section, cells);
        item->setData(0, LineRole, qulonglong(i));
        for (int c = 1; c < cells.size(); ++c)
            item->setTextAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
        if (line.isTotal) {
            QFont bold = item->font(0);
            bold.setBold(true);
            for (int c = 0; c < cells.size(); ++c)
                item->setFont(c, bold);
        }
    }
    tvwStatement->header()->resizeSections(QHeaderView::ResizeToContents);
    lblWarning->setText(m_statement.warnings.join(u' '));
    if (QTreeWidgetItem *first = tvwStatement->topLevelItem(0))
        tvwStatement->setCurrentItem(first->childCount() ? first->child(0) : first, 1);
}

void frmFinancialStatements::OpenFigure(QTreeWidgetItem *item, int treeColumn)
{
    if (!item || !item->data(0, LineRole).isValid())
        return;
    const FinancialLine &line = m_statement.lines.at(std::size_t(item->data(0, LineRole).toULongLong()));
    const std::vector<std::optional<FigureColumn>> columns = figureColumns(m_statement);
    if (treeColumn < 0 || std::size_t(treeColumn) >= columns.size() || !columns[std::size_t(treeColumn)])
        return;
    const FigureColumn figure = *columns[std::size_t(treeColumn)];
    const StatementColumn &column = m_statement.columns.at(figure.column);
    const DateRange range = figure.compared ? *column.compared : column.range;
    if (line.isTotal) {
        if (!line.accounts.empty() && m_transactions)
            if (frmTransaction *transactions = m_transactions())
                transactions->ShowSearch(totalSearch(line, range),
                                         line.account + QStringLiteral(", ") + statementTitle(m_statement.kind));
        return;
    }
    if (line.side == AccountSide::Account && m_ledger)
        if (frmAccountLedger *ledger = m_ledger())
            ledger->ShowAccount(line.id, range.first, range.last);
}

void frmFinancialStatements::Print()
{
    if (!m_shown)
        Find();
    if (m_shown && !m_statement.columns.empty())
        (new frmReportViewer(m_state))->FormShow(FinancialReportData{m_statement, m_state.settings.currency});
}

void frmFinancialStatements::Chart()
{
    if (!m_shown)
        Find();
    if (m_shown)
        m_chart = frmStockGraph::Present(computeStatementChart(m_statement, m_state.settings.currency,
                                                               m_state.dateFormat()),
                                         m_chartWindow, *m_state.messages, this);
}

void frmFinancialStatements::reloadRows()
{
    if (m_shown && showStatement(m_shown->first, m_shown->second) && m_chart && m_chart->showsChartOf(this))
        m_chart->Fill(computeStatementChart(m_statement, m_state.settings.currency, m_state.dateFormat()));
}

bool frmFinancialStatements::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == tvwStatement && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            OpenFigure(tvwStatement->currentItem(), tvwStatement->currentColumn());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace bc
