#include "tranwriter.h"

#include "dates.h"
#include "history.h"
#include "historyrows.h"
#include "idmarks.h"
#include "importcache.h"
#include "reconciliationstore.h"
#include "rowversions.h"
#include "systemsettings.h"
#include "transactionindexes.h"
#include "transactions.h"

#include <algorithm>
#include <limits>

namespace bc {

namespace {

// Rows an import writes at a time: few enough to hold, many enough that
// each write's fixed statements cost little per row.
constexpr int ImportBatchRows = 5000;

// The page cache of an import, in KiB, and the narrower one of its last
// statements, which sort every row it wrote (into the indexes it set aside,
// and by side and month into the kept balances): SQLite's sorter may hold as
// much again in memory. A quarter was as fast, measured at 1,000,000 rows,
// at half the memory.
constexpr int ImportCacheKib = 64 * 1024;
constexpr int ImportSortCacheKib = 16 * 1024;

// The rows an import writes with the transactions' indexes in place before
// it sets them aside, at least: and never before it has written as many
// rows as the book held, so that the one pass that makes them again covers
// mostly new rows.
constexpr qint64 ImportRowsBeforeIndexesAside = 50000;

} // namespace

TranWriter::TranWriter(Book &book, const QDateTime &now)
    : m_book(book)
    , m_versionDate(now.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")))
    , m_versioned(hasRowVersions(book))
{
}

void TranWriter::add(const RowArray &rows, int r)
{
    qint64 id = rows.intAt(r, TranCol::Id);
    if (id <= 0)
        id = --m_provisional;
    else
        m_loaded << LoadedRow(id, rows.intAt(r, TranCol::Version));
    m_staged.append({id, rows.dateAt(r, TranCol::Date), rows.keyAt(r, TranCol::From), rows.keyAt(r, TranCol::To),
                     rows.moneyAt(r, TranCol::Amount).cents(), rows.textAt(r, TranCol::Particulars)});
}

QList<StaleRow> TranWriter::staleRows(const QList<LoadedRow> &deleted) const
{
    if (!m_versioned)
        return {};
    const QList<LoadedRow> loaded = m_loaded + deleted;
    SystemSettings settings;
    LoadSystemSettings(m_book, settings);
    QStringList labels;
    for (const LoadedRow &row : loaded) {
        const std::optional<QDate> date = transactionDate(m_book, row.id);
        labels
            << (date
                    ? QStringLiteral("Transaction %1 of %2").arg(row.id).arg(formatUserDate(*date, settings.dateFormat))
                    : QStringLiteral("Transaction %1").arg(row.id));
    }
    return bc::staleRows(m_book, HistoryTable::Transactions, loaded, labels,
                         currentVersions(m_book, HistoryTable::Transactions, idsOf(loaded)));
}

QList<qint64> TranWriter::write(const QList<LoadedRow> &deleted, qint64 *deletedCount, ChangeRecorder *history)
{
    const qint64 firstNew = reserveIds(m_book, IdSeries::Transactions, -m_provisional);
    const qint64 highest = firstNew - 1;
    if (highest - m_provisional > std::numeric_limits<qint32>::max())
        throw DbError(QStringLiteral("There are no transaction numbers left for %1 new rows.").arg(-m_provisional));
    // Changed rows replace their old versions; new rows take the ids after
    // the highest given, in the order they were added.
    QList<qint64> replaced, ids;
    const AccountKey cleared{AccountSide::Account, m_clearedAccount};
    for (TransactionWrite &row : m_staged) {
        if (row.id > 0) {
            replaced << row.id;
        } else {
            row.id = highest - row.id;
            if (m_clearedAccount != 0) {
                if (row.from == cleared)
                    row.fromStatus = statusLetter(SideStatus::Cleared);
                if (row.to == cleared)
                    row.toStatus = statusLetter(SideStatus::Cleared);
            }
        }
        ids << row.id;
    }
    if (m_versioned) {
        const QHash<qint64, qint64> current = currentVersions(m_book, HistoryTable::Transactions, replaced);
        for (TransactionWrite &row : m_staged)
            row.version = current.value(row.id) + 1;
    }
    if (history) {
        history->keepBefore(HistoryTable::Transactions, idsOf(deleted) + replaced);
        history->added(HistoryTable::Transactions, highest + 1, highest - m_provisional);
    }
    const qint64 removed = deleteTransactions(m_book, idsOf(deleted));
    if (deletedCount)
        *deletedCount = removed;
    // A changed row keeps its sides' standing with the bank.
    const QHash<qint64, SideStatuses> statuses = sideStatusesOf(m_book, replaced);
    for (TransactionWrite &row : m_staged)
        if (const auto kept = statuses.find(row.id); kept != statuses.end()) {
            row.fromStatus = statusLetter(kept->from);
            row.toStatus = statusLetter(kept->to);
            row.fromReconciliation = kept->fromReconciliation;
            row.toReconciliation = kept->toReconciliation;
        }
    deleteTransactions(m_book, replaced);
    insertTransactions(m_book, m_staged, m_versionDate, m_upkeep);
    m_staged.clear();
    m_loaded.clear();
    m_provisional = 0;
    return ids;
}

TranImport::TranImport(Book &book, const QDateTime &now, const QString &source)
    : m_book(book)
    , m_transaction(std::make_unique<ImportTransaction>(book, ImportCacheKib))
    , m_history(std::make_unique<ChangeRecorder>(book, source, QStringLiteral("Import")))
    , m_writer(book, now)
    , m_before(countTransactions(book))
{
    m_writer.keepBalancesLater();
}

TranImport::~TranImport() = default;

QString TranImport::add(const RowArray &rows, int row)
{
    if (QString problem = ValidateRow(rows, row); !problem.isEmpty())
        return problem;
    m_writer.add(rows, row);
    if (m_writer.staged() >= ImportBatchRows)
        writeBatch();
    return QString();
}

void TranImport::writeBatch()
{
    const QList<qint64> ids = m_writer.write();
    if (ids.isEmpty())
        return;
    if (m_count == 0)
        m_first = ids.first();
    m_last = ids.last();
    m_count += ids.size();
    if (!m_indexesAside && m_count >= std::max(m_before, ImportRowsBeforeIndexesAside))
        m_indexesAside = std::make_unique<TransactionIndexesAside>(m_book);
}

void TranImport::finish()
{
    writeBatch();
    m_transaction->narrowPageCache(ImportSortCacheKib);
    if (m_indexesAside)
        m_indexesAside->restore();
    if (m_count > 0) {
        keepBalancesOfAdded(m_book, m_first, m_last);
        m_history->added(HistoryTable::Transactions, m_first, m_last);
    }
    m_history->finish();
    m_transaction->commit();
}

} // namespace bc
