#pragma once

#include "book.h"
#include "rowarray.h"

#include <QDate>
#include <QList>
#include <QSet>
#include <QString>
#include <QVariant>
#include <QVariantList>
#include <functional>
#include <optional>

namespace bc {

// The transactions of a book (transaction_master): reading them for the
// searches, writing a save's rows, and the names their sides point at.

// The nine arguments of the book's saved transaction search, in its order. A
// criterion that is off is a single blank (dates, flags) or 0 (ids, amount
// bounds); the dates are short dates as typed.
struct TransactionFilter {
    QString fromDate;
    QString toDate;
    qint64 fromAccount = 0;
    QString fromFlag;
    qint64 toAccount = 0;
    QString toFlag;
    qint64 lowestCents = 0;
    qint64 highestCents = 0;
    QString particulars;
    // Rows whose From or To side names one of these accounts or parties; none
    // for no such criterion, an empty list finds nothing. Not an argument of
    // the saved search: a search holding it is run by its conditions.
    std::optional<QList<AccountKey>> anySide;
};

// The filter as the values bound to the saved search, in its order (anySide
// is none of them).
QVariantList transactionFilterValues(const TransactionFilter &filter);

// One transaction as a search reads it. The sides are key texts ("A12"), as
// the book holds their flag and id; an amount the book holds as Null is none.
struct FoundTransaction {
    qint64 id = 0;
    QDate date;
    QString from;
    QString to;
    std::optional<qint64> cents;
    QString particulars;
    std::optional<qint64> version; // none where the read does not ask for it
};
using FoundTransactionSink = std::function<void(const FoundTransaction &)>;

// The rows of the saved search, in the order it gives them (by date, then
// id).
void forEachSearchedTransaction(const Book &book, const TransactionFilter &filter, const FoundTransactionSink &sink);

// The count of the rows the filter finds, the sum of their amounts and the
// count of those without one: one aggregate over the same rows as the saved
// search. A sum past the 64-bit range of cents fails with isSumOverflow().
struct FoundTransactionSums {
    qint64 rows = 0;
    qint64 cents = 0;
    qint64 nullAmounts = 0;
};
FoundTransactionSums sumSearchedTransactions(const Book &book, const TransactionFilter &filter);

// The ids among ids that the filter finds.
QSet<qint64> searchedTransactionsAmong(const Book &book, const TransactionFilter &filter, const QList<qint64> &ids);

// The value a page of a search is ordered by: a side orders by its key text
// ("A12"), the particulars with Null as empty.
enum class TransactionSortKey { Id, Date, To, From, Amount, Particulars };

// Which rows a page reads as to their amount.
enum class AmountPresence { Any, Present, Absent };

// Where the last page read ended: the sort value and id of its last row.
struct TransactionPageMark {
    bool started = false; // false before the first row
    QVariant key;
    qint64 id = 0;
};

// Reads up to count rows the filter finds, with the amount presence asked,
// in order of key and then id (both ascending or both descending), after
// mark, and moves mark to the last row read. Each row carries its version
// where the book keeps versions. Returns how many were read.
int readTransactionPage(const Book &book, const TransactionFilter &filter, TransactionSortKey key, bool ascending,
                        AmountPresence amounts, int count, TransactionPageMark &mark, const FoundTransactionSink &sink);

// The name of account id (flag 'A') or party id (flag 'P'); none for no
// such row, another flag, or a book without a party table.
std::optional<QString> accountOrPartyName(const Book &book, QChar flag, qint64 id);

// The date of transaction id (invalid when it holds no valid date), or none
// when there is no such transaction.
std::optional<QDate> transactionDate(const Book &book, qint64 id);

// One transaction as a save writes it.
struct TransactionWrite {
    qint64 id = 0;
    QDate date;
    AccountKey from;
    AccountKey to;
    qint64 cents = 0;
    QString particulars;
    qint64 version = 1; // written only where the book keeps versions
    // The sides' statuses with the bank ("", "c" or "R") and the
    // reconciliations they belong to (0: none); written only where the book
    // keeps them.
    QString fromStatus{};
    QString toStatus{};
    qint64 fromReconciliation = 0;
    qint64 toReconciliation = 0;
};

// When a bulk write of new transactions brings the kept monthly balances up
// to date: with the rows (Now), or once for all the rows of a long import
// (Later, by keepBalancesOfAdded() before the import commits).
enum class BalanceUpkeep { Now, Later };

// Inserts rows, all in one statement on a server (its balance trigger then
// runs once), stamped with versionDate ("yyyy-MM-dd HH:mm:ss"). A book file
// writes them with no per-row trigger and keeps the balances and the closed
// period set-based (transactionbulkwrite.h). Runs inside the caller's write
// transaction; throws DbError.
void insertTransactions(const Book &book, const QList<TransactionWrite> &rows, const QString &versionDate,
                        BalanceUpkeep upkeep = BalanceUpkeep::Now);

// The new transactions of ids first..last, inserted with BalanceUpkeep::Later
// in this transaction, checked against the closed period and added into the
// kept balances. Throws DbError.
void keepBalancesOfAdded(const Book &book, qint64 first, qint64 last);

// Removes the transactions of these ids; returns how many there were.
qint64 deleteTransactions(const Book &book, const QList<qint64> &ids);

} // namespace bc
