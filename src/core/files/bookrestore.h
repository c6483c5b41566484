#pragma once

#include <QDateTime>
#include <QString>

namespace bc {

// Puts the book at backupPath in place of the book at bookPath. The backup
// must open as a book and pass integrity_check. While the current book is
// held with an exclusive lock (refused, as DbFault::Locked, while another
// program uses it), it is first copied byte for byte beside itself as
// NAME-replaced-YYYYMMDD-HHMMSS.fd (never over another file); then the
// backup is copied to a temporary file in the book's folder, given the
// owner, group and permissions of the book it replaces (refused when they
// cannot be given), checked, forced to the disk and renamed over the book in
// one step, so the book is at every moment either the old one or the
// restored one. When bookPath is a symbolic link, the book it points to is
// restored and the link kept. Returns the path of the
// copy of the replaced book (empty when there was no book at bookPath);
// throws DbError with the reason, leaving the book as it was.
QString restoreBook(const QString &backupPath, const QString &bookPath, const QDateTime &now, int busyTimeoutMs = 3000);

} // namespace bc
