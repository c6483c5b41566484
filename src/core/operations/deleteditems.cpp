#include "deleteditems.h"

#include "history.h"
#include "historychecks.h"
#include "historyrows.h"
#include "sql.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QSet>
#include <QSqlQuery>

namespace bc {

namespace {

QList<DeletedItem> deletedOf(const QSqlDatabase &db, HistoryTable table)
{
    const HistoryShape &shape = shapeOf(table);
    QSqlQuery q = runSql(db,
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
        const QJsonArray values = QJsonDocument::fromJson(q.value(1).toString().toUtf8()).array();
        DeletedItem item;
        item.isAccount = table == HistoryTable::Accounts;
        item.id = q.value(0).toLongLong();
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
        item.changeSet = q.value(2).toLongLong();
        item.deletedAt = QDateTime::fromString(q.value(3).toString(), Qt::ISODate);
        item.deletedBy = q.value(4).toString();
        items << item;
    }
    return items;
}

bool accountExists(const QSqlDatabase &db, qint64 id)
{
    QSqlQuery q = runSql(db, QStringLiteral("SELECT 1 FROM account_master WHERE account_id = ?"), {id});
    return q.next();
}

// A transaction whose account is neither in the book nor among the items.
QString missingAccount(const QSqlDatabase &db, const QList<DeletedItem> &items)
{
    QSet<qint64> accounts;
    for (const DeletedItem &item : items)
        if (item.isAccount)
            accounts.insert(item.id);
    for (const DeletedItem &item : items) {
        if (item.isAccount)
            continue;
        for (const QString &side : {item.from, item.to}) {
            if (!side.startsWith(u'A'))
                continue;
            const qint64 account = side.mid(1).toLongLong();
            if (!accounts.contains(account) && !accountExists(db, account))
                return QStringLiteral("Transaction %1 uses account %2, which is deleted; restore that account "
                                      "together with it.")
                    .arg(item.id)
                    .arg(account);
        }
    }
    return QString();
}

} // namespace

QList<DeletedItem> deletedItems(const Book &book)
{
    const QSqlDatabase db = connectionOf(book);
    if (!hasHistoryTables(db))
        return {};
    return deletedOf(db, HistoryTable::Accounts) + deletedOf(db, HistoryTable::Transactions);
}

UndoResult restoreDeleted(Book &book, const QList<DeletedItem> &items, const QString &source)
{
    const QSqlDatabase db = connectionOf(book);
    if (items.isEmpty())
        return {false, QStringLiteral("Choose the items to restore."), 0};
    try {
        TransactionGuard transaction(db);
        if (const QString missing = missingAccount(db, items); !missing.isEmpty())
            return {false, missing, 0};
        ChangeRecorder recorder(book, source, QStringLiteral("Restore"));
        for (const HistoryTable table : {HistoryTable::Accounts, HistoryTable::Transactions}) {
            QList<qint64> ids;
            for (const DeletedItem &item : items)
                if (item.isAccount == (table == HistoryTable::Accounts))
                    ids << item.id;
            recorder.keepBefore(table, ids);
            for (const DeletedItem &item : items) {
                if (item.isAccount != (table == HistoryTable::Accounts))
                    continue;
                const HistoryShape &shape = shapeOf(table);
                QSqlQuery present = runSql(db,
                                           QStringLiteral("SELECT 1 FROM %1 WHERE %2 = ?").arg(shape.table, shape.key),
                                           {item.id});
                if (present.next())
                    return {false,
                            QStringLiteral("%1 %2 is in the book already.")
                                .arg(item.isAccount ? QStringLiteral("Account") : QStringLiteral("Transaction"))
                                .arg(item.id),
                            0};
                insertKeptRows(db, item.changeSet, table, QStringLiteral("AND r.row_id = ?"), {item.id});
            }
        }
        const qint64 set = recorder.finish();
        if (const QString problem = accountsProblem(db, set); !problem.isEmpty())
            return {false, problem, 0};
        transaction.commit();
        return {true, QStringLiteral("%1 item(s) were restored.").arg(items.size()), set};
    } catch (const DbError &e) {
        return {false, QStringLiteral("The items could not be restored: %1").arg(e.description()), 0};
    }
}

} // namespace bc
