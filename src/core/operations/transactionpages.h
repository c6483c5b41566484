#pragma once

#include "transactions.h"

#include <QMutex>
#include <QSet>
#include <functional>
#include <memory>

class QThread;

namespace bc {

// The order rows of a search come in: one grid column and a direction. Rows
// equal on the column follow each other by transaction number in the same
// direction; rows without an amount come last either way when sorting by
// amount. The default is the order findTransactions gives (date, then id).
struct TranOrder {
    int column = TranCol::Date;
    SortDirection direction = SortDirection::Ascending;
};

// What a whole search adds up to, from one aggregate query over the same rows
// findTransactions would read.
struct TranFindTotals {
    qint64 rows = 0;
    Money total;
    qint64 nullAmounts = 0; // rows stored without an amount, counted as 0
};

// Refuses (DbError) as findTransactions does: rows in a form this program
// never writes, a total past the 64-bit range of cents.
TranFindTotals findTransactionTotals(const Book &book, const TranSearch &search);

// The figures of rows read whole, as the aggregate gives them.
TranFindTotals totalsOf(const RowArray &rows);

// What adding up a search in the background came to: the figures, or the
// description of the failure.
struct TranTotalsOutcome {
    TranFindTotals totals;
    QString error;
};

// Runs the aggregate of a search on a connection of its own (the book opened
// read-only) in a thread of its own, so that a window can show the first rows
// of a large search while the book adds up the rest. done is called once, in
// that thread, unless the adding up was stopped. Dropping it stops the query
// (on a server book the query runs to its end) and waits for the thread; a
// server book's second connection finds its password as libpq does, from
// the location, PGPASSWORD or ~/.pgpass. The rows are not checked for faults
// again: the first page read on the window's own connection did that.
class TranTotalsInBackground {
public:
    using Done = std::function<void(const TranTotalsOutcome &)>;
    TranTotalsInBackground(const QString &bookPath, const TranSearch &search, Done done);
    ~TranTotalsInBackground();
    TranTotalsInBackground(const TranTotalsInBackground &) = delete;
    TranTotalsInBackground &operator=(const TranTotalsInBackground &) = delete;

private:
    void run(const QString &bookPath, const TranSearch &search, const Done &done);

    QMutex m_mutex; // guards the two below
    std::function<void()> m_interrupt; // of the connection while a query may run
    bool m_stopped = false;
    std::unique_ptr<QThread> m_thread;
};

// The ids among ids that the search finds, whether or not they were read.
QSet<qint64> transactionsFoundAmong(const Book &book, const TranSearch &search, const QList<qint64> &ids);

// Reads the rows of a search a page at a time: each page starts after the
// last row of the one before, by its place in the order (not by counting
// rows), so a page costs the same wherever it is and rows saved meanwhile by
// another program neither repeat nor shift the pages. The book must outlive
// the pager.
class TranPager {
public:
    TranPager(const Book &book, TranSearch search, TranOrder order = {});

    // Appends up to count further rows to rows (a makeTranRows array), marked
    // unchanged; returns how many. Throws DbError like findTransactions.
    int fetch(RowArray &rows, int count);
    bool atEnd() const { return m_atEnd; }

private:
    int fetchPhase(RowArray &rows, int count, bool nullKeys);

    const Book &m_book;
    TranSearch m_search;
    TranOrder m_order;
    bool m_atEnd = false;
    bool m_inNullKeys = false; // reading the rows without an amount, by id
    TransactionPageMark m_mark; // where the current phase has read to
};

} // namespace bc
