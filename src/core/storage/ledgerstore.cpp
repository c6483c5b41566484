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
}

namespace {

// A side of a transaction: an account, or a party (flag 'P').
struct SideKey {
    bool party = false;
    qint64 id = 0;
    bool operator==(const SideKey &) const = default;
};

size_t qHash(const SideKey &key, size_t seed = 0)
{
    return qHashMulti(seed, key.party, key.id);
}

// The names of the other sides of the work table's movements, read once
// for each side; a side not in the book has none.
QHash<SideKey, QString> otherSideNames(const QSqlDatabase &db)
{
    QSqlQuery q = runSql(db,
                         QStringLiteral(
                             "SELECT other_flag = 'P', other_acc, trim(CASE other_flag"
                             " WHEN 'P' THEN (SELECT Party_name FROM Party_master WHERE Party_ID = other_acc)"
                             " ELSE (SELECT account_name FROM account_master WHERE account_id = other_acc) END)"
                             " FROM (SELECT DISTINCT other_flag, other_acc FROM tmp_Acc_Ldgr"
                             " WHERE other_acc IS NOT NULL) AS sides"));
    QHash<SideKey, QString> names;
    while (q.next())
        if (!q.value(2).isNull())
            names.insert({q.value(0).toBool(), q.value(1).toLongLong()}, q.value(2).toString());
    return names;
}

} // namespace

void forEachLedgerWorkRow(const Book &book, const std::function<void(const LedgerWorkRow &)> &sink)
{
    const QSqlDatabase db = connectionOf(book);
    const QHash<SideKey, QString> names = otherSideNames(db);
    QSqlQuery q = runSql(db,
                         QStringLiteral("SELECT tran_date, particulars, amount, status, other_flag = 'P', "
                                        "other_acc FROM tmp_Acc_Ldgr ORDER BY tran_date, seq"));
    LedgerWorkRow row;
    while (q.next()) {
        row.storedDate = NullToText(q.value(0));
        row.particulars = q.value(1).toString();
        row.cents = q.value(2).toLongLong();
        row.status = NullToText(q.value(3));
        row.otherName.reset();
        if (!q.value(5).isNull())
            if (const auto name = names.constFind({q.value(4).toBool(), q.value(5).toLongLong()});
                name != names.constEnd())
                row.otherName = *name;
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
