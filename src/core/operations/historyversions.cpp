#include "historyversions.h"

#include "historyrows.h"
#include "rowimages.h"
#include "rowversions.h"
#include "sql.h"

#include <QHash>
#include <QSqlQuery>
#include <algorithm>
#include <map>
#include <optional>
#include <set>
#include <utility>
#include <vector>

namespace bc {

namespace {

// A row as a change set kept it before changing it.
struct KeptRow {
    bool hadValues = false; // false: there was no such row
    std::optional<qint64> version; // unknown in history of books older than row versions
    QString settingCode;
};

// How a change of the history left a row.
struct LeftRow {
    bool mayBeGone = false;
    bool mayBePresent = false;
    std::optional<qint64> version; // when present; unknown: any
};

class VersionCheck {
public:
    VersionCheck(const QSqlDatabase &db, HistoryTable table, qint64 undone)
        : m_db(db)
        , m_table(table)
        , m_shape(shapeOf(table))
        , m_undone(undone)
    {
    }

    // The first row of the table changed outside the history, if any.
    std::optional<qint64> firstChanged()
    {
        const QHash<qint64, qint64> current = currentRows();
        const QHash<qint64, qint64> latest = latestLaterTouches();
        std::set<qint64> rows(current.keyBegin(), current.keyEnd());
        for (const auto &[row, kept] : keptBy(m_undone))
            rows.insert(row);
        for (const qint64 row : rows) {
            const LeftRow left = leftBy(latest.value(row, m_undone), row);
            const auto now = current.constFind(row);
            const bool fits = now == current.constEnd() ? left.mayBeGone
                                                        : left.mayBePresent && (!left.version || *left.version == *now);
            if (!fits)
                return row;
        }
        return std::nullopt;
    }

private:
    // The rows the undone set touched, by keeping them or as added, that are
    // in the table now, with their versions.
    QHash<qint64, qint64> currentRows()
    {
        QSqlQuery q = runSql(m_db,
                             QStringLiteral("SELECT t.%1, t.row_version FROM %2 AS t WHERE t.%1 IN "
                                            "(SELECT row_id FROM change_rows WHERE set_id = ? AND tbl = ?) "
                                            "OR EXISTS (SELECT 1 FROM change_ranges AS g WHERE g.set_id = ? "
                                            "AND g.tbl = ? AND t.%1 BETWEEN g.first_id AND g.last_id)")
                                 .arg(m_shape.key, m_shape.table),
                             {m_undone, m_shape.word, m_undone, m_shape.word});
        QHash<qint64, qint64> rows;
        while (q.next())
            rows.insert(q.value(0).toLongLong(), q.value(1).toLongLong());
        return rows;
    }

    // For each row the undone set touched that a later set touched too, the
    // latest such set.
    QHash<qint64, qint64> latestLaterTouches()
    {
        QSqlQuery q = runSql(m_db,
                             QStringLiteral("SELECT c.row_id, max(c.set_id) FROM change_rows AS c "
                                            "WHERE c.tbl = ? AND c.set_id > ? AND (c.row_id IN "
                                            "(SELECT row_id FROM change_rows WHERE set_id = ? AND tbl = ?) "
                                            "OR EXISTS (SELECT 1 FROM change_ranges AS g WHERE g.set_id = ? "
                                            "AND g.tbl = ? AND c.row_id BETWEEN g.first_id AND g.last_id)) "
                                            "GROUP BY c.row_id"),
                             {m_shape.word, m_undone, m_undone, m_shape.word, m_undone, m_shape.word});
        QHash<qint64, qint64> latest;
        while (q.next())
            latest.insert(q.value(0).toLongLong(), q.value(1).toLongLong());
        return latest;
    }

    const std::map<qint64, KeptRow> &keptBy(qint64 set)
    {
        if (const auto found = m_kept.find(set); found != m_kept.end())
            return found->second;
        const QString code = m_table == HistoryTable::Settings
            ? jsonArrayElement(m_db, QStringLiteral("r.before"), 0, QStringLiteral("text"))
            : QStringLiteral("NULL");
        QSqlQuery q = runSql(m_db,
                             QStringLiteral("SELECT r.row_id, r.before IS NOT NULL, %1, %2 FROM change_rows AS r "
                                            "WHERE r.set_id = ? AND r.tbl = ? ORDER BY r.row_id")
                                 .arg(jsonArrayElement(m_db, QStringLiteral("r.before"), int(m_shape.columns.size()),
                                                       QStringLiteral("bigint")),
                                      code),
                             {set, m_shape.word});
        std::map<qint64, KeptRow> &rows = m_kept[set];
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

    // The version rows put back by set get: one above every version the
    // history had kept of the table up to it.
    qint64 putBackVersion(qint64 set)
    {
        if (const auto found = m_putBack.constFind(set); found != m_putBack.constEnd())
            return *found;
        QSqlQuery q = runSql(m_db,
                             QStringLiteral("SELECT coalesce(max(%1), 0) + 1 FROM change_rows AS r "
                                            "WHERE r.tbl = ? AND r.set_id <= ?")
                                 .arg(jsonArrayElement(m_db, QStringLiteral("r.before"), int(m_shape.columns.size()),
                                                       QStringLiteral("bigint"))),
                             {m_shape.word, set});
        const qint64 version = q.next() ? q.value(0).toLongLong() : 1;
        return *m_putBack.insert(set, version);
    }

    qint64 undoneBySet(qint64 set)
    {
        if (const auto found = m_undoes.constFind(set); found != m_undoes.constEnd())
            return *found;
        QSqlQuery q = runSql(m_db, QStringLiteral("SELECT undoes FROM change_sets WHERE id = ?"), {set});
        return *m_undoes.insert(set, q.next() ? q.value(0).toLongLong() : 0);
    }

    bool inRanges(qint64 set, qint64 row)
    {
        auto found = m_ranges.find(set);
        if (found == m_ranges.end()) {
            QSqlQuery q = runSql(m_db,
                                 QStringLiteral("SELECT first_id, last_id FROM change_ranges WHERE set_id = ? "
                                                "AND tbl = ?"),
                                 {set, m_shape.word});
            std::vector<std::pair<qint64, qint64>> ranges;
            while (q.next())
                ranges.emplace_back(q.value(0).toLongLong(), q.value(1).toLongLong());
            found = m_ranges.emplace(set, std::move(ranges)).first;
        }
        return std::any_of(found->second.cbegin(), found->second.cend(),
                           [row](const auto &range) { return row >= range.first && row <= range.second; });
    }

    // The version a settings save gave its new row: one above the version
    // the row of the same code had before (the later row of a code counts).
    qint64 savedSettingVersion(qint64 set, qint64 row)
    {
        QSqlQuery q = runSql(m_db, QStringLiteral("SELECT sys_code FROM system_settings WHERE rowid = ?"), {row});
        const QString code = q.next() ? q.value(0).toString() : QString();
        qint64 before = 0;
        for (const auto &[id, kept] : keptBy(set))
            if (kept.settingCode == code)
                before = kept.version.value_or(0);
        return before + 1;
    }

    LeftRow leftBy(qint64 set, qint64 row)
    {
        if (const qint64 undone = undoneBySet(set); undone != 0) {
            // An undo took away every row of the set it undid and put back
            // those that set had kept with values.
            const std::map<qint64, KeptRow> &kept = keptBy(undone);
            if (const auto before = kept.find(row); before != kept.end() && before->second.hadValues)
                return {false, true, putBackVersion(set)};
            return {true, false, std::nullopt};
        }
        // The rows a save added (a book file may give a settings row the
        // number of one the save deleted).
        if (inRanges(set, row))
            return {true, true, m_table == HistoryTable::Settings ? savedSettingVersion(set, row) : 1};
        const std::map<qint64, KeptRow> &kept = keptBy(set);
        if (const auto found = kept.find(row); found != kept.end()) {
            const KeptRow &k = found->second;
            // A row that was not there was restored from the history (or
            // stands for lines an import took over, and stays away).
            if (!k.hadValues)
                return {true, true, putBackVersion(set)};
            // A settings save replaces every row by new ones.
            if (m_table == HistoryTable::Settings)
                return {true, false, std::nullopt};
            // Replaced with the version after the kept one, or deleted.
            return {true, true, k.version ? std::optional<qint64>(*k.version + 1) : std::nullopt};
        }
        return {true, true, std::nullopt};
    }

    const QSqlDatabase &m_db;
    HistoryTable m_table;
    const HistoryShape &m_shape;
    qint64 m_undone;
    std::map<qint64, std::map<qint64, KeptRow>> m_kept;
    QHash<qint64, qint64> m_putBack;
    QHash<qint64, qint64> m_undoes;
    std::map<qint64, std::vector<std::pair<qint64, qint64>>> m_ranges;
};

QString describe(const QSqlDatabase &db, HistoryTable table, qint64 row)
{
    switch (table) {
    case HistoryTable::Accounts: {
        QSqlQuery q = runSql(db, QStringLiteral("SELECT account_name FROM account_master WHERE account_id = ?"), {row});
        if (q.next())
            return QStringLiteral("the account \"%1\"").arg(q.value(0).toString().trimmed());
        return QStringLiteral("account %1").arg(row);
    }
    case HistoryTable::Transactions: return QStringLiteral("transaction %1").arg(row);
    case HistoryTable::Settings: break;
    }
    return QStringLiteral("the settings");
}

} // namespace

QString rowChangedOutsideHistory(const QSqlDatabase &db, qint64 undone)
{
    if (!hasRowVersions(db))
        return QString();
    for (const HistoryTable table : historyTables()) {
        VersionCheck check(db, table, undone);
        if (const std::optional<qint64> row = check.firstChanged())
            return describe(db, table, *row);
    }
    return QString();
}

} // namespace bc
