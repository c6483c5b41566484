#include "idmarks.h"

#include "engine.h"
#include "sql.h"

#include <QSqlQuery>

namespace bc {

namespace {

struct Series {
    QString markKey;
    QString highestInTable;
};

Series series(IdSeries which)
{
    if (which == IdSeries::Accounts)
        return {QStringLiteral("highest_account_id"), QStringLiteral("SELECT MAX(account_id) FROM account_master")};
    return {QStringLiteral("highest_tran_id"), QStringLiteral("SELECT MAX(tran_id) FROM transaction_master")};
}

qint64 firstNumber(const QSqlDatabase &db, const QString &statement, const QVariantList &values = {})
{
    QSqlQuery q = runSql(db, statement, values);
    return q.next() ? q.value(0).toLongLong() : 0;
}

// Books written before book_info existed open without it.
bool hasBookInfo(const QSqlDatabase &db)
{
    return bookHasTable(db, QStringLiteral("book_info"));
}

qint64 rememberedHighest(const QSqlDatabase &db, const QString &key)
{
    if (!hasBookInfo(db))
        return 0;
    return firstNumber(db, QStringLiteral("SELECT value FROM book_info WHERE key = ?"), {key});
}

} // namespace

qint64 highestIdGiven(const Book &book, IdSeries which)
{
    const QSqlDatabase db = connectionOf(book);
    const Series s = series(which);
    return qMax(rememberedHighest(db, s.markKey), firstNumber(db, s.highestInTable));
}

qint64 reserveIds(Book &book, IdSeries which, qint64 count)
{
    // The highest is remembered even when no id is taken, so that the ids of
    // rows the same save deletes are never given again.
    const qint64 first = highestIdGiven(book, which) + 1;
    rememberHighestId(book, which, first + count - 1);
    return first;
}

void rememberHighestId(Book &book, IdSeries which, qint64 highest)
{
    const QSqlDatabase db = connectionOf(book);
    const Series s = series(which);
    if (highest <= rememberedHighest(db, s.markKey))
        return;
    runSql(db,
           QStringLiteral("INSERT INTO book_info (key, value) VALUES (?, ?) "
                          "ON CONFLICT (key) DO UPDATE SET value = excluded.value"),
           {s.markKey, QString::number(highest)});
}

} // namespace bc
