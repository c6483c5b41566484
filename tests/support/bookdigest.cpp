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

QString tableDigest(const QSqlDatabase &db, const QString &table)
{
    QSqlQuery q = runSql(db, QStringLiteral("SELECT * FROM \"%1\"").arg(table));
    QStringList rows;
    while (q.next()) {
        QString row;
        for (int c = 0; c < q.record().count(); ++c) {
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

QString bookDigest(const QSqlDatabase &db)
{
    QStringList digests;
    for (const QString &table : permanentTables())
        digests << tableDigest(db, table);
    return digests.join(u' ');
}

} // namespace bc::test
