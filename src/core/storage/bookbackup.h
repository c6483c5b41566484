#pragma once

#include <QSqlDatabase>
#include <QString>

namespace bc {

// Copies the open book, as its connection sees it, to a new file beside it
// with SQLite's online backup: BOOK.v1.bak for a book of format 1, or, when
// that name is taken, BOOK.v1.2.bak, BOOK.v1.3.bak and so on; an existing file
// is never written over. Returns the copy's path; throws DbError with the
// reason when no copy could be made (a part-written copy is removed).
QString backUpBeside(const QSqlDatabase &db, const QString &bookPath, int format);

} // namespace bc
