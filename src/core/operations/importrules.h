#pragma once

#include "book.h"
#include "statement.h"

#include <QList>
#include <QString>

namespace bc {

// A rule that picks a statement line's counter-account: when the line's
// payee (or memo) contains the text, letters of either case alike, the line
// goes to the account. Rules are tried in order; the first match wins.
struct ImportRule {
    enum class Field { Payee, Memo };
    Field field = Field::Payee;
    QString contains;
    qint64 accountId = 0;
    bool operator==(const ImportRule &) const = default;
};

// The book's rules in order. A rule whose account has been deleted is left
// out. A book without the import tables (an older format open read-only) has
// none.
QList<ImportRule> loadImportRules(const Book &book);

// Replaces the book's rules with these, in this order, in one transaction.
// Refuses (DbError, nothing changed) a rule without text or naming no
// account of the book, naming its position.
void saveImportRules(Book &book, const QList<ImportRule> &rules);

// The account of the first rule that matches line, else 0.
qint64 ruleAccount(const QList<ImportRule> &rules, const StatementLine &line);

// Whether the open book holds the tables of statement import.
bool hasImportTables(const Book &book);

} // namespace bc
