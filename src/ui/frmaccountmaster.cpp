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
#include "screenparts.h"
#include "stageddeletions.h"
#include "textroutines.h"
#include "waitcursor.h"

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
    return c;
}

} // namespace

frmAccountMaster::frmAccountMaster(AppState &state, QWidget *parent)
    : QWidget(parent)
    , tdbgAccounts(new DataGrid(new RowArrayModel(makeAccountRows(), accountColumns()), this))
    , AccountRows(tdbgAccounts->rows())
    , m_state(state)
{
    setObjectName(QStringLiteral("frmAccountMaster"));
    setWindowTitle(QStringLiteral("Account Master"));
    buildControls();
    LoadLists();
    SortOrder = SortDirection::Ascending;
    lbltotal->setText(QStringLiteral("0.00"));
    SetMode(QStringLiteral("V"));
    Find();
    // The grid, made first, comes after the search in the tab order; the
    // window opens in the Account box.
    setTabOrder(cmdBlank, tdbgAccounts);
    cboAccount->setFocus();
}

frmAccountMaster::~frmAccountMaster()
{
    tdbgAccounts->dropOpenEditor();
}

void frmAccountMaster::buildControls()
{
    Frame1 = new QGroupBox(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    cboAccount = makeAccountFilterBox(Frame1, "cboAccount");
    cboAccount->setMinimumWidth(180);
    cboAccount->installEventFilter(this);
    txtOpen1 = new QLineEdit(Frame1);
    txtOpen1->setObjectName(QStringLiteral("txtOpen1"));
    txtOpen2 = new QLineEdit(Frame1);
    txtOpen2->setObjectName(QStringLiteral("txtOpen2"));
    installAmountKeyFilter(txtOpen1);
    installAmountKeyFilter(txtOpen2);
    cmdFind = makeButton(Frame1, "cmdFind", QStringLiteral("&Find"));
    cmdBlank = makeButton(Frame1, "cmdBlank", QStringLiteral("&Blank"));
    auto *search = new QGridLayout(Frame1);
    search->addWidget(new QLabel(QStringLiteral("Account"), Frame1), 0, 0);
    search->addWidget(cboAccount, 0, 1);
    search->addWidget(new QLabel(QStringLiteral("Open Amount >"), Frame1), 0, 2);
    search->addWidget(txtOpen1, 0, 3);
    search->addWidget(new QLabel(QStringLiteral("Open Amount <"), Frame1), 0, 4);
    search->addWidget(txtOpen2, 0, 5);
    search->addWidget(cmdFind, 0, 6);
    search->addWidget(cmdBlank, 0, 7);
    runFindOnEnter(cmdFind, {cboAccount, txtOpen1, txtOpen2});

    tdbgAccounts->setObjectName(QStringLiteral("tdbgAccounts"));
    m_model = tdbgAccounts->rowModel();
    m_model->cellTip = [this](int row, int column) {
        if (column != AccountCol::Opening)
            return QString();
        // The side the ledger and the summary give the same opening.
        return sideName(AccountRows.moneyAt(row, column));
    };
    tdbgAccounts->beforeEdit = [this](const QModelIndex &index) {
        return index.column() != AccountCol::Name || allowNameEdit(index.row());
    };
    tdbgAccounts->beforeDelete = [this](int row) { return stageDeletion(row); };
    tdbgAccounts->enterHandler = [this] { GridEnterNextRow(tdbgAccounts, AccountCol::Name); };
    reportUnlistedEntries(m_state, tdbgAccounts);
    connect(m_model, &RowArrayModel::rowAdded, this, [this](int row) {
        AccountRows.setEditMark(row, AccountCol::Status, EditMark::Changed);
        AccountRows.setInt(row, AccountCol::Id, 0);
    });
    connect(m_model, &RowArrayModel::cellUpdated, this,
            [this](int row) { AccountRows.setEditMark(row, AccountCol::Status, EditMark::Changed); });
    connect(m_model, &RowArrayModel::removalUndone, this,
            [this](int row) { unstageDeletion(m_deletedIds, AccountRows.intAt(row, AccountCol::Id)); });
    connect(tdbgAccounts->horizontalHeader(), &QHeaderView::sectionClicked, this, &frmAccountMaster::sortByColumn);

    cmdEdit = makeButton(this, "cmdEdit", QStringLiteral("&Edit/New"));
    cmdSave = makeButton(this, "cmdSave", QStringLiteral("&Save"));
    cmdCancel = makeButton(this, "cmdCancel", QStringLiteral("&Cancel"));
    cmdQuit = makeButton(this, "cmdQuit", QStringLiteral("&Quit"));
    lbltotal = makeTotalLabel(this);
    lblStatus = makeStatusLabel(this);

    QHBoxLayout *bottom = makeButtonRow({cmdEdit, cmdSave, cmdCancel, cmdQuit}, QString(), lbltotal);
    // The total is in the book's currency, whichever the settings name.
    auto *totalCaption = findChild<QLabel *>(QStringLiteral("lblTotalCaption"));
    const auto nameCurrency = [this, totalCaption] {
        totalCaption->setText(withCurrency(QStringLiteral("Total Amount"), m_state.settings.currency));
    };
    nameCurrency();
    connect(&m_state.notifier, &SettingsNotifier::bookChanged, totalCaption, nameCurrency);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Frame1);
    layout->addWidget(tdbgAccounts, 1);
    layout->addWidget(lblStatus);
    layout->addLayout(bottom);
    resize(860, 480);

    connect(cmdFind, &QPushButton::clicked, this, &frmAccountMaster::Find);
    connect(cmdBlank, &QPushButton::clicked, this, &frmAccountMaster::Blank);
    connect(cmdEdit, &QPushButton::clicked, this, &frmAccountMaster::EditNew);
    connect(cmdSave, &QPushButton::clicked, this, &frmAccountMaster::Save);
    connect(cmdCancel, &QPushButton::clicked, this, &frmAccountMaster::Cancel);
    connect(cmdQuit, &QPushButton::clicked, this, &QWidget::close);
}

void frmAccountMaster::SetMode(const QString &mode)
{
    if (mode != QLatin1String("V") && mode != QLatin1String("E"))
        return;
    m_mode = mode;
    const bool viewing = mode == QLatin1String("V");
    cmdEdit->setEnabled(viewing && m_state.book.mayWrite());
    cmdSave->setEnabled(!viewing);
    cmdCancel->setEnabled(!viewing);
    cmdQuit->setEnabled(viewing);
    Frame1->setEnabled(viewing);
    cmdFind->setEnabled(viewing);
    cmdBlank->setEnabled(viewing);
    m_model->setEditable(!viewing);
    if (viewing)
        clearChangedElsewhere(lblStatus);
    emit m_state.notifier.editCycleChanged();
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

void frmAccountMaster::EditNew()
{
    m_deletedIds.clear();
    lblStatus->clear();
    SetMode(QStringLiteral("E"));
    tdbgAccounts->setFocus();
}

void frmAccountMaster::Cancel()
{
    tdbgAccounts->commitEdit();
    m_deletedIds.clear();
    SetMode(QStringLiteral("V"));
    listAccounts();
}

void frmAccountMaster::Save()
{
    tdbgAccounts->commitEdit();
    if (!confirmDeletions(m_state, this, m_deletedIds.size(), QStringLiteral("accounts"))) {
        lblStatus->setText(deletionsKeptText());
        tdbgAccounts->setFocus();
        return;
    }
    AccountSaveResult result;
    {
        WaitCursor wait;
        result = saveAccounts(m_state.book, AccountRows, m_state.today(), m_deletedIds);
    }
    if (result.outcome == AccountSaveResult::Outcome::ChangedByOthers) {
        if (offerReload(m_state, this, result.title, result.text))
            Cancel();
        return;
    }
    if (!result.ok()) {
        m_state.messages->critical(this, result.title, result.text);
        return;
    }
    m_deletedIds.clear();
    SetMode(QStringLiteral("V"));
    reloadRows();
    QSet<qint64> listed;
    for (int r = 0; r < AccountRows.rowCount(); ++r)
        listed.insert(AccountRows.intAt(r, AccountCol::Id));
    const auto hidden = std::count_if(result.savedIds.cbegin(), result.savedIds.cend(),
                                      [&](qint64 id) { return !listed.contains(id); });
    lblStatus->setText(
        saveStatusText(result.savedIds.size(), result.deletedCount, {{hidden, QStringLiteral("the filter shown")}}));
    emit m_state.notifier.bookChanged(this);
}

void frmAccountMaster::reloadRows()
{
    refillKeepingText({cboAccount}, [this] { LoadLists(); });
    listAccounts();
}

void frmAccountMaster::showBookNote(const QString &text)
{
    lblStatus->setText(text);
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

bool frmAccountMaster::stageDeletion(int row)
{
    // Kept by this window alone until Save: another window or program
    // working on the same book neither sees nor applies it.
    if (const qint64 id = AccountRows.intAt(row, AccountCol::Id); id != 0)
        m_deletedIds << LoadedRow(id, AccountRows.intAt(row, AccountCol::Version));
    return true;
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

bool frmAccountMaster::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == cboAccount && event->type() == QEvent::KeyPress
        && ComboTabToGrid(tdbgAccounts, static_cast<QKeyEvent *>(event)))
        return true;
    return QWidget::eventFilter(watched, event);
}

void frmAccountMaster::dropEdits()
{
    m_deletedIds.clear();
    SetMode(QStringLiteral("V"));
}

void frmAccountMaster::noteChangedElsewhere()
{
    showChangedElsewhere(lblStatus);
}

void frmAccountMaster::closeEvent(QCloseEvent *event)
{
    if (inEditCycle() && !confirmDiscardEdits(m_state, this, windowTitle())) {
        event->ignore();
        return;
    }
    event->accept();
}

} // namespace bc
