#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <optional>

namespace bc {

// The book's file name without ".fd": what its copies' names begin with.
QString bookStem(const QString &bookPath);

// What tells a book's copies from those of every other book: its file name
// without ".fd" and eight hex digits of the SHA-256 digest of its canonical
// full path (symbolic links resolved), "Household-1a2b3c4d". Two books of the
// same name in different folders so never share their copies, while a book
// restored in place keeps its own.
QString bookCopyPrefix(const QString &bookPath);

// prefix-YYYYMMDD-HHMMSS.fd; a second name in the same second is
// prefix-YYYYMMDD-HHMMSS-2.fd, and so on.
QString stampedName(const QString &prefix, const QDateTime &when, int repeat = 1);

// The file name of a book's copy made at `when`: stampedName of the book's
// bookCopyPrefix.
QString stampedCopyName(const QString &bookPath, const QDateTime &when, int repeat = 1);

// When the copy named fileName was made, if it is one of the book's copies
// named as above; nothing for any other file (another book's copy, and a
// copy named by the book's file name alone as older versions of the program
// named them, included).
std::optional<QDateTime> stampOfCopy(const QString &bookPath, const QString &fileName);

// Which of a book's copies to delete: of the copies (file names, as
// stampOfCopy reads them) kept are the newest of each of the 7 latest days,
// of each of the 4 latest ISO weeks and of each of the 12 latest months that
// have a copy, a copy counting for all three; the rest are returned. Days,
// weeks and months are counted back from now over the copies made up to
// now, so a long pause never empties the folder, the newest copy is always
// kept, and a copy stamped after now (the clock was put back) is always
// kept. Files that are not the book's copies are never returned.
QStringList copiesToDelete(const QString &bookPath, const QStringList &fileNames, const QDateTime &now);

} // namespace bc
