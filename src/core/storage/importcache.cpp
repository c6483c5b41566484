#include "importcache.h"

#include "engine.h"
#include "sql.h"

namespace bc {

qint64 pageCacheSize(const QSqlDatabase &db)
{
    if (engineOf(db) != Engine::SQLite)
        return 0;
    QSqlQuery q = runSql(db, QStringLiteral("PRAGMA cache_size"));
    return q.next() ? q.value(0).toLongLong() : -2000;
}

void setPageCacheSize(const QSqlDatabase &db, qint64 size)
{
    if (engineOf(db) != Engine::SQLite)
        return;
    // A PRAGMA takes no bound values; the size is a number made here.
    runSql(db, QStringLiteral("PRAGMA cache_size = %1").arg(size));
}

} // namespace bc
