#include "bookdigest.h"

#include "sql.h"

#include <QCryptographicHash>
#include <QSqlQuery>
#include <QSqlRecord>
#include <algorithm>

namespace bc::test {

const QStringList &permanentTables()
{
    static const QStringList tables = {QStringLiteral("account_master"), QStringLiteral("transaction_master"),
                                       QStringLiteral("system_settings")};
    return tables;
}

namespace {

QString rowsDigest(const QSqlDatabase &db, const QString &statement)
{
    QSqlQuery q = runSql(db, statement);
    QStringList rows;
    while (q.next()) {
        QString row;
        for (int c = 0; c < q.record().count(); ++c) {
            // A row's version counts its writes, not its values: an undo
            // puts back the values under a new version.
            if (q.record().fieldName(c) == QLatin1String("row_version"))
                continue;
            const QVariant v = q.value(c);
            // Type, length and text of every cell, so no two rows can blur.
            const QString text = v.isNull() ? QString() : v.toString();
            row += QStringLiteral("%1:%2:%3|")
                       .arg(v.isNull() ? QStringLiteral("null") : QString::fromLatin1(v.typeName()))
                       .arg(text.size())
                       .arg(text);
        }
        rows << row;
    }
    std::sort(rows.begin(), rows.end());
    QCryptographicHash hash(QCryptographicHash::Sha256);
    for (const QString &row : rows) {
        hash.addData(row.toUtf8());
        hash.addData("\n");
    }
    return QString::fromLatin1(hash.result().toHex().left(16)) + u'/' + QString::number(rows.size());
}

} // namespace

QString tableDigest(const QSqlDatabase &db, const QString &table)
{
    return rowsDigest(db, QStringLiteral("SELECT * FROM \"%1\"").arg(table));
}

QString historyDigest(const QSqlDatabase &db)
{
    return rowsDigest(db,
                      QStringLiteral("SELECT 'set', id, user_name, source, summary, undoes, takes_back, NULL "
                                     "FROM change_sets UNION ALL SELECT 'row', set_id, tbl, row_id, before, "
                                     "NULL, NULL, NULL FROM change_rows UNION ALL SELECT 'range', set_id, tbl, "
                                     "first_id, last_id, NULL, NULL, NULL FROM change_ranges"));
}

QString bookDigest(const QSqlDatabase &db)
{
    QStringList digests;
    for (const QString &table : permanentTables())
        digests << tableDigest(db, table);
    return digests.join(u' ');
}

} // namespace bc::test
