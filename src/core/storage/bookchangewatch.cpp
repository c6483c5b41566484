#include "bookchangewatch.h"

#include "serverbook.h"
#include "sql.h"

#include <QSqlDriver>
#include <sqlite3.h>

namespace bc {

std::optional<qint64> othersCommitMark(const Book &book)
{
    if (!book.isOpen() || book.isOnServer())
        return std::nullopt;
    // SQLite: data_version is the connection's own view of the file; it moves
    // when another connection commits and stays as it is for this one's.
    // Reading it takes a read lock for a moment, so while another program
    // holds the book to write it the poll gives up at once rather than wait,
    // and the next poll asks again.
    const QSqlDatabase db = connectionOf(book);
    sqlite3 *handle = connectionHandle(db);
    if (!handle)
        return std::nullopt;
    std::optional<qint64> mark;
    try {
        QSqlQuery setting = runSql(db, QStringLiteral("PRAGMA busy_timeout"));
        const int waitMs = setting.next() ? setting.value(0).toInt() : 0;
        setting.finish();
        sqlite3_busy_timeout(handle, 0);
        try {
            QSqlQuery query = runSql(db, QStringLiteral("PRAGMA data_version"));
            if (query.next())
                mark = query.value(0).toLongLong();
        } catch (const DbError &) {
            // Busy: no answer this time.
        }
        sqlite3_busy_timeout(handle, waitMs);
    } catch (const DbError &) {
        // A book that cannot answer now is asked again at the next poll.
    }
    return mark;
}

BookChangeWatch::BookChangeWatch(const Book &book, QObject *parent)
    : QObject(parent)
    , m_book(book)
    , m_mark(othersCommitMark(book))
{
    // A server tells every listening connection of each commit that changed
    // the book's rows (the triggers of its tables notify); the connection's
    // own commits come back marked as its own and are passed over.
    if (!book.isOnServer())
        return;
    QSqlDriver *driver = connectionOf(book).driver();
    if (!driver->subscribeToNotification(serverChangeChannel()))
        return;
    connect(driver, &QSqlDriver::notification, this,
            [this](const QString &channel, QSqlDriver::NotificationSource source, const QVariant &) {
                if (channel == serverChangeChannel() && source == QSqlDriver::OtherSource)
                    emit changedElsewhere();
            });
}

bool BookChangeWatch::poll()
{
    const std::optional<qint64> mark = othersCommitMark(m_book);
    if (!mark)
        return false;
    const bool changed = m_mark && *mark != *m_mark;
    m_mark = mark;
    if (changed)
        emit changedElsewhere();
    return changed;
}

} // namespace bc
