#pragma once

#include "book.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantList>

#include <memory>

class QSqlDatabase;

namespace bc {

// Writes many rows into one table of a book, inside the caller's
// transaction, the fastest way each engine offers: SQLite runs one prepared
// statement again for each row through its own interface, which costs it
// nothing (sqliterowstatement.h); a server is sent the rows of many at a time
// by one COPY, since every statement there is a trip to the server and back,
// and fires the table's statement triggers once for them all. An insert with
// an ON CONFLICT clause, which COPY cannot take, is sent as one statement of
// arrays, one per column in the column's own type.
class BulkInserter {
public:
    // Rows of the table's columns, in that order; onConflict is an ON
    // CONFLICT clause both engines read, or empty.
    BulkInserter(const Book &book, const QString &table, const QStringList &columns, const QString &onConflict = {});
    // The same on a connection of core's own (a book being made).
    BulkInserter(const QSqlDatabase &db, const QString &table, const QStringList &columns,
                 const QString &onConflict = {});
    ~BulkInserter();
    BulkInserter(const BulkInserter &) = delete;
    BulkInserter &operator=(const BulkInserter &) = delete;

    // One row, a value per column: whole numbers, text, dates or Null.
    // Throws DbError when a row is refused (on a server, when its batch is
    // sent: by add() or finish()).
    void add(const QVariantList &row);
    void add(const QList<QVariantList> &rows);
    // Sends the rows still held. Rows added but not finished are not
    // written: a failure between add() and finish() writes nothing more.
    void finish();

private:
    struct Target;
    std::unique_ptr<Target> m_target;
};

} // namespace bc
