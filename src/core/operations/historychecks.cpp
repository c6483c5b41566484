#include "historychecks.h"

#include "accounts.h"
#include "rowimages.h"
#include "sql.h"

#include <QHash>
#include <QSqlQuery>

namespace bc {

QString accountsProblem(const QSqlDatabase &db, qint64 setId)
{
    QSqlQuery used = runSql(db,
                            QStringLiteral("SELECT name, uses FROM (SELECT %1 AS name, (SELECT count(*) FROM "
                                           "transaction_master WHERE (from_acc = r.row_id AND from_flag = 'A') "
                                           "OR (to_acc = r.row_id AND to_flag = 'A')) AS uses "
                                           "FROM change_rows AS r WHERE r.set_id = ? AND r.tbl = 'account' "
                                           "AND r.before IS NOT NULL AND NOT EXISTS (SELECT 1 FROM account_master "
                                           "WHERE account_id = r.row_id)) AS taken WHERE uses > 0 LIMIT 1")
                                .arg(jsonArrayElement(db, QStringLiteral("r.before"), 0, QStringLiteral("text"))),
                            {setId});
    if (used.next())
        return QStringLiteral("The account \"%1\" would be taken away, but %2 transaction(s) saved since use it.")
            .arg(used.value(0).toString().trimmed())
            .arg(used.value(1).toLongLong());

    QHash<QString, int> names;
    QSqlQuery all = runSql(db, QStringLiteral("SELECT account_name FROM account_master"));
    while (all.next())
        ++names[accountNameKey(all.value(0).toString())];
    QSqlQuery back = runSql(db,
                            QStringLiteral("SELECT a.account_name FROM change_rows AS r JOIN account_master AS a "
                                           "ON a.account_id = r.row_id WHERE r.set_id = ? AND r.tbl = 'account'"),
                            {setId});
    while (back.next())
        if (names.value(accountNameKey(back.value(0).toString())) > 1)
            return QStringLiteral("The account name \"%1\" is used by another account now; rename that account "
                                  "first.")
                .arg(back.value(0).toString().trimmed());
    return QString();
}

} // namespace bc
