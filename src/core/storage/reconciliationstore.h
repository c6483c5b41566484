#pragma once

// The book's reconciliation with bank statements as it is stored: the
// status of each side of a transaction (reconciliation.sql) and the
// statements kept.

#include "book.h"

#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>
#include <utility>

namespace bc {

// The first format whose transactions carry a status per side and which
// keeps reconciled statements and a closed period.
constexpr int ReconciliationFormat = 7;

// Whether the book has them; an older book open read-only does not, and
// shows every side blank.
inline bool hasReconciliation(const Book &book)
{
    return book.format() >= ReconciliationFormat;
}

// Where a side stands with the bank: new, shown on a statement (cleared),
// or agreed with a statement's closing balance (reconciled).
enum class SideStatus { New, Cleared, Reconciled };

// The letter the book stores and the ledger shows: blank, 'c' or 'R'.
QString statusLetter(SideStatus status);
SideStatus statusOfLetter(const QString &letter);

// Which of a transaction's two sides.
enum class TransactionEnd { From, To };

// One side of a transaction that names an account, as the account sees it:
// money in (the To side) is positive, money out (the From side) negative.
struct AccountMovement {
    qint64 transaction = 0;
    TransactionEnd end = TransactionEnd::To;
    QDate date;
    qint64 cents = 0;
    QString particulars;
    SideStatus status = SideStatus::New;
    qint64 reconciliation = 0; // 0 for none
};

// The account's movements dated up to `through` (all when invalid) that are
// not reconciled, by date and id.
QList<AccountMovement> unreconciledMovements(const Book &book, qint64 accountId, const QDate &through);

// The movements reconciliation `id` agreed, by date and id.
QList<AccountMovement> movementsOfReconciliation(const Book &book, qint64 id);

// The account's opening amount plus every reconciled movement: the balance
// its last statement agreed (the opening amount before the first).
qint64 reconciledBalance(const Book &book, qint64 accountId);

// A statement the account was reconciled with.
struct ReconciliationRecord {
    qint64 id = 0;
    qint64 account = 0;
    QDate statementDate;
    qint64 closingCents = 0;
    QString user;
    QDateTime madeAt;
};

// The account's reconciliations, oldest statement first.
QList<ReconciliationRecord> reconciliationsOf(const Book &book, qint64 accountId);

// Adds a reconciliation and returns its id.
qint64 insertReconciliation(const Book &book, const ReconciliationRecord &record);

// A side's new status and the reconciliation it then belongs to (0: none).
struct SideMark {
    qint64 transaction = 0;
    TransactionEnd end = TransactionEnd::To;
    SideStatus status = SideStatus::New;
    qint64 reconciliation = 0;
};

// Writes the marks, each side in place (its row's version raised); returns
// how many sides were written.
qint64 markSides(const Book &book, const QList<SideMark> &marks);

// The sides of the transactions of these ids, as "from" and "to" statuses.
struct SideStatuses {
    SideStatus from = SideStatus::New;
    SideStatus to = SideStatus::New;
    qint64 fromReconciliation = 0;
    qint64 toReconciliation = 0;
};
QHash<qint64, SideStatuses> sideStatusesOf(const Book &book, const QList<qint64> &ids);

// The transactions with a reconciled side whose date, sides or amount an
// undo of change set setId would change, or which it would take away, each
// with the reconciliation of that side.
QList<std::pair<qint64, qint64>> reconciledRowsAnUndoChanges(const Book &book, qint64 setId);

// A transaction with a reconciled side, as the book holds it.
struct ReconciledRow {
    qint64 id = 0;
    QDate date;
    QString from; // "A12"
    QString to;
    qint64 cents = 0;
    qint64 reconciliation = 0; // of its reconciled side (the From side's when both are)
};

// The transactions among ids that have a reconciled side.
QList<ReconciledRow> reconciledRowsAmong(const Book &book, const QList<qint64> &ids);

// The statement date of reconciliation id; invalid for none.
QDate reconciliationDate(const Book &book, qint64 id);

} // namespace bc
