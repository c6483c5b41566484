#include "tranwriter.h"

#include "connection.h"
#include "dates.h"
#include "engine.h"
#include "history.h"
#include "historyrows.h"
#include "idmarks.h"
#include "importcache.h"
#include "rowversions.h"
#include "sql.h"
#include "systemsettings.h"
#include "transactions.h"

#include <QSqlQuery>
#include <limits>

namespace bc {

namespace {

// Rows an import writes at a time: few enough to hold, many enough that
// each write's fixed statements cost little per row.
constexpr int ImportBatchRows = 5000;

// The page cache of an import, in KiB.
constexpr int ImportCacheKib = 64 * 1024;

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
    const AccountKey from = rows.keyAt(r, TranCol::From);
    const AccountKey to = rows.keyAt(r, TranCol::To);
    m_staged.append({id, isoDate(rows.dateAt(r, TranCol::Date)), from.id, QString(sideLetter(from.side)), to.id,
                     QString(sideLetter(to.side)), rows.moneyAt(r, TranCol::Amount).cents(),
                     rows.textAt(r, TranCol::Particulars), m_versionDate});
    if (m_versioned)
        m_staged.last() << qint64(1);
}

QList<StaleRow> TranWriter::staleRows(const QList<LoadedRow> &deleted) const
{
    if (!m_versioned)
        return {};
    const QList<LoadedRow> loaded = m_loaded + deleted;
    const QSqlDatabase db = connectionOf(m_book);
    SystemSettings settings;
    LoadSystemSettings(m_book, settings);
    QStringList labels;
    for (const LoadedRow &row : loaded) {
        QSqlQuery q = runSql(db, QStringLiteral("SELECT tran_date FROM transaction_master WHERE tran_id = ?"),
                             {row.id});
        labels << (q.next() ? QStringLiteral("Transaction %1 of %2")
                                  .arg(row.id)
                                  .arg(formatUserDate(fromIsoDate(q.value(0).toString()), settings.dateFormat))
                            : QStringLiteral("Transaction %1").arg(row.id));
    }
    return bc::staleRows(m_book, HistoryTable::Transactions, loaded, labels,
                         currentVersions(m_book, HistoryTable::Transactions, idsOf(loaded)));
}

QList<qint64> TranWriter::write(const QList<LoadedRow> &deleted, qint64 *deletedCount, ChangeRecorder *history)
{
    const QSqlDatabase db = connectionOf(m_book);
    const qint64 firstNew = reserveIds(m_book, IdSeries::Transactions, -m_provisional);
    const qint64 highest = firstNew - 1;
    if (highest - m_provisional > std::numeric_limits<qint32>::max())
        throw DbError(QStringLiteral("There are no transaction numbers left for %1 new rows.").arg(-m_provisional));
    // Changed rows replace their old versions; new rows take the ids after
    // the highest given, in the order they were added.
    QList<qint64> replaced, ids;
    for (QVariantList &row : m_staged) {
        const qint64 id = row[0].toLongLong();
        if (id > 0)
            replaced << id;
        else
            row[0] = highest - id;
        ids << row[0].toLongLong();
    }
    if (m_versioned) {
        const QHash<qint64, qint64> current = currentVersions(m_book, HistoryTable::Transactions, replaced);
        for (QVariantList &row : m_staged)
            row.last() = current.value(row[0].toLongLong()) + 1;
    }
    if (history) {
        history->keepBefore(HistoryTable::Transactions, idsOf(deleted) + replaced);
        history->added(HistoryTable::Transactions, highest + 1, highest - m_provisional);
    }
    const qint64 removed = runSqlForIds(db, QStringLiteral("DELETE FROM transaction_master WHERE tran_id = ?"),
                                        idsOf(deleted));
    if (deletedCount)
        *deletedCount = removed;
    runSqlForIds(db, QStringLiteral("DELETE FROM transaction_master WHERE tran_id = ?"), replaced);
    // One statement for all rows: a server then runs the kept balances'
    // trigger once, not once a row on balance rows growing ever longer
    // chains of versions within the transaction.
    QStringList serverTypes{QStringLiteral("bigint"), QStringLiteral("date"),   QStringLiteral("bigint"),
                            QStringLiteral("text"),   QStringLiteral("bigint"), QStringLiteral("text"),
                            QStringLiteral("bigint"), QStringLiteral("text"),   QStringLiteral("text")};
    if (m_versioned)
        serverTypes << QStringLiteral("bigint");
    insertRows(db,
               QStringLiteral("INSERT INTO transaction_master (tran_id, tran_date, from_acc, from_flag, to_acc, "
                              "to_flag, amount, particulars, version_date%1)")
                   .arg(m_versioned ? QStringLiteral(", row_version") : QString()),
               m_staged, serverTypes);
    m_staged.clear();
    m_loaded.clear();
    m_provisional = 0;
    return ids;
}

// SQLite: a transaction larger than the page cache writes pages out before
// its commit, each time syncing the rollback journal first; a larger cache
// for the import's life keeps those syncs few while the memory stays bounded.
struct TranImport::Transaction {
    explicit Transaction(const QSqlDatabase &connection)
        : db(connection)
        , previousCache(pageCacheSize(connection))
        , guard((setPageCacheSize(connection, -ImportCacheKib), connection))
    {
    }
    ~Transaction()
    {
        try {
            setPageCacheSize(db, previousCache);
        } catch (const DbError &) {
            // The cache only affects speed; the connection stays usable.
        }
    }
    QSqlDatabase db;
    qint64 previousCache;
    TransactionGuard guard;
};

TranImport::TranImport(Book &book, const QDateTime &now, const QString &source)
    : m_transaction(std::make_unique<Transaction>(connectionOf(book)))
    , m_history(std::make_unique<ChangeRecorder>(book, source, QStringLiteral("Import")))
    , m_writer(book, now)
{
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
}

void TranImport::finish()
{
    writeBatch();
    if (m_count > 0)
        m_history->added(HistoryTable::Transactions, m_first, m_last);
    m_history->finish();
    m_transaction->guard.commit();
}

} // namespace bc
