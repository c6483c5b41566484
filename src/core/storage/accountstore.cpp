#include "accountstore.h"

#include "engine.h"
#include "rowversions.h"
#include "sql.h"
#include "textroutines.h"

#include <QSqlQuery>

namespace bc {

namespace {

// The LIKE pattern of a name filter: "*" any run of characters, every other
// character itself (LIKE's own wildcards and escape escaped).
QString likePattern(const QString &filter)
{
    QString pattern;
    for (const QChar c : filter) {
        if (c == u'*')
            pattern += u'%';
        else if (c == u'%' || c == u'_' || c == u'\\')
            pattern += QStringLiteral("\\") + c;
        else
            pattern += c;
    }
    return pattern + u'%';
}

QList<IdName> idNames(const QSqlDatabase &db, const QString &statement)
{
    QList<IdName> list;
    QSqlQuery q = runSql(db, statement);
    while (q.next())
        list.append({NullToText(q.value(0)).toLongLong(), NullToText(q.value(1))});
    return list;
}

} // namespace

std::vector<AccountRecord> readAccounts(const Book &book, const AccountFilter &filter)
{
    const QSqlDatabase db = connectionOf(book);
    QString statement = QStringLiteral("SELECT account_id, account_name, account_type, open_amount, particulars, %1 "
                                       "FROM account_master WHERE 1=1")
                            .arg(hasRowVersions(book) ? QStringLiteral("row_version") : QStringLiteral("0"));
    QVariantList values;
    if (!filter.namePrefix.isEmpty()) {
        statement += QStringLiteral(" AND ") + dialectOf(db).likeIgnoringCase(QStringLiteral("account_name"));
        values << likePattern(filter.namePrefix);
    }
    if (filter.openingFromCents) {
        statement += QStringLiteral(" AND open_amount >= ?");
        values << *filter.openingFromCents;
    }
    if (filter.openingToCents) {
        statement += QStringLiteral(" AND open_amount <= ?");
        values << *filter.openingToCents;
    }
    statement += QStringLiteral(" ORDER BY ") + dialectOf(db).orderIgnoringCase(QStringLiteral("account_name"));

    std::vector<AccountRecord> accounts;
    QSqlQuery q = runSql(db, statement, values);
    while (q.next()) {
        AccountRecord &a = accounts.emplace_back();
        a.id = NullToText(q.value(0)).toLongLong();
        a.name = q.value(1).toString().trimmed();
        if (const QString type = NullToText(q.value(2)); !type.isEmpty())
            a.type = type.toLongLong();
        a.openingCents = q.value(3).toLongLong();
        a.particulars = NullToText(q.value(4));
        a.version = q.value(5).toLongLong();
    }
    return accounts;
}

QList<IdName> readAccountNames(const Book &book)
{
    const QSqlDatabase db = connectionOf(book);
    return idNames(db,
                   QStringLiteral("SELECT account_id, account_name FROM account_master ORDER BY ")
                       + dialectOf(db).orderIgnoringCase(QStringLiteral("account_name")));
}

QList<IdName> readAccountTypes(const Book &book)
{
    const QSqlDatabase db = connectionOf(book);
    return idNames(db,
                   QStringLiteral("SELECT account_type_id, account_type FROM Account_Type_Master ORDER BY ")
                       + dialectOf(db).orderIgnoringCase(QStringLiteral("account_type")));
}

QSet<qint64> readAccountIds(const Book &book)
{
    QSet<qint64> ids;
    QSqlQuery q = runSql(connectionOf(book), QStringLiteral("SELECT account_id FROM account_master"));
    while (q.next())
        ids.insert(q.value(0).toLongLong());
    return ids;
}

QStringList readAllAccountNames(const Book &book)
{
    QStringList names;
    QSqlQuery q = runSql(connectionOf(book), QStringLiteral("SELECT account_name FROM account_master"));
    while (q.next())
        names << q.value(0).toString();
    return names;
}

std::optional<QString> readAccountName(const Book &book, qint64 id)
{
    QSqlQuery q = runSql(connectionOf(book),
                         QStringLiteral("SELECT account_name FROM account_master WHERE account_id = ?"), {id});
    if (!q.next())
        return std::nullopt;
    return q.value(0).toString().trimmed();
}

qint64 countTransactionsOfAccount(const Book &book, qint64 id)
{
    QSqlQuery q = runSql(connectionOf(book),
                         QStringLiteral("SELECT count(*) FROM transaction_master "
                                        "WHERE (from_acc = ? AND from_flag = 'A') "
                                        "OR (to_acc = ? AND to_flag = 'A')"),
                         {id, id});
    return q.next() ? q.value(0).toLongLong() : 0;
}

std::optional<qint64> readOpeningCents(const Book &book, qint64 id)
{
    QSqlQuery q = runSql(connectionOf(book),
                         QStringLiteral("SELECT coalesce(open_amount, 0) FROM account_master WHERE account_id = ?"),
                         {id});
    if (!q.next())
        return std::nullopt;
    return q.value(0).toLongLong();
}

qint64 sumMovementCents(const Book &book, qint64 id, bool moneyIn)
{
    QSqlQuery q = runSql(connectionOf(book),
                         moneyIn ? QStringLiteral("SELECT coalesce(sum(amount), 0) FROM transaction_master "
                                                  "WHERE to_acc = ? AND to_flag = 'A'")
                                 : QStringLiteral("SELECT coalesce(sum(amount), 0) FROM transaction_master "
                                                  "WHERE from_acc = ? AND from_flag = 'A'"),
                         {id});
    q.next();
    return q.value(0).toLongLong();
}

void stageAccounts(const Book &book, const QList<StagedAccount> &accounts, const QDate &versionDate)
{
    const QSqlDatabase db = connectionOf(book);
    runSql(db, QStringLiteral("DELETE FROM tmp_account_i"));
    const QString date = versionDate.toString(QStringLiteral("MM/dd/yyyy"));
    QList<QVariantList> rows;
    rows.reserve(accounts.size());
    for (const StagedAccount &a : accounts)
        rows.append({a.id, a.name, a.type, a.openingCents, a.particulars, date, a.version});
    runSqlBatch(db,
                QStringLiteral("INSERT INTO tmp_account_i (Account_ID, Account_Name, Account_Type, "
                               "Open_amount, particulars, version_date, Row_Version) VALUES (?, ?, ?, ?, ?, ?, ?)"),
                rows);
}

qint64 deleteAccounts(const Book &book, const QList<qint64> &ids)
{
    const QSqlDatabase db = connectionOf(book);
    if (bookHasTable(db, QStringLiteral("cash_accounts")))
        runSqlForIds(db, QStringLiteral("DELETE FROM cash_accounts WHERE account_id = ?"), ids);
    return runSqlForIds(db, QStringLiteral("DELETE FROM account_master WHERE account_id = ?"), ids);
}

void advanceAccountVersions(const Book &book, const QList<qint64> &ids)
{
    if (hasRowVersions(book))
        runSqlForIds(connectionOf(book),
                     QStringLiteral("UPDATE account_master SET row_version = row_version + 1 WHERE account_id = ?"),
                     ids);
}

void deleteStagedAccountIds(const Book &book)
{
    runSql(connectionOf(book),
           QStringLiteral("DELETE FROM account_master WHERE account_id IN (SELECT Account_ID FROM tmp_account_i)"));
}

void insertStagedAccounts(const Book &book)
{
    runSql(connectionOf(book),
           hasRowVersions(book)
               ? QStringLiteral("INSERT INTO account_master (account_id, account_name, account_type, open_amount, "
                                "particulars, version_date, row_version) SELECT Account_ID, Account_Name, "
                                "Account_Type, Open_amount, particulars, version_date, Row_Version FROM tmp_account_i")
               : QStringLiteral("INSERT INTO account_master (account_id, account_name, account_type, open_amount, "
                                "particulars, version_date) SELECT Account_ID, Account_Name, Account_Type, "
                                "Open_amount, particulars, version_date FROM tmp_account_i"));
}

} // namespace bc
