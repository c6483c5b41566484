#include "frmaccountmaster.h"

#include "accounts.h"
#include "appstate.h"
#include "balancetext.h"
#include "datagrid.h"
#include "dberror.h"
#include "keptsearch.h"
#include "keyboard.h"
#include "keyfilters.h"
#include "rowarraymodel.h"
#include "screenmessages.h"
#include "screenparts.h"
#include "textroutines.h"
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
#include <QSet>
#include <QVBoxLayout>
#include <algorithm>

namespace bc {

namespace {

QList<GridColumn> accountColumns()
{
    using F = GridColumn::Format;
    QList<GridColumn> c(AccountCol::Count);
    c[AccountCol::Id] = GridColumn::hiddenColumn(QStringLiteral("ID"));
    c[AccountCol::SerialNo] = GridColumn::shown(QStringLiteral("S.No."), F::Plain);
    c[AccountCol::SerialNo].width = 50;
    c[AccountCol::Name] = GridColumn::shown(QStringLiteral("Name"), F::Plain, true);
    c[AccountCol::Name].discardApostrophes = true;
    c[AccountCol::Name].width = 200;
    c[AccountCol::Type] = GridColumn::shown(QStringLiteral("Type"), F::ValueList, true);
    c[AccountCol::Type].width = 130;
    c[AccountCol::Opening] = GridColumn::shown(QStringLiteral("Opening Balance"), F::Standard, true);
    c[AccountCol::Opening].headerTip = QStringLiteral("-ve value stands for 'DEBIT'");
    c[AccountCol::Opening].width = 120;
    c[AccountCol::CurrentBalance] = GridColumn::hiddenColumn(QStringLiteral("Current Balance"));
    c[AccountCol::Particulars] = GridColumn::shown(QStringLiteral("Particulars"), F::Plain, true);
    c[AccountCol::Particulars].discardApostrophes = true;
    c[AccountCol::Status] = GridColumn::hiddenColumn(QStringLiteral("Status"));
    c[AccountCol::Version] = GridColumn::hiddenColumn(QStringLiteral("Version"));
    c[AccountCol::CashOrBank] = GridColumn::shown(QStringLiteral("Cash or bank"), F::Check, true);
    c[AccountCol::CashOrBank].headerTip = QStringLiteral("Ticked for an account whose money the Cash Flow follows");
    c[AccountCol::CashOrBank].width = 90;
    return c;
}

} // namespace

frmAccountMaster::frmAccountMaster(AppState &state, QWidget *parent)
    : EditableListWindow(state, parent)
    , tdbgAccounts(new DataGrid(new RowArrayModel(makeAccountRows(), accountColumns()), this))
    , AccountRows(tdbgAccounts->rows())
{
    setObjectName(QStringLiteral("frmAccountMaster"));
    setWindowTitle(QStringLiteral("Account Master"));
    buildControls();
    LoadLists();
    SortOrder = SortDirection::Ascending;
    lbltotal->setText(QStringLiteral("0.00"));
    Find();
    // The grid, made first, comes after the search in the tab order; the
    // window opens in the Account box.
    setTabOrder(cmdBlank, tdbgAccounts);
    cboAccount->setFocus();
}

void frmAccountMaster::buildControls()
{
    Frame1 = new QGroupBox(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    cboAccount = makeAccountFilterBox(Frame1, "cboAccount");
    cboAccount->setMinimumWidth(180);
    txtOpen1 = makeAmountBound(Frame1, "txtOpen1");
    txtOpen2 = makeAmountBound(Frame1, "txtOpen2");
    QGridLayout *search = makeSearchGrid(Frame1, 0, 6);
    addCaptioned(search, 0, 0, QStringLiteral("Account"), cboAccount);
    addCaptioned(search, 0, 2, QStringLiteral("Open Amount >"), txtOpen1);
    addCaptioned(search, 0, 4, QStringLiteral("Open Amount <"), txtOpen2);
    runFindOnEnter(cmdFind, {cboAccount, txtOpen1, txtOpen2});

    tdbgAccounts->setObjectName(QStringLiteral("tdbgAccounts"));
    tdbgAccounts->setAccessibleName(QStringLiteral("Accounts"));
    backTabTo(cboAccount, tdbgAccounts);
    m_model = tdbgAccounts->rowModel();
    m_model->cellTip = [this](int row, int column) {
        if (column != AccountCol::Opening)
            return QString();
        // The side the ledger and the summary give the same opening.
        return sideName(AccountRows.moneyAt(row, column));
    };
    tdbgAccounts->enterHandler = [this] { GridEnterNextRow(tdbgAccounts, AccountCol::Name); };
    reportUnlistedEntries(m_state, tdbgAccounts);
    connect(tdbgAccounts->horizontalHeader(), &QHeaderView::sectionClicked, this, &frmAccountMaster::sortByColumn);

    QHBoxLayout *bottom = makeCycleControls(QString());
    // The total is in the book's currency, whichever the settings name.
    auto *totalCaption = findChild<QLabel *>(QStringLiteral("lblTotalCaption"));
    const auto nameCurrency = [this, totalCaption] {
        totalCaption->setText(withCurrency(QStringLiteral("Total Amount"), m_state.settings.currency));
    };
    nameCurrency();
    connect(&m_state.notifier, &SettingsNotifier::bookChanged, totalCaption, nameCurrency);
    layOutBelowSearch(tdbgAccounts, bottom)->insertWidget(0, Frame1);
    resize(860, 480);

    GridEditSession::WindowPart part;
    part.write = [this](const QList<LoadedRow> &deleted) { return write(deleted); };
    part.relist = [this] { listAccounts(); };
    part.reload = [this] { reloadRows(); };
    part.mayEdit = [this](const QModelIndex &index) {
        return index.column() != AccountCol::Name || allowNameEdit(index.row());
    };
    startSession(tdbgAccounts, {AccountCol::Id, AccountCol::Version, AccountCol::Status, AccountCol::Name},
                 {cmdEdit, cmdSave, cmdCancel, cmdQuit, Frame1, cmdFind, cmdBlank}, std::move(part),
                 QStringLiteral("accounts"));
}

void frmAccountMaster::LoadLists()
{
    try {
        cboAccount->clear();
        for (const IdName &account : accountNames(m_state.book))
            cboAccount->addItem(account.name.trimmed(), account.id);
        cboAccount->setCurrentIndex(-1);
        QList<QPair<QVariant, QString>> types;
        for (const IdName &type : accountTypes(m_state.book))
            types.append({QVariant(qlonglong(type.id)), type.name});
        m_model->column(AccountCol::Type).valueList = types;
    } catch (const DbError &e) {
        reportDbFailure(m_state, this, e.description());
    }
}

void frmAccountMaster::Find()
{
    m_sortColumn = -1;
    listAccounts();
}

void frmAccountMaster::listAccounts()
{
    WaitCursor wait;
    lbltotal->setText(QStringLiteral("0.00"));
    lblStatus->clear();
    try {
        AccountFindResult found = findAccounts(m_state.book, cboAccount->currentText(), txtOpen1->text(),
                                               txtOpen2->text());
        AccountRows = std::move(found.rows);
        lbltotal->setText(found.total.toPlain());
    } catch (const DbError &e) {
        AccountRows.clear();
        reportDbFailure(m_state, this, e.description());
    }
    if (m_sortColumn >= 0)
        sortRows();
    m_model->rebind();
}

void frmAccountMaster::Blank()
{
    AccountRows.clear();
    m_model->rebind();
    txtOpen1->clear();
    txtOpen2->clear();
    cboAccount->setCurrentIndex(-1);
    cboAccount->setEditText(QString());
    lbltotal->setText(QStringLiteral("0.00"));
}

GridSaveOutcome frmAccountMaster::write(const QList<LoadedRow> &deleted)
{
    const AccountSaveResult result = saveAccounts(m_state.book, AccountRows, m_state.today(), deleted);
    if (result.outcome == AccountSaveResult::Outcome::ChangedByOthers)
        return GridSaveOutcome::notSaved(GridSaveOutcome::Kind::ChangedByOthers, result.title, result.text);
    if (!result.ok())
        return GridSaveOutcome::notSaved(GridSaveOutcome::Kind::Refused, result.title, result.text);
    // Says what the save did, and how many of the saved rows the filter
    // shown leaves out.
    const auto savedText = [this, result] {
        QSet<qint64> listed;
        for (int r = 0; r < AccountRows.rowCount(); ++r)
            listed.insert(AccountRows.intAt(r, AccountCol::Id));
        const auto hidden = std::count_if(result.savedIds.cbegin(), result.savedIds.cend(),
                                          [&](qint64 id) { return !listed.contains(id); });
        return saveStatusText(result.savedIds.size(), result.deletedCount,
                              {{hidden, QStringLiteral("the filter shown")}});
    };
    return GridSaveOutcome::saved(savedText);
}

void frmAccountMaster::reloadRows()
{
    refillKeepingText({cboAccount}, [this] { LoadLists(); });
    listAccounts();
}

bool frmAccountMaster::allowNameEdit(int row)
{
    if (row >= AccountRows.rowCount() || !isBuiltInAccountName(NullToText(AccountRows.textAt(row, AccountCol::Name))))
        return true;
    m_state.messages->critical(this, QStringLiteral("Illegal operation"),
                               QStringLiteral("Illegal operation:\r\n\r\nYou are attempting to update BASIC account."
                                              "\r\nThis is not allowed"));
    return false;
}

void frmAccountMaster::sortByColumn(int column)
{
    SortOrder = toggled(SortOrder);
    m_sortColumn = column;
    tdbgAccounts->commitEdit();
    WaitCursor wait;
    sortRows();
    m_model->rebind();
}

void frmAccountMaster::sortRows()
{
    AccountRows.sortRows(m_sortColumn, SortOrder);
    for (int r = 0; r < AccountRows.rowCount(); ++r)
        AccountRows.setInt(r, AccountCol::SerialNo, r + 1);
}

} // namespace bc
