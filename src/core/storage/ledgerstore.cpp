#include "ledgerstore.h"

#include "dates.h"
#include "reconciliationstore.h"
#include "sql.h"
#include "textroutines.h"

namespace bc {

void clearLedgerWork(const Book &book)
{
    const QSqlDatabase db = connectionOf(book);
    runSql(db, QStringLiteral("DELETE FROM tmp_amount"));
    runSql(db, QStringLiteral("DELETE FROM tmp_Acc_Ldgr"));
}

void fillLedgerWork(const Book &book, qint64 accountId, const QDate &first, const QDate &last)
{
    const QSqlDatabase db = connectionOf(book);
    const QString from = isoDate(first), to = isoDate(last);
    // The movements with the other side of each and the standing of the
    // account's own side; tran_id orders those of one day as entered.
    const bool statuses = hasReconciliation(book);
    runSql(db,
           QStringLiteral(
               "INSERT INTO tmp_Acc_Ldgr (tran_date, particulars, amount, Tran_flag, other_acc, other_flag, status) "
               "SELECT tran_date, particulars, amount, 'T', other_acc, other_flag, status FROM ("
               "SELECT tran_id, tran_date, particulars, -coalesce(amount, 0) AS amount, to_acc AS other_acc,"
               "       to_flag AS other_flag, %1 AS status"
               "  FROM transaction_master WHERE from_acc = ? AND from_flag = 'A' AND tran_date BETWEEN ? AND ?"
               " UNION ALL "
               "SELECT tran_id, tran_date, particulars, coalesce(amount, 0), from_acc, from_flag, %2"
               "  FROM transaction_master WHERE to_acc = ? AND to_flag = 'A' AND tran_date BETWEEN ? AND ?"
               ") AS movements ORDER BY tran_date, tran_id")
               .arg(statuses ? QStringLiteral("from_status") : QStringLiteral("''"),
                    statuses ? QStringLiteral("to_status") : QStringLiteral("''")),
           {accountId, from, to, accountId, from, to});
    runSavedQuery(db, QStringLiteral("sp_Set_AccName2"), {});
    // The other account's name with the movement's own particulars in
    // brackets, rather than losing them to a Null name.
    runSql(db,
           QStringLiteral(
               "UPDATE tmp_Acc_Ldgr SET particulars = trim(acc_name) || ' [' || coalesce(trim(particulars), '') || ']' "
               "WHERE Tran_flag = 'T' AND acc_name IS NOT NULL"));
}

void forEachLedgerWorkRow(const Book &book, const std::function<void(const LedgerWorkRow &)> &sink)
{
    QSqlQuery q = runSql(connectionOf(book),
                         QStringLiteral("SELECT tran_date, particulars, amount, status FROM tmp_Acc_Ldgr "
                                        "ORDER BY tran_date, seq"));
    LedgerWorkRow row;
    while (q.next()) {
        row.storedDate = NullToText(q.value(0));
        row.particulars = NullToText(q.value(1));
        row.cents = q.value(2).toLongLong();
        row.status = NullToText(q.value(3));
        sink(row);
    }
}

void fillLedgerGraph(const Book &book, Money opening)
{
    const QSqlDatabase db = connectionOf(book);
    runSql(db, QStringLiteral("DELETE FROM Tmp_acc_ldgr_graph"));
    runSql(db,
           QStringLiteral("INSERT INTO Tmp_acc_ldgr_graph (tran_date, amount) "
                          "SELECT tran_date, ? + sum(sum(coalesce(amount, 0))) OVER (ORDER BY tran_date) "
                          "FROM tmp_Acc_Ldgr GROUP BY tran_date"),
           {opening.cents()});
}

void forEachLedgerGraphDay(const Book &book, const std::function<void(const QDate &day, Money balance)> &sink)
{
    QSqlQuery q = runSql(connectionOf(book),
                         QStringLiteral("SELECT tran_date, amount FROM Tmp_acc_ldgr_graph ORDER BY tran_date"));
    while (q.next())
        sink(fromIsoDate(q.value(0).toString()), Money::fromCents(q.value(1).toLongLong()));
}

} // namespace bc
