#include "rowconflicts.h"

#include "historyrows.h"
#include "sql.h"

#include <QSqlQuery>

namespace bc {

namespace {

constexpr int ListedRows = 10;

const QString latestSet = QStringLiteral("SELECT user_name, made_at FROM change_sets WHERE id = (SELECT max(set_id) "
                                         "FROM (SELECT set_id FROM change_rows WHERE tbl = ?%1 UNION ALL "
                                         "SELECT set_id FROM change_ranges WHERE tbl = ?%2) AS touching)");

// Who made the latest change of the history that touched the row (any row
// of the table when rowId is 0), and when.
StaleRow latestChange(const QSqlDatabase &db, HistoryTable table, qint64 rowId, const QString &label, bool deleted)
{
    StaleRow row{label, deleted, QString(), QDateTime()};
    if (!hasHistoryTables(db))
        return row;
    const QString word = shapeOf(table).word;
    QSqlQuery q = rowId == 0 ? runSql(db, latestSet.arg(QString(), QString()), {word, word})
                             : runSql(db,
                                      latestSet.arg(QStringLiteral(" AND row_id = ?"),
                                                    QStringLiteral(" AND ? BETWEEN first_id AND last_id")),
                                      {word, rowId, word, rowId});
    if (q.next()) {
        row.user = q.value(0).toString();
        row.at = QDateTime::fromString(q.value(1).toString(), Qt::ISODate);
    }
    return row;
}

} // namespace

QList<qint64> idsOf(const QList<LoadedRow> &rows)
{
    QList<qint64> ids;
    ids.reserve(rows.size());
    for (const LoadedRow &row : rows)
        ids << row.id;
    return ids;
}

QString StaleRow::text(const QDate &today) const
{
    const QString verb = deleted ? QStringLiteral("deleted") : QStringLiteral("changed");
    if (user.isEmpty() || !at.isValid())
        return QStringLiteral("%1 was %2 by another user or program").arg(label, verb);
    const QString time = at.toString(QStringLiteral("HH:mm"));
    const QString when = at.date() == today
        ? QStringLiteral("at %1").arg(time)
        : QStringLiteral("on %1 at %2").arg(at.date().toString(QStringLiteral("MM/dd/yyyy")), time);
    return QStringLiteral("%1 was %2 by %3 %4").arg(label, verb, user, when);
}

QHash<qint64, qint64> currentVersions(const Book &book, HistoryTable table, const QList<qint64> &ids)
{
    const HistoryShape &shape = shapeOf(table);
    const QSqlDatabase db = connectionOf(book);
    QHash<qint64, qint64> versions;
    for (const qint64 id : ids) {
        QSqlQuery q = runSql(db, QStringLiteral("SELECT row_version FROM %1 WHERE %2 = ?").arg(shape.table, shape.key),
                             {id});
        if (q.next())
            versions.insert(id, q.value(0).toLongLong());
    }
    return versions;
}

QList<StaleRow> staleRows(const Book &book, HistoryTable table, const QList<LoadedRow> &loaded,
                          const QStringList &labels, const QHash<qint64, qint64> &current)
{
    const QSqlDatabase db = connectionOf(book);
    QList<StaleRow> stale;
    for (qsizetype i = 0; i < loaded.size(); ++i) {
        const LoadedRow &row = loaded[i];
        if (row.version == 0 || current.value(row.id) == row.version)
            continue;
        stale << latestChange(db, table, row.id, labels.value(i), !current.contains(row.id));
    }
    return stale;
}

QList<StaleRow> staleSettings(const Book &book, const QHash<QString, qint64> &loaded,
                              const QHash<QString, qint64> &current)
{
    if (loaded.isEmpty() || loaded == current)
        return {};
    return {latestChange(connectionOf(book), HistoryTable::Settings, 0, QStringLiteral("The configuration"), false)};
}

QString staleRowsTitle()
{
    return QStringLiteral("Changed by Another User");
}

QString staleRowsText(const QList<StaleRow> &rows, const QDate &today)
{
    QStringList lines;
    for (qsizetype i = 0; i < rows.size() && i < ListedRows; ++i)
        lines << rows[i].text(today);
    if (rows.size() > ListedRows)
        lines << QStringLiteral("and %1 more").arg(rows.size() - ListedRows);
    return QStringLiteral("Nothing was saved: rows you edited were changed meanwhile.\r\n\r\n")
        + lines.join(QStringLiteral("\r\n"));
}

} // namespace bc
