#include "bookbackup.h"

#include "connection.h"
#include "dberror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

namespace bc {

namespace {

// Writes the database open on source into the existing file target with
// SQLite's online backup. Returns SQLite's reason for a failure, else an
// empty text.
QString onlineCopy(sqlite3 *source, const QString &target)
{
    sqlite3 *copy = nullptr;
    int status = sqlite3_open_v2(QFile::encodeName(target).constData(), &copy, SQLITE_OPEN_READWRITE, nullptr);
    if (status == SQLITE_OK) {
        sqlite3_backup *backup = sqlite3_backup_init(copy, "main", source, "main");
        if (backup) {
            sqlite3_backup_step(backup, -1);
            status = sqlite3_backup_finish(backup);
        } else {
            status = sqlite3_errcode(copy);
        }
    }
    QString why = status == SQLITE_OK ? QString() : QString::fromUtf8(sqlite3_errmsg(copy));
    if (sqlite3_close(copy) != SQLITE_OK && why.isEmpty())
        why = QStringLiteral("the copy could not be closed");
    return why;
}

} // namespace

QString backUpBeside(const QSqlDatabase &db, const QString &bookPath, int format)
{
    const QFileInfo book(bookPath);
    const CopyFolder folder(book.absolutePath());
    const QString temporary = checkedCopyIn(connectionHandle(db), folder);
    return placeUnderFreeName(temporary, folder.path(), [&](int repeat) {
        return repeat == 1 ? QStringLiteral("%1.v%2.bak").arg(book.fileName()).arg(format)
                           : QStringLiteral("%1.v%2.%3.bak").arg(book.fileName()).arg(format).arg(repeat);
    });
}

QStringList integrityProblems(const QString &path)
{
    sqlite3 *db = nullptr;
    QStringList problems;
    int status = sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt *check = nullptr;
    if (status == SQLITE_OK)
        status = sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &check, nullptr);
    while (status == SQLITE_OK && (status = sqlite3_step(check)) == SQLITE_ROW) {
        const auto *line = reinterpret_cast<const char *>(sqlite3_column_text(check, 0));
        if (qstrcmp(line, "ok") != 0)
            problems << QString::fromUtf8(line);
        status = SQLITE_OK;
    }
    if (status != SQLITE_DONE)
        problems << QString::fromUtf8(sqlite3_errmsg(db));
    sqlite3_finalize(check);
    sqlite3_close(db);
    return problems;
}

QString checkedCopyIn(sqlite3 *source, const CopyFolder &copyFolder)
{
    const QString &folder = copyFolder.path();
    QTemporaryFile claim(copyFolder.temporaryTemplate());
    claim.setAutoRemove(false);
    if (!claim.open())
        throw DbError(QStringLiteral("No copy can be written in \"%1\": %2").arg(folder, claim.errorString()));
    const QString temporary = claim.fileName();
    claim.close();
    QString why = onlineCopy(source, temporary);
    if (why.isEmpty() && !syncToDisk(temporary))
        why = QStringLiteral("it could not be written to the disk");
    if (why.isEmpty()) {
        const QStringList problems = integrityProblems(temporary);
        if (!problems.isEmpty())
            why = QStringLiteral("the copy failed the integrity check (%1)")
                      .arg(problems.mid(0, 3).join(QStringLiteral("; ")));
    }
    if (!why.isEmpty()) {
        QFile::remove(temporary);
        throw DbError(QStringLiteral("The backup copy in \"%1\" could not be made: %2").arg(folder, why));
    }
    return temporary;
}

QString placeUnderFreeName(const QString &temporary, const QString &folder,
                           const std::function<QString(int repeat)> &nameFor)
{
    // QFile::rename never replaces an existing file.
    for (int repeat = 1; repeat < 1000; ++repeat) {
        const QString name = nameFor(repeat);
        if (name.isEmpty())
            break;
        const QString target = QDir(folder).filePath(name);
        if (QFile::exists(target))
            continue;
        QFile file(temporary);
        if (file.rename(target)) {
            syncToDisk(folder);
            return target;
        }
        if (!QFile::exists(target)) {
            QFile::remove(temporary);
            throw DbError(QStringLiteral("The copy \"%1\" could not be made: %2").arg(target, file.errorString()));
        }
    }
    QFile::remove(temporary);
    throw DbError(QStringLiteral("No copy could be made in \"%1\": its name is taken.").arg(folder));
}

bool syncToDisk(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
}

} // namespace bc
