#pragma once

#include "book.h"
#include "money.h"

#include <QChar>
#include <QDate>
#include <QHash>
#include <QString>
#include <vector>

namespace bc {

// What the financial statements read: the money in and out of every side
// (an account 'A' or a party 'P') over a stretch of days, the pairs of sides
// a cash account met, the parties' names and the accounts' cash setting.

struct SideMovement {
    qint64 id = 0;
    QChar flag = u'A';
    Money moneyIn; // the side is the To side
    Money moneyOut; // the side is the From side
};

// One side's movement over one month.
struct SideMonth {
    SideMovement movement;
    QString month; // "YYYY-MM"
};

// Every side's movement in each month from one "YYYY-MM" to another, both
// included, from the kept monthly balances (keptBalancesUsable()).
std::vector<SideMonth> sideMovementsByMonth(const Book &book, const QString &firstMonth, const QString &lastMonth);

// Every side's movement over the days first to last, both included, from
// the transactions; an invalid first reads from the earliest transaction.
std::vector<SideMovement> sideMovementsOfDays(const Book &book, const QDate &first, const QDate &last);

// The money a cash account received from (moneyIn) and gave to (moneyOut)
// each counter side over the days first to last; an invalid first reads from
// the earliest transaction. A transaction from the account to itself is left
// out: it moves no cash.
std::vector<SideMovement> cashCounterMovements(const Book &book, qint64 cashAccountId, const QDate &first,
                                               const QDate &last);

// The name of every party, by id.
QHash<qint64, QString> readPartyNames(const Book &book);

// The "cash or bank" setting of the accounts the user set it on, by id;
// every other account takes the default. Empty for a book of a format
// before the setting.
QHash<qint64, bool> readCashSettings(const Book &book);

// Sets an account's "cash or bank" setting.
void writeCashSetting(const Book &book, qint64 accountId, bool cashOrBank);

} // namespace bc
