#include "summary.h"

#include "amountsum.h"
#include "bookcheck.h"
#include "dates.h"
#include "engine.h"
#include "monthsplit.h"
#include "periodbalances.h"
#include "sql.h"
#include "systemsettings.h"
#include "textroutines.h"

#include <QRegularExpression>
#include <QSqlQuery>
#include <QSqlRecord>
#include <limits>

namespace bc {

namespace {

// Adds to one amount column of every Account_Status row the signed sum of the
// transactions dated within two ISO dates (both included): minus the amount
// where the row is the From side, plus where it is the To side. The sums are
// grouped per row before the update, so each row receives all its matching
// transactions in one step. Account_Status drives the join so each chosen
// account reads only its own stretch of the covering side indexes.
// SQLite: UPDATE ... FROM, rowid, ifnull(); the server's Account_Status has a
// rowid column of its own.
QString addDaysStatement(const QString &column)
{
    return QStringLiteral("UPDATE Account_Status SET %1 = %1 + s.total "
                          "FROM (SELECT rid, sum(side_total) AS total FROM ("
                          "  SELECT a.rowid AS rid, -sum(ifnull(t.amount, 0)) AS side_total"
                          "    FROM Account_Status AS a CROSS JOIN transaction_master AS t"
                          "   WHERE t.from_acc = a.Acc_ID AND t.from_flag = a.Acc_Type"
                          "     AND t.tran_date >= ? AND t.tran_date <= ?"
                          "   GROUP BY a.rowid"
                          "  UNION ALL"
                          "  SELECT a.rowid, sum(ifnull(t.amount, 0))"
                          "    FROM Account_Status AS a CROSS JOIN transaction_master AS t"
                          "   WHERE t.to_acc = a.Acc_ID AND t.to_flag = a.Acc_Type"
                          "     AND t.tran_date >= ? AND t.tran_date <= ?"
                          "   GROUP BY a.rowid"
                          ") AS sides GROUP BY rid) AS s "
                          "WHERE Account_Status.rowid = s.rid")
        .arg(column);
}

// The same from the kept balances of the whole months from one "YYYY-MM" to
// another, each chosen account reading its own stretch of their key.
QString addMonthsStatement(const QString &column)
{
    return QStringLiteral("UPDATE Account_Status SET %1 = %1 + s.total "
                          "FROM (SELECT a.rowid AS rid, sum(p.money_in) - sum(p.money_out) AS total"
                          "        FROM Account_Status AS a CROSS JOIN period_balances AS p"
                          "       WHERE p.account = a.Acc_ID AND p.flag = a.Acc_Type AND p.month BETWEEN ? AND ?"
                          "       GROUP BY a.rowid) AS s "
                          "WHERE Account_Status.rowid = s.rid")
        .arg(column);
}

// A date as the ISO text transactions are stored with; Null for no date, so
// that comparisons with it hold for no transaction.
QVariant storedDate(const QDate &date)
{
    return date.isValid() ? QVariant(isoDate(date)) : QVariant();
}

QVariant boundValue(const std::optional<qint64> &bound)
{
    return bound ? QVariant(*bound) : QVariant();
}

void addDays(const QSqlDatabase &db, const QString &column, const QVariant &first, const QVariant &last)
{
    runSql(db, addDaysStatement(column), {first, last, first, last});
}

// The movement dated first to last; with kept balances, whole months come
// from them and only the days outside whole months from the transactions.
void addMovement(const QSqlDatabase &db, const QString &column, const QDate &first, const QDate &last, bool kept)
{
    if (!kept) {
        addDays(db, column, storedDate(first), storedDate(last));
        return;
    }
    const MonthSplit split = splitByMonths(first, last);
    for (const auto &[from, to] : split.days)
        addDays(db, column, isoDate(from), isoDate(to));
    if (split.months)
        runSql(db, addMonthsStatement(column), {split.months->first, split.months->second});
}

void fillWorkTable(const QSqlDatabase &db, const SummaryInput &input, bool kept)
{
    runSql(db, QStringLiteral("DELETE FROM Account_Status"));
    QList<QVariantList> chosen;
    chosen.reserve(qsizetype(input.accounts.size()));
    for (const SummaryAccount &a : input.accounts)
        chosen.append({a.id, a.name, QString(a.side), 0, 0, 0});
    insertRows(db,
               QStringLiteral(
                   "INSERT INTO Account_Status (Acc_ID, Acc_Name, Acc_Type, Open_amount, Tran_amount, Bal_amount)"),
               chosen);

    // SQLite: UPDATE ... FROM, ifnull().
    runSql(db,
           QStringLiteral("UPDATE Account_Status SET Open_amount = ifnull(m.open_amount, 0) "
                          "FROM account_master AS m "
                          "WHERE Account_Status.Acc_Type = 'A' AND Account_Status.Acc_ID = m.account_id"));
    // The movement from the financial-year start up to the day before From
    // belongs to the opening.
    addMovement(db, QStringLiteral("Open_amount"), openingCountsFrom(input.finYearStart), input.fromDate.addDays(-1),
                kept);
    // Strict bounds: an opening equal to a bound stays; a Null bound drops nothing.
    runSql(db, QStringLiteral("DELETE FROM Account_Status WHERE Open_amount < ? OR Open_amount > ?"),
           {boundValue(summaryBound(input.openingAbove, BoundSide::Lower)),
            boundValue(summaryBound(input.openingBelow, BoundSide::Upper))});
    addMovement(db, QStringLiteral("Tran_amount"), input.fromDate, input.toDate, kept);
    runSql(db, QStringLiteral("UPDATE Account_Status SET Bal_amount = Open_amount + Tran_amount"));
}

// A few accounts are checked through the side indexes; for many, one pass
// over the book costs less and is remembered until the book changes.
void checkRowsOf(const Book &book, const std::vector<SummaryAccount> &accounts)
{
    constexpr size_t FewAccounts = 50;
    if (accounts.size() > FewAccounts) {
        checkBookRows(book);
        return;
    }
    std::vector<qint64> ids;
    for (const SummaryAccount &a : accounts)
        ids.push_back(a.id);
    checkAccountRows(book, ids);
}

void readListed(const QSqlDatabase &db, const SummaryInput &input, SummaryResult &summary)
{
    QSqlQuery q = runSavedQuery(db, QStringLiteral("sp_Search_Account_Status"),
                                {boundValue(summaryBound(input.balanceBelow, BoundSide::Upper)),
                                 boundValue(summaryBound(input.balanceAbove, BoundSide::Lower))});
    const QSqlRecord fields = q.record();
    const int id = fields.indexOf(QStringLiteral("Acc_ID"));
    const int name = fields.indexOf(QStringLiteral("Acc_Name"));
    const int opening = fields.indexOf(QStringLiteral("open_Amount"));
    const int movement = fields.indexOf(QStringLiteral("Tran_Amount"));
    const int balance = fields.indexOf(QStringLiteral("Bal_Amount"));
    const int side = fields.indexOf(QStringLiteral("Acc_Type"));
    while (q.next()) {
        SummaryRow row;
        row.accountId = q.value(id).toLongLong();
        row.name = NullToText(q.value(name));
        // SQLite turns an integer sum past 64 bits into a floating-point
        // number rather than failing.
        const auto amount = [&](int field, const char *what) {
            const QVariant value = q.value(field);
            if (value.typeId() == QMetaType::Double)
                throw DbError(amountsTooLarge(QStringLiteral("the %1 of %2").arg(QLatin1String(what), row.name)));
            return Money::fromCents(value.toLongLong());
        };
        row.opening = amount(opening, "opening");
        row.movement = amount(movement, "movement");
        row.balance = amount(balance, "balance");
        const QString sideText = NullToText(q.value(side));
        row.side = sideText.isEmpty() ? QChar() : sideText[0];

        summary.totalOpening = addAmounts(summary.totalOpening, row.opening,
                                          QStringLiteral("the total of the openings"));
        summary.totalMovement = addAmounts(summary.totalMovement, row.movement,
                                           QStringLiteral("the total of the movements"));
        summary.totalBalance = addAmounts(summary.totalBalance, row.balance,
                                          QStringLiteral("the total of the balances"));
        summary.listed.push_back(std::move(row));
    }
}

} // namespace

RowArray summaryGridRows(const std::vector<SummaryRow> &listed)
{
    RowArray rows({CellType::Int, CellType::Text, CellType::Money, CellType::Money, CellType::Money, CellType::Text});
    rows.reserve(int(listed.size()));
    for (const SummaryRow &row : listed) {
        const int r = rows.appendRow();
        rows.setInt(r, SummaryGridColumn::IdColumn, row.accountId);
        rows.setText(r, SummaryGridColumn::NameColumn, row.name);
        rows.setMoney(r, SummaryGridColumn::OpeningColumn, row.opening);
        rows.setMoney(r, SummaryGridColumn::MovementColumn, row.movement);
        rows.setMoney(r, SummaryGridColumn::BalanceColumn, row.balance);
        rows.setText(r, SummaryGridColumn::SideColumn, row.side.isNull() ? QString() : QString(row.side));
    }
    return rows;
}

std::optional<qint64> summaryBound(const QString &text, BoundSide side)
{
    static const QRegularExpression number(QStringLiteral("^([+-]?)([0-9]*)(?:\\.([0-9]*))?"));
    if (text.trimmed().isEmpty())
        return std::nullopt;
    const QString t = NullToText(text);
    const QRegularExpressionMatch m = number.match(t);
    const QString whole = m.captured(2), fraction = m.captured(3);
    // Beyond this many cents no sum of amounts can lie (they stop at 64 bits).
    constexpr __int128 Beyond = __int128(std::numeric_limits<qint64>::max()) + 1;
    __int128 cents = 0;
    for (const QChar c : whole) {
        cents = cents * 10 + (c.unicode() - '0');
        if (cents >= Beyond)
            return std::nullopt;
    }
    const QString places = (fraction + QStringLiteral("00")).left(2);
    cents = cents * 100 + places.toInt();
    // Digits past the cent put the number between two whole cents.
    const bool between = fraction.mid(2).contains(QRegularExpression(QStringLiteral("[1-9]")));
    const bool negative = m.captured(1) == QLatin1String("-");
    const bool roundAway = between && (side == BoundSide::Lower) != negative;
    if (roundAway)
        cents += 1;
    if (negative)
        cents = -cents;
    if (cents >= Beyond || cents < -Beyond)
        return std::nullopt;
    return qint64(cents);
}

SummaryResult computeSummary(const Book &book, const SummaryInput &input)
{
    const QSqlDatabase db = connectionOf(book);
    SummaryResult summary;
    TransactionGuard transaction(db, TransactionKind::Read);
    checkRowsOf(book, input.accounts);
    const bool kept = periodBalancesUsable(db);
    refusingOverflow(QStringLiteral("the movements of the chosen accounts"), [&] { fillWorkTable(db, input, kept); });
    readListed(db, input, summary);
    transaction.commit();
    return summary;
}

} // namespace bc
