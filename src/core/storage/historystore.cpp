#include "historystore.h"

#include "engine.h"
#include "keptrows.h"
#include "sql.h"

#include <QSqlQuery>

namespace bc {

namespace {

const QString setColumns = QStringLiteral(
    "SELECT s.id, s.made_at, s.user_name, s.source, s.summary, s.undoes, s.takes_back, "
    "(SELECT u.id FROM change_sets AS u WHERE u.undoes = s.id) FROM change_sets AS s ");

ChangeSet readSet(const QSqlQuery &q)
{
    ChangeSet set;
    set.id = q.value(0).toLongLong();
    set.madeAt = QDateTime::fromString(q.value(1).toString(), Qt::ISODate);
    set.user = q.value(2).toString();
    set.source = q.value(3).toString();
    set.summary = q.value(4).toString();
    set.undoes = q.value(5).toLongLong();
    set.takesBack = q.value(6).toLongLong() != 0;
    set.undoneBy = q.value(7).toLongLong();
    return set;
}

std::optional<ChangeSet> firstSet(const Book &book, const QString &condition, const QVariantList &values = {})
{
    if (!hasHistory(book))
        return std::nullopt;
    QSqlQuery q = runSql(connectionOf(book), setColumns + condition, values);
    if (!q.next())
        return std::nullopt;
    return readSet(q);
}

} // namespace

QString ChangeSet::title(const QDate &today) const
{
    const QString when = madeAt.date() == today ? madeAt.toString(QStringLiteral("HH:mm"))
                                                : madeAt.toString(QStringLiteral("yyyy-MM-dd HH:mm"));
    return QStringLiteral("%1 at %2").arg(summary, when);
}

bool hasHistory(const Book &book)
{
    const QSqlDatabase db = connectionOf(book);
    return bookHasTable(db, QStringLiteral("change_sets")) && bookHasTable(db, QStringLiteral("change_rows"))
        && bookHasTable(db, QStringLiteral("change_ranges"));
}

QList<ChangeSet> changeHistory(const Book &book, int limit)
{
    QList<ChangeSet> sets;
    if (!hasHistory(book))
        return sets;
    const QSqlDatabase db = connectionOf(book);
    QSqlQuery q = limit > 0 ? runSql(db, setColumns + QStringLiteral("ORDER BY s.id DESC LIMIT ?"), {limit})
                            : runSql(db, setColumns + QStringLiteral("ORDER BY s.id DESC"));
    while (q.next())
        sets << readSet(q);
    return sets;
}

std::optional<ChangeSet> changeSet(const Book &book, qint64 id)
{
    return firstSet(book, QStringLiteral("WHERE s.id = ?"), {id});
}

std::optional<ChangeSet> undoTarget(const Book &book)
{
    return firstSet(book,
                    QStringLiteral("WHERE s.takes_back = 0 AND NOT EXISTS "
                                   "(SELECT 1 FROM change_sets AS u WHERE u.undoes = s.id) "
                                   "ORDER BY s.id DESC LIMIT 1"));
}

std::optional<ChangeSet> redoTarget(const Book &book)
{
    return firstSet(book,
                    QStringLiteral("WHERE s.takes_back = 1 AND NOT EXISTS "
                                   "(SELECT 1 FROM change_sets AS u WHERE u.undoes = s.id) "
                                   "AND NOT EXISTS (SELECT 1 FROM change_sets AS f "
                                   "WHERE f.id > s.id AND f.undoes IS NULL) "
                                   "ORDER BY s.id DESC LIMIT 1"));
}

qint64 addChangeSet(const Book &book, const QDateTime &madeAt, const QString &user, const QString &source)
{
    QSqlQuery q = runSql(connectionOf(book),
                         QStringLiteral("INSERT INTO change_sets (made_at, user_name, source, summary) "
                                        "VALUES (?, ?, ?, '') RETURNING id"),
                         {madeAt.toString(Qt::ISODate), user, source});
    if (!q.next())
        throw DbError(QStringLiteral("The book gave no number for the change history's new entry."));
    return q.value(0).toLongLong();
}

void completeChangeSet(const Book &book, qint64 id, const QString &summary, qint64 undoes, bool takesBack)
{
    runSql(connectionOf(book),
           QStringLiteral("UPDATE change_sets SET summary = ?, undoes = ?, takes_back = ? WHERE id = ?"),
           {summary, undoes ? QVariant(undoes) : QVariant(), int(takesBack), id});
}

void keepRowsBefore(const Book &book, qint64 setId, HistoryTable table, const QList<qint64> &ids)
{
    keepSelectedRowsBefore(book, setId, table, dialectOf(book).idsOfJsonArray(), {idsAsJsonArray(ids)});
}

void keepTableBefore(const Book &book, qint64 setId, HistoryTable table)
{
    const HistoryShape &shape = shapeOf(table);
    keepSelectedRowsBefore(book, setId, table, QStringLiteral("SELECT %1 AS id FROM %2").arg(shape.key, shape.table),
                           {});
}

void addAddedRange(const Book &book, qint64 setId, HistoryTable table, qint64 first, qint64 last)
{
    runSql(connectionOf(book),
           QStringLiteral("INSERT INTO change_ranges (set_id, tbl, first_id, last_id) VALUES (?, ?, ?, ?)"),
           {setId, shapeOf(table).word, first, last});
}

QList<std::pair<qint64, qint64>> addedRanges(const Book &book, qint64 setId, HistoryTable table)
{
    QSqlQuery q = runSql(connectionOf(book),
                         QStringLiteral("SELECT first_id, last_id FROM change_ranges WHERE set_id = ? AND tbl = ?"),
                         {setId, shapeOf(table).word});
    QList<std::pair<qint64, qint64>> ranges;
    while (q.next())
        ranges.append({q.value(0).toLongLong(), q.value(1).toLongLong()});
    return ranges;
}

qint64 rowsChangedBy(const Book &book, qint64 setId, HistoryTable table)
{
    const HistoryShape &shape = shapeOf(table);
    QSqlQuery q = runSql(connectionOf(book),
                         QStringLiteral("SELECT (SELECT count(*) FROM change_rows AS c WHERE c.set_id = ? "
                                        "AND c.tbl = ? AND (c.before IS NOT NULL OR EXISTS "
                                        "(SELECT 1 FROM %1 AS t WHERE t.%2 = c.row_id))) + "
                                        "(SELECT coalesce(sum(last_id - first_id + 1), 0) FROM change_ranges "
                                        "WHERE set_id = ? AND tbl = ?)")
                             .arg(shape.table, shape.key),
                         {setId, shape.word, setId, shape.word});
    return q.next() ? q.value(0).toLongLong() : 0;
}

QString addedByUndoneChange(const Book &book, const QString &idExpression)
{
    if (!hasHistory(book))
        return QStringLiteral("0");
    // A change adds a row either as part of a range of ids or, putting back a
    // row that was not there, as a kept row without values before it.
    const QString standingUndo = QStringLiteral("JOIN change_sets u ON u.undoes = %1.set_id AND u.takes_back = 1 "
                                                "AND NOT EXISTS (SELECT 1 FROM change_sets x WHERE x.undoes = u.id)");
    return QStringLiteral("(EXISTS (SELECT 1 FROM change_ranges r %1 WHERE r.tbl = '%3' "
                          "AND %4 BETWEEN r.first_id AND r.last_id) "
                          "OR EXISTS (SELECT 1 FROM change_rows c %2 WHERE c.tbl = '%3' AND c.row_id = %4 "
                          "AND c.before IS NULL))")
        .arg(standingUndo.arg(QStringLiteral("r")), standingUndo.arg(QStringLiteral("c")),
             shapeOf(HistoryTable::Transactions).word, idExpression);
}

} // namespace bc
