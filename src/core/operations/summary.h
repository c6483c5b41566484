#pragma once

#include "accountside.h"
#include "book.h"
#include "money.h"

#include <QDate>
#include <QString>
#include <optional>
#include <vector>

namespace bc {

// One account chosen in the summary screen's list.
struct SummaryAccount {
    qint64 id = 0;
    AccountSide side = AccountSide::Account;
    QString name; // as the list shows it
};

// What the summary is asked for. The four bound texts are read as typed: a
// blank (or all-space) text sets no bound; any other text bounds exactly at
// the number it starts with ("12abc" at 12, "abc" at 0, "14.996" at 14.996).
struct SummaryInput {
    std::vector<SummaryAccount> accounts; // in the list's order
    QDate fromDate;
    QDate toDate;
    QDate finYearStart; // invalid when the book has no year start
    QString openingAbove; // "Opening >": drops openings below it
    QString openingBelow; // "Opening <": drops openings above it
    QString balanceAbove; // "Balance  >": lowest balance listed
    QString balanceBelow; // "Balance <": highest balance listed
};

// One listed account.
struct SummaryRow {
    qint64 accountId = 0;
    QString name;
    Money opening; // opening amount plus the movement from the financial-year start to the day before From
    Money movement; // the movement from From to To, both days included
    Money balance; // opening + movement
    AccountSide side = AccountSide::None;
};

struct SummaryResult {
    std::vector<SummaryRow> listed;
    Money totalOpening;
    Money totalMovement;
    Money totalBalance;
};

enum class BoundSide { Lower, Upper };

// A bound box's value in whole cents, rounded towards the inside of its range
// so that comparing cents gives the exact answer: a lower bound of 14.996
// admits 15.00 and not 14.99, an upper bound of 14.996 admits 14.99 and not
// 15.00. Nothing for a blank text, or for a number beyond the 64-bit range
// of cents, which no balance can pass: no bound on that side.
std::optional<qint64> summaryBound(const QString &text, BoundSide side);

// Computes the summary of the chosen accounts in the book.
//
// A transaction takes its amount from its From side and gives it to its To
// side; a Null amount counts as 0 and a transaction from an account to itself
// nets to 0. The opening is the account's opening amount (parties have none)
// plus every movement dated from the financial-year start (or, with none,
// from the beginning) to the day before fromDate; the movement counts every
// transaction dated fromDate to toDate, also those before the financial-year
// start (none when toDate is before fromDate). Accounts whose opening is
// strictly below openingAbove or strictly above openingBelow are dropped; the
// rest are listed when their balance lies within the balance bounds (both
// inclusive), in the order they were chosen. The totals add the listed rows.
//
// The work runs set-wise in the work table Account_Status, a fixed number of
// statements whatever the number of accounts and transactions, inside one
// transaction; the table keeps this run's rows afterwards. Refuses, with a
// DbError, sums past the 64-bit range of cents and rows of the chosen
// accounts that hold values this program never writes. Throws DbError when
// a statement fails.
SummaryResult computeSummary(const Book &book, const SummaryInput &input);

} // namespace bc
