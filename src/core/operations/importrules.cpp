#include "importrules.h"

#include "accountstore.h"
#include "booktransaction.h"
#include "dberror.h"

namespace bc {

QList<ImportRule> loadImportRules(const Book &book)
{
    if (!hasImportTables(book))
        return {};
    return readImportRules(book);
}

void saveImportRules(Book &book, const QList<ImportRule> &rules)
{
    BookTransaction transaction(book);
    QList<ImportRule> saved;
    saved.reserve(rules.size());
    for (qsizetype i = 0; i < rules.size(); ++i) {
        ImportRule rule = rules[i];
        rule.contains = rule.contains.trimmed();
        if (rule.contains.isEmpty())
            throw DbError(QStringLiteral("Rule %1 has no text to look for.").arg(i + 1));
        if (!readAccountName(book, rule.accountId))
            throw DbError(QStringLiteral("Rule %1 names no account of the book.").arg(i + 1));
        saved << rule;
    }
    replaceImportRules(book, saved);
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
