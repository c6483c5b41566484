#include "engine.h"

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

} // namespace bc
