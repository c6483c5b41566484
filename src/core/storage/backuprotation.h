#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <optional>

namespace bc {

// The book's file name without ".fd": what its copies' names begin with.
QString bookStem(const QString &bookPath);

// The file name of a book's copy made at `when`: NAME-YYYYMMDD-HHMMSS.fd,
// NAME being the book's file name without ".fd"; a second copy in the same
// second is NAME-YYYYMMDD-HHMMSS-2.fd, and so on.
QString stampedCopyName(const QString &bookPath, const QDateTime &when, int repeat = 1);

// When the copy named fileName was made, if it is one of the book's copies
// named as above; nothing for any other file (another book's copy included).
std::optional<QDateTime> stampOfCopy(const QString &bookPath, const QString &fileName);

// Which of a book's copies to delete: of the copies (file names, as
// stampOfCopy reads them) kept are the newest of each of the 7 latest days,
// of each of the 4 latest ISO weeks and of each of the 12 latest months that
// have a copy, a copy counting for all three; the rest are returned. Days,
// weeks and months are counted back from now over the copies made up to
// now, so a long pause never empties the folder, and a copy stamped after now
// (the clock was put back) is always kept. Files that are not the book's
// copies are never returned.
QStringList copiesToDelete(const QString &bookPath, const QStringList &fileNames, const QDateTime &now);

} // namespace bc
