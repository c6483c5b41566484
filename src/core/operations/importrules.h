#pragma once

#include "book.h"
#include "importstore.h"
#include "statement.h"

#include <QList>
#include <QString>

namespace bc {

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

} // namespace bc
