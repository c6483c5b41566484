#include "historyversionstore.h"

#include "dialect.h"
#include "keptrows.h"
#include "sql.h"

#include <QSqlQuery>

namespace bc {

namespace {

QHash<qint64, qint64> numberPairs(QSqlQuery q)
{
    QHash<qint64, qint64> pairs;
    while (q.next())
        pairs.insert(q.value(0).toLongLong(), q.value(1).toLongLong());
    return pairs;
}

} // namespace

std::map<qint64, KeptRow> keptRows(const Book &book, HistoryTable table, qint64 setId)
{
    const QSqlDatabase db = connectionOf(book);
    const HistoryShape &shape = shapeOf(table);
    const QString code = table == HistoryTable::Settings
        ? dialectOf(db).jsonArrayElement(QStringLiteral("r.before"), 0, QStringLiteral("text"))
        : QStringLiteral("NULL");
    QSqlQuery q = runSql(db,
                         QStringLiteral("SELECT r.row_id, r.before IS NOT NULL, %1, %2 FROM change_rows AS r "
                                        "WHERE r.set_id = ? AND r.tbl = ? ORDER BY r.row_id")
                             .arg(keptVersion(db, shape, QStringLiteral("r.before")), code),
                         {setId, shape.word});
    std::map<qint64, KeptRow> rows;
    while (q.next()) {
        KeptRow row;
        row.hadValues = q.value(1).toBool();
        if (!q.value(2).isNull())
            row.version = q.value(2).toLongLong();
        row.settingCode = q.value(3).toString();
        rows.emplace(q.value(0).toLongLong(), row);
    }
    return rows;
}

QHash<qint64, qint64> touchedRowVersions(const Book &book, HistoryTable table, qint64 setId)
{
    const HistoryShape &shape = shapeOf(table);
    return numberPairs(runSql(connectionOf(book),
                              QStringLiteral("SELECT t.%1, t.row_version FROM %2 AS t WHERE t.%1 IN "
                                             "(SELECT row_id FROM change_rows WHERE set_id = ? AND tbl = ?) "
                                             "OR EXISTS (SELECT 1 FROM change_ranges AS g WHERE g.set_id = ? "
                                             "AND g.tbl = ? AND t.%1 BETWEEN g.first_id AND g.last_id)")
                                  .arg(shape.key, shape.table),
                              {setId, shape.word, setId, shape.word}));
}

QHash<qint64, qint64> latestLaterTouches(const Book &book, HistoryTable table, qint64 setId)
{
    const QString word = shapeOf(table).word;
    return numberPairs(runSql(connectionOf(book),
                              QStringLiteral("SELECT c.row_id, max(c.set_id) FROM change_rows AS c "
                                             "WHERE c.tbl = ? AND c.set_id > ? AND (c.row_id IN "
                                             "(SELECT row_id FROM change_rows WHERE set_id = ? AND tbl = ?) "
                                             "OR EXISTS (SELECT 1 FROM change_ranges AS g WHERE g.set_id = ? "
                                             "AND g.tbl = ? AND c.row_id BETWEEN g.first_id AND g.last_id)) "
                                             "GROUP BY c.row_id"),
                              {word, setId, setId, word, setId, word}));
}

qint64 putBackVersion(const Book &book, HistoryTable table, qint64 setId)
{
    const QSqlDatabase db = connectionOf(book);
    const HistoryShape &shape = shapeOf(table);
    QSqlQuery q = runSql(db,
                         QStringLiteral("SELECT coalesce(max(%1), 0) + 1 FROM change_rows AS r "
                                        "WHERE r.tbl = ? AND r.set_id <= ?")
                             .arg(keptVersion(db, shape, QStringLiteral("r.before"))),
                         {shape.word, setId});
    return q.next() ? q.value(0).toLongLong() : 1;
}

qint64 undoneBySet(const Book &book, qint64 setId)
{
    QSqlQuery q = runSql(connectionOf(book), QStringLiteral("SELECT undoes FROM change_sets WHERE id = ?"), {setId});
    return q.next() ? q.value(0).toLongLong() : 0;
}

QString settingCodeOfRow(const Book &book, qint64 rowId)
{
    QSqlQuery q = runSql(connectionOf(book), QStringLiteral("SELECT sys_code FROM system_settings WHERE rowid = ?"),
                         {rowId});
    return q.next() ? q.value(0).toString() : QString();
}

std::optional<QString> accountNameOf(const Book &book, qint64 id)
{
    QSqlQuery q = runSql(connectionOf(book),
                         QStringLiteral("SELECT account_name FROM account_master WHERE account_id = ?"), {id});
    if (!q.next())
        return std::nullopt;
    return q.value(0).toString();
}

QHash<qint64, qint64> currentVersions(const Book &book, HistoryTable table, const QList<qint64> &ids)
{
    QHash<qint64, qint64> versions;
    if (ids.isEmpty())
        return versions;
    // One statement for every id: a save of many rows reads their versions
    // in one pass instead of one query a row.
    const HistoryShape &shape = shapeOf(table);
    QSqlQuery q = runSql(connectionOf(book),
                         QStringLiteral("SELECT t.%1, t.row_version FROM %2 AS t WHERE t.%1 IN (%3)")
                             .arg(shape.key, shape.table, dialectOf(book).idsOfJsonArray()),
                         {idsAsJsonArray(ids)});
    while (q.next())
        versions.insert(q.value(0).toLongLong(), q.value(1).toLongLong());
    return versions;
}

std::optional<ChangeAuthor> latestChangeTouching(const Book &book, HistoryTable table, qint64 rowId)
{
    const QString latestSet = QStringLiteral(
        "SELECT user_name, made_at FROM change_sets WHERE id = (SELECT max(set_id) "
        "FROM (SELECT set_id FROM change_rows WHERE tbl = ?%1 UNION ALL "
        "SELECT set_id FROM change_ranges WHERE tbl = ?%2) AS touching)");
    const QSqlDatabase db = connectionOf(book);
    const QString word = shapeOf(table).word;
    QSqlQuery q = rowId == 0 ? runSql(db, latestSet.arg(QString(), QString()), {word, word})
                             : runSql(db,
                                      latestSet.arg(QStringLiteral(" AND row_id = ?"),
                                                    QStringLiteral(" AND ? BETWEEN first_id AND last_id")),
                                      {word, rowId, word, rowId});
    if (!q.next())
        return std::nullopt;
    return ChangeAuthor{q.value(0).toString(), QDateTime::fromString(q.value(1).toString(), Qt::ISODate)};
}

} // namespace bc
