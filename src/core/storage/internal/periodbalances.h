#pragma once

#include <QSqlDatabase>
#include <QStringList>

namespace bc {

// The kept period balances (database/period-balances.sql): per account or
// party and calendar month, the sums and counts of each side's transactions,
// kept by triggers on transaction_master in the transaction of every writer.

// The script that makes the table and its triggers, under database/.
inline QString periodBalancesScript()
{
    return QStringLiteral("period-balances.sql");
}

// Whether the book holds the kept balances (books of older formats do not).
bool keepsPeriodBalances(const QSqlDatabase &db);

// Whether reports may read whole months from the kept balances: the book
// keeps them and no month's sum has left the 64-bit range of cents (such a
// month holds an inexact floating-point sum until its transactions change).
bool periodBalancesUsable(const QSqlDatabase &db);

// Empties the kept balances and fills them again from the transactions,
// inside the caller's transaction: the fill of a book brought forward to the
// format that adds them.
void fillPeriodBalances(const QSqlDatabase &db);

// Adds the transactions a condition on transaction_master AS t names (with
// its values) into the kept balances (sign 1), or takes them out (sign -1),
// with one grouped statement: for the bulk writes, whose rows fire no
// trigger. A month left with no transaction loses its row, as with the
// triggers; a month whose sum leaves the 64-bit range holds SQLite's
// floating-point result, as the triggers leave it.
void changePeriodBalances(const QSqlDatabase &db, const QString &rows, const QVariantList &values, int sign);

// Makes the kept balances and their triggers afresh and fills them, in one
// transaction: for a book whose kept balances another program broke.
// Throws DbError when the book cannot be written.
void rebuildPeriodBalances(const QSqlDatabase &db);

// One line for each account, side flag and month whose kept balance differs
// from its transactions, and one when a trigger that keeps them is missing;
// at most limit lines about months (all when limit is negative). Empty when
// they agree or the book keeps none.
QStringList periodBalanceProblems(const QSqlDatabase &db, int limit = -1);

} // namespace bc
