#include "frmtransaction.h"

#include "reconciliation.h"

#include "appstate.h"
#include "datagrid.h"
#include "dateentry.h"
#include "dates.h"
#include "dberror.h"
#include "frmreportviewer.h"
#include "keptsearch.h"
#include "keyboard.h"
#include "keyfilters.h"
#include "reconciliation.h"
#include "reportdata.h"
#include "rowarraymodel.h"
#include "screenmessages.h"
#include "screenparts.h"
#include "textroutines.h"
#include "waitcursor.h"

#include <QCheckBox>
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

// What a list of the accounts ShowSearch was given holds, for the status
// line: the dates and the other fields are those shown.
QString anySideText(const QString &caption, const TranSearch &search, const QString &dateFormat)
{
    const QString what = QStringLiteral("The transactions of the accounts in %1").arg(caption);
    if (!search.applyDates)
        return what + QStringLiteral("; Blank lists by the fields alone.");
    return QStringLiteral("%1, %2 to %3; Blank lists by the fields alone.")
        .arg(what, formatUserDate(search.fromDate, dateFormat), formatUserDate(search.toDate, dateFormat));
}

} // namespace

frmTransaction::frmTransaction(AppState &state, QWidget *parent)
    : EditableListWindow(state, parent)
    , tdbgTran(new DataGrid(new RowArrayModel(makeTranRows(), tranColumns(state.dateFormat())), this))
    , TranRows(tdbgTran->rows())
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
    LoadLists();
    Find();
    // The grid, made first, comes after the search in the tab order; the
    // window opens in its first box.
    setTabOrder(cmdBlank, tdbgTran);
    chkApply->setFocus();
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
        return box;
    };
    cboFromAcc = combo("cboFromAcc");
    cboToAcc = combo("cboToAcc");
    backTabTo(cboFromAcc, chkApply);
    backTabTo(cboToAcc, cboFromAcc);
    txtAmount1 = makeAmountBound(fraSearch, "txtAmount1");
    txtAmount2 = makeAmountBound(fraSearch, "txtAmount2");
    txtparticulars = new QLineEdit(fraSearch);
    txtparticulars->setObjectName(QStringLiteral("txtparticulars"));
    installApostropheFilter(txtparticulars);

    QGridLayout *grid = makeSearchGrid(fraSearch, 1, 4);
    addCaptioned(grid, 0, 0, QStringLiteral("From A/C"), cboFromAcc);
    addCaptioned(grid, 0, 2, QStringLiteral("To A/C"), cboToAcc);
    addCaptioned(grid, 0, 4, QStringLiteral("Particulars"), txtparticulars);
    addCaptioned(grid, 1, 0, QStringLiteral("Amount >"), txtAmount1);
    addCaptioned(grid, 1, 2, QStringLiteral("Amount <"), txtAmount2);
    runFindOnEnter(cmdFind,
                   {chkApply, dtpFromDate, dtpToDate, cboFromAcc, cboToAcc, txtAmount1, txtAmount2, txtparticulars});
}

void frmTransaction::buildGrid()
{
    tdbgTran->setObjectName(QStringLiteral("tdbgTran"));
    tdbgTran->setAccessibleName(QStringLiteral("Transactions"));
    tdbgTran->enterHandler = [this] { GridEnterNextRow(tdbgTran, TranCol::Date); };
    reportUnlistedEntries(m_state, tdbgTran);
    tdbgTran->typingLimitReached = [this](int column, int limit) {
        lblStatus->setText(typingLimitText(m_model->column(column).caption, limit));
    };
    connect(m_model, &RowArrayModel::rowAdded, this, &frmTransaction::onRowAdded);
    connect(m_model, &RowArrayModel::cellUpdated, this, &frmTransaction::onCellUpdated);
    connect(tdbgTran->horizontalHeader(), &QHeaderView::sectionClicked, this, &frmTransaction::sortByColumn);

    cmdprint = makeButton(this, "cmdprint", QStringLiteral("&Print"));
    QHBoxLayout *bottom = makeCycleControls(QStringLiteral("Total Amount"), {cmdprint});

    auto *dates = new QHBoxLayout;
    dates->addWidget(chkApply);
    dates->addWidget(makeCaption(dtpFromDate, QStringLiteral("From Date")));
    dates->addWidget(dtpFromDate);
    dates->addWidget(makeCaption(dtpToDate, QStringLiteral("To Date")));
    dates->addWidget(dtpToDate);
    dates->addStretch();
    QVBoxLayout *column = layOutBelowSearch(tdbgTran, bottom);
    column->insertLayout(0, dates);
    column->insertWidget(1, fraSearch);
    resize(900, 560);
    connect(cmdprint, &QPushButton::clicked, this, &frmTransaction::Print);

    GridEditSession::WindowPart part;
    part.write = [this](const QList<LoadedRow> &deleted) { return write(deleted); };
    part.relist = [this] { listSearch(); };
    part.reload = [this] { reloadRows(); };
    part.unwritten = [this] {
        if (m_addingUpStopped)
            addUpInBackground();
    };
    startSession(tdbgTran, {TranCol::Id, TranCol::Version, TranCol::Status, TranCol::Date},
                 {dtpFromDate, dtpToDate, cboFromAcc, cboToAcc, txtAmount1, txtAmount2, txtparticulars, cmdFind,
                  cmdBlank, cmdEdit, cmdprint, cmdQuit, cmdSave, cmdCancel},
                 std::move(part), QStringLiteral("transactions"));
}

void frmTransaction::LoadLists()
{
    cboFromAcc->clear();
    cboToAcc->clear();
    QList<QPair<QVariant, QString>> values;
    try {
        for (const AccountChoice &a : transactionAccounts(m_state.book)) {
            const QVariantList item{a.id, a.name, QVariant::fromValue(a.side)};
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
        s.fromSide = item.value(2).value<AccountSide>();
    }
    if (const int i = chosenItem(cboToAcc); i >= 0) {
        const QVariantList item = cboToAcc->itemData(i).toList();
        s.toAccount = item.value(0).toLongLong();
        s.toSide = item.value(2).value<AccountSide>();
    }
    s.amount1 = txtAmount1->text();
    s.amount2 = txtAmount2->text();
    s.particulars = txtparticulars->text();
    s.anySide = m_anySide;
    return s;
}

void frmTransaction::ShowSearch(const TranSearch &search, const QString &caption)
{
    if (m_session->isEditing()) {
        m_state.messages->information(this, QStringLiteral("Transactions"),
                                      QStringLiteral("Save or cancel the changes in the list first, then open the "
                                                     "figure again."));
        return;
    }
    Blank();
    chkApply->setChecked(search.applyDates);
    if (search.applyDates) {
        dtpFromDate->setDate(search.fromDate);
        dtpToDate->setDate(search.toDate);
    }
    const auto choose = [](QComboBox *box, qint64 id, AccountSide side) {
        for (int i = 0; id != 0 && i < box->count(); ++i) {
            const QVariantList item = box->itemData(i).toList();
            if (item.value(0).toLongLong() == id && item.value(2).value<AccountSide>() == side)
                box->setCurrentIndex(i);
        }
    };
    choose(cboFromAcc, search.fromAccount, search.fromSide);
    choose(cboToAcc, search.toAccount, search.toSide);
    txtAmount1->setText(search.amount1);
    txtAmount2->setText(search.amount2);
    txtparticulars->setText(search.particulars);
    m_anySide = search.anySide;
    m_anySideCaption = caption;
    setWindowTitle(QStringLiteral("Transactions - ") + caption);
    SortOrder = SortDirection::Ascending;
    m_order = TranOrder();
    listSearch();
    tdbgTran->setFocus();
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
    else if (m_search.anySide)
        lblStatus->setText(anySideText(m_anySideCaption, m_search, m_state.dateFormat()));
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
    if (m_anySide) {
        m_anySide.reset();
        setWindowTitle(QStringLiteral("Transactions"));
    }
    m_totals.reset();
    ++m_searchNumber;
    dropList();
}

GridSaveOutcome frmTransaction::write(const QList<LoadedRow> &deleted)
{
    try {
        const QList<ReconciledSide> reconciled = reconciledSidesASaveChanges(m_state.book, TranRows, idsOf(deleted));
        if (!reconciled.isEmpty()
            && m_state.messages->question(this, QStringLiteral("Transactions"),
                                          reconciledChangeQuestion(reconciled, m_state.dateFormat()))
                != QMessageBox::Yes)
            return GridSaveOutcome::notSaved(GridSaveOutcome::Kind::Refused, {}, {});
    } catch (const DbError &e) {
        return GridSaveOutcome::notSaved(GridSaveOutcome::Kind::Failed, QStringLiteral("Transactions"),
                                         e.description());
    }
    QList<QDate> savedDates; // of the rows a save writes, in the order of its ids
    for (int r = 0; r < TranRows.rowCount(); ++r)
        if (TranRows.editMarkAt(r, TranCol::Status) == EditMark::Changed)
            savedDates << TranRows.dateAt(r, TranCol::Date);
    // A book is written only while nobody reads it: adding up stops first,
    // to start again after a save that wrote nothing (Find after one that did).
    m_addingUpStopped = m_totals != nullptr;
    m_totals.reset();
    ++m_searchNumber;
    const TranSaveResult result = saveTransactions(m_state.book, TranRows, QDateTime::currentDateTime(), deleted);
    using Kind = GridSaveOutcome::Kind;
    switch (result.outcome) {
    case TranSaveResult::Outcome::Refused:
        return GridSaveOutcome::notSaved(Kind::Refused, result.title, result.text, result.refusedRow);
    case TranSaveResult::Outcome::ChangedByOthers:
        return GridSaveOutcome::notSaved(Kind::ChangedByOthers, result.title, result.text);
    case TranSaveResult::Outcome::Failed: return GridSaveOutcome::notSaved(Kind::Failed, result.title, result.text);
    case TranSaveResult::Outcome::Saved: break;
    }
    return GridSaveOutcome::saved([this, result, savedDates] { return savedText(result, savedDates); });
}

// What the save did, and how many of the saved rows the reloaded list does
// not show: outside the dates searched, or left out by the other criteria.
QString frmTransaction::savedText(const TranSaveResult &result, const QList<QDate> &savedDates)
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
    return saveStatusText(result.savedIds.size(), result.deletedCount,
                          {{outsideDates, QStringLiteral("the dates shown")},
                           {outsideSearch, QStringLiteral("the search shown")}});
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
    if (m_pager && !m_session->hasUnsavedEdits()) {
        readSearch(m_search, m_order);
        return;
    }
    m_model->fetchAll();
    TranRows.sortRows(column, SortOrder);
    m_model->rebind();
}

void frmTransaction::reloadRows()
{
    refillKeepingText({cboFromAcc, cboToAcc}, [this] { LoadLists(); });
    listSearch();
}

} // namespace bc
