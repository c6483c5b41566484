#pragma once

#include "book.h"
#include "rowarray.h"
#include "rowconflicts.h"
#include "transactionstore.h"

#include <QDateTime>
#include <QList>
#include <memory>

namespace bc {

class ChangeRecorder;
class ImportTransaction;
class TransactionIndexesAside;

// Writes rows of a transaction grid (makeTranRows, checked by ValidateRow)
// into the book, inside a write transaction its caller holds open: a row
// with an id replaces the transaction of that id, taking the version after
// the one it has; rows without one get ids above the highest ever given (a
// deleted id is never given again), consecutive in the order they were
// added, also from one write to the next, and version 1.
class TranWriter {
public:
    TranWriter(Book &book, const QDateTime &now);

    void add(const RowArray &rows, int row);
    // New rows are written with their sides naming this account cleared
    // (0: none), as the bank's statement shows them.
    void clearSidesOf(qint64 accountId) { m_clearedAccount = accountId; }
    // The kept balances of the rows written are brought up to date by the
    // caller, once for all of them (keepBalancesOfAdded).
    void keepBalancesLater() { m_upkeep = BalanceUpkeep::Later; }
    int staged() const { return int(m_staged.size()); }

    // The rows added and those of deleted that another user changed or
    // deleted since they were loaded (their versions differ from the ones in
    // the grid), named by id and date.
    QList<StaleRow> staleRows(const QList<LoadedRow> &deleted) const;

    // Removes the transactions in deleted, then writes the rows
    // added since the last write; returns their ids in the order added. The
    // change history, when given, keeps the rows deleted and replaced and
    // learns the ids added. Throws DbError.
    QList<qint64> write(const QList<LoadedRow> &deleted = {}, qint64 *deletedCount = nullptr,
                        ChangeRecorder *history = nullptr);

private:
    Book &m_book;
    QString m_versionDate;
    bool m_versioned;
    QList<TransactionWrite> m_staged;
    QList<LoadedRow> m_loaded; // the staged rows that replace a transaction, as loaded
    qint64 m_provisional = 0; // new rows are staged as -1, -2, ...
    qint64 m_clearedAccount = 0;
    BalanceUpkeep m_upkeep = BalanceUpkeep::Now;
};

// An import of new transactions of any number: each row is checked as Save
// checks it and written a batch at a time inside one transaction, which
// finish() commits. Left unfinished (a refusal, a failure, a cancel), it
// rolls back everything it wrote. The ids given are first()..last(), which
// the change history keeps as one range, made by source.
class TranImport {
public:
    TranImport(Book &book, const QDateTime &now, const QString &source);
    ~TranImport();
    TranImport(const TranImport &) = delete;
    TranImport &operator=(const TranImport &) = delete;

    // Row r of rows, added; or ValidateRow's message when it is refused.
    // Throws DbError.
    QString add(const RowArray &rows, int row);
    void finish();

    qint64 count() const { return m_count; }
    qint64 first() const { return m_first; }
    qint64 last() const { return m_last; }

private:
    void writeBatch();

    Book &m_book;
    std::unique_ptr<ImportTransaction> m_transaction;
    std::unique_ptr<ChangeRecorder> m_history;
    TranWriter m_writer;
    qint64 m_before = 0; // the book's transactions when the import began
    std::unique_ptr<TransactionIndexesAside> m_indexesAside;
    qint64 m_count = 0;
    qint64 m_first = 0;
    qint64 m_last = 0;
};

} // namespace bc
