#include "bookrestore.h"

#include "backuprotation.h"
#include "book.h"
#include "bookbackup.h"
#include "connection.h"
#include "dberror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

namespace bc {

namespace {

// An exclusive lock on the book for as long as the object lives, so no
// other program reads or writes it while it is copied and replaced. A file
// SQLite does not read as a database cannot be in use as a book, so it is
// replaced without a lock.
class ExclusiveLock {
public:
    ExclusiveLock(const QString &path, int busyTimeoutMs)
    {
        if (sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
            sqlite3_close(m_db); // a failed open may still hand back a handle
            m_db = nullptr;
            return;
        }
        sqlite3_busy_timeout(m_db, busyTimeoutMs);
        const int status = sqlite3_exec(m_db, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr);
        if (status == SQLITE_BUSY || status == SQLITE_LOCKED) {
            // A constructor that throws runs no destructor: the connection
            // is closed here.
            sqlite3_close(m_db);
            throw DbError(QStringLiteral("The book \"%1\" is in use by another program; close it there and "
                                         "restore again.")
                              .arg(path),
                          DbFault::Locked);
        }
    }
    ~ExclusiveLock()
    {
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(m_db);
    }
    ExclusiveLock(const ExclusiveLock &) = delete;
    ExclusiveLock &operator=(const ExclusiveLock &) = delete;

private:
    sqlite3 *m_db = nullptr;
};

// A byte-for-byte copy of the file at path beside it, under the first free
// name NAME-replaced-YYYYMMDD-HHMMSS.fd.
QString keepReplaced(const QString &path, const CopyFolder &copyFolder, const QDateTime &now)
{
    const QString &folder = copyFolder.path();
    QFile source(path);
    QTemporaryFile copy(copyFolder.temporaryTemplate());
    copy.setAutoRemove(false);
    QString why;
    if (!source.open(QIODevice::ReadOnly))
        why = source.errorString();
    else if (!copy.open())
        why = copy.errorString();
    for (QByteArray chunk; why.isEmpty() && !(chunk = source.read(1 << 20)).isEmpty();)
        if (copy.write(chunk) != chunk.size())
            why = copy.errorString();
    if (why.isEmpty() && source.error() != QFileDevice::NoError)
        why = source.errorString();
    copy.close();
    if (why.isEmpty() && !syncToDisk(copy.fileName()))
        why = QStringLiteral("it could not be written to the disk");
    if (!why.isEmpty()) {
        copy.remove();
        throw DbError(
            QStringLiteral("The book \"%1\" was not replaced: no copy of it could be kept (%2).").arg(path, why));
    }
    const QString prefix = bookStem(path) + QStringLiteral("-replaced");
    return placeUnderFreeName(copy.fileName(), folder, [&](int repeat) { return stampedName(prefix, now, repeat); });
}

// Gives the file at path the owner, group and permissions the replaced book
// had, so a book shared with a group stays shared. Throws DbError when they
// cannot all be given: the book would otherwise change hands or be opened to
// others by the restore. What the file has already is not set again, so a
// file system without owners (a memory stick) is no obstacle.
void giveAccessOf(const struct stat &book, const QString &bookPath, const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat now = {};
    const bool read = ::stat(name.constData(), &now) == 0;
    const bool owned = read && now.st_uid == book.st_uid && now.st_gid == book.st_gid;
    if (!read || (!owned && ::chown(name.constData(), book.st_uid, book.st_gid) != 0)
        || ((now.st_mode & 07777) != (book.st_mode & 07777) && ::chmod(name.constData(), book.st_mode & 07777) != 0)) {
        const QString why = QString::fromLocal8Bit(std::strerror(errno));
        throw DbError(QStringLiteral("The book \"%1\" was not replaced: the restored book could not be given its "
                                     "owner and permissions (%2). Restore it as the book's owner.")
                          .arg(bookPath, why));
    }
}

} // namespace

QString restoreBook(const QString &backupPath, const QString &bookPath, const QDateTime &now, int busyTimeoutMs)
{
    Book backup;
    OpenOptions readOnly;
    readOnly.readOnly = true;
    readOnly.busyTimeoutMs = busyTimeoutMs;
    if (const OpenResult opened = backup.open(backupPath, readOnly); !opened.ok())
        throw DbError(QStringLiteral("\"%1\" cannot be restored: %2").arg(backupPath, opened.description));
    if (const QStringList problems = integrityProblems(backupPath); !problems.isEmpty())
        throw DbError(QStringLiteral("\"%1\" cannot be restored: it fails the integrity check (%2).")
                          .arg(backupPath, problems.first()));
    // A symbolic link is followed: the book it points to is restored and
    // the link stays.
    const QFileInfo given(bookPath);
    const QFileInfo book(given.exists() ? given.canonicalFilePath() : given.absoluteFilePath());
    if (book.exists() && !book.isFile())
        throw DbError(QStringLiteral("\"%1\" is not a file.").arg(bookPath));
    if (book.exists() && book.canonicalFilePath() == QFileInfo(backupPath).canonicalFilePath())
        throw DbError(QStringLiteral("\"%1\" cannot be restored over itself.").arg(backupPath));

    const bool replacing = book.exists();
    struct stat access = {};
    if (replacing && ::stat(QFile::encodeName(book.filePath()).constData(), &access) != 0)
        throw DbError(
            QStringLiteral("\"%1\" cannot be read: %2").arg(bookPath, QString::fromLocal8Bit(std::strerror(errno))));
    std::optional<ExclusiveLock> lock;
    if (replacing)
        lock.emplace(book.filePath(), busyTimeoutMs);
    const CopyFolder folder(book.absolutePath());
    const QString temporary = checkedCopyIn(connectionHandle(connectionOf(backup)), folder);
    QString replaced;
    try {
        if (replacing) {
            giveAccessOf(access, bookPath, temporary);
            replaced = keepReplaced(book.filePath(), folder, now);
        }
    } catch (const DbError &) {
        QFile::remove(temporary);
        throw;
    }
    // rename() replaces the book in one step: any reader sees the old file
    // or the new one, never part of each.
    if (std::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(book.filePath()).constData()) != 0) {
        const QString why = QString::fromLocal8Bit(std::strerror(errno));
        QFile::remove(temporary);
        throw DbError(QStringLiteral("The book \"%1\" could not be replaced: %2").arg(bookPath, why));
    }
    syncToDisk(folder.path());
    return replaced;
}

} // namespace bc
