#pragma once

#include "copyfolder.h"

#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <functional>

struct sqlite3;

namespace bc {

// Copies the open book, as its connection sees it, to a new file beside it
// with SQLite's online backup, checked as checkedCopyIn checks it and then
// named BOOK.v1.bak for a book of format 1, or, when that name is taken,
// BOOK.v1.2.bak, BOOK.v1.3.bak and so on; an existing file is never written
// over, and no file ever has that name before it is complete. Returns the
// copy's path; throws DbError with the reason when no copy could be made.
QString backUpBeside(const QSqlDatabase &db, const QString &bookPath, int format);

// What SQLite's integrity_check finds wrong with the database file at path,
// one line each; empty for a sound file. Opens the file read-only.
QStringList integrityProblems(const QString &path);

// Writes the database open on source, with SQLite's online backup, into a
// new file under a temporary name in folder, forces it to the disk and runs
// integrity_check on it. Returns the temporary file's path, to be given its
// name while folder is still held; throws DbError with the reason when the
// copy cannot be made or fails the check, leaving no file behind.
QString checkedCopyIn(sqlite3 *source, const CopyFolder &folder);

// Gives the finished file `temporary` in folder the first free name of
// nameFor(1), nameFor(2), ... (up to the first empty name) without ever
// replacing a file, and forces the
// folder to the disk. Returns the new path; throws DbError (removing the
// temporary file) when no name could be given.
QString placeUnderFreeName(const QString &temporary, const QString &folder,
                           const std::function<QString(int repeat)> &nameFor);

// Forces a file or folder to the disk, so a rename that follows, or has
// been done, outlives a power cut. False when it could not be done.
bool syncToDisk(const QString &path);

} // namespace bc
