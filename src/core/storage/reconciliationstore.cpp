#include "reconciliationstore.h"

#include "dates.h"
#include "dialect.h"
#include "keptrows.h"
#include "sql.h"

#include <QSqlQuery>

namespace bc {

namespace {

QString isoOrOpenEnd(const QDate &date)
{
    return date.isValid() ? isoDate(date) : QStringLiteral("9999-12-31");
}

QString endWord(TransactionEnd end)
{
    return end == TransactionEnd::From ? QStringLiteral("from") : QStringLiteral("to");
}

// The account's movements on both sides: the To side's amount as money in,
// the From side's as money out; `condition` is on each side's own status
// and reconciliation columns, named s and r.
QString movementsSelect(const QString &condition)
{
    static const QString side = QStringLiteral(
        "SELECT tran_id, '%1' AS side_end, tran_date, %2coalesce(amount, 0) AS cents, particulars, "
        "%1_status AS s, %1_reconciliation AS r FROM transaction_master WHERE %3");
    return QStringLiteral("SELECT * FROM (%1 UNION ALL %2) AS m ORDER BY tran_date, tran_id, side_end DESC")
        .arg(side.arg(QStringLiteral("to"), QString(),
                      QString(condition).replace(QStringLiteral("%s"), QStringLiteral("to"))),
             side.arg(QStringLiteral("from"), QStringLiteral("-"),
                      QString(condition).replace(QStringLiteral("%s"), QStringLiteral("from"))));
}

QList<AccountMovement> readMovements(const Book &book, const QString &statement, const QVariantList &values)
{
    QSqlQuery q = runSql(connectionOf(book), statement, values);
    QList<AccountMovement> movements;
    while (q.next()) {
        AccountMovement m;
        m.transaction = q.value(0).toLongLong();
        m.end = q.value(1).toString() == QLatin1String("from") ? TransactionEnd::From : TransactionEnd::To;
        m.date = fromIsoDate(q.value(2).toString());
        m.cents = q.value(3).toLongLong();
        m.particulars = q.value(4).toString();
        m.status = statusOfLetter(q.value(5).toString());
        m.reconciliation = q.value(6).toLongLong();
        movements << m;
    }
    return movements;
}

} // namespace

QString statusLetter(SideStatus status)
{
    switch (status) {
    case SideStatus::Cleared: return QStringLiteral("c");
    case SideStatus::Reconciled: return QStringLiteral("R");
    case SideStatus::New: break;
    }
    // Empty, never null: the book holds blank text, not Null.
    return QStringLiteral("");
}

SideStatus statusOfLetter(const QString &letter)
{
    if (letter == QLatin1String("c"))
        return SideStatus::Cleared;
    if (letter == QLatin1String("R"))
        return SideStatus::Reconciled;
    return SideStatus::New;
}

QList<AccountMovement> unreconciledMovements(const Book &book, qint64 accountId, const QDate &through)
{
    if (!hasReconciliation(book))
        return {};
    const QString statement = movementsSelect(
        QStringLiteral("%s_acc = ? AND %s_flag = 'A' AND %s_status <> 'R' AND tran_date <= ?"));
    const QString last = isoOrOpenEnd(through);
    return readMovements(book, statement, {accountId, last, accountId, last});
}

QList<AccountMovement> movementsOfReconciliation(const Book &book, qint64 id)
{
    if (!hasReconciliation(book))
        return {};
    return readMovements(book, movementsSelect(QStringLiteral("%s_reconciliation = ?")), {id, id});
}

qint64 reconciledBalance(const Book &book, qint64 accountId)
{
    const QSqlDatabase db = connectionOf(book);
    QSqlQuery opening = runSql(db,
                               QStringLiteral("SELECT coalesce(open_amount, 0) FROM account_master "
                                              "WHERE account_id = ?"),
                               {accountId});
    qint64 balance = opening.next() ? opening.value(0).toLongLong() : 0;
    opening.finish();
    if (!hasReconciliation(book))
        return balance;
    const Dialect &dialect = dialectOf(db);
    QSqlQuery q = runSql(db,
                         QStringLiteral("SELECT (SELECT coalesce(%1, 0) FROM transaction_master WHERE to_acc = ? "
                                        "AND to_flag = 'A' AND to_status = 'R'), "
                                        "(SELECT coalesce(%2, 0) FROM transaction_master WHERE from_acc = ? "
                                        "AND from_flag = 'A' AND from_status = 'R')")
                             .arg(dialect.wholeSum(QStringLiteral("coalesce(amount, 0)")),
                                  dialect.wholeSum(QStringLiteral("coalesce(amount, 0)"))),
                         {accountId, accountId});
    if (q.next())
        balance += q.value(0).toLongLong() - q.value(1).toLongLong();
    return balance;
}

QList<ReconciliationRecord> reconciliationsOf(const Book &book, qint64 accountId)
{
    if (!hasReconciliation(book))
        return {};
    QSqlQuery q = runSql(connectionOf(book),
                         QStringLiteral("SELECT id, account_id, statement_date, closing_balance, user_name, made_at "
                                        "FROM reconciliations WHERE account_id = ? ORDER BY statement_date, id"),
                         {accountId});
    QList<ReconciliationRecord> records;
    while (q.next())
        records.append({q.value(0).toLongLong(), q.value(1).toLongLong(), fromIsoDate(q.value(2).toString()),
                        q.value(3).toLongLong(), q.value(4).toString(),
                        QDateTime::fromString(q.value(5).toString(), Qt::ISODate)});
    return records;
}

qint64 insertReconciliation(const Book &book, const ReconciliationRecord &record)
{
    const QSqlDatabase db = connectionOf(book);
    QSqlQuery q = runSql(db,
                         QStringLiteral("INSERT INTO reconciliations (account_id, statement_date, closing_balance, "
                                        "user_name, made_at) VALUES (?, ?, ?, ?, ?) RETURNING id"),
                         {record.account, isoDate(record.statementDate), record.closingCents, record.user,
                          record.madeAt.toString(Qt::ISODate)});
    q.next();
    return q.value(0).toLongLong();
}

qint64 markSides(const Book &book, const QList<SideMark> &marks)
{
    const QSqlDatabase db = connectionOf(book);
    qint64 written = 0;
    for (const TransactionEnd end : {TransactionEnd::From, TransactionEnd::To}) {
        QList<QVariantList> rows;
        for (const SideMark &mark : marks)
            if (mark.end == end)
                rows.append(
                    {statusLetter(mark.status),
                     mark.reconciliation == 0 ? QVariant(QMetaType::fromType<qint64>()) : QVariant(mark.reconciliation),
                     mark.transaction});
        if (rows.isEmpty())
            continue;
        written += runSqlBatch(db,
                               QStringLiteral("UPDATE transaction_master SET %1_status = ?, %1_reconciliation = ?, "
                                              "row_version = row_version + 1 WHERE tran_id = ?")
                                   .arg(endWord(end)),
                               rows);
    }
    return written;
}

QHash<qint64, SideStatuses> sideStatusesOf(const Book &book, const QList<qint64> &ids)
{
    QHash<qint64, SideStatuses> statuses;
    if (!hasReconciliation(book) || ids.isEmpty())
        return statuses;
    const QSqlDatabase db = connectionOf(book);
    QSqlQuery q = runSql(db,
                         QStringLiteral("SELECT tran_id, from_status, to_status, from_reconciliation, "
                                        "to_reconciliation FROM transaction_master WHERE tran_id IN (%1)")
                             .arg(dialectOf(db).idsOfJsonArray()),
                         {idsAsJsonArray(ids)});
    while (q.next())
        statuses.insert(q.value(0).toLongLong(),
                        {statusOfLetter(q.value(1).toString()), statusOfLetter(q.value(2).toString()),
                         q.value(3).toLongLong(), q.value(4).toLongLong()});
    return statuses;
}

QList<std::pair<qint64, qint64>> reconciledRowsAnUndoChanges(const Book &book, qint64 setId)
{
    QList<std::pair<qint64, qint64>> rows;
    if (!hasReconciliation(book))
        return rows;
    const QSqlDatabase db = connectionOf(book);
    const HistoryShape &shape = shapeOf(HistoryTable::Transactions);
    // The kept values of the columns that make a transaction what its
    // statement agreed: date, sides and amount (the first six). A side the
    // change itself reconciled (its adjustment) goes with the reconciliation.
    QStringList differs;
    for (int i = 0; i < 6; ++i)
        differs << QStringLiteral("%1 IS DISTINCT FROM t.%2")
                       .arg(dialectOf(db).jsonArrayElement(QStringLiteral("r.before"), i, shape.serverTypes.at(i)),
                            shape.columns.at(i));
    QSqlQuery q = runSql(db,
                         QStringLiteral("SELECT t.tran_id, CASE WHEN t.from_status = 'R' THEN t.from_reconciliation "
                                        "ELSE t.to_reconciliation END FROM transaction_master AS t "
                                        "WHERE (t.from_status = 'R' OR t.to_status = 'R') AND ("
                                        "EXISTS (SELECT 1 FROM change_rows AS r WHERE r.set_id = ? AND r.tbl = ? "
                                        "AND r.row_id = t.tran_id AND (r.before IS NULL OR %1)) "
                                        "OR EXISTS (SELECT 1 FROM change_ranges AS g WHERE g.set_id = ? "
                                        "AND g.tbl = ? AND t.tran_id BETWEEN g.first_id AND g.last_id)) "
                                        "AND NOT EXISTS (SELECT 1 FROM change_ranges AS s WHERE s.set_id = ? "
                                        "AND s.tbl = ? AND CASE WHEN t.from_status = 'R' THEN t.from_reconciliation "
                                        "ELSE t.to_reconciliation END BETWEEN s.first_id AND s.last_id) "
                                        "ORDER BY t.tran_id")
                             .arg(differs.join(QStringLiteral(" OR "))),
                         {setId, shape.word, setId, shape.word, setId, shapeOf(HistoryTable::Reconciliations).word});
    while (q.next())
        rows.append({q.value(0).toLongLong(), q.value(1).toLongLong()});
    return rows;
}

QList<ReconciledRow> reconciledRowsAmong(const Book &book, const QList<qint64> &ids)
{
    QList<ReconciledRow> rows;
    if (!hasReconciliation(book) || ids.isEmpty())
        return rows;
    const QSqlDatabase db = connectionOf(book);
    QSqlQuery q = runSql(db,
                         QStringLiteral("SELECT tran_id, tran_date, from_flag, from_acc, to_flag, to_acc, "
                                        "coalesce(amount, 0), CASE WHEN from_status = 'R' THEN from_reconciliation "
                                        "ELSE to_reconciliation END FROM transaction_master WHERE tran_id IN (%1) "
                                        "AND (from_status = 'R' OR to_status = 'R') ORDER BY tran_id")
                             .arg(dialectOf(db).idsOfJsonArray()),
                         {idsAsJsonArray(ids)});
    while (q.next())
        rows.append({q.value(0).toLongLong(), fromIsoDate(q.value(1).toString()),
                     q.value(2).toString() + q.value(3).toString(), q.value(4).toString() + q.value(5).toString(),
                     q.value(6).toLongLong(), q.value(7).toLongLong()});
    return rows;
}

QDate reconciliationDate(const Book &book, qint64 id)
{
    if (!hasReconciliation(book) || id == 0)
        return {};
    QSqlQuery q = runSql(connectionOf(book), QStringLiteral("SELECT statement_date FROM reconciliations WHERE id = ?"),
                         {id});
    return q.next() ? fromIsoDate(q.value(0).toString()) : QDate();
}

} // namespace bc
