#include "ledger.h"

#include "amountsum.h"
#include "bookcheck.h"
#include "dates.h"
#include "engine.h"
#include "monthsplit.h"
#include "periodbalances.h"
#include "sql.h"
#include "systemsettings.h"
#include "textroutines.h"

#include <QSqlQuery>

namespace bc {

namespace {

// The account's movements dated from first to last (ISO text, both
// included), money out as negative amounts and money in as positive, with the
// other side of each. tran_id orders the movements of one day as entered.
// SQLite: ifnull() here and in the statements below.
const QString movementsStatement = QStringLiteral(
    "SELECT tran_id, tran_date, particulars, -ifnull(amount, 0) AS amount, to_acc AS other_acc,"
    "       to_flag AS other_flag"
    "  FROM transaction_master WHERE from_acc = ? AND from_flag = 'A' AND tran_date BETWEEN ? AND ?"
    " UNION ALL "
    "SELECT tran_id, tran_date, particulars, ifnull(amount, 0), from_acc, from_flag"
    "  FROM transaction_master WHERE to_acc = ? AND to_flag = 'A' AND tran_date BETWEEN ? AND ?");

QVariantList movementValues(qint64 accountId, const QDate &first, const QDate &last)
{
    const QString from = isoDate(first), to = isoDate(last);
    return {accountId, from, to, accountId, from, to};
}

Money openingAmount(const QSqlDatabase &db, qint64 accountId)
{
    QSqlQuery q = runSql(db, QStringLiteral("SELECT open_amount FROM account_master WHERE account_id = ?"),
                         {accountId});
    return Money::fromCents(q.next() ? q.value(0).toLongLong() : 0);
}

// The sums of the account's money in and money out dated first to last (ISO
// text, both included), each side summed on its own covering index.
std::pair<Money, Money> sidesOfDays(const QSqlDatabase &db, qint64 accountId, const QString &first, const QString &last)
{
    const QString sum = wholeSum(db, QStringLiteral("amount"));
    QSqlQuery q = runSql(db,
                         QStringLiteral(
                             "SELECT (SELECT ifnull(%1, 0) FROM transaction_master"
                             "         WHERE to_acc = ? AND to_flag = 'A' AND tran_date BETWEEN ? AND ?),"
                             "       (SELECT ifnull(%1, 0) FROM transaction_master"
                             "         WHERE from_acc = ? AND from_flag = 'A' AND tran_date BETWEEN ? AND ?)")
                             .arg(sum),
                         {accountId, first, last, accountId, first, last});
    q.next();
    return {Money::fromCents(q.value(0).toLongLong()), Money::fromCents(q.value(1).toLongLong())};
}

// The same from the kept balances of the whole months from one "YYYY-MM" to
// another.
std::pair<Money, Money> sidesOfMonths(const QSqlDatabase &db, qint64 accountId, const QString &first,
                                      const QString &last)
{
    QSqlQuery q = runSql(db,
                         QStringLiteral(
                             "SELECT ifnull(%1, 0), ifnull(%2, 0)"
                             "  FROM period_balances WHERE account = ? AND flag = 'A' AND month BETWEEN ? AND ?")
                             .arg(wholeSum(db, QStringLiteral("money_in")), wholeSum(db, QStringLiteral("money_out"))),
                         {accountId, first, last});
    q.next();
    return {Money::fromCents(q.value(0).toLongLong()), Money::fromCents(q.value(1).toLongLong())};
}

// The opening amount plus every movement before the from-date that counts
// in the opening. With kept balances, whole months come from them and only
// the days outside whole months from the transactions.
Money broughtForward(const QSqlDatabase &db, const LedgerInput &input)
{
    const qint64 id = *input.accountId;
    const QString what = QStringLiteral("the opening balance of the ledger");
    const QDate first = openingCountsFrom(input.finYearStart), last = input.fromDate.addDays(-1);
    // The sums are combined here, where leaving the range is caught rather
    // than turned into a floating-point number.
    Money in, out;
    const auto add = [&](const std::pair<Money, Money> &sides) {
        in = addAmounts(in, sides.first, what);
        out = addAmounts(out, sides.second, what);
    };
    refusingOverflow(what, [&] {
        if (!periodBalancesUsable(db)) {
            add(sidesOfDays(db, id, isoDate(first), isoDate(last)));
            return;
        }
        const MonthSplit split = splitByMonths(first, last);
        for (const auto &[from, to] : split.days)
            add(sidesOfDays(db, id, isoDate(from), isoDate(to)));
        if (split.months)
            add(sidesOfMonths(db, id, split.months->first, split.months->second));
    });
    const std::optional<Money> earlier = checkedDifference(in, out);
    if (!earlier)
        throw DbError(amountsTooLarge(what));
    return addAmounts(openingAmount(db, id), *earlier, what);
}

// Fills the work table with the in-period movements, in ledger order.
void fillWorkTable(const QSqlDatabase &db, const LedgerInput &input)
{
    runSql(db,
           QStringLiteral("INSERT INTO tmp_Acc_Ldgr (tran_date, particulars, amount, Tran_flag, other_acc, other_flag) "
                          "SELECT tran_date, particulars, amount, 'T', other_acc, other_flag FROM (")
               + movementsStatement + QStringLiteral(") AS movements ORDER BY tran_date, tran_id"),
           movementValues(*input.accountId, input.fromDate, input.toDate));
    runSavedQuery(db, QStringLiteral("sp_Set_AccName2"), {});
    // The other account's name with the movement's own particulars in
    // brackets. A movement whose other side is not in the book keeps its
    // particulars as they are, rather than losing them to a Null name.
    runSql(db,
           QStringLiteral(
               "UPDATE tmp_Acc_Ldgr SET particulars = trim(acc_name) || ' [' || ifnull(trim(particulars), '') || ']' "
               "WHERE Tran_flag = 'T' AND acc_name IS NOT NULL"));
}

void readMovements(const QSqlDatabase &db, LedgerResult &ledger)
{
    QSqlQuery q = runSql(db,
                         QStringLiteral(
                             "SELECT tran_date, particulars, amount FROM tmp_Acc_Ldgr ORDER BY tran_date, seq"));
    Money balance = ledger.openingBalance;
    while (q.next()) {
        const QString rawDate = NullToText(q.value(0));
        LedgerMovement m;
        m.date = fromIsoDate(rawDate);
        m.particulars = NullToText(q.value(1));
        m.amount = Money::fromCents(q.value(2).toLongLong());
        const std::optional<Money> next = checkedSum(balance, m.amount);
        if (!next)
            throw DbError(amountsTooLarge(QStringLiteral("the running balance of the ledger on ") + rawDate));
        balance = m.balance = *next;
        ledger.movements.push_back(std::move(m));
    }
    ledger.closingBalance = balance;
}

} // namespace

QString ledgerParticulars(const LedgerMovement &movement)
{
    return (movement.amount.isNegative() ? QStringLiteral("To ") : QStringLiteral("By ")) + movement.particulars;
}

LedgerResult computeLedger(const Book &book, const LedgerInput &input)
{
    const QSqlDatabase db = connectionOf(book);
    LedgerResult ledger;
    TransactionGuard transaction(db, TransactionKind::Read);
    runSql(db, QStringLiteral("DELETE FROM tmp_amount"));
    runSql(db, QStringLiteral("DELETE FROM tmp_Acc_Ldgr"));
    if (input.accountId) {
        checkAccountRows(book, {*input.accountId});
        checkListedRows(book, *input.accountId, isoDate(input.fromDate), isoDate(input.toDate));
        ledger.openingBalance = broughtForward(db, input);
        fillWorkTable(db, input);
        readMovements(db, ledger);
    }
    transaction.commit();
    return ledger;
}

} // namespace bc
