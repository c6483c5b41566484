#include "ledger.h"

#include "dates.h"
#include "sql.h"
#include "textroutines.h"

#include <QSqlQuery>

namespace bc {

namespace {

// Both append queries together give every movement of the account in the
// range; their rows are never told apart.
void appendMovements(const QSqlDatabase &db, const QString &startText, const QString &endText, qint64 accountId)
{
    const QVariantList arguments{startText, endText, accountId, QStringLiteral("A")};
    runSavedQuery(db, QStringLiteral("sp_tran_search1"), arguments);
    runSavedQuery(db, QStringLiteral("sp_tran_search2"), arguments);
}

Money workTableSum(const QSqlDatabase &db)
{
    QSqlQuery q = runSql(db, QStringLiteral("SELECT ifnull(sum(amount), 0) FROM tmp_Acc_Ldgr"));
    return Money::fromCents(q.next() ? q.value(0).toLongLong() : 0);
}

Money openingAmount(const QSqlDatabase &db, qint64 accountId)
{
    QSqlQuery q = runSql(db, QStringLiteral("SELECT open_amount FROM account_master WHERE account_id = ?"),
                         {accountId});
    return Money::fromCents(q.next() ? q.value(0).toLongLong() : 0);
}

// Fills the work table with the in-period movements and returns the opening
// balance brought forward into the from-date.
Money fillWorkTable(const QSqlDatabase &db, const LedgerInput &input)
{
    const qint64 id = *input.accountId;
    Money opening = openingAmount(db, id);

    appendMovements(db, input.finYearStart, shortDateText(input.fromDate.addDays(-1)), id);
    opening += workTableSum(db);
    runSql(db, QStringLiteral("DELETE FROM tmp_Acc_Ldgr"));

    appendMovements(db, shortDateText(input.fromDate), shortDateText(input.toDate), id);
    runSavedQuery(db, QStringLiteral("sp_Set_AccName2"), {});
    // The other account's name with the movement's own particulars in
    // brackets. A movement whose other side is not in the book keeps its
    // particulars as they are, rather than losing them to a Null name.
    runSql(db, QStringLiteral(
        "UPDATE tmp_Acc_Ldgr SET particulars = trim(acc_name) || ' [' || ifnull(trim(particulars), '') || ']' "
        "WHERE Tran_flag = 'T' AND acc_name IS NOT NULL"));
    return opening;
}

void appendRow(LedgerResult &ledger, const LedgerMovement &m, const QString &dateFormat, const QString &rawDate)
{
    RowArray &rows = ledger.rows;
    const int r = rows.appendRow();
    rows.setText(r, LedgerResult::DateColumn, m.date.isValid() ? formatReportDate(m.date, dateFormat) : rawDate);
    if (m.amount.isNegative()) {
        rows.setText(r, LedgerResult::ParticularsColumn, QStringLiteral("To ") + m.particulars);
        rows.setText(r, LedgerResult::DebitColumn, m.amount.abs().toPlain());
    } else {
        rows.setText(r, LedgerResult::ParticularsColumn, QStringLiteral("By ") + m.particulars);
        rows.setText(r, LedgerResult::CreditColumn, m.amount.toPlain());
    }
    rows.setText(r, LedgerResult::BalanceColumn, runningBalanceText(m.balance));
}

void readMovements(const QSqlDatabase &db, const QString &dateFormat, LedgerResult &ledger)
{
    QSqlQuery q = runSql(db, QStringLiteral(
        "SELECT tran_date, particulars, amount FROM tmp_Acc_Ldgr ORDER BY tran_date, seq"));
    Money balance = ledger.openingBalance;
    while (q.next()) {
        const QString rawDate = NullToText(q.value(0));
        LedgerMovement m;
        m.date = fromIsoDate(rawDate);
        m.particulars = NullToText(q.value(1));
        m.amount = Money::fromCents(q.value(2).toLongLong());
        balance += m.amount;
        m.balance = balance;
        appendRow(ledger, m, dateFormat, rawDate);
        ledger.movements.push_back(std::move(m));
    }
    ledger.closingBalance = balance;
}

} // namespace

QString runningBalanceText(Money balance)
{
    return balance.isNegative() ? balance.abs().toPlain() + QStringLiteral("  (Debit)")
                                : balance.toPlain() + QStringLiteral(" (Credit)");
}

QString balanceFlag(Money balance)
{
    if (balance.isZero())
        return QString();
    return balance.isNegative() ? QStringLiteral("(Debit)") : QStringLiteral("(Credit)");
}

LedgerResult emptyLedger()
{
    LedgerResult ledger;
    ledger.rows = RowArray(std::vector<CellType>(LedgerResult::ColumnCount, CellType::Text));
    ledger.openingText = ledger.closingText = Money().toPlain();
    return ledger;
}

LedgerResult computeLedger(const QSqlDatabase &db, const LedgerInput &input)
{
    LedgerResult ledger = emptyLedger();
    TransactionGuard transaction(db);
    runSql(db, QStringLiteral("DELETE FROM tmp_amount"));
    runSql(db, QStringLiteral("DELETE FROM tmp_Acc_Ldgr"));
    if (input.accountId) {
        ledger.openingBalance = fillWorkTable(db, input);
        readMovements(db, input.dateFormat, ledger);
    }
    transaction.commit();

    ledger.openingText = ledger.openingBalance.abs().toPlain();
    ledger.openingFlag = balanceFlag(ledger.openingBalance);
    ledger.closingText = ledger.closingBalance.abs().toPlain();
    ledger.closingFlag = balanceFlag(ledger.closingBalance);
    return ledger;
}

} // namespace bc
