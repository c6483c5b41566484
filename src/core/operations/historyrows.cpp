#include "historyrows.h"

#include "engine.h"
#include "rowimages.h"
#include "rowversions.h"
#include "sql.h"

#include <QSqlQuery>

namespace bc {

const QList<HistoryTable> &historyTables()
{
    static const QList<HistoryTable> tables = {HistoryTable::Accounts, HistoryTable::Transactions,
                                               HistoryTable::Settings};
    return tables;
}

QString HistoryShape::keptValues(const QSqlDatabase &db, const QString &keyExpression, bool versioned) const
{
    QStringList kept = columns;
    if (versioned)
        kept << QStringLiteral("row_version");
    return QStringLiteral("(SELECT %1 FROM %2 WHERE %3 = %4)").arg(jsonArrayText(db, kept), table, key, keyExpression);
}

QString HistoryShape::valuesFromKept(const QSqlDatabase &db) const
{
    QStringList values;
    for (qsizetype i = 0; i < columns.size(); ++i)
        values << jsonArrayElement(db, QStringLiteral("r.before"), int(i), serverTypes.at(i));
    return values.join(QStringLiteral(", "));
}

const HistoryShape &shapeOf(HistoryTable table)
{
    static const HistoryShape accounts{QStringLiteral("account"),
                                       QStringLiteral("account_master"),
                                       QStringLiteral("account_id"),
                                       {QStringLiteral("account_name"), QStringLiteral("account_type"),
                                        QStringLiteral("open_amount"), QStringLiteral("particulars"),
                                        QStringLiteral("version_date")},
                                       {QStringLiteral("text"), QStringLiteral("bigint"), QStringLiteral("bigint"),
                                        QStringLiteral("text"), QStringLiteral("text")}};
    static const HistoryShape transactions{QStringLiteral("transaction"),
                                           QStringLiteral("transaction_master"),
                                           QStringLiteral("tran_id"),
                                           {QStringLiteral("tran_date"), QStringLiteral("from_acc"),
                                            QStringLiteral("from_flag"), QStringLiteral("to_acc"),
                                            QStringLiteral("to_flag"), QStringLiteral("amount"),
                                            QStringLiteral("particulars"), QStringLiteral("version_date")},
                                           {QStringLiteral("date"), QStringLiteral("bigint"), QStringLiteral("text"),
                                            QStringLiteral("bigint"), QStringLiteral("text"), QStringLiteral("bigint"),
                                            QStringLiteral("text"), QStringLiteral("text")}};
    static const HistoryShape settings{QStringLiteral("setting"),
                                       QStringLiteral("system_settings"),
                                       QStringLiteral("rowid"),
                                       {QStringLiteral("sys_code"), QStringLiteral("sys_value"),
                                        QStringLiteral("saved_on")},
                                       {QStringLiteral("text"), QStringLiteral("text"), QStringLiteral("text")}};
    switch (table) {
    case HistoryTable::Accounts: return accounts;
    case HistoryTable::Transactions: return transactions;
    case HistoryTable::Settings: break;
    }
    return settings;
}

HistoryTable tableOfWord(const QString &word)
{
    for (const HistoryTable table : historyTables())
        if (shapeOf(table).word == word)
            return table;
    throw DbError(QStringLiteral("The history names a table \"%1\" this program does not know.").arg(word));
}

bool hasHistoryTables(const QSqlDatabase &db)
{
    return bookHasTable(db, QStringLiteral("change_sets")) && bookHasTable(db, QStringLiteral("change_rows"))
        && bookHasTable(db, QStringLiteral("change_ranges"));
}

void keepRowsBefore(const QSqlDatabase &db, qint64 setId, HistoryTable table, const QString &idsSelect,
                    const QVariantList &values)
{
    const HistoryShape &shape = shapeOf(table);
    // A row kept already keeps the first values. SQLite reads ON CONFLICT
    // after a SELECT only once the SELECT has a WHERE clause.
    runSql(db,
           QStringLiteral("INSERT INTO change_rows (tbl, row_id, set_id, before) "
                          "SELECT ?, k.id, ?, %1 FROM (%2) AS k WHERE true "
                          "ON CONFLICT (tbl, row_id, set_id) DO NOTHING")
               .arg(shape.keptValues(db, QStringLiteral("k.id"), hasRowVersions(db)), idsSelect),
           QVariantList{shape.word, setId} + values);
}

void insertKeptRows(const QSqlDatabase &db, qint64 setId, HistoryTable table, const QString &condition,
                    const QVariantList &values)
{
    const HistoryShape &shape = shapeOf(table);
    QString columns = shape.columns.join(QStringLiteral(", "));
    QString kept = shape.valuesFromKept(db);
    QVariantList bound;
    if (hasRowVersions(db)) {
        // Kept arrays of older formats have no version.
        columns += QStringLiteral(", row_version");
        kept += QStringLiteral(", (SELECT coalesce(max(%1), 0) + 1 FROM change_rows AS h WHERE h.tbl = ?)")
                    .arg(jsonArrayElement(db, QStringLiteral("h.before"), int(shape.columns.size()),
                                          QStringLiteral("bigint")));
        bound << shape.word;
    }
    runSql(db,
           QStringLiteral("INSERT INTO %1 (%2, %3) SELECT r.row_id, %4 FROM change_rows AS r "
                          "WHERE r.set_id = ? AND r.tbl = ? AND r.before IS NOT NULL %5 ORDER BY r.row_id")
               .arg(shape.table, shape.key, columns, kept, condition),
           bound + QVariantList{setId, shape.word} + values);
}

} // namespace bc
