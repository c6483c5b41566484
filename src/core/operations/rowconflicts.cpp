#include "rowconflicts.h"

#include "historystore.h"

namespace bc {

namespace {

constexpr int ListedRows = 10;

// The row with who made the latest change of the history that touched it
// (any row of the table when rowId is 0), and when.
StaleRow latestChange(const Book &book, HistoryTable table, qint64 rowId, const QString &label, bool deleted)
{
    StaleRow row{label, deleted, QString(), QDateTime()};
    if (!hasHistory(book))
        return row;
    if (const std::optional<ChangeAuthor> author = latestChangeTouching(book, table, rowId)) {
        row.user = author->user;
        row.at = author->at;
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

QList<StaleRow> staleRows(const Book &book, HistoryTable table, const QList<LoadedRow> &loaded,
                          const QStringList &labels, const QHash<qint64, qint64> &current)
{
    QList<StaleRow> stale;
    for (qsizetype i = 0; i < loaded.size(); ++i) {
        const LoadedRow &row = loaded[i];
        if (row.version == 0 || current.value(row.id) == row.version)
            continue;
        stale << latestChange(book, table, row.id, labels.value(i), !current.contains(row.id));
    }
    return stale;
}

QList<StaleRow> staleSettings(const Book &book, const QHash<QString, qint64> &loaded,
                              const QHash<QString, qint64> &current)
{
    if (loaded.isEmpty() || loaded == current)
        return {};
    return {latestChange(book, HistoryTable::Settings, 0, QStringLiteral("The configuration"), false)};
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
