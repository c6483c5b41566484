#include "summarystore.h"

#include "bulkinserter.h"
#include "dates.h"
#include "engine.h"
#include "sql.h"
#include "textroutines.h"

#include <QSqlRecord>

namespace bc {

namespace {

QString columnName(SummaryWorkColumn column)
{
    return column == SummaryWorkColumn::Opening ? QStringLiteral("Open_amount") : QStringLiteral("Tran_amount");
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

} // namespace

void startSummaryWork(const Book &book, const std::vector<SummaryWorkAccount> &accounts)
{
    const QSqlDatabase db = connectionOf(book);
    runSql(db, QStringLiteral("DELETE FROM Account_Status"));
    QList<QVariantList> chosen;
    chosen.reserve(qsizetype(accounts.size()));
    for (const SummaryWorkAccount &a : accounts)
        chosen.append({a.id, a.name, QString(sideLetter(a.side)), 0, 0, 0});
    if (chosen.isEmpty())
        return;
    BulkInserter inserter(db, QStringLiteral("Account_Status"),
                          {QStringLiteral("Acc_ID"), QStringLiteral("Acc_Name"), QStringLiteral("Acc_Type"),
                           QStringLiteral("Open_amount"), QStringLiteral("Tran_amount"), QStringLiteral("Bal_amount")});
    inserter.add(chosen);
    inserter.finish();
    // SQLite: UPDATE ... FROM.
    runSql(db,
           QStringLiteral("UPDATE Account_Status SET Open_amount = coalesce(m.open_amount, 0) "
                          "FROM account_master AS m "
                          "WHERE Account_Status.Acc_Type = 'A' AND Account_Status.Acc_ID = m.account_id"));
}

// The sums are grouped per row before the update, so each row receives all
// its matching transactions in one step. Account_Status drives the join so
// each chosen account reads only its own stretch of the covering side
// indexes. SQLite: UPDATE ... FROM, rowid; the server's Account_Status has a
// rowid column of its own.
void addSummaryDays(const Book &book, SummaryWorkColumn column, const QDate &first, const QDate &last)
{
    const QVariant from = storedDate(first), to = storedDate(last);
    runSql(connectionOf(book),
           QStringLiteral("UPDATE Account_Status SET %1 = %1 + s.total "
                          "FROM (SELECT rid, sum(side_total) AS total FROM ("
                          "  SELECT a.rowid AS rid, -sum(coalesce(t.amount, 0)) AS side_total"
                          "    FROM Account_Status AS a CROSS JOIN transaction_master AS t"
                          "   WHERE t.from_acc = a.Acc_ID AND t.from_flag = a.Acc_Type"
                          "     AND t.tran_date >= ? AND t.tran_date <= ?"
                          "   GROUP BY a.rowid"
                          "  UNION ALL"
                          "  SELECT a.rowid, sum(coalesce(t.amount, 0))"
                          "    FROM Account_Status AS a CROSS JOIN transaction_master AS t"
                          "   WHERE t.to_acc = a.Acc_ID AND t.to_flag = a.Acc_Type"
                          "     AND t.tran_date >= ? AND t.tran_date <= ?"
                          "   GROUP BY a.rowid"
                          ") AS sides GROUP BY rid) AS s "
                          "WHERE Account_Status.rowid = s.rid")
               .arg(columnName(column)),
           {from, to, from, to});
}

// Each chosen account reads its own stretch of the kept balances' key.
void addSummaryMonths(const Book &book, SummaryWorkColumn column, const QString &firstMonth, const QString &lastMonth)
{
    runSql(connectionOf(book),
           QStringLiteral("UPDATE Account_Status SET %1 = %1 + s.total "
                          "FROM (SELECT a.rowid AS rid, sum(p.money_in) - sum(p.money_out) AS total"
                          "        FROM Account_Status AS a CROSS JOIN period_balances AS p"
                          "       WHERE p.account = a.Acc_ID AND p.flag = a.Acc_Type AND p.month BETWEEN ? AND ?"
                          "       GROUP BY a.rowid) AS s "
                          "WHERE Account_Status.rowid = s.rid")
               .arg(columnName(column)),
           {firstMonth, lastMonth});
}

void dropSummaryOpeningsOutside(const Book &book, std::optional<qint64> lowest, std::optional<qint64> highest)
{
    runSql(connectionOf(book), QStringLiteral("DELETE FROM Account_Status WHERE Open_amount < ? OR Open_amount > ?"),
           {boundValue(lowest), boundValue(highest)});
}

void settleSummaryBalances(const Book &book)
{
    runSql(connectionOf(book), QStringLiteral("UPDATE Account_Status SET Bal_amount = Open_amount + Tran_amount"));
}

void forEachSummaryListed(const Book &book, std::optional<qint64> highestBalance, std::optional<qint64> lowestBalance,
                          const std::function<void(const SummaryWorkRow &)> &sink)
{
    QSqlQuery q = runSavedQuery(connectionOf(book), QStringLiteral("sp_Search_Account_Status"),
                                {boundValue(highestBalance), boundValue(lowestBalance)});
    const QSqlRecord fields = q.record();
    const int id = fields.indexOf(QStringLiteral("Acc_ID"));
    const int name = fields.indexOf(QStringLiteral("Acc_Name"));
    const int opening = fields.indexOf(QStringLiteral("open_Amount"));
    const int movement = fields.indexOf(QStringLiteral("Tran_Amount"));
    const int balance = fields.indexOf(QStringLiteral("Bal_Amount"));
    const int side = fields.indexOf(QStringLiteral("Acc_Type"));
    // SQLite turns an integer sum past 64 bits into a floating-point number
    // rather than failing.
    const auto amount = [&q](int field) -> std::optional<qint64> {
        const QVariant value = q.value(field);
        if (value.typeId() == QMetaType::Double)
            return std::nullopt;
        return value.toLongLong();
    };
    SummaryWorkRow row;
    while (q.next()) {
        row.accountId = q.value(id).toLongLong();
        row.name = NullToText(q.value(name));
        row.opening = amount(opening);
        row.movement = amount(movement);
        row.balance = amount(balance);
        row.side = NullToText(q.value(side));
        sink(row);
    }
}

} // namespace bc
