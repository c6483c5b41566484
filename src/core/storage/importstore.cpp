#include "importstore.h"

#include "bulkinserter.h"
#include "dates.h"
#include "engine.h"
#include "historystore.h"
#include "sql.h"

#include <QSqlQuery>

namespace bc {

namespace {

void insertKeys(const Book &book, const QList<ImportedKey> &keys, const QString &onConflict)
{
    if (keys.isEmpty())
        return;
    BulkInserter inserter(book, QStringLiteral("imported_lines"),
                          {QStringLiteral("account_id"), QStringLiteral("line_key"), QStringLiteral("tran_id")},
                          onConflict);
    for (const ImportedKey &k : keys)
        inserter.add({k.accountId, k.lineKey, k.tranId});
    inserter.finish();
}

} // namespace

bool hasImportTables(const Book &book)
{
    return bookHasTable(connectionOf(book), QStringLiteral("import_rules"));
}

QList<ImportRule> readImportRules(const Book &book)
{
    QList<ImportRule> rules;
    QSqlQuery q = runSql(connectionOf(book),
                         QStringLiteral("SELECT r.field, r.contains, r.account_id FROM import_rules r "
                                        "JOIN account_master a ON a.account_id = r.account_id ORDER BY r.position"));
    while (q.next())
        rules.append(
            {q.value(0).toString() == QLatin1String("memo") ? ImportRule::Field::Memo : ImportRule::Field::Payee,
             q.value(1).toString(), q.value(2).toLongLong()});
    return rules;
}

void replaceImportRules(const Book &book, const QList<ImportRule> &rules)
{
    const QSqlDatabase db = connectionOf(book);
    runSql(db, QStringLiteral("DELETE FROM import_rules"));
    QList<QVariantList> rows;
    rows.reserve(rules.size());
    for (qsizetype i = 0; i < rules.size(); ++i)
        rows.append({qint64(i + 1),
                     rules[i].field == ImportRule::Field::Memo ? QStringLiteral("memo") : QStringLiteral("payee"),
                     rules[i].contains, rules[i].accountId});
    runSqlBatch(db,
                QStringLiteral("INSERT INTO import_rules (position, field, contains, account_id) VALUES (?, ?, ?, ?)"),
                rows);
}

QHash<QString, RecordedKey> readRecordedKeys(const Book &book, qint64 accountId)
{
    QHash<QString, RecordedKey> keys;
    QSqlQuery q = runSql(connectionOf(book),
                         QStringLiteral("SELECT i.line_key, i.tran_id, CASE WHEN t.to_acc = ? AND t.to_flag = 'A' "
                                        "THEN CASE WHEN t.from_flag = 'A' THEN t.from_acc END "
                                        "ELSE CASE WHEN t.to_flag = 'A' THEN t.to_acc END END "
                                        "FROM imported_lines i LEFT JOIN transaction_master t ON t.tran_id = i.tran_id "
                                        "WHERE i.account_id = ? AND NOT ")
                             + addedByUndoneChange(book, QStringLiteral("i.tran_id")),
                         {accountId, accountId});
    while (q.next())
        keys.insert(q.value(0).toString(), {q.value(1).toLongLong(), q.value(2).toLongLong()});
    return keys;
}

QHash<QString, qint64> readKeysOfGoneTransactions(const Book &book, qint64 accountId)
{
    QHash<QString, qint64> gone;
    QSqlQuery q = runSql(connectionOf(book),
                         QStringLiteral("SELECT line_key, tran_id FROM imported_lines AS i WHERE account_id = ? "
                                        "AND tran_id <> 0 AND NOT EXISTS (SELECT 1 FROM transaction_master AS t "
                                        "WHERE t.tran_id = i.tran_id)"),
                         {accountId});
    while (q.next())
        gone.insert(q.value(0).toString(), q.value(1).toLongLong());
    return gone;
}

void recordImportedKeys(const Book &book, const QList<ImportedKey> &keys)
{
    insertKeys(book, keys,
               QStringLiteral("ON CONFLICT (account_id, line_key) DO UPDATE SET tran_id = excluded.tran_id"));
}

void recordSkippedKeys(const Book &book, const QList<ImportedKey> &keys)
{
    insertKeys(book, keys, QStringLiteral("ON CONFLICT (account_id, line_key) DO NOTHING"));
}

std::vector<MatchCandidate> readMatchCandidates(const Book &book, qint64 accountId, const QDate &first,
                                                const QDate &last, bool leaveOutImported)
{
    // An incoming transaction shows as money in, an outgoing one as money out.
    QString select = QStringLiteral(
        "SELECT tran_id, tran_date, amount, to_acc = ? AND to_flag = 'A', "
        "CASE WHEN to_acc = ? AND to_flag = 'A' THEN from_acc ELSE to_acc END FROM transaction_master "
        "WHERE ((to_acc = ? AND to_flag = 'A') OR (from_acc = ? AND from_flag = 'A')) "
        "AND tran_date BETWEEN ? AND ? AND amount IS NOT NULL");
    QVariantList values{accountId, accountId, accountId, accountId, isoDate(first), isoDate(last)};
    if (leaveOutImported) {
        select += QStringLiteral(" AND tran_id NOT IN (SELECT tran_id FROM imported_lines WHERE account_id = ?)");
        values << accountId;
    }
    std::vector<MatchCandidate> candidates;
    QSqlQuery q = runSql(connectionOf(book), select + QStringLiteral(" ORDER BY tran_date, tran_id"), values);
    while (q.next()) {
        const qint64 cents = q.value(2).toLongLong();
        candidates.push_back({q.value(0).toLongLong(), fromIsoDate(q.value(1).toString()),
                              q.value(3).toBool() ? cents : -cents, q.value(4).toLongLong()});
    }
    return candidates;
}

void keepStatementBalance(const Book &book, qint64 accountId, const StatementBalance &balance,
                          const QDateTime &importedAt)
{
    if (book.format() < StatementBalancesFormat)
        return;
    runSql(connectionOf(book),
           QStringLiteral("INSERT INTO statement_balances (account_id, statement_date, closing_balance, imported_at) "
                          "VALUES (?, ?, ?, ?) ON CONFLICT (account_id, statement_date) DO UPDATE SET "
                          "closing_balance = excluded.closing_balance, imported_at = excluded.imported_at"),
           {accountId, isoDate(balance.statementDate), balance.closingCents, importedAt.toString(Qt::ISODate)});
}

std::optional<StatementBalance> latestStatementBalance(const Book &book, qint64 accountId, const QDate &after)
{
    if (book.format() < StatementBalancesFormat)
        return std::nullopt;
    QSqlQuery q = runSql(connectionOf(book),
                         QStringLiteral("SELECT statement_date, closing_balance FROM statement_balances "
                                        "WHERE account_id = ? AND statement_date > ? "
                                        "ORDER BY statement_date DESC LIMIT 1"),
                         {accountId, after.isValid() ? isoDate(after) : QStringLiteral("0001-01-01")});
    if (!q.next())
        return std::nullopt;
    return StatementBalance{fromIsoDate(q.value(0).toString()), q.value(1).toLongLong()};
}

} // namespace bc
