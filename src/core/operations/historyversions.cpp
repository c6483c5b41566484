#include "historyversions.h"

#include "historyrows.h"
#include "historystore.h"
#include "historyversionstore.h"
#include "rowversions.h"

#include <QHash>
#include <algorithm>
#include <map>
#include <optional>
#include <set>
#include <utility>

namespace bc {

namespace {

// How a change of the history left a row.
struct LeftRow {
    bool mayBeGone = false;
    bool mayBePresent = false;
    std::optional<qint64> version; // when present; unknown: any
};

class VersionCheck {
public:
    VersionCheck(const Book &book, HistoryTable table, qint64 undone)
        : m_book(book)
        , m_table(table)
        , m_undone(undone)
    {
    }

    // The first row of the table changed outside the history, if any.
    std::optional<qint64> firstChanged()
    {
        const QHash<qint64, qint64> current = touchedRowVersions(m_book, m_table, m_undone);
        const QHash<qint64, qint64> latest = latestLaterTouches(m_book, m_table, m_undone);
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
    // The history's reads below are made once per set.
    const std::map<qint64, KeptRow> &keptBy(qint64 set)
    {
        if (const auto found = m_kept.find(set); found != m_kept.end())
            return found->second;
        return m_kept.emplace(set, keptRows(m_book, m_table, set)).first->second;
    }

    qint64 putBackVersion(qint64 set)
    {
        if (const auto found = m_putBack.constFind(set); found != m_putBack.constEnd())
            return *found;
        return *m_putBack.insert(set, bc::putBackVersion(m_book, m_table, set));
    }

    qint64 undoneBySet(qint64 set)
    {
        if (const auto found = m_undoes.constFind(set); found != m_undoes.constEnd())
            return *found;
        return *m_undoes.insert(set, bc::undoneBySet(m_book, set));
    }

    bool inRanges(qint64 set, qint64 row)
    {
        auto found = m_ranges.find(set);
        if (found == m_ranges.end())
            found = m_ranges.emplace(set, addedRanges(m_book, set, m_table)).first;
        return std::any_of(found->second.cbegin(), found->second.cend(),
                           [row](const auto &range) { return row >= range.first && row <= range.second; });
    }

    // The version a settings save gave its new row: one above the version
    // the row of the same code had before (the later row of a code counts).
    qint64 savedSettingVersion(qint64 set, qint64 row)
    {
        const QString code = settingCodeOfRow(m_book, row);
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

    const Book &m_book;
    HistoryTable m_table;
    qint64 m_undone;
    std::map<qint64, std::map<qint64, KeptRow>> m_kept;
    QHash<qint64, qint64> m_putBack;
    QHash<qint64, qint64> m_undoes;
    std::map<qint64, QList<std::pair<qint64, qint64>>> m_ranges;
};

QString describe(const Book &book, HistoryTable table, qint64 row)
{
    switch (table) {
    case HistoryTable::Accounts:
        if (const std::optional<QString> name = accountNameOf(book, row))
            return QStringLiteral("the account \"%1\"").arg(name->trimmed());
        return QStringLiteral("account %1").arg(row);
    case HistoryTable::Transactions: return QStringLiteral("transaction %1").arg(row);
    case HistoryTable::Reconciliations: return QStringLiteral("reconciliation %1").arg(row);
    case HistoryTable::Settings: break;
    }
    return QStringLiteral("the settings");
}

} // namespace

QString rowChangedOutsideHistory(const Book &book, qint64 undone)
{
    if (!hasRowVersions(book))
        return QString();
    for (const HistoryTable table : historyTables()) {
        VersionCheck check(book, table, undone);
        if (const std::optional<qint64> row = check.firstChanged())
            return describe(book, table, *row);
    }
    return QString();
}

} // namespace bc
