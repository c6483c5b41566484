#include "transactionindexes.h"

#include "connection.h"
#include "engine.h"
#include "sql.h"

#include <QSqlQuery>

namespace bc {

TransactionIndexesAside::TransactionIndexesAside(const Book &book)
    : m_db(connectionOf(book))
{
    if (engineOf(m_db) != Engine::SQLite)
        return;
    QStringList names;
    {
        QSqlQuery q = runSql(m_db,
                             QStringLiteral("SELECT name, sql FROM sqlite_schema WHERE type = 'index' "
                                            "AND tbl_name = 'transaction_master' AND sql IS NOT NULL "
                                            "AND sql NOT LIKE 'CREATE UNIQUE %' ORDER BY name"));
        while (q.next()) {
            names << q.value(0).toString();
            m_definitions << q.value(1).toString();
        }
    }
    // The names come from the book's own catalogue, quoted as identifiers.
    for (QString name : names)
        runSql(m_db, QStringLiteral("DROP INDEX \"%1\"").arg(name.replace(u'"', QStringLiteral("\"\""))));
}

void TransactionIndexesAside::restore()
{
    for (const QString &definition : m_definitions)
        runSql(m_db, definition);
    m_definitions.clear();
}

qint64 countTransactions(const Book &book)
{
    QSqlQuery q = runSql(connectionOf(book), QStringLiteral("SELECT count(*) FROM transaction_master"));
    return q.next() ? q.value(0).toLongLong() : 0;
}

} // namespace bc
