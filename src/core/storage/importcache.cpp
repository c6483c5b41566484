#include "importcache.h"

#include "engine.h"
#include "sql.h"

namespace bc {

namespace {

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

// Sets the page cache to cacheKib and returns the size it had.
qint64 widenPageCache(const Book &book, qint64 cacheKib)
{
    const QSqlDatabase db = connectionOf(book);
    const qint64 previous = pageCacheSize(db);
    setPageCacheSize(db, -cacheKib);
    return previous;
}

} // namespace

ImportTransaction::ImportTransaction(const Book &book, qint64 cacheKib)
    : m_book(book)
    , m_previousCache(widenPageCache(book, cacheKib))
    , m_transaction(book)
{
}

ImportTransaction::~ImportTransaction()
{
    try {
        setPageCacheSize(connectionOf(m_book), m_previousCache);
    } catch (const DbError &) {
        // The cache only affects speed; the connection stays usable.
    }
}

void ImportTransaction::narrowPageCache(qint64 cacheKib)
{
    setPageCacheSize(connectionOf(m_book), -cacheKib);
}

void ImportTransaction::commit()
{
    m_transaction.commit();
}

} // namespace bc
