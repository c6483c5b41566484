#include "historyrows.h"

#include "engine.h"
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

QString HistoryShape::keptValues(const QString &keyExpression, bool versioned) const
{
    return QStringLiteral("(SELECT json_array(%1%2) FROM %3 WHERE %4 = %5)")
        .arg(columns.join(QStringLiteral(", ")), versioned ? QStringLiteral(", row_version") : QString(), table, key,
             keyExpression);
}

QString HistoryShape::valuesFromKept() const
{
    QStringList values;
    for (qsizetype i = 0; i < columns.size(); ++i)
        values << QStringLiteral("json_extract(r.before, '$[%1]')").arg(i);
    return values.join(QStringLiteral(", "));
}

const HistoryShape &shapeOf(HistoryTable table)
{
    static const HistoryShape accounts{QStringLiteral("account"),
                                       QStringLiteral("account_master"),
                                       QStringLiteral("account_id"),
                                       {QStringLiteral("account_name"), QStringLiteral("account_type"),
                                        QStringLiteral("open_amount"), QStringLiteral("particulars"),
                                        QStringLiteral("version_date")}};
    static const HistoryShape transactions{QStringLiteral("transaction"),
                                           QStringLiteral("transaction_master"),
                                           QStringLiteral("tran_id"),
                                           {QStringLiteral("tran_date"), QStringLiteral("from_acc"),
                                            QStringLiteral("from_flag"), QStringLiteral("to_acc"),
                                            QStringLiteral("to_flag"), QStringLiteral("amount"),
                                            QStringLiteral("particulars"), QStringLiteral("version_date")}};
    static const HistoryShape settings{QStringLiteral("setting"),
                                       QStringLiteral("system_settings"),
                                       QStringLiteral("rowid"),
                                       {QStringLiteral("sys_code"), QStringLiteral("sys_value"),
                                        QStringLiteral("saved_on")}};
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
    // SQLite: INSERT OR IGNORE keeps the first values a set kept of a row.
    runSql(db,
           QStringLiteral("INSERT OR IGNORE INTO change_rows (tbl, row_id, set_id, before) "
                          "SELECT ?, k.id, ?, %1 FROM (%2) AS k")
               .arg(shape.keptValues(QStringLiteral("k.id"), hasRowVersions(db)), idsSelect),
           QVariantList{shape.word, setId} + values);
}

void insertKeptRows(const QSqlDatabase &db, qint64 setId, HistoryTable table, const QString &condition,
                    const QVariantList &values)
{
    const HistoryShape &shape = shapeOf(table);
    QString columns = shape.columns.join(QStringLiteral(", "));
    QString kept = shape.valuesFromKept();
    QVariantList bound;
    if (hasRowVersions(db)) {
        // SQLite: json_extract. Kept arrays of older formats have no version.
        columns += QStringLiteral(", row_version");
        kept += QStringLiteral(", (SELECT coalesce(max(json_extract(h.before, '$[%1]')), 0) + 1 "
                               "FROM change_rows AS h WHERE h.tbl = ?)")
                    .arg(shape.columns.size());
        bound << shape.word;
    }
    runSql(db,
           QStringLiteral("INSERT INTO %1 (%2, %3) SELECT r.row_id, %4 FROM change_rows AS r "
                          "WHERE r.set_id = ? AND r.tbl = ? AND r.before IS NOT NULL %5 ORDER BY r.row_id")
               .arg(shape.table, shape.key, columns, kept, condition),
           bound + QVariantList{setId, shape.word} + values);
}

} // namespace bc
