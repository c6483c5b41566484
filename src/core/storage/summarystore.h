#pragma once

#include "accountside.h"
#include "book.h"

#include <QDate>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

namespace bc {

// The account summary's work table (Account_Status): one row per chosen
// account or party, whose opening, movement and balance are summed there set
// by set, a fixed number of statements whatever the number of accounts and
// transactions. The table keeps the last run's rows afterwards.

struct SummaryWorkAccount {
    qint64 id = 0;
    QString name;
    AccountSide side = AccountSide::Account;
};

// The amount columns of the work table that movements are added to.
enum class SummaryWorkColumn { Opening, Movement };

// Empties the work table and fills it with the accounts, their openings the
// accounts' opening amounts (parties have none) and every other figure 0.
void startSummaryWork(const Book &book, const std::vector<SummaryWorkAccount> &accounts);

// Adds to column of every row the signed sum of the transactions dated first
// to last, both included: minus the amount where the row is the From side,
// plus where it is the To side, a Null amount counting as 0. An invalid date
// bounds no transaction in.
void addSummaryDays(const Book &book, SummaryWorkColumn column, const QDate &first, const QDate &last);

// The same from the kept balances of the whole months from one "YYYY-MM" to
// another, both included.
void addSummaryMonths(const Book &book, SummaryWorkColumn column, const QString &firstMonth, const QString &lastMonth);

// Drops the rows whose opening is strictly below lowest or strictly above
// highest; a bound that is none drops nothing.
void dropSummaryOpeningsOutside(const Book &book, std::optional<qint64> lowest, std::optional<qint64> highest);

// Sets every row's balance to its opening plus its movement.
void settleSummaryBalances(const Book &book);

// One listed row of the work table. An amount is none where its sum left the
// 64-bit range of cents (SQLite then holds a floating-point number).
struct SummaryWorkRow {
    qint64 accountId = 0;
    QString name;
    std::optional<qint64> opening;
    std::optional<qint64> movement;
    std::optional<qint64> balance;
    QString side;
};

// The rows whose balance lies within the bounds (both inclusive; none bounds
// nothing), through the book's saved query, in the order they were chosen.
void forEachSummaryListed(const Book &book, std::optional<qint64> highestBalance, std::optional<qint64> lowestBalance,
                          const std::function<void(const SummaryWorkRow &)> &sink);

} // namespace bc
