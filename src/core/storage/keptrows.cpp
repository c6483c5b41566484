#include "keptrows.h"

#include "engine.h"
#include "reconciliationstore.h"
#include "rowversions.h"
#include "sql.h"
#include "transactionbulkwrite.h"

#include <QSqlQuery>

namespace bc {

namespace {

const QString CashTable = QStringLiteral("cash_accounts");

// Whether the rows of the shape keep their account's "cash or bank" setting
// in this book, and where in the kept array.
bool keepsCashSetting(const QSqlDatabase &db, const HistoryShape &shape, bool versioned)
{
    return shape.keepsCashSetting && versioned && bookHasTable(db, CashTable);
}

int cashSettingIndex(const HistoryShape &shape)
{
    return int(shape.columns.size() + 1 + shape.laterColumns.size());
}

// The row with the key keyExpression as the history keeps it: a JSON array
// of the columns, then the row's version in a book whose rows have
// versions, or Null when there is no such row.
QString keptValues(const QSqlDatabase &db, const HistoryShape &shape, const QString &keyExpression, bool versioned,
                   bool later)
{
    QStringList kept = shape.columns;
    if (versioned)
        kept << QStringLiteral("row_version");
    if (versioned && later)
        kept << shape.laterColumns;
    if (keepsCashSetting(db, shape, versioned))
        kept << QStringLiteral("coalesce((SELECT c.cash_or_bank FROM %1 AS c WHERE c.account_id = %2.%3), -1)")
                    .arg(CashTable, shape.table, shape.key);
    return QStringLiteral("(SELECT %1 FROM %2 WHERE %3 = %4)")
        .arg(dialectOf(db).jsonArrayText(kept), shape.table, shape.key, keyExpression);
}

// Puts back the kept "cash or bank" settings of the accounts the condition
// selects (binding values after the set and table): a kept 0 or 1 as the
// setting, a kept -1 as none; an array kept before settings were kept
// leaves the setting as it is. Settings of accounts gone from the book go.
void putBackCashSettings(const QSqlDatabase &db, const HistoryShape &shape, qint64 setId, const QString &condition,
                         const QVariantList &values)
{
    runSql(db,
           QStringLiteral("DELETE FROM cash_accounts WHERE account_id NOT IN (SELECT account_id FROM %1)")
               .arg(shape.table));
    const QString kept = dialectOf(db).jsonArrayElement(QStringLiteral("r.before"), cashSettingIndex(shape),
                                                        QStringLiteral("bigint"));
    const QString selected = QStringLiteral("FROM change_rows AS r WHERE r.set_id = ? AND r.tbl = ? "
                                            "AND r.before IS NOT NULL AND %1 IS NOT NULL %2")
                                 .arg(kept, condition);
    const QVariantList bound = QVariantList{setId, shape.word} + values;
    runSql(db, QStringLiteral("DELETE FROM cash_accounts WHERE account_id IN (SELECT r.row_id %1)").arg(selected),
           bound);
    runSql(db,
           QStringLiteral("INSERT INTO cash_accounts (account_id, cash_or_bank) SELECT r.row_id, %1 %2 AND %1 >= 0")
               .arg(kept, selected),
           bound);
}

// The columns read back out of a kept array held in the column r.before.
QString valuesFromKept(const QSqlDatabase &db, const HistoryShape &shape)
{
    QStringList values;
    for (qsizetype i = 0; i < shape.columns.size(); ++i)
        values << dialectOf(db).jsonArrayElement(QStringLiteral("r.before"), int(i), shape.serverTypes.at(i));
    return values.join(QStringLiteral(", "));
}

// The later columns read back out of a kept array, each its default where
// the array is older than the column.
QString laterValuesFromKept(const QSqlDatabase &db, const HistoryShape &shape)
{
    QStringList values;
    const int first = int(shape.columns.size()) + 1;
    for (qsizetype i = 0; i < shape.laterColumns.size(); ++i)
        values << QStringLiteral("coalesce(%1, %2)")
                      .arg(dialectOf(db).jsonArrayElement(QStringLiteral("r.before"), first + int(i),
                                                          shape.laterServerTypes.at(i)),
                           shape.laterDefaults.at(i));
    return values.join(QStringLiteral(", "));
}

} // namespace

const HistoryShape &shapeOf(HistoryTable table)
{
    static const HistoryShape accounts{QStringLiteral("account"),
                                       QStringLiteral("account_master"),
                                       QStringLiteral("account_id"),
                                       {QStringLiteral("account_name"), QStringLiteral("account_type"),
                                        QStringLiteral("open_amount"), QStringLiteral("particulars"),
                                        QStringLiteral("version_date")},
                                       {QStringLiteral("text"), QStringLiteral("bigint"), QStringLiteral("bigint"),
                                        QStringLiteral("text"), QStringLiteral("text")},
                                       {},
                                       {},
                                       {},
                                       true,
                                       true};
    static const HistoryShape transactions{
        QStringLiteral("transaction"),
        QStringLiteral("transaction_master"),
        QStringLiteral("tran_id"),
        {QStringLiteral("tran_date"), QStringLiteral("from_acc"), QStringLiteral("from_flag"), QStringLiteral("to_acc"),
         QStringLiteral("to_flag"), QStringLiteral("amount"), QStringLiteral("particulars"),
         QStringLiteral("version_date")},
        {QStringLiteral("date"), QStringLiteral("bigint"), QStringLiteral("text"), QStringLiteral("bigint"),
         QStringLiteral("text"), QStringLiteral("bigint"), QStringLiteral("text"), QStringLiteral("text")},
        {QStringLiteral("from_status"), QStringLiteral("to_status"), QStringLiteral("from_reconciliation"),
         QStringLiteral("to_reconciliation")},
        {QStringLiteral("text"), QStringLiteral("text"), QStringLiteral("bigint"), QStringLiteral("bigint")},
        {QStringLiteral("''"), QStringLiteral("''"), QStringLiteral("NULL"), QStringLiteral("NULL")}};
    static const HistoryShape reconciliations{QStringLiteral("reconciliation"),
                                              QStringLiteral("reconciliations"),
                                              QStringLiteral("id"),
                                              {QStringLiteral("account_id"), QStringLiteral("statement_date"),
                                               QStringLiteral("closing_balance"), QStringLiteral("user_name"),
                                               QStringLiteral("made_at")},
                                              {QStringLiteral("bigint"), QStringLiteral("date"),
                                               QStringLiteral("bigint"), QStringLiteral("text"),
                                               QStringLiteral("text")}};
    static const HistoryShape settings{QStringLiteral("setting"),
                                       QStringLiteral("system_settings"),
                                       QStringLiteral("rowid"),
                                       {QStringLiteral("sys_code"), QStringLiteral("sys_value"),
                                        QStringLiteral("saved_on")},
                                       {QStringLiteral("text"), QStringLiteral("text"), QStringLiteral("text")},
                                       {},
                                       {},
                                       {},
                                       false};
    switch (table) {
    case HistoryTable::Accounts: return accounts;
    case HistoryTable::Transactions: return transactions;
    case HistoryTable::Reconciliations: return reconciliations;
    case HistoryTable::Settings: break;
    }
    return settings;
}

QString keptVersion(const QSqlDatabase &db, const HistoryShape &shape, const QString &kept)
{
    return dialectOf(db).jsonArrayElement(kept, int(shape.columns.size()), QStringLiteral("bigint"));
}

void keepSelectedRowsBefore(const Book &book, qint64 setId, HistoryTable table, const QString &idsSelect,
                            const QVariantList &values)
{
    const QSqlDatabase db = connectionOf(book);
    const HistoryShape &shape = shapeOf(table);
    // A row kept already keeps the first values. SQLite reads ON CONFLICT
    // after a SELECT only once the SELECT has a WHERE clause.
    runSql(db,
           QStringLiteral("INSERT INTO change_rows (tbl, row_id, set_id, before) "
                          "SELECT ?, k.id, ?, %1 FROM (%2) AS k WHERE true "
                          "ON CONFLICT (tbl, row_id, set_id) DO NOTHING")
               .arg(keptValues(db, shape, QStringLiteral("k.id"), hasRowVersions(book), hasReconciliation(book)),
                    idsSelect),
           QVariantList{shape.word, setId} + values);
}

void insertKeptRows(const Book &book, qint64 setId, HistoryTable table, const QString &condition,
                    const QVariantList &values)
{
    const QSqlDatabase db = connectionOf(book);
    const HistoryShape &shape = shapeOf(table);
    QString columns = shape.columns.join(QStringLiteral(", "));
    QString kept = valuesFromKept(db, shape);
    QVariantList bound;
    if (hasRowVersions(book)) {
        // Kept arrays of older formats have no version.
        columns += QStringLiteral(", row_version");
        kept += QStringLiteral(", (SELECT coalesce(max(%1), 0) + 1 FROM change_rows AS h WHERE h.tbl = ?)")
                    .arg(keptVersion(db, shape, QStringLiteral("h.before")));
        bound << shape.word;
    }
    if (hasReconciliation(book) && !shape.laterColumns.isEmpty()) {
        columns += QStringLiteral(", ") + shape.laterColumns.join(QStringLiteral(", "));
        kept += QStringLiteral(", ") + laterValuesFromKept(db, shape);
    }
    QVariantList selected{setId, shape.word};
    selected += values;
    QString absent;
    if (shape.updatesInPlace) {
        // A row there now takes the kept values in place: an undo then
        // changes only what the change it takes back changed, which the
        // book's closed period allows where it only touched a side's status.
        runSql(db,
               QStringLiteral("UPDATE %1 SET (%2) = (SELECT %3 FROM change_rows AS r WHERE r.set_id = ? "
                              "AND r.tbl = ? AND r.row_id = %1.%4) WHERE %4 IN (SELECT r.row_id FROM change_rows "
                              "AS r WHERE r.set_id = ? AND r.tbl = ? AND r.before IS NOT NULL %5)")
                   .arg(shape.table, columns, kept, shape.key, condition),
               bound + QVariantList{setId, shape.word} + selected);
        absent = QStringLiteral(" AND NOT EXISTS (SELECT 1 FROM %1 WHERE %2 = r.row_id)").arg(shape.table, shape.key);
    }
    const QString insert = QStringLiteral("INSERT INTO %1 (%2, %3) SELECT r.row_id, %4 FROM change_rows AS r "
                                          "WHERE r.set_id = ? AND r.tbl = ? AND r.before IS NOT NULL %5%6 "
                                          "ORDER BY r.row_id")
                               .arg(shape.table, shape.key, columns, kept, condition, absent);
    if (table != HistoryTable::Transactions) {
        runSql(db, insert, bound + selected);
        if (keepsCashSetting(db, shape, hasRowVersions(book)))
            putBackCashSettings(db, shape, setId, condition, values);
        return;
    }
    // Transactions come back with their triggers off, the kept balances and
    // the closed period kept for all of them at once: those absent now are
    // the ones the insert puts back.
    TransactionBulkWrite bulk(db);
    QList<qint64> ids;
    if (bulk.triggersOff()) {
        QSqlQuery q = runSql(db,
                             QStringLiteral("SELECT r.row_id FROM change_rows AS r WHERE r.set_id = ? AND r.tbl = ? "
                                            "AND r.before IS NOT NULL %1%2")
                                 .arg(condition, absent),
                             selected);
        while (q.next())
            ids << q.value(0).toLongLong();
    }
    bulk.adding(ids.size());
    runSql(db, insert, bound + selected);
    if (!ids.isEmpty())
        bulk.added(transactionRowsOfIds(ids));
}

} // namespace bc
