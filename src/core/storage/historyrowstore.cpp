#include "historyrowstore.h"

#include "keptrows.h"
#include "sql.h"
#include "transactionbulkwrite.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QSqlQuery>

namespace bc {

namespace {

// A deleted row out of the array the history kept of it, in the columns'
// order of its table's shape.
DeletedItem deletedItemOf(HistoryTable table, qint64 id, const QJsonArray &values)
{
    DeletedItem item;
    item.isAccount = table == HistoryTable::Accounts;
    item.id = id;
    if (item.isAccount) {
        item.name = values.at(0).toString().trimmed();
        item.amount = Money::fromCents(values.at(2).toInteger());
    } else {
        item.date = QDate::fromString(values.at(0).toString(), Qt::ISODate);
        item.from = values.at(2).toString() + QString::number(values.at(1).toInteger());
        item.to = values.at(4).toString() + QString::number(values.at(3).toInteger());
        item.amount = Money::fromCents(values.at(5).toInteger());
        item.name = values.at(6).toString();
    }
    return item;
}

} // namespace

QList<DeletedItem> deletedRows(const Book &book, HistoryTable table)
{
    const HistoryShape &shape = shapeOf(table);
    QSqlQuery q = runSql(connectionOf(book),
                         QStringLiteral("SELECT r.row_id, r.before, s.id, s.made_at, s.user_name "
                                        "FROM change_rows AS r JOIN change_sets AS s ON s.id = r.set_id "
                                        "WHERE r.tbl = ? AND r.before IS NOT NULL AND s.takes_back = 0 "
                                        "AND r.set_id = (SELECT max(x.set_id) FROM change_rows AS x "
                                        "WHERE x.tbl = r.tbl AND x.row_id = r.row_id) "
                                        "AND NOT EXISTS (SELECT 1 FROM %1 WHERE %2 = r.row_id) "
                                        "ORDER BY s.id DESC, r.row_id")
                             .arg(shape.table, shape.key),
                         {shape.word});
    QList<DeletedItem> items;
    while (q.next()) {
        DeletedItem item = deletedItemOf(table, q.value(0).toLongLong(),
                                         QJsonDocument::fromJson(q.value(1).toString().toUtf8()).array());
        item.changeSet = q.value(2).toLongLong();
        item.deletedAt = QDateTime::fromString(q.value(3).toString(), Qt::ISODate);
        item.deletedBy = q.value(4).toString();
        items << item;
    }
    return items;
}

bool rowExists(const Book &book, HistoryTable table, qint64 id)
{
    const HistoryShape &shape = shapeOf(table);
    QSqlQuery q = runSql(connectionOf(book),
                         QStringLiteral("SELECT 1 FROM %1 WHERE %2 = ?").arg(shape.table, shape.key), {id});
    return q.next();
}

QList<qint64> laterTouches(const Book &book, qint64 id)
{
    QSqlQuery q = runSql(connectionOf(book),
                         QStringLiteral(
                             "SELECT c.set_id FROM change_rows AS n JOIN change_rows AS c "
                             "ON c.tbl = n.tbl AND c.row_id = n.row_id AND c.set_id > n.set_id WHERE n.set_id = ? "
                             "UNION SELECT c.set_id FROM change_ranges AS r JOIN change_rows AS c "
                             "ON c.tbl = r.tbl AND c.row_id BETWEEN r.first_id AND r.last_id AND c.set_id > r.set_id "
                             "WHERE r.set_id = ? "
                             "UNION SELECT l.set_id FROM change_rows AS n JOIN change_ranges AS l "
                             "ON l.tbl = n.tbl AND n.row_id BETWEEN l.first_id AND l.last_id AND l.set_id > n.set_id "
                             "WHERE n.set_id = ? "
                             "UNION SELECT l.set_id FROM change_ranges AS r JOIN change_ranges AS l "
                             "ON l.tbl = r.tbl AND l.first_id <= r.last_id AND l.last_id >= r.first_id "
                             "AND l.set_id > r.set_id WHERE r.set_id = ? ORDER BY 1 DESC"),
                         {id, id, id, id});
    QList<qint64> sets;
    while (q.next())
        sets << q.value(0).toLongLong();
    return sets;
}

void takeAwayRows(const Book &book, qint64 undone, qint64 undo, HistoryTable table)
{
    const QSqlDatabase db = connectionOf(book);
    const HistoryShape &shape = shapeOf(table);
    keepSelectedRowsBefore(book, undo, table,
                           QStringLiteral("SELECT row_id AS id FROM change_rows WHERE set_id = ? AND tbl = ?"),
                           {undone, shape.word});
    // Transactions go with their triggers off, the kept balances and the
    // closed period kept for all of them at once.
    const bool transactions = table == HistoryTable::Transactions;
    const auto removeRows = [&](const QString &condition, const QVariantList &values) {
        if (!transactions) {
            runSql(db, QStringLiteral("DELETE FROM %1 WHERE %2").arg(shape.table, condition.arg(shape.key)), values);
            return;
        }
        TransactionBulkWrite bulk(db);
        bulk.removing({condition.arg(QStringLiteral("t.tran_id")), values});
        runSql(db, QStringLiteral("DELETE FROM transaction_master WHERE ") + condition.arg(QStringLiteral("tran_id")),
               values);
        bulk.removed();
    };
    // A row the change replaced or deleted is put back over the row there
    // now where the table's key allows it (putBackKeptRows); the rest go.
    removeRows(QStringLiteral("%1 IN (SELECT row_id FROM change_rows WHERE set_id = ? AND tbl = ?%2)")
                   .arg(QStringLiteral("%1"), shape.updatesInPlace ? QStringLiteral(" AND before IS NULL") : QString()),
               {undone, shape.word});
    // The ranges are read in full first: a server streams a result, and
    // the statements below would cut it short.
    for (const auto &[first, last] : addedRanges(book, undone, table)) {
        keepSelectedRowsBefore(book, undo, table,
                               QStringLiteral("SELECT %1 AS id FROM %2 WHERE %1 BETWEEN ? AND ?")
                                   .arg(shape.key, shape.table),
                               {first, last});
        removeRows(QStringLiteral("%1 BETWEEN ? AND ?"), {first, last});
    }
}

void putBackKeptRows(const Book &book, qint64 setId, HistoryTable table)
{
    insertKeptRows(book, setId, table);
}

void putBackKeptRow(const Book &book, qint64 setId, HistoryTable table, qint64 rowId)
{
    insertKeptRows(book, setId, table, QStringLiteral("AND r.row_id = ?"), {rowId});
}

std::optional<AccountInUse> accountTakenAwayInUse(const Book &book, qint64 setId)
{
    const QSqlDatabase db = connectionOf(book);
    QSqlQuery q = runSql(db,
                         QStringLiteral("SELECT name, uses FROM (SELECT %1 AS name, (SELECT count(*) FROM "
                                        "transaction_master WHERE (from_acc = r.row_id AND from_flag = 'A') "
                                        "OR (to_acc = r.row_id AND to_flag = 'A')) AS uses "
                                        "FROM change_rows AS r WHERE r.set_id = ? AND r.tbl = 'account' "
                                        "AND r.before IS NOT NULL AND NOT EXISTS (SELECT 1 FROM account_master "
                                        "WHERE account_id = r.row_id)) AS taken WHERE uses > 0 LIMIT 1")
                             .arg(
                                 dialectOf(db).jsonArrayElement(QStringLiteral("r.before"), 0, QStringLiteral("text"))),
                         {setId});
    if (!q.next())
        return std::nullopt;
    return AccountInUse{q.value(0).toString(), q.value(1).toLongLong()};
}

QStringList keptAccountNames(const Book &book, qint64 setId)
{
    QSqlQuery q = runSql(connectionOf(book),
                         QStringLiteral("SELECT a.account_name FROM change_rows AS r JOIN account_master AS a "
                                        "ON a.account_id = r.row_id WHERE r.set_id = ? AND r.tbl = 'account'"),
                         {setId});
    QStringList names;
    while (q.next())
        names << q.value(0).toString();
    return names;
}

} // namespace bc
