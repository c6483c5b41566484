#include "transactionpages.h"

#include "amountsum.h"
#include "bookcheck.h"
#include "statementinterrupt.h"

#include <QThread>

namespace bc {

namespace {

// The aggregate over the search's rows, on a book already checked.
TranFindTotals addUp(const Book &book, const TranSearch &search)
{
    return refusingOverflow(QStringLiteral("the total of the transactions found"), [&] {
        const FoundTransactionSums sums = sumSearchedTransactions(book, tranSearchFilter(search));
        TranFindTotals totals;
        totals.rows = sums.rows;
        totals.total = Money::fromCents(sums.cents);
        totals.nullAmounts = sums.nullAmounts;
        return totals;
    });
}

// The value of a grid column a page is ordered by.
TransactionSortKey sortKeyOf(int column)
{
    switch (column) {
    case TranCol::Date: return TransactionSortKey::Date;
    case TranCol::To: return TransactionSortKey::To;
    case TranCol::From: return TransactionSortKey::From;
    case TranCol::Amount: return TransactionSortKey::Amount;
    case TranCol::Particulars: return TransactionSortKey::Particulars;
    default: return TransactionSortKey::Id;
    }
}

} // namespace

TranFindTotals findTransactionTotals(const Book &book, const TranSearch &search)
{
    checkBookRows(book);
    return addUp(book, search);
}

TranFindTotals totalsOf(const RowArray &rows)
{
    TranFindTotals totals;
    totals.rows = rows.rowCount();
    for (int r = 0; r < rows.rowCount(); ++r) {
        if (rows.isNull(r, TranCol::Amount))
            ++totals.nullAmounts;
        else
            totals.total = addAmounts(totals.total, rows.moneyAt(r, TranCol::Amount),
                                      QStringLiteral("the total of the transactions found"));
    }
    return totals;
}

TranTotalsInBackground::TranTotalsInBackground(const QString &bookPath, const TranSearch &search, Done done)
{
    m_thread.reset(QThread::create([this, bookPath, search, done = std::move(done)] { run(bookPath, search, done); }));
    m_thread->start(QThread::LowPriority);
}

TranTotalsInBackground::~TranTotalsInBackground()
{
    {
        const QMutexLocker lock(&m_mutex);
        m_stopped = true;
        if (m_interrupt)
            m_interrupt();
    }
    m_thread->wait();
}

void TranTotalsInBackground::run(const QString &bookPath, const TranSearch &search, const Done &done)
{
    TranTotalsOutcome outcome;
    {
        Book book;
        OpenOptions options;
        options.readOnly = true;
        if (const OpenResult opened = book.open(bookPath, options); !opened.ok()) {
            outcome.error = opened.description;
        } else {
            {
                const QMutexLocker lock(&m_mutex);
                if (m_stopped)
                    return;
                m_interrupt = statementInterrupter(book);
            }
            try {
                outcome.totals = addUp(book, search);
            } catch (const DbError &e) {
                outcome.error = e.description();
            }
            const QMutexLocker lock(&m_mutex);
            m_interrupt = nullptr;
            if (m_stopped)
                return;
        }
    }
    done(outcome);
}

QSet<qint64> transactionsFoundAmong(const Book &book, const TranSearch &search, const QList<qint64> &ids)
{
    return searchedTransactionsAmong(book, tranSearchFilter(search), ids);
}

TranPager::TranPager(const Book &book, TranSearch search, TranOrder order)
    : m_book(book)
    , m_search(std::move(search))
    , m_order(order)
{
}

int TranPager::fetch(RowArray &rows, int count)
{
    if (m_atEnd || count <= 0)
        return 0;
    checkBookRows(m_book);
    // Sorting by amount reads the rows with an amount first, then those
    // without one by id; every other sort key is never null.
    const bool nullable = m_order.column == TranCol::Amount;
    int read = m_inNullKeys ? 0 : fetchPhase(rows, count, false);
    if (read < count && nullable && !m_inNullKeys) {
        m_inNullKeys = true;
        m_mark = {};
    }
    if (m_inNullKeys)
        read += fetchPhase(rows, count - read, true);
    if (read < count)
        m_atEnd = true;
    return read;
}

int TranPager::fetchPhase(RowArray &rows, int count, bool nullKeys)
{
    AmountPresence amounts = AmountPresence::Any;
    if (m_order.column == TranCol::Amount)
        amounts = nullKeys ? AmountPresence::Absent : AmountPresence::Present;
    return readTransactionPage(m_book, tranSearchFilter(m_search),
                               nullKeys ? TransactionSortKey::Id : sortKeyOf(m_order.column),
                               m_order.direction == SortDirection::Ascending, amounts, count, m_mark,
                               [&rows](const FoundTransaction &found) { appendFoundRow(rows, found); });
}

} // namespace bc
