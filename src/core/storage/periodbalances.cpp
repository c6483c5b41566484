#include "periodbalances.h"

#include "engine.h"
#include "schema.h"
#include "sql.h"

#include <QRegularExpression>
#include <QSqlQuery>

namespace bc {

namespace {

// The triggers that keep the balances. A server book also empties them when
// the transactions are truncated, which fires no row's trigger.
QStringList keepingTriggers(const QSqlDatabase &db)
{
    QStringList triggers{QStringLiteral("period_balances_insert"), QStringLiteral("period_balances_delete"),
                         QStringLiteral("period_balances_update")};
    if (engineOf(db) == Engine::PostgreSQL)
        triggers << QStringLiteral("period_balances_truncate");
    return triggers;
}

bool keepingTriggersPresent(const QSqlDatabase &db)
{
    return bookHasTriggers(db, keepingTriggers(db));
}

// SQLite: another program's INSERT OR REPLACE or UPDATE OR REPLACE deletes
// the row it replaces without firing the delete trigger (unless it turned
// recursive triggers on), so the kept balances go on counting that row: they
// then count more transactions than the book holds. Every such deletion shows
// in the counts, so the counts agreeing is remembered on the connection until
// another connection commits (PRAGMA data_version moves); this connection's
// own writes fire every trigger.
bool keptCountsAgree(const QSqlDatabase &db)
{
    runSql(db, QStringLiteral("CREATE TEMP TABLE IF NOT EXISTS kept_counts_agree (data_version INTEGER)"));
    QSqlQuery version = runSql(db, QStringLiteral("PRAGMA data_version"));
    const qint64 dataVersion = version.next() ? version.value(0).toLongLong() : -1;
    version.finish();
    QSqlQuery remembered = runSql(db, QStringLiteral("SELECT 1 FROM temp.kept_counts_agree WHERE data_version = ?"),
                                  {dataVersion});
    if (remembered.next())
        return true;
    remembered.finish();
    QSqlQuery counts = runSql(db,
                              QStringLiteral("SELECT (SELECT coalesce(sum(count_in), 0) FROM period_balances) "
                                             "= (SELECT count(*) FROM transaction_master)"));
    const bool agree = counts.next() && counts.value(0).toBool();
    counts.finish();
    if (agree) {
        runSql(db, QStringLiteral("DELETE FROM temp.kept_counts_agree"));
        runSql(db, QStringLiteral("INSERT INTO temp.kept_counts_agree VALUES (?)"), {dataVersion});
    }
    return agree;
}

// Every side's sums and counts per month, from the transactions. Each side
// is grouped in the order of its covering index, so neither reads the table.
QString computedBalances(const QSqlDatabase &db)
{
    return QStringLiteral(
               "SELECT account, flag, month, sum(money_in) AS money_in, sum(count_in) AS count_in,"
               "       sum(money_out) AS money_out, sum(count_out) AS count_out FROM ("
               "  SELECT to_acc AS account, to_flag AS flag, %1 AS month,"
               "         sum(coalesce(amount, 0)) AS money_in, count(*) AS count_in, 0 AS money_out, 0 AS count_out"
               "    FROM transaction_master GROUP BY to_acc, to_flag, %1"
               "  UNION ALL"
               "  SELECT from_acc, from_flag, %1, 0, 0, sum(coalesce(amount, 0)), count(*)"
               "    FROM transaction_master GROUP BY from_acc, from_flag, %1"
               ") AS sides GROUP BY account, flag, month")
        .arg(dialectOf(db).monthOfDate(QStringLiteral("tran_date")));
}

// The statements the insert trigger of a book file runs for each new
// transaction, as the script writes them.
QStringList insertTriggerStatements()
{
    static const QString trigger = QStringLiteral("CREATE TRIGGER period_balances_insert ");
    for (const QString &statement : sqlScript(periodBalancesScript()))
        if (statement.startsWith(trigger)) {
            const QString body = statement.section(QStringLiteral("\nBEGIN\n"), 1)
                                     .section(QStringLiteral("\nEND"), 0, 0);
            return body.split(u';', Qt::SkipEmptyParts);
        }
    qFatal("The script %s makes no insert trigger.", qPrintable(periodBalancesScript()));
}

// SQLite: a month whose sum leaves the 64-bit range makes sum() fail. The
// insert trigger's own statements then run once for all transactions, each
// "VALUES (NEW.column, ...)" read as "SELECT column, ... FROM
// transaction_master": row by row the kept sum turns into SQLite's
// floating-point result, as the trigger leaves it, and the reports then add
// up the transactions directly.
void fillRowByRow(const QSqlDatabase &db)
{
    static const QRegularExpression values(QStringLiteral("VALUES \\((.*)\\)(\\s+ON CONFLICT)"));
    for (QString statement : insertTriggerStatements()) {
        statement.remove(QStringLiteral("NEW."));
        statement.replace(values, QStringLiteral("SELECT \\1 FROM transaction_master WHERE true\\2"));
        runSql(db, statement.trimmed());
    }
}

// PostgreSQL: the kept balances' table, functions and triggers as the
// server's own scripts make them, the functions replacing those in place.
QStringList serverPeriodBalanceStatements()
{
    QStringList statements;
    for (const QString &statement :
         sqlScript(QStringLiteral("pg/tables.sql")) + sqlScript(QStringLiteral("pg/functions.sql"))) {
        if (statement.startsWith(QLatin1String("CREATE TABLE period_balances "))
            || statement.startsWith(QLatin1String("CREATE TRIGGER period_balances_")))
            statements << statement;
        else if (statement.startsWith(QLatin1String("CREATE FUNCTION period_balances_")))
            statements << QStringLiteral("CREATE OR REPLACE") + statement.mid(int(qstrlen("CREATE")));
    }
    return statements;
}

// Each side of the rows a condition on transaction_master AS t names, as
// rows of the kept balances' columns, its amount and count signed: the rows
// are read once, each giving its To side and then its From side.
QString signedSides(const QString &rows, int sign)
{
    const QString amount = sign < 0 ? QStringLiteral("-ifnull(t.amount, 0)") : QStringLiteral("ifnull(t.amount, 0)");
    const QString count = sign < 0 ? QStringLiteral("-1") : QStringLiteral("1");
    return QStringLiteral("SELECT iif(s.side = 1, t.to_acc, t.from_acc) AS account, "
                          "iif(s.side = 1, t.to_flag, t.from_flag) AS flag, substr(t.tran_date, 1, 7) AS month, "
                          "iif(s.side = 1, %1, 0) AS money_in, iif(s.side = 1, %2, 0) AS count_in, "
                          "iif(s.side = 2, %1, 0) AS money_out, iif(s.side = 2, %2, 0) AS count_out "
                          "FROM transaction_master AS t CROSS JOIN (SELECT 1 AS side UNION ALL SELECT 2) AS s "
                          "WHERE %3")
        .arg(amount, count, rows);
}

} // namespace

void changePeriodBalances(const QSqlDatabase &db, const QString &rows, const QVariantList &values, int sign)
{
    const QString insert = QStringLiteral("INSERT INTO period_balances (account, flag, month, money_in, count_in, "
                                          "money_out, count_out) ");
    const QString add = QStringLiteral(" ON CONFLICT DO UPDATE SET money_in = money_in + excluded.money_in, "
                                       "count_in = count_in + excluded.count_in, money_out = money_out + "
                                       "excluded.money_out, count_out = count_out + excluded.count_out");
    try {
        runSql(db,
               insert
                   + QStringLiteral("SELECT account, flag, month, sum(money_in), sum(count_in), sum(money_out), "
                                    "sum(count_out) FROM (%1) AS sides GROUP BY account, flag, month")
                         .arg(signedSides(rows, sign))
                   + add,
               values);
    } catch (const DbError &e) {
        if (!isSumOverflow(e))
            throw;
        // A month's sum past the 64-bit range: each side is added on its
        // own, as the triggers add it, so the month ends with SQLite's
        // floating-point result as they leave it.
        runSql(db, insert + QStringLiteral("SELECT * FROM (%1) AS sides WHERE true").arg(signedSides(rows, sign)) + add,
               values);
    }
    if (sign < 0)
        runSql(db, QStringLiteral("DELETE FROM period_balances WHERE count_in = 0 AND count_out = 0"));
}

bool keepsPeriodBalances(const QSqlDatabase &db)
{
    return bookHasTable(db, QStringLiteral("period_balances"));
}

bool periodBalancesUsable(const QSqlDatabase &db)
{
    if (!keepsPeriodBalances(db) || !keepingTriggersPresent(db))
        return false;
    // PostgreSQL: the kept sums are bigint, and its trigger refuses a
    // transaction that would take a month's sum beyond that range; its
    // triggers fire for every row another program writes.
    if (engineOf(db) == Engine::PostgreSQL)
        return true;
    // The condition is the partial index's own, so only the index is read.
    return !runSql(db,
                   QStringLiteral("SELECT 1 FROM period_balances WHERE typeof(money_in) <> 'integer' "
                                  "OR typeof(money_out) <> 'integer' LIMIT 1"))
                .next()
        && keptCountsAgree(db);
}

void fillPeriodBalances(const QSqlDatabase &db)
{
    runSql(db, QStringLiteral("DELETE FROM period_balances"));
    try {
        runSql(db,
               QStringLiteral("INSERT INTO period_balances (account, flag, month, money_in, count_in, money_out, "
                              "count_out) ")
                   + computedBalances(db));
    } catch (const DbError &e) {
        // PostgreSQL: no month may hold a sum beyond the range of its kept
        // bigint, so there is no inexact sum to keep instead.
        if (!isSumOverflow(e) || engineOf(db) == Engine::PostgreSQL)
            throw;
        runSql(db, QStringLiteral("DELETE FROM period_balances"));
        fillRowByRow(db);
    }
}

void rebuildPeriodBalances(const QSqlDatabase &db)
{
    const bool onServer = engineOf(db) == Engine::PostgreSQL;
    TransactionGuard transaction(db);
    for (const QString &trigger : keepingTriggers(db))
        runSql(db, dialectOf(db).dropTriggerIfExists(trigger, QStringLiteral("transaction_master")));
    runSql(db, QStringLiteral("DROP TABLE IF EXISTS period_balances"));
    for (const QString &statement : onServer ? serverPeriodBalanceStatements() : sqlScript(periodBalancesScript()))
        runSql(db, statement);
    fillPeriodBalances(db);
    transaction.commit();
}

QStringList periodBalanceProblems(const QSqlDatabase &db, int limit)
{
    QStringList problems;
    if (!keepsPeriodBalances(db))
        return problems;
    for (const QString &trigger : keepingTriggers(db))
        if (!bookHasTrigger(db, trigger))
            problems << QStringLiteral("The trigger %1 that keeps the period balances is missing.").arg(trigger);
    QSqlQuery q = runSql(db,
                         QStringLiteral("SELECT DISTINCT account, flag, month FROM ("
                                        "  SELECT * FROM (SELECT * FROM (%1) AS computed"
                                        "                 EXCEPT SELECT * FROM period_balances) AS unkept"
                                        "  UNION ALL"
                                        "  SELECT * FROM (SELECT * FROM period_balances"
                                        "                 EXCEPT SELECT * FROM (%1) AS computed) AS stale"
                                        ") AS differing ORDER BY account, flag, month%2")
                             .arg(computedBalances(db), limit < 0 ? QString() : QStringLiteral(" LIMIT ?")),
                         limit < 0 ? QVariantList() : QVariantList{limit});
    while (q.next())
        problems << QStringLiteral("The kept balance of %1 %2 for %3 differs from its transactions.")
                        .arg(q.value(1).toString() == QLatin1String("P") ? QStringLiteral("party")
                                                                         : QStringLiteral("account"),
                             q.value(0).toString(), q.value(2).toString());
    return problems;
}

} // namespace bc
