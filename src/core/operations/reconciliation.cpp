#include "reconciliation.h"

#include "accountstore.h"
#include "booktransaction.h"
#include "dates.h"
#include "dberror.h"
#include "history.h"
#include "idmarks.h"
#include "money.h"
#include "systemsettings.h"
#include "transactions.h"
#include "transactionstore.h"

#include <QSet>

namespace bc {

namespace {

ReconcileResult refused(const QString &message)
{
    return {false, message};
}

QString dateFormatOf(const Book &book)
{
    SystemSettings settings;
    LoadSystemSettings(book, settings);
    return settings.dateFormat;
}

QString accountLabel(const Book &book, qint64 account)
{
    return readAccountName(book, account).value_or(QStringLiteral("account %1").arg(account)).trimmed();
}

} // namespace

ReconcileFigures reconcileFigures(const Book &book, qint64 account, const QList<AccountMovement> &movements,
                                  const QList<SideRef> &ticked)
{
    ReconcileFigures figures;
    figures.reconciledCents = reconciledBalance(book, account);
    QSet<SideRef> tickedSet(ticked.begin(), ticked.end());
    for (const AccountMovement &m : movements)
        if (tickedSet.contains(sideOf(m)))
            figures.tickedCents += m.cents;
    return figures;
}

TransactionWrite adjustmentTransaction(qint64 account, const AccountKey &adjustmentAccount, const QDate &date,
                                       qint64 differenceCents)
{
    TransactionWrite write;
    write.date = date;
    const AccountKey reconciled{AccountSide::Account, account};
    // Money in is the To side: a positive difference comes into the account.
    write.from = differenceCents >= 0 ? adjustmentAccount : reconciled;
    write.to = differenceCents >= 0 ? reconciled : adjustmentAccount;
    write.cents = differenceCents >= 0 ? differenceCents : -differenceCents;
    write.particulars = QStringLiteral("Reconciliation adjustment");
    return write;
}

ReconcileResult reconcileAccount(Book &book, const ReconcileRequest &request, const QDateTime &now,
                                 const QString &source)
{
    if (!hasReconciliation(book))
        return refused(QStringLiteral("This book is of an older format and cannot be reconciled."));
    if (!request.statementDate.isValid())
        return refused(QStringLiteral("The statement date is not a date."));
    try {
        BookTransaction transaction(book);
        const QString dateFormat = dateFormatOf(book);
        const QString name = accountLabel(book, request.account);
        const QList<AccountMovement> movements = unreconciledMovements(book, request.account, request.statementDate);
        QSet<SideRef> open;
        for (const AccountMovement &m : movements)
            open.insert(sideOf(m));
        QSet<SideRef> seen;
        QList<qint64> ids;
        for (const SideRef &side : request.ticked) {
            if (!open.contains(side))
                return refused(QStringLiteral("Transaction %1 is not a movement of \"%2\" on or before %3 that is "
                                              "not reconciled yet; nothing was reconciled.")
                                   .arg(side.transaction)
                                   .arg(name, formatReportDate(request.statementDate, dateFormat)));
            if (!seen.contains(side)) {
                seen.insert(side);
                ids << side.transaction;
            }
        }
        const ReconcileFigures figures = reconcileFigures(book, request.account, movements, request.ticked);
        const qint64 difference = figures.differenceTo(request.closingCents);
        if (difference != 0 && !request.adjustmentAccount)
            return refused(QStringLiteral("The cleared balance of \"%1\" is %2, the statement's closing balance %3: "
                                          "a difference of %4; nothing was reconciled.")
                               .arg(name, Money::fromCents(figures.clearedCents()).toStandard(),
                                    Money::fromCents(request.closingCents).toStandard(),
                                    Money::fromCents(difference).toStandard()));

        ChangeRecorder history(book, source);
        history.setSummary(QStringLiteral("Reconciliation of %1 with the statement of %2")
                               .arg(name, formatReportDate(request.statementDate, dateFormat)));
        ReconcileResult result;
        result.reconciliation = insertReconciliation(book,
                                                     {0, request.account, request.statementDate, request.closingCents,
                                                      history.user(), now});
        history.added(HistoryTable::Reconciliations, result.reconciliation, result.reconciliation);
        if (difference != 0) {
            TransactionWrite adjustment = adjustmentTransaction(request.account, *request.adjustmentAccount,
                                                                request.statementDate, difference);
            adjustment.id = reserveIds(book, IdSeries::Transactions, 1);
            (difference >= 0 ? adjustment.toStatus : adjustment.fromStatus) = statusLetter(SideStatus::Reconciled);
            (difference >= 0 ? adjustment.toReconciliation : adjustment.fromReconciliation) = result.reconciliation;
            history.added(HistoryTable::Transactions, adjustment.id, adjustment.id);
            insertTransactions(book, {adjustment}, now.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
            result.adjustment = adjustment.id;
        }
        history.keepBefore(HistoryTable::Transactions, ids);
        QList<SideMark> marks;
        for (const SideRef &side : std::as_const(seen))
            marks.append({side.transaction, side.end, SideStatus::Reconciled, result.reconciliation});
        markSides(book, marks);
        history.finish();
        transaction.commit();
        result.ok = true;
        result.message = QStringLiteral("\"%1\" was reconciled with the statement of %2: %3 movements, closing "
                                        "balance %4.")
                             .arg(name, formatReportDate(request.statementDate, dateFormat))
                             .arg(seen.size() + (result.adjustment ? 1 : 0))
                             .arg(Money::fromCents(request.closingCents).toStandard());
        return result;
    } catch (const DbError &e) {
        return refused(QStringLiteral("Nothing was reconciled: %1").arg(e.description()));
    }
}

ReconcileResult postponeReconciliation(Book &book, const QList<AccountMovement> &shown, const QList<SideRef> &ticked,
                                       const QString &source)
{
    const QSet<SideRef> tickedSet(ticked.begin(), ticked.end());
    QList<SideMark> marks;
    QList<qint64> ids;
    for (const AccountMovement &m : shown) {
        const bool tick = tickedSet.contains(sideOf(m));
        if (m.status == SideStatus::Reconciled || tick == (m.status == SideStatus::Cleared))
            continue;
        marks.append({m.transaction, m.end, tick ? SideStatus::Cleared : SideStatus::New, 0});
        ids << m.transaction;
    }
    if (marks.isEmpty())
        return {true, QStringLiteral("The ticks were kept.")};
    try {
        BookTransaction transaction(book);
        ChangeRecorder history(book, source);
        history.setSummary(QStringLiteral("Ticks of %1 movements kept").arg(marks.size()));
        history.keepBefore(HistoryTable::Transactions, ids);
        markSides(book, marks);
        history.finish();
        transaction.commit();
        return {true, QStringLiteral("The ticks were kept.")};
    } catch (const DbError &e) {
        return refused(QStringLiteral("The ticks could not be kept: %1").arg(e.description()));
    }
}

AutoTickOffer offerAutoTick(const QList<AccountMovement> &candidates, qint64 differenceCents)
{
    QList<qint64> amounts;
    amounts.reserve(candidates.size());
    for (const AccountMovement &m : candidates)
        amounts << m.cents;
    const SubsetFound found = findSubsetSum(amounts, differenceCents);
    AutoTickOffer offer;
    for (const int position : found.positions)
        offer.sides << sideOf(candidates.at(position));
    offer.several = found.several;
    offer.gaveUp = found.gaveUp;
    return offer;
}

QList<ReconciledSide> reconciledSidesOf(const Book &book, const QList<qint64> &ids)
{
    QList<ReconciledSide> sides;
    const QHash<qint64, SideStatuses> statuses = sideStatusesOf(book, ids);
    for (const qint64 id : ids) {
        const auto found = statuses.find(id);
        if (found == statuses.end())
            continue;
        if (found->from == SideStatus::Reconciled)
            sides.append({id, reconciliationDate(book, found->fromReconciliation)});
        else if (found->to == SideStatus::Reconciled)
            sides.append({id, reconciliationDate(book, found->toReconciliation)});
    }
    return sides;
}

QList<ReconciledSide> reconciledSidesAnUndoChanges(const Book &book, qint64 setId)
{
    QList<ReconciledSide> sides;
    for (const auto &[transaction, reconciliation] : reconciledRowsAnUndoChanges(book, setId))
        sides.append({transaction, reconciliationDate(book, reconciliation)});
    return sides;
}

QList<ReconciledSide> reconciledSidesASaveChanges(const Book &book, const RowArray &rows, const QList<qint64> &deleted)
{
    QHash<qint64, int> changed;
    for (int r = 0; r < rows.rowCount(); ++r)
        if (rows.intAt(r, TranCol::Id) > 0 && rows.editMarkAt(r, TranCol::Status) == EditMark::Changed)
            changed.insert(rows.intAt(r, TranCol::Id), r);
    QList<ReconciledSide> sides;
    for (const ReconciledRow &stored : reconciledRowsAmong(book, changed.keys() + deleted)) {
        const auto row = changed.constFind(stored.id);
        const bool kept = row != changed.cend() && rows.dateAt(*row, TranCol::Date) == stored.date
            && rows.keyAt(*row, TranCol::From).toText() == stored.from
            && rows.keyAt(*row, TranCol::To).toText() == stored.to
            && rows.moneyAt(*row, TranCol::Amount).cents() == stored.cents;
        if (!kept || deleted.contains(stored.id))
            sides.append({stored.id, reconciliationDate(book, stored.reconciliation)});
    }
    return sides;
}

QString reconciledChangeQuestion(const QList<ReconciledSide> &sides, const QString &dateFormat)
{
    if (sides.isEmpty())
        return QString();
    const QString others = sides.size() > 1
        ? QStringLiteral(" (and %1 more reconciled transactions)").arg(sides.size() - 1)
        : QString();
    return QStringLiteral("Transaction %1 was reconciled with the statement of %2%3; change it anyway?")
        .arg(sides.first().transaction)
        .arg(formatReportDate(sides.first().statementDate, dateFormat), others);
}

QString reconciledChangeRefusal(const QList<ReconciledSide> &sides, const QString &dateFormat)
{
    if (sides.isEmpty())
        return QString();
    const QString first = QStringLiteral("Transaction %1 was reconciled with the statement of %2")
                              .arg(sides.first().transaction)
                              .arg(formatReportDate(sides.first().statementDate, dateFormat));
    const QString others = sides.size() > 1 ? QStringLiteral(" (and %1 more)").arg(sides.size() - 1) : QString();
    return QStringLiteral("%1%2; nothing was changed. Give --force to change reconciled transactions anyway.")
        .arg(first, others);
}

ClosedPeriodResult setClosedThrough(Book &book, const QDate &through, const QDate &today, const QString &source)
{
    if (!hasReconciliation(book))
        return {false, QStringLiteral("This book is of an older format and has no closed period.")};
    try {
        SystemSettings settings;
        LoadSystemSettings(book, settings);
        SystemSettingsInput input = inputOf(settings);
        input.closedThrough = through;
        const QString day = formatReportDate(through, settings.dateFormat);
        const SettingsSaveResult saved =
            saveSystemSettings(book, input, today, source,
                               through.isValid() ? QStringLiteral("Closing of the book through %1").arg(day)
                                                 : QStringLiteral("Opening of the book's closed period"));
        if (!saved.ok())
            return {false, saved.text};
        if (!through.isValid())
            return {true, QStringLiteral("The book is open: no period is closed.")};
        return {true, QStringLiteral("The book is closed through %1.").arg(day)};
    } catch (const DbError &e) {
        return {false, QStringLiteral("The closed period could not be changed: %1").arg(e.description())};
    }
}

std::optional<StatementBalance> offeredStatement(const Book &book, qint64 account)
{
    const QList<ReconciliationRecord> past = reconciliationsOf(book, account);
    return latestStatementBalance(book, account, past.isEmpty() ? QDate() : past.last().statementDate);
}

} // namespace bc
