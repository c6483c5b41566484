#pragma once

#include <QDateTime>
#include <QString>

namespace bc {

// A book's copy of the day is never replaced by one holding fewer
// transactions without keeping it too: of the copies the rotation is about
// to delete, those made the same day as `copy` that hold more transactions
// than it are renamed NAME-YYYYMMDD-HHMMSS-before-deletions.fd, a name the
// rotation leaves alone. Throws DbError when such a copy cannot be renamed,
// so that the rotation deletes nothing.
void keepFullerCopies(const QString &copy, const QString &bookPath, const QString &folder, const QDateTime &now);

// The name a fuller copy is kept under.
QString fullerCopyName(const QString &copyName);

} // namespace bc
