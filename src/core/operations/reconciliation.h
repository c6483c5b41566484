#pragma once

// Reconciling an account with a bank statement: ticking the movements the
// statement shows until the cleared balance meets its closing balance, then
// marking them reconciled in one save; or keeping the ticks for later.

#include "autotick.h"
#include "book.h"
#include "importstore.h"
#include "reconciliationstore.h"
#include "rowarray.h"
#include "transactionstore.h"

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <optional>

namespace bc {

// One side of one transaction.
struct SideRef {
    qint64 transaction = 0;
    TransactionEnd end = TransactionEnd::To;
    bool operator==(const SideRef &) const = default;
};

inline size_t qHash(const SideRef &side, size_t seed = 0)
{
    return ::qHash(side.transaction * 2 + (side.end == TransactionEnd::From ? 1 : 0), seed);
}

inline SideRef sideOf(const AccountMovement &movement)
{
    return {movement.transaction, movement.end};
}

// The statement being reconciled and the movements ticked.
struct ReconcileRequest {
    qint64 account = 0;
    QDate statementDate;
    qint64 closingCents = 0;
    QList<SideRef> ticked;
    // Where a difference left is booked, by a transaction on the statement
    // date between it and the account, reconciled with the rest; none: the
    // difference must be 0.00.
    std::optional<AccountKey> adjustmentAccount{};
};

// The cleared balance of a reconciliation: the balance the last statement
// agreed plus the movements ticked; and what is left to the statement's
// closing balance.
struct ReconcileFigures {
    qint64 reconciledCents = 0;
    qint64 tickedCents = 0;
    qint64 clearedCents() const { return reconciledCents + tickedCents; }
    qint64 differenceTo(qint64 closingCents) const { return closingCents - clearedCents(); }
};
ReconcileFigures reconcileFigures(const Book &book, qint64 account, const QList<AccountMovement> &movements,
                                  const QList<SideRef> &ticked);

// The transaction that books a difference of differenceCents into the
// account against the adjustment account, as it would be saved (no id yet).
TransactionWrite adjustmentTransaction(qint64 account, const AccountKey &adjustmentAccount, const QDate &date,
                                       qint64 differenceCents);

struct ReconcileResult {
    bool ok = false;
    QString message;
    qint64 reconciliation = 0; // the statement kept
    qint64 adjustment = 0; // the adjustment transaction's id, 0 for none
};

// Marks the ticked sides reconciled with a new statement record, in one
// save the history can undo; refused, writing nothing, when a ticked side is
// not an unreconciled movement of the account up to the statement date, or
// the difference is not 0.00 and no adjustment account is given.
ReconcileResult reconcileAccount(Book &book, const ReconcileRequest &request, const QDateTime &now,
                                 const QString &source);

// Keeps the ticks for later: of the movements shown, those ticked become
// cleared and those not ticked that were cleared become new, in one save.
ReconcileResult postponeReconciliation(Book &book, const QList<AccountMovement> &shown, const QList<SideRef> &ticked,
                                       const QString &source);

// The statement offered for the account's next reconciliation: the latest
// imported into it, when dated after the last statement it was reconciled
// with; none otherwise.
std::optional<StatementBalance> offeredStatement(const Book &book, qint64 account);

// The movements among candidates that make up the difference, as found by
// findSubsetSum; offered, never ticked by this.
struct AutoTickOffer {
    QList<SideRef> sides;
    bool several = false;
    bool gaveUp = false;
};
AutoTickOffer offerAutoTick(const QList<AccountMovement> &candidates, qint64 differenceCents);

// A reconciled side that a change would touch, with the date of its
// statement.
struct ReconciledSide {
    qint64 transaction = 0;
    QDate statementDate;
};

// The reconciled sides of the transactions with these ids.
QList<ReconciledSide> reconciledSidesOf(const Book &book, const QList<qint64> &ids);

// The reconciled sides an undo of change set setId would change or take
// away (a change of their statuses alone does not count).
QList<ReconciledSide> reconciledSidesAnUndoChanges(const Book &book, qint64 setId);

// The reconciled sides a save of the grid's transaction rows (makeTranRows)
// would change (date, sides or amount of a row marked changed) or delete.
QList<ReconciledSide> reconciledSidesASaveChanges(const Book &book, const RowArray &rows, const QList<qint64> &deleted);

// "Transaction 12 was reconciled with the statement of 30/11/2026; change it
// anyway?", the question a window asks before changing the sides.
QString reconciledChangeQuestion(const QList<ReconciledSide> &sides, const QString &dateFormat);

// The refusal the tool and imports give, naming the first side and how many
// there are.
QString reconciledChangeRefusal(const QList<ReconciledSide> &sides, const QString &dateFormat);

// Sets (or, with an invalid date, clears) the day through which the book is
// closed, as a recorded change of the settings; returns what was done.
struct ClosedPeriodResult {
    bool ok = false;
    QString message;
};
ClosedPeriodResult setClosedThrough(Book &book, const QDate &through, const QDate &today, const QString &source);

} // namespace bc
