#include "autobackup.h"
#include "connectionbackup.h"

#include "backuprotation.h"
#include "bookbackup.h"
#include "connection.h"
#include "dberror.h"
#include "engine.h"
#include "fullercopies.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace bc {

namespace {

// The copies are SQLite's online backup of a book file; a server's books
// are copied with the server's own tools.
void refuseServerCopy(const QSqlDatabase &db)
{
    if (engineOf(db) != Engine::SQLite)
        throw DbError(QStringLiteral("A book on a server is copied with the server's own backup tools; "
                                     "this program copies book files only."));
}

QString stampedCopy(const QSqlDatabase &db, const QString &bookPath, const QString &folder, const QDateTime &now)
{
    refuseServerCopy(db);
    const CopyFolder copyFolder(folder);
    const QString temporary = checkedCopyIn(connectionHandle(db), copyFolder);
    return placeUnderFreeName(temporary, folder, [&](int repeat) { return stampedCopyName(bookPath, now, repeat); });
}

} // namespace

QString backUpConnection(const QSqlDatabase &db, const QString &bookPath, const QString &folder, const QDateTime &now)
{
    const QString copy = stampedCopy(db, bookPath, folder, now);
    keepFullerCopies(copy, bookPath, folder, now);
    rotateCopies(bookPath, folder, now);
    return copy;
}

QString copyBookInto(const Book &book, const QString &folder, const QDateTime &now)
{
    return stampedCopy(connectionOf(book), book.path(), folder, now);
}

QString backUpBook(const Book &book, const QString &folder, const QDateTime &now)
{
    return backUpConnection(connectionOf(book), book.path(), folder, now);
}

QString backUpBookFile(const QString &bookPath, const QString &folder, const QDateTime &now)
{
    if (isServerLocation(bookPath))
        return QString();
    Book book;
    OpenOptions options;
    options.readOnly = true;
    // A copy of the bytes runs nothing of the book's, so objects another
    // program made in it are copied too rather than refused.
    options.foreignObjects = ForeignObjects::Admit;
    if (const OpenResult opened = book.open(bookPath, options); !opened.ok())
        throw DbError(opened.description);
    return backUpBook(book, folder, now);
}

QString backUpBeforeImport(const Book &book, qint64 rows, const QString &folder, const QDateTime &now)
{
    if (rows <= LargeImportRows || folder.isEmpty() || engineOf(connectionOf(book)) != Engine::SQLite)
        return QString();
    return backUpBook(book, folder, now);
}

QString copyBookTo(const Book &book, const QString &target)
{
    const QFileInfo info(target);
    if (info.exists())
        throw DbError(QStringLiteral("The file \"%1\" already exists; a copy is never written over it.").arg(target));
    const QString folder = info.absolutePath();
    refuseServerCopy(connectionOf(book));
    const CopyFolder copyFolder(folder);
    const QString temporary = checkedCopyIn(connectionHandle(connectionOf(book)), copyFolder);
    return placeUnderFreeName(temporary, folder, [&](int repeat) { return repeat == 1 ? info.fileName() : QString(); });
}

void rotateCopies(const QString &bookPath, const QString &folder, const QDateTime &now)
{
    const QDir dir(folder);
    for (const QString &name : copiesToDelete(bookPath, dir.entryList(QDir::Files), now))
        QFile::remove(dir.filePath(name));
}

} // namespace bc
