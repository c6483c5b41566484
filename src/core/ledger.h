#pragma once

#include "book.h"
#include "money.h"
#include "rowarray.h"

#include <QDate>
#include <QString>
#include <optional>
#include <vector>

namespace bc {

// What the ledger is asked for.
struct LedgerInput {
    std::optional<qint64> accountId; // none when no account is selected
    QDate fromDate;
    QDate toDate;
    QDate finYearStart;   // invalid when the book has no year start
    QString dateFormat;   // the book's date format, for the Date column
};

// One movement of the account, in ledger order.
struct LedgerMovement {
    QDate date;
    QString particulars; // "NAME [particulars]", without "By "/"To "
    Money amount;        // signed: zero or more is a credit, negative a debit
    Money balance;       // the running balance after this movement
};

// The ledger of one account over a date range.
struct LedgerResult {
    // Column numbers of rows.
    enum Column { DateColumn, ParticularsColumn, DebitColumn, CreditColumn, BalanceColumn, ColumnCount };

    // Five text columns, as the grid and the printed ledger show them:
    // the date in the report date pattern; "By " or "To " and the
    // particulars; the debit magnitude "#0.00" or empty; the credit "#0.00" or
    // empty; the running balance's magnitude followed by " (Credit)" (zero
    // or more) or "  (Debit)".
    RowArray rows;
    std::vector<LedgerMovement> movements; // the same rows, typed

    Money openingBalance; // brought forward into the from-date
    Money closingBalance; // after the last movement
    QString openingText;  // "#0.00" of the opening magnitude
    QString openingFlag;  // "(Credit)" above 0, "(Debit)" below, "" at 0
    QString closingText;
    QString closingFlag;
};

// An empty ledger: no rows, five text columns, balances 0.
LedgerResult emptyLedger();

// Computes the ledger in the book. The opening balance is the account's
// opening amount plus every movement from the financial-year start (or, with
// none, from the beginning) up to the day before fromDate; the movements from
// fromDate to toDate (none when toDate is before fromDate) follow in date
// order, movements of one day in the order they were entered (tran_id).
// Without an account the result is empty.
//
// The work table tmp_Acc_Ldgr keeps this run's movements afterwards (the
// ledger chart reads it). All work runs in one transaction, so a failure
// leaves the work tables as the previous run left them. Throws DbError when a
// statement fails, a balance leaves the 64-bit range of cents, or the
// account's rows hold a value this program never writes (see bookcheck.h).
LedgerResult computeLedger(const Book &book, const LedgerInput &input);

// "#0.00" of the magnitude with " (Credit)" for zero or more and "  (Debit)"
// below zero: the text of a running balance.
QString runningBalanceText(Money balance);

// "(Credit)" above zero, "(Debit)" below, empty at zero: the flag beside a
// balance box.
QString balanceFlag(Money balance);

// The signed balance a running-balance text shows: negative when it is a
// debit ("1200.50  (Debit)" gives -1200.50).
Money runningBalanceValue(const QString &text);

// A balance as the printed ledger shows it: the magnitude "#0.00" followed
// by " Cr" or " Dr", the sides the grid shows. A running balance of zero is a
// credit, as in the grid; an opening or closing balance of zero has no side,
// as beside the boxes.
enum class ZeroSide { Credit, None };
QString printedBalance(Money balance, ZeroSide zero);

} // namespace bc
