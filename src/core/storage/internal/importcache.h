#pragma once

#include "book.h"
#include "booktransaction.h"

namespace bc {

// The write transaction of a long import, which rolls back when leaving scope
// uncommitted. SQLite: a transaction larger than the page cache writes pages
// out before its commit, each time syncing the rollback journal first; the
// connection's page cache is widened to cacheKib for the transaction's life,
// which keeps those syncs few while the memory stays bounded. A server keeps
// its own cache.
class ImportTransaction {
public:
    ImportTransaction(const Book &book, qint64 cacheKib);
    ~ImportTransaction();
    ImportTransaction(const ImportTransaction &) = delete;
    ImportTransaction &operator=(const ImportTransaction &) = delete;
    // Narrows the page cache to cacheKib for the rest of the transaction:
    // before a statement that sorts many rows, since SQLite's sorter holds
    // as much in memory as the page cache may before it writes to temporary
    // files, and the two together would double the import's memory.
    void narrowPageCache(qint64 cacheKib);
    void commit();

private:
    const Book &m_book;
    qint64 m_previousCache; // as SQLite's cache_size gives it: pages, or KiB when negative
    BookTransaction m_transaction;
};

} // namespace bc
