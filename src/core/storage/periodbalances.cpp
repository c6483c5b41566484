#include "periodbalances.h"

#include "engine.h"
#include "schema.h"
#include "sql.h"

#include <QSqlQuery>

namespace bc {

namespace {

const QStringList triggers{QStringLiteral("period_balances_insert"), QStringLiteral("period_balances_delete"),
                           QStringLiteral("period_balances_update")};

// Every side's sums and counts per month, from the transactions. Each side
// is grouped in the order of its covering index, so neither reads the table.
// SQLite: substr(), ifnull().
const QString computedBalances = QStringLiteral(
    "SELECT account, flag, month, sum(money_in) AS money_in, sum(count_in) AS count_in,"
    "       sum(money_out) AS money_out, sum(count_out) AS count_out FROM ("
    "  SELECT to_acc AS account, to_flag AS flag, substr(tran_date, 1, 7) AS month,"
    "         sum(ifnull(amount, 0)) AS money_in, count(*) AS count_in, 0 AS money_out, 0 AS count_out"
    "    FROM transaction_master GROUP BY to_acc, to_flag, substr(tran_date, 1, 7)"
    "  UNION ALL"
    "  SELECT from_acc, from_flag, substr(tran_date, 1, 7), 0, 0, sum(ifnull(amount, 0)), count(*)"
    "    FROM transaction_master GROUP BY from_acc, from_flag, substr(tran_date, 1, 7)"
    ") GROUP BY account, flag, month");

const QString insertColumns = QStringLiteral(
    "INSERT INTO period_balances (account, flag, month, money_in, count_in, money_out, count_out) ");

// A month whose sum leaves the 64-bit range makes sum() fail; row by row the
// kept sum turns into SQLite's floating-point result, as the triggers leave
// it, and the reports then add up the transactions directly.
void fillRowByRow(const QSqlDatabase &db)
{
    runSql(db,
           insertColumns
               + QStringLiteral("SELECT to_acc, to_flag, substr(tran_date, 1, 7), ifnull(amount, 0), 1, 0, 0"
                                "  FROM transaction_master WHERE true "
                                "ON CONFLICT DO UPDATE SET money_in = money_in + excluded.money_in,"
                                " count_in = count_in + 1"));
    runSql(db,
           insertColumns
               + QStringLiteral("SELECT from_acc, from_flag, substr(tran_date, 1, 7), 0, 0, ifnull(amount, 0), 1"
                                "  FROM transaction_master WHERE true "
                                "ON CONFLICT DO UPDATE SET money_out = money_out + excluded.money_out,"
                                " count_out = count_out + 1"));
}

} // namespace

bool keepsPeriodBalances(const QSqlDatabase &db)
{
    return bookHasTable(db, QStringLiteral("period_balances"));
}

bool periodBalancesUsable(const QSqlDatabase &db)
{
    // The condition is the partial index's own, so only the index is read.
    return keepsPeriodBalances(db)
        && !runSql(db,
                   QStringLiteral("SELECT 1 FROM period_balances WHERE typeof(money_in) <> 'integer' "
                                  "OR typeof(money_out) <> 'integer' LIMIT 1"))
                .next();
}

void fillPeriodBalances(const QSqlDatabase &db)
{
    runSql(db, QStringLiteral("DELETE FROM period_balances"));
    try {
        runSql(db, insertColumns + computedBalances);
    } catch (const DbError &e) {
        if (!isSumOverflow(e))
            throw;
        runSql(db, QStringLiteral("DELETE FROM period_balances"));
        fillRowByRow(db);
    }
}

void rebuildPeriodBalances(const QSqlDatabase &db)
{
    TransactionGuard transaction(db);
    for (const QString &trigger : triggers)
        runSql(db, QStringLiteral("DROP TRIGGER IF EXISTS \"%1\"").arg(trigger));
    runSql(db, QStringLiteral("DROP TABLE IF EXISTS period_balances"));
    for (const QString &statement : sqlScript(periodBalancesScript()))
        runSql(db, statement);
    fillPeriodBalances(db);
    transaction.commit();
}

QStringList periodBalanceProblems(const QSqlDatabase &db, int limit)
{
    QStringList problems;
    if (!keepsPeriodBalances(db))
        return problems;
    for (const QString &trigger : triggers)
        if (!bookHasTrigger(db, trigger))
            problems << QStringLiteral("The trigger %1 that keeps the period balances is missing.").arg(trigger);
    QSqlQuery q = runSql(db,
                         QStringLiteral("SELECT DISTINCT account, flag, month FROM ("
                                        "  SELECT * FROM (SELECT * FROM (%1) EXCEPT SELECT * FROM period_balances)"
                                        "  UNION ALL"
                                        "  SELECT * FROM (SELECT * FROM period_balances EXCEPT SELECT * FROM (%1))"
                                        ") ORDER BY account, flag, month LIMIT ?")
                             .arg(computedBalances),
                         {limit});
    while (q.next())
        problems << QStringLiteral("The kept balance of %1 %2 for %3 differs from its transactions.")
                        .arg(q.value(1).toString() == QLatin1String("P") ? QStringLiteral("party")
                                                                         : QStringLiteral("account"),
                             q.value(0).toString(), q.value(2).toString());
    return problems;
}

} // namespace bc
