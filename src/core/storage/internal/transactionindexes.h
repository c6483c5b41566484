#pragma once

#include "book.h"

#include <QSqlDatabase>
#include <QStringList>

namespace bc {

// The indexes of transaction_master set aside while a long import fills a
// book that held few transactions before it, and made again from their own
// definitions in one pass over every row before the import commits (or
// while an undo takes away or puts back most of a book's rows): SQLite
// then sorts each index once instead of placing every new row in each,
// which measured a third less processor time at 1,000,000 rows into an
// empty book. Everything happens inside the transaction, so a failure or a
// crash leaves the indexes as they were. Unique indexes stay (they refuse
// rows as they come); a server book keeps its indexes.
class TransactionIndexesAside {
public:
    explicit TransactionIndexesAside(const Book &book);
    explicit TransactionIndexesAside(const QSqlDatabase &db);
    TransactionIndexesAside(const TransactionIndexesAside &) = delete;
    TransactionIndexesAside &operator=(const TransactionIndexesAside &) = delete;

    // Makes the indexes again. Throws DbError.
    void restore();

private:
    QSqlDatabase m_db;
    QStringList m_definitions;
};

// How many transactions the book holds.
qint64 countTransactions(const Book &book);
qint64 countTransactions(const QSqlDatabase &db);

} // namespace bc
