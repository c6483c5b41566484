#include "frmreconcile.h"

#include "accounts.h"
#include "appstate.h"
#include "datagrid.h"
#include "dateentry.h"
#include "dates.h"
#include "dberror.h"
#include "money.h"
#include "rowarraymodel.h"
#include "screenmessages.h"
#include "screenparts.h"

#include <QComboBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace bc {

namespace {

const QString Title = QStringLiteral("Reconcile");
const QString TickMark = QStringLiteral("\u2713");

QList<GridColumn> reconcileColumns(const QString &dateFormat)
{
    using F = GridColumn::Format;
    QList<GridColumn> c(ReconcileCol::Count);
    c[ReconcileCol::Tick] = GridColumn::shown(QStringLiteral("\u2713"), F::Plain);
    c[ReconcileCol::Tick].width = 30;
    c[ReconcileCol::Date] = GridColumn::shown(QStringLiteral("Date"), F::Date);
    c[ReconcileCol::Date].datePattern = dateFormat;
    c[ReconcileCol::Date].width = 90;
    c[ReconcileCol::Particulars] = GridColumn::shown(QStringLiteral("Particulars"), F::Plain);
    c[ReconcileCol::Particulars].width = 320;
    c[ReconcileCol::Amount] = GridColumn::shown(QStringLiteral("Amount"), F::Standard);
    c[ReconcileCol::Amount].width = 110;
    c[ReconcileCol::Status] = GridColumn::shown(QStringLiteral("Status"), F::Plain);
    c[ReconcileCol::Status].width = 50;
    return c;
}

RowArray makeReconcileRows()
{
    return RowArray({CellType::Text, CellType::Date, CellType::Text, CellType::Money, CellType::Text});
}

QString shown(qint64 cents)
{
    return Money::fromCents(cents).toStandard();
}

} // namespace

frmReconcile::frmReconcile(AppState &state, QWidget *parent)
    : QWidget(parent)
    , grdMovements(new DataGrid(new RowArrayModel(makeReconcileRows(), reconcileColumns(state.dateFormat())), this))
    , m_state(state)
    , m_model(grdMovements->rowModel())
{
    setObjectName(QStringLiteral("frmReconcile"));
    setWindowTitle(Title);
    resize(760, 520);
    buildControls();
    loadAccounts();
    statementChosen();
}

frmReconcile::~frmReconcile()
{
    grdMovements->dropOpenEditor();
}

void frmReconcile::buildControls()
{
    cboAccount = makeChoiceBox(this, "cboAccount");
    cboStatement = makeChoiceBox(this, "cboStatement");
    cboStatement->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    cboAdjust = makeChoiceBox(this, "cboAdjust");
    dteStatement = new DateEntry(this);
    dteStatement->setObjectName(QStringLiteral("dteStatement"));
    dteStatement->setDisplayFormat(m_state.dateFormat());
    dteStatement->setDate(m_state.today());
    txtClosing = new QLineEdit(this);
    txtClosing->setObjectName(QStringLiteral("txtClosing"));
    auto *fields = new QGridLayout;
    addCaptioned(fields, 0, 0, QStringLiteral("Acco&unt:"), cboAccount);
    // The caption's key goes to the box's text, where the date is typed.
    auto *dateCaption = new QLabel(QStringLiteral("Statement &date:"), this);
    dateCaption->setBuddy(dteStatement->lineEdit());
    fields->addWidget(dateCaption, 0, 2);
    fields->addWidget(dteStatement, 0, 3);
    addCaptioned(fields, 0, 4, QStringLiteral("Closing &balance:"), txtClosing);
    addCaptioned(fields, 1, 0, QStringLiteral("State&ment:"), cboStatement);
    addCaptioned(fields, 1, 2, QStringLiteral("Ad&just into:"), cboAdjust);

    m_model->setAdding(false);
    m_model->setEditable(false);
    grdMovements->setObjectName(QStringLiteral("grdMovements"));
    grdMovements->setAccessibleName(QStringLiteral("Movements"));
    grdMovements->installEventFilter(this);
    grdMovements->enterHandler = [this] {
        const int next = grdMovements->currentIndex().row() + 1;
        if (next < m_model->rowCount())
            grdMovements->setCurrentIndex(m_model->index(next, ReconcileCol::Tick));
    };

    lblCleared = makeLabel(this, "lblCleared", QString());
    lblDifference = makeLabel(this, "lblDifference", QString());
    cmdAutoTick = makeButton(this, "cmdAutoTick", QStringLiteral("Auto-tic&k"));
    cmdPostpone = makeButton(this, "cmdPostpone", QStringLiteral("&Postpone"));
    cmdFinish = makeButton(this, "cmdFinish", QStringLiteral("&Finish"));
    cmdClose = makeButton(this, "cmdClose", QStringLiteral("&Close"));
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(cmdAutoTick);
    buttons->addStretch(1);
    buttons->addWidget(cmdPostpone);
    buttons->addWidget(cmdFinish);
    buttons->addWidget(cmdClose);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(grdMovements, 1);
    layout->addWidget(lblCleared);
    layout->addWidget(lblDifference);
    layout->addLayout(buttons);
    setTabOrder(cboAccount, cboStatement);
    setTabOrder(cboStatement, dteStatement);
    setTabOrder(dteStatement, txtClosing);
    setTabOrder(txtClosing, cboAdjust);
    setTabOrder(cboAdjust, grdMovements);

    connect(cboAccount, &QComboBox::activated, this, &frmReconcile::accountChosen);
    connect(cboStatement, &QComboBox::activated, this, &frmReconcile::statementChosen);
    connect(cboAdjust, &QComboBox::activated, this, &frmReconcile::showFigures);
    connect(dteStatement, &DateEntry::dateChanged, this, &frmReconcile::loadMovements);
    connect(txtClosing, &QLineEdit::textEdited, this, &frmReconcile::showFigures);
    connect(cmdAutoTick, &QPushButton::clicked, this, &frmReconcile::autoTick);
    connect(cmdPostpone, &QPushButton::clicked, this, &frmReconcile::postpone);
    connect(cmdFinish, &QPushButton::clicked, this, &frmReconcile::finish);
    connect(cmdClose, &QPushButton::clicked, this, &QWidget::close);
}

void frmReconcile::loadAccounts()
{
    cboAdjust->addItem(QStringLiteral("(no adjustment)"), qint64(0));
    try {
        for (const IdName &a : accountNames(m_state.book)) {
            cboAccount->addItem(a.name, a.id);
            cboAdjust->addItem(a.name, a.id);
        }
    } catch (const DbError &e) {
        reportDbFailure(m_state, this, e.description());
    }
    loadStatements();
}

void frmReconcile::loadStatements()
{
    cboStatement->clear();
    cboStatement->addItem(QStringLiteral("(new statement)"), qint64(0));
    if (cboAccount->currentIndex() < 0)
        return;
    try {
        for (const ReconciliationRecord &r : reconciliationsOf(m_state.book, cboAccount->currentData().toLongLong()))
            cboStatement->addItem(QStringLiteral("%1, closing %2")
                                      .arg(formatUserDate(r.statementDate, m_state.dateFormat()),
                                           shown(r.closingCents)),
                                  r.id);
    } catch (const DbError &e) {
        reportDbFailure(m_state, this, e.description());
    }
}

void frmReconcile::accountChosen()
{
    loadStatements();
    statementChosen();
}

qint64 frmReconcile::pastStatement() const
{
    return cboStatement->currentData().toLongLong();
}

// A past statement fills the date and balance it was agreed at, read-only;
// the new statement offers those of the statement last imported into the
// account, when it is newer than the last reconciled, else leaves them to be
// typed.
void frmReconcile::statementChosen()
{
    const qint64 past = pastStatement();
    dteStatement->setEnabled(past == 0);
    txtClosing->setReadOnly(past != 0);
    if (cboAccount->currentIndex() < 0)
        return loadMovements();
    const qint64 account = cboAccount->currentData().toLongLong();
    try {
        if (past != 0) {
            for (const ReconciliationRecord &r : reconciliationsOf(m_state.book, account))
                if (r.id == past) {
                    txtClosing->setText(Money::fromCents(r.closingCents).toPlain());
                    dteStatement->setDate(r.statementDate);
                }
        } else if (const std::optional<StatementBalance> offered = offeredStatement(m_state.book, account)) {
            txtClosing->setText(Money::fromCents(offered->closingCents).toPlain());
            dteStatement->setDate(offered->statementDate);
        }
    } catch (const DbError &e) {
        reportDbFailure(m_state, this, e.description());
    }
    loadMovements();
}

// The movements up to the statement's date, each ticked that the bank
// showed already (cleared).
void frmReconcile::loadMovements()
{
    m_movements.clear();
    m_ticked.clear();
    RowArray rows = makeReconcileRows();
    if (cboAccount->currentIndex() >= 0 && dteStatement->date().isValid()) {
        try {
            m_movements = pastStatement() != 0
                ? movementsOfReconciliation(m_state.book, pastStatement())
                : unreconciledMovements(m_state.book, cboAccount->currentData().toLongLong(), dteStatement->date());
        } catch (const DbError &e) {
            reportDbFailure(m_state, this, e.description());
        }
    }
    for (const AccountMovement &m : std::as_const(m_movements)) {
        const bool cleared = m.status != SideStatus::New;
        m_ticked << cleared;
        const int r = rows.appendRow();
        rows.setText(r, ReconcileCol::Tick, cleared ? TickMark : QString());
        rows.setDate(r, ReconcileCol::Date, m.date);
        rows.setText(r, ReconcileCol::Particulars, m.particulars);
        rows.setMoney(r, ReconcileCol::Amount, Money::fromCents(m.cents));
        rows.setText(r, ReconcileCol::Status, statusLetter(m.status));
    }
    m_model->rows() = rows;
    m_model->rebind();
    showFigures();
}

bool frmReconcile::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == grdMovements && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Space) {
        toggleTick(grdMovements->currentIndex().row());
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void frmReconcile::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void frmReconcile::toggleTick(int row)
{
    if (row < 0 || row >= m_ticked.size() || pastStatement() != 0)
        return;
    m_ticked[row] = !m_ticked[row];
    m_model->rows().setText(row, ReconcileCol::Tick, m_ticked[row] ? TickMark : QString());
    emit m_model->dataChanged(m_model->index(row, ReconcileCol::Tick), m_model->index(row, ReconcileCol::Tick));
    showFigures();
}

std::optional<qint64> frmReconcile::closingCents() const
{
    const std::optional<Money> typed = Money::parse(txtClosing->text().remove(u',').trimmed());
    return typed ? std::optional<qint64>(typed->cents()) : std::nullopt;
}

QList<SideRef> frmReconcile::tickedSides() const
{
    QList<SideRef> sides;
    for (qsizetype i = 0; i < m_movements.size(); ++i)
        if (m_ticked.at(i))
            sides << sideOf(m_movements.at(i));
    return sides;
}

void frmReconcile::showFigures()
{
    const std::optional<qint64> closing = closingCents();
    qint64 difference = 0;
    if (pastStatement() != 0) {
        // The balance the statement agreed, its movements as they were.
        lblCleared->setText(QStringLiteral("Reconciled balance: %1").arg(shown(closing.value_or(0))));
    } else {
        try {
            const ReconcileFigures figures = reconcileFigures(m_state.book, cboAccount->currentData().toLongLong(),
                                                              m_movements, tickedSides());
            lblCleared->setText(QStringLiteral("Cleared balance: %1").arg(shown(figures.clearedCents())));
            difference = closing ? figures.differenceTo(*closing) : 0;
        } catch (const DbError &e) {
            reportDbFailure(m_state, this, e.description());
        }
    }
    lblDifference->setText(closing ? QStringLiteral("Difference: %1").arg(shown(difference))
                                   : QStringLiteral("Difference: type the statement's closing balance"));
    // A past statement is shown, never changed.
    const bool writable = m_state.book.mayWrite() && pastStatement() == 0;
    const bool adjusted = cboAdjust->currentData().toLongLong() != 0;
    cmdFinish->setEnabled(writable && closing && (difference == 0 || adjusted));
    cmdAutoTick->setEnabled(writable && closing && difference != 0);
    cmdPostpone->setEnabled(writable && !m_movements.isEmpty());
}

void frmReconcile::autoTick()
{
    const std::optional<qint64> closing = closingCents();
    if (!closing)
        return;
    QList<AccountMovement> candidates;
    QList<int> rows;
    for (qsizetype i = 0; i < m_movements.size(); ++i)
        if (!m_ticked.at(i)) {
            candidates << m_movements.at(i);
            rows << int(i);
        }
    const ReconcileFigures figures = reconcileFigures(m_state.book, cboAccount->currentData().toLongLong(), m_movements,
                                                      tickedSides());
    const AutoTickOffer offer = offerAutoTick(candidates, figures.differenceTo(*closing));
    if (offer.sides.isEmpty()) {
        m_state.messages->information(this, Title,
                                      offer.gaveUp ? QStringLiteral("The movements are too many or too large to "
                                                                    "search for the difference.")
                                                   : QStringLiteral("No movements not ticked make up the "
                                                                    "difference."));
        return;
    }
    QString text = QStringLiteral("%1 movements not ticked make up the difference. Tick them?").arg(offer.sides.size());
    if (offer.several)
        text = QStringLiteral("Several sets of movements make up the difference; one of them has %1 movements. "
                              "Tick those?")
                   .arg(offer.sides.size());
    if (m_state.messages->question(this, Title, text) != QMessageBox::Yes)
        return;
    for (qsizetype i = 0; i < candidates.size(); ++i)
        if (offer.sides.contains(sideOf(candidates.at(i))))
            toggleTick(rows.at(i));
}

void frmReconcile::postpone()
{
    const ReconcileResult result = postponeReconciliation(m_state.book, m_movements, tickedSides(), Title);
    if (!result.ok)
        m_state.messages->critical(this, Title, result.message);
    emit m_state.notifier.bookChanged(this);
    loadMovements();
}

void frmReconcile::finish()
{
    const std::optional<qint64> closing = closingCents();
    if (!closing)
        return;
    const qint64 account = cboAccount->currentData().toLongLong();
    ReconcileRequest request{account, dteStatement->date(), *closing, tickedSides()};
    // A difference left goes to the adjustment account, shown before it is saved.
    qint64 difference = 0;
    try {
        difference = reconcileFigures(m_state.book, account, m_movements, request.ticked).differenceTo(*closing);
    } catch (const DbError &e) {
        reportDbFailure(m_state, this, e.description());
        return;
    }
    if (const qint64 adjust = cboAdjust->currentData().toLongLong(); difference != 0 && adjust != 0) {
        const AccountKey other{AccountSide::Account, adjust};
        const TransactionWrite t = adjustmentTransaction(account, other, request.statementDate, difference);
        const QString text =
            QStringLiteral("The difference of %1 is saved with the reconciliation as a transaction of %2 from %3 to "
                           "%4, %5, \"%6\". Save it?")
                .arg(shown(difference), formatUserDate(t.date, m_state.dateFormat()),
                     cboAdjust->itemText(cboAdjust->findData(t.from.id)),
                     cboAdjust->itemText(cboAdjust->findData(t.to.id)), shown(t.cents), t.particulars);
        if (m_state.messages->question(this, Title, text) != QMessageBox::Yes)
            return;
        request.adjustmentAccount = other;
    }
    const ReconcileResult result = reconcileAccount(m_state.book, request, m_state.now(), Title);
    if (!result.ok) {
        m_state.messages->critical(this, Title, result.message);
        return;
    }
    emit m_state.notifier.bookChanged(this);
    m_state.messages->information(this, Title, result.message);
    loadStatements();
    loadMovements();
}

} // namespace bc
