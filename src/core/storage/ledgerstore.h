#pragma once

#include "book.h"
#include "money.h"

#include <QDate>
#include <QString>
#include <functional>
#include <optional>

namespace bc {

// The work tables of the account ledger and its chart (tmp_Acc_Ldgr and
// Tmp_acc_ldgr_graph), which keep the last run's rows afterwards.

// Empties the ledger's work tables (and tmp_amount).
void clearLedgerWork(const Book &book);

// Fills the ledger's work table with the movements of account accountId
// (side flag 'A') dated first to last, both included, in ledger order (by
// date, movements of one day as entered), in one pass over the side
// indexes: money out as a negative amount, money in as positive, a
// transaction without an amount as 0, each with its own particulars and
// the other side it moved to or from.
void fillLedgerWork(const Book &book, qint64 accountId, const QDate &first, const QDate &last);

// One movement of the ledger's work table; the date and the particulars as
// the book holds them.
struct LedgerWorkRow {
    QString storedDate;
    QString particulars;
    qint64 cents = 0;
    QString status; // the account's side's standing with the bank: "", "c" or "R"
    // The other side's name without its edge spaces; none when that side
    // is not in the book.
    std::optional<QString> otherName;
};

// The movements of the ledger's work table, in ledger order. The other
// sides' names are read once for each side, not once for each movement.
void forEachLedgerWorkRow(const Book &book, const std::function<void(const LedgerWorkRow &)> &sink);

// Fills the chart's work table from the ledger's: one row per day with
// movements, holding opening plus every movement up to the end of that day.
void fillLedgerGraph(const Book &book, Money opening);

// The days of the chart's work table in date order, with their end-of-day
// balances; a day the book holds as no valid date is an invalid date.
void forEachLedgerGraphDay(const Book &book, const std::function<void(const QDate &day, Money balance)> &sink);

} // namespace bc
