#include "bookbackup.h"

#include "connection.h"
#include "sql.h"

#include <QFile>
#include <sqlite3.h>

namespace bc {

namespace {

// Claims the first free backup name by creating it empty (an empty file is an
// empty SQLite database), so no other program can take it in between.
QString claimBackupName(const QString &bookPath, int format)
{
    for (int n = 1; n < 1000; ++n) {
        const QString name = n == 1 ? QStringLiteral("%1.v%2.bak").arg(bookPath).arg(format)
                                    : QStringLiteral("%1.v%2.%3.bak").arg(bookPath).arg(format).arg(n);
        QFile file(name);
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return name;
        if (!file.exists())
            throw DbError(QStringLiteral("The backup copy \"%1\" could not be made: %2").arg(name, file.errorString()));
    }
    throw DbError(
        QStringLiteral("The backup copy of \"%1\" could not be made: every backup name is taken.").arg(bookPath));
}

} // namespace

QString backUpBeside(const QSqlDatabase &db, const QString &bookPath, int format)
{
    const QString name = claimBackupName(bookPath, format);
    sqlite3 *target = nullptr;
    int status = sqlite3_open_v2(QFile::encodeName(name).constData(), &target, SQLITE_OPEN_READWRITE, nullptr);
    if (status == SQLITE_OK) {
        sqlite3_backup *backup = sqlite3_backup_init(target, "main", connectionHandle(db), "main");
        if (backup) {
            sqlite3_backup_step(backup, -1);
            status = sqlite3_backup_finish(backup);
        } else {
            status = sqlite3_errcode(target);
        }
    }
    const QString why = status == SQLITE_OK ? QString() : QString::fromUtf8(sqlite3_errmsg(target));
    if (sqlite3_close(target) != SQLITE_OK && why.isEmpty())
        status = SQLITE_ERROR;
    if (status != SQLITE_OK) {
        QFile::remove(name);
        throw DbError(QStringLiteral("The backup copy \"%1\" could not be made: %2").arg(name, why));
    }
    return name;
}

} // namespace bc
