#include "importrules.h"

#include "engine.h"
#include "sql.h"

namespace bc {

bool hasImportTables(const Book &book)
{
    return bookHasTable(connectionOf(book), QStringLiteral("import_rules"));
}

QList<ImportRule> loadImportRules(const Book &book)
{
    QList<ImportRule> rules;
    if (!hasImportTables(book))
        return rules;
    QSqlQuery q = runSql(connectionOf(book),
                         QStringLiteral("SELECT r.field, r.contains, r.account_id FROM import_rules r "
                                        "JOIN account_master a ON a.account_id = r.account_id ORDER BY r.position"));
    while (q.next())
        rules.append(
            {q.value(0).toString() == QLatin1String("memo") ? ImportRule::Field::Memo : ImportRule::Field::Payee,
             q.value(1).toString(), q.value(2).toLongLong()});
    return rules;
}

void saveImportRules(Book &book, const QList<ImportRule> &rules)
{
    const QSqlDatabase db = connectionOf(book);
    TransactionGuard transaction(db);
    runSql(db, QStringLiteral("DELETE FROM import_rules"));
    for (qsizetype i = 0; i < rules.size(); ++i) {
        const ImportRule &rule = rules[i];
        if (rule.contains.trimmed().isEmpty())
            throw DbError(QStringLiteral("Rule %1 has no text to look for.").arg(i + 1));
        QSqlQuery found = runSql(db, QStringLiteral("SELECT 1 FROM account_master WHERE account_id = ?"),
                                 {rule.accountId});
        if (!found.next())
            throw DbError(QStringLiteral("Rule %1 names no account of the book.").arg(i + 1));
        runSql(db,
               QStringLiteral("INSERT INTO import_rules (position, field, contains, account_id) VALUES (?, ?, ?, ?)"),
               {qint64(i + 1), rule.field == ImportRule::Field::Memo ? QStringLiteral("memo") : QStringLiteral("payee"),
                rule.contains.trimmed(), rule.accountId});
    }
    transaction.commit();
}

qint64 ruleAccount(const QList<ImportRule> &rules, const StatementLine &line)
{
    for (const ImportRule &rule : rules) {
        const QString &text = rule.field == ImportRule::Field::Memo ? line.memo : line.payee;
        if (text.contains(rule.contains, Qt::CaseInsensitive))
            return rule.accountId;
    }
    return 0;
}

} // namespace bc
