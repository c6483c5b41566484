#pragma once

#include "book.h"
#include "money.h"

#include <QDate>
#include <QString>

namespace bc {

// The balances of one account (side flag 'A') the reports bring forward:
// its opening amount, and the money in and out over a stretch of days, read
// from its transactions or from the kept monthly balances.

// The money the account received (To side) and gave (From side); a
// transaction without an amount counts as 0.
struct SideSums {
    Money moneyIn;
    Money moneyOut;
};

// The account's opening amount; 0 for no such account.
Money accountOpeningAmount(const Book &book, qint64 accountId);

// The sums of the transactions dated first to last, both included, each side
// summed on its own covering index. A sum past the 64-bit range of cents
// fails with isSumOverflow().
SideSums accountSidesOfDays(const Book &book, qint64 accountId, const QDate &first, const QDate &last);

// The same from the kept balances of the whole months from one "YYYY-MM" to
// another, both included.
SideSums accountSidesOfMonths(const Book &book, qint64 accountId, const QString &firstMonth, const QString &lastMonth);

// Whether reports may read whole months from the kept balances: the book
// keeps them and no month's sum has left the 64-bit range of cents.
bool keptBalancesUsable(const Book &book);

} // namespace bc
