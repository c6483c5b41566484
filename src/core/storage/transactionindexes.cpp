#include "transactionindexes.h"

#include "connection.h"
#include "engine.h"
#include "sql.h"

#include <QSqlQuery>

namespace bc {

TransactionIndexesAside::TransactionIndexesAside(const Book &book)
    : TransactionIndexesAside(connectionOf(book))
{
}

TransactionIndexesAside::TransactionIndexesAside(const QSqlDatabase &db)
    : m_db(db)
{
    if (engineOf(m_db) != Engine::SQLite)
        return;
    QStringList names, definitions;
    {
        QSqlQuery q = runSql(m_db,
                             QStringLiteral("SELECT name, sql FROM sqlite_schema WHERE type = 'index' "
                                            "AND tbl_name = 'transaction_master' AND sql IS NOT NULL "
                                            "AND sql NOT LIKE 'CREATE UNIQUE %' ORDER BY name"));
        while (q.next()) {
            names << q.value(0).toString();
            definitions << q.value(1).toString();
        }
    }
    // The names come from the book's own catalogue, quoted as identifiers.
    // SQLite drops nothing while another statement of the connection is
    // still reading: the indexes left then stay, and the rows go in past them.
    for (qsizetype i = 0; i < names.size(); ++i) {
        try {
            runSql(m_db, QStringLiteral("DROP INDEX \"%1\"").arg(names[i].replace(u'"', QStringLiteral("\"\""))));
        } catch (const DbError &e) {
            if (e.fault() != DbFault::Locked)
                throw;
            return;
        }
        m_definitions << definitions[i];
    }
}

void TransactionIndexesAside::restore()
{
    for (const QString &definition : m_definitions)
        runSql(m_db, definition);
    m_definitions.clear();
}

qint64 countTransactions(const Book &book)
{
    return countTransactions(connectionOf(book));
}

qint64 countTransactions(const QSqlDatabase &db)
{
    QSqlQuery q = runSql(db, QStringLiteral("SELECT count(*) FROM transaction_master"));
    return q.next() ? q.value(0).toLongLong() : 0;
}

} // namespace bc
