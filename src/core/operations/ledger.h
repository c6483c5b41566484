#pragma once

#include "book.h"
#include "money.h"

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
    QDate finYearStart; // invalid when the book has no year start
};

// One movement of the account, in ledger order.
struct LedgerMovement {
    QDate date;
    QString particulars; // "NAME [particulars]", without "By "/"To "
    Money amount; // signed: zero or more is a credit, negative a debit
    Money balance; // the running balance after this movement
    // The account's side's standing with the bank as the ledger shows it:
    // blank (new), "c" (cleared) or "R" (reconciled).
    QString status{};
};

// The ledger of one account over a date range.
struct LedgerResult {
    std::vector<LedgerMovement> movements;
    Money openingBalance; // brought forward into the from-date
    Money closingBalance; // after the last movement
};

// The particulars as the ledger shows them: "To " before a debit (money
// out), "By " before a credit.
QString ledgerParticulars(const LedgerMovement &movement);

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

} // namespace bc
