#pragma once

#include "book.h"

#include <QDateTime>
#include <QString>

namespace bc {

// Copies of a book made with SQLite's online backup, each written under a
// temporary name, checked with integrity_check and only then given its name;
// a copy that fails the check is deleted and the failure thrown as DbError,
// never kept.

// Copies the open book into folder (made when missing) as
// NAME-DIGEST-YYYYMMDD-HHMMSS.fd (backuprotation.h: NAME-DIGEST tells the
// book from any other of the same name), then deletes the book's older copies
// there that the rotation does not keep; other files, other books' copies
// and copies named by an older program are never touched. Returns the copy's
// path.
QString backUpBook(const Book &book, const QString &folder, const QDateTime &now);

// The same for the book at path, which is not open: it is opened read-only
// for the copy. For the copy made after the program closed the book; none
// for a book on a server. The others throw DbError for a server book.
QString backUpBookFile(const QString &bookPath, const QString &folder, const QDateTime &now);

// Copies the open book into folder as NAME-DIGEST-YYYYMMDD-HHMMSS.fd, like
// backUpBook but without deleting any copy. Returns the copy's path.
QString copyBookInto(const Book &book, const QString &folder, const QDateTime &now);

// Copies the open book to the file target, which must not exist yet; no
// rotation. Returns target.
QString copyBookTo(const Book &book, const QString &target);

// Imports of more rows than this are preceded by a backup copy: a large
// import is undone most easily from a copy made just before it.
constexpr qint64 LargeImportRows = 1000;

// Before an import of rows rows: backUpBook when they are more than
// LargeImportRows, a folder is given and the book is a book file (a server
// keeps its own backups). Returns the copy's path, else an
// empty text; throws DbError when the copy fails, so the import is refused.
QString backUpBeforeImport(const Book &book, qint64 rows, const QString &folder, const QDateTime &now);

// Deletes the book's copies in folder that the rotation does not keep.
void rotateCopies(const QString &bookPath, const QString &folder, const QDateTime &now);

} // namespace bc
