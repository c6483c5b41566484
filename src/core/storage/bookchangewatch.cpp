#include "bookchangewatch.h"

#include "sql.h"

namespace bc {

std::optional<qint64> othersCommitMark(const Book &book)
{
    if (!book.isOpen())
        return std::nullopt;
    // SQLite: data_version is the connection's own view of the file; it moves
    // when another connection commits and stays as it is for this one's.
    try {
        QSqlQuery query = runSql(connectionOf(book), QStringLiteral("PRAGMA data_version"));
        if (query.next())
            return query.value(0).toLongLong();
    } catch (const DbError &) {
        // A book that cannot answer now is asked again at the next poll.
    }
    return std::nullopt;
}

BookChangeWatch::BookChangeWatch(const Book &book, QObject *parent)
    : QObject(parent)
    , m_book(book)
    , m_mark(othersCommitMark(book))
{
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
