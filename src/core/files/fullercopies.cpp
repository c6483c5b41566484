#include "fullercopies.h"

#include "backuprotation.h"
#include "book.h"
#include "connection.h"
#include "dberror.h"
#include "sql.h"

#include <QDir>
#include <QFile>
#include <QSqlQuery>
#include <optional>

namespace bc {

namespace {

// The transactions a copy holds; nothing when it cannot be read.
std::optional<qint64> transactionsIn(const QString &path)
{
    Book book;
    OpenOptions options;
    options.readOnly = true;
    if (!book.open(path, options).ok())
        return std::nullopt;
    try {
        QSqlQuery q = runSql(connectionOf(book), QStringLiteral("SELECT COUNT(*) FROM transaction_master"));
        if (q.next())
            return q.value(0).toLongLong();
    } catch (const DbError &) {
    }
    return std::nullopt;
}

} // namespace

QString fullerCopyName(const QString &copyName)
{
    const QString stem = copyName.endsWith(QLatin1String(".fd")) ? copyName.chopped(3) : copyName;
    return stem + QStringLiteral("-before-deletions.fd");
}

void keepFullerCopies(const QString &copy, const QString &bookPath, const QString &folder, const QDateTime &now)
{
    const QDir dir(folder);
    std::optional<qint64> held;
    for (const QString &name : copiesToDelete(bookPath, dir.entryList(QDir::Files), now)) {
        const std::optional<QDateTime> made = stampOfCopy(bookPath, name);
        if (!made || made->date() != now.date())
            continue;
        if (!held)
            held = transactionsIn(copy);
        const std::optional<qint64> older = transactionsIn(dir.filePath(name));
        if (!held || !older || *older <= *held)
            continue;
        if (!QFile::rename(dir.filePath(name), dir.filePath(fullerCopyName(name))))
            throw DbError(QStringLiteral("The copy \"%1\" holds more transactions than the book now has and could "
                                         "not be kept under another name; no copy was deleted.")
                              .arg(dir.filePath(name)));
    }
}

} // namespace bc
