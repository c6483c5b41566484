#pragma once

#include <QSqlDatabase>

namespace bc {

// SQLite: the page cache of a connection, which a long import widens for its
// life. A server keeps its own cache: there the size reads as 0 and setting
// it does nothing.

// The connection's page cache, as SQLite's cache_size gives it (pages, or
// KiB when negative).
qint64 pageCacheSize(const QSqlDatabase &db);
void setPageCacheSize(const QSqlDatabase &db, qint64 size);

} // namespace bc
