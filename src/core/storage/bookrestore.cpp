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
QString keepReplaced(const QString &path, const QDateTime &now)
{
    const QFileInfo info(path);
    const QString folder = info.absolutePath();
    QFile source(path);
    QTemporaryFile copy(folder + QStringLiteral("/.brindlecot-copy-XXXXXX.part"));
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
    const QString named = QDir(folder).filePath(bookStem(path) + QStringLiteral("-replaced"));
    return placeUnderFreeName(copy.fileName(), folder, [&](int repeat) { return stampedCopyName(named, now, repeat); });
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
    const QFileInfo book(bookPath);
    if (book.exists() && !book.isFile())
        throw DbError(QStringLiteral("\"%1\" is not a file.").arg(bookPath));
    if (book.exists() && book.canonicalFilePath() == QFileInfo(backupPath).canonicalFilePath())
        throw DbError(QStringLiteral("\"%1\" cannot be restored over itself.").arg(backupPath));

    const bool replacing = book.exists();
    std::optional<ExclusiveLock> lock;
    if (replacing)
        lock.emplace(bookPath, busyTimeoutMs);
    const QString replaced = replacing ? keepReplaced(bookPath, now) : QString();
    const QString folder = book.absolutePath();
    const QString temporary = checkedCopyIn(connectionHandle(connectionOf(backup)), folder);
    // rename() replaces the book in one step: any reader sees the old file
    // or the new one, never part of each.
    if (std::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(book.absoluteFilePath()).constData())
        != 0) {
        const QString why = QString::fromLocal8Bit(std::strerror(errno));
        QFile::remove(temporary);
        throw DbError(QStringLiteral("The book \"%1\" could not be replaced: %2").arg(bookPath, why));
    }
    syncToDisk(folder);
    return replaced;
}

} // namespace bc
