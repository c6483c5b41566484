#include "frmaccountstatus.h"

#include "accountclasses.h"
#include "accounts.h"
#include "appstate.h"
#include "datagrid.h"
#include "dateentry.h"
#include "dberror.h"
#include "frmreportviewer.h"
#include "keyfilters.h"
#include "legiblecolour.h"
#include "reportdata.h"
#include "screenmessages.h"
#include "screenparts.h"
#include "summary.h"
#include "textroutines.h"
#include "waitcursor.h"

#include <QColor>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QScrollBar>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <utility>

namespace bc {

namespace {

QLineEdit *lineEdit(QWidget *parent, const char *name)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    return edit;
}

QLineEdit *totalBox(QWidget *parent, const char *name)
{
    QLineEdit *box = makeAmountDisplay(parent, name);
    box->setText(QStringLiteral("0.00"));
    return box;
}

} // namespace

frmAccountStatus::frmAccountStatus(AppState &state, frmStockGraph::Source chartWindow, QWidget *parent)
    : QWidget(parent)
    , SummaryRows(*new SummaryModel)
    , tdbgAccounts(new DataGrid(&SummaryRows, this))
    , m_state(state)
    , m_chartWindow(std::move(chartWindow))
{
    setObjectName(QStringLiteral("frmAccountStatus"));
    setWindowTitle(QStringLiteral("Account Summary"));
    buildControls();
    followDateFormat(m_state, this, {dtpFromDate, dtpToDate});
    Blank();
    LoadLists();
    SortOrder = SortDirection::Ascending;
    // The grid, made first, comes after the search in the tab order; the
    // window opens in the class box.
    setTabOrder(cmdBlank, tdbgAccounts);
    cboAccType->setFocus();
}

frmAccountStatus::~frmAccountStatus()
{
    // The grid's header reports its last changes while the base class tears
    // the children down; by then there are no totals left to place.
    m_totalsRow->removeEventFilter(this);
    tdbgAccounts->horizontalHeader()->disconnect(this);
    tdbgAccounts->horizontalScrollBar()->disconnect(this);
}

void frmAccountStatus::buildControls()
{
    cboAccType = new QComboBox(this);
    cboAccType->setObjectName(QStringLiteral("cboAccType"));
    lstAccount = new QTreeWidget(this);
    lstAccount->setObjectName(QStringLiteral("lstAccount"));
    lstAccount->setColumnCount(ListColumnCount);
    lstAccount->setHeaderLabels(QStringList(ListColumnCount, QString()));
    for (int c = FlagColumn; c < ListColumnCount; ++c)
        lstAccount->setColumnHidden(c, true);
    lstAccount->setRootIsDecorated(false);
    lstAccount->setUniformRowHeights(true);
    lstAccount->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lstAccount->header()->setSectionsClickable(true);
    // The names take the list's width, so no sideways scroll bar covers the
    // last of them.
    lstAccount->header()->setStretchLastSection(false);
    lstAccount->header()->setSectionResizeMode(NameColumn, QHeaderView::Stretch);
    lstAccount->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    lstAccount->setTextElideMode(Qt::ElideRight);
    lstAccount->setMinimumWidth(240);
    lstAccount->setAccessibleName(QStringLiteral("Accounts"));
    auto *classLabel = makeLabel(this, "lblAccType", QStringLiteral("Account Class"));
    classLabel->setBuddy(cboAccType);
    auto *classRow = new QHBoxLayout;
    classRow->addWidget(classLabel);
    classRow->addWidget(cboAccType, 1);
    auto *accounts = new QVBoxLayout;
    accounts->addLayout(classRow);
    accounts->addWidget(lstAccount, 1);

    dtpFromDate = new DateEntry(this);
    dtpFromDate->setObjectName(QStringLiteral("dtpFromDate"));
    dtpToDate = new DateEntry(this);
    dtpToDate->setObjectName(QStringLiteral("dtpToDate"));
    auto *dates = new QGridLayout;
    dates->addWidget(makeCaption(dtpFromDate, QStringLiteral("From ")), 0, 0);
    dates->addWidget(dtpFromDate, 0, 1);
    dates->addWidget(makeCaption(dtpToDate, QStringLiteral("To")), 0, 2);
    dates->addWidget(dtpToDate, 0, 3);

    Frame2 = new QGroupBox(QStringLiteral("Amount"), this);
    Frame2->setObjectName(QStringLiteral("Frame2"));
    txtOpen1 = lineEdit(Frame2, "txtOpen1");
    txtOpen2 = lineEdit(Frame2, "txtOpen2");
    txtBal1 = lineEdit(Frame2, "txtBal1");
    txtBal2 = lineEdit(Frame2, "txtBal2");
    installAmountCharacterFilter(txtOpen1);
    installAmountCharacterFilter(txtOpen2);
    auto *bounds = new QGridLayout(Frame2);
    bounds->addWidget(makeCaption(txtOpen1, QStringLiteral("Opening >")), 0, 0);
    bounds->addWidget(txtOpen1, 0, 1);
    bounds->addWidget(makeCaption(txtOpen2, QStringLiteral("Opening <")), 0, 2);
    bounds->addWidget(txtOpen2, 0, 3);
    bounds->addWidget(makeCaption(txtBal1, QStringLiteral("Balance  >")), 1, 0);
    bounds->addWidget(txtBal1, 1, 1);
    bounds->addWidget(makeCaption(txtBal2, QStringLiteral("Balance <")), 1, 2);
    bounds->addWidget(txtBal2, 1, 3);
    auto *range = new QVBoxLayout;
    range->addLayout(dates);
    range->addWidget(Frame2);
    range->addStretch();

    cmdFind = makeButton(this, "cmdFind", QStringLiteral("&Find"));
    cmdBlank = makeButton(this, "cmdBlank", QStringLiteral("&Blank"));
    auto *actions = new QVBoxLayout;
    actions->addWidget(cmdFind);
    actions->addWidget(cmdBlank);
    actions->addStretch();
    runFindOnEnter(cmdFind, {cboAccType, lstAccount, dtpFromDate, dtpToDate, txtOpen1, txtOpen2, txtBal1, txtBal2});

    auto *top = new QHBoxLayout;
    top->addLayout(accounts, 1);
    top->addLayout(range);
    top->addLayout(actions);

    tdbgAccounts->setObjectName(QStringLiteral("tdbgAccounts"));
    tdbgAccounts->setAccessibleName(QStringLiteral("Account balances"));
    SummaryRows.rowForeground = [this](int row) { return rowColour(row); };

    cmdBalanceGraph = makeButton(this, "cmdBalanceGraph", QStringLiteral("Balance &Graph"));
    cmdTransactionGraph = makeButton(this, "cmdTransactionGraph", QStringLiteral("Tr&ansaction Graph"));
    cmdprint = makeButton(this, "cmdprint", QStringLiteral("&Print"));
    cmdQuit = makeButton(this, "cmdQuit", QStringLiteral("&Quit"));
    auto *bottom = new QHBoxLayout;
    for (QPushButton *b : {cmdBalanceGraph, cmdTransactionGraph, cmdprint, cmdQuit})
        bottom->addWidget(b);
    bottom->addStretch();

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(tdbgAccounts, 1);
    layout->addWidget(buildTotals());
    layout->addLayout(bottom);
    resize(900, 600);

    connect(cboAccType, &QComboBox::currentIndexChanged, this, &frmAccountStatus::selectClass);
    connect(lstAccount->header(), &QHeaderView::sectionClicked, this, &frmAccountStatus::sortList);
    connect(lstAccount, &QTreeWidget::itemDoubleClicked, this, &frmAccountStatus::Find);
    connect(tdbgAccounts->horizontalHeader(), &QHeaderView::sectionClicked, this, &frmAccountStatus::sortGrid);
    connect(cmdFind, &QPushButton::clicked, this, &frmAccountStatus::Find);
    connect(cmdBlank, &QPushButton::clicked, this, &frmAccountStatus::Blank);
    connect(cmdBalanceGraph, &QPushButton::clicked, this, &frmAccountStatus::BalanceGraph);
    connect(cmdTransactionGraph, &QPushButton::clicked, this, &frmAccountStatus::TransactionGraph);
    connect(cmdprint, &QPushButton::clicked, this, &frmAccountStatus::Print);
    connect(cmdQuit, &QPushButton::clicked, this, &QWidget::close);
}

// The three total boxes sit under the columns they add up, following them as
// the columns are resized or scrolled.
QWidget *frmAccountStatus::buildTotals()
{
    m_totalsRow = new QWidget(this);
    m_totalsLabel = new QLabel(QStringLiteral("Total Balance"), m_totalsRow);
    txtTotalOpen = totalBox(m_totalsRow, "txtTotalOpen");
    txtTotalTran = totalBox(m_totalsRow, "txtTotalTran");
    txtTotalBal = totalBox(m_totalsRow, "txtTotalBal");
    m_totalsRow->setFixedHeight(txtTotalOpen->sizeHint().height());
    m_totalsRow->installEventFilter(this);
    QHeaderView *header = tdbgAccounts->horizontalHeader();
    connect(header, &QHeaderView::sectionResized, this, &frmAccountStatus::placeTotals);
    connect(header, &QHeaderView::geometriesChanged, this, &frmAccountStatus::placeTotals);
    connect(tdbgAccounts->horizontalScrollBar(), &QScrollBar::valueChanged, this, &frmAccountStatus::placeTotals);
    return m_totalsRow;
}

void frmAccountStatus::placeTotals()
{
    QHeaderView *header = tdbgAccounts->horizontalHeader();
    const int height = m_totalsRow->height();
    const int columns[] = {SummaryGridColumn::OpeningColumn, SummaryGridColumn::MovementColumn,
                           SummaryGridColumn::BalanceColumn};
    QLineEdit *boxes[] = {txtTotalOpen, txtTotalTran, txtTotalBal};
    for (int i = 0; i < 3; ++i) {
        const QPoint left = tdbgAccounts->viewport()->mapTo(this,
                                                            QPoint(header->sectionViewportPosition(columns[i]), 0));
        boxes[i]->setGeometry(m_totalsRow->mapFrom(this, left).x(), 0, header->sectionSize(columns[i]), height);
    }
    const int labelWidth = m_totalsLabel->sizeHint().width();
    m_totalsLabel->setGeometry(std::max(0, txtTotalOpen->x() - labelWidth - 8), 0, labelWidth, height);
}

bool frmAccountStatus::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_totalsRow && (event->type() == QEvent::Resize || event->type() == QEvent::Show))
        placeTotals();
    return QWidget::eventFilter(watched, event);
}

void frmAccountStatus::LoadLists()
{
    dtpFromDate->setDate(m_state.settings.defaultFromDate(m_state.today()));
    dtpToDate->setDate(m_state.today());
    {
        const QSignalBlocker block(cboAccType);
        cboAccType->clear();
        for (const AccountClass &accountClass : accountClasses())
            cboAccType->addItem(accountClass.name);
        cboAccType->setCurrentIndex(-1);
    }
    lstAccount->clear();
    try {
        const AccountFindResult all = findAccounts(m_state.book, QString(), QString(), QString());
        QList<QTreeWidgetItem *> items;
        for (int r = 0; r < all.rows.rowCount(); ++r)
            items << new QTreeWidgetItem(QStringList{all.rows.textAt(r, AccountCol::Name), QStringLiteral("A"),
                                                     all.rows.textAt(r, AccountCol::Id),
                                                     all.rows.textAt(r, AccountCol::Type)});
        lstAccount->addTopLevelItems(items);
        // A current item, not selected, shows where the focus is.
        if (!items.isEmpty())
            lstAccount->setCurrentItem(items.first(), 0, QItemSelectionModel::NoUpdate);
    } catch (const DbError &e) {
        reportDbFailure(m_state, this, e.description());
    }
}

void frmAccountStatus::SelectAll(bool selected)
{
    if (selected)
        lstAccount->selectAll();
    else
        lstAccount->clearSelection();
}

void frmAccountStatus::selectClass(int index)
{
    SelectAll(false);
    if (index < 0)
        return;
    const AccountClass &accountClass = accountClasses().at(index);
    QItemSelection selection;
    QAbstractItemModel *model = lstAccount->model();
    for (int i = 0; i < lstAccount->topLevelItemCount(); ++i) {
        if (accountClass.includes(typeCodeOf(lstAccount->topLevelItem(i)->text(TypeColumn))))
            selection.select(model->index(i, 0), model->index(i, ListColumnCount - 1));
    }
    lstAccount->selectionModel()->select(selection, QItemSelectionModel::Select);
}

void frmAccountStatus::sortList()
{
    m_listOrder = m_listOrder == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder;
    lstAccount->sortItems(NameColumn, m_listOrder);
    lstAccount->header()->setSortIndicatorShown(true);
    lstAccount->header()->setSortIndicator(NameColumn, m_listOrder);
}

void frmAccountStatus::Find()
{
    if (!datesReadable(m_state, {dtpFromDate, dtpToDate}))
        return;
    SummaryInput input;
    for (int i = 0; i < lstAccount->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *item = lstAccount->topLevelItem(i);
        if (!item->isSelected())
            continue;
        const QString flag = item->text(FlagColumn);
        input.accounts.push_back({item->text(IdColumn).toLongLong(),
                                  flag.isEmpty() ? AccountSide::Account : sideOfLetter(flag[0]),
                                  item->text(NameColumn)});
    }
    input.fromDate = dtpFromDate->date();
    input.toDate = dtpToDate->date();
    input.finYearStart = m_state.settings.finYearStart;
    input.openingAbove = txtOpen1->text();
    input.openingBelow = txtOpen2->text();
    input.balanceAbove = txtBal1->text();
    input.balanceBelow = txtBal2->text();
    showSummary(input);
}

bool frmAccountStatus::showSummary(const SummaryInput &input)
{
    m_shown = input;
    QString failure;
    {
        WaitCursor wait;
        SummaryResult summary;
        try {
            summary = computeSummary(m_state.book, input);
        } catch (const DbError &e) {
            failure = e.description();
        }
        txtTotalOpen->setText(summary.totalOpening.toPlain());
        txtTotalTran->setText(summary.totalMovement.toPlain());
        txtTotalBal->setText(summary.totalBalance.toPlain());
        SummaryRows.show(std::move(summary));
        SortOrder = SortDirection::Ascending;
    }
    if (!failure.isEmpty())
        reportDbFailure(m_state, this, failure);
    return failure.isEmpty();
}

void frmAccountStatus::Blank()
{
    m_shown.reset();
    SummaryRows.show({});
    for (QLineEdit *bound : {txtOpen1, txtOpen2, txtBal1, txtBal2})
        bound->clear();
    for (QLineEdit *total : {txtTotalOpen, txtTotalTran, txtTotalBal})
        total->setText(QStringLiteral("0.00"));
}

void frmAccountStatus::sortGrid(int column)
{
    SortOrder = toggled(SortOrder);
    WaitCursor wait;
    // The listed rows themselves are sorted, so the printed summary and the
    // charts read them in the order the grid shows.
    SummaryRows.sortRows(column, SortOrder);
}

// The built-in accounts in red, other accounts in blue, parties in green,
// each lightened where the grid is dark.
QVariant frmAccountStatus::rowColour(int row) const
{
    const SummaryRow &listed = SummaryRows.row(row);
    const QColor base = tdbgAccounts->palette().color(QPalette::Base);
    if (listed.side == AccountSide::Account)
        return legibleOn(isBuiltInAccountName(listed.name) ? Qt::red : Qt::blue, base);
    if (listed.side == AccountSide::Party)
        return legibleOn(Qt::green, base);
    return {};
}

void frmAccountStatus::drawChart(SummaryChartKind kind)
{
    m_chartInput = {kind, dtpFromDate->date(), dtpToDate->date(), m_state.settings.currency, m_state.dateFormat()};
    m_chart = frmStockGraph::Present(computeSummaryChart(SummaryRows.result().listed, m_chartInput), m_chartWindow,
                                     *m_state.messages, this);
}

void frmAccountStatus::reloadRows()
{
    if (!m_shown || !showSummary(*m_shown))
        return;
    if (m_chart && m_chart->showsChartOf(this))
        m_chart->Fill(computeSummaryChart(SummaryRows.result().listed, m_chartInput));
}

} // namespace bc

namespace bc {

void frmAccountStatus::Print()
{
    // Selected rows print in the order they were selected; none selected
    // prints every row.
    QList<int> selected;
    for (const QModelIndex &index : tdbgAccounts->selectionModel()->selectedRows())
        selected << index.row();
    (new frmReportViewer(m_state))
        ->FormShow(SummaryReportData{SummaryRows.result(), selected, dtpFromDate->date(), dtpToDate->date()});
}

} // namespace bc
