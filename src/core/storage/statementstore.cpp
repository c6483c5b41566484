#include "statementstore.h"

#include "dates.h"
#include "engine.h"
#include "sql.h"

#include <QSqlQuery>

namespace bc {

namespace {

const QString CashTable = QStringLiteral("cash_accounts");

// The condition on tran_date for the days first to last, an invalid first
// reading from the beginning, and the values it binds.
QString daysCondition(const QDate &first)
{
    return first.isValid() ? QStringLiteral("tran_date BETWEEN ? AND ?") : QStringLiteral("tran_date <= ?");
}

QVariantList dayValues(const QDate &first, const QDate &last)
{
    return first.isValid() ? QVariantList{isoDate(first), isoDate(last)} : QVariantList{isoDate(last)};
}

std::vector<SideMovement> readMovements(QSqlQuery &q)
{
    std::vector<SideMovement> movements;
    while (q.next())
        movements.push_back({q.value(0).toLongLong(), q.value(1).toString().at(0),
                             Money::fromCents(q.value(2).toLongLong()), Money::fromCents(q.value(3).toLongLong())});
    return movements;
}

} // namespace

std::vector<SideMonth> sideMovementsByMonth(const Book &book, const QString &firstMonth, const QString &lastMonth)
{
    QSqlQuery q = runSql(connectionOf(book),
                         QStringLiteral("SELECT account, flag, money_in, money_out, month FROM period_balances"
                                        " WHERE month BETWEEN ? AND ?"),
                         {firstMonth, lastMonth});
    std::vector<SideMonth> months;
    while (q.next())
        months.push_back({{q.value(0).toLongLong(), q.value(1).toString().at(0),
                           Money::fromCents(q.value(2).toLongLong()), Money::fromCents(q.value(3).toLongLong())},
                          q.value(4).toString()});
    return months;
}

std::vector<SideMovement> sideMovementsOfDays(const Book &book, const QDate &first, const QDate &last)
{
    const QSqlDatabase db = connectionOf(book);
    const QString sum = dialectOf(db).wholeSum(QStringLiteral("coalesce(amount, 0)"));
    const QVariantList days = dayValues(first, last);
    QSqlQuery q = runSql(db,
                         QStringLiteral("SELECT account, flag, %1, %2 FROM ("
                                        "  SELECT to_acc AS account, to_flag AS flag, %3 AS money_in, 0 AS money_out"
                                        "    FROM transaction_master WHERE %4"
                                        "   GROUP BY to_acc, to_flag"
                                        "  UNION ALL"
                                        "  SELECT from_acc, from_flag, 0, %3"
                                        "    FROM transaction_master WHERE %4"
                                        "   GROUP BY from_acc, from_flag"
                                        ") AS sides GROUP BY account, flag")
                             .arg(dialectOf(db).wholeSum(QStringLiteral("money_in")),
                                  dialectOf(db).wholeSum(QStringLiteral("money_out")), sum, daysCondition(first)),
                         days + days);
    return readMovements(q);
}

std::vector<SideMovement> cashCounterMovements(const Book &book, qint64 cashAccountId, const QDate &first,
                                               const QDate &last)
{
    const QSqlDatabase db = connectionOf(book);
    const QString sum = dialectOf(db).wholeSum(QStringLiteral("coalesce(amount, 0)"));
    const QVariantList days = dayValues(first, last);
    QSqlQuery q = runSql(db,
                         QStringLiteral(
                             "SELECT account, flag, %1, %2 FROM ("
                             "  SELECT from_acc AS account, from_flag AS flag, %3 AS money_in, 0 AS money_out"
                             "    FROM transaction_master WHERE to_acc = ? AND to_flag = 'A' AND %4"
                             "     AND NOT (from_acc = to_acc AND from_flag = to_flag)"
                             "   GROUP BY from_acc, from_flag"
                             "  UNION ALL"
                             "  SELECT to_acc, to_flag, 0, %3"
                             "    FROM transaction_master WHERE from_acc = ? AND from_flag = 'A' AND %4"
                             "     AND NOT (from_acc = to_acc AND from_flag = to_flag)"
                             "   GROUP BY to_acc, to_flag"
                             ") AS counters GROUP BY account, flag")
                             .arg(dialectOf(db).wholeSum(QStringLiteral("money_in")),
                                  dialectOf(db).wholeSum(QStringLiteral("money_out")), sum, daysCondition(first)),
                         QVariantList{cashAccountId} + days + QVariantList{cashAccountId} + days);
    return readMovements(q);
}

QHash<qint64, QString> readPartyNames(const Book &book)
{
    QHash<qint64, QString> names;
    QSqlQuery q = runSql(connectionOf(book), QStringLiteral("SELECT Party_ID, Party_name FROM Party_master"));
    while (q.next())
        names.insert(q.value(0).toLongLong(), q.value(1).toString().trimmed());
    return names;
}

QHash<qint64, bool> readCashSettings(const Book &book)
{
    QHash<qint64, bool> settings;
    const QSqlDatabase db = connectionOf(book);
    if (!bookHasTable(db, CashTable))
        return settings;
    QSqlQuery q = runSql(db, QStringLiteral("SELECT account_id, cash_or_bank FROM cash_accounts"));
    while (q.next())
        settings.insert(q.value(0).toLongLong(), q.value(1).toLongLong() != 0);
    return settings;
}

void writeCashSetting(const Book &book, qint64 accountId, bool cashOrBank)
{
    const QSqlDatabase db = connectionOf(book);
    runSql(db, QStringLiteral("DELETE FROM cash_accounts WHERE account_id = ?"), {accountId});
    runSql(db, QStringLiteral("INSERT INTO cash_accounts (account_id, cash_or_bank) VALUES (?, ?)"),
           {accountId, cashOrBank ? 1 : 0});
}

} // namespace bc
