#include "ledger.h"

#include "amountsum.h"
#include "balancestore.h"
#include "bookcheck.h"
#include "booktransaction.h"
#include "dates.h"
#include "ledgerstore.h"
#include "monthsplit.h"
#include "systemsettings.h"
#include "textroutines.h"

namespace bc {

namespace {

// The opening amount plus every movement before the from-date that counts
// in the opening. With kept balances, whole months come from them and only
// the days outside whole months from the transactions.
Money broughtForward(const Book &book, const LedgerInput &input)
{
    const qint64 id = *input.accountId;
    const QString what = QStringLiteral("the opening balance of the ledger");
    const QDate first = openingCountsFrom(input.finYearStart), last = input.fromDate.addDays(-1);
    // The sums are combined here, where leaving the range is caught rather
    // than turned into a floating-point number.
    Money in, out;
    const auto add = [&](const SideSums &sides) {
        in = addAmounts(in, sides.moneyIn, what);
        out = addAmounts(out, sides.moneyOut, what);
    };
    refusingOverflow(what, [&] {
        if (!keptBalancesUsable(book)) {
            add(accountSidesOfDays(book, id, first, last));
            return;
        }
        const MonthSplit split = splitByMonths(first, last);
        for (const auto &[from, to] : split.days)
            add(accountSidesOfDays(book, id, from, to));
        if (split.months)
            add(accountSidesOfMonths(book, id, split.months->first, split.months->second));
    });
    const std::optional<Money> earlier = checkedDifference(in, out);
    if (!earlier)
        throw DbError(amountsTooLarge(what));
    return addAmounts(accountOpeningAmount(book, id), *earlier, what);
}

// Text without the spaces at its ends (other white space kept).
QString withoutEdgeSpaces(const QString &text)
{
    qsizetype first = 0, end = text.size();
    while (first < end && text[first] == u' ')
        ++first;
    while (end > first && text[end - 1] == u' ')
        --end;
    return text.mid(first, end - first);
}

// A movement's particulars as the ledger lists them: the other side's name
// with the movement's own particulars in brackets, rather than losing them
// to the name; one whose other side is not in the book keeps its own.
QString movementParticulars(const LedgerWorkRow &row)
{
    if (!row.otherName)
        return NullToText(row.particulars);
    return (*row.otherName + QStringLiteral(" [") + withoutEdgeSpaces(row.particulars) + u']').trimmed();
}

void readMovements(const Book &book, LedgerResult &ledger)
{
    Money balance = ledger.openingBalance;
    forEachLedgerWorkRow(book, [&](const LedgerWorkRow &row) {
        LedgerMovement m;
        m.date = fromIsoDate(row.storedDate);
        m.particulars = movementParticulars(row);
        m.amount = Money::fromCents(row.cents);
        m.status = row.status;
        const std::optional<Money> next = checkedSum(balance, m.amount);
        if (!next)
            throw DbError(amountsTooLarge(QStringLiteral("the running balance of the ledger on ") + row.storedDate));
        balance = m.balance = *next;
        ledger.movements.push_back(std::move(m));
    });
    ledger.closingBalance = balance;
}

} // namespace

QString ledgerParticulars(const LedgerMovement &movement)
{
    return (movement.amount.isNegative() ? QStringLiteral("To ") : QStringLiteral("By ")) + movement.particulars;
}

LedgerResult computeLedger(const Book &book, const LedgerInput &input)
{
    LedgerResult ledger;
    BookTransaction transaction(book, TransactionKind::Read);
    clearLedgerWork(book);
    if (input.accountId) {
        checkAccountRows(book, {*input.accountId});
        checkListedRows(book, *input.accountId, isoDate(input.fromDate), isoDate(input.toDate));
        ledger.openingBalance = broughtForward(book, input);
        fillLedgerWork(book, *input.accountId, input.fromDate, input.toDate);
        readMovements(book, ledger);
    }
    transaction.commit();
    return ledger;
}

} // namespace bc
