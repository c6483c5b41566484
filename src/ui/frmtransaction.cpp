#include "frmtransaction.h"

#include "appstate.h"
#include "datagrid.h"
#include "dateentry.h"
#include "dates.h"
#include "dberror.h"
#include "frmreportviewer.h"
#include "keptsearch.h"
#include "keyboard.h"
#include "keyfilters.h"
#include "reportdata.h"
#include "rowarraymodel.h"
#include "screenparts.h"
#include "stageddeletions.h"
#include "textroutines.h"
#include "waitcursor.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QVBoxLayout>

namespace bc {

namespace {

// Rows read from the book at a time: the first screen and a few more.
constexpr int TranPageRows = 200;

// The grid's dates are shown in the report pattern of the book's format
// and typed in its order.
void setDateFormat(GridColumn &column, const QString &dateFormat)
{
    column.datePattern = reportDatePattern(dateFormat);
    column.userDateFormat = dateFormat;
}

QList<GridColumn> tranColumns(const QString &dateFormat)
{
    using F = GridColumn::Format;
    QList<GridColumn> c(TranCol::Count);
    c[TranCol::Id] = GridColumn::hiddenColumn(QStringLiteral("Tran_ID"));
    c[TranCol::Date] = GridColumn::shown(QStringLiteral("Date"), F::Date, true);
    setDateFormat(c[TranCol::Date], dateFormat);
    c[TranCol::Date].width = 95;
    c[TranCol::To] = GridColumn::shown(QStringLiteral(" Credit [To (A/C) ]"), F::ValueList, true);
    c[TranCol::To].width = 170;
    c[TranCol::From] = GridColumn::shown(QStringLiteral(" Debit [ From (A/C) ]"), F::ValueList, true);
    c[TranCol::From].width = 170;
    c[TranCol::Amount] = GridColumn::shown(QStringLiteral("Amount"), F::Standard, true);
    c[TranCol::Amount].width = 110;
    c[TranCol::Particulars] = GridColumn::shown(QStringLiteral("Particulars"), F::Plain, true);
    c[TranCol::Particulars].maxLength = 32;
    c[TranCol::Particulars].discardApostrophes = true;
    c[TranCol::Status] = GridColumn::hiddenColumn(QStringLiteral("Status"));
    c[TranCol::Version] = GridColumn::hiddenColumn(QStringLiteral("Version"));
    return c;
}

// The chosen item of an account box: the selected item, or the item whose
// name was typed exactly; -1 for anything else.
int chosenItem(const QComboBox *box)
{
    const int typed = box->findText(box->currentText().trimmed(), Qt::MatchFixedString | Qt::MatchCaseSensitive);
    return box->currentText().trimmed().isEmpty() ? -1 : typed;
}

// What the status line says when typing into a cell reaches the most its
// column holds, so the keys that go nowhere are explained.
QString typingLimitText(const QString &caption, int limit)
{
    return QStringLiteral("%1: %2 of %2 characters, the most a transaction holds").arg(caption.trimmed()).arg(limit);
}

// What the status line says after a Find that listed nothing: the dates it
// searched, and how to look further.
QString emptyFindText(const TranSearch &search, const QString &dateFormat)
{
    if (!search.applyDates)
        return QStringLiteral("No transactions match the search; Blank clears its fields.");
    return QStringLiteral(
               "No transactions from %1 to %2. For more, set an earlier From Date or untick Apply Date on Search, "
               "then Find.")
        .arg(formatUserDate(search.fromDate, dateFormat), formatUserDate(search.toDate, dateFormat));
}

} // namespace

frmTransaction::frmTransaction(AppState &state, QWidget *parent)
    : QWidget(parent)
    , tdbgTran(new DataGrid(new RowArrayModel(makeTranRows(), tranColumns(state.dateFormat())), this))
    , TranRows(tdbgTran->rows())
    , m_state(state)
    , m_model(tdbgTran->rowModel())
{
    setObjectName(QStringLiteral("frmTransaction"));
    setWindowTitle(QStringLiteral("Transactions"));
    buildSearchPanel();
    buildGrid();

    const QDate today = m_state.today();
    followDateFormat(m_state, this, {dtpFromDate, dtpToDate});
    connect(&m_state.notifier, &SettingsNotifier::dateFormatChanged, this, [this](const QString &format) {
        setDateFormat(m_model->column(TranCol::Date), format);
        tdbgTran->viewport()->update();
    });
    dtpFromDate->setDate(today.addDays(-7));
    dtpToDate->setDate(today);
    chkApply->setChecked(true);
    SortOrder = SortDirection::Ascending;
    SetMode(QStringLiteral("V"));
    LoadLists();
    Find();
    // The grid, made first, comes after the search in the tab order; the
    // window opens in its first box.
    setTabOrder(cmdBlank, tdbgTran);
    chkApply->setFocus();
}

frmTransaction::~frmTransaction()
{
    tdbgTran->dropOpenEditor();
}

void frmTransaction::buildSearchPanel()
{
    chkApply = new QCheckBox(QStringLiteral("&Apply Date on Search"), this);
    chkApply->setObjectName(QStringLiteral("chkApply"));
    dtpFromDate = new DateEntry(this);
    dtpFromDate->setObjectName(QStringLiteral("dtpFromDate"));
    dtpToDate = new DateEntry(this);
    dtpToDate->setObjectName(QStringLiteral("dtpToDate"));

    fraSearch = new QGroupBox(this);
    fraSearch->setObjectName(QStringLiteral("fraSearch"));
    const auto combo = [this](const char *name) {
        QComboBox *box = makeAccountFilterBox(fraSearch, name);
        box->setMinimumWidth(150);
        box->installEventFilter(this);
        return box;
    };
    cboFromAcc = combo("cboFromAcc");
    cboToAcc = combo("cboToAcc");
    const auto edit = [this](const char *name) {
        auto *line = new QLineEdit(fraSearch);
        line->setObjectName(QLatin1String(name));
        return line;
    };
    txtAmount1 = edit("txtAmount1");
    txtAmount2 = edit("txtAmount2");
    txtparticulars = edit("txtparticulars");
    installAmountKeyFilter(txtAmount1);
    installAmountKeyFilter(txtAmount2);
    installApostropheFilter(txtparticulars);
    cmdFind = makeButton(fraSearch, "cmdFind", QStringLiteral("&Find"));
    cmdBlank = makeButton(fraSearch, "cmdBlank", QStringLiteral("&Blank"));

    auto *grid = new QGridLayout(fraSearch);
    grid->addWidget(new QLabel(QStringLiteral("From A/C"), fraSearch), 0, 0);
    grid->addWidget(cboFromAcc, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("To A/C"), fraSearch), 0, 2);
    grid->addWidget(cboToAcc, 0, 3);
    grid->addWidget(new QLabel(QStringLiteral("Particulars"), fraSearch), 0, 4);
    grid->addWidget(txtparticulars, 0, 5);
    grid->addWidget(new QLabel(QStringLiteral("Amount >"), fraSearch), 1, 0);
    grid->addWidget(txtAmount1, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("Amount <"), fraSearch), 1, 2);
    grid->addWidget(txtAmount2, 1, 3);
    grid->addWidget(cmdFind, 1, 4);
    grid->addWidget(cmdBlank, 1, 5);
    runFindOnEnter(cmdFind,
                   {chkApply, dtpFromDate, dtpToDate, cboFromAcc, cboToAcc, txtAmount1, txtAmount2, txtparticulars});

    connect(cmdFind, &QPushButton::clicked, this, &frmTransaction::Find);
    connect(cmdBlank, &QPushButton::clicked, this, &frmTransaction::Blank);
}

void frmTransaction::buildGrid()
{
    tdbgTran->setObjectName(QStringLiteral("tdbgTran"));
    tdbgTran->beforeDelete = [this](int row) { return stageDeletion(row); };
    tdbgTran->enterHandler = [this] { GridEnterNextRow(tdbgTran, TranCol::Date); };
    reportUnlistedEntries(m_state, tdbgTran);
    tdbgTran->typingLimitReached = [this](int column, int limit) {
        lblStatus->setText(typingLimitText(m_model->column(column).caption, limit));
    };
    connect(m_model, &RowArrayModel::rowAdded, this, &frmTransaction::onRowAdded);
    connect(m_model, &RowArrayModel::cellUpdated, this, &frmTransaction::onCellUpdated);
    connect(m_model, &RowArrayModel::removalUndone, this,
            [this](int row) { unstageDeletion(m_deletedIds, TranRows.intAt(row, TranCol::Id)); });
    connect(tdbgTran->horizontalHeader(), &QHeaderView::sectionClicked, this, &frmTransaction::sortByColumn);

    cmdEdit = makeButton(this, "cmdEdit", QStringLiteral("&Edit/New"));
    cmdSave = makeButton(this, "cmdSave", QStringLiteral("&Save"));
    cmdCancel = makeButton(this, "cmdCancel", QStringLiteral("&Cancel"));
    cmdprint = makeButton(this, "cmdprint", QStringLiteral("&Print"));
    cmdQuit = makeButton(this, "cmdQuit", QStringLiteral("&Quit"));
    lbltotal = makeTotalLabel(this);
    lblStatus = makeStatusLabel(this);

    auto *dates = new QHBoxLayout;
    dates->addWidget(chkApply);
    dates->addWidget(new QLabel(QStringLiteral("From Date"), this));
    dates->addWidget(dtpFromDate);
    dates->addWidget(new QLabel(QStringLiteral("To Date"), this));
    dates->addWidget(dtpToDate);
    dates->addStretch();
    QHBoxLayout *bottom = makeButtonRow({cmdEdit, cmdSave, cmdCancel, cmdprint, cmdQuit},
                                        QStringLiteral("Total Amount"), lbltotal);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(dates);
    layout->addWidget(fraSearch);
    layout->addWidget(tdbgTran, 1);
    layout->addWidget(lblStatus);
    layout->addLayout(bottom);
    resize(900, 560);

    connect(cmdEdit, &QPushButton::clicked, this, &frmTransaction::EditNew);
    connect(cmdSave, &QPushButton::clicked, this, &frmTransaction::Save);
    connect(cmdCancel, &QPushButton::clicked, this, &frmTransaction::Cancel);
    connect(cmdprint, &QPushButton::clicked, this, &frmTransaction::Print);
    connect(cmdQuit, &QPushButton::clicked, this, &QWidget::close);
}

void frmTransaction::SetMode(const QString &mode)
{
    if (mode != QLatin1String("V") && mode != QLatin1String("E"))
        return;
    m_mode = mode;
    const bool viewing = mode == QLatin1String("V");
    for (QWidget *w : QList<QWidget *>{dtpFromDate, dtpToDate, cboFromAcc, cboToAcc, txtAmount1, txtAmount2,
                                       txtparticulars, cmdFind, cmdBlank, cmdEdit, cmdprint, cmdQuit})
        w->setEnabled(viewing);
    cmdEdit->setEnabled(viewing && m_state.book.mayWrite());
    cmdSave->setEnabled(!viewing);
    cmdCancel->setEnabled(!viewing);
    m_model->setEditable(!viewing);
    if (viewing)
        clearChangedElsewhere(lblStatus);
    emit m_state.notifier.editCycleChanged();
}

void frmTransaction::LoadLists()
{
    cboFromAcc->clear();
    cboToAcc->clear();
    QList<QPair<QVariant, QString>> values;
    try {
        for (const AccountChoice &a : transactionAccounts(m_state.book)) {
            const QVariantList item{a.id, a.name, a.flag.trimmed()};
            cboFromAcc->addItem(a.name, item);
            cboToAcc->addItem(a.name, item);
            values.append({QVariant(a.key()), a.name});
        }
    } catch (const DbError &e) {
        reportDbFailure(m_state, this, e.description());
    }
    cboFromAcc->setCurrentIndex(-1);
    cboToAcc->setCurrentIndex(-1);
    m_model->column(TranCol::To).valueList = values;
    m_model->column(TranCol::From).valueList = values;
}

TranSearch frmTransaction::searchCriteria() const
{
    TranSearch s;
    s.applyDates = chkApply->isChecked();
    s.fromDate = dtpFromDate->date();
    s.toDate = dtpToDate->date();
    if (const int i = chosenItem(cboFromAcc); i >= 0) {
        const QVariantList item = cboFromAcc->itemData(i).toList();
        s.fromAccount = item.value(0).toLongLong();
        s.fromFlag = item.value(2).toString();
    }
    if (const int i = chosenItem(cboToAcc); i >= 0) {
        const QVariantList item = cboToAcc->itemData(i).toList();
        s.toAccount = item.value(0).toLongLong();
        s.toFlag = item.value(2).toString();
    }
    s.amount1 = txtAmount1->text();
    s.amount2 = txtAmount2->text();
    s.particulars = txtparticulars->text();
    return s;
}

void frmTransaction::Find()
{
    if (!settleAccountFilter(m_state, cboFromAcc, QStringLiteral("From A/C"))
        || !settleAccountFilter(m_state, cboToAcc, QStringLiteral("To A/C"))
        || (chkApply->isChecked() && !datesReadable(m_state, {dtpFromDate, dtpToDate})))
        return;
    SortOrder = SortDirection::Ascending;
    m_order = TranOrder();
    listSearch();
}

void frmTransaction::listSearch()
{
    WaitCursor wait;
    lblStatus->clear();
    m_totals.reset();
    ++m_searchNumber;
    lbltotal->setText(QStringLiteral("0.00"));
    if (!readSearch(searchCriteria(), m_order))
        return;
    if (TranRows.rowCount() == 0)
        lblStatus->setText(emptyFindText(m_search, m_state.dateFormat()));
    if (m_pager->atEnd()) {
        // The whole search fits the first page: its rows give the figures.
        try {
            showTotals(totalsOf(TranRows));
        } catch (const DbError &e) {
            dropList();
            reportDbFailure(m_state, this, e.description());
        }
        return;
    }
    addUpInBackground();
}

void frmTransaction::addUpInBackground()
{
    const quint64 number = ++m_searchNumber;
    lbltotal->setText(QStringLiteral("\u2026"));
    // Called in the thread that adds up; handed to this window's thread.
    const auto deliver = [this, number](const TranTotalsOutcome &outcome) {
        const auto arrived = [this, number, outcome] { totalsArrived(number, outcome); };
        QMetaObject::invokeMethod(this, arrived, Qt::QueuedConnection);
    };
    m_totals = std::make_unique<TranTotalsInBackground>(m_state.book.path(), m_search, deliver);
}

void frmTransaction::showTotals(const TranFindTotals &totals)
{
    lbltotal->setText(totals.total.toPlain());
    if (totals.nullAmounts > 0)
        m_state.messages->show(this, MsgIcon::Warning, QStringLiteral("Transactions"),
                               QStringLiteral("%1 of the transactions found have no amount; they are shown empty "
                                              "and count as 0 in the total.")
                                   .arg(totals.nullAmounts),
                               QMessageBox::Ok, QMessageBox::Ok);
}

void frmTransaction::totalsArrived(quint64 searchNumber, const TranTotalsOutcome &outcome)
{
    if (searchNumber != m_searchNumber)
        return; // a later Find or Blank replaced that search
    m_totals.reset();
    if (outcome.error.isEmpty()) {
        showTotals(outcome.totals);
        return;
    }
    lbltotal->setText(QStringLiteral("0.00"));
    reportDbFailure(m_state, this, outcome.error);
}

bool frmTransaction::readSearch(const TranSearch &search, const TranOrder &order)
{
    TranRows.clear();
    m_pager.reset();
    m_search = search;
    try {
        m_pager = std::make_unique<TranPager>(m_state.book, search, order);
        m_pager->fetch(TranRows, TranPageRows);
    } catch (const DbError &e) {
        dropList();
        reportDbFailure(m_state, this, e.description());
        return false;
    }
    if (m_pager->atEnd())
        m_model->rebind();
    else
        m_model->setPageSource([this](RowArray &page, int count) { return readPage(page, count); }, TranPageRows);
    return true;
}

void frmTransaction::dropList()
{
    TranRows.clear();
    m_pager.reset();
    m_model->rebind();
    lbltotal->setText(QStringLiteral("0.00"));
}

int frmTransaction::readPage(RowArray &page, int count)
{
    try {
        return m_pager->fetch(page, count);
    } catch (const DbError &e) {
        reportDbFailure(m_state, this, e.description());
        return 0;
    }
}

void frmTransaction::Blank()
{
    for (QComboBox *box : {cboFromAcc, cboToAcc}) {
        box->setCurrentIndex(-1);
        box->setEditText(QString());
    }
    txtAmount1->clear();
    txtAmount2->clear();
    txtparticulars->clear();
    m_totals.reset();
    ++m_searchNumber;
    dropList();
}

void frmTransaction::EditNew()
{
    m_deletedIds.clear();
    lblStatus->clear();
    SetMode(QStringLiteral("E"));
    tdbgTran->setFocus();
}

void frmTransaction::Cancel()
{
    tdbgTran->commitEdit();
    m_deletedIds.clear();
    SetMode(QStringLiteral("V"));
    listSearch();
}

void frmTransaction::Save()
{
    tdbgTran->commitEdit();
    if (!confirmDeletions(m_state, this, m_deletedIds.size(), QStringLiteral("transactions"))) {
        lblStatus->setText(deletionsKeptText());
        tdbgTran->setFocus();
        return;
    }
    QList<QDate> savedDates; // of the rows a save writes, in the order of its ids
    for (int r = 0; r < TranRows.rowCount(); ++r)
        if (TranRows.editMarkAt(r, TranCol::Status) == EditMark::Changed)
            savedDates << TranRows.dateAt(r, TranCol::Date);
    // A book is written only while nobody reads it: adding up stops first,
    // to start again after a save that wrote nothing (Find after one that did).
    const bool addingUp = m_totals != nullptr;
    m_totals.reset();
    ++m_searchNumber;
    TranSaveResult result;
    {
        WaitCursor wait;
        result = saveTransactions(m_state.book, TranRows, QDateTime::currentDateTime(), m_deletedIds);
    }
    switch (result.outcome) {
    case TranSaveResult::Outcome::Refused:
        if (addingUp)
            addUpInBackground();
        m_state.messages->critical(this, result.title, result.text);
        tdbgTran->setCurrentIndex(m_model->index(result.refusedRow, TranCol::Date));
        return;
    case TranSaveResult::Outcome::ChangedByOthers:
        if (offerReload(m_state, this, result.title, result.text))
            Cancel();
        else if (addingUp)
            addUpInBackground();
        return;
    case TranSaveResult::Outcome::Failed:
        if (addingUp)
            addUpInBackground();
        m_deletedIds.clear(); // dropped, so they cannot surprise a later save
        m_state.messages->show(this, MsgIcon::None, result.title, result.text, QMessageBox::Ok, QMessageBox::Ok);
        SetMode(QStringLiteral("V"));
        return;
    case TranSaveResult::Outcome::Saved:
        m_deletedIds.clear();
        reloadRows();
        SetMode(QStringLiteral("V"));
        showSaved(result, savedDates);
        emit m_state.notifier.bookChanged(this);
        return;
    }
}

// Says on the status line what the save did, and how many of the saved rows
// the reloaded list does not show: outside the dates searched, or left out
// by the other criteria.
void frmTransaction::showSaved(const TranSaveResult &result, const QList<QDate> &savedDates)
{
    const TranSearch search = searchCriteria();
    QSet<qint64> listed;
    try {
        listed = transactionsFoundAmong(m_state.book, search, result.savedIds);
    } catch (const DbError &e) {
        reportDbFailure(m_state, this, e.description());
    }
    qsizetype outsideDates = 0, outsideSearch = 0;
    for (qsizetype i = 0; i < result.savedIds.size(); ++i) {
        if (listed.contains(result.savedIds[i]))
            continue;
        const QDate date = savedDates.value(i);
        if (search.applyDates && (date < search.fromDate || date > search.toDate))
            ++outsideDates;
        else
            ++outsideSearch;
    }
    lblStatus->setText(saveStatusText(result.savedIds.size(), result.deletedCount,
                                      {{outsideDates, QStringLiteral("the dates shown")},
                                       {outsideSearch, QStringLiteral("the search shown")}}));
}

void frmTransaction::Print()
{
    tdbgTran->commitEdit();
    m_model->fetchAll();
    const Book &book = m_state.book;
    (new frmReportViewer(m_state))
        ->FormShow(transactionListData(
            TranRows, [&book](const AccountKey &key) { return GetAccName(book, key.toText()); },
            m_search.applyDates ? m_search.fromDate : QDate(), m_search.applyDates ? m_search.toDate : QDate()));
}

void frmTransaction::onRowAdded(int row, int column)
{
    TranRows.setInt(row, TranCol::Id, 0);
    TranRows.setEditMark(row, TranCol::Status, EditMark::Changed);
    if (column != TranCol::Date)
        TranRows.setDate(row, TranCol::Date, m_state.today());
}

void frmTransaction::onCellUpdated(int row, int column)
{
    if (column == TranCol::Date && !TranRows.dateAt(row, TranCol::Date).isValid())
        m_state.messages->critical(this, QStringLiteral("Error"), QStringLiteral("Invalid Date"));
    if (column == TranCol::To || column == TranCol::From) {
        const QString to = NullToText(TranRows.textAt(row, TranCol::To));
        const QString from = NullToText(TranRows.textAt(row, TranCol::From));
        if (!to.isEmpty() && to == from)
            m_state.messages->critical(this, QStringLiteral("Error"), QStringLiteral("To A/c same as From A/c"));
    }
    TranRows.setEditMark(row, TranCol::Status, EditMark::Changed);
}

bool frmTransaction::stageDeletion(int row)
{
    // Kept by this window alone until Save: another window or program
    // working on the same book neither sees nor applies it.
    if (const qint64 id = TranRows.intAt(row, TranCol::Id); id > 0)
        m_deletedIds << LoadedRow(id, TranRows.intAt(row, TranCol::Version));
    return true;
}

// A header click lists the search again from its start in the new order;
// rows edited or deleted and not yet saved are kept by reading every row and
// sorting them where they are.
void frmTransaction::sortByColumn(int column)
{
    tdbgTran->commitEdit();
    SortOrder = toggled(SortOrder);
    WaitCursor wait;
    m_order = {column, SortOrder};
    if (m_pager && !hasUnsavedEdits()) {
        readSearch(m_search, m_order);
        return;
    }
    m_model->fetchAll();
    TranRows.sortRows(column, SortOrder);
    m_model->rebind();
}

bool frmTransaction::hasUnsavedEdits() const
{
    if (!m_deletedIds.isEmpty())
        return true;
    for (int r = 0; r < TranRows.rowCount(); ++r)
        if (TranRows.editMarkAt(r, TranCol::Status) == EditMark::Changed)
            return true;
    return false;
}

bool frmTransaction::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (watched == cboFromAcc && ComboTabToGrid(chkApply, key))
            return true;
        if (watched == cboToAcc && ComboTabToGrid(cboFromAcc, key))
            return true;
    }
    return QWidget::eventFilter(watched, event);
}

void frmTransaction::reloadRows()
{
    refillKeepingText({cboFromAcc, cboToAcc}, [this] { LoadLists(); });
    listSearch();
}

void frmTransaction::showBookNote(const QString &text)
{
    lblStatus->setText(text);
}

void frmTransaction::dropEdits()
{
    m_deletedIds.clear();
    SetMode(QStringLiteral("V"));
}

void frmTransaction::noteChangedElsewhere()
{
    showChangedElsewhere(lblStatus);
}

void frmTransaction::closeEvent(QCloseEvent *event)
{
    if (inEditCycle() && !confirmDiscardEdits(m_state, this, windowTitle())) {
        event->ignore();
        return;
    }
    event->accept();
}

} // namespace bc
