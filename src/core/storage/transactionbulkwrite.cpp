#include "transactionbulkwrite.h"

#include "closedbook.h"
#include "connection.h"
#include "engine.h"
#include "periodbalances.h"
#include "sql.h"
#include "transactionindexes.h"

#include <QSqlQuery>
#include <algorithm>
#include <sqlite3.h>

namespace bc {

namespace {

// The triggers on transaction_master whose work a bulk write does itself
// (the balances and the closed period) or that an insert or a delete never
// fires (those of updates).
bool onlyKnownTriggers(const QSqlDatabase &db)
{
    static const QStringList known{QStringLiteral("period_balances_insert"),
                                   QStringLiteral("period_balances_delete"),
                                   QStringLiteral("period_balances_update"),
                                   QStringLiteral("transaction_closed_insert"),
                                   QStringLiteral("transaction_closed_delete"),
                                   QStringLiteral("transaction_closed_update"),
                                   QStringLiteral("transaction_master_version")};
    QSqlQuery q = runSql(db,
                         QStringLiteral("SELECT name FROM sqlite_schema WHERE type = 'trigger' "
                                        "AND tbl_name = 'transaction_master'"));
    while (q.next())
        if (!known.contains(q.value(0).toString()))
            return false;
    return true;
}

bool setTriggers(sqlite3 *handle, bool on)
{
    int now = -1;
    return sqlite3_db_config(handle, SQLITE_DBCONFIG_ENABLE_TRIGGER, on ? 1 : 0, &now) == SQLITE_OK
        && now == (on ? 1 : 0);
}

} // namespace

TransactionRows transactionRowsOfIds(QList<qint64> ids)
{
    std::sort(ids.begin(), ids.end());
    ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
    if (ids.last() - ids.first() + 1 == ids.size())
        return {QStringLiteral("t.tran_id BETWEEN ? AND ?"), {ids.first(), ids.last()}};
    return {QStringLiteral("t.tran_id IN (SELECT value FROM json_each(?))"), {idsAsJsonArray(ids)}};
}

TransactionBulkWrite::TransactionBulkWrite(const QSqlDatabase &db)
    : m_db(db)
{
    if (engineOf(db) != Engine::SQLite || !onlyKnownTriggers(db))
        return;
    sqlite3 *handle = connectionHandle(db);
    m_off = handle && setTriggers(handle, false);
}

TransactionBulkWrite::~TransactionBulkWrite()
{
    // Every other writer of this connection needs the triggers back (a
    // connection closed meanwhile took the switch with it).
    if (!m_off)
        return;
    if (sqlite3 *handle = connectionHandle(m_db); handle && !setTriggers(handle, true))
        qFatal("The book's triggers could not be turned on again.");
}

void TransactionBulkWrite::setIndexesAside()
{
    m_mostRows = true;
    m_indexesAside = std::make_unique<TransactionIndexesAside>(m_db);
}

void TransactionBulkWrite::adding(qint64 count)
{
    if (m_off && count > 0 && count >= countTransactions(m_db))
        setIndexesAside();
}

void TransactionBulkWrite::added(const TransactionRows &rows)
{
    if (!m_off)
        return;
    if (m_indexesAside)
        m_indexesAside->restore();
    refuseClosedRows(m_db, rows.condition, rows.values);
    if (!keepsPeriodBalances(m_db))
        return;
    if (m_mostRows)
        fillPeriodBalances(m_db);
    else
        changePeriodBalances(m_db, rows.condition, rows.values, 1);
}

void TransactionBulkWrite::addedMostRows(const TransactionRows &rows)
{
    if (!m_off)
        return;
    refuseClosedRows(m_db, rows.condition, rows.values);
    if (keepsPeriodBalances(m_db))
        fillPeriodBalances(m_db);
}

void TransactionBulkWrite::removing(const TransactionRows &rows)
{
    if (!m_off)
        return;
    refuseClosedRows(m_db, rows.condition, rows.values);
    QSqlQuery q = runSql(m_db, QStringLiteral("SELECT count(*) FROM transaction_master AS t WHERE ") + rows.condition,
                         rows.values);
    const qint64 count = q.next() ? q.value(0).toLongLong() : 0;
    q.finish();
    if (count > 0 && 2 * count >= countTransactions(m_db))
        setIndexesAside();
    else if (keepsPeriodBalances(m_db))
        changePeriodBalances(m_db, rows.condition, rows.values, -1);
}

void TransactionBulkWrite::removed()
{
    if (m_indexesAside)
        m_indexesAside->restore();
    if (m_mostRows && keepsPeriodBalances(m_db))
        fillPeriodBalances(m_db);
}

void TransactionBulkWrite::filledNewBook()
{
    if (m_off && keepsPeriodBalances(m_db))
        fillPeriodBalances(m_db);
}

} // namespace bc
