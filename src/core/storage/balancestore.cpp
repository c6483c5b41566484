#include "balancestore.h"

#include "dates.h"
#include "engine.h"
#include "periodbalances.h"
#include "sql.h"

namespace bc {

Money accountOpeningAmount(const Book &book, qint64 accountId)
{
    QSqlQuery q = runSql(connectionOf(book),
                         QStringLiteral("SELECT open_amount FROM account_master WHERE account_id = ?"), {accountId});
    return Money::fromCents(q.next() ? q.value(0).toLongLong() : 0);
}

SideSums accountSidesOfDays(const Book &book, qint64 accountId, const QDate &first, const QDate &last)
{
    const QSqlDatabase db = connectionOf(book);
    const QString from = isoDate(first), to = isoDate(last);
    QSqlQuery q = runSql(db,
                         QStringLiteral(
                             "SELECT (SELECT coalesce(%1, 0) FROM transaction_master"
                             "         WHERE to_acc = ? AND to_flag = 'A' AND tran_date BETWEEN ? AND ?),"
                             "       (SELECT coalesce(%1, 0) FROM transaction_master"
                             "         WHERE from_acc = ? AND from_flag = 'A' AND tran_date BETWEEN ? AND ?)")
                             .arg(dialectOf(db).wholeSum(QStringLiteral("amount"))),
                         {accountId, from, to, accountId, from, to});
    q.next();
    return {Money::fromCents(q.value(0).toLongLong()), Money::fromCents(q.value(1).toLongLong())};
}

SideSums accountSidesOfMonths(const Book &book, qint64 accountId, const QString &firstMonth, const QString &lastMonth)
{
    const QSqlDatabase db = connectionOf(book);
    QSqlQuery q = runSql(db,
                         QStringLiteral(
                             "SELECT coalesce(%1, 0), coalesce(%2, 0)"
                             "  FROM period_balances WHERE account = ? AND flag = 'A' AND month BETWEEN ? AND ?")
                             .arg(dialectOf(db).wholeSum(QStringLiteral("money_in")),
                                  dialectOf(db).wholeSum(QStringLiteral("money_out"))),
                         {accountId, firstMonth, lastMonth});
    q.next();
    return {Money::fromCents(q.value(0).toLongLong()), Money::fromCents(q.value(1).toLongLong())};
}

bool keptBalancesUsable(const Book &book)
{
    return periodBalancesUsable(connectionOf(book));
}

} // namespace bc
