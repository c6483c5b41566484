#include "engine.h"

#include "sql.h"

#include <QSqlDatabase>

namespace bc {

Engine engineOf(const QSqlDatabase &db)
{
    return db.driverName() == QLatin1String("QPSQL") ? Engine::PostgreSQL : Engine::SQLite;
}

bool isServerLocation(const QString &location)
{
    const QString t = location.trimmed();
    return t.startsWith(QLatin1String("postgresql://"), Qt::CaseInsensitive)
        || t.startsWith(QLatin1String("postgres://"), Qt::CaseInsensitive);
}

QString forEngine(const QSqlDatabase &db, const QString &sqlite, const QString &postgres)
{
    return engineOf(db) == Engine::PostgreSQL ? postgres : sqlite;
}

bool bookHasTable(const QSqlDatabase &db, const QString &name)
{
    return runSql(db,
                  forEngine(db,
                            QStringLiteral(
                                "SELECT 1 FROM sqlite_master WHERE type = 'table' AND lower(name) = lower(?)"),
                            QStringLiteral("SELECT 1 FROM pg_catalog.pg_tables "
                                           "WHERE schemaname = current_schema() AND tablename = lower(?)")),
                  {name})
        .next();
}

bool bookHasTrigger(const QSqlDatabase &db, const QString &name)
{
    return runSql(db,
                  forEngine(db,
                            QStringLiteral(
                                "SELECT 1 FROM sqlite_master WHERE type = 'trigger' AND lower(name) = lower(?)"),
                            QStringLiteral("SELECT 1 FROM pg_catalog.pg_trigger "
                                           "WHERE NOT tgisinternal AND tgname = lower(?)")),
                  {name})
        .next();
}

QString loginName(const QSqlDatabase &db)
{
    if (engineOf(db) != Engine::PostgreSQL)
        return QString();
    QSqlQuery q = runSql(db, QStringLiteral("SELECT session_user"));
    return q.next() ? q.value(0).toString() : QString();
}

} // namespace bc
