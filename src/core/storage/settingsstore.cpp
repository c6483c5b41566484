#include "settingsstore.h"

#include "rowversions.h"
#include "sql.h"
#include "textroutines.h"

#include <QSqlQuery>

namespace bc {

QList<SettingRow> readSettingRows(const Book &book)
{
    QSqlQuery q = runSql(connectionOf(book),
                         QStringLiteral("SELECT sys_code, sys_value, %1 FROM system_settings")
                             .arg(hasRowVersions(book) ? QStringLiteral("row_version") : QStringLiteral("0")));
    QList<SettingRow> rows;
    while (q.next())
        rows.append({q.value(0).toString(), NullToText(q.value(1)), q.value(2).toLongLong()});
    return rows;
}

QHash<QString, qint64> readSettingVersions(const Book &book)
{
    QHash<QString, qint64> versions;
    if (!hasRowVersions(book))
        return versions;
    QSqlQuery q = runSql(connectionOf(book), QStringLiteral("SELECT sys_code, row_version FROM system_settings"));
    while (q.next())
        versions.insert(q.value(0).toString(), q.value(1).toLongLong());
    return versions;
}

void deleteSettingRows(const Book &book)
{
    runSql(connectionOf(book), QStringLiteral("DELETE FROM system_settings"));
}

AddedRows insertSettingRows(const Book &book, const QList<SettingRow> &rows, const QDate &savedOn)
{
    const QSqlDatabase db = connectionOf(book);
    const QString date = savedOn.toString(QStringLiteral("MM/dd/yyyy"));
    const bool versioned = hasRowVersions(book);
    QList<QVariantList> values;
    values.reserve(rows.size());
    for (const SettingRow &row : rows) {
        values.append({row.code, row.value, date});
        if (versioned)
            values.last().append(row.version);
    }
    runSqlBatch(db,
                versioned ? QStringLiteral("INSERT INTO system_settings (sys_code, sys_value, saved_on, row_version) "
                                           "VALUES (?, ?, ?, ?)")
                          : QStringLiteral("INSERT INTO system_settings (sys_code, sys_value, saved_on) "
                                           "VALUES (?, ?, ?)"),
                values);
    QSqlQuery added = runSql(db, QStringLiteral("SELECT min(rowid), max(rowid) FROM system_settings"));
    added.next();
    return {added.value(0).toLongLong(), added.value(1).toLongLong()};
}

} // namespace bc
