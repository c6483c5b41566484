#pragma once

#include <QSqlDatabase>
#include <QString>
#include <vector>

namespace bc {

// Fills tables a format adds from an older book's rows, inside the
// migration's transaction and with foreign keys off. Throws DbError with the
// reason when the book cannot be brought forward.
using FormatFill = void (*)(const QSqlDatabase &db);

// A format after 2 adds tables or columns: a script under database/ that makes them,
// run for a new book and when an older book is brought forward, and what
// fills them from the older book's rows (nothing when they start empty).
struct LaterFormat {
    QString tablesScript;
    FormatFill fill = nullptr;
};

// Formats 3, 4, ... in order; Book::formatVersion is 2 plus their number.
const std::vector<LaterFormat> &laterFormats();

// Format 1 to 2: the permanent tables become typed and constrained, the work
// tables leave the book. Refuses, listing the first rows by table, id and
// fault, when any row could not be carried over.
void migrateFormat1To2(const QSqlDatabase &db);

// Whether a book of this older format can be shown as it is, without
// migrating it: format 1 has the columns of format 2, only untyped, and the
// later formats only add tables and the row versions, which are never needed
// to read.
bool readableWithoutMigration(int format);

// Brings the writable book at path, open on db, from format `from` to the
// current one: a backup copy beside it first, then every step in one
// transaction, then its version row. On failure the transaction is rolled
// back, so the book is as it was, the backup copy is kept, and DbError gives
// the reason and names the copy. Returns the copy's path.
QString migrateBook(const QSqlDatabase &db, const QString &path, int from);

} // namespace bc
