#include "frmaccountledger.h"

#include "accounts.h"
#include "appstate.h"
#include "balancetext.h"
#include "datagrid.h"
#include "dateentry.h"
#include "dates.h"
#include "dberror.h"
#include "frmreportviewer.h"
#include "keyboard.h"
#include "ledgerchart.h"
#include "reportdata.h"
#include "screenmessages.h"
#include "screenparts.h"
#include "waitcursor.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <utility>

namespace bc {

namespace {

QLineEdit *balanceBox(QWidget *parent, const char *name)
{
    QLineEdit *box = makeAmountDisplay(parent, name);
    box->setMaximumWidth(130);
    return box;
}

} // namespace

frmAccountLedger::frmAccountLedger(AppState &state, frmStockGraph::Source chartWindow, QWidget *parent)
    : QWidget(parent)
    , LedgerRows(*new LedgerModel)
    , TDBGAccLdgr(new DataGrid(&LedgerRows, this))
    , m_state(state)
    , m_chartWindow(std::move(chartWindow))
{
    setObjectName(QStringLiteral("frmAccountLedger"));
    setWindowTitle(QStringLiteral("Account Ledger"));
    buildControls();
    followDateFormat(m_state, this, {dtpFromDate, dtpToDate});
    LoadAccountList();
    CmdGraph->setEnabled(false);
    // The grid, made first, comes after the search in the tab order; the
    // window opens in the Account box.
    setTabOrder(cmdClear, TDBGAccLdgr);
    cboAccount->setFocus();
}

void frmAccountLedger::buildControls()
{
    Frame3 = new QGroupBox(this);
    Frame3->setObjectName(QStringLiteral("Frame3"));
    Label1 = makeLabel(Frame3, "Label1", QStringLiteral("Account"));
    cboAccount = new QComboBox(Frame3);
    cboAccount->setObjectName(QStringLiteral("cboAccount"));
    cboAccount->setMinimumWidth(220);
    cboAccount->installEventFilter(this);
    lblFromDate = makeLabel(Frame3, "lblFromDate", QStringLiteral("From Date"));
    dtpFromDate = new DateEntry(Frame3);
    dtpFromDate->setObjectName(QStringLiteral("dtpFromDate"));
    lblToDate = makeLabel(Frame3, "lblToDate", QStringLiteral("To Date"));
    dtpToDate = new DateEntry(Frame3);
    dtpToDate->setObjectName(QStringLiteral("dtpToDate"));
    Label1->setBuddy(cboAccount);
    lblFromDate->setBuddy(dtpFromDate);
    lblToDate->setBuddy(dtpToDate);
    cmdFind = makeButton(Frame3, "cmdFind", QStringLiteral("&Find"));
    cmdClear = makeButton(Frame3, "cmdClear", QStringLiteral("&Blank"));
    auto *search = new QHBoxLayout(Frame3);
    for (QWidget *w : std::initializer_list<QWidget *>{Label1, cboAccount, lblFromDate, dtpFromDate, lblToDate,
                                                       dtpToDate, cmdFind, cmdClear})
        search->addWidget(w);
    search->addStretch();
    runFindOnEnter(cmdFind, {cboAccount, dtpFromDate, dtpToDate});

    TDBGAccLdgr->setObjectName(QStringLiteral("TDBGAccLdgr"));
    TDBGAccLdgr->setAccessibleName(QStringLiteral("Ledger"));
    TDBGAccLdgr->horizontalHeader()->setMinimumHeight(2 * TDBGAccLdgr->fontMetrics().lineSpacing() + 8);

    lblOpenAmount = makeLabel(this, "lblOpenAmount", QStringLiteral("Opening Balance"));
    txtOpenAmount = balanceBox(this, "txtOpenAmount");
    lblopenFlag = makeLabel(this, "lblopenFlag", QString());
    lblBalAmount = makeLabel(this, "lblBalAmount", QStringLiteral("Closing Balance"));
    txtBalanceAmount = balanceBox(this, "txtBalanceAmount");
    lblcloseflag = makeLabel(this, "lblcloseflag", QString());
    for (QLabel *flag : {lblopenFlag, lblcloseflag})
        flag->setMinimumWidth(flag->fontMetrics().horizontalAdvance(QStringLiteral("(Credit)")) + 4);
    cmdprint = makeButton(this, "cmdprint", QStringLiteral("&Print"));
    CmdGraph = makeButton(this, "CmdGraph", QStringLiteral(" &Graph"));
    cmdQuit = makeButton(this, "cmdQuit", QStringLiteral("&Quit"));

    auto *bottom = new QHBoxLayout;
    for (QWidget *w : std::initializer_list<QWidget *>{cmdprint, CmdGraph, cmdQuit})
        bottom->addWidget(w);
    bottom->addStretch();
    for (QWidget *w : std::initializer_list<QWidget *>{lblOpenAmount, txtOpenAmount, lblopenFlag})
        bottom->addWidget(w);
    bottom->addSpacing(16);
    for (QWidget *w : std::initializer_list<QWidget *>{lblBalAmount, txtBalanceAmount, lblcloseflag})
        bottom->addWidget(w);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Frame3);
    layout->addWidget(TDBGAccLdgr, 1);
    layout->addLayout(bottom);
    resize(900, 520);

    connect(cmdFind, &QPushButton::clicked, this, &frmAccountLedger::Find);
    connect(cmdClear, &QPushButton::clicked, this, &frmAccountLedger::Blank);
    connect(CmdGraph, &QPushButton::clicked, this, &frmAccountLedger::Graph);
    connect(cmdprint, &QPushButton::clicked, this, &frmAccountLedger::Print);
    connect(cmdQuit, &QPushButton::clicked, this, &QWidget::close);
}

void frmAccountLedger::LoadAccountList()
{
    cboAccount->clear();
    dtpFromDate->setDate(m_state.settings.defaultFromDate(m_state.today()));
    dtpToDate->setDate(m_state.today());
    m_shown.reset();
    LedgerRows.show({});
    try {
        for (const IdName &account : accountNames(m_state.book)) {
            cboAccount->addItem(account.name.trimmed(), account.id);
            cboAccount->setItemData(cboAccount->count() - 1, QStringLiteral("A"), Qt::UserRole + 1);
        }
    } catch (const DbError &e) {
        reportDbFailure(m_state, this, e.description());
    }
    cboAccount->setCurrentIndex(-1);
}

void frmAccountLedger::showBalances(const LedgerResult &ledger)
{
    txtOpenAmount->setText(ledger.openingBalance.abs().toPlain());
    lblopenFlag->setText(balanceFlag(ledger.openingBalance));
    txtBalanceAmount->setText(ledger.closingBalance.abs().toPlain());
    lblcloseflag->setText(balanceFlag(ledger.closingBalance));
}

void frmAccountLedger::Find()
{
    if (!datesReadable(m_state, {dtpFromDate, dtpToDate}))
        return;
    LedgerInput input;
    if (cboAccount->currentIndex() != -1)
        input.accountId = cboAccount->currentData().toLongLong();
    input.fromDate = dtpFromDate->date();
    input.toDate = dtpToDate->date();
    input.finYearStart = m_state.settings.finYearStart;
    m_shownAccount = cboAccount->currentIndex() != -1 ? cboAccount->currentText() : QString();
    LedgerRows.column(LedgerModel::DateColumn).datePattern = reportDatePattern(m_state.dateFormat());
    showLedger(input);
}

void frmAccountLedger::ShowAccount(qint64 accountId, const QDate &from, const QDate &to)
{
    cboAccount->setCurrentIndex(cboAccount->findData(accountId));
    dtpFromDate->setDate(from);
    dtpToDate->setDate(to);
    Find();
}

bool frmAccountLedger::showLedger(const LedgerInput &input)
{
    m_shown = input;
    QString failure;
    {
        WaitCursor wait;
        // Nothing of a failed run is shown, and there is nothing to draw.
        LedgerResult ledger;
        try {
            ledger = computeLedger(m_state.book, input);
        } catch (const DbError &e) {
            failure = e.description();
        }
        LedgerRows.show(std::move(ledger));
        showBalances(LedgerRows.result());
        CmdGraph->setEnabled(failure.isEmpty());
    }
    if (!failure.isEmpty())
        reportDbFailure(m_state, this, failure);
    return failure.isEmpty();
}

void frmAccountLedger::Blank()
{
    dtpFromDate->setDate(m_state.settings.defaultFromDate(m_state.today()));
    dtpToDate->setDate(m_state.today());
    cboAccount->setCurrentIndex(-1);
    txtOpenAmount->setText(QStringLiteral("0.00"));
    lblopenFlag->clear();
    lblcloseflag->clear();
    CmdGraph->setEnabled(false);
    txtBalanceAmount->setText(QStringLiteral("0.00"));
    m_shown.reset();
    LedgerRows.show({});
}

void frmAccountLedger::Graph()
{
    m_chartInput = {dtpFromDate->date(), dtpToDate->date(), m_state.dateFormat(), m_state.settings.currency,
                    m_shownAccount};
    ChartData chart;
    try {
        WaitCursor wait;
        chart = computeLedgerChart(m_state.book, LedgerRows.result(), m_chartInput);
    } catch (const DbError &e) {
        reportDbFailure(m_state, this, e.description());
        return;
    }
    m_chart = frmStockGraph::Present(chart, m_chartWindow, *m_state.messages, this);
}

void frmAccountLedger::reloadRows()
{
    if (!m_shown || !showLedger(*m_shown) || !m_chart || !m_chart->showsChartOf(this))
        return;
    try {
        m_chart->Fill(computeLedgerChart(m_state.book, LedgerRows.result(), m_chartInput));
    } catch (const DbError &e) {
        reportDbFailure(m_state, this, e.description());
    }
}

bool frmAccountLedger::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == cboAccount && event->type() == QEvent::KeyPress
        && ComboTabToGrid(TDBGAccLdgr, static_cast<QKeyEvent *>(event)))
        return true;
    return QWidget::eventFilter(watched, event);
}

} // namespace bc

namespace bc {

void frmAccountLedger::Print()
{
    // The printed balances are those the boxes show, with their sides.
    LedgerReportHeader header;
    header.account = cboAccount->currentText();
    header.fromDate = dtpFromDate->date();
    header.toDate = dtpToDate->date();
    header.openingBalance = LedgerRows.result().openingBalance;
    header.closingBalance = LedgerRows.result().closingBalance;
    (new frmReportViewer(m_state))->FormShow(LedgerReportData{LedgerRows.result(), header});
}

} // namespace bc
