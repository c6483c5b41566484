#include "transactionpages.h"

#include "amountsum.h"
#include "bookcheck.h"
#include "connection.h"
#include "engine.h"
#include "rowversions.h"
#include "sql.h"

#include <QSqlQuery>
#include <QThread>
#include <algorithm>
#include <sqlite3.h>

namespace bc {

// SQLite: sqlite3_interrupt, which stops the background adding up; a
// server's query runs to its end instead.

namespace {

// The criteria of the saved search query, with those left off dropped, so
// that SQLite can choose an index for the ones that remain. Each remaining
// condition is the saved query's own, with the same argument.
struct Criteria {
    QString where;
    QVariantList values;
};

Criteria criteriaOf(const QSqlDatabase &db, const TranSearch &search)
{
    const QVariantList a = tranSearchArguments(search);
    QStringList parts{QStringLiteral("true")};
    QVariantList values;
    const auto add = [&](const QString &condition, const QVariantList &bound) {
        parts << condition;
        values << bound;
    };
    if (search.applyDates) {
        parts << shortDateBound(db, QStringLiteral("tran_date"), true, a[0], values);
        parts << shortDateBound(db, QStringLiteral("tran_date"), false, a[1], values);
    }
    if (a[2].toLongLong() != 0)
        add(QStringLiteral("from_acc = ? AND from_flag = trim(?)"), {a[2], a[3]});
    if (a[4].toLongLong() != 0)
        add(QStringLiteral("to_acc = ? AND to_flag = trim(?)"), {a[4], a[5]});
    if (a[6].toLongLong() != 0)
        add(QStringLiteral("amount >= ?"), {a[6]});
    if (a[7].toLongLong() != 0)
        add(QStringLiteral("amount <= ?"), {a[7]});
    // The saved query trims spaces only, as SQLite's trim() does.
    const QString particulars = a[8].toString();
    if (std::any_of(particulars.cbegin(), particulars.cend(), [](QChar c) { return c != u' '; }))
        add(QStringLiteral("instr(lower(ifnull(particulars, '')), lower(trim(?))) > 0"), {a[8]});
    return {parts.join(QStringLiteral(" AND ")), values};
}

// The value a grid column sorts on, as SQL over transaction_master: an
// account side as its key text ("A12"), as the grid sorts it.
QString sortKeyOf(int column)
{
    switch (column) {
    case TranCol::Date: return QStringLiteral("tran_date");
    case TranCol::To: return QStringLiteral("to_flag || to_acc");
    case TranCol::From: return QStringLiteral("from_flag || from_acc");
    case TranCol::Amount: return QStringLiteral("amount");
    case TranCol::Particulars: return QStringLiteral("ifnull(particulars, '')");
    default: return QStringLiteral("tran_id");
    }
}

// The aggregate over the search's rows, on a book already checked.
TranFindTotals addUp(const Book &book, const TranSearch &search)
{
    const QSqlDatabase db = connectionOf(book);
    const Criteria criteria = criteriaOf(db, search);
    return refusingOverflow(QStringLiteral("the total of the transactions found"), [&] {
        QSqlQuery q = runSql(db,
                             QStringLiteral("SELECT count(*), ifnull(%1, 0), count(*) - count(amount) "
                                            "FROM transaction_master WHERE ")
                                     .arg(wholeSum(db, QStringLiteral("amount")))
                                 + criteria.where,
                             criteria.values);
        TranFindTotals totals;
        if (q.next()) {
            totals.rows = q.value(0).toLongLong();
            totals.total = Money::fromCents(q.value(1).toLongLong());
            totals.nullAmounts = q.value(2).toLongLong();
        }
        return totals;
    });
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
        if (m_handle)
            sqlite3_interrupt(m_handle);
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
                m_handle = connectionHandle(connectionOf(book));
            }
            try {
                outcome.totals = addUp(book, search);
            } catch (const DbError &e) {
                outcome.error = e.description();
            }
            const QMutexLocker lock(&m_mutex);
            m_handle = nullptr;
            if (m_stopped)
                return;
        }
    }
    done(outcome);
}

QSet<qint64> transactionsFoundAmong(const Book &book, const TranSearch &search, const QList<qint64> &ids)
{
    const QSqlDatabase db = connectionOf(book);
    const Criteria criteria = criteriaOf(db, search);
    QSet<qint64> found;
    for (const qint64 id : ids) {
        QSqlQuery q = runSql(db,
                             QStringLiteral("SELECT 1 FROM transaction_master WHERE tran_id = ? AND ") + criteria.where,
                             QVariantList{id} + criteria.values);
        if (q.next())
            found.insert(id);
    }
    return found;
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
        m_started = false;
    }
    if (m_inNullKeys)
        read += fetchPhase(rows, count - read, true);
    if (read < count)
        m_atEnd = true;
    return read;
}

int TranPager::fetchPhase(RowArray &rows, int count, bool nullKeys)
{
    const Criteria criteria = criteriaOf(connectionOf(m_book), m_search);
    const bool ascending = m_order.direction == SortDirection::Ascending;
    const QString after = ascending ? QStringLiteral(" > ") : QStringLiteral(" < ");
    const QString direction = ascending ? QStringLiteral(" ASC") : QStringLiteral(" DESC");
    const QString key = nullKeys ? QStringLiteral("tran_id") : sortKeyOf(m_order.column);
    QString statement = QStringLiteral("SELECT tran_id, tran_date, from_flag, from_acc, to_flag, to_acc, amount, "
                                       "particulars, %1, %2 FROM transaction_master WHERE ")
                            .arg(key, hasRowVersions(m_book) ? QStringLiteral("row_version") : QStringLiteral("0"))
        + criteria.where;
    QVariantList values = criteria.values;
    if (m_order.column == TranCol::Amount)
        statement += nullKeys ? QStringLiteral(" AND amount IS NULL") : QStringLiteral(" AND amount IS NOT NULL");
    if (m_started) {
        statement += QStringLiteral(" AND (%1, tran_id)").arg(key) + after + QStringLiteral("(?, ?)");
        values << m_lastKey << m_lastId;
    }
    statement += QStringLiteral(" ORDER BY %1%2, tran_id%2 LIMIT ?").arg(key, direction);
    values << count;
    QSqlQuery q = runSql(connectionOf(m_book), statement, values);
    int read = 0;
    while (q.next()) {
        appendFoundRow(rows, q, 9);
        m_lastKey = q.value(8);
        m_lastId = q.value(0).toLongLong();
        m_started = true;
        ++read;
    }
    return read;
}

} // namespace bc
